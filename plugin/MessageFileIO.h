// Reading and replacing the mail client's message files byte for byte: a whole-file read, and a
// commit that a kill at any instant leaves with either the whole old or the whole new file under
// the message's name, with the recovery that a later start finishes or rolls back.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// The whole file; false when it cannot be opened or read.
bool ReadMessageFile(const std::string& fileName, std::string& bytes);

// Removes a file securely; true when it is gone.
using TFileWiper = std::function<bool(const std::string& fileName)>;

// The points a commit passes, in order; `Writing` after each write of at most a megabyte.
enum class TCommitStep { Writing, Written, OriginalKept, Replaced, OldCopyGone };
using TCommitObserver = std::function<void(TCommitStep step)>;

// The names a commit of fileName works with beside it: the new content until it takes the
// name, and the old one from then until it is wiped.
std::string NewContentName(const std::string& fileName);
std::string OldContentName(const std::string& fileName);

// Writes bytes beside fileName and flushes them; keeps the original under a second name; puts
// the new file in its place in one rename; only then wipes the old copy (deletes it without a
// wiper). False, with the original under its name, when the new content could not take its place.
bool CommitMessageFile(const std::string& fileName, const std::string& bytes, const TFileWiper& wipe,
    const TCommitObserver& observe = nullptr);
// The same with the new content in pieces, written one after the other: the parts of a long
// message need not be joined in memory first.
using TContentPieces = std::vector<std::string_view>;
bool CommitMessageFile(const std::string& fileName, const TContentPieces& pieces, const TFileWiper& wipe,
    const TCommitObserver& observe = nullptr);

// Finishes or rolls back a commit of fileName that a dead process left half done: a commit that
// renamed its new file in is finished (the old copy wiped), any other is undone (the original
// back under its name, the new content wiped). True when nothing of it is left beside the file.
bool RecoverMessageFile(const std::string& fileName, const TFileWiper& wipe);
// The same for every half-done commit in a folder; the number of messages recovered.
int RecoverMessageFolder(const std::string& folder, const TFileWiper& wipe);
