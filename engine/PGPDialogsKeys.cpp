// Key import and export through the PGP libraries' dialogs: the input formats tried in turn (with the
// transfer passphrase asked for as often as needed), the chosen keys added to the key ring, and the
// chosen keys exported as armoured text or into a file.
#include "engine/PGPDialogs.h"

#include "engine/KeyFuncsSdk.h"
#include "engine/PGPDialogsParts.h"
#include "engine/sdk/pgpAdapters.h"
#include "engine/sdk/pgpBase.h"
#include "engine/sdk/pgpBindings.h"

#include <fstream>
#include <iterator>
#include <vector>

namespace {

constexpr const char* kCertificateMarker = "-----BEGIN CERTIFICATE-----";
constexpr std::size_t kMarkerSkip = 29; // the next certificate starts past this one's marker line
constexpr int32_t kNoFormat = 0;
constexpr PGPError kNoKeyChosen = kNoKeyMatches;
constexpr PGPError kImportFailed = -10991;

bool OldSDK() { return SDKGeneration == 1; }

// What one import gave: a key database (generation 2 on) or a key set (generation 1).
class TImported {
public:
    TImported() = default;
    ~TImported() { Free(); }
    TImported(const TImported&) = delete;
    TImported& operator=(const TImported&) = delete;

    PGPHandle* Out()
    {
        Free();
        return &handle_;
    }
    PGPKeySetRef Keys() const
    {
        if (!handle_)
            return 0;
        return OldSDK() ? handle_ : SDKProcs.PGPPeekKeyDBRootKeySet ? SDKProcs.PGPPeekKeyDBRootKeySet(handle_) : 0;
    }
    PGPHandle Release()
    {
        const PGPHandle handle = handle_;
        handle_ = 0;
        return handle;
    }
    // Adds the keys of `other` to these.
    PGPError Add(const TImported& other)
    {
        if (OldSDK())
            return SDKProcs.PGPAddKeys ? SDKProcs.PGPAddKeys(other.Keys(), handle_) : kPGPError_NotImplemented;
        TOwnedKeySet copied;
        return SDKProcs.PGPCopyKeys ? SDKProcs.PGPCopyKeys(other.Keys(), handle_, copied.Out())
                                    : kPGPError_NotImplemented;
    }

private:
    void Free()
    {
        if (handle_ && OldSDK() && SDKProcs.PGPFreeKeySet)
            SDKProcs.PGPFreeKeySet(handle_);
        else if (handle_ && !OldSDK() && SDKProcs.PGPFreeKeyDB)
            SDKProcs.PGPFreeKeyDB(handle_);
        handle_ = 0;
    }

    PGPHandle handle_ = 0;
};

std::string ReadWholeFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

PGPError ImportOnce(PGPContextRef context, const std::string& data, int32_t format, const char* passphrase,
                    TImported& imported)
{
    auto& sdk = SDKProcs;
    const PGPOptionListRef input = sdk.PGPOInputBuffer(context, data.data(), static_cast<PGPSize>(data.size()));
    if (OldSDK())
        return sdk.PGPImportKeySet ? sdk.PGPImportKeySet(context, imported.Out(), input,
                                                         passphrase ? sdk.PGPOPassphrase(context, passphrase)
                                                                    : sdk.PGPONullOption(context),
                                                         kPGPEndOfOptions)
                                   : kPGPError_NotImplemented;
    if (!sdk.PGPImport || !sdk.PGPOInputFormat)
        return kPGPError_NotImplemented;
    return sdk.PGPImport(context, imported.Out(), input,
                         format != kNoFormat ? sdk.PGPOInputFormat(context, format) : sdk.PGPONullOption(context),
                         passphrase ? sdk.PGPOPassphrase(context, passphrase) : sdk.PGPONullOption(context),
                         kPGPEndOfOptions);
}

// One input format; while the data wants a passphrase, it is asked for (only with a prompt).
PGPError ImportWithPassphrase(PGPContextRef context, const std::string& data, int32_t format, HWND window,
                              const std::string& prompt, TImported& imported)
{
    TSecureBytes passphrase;
    for (;;) {
        PGPError status = ImportOnce(context, data, format,
                                     passphrase ? reinterpret_cast<const char*>(passphrase.data()) : nullptr, imported);
        if (status != kPGPError_BadPassphrase || prompt.empty())
            return status;
        if ((status = AskPassphrase(context, window, "PGP", prompt, passphrase)) != kPGPError_NoErr)
            return status;
    }
}

struct TFormatTry {
    int32_t format;
    std::size_t from;
};

std::vector<TFormatTry> FormatTries(const std::string& input)
{
    if (OldSDK())
        return { { kNoFormat, 0 } };
    std::vector<TFormatTry> tries { { kPGPFormat_PKCS12, 0 }, { kPGPFormat_X509Cert, 0 } };
    if (const std::size_t marker = input.find(kCertificateMarker); marker != std::string::npos)
        tries.push_back({ kPGPFormat_PEMCert, marker });
    tries.push_back({ kNoFormat, 0 });
    return tries;
}

uint32_t CountOf(PGPKeySetRef set)
{
    uint32_t count = 0;
    if (!set || !SDKProcs.PGPCountKeys || SDKProcs.PGPCountKeys(set, &count) != kPGPError_NoErr)
        return 0;
    return count;
}

} // namespace

