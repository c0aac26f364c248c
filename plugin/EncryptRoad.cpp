// The encrypt road's body: the request's method and recipient, the signer, the encode of the
// whole body (PGP/MIME, S/MIME) or of each part (inline), the retry, the questions after a
// failure, and the commit of the result over the message file.
#include "plugin/EncryptRoad.h"

#include "foundation/BurnString.h"
#include "mime/MailHost.h"
#include "mime/MimeMsgTree.h"
#include "mime/MimeTreeEdit.h"

#include <memory>
#include <optional>

namespace {

constexpr uint16_t TEXT_WARNING = 101;
constexpr uint16_t TEXT_ALWAYS_ENCRYPT_ATTACHMENTS = 174;
constexpr uint16_t TEXT_MESSAGE_ENCRYPTED = 176;
constexpr uint16_t TEXT_DO_NOT_WARN = 178;
constexpr uint16_t TEXT_DO_NOT_WARN_SUFFIX = 180;
constexpr uint16_t TEXT_ADD_TO_RECIPIENT_LIST = 277;
constexpr uint16_t TEXT_CANCELLED = 419;
constexpr uint16_t TEXT_DONE = 420;
constexpr uint16_t TEXT_ENCRYPTION_FAILED = 433;
constexpr uint16_t TEXT_EDIT_OR_SEND_PLAIN = 434;
constexpr uint16_t TEXT_NOT_PUT_BACK = 447;
constexpr uint16_t TEXT_ADK_WARNING = 435;
constexpr uint16_t TEXT_BACK_TO_EDITOR = 436;
constexpr uint16_t TEXT_SEND_UNENCRYPTED = 437;
constexpr uint16_t TEXT_EDIT_RECIPIENTS = 438;
constexpr uint16_t TEXT_ENCRYPTING = 439;
constexpr uint16_t TEXT_ENCRYPT_ATTACHMENTS = 442;
constexpr uint16_t TEXT_DO_NOT_SHOW = 443;

const std::string NO_KEY_ID = "0x0000000000000000";
// The flags of the encryptor header line: encrypted, signed.
constexpr uint32_t HEADER_ENCRYPTED = 1;
constexpr uint32_t HEADER_SIGNED = 4;
// The load that keeps every part's text as it stands, so that the joined parts give the message.
constexpr uint32_t LOAD_KEEP_TEXTS = lmNested | lmDecode;

bool StartsWithNoCase(const std::string& text, size_t at, const char* prefix)
{
    for (size_t i = 0; prefix[i]; ++i) {
        if (at + i >= text.size())
            return false;
        const char a = text[at + i], b = prefix[i];
        if (a != b && !(((a | 0x20) == (b | 0x20)) && (b | 0x20) >= 'a' && (b | 0x20) <= 'z'))
            return false;
    }
    return true;
}

// The error text as the start of the failure question: an exclamation mark where the text ends
// without its own sentence mark.
std::string Exclaimed(const std::string& text)
{
    const size_t end = text.find_last_not_of(" \t\r\n");
    if (end != std::string::npos && (text[end] == '.' || text[end] == '!' || text[end] == '?'))
        return text.substr(0, end + 1);
    return text + "!";
}

// Splits a marked message into the outer header (ending with a line break) and the head of the
// body entity to encode: the Content-* fields, which stand last in the header block, and the
// separator after them; the marked body follows it in the entity.
void SplitForMimeBody(const TMarkedMessage& marked, std::string& header, std::string& entityHead)
{
    const std::string& block = marked.Header;
    size_t content = std::string::npos;
    for (size_t at = 0; at < block.size(); at = block.find('\n', at) + 1) {
        if (StartsWithNoCase(block, at, "Content-")) {
            content = at;
            break;
        }
        if (block.find('\n', at) == std::string::npos)
            break;
    }
    std::string_view fields, separator = marked.Separator;
    if (content != std::string::npos) {
        header = block.substr(0, content);
        fields = std::string_view(block).substr(content);
    } else {
        header = block + "\r\n";
        // No fields of its own: the entity begins with its empty header, after the block's line
        // break (the separator begins with it; a lone CR is never followed by LF there).
        if (separator.substr(0, 2) == "\r\n")
            separator.remove_prefix(2);
        else if (separator.substr(0, 1) == "\n")
            separator.remove_prefix(1);
    }
    entityHead.append(fields).append(separator);
}

// The MIME entity to encode, built where the marked body lies (the message, or the marked
// message's prepared copy, which it takes over) in place of the head before the body: the long
// body is not copied. The message gets its head back by Restore, at the latest on destruction.
class TMimeEntity {
public:
    TMimeEntity(std::string& message, TMarkedMessage& marked, const std::string& entityHead)
        : prepared_(std::move(marked.Prepared))
        , text_(prepared_.empty() ? message : prepared_)
        , head_(text_.substr(0, text_.size() - marked.Body.size()))
        , entityHeadLength_(entityHead.size())
    {
        text_.replace(0, head_.size(), entityHead);
    }
    ~TMimeEntity()
    {
        Restore();
        TPGPInterface::BurnText(head_);
        TPGPInterface::BurnText(prepared_);
    }
    TMimeEntity(const TMimeEntity&) = delete;
    TMimeEntity& operator=(const TMimeEntity&) = delete;

