// Dated message export: cuts a folder into messages, makes each a readable item through the part
// tree, and writes the items back as a mailbox of plain UTF-8 messages.
#include "mime/DatedMessages.h"

#include "foundation/StrUtil.h"
#include "mime/MailUtils.h"

#include <cstdio>
#include <vector>

namespace {

const std::string Dashes(40, '\x97'); // the dash of the ANSI code page
const std::string MailboxMarker = "From ???@???";
const std::string WideNul(2, '\0');
const std::string WideCrLf("\r\0\n\0", 4);

bool EndsWith(const std::string& Text, const std::string& Tail)
{
    return Text.size() >= Tail.size() && Text.compare(Text.size() - Tail.size(), Tail.size(), Tail) == 0;
}

// A UTF-16 text without its terminator.
std::string WideBody(const std::string& Text)
{
    return Text.size() % 2 == 0 && EndsWith(Text, WideNul) ? Text.substr(0, Text.size() - 2) : Text;
}

bool EndsWithLineBreak(const std::string& Text, bool Wide)
{
    if (!Wide)
        return !Text.empty() && (Text.back() == '\r' || Text.back() == '\n');
    const std::string body = WideBody(Text);
    return body.size() >= 2 && body[body.size() - 1] == '\0'
        && (body[body.size() - 2] == '\r' || body[body.size() - 2] == '\n');
}

// The body texts one after another, each ending in a line break; UTF-16 with one terminator.
std::string JoinBodyTexts(const TTextList& Texts, bool Wide)
{
    std::string joined;
    for (const TTextItem& item : Texts) {
        joined += Wide ? WideBody(item.Text) : item.Text;
        if (!EndsWithLineBreak(item.Text, Wide))
            joined += Wide ? WideCrLf : std::string("\r\n");
    }
    return Wide ? joined + WideNul : joined;
}

std::string JoinPieces(const std::vector<std::string>& Pieces, bool Wide)
{
    std::string joined;
    for (const std::string& piece : Pieces)
        joined += Wide ? WideBody(piece) : piece;
    return Wide ? joined + WideNul : joined;
}

// The value of the summary line that begins with Caption and Delimiter; empty when there is none.
std::string SummaryValue(const std::string& Summary, const std::string& Caption, char Delimiter)
{
    const std::string start = Caption + Delimiter;
    std::size_t line = 0;
    while (line < Summary.size()) {
        std::size_t end = Summary.find("\r\n", line);
        if (end == std::string::npos)
            end = Summary.size();
        if (Summary.compare(line, start.size(), start) == 0 && line + start.size() <= end)
            return Summary.substr(line + start.size(), end - line - start.size());
        line = end + 2;
    }
    return {};
}

// Body lines that would read as the start of another message get a '>' in front.
std::string EscapeMailboxMarkers(const std::string& Text)
{
    std::string escaped;
    std::size_t line = 0;
    while (line < Text.size()) {
        std::size_t end = Text.find('\n', line);
        end = end == std::string::npos ? Text.size() : end + 1;
        if (Text.compare(line, MailboxMarker.size(), MailboxMarker) == 0)
            escaped += '>';
        escaped.append(Text, line, end - line);
        line = end;
    }
    return escaped;
}

bool WriteFileBytes(const std::string& FileName, const std::string& Bytes)
{
    std::FILE* file = std::fopen(FileName.c_str(), "wb");
    if (!file)
        return false;
    const bool written = std::fwrite(Bytes.data(), 1, Bytes.size(), file) == Bytes.size();
    const bool closed = std::fclose(file) == 0;
    if (written && closed)
        return true;
    std::remove(FileName.c_str());
    return false;
}

} // namespace

TDatedMessages::TDatedMessages(TDatedStrings* List)
    : List(List)
{
    if (!List)
        return;
    Tree = std::make_unique<TMimeMsgTree>();
    if (dynamic_cast<TDatedWideStrings*>(List))
        Mode = lmDecode | lmWide;
    Separator = ItemText(Dashes + "  " + Dashes + "\r\n\r\n");
}

TDatedMessages::~TDatedMessages() = default;

std::string TDatedMessages::ItemText(const std::string& Ansi) const
{
    return Wide() ? AnsiTextToWide(Ansi) : Ansi;
}

std::string TDatedMessages::NoteText(const std::string& Text) const
{
    return ItemText("\r\n" + Text + Dashes + "\r\n");
}

void TDatedMessages::SetEmbeddedNote(const std::string& Text)
{
    EmbeddedNote = NoteText(Text);
}

void TDatedMessages::SetDigestNote(const std::string& Text)
{
    DigestNote = NoteText(Text);
}

