// Version comparison, key block cutting and the maker's addresses for the about box.
#include "ui/dialogs/AboutRules.h"

#include <climits>
#include <optional>

namespace {

constexpr const char* VersionTag = "meta name=\"Version\" content=";
constexpr const char* KeyBegin = "-----BEGIN PGP PUBLIC KEY BLOCK-----";
constexpr const char* KeyEnd = "-----END PGP PUBLIC KEY BLOCK-----";

std::string PadToFour(std::string version)
{
    while (version.size() < 4)
        version += '0';
    return version;
}

// Only plain decimal digits count; an overflow is no number either.
std::optional<int> WholeNumber(const std::string& text)
{
    if (text.empty())
        return std::nullopt;
    long long value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
        if (value > INT_MAX)
            return std::nullopt;
    }
    return static_cast<int>(value);
}

std::string OwnVersionOf(const std::string& caption)
{
    const size_t blank = caption.find(' ');
    if (blank == std::string::npos)
        return {};
    const size_t start = blank + 1;
    const size_t next = caption.find(' ', start);
    std::string version = caption.substr(start, next == std::string::npos ? std::string::npos : next - start);
    std::erase(version, '.');
    return version;
}

} // namespace

std::string UpdatePageUrl(const TMakerContact& contact)
{
    return contact.WebHost + "/zavek/download.htm";
}

std::string ReleaseNotesUrl(const TMakerContact& contact, int languageId)
{
    return contact.WebHost + (languageId == 7 ? "/zavek/historyde.htm#new" : "/zavek/historyen.htm#new");
}

std::string KeyServerUrls(const TMakerContact& contact)
{
    std::string list;
    for (const std::string& server : contact.KeyServers) {
        if (!list.empty())
            list += '\t';
        list += server + "/pks/lookup?op=get&search=0x" + contact.KeyId;
    }
    return list;
}

TVersionCheck CompareVersionPage(const std::string& page, const std::string& versionCaption)
{
    const size_t tag = page.find(VersionTag);
    if (tag == std::string::npos)
        return TVersionCheck::NoVersionTag;
    const size_t open = page.find('"', tag + std::char_traits<char>::length(VersionTag));
    std::string remote;
    if (open != std::string::npos) {
        const size_t close = page.find('"', open + 1);
        remote = page.substr(open + 1, close == std::string::npos ? std::string::npos : close - open - 1);
    }
    const std::optional<int> theirs = WholeNumber(PadToFour(remote));
    const std::optional<int> ours = WholeNumber(PadToFour(OwnVersionOf(versionCaption)));
    if (!theirs || !ours)
        return TVersionCheck::NotComparable;
    return *theirs > *ours ? TVersionCheck::Newer : TVersionCheck::UpToDate;
}

std::string CutKeyBlock(const std::string& page)
{
    const size_t begin = page.find(KeyBegin);
    const size_t end = page.rfind(KeyEnd);
    if (begin == std::string::npos || end == std::string::npos || end < begin)
        return {};
    const size_t lineEnd = page.find_first_of("\r\n", end);
    return page.substr(begin, lineEnd == std::string::npos ? std::string::npos : lineEnd - begin);
}