    std::string_view Text() const { return text_; }
    void Restore()
    {
        if (restored_)
            return;
        text_.replace(0, entityHeadLength_, head_);
        restored_ = true;
    }

private:
    std::string prepared_;
    std::string& text_;
    std::string head_;
    std::size_t entityHeadLength_;
    bool restored_ = false;
};

// A part's text as the load left it: one piece, its own or its body where it lies in the message.
std::string_view LoadedText(const TSectionNode& node)
{
    return node.HeldText.empty() ? std::string_view(node.Text) : node.HeldText.front();
}

// An encrypted or signed text part is quoted-printable only where 7-bit lines cannot carry the
// text, else "7BIT": an armour (7-bit, short lines) made quoted-printable gains "=3D" for every "=",
// and a reader that takes the file as it stands can no longer decode it.
bool NeedsQuotedPrintable(const TEncodedText& text)
{
    size_t lineLength = 0;
    for (const std::string_view piece : text.Pieces())
        for (const char c : piece) {
            if (static_cast<unsigned char>(c) >= 0x80 || c == '\0')
                return true;
            lineLength = c == '\n' ? 0 : lineLength + 1;
            if (lineLength > 76)
                return true;
        }
    return false;
}

int CountRecipientAddresses(const std::string& header)
{
    std::string list;
    return GetRecipientAddresses(header, "", list);
}

std::string SystemErrorText(DWORD code)
{
    char* text = nullptr;
    FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string result = text ? text : "Error " + std::to_string(code);
    if (text)
        LocalFree(text);
    return result;
}

} // namespace

TContentPieces TEncryptRoad::TOutcome::Pieces() const
{
    if (Tree)
        return Tree->SectionTextPieces();
    TContentPieces pieces { Head, Text };
    pieces.insert(pieces.end(), Body.Pieces().begin(), Body.Pieces().end());
    return pieces;
}

void TEncryptRoad::TOutcome::Burn()
{
    TPGPInterface::BurnText(Head);
    TPGPInterface::BurnText(Text);
    Body.Release();
    for (int index = 0; Tree && index < Tree->SectionCount(); ++index)
        Tree->GetSection(index)->SetText(std::string());
}

TEncryptRoad::TEncryptRoad(TPGPInterface& pgp, TOptions& options, const TZAVEKStrings& texts,
    IEncryptHost& host, IEncryptPrompts& prompts, TAutoList* autoList)
    : pgp_(pgp)
    , options_(options)
    , texts_(texts)
    , host_(host)
    , prompts_(prompts)
    , autoList_(autoList)
    , wiper_([&pgp](const std::string& fileName) { return pgp.WipeFile(fileName); })
{
    ResetSendState(nullptr, 0);
}

void TEncryptRoad::ResetSendState(TEditorData* editor, int32_t defaultSignSetting)
{
    const TOptionValues& values = options_.Values();
    send_ = TSendRun();
    send_.ADKCheck = values.ADKWarning;
    send_.HideKeyDialog = values.HideKeyDialog;
    send_.AttachmentQuestionPending = !values.EncryptAttachments;
    send_.EncryptAttachments = values.EncryptAttachments;
    if (!editor)
        return;
    editor->Flags = defaultSignSetting == 2 ? uint32_t(efSign) : 0u;
    editor->SendState = ssUndecided;
    editor->AttachmentWarning = values.AIOWarning;
    editor->AddressBooks.reset();
}

void TEncryptRoad::Phase(const char* name)
{
    if (phases_)
        phases_->Mark(name);
}

