// Reading a window description: the binary component stream that names a
// window, its controls, their property values and the handlers to bind.
//
//   TResourceStream s(instance, "TFORM1", RT_RCDATA);
//   TReader reader(s);
//   reader.ReadRootComponent(form);
//
// A fault in the description, or an error a property setter raises, comes
// out as an EReadError (EAbort and failures outside the framework, such as
// std::bad_alloc, pass unchanged). Either way no component that the
// description created is left afterwards, only the root it was read into.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "components.h"

namespace orlo {

class TStream;
class TCollection;

// The type byte in front of every value.
enum TValueType : uint8_t {
  vaNull = 0, vaList = 1, vaInt8 = 2, vaInt16 = 3, vaInt32 = 4, vaExtended = 5,
  vaString = 6, vaIdent = 7, vaFalse = 8, vaTrue = 9, vaBinary = 10, vaSet = 11,
  vaLString = 12, vaNil = 13, vaCollection = 14,
};

// Flags of a component record's prefix byte (0xF0 | flags).
enum TFilerFlag : uint8_t { ffInherited = 1, ffChildPos = 2 };

// Finds another root (a window) by name, for references written as
// "Owner.Name". Unset, such references only find the root being read.
using TFindGlobalComponent = std::function<TComponent*(const std::string& name)>;
// Installs finder and returns the one it replaces.
TFindGlobalComponent SetFindGlobalComponent(TFindGlobalComponent finder);
TComponent* FindGlobalComponent(const std::string& name);  // null when none

class TReader {
public:
  explicit TReader(TStream& stream);
  ~TReader();
  TReader(const TReader&) = delete;
  TReader& operator=(const TReader&) = delete;

  // Reads a whole description into root, which already exists: its name
  // (made unique among its owner's components), properties and children.
  void ReadRootComponent(TComponent* root);

  // While a description is read: the root, and the component whose record
  // is being read (the parent of the child records that follow it).
  TComponent* Root() const { return root_; }
  TComponent* Current() const { return current_; }

  // Value primitives, for defined properties among others. A value of the
  // wrong type raises SInvalidPropertyValue, the end of the stream
  // SReadError.
  TValueType NextValue();   // the type of the next value, not consumed
  TValueType ReadValue();   // consumes the type byte
  void SkipValue();
  int32_t ReadInteger();    // 8, 16 or 32 bits, widened with sign
  long double ReadFloat();  // extended, or an integer
  std::string ReadString(); // short or long string
  std::string ReadIdent();  // identifier; false, true and nil by name
  bool ReadBoolean();
  char ReadChar();          // a string of exactly one byte
  std::string ReadBinary(); // the bytes of a binary value
  void ReadListBegin();
  bool EndOfList();         // the next byte ends a list
  void ReadListEnd();
  // A collection value into an existing collection: each item goes to its
  // stored index (or follows the previous one); missing items are added.
  void ReadCollection(TCollection* collection);

  // Record parts.
  void ReadSignature();
  void ReadPrefix(uint8_t& flags, int32_t& childPos);  // childPos -1 when none
  std::string ReadStr();    // a short string without type byte

private:
  class TWatch;
  struct TFixup {
    TPersistent* instance;
    const TPropInfo* prop;
    std::string name;
  };
  class TNesting;

  void ReadBytes(void* buffer, size_t count);
  uint8_t PeekByte();
  void SkipBytes(uint64_t count);
  void CheckAvailable(uint64_t count);
  int32_t ReadIntegerData(TValueType type);
  std::string ReadLongData();

  void ReadComponent(TComponent* parent);
  void ReadProperties(TComponent* component);
  void ReadChildren(TComponent* parent);
  void ReadProperty(TPersistent* instance, const std::string& path);
  void ReadPropValue(TPersistent* instance, const TPropInfo& prop);
  void ReadMethod(TPersistent* instance, const TPropInfo& prop);
  std::string UniqueRootName(const std::string& name) const;
  TComponent* FindReference(const std::string& name) const;
  void FinishReading();
  void Abandon() noexcept;

  TStream& stream_;
  TComponent* root_ = nullptr;
  TComponent* current_ = nullptr;
  std::unique_ptr<TWatch> watch_;
  std::vector<TFixup> fixups_;
  int depth_ = 0;
};

}  // namespace orlo
