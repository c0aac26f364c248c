// The key selection dialog's window-free rules: tree items, preselection, fuzzy search, texts.
#include "engine/KeyDialogRules.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <set>

namespace {

constexpr int kFullValidity = 2;

std::string Trimmed(const std::string& text)
{
    const size_t first = text.find_first_not_of(" \t");
    return first == std::string::npos ? std::string() : text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); });
    return text;
}

bool SameTextIgnoringCase(const std::string& a, const std::string& b) { return Lower(a) == Lower(b); }

int KeyImage(const TKeyPropsRec& record)
{
    if (record.Algorithm == 1)
        return record.LegacyKey ? kKeyImageRSALegacy : kKeyImageRSA;
    return record.Algorithm >= 16 && record.Algorithm <= 18 ? kKeyImageDH : kKeyImageNone;
}

int UserIDImage(const TKeyPropsRec& record)
{
    if (record.Algorithm == 1)
        return record.LegacyKey ? kKeyImageUserIDRSALegacy : kKeyImageRSA;
    return record.Algorithm >= 16 && record.Algorithm <= 18 ? kKeyImageUserIDDH : kKeyImageNone;
}

// State image of a certificate entry: its check result 0, 1, 2 shows as 1, 3, 2; a self-signed
// one of a fully valid user id counts as valid.
int CertificateState(uint8_t checkResult, uint8_t validity)
{
    if (checkResult == 2 && validity >= kFullValidity)
        checkResult = 1;
    switch (checkResult) {
    case 0:
        return 1;
    case 1:
        return 3;
    default:
        return 2;
    }
}

int ValidityState(int32_t validity) { return std::clamp(validity, 0, 3); }

void AddKey(std::vector<TKeyTreeItem>& items, TKeyPropsRec& record, int index)
{
    const bool hasUserIDs = record.UserIDs && record.UserIDs->Count() > 0;
    bool mixed = false;
    if (hasUserIDs)
        for (int u = 1; u < record.UserIDs->Count(); ++u)
            mixed = mixed || record.UserIDs->Validity(u) != record.UserIDs->Validity(0);
    if (mixed)
        record.Validity = 2;
    TKeyTreeItem key;
    key.kind = TKeyItemKind::Key;
    key.text = record.UserID + " (" + record.KeySize + ")";
    key.data = index;
    key.image = KeyImage(record);
    key.state = ValidityState(record.Validity);
    key.greyed = record.Revoked || record.Disabled || record.Expired;
    key.warning = record.ADKState != 0;
    const int keyItem = static_cast<int>(items.size());
    items.push_back(key);
    if (!hasUserIDs)
        return;
    for (int u = 0; u < record.UserIDs->Count(); ++u) {
        TKeyTreeItem userID;
        userID.kind = TKeyItemKind::UserID;
        userID.text = record.UserIDs->Get(u);
        userID.data = index;
        userID.parent = keyItem;
        userID.image = UserIDImage(record);
        userID.state = ValidityState(record.UserIDs->Validity(u));
        items.push_back(userID);
    }
}

void AddCertificates(std::vector<TKeyTreeItem>& roots, const TKeyPropsRec& record, int index)
{
    if (!record.UserIDs)
        return;
    for (int u = 0; u < record.UserIDs->Count(); ++u) {
        if (record.UserIDs->Kind(u) == kCertNone)
            continue; // S/MIME offers certificates only
        TKeyTreeItem entry;
        entry.kind = TKeyItemKind::UserID;
        entry.text = record.UserIDs->GetCertSubject(u);
        entry.data = index;
        entry.image = kKeyImageCertificate;
        entry.state = CertificateState(record.UserIDs->CheckResult(u), record.UserIDs->Validity(u));
        entry.greyed = record.Revoked || record.Disabled || record.Expired;
        roots.push_back(entry);
    }
}

