// The resources as they ship: Morlind.exe (in the working folder) loaded as
// a data file; its icon group and link cursor read back, its version block
// through the system's own calls.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <tuple>
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

TEST_F(ExeResourcesTest, VersionIs2001InOneChineseBlockWithTheExpectedKeys) {
  std::wstring path = ExePath();
  std::vector<BYTE> block(GetFileVersionInfoSizeW(path.c_str(), nullptr));
  ASSERT_FALSE(block.empty());
  ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, static_cast<DWORD>(block.size()), block.data()));
  auto query = [&](const std::wstring& name, auto** value) {
    UINT length = 0;
    return VerQueryValueW(block.data(), name.c_str(), reinterpret_cast<void**>(value), &length) ? length : ~0u;
  };

  VS_FIXEDFILEINFO* f = nullptr;
  ASSERT_NE(query(L"\\", &f), ~0u);
  EXPECT_EQ(std::make_tuple(f->dwSignature, f->dwFileVersionMS, f->dwFileVersionLS, f->dwProductVersionMS,
                            f->dwProductVersionLS, f->dwFileOS, f->dwFileType),
            std::make_tuple(0xFEEF04BDul, 0x20000ul, 1ul, 0x20000ul, 1ul, DWORD{VOS__WINDOWS32}, DWORD{VFT_APP}));
  WORD* translation = nullptr;
  ASSERT_EQ(query(L"\\VarFileInfo\\Translation", &translation), 4u);
  EXPECT_EQ(std::make_pair(translation[0], translation[1]), std::make_pair(WORD{0x0804}, WORD{1200}));

  const std::pair<const wchar_t*, const wchar_t*> strings[] = {  // no value: any non-empty one
      {L"FileVersion", L"2, 0, 0, 1"}, {L"ProductVersion", L"2, 0, 0, 1"}, {L"FileDescription", L"Morlind"},
      {L"ProductName", L"Morlind"},    {L"Comments", L""},                 {L"CompanyName", L""},
      {L"LegalTrademarks", L""},       {L"PrivateBuild", L""},             {L"SpecialBuild", L""},
      {L"InternalName", nullptr},      {L"OriginalFilename", nullptr},     {L"LegalCopyright", nullptr},
  };
  for (auto [key, value] : strings) {
    SCOPED_TRACE(std::string(key, key + wcslen(key)));
    wchar_t* text = nullptr;
    UINT length = query(std::wstring(L"\\StringFileInfo\\080404b0\\") + key, &text);
    ASSERT_NE(length, ~0u);
    std::wstring got(text, wcsnlen(text, length));
    EXPECT_TRUE(value ? got == value : !got.empty()) << std::string(got.begin(), got.end());
  }
}

}  // namespace
