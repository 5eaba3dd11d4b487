#include "wide_text.h"

#include <windows.h>

#include <cstring>

namespace orlo {

namespace {

// One character (one or two UTF-16 units) appended in the code page, when it
// goes there and comes back unchanged.
bool AppendExact(const wchar_t* units, int count, std::string& out) {
  char bytes[8] = {};
  BOOL usedDefault = FALSE;
  const int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, units, count, bytes, sizeof bytes,
                                    nullptr, &usedDefault);
  if (n <= 0 || usedDefault) return false;
  wchar_t back[4] = {};
  const int m = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, bytes, n, back, 4);
  if (m != count || std::memcmp(back, units, sizeof(wchar_t) * static_cast<size_t>(count)) != 0) return false;
  out.append(bytes, static_cast<size_t>(n));
  return true;
}

bool IsHighSurrogate(wchar_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(wchar_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

}  // namespace

std::wstring WideFromCodePage(const std::string& text) {
  if (text.empty()) return std::wstring();
  const int size = static_cast<int>(text.size());
  const int n = MultiByteToWideChar(CP_ACP, 0, text.data(), size, nullptr, 0);
  if (n <= 0) return std::wstring();
  std::wstring wide(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.data(), size, &wide[0], n);
  return wide;
}

std::string CodePageFromWide(const std::wstring& text, bool* exact) {
  std::string out;
  out.reserve(text.size());
  bool all = true;
  for (size_t i = 0; i < text.size();) {
    const int count = IsHighSurrogate(text[i]) && i + 1 < text.size() && IsLowSurrogate(text[i + 1]) ? 2 : 1;
    // Plain ASCII goes over as it is, without asking the platform.
    if (count == 1 && text[i] < 0x80) {
      out += static_cast<char>(text[i]);
    } else if (!AppendExact(&text[i], count, out)) {
      out += '?';
      all = false;
    }
    i += static_cast<size_t>(count);
  }
  if (exact) *exact = all;
  return out;
}

}  // namespace orlo
