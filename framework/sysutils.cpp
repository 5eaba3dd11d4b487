#include "sysutils.h"

namespace orlo {

std::string FormatList(const char* fmt, const std::vector<FormatArg>& args) {
  std::string out;
  size_t next = 0;
  for (const char* p = fmt; *p; ++p) {
    if (*p == '%' && (p[1] == 's' || p[1] == 'd')) {
      if (next < args.size()) out += args[next++].text();
      ++p;
    } else if (*p == '%' && p[1] == '%') {
      out += '%';
      ++p;
    } else {
      out += *p;
    }
  }
  return out;
}

std::string UpperCaseAscii(const std::string& s) {
  std::string r = s;
  for (char& c : r)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return r;
}

bool SameTextAscii(const std::string& a, const std::string& b) {
  return a.size() == b.size() && UpperCaseAscii(a) == UpperCaseAscii(b);
}

namespace {
int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}
}  // namespace

bool TryStrToInt(const std::string& s, int32_t& out) {
  size_t i = 0;
  while (i < s.size() && s[i] == ' ') ++i;
  if (i == s.size()) return false;
  bool hex = false;
  if (s[i] == '$' || s[i] == 'x' || s[i] == 'X') {
    hex = true;
    ++i;
  } else if (s[i] == '0' && i + 1 < s.size() && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
    hex = true;
    i += 2;
  }
  if (hex) {
    if (i == s.size()) return false;
    uint64_t v = 0;
    for (; i < s.size(); ++i) {
      int d = HexDigit(s[i]);
      if (d < 0) return false;
      v = v * 16 + static_cast<uint64_t>(d);
      if (v > 0xFFFFFFFFull) return false;
    }
    out = static_cast<int32_t>(static_cast<uint32_t>(v));
    return true;
  }
  bool negative = false;
  if (s[i] == '-' || s[i] == '+') {
    negative = s[i] == '-';
    ++i;
  }
  if (i == s.size()) return false;
  int64_t v = 0;
  for (; i < s.size(); ++i) {
    if (s[i] < '0' || s[i] > '9') return false;
    v = v * 10 + (s[i] - '0');
    if (v > 2147483648LL) return false;
  }
  if (negative) v = -v;
  if (v > 2147483647LL) return false;
  out = static_cast<int32_t>(v);
  return true;
}

int32_t StrToIntDef(const std::string& s, int32_t def) {
  int32_t v;
  return TryStrToInt(s, v) ? v : def;
}

void Abort() { throw EAbort("Operation aborted"); }

}  // namespace orlo