void AddGroup(std::vector<TKeyTreeItem>& items, const TKeyPropsList& list, const std::string& line, int data,
              const std::string& suffix)
{
    const TKeyGroup group = ParseGroupLine(line);
    std::vector<TKeyTreeItem> members;
    int fullyValid = 0;
    for (const std::string& keyID : group.keyIDs) {
        const int index = list.IndexOf(keyID);
        if (index < 0)
            continue;
        const TKeyPropsRec& record = list.Record(index);
        TKeyTreeItem member;
        member.kind = TKeyItemKind::Key;
        member.text = record.UserID + " (" + record.KeySize + ")";
        member.data = index;
        member.image = KeyImage(record);
        member.state = ValidityState(record.Validity);
        member.greyed = true;
        member.warning = record.ADKState != 0;
        fullyValid += record.Validity >= kFullValidity ? 1 : 0;
        members.push_back(member);
    }
    std::stable_sort(members.begin(), members.end(),
                     [](const TKeyTreeItem& a, const TKeyTreeItem& b) { return Lower(a.text) < Lower(b.text); });
    TKeyTreeItem item;
    item.kind = TKeyItemKind::Group;
    item.text = group.name + " (" + suffix + ")";
    item.data = data;
    item.state = !members.empty() && fullyValid == static_cast<int>(members.size()) ? 3 : fullyValid == 0 ? 1 : 2;
    const int groupItem = static_cast<int>(items.size());
    items.push_back(item);
    for (TKeyTreeItem& member : members) {
        member.parent = groupItem;
        items.push_back(member);
    }
}

// The address part of a user id or typed text: between the first '<' and the last '>', else the
// word around the at sign; empty without either.
std::string AddressPart(const std::string& text)
{
    const std::size_t open = text.find('<');
    const std::size_t close = text.rfind('>');
    if (open != std::string::npos && close != std::string::npos && close > open)
        return text.substr(open + 1, close - open - 1);
    const std::size_t at = text.find('@');
    if (at == std::string::npos)
        return {};
    auto isWordChar = [](char c) {
        return !std::isspace(static_cast<unsigned char>(c)) && c != ',' && c != ';' && c != '"' && c != '('
            && c != ')' && c != '<' && c != '>';
    };
    std::size_t begin = at, end = at;
    while (begin > 0 && isWordChar(text[begin - 1]))
        --begin;
    while (end < text.size() && isWordChar(text[end]))
        ++end;
    return text.substr(begin, end - begin);
}

std::string Squeeze(const std::string& text)
{
    std::string out;
    for (char c : text) {
        if (c == ' ' && (out.empty() || out.back() == ' '))
            continue;
        out += c;
    }
    while (!out.empty() && out.back() == ' ')
        out.pop_back();
    return out;
}

std::string LastWord(const std::string& text)
{
    const std::size_t blank = text.rfind(' ');
    return blank == std::string::npos ? text : text.substr(blank + 1);
}

int FindExact(const std::vector<std::string>& candidates, const std::string& wanted)
{
    if (wanted.empty())
        return -1;
    for (std::size_t i = 0; i < candidates.size(); ++i)
        if (candidates[i] == wanted)
            return static_cast<int>(i);
    return -1;
}

int FindByPrefix(const std::vector<std::string>& userIDs, const std::string& search)
{
    for (std::size_t i = 0; i < userIDs.size(); ++i)
        if (userIDs[i].rfind(search, 0) == 0 || LastWord(userIDs[i]).rfind(search, 0) == 0)
            return static_cast<int>(i);
    return -1;
}

} // namespace

TKeyGroup ParseGroupLine(const std::string& line)
{
    TKeyGroup group;
    const std::size_t tab = line.find('\t');
    group.title = line.substr(0, tab);
    const std::size_t open = group.title.rfind('<');
    const std::size_t close = group.title.rfind('>');
    group.name = open != std::string::npos && close != std::string::npos && close > open
        ? group.title.substr(open + 1, close - open - 1)
        : group.title;
    if (tab == std::string::npos)
        return group;
    std::string ids = line.substr(tab + 1);
    std::size_t start = 0;
    while (start <= ids.size()) {
        const std::size_t comma = ids.find(',', start);
        std::string id = ids.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        if (!id.empty())
            group.keyIDs.push_back(id);
        if (comma == std::string::npos)
            break;
        start = comma + 1;
    }
    return group;
}

std::string LegacyKeyTypeName(const std::string& rsaName)
{
    const std::size_t at = rsaName.find("RSA");
    if (at == std::string::npos)
        return rsaName;
    return rsaName.substr(0, at + 3) + "-Legacy" + rsaName.substr(at + 3);
}

