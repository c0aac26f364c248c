// Running the stand-in mail client for the end-to-end tests.
#include "e2e/HostSession.h"
#include "support/ScratchFolder.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

namespace {
const std::string kScriptTimedOut = "timeout: script did not end";

// Under CPU emulation (the 32-bit lane on a machine without IA-32) every step runs several times
// slower; ZAVEK_TIME_SCALE stretches the guard against a hang by that factor.
unsigned Stretched(unsigned timeoutMs)
{
    char text[16] = {};
    const DWORD length = GetEnvironmentVariableA("ZAVEK_TIME_SCALE", text, sizeof text);
    const unsigned long scale = length > 0 && length < sizeof text ? std::strtoul(text, nullptr, 10) : 1;
    return timeoutMs * static_cast<unsigned>(scale > 1 && scale < 100 ? scale : 1);
}
} // namespace

std::string StageFolder()
{
    // The build passes the stage folder as a path of the build machine, which Wine shows on Z:.
    std::string path = ZAVEK_STAGE_DIR;
    for (char& c : path)
        if (c == '/')
            c = '\\';
    return path.size() > 1 && path[1] == ':' ? path : "Z:" + path;
}

std::vector<std::string> THostRun::LinesStartingWith(const std::string& prefix) const
{
    std::vector<std::string> lines;
    for (const std::string& line : Log)
        if (line.compare(0, prefix.size(), prefix) == 0)
            lines.push_back(line);
    return lines;
}

bool THostRun::Has(const std::string& line) const
{
    return IndexOf(line) >= 0;
}

std::string THostRun::Text() const
{
    std::string text = "host log (exit " + std::to_string(ExitCode) + "):\n";
    for (const std::string& line : Log)
        text += "  " + line + "\n";
    return text;
}

int THostRun::IndexOf(const std::string& line) const
{
    for (size_t i = 0; i < Log.size(); ++i)
        if (Log[i] == line)
            return static_cast<int>(i);
    return -1;
}

THostSession::THostSession(const std::string& name)
{
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    folder_ = std::string(temp) + "zavek-e2e-" + name + "-" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(folder_.c_str(), nullptr);
    // Wine reuses process ids: a folder left by an earlier run must not leak its files into this one.
    DeleteFilesIn(folder_ + "\\");
}

THostSession::THostSession(THostSession&& other) noexcept : folder_(std::move(other.folder_))
{
    other.folder_.clear();
}

THostSession::~THostSession()
{
    if (folder_.empty())
        return;
    if (::testing::Test::HasFailure()) {
        std::printf("The failed test's session files stay in %s\n", folder_.c_str());
        return;
    }
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
}

std::string THostSession::File(const std::string& name) const
{
    return folder_ + "\\" + name;
}

void THostSession::WriteFile(const std::string& name, const std::string& content) const
{
    std::ofstream(File(name), std::ios::binary) << content;
}

std::string THostSession::ReadFile(const std::string& name) const
{
    std::ifstream in(File(name), std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string THostSession::MailFolderStep() const
{
    return "set mailfolder \"" + File("") + "\"\n";
}

std::string THostSession::UseKeyRings(const std::string& fixtureFolder) const
{
    std::string fixtures = "Z:" + fixtureFolder + "\\";
    for (char& c : fixtures)
        if (c == '/')
            c = '\\';
    for (const char* name : { "pubring.pkr", "secring.skr" })
        CopyFileA((fixtures + name).c_str(), File(name).c_str(), FALSE);
    WriteFile("ZAVEK.cfg",
        "[FilePaths]\r\nSecRing=\"" + File("secring.skr") + "\"\r\nPubRing=\"" + File("pubring.pkr") + "\"\r\n");
    return MailFolderStep();
}

std::string ReadBuildFile(const std::string& unixPath)
{
    std::string path = "Z:" + unixPath;
    for (char& c : path)
        if (c == '/')
            c = '\\';
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

bool THostSession::Exists(const std::string& name) const
{
    return GetFileAttributesA(File(name).c_str()) != INVALID_FILE_ATTRIBUTES;
}

THostRun THostSession::Run(const std::string& script, unsigned timeoutMs, const std::string& arguments) const
{
    timeoutMs = Stretched(timeoutMs);
    WriteFile("script.txt", script);
    DeleteFileA(File("host.log").c_str());
    const std::string host = StageFolder() + "\\Host\\WINPM-32.EXE";
    std::string commandLine = "\"" + host + "\" --script \"" + File("script.txt") + "\" --log \""
        + File("host.log") + "\" --timeout " + std::to_string(timeoutMs)
        + (arguments.empty() ? "" : " " + arguments);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    THostRun run;
    if (!CreateProcessA(host.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
            &startup, &process)) {
        // Said at once: a host that never started leaves only an empty log and exit code -1.
        const DWORD error = GetLastError();
        ADD_FAILURE() << "the mail client did not start: CreateProcess error " << error << " for " << host;
        return run;
    }
    if (WaitForSingleObject(process.hProcess, timeoutMs + 10000) == WAIT_TIMEOUT)
        TerminateProcess(process.hProcess, 99);
    DWORD exitCode = 0;
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    run.ExitCode = static_cast<int>(exitCode);
    std::istringstream log(ReadFile("host.log"));
    for (std::string line; std::getline(log, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        run.Log.push_back(line);
    }
    // The time-out only guards against a hang: a script that needed it waited for a state that
    // never came, and whatever followed ran on the time-out's quit.
    EXPECT_FALSE(run.Has(kScriptTimedOut)) << run.Text();
    return run;
}

void ExpectDoneWithGoodSigner(const THostRun& run, size_t notes, const std::string& signer)
{
    EXPECT_TRUE(run.Has("request 3075 0 status \"Decrypting done\""));
    EXPECT_TRUE(run.LinesStartingWith("answered dialog \"ZA-VEK - Error\"").empty());
    const auto lines = run.LinesStartingWith("request 3075 3 status ");
    EXPECT_EQ(lines.size(), notes);
    for (const std::string& line : lines) {
        EXPECT_NE(line.find("status \"Good ("), std::string::npos) << line;
        EXPECT_NE(line.find(signer), std::string::npos) << line;
    }
}

TTestKey TestKey(const std::string& name)
{
    std::ifstream file(ZAVEK_KEY_FIXTURES "/keyids.txt");
    std::string who;
    TTestKey key;
    while (file >> who >> key.Id >> key.SubKeyId)
        if (who == name)
            return key;
    ADD_FAILURE() << "no key id for " << name;
    return {};
}
