// The pooled backend behind MemAlloc: freed small blocks are served again, contents survive
// reallocation across size classes and to and from the heap, and blocks keep their alignment.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "core/memory.h"

namespace {

TEST(PooledMemory, IsTheManagersBackend) { EXPECT_EQ(core::g_memoryManager->backend, &core::g_pooledMemoryBackend); }

TEST(PooledMemory, FreedSmallBlocksAreServedAgainForTheirSizeClass) {
    void* first = core::MemAlloc(40);
    core::MemFree(first);
    void* again = core::MemAlloc(36);  // the same class of 48-byte blocks
    EXPECT_EQ(again, first);
    void* other = core::MemAlloc(100);  // another class
    EXPECT_NE(other, first);
    core::MemFree(other);
    core::MemFree(again);

    void* empty = core::MemAlloc(0);  // a block all the same, freed like any other
    ASSERT_NE(empty, nullptr);
    core::MemFree(empty);
}

TEST(PooledMemory, BlocksAreDistinctAndAligned) {
    std::vector<unsigned char*> blocks;
    for (std::size_t size : {1u, 8u, 9u, 24u, 200u, 1016u, 1017u, 5000u, 100000u}) {
        for (int i = 0; i < 3; ++i) {
            auto* block = static_cast<unsigned char*>(core::MemAlloc(size));
            ASSERT_NE(block, nullptr);
            EXPECT_EQ(reinterpret_cast<std::uintptr_t>(block) % 8, 0u) << size;
            std::memset(block, static_cast<int>(blocks.size()), size);
            blocks.push_back(block);
        }
    }
    // No block overlaps another: each still holds its own fill.
    std::size_t index = 0;
    for (std::size_t size : {1u, 8u, 9u, 24u, 200u, 1016u, 1017u, 5000u, 100000u}) {
        for (int i = 0; i < 3; ++i, ++index) {
            EXPECT_EQ(blocks[index][0], static_cast<unsigned char>(index));
            EXPECT_EQ(blocks[index][size - 1], static_cast<unsigned char>(index));
        }
    }
    for (unsigned char* block : blocks) core::MemFree(block);
}

TEST(PooledMemory, ReallocationKeepsTheContentsAcrossClassesAndTheHeap) {
    auto* block = static_cast<unsigned char*>(core::MemAlloc(10));
    for (int i = 0; i < 10; ++i) block[i] = static_cast<unsigned char>(i + 1);
    EXPECT_EQ(core::MemRealloc(block, 6), block);  // shrinking stays in place
    EXPECT_EQ(core::MemRealloc(block, 8), block);  // and so does growing within the class
    for (std::size_t size : {300u, 900u, 4000u, 70000u, 50u}) {
        block = static_cast<unsigned char*>(core::MemRealloc(block, size));
        ASSERT_NE(block, nullptr);
        for (int i = 0; i < 6; ++i) EXPECT_EQ(block[i], i + 1) << size;
    }
    core::MemFree(block);
}

}  // namespace
