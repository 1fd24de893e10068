#include "actions/Scratch.h"

#include <gtest/gtest.h>

#include "tests/FakePlatform.h"
#include "tests/TestClock.h"

namespace morlind {
namespace {

using Paths = std::vector<std::string>;

// Runs that ended leave their folders; a run still going keeps its own, a
// file another program holds stays until a later start, and a name that is
// no process's is nobody's to remove.
TEST(ScratchFolder, KeepsOnlyWhatIsStillInUse) {
  FakePlatform fake{test::HostPlatform()};
  fake.temporaryFolder = "C:\\Temp";
  fake.otherProcesses = {8};
  fake.AddFile("C:\\Temp\\Morlind\\7\\1\\photo.jpg");
  fake.AddFile("C:\\Temp\\Morlind\\8\\1\\page.html");
  fake.AddFile("C:\\Temp\\Morlind\\notes\\mine.txt");
  fake.AddFile("C:\\Temp\\other.txt");
  {
    ScratchFolder scratch(fake);
    EXPECT_EQ(fake.Tree("C:\\Temp\\Morlind"), (Paths{"C:\\Temp\\Morlind\\8\\", "C:\\Temp\\Morlind\\8\\1\\",
                                                     "C:\\Temp\\Morlind\\8\\1\\page.html", "C:\\Temp\\Morlind\\notes\\",
                                                     "C:\\Temp\\Morlind\\notes\\mine.txt"}));
    std::optional<std::string> first = scratch.NewFolder(), second = scratch.NewFolder();
    ASSERT_TRUE(first && second);
    EXPECT_EQ(*first, "C:\\Temp\\Morlind\\100\\1");
    EXPECT_EQ(*second, "C:\\Temp\\Morlind\\100\\2");
    fake.AddFile(*first + "\\held.jpg");
    fake.LockFile(*first + "\\held.jpg");
    fake.AddFile(*second + "\\done.jpg");
  }
  EXPECT_EQ(fake.Tree("C:\\Temp\\Morlind\\100"),
            (Paths{"C:\\Temp\\Morlind\\100\\1\\", "C:\\Temp\\Morlind\\100\\1\\held.jpg"}));
  EXPECT_TRUE(fake.ContentOf("C:\\Temp\\other.txt"));
  // A later run given the same id takes over what it can and steps past the rest.
  EXPECT_EQ(ScratchFolder(fake).NewFolder(), "C:\\Temp\\Morlind\\100\\2");
}

TEST(ScratchFolder, WithoutATemporaryFolderGivesNone) {
  FakePlatform fake{test::HostPlatform()};
  EXPECT_EQ(ScratchFolder(fake).NewFolder(), std::nullopt);
  fake.temporaryFolder = "C:\\Gone";
  EXPECT_EQ(ScratchFolder(fake).NewFolder(), std::nullopt);
}

}  // namespace
}  // namespace morlind