void TDatedMessages::LoadMessages(const std::string& FolderText, bool Mailbox)
{
    if (!List || !Tree || FolderText.empty())
        return;
    Tree->TreeData = TreeData;
    List->Clear();
    TextLength = static_cast<int64_t>(FolderText.size());
    const std::string cut = Mailbox ? "\n" + MailboxMarker : std::string(1, '\x1A');
    std::size_t start = 0;
    while (start < FolderText.size()) {
        const std::size_t found = FolderText.find(cut, start);
        // A mailbox message keeps the line break before the next "From " line; a Ctrl-Z is dropped.
        const std::size_t end = found == std::string::npos ? FolderText.size() : found + (Mailbox ? 1 : 0);
        const std::string message = FolderText.substr(start, end - start);
        start = found == std::string::npos ? FolderText.size() : found + 1;
        if (!TrimBlanks(message).empty()) {
            Tree->Reset();
            Tree->LoadMessage(message, 1, Mode, 0);
            if (Tree->HasSections())
                List->AddDated(MakeItem(), Tree->GetMessageDate());
        }
        // The amount handled so far, so that a gauge over the whole text only moves forward.
        if (OnProgress && !OnProgress(static_cast<int64_t>(start)))
            break;
    }
}

std::string TDatedMessages::MakeItem()
{
    const bool wide = Wide();
    std::vector<std::string> pieces;
    pieces.push_back(Tree->GetSummary());
    const std::string body = JoinBodyTexts(Tree->CollectBodyTexts(false), wide);
    pieces.push_back(body);
    pieces.push_back(BlankLineSuffix(body));
    if (Tree->IsDigest || Tree->HasAttachments) {
        pieces.push_back(Tree->IsDigest ? DigestNote : EmbeddedNote);
        pieces.push_back(Tree->GetAttachmentList());
    }
    pieces.push_back(Separator);
    return JoinPieces(pieces, wide);
}

std::string TDatedMessages::ItemToUtf8(const std::string& Item) const
{
    if (Wide())
        return WideTextToUtf8(Item);
    // The items are ANSI: the file says UTF-8, so convert (kept as it is when nothing converts).
    const std::string utf8 = AnsiTextToUtf8(Item);
    return utf8.empty() ? Item : utf8;
}

std::string TDatedMessages::MailboxMessage(int Index) const
{
    const std::string text = ItemToUtf8(List->Get(Index));
    const std::size_t split = text.find("\r\n\r\n");
    const std::string summary = split == std::string::npos ? text : text.substr(0, split);
    std::string rest = split == std::string::npos ? std::string() : text.substr(split);

    const std::string fullSeparator = ItemToUtf8(Separator);
    if (!fullSeparator.empty() && EndsWith(rest, fullSeparator))
        rest = rest.substr(0, rest.size() - fullSeparator.size()) + ItemToUtf8(ItemText(Dashes)) + "\r\n";
    if (rest.empty() || rest.back() != '\n')
        rest += "\r\n";

    const auto addressValue = [](const std::string& value) {
        return TextHasNonAscii(value) ? EncodeAddressHeader(value, "UTF-8") : value;
    };
    const auto wordValue = [](const std::string& value) {
        return TextHasNonAscii(value) ? EncodeQuotedPrintable(value, "UTF-8") : value;
    };
    std::string to = SummaryValue(summary, TreeData.ToCaption, '\t');
    if (EndsWith(to, " et al."))
        to.resize(to.size() - 7);
    std::string header = "Date: " + FormatRfc822Date(List->GetDate(Index)) + "\r\n";
    header += "From: " + addressValue(SummaryValue(summary, TreeData.FromCaption, '\t')) + "\r\n";
    header += "To: " + addressValue(to) + "\r\n";
    header += "Subject: " + wordValue(SummaryValue(summary, TreeData.SubjectCaption, '\t'));
    const std::string replyTo = SummaryValue(summary, TreeData.ReplyToCaption, ' ');
    if (!replyTo.empty())
        header += "\r\nReply-to: " + wordValue(replyTo);

    return MailboxMarker + "\r\n" + header + "\r\n"
        + "Mime-Version: 1.0\r\nContent-Type: text/plain; charset=UTF-8\r\nContent-Transfer-Encoding: 8BIT\r\n"
          "Content-Description: Mail message body"
        + EscapeMailboxMarkers(rest);
}

bool TDatedMessages::SaveToFile(const std::string& FileName) const
{
    if (!List || List->Count() == 0)
        return false;
    // The whole mailbox is made before the file is touched, so a failure while making it leaves
    // an existing file as it was; a failed write removes what was written.
    std::string mailbox;
    try {
        for (int i = 0; i < List->Count(); ++i)
            mailbox += MailboxMessage(i);
    } catch (...) {
        return false;
    }
    return WriteFileBytes(FileName, mailbox);
}
