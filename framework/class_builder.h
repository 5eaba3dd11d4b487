// Declaring a class's published properties, methods and fields, one line each:
//
//   ORLO_DEFINE_CLASS(TLabel, TCustomLabel) {
//     p.Enum("Alignment", &TLabel::Alignment, &TLabel::SetAlignment, AlignmentNames(), taLeftJustify);
//     p.Bool("AutoSize", &TLabel::AutoSize, &TLabel::SetAutoSize, true);
//   }
//
// Getters and setters may be member functions or data members.
#pragma once
#include <functional>
#include <initializer_list>
#include <type_traits>

#include "classes.h"

namespace orlo {

const TEnumNames& BooleanNames();  // "False", "True"

namespace detail {

template <class S>
struct SetterArg;
template <class C, class P>
struct SetterArg<void (C::*)(P)> { using type = std::decay_t<P>; };
template <class C, class P>
struct SetterArg<P C::*> { using type = P; };

template <class T, class G>
decltype(auto) Get(TObject* o, G g) {
  return std::invoke(g, static_cast<T*>(o));
}
template <class T, class S, class V>
void Put(TObject* o, S s, V&& v) {
  if constexpr (std::is_member_object_pointer_v<S>)
    static_cast<T*>(o)->*s = std::forward<V>(v);
  else
    std::invoke(s, static_cast<T*>(o), std::forward<V>(v));
}

// Sets are small classes with Bits()/FromBits(), or plain unsigned integers.
template <class V>
int64_t ToOrd(const V& v) {
  if constexpr (std::is_enum_v<V> || std::is_integral_v<V>)
    return static_cast<int64_t>(v);
  else
    return static_cast<int64_t>(v.Bits());
}
template <class V>
V FromOrd(int64_t v) {
  if constexpr (std::is_enum_v<V> || std::is_integral_v<V>)
    return static_cast<V>(v);
  else
    return V::FromBits(static_cast<uint32_t>(v));
}

}  // namespace detail

template <class T>
class TClassBuilder {
public:
  explicit TClassBuilder(TClassInfo& info) : info_(info) {}

  // Publishes only these of the ancestors' properties (in any class that
  // declares this, before or after its own).
  TClassBuilder& Inherited(std::initializer_list<const char*> names) {
    info_.NarrowsInherited = true;
    for (const char* n : names) info_.InheritedProps.emplace_back(n);
    return *this;
  }

  template <class G, class S = std::nullptr_t>
  TClassBuilder& Int(const char* name, G get, S set = nullptr,
                     std::optional<int64_t> def = std::nullopt, const TIdentMap* idents = nullptr) {
    TPropInfo& p = Ordinal(name, TPropKind::Integer, get, set, def);
    p.Idents = idents;
    return *this;
  }
  template <class G, class S>
  TClassBuilder& Char(const char* name, G get, S set, std::optional<int64_t> def = std::nullopt) {
    Ordinal(name, TPropKind::Char, get, set, def);
    return *this;
  }
  template <class G, class S>
  TClassBuilder& Enum(const char* name, G get, S set, const TEnumNames& names,
                      std::optional<int64_t> def = std::nullopt) {
    Ordinal(name, TPropKind::Enumeration, get, set, def).Names = &names;
    return *this;
  }
  template <class G, class S>
  TClassBuilder& Bool(const char* name, G get, S set, std::optional<bool> def = std::nullopt) {
    std::optional<int64_t> d;
    if (def) d = *def ? 1 : 0;
    Ordinal(name, TPropKind::Enumeration, get, set, d).Names = &BooleanNames();
    return *this;
  }
  template <class G, class S>
  TClassBuilder& Set(const char* name, G get, S set, const TEnumNames& elements,
                     std::optional<int64_t> def = std::nullopt) {
    Ordinal(name, TPropKind::Set, get, set, def).Names = &elements;
    return *this;
  }
  template <class G, class S>
  TClassBuilder& Float(const char* name, G get, S set) {
    TPropInfo& p = Add(name, TPropKind::Float);
    p.GetFloat = [get](TObject* o) { return static_cast<long double>(detail::Get<T>(o, get)); };
    if constexpr (!std::is_null_pointer_v<S>) {
      using V = typename detail::SetterArg<S>::type;
      p.SetFloat = [set](TObject* o, long double v) { detail::Put<T>(o, set, static_cast<V>(v)); };
    }
    return *this;
  }
  template <class G, class S = std::nullptr_t>
  TClassBuilder& String(const char* name, G get, S set = nullptr) {
    TPropInfo& p = Add(name, TPropKind::String);
    p.GetStr = [get](TObject* o) { return std::string(detail::Get<T>(o, get)); };
    if constexpr (!std::is_null_pointer_v<S>)
      p.SetStr = [set](TObject* o, const std::string& v) { detail::Put<T>(o, set, v); };
    return *this;
  }
  // A sub-object (a font, a string list ...); the setter, when given, assigns.
  template <class G, class S = std::nullptr_t>
  TClassBuilder& Object(const char* name, G get, S set = nullptr) {
    TPropInfo& p = Add(name, TPropKind::Class);
    using V = std::remove_pointer_t<std::decay_t<decltype(detail::Get<T>(nullptr, get))>>;
    p.RefClass = &V::StaticClass;
    p.GetObj = [get](TObject* o) -> TObject* { return detail::Get<T>(o, get); };
    if constexpr (!std::is_null_pointer_v<S>)
      p.SetObj = [set](TObject* o, TObject* v) { detail::Put<T>(o, set, static_cast<V*>(v)); };
    return *this;
  }
  // A reference to another component, resolved by name after reading.
  template <class G, class S>
  TClassBuilder& Component(const char* name, G get, S set) {
    TPropInfo& p = Add(name, TPropKind::Component);
    using V = std::remove_pointer_t<typename detail::SetterArg<S>::type>;
    p.RefClass = &V::StaticClass;
    p.GetObj = [get](TObject* o) -> TObject* { return detail::Get<T>(o, get); };
    p.SetObj = [set](TObject* o, TObject* v) { detail::Put<T>(o, set, static_cast<V*>(v)); };
    return *this;
  }
  // An event: a TEvent data member, or a getter/setter pair of TEvent.
  template <class E, class C>
  TClassBuilder& Event(const char* name, E C::*field) {
    return EventImpl<E>(name, field, field);
  }
  template <class G, class S>
  TClassBuilder& Event(const char* name, G get, S set) {
    using E = typename detail::SetterArg<S>::type;
    return EventImpl<E>(name, get, set);
  }

