// Bytes that hold a secret (a passphrase): zeroed before their memory is given back.
#pragma once

#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace standin {

class SecretBytes {
public:
    SecretBytes() = default;
    explicit SecretBytes(std::string_view data) : bytes_(data.begin(), data.end()) { }
    SecretBytes(const SecretBytes& other) : bytes_(other.bytes_) { }
    SecretBytes(SecretBytes&& other) noexcept : bytes_(std::move(other.bytes_)) { other.Wipe(); }
    SecretBytes& operator=(SecretBytes other) noexcept
    {
        Wipe();
        bytes_.swap(other.bytes_);
        return *this;
    }
    ~SecretBytes() { Wipe(); }

    std::string_view View() const { return { bytes_.data(), bytes_.size() }; }
    bool Empty() const { return bytes_.empty(); }

private:
    void Wipe() noexcept
    {
        volatile char* p = bytes_.data();
        for (std::size_t i = 0; i < bytes_.size(); ++i)
            p[i] = 0;
        bytes_.clear();
    }
    std::vector<char> bytes_;
};

// A stage of a message that holds plaintext (canonical text, compressed packets, the text a
// PGP/MIME entity puts around its signature): wiped when released, at the latest when it goes.
class PlainString {
public:
    PlainString() = default;
    explicit PlainString(std::string text)
        : text_(std::move(text))
    {
    }
    PlainString(const PlainString&) = delete;
    PlainString& operator=(const PlainString&) = delete;
    ~PlainString() { Release(); }

    std::string& Text() { return text_; }
    std::string_view View() const { return text_; }
    void Release() noexcept
    {
        std::memset(text_.data(), 0, text_.size());
        asm volatile("" : : "r"(text_.data()) : "memory"); // the zeroes count: no dropping them
        text_.clear();
        text_.shrink_to_fit();
    }

private:
    std::string text_;
};

} // namespace standin
