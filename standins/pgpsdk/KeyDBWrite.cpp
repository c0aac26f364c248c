// The key database's write side: committing both key files atomically, deleting and copying keys,
// import and export of OpenPGP keys (armoured or binary), and passphrase changes and checks.
#include "standins/pgpsdk/Guard.h"
#include "standins/pgpsdk/FileCommit.h"
#include "standins/pgpsdk/Objects.h"
#include "standins/pgpsdk/Output.h"
#include "standins/pgpsdk/PassphraseCache.h"
#include "standins/pgpsdk/StandInExports.h"
#include "standins/pgpsdk/X509Certs.h"
#include "standins/pgpsdk/openpgp/Armor.h"

#include <algorithm>

PGP_CORE_ENTRIES(STANDIN_DECLARE, STANDIN_DECLARE_NOTHING)

namespace standin {
namespace {

std::vector<Option> TakeOptions(va_list args, PGPError& status)
{
    std::vector<Option> options;
    status = ConsumeOptionArguments(args, options);
    return options;
}

// The passphrases among the options, in the order given.
std::vector<const Option*> Passphrases(const std::vector<Option>& options)
{
    std::vector<const Option*> found;
    for (const auto& option : options)
        if (option.kind == OptionKind::Passphrase)
            found.push_back(&option);
    return found;
}

bool IsPKCS12(std::string_view data)
{
    // A DER SEQUENCE whose first element is INTEGER 3 (the PFX version).
    if (data.size() < 8 || static_cast<uint8_t>(data[0]) != 0x30)
        return false;
    size_t at = 2;
    auto lengthByte = static_cast<uint8_t>(data[1]);
    if (lengthByte & 0x80)
        at += lengthByte & 0x7F;
    return at + 3 <= data.size() && data[at] == 0x02 && data[at + 1] == 0x01 && data[at + 2] == 0x03;
}

// Ends the handles of a key's parts (after an edit they could point at moved records), and of the
// key itself when it leaves the database.
void ForgetKeyObjects(KeyDBState& state, const KeyRecord* key, bool includingKey)
{
    for (auto h = state.objectHandles.begin(); h != state.objectHandles.end();) {
        auto keyObject = Handles().Get<KeyObject>(h->second, ObjectKind::KeyDBObj);
        if (keyObject && keyObject->key == key && (includingKey || keyObject->kind != KeyObjectKind::Key)) {
            Handles().Take(h->second, ObjectKind::KeyDBObj);
            h = state.objectHandles.erase(h);
        } else {
            ++h;
        }
    }
}

// The ids of the key and its sub-keys, or of the one sub-key.
std::vector<std::string> PartKeyIDs(const KeyObject& object)
{
    if (object.kind == KeyObjectKind::SubKey)
        return { object.subKey->key.KeyID() };
    std::vector<std::string> ids { object.key->key.KeyID() };
    for (const auto& sub : object.key->subKeys)
        ids.push_back(sub.key.KeyID());
    return ids;
}

std::string SecretPacketOf(const KeyObject& object)
{
    return object.kind == KeyObjectKind::SubKey ? object.subKey->secretPacket : object.key->secretPacket;
}

} // namespace
} // namespace standin

using namespace standin;

