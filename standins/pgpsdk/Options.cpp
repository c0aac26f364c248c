// The stand-in's option constructors and option lists. Constructors only record their arguments;
// the jobs that read them (encode, decode, import, export, dialogs) come with their own units.
#include "standins/pgpsdk/Options.h"
#include "standins/pgpsdk/Guard.h"
#include "standins/pgpsdk/StandInExports.h"

PGP_CORE_ENTRIES(STANDIN_DECLARE, STANDIN_DECLARE_NOTHING)

namespace standin {
namespace {

// A caller that forgets the end marker must not make us walk the stack forever.
constexpr int kMaxOptionArguments = 256;

PGPOptionListRef Simple(PGPContextRef context, OptionKind kind, int32_t value = 0)
{
    Option option;
    option.kind = kind;
    option.value = value;
    return NewOption(context, std::move(option));
}

PGPOptionListRef WithHandle(PGPContextRef context, OptionKind kind, PGPHandle handle)
{
    if (handle == 0)
        return 0;
    Option option;
    option.kind = kind;
    option.handle = handle;
    return NewOption(context, std::move(option));
}

PGPOptionListRef WithText(PGPContextRef context, OptionKind kind, const char* text)
{
    if (!text)
        return 0;
    Option option;
    option.kind = kind;
    option.text = text;
    return NewOption(context, std::move(option));
}

// Builds an option that owns the sub-options following it; they are consumed even on failure.
PGPOptionListRef WithNested(PGPContextRef context, Option option, va_list args)
{
    PGPError status = ConsumeOptionArguments(args, option.nested);
    if (status != kPGPError_NoErr)
        return 0;
    return NewOption(context, std::move(option));
}

bool ContextValid(PGPContextRef context) { return Handles().Contains(context, ObjectKind::Context); }

} // namespace

PGPError ConsumeOptionArguments(va_list args, std::vector<Option>& into)
{
    PGPError status = kPGPError_NoErr;
    for (int count = 0;; ++count) {
        if (count == kMaxOptionArguments)
            return kPGPError_BadParams;
        PGPOptionListRef handle = va_arg(args, PGPOptionListRef);
        if (handle == kPGPEndOfOptions)
            break;
        auto list = std::static_pointer_cast<OptionList>(Handles().Take(handle, ObjectKind::OptionList));
        if (!list) {
            status = kPGPError_BadParams;
            continue;
        }
        try {
            for (auto& option : list->options)
                into.push_back(std::move(option));
        } catch (const std::bad_alloc&) {
            status = kPGPError_OutOfMemory; // keep taking the rest: the caller owns none of them now
        }
    }
    return status;
}

PGPOptionListRef NewOption(PGPContextRef context, Option option)
{
    if (!ContextValid(context))
        return 0;
    try {
        auto list = std::make_shared<OptionList>();
        if (option.kind != OptionKind::Null)
            list->options.push_back(std::move(option));
        return Handles().Add(ObjectKind::OptionList, std::move(list));
    } catch (const std::bad_alloc&) {
        return 0; // a failed constructor gives no option, which its consumer refuses
    }
}

} // namespace standin

using namespace standin;