int32_t TEncryptRoad::EncryptMessage(
    const std::string& inFile, const std::string& recipient, const std::string& method, TRequestedAction requested)
{
    phases_.emplace("encrypt");
    const int32_t result = EncryptMessageFile(inFile, recipient, method, requested);
    phases_.reset();
    return result;
}

int32_t TEncryptRoad::EncryptMessageFile(
    const std::string& inFile, const std::string& recipient, const std::string& method, TRequestedAction requested)
{
    HWND editor = host_.ActiveEditor();
    TEditorData* record = host_.ActiveEditorData();
    const std::string encrypting = texts_.GetEntry(TEXT_ENCRYPTING);
    host_.ShowStatus(encrypting + " ...");
    Phase("status");
    std::string message;
    if (!ReadMessageFile(inFile, message) || message.empty() || recipient.empty())
        return 0;
    Phase("read");

    TOutcome outcome;
    // The send state and the editor's flags decide, and flags of 0 chosen in the encryption dialog
    // send the message prepared as it is. Without a record of the plug-in, or while its editor's
    // send is undecided, there are no flags the user chose: then ENCRYPT encrypts and SIGN signs,
    // with the request's method. Reading "no flags" there as "send it plain" would send a message
    // the mail client asked to encrypt in plain text and report success.
    const bool decided = record && record->SendState != ssUndecided;
    const uint32_t sendState = decided ? record->SendState : ssHostDialog;
    bool encoded = false;
    TMethod chosen;
    if (send_.Cancelled || sendState == ssCancelled) {
        outcome.Write = true;
        outcome.Text = host_.PlaceholderMessage();
        outcome.EndText = TEXT_CANCELLED;
    } else {
        const std::string charset = host_.Charset();
        const uint32_t requestedFlags = requested == TRequestedAction::Encrypt ? efEncrypt : efSign;
        uint32_t flags = decided ? record->Flags : requestedFlags | (record ? record->Flags : 0);
        // A send the recipient list decided takes its entries' flags, also when the mail
        // client's encryption dialog left none in the record.
        const bool listDecided = (sendState == ssListMixed || sendState == ssList) && recipients_.GetCount() > 0;
        const bool plain = send_.SendUnencrypted || (flags == 0 && !listDecided);
        if (!plain)
            flags = TakeRecipient(recipient, record, flags, sendState);
        // A recipient for whom the list wants neither goes as it is too: an encoder asked for
        // nothing gives nothing, and the body would be lost.
        if (plain || (flags & (efEncrypt | efSign)) == 0) {
            WritePrepared(message, charset, outcome);
        } else {
            chosen = ChooseMethod(flags, sendState, method);
            ResolveSigner(chosen.SMime, editor);
            Phase("signer");
            Encode(message, chosen, record, charset, outcome);
            encoded = outcome.Write && outcome.Error == 0 && !send_.Cancelled && !send_.SendUnencrypted;
            outcome.EndText = send_.Cancelled || !outcome.Write ? TEXT_CANCELLED : TEXT_DONE;
        }
    }

    // The message file is wiped only by the commit, once its new content stands in its place: wiped
    // as soon as it was read, a mail client killed before the write would lose the message.
    bool committed = false;
    if (outcome.Write) {
        // The wipe of the plaintext left beside the new file is timed apart from the write.
        committed = CommitMessageFile(inFile, outcome.Pieces(), [this](const std::string& fileName) {
            Phase("commit");
            const bool gone = wiper_(fileName);
            Phase("wipe");
            return gone;
        });
        if (!committed) {
            prompts_.ShowError(SystemErrorText(GetLastError()));
            outcome.EndText = TEXT_CANCELLED;
        }
    }
    Phase("commit");
    outcome.Burn();
    pgp_.BurnText(message);
    Phase("burn");
    if (committed && encoded)
        AfterSuccess(chosen);
    Phase("after");
    host_.ShowStatus(encrypting + texts_.GetEntry(outcome.EndText ? outcome.EndText : TEXT_CANCELLED));
    host_.RefreshQueueWindow();
    Phase("status");
    return committed && outcome.Error == 0 ? 1 : 0;
}

