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
  ~UniqueHandle() {
    if (IsValid()) Traits::Close(value_);
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;

  bool IsValid() const { return value_ != Traits::Invalid(); }
  Type Get() const { return value_; }
  // For a call that hands back a handle through a pointer; the owner is
  // empty before it.
  Type* Receive() { return &value_; }

 private:
  Type value_ = Traits::Invalid();
};

struct FindTraits {
  using Type = HANDLE;
  static Type Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(Type handle) { ::FindClose(handle); }
};
using FindHandle = UniqueHandle<FindTraits>;

// An item-ID list the shell allocated.
struct ItemIdListTraits {
  using Type = LPITEMIDLIST;
  static Type Invalid() { return nullptr; }
  static void Close(Type list) { ::CoTaskMemFree(list); }
};
using ItemIdList = UniqueHandle<ItemIdListTraits>;

// This thread's membership of a COM apartment, when joining succeeded.
struct ApartmentTraits {
  using Type = bool;
  static Type Invalid() { return false; }
  static void Close(Type) { ::CoUninitialize(); }
};
using ApartmentMembership = UniqueHandle<ApartmentTraits>;

}  // namespace morlind