extern "C" {

PGPError PGP_CDECL PGPBuildOptionList(PGPContextRef context, PGPOptionListRef* list, ...)
{
    va_list args;
    va_start(args, list);
    std::shared_ptr<OptionList> built;
    try {
        built = std::make_shared<OptionList>();
    } catch (const std::bad_alloc&) {
        built = nullptr;
    }
    if (!built) {
        std::vector<Option> dropped;
        ConsumeOptionArguments(args, dropped);
        va_end(args);
        return kPGPError_OutOfMemory;
    }
    PGPError status = ConsumeOptionArguments(args, built->options);
    va_end(args);
    if (list)
        *list = 0;
    if (status != kPGPError_NoErr)
        return status;
    if (!list || !ContextValid(context))
        return kPGPError_BadParams;
    return Guarded([&]() -> PGPError {
        *list = Handles().Add(ObjectKind::OptionList, std::move(built));
        return kPGPError_NoErr;
    });
}

PGPError PGP_CDECL PGPAppendOptionList(PGPOptionListRef list, ...)
{
    va_list args;
    va_start(args, list);
    std::vector<Option> added;
    PGPError status = ConsumeOptionArguments(args, added);
    va_end(args);
    auto target = Handles().Get<OptionList>(list, ObjectKind::OptionList);
    if (!target)
        return kPGPError_BadParams;
    if (status != kPGPError_NoErr)
        return status;
    return Guarded([&]() -> PGPError {
        for (auto& option : added)
            target->options.push_back(std::move(option));
        return kPGPError_NoErr;
    });
}

PGPError PGP_CDECL PGPFreeOptionList(PGPOptionListRef list)
{
    return Handles().Take(list, ObjectKind::OptionList) ? kPGPError_NoErr : kPGPError_BadParams;
}

PGPError PGP_CDECL PGPAddJobOptions(PGPJobRef job, ...)
{
    va_list args;
    va_start(args, job);
    std::vector<Option> added;
    PGPError status = ConsumeOptionArguments(args, added);
    va_end(args);
    // Jobs exist only while PGPDecode runs and calls its event handler.
    auto running = Handles().Get<Job>(job, ObjectKind::Job);
    if (!running)
        return kPGPError_BadParams;
    if (status != kPGPError_NoErr)
        return status;
    return Guarded([&]() -> PGPError {
        for (auto& option : added)
            running->added.push_back(std::move(option));
        return kPGPError_NoErr;
    });
}

PGPOptionListRef PGP_CDECL PGPOLastOption(PGPContextRef) { return kPGPEndOfOptions; }
PGPOptionListRef PGP_CDECL PGPONullOption(PGPContextRef context) { return Simple(context, OptionKind::Null); }

PGPOptionListRef PGP_CDECL PGPOEventHandler(PGPContextRef context, PGPEventHandlerProcPtr handler, void* user)
{
    if (!handler)
        return 0;
    Option option;
    option.kind = OptionKind::EventHandler;
    option.handler = handler;
    option.pointer = user;
    return NewOption(context, std::move(option));
}

PGPOptionListRef PGP_CDECL PGPOInputBuffer(PGPContextRef context, const void* data, PGPSize size)
{
    if (!data && size != 0)
        return 0;
    Option option;
    option.kind = OptionKind::InputBuffer;
    option.pointer = const_cast<void*>(data);
    option.size = size;
    return NewOption(context, std::move(option));
}

PGPOptionListRef PGP_CDECL PGPOAllocatedOutputBuffer(PGPContextRef context, void** buffer, PGPSize maxSize,
                                                    PGPSize* length)
{
    if (!buffer || !length)
        return 0;
    *buffer = nullptr;
    *length = 0;
    Option option;
    option.kind = OptionKind::AllocatedOutputBuffer;
    option.pointer = buffer;
    option.pointer2 = length;
    option.size = maxSize;
    return NewOption(context, std::move(option));
}

PGPOptionListRef PGP_CDECL PGPOOutputBuffer(PGPContextRef context, void* buffer, PGPSize size, PGPSize* length)
{
    if (!buffer || !length)
        return 0;
    *length = 0;
    Option option;
    option.kind = OptionKind::OutputBuffer;
    option.pointer = buffer;
    option.pointer2 = length;
    option.size = size;
    return NewOption(context, std::move(option));
}

PGPOptionListRef PGP_CDECL PGPODiscardOutput(PGPContextRef c, PGPBoolean on)
{
    return Simple(c, OptionKind::DiscardOutput, on != 0);
}

PGPOptionListRef PGP_CDECL PGPOOutputFile(PGPContextRef context, PGPFileSpecRef spec)
{
    if (!Handles().Contains(spec, ObjectKind::FileSpec))
        return 0;
    return WithHandle(context, OptionKind::OutputFile, spec);
}

PGPOptionListRef PGP_CDECL PGPOArmorOutput(PGPContextRef c, PGPBoolean on)
{
    return Simple(c, OptionKind::ArmorOutput, on != 0);
}

PGPOptionListRef PGP_CDECL PGPODetachedSig(PGPContextRef context, ...)
{
    va_list args;
    va_start(args, context);
    Option option;
    option.kind = OptionKind::DetachedSig;
    PGPOptionListRef result = WithNested(context, std::move(option), args);
    va_end(args);
    return result;
}

PGPOptionListRef PGP_CDECL PGPOClearSign(PGPContextRef c, PGPBoolean on) { return Simple(c, OptionKind::ClearSign, on != 0); }
PGPOptionListRef PGP_CDECL PGPOCompression(PGPContextRef c, PGPBoolean on)
{
    return Simple(c, OptionKind::Compression, on != 0);
}
PGPOptionListRef PGP_CDECL PGPOForYourEyesOnly(PGPContextRef c, PGPBoolean on)
{
    return Simple(c, OptionKind::ForYourEyesOnly, on != 0);
}
PGPOptionListRef PGP_CDECL PGPODataIsASCII(PGPContextRef c, PGPBoolean on)
{
    return Simple(c, OptionKind::DataIsASCII, on != 0);
}
PGPOptionListRef PGP_CDECL PGPOCommentString(PGPContextRef c, const char* text)
{
    return WithText(c, OptionKind::CommentString, text);
}
PGPOptionListRef PGP_CDECL PGPOVersionString(PGPContextRef c, const char* text)
{
    return WithText(c, OptionKind::VersionString, text);
}

PGPOptionListRef PGP_CDECL PGPOPGPMIMEEncoding(PGPContextRef context, PGPBoolean on, PGPSize* bodyOffset,
                                              char* separator)
{
    if (on && (!bodyOffset || !separator))
        return 0;
    Option option;
    option.kind = OptionKind::PGPMIMEEncoding;
    option.value = on != 0;
    option.pointer = separator;
    option.pointer2 = bodyOffset;
    return NewOption(context, std::move(option));
}

PGPOptionListRef PGP_CDECL PGPOOmitMIMEVersion(PGPContextRef c, PGPBoolean on)
{
    return Simple(c, OptionKind::OmitMIMEVersion, on != 0);
}
PGPOptionListRef PGP_CDECL PGPOOutputFormat(PGPContextRef c, int32_t format)
{
    if (format != kPGPFormat_CMSSigned && format != kPGPFormat_CMSEnveloped)
        return 0;
    return Simple(c, OptionKind::OutputFormat, format);
}
PGPOptionListRef PGP_CDECL PGPOInputFormat(PGPContextRef c, int32_t format)
{
    return Simple(c, OptionKind::InputFormat, format);
}
PGPOptionListRef PGP_CDECL PGPOCipherAlgorithm(PGPContextRef c, int32_t algorithm)
{
    return Simple(c, OptionKind::CipherAlgorithm, algorithm);
}

PGPOptionListRef PGP_CDECL PGPOConventionalEncrypt(PGPContextRef context, ...)
{
    va_list args;
    va_start(args, context);
    Option option;
    option.kind = OptionKind::ConventionalEncrypt;
    PGPOptionListRef result = WithNested(context, std::move(option), args);
    va_end(args);
    return result;
}

PGPOptionListRef PGP_CDECL PGPOPassphrase(PGPContextRef context, const char* passphrase)
{
    if (!passphrase)
        return 0;
    Option option;
    option.kind = OptionKind::Passphrase;
    option.secret = SecretBytes(passphrase);
    return NewOption(context, std::move(option));
}

PGPOptionListRef PGP_CDECL PGPOPassphraseBuffer(PGPContextRef context, const void* data, PGPSize size)
{
    if (!data && size != 0)
        return 0;
    Option option;
    option.kind = OptionKind::Passphrase;
    option.secret = SecretBytes(std::string_view(static_cast<const char*>(data), size));
    return NewOption(context, std::move(option));
}

PGPOptionListRef PGP_CDECL PGPOSignWithKey(PGPContextRef context, PGPKeyDBObjRef key, ...)
{
    va_list args;
    va_start(args, key);
    Option option;
    option.kind = OptionKind::SignWithKey;
    option.handle = key;
    PGPOptionListRef result = WithNested(context, std::move(option), args);
    va_end(args);
    if (key == 0 && result != 0) {
        PGPFreeOptionList(result);
        return 0;
    }
    return result;
}

PGPOptionListRef PGP_CDECL PGPOHashAlgorithm(PGPContextRef c, int32_t algorithm)
{
    return Simple(c, OptionKind::HashAlgorithm, algorithm);
}
PGPOptionListRef PGP_CDECL PGPOSMIMESigner(PGPContextRef c, PGPKeyDBObjRef certificate)
{
    return WithHandle(c, OptionKind::SMIMESigner, certificate);
}
PGPOptionListRef PGP_CDECL PGPOSMIMEMatchCriterion(PGPContextRef c, int32_t criterion)
{
    return Simple(c, OptionKind::SMIMEMatchCriterion, criterion);
}
PGPOptionListRef PGP_CDECL PGPOEncryptToKeySet(PGPContextRef c, PGPKeySetRef set)
{
    return WithHandle(c, OptionKind::EncryptToKeySet, set);
}

PGPOptionListRef PGP_CDECL PGPOPreferredAlgorithms(PGPContextRef context, const int32_t* algorithms, uint32_t count)
{
    if (count > 8 || (count && !algorithms))
        return 0;
    Option option;
    option.kind = OptionKind::PreferredAlgorithms;
    option.numbers.assign(algorithms, algorithms + count);
    return NewOption(context, std::move(option));
}

PGPOptionListRef PGP_CDECL PGPOKeyDBRef(PGPContextRef c, PGPKeyDBRef db) { return WithHandle(c, OptionKind::KeyDBRef, db); }
PGPOptionListRef PGP_CDECL PGPOPassThroughKeys(PGPContextRef c, PGPBoolean on)
{
    return Simple(c, OptionKind::PassThroughKeys, on != 0);
}
PGPOptionListRef PGP_CDECL PGPOPassThroughIfUnrecognized(PGPContextRef c, PGPBoolean on)
{
    return Simple(c, OptionKind::PassThroughIfUnrecognized, on != 0);
}
PGPOptionListRef PGP_CDECL PGPORecursivelyDecode(PGPContextRef c, PGPBoolean on)
{
    return Simple(c, OptionKind::RecursivelyDecode, on != 0);
}
PGPOptionListRef PGP_CDECL PGPOSendEventIfKeyFound(PGPContextRef c, PGPBoolean on)
{
    return Simple(c, OptionKind::SendEventIfKeyFound, on != 0);
}

PGPOptionListRef PGP_CDECL PGPOCacheNamedPassphrase(PGPContextRef context, int32_t seconds, PGPBoolean share,
                                                   const char* name)
{
    Option option;
    option.kind = OptionKind::CachePassphrase;
    option.value = seconds;
    option.size = share != 0;
    option.text = name ? name : "";
    return NewOption(context, std::move(option));
}

PGPOptionListRef PGP_CDECL PGPOCachePassphrase(PGPContextRef context, int32_t seconds, PGPBoolean share)
{
    return PGPOCacheNamedPassphrase(context, seconds, share, nullptr);
}

PGPOptionListRef PGP_CDECL PGPOExportKeySet(PGPContextRef c, PGPKeySetRef set)
{
    return WithHandle(c, OptionKind::ExportKeySet, set);
}
PGPOptionListRef PGP_CDECL PGPOExportKeyDBObj(PGPContextRef c, PGPKeyDBObjRef obj)
{
    return WithHandle(c, OptionKind::ExportKeyDBObj, obj);
}
PGPOptionListRef PGP_CDECL PGPOExportFormat(PGPContextRef c, int32_t format)
{
    if (format != kPGPFormat_OpenPGP && format != kPGPFormat_OpenPGPComplete && format != kPGPFormat_X509Cert)
        return 0;
    return Simple(c, OptionKind::ExportFormat, format);
}
PGPOptionListRef PGP_CDECL PGPOExportPrivateKeys(PGPContextRef c, PGPBoolean on)
{
    return Simple(c, OptionKind::ExportPrivateKeys, on != 0);
}
PGPOptionListRef PGP_CDECL PGPOExportPrivateSubkeys(PGPContextRef c, PGPBoolean on)
{
    return Simple(c, OptionKind::ExportPrivateSubkeys, on != 0);
}

// The network and user-interface libraries make their options here, in the one table.
PGPOptionListRef PGP_CDECL StandInNewOption(PGPContextRef context, int32_t kind, int32_t value, PGPHandle handle,
                                           void* pointer, const char* text)
{
    if (kind <= 0 || kind > static_cast<int32_t>(OptionKind::Last))
        return 0;
    Option option;
    option.kind = static_cast<OptionKind>(kind);
    option.value = value;
    option.handle = handle;
    option.pointer = pointer;
    if (text)
        option.text = text;
    return NewOption(context, std::move(option));
}

PGPBoolean PGP_CDECL StandInIsOptionList(PGPOptionListRef list)
{
    return Handles().Contains(list, ObjectKind::OptionList);
}

} // extern "C"
