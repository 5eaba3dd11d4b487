// Text of the few windows that hold any text (UTF-16), and its form in the
// code page, which every other part of the program works with.
#pragma once
#include <string>

namespace orlo {

// Code-page text as UTF-16; bytes that make no character in the code page
// become the platform's replacement character.
std::wstring WideFromCodePage(const std::string& text);

// UTF-16 text in the code page, each character that the code page cannot
// hold exactly (one that would only come back as another) shown as "?":
// never a look-alike letter. exact, when given, tells whether every
// character went over unchanged.
std::string CodePageFromWide(const std::wstring& text, bool* exact = nullptr);

}  // namespace orlo
