// BasicArray: an untyped growable array of fixed-size elements. New elements are always
// zero-filled; the array does not know what its elements are, so owners release their contents
// before shrinking or freeing it.
#pragma once
#include <cstdint>

namespace core {

struct BasicArray {
    void* data = nullptr;  // null while there is no storage
    std::int32_t size = 0;
    std::int32_t capacity = 0;
    std::int32_t growBy = 0;  // 0: size/8, at least 4 and at most 1024
    std::int32_t elementSize = 0;

    BasicArray() = default;
    explicit BasicArray(std::int32_t bytesPerElement) : elementSize(bytesPerElement) {}
    BasicArray(const BasicArray&) = delete;
    BasicArray& operator=(const BasicArray&) = delete;

    // newGrowBy -1 keeps the current step.
    void Resize(std::int32_t newSize, std::int32_t newGrowBy = -1);
    // Makes room for count zeroed elements at index and returns the first of them.
    void* Insert(std::int32_t index, std::int32_t count);
    void FreeStorage();

    void* At(std::int32_t index) const { return static_cast<char*>(data) + static_cast<std::intptr_t>(index) * elementSize; }
};

}  // namespace core
