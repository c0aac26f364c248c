// The support-library adapters that take text: 8-bit up to generation 4, from generation 5 on
// UTF-16 in a zero-filled global memory block that lives only for the call.
#include "engine/sdk/pgpAdapters.h"
#include "engine/sdk/pgpBase.h"

#include <windows.h>

namespace {

// The text as UTF-16 in a GlobalAlloc'd block of 2 x length + 2 bytes; null when it cannot be had.
class WideBlock {
public:
    explicit WideBlock(const std::string& text)
    {
        block_ = GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, 2 * text.size() + 2);
        if (block_ && !text.empty())
            MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), static_cast<wchar_t*>(block_),
                                static_cast<int>(text.size()));
    }
    ~WideBlock()
    {
        if (block_)
            GlobalFree(block_);
    }
    WideBlock(const WideBlock&) = delete;
    WideBlock& operator=(const WideBlock&) = delete;

    const char16_t* Text() const { return static_cast<const char16_t*>(block_); }

private:
    HGLOBAL block_ = nullptr;
};

} // namespace

void* CmdLineToFileList(const std::string& text)
{
    if (SDKGeneration == 1)
        return SDKProcs.CmdLineToFileList ? SDKProcs.CmdLineToFileList(text.c_str()) : nullptr;
    if (SDKGeneration <= 4)
        return SDKProcs.PGPscCmdLineToFileListA ? SDKProcs.PGPscCmdLineToFileListA(text.c_str()) : nullptr;
    WideBlock wide(text);
    if (!wide.Text() || !SDKProcs.PGPscCmdLineToFileListW)
        return nullptr;
    return SDKProcs.PGPscCmdLineToFileListW(wide.Text());
}

PGPError SendPGPlogMsg(void* window, const std::string& text)
{
    if (SDKGeneration == 1)
        return SDKProcs.SendPGPlogMsg ? SDKProcs.SendPGPlogMsg(window, text.c_str()) : kPGPError_NotImplemented;
    if (SDKGeneration <= 4)
        return SDKProcs.PGPscSendPGPlogMsgA ? SDKProcs.PGPscSendPGPlogMsgA(window, text.c_str())
                                            : kPGPError_NotImplemented;
    WideBlock wide(text);
    if (!wide.Text() || !SDKProcs.PGPscSendPGPlogMsgW)
        return 0;
    return SDKProcs.PGPscSendPGPlogMsgW(window, wide.Text());
}
