// Parsing and handing out the unattended dialog answers (format in DialogAnswers.h).
#include "standins/pgpsdk/DialogAnswers.h"

#include <optional>

namespace standin {
namespace {

constexpr std::array<std::string_view, static_cast<std::size_t>(DialogKind::Count)> kKindNames {
    "passphrase", "conventional-encryption", "conventional-decryption", "signing", "decryption", "select-keys",
    "secure-viewer"
};

std::optional<std::size_t> KindIndex(std::string_view name)
{
    for (std::size_t i = 0; i < kKindNames.size(); ++i)
        if (kKindNames[i] == name)
            return i;
    return std::nullopt;
}

std::string_view TrimEnd(std::string_view text)
{
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n'))
        text.remove_suffix(1);
    return text;
}

} // namespace

DialogAnswers DialogAnswers::Parse(std::string_view text)
{
    DialogAnswers book;
    while (!text.empty()) {
        std::size_t end = text.find('\n');
        std::string_view line = TrimEnd(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view {} : text.substr(end + 1);
        std::size_t colon = line.find(": ");
        if (line.empty() || line.front() == '#' || colon == std::string_view::npos)
            continue;
        auto kind = KindIndex(line.substr(0, colon));
        std::string_view answer = line.substr(colon + 2);
        if (!kind)
            continue;
        DialogAnswer parsed;
        const bool selection = *kind == static_cast<std::size_t>(DialogKind::SelectKeys);
        if (selection && (answer == "all" || answer == "first")) {
            parsed.cancel = false;
            parsed.allKeys = answer == "all";
        } else if (selection && answer.substr(0, 6) == "named " && answer.size() > 6) {
            parsed.cancel = false;
            parsed.named = std::string(answer.substr(6));
        } else if (!selection && answer.substr(0, 5) == "pass ") {
            parsed.cancel = false;
            parsed.passphrase = SecretBytes(answer.substr(5));
        } else if (answer != "cancel" && answer != "close") {
            continue;
        }
        book.queues_[*kind].answers.push_back(std::move(parsed));
    }
    return book;
}

DialogAnswer DialogAnswers::Next(DialogKind kind)
{
    Queue& queue = queues_[static_cast<std::size_t>(kind)];
    if (queue.answers.empty())
        return {};
    const DialogAnswer& answer = queue.answers[queue.next];
    if (queue.next + 1 < queue.answers.size())
        ++queue.next;
    return answer;
}

} // namespace standin
