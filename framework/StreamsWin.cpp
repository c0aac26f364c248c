// Windows file-handle streams: THandleStream over a borrowed handle and TFileStream that owns one.
#include "framework/Exceptions.h"
#include "framework/Streams.h"

#include <windows.h>

std::int32_t THandleStream::Read(void* buffer, std::int32_t count)
{
    DWORD read = 0;
    if (count <= 0 || !ReadFile(handle_, buffer, static_cast<DWORD>(count), &read, nullptr))
        return 0;
    return static_cast<std::int32_t>(read);
}

std::int32_t THandleStream::Write(const void* buffer, std::int32_t count)
{
    DWORD written = 0;
    if (count <= 0 || !WriteFile(handle_, buffer, static_cast<DWORD>(count), &written, nullptr))
        return 0;
    return static_cast<std::int32_t>(written);
}

std::int64_t THandleStream::Seek(std::int64_t offset, TSeekOrigin origin)
{
    static constexpr DWORD methods[] = { FILE_BEGIN, FILE_CURRENT, FILE_END };
    LARGE_INTEGER distance;
    distance.QuadPart = offset;
    LARGE_INTEGER result;
    if (!SetFilePointerEx(handle_, distance, &result, methods[origin]))
        return -1;
    return result.QuadPart;
}

void THandleStream::SetSize(std::int64_t newSize)
{
    const std::int64_t position = Position();
    if (newSize < 0 || Seek(newSize, soFromBeginning) != newSize || !SetEndOfFile(handle_))
        throw EOSError(GetLastError(), "Cannot change the file size.");
    Seek(position < newSize ? position : newSize, soFromBeginning);
}

namespace {

HANDLE OpenFileHandle(const std::string& fileName, unsigned mode)
{
    if (mode == fmCreate)
        return CreateFileA(fileName.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
            FILE_ATTRIBUTE_NORMAL, nullptr);
    static constexpr DWORD access[] = { GENERIC_READ, GENERIC_WRITE, GENERIC_READ | GENERIC_WRITE };
    static constexpr DWORD share[] = { FILE_SHARE_READ | FILE_SHARE_WRITE, 0, FILE_SHARE_READ,
        FILE_SHARE_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE };
    const unsigned accessIndex = mode & 0x3;
    const unsigned shareIndex = (mode & 0xF0) >> 4;
    if (accessIndex > 2 || shareIndex > 4) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    return CreateFileA(fileName.c_str(), access[accessIndex], share[shareIndex], nullptr, OPEN_EXISTING,
        FILE_ATTRIBUTE_NORMAL, nullptr);
}

} // namespace

TFileStream::TFileStream(const std::string& fileName, unsigned mode)
    : THandleStream(OpenFileHandle(fileName, mode))
    , fileName_(fileName)
{
    if (handle_ == INVALID_HANDLE_VALUE) {
        if (mode == fmCreate)
            throw EFCreateError(fileName);
        throw EFOpenError(fileName);
    }
}

TFileStream::~TFileStream()
{
    CloseHandle(handle_);
}
