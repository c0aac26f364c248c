// The decrypt road: what happens to a message file the mail client hands to DECRYPT, to a file or
// message whose signature VERIFY checks, and to keys MANAGE imports. The PGP interface does the
// work; the road decides what is decoded, what goes back to the mail client and what is shown.
#pragma once

#include "engine/PGPInterface.h"
#include "engine/PSMimeParts.h"
#include "foundation/PhaseTimes.h"
#include "mime/MailServices.h"
#include "mime/MailUtils.h"
#include "mime/MimeMsgTree.h"
#include "plugin/DecodeContext.h"
#include "plugin/Options.h"

#include <windows.h>

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// The mail-client window a decrypt request is for, as the host side found it.
struct TDecodeWindow {
    HWND Window = nullptr; // the active MDI child
    bool FolderManager = false;
    bool Reader = false;
    bool DecodeAllowed = true; // a folder manager decodes only with its menu item 343 checked
    bool FromThatWindow = false; // the last message position lies in that window
    bool ShownRaw = false; // the mail client shows the message raw
};

// What the road needs of the mail client and its windows; the main object implements it over the
// mail-client interface, tests with a recorder.
class IDecryptHost {
public:
    virtual ~IDecryptHost() = default;
    virtual TDecodeWindow FindDecodeWindow() = 0;
    virtual bool IsReaderRaw(HWND window) = 0;
    virtual HWND OwnerWindow() = 0;
    virtual uint32_t HostBuild() = 0;
    virtual void SetStatusText(const std::string& text) = 0;
    virtual bool ShowsObjects() = 0;
    virtual bool GetSetting86Bit0() = 0;
    virtual void SetSetting86Bit0(bool on) = 0;
    virtual TRtfFontSpec MessageFont() = 0;
    // True when the decoded message is put into the window's editor control afterwards; without
    // that the file written is all the mail client shows.
    virtual bool CanPutBack() = 0;
    // A decode for the window wrote its result; the window's control takes the message afterwards.
    virtual void MessageDecoded(const TDecodeWindow&) {}
    // The request is over, its dialogs closed: what waits for the window's control is queued
    // behind the text the mail client puts in next.
    virtual void DecryptFinished() {}
    // The message-tree dialog over the window; false when it cannot be shown.
    virtual bool ShowMessageTree(TMimeMsgTree& tree, HWND window) = 0;
    virtual void CloseWindow(HWND window) = 0;
    virtual void ShowSignatureResult(const TSignatureData& signature) = 0;
    virtual void ShowError(const std::string& text) = 0;
    virtual void PostFrameCommand(uint32_t command) = 0;
    virtual bool ControlHeld() = 0;
    // The message of the active reader or editor; false when there is none.
    virtual bool ActiveMessageText(std::string& text) = 0;
    // The key-file dialog: a file name or CLIPBOARD_CHOICE; false when nothing was chosen.
    virtual bool ChooseKeyFile(std::string& choice) = 0;
    virtual std::string ClipboardText() = 0;
    // Keys that came into the key ring, offered for the recipient list.
    virtual void OfferForRecipientList(const TKeyIDData& keys) = 0;
};

// What one decode request did to the message, over every decode it ran (the message's own and those
// of the parts inside it). Only data that was decrypted or a signature that was checked makes a
// request done; everything else leaves the message as it came.
struct TDecodeOutcome {
    bool Decrypted = false;
    bool Verified = false;
    bool ShownSecurely = false; // for the eyes only: shown in the secure viewer, not written
    bool Done() const { return Decrypted || Verified; }
};

class TDecryptRoad {
public:
    static constexpr const char* CLIPBOARD_CHOICE = ":CLIP:";
    static constexpr const char* HOST_TEMP_EXTENSION = ".PM$";
    static constexpr int32_t WRITTEN = 2;
    // Commands of the mail client's own verify and key import.
    static constexpr uint32_t CMD_HOST_VERIFY = 181;
    static constexpr uint32_t CMD_HOST_MANAGE = 182;

    TDecryptRoad(TPGPInterface& pgp, IDecryptHost& host, const TOptionValues& options, const TZAVEKStrings& texts,
        TDecodeContext& context);

    // 2 when OutFile was written (decoded or handed through), 0 otherwise.
    int32_t DecryptMessage(const std::string& inFile, const std::string& outFile);
    void VerifyFile(const std::string& fileName);
    // mode 0: argument is the text to import; other modes: a file name; no argument: the open message.
    void ManageKeys(const std::string& argument, int mode);

