// Fuzz target of the mail decoders: quoted-printable, encoded words, header parameters and dates
// on any bytes, plus the round trip of the quoted-printable body encoder.
#include "mime/MailUtils.h"
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size)
{
    const std::string text(reinterpret_cast<const char*>(Data), Size);
    DecodeQuotedPrintable(text, true);
    DecodeEncodedWords(text);
    GetHeaderParameter(text, "name", nullptr, false);
    GetHeaderParameter(text, "filename", nullptr, true);
    TDateTime utc;
    std::string display;
    if (!ParseDateHeader(text, utc, display) && (utc != 0 || !display.empty()))
        std::abort();
    EncodeAddressHeader(text, "UTF-8");

    // Every byte but a lone line-end character survives the body encoding.
    std::string body;
    for (char c : text)
        if (c != '\r' && c != '\n')
            body += c;
    if (body.find('\0') == std::string::npos && DecodeQuotedPrintable(EncodeQuotedPrintable(body, ""), false) != body)
        std::abort();
    const std::string words = EncodeQuotedPrintable(text, "UTF-8");
    std::size_t start = 0;
    while (start < words.size()) {
        std::size_t end = words.find("\r\n ", start);
        if (end == std::string::npos)
            end = words.size();
        if (end - start > 75)
            std::abort();
        start = end + 3;
    }
    return 0;
}
