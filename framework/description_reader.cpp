#include "description_reader.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstring>

#include "collections.h"
#include "streams.h"

namespace orlo {

namespace {

// Deeper nesting (records in records, lists in lists) is taken for a broken
// stream rather than risking the stack.
constexpr int kMaxNesting = 256;
// A collection item index beyond this is taken for a broken stream, not as
// a request for that many items.
constexpr int32_t kMaxCollectionIndex = 0xFFFF;

[[noreturn]] void InvalidValue() { throw EReadError(res::SInvalidPropertyValue); }

bool IsIntegerType(TValueType t) { return t == vaInt8 || t == vaInt16 || t == vaInt32; }

// The 80-bit extended format: 64-bit significand with an explicit integer
// bit, 15-bit exponent biased by 16383, sign, little-endian.
long double ExtendedToLongDouble(const unsigned char* b) {
#if LDBL_MANT_DIG == 64
  long double v = 0;
  std::memcpy(&v, b, 10);
  return v;
#else
  uint64_t mant = 0;
  for (int i = 7; i >= 0; --i) mant = (mant << 8) | b[i];
  const int se = b[8] | (b[9] << 8);
  const int exp = se & 0x7FFF;
  long double v;
  if (exp == 0x7FFF)
    v = (mant << 1) ? NAN : INFINITY;
  else
    v = std::ldexp(static_cast<long double>(mant), (exp ? exp : 1) - 16383 - 63);
  return (se & 0x8000) ? -v : v;
#endif
}

int IndexOfName(const TEnumNames* names, const std::string& name) {
  if (!names) return -1;
  for (size_t i = 0; i < names->size(); ++i)
    if (SameTextAscii((*names)[i], name)) return static_cast<int>(i);
  return -1;
}

TFindGlobalComponent& GlobalFinder() {
  static TFindGlobalComponent finder;
  return finder;
}

}  // namespace

TFindGlobalComponent SetFindGlobalComponent(TFindGlobalComponent finder) {
  TFindGlobalComponent old = std::move(GlobalFinder());
  GlobalFinder() = std::move(finder);
  return old;
}

TComponent* FindGlobalComponent(const std::string& name) {
  const auto& finder = GlobalFinder();
  return finder && !name.empty() ? finder(name) : nullptr;
}

// Follows the components a description touches: those it created (which a
// failure destroys again) and every one that is to receive Loaded. Free
// notifications keep both lists free of components destroyed meanwhile.
class TReader::TWatch : public TComponent {
public:
  TWatch() : TComponent(nullptr) {}
  ~TWatch() override {
    for (TComponent* c : loaded) RemoveFreeNotification(c);
  }

  void Add(TComponent* c, bool created) {
    loaded.reserve(loaded.size() + 1);
    if (created) this->created.reserve(this->created.size() + 1);
    FreeNotification(c);
    loaded.push_back(c);
    if (created) this->created.push_back(c);
  }
  bool Alive(TComponent* c) const {
    return std::find(loaded.begin(), loaded.end(), c) != loaded.end();
  }
  void Forget(TComponent* c) {
    loaded.erase(std::remove(loaded.begin(), loaded.end(), c), loaded.end());
    created.erase(std::remove(created.begin(), created.end(), c), created.end());
  }
  void Notification(TComponent* c, TOperation op) override {
    if (op == TOperation::opRemove) Forget(c);
  }