PGPError AddSelectedKeys(PGPContextRef context, PGPKeySetRef ring, PGPKeySetRef imported, HWND window,
                         const std::string& prompt, uint32_t selection, std::unique_ptr<TKeyPropsList>& list)
{
    if (CountOf(imported) == 0)
        return kNoKeyMatches;
    auto& sdk = SDKProcs;
    PGPError status;
    if (OldSDK()) {
        PGPKeySetRef chosen = 0;
        status = SelectKeysDialog(context, window, prompt, &chosen, false, imported, imported);
        if (status == kPGPError_NoErr && chosen)
            status = sdk.PGPAddKeys ? sdk.PGPAddKeys(chosen, ring) : kPGPError_NotImplemented;
        if (status == kPGPError_NoErr && chosen)
            status = KeyRings().Commit();
        const int listed = status == kPGPError_NoErr && chosen ? FillKeyList(context, chosen, list, selection, 0, 2) : 0;
        if (chosen && chosen != imported && sdk.PGPFreeKeySet)
            sdk.PGPFreeKeySet(chosen);
        if (status != kPGPError_NoErr)
            return status;
        return !chosen ? kNoKeyChosen : listed < 0 ? listed : kPGPError_NoErr;
    }
    if (!sdk.PGPNewKeyDB || !sdk.PGPCopyKeys || !sdk.PGPPeekKeySetKeyDB)
        return kPGPError_NotImplemented;
    // A scratch database with the ring's keys shows the imported ones as the ring would see them.
    TOwnedKeyDB scratch;
    TOwnedKeySet ringCopy, offered, chosen, added;
    status = sdk.PGPNewKeyDB(context, scratch.Out());
    if (status == kPGPError_NoErr)
        status = sdk.PGPCopyKeys(ring, scratch.Get(), ringCopy.Out());
    if (status == kPGPError_NoErr)
        status = sdk.PGPCopyKeys(imported, scratch.Get(), offered.Out());
    PGPKeySetRef picked = 0;
    if (status == kPGPError_NoErr)
        status = SelectKeysDialog(context, window, prompt, &picked, false, offered.Get(), offered.Get());
    if (picked && picked != offered.Get())
        *chosen.Out() = picked;
    if (status == kPGPError_NoErr && picked)
        status = sdk.PGPCopyKeys(picked, sdk.PGPPeekKeySetKeyDB(ring), added.Out());
    if (status != kPGPError_NoErr)
        return status;
    if ((status = KeyRings().Commit()) != kPGPError_NoErr)
        return status;
    if (!added.Get())
        return kNoKeyChosen;
    const int listed = FillKeyList(context, added.Get(), list, selection, 0, 2);
    return listed < 0 ? listed : kPGPError_NoErr;
}

PGPError ImportKeys(HWND window, const std::string& textOrFile, const std::string& prompt, PGPKeySetRef& keySet,
                    uint32_t selection, std::unique_ptr<TKeyPropsList>& list, bool fromFile)
{
    if (!SDKProcs.PGPOInputBuffer || !SDKProcs.PGPONullOption || !SDKProcs.PGPOPassphrase)
        return kPGPError_NotImplemented;
    PGPContextRef context = 0;
    PGPKeySetRef ring = 0;
    PGPError status = KeyRings().Open(&context, &ring);
    if (status != kPGPError_NoErr)
        return status;
    const std::string input = fromFile ? ReadWholeFile(textOrFile) : textOrFile;
    const std::vector<TFormatTry> tries = FormatTries(input);
    TImported imported;
    std::size_t used = 0;
    for (; used < tries.size(); ++used) {
        status = ImportWithPassphrase(context, input.substr(tries[used].from), tries[used].format, window, prompt,
                                      imported);
        if (status == kPGPError_NoErr || status == kPGPError_BadPassphrase || status == kPGPError_UserAbort)
            break; // imported, or the passphrase could not be had: the other formats are no better
    }
    if (status != kPGPError_NoErr) {
        KeyRings().Close();
        return status >= -40 && status <= -1 ? kImportFailed : status;
    }
    const TFormatTry& format = tries[used];
    if (format.format == kPGPFormat_PEMCert)
        for (std::size_t at = input.find(kCertificateMarker, format.from + kMarkerSkip); at != std::string::npos;
             at = input.find(kCertificateMarker, at + kMarkerSkip)) {
            TImported next;
            if (ImportWithPassphrase(context, input.substr(at), format.format, window, prompt, next) == kPGPError_NoErr)
                status = imported.Add(next);
            if (status != kPGPError_NoErr)
                break;
        }
    if (status == kPGPError_NoErr && keySet == kImportedSetWanted) {
        const int listed = FillKeyList(context, imported.Keys(), list, selection, 0, 2);
        status = listed < 0 ? listed : kPGPError_NoErr;
        if (status == kPGPError_NoErr) {
            keySet = imported.Keys();
            imported.Release();
        }
    } else if (status == kPGPError_NoErr) {
        TOwnedKeySet certificates;
        PGPKeySetRef offered = imported.Keys();
        if (format.format != kNoFormat && (status = FilterCertKeys(offered, false, certificates.Out())) == kPGPError_NoErr)
            offered = certificates.Get();
        if (status == kPGPError_NoErr)
            status = AddSelectedKeys(context, ring, offered, window, prompt, selection, list);
    }
    KeyRings().Close();
    return status;
}

