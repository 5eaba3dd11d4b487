#include "strings.h"

#include "class_builder.h"
#include "description_reader.h"
#include "resource_strings.h"
#include "streams.h"
#include "sysutils.h"

namespace orlo {

ORLO_DEFINE_CLASS(TStrings, TPersistent) {}
ORLO_DEFINE_CLASS(TStringList, TStrings) {}

// --- TStrings ----------------------------------------------------------------

void TStrings::IndexError() { throw EStringListError(res::SListIndexError); }

int TStrings::Add(const std::string& s) {
  const int index = GetCount();
  Insert(index, s);
  return index;
}

void TStrings::AddStrings(const TStrings& strings) {
  BeginUpdate();
  try {
    const int n = strings.Count();
    for (int i = 0; i < n; ++i) Add(strings.Get(i));
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

void TStrings::Put(int index, const std::string& s) {
  BeginUpdate();
  try {
    Delete(index);
    Insert(index, s);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

int TStrings::IndexOf(const std::string& s) const {
  const int n = GetCount();
  for (int i = 0; i < n; ++i)
    if (Get(i) == s) return i;
  return -1;
}

std::string TStrings::Text() const {
  std::string text;
  const int n = GetCount();
  for (int i = 0; i < n; ++i) {
    text += Get(i);
    text += "\r\n";
  }
  return text;
}

void TStrings::SetText(const std::string& text) {
  const size_t end = text.find('\0') == std::string::npos ? text.size() : text.find('\0');
  BeginUpdate();
  try {
    Clear();
    size_t p = 0;
    while (p < end) {
      const size_t start = p;
      while (p < end && text[p] != '\r' && text[p] != '\n') ++p;
      Add(text.substr(start, p - start));
      if (p < end && text[p] == '\r') ++p;
      if (p < end && text[p] == '\n') ++p;
    }
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

void TStrings::LoadFromFile(const std::string& fileName) {
  TFileStream stream(fileName, fmOpenRead | fmShareExclusive);
  LoadFromStream(stream);
}

void TStrings::SaveToFile(const std::string& fileName) const {
  ReplaceFileContent(fileName, [this](TStream& stream) { SaveToStream(stream); });
}

void TStrings::LoadFromStream(TStream& stream) {
  // Refused before anything is allocated: the lines stay as they were.
  std::string text;
  text.resize(SizeToLoad(stream, text.max_size()));
  stream.ReadBuffer(&text[0], text.size());
  SetText(text);
}

void TStrings::SaveToStream(TStream& stream) const {
  const std::string text = Text();
  stream.WriteBuffer(text.data(), text.size());
}

void TStrings::Assign(TPersistent* source) {
  TStrings* strings = Cast<TStrings>(source);
  if (!strings) {
    TPersistent::Assign(source);
    return;
  }
  if (strings == this) return;
  BeginUpdate();
  try {
    Clear();
    AddStrings(*strings);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

bool TStrings::ReadDefinedProperty(const std::string& name, TReader& reader) {
  if (!SameTextAscii(name, "Strings")) return TPersistent::ReadDefinedProperty(name, reader);
  reader.ReadListBegin();
  BeginUpdate();
  try {
    Clear();
    while (!reader.EndOfList()) Add(reader.ReadString());
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
  reader.ReadListEnd();
  return true;
}

// SetUpdateState runs while the count is 0, so that the hook reports like a
// change outside any update.
void TStrings::BeginUpdate() {
  if (updateCount_ == 0) SetUpdateState(true);
  ++updateCount_;
}

void TStrings::EndUpdate() {
  if (updateCount_ == 0) return;  // unbalanced: nothing to end
  if (--updateCount_ == 0) SetUpdateState(false);
}

// --- TStringList ---------------------------------------------------------------

std::string TStringList::Get(int index) const {
  if (index < 0 || index >= GetCount()) IndexError();
  return items_[static_cast<size_t>(index)];
}

void TStringList::Insert(int index, const std::string& s) {
  if (index < 0 || index > GetCount()) IndexError();
  Changing();
  items_.insert(items_.begin() + index, s);
  Changed();
}

void TStringList::Delete(int index) {
  if (index < 0 || index >= GetCount()) IndexError();
  Changing();
  items_.erase(items_.begin() + index);
  Changed();
}

void TStringList::Clear() {
  if (items_.empty()) return;
  Changing();
  items_.clear();
  Changed();
}

void TStringList::Put(int index, const std::string& s) {
  if (index < 0 || index >= GetCount()) IndexError();
  Changing();
  items_[static_cast<size_t>(index)] = s;
  Changed();
}

void TStringList::SetUpdateState(bool updating) {
  if (updating)
    Changing();
  else
    Changed();
}

void TStringList::Changing() {
  if (UpdateCount() == 0 && OnChanging) OnChanging(this);
}

void TStringList::Changed() {
  if (UpdateCount() == 0 && OnChange) OnChange(this);
}

}  // namespace orlo
