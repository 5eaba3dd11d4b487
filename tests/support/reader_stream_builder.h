// Builds binary window descriptions byte by byte for the reader's tests.
//
//   TDescriptionBuilder b;
//   b.Signature().Record("TForm1", "Form1")
//       .Prop("Left").Int(10)
//       .End()      // properties
//       .End();     // children
#pragma once
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "description_reader.h"
#include "streams.h"

namespace reader_support {

class TDescriptionBuilder {
public:
  TDescriptionBuilder& Signature() { return Raw("TPF0"); }
  // A record: optional prefix byte, class name, component name.
  TDescriptionBuilder& Record(const std::string& cls, const std::string& name) {
    return Short(cls).Short(name);
  }
  TDescriptionBuilder& Prefix(uint8_t flags) { return Byte(static_cast<uint8_t>(0xF0 | flags)); }
  TDescriptionBuilder& Prop(const std::string& name) { return Short(name); }
  TDescriptionBuilder& End() { return Byte(0); }

  // Values, each with its type byte.
  TDescriptionBuilder& Int8(int8_t v) { return Byte(orlo::vaInt8).Le(static_cast<uint8_t>(v), 1); }
  TDescriptionBuilder& Int16(int16_t v) {
    return Byte(orlo::vaInt16).Le(static_cast<uint16_t>(v), 2);
  }
  TDescriptionBuilder& Int32(int32_t v) {
    return Byte(orlo::vaInt32).Le(static_cast<uint32_t>(v), 4);
  }
  // The smallest integer type that holds v, as a writer would store it.
  TDescriptionBuilder& Int(int32_t v) {
    if (v >= -128 && v <= 127) return Int8(static_cast<int8_t>(v));
    if (v >= -32768 && v <= 32767) return Int16(static_cast<int16_t>(v));
    return Int32(v);
  }
  TDescriptionBuilder& Extended(uint64_t significand, uint16_t signAndExponent) {
    return Byte(orlo::vaExtended).Le(significand, 8).Le(signAndExponent, 2);
  }
  TDescriptionBuilder& Float(long double v) {
#if LDBL_MANT_DIG == 64
    unsigned char b[sizeof(long double)] = {};
    std::memcpy(b, &v, sizeof v);
    Byte(orlo::vaExtended);
    bytes_.append(reinterpret_cast<const char*>(b), 10);
    return *this;
#else
    if (v == 0) return Extended(0, std::signbit(v) ? 0x8000 : 0);
    int exp = 0;
    long double m = std::frexp(std::fabs(v), &exp);  // m in [0.5, 1)
    auto sig = static_cast<uint64_t>(std::ldexp(m, 64));
    return Extended(sig, static_cast<uint16_t>((v < 0 ? 0x8000 : 0) | (exp - 1 + 16383)));
#endif
  }
  TDescriptionBuilder& Str(const std::string& s) { return Byte(orlo::vaString).Short(s); }
  TDescriptionBuilder& LStr(const std::string& s) { return Byte(orlo::vaLString).Long(s); }
  TDescriptionBuilder& Ident(const std::string& s) { return Byte(orlo::vaIdent).Short(s); }
  TDescriptionBuilder& False() { return Byte(orlo::vaFalse); }
  TDescriptionBuilder& True() { return Byte(orlo::vaTrue); }
  TDescriptionBuilder& Nil() { return Byte(orlo::vaNil); }
  TDescriptionBuilder& Binary(const std::string& bytes) { return Byte(orlo::vaBinary).Long(bytes); }
  TDescriptionBuilder& Set(std::initializer_list<const char*> elements) {
    Byte(orlo::vaSet);
    for (const char* e : elements) Short(e);
    return Short("");
  }
  TDescriptionBuilder& List() { return Byte(orlo::vaList); }
  TDescriptionBuilder& Collection() { return Byte(orlo::vaCollection); }

  // Raw parts.
  TDescriptionBuilder& Byte(uint8_t b) {
    bytes_ += static_cast<char>(b);
    return *this;
  }
  TDescriptionBuilder& Raw(const std::string& s) {
    bytes_ += s;
    return *this;
  }
  TDescriptionBuilder& Short(const std::string& s) {
    Byte(static_cast<uint8_t>(s.size()));
    return Raw(s);
  }
  // A 4-byte length and the bytes; the length's offset is remembered.
  TDescriptionBuilder& Long(const std::string& s) {
    length_fields_.push_back(bytes_.size());
    Le(static_cast<uint32_t>(s.size()), 4);
    return Raw(s);
  }
  TDescriptionBuilder& U32(uint32_t v) { return Le(v, 4); }

  const std::string& Bytes() const { return bytes_; }
  const std::vector<size_t>& LengthFields() const { return length_fields_; }

private:
  TDescriptionBuilder& Le(uint64_t v, int count) {
    for (int i = 0; i < count; ++i) Byte(static_cast<uint8_t>(v >> (8 * i)));
    return *this;
  }

  std::string bytes_;
  std::vector<size_t> length_fields_;
};

// A memory stream holding bytes, positioned at its start.
inline std::unique_ptr<orlo::TMemoryStream> MakeStream(const std::string& bytes) {
  auto s = std::make_unique<orlo::TMemoryStream>();
  if (!bytes.empty()) s->WriteBuffer(bytes.data(), bytes.size());
  s->SetPosition(0);
  return s;
}

}  // namespace reader_support
