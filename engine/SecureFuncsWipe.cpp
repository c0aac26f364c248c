// The own file wipe: every sector of the file overwritten with random patterns for each pass,
// written unbuffered from a page-aligned buffer in whole sectors and flushed, then the file deleted.
// It answers truthfully whether the file is gone, so a caller never reports a wipe that did not happen.
#include "engine/SecureFuncs.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <utility>

namespace {

// The chunk written per call: whole sectors, about 64 KB.
constexpr size_t kWriteChunk = 64 * 1024;

class TWipeHandle {
public:
    explicit TWipeHandle(HANDLE handle) : handle_(handle) {}
    ~TWipeHandle()
    {
        if (handle_ != INVALID_HANDLE_VALUE)
            CloseHandle(handle_);
    }
    TWipeHandle(const TWipeHandle&) = delete;
    TWipeHandle& operator=(const TWipeHandle&) = delete;
    HANDLE get() const { return handle_; }
    bool Close()
    {
        HANDLE handle = std::exchange(handle_, INVALID_HANDLE_VALUE);
        return CloseHandle(handle) != 0;
    }

private:
    HANDLE handle_;
};

// Unbuffered writes need a sector-aligned address: VirtualAlloc gives page alignment.
class TAlignedBuffer {
public:
    explicit TAlignedBuffer(size_t size)
        : data_(static_cast<uint8_t*>(VirtualAlloc(nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE)))
    {
    }
    ~TAlignedBuffer()
    {
        if (data_)
            VirtualFree(data_, 0, MEM_RELEASE);
    }
    TAlignedBuffer(const TAlignedBuffer&) = delete;
    TAlignedBuffer& operator=(const TAlignedBuffer&) = delete;
    uint8_t* data() const { return data_; }

private:
    uint8_t* data_;
};

// Bytes per sector of the drive holding the file; 0 when the drive does not say.
uint32_t DriveSectorSize(const std::string& fileName)
{
    char full[MAX_PATH];
    DWORD length = GetFullPathNameA(fileName.c_str(), MAX_PATH, full, nullptr);
    if (length == 0 || length >= MAX_PATH)
        return 0;
    std::string path(full, length);
    std::string root;
    if (path.size() >= 3 && path[1] == ':' && path[2] == '\\') {
        root = path.substr(0, 3);
    } else if (path.rfind("\\\\", 0) == 0) {
        size_t share = path.find('\\', 2);
        size_t end = share == std::string::npos ? std::string::npos : path.find('\\', share + 1);
        root = (end == std::string::npos ? path : path.substr(0, end)) + "\\";
    } else {
        return 0;
    }
    DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, clusters = 0;
    if (!GetDiskFreeSpaceA(root.c_str(), &sectorsPerCluster, &bytesPerSector, &freeClusters, &clusters))
        return 0;
    return bytesPerSector;
}

bool WritePass(HANDLE file, uint8_t* chunk, size_t chunkSectors, size_t sector, uint64_t sectors,
    const std::function<uint32_t()>& nextRandom)
{
    FillWipePattern(chunk, sector, nextRandom);
    for (size_t i = 1; i < chunkSectors; ++i)
        std::memcpy(chunk + i * sector, chunk, sector);
    LARGE_INTEGER start {};
    if (!SetFilePointerEx(file, start, nullptr, FILE_BEGIN))
        return false;
    for (uint64_t left = sectors; left > 0;) {
        size_t count = static_cast<size_t>(std::min<uint64_t>(left, chunkSectors));
        DWORD bytes = static_cast<DWORD>(count * sector), written = 0;
        if (!WriteFile(file, chunk, bytes, &written, nullptr) || written != bytes)
            return false;
        left -= count;
    }
    return FlushFileBuffers(file) != 0;
}

// Overwrites the file passes times and deletes it; a locked file fails and is kept.
bool OverwriteAndDelete(const std::string& fileName, uint32_t passes, const std::function<uint32_t()>& nextRandom)
{
    if (passes == 0)
        return DeleteFileA(fileName.c_str()) != 0;

    const size_t sector = WipeSectorSize(DriveSectorSize(fileName));
    const size_t chunkSectors = std::max<size_t>(1, kWriteChunk / sector);
    TAlignedBuffer chunk(chunkSectors * sector);
    if (!chunk.data())
        return false;
    // Not shared: nobody reads the file between the passes, and a locked file fails here and is kept.
    TWipeHandle file(CreateFileA(fileName.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
        FILE_ATTRIBUTE_NORMAL | FILE_FLAG_NO_BUFFERING | FILE_FLAG_WRITE_THROUGH, nullptr));
    LARGE_INTEGER size;
    if (file.get() == INVALID_HANDLE_VALUE || !GetFileSizeEx(file.get(), &size))
        return false;
    const uint64_t sectors = (static_cast<uint64_t>(size.QuadPart) + sector - 1) / sector;
    for (uint32_t pass = 0; pass < passes; ++pass)
        if (!WritePass(file.get(), chunk.data(), chunkSectors, sector, sectors, nextRandom))
            return false;
    return file.Close() && DeleteFileA(fileName.c_str()) != 0;
}

} // namespace

bool OverwriteAndDeleteFile(const std::string& fileName, uint32_t passes, const std::function<uint32_t()>& nextRandom)
{
    DWORD attributes = GetFileAttributesA(fileName.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        return false;
    // A wipe destroys a read-only or hidden file too; one that cannot be wiped keeps its attributes.
    if (attributes != FILE_ATTRIBUTE_NORMAL && !SetFileAttributesA(fileName.c_str(), FILE_ATTRIBUTE_NORMAL))
        return false;
    const bool wiped = OverwriteAndDelete(fileName, passes, nextRandom);
    if (!wiped && attributes != FILE_ATTRIBUTE_NORMAL)
        SetFileAttributesA(fileName.c_str(), attributes);
    return wiped;
}