uint32_t TEncryptRoad::TakeRecipient(
    const std::string& recipient, const TEditorData* editor, uint32_t flags, uint32_t sendState)
{
    // The mail client hands over names as the user typed them; the address books may know better.
    const std::string resolved
        = editor && editor->AddressBooks ? editor->AddressBooks->ResolveRecipientNames(recipient) : std::string();
    send_.Recipient = TKeyIDData { resolved.empty() ? recipient : resolved, "", 0 };
    if (recipients_.GetCount() == 0)
        return flags;
    const TAutoListEntry first = recipients_.GetItem(0);
    if (sendState > ssHostDialog && first.KeyID != NO_KEY_ID && !first.KeyID.empty()) {
        flags = sendState < ssMenuEncrypt ? first.Flags : flags | (first.Flags & efMimeKinds);
        send_.Recipient.KeyIDText = first.KeyID;
        send_.Recipient.Count = 1;
    }
    recipients_.Delete(0);
    return flags;
}

TEncryptRoad::TMethod TEncryptRoad::ChooseMethod(uint32_t flags, uint32_t sendState, const std::string& method) const
{
    TMethod chosen;
    chosen.Encrypt = (flags & efEncrypt) != 0;
    chosen.Sign = (flags & efSign) != 0;
    if (sendState != ssHostDialog) {
        chosen.SMime = (flags & efSMime) != 0;
        uint32_t kinds = flags & efMimeKinds;
        if (send_.Recipient.Count == 0 && !chosen.SMime && options_.Values().PGPMime)
            kinds |= efPGPMime;
        chosen.Mime = kinds != 0;
    } else if (method == "S/MIME") {
        chosen.Mime = chosen.SMime = true;
    } else if (method == "PGP/MIME") {
        chosen.Mime = true;
    }
    chosen.HeaderFlags = (chosen.Encrypt ? HEADER_ENCRYPTED : 0) + (chosen.Sign ? HEADER_SIGNED : 0);
    return chosen;
}

void TEncryptRoad::ResolveSigner(bool sMime, HWND editor)
{
    const TOptionValues& values = options_.Values();
    if (values.AlwaysDefault && send_.Signer.KeyIDText.empty())
        send_.Signer.KeyIDText = options_.GetDefaultKeyID();
    send_.Signer.UserText = host_.IdentityAddress(editor);
    pgp_.LastStatus = kStatusOK;
    pgp_.ResolveSigner(send_.Signer, sMime);
    pgp_.SetHashChoice(values.SignAlg, values.RipeMD);
}

TEncodeRequest TEncryptRoad::Request(const TMethod& method, bool several) const
{
    TEncodeRequest request;
    request.Encrypt = method.Encrypt;
    request.Sign = method.Sign;
    request.SMime = method.SMime;
    request.EncryptToSelf = options_.Values().EncryptToSelf;
    request.AutoRecipients = send_.ADKCheck;
    request.MultipleSelection = several;
    return request;
}

void TEncryptRoad::Encode(std::string& message, const TMethod& method, TEditorData* editor,
    const std::string& charset, TOutcome& outcome)
{
    const bool withBooks = editor && editor->AddressBooks;
    std::string header;
    std::optional<TMimeEntity> entity;
    if (method.Mime) {
        host_.ShowStatus(texts_.GetEntry(TEXT_ENCRYPTING) + " (" + (method.SMime ? "S/MIME" : "PGP/MIME") + ") ...");
        TMarkedMessage marked;
        MarkForEncryptor(message, charset, method.HeaderFlags, marked);
        std::string entityHead;
        const TBurnOnExit burnEntityHead(entityHead);
        SplitForMimeBody(marked, header, entityHead);
        entity.emplace(message, marked, entityHead);
        Phase("header");
    }
    // An error the encoder has shown itself (a cancelled key choice and the like) gets one more
    // try without the chosen key; a second one goes to the failure question like any other.
    for (int attempt = 0;; ++attempt) {
        TOutcome encoded;
        int32_t error;
        if (method.Mime) {
            const bool several = withBooks && CountRecipientAddresses(header) > 1;
            error = EncodeMime(entity->Text(), method, several, encoded.Body);
            if (error == kStatusOK)
                encoded.Head = header;
        } else {
            // The tree reads the message where it lies; its nodes take the encoded parts.
            encoded.Tree = std::make_unique<TMimeMsgTree>();
            TMimeMsgTree& tree = *encoded.Tree;
            tree.Reset();
            tree.NameCharset = charset;
            tree.TreeData.Decode = [](const std::string&, std::string&, std::string&, int32_t&, std::string&) {};
            tree.LoadBorrowedMessage(message, 1, LOAD_KEEP_TEXTS | lmBodiesInPlace, 0);
            Phase("tree");
            const bool several = withBooks && CountRecipientAddresses(tree.GetSectionText(0)) > 1;
            error = EncodeInline(tree, method, several);
        }
        if (error != kStatusOK)
            encoded.Burn();
        if (method.Encrypt && TPGPInterface::IsShownEncodeError(error) && attempt == 0) {
            send_.Recipient.KeyIDText.clear();
            send_.Recipient.Count = 0;
            send_.ADKCheck = false;
            continue;
        }
        if (error == kStatusOK) {
            NoteAutoListCandidate();
            if (method.Encrypt && send_.ADKCheck && pgp_.KeyHasADK(send_.Recipient.KeyIDText) && AskADK()) {
                encoded.Burn();
                PutBackIntoEditor(outcome);
                return;
            }
            encoded.Write = true;
            outcome = std::move(encoded);
            return;
        }
        outcome.Error = error;
        if (entity)
            entity->Restore(); // the message as the user wrote it, to send or to edit
        bool unused = false;
        const TChoice choice = prompts_.AskChoice(texts_.GetEntry(TEXT_ENCRYPTION_FAILED),
            Exclaimed(pgp_.PGPErrorText(error)) + "\r\n\r\n" + texts_.GetEntry(TEXT_EDIT_OR_SEND_PLAIN),
            texts_.GetEntry(TEXT_BACK_TO_EDITOR), texts_.GetEntry(TEXT_SEND_UNENCRYPTED), "", unused);
        if (choice == TChoice::Second)
            SendUnencrypted(message, charset, outcome);
        else
            PutBackIntoEditor(outcome);
        return;
    }
}