  std::vector<TComponent*> loaded;   // in creation order, the root not included
  std::vector<TComponent*> created;
};

class TReader::TNesting {
public:
  explicit TNesting(TReader& reader) : reader_(reader) {
    if (++reader_.depth_ > kMaxNesting) {
      --reader_.depth_;
      throw EReadError(res::SInvalidImage);
    }
  }
  ~TNesting() { --reader_.depth_; }
  TNesting(const TNesting&) = delete;
  TNesting& operator=(const TNesting&) = delete;

private:
  TReader& reader_;
};

TReader::TReader(TStream& stream) : stream_(stream) {}
TReader::~TReader() = default;

// --- bytes ---------------------------------------------------------------------

void TReader::ReadBytes(void* buffer, size_t count) {
  if (count != 0 && stream_.Read(buffer, count) != count) throw EReadError(res::SReadError);
}

uint8_t TReader::PeekByte() {
  uint8_t b = 0;
  ReadBytes(&b, 1);
  stream_.Seek(-1, soFromCurrent);
  return b;
}

void TReader::CheckAvailable(uint64_t count) {
  const int64_t left = stream_.Size() - stream_.Position();
  if (left < 0 || count > static_cast<uint64_t>(left)) throw EReadError(res::SReadError);
}

void TReader::SkipBytes(uint64_t count) {
  CheckAvailable(count);
  stream_.Seek(static_cast<int64_t>(count), soFromCurrent);
}

std::string TReader::ReadStr() {
  uint8_t len = 0;
  ReadBytes(&len, 1);
  std::string s(len, '\0');
  ReadBytes(&s[0], len);
  return s;
}

// A 4-byte length and that many bytes; the length is checked against what
// the stream still holds before anything is allocated.
std::string TReader::ReadLongData() {
  unsigned char b[4];
  ReadBytes(b, 4);
  const uint32_t len = b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<uint32_t>(b[3]) << 24);
  CheckAvailable(len);
  std::string s(len, '\0');
  ReadBytes(&s[0], len);
  return s;
}

// --- values --------------------------------------------------------------------

TValueType TReader::NextValue() { return static_cast<TValueType>(PeekByte()); }

TValueType TReader::ReadValue() {
  uint8_t b = 0;
  ReadBytes(&b, 1);
  return static_cast<TValueType>(b);
}

int32_t TReader::ReadIntegerData(TValueType type) {
  unsigned char b[4];
  switch (type) {
    case vaInt8:
      ReadBytes(b, 1);
      return static_cast<int8_t>(b[0]);
    case vaInt16:
      ReadBytes(b, 2);
      return static_cast<int16_t>(b[0] | (b[1] << 8));
    case vaInt32:
      ReadBytes(b, 4);
      return static_cast<int32_t>(b[0] | (b[1] << 8) | (b[2] << 16) |
                                  (static_cast<uint32_t>(b[3]) << 24));
    default:
      InvalidValue();
  }
}

int32_t TReader::ReadInteger() { return ReadIntegerData(ReadValue()); }

long double TReader::ReadFloat() {
  const TValueType t = ReadValue();
  if (t == vaExtended) {
    unsigned char b[10];
    ReadBytes(b, sizeof b);
    return ExtendedToLongDouble(b);
  }
  return ReadIntegerData(t);
}

std::string TReader::ReadString() {
  switch (ReadValue()) {
    case vaString: return ReadStr();
    case vaLString: return ReadLongData();
    default: InvalidValue();
  }
}

std::string TReader::ReadIdent() {
  switch (ReadValue()) {
    case vaIdent: return ReadStr();
    case vaFalse: return "False";
    case vaTrue: return "True";
    case vaNil: return "nil";
    default: InvalidValue();
  }
}

bool TReader::ReadBoolean() {
  switch (ReadValue()) {
    case vaFalse: return false;
    case vaTrue: return true;
    default: InvalidValue();
  }
}

char TReader::ReadChar() {
  const TValueType t = NextValue();
  if (t != vaString && t != vaLString) InvalidValue();
  const std::string s = ReadString();
  if (s.size() != 1) InvalidValue();
  return s[0];
}

std::string TReader::ReadBinary() {
  if (ReadValue() != vaBinary) InvalidValue();
  return ReadLongData();
}

void TReader::ReadListBegin() {
  if (ReadValue() != vaList) InvalidValue();
}

bool TReader::EndOfList() { return NextValue() == vaNull; }

void TReader::ReadListEnd() {
  if (ReadValue() != vaNull) InvalidValue();
}