std::vector<TKeyTreeItem> BuildKeyTree(TKeyPropsList& list, bool smime, const std::string& groupSuffix)
{
    std::vector<TKeyTreeItem> items;
    if (smime) {
        for (int i = 0; i < list.Count(); ++i)
            AddCertificates(items, list.Record(i), i);
        std::stable_sort(items.begin(), items.end(),
                         [](const TKeyTreeItem& a, const TKeyTreeItem& b) { return Lower(a.text) < Lower(b.text); });
    } else {
        for (int i = 0; i < list.Count(); ++i)
            AddKey(items, list.Record(i), i);
    }
    TStringList& groups = list.Groups();
    const int groupCount = groups.Count();
    for (int line = groupCount - 1; line >= 0; --line)
        AddGroup(items, list, groups[line], line - groupCount, groupSuffix);
    return items;
}

std::string NormaliseForSearch(const std::string& text)
{
    std::string out = text;
    for (char& c : out)
        c = std::isalnum(static_cast<unsigned char>(c)) ? static_cast<char>(std::tolower(static_cast<unsigned char>(c)))
                                                        : ' ';
    return out;
}

int FuzzyFind(const std::vector<std::string>& userIDs, const std::string& wanted)
{
    std::vector<std::string> addresses, whole;
    for (const std::string& userID : userIDs) {
        addresses.push_back(Squeeze(NormaliseForSearch(AddressPart(userID))));
        whole.push_back(Squeeze(NormaliseForSearch(userID)));
    }
    const std::string address = AddressPart(wanted);
    int found = FindExact(addresses, Squeeze(NormaliseForSearch(address)));
    if (found < 0)
        found = FindExact(whole, Squeeze(NormaliseForSearch(wanted)));
    const std::string local = address.substr(0, address.find('@'));
    if (found < 0)
        found = FindExact(whole, Squeeze(NormaliseForSearch(local)));
    if (found >= 0)
        return found;
    // Then ever shorter beginnings: of the name typed in front of the address, else of its local part.
    std::string name = wanted;
    if (const std::size_t open = wanted.find('<'); open != std::string::npos)
        name = wanted.substr(0, open);
    else if (!address.empty())
        name = local;
    std::string search = Squeeze(NormaliseForSearch(name));
    while (search.size() >= 2) {
        if ((found = FindByPrefix(whole, search)) >= 0)
            return found;
        const std::size_t blank = search.find(' ');
        if (blank != std::string::npos) {
            if ((found = FindByPrefix(whole, search.substr(blank + 1))) >= 0)
                return found;
            search = search.substr(0, search.rfind(' '));
        } else {
            search.pop_back();
        }
    }
    return -1;
}

int FindPreselection(const std::vector<TKeyTreeItem>& items, const TKeyPropsList& list, const std::string& wanted,
                     bool single)
{
    if (wanted.empty())
        return -1;
    const bool wantedIsKeyID = IsKeyIDText(wanted);
    if (single && wantedIsKeyID)
        for (std::size_t i = 0; i < items.size(); ++i) {
            const TKeyTreeItem& item = items[i];
            if (item.kind == TKeyItemKind::Key && item.parent < 0
                && (SameTextIgnoringCase(list[item.data], wanted)
                    || SameTextIgnoringCase(list.Record(item.data).KeyID, wanted)))
                return static_cast<int>(i);
        }
    for (std::size_t i = 0; i < items.size(); ++i)
        if (items[i].kind == TKeyItemKind::UserID && SameTextIgnoringCase(items[i].text, wanted))
            return static_cast<int>(i);
    if (wanted.size() > 1)
        for (std::size_t i = 0; i < items.size(); ++i)
            if (items[i].kind == TKeyItemKind::Group && Lower(items[i].text).find(Lower(wanted)) != std::string::npos)
                return static_cast<int>(i);
    if (!single || wantedIsKeyID)
        return -1;
    std::vector<std::string> userIDs;
    std::vector<int> owners;
    for (std::size_t i = 0; i < items.size(); ++i)
        if (items[i].kind == TKeyItemKind::UserID) {
            userIDs.push_back(items[i].text);
            owners.push_back(static_cast<int>(i));
        }
    const int found = FuzzyFind(userIDs, wanted);
    return found < 0 ? -1 : owners[found];
}

