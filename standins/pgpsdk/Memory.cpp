// Memory managers, secure data and PGPFreeData of the stand-in SDK.
#include "standins/pgpsdk/Memory.h"
#include "standins/pgpsdk/HandleTable.h"
#include "standins/pgpsdk/StandInExports.h"
#include "standins/pgpsdk/openpgp/Crypto.h"

#include <cstdlib>
#include <cstring>
#include <new>
#include <mutex>
#include <unordered_map>
#include <utility>

#if defined(_WIN32)
#include <windows.h>
#endif

PGP_CORE_ENTRIES(STANDIN_DECLARE, STANDIN_DECLARE_NOTHING)

namespace standin {
namespace {

struct MemoryMgr : SdkObject { };

struct Block {
    PGPSize size;
    bool secure;
};

class Blocks {
public:
    // False when the registry itself cannot grow; the caller then gives the block back.
    bool Add(void* p, Block block) noexcept
    {
        try {
            std::lock_guard guard(lock_);
            blocks_[p] = block;
            return true;
        } catch (...) {
            return false;
        }
    }
    void Shorten(void* p, PGPSize size)
    {
        std::lock_guard guard(lock_);
        auto it = blocks_.find(p);
        if (it != blocks_.end() && size < it->second.size)
            it->second.size = size;
    }
    bool Take(void* p, Block& block)
    {
        std::lock_guard guard(lock_);
        auto it = blocks_.find(p);
        if (it == blocks_.end())
            return false;
        block = it->second;
        blocks_.erase(it);
        return true;
    }

private:
    std::mutex lock_;
    std::unordered_map<void*, Block> blocks_;
};

Blocks& AllBlocks()
{
    static Blocks blocks;
    return blocks;
}

void* AllocateSecure(PGPSize size)
{
#if defined(_WIN32)
    void* p = VirtualAlloc(nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (p)
        VirtualLock(p, size); // best effort: a failed lock still leaves zeroed, wiped memory
    return p;
#else
    return std::calloc(1, size);
#endif
}

void ReleaseSecure(void* p, PGPSize size)
{
    openpgp::WipeBytes(p, size);
#if defined(_WIN32)
    VirtualUnlock(p, size);
    VirtualFree(p, 0, MEM_RELEASE);
#else
    std::free(p);
#endif
}

} // namespace

void* AllocateData(PGPSize size)
{
    void* p = std::calloc(1, size ? size : 1);
    if (p && !AllBlocks().Add(p, { size, false })) {
        std::free(p);
        return nullptr;
    }
    return p;
}

DataBlock::DataBlock(size_t size) : data_(static_cast<char*>(AllocateData(static_cast<PGPSize>(size))))
{
    size_ = data_ ? size : 0;
}

DataBlock::~DataBlock()
{
    if (data_)
        PGPFreeData(data_);
}

DataBlock::DataBlock(DataBlock&& other) noexcept : data_(other.data_), size_(other.size_)
{
    other.data_ = nullptr;
    other.size_ = 0;
}

DataBlock& DataBlock::operator=(DataBlock&& other) noexcept
{
    if (this != &other) {
        if (data_)
            PGPFreeData(data_);
        data_ = std::exchange(other.data_, nullptr);
        size_ = std::exchange(other.size_, 0);
    }
    return *this;
}

void DataBlock::Trim(size_t size)
{
    if (!data_ || size >= size_)
        return;
    AllBlocks().Shorten(data_, static_cast<PGPSize>(size));
    size_ = size;
}

void* DataBlock::Release()
{
    size_ = 0;
    return std::exchange(data_, nullptr);
}

SecureBlock::SecureBlock(std::string_view bytes)
{
    if (bytes.empty())
        return;
    data_ = static_cast<char*>(AllocateSecure(static_cast<PGPSize>(bytes.size())));
    if (!data_)
        throw std::bad_alloc();
    std::memcpy(data_, bytes.data(), bytes.size());
    size_ = bytes.size();
}

SecureBlock::~SecureBlock()
{
    if (data_)
        ReleaseSecure(data_, static_cast<PGPSize>(size_));
}

SecureBlock::SecureBlock(SecureBlock&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)), size_(std::exchange(other.size_, 0))
{
}

SecureBlock& SecureBlock::operator=(SecureBlock&& other) noexcept
{
    if (this != &other) {
        if (data_)
            ReleaseSecure(data_, static_cast<PGPSize>(size_));
        data_ = std::exchange(other.data_, nullptr);
        size_ = std::exchange(other.size_, 0);
    }
    return *this;
}

} // namespace standin

using namespace standin;

extern "C" {

PGPMemoryMgrRef PGP_CDECL PGPGetDefaultMemoryMgr()
{
    static const PGPMemoryMgrRef manager = Handles().Add(ObjectKind::MemoryMgr, std::make_shared<MemoryMgr>());
    return manager;
}

void* PGP_CDECL PGPNewSecureData(PGPMemoryMgrRef mgr, PGPSize size, uint32_t)
{
    if (!Handles().Contains(mgr, ObjectKind::MemoryMgr) || size == 0)
        return nullptr;
    void* p = AllocateSecure(size);
    if (p && !AllBlocks().Add(p, { size, true })) {
        ReleaseSecure(p, size);
        return nullptr;
    }
    return p;
}

PGPError PGP_CDECL PGPFreeData(void* data)
{
    Block block {};
    if (!data || !AllBlocks().Take(data, block))
        return kPGPError_BadParams;
    if (block.secure) {
        ReleaseSecure(data, block.size);
    } else {
        openpgp::WipeBytes(data, block.size); // outputs may be decrypted text
        std::free(data);
    }
    return kPGPError_NoErr;
}

} // extern "C"