void TReader::SkipValue() {
  switch (ReadValue()) {
    case vaNull:
    case vaFalse:
    case vaTrue:
    case vaNil:
      break;
    case vaList: {
      TNesting nesting(*this);
      while (!EndOfList()) SkipValue();
      ReadListEnd();
      break;
    }
    case vaInt8: SkipBytes(1); break;
    case vaInt16: SkipBytes(2); break;
    case vaInt32: SkipBytes(4); break;
    case vaExtended: SkipBytes(10); break;
    case vaString:
    case vaIdent: {
      uint8_t len = 0;
      ReadBytes(&len, 1);
      SkipBytes(len);
      break;
    }
    case vaBinary:
    case vaLString: {
      unsigned char b[4];
      ReadBytes(b, 4);
      SkipBytes(b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<uint32_t>(b[3]) << 24));
      break;
    }
    case vaSet:
      while (!ReadStr().empty()) {}
      break;
    case vaCollection: {
      TNesting nesting(*this);
      while (!EndOfList()) {
        if (IsIntegerType(NextValue())) SkipValue();
        ReadListBegin();
        while (!EndOfList()) {
          ReadStr();
          SkipValue();
        }
        ReadListEnd();
      }
      ReadListEnd();
      break;
    }
    default:
      InvalidValue();
  }
}

void TReader::ReadCollection(TCollection* collection) {
  if (ReadValue() != vaCollection || !collection) InvalidValue();
  TNesting nesting(*this);
  int32_t next = 0;
  while (!EndOfList()) {
    int32_t index = next;
    if (IsIntegerType(NextValue())) index = ReadInteger();
    if (index < 0 || index > kMaxCollectionIndex) InvalidValue();
    while (collection->Count() <= index) collection->Add();
    TCollectionItem* item = collection->Items(index);
    ReadListBegin();
    while (!EndOfList()) ReadProperty(item, ReadStr());
    ReadListEnd();
    next = index + 1;
  }
  ReadListEnd();
}

// --- records -------------------------------------------------------------------

void TReader::ReadSignature() {
  char sig[4] = {};
  if (stream_.Read(sig, 4) != 4 || std::memcmp(sig, "TPF0", 4) != 0)
    throw EReadError(res::SInvalidImage);
}

void TReader::ReadPrefix(uint8_t& flags, int32_t& childPos) {
  flags = 0;
  childPos = -1;
  const uint8_t b = PeekByte();
  if (b < 0xF0) return;
  ReadBytes(&flags, 1);
  flags &= 0x0F;
  if (flags & ffChildPos) childPos = ReadInteger();
}

std::string TReader::UniqueRootName(const std::string& name) const {
  TComponent* owner = root_->Owner();
  if (!owner || name.empty()) return name;
  std::string candidate = name;
  for (int n = 1;; ++n) {
    TComponent* other = owner->FindComponent(candidate);
    if (!other || other == root_) return candidate;
    candidate = Format("%s_%d", name, n);
  }
}

void TReader::ReadRootComponent(TComponent* root) {
  if (!root) throw EReadError(res::SReadError);
  root_ = root;
  current_ = root;
  fixups_.clear();
  depth_ = 0;
  watch_ = std::make_unique<TWatch>();
  try {
    ReadSignature();
    uint8_t flags = 0;
    int32_t childPos = -1;
    ReadPrefix(flags, childPos);  // neither flag means anything for the root
    ReadStr();                    // its class: the root exists already
    const std::string name = ReadStr();
    root->SetName(UniqueRootName(name));
    root->SetState(csLoading | csReading);
    ReadProperties(root);
    ReadChildren(root);
    FinishReading();
  } catch (const EReadError&) {
    Abandon();
    throw;
  } catch (const EAbort&) {
    Abandon();
    throw;
  } catch (const Exception& e) {
    // A setter's own failure (a bad name, a bad value) stops the reading
    // like any other error in the description.
    Abandon();
    throw EReadError(e.Message());
  } catch (...) {
    Abandon();
    throw;
  }
  watch_.reset();
  root_ = current_ = nullptr;
}

void TReader::FinishReading() {
  root_->ClearState(csReading);
  for (TComponent* c : watch_->loaded) c->ClearState(csReading);
  // Loaded may create or destroy components: walk a copy and skip the dead.
  const std::vector<TComponent*> order = watch_->loaded;
  root_->Loaded();
  for (TComponent* c : order)
    if (watch_->Alive(c)) c->Loaded();
  for (const TFixup& f : fixups_) {
    TComponent* target = FindReference(f.name);
    if (!target) throw EReadError(Format(res::SUnresolvedReference, f.name));
    if (f.prop->RefClass && !target->InheritsFrom(f.prop->RefClass())) InvalidValue();
    f.prop->SetObj(f.instance, target);
  }
  fixups_.clear();
}

