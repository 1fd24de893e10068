// The order of the deletes and what must never be deleted; links at every
// depth and folders that refuse listing are among the faults of
// ReliabilityTest.cpp.
#include "actions/Clean.h"

#include <gtest/gtest.h>

#include "tests/FakePlatform.h"
#include "tests/TestClock.h"

namespace morlind {
namespace {

using Paths = std::vector<std::string>;

class CleanTest : public ::testing::Test {
 protected:
  int Clean() { return DeleteTree(fake, "C:\\cache"); }
  FakePlatform fake{test::HostPlatform()};
};

TEST_F(CleanTest, DeletesDepthFirstInDeliveryOrderPastALockedFile) {
  for (const char* file : {"top.jpg", "A\\a.jpg", "A\\B\\locked.jpg", "A\\B\\b.gif", "C\\D\\d.jpg"}) {
    fake.AddFile(std::string("C:\\cache\\") + file);
  }
  fake.LockFile("C:\\cache\\A\\B\\locked.jpg");
  for (const char* notAFolder : {"C:\\cache\\top.jpg", "C:\\missing"}) EXPECT_EQ(DeleteTree(fake, notAFolder), 1);

  EXPECT_EQ(Clean(), 0);
  // Delivery order, each folder emptied before its removal is tried.
  EXPECT_EQ(fake.Log(), (Paths{"delete C:\\cache\\top.jpg", "delete C:\\cache\\A\\a.jpg",
                               "delete C:\\cache\\A\\B\\b.gif", "delete C:\\cache\\C\\D\\d.jpg",
                               "delete C:\\cache\\C\\D", "delete C:\\cache\\C"}));
  EXPECT_EQ(fake.Tree("C:\\cache"), (Paths{"C:\\cache\\A\\", "C:\\cache\\A\\B\\", "C:\\cache\\A\\B\\locked.jpg"}));
}

// A real folder Ðata beside a link Data, which a best-fit mapping would
// confuse; file links as Wine shows them (plain files) to outside and to
// inside; a cache reached through a link itself.
TEST_F(CleanTest, DeletesOnlyWhatReallyLiesInsideTheCache) {
  fake.AddFile("C:\\MyDocs\\letter.doc", 0, "letter");
  fake.AddFile("C:\\real\\Ðata\\a.jpg");
  fake.AddLink("C:\\real\\Data", "C:\\MyDocs");
  fake.AddFileLink("C:\\real\\innocent.jpg", "C:\\MyDocs\\letter.doc");
  fake.AddFile("C:\\real\\한국\\😀.jpg");
  fake.AddFileLink("C:\\real\\한국\\alias.jpg", "C:\\real\\한국\\😀.jpg");
  fake.AddLink("C:\\cache", "C:\\real");

  EXPECT_EQ(Clean(), 0);
  // A link to a file inside goes with its target, as under Wine; the
  // dangling link is left.
  EXPECT_EQ(fake.Tree("C:\\real"),
            (Paths{"C:\\real\\Data\\", "C:\\real\\innocent.jpg", "C:\\real\\한국\\", "C:\\real\\한국\\alias.jpg"}));
  EXPECT_EQ(fake.Tree("C:\\MyDocs"), Paths{"C:\\MyDocs\\letter.doc"});
  EXPECT_EQ(fake.ContentOf("C:\\MyDocs\\letter.doc"), "letter");
}

}  // namespace
}  // namespace morlind
