// The unattended answers of the file named by PGPSTANDIN_ANSWERS, read once per library so that a
// file can script a sequence of dialogs.
#pragma once

#include "standins/pgpsdk/DialogAnswers.h"

#include <optional>

namespace standin {

// The answer for the next dialog of a kind, or none when the dialogs are interactive.
std::optional<DialogAnswer> NextAnswer(DialogKind kind);

} // namespace standin
