// The main window's layout as it is resized: the results grow with it, the
// buttons beside and below them keep their distances to the window's edges,
// the search criteria stay where they are.
#include "ui/MainDlg.h"

#include "res/resource.h"

namespace morlind {

namespace {

constexpr Anchor kAnchors[] = {
    {IDC_ABOUT, kMoveX},
    {IDC_CLEAN, kMoveX},
    {IDC_SEARCH, kMoveX},
    {IDC_RESULTS_GROUP, kSizeX | kSizeY | kRepaintFrame},
    {IDC_RESULTS, kSizeX | kSizeY},
    // The tools for the ticked rows stay at the left, those for the
    // highlighted row at the right.
    {IDC_SELECT_ALL, kMoveY},
    {IDC_INVERT, kMoveY},
    {IDC_SELECT_NONE, kMoveY},
    {IDC_SAVE_SELECTED, kMoveY},
    {IDC_VIEW_CURRENT, kMoveX | kMoveY},
    {IDC_SAVE_CURRENT, kMoveX | kMoveY},
    {IDC_STATUS, kMoveY | kSizeX},
    {IDC_HOMEPAGE, kMoveY},
    {IDOK, kMoveX | kMoveY},
};

}  // namespace

void CMainDlg::AttachLayout() { layout_.Attach(hwnd_, kAnchors); }

}  // namespace morlind
