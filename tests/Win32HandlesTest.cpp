// The owner of Win32 handles: what counts as empty per kind, that a handle
// is closed exactly when its owner lets go of it, and that closing keeps
// the last error a failure left.
#include <gtest/gtest.h>

#include <utility>

#include "platform/Win32Handles.h"

namespace morlind {
namespace {

bool IsOpen(HANDLE handle) {
  DWORD flags = 0;
  return ::GetHandleInformation(handle, &flags) != FALSE;
}

HANDLE NewEvent() { return ::CreateEventW(nullptr, TRUE, FALSE, nullptr); }

TEST(Win32Handles, EachKindKnowsItsEmptyValue) {
  EXPECT_FALSE(FileHandle(INVALID_HANDLE_VALUE).IsValid());
  EXPECT_FALSE(FileFindHandle().IsValid());
  // OpenProcess and CreateEvent fail with null, not INVALID_HANDLE_VALUE.
  EXPECT_FALSE(KernelHandle(::OpenProcess(SYNCHRONIZE, FALSE, 0xFFFFFFF0)).IsValid());
  EXPECT_FALSE(ApartmentMembership(false).IsValid());
}

TEST(Win32Handles, ClosesOnceWhenItLetsGoAndKeepsTheLastError) {
  HANDLE first = NewEvent(), second = NewEvent(), third = NewEvent();
  {
    KernelHandle owner(first);
    KernelHandle other(std::move(owner));
    EXPECT_FALSE(owner.IsValid());
    EXPECT_EQ(other.Get(), first);
    EXPECT_TRUE(IsOpen(first));
    ::SetLastError(ERROR_ACCESS_DENIED);
    other.Reset(second);
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_FALSE(IsOpen(first));
    EXPECT_TRUE(IsOpen(second));
    *other.Receive() = third;
    EXPECT_FALSE(IsOpen(second));
    owner = std::move(other);
    EXPECT_EQ(owner.Get(), third);
    EXPECT_EQ(owner.Release(), third);
    EXPECT_FALSE(owner.IsValid());
  }
  EXPECT_TRUE(IsOpen(third));  // released: still open
  ::CloseHandle(third);
}

}  // namespace
}  // namespace morlind
