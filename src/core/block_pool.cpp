// The pooled backend: small blocks are carved from chunks taken from the standard heap and, once
// freed, kept in one free list per size class to be served again. A document's tree is made of
// many small strings and nodes that are all freed together, so most requests are a list pop and
// most releases a list push. Larger blocks go to the heap directly.
//
// Every block starts with a header naming its size class (0 for a block from the heap) and the
// size last asked for, so that free and reallocate need nothing else. Chunks are never returned
// to the heap: the pool holds at most what the program had in small blocks at its peak.
// Single-threaded, like the rest of the library.
#include <cstdlib>
#include <cstring>

#include "core/memory.h"

#if defined(__SANITIZE_ADDRESS__)
#define CORE_POOL_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define CORE_POOL_ASAN 1
#endif
#endif

#ifdef CORE_POOL_ASAN
#include <sanitizer/asan_interface.h>
// Free and unused parts of a chunk, headers included, stay poisoned, and a block is made
// addressable only for the size asked for, so AddressSanitizer still reports overruns and uses of
// freed blocks. The pool's own reads of headers and links are exempt.
#define POOL_POISON(address, size) ASAN_POISON_MEMORY_REGION(address, size)
#define POOL_UNPOISON(address, size) ASAN_UNPOISON_MEMORY_REGION(address, size)
#define POOL_UNCHECKED __attribute__((no_sanitize_address))
#else
#define POOL_POISON(address, size) ((void)(address), (void)(size))
#define POOL_UNPOISON(address, size) ((void)(address), (void)(size))
#define POOL_UNCHECKED
#endif

namespace core {

namespace {

struct BlockHeader {
    std::uint32_t sizeClass;  // 0: the block came from the heap on its own
    std::uint32_t size;       // bytes last asked for (pooled blocks only)
};
static_assert(sizeof(BlockHeader) == 8, "the header keeps blocks 8-byte aligned");

constexpr std::size_t kGranule = 16;
constexpr std::uint32_t kClassCount = 64;  // blocks of 16 to 1024 bytes, header included
constexpr std::size_t kChunkBytes = 64 * 1024;
constexpr std::size_t kChunkLinkBytes = 16;  // each chunk starts with a link to the previous one

std::size_t BlockBytes(std::uint32_t sizeClass) { return sizeClass * kGranule; }
std::size_t Capacity(std::uint32_t sizeClass) { return BlockBytes(sizeClass) - sizeof(BlockHeader); }
constexpr std::size_t kLargestPooled = kClassCount * kGranule - sizeof(BlockHeader);

struct FreeBlock {
    FreeBlock* next;
};

// Zero-initialised before any code runs, so strings built by static constructors can use it.
struct Pool {
    FreeBlock* freeLists[kClassCount + 1];  // indexed by size class; 0 unused
    char* carveNext;                        // the unused part of the newest chunk
    char* carveEnd;
    void* newestChunk;  // chunks stay linked so that leak checkers see them as reachable
} g_pool;

BlockHeader* HeaderOf(void* block) { return static_cast<BlockHeader*>(block) - 1; }

POOL_UNCHECKED void* Carve(std::uint32_t sizeClass) {
    const std::size_t bytes = BlockBytes(sizeClass);
    if (static_cast<std::size_t>(g_pool.carveEnd - g_pool.carveNext) < bytes) {
        char* chunk = static_cast<char*>(std::malloc(kChunkBytes));
        if (!chunk) return nullptr;
        *reinterpret_cast<void**>(chunk) = g_pool.newestChunk;
        g_pool.newestChunk = chunk;
        g_pool.carveNext = chunk + kChunkLinkBytes;
        g_pool.carveEnd = chunk + kChunkBytes;
        POOL_POISON(g_pool.carveNext, kChunkBytes - kChunkLinkBytes);
    }
    BlockHeader* header = reinterpret_cast<BlockHeader*>(g_pool.carveNext);
    g_pool.carveNext += bytes;
    header->sizeClass = sizeClass;
    return header + 1;
}

POOL_UNCHECKED void* PoolAllocate(std::size_t size) {
    if (size > kLargestPooled) {
        if (size > static_cast<std::size_t>(-1) - sizeof(BlockHeader)) return nullptr;
        BlockHeader* header = static_cast<BlockHeader*>(std::malloc(size + sizeof(BlockHeader)));
        if (!header) return nullptr;
        header->sizeClass = 0;
        header->size = 0;
        return header + 1;
    }
    const std::uint32_t sizeClass = static_cast<std::uint32_t>((size + sizeof(BlockHeader) + kGranule - 1) / kGranule);
    void* block;
    if (FreeBlock* cached = g_pool.freeLists[sizeClass]) {
        g_pool.freeLists[sizeClass] = cached->next;
        block = cached;
    } else {
        block = Carve(sizeClass);
        if (!block) return nullptr;
    }
    HeaderOf(block)->size = static_cast<std::uint32_t>(size);
    POOL_UNPOISON(block, size);
    return block;
}

POOL_UNCHECKED void PoolFree(void* block) {
    if (!block) return;
    BlockHeader* header = HeaderOf(block);
    const std::uint32_t sizeClass = header->sizeClass;
    if (sizeClass == 0) {
        std::free(header);
        return;
    }
    POOL_POISON(block, Capacity(sizeClass));
    FreeBlock* freed = static_cast<FreeBlock*>(block);
    freed->next = g_pool.freeLists[sizeClass];
    g_pool.freeLists[sizeClass] = freed;
}

POOL_UNCHECKED void* PoolReallocate(void* block, std::size_t size) {
    if (!block) return PoolAllocate(size);
    BlockHeader* header = HeaderOf(block);
    const std::uint32_t sizeClass = header->sizeClass;
    if (sizeClass == 0) {
        if (size > static_cast<std::size_t>(-1) - sizeof(BlockHeader)) return nullptr;
        BlockHeader* moved = static_cast<BlockHeader*>(std::realloc(header, size + sizeof(BlockHeader)));
        return moved ? moved + 1 : nullptr;
    }
    const std::size_t oldSize = header->size;
    if (size <= Capacity(sizeClass)) {
        // Only the bytes asked for are addressable, whichever way the size moved.
        if (size < oldSize) POOL_POISON(static_cast<char*>(block) + size, oldSize - size);
        header->size = static_cast<std::uint32_t>(size);
        POOL_UNPOISON(block, size);
        return block;
    }
    void* moved = PoolAllocate(size);
    if (!moved) return nullptr;  // the old block stays valid, as with the heap's reallocate
    std::memcpy(moved, block, oldSize);
    PoolFree(block);
    return moved;
}

void* PooledAllocate(MemoryBackend*, std::size_t size, std::uint32_t) { return PoolAllocate(size); }

void* PooledAllocateAt(MemoryBackend*, std::size_t size, std::uint32_t, std::uintptr_t, std::uintptr_t) {
    return PoolAllocate(size);
}

void* PooledReallocate(MemoryBackend*, void* block, std::size_t size, std::uint32_t) {
    return PoolReallocate(block, size);
}

void* PooledReallocateAt(MemoryBackend*, void* block, std::size_t size, std::uint32_t, std::uintptr_t,
                         std::uintptr_t) {
    return PoolReallocate(block, size);
}

void PooledFree(MemoryBackend*, void* block, std::uint32_t) { PoolFree(block); }

}  // namespace

MemoryBackend g_pooledMemoryBackend = {&PooledAllocate,     &PooledAllocateAt, &PooledReallocate,
                                       &PooledReallocateAt, nullptr,           nullptr,
                                       &PooledFree,         nullptr,           nullptr,
                                       nullptr};

}  // namespace core
