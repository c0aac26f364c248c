// Recipient groups of the stand-in SDK, read from its groups file: UTF-8 text with the first line
// "PGPSTANDIN-GROUPS 1", then "G<TAB>name<TAB>description" per group, followed by its members,
// "K<TAB>0x<16 hex digits><TAB>algorithm" for a key or "S<TAB>group name" for a sub-group.
#include "standins/pgpsdk/Guard.h"
#include "standins/pgpsdk/Objects.h"
#include "standins/pgpsdk/StandInExports.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <set>
#include <sstream>

PGP_CORE_ENTRIES(STANDIN_DECLARE, STANDIN_DECLARE_NOTHING)

namespace standin {
namespace {

constexpr char kGroupsHeader[] = "PGPSTANDIN-GROUPS 1";
constexpr int kMaxGroupDepth = 16; // sub-groups nest at most this deep; cycles stop earlier

struct GroupMember {
    bool isKey = true;
    PGPKeyID keyID {};
    std::string subGroup;
};

struct Group {
    std::string name, description;
    std::vector<GroupMember> members;
};

struct GroupSet : SdkObject {
    std::vector<Group> groups; // group id = index + 1
};

struct GroupItemIter : SdkObject {
    std::vector<PGPGroupItem> items;
    size_t next = 0;
};

std::vector<std::string> SplitTabs(const std::string& line)
{
    std::vector<std::string> fields;
    std::stringstream in(line);
    for (std::string field; std::getline(in, field, '\t');)
        fields.push_back(field);
    return fields;
}

PGPError ParseGroups(std::istream& in, std::vector<Group>& groups)
{
    std::string line;
    std::getline(in, line);
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    if (line != kGroupsHeader)
        return kPGPError_UnsupportedFormat;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty())
            continue;
        auto fields = SplitTabs(line);
        if (fields[0] == "G" && fields.size() >= 2) {
            groups.push_back({ fields[1], fields.size() > 2 ? fields[2] : "", {} });
        } else if (fields[0] == "K" && fields.size() >= 2 && !groups.empty()) {
            GroupMember member;
            int algorithm = fields.size() > 2 ? std::atoi(fields[2].c_str()) : 0;
            if (PGPNewKeyIDFromString(fields[1].c_str(), algorithm, &member.keyID) != kPGPError_NoErr)
                return kPGPError_KeyFileCorrupt;
            groups.back().members.push_back(member);
        } else if (fields[0] == "S" && fields.size() >= 2 && !groups.empty()) {
            GroupMember member;
            member.isKey = false;
            member.subGroup = fields[1];
            groups.back().members.push_back(member);
        } else {
            return kPGPError_KeyFileCorrupt;
        }
    }
    return kPGPError_NoErr;
}

const Group* GroupByID(const GroupSet& set, PGPGroupID id)
{
    return id >= 1 && id <= set.groups.size() ? &set.groups[id - 1] : nullptr;
}

const Group* GroupByName(const GroupSet& set, const std::string& name)
{
    auto it = std::find_if(set.groups.begin(), set.groups.end(), [&](const Group& g) { return g.name == name; });
    return it == set.groups.end() ? nullptr : &*it;
}

// The items of a group in order; sub-groups are entered when `descend`, each group once per walk.
void CollectItems(const GroupSet& set, const Group& group, bool keys, bool groups, bool descend, int depth,
                  std::set<const Group*>& visiting, std::vector<PGPGroupItem>& items)
{
    if (depth > kMaxGroupDepth || !visiting.insert(&group).second)
        return;
    for (const auto& member : group.members) {
        if (member.isKey) {
            if (keys)
                items.push_back({ kPGPGroupItem_Key, member.keyID.algorithm, member.keyID });
            continue;
        }
        if (groups)
            items.push_back({ kPGPGroupItem_Group, 0, {} });
        const Group* sub = GroupByName(set, member.subGroup);
        if (descend && sub)
            CollectItems(set, *sub, keys, groups, descend, depth + 1, visiting, items);
    }
    visiting.erase(&group);
}

void CopyText(char (&into)[256], const std::string& text)
{
    size_t length = std::min(text.size(), sizeof into - 1);
    std::memcpy(into, text.data(), length);
    into[length] = 0;
}

} // namespace
} // namespace standin

using namespace standin;

