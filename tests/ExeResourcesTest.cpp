// The icon and link cursor as they ship: Morlind.exe (in the working
// folder) loaded as a data file, its images picked as the system picks them.
#include <windows.h>

#include <gtest/gtest.h>

namespace {

// Types as numbers: the RT_ names are narrow strings in this build.
const void* Resource(HMODULE exe, int id, int type) {
  HRSRC found = FindResourceW(exe, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(type));
  return found ? LockResource(LoadResource(exe, found)) : nullptr;
}

// The image the system takes from a group for a size and colour depth.
const BYTE* PickedImage(HMODULE exe, int group, bool icon, int size, UINT colours) {
  auto* directory = static_cast<const BYTE*>(Resource(exe, group, icon ? 14 : 12));
  if (!directory) return nullptr;
  int id = LookupIconIdFromDirectoryEx(const_cast<BYTE*>(directory), icon, size, size, colours);
  return static_cast<const BYTE*>(Resource(exe, id, icon ? 3 : 1));
}

// An image's own width and bits.
std::pair<LONG, WORD> Shape(const BYTE* image) {
  if (!image) return {};
  auto* header = reinterpret_cast<const BITMAPINFOHEADER*>(image);
  return {header->biWidth, header->biBitCount};
}

// Each size the shell asks for is drawn for it, in true colour; the hand
// points with its fingertip.
TEST(ExeResources, IconHasEverySizeAndTheCursorItsHotSpot) {
  HMODULE exe = LoadLibraryExW(L"Morlind.exe", nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  ASSERT_NE(exe, nullptr) << "Morlind.exe in the working folder";
  for (int size : {16, 24, 32, 48, 64, 72, 96, 128}) {
    EXPECT_EQ(Shape(PickedImage(exe, 128, true, size, LR_DEFAULTCOLOR)), std::make_pair(LONG{size}, WORD{32}));
  }
  // A cursor image starts with its hot spot.
  auto* hand = reinterpret_cast<const WORD*>(PickedImage(exe, 130, false, 32, LR_DEFAULTCOLOR));
  ASSERT_NE(hand, nullptr);
  EXPECT_EQ(std::make_pair(hand[0], hand[1]), std::make_pair(WORD{12}, WORD{1}));
  EXPECT_EQ(Shape(reinterpret_cast<const BYTE*>(hand + 2)).first, 32);
  FreeLibrary(exe);
}

}  // namespace
