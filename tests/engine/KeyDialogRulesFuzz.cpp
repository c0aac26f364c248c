// Fuzz target for the key dialog's rules: the first line is the typed recipient, each further line a
// key's user id, or a group line when it holds a TAB; the tree is built in both modes, searched in
// both selection modes, and every item is chosen once.
#include "engine/KeyDialogRules.h"

#include <cstdio>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string input(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> lines;
    for (std::size_t start = 0; start <= input.size();) {
        const std::size_t end = input.find('\n', start);
        lines.push_back(input.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    const std::string wanted = lines.front();
    TKeyPropsList list(kKeyPropKeyID);
    for (std::size_t i = 1; i < lines.size(); ++i) {
        if (lines[i].find('\t') != std::string::npos) {
            list.Groups().Add(lines[i]);
            continue;
        }
        char id[19];
        std::snprintf(id, sizeof id, "0x%016zX", i);
        const int line = list.Add(id);
        TKeyPropsRec& record = list.Record(line);
        record.UserID = lines[i];
        record.Algorithm = static_cast<int32_t>(lines[i].size() % 20);
        record.Validity = static_cast<int32_t>(lines[i].size() % 5) - 1;
        record.UserIDs.emplace();
        const int u = record.UserIDs->Add(lines[i]);
        record.UserIDs->SetValidity(u, static_cast<uint8_t>(i % 4));
        record.UserIDs->SetKind(u, static_cast<uint8_t>(i % 4));
        record.UserIDs->SetCheckResult(u, static_cast<uint8_t>(i % 3));
    }
    std::vector<std::string> userIDs(lines.begin() + 1, lines.end());
    FuzzyFind(userIDs, wanted);
    for (const bool smime : { false, true }) {
        const std::vector<TKeyTreeItem> items = BuildKeyTree(list, smime, "group");
        for (const bool single : { false, true }) {
            const int found = FindPreselection(items, list, wanted, single);
            if (found >= static_cast<int>(items.size()))
                __builtin_trap();
        }
        for (std::size_t i = 0; i < items.size(); ++i) {
            ChosenKeyIDs(items, list, { static_cast<int>(i) });
            if (items[i].kind == TKeyItemKind::Group)
                GroupDetailsText(items, list, static_cast<int>(i));
        }
    }
    return 0;
}
