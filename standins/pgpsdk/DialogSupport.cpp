// The core's half of the dialogs and key servers: the other libraries hand over their option handles
// and get back what they ask for; the core finds the key a signing or decryption dialog offers and
// the text a key-server search asks for.
#include "standins/pgpsdk/Guard.h"
#include "standins/pgpsdk/Objects.h"
#include "standins/pgpsdk/Options.h"
#include "standins/pgpsdk/StandInExports.h"

#include <algorithm>
#include <cstring>
#include <string>

PGP_CORE_ENTRIES(STANDIN_DECLARE, STANDIN_DECLARE_NOTHING)

using namespace standin;

namespace {

void CopyText(char* into, std::size_t capacity, const std::string& text)
{
    std::size_t length = std::min(text.size(), capacity - 1);
    std::memcpy(into, text.data(), length);
    into[length] = 0;
}

void Apply(const Option& option, StandInDialogOptions& out)
{
    switch (option.kind) {
    case OptionKind::UIWindowTitle:
        CopyText(out.title, sizeof out.title, option.text);
        break;
    case OptionKind::UIDialogPrompt:
        CopyText(out.prompt, sizeof out.prompt, option.text);
        break;
    case OptionKind::UIOutputPassphrase:
        out.outputPassphrase = static_cast<char**>(option.pointer);
        break;
    case OptionKind::UIParentWindowHandle:
        out.parentWindow = option.pointer;
        break;
    case OptionKind::UIDefaultKey:
        out.defaultKey = option.handle;
        break;
    case OptionKind::UIVerifyPassphrase:
        out.verifyPassphrase = option.value != 0;
        break;
    case OptionKind::NetURL:
        CopyText(out.url, sizeof out.url, option.text);
        break;
    case OptionKind::KeyServerSearchFilter:
        out.searchFilter = option.handle;
        break;
    default:
        break; // options of other jobs mean nothing to a dialog
    }
}

std::string SearchTextOf(const Filter& filter)
{
    switch (filter.op) {
    case Filter::Op::Data:
        if (filter.property == kPGPKeyProperty_KeyID || filter.property == kPGPSubKeyProperty_KeyID) {
            PGPKeyID keyID {};
            std::memcpy(&keyID, filter.data.data(), std::min(filter.data.size(), sizeof keyID));
            char text[32] = {};
            return PGPGetKeyIDString(&keyID, kPGPKeyIDString_Full, text) == kPGPError_NoErr ? text : "";
        }
        return filter.property == kPGPUserIDProperty_Name || filter.property == kPGPUserIDProperty_EmailAddress
            ? filter.data
            : "";
    case Filter::Op::Union:
    case Filter::Op::Intersect: {
        // A text filter joined with its other form, or narrowed by key flags: the text counts.
        const std::string first = SearchTextOf(*filter.first);
        return first.empty() ? SearchTextOf(*filter.second) : first;
    }
    default:
        return {};
    }
}

} // namespace

extern "C" {

PGPError PGP_CDECL StandInFilterSearchText(PGPFilterRef handle, char* text, PGPSize capacity)
{
    return Guarded([&]() -> PGPError {
        auto filter = Handles().Get<Filter>(handle, ObjectKind::Filter);
        if (!filter || !text || capacity == 0)
            return kPGPError_BadParams;
        CopyText(text, capacity, SearchTextOf(*filter));
        return kPGPError_NoErr;
    });
}

PGPError PGP_CDECL StandInTakeDialogOptions(const PGPOptionListRef* options, int32_t count, StandInDialogOptions* out)
{
    return Guarded([&]() -> PGPError {
        PGPError status = kPGPError_NoErr;
        std::vector<Option> taken;
        for (int32_t i = 0; i < count; ++i) {
            auto list = std::static_pointer_cast<OptionList>(Handles().Take(options[i], ObjectKind::OptionList));
            if (!list) {
                status = kPGPError_BadParams;
                continue;
            }
            for (auto& option : list->options)
                taken.push_back(std::move(option));
        }
        if (!out)
            return kPGPError_BadParams;
        *out = StandInDialogOptions {};
        for (const Option& option : taken)
            Apply(option, *out);
        return status;
    });
}

PGPError PGP_CDECL StandInFirstSecretKey(PGPHandle dbOrSet, PGPKeyDBObjRef* key)
{
    return Guarded([&]() -> PGPError {
        if (!key)
            return kPGPError_BadParams;
        *key = 0;
        std::shared_ptr<KeyDBState> db;
        std::vector<KeyRecord*> keys;
        if (auto whole = Handles().Get<KeyDB>(dbOrSet, ObjectKind::KeyDB)) {
            db = whole->state;
            for (const auto& record : db->keys)
                keys.push_back(record.get());
        } else if (auto set = Handles().Get<KeySet>(dbOrSet, ObjectKind::KeySet)) {
            db = set->db;
            keys = set->Keys();
        } else {
            return kPGPError_BadParams;
        }
        for (KeyRecord* record : keys)
            if (record->HasSecret()) {
                *key = ObjectHandle(db, KeyObjectKind::Key, record);
                return kPGPError_NoErr;
            }
        return kPGPError_NoSigningSecretKey;
    });
}

} // extern "C"
