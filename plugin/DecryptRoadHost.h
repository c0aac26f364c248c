// The decrypt road's view of the mail client inside its process: the window a request is for, the
// status line, settings, commands, the keyboard and the clipboard, all through the mail-client
// interface. Viewers and dialogs that are not in this build answer "not shown".
#pragma once

#include "plugin/DecryptRoad.h"
#include "plugin/PMInterface.h"

#include <functional>

class TConfiguration;

class TPMDecryptHost : public IDecryptHost {
public:
    // messages: shows the road's error texts in the plug-in's message dialog.
    TPMDecryptHost(TPMInterface& host, TConfiguration& messages)
        : host_(host)
        , messages_(messages)
    {
    }

    // The window that owns the road's dialogs; the main object keeps it current.
    HWND Owner = nullptr;
    // Opens the message-tree dialog for a message text, decoding with the tree's callback.
    std::function<void(const std::string& text, const TDecodeCallback& decode)> OpenMessageTree;

    TDecodeWindow FindDecodeWindow() override;
    bool IsReaderRaw(HWND window) override;
    HWND OwnerWindow() override { return Owner; }
    uint32_t HostBuild() override { return host_.HostBuild(); }
    void SetStatusText(const std::string& text) override;
    bool ShowsObjects() override { return host_.GetShowObjects(); }
    bool GetSetting86Bit0() override { return host_.GetSetting86Bit0(); }
    void SetSetting86Bit0(bool on) override { host_.SetSetting86Bit0(on); }
    TRtfFontSpec MessageFont() override;
    bool CanPutBack() override;
    bool ShowMessageTree(TMimeMsgTree& tree, HWND window) override;
    void CloseWindow(HWND window) override;
    void ShowSignatureResult(const TSignatureData& signature) override;
    void ShowError(const std::string& text) override;
    void PostFrameCommand(uint32_t command) override { host_.PostHostCommand(command); }
    bool ControlHeld() override;
    bool ActiveMessageText(std::string& text) override;
    bool ChooseKeyFile(std::string& choice) override;
    std::string ClipboardText() override;

private:
    TPMInterface& host_;
    TConfiguration& messages_;
};
