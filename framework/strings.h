// Lists of text lines: the abstract TStrings and the plain TStringList.
#pragma once
#include <string>
#include <vector>

#include "classes.h"
#include "events.h"

namespace orlo {

class TStream;

// The common surface of every list of strings. A derived class stores the
// lines (in memory, or in a platform control such as a list box or a memo)
// and implements Get, GetCount, Insert, Delete and Clear; everything else is
// built on those.
//
// Text form: setting Text splits at CR, LF or CR LF (one line end each; LF CR
// is two), stops at the first NUL byte, keeps a last line without a line end
// and adds no entry for a line end at the very end. Getting Text puts CR LF
// after every entry.
class TStrings : public TPersistent {
  ORLO_CLASS(TStrings)
public:
  int Count() const { return GetCount(); }
  // Entry i. TStringList raises EStringListError for an index outside the
  // list; a derived list checks its indexes through IndexError().
  std::string Strings(int index) const { return Get(index); }
  void SetStrings(int index, const std::string& s) { Put(index, s); }
  std::string operator[](int index) const { return Get(index); }

  // Appends s and returns its index.
  virtual int Add(const std::string& s);
  void AddStrings(const TStrings& strings);
  virtual void Insert(int index, const std::string& s) = 0;
  virtual void Delete(int index) = 0;
  virtual void Clear() = 0;
  // The index of the first entry equal to s, byte for byte (letter case
  // counts); -1 when there is none.
  virtual int IndexOf(const std::string& s) const;

  std::string Text() const;
  virtual void SetText(const std::string& text);

  // The file is opened for reading without sharing; failing that,
  // EFOpenError names it. All its bytes are taken as Text.
  void LoadFromFile(const std::string& fileName);
  // Writes Text (CR LF after every entry; nothing for an empty list). The
  // file's former content survives every failure: EFCreateError when the
  // file cannot be replaced (read-only, a folder, open elsewhere),
  // EWriteError when the writing fails.
  void SaveToFile(const std::string& fileName) const;
  // From the stream's position to its end.
  void LoadFromStream(TStream& stream);
  void SaveToStream(TStream& stream) const;

  // Replaces the entries by those of another list; any other source is
  // refused by TPersistent.
  void Assign(TPersistent* source) override;

  // Changes between BeginUpdate and the matching EndUpdate are reported as
  // one: SetUpdateState(true) at the outermost BeginUpdate, false at its end.
  void BeginUpdate();
  void EndUpdate();
  int UpdateCount() const { return updateCount_; }

  // "Strings" in a window description: a list of strings that replaces the
  // entries. Other names go to TPersistent.
  bool ReadDefinedProperty(const std::string& name, TReader& reader) override;

protected:
  virtual std::string Get(int index) const = 0;
  virtual int GetCount() const = 0;
  // Replaces entry index; by default a Delete followed by an Insert.
  virtual void Put(int index, const std::string& s);
  virtual void SetUpdateState(bool updating) {}
  // Raises EStringListError "ﾘｽﾄのｲﾝﾃﾞｯｸｽが範囲を超えています".
  [[noreturn]] static void IndexError();

private:
  int updateCount_ = 0;
};

// Strings kept in memory, in the order they were added; never sorted,
// duplicates and empty entries allowed.
//
// OnChanging fires before and OnChange after every change. Inside
// BeginUpdate/EndUpdate the single changes are silent: OnChanging fires at the
// outermost BeginUpdate and OnChange at its EndUpdate.
class TStringList : public TStrings {
  ORLO_CLASS(TStringList)
public:
  TStringList() = default;

  void Insert(int index, const std::string& s) override;
  void Delete(int index) override;
  void Clear() override;

  TNotifyEvent OnChanging;
  TNotifyEvent OnChange;

protected:
  std::string Get(int index) const override;
  int GetCount() const override { return static_cast<int>(items_.size()); }
  void Put(int index, const std::string& s) override;
  void SetUpdateState(bool updating) override;

  virtual void Changing();
  virtual void Changed();

private:
  std::vector<std::string> items_;
};

}  // namespace orlo
