// CMS (S/MIME) messages in the stand-in core: PGPEncode's signed and enveloped output formats and
// PGPDecode's CMS input format. The codec is set by the core when it is built in (it needs libksba);
// without it the entry points answer that CMS is not implemented.
#pragma once

#include "standins/pgpsdk/Options.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace standin {

// What a CMS decode may use of its PGPDecode call: the options (which grow with those the event
// handler adds) and the handler itself.
struct CmsDecodeJob {
    PGPContextRef context = 0;
    std::vector<Option>& options;
    std::function<PGPError(PGPEvent& event)> event;
};

using CmsDecoder = std::function<PGPError(CmsDecodeJob& job, std::string_view input)>;
CmsDecoder& CmsMessageDecoder();

// Output format 12001 (detached SignedData) or 12002 (EnvelopedData), as DER.
using CmsEncoder = std::function<PGPError(const std::vector<Option>& options, int32_t format, std::string& output)>;
CmsEncoder& CmsMessageEncoder();

} // namespace standin
