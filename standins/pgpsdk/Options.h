// Option objects of the stand-in SDK: what each option constructor records, and the option lists
// that PGPBuildOptionList, PGPEncode and the other consumers take apart. An option handle is a
// one-element option list; passing it to a consumer hands it over, also when the call fails.
#pragma once

#include "standins/pgpsdk/HandleTable.h"
#include "standins/pgpsdk/SecretBytes.h"

#include <cstdarg>
#include <string>
#include <vector>

namespace standin {

enum class OptionKind : int32_t {
    Null = 0,
    EventHandler,
    InputBuffer,
    AllocatedOutputBuffer,
    OutputBuffer,
    DiscardOutput,
    OutputFile,
    ArmorOutput,
    DetachedSig,
    ClearSign,
    Compression,
    ForYourEyesOnly,
    DataIsASCII,
    CommentString,
    VersionString,
    PGPMIMEEncoding,
    OmitMIMEVersion,
    OutputFormat,
    InputFormat,
    CipherAlgorithm,
    ConventionalEncrypt,
    Passphrase,
    SignWithKey,
    HashAlgorithm,
    SMIMESigner,
    SMIMEMatchCriterion,
    EncryptToKeySet,
    PreferredAlgorithms,
    KeyDBRef,
    PassThroughKeys,
    PassThroughIfUnrecognized,
    RecursivelyDecode,
    SendEventIfKeyFound,
    CachePassphrase,
    ExportKeySet,
    ExportKeyDBObj,
    ExportFormat,
    ExportPrivateKeys,
    ExportPrivateSubkeys,
    NetURL,
    KeyServerSearchFilter,
    UIWindowTitle,
    UIDialogPrompt,
    UIOutputPassphrase,
    UIParentWindowHandle,
    UIDefaultKey,
    UIFindMatchingKey,
    UIVerifyPassphrase,
    Last = UIVerifyPassphrase,
};

struct Option {
    OptionKind kind = OptionKind::Null;
    int32_t value = 0; // Boolean, number, format, algorithm or seconds
    PGPHandle handle = 0; // key set, key, key database, file spec or filter
    void* pointer = nullptr; // caller's buffer or out location
    void* pointer2 = nullptr; // caller's length out location
    PGPSize size = 0;
    std::string text; // comment, version, name, URL, title or prompt
    SecretBytes secret; // passphrase
    std::vector<int32_t> numbers; // preferred algorithms
    PGPEventHandlerProcPtr handler = nullptr;
    std::vector<Option> nested; // the sub-options of detached-sig, conventional-encrypt, sign-with-key
};

struct OptionList : SdkObject {
    std::vector<Option> options;
};

// A running job (a decode): options an event handler adds through PGPAddJobOptions.
struct Job : SdkObject {
    std::vector<Option> added;
};

// Takes the option handles of a variadic argument list (up to the end marker) out of the table and
// appends their options to `into`. All are consumed; any invalid one makes the result BadParams.
PGPError ConsumeOptionArguments(va_list args, std::vector<Option>& into);

// Registers a single option as an option handle, or returns 0 when the context is not valid.
PGPOptionListRef NewOption(PGPContextRef context, Option option);

} // namespace standin