void FreeImportedKeys(PGPKeySetRef keySet)
{
    if (!keySet || keySet == kImportedSetWanted)
        return;
    if (OldSDK()) {
        if (SDKProcs.PGPFreeKeySet)
            SDKProcs.PGPFreeKeySet(keySet);
    } else if (SDKProcs.PGPPeekKeySetKeyDB && SDKProcs.PGPFreeKeyDB) {
        SDKProcs.PGPFreeKeyDB(SDKProcs.PGPPeekKeySetKeyDB(keySet));
    }
}

PGPError ExportKeys(const std::string& prompt, std::string& text, std::unique_ptr<TKeyPropsList>& list, HWND window,
                    uint32_t selection, bool withPrivateKeys, bool formatFlag, bool toFile)
{
    auto& sdk = SDKProcs;
    if (!sdk.PGPOVersionString || !sdk.PGPOExportFormat || !sdk.PGPOExportPrivateKeys
        || !sdk.PGPOExportPrivateSubkeys || !sdk.PGPOArmorOutput || !sdk.PGPOOutputFile
        || !sdk.PGPOAllocatedOutputBuffer)
        return kPGPError_NotImplemented;
    PGPContextRef context = 0;
    PGPKeySetRef ring = 0;
    PGPError status = KeyRings().Open(&context, &ring);
    if (status != kPGPError_NoErr)
        return status;
    PGPKeySetRef picked = 0;
    status = SelectKeysDialog(context, window, prompt, &picked, false, ring, 0);
    TOwnedKeySet chosen(picked != ring ? picked : 0);
    if (status == kPGPError_NoErr && CountOf(picked) == 0)
        status = kNoKeyChosen;
    TOwnedFileSpec file;
    if (status == kPGPError_NoErr && toFile)
        status = sdk.PGPNewFileSpecFromFullPath ? sdk.PGPNewFileSpecFromFullPath(context, text.c_str(), file.Out())
                                                : kPGPError_NotImplemented;
    void* buffer = nullptr;
    PGPSize length = 0;
    if (status == kPGPError_NoErr) {
        // Armour is the export's default; it is asked for by name so the text is armoured everywhere.
        const PGPOptionListRef output = toFile ? sdk.PGPOOutputFile(context, file.Get())
                                               : sdk.PGPOAllocatedOutputBuffer(context, &buffer, ~PGPSize(0), &length);
        const PGPOptionListRef version = sdk.PGPOVersionString(context, SDKVersionText);
        const PGPOptionListRef format
            = sdk.PGPOExportFormat(context, formatFlag ? kPGPFormat_OpenPGP : kPGPFormat_OpenPGPComplete);
        const PGPOptionListRef privateKeys = sdk.PGPOExportPrivateKeys(context, withPrivateKeys);
        const PGPOptionListRef privateSubKeys = sdk.PGPOExportPrivateSubkeys(context, withPrivateKeys);
        const PGPOptionListRef armour = sdk.PGPOArmorOutput(context, 1);
        if (OldSDK())
            status = sdk.PGPExportKeySet ? sdk.PGPExportKeySet(picked, version, format, privateKeys, privateSubKeys,
                                                               armour, output, kPGPEndOfOptions)
                                         : kPGPError_NotImplemented;
        else
            status = sdk.PGPExport && sdk.PGPOExportKeySet
                ? sdk.PGPExport(context, sdk.PGPOExportKeySet(context, picked), version, format, privateKeys,
                                privateSubKeys, armour, output, kPGPEndOfOptions)
                : kPGPError_NotImplemented;
    }
    if (buffer) {
        if (status == kPGPError_NoErr)
            text.assign(static_cast<const char*>(buffer), length);
        SecureZeroMemory(buffer, length);
        if (sdk.PGPFreeData)
            sdk.PGPFreeData(buffer);
    }
    if (status == kPGPError_NoErr) {
        const int listed = FillKeyList(context, picked, list, selection, 0, 2);
        status = listed < 0 ? listed : kPGPError_NoErr;
    }
    KeyRings().Close();
    return status;
}