std::vector<int> FindPreselections(const std::vector<TKeyTreeItem>& items, const TKeyPropsList& list,
                                   const std::string& wanted)
{
    std::vector<int> tops;
    for (const std::string& item : SplitCommaText(wanted)) {
        const std::string recipient = Trimmed(item);
        const int found = recipient.empty() ? -1 : FindPreselection(items, list, recipient, true);
        const int top = found < 0 ? -1 : TopLevelItem(items, found);
        if (top >= 0 && std::find(tops.begin(), tops.end(), top) == tops.end())
            tops.push_back(top);
    }
    return tops;
}

std::string KeyDetailsText(const TKeyPropsRec& record, const std::string& keyID, const TKeyDialogNames& names)
{
    auto name = [](const std::vector<std::string>& table, int32_t index) {
        return index >= 0 && index < static_cast<int32_t>(table.size()) ? table[index] : std::to_string(index);
    };
    std::string text;
    if (record.ADKState != 0)
        text += ">>>>>>>>>> A D K <<<<<<<<<<\r\n";
    text += record.UserID + "\r\n";
    text += name(names.Validity, record.Validity) + ", " + name(names.Trust, record.Trust) + "\r\n";
    text += keyID + "\r\n";
    const std::string algorithm = name(names.Algorithms, record.Algorithm);
    text += record.KeySize + " " + (record.Algorithm == 1 && record.LegacyKey ? LegacyKeyTypeName(algorithm) : algorithm)
        + "\r\n";
    text += record.CreatedText;
    if (!record.ExpiresText.empty())
        text += " - " + record.ExpiresText;
    return text;
}

std::string CertificateDetailsText(const std::vector<TX509CertPropsRec>& certificates, const TKeyDialogNames& names)
{
    std::string text;
    for (const TX509CertPropsRec& certificate : certificates) {
        const size_t state = certificate.Corrupt || certificate.Revoked || certificate.Expired ? 1
            : certificate.Verified                                                          ? 2
                                                                                            : 0;
        text += (text.empty() ? "" : "\r\n\r\n")
            + (state < names.CertificateStates.size() ? names.CertificateStates[state] : std::string()) + "\r\n"
            + certificate.SubjectName + "\r\n" + certificate.IssuerName + "\r\n" + certificate.CreatedText;
        if (!certificate.ExpiresText.empty())
            text += " - " + certificate.ExpiresText;
    }
    return text;
}

int EntryCertificate(const std::vector<TKeyTreeItem>& items, int entry,
                     const std::vector<TX509CertPropsRec>& certificates)
{
    const TKeyTreeItem& picked = items[entry];
    int sameBefore = 0;
    for (int i = 0; i < entry; ++i)
        if (items[i].parent < 0 && items[i].data == picked.data && items[i].text == picked.text)
            ++sameBefore;
    for (std::size_t c = 0; c < certificates.size(); ++c)
        if (certificates[c].SubjectName == picked.text && sameBefore-- == 0)
            return static_cast<int>(c);
    return -1;
}

std::string GroupDetailsText(const std::vector<TKeyTreeItem>& items, const TKeyPropsList& list, int group)
{
    std::string text = items[group].text;
    for (std::size_t i = group + 1; i < items.size(); ++i)
        if (items[i].parent == group)
            text += "\r\n" + list.Record(items[i].data).UserID;
    return text;
}

std::string MarkedCountText(int count, const std::string& suffix)
{
    char digits[16];
    std::snprintf(digits, sizeof digits, "%.4d", count);
    return std::string(digits) + " " + suffix;
}

int TopLevelItem(const std::vector<TKeyTreeItem>& items, int index)
{
    while (index >= 0 && items[index].parent >= 0)
        index = items[index].parent;
    return index;
}

std::string ChosenKeyIDs(const std::vector<TKeyTreeItem>& items, const TKeyPropsList& list,
                         const std::vector<int>& chosen)
{
    std::vector<std::string> ids;
    std::set<std::string> seen;
    auto add = [&](int keyIndex) {
        const std::string id = list[keyIndex];
        if (seen.insert(Lower(id)).second)
            ids.push_back(id);
    };
    for (int index : chosen) {
        const int top = TopLevelItem(items, index);
        if (top < 0)
            continue;
        if (items[top].kind != TKeyItemKind::Group) {
            add(items[top].data);
            continue;
        }
        for (std::size_t i = top + 1; i < items.size(); ++i)
            if (items[i].parent == top)
                add(items[i].data);
    }
    std::string text;
    for (const std::string& id : ids)
        text += (text.empty() ? "" : ",") + id;
    return text;
}