void TReader::Abandon() noexcept {
  fixups_.clear();
  if (watch_) {
    // What the description created goes, the latest first; components that
    // were already there lose their marks.
    while (!watch_->created.empty()) {
      TComponent* c = watch_->created.back();
      c->Free();
      watch_->Forget(c);
    }
    for (TComponent* c : watch_->loaded) c->ClearState(csLoading | csReading);
    watch_.reset();
  }
  if (root_) root_->ClearState(csLoading | csReading);
  root_ = current_ = nullptr;
  depth_ = 0;
}

void TReader::ReadChildren(TComponent* parent) {
  TNesting nesting(*this);
  while (!EndOfList()) ReadComponent(parent);
  ReadListEnd();
}

void TReader::ReadComponent(TComponent* parent) {
  uint8_t flags = 0;
  int32_t childPos = -1;
  ReadPrefix(flags, childPos);
  const std::string className = ReadStr();
  const std::string name = ReadStr();

  TComponent* c = nullptr;
  const bool created = !(flags & ffInherited);
  if (!created) {
    c = root_->FindComponent(name);
    if (!c) throw EReadError(Format(res::SAncestorNotFound, name));
    if (!c->Loading()) {
      watch_->Add(c, false);
      c->SetState(csLoading | csReading);
    }
  } else {
    TClass cls = FindClass(className);
    if (cls && cls->Create) c = cls->Create(root_);
    if (!c) throw EClassNotFound(Format(res::SClassNotFound, className));
    try {
      watch_->Add(c, true);
    } catch (...) {
      c->Free();
      throw;
    }
    c->SetState(csLoading | csReading);
  }

  TComponent* outer = current_;
  current_ = c;
  try {
    c->SetParentComponent(parent);
    if (created) c->SetName(name);
    ReadProperties(c);
    ReadChildren(c);
    if (flags & ffChildPos) parent->SetChildOrder(c, childPos);
  } catch (...) {
    current_ = outer;
    if (created && watch_->Alive(c)) {
      c->Free();
      watch_->Forget(c);
    }
    throw;
  }
  current_ = outer;
}

void TReader::ReadProperties(TComponent* component) {
  while (!EndOfList()) {
    const std::string path = ReadStr();
    ReadProperty(component, path);
    component->PropertyRead(path);
  }
  ReadListEnd();
}

// --- properties ----------------------------------------------------------------

void TReader::ReadProperty(TPersistent* instance, const std::string& path) {
  TPersistent* target = instance;
  size_t start = 0;
  for (size_t dot; (dot = path.find('.', start)) != std::string::npos; start = dot + 1) {
    const TPropInfo* p = target->ClassType()->FindProp(path.substr(start, dot - start));
    if (!p) throw EReadError(res::SUnknownProperty);
    TPersistent* sub = nullptr;
    if (p->Kind == TPropKind::Class && p->GetObj) sub = Cast<TPersistent>(p->GetObj(target));
    if (!sub) throw EReadError(res::SInvalidPropertyPath);
    target = sub;
  }
  const std::string name = path.substr(start);
  if (const TPropInfo* p = target->ClassType()->FindProp(name))
    ReadPropValue(target, *p);
  else if (!target->ReadDefinedProperty(name, *this))
    throw EReadError(res::SUnknownProperty);
}