extern "C" {

PGPError PGP_CDECL PGPFlushKeyDB(PGPKeyDBRef db)
{
    return Guarded([&]() -> PGPError {
        auto object = Handles().Get<KeyDB>(db, ObjectKind::KeyDB);
        if (!object)
            return kPGPError_BadParams;
        const KeyDBState& state = *object->state;
        if (state.publicPath.empty())
            return kPGPError_NoErr; // an in-memory database has nothing to write
        if (!state.writable)
            return kPGPError_BadParams;
        std::string publicFile, secretFile;
        for (const auto& key : state.keys) {
            publicFile += openpgp::WriteKeyRecord(*key, false, false, true);
            if (key->HasSecret())
                secretFile += openpgp::WriteKeyRecord(*key, true, true, true);
        }
        if (!WriteFileAtomically(state.publicPath, publicFile) || !WriteFileAtomically(state.secretPath, secretFile))
            return kPGPError_FileWriteFailed;
        return kPGPError_NoErr;
    });
}

PGPError PGP_CDECL PGPDeleteKeys(PGPKeySetRef set)
{
    return Guarded([&]() -> PGPError {
        auto object = Handles().Get<KeySet>(set, ObjectKind::KeySet);
        if (!object)
            return kPGPError_BadParams;
        KeyDBState& state = *object->db;
        std::vector<KeyRecord*> doomed = object->Keys();
        for (auto it = state.keys.begin(); it != state.keys.end();) {
            if (std::find(doomed.begin(), doomed.end(), it->get()) == doomed.end()) {
                ++it;
                continue;
            }
            ForgetKeyObjects(state, it->get(), true);
            state.removed.push_back(*it); // the record lives on with the database
            it = state.keys.erase(it);
        }
        return kPGPError_NoErr;
    });
}

PGPError PGP_CDECL PGPRemoveUserID(PGPKeyDBObjRef userID)
{
    return Guarded([&]() -> PGPError {
        auto object = Handles().Get<KeyObject>(userID, ObjectKind::KeyDBObj);
        if (!object)
            return kPGPError_BadParams;
        if (object->kind != KeyObjectKind::UserID)
            return kPGPError_WrongObjectKind;
        KeyRecord* key = object->key;
        auto& userIDs = key->userIDs;
        auto it = std::find_if(userIDs.begin(), userIDs.end(), [&](const UserIDRecord& u) { return &u == object->userID; });
        if (it == userIDs.end())
            return kPGPError_BadParams;
        ForgetKeyObjects(*object->db, key, false);
        userIDs.erase(it);
        return kPGPError_NoErr;
    });
}

PGPError PGP_CDECL PGPRemoveSig(PGPKeyDBObjRef sig)
{
    return Guarded([&]() -> PGPError {
        auto object = Handles().Get<KeyObject>(sig, ObjectKind::KeyDBObj);
        if (!object)
            return kPGPError_BadParams;
        if (object->kind != KeyObjectKind::Signature)
            return kPGPError_WrongObjectKind;
        auto& signatures = object->userID->signatures;
        auto it = std::find_if(signatures.begin(), signatures.end(),
                               [&](const SigRecord& r) { return &r == object->signature; });
        if (it == signatures.end())
            return kPGPError_BadParams;
        ForgetKeyObjects(*object->db, object->key, false);
        signatures.erase(it);
        return kPGPError_NoErr;
    });
}

PGPError PGP_CDECL PGPCopyKeys(PGPKeySetRef set, PGPKeyDBRef dest, PGPKeySetRef* copied)
{
    return Guarded([&]() -> PGPError {
        if (!copied)
            return kPGPError_BadParams;
        *copied = 0;
        auto source = Handles().Get<KeySet>(set, ObjectKind::KeySet);
        auto target = Handles().Get<KeyDB>(dest, ObjectKind::KeyDB);
        if (!source || !target)
            return kPGPError_BadParams;
        PGPKeySetRef result = 0;
        PGPError status = PGPNewEmptyKeySet(dest, &result);
        if (status == kPGPError_NoErr)
            status = PGPAddKeys(set, result);
        if (status != kPGPError_NoErr) {
            if (result)
                PGPFreeKeySet(result);
            return status;
        }
        *copied = result;
        return kPGPError_NoErr;
    });
}

PGPError PGP_CDECL PGPImport(PGPContextRef context, PGPKeyDBRef* db, ...)
{
    va_list args;
    va_start(args, db);
    PGPError status;
    std::vector<Option> options = TakeOptions(args, status);
    va_end(args);
    return Guarded([&]() -> PGPError {
        if (!db)
            return kPGPError_BadParams;
        *db = 0;
        const Option* input = FindOption(options, OptionKind::InputBuffer);
        if (status != kPGPError_NoErr || !input || !Handles().Contains(context, ObjectKind::Context))
            return status != kPGPError_NoErr ? status : kPGPError_BadParams;
        std::string_view data(static_cast<const char*>(input->pointer), input->size);
        std::vector<std::shared_ptr<KeyRecord>> keys;
        if (const Option* format = FindOption(options, OptionKind::InputFormat)) {
            if (format->value == kPGPFormat_PKCS12) {
                const std::vector<const Option*> passphrases = Passphrases(options);
                if (!IsPKCS12(data) || (!passphrases.empty() && !X509Pkcs12Reader()))
                    return kPGPError_UnsupportedFormat;
                if (passphrases.empty())
                    return kPGPError_BadPassphrase;
                Pkcs12Content content;
                status = X509Pkcs12Reader()(data, passphrases[0]->secret.View(), content);
                if (status == kPGPError_NoErr)
                    status = Pkcs12KeyRecords(content, passphrases[0]->secret.View(), keys);
                for (std::string& secret : content.secrets)
                    std::fill(secret.begin(), secret.end(), '\0');
                if (status != kPGPError_NoErr)
                    return status;
            }
            const bool certificate = format->value == kPGPFormat_X509Cert || format->value == kPGPFormat_PEMCert;
            if (format->value != kPGPFormat_PKCS12 && (!certificate || !X509CertificateReader()))
                return kPGPError_UnsupportedFormat;
            std::vector<X509Facts> certificates;
            if (certificate)
                status = X509CertificateReader()(data, certificates);
            // Certificate data that holds no certificate may be a revocation list of a known CA.
            if (status == kPGPError_X509BadFormat && format->value == kPGPFormat_X509Cert
                && X509RevocationListParser().import)
                status = X509RevocationListParser().import(data, keys);
            if (status != kPGPError_NoErr)
                return status;
            for (const X509Facts& facts : certificates) {
                auto key = X509KeyRecord(facts);
                if (!key)
                    return kPGPError_X509BadFormat;
                keys.push_back(std::move(key));
            }
        } else if (openpgp::ReadKeyRecords(data, keys) != kPGPError_NoErr) {
            return kPGPError_CorruptData;
        }
        PGPKeyDBRef result = 0;
        status = PGPNewKeyDB(context, &result);
        if (status != kPGPError_NoErr)
            return status;
        auto object = Handles().Get<KeyDB>(result, ObjectKind::KeyDB);
        for (auto& key : keys) {
            key->ownerTrust = 0; // imported keys never bring our trust state with them
            key->axiomatic = key->disabled = false;
        }
        openpgp::MergeKeyRecords(object->state->keys, keys);
        *db = result;
        return kPGPError_NoErr;
    });
}

PGPError PGP_CDECL PGPExport(PGPContextRef context, ...)
{
    va_list args;
    va_start(args, context);
    PGPError status;
    std::vector<Option> options = TakeOptions(args, status);
    va_end(args);
    return Guarded([&]() -> PGPError {
        if (status != kPGPError_NoErr)
            return status;
        if (!Handles().Contains(context, ObjectKind::Context))
            return kPGPError_BadParams;
        const Option* format = FindOption(options, OptionKind::ExportFormat);
        if (format && format->value == kPGPFormat_X509Cert) {
            const Option* objectOption = FindOption(options, OptionKind::ExportKeyDBObj);
            auto object = objectOption ? Handles().Get<KeyObject>(objectOption->handle, ObjectKind::KeyDBObj) : nullptr;
            if (!object || object->kind != KeyObjectKind::Signature || !IsX509(*object->signature))
                return kPGPError_X509CertMissing;
            return DeliverOutput(options, X509ExportText(*object->signature, OptionFlag(options, OptionKind::ArmorOutput)));
        }
        std::vector<KeyRecord*> keys;
        if (const Option* setOption = FindOption(options, OptionKind::ExportKeySet)) {
            auto set = Handles().Get<KeySet>(setOption->handle, ObjectKind::KeySet);
            if (!set)
                return kPGPError_BadParams;
            keys = set->Keys();
        } else if (const Option* objectOption = FindOption(options, OptionKind::ExportKeyDBObj)) {
            auto object = Handles().Get<KeyObject>(objectOption->handle, ObjectKind::KeyDBObj);
            if (!object)
                return kPGPError_BadParams;
            keys.push_back(object->key);
        } else {
            return kPGPError_BadOption;
        }
        bool secret = OptionFlag(options, OptionKind::ExportPrivateKeys);
        bool secretSubKeys = secret && OptionFlag(options, OptionKind::ExportPrivateSubkeys, true);
        std::string packets;
        for (KeyRecord* key : keys)
            packets += openpgp::WriteKeyRecord(*key, secret, secretSubKeys, false);
        if (!OptionFlag(options, OptionKind::ArmorOutput))
            return DeliverOutput(options, packets);
        std::vector<std::pair<std::string, std::string>> headers;
        if (const Option* version = FindOption(options, OptionKind::VersionString))
            headers.emplace_back("Version", version->text);
        if (const Option* comment = FindOption(options, OptionKind::CommentString))
            headers.emplace_back("Comment", comment->text);
        std::string armored = openpgp::Armor(secret ? "PRIVATE KEY BLOCK" : "PUBLIC KEY BLOCK", packets, headers);
        status = DeliverOutput(options, armored);
        std::fill(armored.begin(), armored.end(), '\0');
        std::fill(packets.begin(), packets.end(), '\0');
        return status;
    });
}

PGPError PGP_CDECL PGPChangePassphrase(PGPKeyDBObjRef key, ...)
{
    va_list args;
    va_start(args, key);
    PGPError status;
    std::vector<Option> options = TakeOptions(args, status);
    va_end(args);
    return Guarded([&]() -> PGPError {
        auto object = Handles().Get<KeyObject>(key, ObjectKind::KeyDBObj);
        if (status != kPGPError_NoErr || !object)
            return status != kPGPError_NoErr ? status : kPGPError_BadParams;
        if (object->kind != KeyObjectKind::Key && object->kind != KeyObjectKind::SubKey)
            return kPGPError_WrongObjectKind;
        auto passphrases = Passphrases(options);
        if (passphrases.size() != 2)
            return kPGPError_BadOption;
        std::string packet = SecretPacketOf(*object);
        if (packet.empty())
            return kPGPError_KeyUnusable;
        openpgp::SecretKey secretKey;
        if (openpgp::ParseSecretKey(packet, secretKey) != kPGPError_NoErr)
            return kPGPError_KeyFileCorrupt;
        std::vector<std::string> secrets;
        status = openpgp::UnlockSecretKey(secretKey, passphrases[0]->secret.View(), secrets);
        if (status != kPGPError_NoErr)
            return status;
        std::string body;
        status = openpgp::ProtectSecretKey(secretKey.publicKey, secrets, passphrases[1]->secret.View(), body);
        for (auto& secret : secrets)
            std::fill(secret.begin(), secret.end(), '\0');
        if (status != kPGPError_NoErr)
            return status;
        (object->kind == KeyObjectKind::SubKey ? object->subKey->secretPacket : object->key->secretPacket) = body;
        return kPGPError_NoErr;
    });
}

// Not a status: 1 when the passphrase (or, without one, a cached one) unlocks the key.
PGPBoolean PGP_CDECL PGPPassphraseIsValid(PGPKeyDBObjRef key, ...)
{
    va_list args;
    va_start(args, key);
    PGPError status;
    std::vector<Option> options = TakeOptions(args, status);
    va_end(args);
    try {
            auto object = Handles().Get<KeyObject>(key, ObjectKind::KeyDBObj);
            if (status != kPGPError_NoErr || !object
                || (object->kind != KeyObjectKind::Key && object->kind != KeyObjectKind::SubKey))
                return 0;
            // A key's passphrase is the one of its signing part: a certify-only primary key may be
            // kept elsewhere, its secret here only a stub.
            const TSigningPart signing
                = object->kind == KeyObjectKind::Key ? SigningKeyOf(*object->key, true) : TSigningPart {};
            openpgp::SecretKey secretKey;
            if (openpgp::ParseSecretKey(signing.secretPacket ? *signing.secretPacket : SecretPacketOf(*object), secretKey)
                != kPGPError_NoErr)
                return 0;
            std::string keyID = secretKey.publicKey.KeyID();
            auto passphrases = Passphrases(options);
            std::optional<SecretBytes> cached;
            if (passphrases.empty())
                cached = CachedPassphrase(keyID);
            if (passphrases.empty() && !cached)
                return 0;
            std::string_view passphrase = passphrases.empty() ? cached->View() : passphrases[0]->secret.View();
            const Option* cache = FindOption(options, OptionKind::CachePassphrase);
            // A passphrase given to be checked that has just unlocked a part of the key (the
            // sub-key a message was encrypted to) is the key's: its parts share it. A cached one is
            // about to be used, so it is checked on the part it is cached for.
            if (!passphrases.empty() && UnlockedWith(PartKeyIDs(*object), passphrase)) {
                if (cache)
                    CachePassphrase(keyID, passphrase, cache->value);
                return 1;
            }
            std::vector<std::string> secrets;
            PGPError unlocked = UnlockKey(secretKey, passphrase, secrets, cache ? &cache->value : nullptr);
            for (auto& secret : secrets)
                std::fill(secret.begin(), secret.end(), '\0');
            return unlocked == kPGPError_NoErr ? 1 : 0;
    } catch (...) {
        return 0;
    }
}

} // extern "C"
