// Runs the stand-in mail client from the staged tree with a script and reads back its log, for the
// end-to-end tests. Each session works in a folder of its own under the temporary folder, which
// goes with the session.
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

// Rules for the plug-in's own dialogs ("ZA-VEK - ..."): OK closes a message; No answers the
// question the start-up asks while the PGP key rings are missing.
inline const std::string ANSWER_MESSAGES = "answer ZA-VEK OK\n";
inline const std::string ANSWER_NO_KEY_RINGS = "answer ZA-VEK No\n";

class THostSession {
public:
    explicit THostSession(const std::string& name);
    // Removes the session's folder; a test that has failed keeps it to be looked into, and the
    // test's output names it.
    ~THostSession();
    THostSession(THostSession&& other) noexcept;
    THostSession(const THostSession&) = delete;
    THostSession& operator=(const THostSession&) = delete;
    // Makes the session's folder a mail folder whose options name a copy of the test key rings
    // (made by GnuPG at build time, or those of the Unix folder given); the script step that points
    // the mail client at it.
    std::string UseKeyRings(const std::string& fixtureFolder = ZAVEK_KEY_FIXTURES) const;
    // The script step that makes the session's folder the mail client's mail folder.
    std::string MailFolderStep() const;
    // A Windows path of a file in the session's folder.
    std::string File(const std::string& name) const;
    void WriteFile(const std::string& name, const std::string& content) const;
    std::string ReadFile(const std::string& name) const;
    bool Exists(const std::string& name) const;
    // Runs the script (one step per line) and waits for the host to end; timeoutMs only guards
    // against a hang (a machine shared with other builds may take minutes where a quiet one takes
    // seconds). Arguments are added to the host's command line.
    THostRun Run(
        const std::string& script, unsigned timeoutMs = 180000, const std::string& arguments = {}) const;

private:
    std::string folder_;
};

// Checks that a DECRYPT ended "done" without an error box, and that the status bar showed `notes`
// signature notes, each a good signature whose signer text holds `signer`.
void ExpectDoneWithGoodSigner(const THostRun& run, size_t notes, const std::string& signer);

// The folder the build staged into, as a Windows path.
std::string StageFolder();
// The content of a file of the build machine (a Unix path, seen on Z:); empty when unreadable.
std::string ReadBuildFile(const std::string& unixPath);

// A key of the test key rings, which each build tree makes anew: its ids as GnuPG wrote them.
struct TTestKey {
    std::string Id; // 16 hexadecimal digits
    std::string SubKeyId;
};
TTestKey TestKey(const std::string& name);
