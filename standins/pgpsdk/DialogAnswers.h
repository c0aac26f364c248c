// Unattended answers for the stand-in's passphrase dialogs, so every flow can run headless. The
// file named by PGPSTANDIN_ANSWERS holds one answer a line:
//     <dialog>: pass <passphrase to the end of the line>
//     <dialog>: cancel
//     select-keys: all | first | named <part of a user id>
//     secure-viewer: close
// with <dialog> one of passphrase, conventional-encryption, conventional-decryption, signing,
// decryption, select-keys (the client library's key selection: every key offered, the first, or
// those whose user id holds the text; with none of them to take the selection is cancelled),
// secure-viewer (the support library's viewer, closed at once when answered at all). Lines starting with '#' and blank lines are skipped, and so is any line not of this
// form (never echoed: it may hold a passphrase). A dialog takes its kind's answers in file order;
// the last one then repeats. A dialog with no answer of its kind is cancelled.
#pragma once

#include "standins/pgpsdk/SecretBytes.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace standin {

enum class DialogKind {
    Passphrase,
    ConventionalEncryption,
    ConventionalDecryption,
    Signing,
    Decryption,
    SelectKeys,
    SecureViewer,
    Count
};

struct DialogAnswer {
    bool cancel = true;
    SecretBytes passphrase;
    bool allKeys = false; // select-keys: every key offered, else the first
    std::string named; // select-keys: the keys whose user id holds this text
};

class DialogAnswers {
public:
    static DialogAnswers Parse(std::string_view text);

    DialogAnswer Next(DialogKind kind);

private:
    struct Queue {
        std::vector<DialogAnswer> answers;
        std::size_t next = 0;
    };
    std::array<Queue, static_cast<std::size_t>(DialogKind::Count)> queues_;
};

} // namespace standin
