// Reading the answers file named by PGPSTANDIN_ANSWERS (format in DialogAnswers.h).
#include "standins/pgpsdk/AnswersFile.h"

#include <windows.h>

#include <mutex>
#include <vector>

namespace standin {
namespace {

std::optional<DialogAnswers> LoadAnswers()
{
    char path[MAX_PATH];
    DWORD length = GetEnvironmentVariableA("PGPSTANDIN_ANSWERS", path, sizeof path);
    if (length == 0 || length >= sizeof path)
        return std::nullopt;
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return DialogAnswers {}; // unattended but unanswerable: every dialog cancels, none waits
    constexpr DWORD kMaxAnswersSize = 1 << 20; // a few lines; anything else is not an answers file
    DWORD size = GetFileSize(file, nullptr);
    std::vector<char> text(size == INVALID_FILE_SIZE || size > kMaxAnswersSize ? 0 : size);
    DWORD read = 0;
    BOOL ok = ReadFile(file, text.data(), static_cast<DWORD>(text.size()), &read, nullptr);
    CloseHandle(file);
    auto answers = DialogAnswers::Parse(ok ? std::string_view(text.data(), read) : std::string_view {});
    SecureZeroMemory(text.data(), text.size());
    return answers;
}

} // namespace

std::optional<DialogAnswer> NextAnswer(DialogKind kind)
{
    static std::mutex guard;
    static std::optional<DialogAnswers> answers = LoadAnswers();
    std::lock_guard<std::mutex> lock(guard);
    if (!answers)
        return std::nullopt;
    return answers->Next(kind);
}

} // namespace standin