    TPGPInterface& Interface() const { return pgp_; }
    const TSignatureData& SignatureResult() const { return signature_; }
    const TMessageData& MessageData() const { return messageData_; }
    const TDecodeOutcome& Outcome() const { return outcome_; }
    TMimeMsgTree& MessageTree() { return tree_; }
    // The section kind of the protected part that a node of the message tree was decoded from,
    // when the last decode took a message part by part; 0 for a node outside them.
    uint32_t DecodedSectionKind(int node) const;
    // The texts a signature covers that the reader leaves out of the nodes shown (behind an
    // attachment, an alternative or a reference): a signed text is always shown.
    TTextList SignedTextsLeftOut(const std::vector<int>& shown);
    // Gives the mail client's setting 86 back when a decode switched it off and no put-back came.
    void RestoreHostSetting();

private:
    int32_t DecryptRequest(const std::string& inFile, const std::string& outFile);
    // The first failure of a request, with the file it concerns, shown when the request fails.
    void NoteFailure(const std::string& fileName, const std::string& what);
    int32_t WriteOutput(const std::string& outFile, const std::string& bytes);
    int32_t WriteOutput(const std::string& outFile, std::initializer_list<std::string_view> pieces);
    int32_t CopyThrough(const std::string& inFile, const std::string& outFile);
    // Original, the file's bytes, is let go before a decryption (a failure copies the file through).
    int32_t DecodeText(const std::string& inFile, const std::string& outFile, std::string& original,
        const TDecodeWindow& window);
    // A message whose protected parts stand beside plain ones or come as attachments: each part
    // decoded in its place, the others kept.
    int32_t DecodeParts(const std::string& outFile, const std::string& original, const std::string& text,
        const TDecodeWindow& window);
    // The one walk over a message's protected parts that DECRYPT and VERIFY share: every part
    // decoded in its place, the worst signature of them kept in signature_.
    TProtectedParts WalkParts(const std::string& text);
    // One protected part for the walk: a kPart value.
    int DecodePart(TPartForm form, const std::string& content, std::string& result);
    // Opaque S/MIME signed data: checked, its content in Result.
    int DecodeOpaqueSigned(const std::string& entity, std::string& result);
    // The walk's answer for a part the decoder refused (its status kept, what it gave burnt) and
    // for one it decoded (its signature taken, its kind noted, its content in Result).
    int RefusedPart(int32_t status, std::string& output);
    int DecodedPart(const TSignatureData& signature, uint32_t kind, std::string& output, std::string& result);
    // Records a decoded or verified part's kind and whether a signature covers it.
    void NoteDecodedPart(uint32_t kind);
    // The decoded part whose place holds the node's body, -1 for none.
    int DecodedPartOf(int node) const;
    // VERIFY of a message protected in parts: the verdict DECRYPT would give, shown.
    void VerifyParts(const std::string& text);
    // Every armoured message and clear-signed text of Text decoded in its place, each between its
    // part markers with Marked; false when none was.
    bool DecodeArmouredBlocks(
        const std::string& text, const std::string& hostText, std::string& result, bool marked = false);
    // A decoded inline block's text between the marker lines of its part, so that the reader sees
    // which lines were protected among the plain ones; the unmarked text is burnt.
    void MarkDecodedBlock(uint32_t kind, std::string& text) const;
    // One armoured block's text for the mail client; false when it was not decoded.
    bool DecodeBlock(uint32_t kind, const std::string& block, const std::string& hostText, std::string& result);
    // A signature met while decoding a message's blocks or parts: the first is kept unless a later
    // one must be seen more.
    void TakeSignature(const TSignatureData& signature);
    // The decrypted text of an inline block as the mail client takes it.
    std::string HostText(uint32_t kind, const std::string& output, const std::string& charset,
        const std::string& hostText, bool attachment) const;
    // What is written for the mail client after a decrypt that counted: the text before the body,
    // the body (Output, unless only the header goes) and the text after it.
    struct THostFile {
        std::string Before;
        bool WithBody = true;
        std::string After;
        ~THostFile(); // the texts may hold plaintext: burnt
    };
    // Steps after a decrypt that counted: the file for the mail client and what goes with it.
    void TextForHost(uint32_t kind, const std::string& block, std::string& output, THostFile& file);
    void RenderMimeMessage(uint32_t kind, const std::string& block, std::string& output);
    // Adds what the engine's last decode did to the request's outcome.
    void NoteFindings(const TPGPInterface::TDecodeFindings& findings);
    void ImportFoundKeys(uint32_t kind, const std::string& block, const std::string& output);
    // True when the tree dialog showed the message.
    bool ShowTreeOf(const std::string& text, const TDecodeWindow& window);
    // The first protected block of a text, or the first protected section of its message tree.
    uint32_t FirstProtectedBlock(const std::string& text, TMessageData& data, std::string& block);
    // Reads a file the user named; shows the file name and text 342 when that fails.
    bool ReadNamedFile(const std::string& fileName, std::string& text);
    // The same file as last time is forgotten (true); another one is remembered.
    bool RepeatsLastFile(const std::string& fileName);
    std::string Text(uint16_t id) const;
    // Charges the time since the last phase of this request to the phase timer.
    void Phase(const char* name);

    TPGPInterface& pgp_;
    IDecryptHost& host_;
    const TOptionValues& options_;
    const TZAVEKStrings& texts_;
    TDecodeContext& context_;
    TSignatureData signature_;
    TDecodeOutcome outcome_;
    // The first signature the message tree's decodes checked (a signed entity inside an encrypted one).
    TSignatureData sectionSignature_;
    TMessageData messageData_;
    TMimeMsgTree tree_;
    std::string lastFile_;
    std::string failure_;
    // The decoded parts of the last message taken part by part: their kinds and their places in
    // the text the message tree was loaded from.
    std::vector<uint32_t> partKinds_;
    std::vector<bool> partsCovered_; // a signature covers what the decoded part holds
    std::vector<std::pair<std::size_t, std::size_t>> partRanges_;
    int32_t partStatus_ = 0; // the last refusal among the parts
    bool partSigned_ = false; // a signature was met while the current part was decoded
    std::optional<TPhaseTimes> phases_; // while a request runs
};

// Whole-file helpers of the road: the bytes as they are, or false.
bool ReadFileBytes(const std::string& fileName, std::string& bytes);
