// Byte streams: the abstract `TStream` and the in-memory `TMemoryStream` and `TStringStream`.
// Positions and sizes are 64-bit byte counts from the start of the stream.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

enum TSeekOrigin { soFromBeginning = 0, soFromCurrent = 1, soFromEnd = 2 };

class TStream {
public:
    virtual ~TStream() = default;

    // Read and Write move at most count bytes and return how many moved (0 at the end or on failure).
    virtual std::int32_t Read(void* buffer, std::int32_t count) = 0;
    virtual std::int32_t Write(const void* buffer, std::int32_t count) = 0;
    // Returns the new position, or -1 when the target lies before the start (position unchanged).
    virtual std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) = 0;
    virtual void SetSize(std::int64_t newSize) = 0;
    virtual std::int64_t Size();

    std::int64_t Position() { return Seek(0, soFromCurrent); }
    void SetPosition(std::int64_t position) { Seek(position, soFromBeginning); }

    // All or nothing: raise EReadError / EWriteError when fewer bytes move.
    void ReadBuffer(void* buffer, std::int32_t count);
    void WriteBuffer(const void* buffer, std::int32_t count);

    // Copies count bytes from source's current position; count 0 copies all of source from its start.
    // Returns the number of bytes copied; raises EReadError/EWriteError when short.
    std::int64_t CopyFrom(TStream& source, std::int64_t count);

protected:
    TStream() = default;
    TStream(const TStream&) = default;
    TStream& operator=(const TStream&) = default;
};

// Shared logic of the streams that keep their bytes in a contiguous buffer.
template <typename Buffer> class TBufferStream : public TStream {
public:
    std::int32_t Read(void* buffer, std::int32_t count) override;
    std::int32_t Write(const void* buffer, std::int32_t count) override;
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
    void SetSize(std::int64_t newSize) override;
    std::int64_t Size() override { return static_cast<std::int64_t>(data_.size()); }

protected:
    TBufferStream() = default;
    explicit TBufferStream(Buffer data)
        : data_(std::move(data))
    {
    }
    Buffer data_;
    std::int64_t position_ = 0;
};

extern template class TBufferStream<std::vector<std::uint8_t>>;
extern template class TBufferStream<std::string>;

class TMemoryStream : public TBufferStream<std::vector<std::uint8_t>> {
public:
    TMemoryStream() = default;

    std::uint8_t* Memory() noexcept { return data_.data(); }
    const std::uint8_t* Memory() const noexcept { return data_.data(); }
    void Clear() noexcept;

    void LoadFromStream(TStream& source);
    void SaveToStream(TStream& target) const;
    void LoadFromFile(const std::string& fileName); // raises EFOpenError
    void SaveToFile(const std::string& fileName) const; // raises EFCreateError
};

// A stream over a byte string. Writing inside the string overwrites; writing past its end extends it.
class TStringStream : public TBufferStream<std::string> {
public:
    explicit TStringStream(std::string data = {})
        : TBufferStream(std::move(data))
    {
    }

    const std::string& DataString() const noexcept { return data_; }
    // Reads up to count bytes from the position.
    std::string ReadString(std::int32_t count);
    void WriteString(const std::string& text)
    {
        WriteBuffer(text.data(), static_cast<std::int32_t>(text.size()));
    }
};

#ifdef _WIN32
// Streams over Windows file handles (library zavek_framework). Handles are kept as void* so that
// this header needs no <windows.h>.

// A stream over a handle it does not own.
class THandleStream : public TStream {
public:
    explicit THandleStream(void* handle) noexcept
        : handle_(handle)
    {
    }
    void* Handle() const noexcept { return handle_; }

    std::int32_t Read(void* buffer, std::int32_t count) override;
    std::int32_t Write(const void* buffer, std::int32_t count) override;
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
    // Cuts or extends the file at newSize; the position stays unless it lay past the new end.
    void SetSize(std::int64_t newSize) override;

protected:
    void* handle_;
};

// Open modes: one access mode, optionally or'ed with one share mode. fmCreate creates or truncates.
enum : unsigned {
    fmOpenRead = 0x0000,
    fmOpenWrite = 0x0001,
    fmOpenReadWrite = 0x0002,
    fmShareExclusive = 0x0010,
    fmShareDenyWrite = 0x0020,
    fmShareDenyRead = 0x0030,
    fmShareDenyNone = 0x0040,
    fmCreate = 0xFFFF,
};

// A stream that opens and owns a file handle; raises EFOpenError / EFCreateError.
class TFileStream : public THandleStream {
public:
    TFileStream(const std::string& fileName, unsigned mode);
    ~TFileStream() override;
    TFileStream(const TFileStream&) = delete;
    TFileStream& operator=(const TFileStream&) = delete;

    const std::string& FileName() const noexcept { return fileName_; }

private:
    std::string fileName_;
};
#endif
