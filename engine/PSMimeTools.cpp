// Builders of PGP/MIME and S/MIME bodies and the armour "Charset:" line. The unit owns one ISAAC
// generator for boundaries, seeded once from the run time, so two bodies never share a boundary.
#include "engine/PSMimeTools.h"

#include "foundation/Base64.h"
#include "foundation/Isaac.h"
#include "foundation/IsaacSeed.h"

#include <array>
#include <cstdint>
#include <cstdio>

namespace {

const char kCRLF[] = "\r\n";

// Seeded on the first boundary rather than when the library loads: a DLL's static initialisers run
// under the loader lock, where the cursor and message-queue calls of the seed are not safe.
TIsaac& BoundaryGenerator()
{
    static TIsaac generator = [] {
        TIsaac gen;
        SeedIsaacFromRunTime(gen);
        return gen;
    }();
    return generator;
}

// Whether every line of text[from, to) is an armour header line ("Name: value").
bool AllArmorHeaderLines(std::string_view text, std::size_t from, std::size_t to)
{
    while (from < to) {
        std::size_t end = text.find(kCRLF, from);
        if (end == std::string::npos || end > to)
            end = to;
        const std::size_t colon = text.find(':', from);
        if (colon == std::string::npos || colon >= end)
            return false;
        from = end + 2;
    }
    return true;
}

} // namespace

std::string MicalgParameter(int hashCode, bool pgpMime)
{
    static const std::array<const char*, 6> pgpNames = { "pgp-md5", "pgp-sha1", "pgp-ripemd160", "pgp-sha256",
        "pgp-sha384", "pgp-sha512" };
    static const std::array<const char*, 6> smimeNames = { "md5", "sha1", "ripemd160", "sha-256", "sha-384",
        "sha-512" };
    if (hashCode < 2 || hashCode > 7)
        return {};
    return std::string("micalg=") + (pgpMime ? pgpNames : smimeNames)[static_cast<std::size_t>(hashCode - 2)];
}

std::string NewMimeBoundary(bool pgpMime)
{
    char digits[9];
    std::snprintf(digits, sizeof digits, "%08X", static_cast<unsigned>(IsaacNext(BoundaryGenerator())));
    return std::string(pgpMime ? "PGPMime-=-=-Boundary-=-=-" : "SMime-=-=-Boundary-=-=-") + digits;
}

bool BuildPgpMimeBody(std::string_view sdkOutput, std::string& separator, std::size_t& bodyOffset,
    TEncodedText& result, bool omitMimeVersion, bool encrypted, int hashCode)
{
    const std::string oldSeparator = separator;
    const std::size_t last = oldSeparator.empty() ? std::string_view::npos : sdkOutput.rfind(oldSeparator);
    if (last == std::string_view::npos || last < bodyOffset) {
        bodyOffset = 0;
        return false;
    }
    const std::string boundary = NewMimeBoundary(true);
    std::string header = omitMimeVersion ? "" : "Mime-Version: 1.0\r\n";
    if (encrypted)
        header += "Content-Type: multipart/encrypted; protocol=\"application/pgp-encrypted\";\r\n boundary=\"";
    else
        header += "Content-Type: multipart/signed; protocol=\"application/pgp-signature\";\r\n "
            + MicalgParameter(hashCode, true) + "; boundary=\"";
    header += boundary + "\"\r\n\r\n";

    // The SDK's parts stay where they are: only the header and the boundaries are new texts.
    std::size_t from = bodyOffset;
    bodyOffset = header.size();
    result.Append(result.Keep(std::move(header)));
    const std::string_view newBoundary = result.Keep(boundary);
    for (std::size_t at = sdkOutput.find(oldSeparator, from); at != std::string_view::npos && at <= last;
         at = sdkOutput.find(oldSeparator, from)) {
        result.Append(sdkOutput.substr(from, at - from));
        result.Append(newBoundary);
        from = at + oldSeparator.size();
    }
    result.Append("--\r\n");
    separator = boundary;
    return true;
}

void BuildSMimeBody(std::string_view content, const std::string* signature, std::string& boundary,
    std::string& result, bool omitMimeVersion, bool enveloped, int hashCode, std::size_t& headerLength)
{
    const std::string version = omitMimeVersion ? "" : "Mime-Version: 1.0\r\n";
    if (enveloped) {
        const std::string contentType = "Content-Type: application/pkcs7-mime;\r\n smime-type=enveloped-data;\r\n"
                                        " name=SMime.p7m";
        boundary.clear();
        headerLength = version.size() + contentType.size() + 3;
        result = version + contentType
            + "\r\nContent-Transfer-Encoding: base64\r\nContent-Disposition: attachment; filename=SMime.p7m"
            + "\r\n\r\n" + Base64Encode(std::string(content)) + kCRLF;
        return;
    }
    boundary = NewMimeBoundary(false);
    const std::string contentType = "Content-Type: multipart/signed; protocol=\"application/x-pkcs7-signature\";\r\n "
        + MicalgParameter(hashCode, false) + "; boundary=\"" + boundary + "\"";
    headerLength = version.size() + contentType.size() + 3;
    const std::string line = "--" + boundary + kCRLF;
    result = version + contentType + "\r\n\r\n" + line;
    result.append(content);
    result += kCRLF + line
        + "Content-Type: application/x-pkcs7-signature; name=SMime.p7s\r\nContent-Transfer-Encoding: base64\r\n"
          "Content-Disposition: attachment; filename=SMime.p7s\r\n\r\n"
        + Base64Encode(signature ? *signature : std::string()) + kCRLF + "--" + boundary + "--" + kCRLF;
}

void InsertArmorCharset(const std::string& charset, std::string_view text, bool isSigned, TEncodedText& result)
{
    const auto where = [&]() {
        const std::size_t begin
            = isSigned ? text.rfind("\n-----BEGIN PGP SIGNATURE") : text.find("-----BEGIN PGP MESSAGE");
        if (begin == std::string_view::npos)
            return std::string_view::npos;
        // From the end of the BEGIN line, so header-less armour (blank line right after it) counts too.
        const std::size_t lineEnd = text.find(kCRLF, begin + 1);
        if (lineEnd == std::string_view::npos)
            return std::string_view::npos;
        const std::size_t blank = text.find("\r\n\r\n", lineEnd);
        return blank == std::string_view::npos || !AllArmorHeaderLines(text, lineEnd + 2, blank)
            ? std::string_view::npos
            : blank;
    };
    const std::size_t blank = text.empty() ? std::string_view::npos : where();
    if (blank == std::string_view::npos) {
        result.Append(text);
        return;
    }
    result.Append(text.substr(0, blank));
    result.Append(result.Keep("\r\nCharset: " + charset));
    result.Append(text.substr(blank));
}
