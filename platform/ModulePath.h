// The path of the running program's own file.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace morlind {

inline std::wstring ExecutablePath() {
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    DWORD length = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) return {};
    if (length < buffer.size()) return std::wstring(buffer.data(), length);
    buffer.resize(buffer.size() * 2);  // cut short: try a larger buffer
  }
}

// The path without the extension of its last component.
inline std::wstring WithoutExtension(std::wstring path) {
  std::size_t dot = path.rfind(L'.');
  std::size_t slash = path.find_last_of(L"\\/");
  if (dot != std::wstring::npos && (slash == std::wstring::npos || dot > slash)) path.erase(dot);
  return path;
}

}  // namespace morlind
