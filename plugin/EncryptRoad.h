// The encrypt road: what happens when the mail client hands the plug-in a message being sent.
// It reads the message file, decides per recipient whether to encrypt, sign, use PGP/MIME or
// S/MIME, has the PGP interface encode the body or each part, and commits the result over the
// same file; and it keeps the state of one send between the mail client's send and its request.
#pragma once

#include <windows.h>

#include "engine/PGPInterface.h"
#include "foundation/PhaseTimes.h"
#include "foundation/ZAVEKResources.h"
#include "plugin/EditorData.h"
#include "plugin/MessageFileIO.h"
#include "plugin/Options.h"
#include "plugin/RecipientsData.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

class TMimeMsgTree;

// What the road needs of the mail client.
class IEncryptHost {
public:
    virtual ~IEncryptHost() = default;
    // The record of the active editor window; null when the plug-in does not handle one.
    virtual TEditorData* ActiveEditorData() = 0;
    virtual HWND ActiveEditor() = 0;
    virtual void ShowStatus(const std::string& text) = 0;
    virtual std::string Charset() = 0;
    // The mail client sends 8-bit text as it is (else text parts go quoted-printable).
    virtual bool SendsEightBit() = 0;
    virtual std::string PlaceholderMessage() = 0;
    // The From address of the editor's identity.
    virtual std::string IdentityAddress(HWND editor) = 0;
    // Puts the message back into a new editor; text becomes what the message file must hold
    // then. False when that could not be done.
    virtual bool ReopenMessageInEditor(std::string& text) = 0;
    virtual void RefreshQueueWindow() = 0;
    // The window that owns the key and passphrase dialogs.
    virtual HWND OwnerWindow() = 0;
    // The To, Cc and Bcc fields of the message being sent.
    virtual void RecipientFields(std::string& to, std::string& cc, std::string& bcc) = 0;
    // The default Bcc of the editor's identity.
    virtual std::string DefaultBcc(HWND editor) = 0;
    // Ticks the editor's encryption check box, as the user would.
    virtual void ClickEncryptionCheckBox(HWND editor) = 0;
};

enum class TChoice { First, Second, None };

// The road's questions to the user.
class IEncryptPrompts {
public:
    virtual ~IEncryptPrompts() = default;
    // Yes/no with a check box; true for yes.
    virtual bool AskYesNo(const std::string& text, const std::string& checkCaption, bool& ticked) = 0;
    // Two named choices under a title; the check box only when checkCaption is not empty.
    virtual TChoice AskChoice(const std::string& title, const std::string& text, const std::string& first,
        const std::string& second, const std::string& checkCaption, bool& ticked)
        = 0;
    // Yes (First), no (Second) or cancel (None, also for a dialog closed otherwise), with a check box.
    virtual TChoice AskYesNoCancel(const std::string& text, const std::string& checkCaption, bool& ticked) = 0;
    // Information that closes itself, with a check box.
    virtual void Inform(const std::string& text, const std::string& checkCaption, bool& ticked) = 0;
    virtual void ShowError(const std::string& text) = 0;
    // The recipient list dialog over new recipient/key pairs; true when entries were added.
    virtual bool AddToRecipientList(const TKeyIDData& pairs) = 0;
};

// The state of one send, from the editor's send to the end of the mail client's request.
struct TSendRun {
    TKeyIDData Signer;
    TKeyIDData Recipient;
    bool ADKCheck = true;
    bool HideKeyDialog = false;
    bool AttachmentQuestionPending = false;
    bool EncryptAttachments = true;
    bool SendUnencrypted = false;
    bool FirstPart = false;
    bool Cancelled = false;
    TKeyIDData AutoListCandidate; // new recipient lines, their key ids, their count
};

// What the export asked for, used when the message's editor has no record of the plug-in.
enum class TRequestedAction { Encrypt, Sign };

class TEncryptRoad {
public:
    // autoList may be null (no recipient list outside the mail client).
    TEncryptRoad(TPGPInterface& pgp, TOptions& options, const TZAVEKStrings& texts,
        IEncryptHost& host, IEncryptPrompts& prompts, TAutoList* autoList);

    // 1 when the file was rewritten without an encoding error, 0 when nothing was written or the
    // encoding failed (the file then holds what it held, unless the user chose otherwise).
    int32_t EncryptMessage(const std::string& inFile, const std::string& recipient, const std::string& method,
        TRequestedAction requested);

