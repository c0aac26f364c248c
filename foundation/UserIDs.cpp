// Parsers for OpenPGP user ids: address and name part. User ids come from keys of any origin,
// so every rule here must hold for arbitrary bytes.
#include "foundation/UserIDs.h"

#include <optional>
#include <utility>
#include <vector>

namespace {

bool IsAddressByte(unsigned char c)
{
    return (c >= 33 && c <= 90) || (c >= 94 && c <= 126);
}

bool IsBlankOrControl(unsigned char c)
{
    return c <= 32;
}

// Positions of the bytes that are not preceded by an unescaped backslash.
std::vector<bool> UnescapedMask(const std::string& text)
{
    std::vector<bool> unescaped(text.size(), true);
    bool escaping = false;
    for (size_t i = 0; i < text.size(); ++i) {
        unescaped[i] = !escaping;
        escaping = !escaping && text[i] == '\\';
    }
    return unescaped;
}

std::string TrimBlanksAndControls(const std::string& text)
{
    size_t first = 0;
    size_t last = text.size();
    while (first < last && IsBlankOrControl(static_cast<unsigned char>(text[first])))
        ++first;
    while (last > first && IsBlankOrControl(static_cast<unsigned char>(text[last - 1])))
        --last;
    return text.substr(first, last - first);
}

std::string WithoutBackslashes(std::string text)
{
    std::erase(text, '\\');
    return text;
}

// The text between the first unescaped `open` and the next unescaped `close` after it
// (searching for the last `open` when `lastOpen` is set).
std::optional<std::string> EnclosedPart(
    const std::string& text, const std::vector<bool>& unescaped, char open, char close, bool lastOpen)
{
    std::optional<size_t> openPos;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == open && unescaped[i]) {
            openPos = i;
            if (!lastOpen)
                break;
        }
    }
    if (!openPos)
        return std::nullopt;
    for (size_t i = *openPos + 1; i < text.size(); ++i)
        if (text[i] == close && unescaped[i])
            return text.substr(*openPos + 1, i - *openPos - 1);
    return std::nullopt;
}

// The text before the first '<', or, without one, before the blank-delimited word that holds
// the last '@'; the whole text when it has neither.
std::string TextBeforeAddress(const std::string& userID)
{
    size_t angle = userID.find('<');
    if (angle != std::string::npos)
        return userID.substr(0, angle);
    size_t at = userID.rfind('@');
    if (at == std::string::npos)
        return userID;
    size_t wordStart = at;
    while (wordStart > 0 && !IsBlankOrControl(static_cast<unsigned char>(userID[wordStart - 1])))
        --wordStart;
    return userID.substr(0, wordStart);
}

} // namespace

bool IsEmailAddress(const std::string& text)
{
    if (text.find('@') == std::string::npos)
        return false;
    for (unsigned char c : text)
        if (!IsAddressByte(c))
            return false;
    return true;
}

std::string ExtractEmailAddress(const std::string& userID)
{
    size_t at = userID.rfind('@');
    if (at == std::string::npos)
        return {};
    size_t open = userID.rfind('<', at);
    size_t close = userID.find('>', at);
    if (open != std::string::npos && close != std::string::npos) {
        size_t first = open + 1;
        size_t last = close;
        while (first < last && !IsAddressByte(static_cast<unsigned char>(userID[first])))
            ++first;
        while (last > first && !IsAddressByte(static_cast<unsigned char>(userID[last - 1])))
            --last;
        return userID.substr(first, last - first);
    }
    size_t first = at;
    size_t last = at + 1;
    while (first > 0 && IsAddressByte(static_cast<unsigned char>(userID[first - 1])))
        --first;
    while (last < userID.size() && IsAddressByte(static_cast<unsigned char>(userID[last])))
        ++last;
    return userID.substr(first, last - first);
}

std::string ExtractUserName(const std::string& userID)
{
    const std::vector<bool> unescaped = UnescapedMask(userID);
    auto finish = [](const std::string& part) { return WithoutBackslashes(TrimBlanksAndControls(part)); };

    if (auto quoted = EnclosedPart(userID, unescaped, '"', '"', false))
        return finish(*quoted);
    std::string name = finish(TextBeforeAddress(userID));
    if (!name.empty())
        return name;
    if (auto comment = EnclosedPart(userID, unescaped, '(', ')', true)) {
        name = finish(*comment);
        if (!name.empty())
            return name;
    }
    size_t close = userID.rfind('>');
    if (close != std::string::npos) {
        name = finish(userID.substr(close + 1));
        if (!name.empty())
            return name;
    }
    return finish(userID);
}
