// The mail client's form files: every "*.f??" file of the mail folder that names a library in a
// "Form DLL = " line is a form the mail client loads at start-up.
#pragma once

#include <string>
#include <vector>

// The libraries the form files of the mail folder name, by file name in order, each once: quotes
// removed, a leading "~a\" replaced by the mail client's base folder; ";" lines are comments.
std::vector<std::string> FormLibraries(const std::string& mailFolder, const std::string& baseFolder);