extern "C" {

PGPError PGP_CDECL PGPNewGroupSetFromFile(PGPContextRef context, PGPFileSpecRef spec, PGPGroupSetRef* out)
{
    return Guarded([&]() -> PGPError {
        if (!out)
            return kPGPError_BadParams;
        *out = 0;
        auto file = Handles().Get<FileSpec>(spec, ObjectKind::FileSpec);
        if (!file || !Handles().Contains(context, ObjectKind::Context))
            return kPGPError_BadParams;
        auto set = std::make_shared<GroupSet>();
        std::ifstream in(file->path, std::ios::binary);
        if (in) { // a groups file not made yet holds no groups
            PGPError status = ParseGroups(in, set->groups);
            if (status != kPGPError_NoErr)
                return status;
        }
        *out = Handles().Add(ObjectKind::GroupSet, std::move(set));
        return kPGPError_NoErr;
    });
}

PGPError PGP_CDECL PGPCountGroupsInSet(PGPGroupSetRef groupSet, uint32_t* count)
{
    return Guarded([&]() -> PGPError {
        auto set = Handles().Get<GroupSet>(groupSet, ObjectKind::GroupSet);
        if (!set || !count)
            return kPGPError_BadParams;
        *count = static_cast<uint32_t>(set->groups.size());
        return kPGPError_NoErr;
    });
}

PGPError PGP_CDECL PGPGetIndGroupID(PGPGroupSetRef groupSet, uint32_t index, PGPGroupID* id)
{
    return Guarded([&]() -> PGPError {
        auto set = Handles().Get<GroupSet>(groupSet, ObjectKind::GroupSet);
        if (!set || !id)
            return kPGPError_BadParams;
        if (index >= set->groups.size())
            return kPGPError_EndOfIteration;
        *id = index + 1;
        return kPGPError_NoErr;
    });
}

PGPError PGP_CDECL PGPGetGroupInfo(PGPGroupSetRef groupSet, PGPGroupID id, PGPGroupInfo* info)
{
    return Guarded([&]() -> PGPError {
        auto set = Handles().Get<GroupSet>(groupSet, ObjectKind::GroupSet);
        if (!set || !info)
            return kPGPError_BadParams;
        const Group* group = GroupByID(*set, id);
        if (!group)
            return kPGPError_BadParams;
        info->id = id;
        CopyText(info->name, group->name);
        CopyText(info->description, group->description);
        return kPGPError_NoErr;
    });
}

PGPError PGP_CDECL PGPCountGroupItems(PGPGroupSetRef groupSet, PGPGroupID id, PGPBoolean recursive, uint32_t* keys,
                                      uint32_t* total)
{
    return Guarded([&]() -> PGPError {
        auto set = Handles().Get<GroupSet>(groupSet, ObjectKind::GroupSet);
        if (!set || !keys || !total)
            return kPGPError_BadParams;
        const Group* group = GroupByID(*set, id);
        if (!group)
            return kPGPError_BadParams;
        std::vector<PGPGroupItem> items;
        std::set<const Group*> visiting;
        CollectItems(*set, *group, true, true, recursive != 0, 0, visiting, items);
        *total = static_cast<uint32_t>(items.size());
        *keys = static_cast<uint32_t>(
            std::count_if(items.begin(), items.end(), [](const PGPGroupItem& i) { return i.type == kPGPGroupItem_Key; }));
        return kPGPError_NoErr;
    });
}

PGPError PGP_CDECL PGPNewGroupItemIter(PGPGroupSetRef groupSet, PGPGroupID id, uint32_t flags,
                                       PGPGroupItemIterRef* out)
{
    return Guarded([&]() -> PGPError {
        if (!out)
            return kPGPError_BadParams;
        *out = 0;
        auto set = Handles().Get<GroupSet>(groupSet, ObjectKind::GroupSet);
        if (!set)
            return kPGPError_BadParams;
        const Group* group = GroupByID(*set, id);
        if (!group)
            return kPGPError_BadParams;
        auto iter = std::make_shared<GroupItemIter>();
        std::set<const Group*> visiting;
        CollectItems(*set, *group, (flags & 2) != 0, (flags & 1) != 0, (flags & 4) != 0, 0, visiting, iter->items);
        *out = Handles().Add(ObjectKind::GroupItemIter, std::move(iter));
        return kPGPError_NoErr;
    });
}

PGPError PGP_CDECL PGPGroupItemIterNext(PGPGroupItemIterRef iterRef, PGPGroupItem* item)
{
    return Guarded([&]() -> PGPError {
        auto iter = Handles().Get<GroupItemIter>(iterRef, ObjectKind::GroupItemIter);
        if (!iter || !item)
            return kPGPError_BadParams;
        if (iter->next >= iter->items.size())
            return kPGPError_EndOfIteration;
        *item = iter->items[iter->next++];
        return kPGPError_NoErr;
    });
}

PGPError PGP_CDECL PGPFreeGroupItemIter(PGPGroupItemIterRef iter)
{
    return Guarded([&]() -> PGPError {
        return Handles().Take(iter, ObjectKind::GroupItemIter) ? kPGPError_NoErr : kPGPError_BadParams;
    });
}

PGPError PGP_CDECL PGPFreeGroupSet(PGPGroupSetRef groupSet)
{
    return Guarded([&]() -> PGPError {
        return Handles().Take(groupSet, ObjectKind::GroupSet) ? kPGPError_NoErr : kPGPError_BadParams;
    });
}

} // extern "C"