int32_t TEncryptRoad::EncodeMime(
    std::string_view body, const TMethod& method, bool several, TEncodedText& result)
{
    const int32_t error = pgp_.EncodeMimeBody(
        body, Request(method, several), host_.OwnerWindow(), nullptr, send_.Signer, send_.Recipient, result);
    Phase("sdk");
    return error;
}

int32_t TEncryptRoad::EncodeInline(TMimeMsgTree& tree, const TMethod& method, bool several)
{
    int32_t error = kStatusOK;
    for (int index = 0; index < tree.SectionCount() && error == kStatusOK; ++index)
        error = EncodeSection(tree, index, method, several);
    send_.FirstPart = false;
    return error;
}

int32_t TEncryptRoad::EncodeSection(TMimeMsgTree& tree, int& index, const TMethod& method, bool several)
{
    TSectionNode* node = tree.GetSection(index);
    // Structure (message headers, multiparts, delimiters) stays; an empty part has nothing to
    // protect. A part without a file name is still a part: it is never left in plain text.
    const bool structure = node && node->NodeKind <= nkRawText && node->NodeKind != nkOther;
    if (!node || structure || !node->HasText())
        return kStatusOK;
    if (node->NodeKind == nkAttachment && !send_.EncryptAttachments) {
        if (send_.AttachmentQuestionPending) {
            send_.AttachmentQuestionPending = false;
            bool ticked = false;
            send_.EncryptAttachments = prompts_.AskYesNo(texts_.GetEntry(TEXT_ENCRYPT_ATTACHMENTS),
                texts_.GetEntry(TEXT_ALWAYS_ENCRYPT_ATTACHMENTS), ticked);
            if (ticked)
                options_.SetEncryptAttachments(true);
        }
        if (!send_.EncryptAttachments) {
            index = EncodeSectionBody(tree, index, node->WholeText(), "base64", false, false, 0);
            return kStatusOK;
        }
    }
    const bool text = node->NodeKind >= nkTextPlain && node->NodeKind <= nkTextOther;
    HWND owner = host_.OwnerWindow();
    if (text || method.Encrypt) {
        TEncodeRequest request = Request(method, several);
        request.DataIsText = text;
        TEncodedText encoded;
        const int32_t error = pgp_.EncodeInlineText(LoadedText(*node), text ? node->Section.Charset : std::string(),
            request, owner, send_.FirstPart, nullptr, send_.Signer, send_.Recipient, encoded);
        Phase("sdk");
        if (error != kStatusOK)
            return error;
        const bool pgpExtension = !text && options_.Values().PGPExt;
        if (text && NeedsQuotedPrintable(encoded)) {
            index = EncodeSectionBody(tree, index, encoded.Joined(), "quoted-printable", false, pgpExtension,
                method.HeaderFlags);
        } else {
            // The armour goes to the file as the encoder handed it over, in its pieces.
            auto body = std::make_shared<TEncodedText>(std::move(encoded));
            std::vector<std::string_view> pieces = body->Pieces();
            index = EncodeSectionBody(tree, index, std::move(body), std::move(pieces), "7BIT", pgpExtension,
                method.HeaderFlags);
        }
        Phase("section");
        return kStatusOK;
    }
    std::string signature;
    const int32_t error = pgp_.SignDetached(LoadedText(*node), owner, signature, send_.Signer);
    if (error != kStatusOK)
        return error;
    index = EncodeSectionBody(tree, index, signature, "base64", true, false, 0);
    return kStatusOK;
}

