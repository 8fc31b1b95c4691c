// The library's allocator: every string buffer, XML node and array goes through MemAlloc,
// MemRealloc and MemFree, which forward to the one process-wide MemoryManager.
#pragma once
#include <cstddef>
#include <cstdint>

namespace core {

// Bit 0 of the flags word: a failure returns null instead of calling the failure handler.
constexpr std::uint32_t kMemNoFailureHandler = 1;

struct MemoryBackend;
struct MemoryManager;

using BackendAllocateFn = void* (*)(MemoryBackend* backend, std::size_t size, std::uint32_t flags);
using BackendAllocateAtFn = void* (*)(MemoryBackend* backend, std::size_t size, std::uint32_t flags,
                                      std::uintptr_t origin1, std::uintptr_t origin2);
using BackendReallocateFn = void* (*)(MemoryBackend* backend, void* block, std::size_t size, std::uint32_t flags);
using BackendReallocateAtFn = void* (*)(MemoryBackend* backend, void* block, std::size_t size, std::uint32_t flags,
                                        std::uintptr_t origin1, std::uintptr_t origin2);
using BackendFreeFn = void (*)(MemoryBackend* backend, void* block, std::uint32_t flags);

// The routines that really obtain and release memory, in their fixed slot order.
struct MemoryBackend {
    BackendAllocateFn allocate;
    BackendAllocateAtFn allocateWithOrigin;
    BackendReallocateFn reallocate;
    BackendReallocateAtFn reallocateWithOrigin;
    void* unused1;
    void* unused2;
    BackendFreeFn free;
    void* unused3;
    void* unused4;
    void* unused5;
};

// Told about every allocation, reallocation and release (results are null on failure).
struct MemoryObserver {
    void (*afterAllocate)(MemoryManager* manager, void* result, std::size_t size, std::uint32_t flags);
    void (*afterAllocateWithOrigin)(MemoryManager* manager, void* result, std::size_t size, std::uint32_t flags,
                                    std::uintptr_t origin1, std::uintptr_t origin2);
    void (*afterReallocate)(MemoryManager* manager, void* oldBlock, void* result, std::size_t size,
                            std::uint32_t flags);
    void* unused;
    void (*beforeFree)(MemoryManager* manager, void* block, std::uint32_t flags);
};

using MemoryFailureFn = void (*)(MemoryManager* manager, std::uintptr_t userValue);

struct MemoryManager {
    MemoryBackend* backend;
    MemoryObserver* observer;  // null: nobody is told
    MemoryFailureFn failureHandler;  // null: a failure returns null
    std::uintptr_t userValue;

    void* Allocate(std::size_t size, std::uint32_t flags) {
        void* result = backend->allocate(backend, size, flags);
        if (observer) observer->afterAllocate(this, result, size, flags);
        if (!result) Failed(flags);
        return result;
    }
    void* Reallocate(void* block, std::size_t size, std::uint32_t flags);
    void Free(void* block, std::uint32_t flags) {
        if (!block) return;
        if (observer) observer->beforeFree(this, block, flags);
        backend->free(backend, block, flags);
    }

private:
    // Calls the failure handler, if there is one and the flags allow it.
    void Failed(std::uint32_t flags);
};

// The standard heap as a backend.
extern MemoryBackend g_systemMemoryBackend;

// The backend g_memoryManager uses: the standard heap with small blocks cached in size-class free
// lists and served again, which makes the many small strings and nodes of a document cheap.
extern MemoryBackend g_pooledMemoryBackend;

// The process-wide manager. Its failure handler ends the process with a message: the library's
// callers use what they are given without testing it, so a null block must never reach them.
extern MemoryManager* const g_memoryManager;

// The failure handler installed in g_memoryManager.
[[noreturn]] void EndProcessOutOfMemory(MemoryManager* manager, std::uintptr_t userValue);

inline void* MemAlloc(std::size_t size, std::uint32_t flags = 0) { return g_memoryManager->Allocate(size, flags); }
void* MemRealloc(void* block, std::size_t size, std::uint32_t flags = 0);  // null block: MemAlloc
inline void MemFree(void* block, std::uint32_t flags = 0) { g_memoryManager->Free(block, flags); }  // null: nothing

// The byte size of count elements of elementSize bytes; ends the process like a failed
// allocation when it does not fit in a size_t or exceeds what a 32-bit count can address.
inline std::size_t CheckedByteSize(std::size_t count, std::size_t elementSize) {
    // Lengths in the library are 32-bit signed, so no block may exceed what they can count.
    constexpr std::size_t kLimit = 0x7FFFFFFF;
    if (elementSize != 0 && count > kLimit / elementSize) EndProcessOutOfMemory(g_memoryManager, 0);
    return count * elementSize;
}

}  // namespace core
