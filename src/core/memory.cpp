#include "core/memory.h"

#include <cstdlib>

#include "platform/system.h"

namespace core {

namespace {

void* SystemAllocate(MemoryBackend*, std::size_t size, std::uint32_t) { return std::malloc(size ? size : 1); }

void* SystemAllocateAt(MemoryBackend*, std::size_t size, std::uint32_t, std::uintptr_t, std::uintptr_t) {
    return std::malloc(size ? size : 1);
}

void* SystemReallocate(MemoryBackend*, void* block, std::size_t size, std::uint32_t) {
    return std::realloc(block, size ? size : 1);
}

void* SystemReallocateAt(MemoryBackend*, void* block, std::size_t size, std::uint32_t, std::uintptr_t,
                         std::uintptr_t) {
    return std::realloc(block, size ? size : 1);
}

void SystemFree(MemoryBackend*, void* block, std::uint32_t) { std::free(block); }

MemoryManager g_manager = {&g_pooledMemoryBackend, nullptr, &EndProcessOutOfMemory, 0};

}  // namespace

MemoryBackend g_systemMemoryBackend = {&SystemAllocate,     &SystemAllocateAt, &SystemReallocate,
                                       &SystemReallocateAt, nullptr,           nullptr,
                                       &SystemFree,         nullptr,           nullptr,
                                       nullptr};

MemoryManager* const g_memoryManager = &g_manager;

void EndProcessOutOfMemory(MemoryManager*, std::uintptr_t) {
    win::FatalAppExitW(0, u"Orvik Pendrel Uninstall has run out of memory and must close.");
}

void MemoryManager::Failed(std::uint32_t flags) {
    if (failureHandler && !(flags & kMemNoFailureHandler)) failureHandler(this, userValue);
}

void* MemoryManager::Reallocate(void* block, std::size_t size, std::uint32_t flags) {
    void* result = backend->reallocate(backend, block, size, flags);
    if (observer) observer->afterReallocate(this, block, result, size, flags);
    if (!result) Failed(flags);
    return result;
}

void* MemRealloc(void* block, std::size_t size, std::uint32_t flags) {
    if (!block) return MemAlloc(size, flags);
    return g_memoryManager->Reallocate(block, size, flags);
}

}  // namespace core
