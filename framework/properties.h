// Descriptions of published properties, methods and fields.
#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <typeinfo>
#include <vector>

#include "events.h"

namespace orlo {

class TObject;
struct TClassInfo;
using TClass = const TClassInfo*;

enum class TPropKind { Integer, Char, Enumeration, Float, String, Set, Class, Component, Method };

// Names of an enumeration's values (ordinal = index) or of a set's elements (bit = index).
using TEnumNames = std::vector<std::string>;

// Identifier names for integer properties (colours, cursors, character sets).
struct TIdentMapEntry {
  int32_t Value;
  const char* Name;
};
class TIdentMap {
public:
  TIdentMap(std::initializer_list<TIdentMapEntry> entries) : entries_(entries) {}
  bool ToInt(const std::string& name, int32_t& value) const;  // names ignore letter case
  bool ToIdent(int32_t value, std::string& name) const;
private:
  std::vector<TIdentMapEntry> entries_;
};

struct TPropInfo {
  std::string Name;
  TPropKind Kind = TPropKind::Integer;
  std::optional<int64_t> Default;                 // ordinal kinds only; none = always stored
  const TEnumNames* Names = nullptr;              // enumeration values / set elements
  const TIdentMap* Idents = nullptr;              // integer identifiers
  // Class of an object or component property. A function, as a class's
  // description may refer to the class itself (or a descendant) and is
  // built before that class's description exists.
  TClass (*RefClass)() = nullptr;
  const std::type_info* EventSignature = nullptr; // method properties

  // Accessors, by kind. A missing setter makes the property read-only.
  std::function<int64_t(TObject*)> GetOrd;        // Integer, Char, Enumeration, Set
  std::function<void(TObject*, int64_t)> SetOrd;
  std::function<long double(TObject*)> GetFloat;
  std::function<void(TObject*, long double)> SetFloat;
  std::function<std::string(TObject*)> GetStr;
  std::function<void(TObject*, const std::string&)> SetStr;
  std::function<TObject*(TObject*)> GetObj;       // Class, Component
  std::function<void(TObject*, TObject*)> SetObj;
  std::function<TMethod(TObject*)> GetMethod;
  std::function<void(TObject*, const TMethod&)> SetMethod;

  bool Writable() const {
    return SetOrd || SetFloat || SetStr || SetObj || SetMethod;
  }
};

// A published method: the closure with no object yet; binding fills in Data.
struct TMethodInfo {
  std::string Name;
  TMethod Prototype;
};

// A published component field (a form's controls): set when a component of
// that name is created in the form, cleared when it goes away.
struct TFieldInfo {
  std::string Name;
  TClass FieldClass = nullptr;
  std::function<void(TObject* owner, TObject* value)> Set;
};

}  // namespace orlo
