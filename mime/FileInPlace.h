// FileInPlace: rewrites a file where it lies, so that it keeps its identity, its attributes and the
// handles other programs hold on it (the mail client keeps its message files open while it shows
// them, and a file replaced by a rename under it loses both). A crash in the middle must not lose
// the file: the bytes about to be overwritten are first kept in an undo file beside it.
#pragma once
#include <string>

// Writes New over the file that holds Old, from their first difference on, flushed to the disk.
// False when the file no longer holds Old's length or any step fails; the file then holds Old
// again (or, when even that write failed, its undo file stays for RepairInterruptedRewrite).
bool RewriteFileInPlace(const std::string& Path, const std::string& Old, const std::string& New);

// Puts back a file whose rewrite was interrupted (its undo file is still there): only when the
// file's untouched head and the kept bytes together give the old content again, so a file that
// was changed since is never touched. A finished rewrite's undo file is simply removed.
void RepairInterruptedRewrite(const std::string& Path);

// The name of the undo file that belongs to Path.
std::string UndoFileName(const std::string& Path);
