// One small owner per kind of Win32 handle the platform layer opens.
#pragma once

#include <windows.h>
#include <shlobj.h>

namespace morlind {

class FindHandle {
 public:
  explicit FindHandle(HANDLE handle) : handle_(handle) {}
  ~FindHandle() {
    if (IsValid()) FindClose(handle_);
  }
  FindHandle(const FindHandle&) = delete;
  FindHandle& operator=(const FindHandle&) = delete;

  bool IsValid() const { return handle_ != INVALID_HANDLE_VALUE; }
  HANDLE Get() const { return handle_; }

 private:
  HANDLE handle_;
};

// An item-ID list the shell allocated.
class ItemIdList {
 public:
  ItemIdList() = default;
  ~ItemIdList() { CoTaskMemFree(pidl_); }
  ItemIdList(const ItemIdList&) = delete;
  ItemIdList& operator=(const ItemIdList&) = delete;

  LPITEMIDLIST* Receive() { return &pidl_; }
  LPCITEMIDLIST Get() const { return pidl_; }

 private:
  LPITEMIDLIST pidl_ = nullptr;
};

}  // namespace morlind
