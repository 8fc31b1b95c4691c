// The allocator's routing and failure path, the code-page converter, and BasicArray growth.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "core/basic_array.h"
#include "core/code_page.h"
#include "core/memory.h"

namespace {

using core::BasicArray;

std::vector<std::string> g_events;

void* FailAllocate(core::MemoryBackend*, std::size_t, std::uint32_t) { return nullptr; }
void* FailReallocate(core::MemoryBackend*, void*, std::size_t, std::uint32_t) { return nullptr; }
void RecordFailure(core::MemoryManager*, std::uintptr_t user) { g_events.push_back("failed " + std::to_string(user)); }
void ObserveAllocate(core::MemoryManager*, void* result, std::size_t size, std::uint32_t) {
    g_events.push_back(std::string(result ? "alloc " : "alloc-null ") + std::to_string(size));
}
void ObserveReallocate(core::MemoryManager*, void*, void* result, std::size_t size, std::uint32_t) {
    g_events.push_back(std::string(result ? "realloc " : "realloc-null ") + std::to_string(size));
}
void ObserveFree(core::MemoryManager*, void*, std::uint32_t) { g_events.push_back("free"); }

// Swaps parts of the process-wide manager for one test and puts them back afterwards.
class ManagerOverride {
public:
    ManagerOverride() : m_saved(*core::g_memoryManager) { g_events.clear(); }
    ~ManagerOverride() { *core::g_memoryManager = m_saved; }

private:
    core::MemoryManager m_saved;
};

TEST(MemoryManager, NullPointersFollowTheirRules) {
    core::MemoryObserver observer = {&ObserveAllocate, nullptr, &ObserveReallocate, nullptr, &ObserveFree};
    ManagerOverride restore;
    core::g_memoryManager->observer = &observer;

    void* block = core::MemRealloc(nullptr, 16);  // behaves as MemAlloc
    ASSERT_NE(block, nullptr);
    block = core::MemRealloc(block, 32);
    core::MemFree(nullptr);  // nothing at all, not even the observer
    core::MemFree(block);
    EXPECT_EQ(g_events, (std::vector<std::string>{"alloc 16", "realloc 32", "free"}));
}

TEST(MemoryManager, FailureTellsObserverThenHandlerUnlessFlagged) {
    core::MemoryBackend failing = *core::g_memoryManager->backend;
    failing.allocate = &FailAllocate;
    failing.reallocate = &FailReallocate;
    core::MemoryObserver observer = {&ObserveAllocate, nullptr, &ObserveReallocate, nullptr, &ObserveFree};
    ManagerOverride restore;
    core::g_memoryManager->backend = &failing;
    core::g_memoryManager->observer = &observer;
    core::g_memoryManager->failureHandler = &RecordFailure;
    core::g_memoryManager->userValue = 7;

    EXPECT_EQ(core::MemAlloc(8), nullptr);
    EXPECT_EQ(core::MemAlloc(8, core::kMemNoFailureHandler), nullptr);
    int local = 0;
    EXPECT_EQ(core::g_memoryManager->Reallocate(&local, 8, 0), nullptr);
    EXPECT_EQ(g_events, (std::vector<std::string>{"alloc-null 8", "failed 7", "alloc-null 8", "realloc-null 8",
                                                  "failed 7"}));
}

TEST(MemoryManagerDeathTest, ExhaustedMemoryEndsTheProcessWithAMessage) {
    EXPECT_EXIT(
        {
            core::MemoryBackend failing = *core::g_memoryManager->backend;
            failing.allocate = &FailAllocate;
            core::g_memoryManager->backend = &failing;
            core::WideString text(u"needs a buffer");
        },
        testing::ExitedWithCode(3), "run out of memory");
    EXPECT_EXIT(core::CheckedByteSize(0x40000000, 2), testing::ExitedWithCode(3), "run out of memory");
}

std::int32_t Word(const BasicArray& array, std::int32_t i) { return *static_cast<std::int32_t*>(array.At(i)); }
void SetWord(BasicArray& array, std::int32_t i, std::int32_t v) { *static_cast<std::int32_t*>(array.At(i)) = v; }

TEST(BasicArray, GrowsBySizeOverEightWithinFourTo1024) {
    BasicArray array(4);
    array.Resize(1);
    EXPECT_EQ(array.capacity, 1);  // the first storage is exact
    SetWord(array, 0, 42);
    array.Resize(2);
    EXPECT_EQ(array.capacity, 5);  // step 4
    for (int i = 1; i < 5; ++i) EXPECT_EQ(Word(array, i), 0);
    EXPECT_EQ(Word(array, 0), 42);
    array.Resize(6);
    EXPECT_EQ(array.capacity, 9);
    array.Resize(3);  // shrinking keeps the storage
    EXPECT_EQ(array.capacity, 9);
    EXPECT_EQ(array.size, 3);
    array.Resize(0);
    EXPECT_EQ(array.data, nullptr);
    EXPECT_EQ(array.capacity, 0);

    array.Resize(100);
    array.Resize(101);
    EXPECT_EQ(array.capacity, 112);  // step 12
    array.Resize(10000);
    array.Resize(10000);
    array.Resize(0);
    array.Resize(10000);
    array.Resize(10001);
    EXPECT_EQ(array.capacity, 11024);  // step clamped to 1024
    array.Resize(20000);
    EXPECT_EQ(array.capacity, 20000);  // a jump past the step takes the size asked for
    array.Resize(20001, 3);
    EXPECT_EQ(array.capacity, 20003);  // an explicit step
    array.FreeStorage();
}

TEST(BasicArray, ResizeWithinCapacityZeroesRegrownElements) {
    BasicArray array(4);
    array.Resize(4);
    for (int i = 0; i < 4; ++i) SetWord(array, i, i + 1);
    array.Resize(2);
    array.Resize(4);
    EXPECT_EQ(Word(array, 2), 0);
    EXPECT_EQ(Word(array, 3), 0);
    array.FreeStorage();
}

TEST(BasicArray, InsertMovesUpOrExtends) {
    BasicArray array(4);
    array.Resize(3);
    for (int i = 0; i < 3; ++i) SetWord(array, i, i + 1);
    void* first = array.Insert(0, 1);
    EXPECT_EQ(first, array.At(0));
    EXPECT_EQ(array.size, 4);
    EXPECT_EQ(Word(array, 0), 0);
    EXPECT_EQ(Word(array, 1), 1);
    EXPECT_EQ(Word(array, 3), 3);
    array.FreeStorage();

    BasicArray tail(4);
    tail.Resize(3);
    for (int i = 0; i < 3; ++i) SetWord(tail, i, 9);
    void* fifth = tail.Insert(5, 1);
    EXPECT_EQ(fifth, tail.At(5));
    EXPECT_EQ(tail.size, 6);
    for (int i = 3; i < 6; ++i) EXPECT_EQ(Word(tail, i), 0);
    tail.FreeStorage();
}

TEST(CodePageConverter, ConvertsThroughTheAnsiCodePage) {
    const core::WideString wide = core::WideString::FromBytes("caf\xe9 \x80", -1);
    EXPECT_TRUE(wide.Equals(u"caf\u00e9 \u20ac"));
    EXPECT_EQ(wide.GetAllocLength(), wide.GetLength());  // measured, then converted exactly
    const core::ByteString bytes = core::ByteString::FromWide(wide);
    EXPECT_TRUE(bytes.Equals("caf\xe9 \x80"));

    EXPECT_TRUE(core::WideString::FromBytes("", -1).IsEmpty());
    EXPECT_TRUE(core::WideString::FromBytes(nullptr, -1).IsEmpty());
    EXPECT_TRUE(core::ByteString::FromWide(core::WideString()).IsEmpty());
    EXPECT_TRUE(core::WideString::FromBytes("a\0b", 3).Equals(core::WideSpan(u"a\0b", 3)));
}

}  // namespace
