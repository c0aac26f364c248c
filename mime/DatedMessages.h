// The messages of a whole mail folder as one readable, dated item each (summary, body texts,
// attachment notes, a separator line) in a dated string list, and that list written back as a
// mailbox of plain UTF-8 text messages. Portable: the model's services do the conversions.
#pragma once

#include "foundation/DatedStrings.h"
#include "mime/MimeMsgTree.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

// Told the amount of the folder text handled so far; false stops the load.
using TDatedMessagesProgress = std::function<bool(int64_t Processed)>;

class TDatedMessages {
public:
    // Without a list nothing can be loaded. A TDatedWideStrings list gets UTF-16 items.
    explicit TDatedMessages(TDatedStrings* List);
    ~TDatedMessages();
    TDatedMessages(const TDatedMessages&) = delete;
    TDatedMessages& operator=(const TDatedMessages&) = delete;

    // The notes after an item whose message has attachments or embedded messages, or is a digest.
    void SetEmbeddedNote(const std::string& Text);
    void SetDigestNote(const std::string& Text);
    // Clears the list and adds one item per message of the folder: Mailbox texts are cut at
    // "\nFrom ???@???", others at the Ctrl-Z byte.
    void LoadMessages(const std::string& FolderText, bool Mailbox);
    // Writes the list as a mailbox (replacing the file); false for an empty list or when writing
    // fails, and then no partly written file remains.
    bool SaveToFile(const std::string& FileName) const;

    std::string EmbeddedNote;
    std::string DigestNote;
    std::string Separator;
    uint32_t Mode = lmDecode;
    TDatedStrings* List = nullptr;
    std::unique_ptr<TMimeMsgTree> Tree;
    int64_t TextLength = 0;
    TMsgTreeData TreeData;
    TDatedMessagesProgress OnProgress;

private:
    bool Wide() const { return (Mode & lmWide) != 0; }
    // An ANSI text as the list's items hold their texts.
    std::string ItemText(const std::string& Ansi) const;
    std::string NoteText(const std::string& Text) const;
    // The item of the message loaded in the tree.
    std::string MakeItem();
    // One item as a mailbox message.
    std::string MailboxMessage(int Index) const;
    std::string ItemToUtf8(const std::string& Item) const;
};
