// One owner for every kind of Win32 handle, in the manner of WIL's
// unique_any: the traits say what an empty handle is and how one is closed.
#pragma once

#include <windows.h>
#include <shlobj.h>

namespace morlind {

template <class Traits>
class UniqueHandle {
 public:
  using Type = typename Traits::Type;

  UniqueHandle() = default;
  explicit UniqueHandle(Type value) : value_(value) {}
  ~UniqueHandle() { Reset(); }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  UniqueHandle(UniqueHandle&& other) noexcept : value_(other.value_) { other.value_ = Traits::Invalid(); }
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) {
      Reset();
      value_ = other.value_;
      other.value_ = Traits::Invalid();
    }
    return *this;
  }

  bool IsValid() const { return value_ != Traits::Invalid(); }
  Type Get() const { return value_; }
  void Reset() {
    if (IsValid()) Traits::Close(value_);
    value_ = Traits::Invalid();
  }
  // For a call that hands back a handle through a pointer: what was held
  // is closed first.
  Type* Receive() {
    Reset();
    return &value_;
  }

 private:
  Type value_ = Traits::Invalid();
};

struct FindTraits {
  using Type = HANDLE;
  static Type Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(Type handle) { ::FindClose(handle); }
};
using FileFindHandle = UniqueHandle<FindTraits>;

struct FileTraits {
  using Type = HANDLE;
  static Type Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(Type handle) { ::CloseHandle(handle); }
};
using FileHandle = UniqueHandle<FileTraits>;

struct UrlCacheFindTraits {
  using Type = HANDLE;
  static Type Invalid() { return nullptr; }
  static void Close(Type handle);  // FindCloseUrlCache, in the platform that links WinINet
};
using UrlCacheFindHandle = UniqueHandle<UrlCacheFindTraits>;

struct MenuTraits {
  using Type = HMENU;
  static Type Invalid() { return nullptr; }
  static void Close(Type menu) { ::DestroyMenu(menu); }
};
using MenuHandle = UniqueHandle<MenuTraits>;

// Memory the system allocated with LocalAlloc (FormatMessage's text).
struct LocalTraits {
  using Type = wchar_t*;
  static Type Invalid() { return nullptr; }
  static void Close(Type text) { ::LocalFree(text); }
};
using LocalText = UniqueHandle<LocalTraits>;

// An item-ID list the shell allocated.
struct ItemIdListTraits {
  using Type = LPITEMIDLIST;
  static Type Invalid() { return nullptr; }
  static void Close(Type list) { ::CoTaskMemFree(list); }
};
using ItemIdList = UniqueHandle<ItemIdListTraits>;

// A text the shell allocated with CoTaskMemAlloc (SHGetKnownFolderPath's).
struct CoTaskMemTextTraits {
  using Type = wchar_t*;
  static Type Invalid() { return nullptr; }
  static void Close(Type text) { ::CoTaskMemFree(text); }
};
using CoTaskMemText = UniqueHandle<CoTaskMemTextTraits>;

// This thread's membership of a COM apartment, when joining succeeded.
struct ApartmentTraits {
  using Type = bool;
  static Type Invalid() { return false; }
  static void Close(Type) { ::CoUninitialize(); }
};
using ApartmentMembership = UniqueHandle<ApartmentTraits>;

}  // namespace morlind
