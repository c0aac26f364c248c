// Runs the stand-in mail client from the staged tree with a script and reads back its log, for the
// end-to-end tests. Each session works in a folder of its own.
#pragma once

#include <string>
#include <vector>

struct THostRun {
    int ExitCode = -1;
    std::vector<std::string> Log;

    // Lines that begin with prefix, in order.
    std::vector<std::string> LinesStartingWith(const std::string& prefix) const;
    bool Has(const std::string& line) const;
    // The whole log, for failure messages.
    std::string Text() const;
    // Position of the first line equal to line; -1 when absent.
    int IndexOf(const std::string& line) const;
};

class THostSession {
public:
    explicit THostSession(const std::string& name);
    // A Windows path of a file in the session's folder.
    std::string File(const std::string& name) const;
    void WriteFile(const std::string& name, const std::string& content) const;
    std::string ReadFile(const std::string& name) const;
    bool Exists(const std::string& name) const;
    // Runs the script (one step per line) and waits at most timeoutMs for the host to end;
    // arguments are added to the host's command line.
    THostRun Run(
        const std::string& script, unsigned timeoutMs = 30000, const std::string& arguments = {}) const;

private:
    std::string folder_;
};

// The folder the build staged into, as a Windows path.
std::string StageFolder();
