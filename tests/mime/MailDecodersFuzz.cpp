// Fuzz target of the mail decoders: quoted-printable, encoded words, header parameters and dates
// on any bytes, plus the round trip and the transport safety of the quoted-printable body encoder.
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
    // Nothing that a transport changes is left in an encoded body: a line over 76 characters,
    // blanks at a line end, "From " at a line start.
    const std::string encoded = EncodeQuotedPrintable(text, "");
    std::size_t lineStart = 0;
    for (std::size_t i = 0; i <= encoded.size(); ++i) {
        if (i < encoded.size() && encoded[i] != '\r' && encoded[i] != '\n')
            continue;
        if (i - lineStart > 76 || encoded.compare(lineStart, 5, "From ") == 0 ||
            (i > lineStart && (encoded[i - 1] == ' ' || encoded[i - 1] == '\t')))
            std::abort();
        lineStart = i + 1;
    }
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
