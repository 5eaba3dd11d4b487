#include "classes.h"

#include <map>

#include "class_builder.h"

namespace orlo {

namespace {
bool SameName(const char* a, const std::string& b) { return SameTextAscii(a, b); }
}  // namespace

bool TIdentMap::ToInt(const std::string& name, int32_t& value) const {
  for (const auto& e : entries_)
    if (SameName(e.Name, name)) {
      value = e.Value;
      return true;
    }
  return false;
}

bool TIdentMap::ToIdent(int32_t value, std::string& name) const {
  for (const auto& e : entries_)
    if (e.Value == value) {
      name = e.Name;
      return true;
    }
  return false;
}

const TEnumNames& BooleanNames() {
  static const TEnumNames names{"False", "True"};
  return names;
}

// Name lookups of one class and its ancestors, built on first use.
struct TClassIndex {
  std::map<std::string, const TPropInfo*> props;
  std::map<std::string, const TMethodInfo*> methods;
  std::map<std::string, const TFieldInfo*> fields;
  std::vector<const TPropInfo*> all;
};

static void NarrowTo(TClassIndex& idx, const std::vector<std::string>& keep) {
  std::map<std::string, const TPropInfo*> props;
  for (const std::string& name : keep) {
    auto it = idx.props.find(UpperCaseAscii(name));
    if (it != idx.props.end()) props.insert(*it);
  }
  std::vector<const TPropInfo*> all;
  for (const TPropInfo* p : idx.all)
    if (props.count(UpperCaseAscii(p->Name))) all.push_back(p);
  idx.props = std::move(props);
  idx.all = std::move(all);
}

const TClassIndex& TClassInfo::Index() const {
  if (!index_) {
    auto idx = std::make_shared<TClassIndex>();
    std::vector<const TClassInfo*> chain;
    for (const TClassInfo* c = this; c; c = c->Parent) chain.insert(chain.begin(), c);
    // Ancestors first, so a class's own declaration replaces an inherited one.
    for (const TClassInfo* c : chain) {
      if (c->NarrowsInherited) NarrowTo(*idx, c->InheritedProps);
      for (const auto& p : c->Props) {
        auto key = UpperCaseAscii(p.Name);
        auto it = idx->props.find(key);
        if (it != idx->props.end()) {
          for (auto& a : idx->all)
            if (a == it->second) a = &p;
        } else {
          idx->all.push_back(&p);
        }
        idx->props[key] = &p;
      }
      for (const auto& m : c->Methods) idx->methods[UpperCaseAscii(m.Name)] = &m;
      for (const auto& f : c->Fields) idx->fields[UpperCaseAscii(f.Name)] = &f;
    }
    index_ = idx;
  }
  return *index_;
}

bool TClassInfo::InheritsFrom(TClass other) const {
  for (const TClassInfo* c = this; c; c = c->Parent)
    if (c == other) return true;
  return false;
}

template <class M>
static auto Lookup(const M& map, const std::string& name) -> typename M::mapped_type {
  auto it = map.find(UpperCaseAscii(name));
  return it == map.end() ? nullptr : it->second;
}

const TPropInfo* TClassInfo::FindProp(const std::string& name) const {
  return Lookup(Index().props, name);
}
const TMethodInfo* TClassInfo::FindMethod(const std::string& name) const {
  return Lookup(Index().methods, name);
}
const TFieldInfo* TClassInfo::FindField(const std::string& name) const {
  return Lookup(Index().fields, name);
}
std::vector<const TPropInfo*> TClassInfo::AllProps() const { return Index().all; }

TClass TObject::StaticClass() {
  static const TClassInfo info = [] {
    TClassInfo i;
    i.Name = "TObject";
    return i;
  }();
  return &info;
}

ORLO_DEFINE_CLASS(TPersistent, TObject) {}

void TPersistent::Assign(TPersistent* source) {
  throw EConvertError(Format(res::SAssignError,
                             source ? source->ClassName() : std::string("nil"), ClassName()));
}

namespace {
std::map<std::string, TClass>& Registry() {
  static std::map<std::string, TClass> registry;
  return registry;
}
}  // namespace

void RegisterComponentClass(TClass c) { Registry()[UpperCaseAscii(c->Name)] = c; }

TClass FindClass(const std::string& name) {
  auto it = Registry().find(UpperCaseAscii(name));
  return it == Registry().end() ? nullptr : it->second;
}

}  // namespace orlo
