#include "core/basic_array.h"

#include <cstring>

#include "core/memory.h"

namespace core {

namespace {

std::size_t Bytes(std::int32_t count, std::int32_t elementSize) {
    return CheckedByteSize(static_cast<std::size_t>(count), static_cast<std::size_t>(elementSize));
}

}  // namespace

void BasicArray::Resize(std::int32_t newSize, std::int32_t newGrowBy) {
    if (newGrowBy != -1) growBy = newGrowBy;
    if (newSize < 0) newSize = 0;
    if (newSize == 0) {
        FreeStorage();
        size = capacity = 0;
        return;
    }
    if (!data) {
        data = MemAlloc(Bytes(newSize, elementSize), 0);
        std::memset(data, 0, Bytes(newSize, elementSize));
        size = capacity = newSize;
        return;
    }
    if (newSize <= capacity) {
        if (newSize > size) std::memset(At(size), 0, Bytes(newSize - size, elementSize));
        size = newSize;
        return;
    }
    std::int32_t step = growBy;
    if (step <= 0) {
        step = size / 8;
        if (step < 4) step = 4;
        if (step > 1024) step = 1024;
    }
    const std::int64_t grown = static_cast<std::int64_t>(capacity) + step;
    const std::int64_t wanted = newSize < grown ? grown : newSize;
    if (wanted > 0x7FFFFFFF) EndProcessOutOfMemory(g_memoryManager, 0);
    const std::int32_t newCapacity = static_cast<std::int32_t>(wanted);
    data = MemRealloc(data, Bytes(newCapacity, elementSize), 0);
    std::memset(At(size), 0, Bytes(newCapacity - size, elementSize));
    size = newSize;
    capacity = newCapacity;
}

void* BasicArray::Insert(std::int32_t index, std::int32_t count) {
    if (index < 0) index = 0;
    if (count < 0) count = 0;
    if (index >= size) {
        Resize(index + count);
        return data ? At(index) : nullptr;
    }
    const std::int32_t oldSize = size;
    Resize(size + count);
    std::memmove(At(index + count), At(index), Bytes(oldSize - index, elementSize));
    std::memset(At(index), 0, Bytes(count, elementSize));
    return At(index);
}

void BasicArray::FreeStorage() {
    if (data) MemFree(data, 0);
    data = nullptr;
}

}  // namespace core
