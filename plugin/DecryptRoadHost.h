// The decrypt road's view of the mail client inside its process: the window a request is for, the
// status line and the signature note, settings, commands, the reader's editor control, the keyboard
// and the clipboard, through the mail-client and editor interfaces.
#pragma once

#include "plugin/DecryptRoad.h"
#include "plugin/PMInterface.h"

#include <functional>

class TConfiguration;
class TSignatureNote;

// A signature status code of a valid signature.
bool IsGoodSignature(uint32_t statusCode);

class TPMDecryptHost : public IDecryptHost {
public:
    // messages: shows the road's error texts in the plug-in's message dialog.
    TPMDecryptHost(TPMInterface& host, TConfiguration& messages, TSignatureNote& note)
        : host_(host)
        , messages_(messages)
        , note_(note)
    {
    }

    // The window that owns the road's dialogs and the status bar the note goes on; the main object
    // keeps them current.
    HWND Owner = nullptr;
    HWND StatusBar = nullptr;
    // The editor window whose decoded message waits for its control's next paint; nil when none.
    HWND PutBackEditor = nullptr;
    // The reader whose decoded message waits for its control; nil when none.
    HWND PutBackReader = nullptr;
    // Opens the message-tree dialog for a message text.
    std::function<void(const std::string& text)> OpenMessageTree;

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
    void MessageDecoded(const TDecodeWindow& window) override;
    void DecryptFinished() override;
    bool ShowMessageTree(TMimeMsgTree& tree, HWND window) override;
    void CloseWindow(HWND window) override;
    void ShowSignatureResult(const TSignatureData& signature) override;
    void ShowError(const std::string& text) override;
    void PostFrameCommand(uint32_t command) override { host_.PostHostCommand(command); }
    bool ControlHeld() override;
    bool ActiveMessageText(std::string& text) override;
    bool ChooseKeyFile(std::string& choice) override;
    std::string ClipboardText() override;
    void OfferForRecipientList(const TKeyIDData& keys) override
    {
        if (OnKeysImported)
            OnKeysImported(keys);
    }
    // What the main object does with imported keys (the recipient list's offer).
    std::function<void(const TKeyIDData&)> OnKeysImported;

private:
    TPMInterface& host_;
    TConfiguration& messages_;
    TSignatureNote& note_;
};
