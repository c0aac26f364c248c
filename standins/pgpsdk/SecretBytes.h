// Bytes that hold a secret (a passphrase): zeroed before their memory is given back.
#pragma once

#include <cstddef>
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

} // namespace standin
