// Global and local memory: lock counts, flags and handles that are not ours.
#include <gtest/gtest.h>

#include "windows.h"

namespace {

TEST(GlobalMemory, MoveableBlockCountsLocksAndZeroes) {
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, 64);
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(GlobalSize(h), 64u);
    EXPECT_EQ(GlobalFlags(h), 0u);

    auto* p = static_cast<unsigned char*>(GlobalLock(h));
    ASSERT_NE(p, nullptr);
    EXPECT_NE(static_cast<void*>(p), h) << "a moveable handle is not the address";
    for (int i = 0; i < 64; ++i) ASSERT_EQ(p[i], 0) << i;
    EXPECT_EQ(GlobalLock(h), p) << "the same block every time";
    EXPECT_EQ(GlobalFlags(h) & GMEM_LOCKCOUNT, 2u);
    EXPECT_EQ(GlobalHandle(p), h);

    EXPECT_TRUE(GlobalUnlock(h)) << "still locked once";
    SetLastError(12345);
    EXPECT_FALSE(GlobalUnlock(h));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(NO_ERROR)) << "unlocked now is not an error";
    EXPECT_EQ(GlobalFlags(h) & GMEM_LOCKCOUNT, 0u);
    EXPECT_FALSE(GlobalUnlock(h));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_LOCKED));

    EXPECT_EQ(GlobalFree(h), nullptr);
}

TEST(GlobalMemory, FreedAndForeignHandlesAreInvalidNotFollowed) {
    HGLOBAL h = GlobalAlloc(GHND, 16);
    ASSERT_NE(GlobalLock(h), nullptr);
    EXPECT_EQ(GlobalFree(h), nullptr) << "a locked block can be freed";

    int on_stack = 0;
    void* bogus[] = {h, &on_stack, reinterpret_cast<void*>(0x1234), reinterpret_cast<void*>(~uintptr_t{0})};
    for (void* handle : bogus) {
        EXPECT_EQ(GlobalFlags(handle), static_cast<UINT>(GMEM_INVALID_HANDLE)) << handle;
        EXPECT_EQ(GlobalLock(handle), nullptr) << handle;
        EXPECT_FALSE(GlobalUnlock(handle)) << handle;
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE)) << handle;
        EXPECT_EQ(GlobalSize(handle), 0u) << handle;
        EXPECT_EQ(GlobalFree(handle), handle) << "freeing a foreign handle fails and hands it back";
    }
    EXPECT_EQ(GlobalFree(nullptr), nullptr);
}

TEST(GlobalMemory, HandlesOfFreedBlocksAreNeverReused) {
    HGLOBAL first = GlobalAlloc(GMEM_MOVEABLE, 8);
    GlobalFree(first);
    for (int i = 0; i < 100; ++i) {
        HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, 8);
        ASSERT_NE(h, first);
        GlobalFree(h);
    }
    EXPECT_EQ(GlobalFlags(first), static_cast<UINT>(GMEM_INVALID_HANDLE));
}

TEST(GlobalMemory, LockCountShownSaturatesButUnlocksMatchLocks) {
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, 4);
    for (int i = 0; i < 300; ++i) GlobalLock(h);
    EXPECT_EQ(GlobalFlags(h) & GMEM_LOCKCOUNT, 255u);
    for (int i = 0; i < 299; ++i) ASSERT_TRUE(GlobalUnlock(h)) << i;
    EXPECT_FALSE(GlobalUnlock(h));
    EXPECT_EQ(GlobalFlags(h), 0u);
    GlobalFree(h);
}

TEST(GlobalMemory, FixedBlockIsItsAddressWithoutLockCount) {
    HGLOBAL h = GlobalAlloc(GPTR, 10);
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(GlobalLock(h), h);
    EXPECT_EQ(GlobalFlags(h), 0u);
    EXPECT_EQ(GlobalHandle(h), h);
    EXPECT_EQ(GlobalFree(h), nullptr);
}

TEST(GlobalMemory, ZeroByteMoveableBlockIsDiscarded) {
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, 0);
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(GlobalFlags(h), static_cast<UINT>(GMEM_DISCARDED));
    EXPECT_EQ(GlobalLock(h), nullptr);
    EXPECT_EQ(GlobalFree(h), nullptr);
}

TEST(GlobalMemory, ReAllocKeepsContentAndZeroesTheRest) {
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, 4);
    std::memcpy(GlobalLock(h), "abc", 4);
    GlobalUnlock(h);
    ASSERT_EQ(GlobalReAlloc(h, 4096, GMEM_ZEROINIT), h) << "a moveable block keeps its handle";
    auto* p = static_cast<char*>(GlobalLock(h));
    EXPECT_STREQ(p, "abc");
    EXPECT_EQ(p[4095], 0);
    EXPECT_EQ(GlobalSize(h), 4096u);
    GlobalUnlock(h);
    GlobalFree(h);
}

TEST(GlobalMemory, ImpossibleSizeFailsCleanly) {
    EXPECT_EQ(GlobalAlloc(GMEM_MOVEABLE, SIZE_MAX / 2), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY));
}

TEST(LocalMemory, SharesTheHeapWithGlobalMemory) {
    HLOCAL h = LocalAlloc(LPTR, 32);
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(LocalSize(h), 32u);
    EXPECT_EQ(LocalFree(h), nullptr);
    EXPECT_EQ(LocalFree(h), h) << "twice is an error, not a double free";
}

}  // namespace
