// Typed event closures: an object and one of its member functions.
#pragma once
#include <cstring>
#include <typeinfo>
#include <utility>

namespace orlo {

class TObject;

// The untyped form of a closure, as published-method tables and the
// description reader handle it. Data is the object; Code holds the bytes of
// the member-function pointer and Invoker the typed trampoline that calls it.
struct TMethod {
  using GenericFn = void (*)();
  TObject* Data = nullptr;
  GenericFn Invoker = nullptr;
  const std::type_info* Signature = nullptr;
  alignas(void*) unsigned char Code[16] = {};

  bool Assigned() const { return Invoker != nullptr; }
  bool operator==(const TMethod& o) const {
    return Data == o.Data && Invoker == o.Invoker && std::memcmp(Code, o.Code, sizeof Code) == 0;
  }
  bool operator!=(const TMethod& o) const { return !(*this == o); }
};

template <class Sig>
class TEvent;

template <class R, class... A>
class TEvent<R(A...)> {
public:
  using Signature = R(A...);

  TEvent() = default;
  TEvent(std::nullptr_t) {}
  template <class C>
  TEvent(C* object, R (C::*member)(A...)) {
    static_assert(sizeof(member) <= sizeof(TMethod::Code), "member pointer too large");
    method_.Data = object;
    method_.Invoker = reinterpret_cast<TMethod::GenericFn>(&Call<C>);
    method_.Signature = &typeid(Signature);
    std::memcpy(method_.Code, &member, sizeof(member));
  }

  explicit operator bool() const { return method_.Assigned(); }
  R operator()(A... args) const {
    auto invoker = reinterpret_cast<R (*)(const TMethod&, A...)>(method_.Invoker);
    return invoker(method_, std::forward<A>(args)...);
  }

  const TMethod& Method() const { return method_; }
  // Takes an untyped closure; false when its signature is not this event's.
  bool SetMethod(const TMethod& m) {
    if (m.Assigned() && (m.Signature == nullptr || *m.Signature != typeid(Signature)))
      return false;
    method_ = m;
    return true;
  }
  void Clear() { method_ = TMethod(); }
  TObject* Object() const { return method_.Data; }

  bool operator==(const TEvent& o) const { return method_ == o.method_; }
  bool operator!=(const TEvent& o) const { return !(method_ == o.method_); }

private:
  template <class C>
  static R Call(const TMethod& m, A... args) {
    R (C::*member)(A...);
    std::memcpy(&member, m.Code, sizeof(member));
    return (static_cast<C*>(m.Data)->*member)(std::forward<A>(args)...);
  }

  TMethod method_;
};

using TNotifyEvent = TEvent<void(TObject*)>;

}  // namespace orlo
