// Portable stream logic: buffer-backed streams and the generic buffer and copy helpers.
#include "framework/Streams.h"

#include "framework/Exceptions.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>

std::int64_t TStream::Size()
{
    const std::int64_t position = Seek(0, soFromCurrent);
    const std::int64_t size = Seek(0, soFromEnd);
    Seek(position, soFromBeginning);
    return size;
}

void TStream::ReadBuffer(void* buffer, std::int32_t count)
{
    if (count < 0 || (count != 0 && Read(buffer, count) != count))
        throw EReadError();
}

void TStream::WriteBuffer(const void* buffer, std::int32_t count)
{
    if (count < 0 || (count != 0 && Write(buffer, count) != count))
        throw EWriteError();
}

std::int64_t TStream::CopyFrom(TStream& source, std::int64_t count)
{
    if (count == 0) {
        source.SetPosition(0);
        count = source.Size();
    }
    if (count < 0)
        throw EReadError();
    constexpr std::int32_t chunkSize = 61440;
    std::vector<std::uint8_t> chunk(static_cast<std::size_t>(std::min<std::int64_t>(count, chunkSize)));
    std::int64_t copied = 0;
    while (copied < count) {
        const auto n = static_cast<std::int32_t>(std::min<std::int64_t>(count - copied, chunkSize));
        source.ReadBuffer(chunk.data(), n);
        WriteBuffer(chunk.data(), n);
        copied += n;
    }
    return copied;
}

template <typename Buffer> std::int32_t TBufferStream<Buffer>::Read(void* buffer, std::int32_t count)
{
    const auto size = static_cast<std::int64_t>(data_.size());
    if (count <= 0 || position_ >= size)
        return 0;
    const auto n = static_cast<std::int32_t>(std::min<std::int64_t>(count, size - position_));
    std::memcpy(buffer, data_.data() + position_, static_cast<std::size_t>(n));
    position_ += n;
    return n;
}

template <typename Buffer> std::int32_t TBufferStream<Buffer>::Write(const void* buffer, std::int32_t count)
{
    if (count <= 0)
        return 0;
    const std::int64_t end = position_ + count;
    // A write past the end fills the gap with zero bytes.
    if (end > static_cast<std::int64_t>(data_.size()))
        data_.resize(static_cast<std::size_t>(end));
    std::memcpy(data_.data() + position_, buffer, static_cast<std::size_t>(count));
    position_ = end;
    return count;
}

template <typename Buffer> std::int64_t TBufferStream<Buffer>::Seek(std::int64_t offset, TSeekOrigin origin)
{
    std::int64_t base = 0;
    if (origin == soFromCurrent)
        base = position_;
    else if (origin == soFromEnd)
        base = static_cast<std::int64_t>(data_.size());
    const std::int64_t target = base + offset;
    if (target < 0)
        return -1;
    position_ = target;
    return position_;
}

template <typename Buffer> void TBufferStream<Buffer>::SetSize(std::int64_t newSize)
{
    if (newSize < 0)
        throw EWriteError();
    data_.resize(static_cast<std::size_t>(newSize));
    position_ = std::min(position_, newSize);
}

template class TBufferStream<std::vector<std::uint8_t>>;
template class TBufferStream<std::string>;

void TMemoryStream::Clear() noexcept
{
    data_.clear();
    data_.shrink_to_fit();
    position_ = 0;
}

void TMemoryStream::LoadFromStream(TStream& source)
{
    source.SetPosition(0);
    const std::int64_t size = source.Size();
    SetSize(size);
    position_ = 0;
    if (size > 0)
        source.ReadBuffer(data_.data(), static_cast<std::int32_t>(size));
}

void TMemoryStream::SaveToStream(TStream& target) const
{
    if (!data_.empty())
        target.WriteBuffer(data_.data(), static_cast<std::int32_t>(data_.size()));
}

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const noexcept { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

} // namespace

void TMemoryStream::LoadFromFile(const std::string& fileName)
{
    const FilePtr file(std::fopen(fileName.c_str(), "rb"));
    if (!file)
        throw EFOpenError(fileName);
    std::vector<std::uint8_t> bytes;
    std::uint8_t chunk[65536];
    for (std::size_t n; (n = std::fread(chunk, 1, sizeof chunk, file.get())) > 0;)
        bytes.insert(bytes.end(), chunk, chunk + n);
    if (std::ferror(file.get()))
        throw EReadError();
    data_ = std::move(bytes);
    position_ = 0;
}

void TMemoryStream::SaveToFile(const std::string& fileName) const
{
    const FilePtr file(std::fopen(fileName.c_str(), "wb"));
    if (!file)
        throw EFCreateError(fileName);
    if (std::fwrite(data_.data(), 1, data_.size(), file.get()) != data_.size()
        || std::fflush(file.get()) != 0)
        throw EWriteError();
}

std::string TStringStream::ReadString(std::int32_t count)
{
    std::string text(static_cast<std::size_t>(std::max<std::int32_t>(count, 0)), '\0');
    text.resize(static_cast<std::size_t>(Read(text.data(), count)));
    return text;
}
