// Exceptions of the framework and the small text helpers they use.
#pragma once
#include <cstdint>
#include <exception>
#include <string>
#include <vector>

namespace orlo {

// A tiny, type-safe "%s" / "%d" / "%%" formatter; no field widths.
class FormatArg {
public:
  FormatArg(const std::string& s) : text_(s) {}
  FormatArg(const char* s) : text_(s ? s : "") {}
  FormatArg(int v) : text_(std::to_string(v)) {}
  FormatArg(long v) : text_(std::to_string(v)) {}
  FormatArg(long long v) : text_(std::to_string(v)) {}
  FormatArg(unsigned v) : text_(std::to_string(v)) {}
  const std::string& text() const { return text_; }
private:
  std::string text_;
};

std::string FormatList(const char* fmt, const std::vector<FormatArg>& args);

template <class... A>
std::string Format(const char* fmt, const A&... args) {
  return FormatList(fmt, std::vector<FormatArg>{FormatArg(args)...});
}

// Byte-wise ASCII case folding; CP932 lead and trail bytes are left alone.
std::string UpperCaseAscii(const std::string& s);
bool SameTextAscii(const std::string& a, const std::string& b);

// Strict decimal/hexadecimal conversion: leading blanks allowed, nothing after
// the digits. "$", "x", "X", "0x", "0X" start a hexadecimal value whose 32 bits
// are taken as they are. Returns false on anything else or on overflow.
bool TryStrToInt(const std::string& s, int32_t& out);
int32_t StrToIntDef(const std::string& s, int32_t def);

class Exception : public std::exception {
public:
  explicit Exception(std::string message) : message_(std::move(message)) {}
  const std::string& Message() const { return message_; }
  void SetMessage(std::string m) { message_ = std::move(m); }
  const char* what() const noexcept override { return message_.c_str(); }
  virtual const char* ClassName() const { return "Exception"; }
private:
  std::string message_;
};

#define ORLO_EXCEPTION(Name, Base)                                   \
  class Name : public Base {                                        \
  public:                                                           \
    using Base::Base;                                               \
    const char* ClassName() const override { return #Name; }        \
  };

// A silent exception: it unwinds like any other but is never shown.
ORLO_EXCEPTION(EAbort, Exception)
ORLO_EXCEPTION(EStreamError, Exception)
ORLO_EXCEPTION(EFCreateError, EStreamError)
ORLO_EXCEPTION(EFOpenError, EStreamError)
ORLO_EXCEPTION(EFilerError, EStreamError)
ORLO_EXCEPTION(EReadError, EFilerError)
ORLO_EXCEPTION(EWriteError, EFilerError)
ORLO_EXCEPTION(EClassNotFound, EReadError)
ORLO_EXCEPTION(EResNotFound, Exception)
ORLO_EXCEPTION(EListError, Exception)
ORLO_EXCEPTION(EStringListError, EListError)
ORLO_EXCEPTION(EInvalidCast, Exception)
ORLO_EXCEPTION(EOutOfResources, Exception)
ORLO_EXCEPTION(EInvalidOperation, Exception)
ORLO_EXCEPTION(EComponentError, Exception)
ORLO_EXCEPTION(EConvertError, Exception)
ORLO_EXCEPTION(EInvalidGraphic, Exception)

[[noreturn]] void Abort();

}  // namespace orlo
