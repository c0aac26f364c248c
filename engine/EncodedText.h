// An encoded mail body as pieces in order: views of a block another allocator made (the SDK's
// output, owned here and freed through the function it came with) and of the few texts made
// around it, so a long output reaches the message file without a copy.
#pragma once

#include <cstddef>
#include <functional>
#include <list>
#include <string>
#include <string_view>
#include <vector>

class TEncodedText {
public:
    using TFreeBlock = std::function<void(void* block)>;

    TEncodedText() = default;
    // A body that is one text of its own.
    explicit TEncodedText(std::string whole);
    // Every piece is wiped before its memory goes back: a clear-signed body holds the plaintext.
    ~TEncodedText();
    TEncodedText(TEncodedText&& other) noexcept;
    TEncodedText& operator=(TEncodedText&& other) noexcept;
    TEncodedText(const TEncodedText&) = delete;
    TEncodedText& operator=(const TEncodedText&) = delete;

    // Takes over a block of `length` bytes that `freeBlock` releases; its view, for pieces.
    std::string_view AdoptBlock(void* block, std::size_t length, TFreeBlock freeBlock);
    // Keeps a text made around the block; its view stays valid as long as this body.
    std::string_view Keep(std::string text);
    void Append(std::string_view piece) { pieces_.push_back(piece); }

    const std::vector<std::string_view>& Pieces() const { return pieces_; }
    std::size_t Size() const;
    bool Empty() const { return Size() == 0; }
    // The pieces joined: a copy, for the few callers that need one text.
    std::string Joined() const;
    // Wipes and frees everything; the body is empty afterwards.
    void Release();

private:
    void* block_ = nullptr;
    std::size_t blockLength_ = 0;
    TFreeBlock freeBlock_;
    std::list<std::string> kept_; // a list: the views survive later additions and moves
    std::vector<std::string_view> pieces_;
};
