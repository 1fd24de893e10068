// Text at the Win32 boundary: UTF-8 inside the program, UTF-16 for the W
// functions. Paths are never converted to the ANSI code page: its best-fit
// mapping turns names it cannot write into other, existing names.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "platform/Utf8.h"

namespace morlind {

static_assert(sizeof(wchar_t) == sizeof(char16_t));

// The longest path the wide file functions take, in UTF-16 units.
constexpr std::size_t kLongestPath = 32768;

inline std::wstring Utf8ToWide(std::string_view utf8) {
  std::u16string wide = Utf16OfUtf8(utf8);
  return std::wstring(wide.begin(), wide.end());
}

inline std::string WideToUtf8(std::wstring_view wide) {
  return Utf8OfUtf16(std::u16string_view(reinterpret_cast<const char16_t*>(wide.data()), wide.size()));
}

// A path as the file functions take it: a full path goes in the \\?\ form,
// which has no length limit and takes every name literally (trailing dots
// and spaces included); doubled separators, which that form refuses, become
// one. Other paths pass as they are.
std::wstring SystemPath(std::string_view utf8);

// A path from the system back in the ordinary form: without \\?\.
std::string OrdinaryPath(std::wstring_view path);

}  // namespace morlind
