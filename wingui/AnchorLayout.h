// Keeps a resizable dialog's controls at their distances to the edges they
// sit near: each row of a table names a control and how it follows the
// dialog's right and bottom edges. The places the controls have when the
// layout is attached are the designed ones, and the dialog's size then is
// the smallest it can be made. The layout takes the dialog's size messages
// itself, and draws a size grip in its corner as resizable dialogs do.
#pragma once

#include <windows.h>

#include <span>
#include <vector>

#include "wingui/Subclass.h"

namespace morlind {

// How a control follows when the client area grows by dx, dy.
enum AnchorFlags : unsigned {
  kMoveX = 1,  // moves by dx: keeps its distance to the right edge
  kMoveY = 2,  // moves by dy: keeps its distance to the bottom edge
  kSizeX = 4,  // grows by dx: keeps its distances to both sides
  kSizeY = 8,  // grows by dy
  // Draws its frame only, not what lies inside (a group box): the dialog
  // repaints where the frame was and is.
  kRepaintFrame = 16,
};

struct Anchor {
  int id;
  unsigned flags;
};

class AnchorLayout {
 public:
  // From now on until the layout or the dialog goes.
  void Attach(HWND dialog, std::span<const Anchor> anchors);

 private:
  // Places the controls for a client area of that size, in one batch. Below
  // the designed size they keep their designed places.
  void Arrange(int width, int height);
  // The designed window size as the smallest the user can drag to.
  void LimitTracking(MINMAXINFO& info) const;
  LRESULT OnMessage(HWND dialog, UINT message, WPARAM w, LPARAM l);

  struct Control {
    HWND window;
    unsigned flags;
    RECT designed;  // in the dialog's client coordinates
  };
  static RECT Place(const Control& control, SIZE growth);
  void RepaintFrame(const RECT& was, const RECT& is) const;

  HWND dialog_ = nullptr;
  SIZE client_{};
  SIZE window_{};
  SIZE growth_{};  // over the designed client size, as last arranged
  std::vector<Control> controls_;
  HWND grip_ = nullptr;  // a child of the dialog, which destroys it
  CSubclass hook_;
};

}  // namespace morlind
