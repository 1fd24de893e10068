// One owner for every kind of Win32 handle, in the manner of WIL's
// unique_any: the handle's type, the function that closes it and the value
// an empty one holds.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <cstdint>
#include <type_traits>
#include <utility>

namespace morlind {

template <class T, auto Close, std::intptr_t kInvalid = 0>
class UniqueAny {
 public:
  UniqueAny() = default;
  explicit UniqueAny(T value) : value_(value) {}
  ~UniqueAny() { Reset(); }
  UniqueAny(const UniqueAny&) = delete;
  UniqueAny& operator=(const UniqueAny&) = delete;
  UniqueAny(UniqueAny&& other) noexcept : value_(other.Release()) {}
  UniqueAny& operator=(UniqueAny&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }

  static T Invalid() {
    if constexpr (std::is_pointer_v<T>) {
      return reinterpret_cast<T>(kInvalid);
    } else {
      return static_cast<T>(kInvalid);
    }
  }

  bool IsValid() const { return value_ != Invalid(); }
  T Get() const { return value_; }
  // Closes what was held and takes value. The thread's last error stays as
  // it was, so a failure's code still reads after its handle went.
  void Reset(T value = Invalid()) {
    if (IsValid()) {
      const DWORD error = ::GetLastError();
      Close(value_);
      ::SetLastError(error);
    }
    value_ = value;
  }
  // Hands the handle over, open, and holds none.
  [[nodiscard]] T Release() { return std::exchange(value_, Invalid()); }
  // For a call that hands back a handle through a pointer: what was held
  // is closed first.
  T* Receive() {
    Reset();
    return &value_;
  }

 private:
  T value_ = Invalid();
};

// FindCloseUrlCache, in the platform that links WinINet.
void CloseUrlCacheFind(HANDLE find);
// Leaves the COM apartment this thread joined.
inline void LeaveApartment(bool) { ::CoUninitialize(); }

// INVALID_HANDLE_VALUE when empty.
using FileHandle = UniqueAny<HANDLE, ::CloseHandle, -1>;
using FileFindHandle = UniqueAny<HANDLE, ::FindClose, -1>;
// Null when empty: a process, a thread, an event.
using KernelHandle = UniqueAny<HANDLE, ::CloseHandle>;
using UrlCacheFindHandle = UniqueAny<HANDLE, CloseUrlCacheFind>;
using MenuHandle = UniqueAny<HMENU, ::DestroyMenu>;
// A window of our own that no dialog or control destroys for us.
using WindowHandle = UniqueAny<HWND, ::DestroyWindow>;
// Memory the system allocated with LocalAlloc (FormatMessage's text).
using LocalText = UniqueAny<wchar_t*, ::LocalFree>;
// An item-ID list the shell allocated.
using ItemIdList = UniqueAny<LPITEMIDLIST, ::CoTaskMemFree>;
// A text the shell allocated with CoTaskMemAlloc (SHGetKnownFolderPath's).
using CoTaskMemText = UniqueAny<wchar_t*, ::CoTaskMemFree>;
// This thread's membership of a COM apartment, when joining succeeded.
using ApartmentMembership = UniqueAny<bool, LeaveApartment>;

}  // namespace morlind