    // The recipient check when the user sends from an editor: resolves the recipients' keys
    // through the recipient list and settles the send state. True when the send goes on through
    // the plug-in.
    bool CheckRecipientsOnSend(TEditorData& editor, HWND editorWindow);
    // While a send runs: the recipients resolved again with the identity's default Bcc; true when
    // there are recipients (or none were chosen to begin with).
    bool ResolveSendRecipients(TEditorData& editor, HWND editorWindow);

    // Starts a send afresh: the per-send state from the options and the editor's record. The
    // editor handling calls it when it first handles an editor and after each send; without it a
    // "send unencrypted" choice would outlive its send.
    void ResetSendState(TEditorData* editor, int32_t defaultSignSetting);

    TSendRun& Send() { return send_; }
    // The new recipient/key pairs of the last send that did not go into the recipient list; they
    // outlive the send, for the recipient list menu.
    TKeyIDData& NewPairs() { return newPairs_; }
    TRecipientsData& Recipients() { return recipients_; }

    // Replaces how the message file is removed before its new content takes its place.
    void SetWiper(TFileWiper wiper) { wiper_ = std::move(wiper); }
    // Replaces where the recipient list finds the keys and who picks between candidates.
    void SetKeySelection(IAutoListKeySource& keys, IRecipientChooser& chooser);

private:
    struct TMethod {
        bool Encrypt = false;
        bool Sign = false;
        bool Mime = false;
        bool SMime = false;
        uint32_t HeaderFlags = 0;
    };
    // What the file is to hold at the end, and whether a PGP error is left. The content is
    // written in its pieces, never joined: Head, Text, then the encoded Body's pieces, or the
    // encoded tree's section texts.
    struct TOutcome {
        bool Write = false;
        std::string Head;
        std::string Text;
        TEncodedText Body;
        std::unique_ptr<TMimeMsgTree> Tree;
        int32_t Error = 0;
        uint16_t EndText = 0;

        TContentPieces Pieces() const;
        // Overwrites every piece: what was sent leaves no copy behind.
        void Burn();
    };

    // The recipient for the encoder (names the editor's address books know become their
    // addresses) and the flags its recipient-list entry gives.
    uint32_t TakeRecipient(const std::string& recipient, const TEditorData* editor, uint32_t flags, uint32_t sendState);
    TMethod ChooseMethod(uint32_t flags, uint32_t sendState, const std::string& method) const;
    int32_t EncryptMessageFile(
        const std::string& inFile, const std::string& recipient, const std::string& method, TRequestedAction requested);
    void ResolveSigner(bool sMime, HWND editor);
    // The message is lent: a MIME encode builds its entity in the message's memory, and gives the
    // message back as it was before it returns.
    void Encode(std::string& message, const TMethod& method, TEditorData* editor, const std::string& charset,
        TOutcome& outcome);
    int32_t EncodeMime(std::string_view body, const TMethod& method, bool several, TEncodedText& result);
    int32_t EncodeInline(TMimeMsgTree& tree, const TMethod& method, bool several);
    int32_t EncodeSection(TMimeMsgTree& tree, int& index, const TMethod& method, bool several);
    TEncodeRequest Request(const TMethod& method, bool several) const;
    void NoteAutoListCandidate();
    // The message handed back to the user's editor: the file then holds the placeholder.
    void PutBackIntoEditor(TOutcome& outcome);
    void SendUnencrypted(const std::string& message, const std::string& charset, TOutcome& outcome);
    // The message prepared for sending as it is.
    void WritePrepared(const std::string& message, const std::string& charset, TOutcome& outcome);
    bool AskADK();
    void AfterSuccess(const TMethod& method);
    void OfferAutoListEntries();
    // Resolves a TAB-separated recipient list into the recipient data; false when the user chose
    // no key for a recipient (and was told that the message stays).
    bool SelectRecipients(const std::string& to, const std::string& cc, const std::string& bcc);
    bool SelectAutoListRecipients(bool& mixed);
    // Charges the time since the last phase of this request to the phase timer.
    void Phase(const char* name);

    TPGPInterface& pgp_;
    TOptions& options_;
    const TZAVEKStrings& texts_;
    IEncryptHost& host_;
    IEncryptPrompts& prompts_;
    TAutoList* autoList_;
    TFileWiper wiper_;
    TSendRun send_;
    TKeyIDData newPairs_;
    TRecipientsData recipients_;
    TKeyRingKeySource ownKeys_;
    TNoRecipientChooser noChooser_;
    IAutoListKeySource* keys_ = &ownKeys_;
    TRememberingChooser chooser_ { noChooser_ };
    std::optional<TPhaseTimes> phases_; // while a request runs
};
