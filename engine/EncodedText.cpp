// The encoded body's pieces and the wiping of what it owns.
#include "engine/EncodedText.h"

#include "foundation/BurnString.h"

#include <cstring>
#include <utility>

TEncodedText::TEncodedText(std::string whole)
{
    if (!whole.empty())
        Append(Keep(std::move(whole)));
}

TEncodedText::~TEncodedText() { Release(); }

TEncodedText::TEncodedText(TEncodedText&& other) noexcept
    : block_(std::exchange(other.block_, nullptr))
    , blockLength_(std::exchange(other.blockLength_, 0))
    , freeBlock_(std::move(other.freeBlock_))
    , kept_(std::move(other.kept_))
    , pieces_(std::move(other.pieces_))
{
    other.kept_.clear();
    other.pieces_.clear();
}

TEncodedText& TEncodedText::operator=(TEncodedText&& other) noexcept
{
    if (this != &other) {
        Release();
        block_ = std::exchange(other.block_, nullptr);
        blockLength_ = std::exchange(other.blockLength_, 0);
        freeBlock_ = std::move(other.freeBlock_);
        kept_ = std::move(other.kept_);
        pieces_ = std::move(other.pieces_);
        other.kept_.clear();
        other.pieces_.clear();
    }
    return *this;
}

std::string_view TEncodedText::AdoptBlock(void* block, std::size_t length, TFreeBlock freeBlock)
{
    Release();
    block_ = block;
    blockLength_ = block ? length : 0;
    freeBlock_ = std::move(freeBlock);
    return { static_cast<const char*>(block_), blockLength_ };
}

std::string_view TEncodedText::Keep(std::string text)
{
    kept_.push_back(std::move(text));
    return kept_.back();
}

std::size_t TEncodedText::Size() const
{
    std::size_t size = 0;
    for (const std::string_view piece : pieces_)
        size += piece.size();
    return size;
}

std::string TEncodedText::Joined() const
{
    std::string joined;
    joined.reserve(Size());
    for (const std::string_view piece : pieces_)
        joined += piece;
    return joined;
}

void TEncodedText::Release()
{
    pieces_.clear();
    for (std::string& text : kept_)
        ZeroString(text);
    kept_.clear();
    if (block_) {
        std::memset(block_, 0, blockLength_);
        if (freeBlock_)
            freeBlock_(block_);
    }
    block_ = nullptr;
    blockLength_ = 0;
    freeBlock_ = nullptr;
}
