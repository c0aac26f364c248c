// The heap of a test program that looks for plaintext in freed memory: each block carries its size
// in front, so that a delete can search the whole block before handing it back.
#include "support/FreedTextWatch.h"

#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {

// Room in front of each block for its size; a multiple of every fundamental alignment.
constexpr std::size_t kPrefix = 16;

std::atomic<const char*> watched {nullptr};
std::atomic<int> hits {0};

bool HoldsText(const char* Block, std::size_t Size, const char* Text)
{
    const std::size_t length = std::strlen(Text);
    for (std::size_t i = 0; i + length <= Size; ++i)
        if (Block[i] == Text[0] && std::memcmp(Block + i, Text, length) == 0)
            return true;
    return false;
}

void* Allocate(std::size_t Size) noexcept
{
    char* block = static_cast<char*>(std::malloc(Size + kPrefix));
    if (!block)
        return nullptr;
    std::memcpy(block, &Size, sizeof Size);
    return block + kPrefix;
}

void Release(void* Pointer) noexcept
{
    if (!Pointer)
        return;
    char* block = static_cast<char*>(Pointer) - kPrefix;
    std::size_t size = 0;
    std::memcpy(&size, block, sizeof size);
    if (const char* marker = watched.load(); marker && HoldsText(block + kPrefix, size, marker))
        ++hits;
    std::free(block);
}

void* AllocateOrThrow(std::size_t Size)
{
    void* pointer = Allocate(Size);
    if (!pointer)
        throw std::bad_alloc();
    return pointer;
}

} // namespace

TFreedTextWatch::TFreedTextWatch(const char* Marker)
{
    hits = 0;
    watched = Marker;
}

TFreedTextWatch::~TFreedTextWatch() { watched = nullptr; }

int TFreedTextWatch::Hits() const { return hits; }

void* operator new(std::size_t Size) { return AllocateOrThrow(Size); }
void* operator new[](std::size_t Size) { return AllocateOrThrow(Size); }
void* operator new(std::size_t Size, const std::nothrow_t&) noexcept { return Allocate(Size); }
void* operator new[](std::size_t Size, const std::nothrow_t&) noexcept { return Allocate(Size); }
void operator delete(void* Pointer) noexcept { Release(Pointer); }
void operator delete[](void* Pointer) noexcept { Release(Pointer); }
void operator delete(void* Pointer, std::size_t) noexcept { Release(Pointer); }
void operator delete[](void* Pointer, std::size_t) noexcept { Release(Pointer); }
void operator delete(void* Pointer, const std::nothrow_t&) noexcept { Release(Pointer); }
void operator delete[](void* Pointer, const std::nothrow_t&) noexcept { Release(Pointer); }
