// Conversions at the Win32 boundary: user-facing texts live in UTF-8,
// file names and paths in the ANSI code page, the W functions take UTF-16.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace morlind {

inline std::wstring ToWide(UINT codePage, std::string_view text) {
  if (text.empty()) return {};
  int length = MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
  return wide;
}

inline std::string FromWide(UINT codePage, std::wstring_view wide) {
  if (wide.empty()) return {};
  int length = WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), nullptr,
                                   0, nullptr, nullptr);
  std::string text(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), text.data(), length,
                      nullptr, nullptr);
  return text;
}

inline std::wstring Utf8ToWide(std::string_view utf8) { return ToWide(CP_UTF8, utf8); }
inline std::wstring AnsiToWide(std::string_view ansi) { return ToWide(CP_ACP, ansi); }
inline std::string WideToAnsi(std::wstring_view wide) { return FromWide(CP_ACP, wide); }
inline std::string WideToUtf8(std::wstring_view wide) { return FromWide(CP_UTF8, wide); }

}  // namespace morlind