void TEncryptRoad::NoteAutoListCandidate()
{
    TKeyIDData& candidate = send_.AutoListCandidate;
    if (candidate.Count > 0 && candidate.KeyIDText.empty())
        candidate = TKeyIDData();
    const TKeyIDData& recipient = send_.Recipient;
    if (!options_.Values().AutoPush || !autoList_ || recipient.KeyIDText.empty()
        || autoList_->ContainsPair(recipient.UserText, recipient.KeyIDText))
        return;
    candidate.UserText += "\r\n" + recipient.UserText;
    if (!candidate.KeyIDText.empty())
        candidate.KeyIDText += ",";
    candidate.KeyIDText += recipient.KeyIDText;
    ++candidate.Count;
}

void TEncryptRoad::PutBackIntoEditor(TOutcome& outcome)
{
    std::string text;
    if (host_.ReopenMessageInEditor(text)) {
        outcome.Write = true;
        outcome.Text = std::move(text);
        send_.Cancelled = true;
        return;
    }
    // The message cannot go back into an editor: it stays in its file, unsent.
    outcome.Write = false;
    prompts_.ShowError(texts_.GetEntry(TEXT_NOT_PUT_BACK));
}

void TEncryptRoad::SendUnencrypted(const std::string& message, const std::string& charset, TOutcome& outcome)
{
    send_.SendUnencrypted = true;
    WritePrepared(message, charset, outcome);
}

void TEncryptRoad::WritePrepared(const std::string& message, const std::string& charset, TOutcome& outcome)
{
    outcome.Write = true;
    outcome.Text = PrepareMessageParts(message, charset, !host_.SendsEightBit());
    // The user chose to send: that is no failure.
    outcome.Error = kStatusOK;
    outcome.EndText = send_.Cancelled ? TEXT_CANCELLED : TEXT_DONE;
}

bool TEncryptRoad::AskADK()
{
    bool ticked = false;
    const TChoice choice = prompts_.AskChoice(texts_.GetEntry(TEXT_WARNING), texts_.GetEntry(TEXT_ADK_WARNING),
        texts_.GetEntry(TEXT_EDIT_RECIPIENTS), texts_.GetEntry(TEXT_BACK_TO_EDITOR),
        texts_.GetEntry(TEXT_DO_NOT_WARN) + texts_.GetEntry(TEXT_DO_NOT_WARN_SUFFIX), ticked);
    if (choice != TChoice::Second)
        return true;
    send_.ADKCheck = false;
    if (ticked)
        options_.SetADKWarning(false);
    return false;
}

void TEncryptRoad::AfterSuccess(const TMethod& method)
{
    if (method.Encrypt && options_.Values().ConfirmEncrypt) {
        bool ticked = false;
        prompts_.Inform(texts_.GetEntry(TEXT_MESSAGE_ENCRYPTED), texts_.GetEntry(TEXT_DO_NOT_SHOW), ticked);
        if (ticked)
            options_.SetConfirmEncrypt(false);
    }
    if (options_.Values().AutoPush)
        OfferAutoListEntries();
}

void TEncryptRoad::OfferAutoListEntries()
{
    TKeyIDData& candidate = send_.AutoListCandidate;
    if (candidate.UserText.empty())
        return;
    bool unused = false;
    // Declined, nothing more is said: the count with " keys were imported." (text 311) that the key
    // import reports here would be untrue after a send, which imports no key.
    if (prompts_.AskYesNo(texts_.GetEntry(TEXT_ADD_TO_RECIPIENT_LIST) + "\r\n\r\n" + candidate.UserText, "", unused)) {
        const TOptionValues& values = options_.Values();
        if (autoList_)
            autoList_->SetDefaultFlags(values.FullAuto, values.FullAutoSigned);
        if (prompts_.AddToRecipientList(candidate)) {
            newPairs_ = TKeyIDData();
            candidate = TKeyIDData();
            return;
        }
    }
    // Kept for the recipient list menu until they are added or another send brings its own.
    newPairs_ = candidate;
    candidate = TKeyIDData();
}
