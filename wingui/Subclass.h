// Messages of a window handled by an object of ours first.
#pragma once

#include <windows.h>

#include <functional>

namespace morlind {

// A subclass procedure on a window for as long as this object lives: the
// window's messages reach the handler first until the object goes or the
// window is destroyed, whichever comes first. The handler passes what it
// does not take on with DefSubclassProc.
class CSubclass {
 public:
  using Handler = std::function<LRESULT(HWND, UINT, WPARAM, LPARAM)>;

  CSubclass() = default;
  ~CSubclass() { Remove(); }
  CSubclass(const CSubclass&) = delete;
  CSubclass& operator=(const CSubclass&) = delete;

  // Replaces any window and handler this object had; false when the
  // system refuses.
  bool Install(HWND hwnd, Handler handler);
  void Remove();
  bool Installed() const { return hwnd_ != nullptr; }

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM w, LPARAM l, UINT_PTR id, DWORD_PTR self);

  HWND hwnd_ = nullptr;
  Handler handler_;
};

}  // namespace morlind
