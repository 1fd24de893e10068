// The resources as they ship: Morlind.exe (in the working folder) loaded as
// a data file; its icon group and link cursor read back, its version block
// through the system's own calls.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace {

std::wstring ExePath() {
  wchar_t full[MAX_PATH] = {};
  GetFullPathNameW(L"Morlind.exe", MAX_PATH, full, nullptr);
  return full;
}

class ExeResourcesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    exe = LoadLibraryExW(ExePath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(exe, nullptr) << "Morlind.exe in the working folder";
  }
  void TearDown() override {
    if (exe) FreeLibrary(exe);
  }

  // A resource's bytes as 16-bit words (all the formats read here are).
  std::vector<WORD> Words(WORD type, WORD id) const {
    HRSRC found = FindResourceW(exe, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(type));
    std::vector<WORD> words(found ? SizeofResource(exe, found) / 2 : 0);
    if (found) std::memcpy(words.data(), LockResource(LoadResource(exe, found)), words.size() * 2);
    return words;
  }

  HMODULE exe = nullptr;
};

// A group directory: 3 words, then 7 words per image: its size (a byte of
// width and one of height; for a cursor a word of width and one of twice
// the height), planes, bits, byte count (two words) and the image's id.
constexpr std::size_t kHeader = 3, kEntry = 7;

TEST_F(ExeResourcesTest, IconHoldsEightTrueColourSizesAndFourEachIn256And16Colours) {
  std::vector<WORD> group = Words(14, 128);  // RT_GROUP_ICON
  ASSERT_GE(group.size(), kHeader);
  ASSERT_EQ(group.size(), kHeader + kEntry * group[2]);
  std::vector<std::pair<int, int>> got;  // size, bits
  for (std::size_t at = kHeader; at < group.size(); at += kEntry) {
    int width = group[at] & 0xFF, height = group[at] >> 8;
    EXPECT_EQ(width, height);
    got.emplace_back(width ? width : 256, group[at + 3]);
    EXPECT_FALSE(Words(3, group[at + 6]).empty()) << "image " << group[at + 6];  // RT_ICON
  }
  std::vector<std::pair<int, int>> want;
  for (int size : {128, 96, 72, 64, 48, 32, 24, 16}) want.emplace_back(size, 32);
  for (int size : {48, 32, 24, 16}) want.insert(want.end(), {{size, 8}, {size, 4}});
  std::sort(got.begin(), got.end());
  std::sort(want.begin(), want.end());
  EXPECT_EQ(got, want);
}

TEST_F(ExeResourcesTest, LinkCursorIs32PixelsWithItsHotSpotAtTheFingertip) {
  std::vector<WORD> group = Words(12, 130);  // RT_GROUP_CURSOR
  ASSERT_EQ(group.size(), kHeader + kEntry);
  EXPECT_EQ(group[kHeader], 32);
  EXPECT_EQ(group[kHeader + 1], 64);  // image and mask
  std::vector<WORD> image = Words(1, group[kHeader + 6]);  // RT_CURSOR: the hot spot first
  ASSERT_GE(image.size(), 2u);
  EXPECT_EQ(image[0], 12);
  EXPECT_EQ(image[1], 1);
}

// Windows shows these in the file's properties: version 2.0.0.1, one block
// in Chinese (PRC), Unicode.
TEST_F(ExeResourcesTest, VersionIs2001InOneChineseBlock) {
  std::wstring path = ExePath();
  std::vector<BYTE> block(GetFileVersionInfoSizeW(path.c_str(), nullptr));
  ASSERT_FALSE(block.empty());
  ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, static_cast<DWORD>(block.size()), block.data()));
  auto query = [&](const wchar_t* name, auto** value) {
    UINT length = 0;
    return VerQueryValueW(block.data(), name, reinterpret_cast<void**>(value), &length) ? length : ~0u;
  };
  VS_FIXEDFILEINFO* fixed = nullptr;
  ASSERT_NE(query(L"\\", &fixed), ~0u);
  EXPECT_EQ(std::make_pair(fixed->dwFileVersionMS, fixed->dwFileVersionLS), std::make_pair(0x20000ul, 1ul));
  WORD* translation = nullptr;
  ASSERT_EQ(query(L"\\VarFileInfo\\Translation", &translation), 4u);
  EXPECT_EQ(std::make_pair(translation[0], translation[1]), std::make_pair(WORD{0x0804}, WORD{1200}));
  wchar_t* text = nullptr;
  ASSERT_NE(query(L"\\StringFileInfo\\080404b0\\FileVersion", &text), ~0u);
  EXPECT_EQ(std::wstring(text), L"2, 0, 0, 1");
}

}  // namespace
