// The stages of a message written as its data comes: each stage hands what it made to the next,
// so none holds more than a chunk of the message, and the last writes into the output block.
#pragma once

#include "standins/pgpsdk/openpgp/Crypto.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

namespace standin::openpgp {

// Where a stage writes.
class Sink {
public:
    virtual ~Sink() = default;
    virtual void Write(std::string_view data) = 0;
};

// Bytes into storage the caller owns and sized for the largest output; going beyond it is a
// fault of that size, reported as an exception rather than written past the end.
class BlockSink final : public Sink {
public:
    BlockSink(char* start, size_t capacity) : start_(start), at_(start), end_(start + capacity) { }
    void Write(std::string_view data) override
    {
        if (data.size() > static_cast<size_t>(end_ - at_))
            throw std::length_error("output beyond its reserved size");
        std::memcpy(at_, data.data(), data.size());
        at_ += data.size();
    }
    size_t Written() const { return static_cast<size_t>(at_ - start_); }

private:
    char* start_;
    char* at_;
    char* end_;
};

// Bytes appended to a string.
class StringSink final : public Sink {
public:
    explicit StringSink(std::string& out) : out_(out) { }
    void Write(std::string_view data) override { out_.append(data); }

private:
    std::string& out_;
};

// Where a stage reads: up to `size` bytes into `out`, fewer only where the data ends.
class Source {
public:
    virtual ~Source() = default;
    virtual size_t Read(char* out, size_t size) = 0;
};

// Bytes that lie in memory, read in order.
class ViewSource final : public Source {
public:
    explicit ViewSource(std::string_view data) : data_(data) { }
    size_t Read(char* out, size_t size) override
    {
        size = std::min(size, data_.size());
        std::memcpy(out, data_.data(), size);
        data_.remove_prefix(size);
        return size;
    }

private:
    std::string_view data_;
};

// Reads `in` to its end; how many bytes were left.
inline size_t Drain(Source& in)
{
    char chunk[4096];
    size_t total = 0;
    for (size_t got; (got = in.Read(chunk, sizeof chunk)) > 0;)
        total += got;
    WipeBytes(chunk, sizeof chunk);
    return total;
}

// A stage's working memory: it may hold plaintext, so it is wiped when it goes.
class Chunk {
public:
    explicit Chunk(size_t size) : data_(new char[size]), size_(size) { }
    ~Chunk() { WipeBytes(data_.get(), size_); }
    Chunk(const Chunk&) = delete;
    Chunk& operator=(const Chunk&) = delete;
    char* Data() const { return data_.get(); }
    size_t Size() const { return size_; }

private:
    std::unique_ptr<char[]> data_;
    size_t size_;
};

} // namespace standin::openpgp