void TReader::ReadPropValue(TPersistent* instance, const TPropInfo& prop) {
  const TValueType next = NextValue();
  // A collection is read into the object the property holds; like every
  // other value it needs a property that can be written.
  if (prop.Kind == TPropKind::Class && next == vaCollection) {
    if (!prop.SetObj) throw EReadError(res::SReadOnlyProperty);
    TCollection* collection = prop.GetObj ? Cast<TCollection>(prop.GetObj(instance)) : nullptr;
    if (!collection) InvalidValue();
    ReadCollection(collection);
    return;
  }

  switch (prop.Kind) {
    case TPropKind::Integer: {
      if (!prop.SetOrd) throw EReadError(res::SReadOnlyProperty);
      int32_t v = 0;
      if (IsIntegerType(next)) {
        v = ReadInteger();
      } else if (next == vaIdent && prop.Idents) {
        if (!prop.Idents->ToInt(ReadIdent(), v)) InvalidValue();
      } else {
        InvalidValue();
      }
      prop.SetOrd(instance, v);
      break;
    }
    case TPropKind::Char: {
      if (!prop.SetOrd) throw EReadError(res::SReadOnlyProperty);
      prop.SetOrd(instance, static_cast<unsigned char>(ReadChar()));
      break;
    }
    case TPropKind::Enumeration: {
      if (!prop.SetOrd) throw EReadError(res::SReadOnlyProperty);
      if (next != vaIdent && next != vaFalse && next != vaTrue) InvalidValue();
      const int index = IndexOfName(prop.Names, ReadIdent());
      if (index < 0) InvalidValue();
      prop.SetOrd(instance, index);
      break;
    }
    case TPropKind::Float: {
      if (!prop.SetFloat) throw EReadError(res::SReadOnlyProperty);
      prop.SetFloat(instance, ReadFloat());
      break;
    }
    case TPropKind::String: {
      if (!prop.SetStr) throw EReadError(res::SReadOnlyProperty);
      prop.SetStr(instance, ReadString());
      break;
    }
    case TPropKind::Set: {
      if (!prop.SetOrd) throw EReadError(res::SReadOnlyProperty);
      if (ReadValue() != vaSet) InvalidValue();
      uint32_t bits = 0;
      for (std::string element; !(element = ReadStr()).empty();) {
        const int bit = IndexOfName(prop.Names, element);
        if (bit < 0 || bit > 31) InvalidValue();
        bits |= 1u << bit;
      }
      prop.SetOrd(instance, bits);
      break;
    }
    case TPropKind::Class: {
      if (!prop.SetObj) throw EReadError(res::SReadOnlyProperty);
      if (ReadValue() != vaNil) InvalidValue();
      prop.SetObj(instance, nullptr);
      break;
    }
    case TPropKind::Component: {
      if (!prop.SetObj) throw EReadError(res::SReadOnlyProperty);
      if (next == vaNil) {
        ReadValue();
        prop.SetObj(instance, nullptr);
      } else if (next == vaIdent || next == vaFalse || next == vaTrue) {
        // The false and true values name components "False" and "True".
        fixups_.push_back(TFixup{instance, &prop, ReadIdent()});
      } else {
        InvalidValue();
      }
      break;
    }
    case TPropKind::Method:
      ReadMethod(instance, prop);
      break;
  }
}

// An event is bound to a published method of the root's class, with the
// root as its object.
void TReader::ReadMethod(TPersistent* instance, const TPropInfo& prop) {
  if (!prop.SetMethod) throw EReadError(res::SReadOnlyProperty);
  if (NextValue() == vaNil) {
    ReadValue();
    prop.SetMethod(instance, TMethod());
    return;
  }
  const TMethodInfo* m = root_->ClassType()->FindMethod(ReadIdent());
  if (!m || !m->Prototype.Signature || !prop.EventSignature ||
      *m->Prototype.Signature != *prop.EventSignature)
    InvalidValue();
  TMethod bound = m->Prototype;
  bound.Data = root_;
  prop.SetMethod(instance, bound);
}

TComponent* TReader::FindReference(const std::string& name) const {
  const size_t dot = name.find('.');
  if (dot == std::string::npos) {
    if (TComponent* c = root_->FindComponent(name)) return c;
    return !name.empty() && SameTextAscii(name, root_->Name()) ? root_ : nullptr;
  }
  const std::string ownerName = name.substr(0, dot);
  if (ownerName.empty()) return nullptr;
  TComponent* owner =
      SameTextAscii(ownerName, root_->Name()) ? root_ : FindGlobalComponent(ownerName);
  return owner ? owner->FindComponent(name.substr(dot + 1)) : nullptr;
}

}  // namespace orlo
