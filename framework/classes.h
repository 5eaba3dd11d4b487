// The root of the object model: run-time class descriptions and their registry.
#pragma once
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "properties.h"
#include "resource_strings.h"
#include "sysutils.h"

namespace orlo {

class TComponent;
class TReader;

struct TClassInfo {
  std::string Name;
  TClass Parent = nullptr;
  TComponent* (*Create)(TComponent* owner) = nullptr;  // null: cannot be made by name
  std::vector<TPropInfo> Props;      // own published properties, in declaration order
  std::vector<TMethodInfo> Methods;  // own published methods
  std::vector<TFieldInfo> Fields;    // own published component fields
  // A class that publishes only some of what its ancestors publish names
  // those here; the rest are unknown to it and to its descendants.
  bool NarrowsInherited = false;
  std::vector<std::string> InheritedProps;

  bool InheritsFrom(TClass other) const;
  // Lookups walk up to the root class; names ignore letter case.
  const TPropInfo* FindProp(const std::string& name) const;
  const TMethodInfo* FindMethod(const std::string& name) const;
  const TFieldInfo* FindField(const std::string& name) const;
  // Every published property, the root class's first.
  std::vector<const TPropInfo*> AllProps() const;

private:
  const struct TClassIndex& Index() const;
  mutable std::shared_ptr<const struct TClassIndex> index_;
};

class TObject {
public:
  TObject() = default;
  TObject(const TObject&) = delete;
  TObject& operator=(const TObject&) = delete;
  virtual ~TObject() = default;

  static TClass StaticClass();
  virtual TClass ClassType() const { return StaticClass(); }
  const std::string& ClassName() const { return ClassType()->Name; }
  bool InheritsFrom(TClass c) const { return ClassType()->InheritsFrom(c); }
  template <class T>
  bool Is() const { return InheritsFrom(T::StaticClass()); }
};

// A checked conversion: null stays null, any other class raises EInvalidCast.
template <class T>
T* As(TObject* o) {
  if (!o) return nullptr;
  if (!o->Is<T>()) throw EInvalidCast(res::SInvalidCast);
  return static_cast<T*>(o);
}
template <class T>
T* Cast(TObject* o) {  // null when o is not a T
  return o && o->Is<T>() ? static_cast<T*>(o) : nullptr;
}

// Objects that can be read from a window description.
class TPersistent : public TObject {
public:
  static TClass StaticClass();
  TClass ClassType() const override { return StaticClass(); }

  // Copies another object's state; the default refuses with EConvertError.
  virtual void Assign(TPersistent* source);
  // Properties stored beside the published ones ("Strings", "Data" ...):
  // read the value and return true, or return false for an unknown name.
  virtual bool ReadDefinedProperty(const std::string& name, TReader& reader) { return false; }
};

// The registry of classes that descriptions may name.
void RegisterComponentClass(TClass c);
TClass FindClass(const std::string& name);  // null when unknown

struct TClassRegistrar {
  explicit TClassRegistrar(TClass (*get)()) { RegisterComponentClass(get()); }
};

}  // namespace orlo

// Inside a class body: the class's run-time description. Leaves access public.
#define ORLO_CLASS(Name)                                                        \
 public:                                                                        \
  static ::orlo::TClass StaticClass();                                          \
  ::orlo::TClass ClassType() const override { return StaticClass(); }
