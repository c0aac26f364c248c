// The encrypt road as the main object runs it: the road over the plug-in's mail-client interface
// (whose editor interface puts a message back into an editor) and its message dialog.
#pragma once

#include <windows.h>

#include "plugin/AutoListChooser.h"
#include "plugin/AutoListDialogKeys.h"
#include "plugin/Configuration.h"
#include "plugin/EncryptRoad.h"
#include "ui/dialogs/DialogMainObject.h"

#include <functional>
#include <memory>

class TPMEncryptHost : public IEncryptHost {
public:
    TPMEncryptHost(TPMInterface& host, std::function<HWND()> ownerWindow);

    TEditorData* ActiveEditorData() override;
    HWND ActiveEditor() override;
    void ShowStatus(const std::string& text) override;
    std::string Charset() override;
    bool SendsEightBit() override;
    std::string PlaceholderMessage() override;
    std::string IdentityAddress(HWND editor) override;
    bool ReopenMessageInEditor(std::string& text) override;
    void RefreshQueueWindow() override;
    HWND OwnerWindow() override;
    void RecipientFields(std::string& to, std::string& cc, std::string& bcc) override;
    std::string DefaultBcc(HWND editor) override;
    void ClickEncryptionCheckBox(HWND editor) override;

private:
    TPMInterface& host_;
    std::function<HWND()> ownerWindow_;
};

class TDialogEncryptPrompts : public IEncryptPrompts {
public:
    using TAddToList = std::function<bool(const TKeyIDData&)>;
    TDialogEncryptPrompts(IDialogMainObject& dialogs, TAddToList addToList);

    bool AskYesNo(const std::string& text, const std::string& checkCaption, bool& ticked) override;
    TChoice AskChoice(const std::string& title, const std::string& text, const std::string& first,
        const std::string& second, const std::string& checkCaption, bool& ticked) override;
    TChoice AskYesNoCancel(const std::string& text, const std::string& checkCaption, bool& ticked) override;
    void Inform(const std::string& text, const std::string& checkCaption, bool& ticked) override;
    void ShowError(const std::string& text) override;
    bool AddToRecipientList(const TKeyIDData& pairs) override;

private:
    IDialogMainObject& dialogs_;
    TAddToList addToList_;
};

// The road with its two adapters and the recipient list dialog that picks between a recipient's
// keys, bound to the PGP interface of one start-up.
class TPluginEncryptRoad {
public:
    TPluginEncryptRoad(TConfiguration& configuration, IDialogMainObject& dialogs, std::function<HWND()> ownerWindow);

    TEncryptRoad& Road() { return road_; }
    // True while the road still works with the configuration's current PGP interface.
    bool BoundTo(const TPGPInterface& pgp) const { return &pgp_ == &pgp; }

private:
    bool AddToRecipientList(TConfiguration& configuration, IDialogMainObject& dialogs, const TKeyIDData& pairs);

    TPGPInterface& pgp_;
    TPMEncryptHost host_;
    TDialogEncryptPrompts prompts_;
    TKeyRingKeySource recipientKeys_;
    TPGPAutoListKeys dialogKeys_;
    TAutoListChooser chooser_;
    TEncryptRoad road_;
};
