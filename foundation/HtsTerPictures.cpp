// Picture-reference resolution of the HTML/RTF converter: turns "file:" addresses into local paths,
// keeps local pictures and refuses every reference that would fetch from the network.
#include "foundation/HtsTerPictures.h"

#include <algorithm>
#include <cctype>

namespace {

bool StartsWithNoCase(const std::string& text, const std::string& prefix)
{
    return text.size() >= prefix.size()
        && std::equal(prefix.begin(), prefix.end(), text.begin(), [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
           });
}

int HexValue(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string PercentDecode(const std::string& text)
{
    std::string result;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size()) {
            const int high = HexValue(text[i + 1]), low = HexValue(text[i + 2]);
            if (high >= 0 && low >= 0) {
                result += char(high * 16 + low);
                i += 2;
                continue;
            }
        }
        result += text[i];
    }
    return result;
}

// The local path of a "file:" address; empty when it names another machine.
std::string FileAddressPath(const std::string& address)
{
    std::string rest = address.substr(5);
    if (rest.compare(0, 2, "//") == 0) {
        rest = rest.substr(2);
        const size_t slash = rest.find('/');
        const std::string host = rest.substr(0, slash);
        if (!host.empty() && !StartsWithNoCase(host, "localhost"))
            return {};
        rest = slash == std::string::npos ? std::string() : rest.substr(slash + 1);
    }
    std::string path = PercentDecode(rest);
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

bool ReachesOtherMachine(const std::string& path)
{
    return path.size() >= 2 && (path[0] == '\\' || path[0] == '/') && (path[1] == '\\' || path[1] == '/');
}

} // namespace

TPictureResolution ResolvePictureReference(
    const std::string& reference, const std::function<bool(const std::string&)>& isLocalPicture)
{
    TPictureResolution result;
    if (StartsWithNoCase(reference, "cid:")) {
        result.Answer = TPictureAnswer::Remember;
        return result;
    }
    for (const char* scheme : { "res:", "http:", "https:", "ftp:", "ftps:", "javascript:", "vbscript:" })
        if (StartsWithNoCase(reference, scheme))
            return result;
    const std::string path = StartsWithNoCase(reference, "file:") ? FileAddressPath(reference) : reference;
    if (path.empty() || ReachesOtherMachine(path) || !isLocalPicture(path))
        return result;
    result.Answer = TPictureAnswer::Keep;
    result.Path = path;
    return result;
}

bool IsKnownPictureHeader(const std::string& header)
{
    // TIFF is left out: the editor shows none. EXIF pictures are JPEG files.
    static const std::string signatures[] = { "BM", "GIF87a", "GIF89a", "\xFF\xD8\xFF", "\x89PNG\r\n\x1A\n",
        std::string("\xD7\xCD\xC6\x9A", 4), std::string("\x01\x00\x09\x00", 4), std::string("\x02\x00\x09\x00", 4),
        std::string("\x00\x00\x01\x00", 4) };
    constexpr size_t EmfSignatureAt = 40;
    const bool emf = header.compare(0, 4, std::string("\x01\x00\x00\x00", 4)) == 0
        && header.compare(EmfSignatureAt, 4, " EMF") == 0;
    return emf || std::any_of(std::begin(signatures), std::end(signatures),
        [&](const std::string& s) { return header.compare(0, s.size(), s) == 0; });
}
