// Memory the stand-in SDK hands out: every block is registered so PGPFreeData can refuse a pointer
// it did not make, and secure blocks are locked in memory and zeroed before release.
#pragma once

#include "engine/sdk/PGPsdkTypes.h"

#include <cstddef>
#include <string_view>

namespace standin {

// A plain block for SDK-allocated output; freed by the caller with PGPFreeData. Null on failure.
void* AllocateData(PGPSize size);

// Output in a block of AllocateData: a job whose caller wants the SDK to allocate its output hands
// the block over instead of copying it; a block not handed over is wiped and freed.
class DataBlock {
public:
    DataBlock() = default;
    explicit DataBlock(size_t size); // Data() is null when the allocation failed
    ~DataBlock();
    DataBlock(DataBlock&& other) noexcept;
    DataBlock& operator=(DataBlock&& other) noexcept;

    char* Data() const { return data_; }
    size_t Size() const { return size_; }
    bool Holds(std::string_view bytes) const
    {
        return data_ && bytes.data() >= data_ && bytes.data() + bytes.size() <= data_ + size_;
    }
    // Only the first `size` bytes were written: the rest of a block reserved for the largest
    // output is never touched again, not even to be wiped.
    void Trim(size_t size);
    // The block, now the caller's to free with PGPFreeData.
    void* Release();

private:
    char* data_ = nullptr;
    size_t size_ = 0;
};

// Bytes the SDK itself keeps secret (cached passphrases, unlocked keys) in its secure memory:
// locked against paging and zeroed when the block goes.
class SecureBlock {
public:
    SecureBlock() = default;
    explicit SecureBlock(std::string_view bytes); // std::bad_alloc when no secure memory is left
    ~SecureBlock();
    SecureBlock(SecureBlock&& other) noexcept;
    SecureBlock& operator=(SecureBlock&& other) noexcept;

    std::string_view View() const { return { data_, size_ }; }

private:
    char* data_ = nullptr;
    size_t size_ = 0;
};

} // namespace standin