  template <class C, class R, class... A>
  TClassBuilder& Method(const char* name, R (C::*member)(A...)) {
    TEvent<R(A...)> prototype(static_cast<C*>(nullptr), member);
    info_.Methods.push_back(TMethodInfo{name, prototype.Method()});
    return *this;
  }

  template <class V>
  TClassBuilder& Field(const char* name, V* T::*field) {
    TFieldInfo f;
    f.Name = name;
    f.FieldClass = V::StaticClass();
    f.Set = [field](TObject* owner, TObject* value) {
      static_cast<T*>(owner)->*field = static_cast<V*>(value);
    };
    info_.Fields.push_back(std::move(f));
    return *this;
  }

private:
  TPropInfo& Add(const char* name, TPropKind kind) {
    info_.Props.emplace_back();
    TPropInfo& p = info_.Props.back();
    p.Name = name;
    p.Kind = kind;
    return p;
  }
  template <class G, class S>
  TPropInfo& Ordinal(const char* name, TPropKind kind, G get, S set, std::optional<int64_t> def) {
    TPropInfo& p = Add(name, kind);
    p.Default = def;
    p.GetOrd = [get](TObject* o) { return detail::ToOrd(detail::Get<T>(o, get)); };
    if constexpr (!std::is_null_pointer_v<S>) {
      using V = typename detail::SetterArg<S>::type;
      p.SetOrd = [set](TObject* o, int64_t v) { detail::Put<T>(o, set, detail::FromOrd<V>(v)); };
    }
    return p;
  }
  template <class E, class G, class S>
  TClassBuilder& EventImpl(const char* name, G get, S set) {
    TPropInfo& p = Add(name, TPropKind::Method);
    p.EventSignature = &typeid(typename E::Signature);
    p.GetMethod = [get](TObject* o) { return E(detail::Get<T>(o, get)).Method(); };
    p.SetMethod = [set](TObject* o, const TMethod& m) {
      E e;
      if (!e.SetMethod(m)) throw EInvalidCast(res::SInvalidCast);
      detail::Put<T>(o, set, e);
    };
    return *this;
  }

  TClassInfo& info_;
};

template <class T>
TComponent* CreateInstance(TComponent* owner) {
  if constexpr (std::is_constructible_v<T, TComponent*> && !std::is_abstract_v<T>)
    return new T(owner);
  else
    return nullptr;
}
template <class T>
constexpr bool kCreatable = std::is_constructible_v<T, TComponent*> && !std::is_abstract_v<T>;

}  // namespace orlo

// In a .cpp, at namespace scope: defines Name::StaticClass(), registers the
// class, and opens the block that declares its published members with `p`.
#define ORLO_DEFINE_CLASS(Cls, ParentCls)                                    \
  static void Cls##_Describe(::orlo::TClassBuilder<Cls>& p);                 \
  ::orlo::TClass Cls::StaticClass() {                                         \
    static const ::orlo::TClassInfo info = [] {                                \
      ::orlo::TClassInfo i;                                                    \
      i.Name = #Cls;                                                          \
      i.Parent = ParentCls::StaticClass();                                    \
      if constexpr (::orlo::kCreatable<Cls>) i.Create = &::orlo::CreateInstance<Cls>; \
      ::orlo::TClassBuilder<Cls> b(i);                                        \
      Cls##_Describe(b);                                                      \
      return i;                                                                \
    }();                                                                       \
    return &info;                                                              \
  }                                                                            \
  static const ::orlo::TClassRegistrar Cls##_registrar(&Cls::StaticClass);   \
  static void Cls##_Describe([[maybe_unused]] ::orlo::TClassBuilder<Cls>& p)
