// The helper program's command line: which export a keyword runs and what it is given, and the
// program-folder and mutex-name rules. Portable, so the rules are also tested natively.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The raw command line without the program name and the blanks after it. A name that begins with
// a double quote ends after the next double quote (or at the end); otherwise at the first blank.
std::string ArgsAfterProgramName(const std::string& commandLine);

// A program path up to and including its last '\'; empty when it has none.
std::string ProgramFolderOf(const std::string& programPath);

// What the export of a keyword receives.
enum class THelperArgument {
    EmptyText, // USERSETUP
    JoinedArguments, // USERUPDATE: arguments 2.. joined by ","
    NoArgument, // USERUNINSTALL, CLEANUP
    IdentityAndWindow, // PMRESTART
    Flag, // SYNCTIME
    RawTail, // HTMLPAGE, PGPHELP, MANUAL
};

struct THelperCommand {
    int Ordinal = 0; // 0: nothing to run
    THelperArgument Argument = THelperArgument::NoArgument;
    std::string Text; // the text argument, or PMRESTART's identity
    bool Flag = false;
    uintptr_t Window = 0; // PMRESTART's window handle
};

// Resolves the command of a command line: commandLine is the raw line, arguments its split words
// (argument 0 is the program). The first keyword that argument 1 begins with (ASCII case ignored)
// wins; an unknown keyword or no argument gives ordinal 0.
THelperCommand ResolveHelperCommand(const std::string& commandLine, const std::vector<std::string>& arguments);

// A valid name for the single-instance mutex of the program at fullPath (a path holds '\', which
// such names may not): "Local\ZAVEKHelper-" + 16 hex digits of a hash of the upper-cased path.
std::string HelperMutexName(const std::string& fullPath);
