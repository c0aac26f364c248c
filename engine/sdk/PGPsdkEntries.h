// Every SDK entry point the engine calls, one line each, per library. The lists are X-macros:
//   E(name, firstGen, lastGen, result, (parameters))          bound under its own name
//   N(variable, "export", firstGen, lastGen, result, (params)) bound under another export name
// The engine expands them into its procedure table; the stand-in into its export declarations.
#pragma once

#include "engine/sdk/PGPsdkTypes.h"

// Core library ("PGPSDK.dll"), cdecl.
#define PGP_CORE_ENTRIES(E, N)                                                                         \
    E(PGPsdkInit, 1, 13, PGPError, (uint32_t flags))                                                   \
    E(PGPsdkCleanup, 1, 13, PGPError, ())                                                              \
    E(PGPsdkReconnect, 2, 13, PGPError, ())                                                            \
    E(PGPGetSDKString, 1, 1, PGPError, (char* text))                                                   \
    E(PGPGetPGPsdkVersionString, 2, 13, PGPError, (char* text))                                        \
    E(PGPGetErrorString, 1, 13, PGPError, (PGPError error, PGPSize size, char* text))                  \
    E(PGPNewContext, 1, 13, PGPError, (uint32_t version, PGPContextRef * context))                     \
    E(PGPFreeContext, 1, 13, PGPError, (PGPContextRef context))                                        \
    E(PGPGetDefaultMemoryMgr, 1, 13, PGPMemoryMgrRef, ())                                              \
    E(PGPNewSecureData, 1, 13, void*, (PGPMemoryMgrRef mgr, PGPSize size, uint32_t flags))             \
    E(PGPFreeData, 1, 13, PGPError, (void* data))                                                      \
    E(PGPNewFileSpecFromFullPath, 1, 13, PGPError, (PGPContextRef, const char* path, PGPFileSpecRef*)) \
    E(PGPFreeFileSpec, 1, 13, PGPError, (PGPFileSpecRef spec))                                         \
    E(PGPGetFullPathFromFileSpec, 1, 1, PGPError, (PGPFileSpecRef spec, char** path))                  \
    E(PGPBuildOptionList, 1, 13, PGPError, (PGPContextRef, PGPOptionListRef * list, ...))              \
    E(PGPAppendOptionList, 1, 13, PGPError, (PGPOptionListRef list, ...))                              \
    E(PGPFreeOptionList, 1, 13, PGPError, (PGPOptionListRef list))                                     \
    E(PGPAddJobOptions, 1, 13, PGPError, (PGPJobRef job, ...))                                         \
    E(PGPOLastOption, 1, 13, PGPOptionListRef, (PGPContextRef))                                        \
    E(PGPONullOption, 1, 13, PGPOptionListRef, (PGPContextRef))                                        \
    E(PGPOEventHandler, 1, 13, PGPOptionListRef, (PGPContextRef, PGPEventHandlerProcPtr, void* user))  \
    E(PGPOInputBuffer, 1, 13, PGPOptionListRef, (PGPContextRef, const void* data, PGPSize size))       \
    E(PGPOAllocatedOutputBuffer, 1, 13, PGPOptionListRef,                                              \
      (PGPContextRef, void** buffer, PGPSize maxSize, PGPSize* length))                                \
    E(PGPOOutputBuffer, 1, 13, PGPOptionListRef, (PGPContextRef, void* buffer, PGPSize size, PGPSize* length)) \
    E(PGPODiscardOutput, 1, 13, PGPOptionListRef, (PGPContextRef, PGPBoolean))                         \
    E(PGPOOutputFile, 1, 13, PGPOptionListRef, (PGPContextRef, PGPFileSpecRef))                        \
    E(PGPOArmorOutput, 1, 13, PGPOptionListRef, (PGPContextRef, PGPBoolean))                           \
    E(PGPODetachedSig, 1, 13, PGPOptionListRef, (PGPContextRef, ...))                                  \
    E(PGPOClearSign, 1, 13, PGPOptionListRef, (PGPContextRef, PGPBoolean))                             \
    E(PGPOCompression, 1, 13, PGPOptionListRef, (PGPContextRef, PGPBoolean))                           \
    E(PGPOForYourEyesOnly, 1, 13, PGPOptionListRef, (PGPContextRef, PGPBoolean))                       \
    E(PGPODataIsASCII, 1, 13, PGPOptionListRef, (PGPContextRef, PGPBoolean))                           \
    E(PGPOCommentString, 1, 13, PGPOptionListRef, (PGPContextRef, const char* text))                   \
    E(PGPOVersionString, 1, 13, PGPOptionListRef, (PGPContextRef, const char* text))                   \
    E(PGPOPGPMIMEEncoding, 1, 13, PGPOptionListRef,                                                    \
      (PGPContextRef, PGPBoolean, PGPSize* bodyOffset, char* separator))                               \
    E(PGPOOmitMIMEVersion, 1, 13, PGPOptionListRef, (PGPContextRef, PGPBoolean))                       \
    E(PGPOOutputFormat, 4, 13, PGPOptionListRef, (PGPContextRef, int32_t format))                      \
    E(PGPOInputFormat, 2, 13, PGPOptionListRef, (PGPContextRef, int32_t format))                       \
    E(PGPOCipherAlgorithm, 1, 13, PGPOptionListRef, (PGPContextRef, int32_t algorithm))                \
    E(PGPOConventionalEncrypt, 1, 13, PGPOptionListRef, (PGPContextRef, ...))                          \
    E(PGPOPassphrase, 1, 13, PGPOptionListRef, (PGPContextRef, const char* passphrase))                \
    E(PGPOPassphraseBuffer, 1, 13, PGPOptionListRef, (PGPContextRef, const void* data, PGPSize size))  \
    E(PGPOSignWithKey, 1, 13, PGPOptionListRef, (PGPContextRef, PGPKeyDBObjRef key, ...))              \
    E(PGPOHashAlgorithm, 1, 13, PGPOptionListRef, (PGPContextRef, int32_t algorithm))                  \
    E(PGPOSMIMESigner, 3, 13, PGPOptionListRef, (PGPContextRef, PGPKeyDBObjRef certificate))           \
    E(PGPOSMIMEMatchCriterion, 3, 13, PGPOptionListRef, (PGPContextRef, int32_t criterion))            \
    E(PGPOEncryptToKeySet, 1, 13, PGPOptionListRef, (PGPContextRef, PGPKeySetRef))                     \
    E(PGPOPreferredAlgorithms, 1, 13, PGPOptionListRef,                                                \
      (PGPContextRef, const int32_t* algorithms, uint32_t count))                                      \
    E(PGPOKeyDBRef, 2, 13, PGPOptionListRef, (PGPContextRef, PGPKeyDBRef))                             \
    E(PGPOKeySetRef, 1, 1, PGPOptionListRef, (PGPContextRef, PGPKeySetRef))                            \
    E(PGPOPassThroughKeys, 1, 13, PGPOptionListRef, (PGPContextRef, PGPBoolean))                       \
    E(PGPOPassThroughIfUnrecognized, 1, 13, PGPOptionListRef, (PGPContextRef, PGPBoolean))             \
    E(PGPORecursivelyDecode, 1, 13, PGPOptionListRef, (PGPContextRef, PGPBoolean))                     \
    E(PGPOSendEventIfKeyFound, 1, 13, PGPOptionListRef, (PGPContextRef, PGPBoolean))                   \
    E(PGPOCacheNamedPassphrase, 3, 13, PGPOptionListRef,                                               \
      (PGPContextRef, int32_t seconds, PGPBoolean share, const char* name))                            \
    E(PGPOCachePassphrase, 3, 13, PGPOptionListRef, (PGPContextRef, int32_t seconds, PGPBoolean share)) \
    E(PGPOExportKeySet, 2, 13, PGPOptionListRef, (PGPContextRef, PGPKeySetRef))                        \
    E(PGPOExportKeyDBObj, 2, 13, PGPOptionListRef, (PGPContextRef, PGPKeyDBObjRef))                    \
    E(PGPOExportFormat, 1, 13, PGPOptionListRef, (PGPContextRef, int32_t format))                      \
    E(PGPOExportPrivateKeys, 1, 13, PGPOptionListRef, (PGPContextRef, PGPBoolean))                     \
    E(PGPOExportPrivateSubkeys, 1, 13, PGPOptionListRef, (PGPContextRef, PGPBoolean))                  \
    E(PGPEncode, 1, 13, PGPError, (PGPContextRef, ...))                                                \
    E(PGPDecode, 1, 13, PGPError, (PGPContextRef, ...))                                                \
    E(PGPOpenKeyDBFile, 2, 13, PGPError,                                                               \
      (PGPContextRef, uint32_t flags, PGPFileSpecRef pub, PGPFileSpecRef sec, PGPKeyDBRef*))           \
    E(PGPOpenKeyRingPair, 1, 1, PGPError,                                                              \
      (PGPContextRef, uint32_t flags, PGPFileSpecRef pub, PGPFileSpecRef sec, PGPKeySetRef*))          \
    E(PGPPeekKeyDBRootKeySet, 2, 13, PGPKeySetRef, (PGPKeyDBRef))                                      \
    E(PGPFreeKeyDB, 2, 13, PGPError, (PGPKeyDBRef))                                                    \
    E(PGPNewKeyDB, 2, 13, PGPError, (PGPContextRef, PGPKeyDBRef*))                                     \
    E(PGPFlushKeyDB, 2, 13, PGPError, (PGPKeyDBRef))                                                   \
    E(PGPKeySetNeedsCommit, 1, 1, PGPBoolean, (PGPKeySetRef))                                          \
    E(PGPCommitKeyRingChanges, 1, 1, PGPError, (PGPKeySetRef))                                         \
    E(PGPPeekKeySetKeyDB, 2, 13, PGPKeyDBRef, (PGPKeySetRef))                                          \
    E(PGPCacheKeyDB, 3, 13, PGPError, (PGPKeyDBRef, uint32_t seconds))                                 \
    E(PGPPurgeKeyDBCache, 3, 13, PGPError, (PGPContextRef))                                            \
    E(PGPNewEmptyKeySet, 2, 13, PGPError, (PGPKeyDBRef, PGPKeySetRef*))                                \
    E(PGPNewKeySet, 1, 1, PGPError, (PGPContextRef, PGPKeySetRef*))                                    \
    E(PGPNewOneKeySet, 2, 13, PGPError, (PGPKeyDBObjRef, PGPKeySetRef*))                               \
    E(PGPNewSingletonKeySet, 1, 1, PGPError, (PGPKeyDBObjRef, PGPKeySetRef*))                          \
    E(PGPAddKeys, 1, 13, PGPError, (PGPKeySetRef from, PGPKeySetRef to))                               \
    E(PGPCopyKeys, 2, 13, PGPError, (PGPKeySetRef, PGPKeyDBRef dest, PGPKeySetRef* copied))            \
    E(PGPDeleteKeys, 2, 13, PGPError, (PGPKeySetRef))                                                  \
    E(PGPRemoveKeys, 1, 1, PGPError, (PGPKeySetRef keys, PGPKeySetRef from))                           \
    E(PGPFreeKeySet, 1, 13, PGPError, (PGPKeySetRef))                                                  \
    E(PGPIncKeySetRefCount, 1, 13, PGPError, (PGPKeySetRef))                                           \
    E(PGPCountKeys, 1, 13, PGPError, (PGPKeySetRef, uint32_t* count))                                  \
    E(PGPFilterKeySet, 1, 13, PGPError, (PGPKeySetRef, PGPFilterRef, PGPKeySetRef*))                   \
    E(PGPNewKeyDBObjBooleanFilter, 2, 13, PGPError, (PGPContextRef, int32_t prop, PGPBoolean, PGPFilterRef*)) \
    E(PGPNewKeyDBObjNumericFilter, 2, 13, PGPError,                                                    \
      (PGPContextRef, int32_t prop, int32_t value, int32_t match, PGPFilterRef*))                      \
    E(PGPNewKeyDBObjDataFilter, 2, 13, PGPError,                                                       \
      (PGPContextRef, int32_t prop, const void* data, PGPSize size, int32_t match, PGPFilterRef*))     \
    E(PGPNewKeyDisabledFilter, 1, 1, PGPError, (PGPContextRef, PGPBoolean, PGPFilterRef*))             \
    E(PGPNewKeyBooleanFilter, 1, 1, PGPError, (PGPContextRef, int32_t prop, PGPBoolean, PGPFilterRef*)) \
    E(PGPNewKeySigAlgorithmFilter, 1, 1, PGPError, (PGPContextRef, int32_t algorithm, PGPFilterRef*))  \
    E(PGPNewKeyNumberFilter, 1, 1, PGPError,                                                           \
      (PGPContextRef, int32_t prop, int32_t value, int32_t match, PGPFilterRef*))                      \
    E(PGPNewKeyIDFilter, 1, 1, PGPError, (PGPContextRef, const PGPKeyID*, PGPFilterRef*))              \
    E(PGPNewSubKeyIDFilter, 1, 1, PGPError, (PGPContextRef, const PGPKeyID*, PGPFilterRef*))           \
    E(PGPNewSigKeyIDFilter, 1, 1, PGPError, (PGPContextRef, const PGPKeyID*, PGPFilterRef*))           \
    E(PGPNewUserIDStringFilter, 1, 1, PGPError, (PGPContextRef, const char*, int32_t match, PGPFilterRef*)) \
    E(PGPNewUserIDNameFilter, 1, 1, PGPError, (PGPContextRef, const char*, int32_t match, PGPFilterRef*)) \
    E(PGPNewUserIDEmailFilter, 1, 1, PGPError, (PGPContextRef, const char*, int32_t match, PGPFilterRef*)) \
    E(PGPUnionFilters, 1, 13, PGPError, (PGPFilterRef, PGPFilterRef, PGPFilterRef*))                   \
    E(PGPIntersectFilters, 1, 13, PGPError, (PGPFilterRef, PGPFilterRef, PGPFilterRef*))               \
    E(PGPNegateFilter, 1, 13, PGPError, (PGPFilterRef, PGPFilterRef*))                                 \
    E(PGPFreeFilter, 1, 13, PGPError, (PGPFilterRef))                                                  \
    E(PGPOrderKeySet, 2, 13, PGPError, (PGPKeySetRef, int32_t order, PGPBoolean reverse, PGPKeyListRef*)) \
    N(PGPOrderKeySetGen1, "PGPOrderKeySet", 1, 1, PGPError, (PGPKeySetRef, int32_t order, PGPKeyListRef*)) \
    E(PGPFreeKeyList, 1, 13, PGPError, (PGPKeyListRef))                                                \
    E(PGPNewKeyIter, 1, 13, PGPError, (PGPKeyListRef, PGPKeyIterRef*))                                 \
    E(PGPNewKeyIterFromKeySet, 2, 13, PGPError, (PGPKeySetRef, PGPKeyIterRef*))                        \
    E(PGPFreeKeyIter, 1, 13, PGPError, (PGPKeyIterRef))                                                \
    E(PGPKeyIterNextKeyDBObj, 2, 13, PGPError, (PGPKeyIterRef, int32_t kind, PGPKeyDBObjRef*))         \
    E(PGPKeyIterNext, 1, 1, PGPError, (PGPKeyIterRef, PGPKeyDBObjRef*))                                \
    E(PGPKeyIterNextSubKey, 1, 1, PGPError, (PGPKeyIterRef, PGPKeyDBObjRef*))                          \
    E(PGPKeyIterNextUserID, 1, 1, PGPError, (PGPKeyIterRef, PGPKeyDBObjRef*))                          \
    E(PGPKeyIterNextUIDSig, 1, 1, PGPError, (PGPKeyIterRef, PGPKeyDBObjRef*))                          \
    E(PGPKeyIterRewind, 2, 13, PGPError, (PGPKeyIterRef, int32_t kind))                                \
    N(PGPKeyIterRewindGen1, "PGPKeyIterRewind", 1, 1, PGPError, (PGPKeyIterRef))                       \
    E(PGPKeyIterRewindSubKey, 1, 1, PGPError, (PGPKeyIterRef))                                         \
    E(PGPKeyIterRewindUserID, 1, 1, PGPError, (PGPKeyIterRef))                                         \
    E(PGPKeyIterRewindUIDSig, 1, 1, PGPError, (PGPKeyIterRef))                                         \
    E(PGPGetKeyDBObjBooleanProperty, 2, 13, PGPError, (PGPKeyDBObjRef, int32_t prop, PGPBoolean*))     \
    E(PGPGetKeyDBObjNumericProperty, 2, 13, PGPError, (PGPKeyDBObjRef, int32_t prop, int32_t*))        \
    E(PGPGetKeyDBObjTimeProperty, 2, 13, PGPError, (PGPKeyDBObjRef, int32_t prop, PGPTime*))           \
    E(PGPGetKeyDBObjDataProperty, 2, 13, PGPError,                                                     \
      (PGPKeyDBObjRef, int32_t prop, void* buffer, PGPSize size, PGPSize* length))                     \
    E(PGPGetKeyBoolean, 1, 1, PGPError, (PGPKeyDBObjRef, int32_t prop, PGPBoolean*))                   \
    E(PGPGetSubKeyBoolean, 1, 1, PGPError, (PGPKeyDBObjRef, int32_t prop, PGPBoolean*))                \
    E(PGPGetUserIDBoolean, 1, 1, PGPError, (PGPKeyDBObjRef, int32_t prop, PGPBoolean*))                \
    E(PGPGetSigBoolean, 1, 1, PGPError, (PGPKeyDBObjRef, int32_t prop, PGPBoolean*))                   \
    E(PGPGetKeyNumber, 1, 1, PGPError, (PGPKeyDBObjRef, int32_t prop, int32_t*))                       \
    E(PGPGetHashAlgUsed, 1, 1, PGPError, (PGPKeyDBObjRef, int32_t*))                                   \
    E(PGPGetSubKeyNumber, 1, 1, PGPError, (PGPKeyDBObjRef, int32_t prop, int32_t*))                    \
    E(PGPGetUserIDNumber, 1, 1, PGPError, (PGPKeyDBObjRef, int32_t prop, int32_t*))                    \
    E(PGPGetSigNumber, 1, 1, PGPError, (PGPKeyDBObjRef, int32_t prop, int32_t*))                       \
    E(PGPGetKeyTime, 1, 1, PGPError, (PGPKeyDBObjRef, int32_t prop, PGPTime*))                         \
    E(PGPGetSubKeyTime, 1, 1, PGPError, (PGPKeyDBObjRef, int32_t prop, PGPTime*))                      \
    E(PGPGetSigTime, 1, 1, PGPError, (PGPKeyDBObjRef, int32_t prop, PGPTime*))                         \
    E(PGPGetKeyPropertyBuffer, 1, 1, PGPError,                                                         \
      (PGPKeyDBObjRef, int32_t prop, PGPSize size, void* buffer, PGPSize* length))                     \
    E(PGPGetUserIDStringBuffer, 1, 1, PGPError,                                                        \
      (PGPKeyDBObjRef, int32_t prop, PGPSize size, void* buffer, PGPSize* length))                     \
    E(PGPGetSigPropertyBuffer, 1, 1, PGPError,                                                         \
      (PGPKeyDBObjRef, int32_t prop, PGPSize size, void* buffer, PGPSize* length))                     \
    E(PGPGetPrimaryUserIDName, 2, 13, PGPError, (PGPKeyDBObjRef, char* buffer, PGPSize size, PGPSize* length)) \
    E(PGPGetPrimaryUserIDNameBuffer, 1, 1, PGPError,                                                   \
      (PGPKeyDBObjRef, PGPSize size, char* buffer, PGPSize* length))                                   \
    E(PGPPeekKeyDBObjKey, 2, 13, PGPKeyDBObjRef, (PGPKeyDBObjRef))                                     \
    E(PGPGetKeyID, 1, 13, PGPError, (PGPKeyDBObjRef, PGPKeyID*))                                       \
    E(PGPGetKeyIDString, 1, 13, PGPError, (const PGPKeyID*, int32_t type, char* text))                 \
    E(PGPNewKeyIDFromString, 2, 13, PGPError, (const char* text, int32_t algorithm, PGPKeyID*))        \
    E(PGPGetKeyIDFromString, 1, 1, PGPError, (const char* text, PGPKeyID*))                            \
    E(PGPFindKeyByKeyID, 2, 13, PGPError, (PGPKeyDBRef, const PGPKeyID*, PGPKeyDBObjRef*))             \
    E(PGPGetKeyByKeyID, 1, 1, PGPError, (PGPKeySetRef, const PGPKeyID*, int32_t algorithm, PGPKeyDBObjRef*)) \
    E(PGPCountRevocationKeys, 1, 13, PGPError, (PGPKeyDBObjRef, uint32_t* count))                      \
    E(PGPGetIndexedRevocationKey, 2, 13, PGPError,                                                     \
      (PGPKeyDBObjRef, uint32_t index, PGPKeyDBObjRef*, PGPKeyID*))                                    \
    N(PGPGetIndexedRevocationKeyGen1, "PGPGetIndexedRevocationKey", 1, 1, PGPError,                    \
      (PGPKeyDBObjRef, PGPKeySetRef, uint32_t index, PGPKeyDBObjRef*, PGPKeyID*))                      \
    E(PGPCountAdditionalRecipientRequests, 1, 13, PGPError, (PGPKeyDBObjRef, uint32_t* count))         \
    E(PGPGetIndexedAdditionalRecipientRequestKey, 2, 13, PGPError,                                     \
      (PGPKeyDBObjRef, uint32_t index, PGPKeyDBObjRef*, PGPKeyID*, uint8_t* keyClass))                 \
    N(PGPGetIndexedAdditionalRecipientRequestKeyGen1, "PGPGetIndexedAdditionalRecipientRequestKey", 1, 1, \
      PGPError, (PGPKeyDBObjRef, PGPKeySetRef, uint32_t index, PGPKeyDBObjRef*, PGPKeyID*, uint8_t*))  \
    E(PGPGetSigCertifierKey, 1, 13, PGPError, (PGPKeyDBObjRef sig, PGPHandle dbOrSet, PGPKeyDBObjRef*)) \
    E(PGPRemoveSig, 2, 13, PGPError, (PGPKeyDBObjRef))                                                 \
    E(PGPRemoveUserID, 2, 13, PGPError, (PGPKeyDBObjRef))                                              \
    E(PGPChangePassphrase, 1, 13, PGPError, (PGPKeyDBObjRef, ...))                                     \
    E(PGPChangeSubKeyPassphrase, 1, 1, PGPError, (PGPKeyDBObjRef, ...))                                \
    E(PGPPassphraseIsValid, 1, 13, PGPBoolean, (PGPKeyDBObjRef, ...))                                  \
    E(PGPPurgeNamedPassphraseCache, 2, 13, PGPError, (PGPContextRef, const char* name))                \
    E(PGPPurgePassphraseCache, 2, 13, PGPError, (PGPContextRef))                                       \
    E(PGPCountCachedNamedPassphrases, 2, 13, PGPError,                                                 \
      (PGPContextRef, const char* name, uint32_t* local, uint32_t* shared, uint32_t* localDB, uint32_t* sharedDB)) \
    E(PGPCountCachedPassphrases, 2, 13, PGPError,                                                      \
      (PGPContextRef, uint32_t* local, uint32_t* shared, uint32_t* localDB, uint32_t* sharedDB))       \
    E(PGPImport, 2, 13, PGPError, (PGPContextRef, PGPKeyDBRef*, ...))                                  \
    E(PGPImportKeySet, 1, 1, PGPError, (PGPContextRef, PGPKeySetRef*, ...))                            \
    E(PGPExport, 2, 13, PGPError, (PGPContextRef, ...))                                                \
    E(PGPExportKeySet, 1, 1, PGPError, (PGPKeySetRef, ...))                                            \
    E(PGPVerifyX509CertificateChain, 2, 13, PGPError, (PGPContextRef, const uint8_t* chain, const uint8_t* root)) \
    E(PGPNewGroupSetFromFile, 1, 13, PGPError, (PGPContextRef, PGPFileSpecRef, PGPGroupSetRef*))       \
    E(PGPCountGroupsInSet, 1, 13, PGPError, (PGPGroupSetRef, uint32_t* count))                         \
    E(PGPGetIndGroupID, 1, 13, PGPError, (PGPGroupSetRef, uint32_t index, PGPGroupID*))                \
    E(PGPGetGroupInfo, 1, 13, PGPError, (PGPGroupSetRef, PGPGroupID, PGPGroupInfo*))                   \
    E(PGPCountGroupItems, 1, 13, PGPError,                                                             \
      (PGPGroupSetRef, PGPGroupID, PGPBoolean recursive, uint32_t* keys, uint32_t* total))             \
    E(PGPNewGroupItemIter, 1, 13, PGPError, (PGPGroupSetRef, PGPGroupID, uint32_t flags, PGPGroupItemIterRef*)) \
    E(PGPGroupItemIterNext, 1, 13, PGPError, (PGPGroupItemIterRef, PGPGroupItem*))                     \
    E(PGPFreeGroupItemIter, 1, 13, PGPError, (PGPGroupItemIterRef))                                    \
    E(PGPFreeGroupSet, 1, 13, PGPError, (PGPGroupSetRef))                                              \
    E(PGPsdkLoadDefaultPrefs, 1, 1, PGPError, (PGPContextRef))                                         \
    E(PGPsdkPrefGetFileSpec, 1, 1, PGPError, (PGPContextRef, int32_t pref, PGPFileSpecRef*))           \
    E(PGPsdkPrefGetData, 1, 1, PGPError, (PGPContextRef, int32_t pref, void** data, PGPSize* size))

// Network library ("PGPsdkNL.dll"), cdecl.
#define PGP_NETWORK_ENTRIES(E, N)                                                                      \
    E(PGPsdkNetworkLibInit, 1, 13, PGPError, (uint32_t flags))                                         \
    E(PGPsdkNetworkLibCleanup, 1, 13, PGPError, ())                                                    \
    E(PGPNewTLSContext, 1, 13, PGPError, (PGPContextRef, PGPtlsContextRef*))                           \
    E(PGPFreeTLSContext, 1, 13, PGPError, (PGPtlsContextRef))                                          \
    E(PGPKeyServerInit, 1, 13, PGPError, ())                                                           \
    E(PGPKeyServerCleanup, 1, 13, PGPError, ())                                                        \
    E(PGPKeyServerCreateThreadStorage, 1, 13, PGPError, (PGPKeyServerThreadStorageRef*))               \
    E(PGPKeyServerDisposeThreadStorage, 1, 13, PGPError, (PGPKeyServerThreadStorageRef))               \
    E(PGPNewKeyServer, 1, 13, PGPError, (PGPContextRef, int32_t serverClass, PGPKeyServerRef*, ...))   \
    E(PGPFreeKeyServer, 1, 13, PGPError, (PGPKeyServerRef))                                            \
    E(PGPONetURL, 1, 13, PGPOptionListRef, (PGPContextRef, const char* url))                           \
    E(PGPOKeyServerSearchFilter, 1, 13, PGPOptionListRef, (PGPContextRef, PGPFilterRef))

// User-interface library ("PGPsdkUI.dll"), cdecl.
#define PGP_UI_ENTRIES(E, N)                                                                           \
    E(PGPsdkUILibInit, 1, 13, PGPError, (uint32_t flags))                                              \
    E(PGPsdkUILibCleanup, 1, 13, PGPError, ())                                                         \
    E(PGPPassphraseDialog, 1, 13, PGPError, (PGPContextRef, ...))                                      \
    E(PGPConventionalEncryptionPassphraseDialog, 1, 13, PGPError, (PGPContextRef, ...))                \
    E(PGPConventionalDecryptionPassphraseDialog, 1, 13, PGPError, (PGPContextRef, ...))                \
    E(PGPSigningPassphraseDialog, 1, 13, PGPError, (PGPContextRef, PGPHandle dbOrSet, PGPKeyDBObjRef*, ...)) \
    E(PGPDecryptionPassphraseDialog, 1, 13, PGPError,                                                  \
      (PGPContextRef, PGPKeySetRef recipients, uint32_t keyIDCount, const PGPKeyID*, PGPKeyDBObjRef*, ...)) \
    E(PGPSearchKeyServerDialog, 1, 13, PGPError,                                                       \
      (PGPContextRef, uint32_t serverCount, const PGPKeyServerRef* servers, PGPtlsContextRef,          \
       PGPBoolean searchAll, PGPHandle* foundKeys, ...))                                               \
    E(PGPOUIWindowTitle, 1, 13, PGPOptionListRef, (PGPContextRef, const char* title))                  \
    E(PGPOUIDialogPrompt, 1, 13, PGPOptionListRef, (PGPContextRef, const char* prompt))                \
    E(PGPOUIOutputPassphrase, 1, 13, PGPOptionListRef, (PGPContextRef, char** passphrase))             \
    E(PGPOUIParentWindowHandle, 1, 13, PGPOptionListRef, (PGPContextRef, void* window))                \
    E(PGPOUIDefaultKey, 1, 13, PGPOptionListRef, (PGPContextRef, PGPKeyDBObjRef))                      \
    E(PGPOUIFindMatchingKey, 1, 13, PGPOptionListRef, (PGPContextRef, PGPBoolean))                     \
    E(PGPOUIVerifyPassphrase, 1, 13, PGPOptionListRef, (PGPContextRef, PGPBoolean))

// Client library from generation 2 on ("PGPclientLib.dll" or "PGPcl.dll"): stdcall, decorated names.
#define PGP_CLIENT_ENTRIES(E, N)                                                                       \
    N(PGPclInitLibrary, "_PGPclInitLibrary@8", 2, 13, PGPError, (PGPContextRef * context, uint32_t flags)) \
    N(PGPclCloseLibrary, "_PGPclCloseLibrary@0", 2, 13, PGPError, ())                                  \
    N(PGPclNotifyPrefsChanges, "_PGPclNotifyPrefsChanges@4", 2, 13, PGPError, (uint32_t processID))     \
    N(PGPclNotifyKeyringChanges, "_PGPclNotifyKeyringChanges@8", 2, 13, PGPError,                      \
      (uint32_t flags, uint32_t processID))                                                            \
    N(PGPclSelectKeys, "_PGPclSelectKeys@28", 2, 13, PGPError,                                         \
      (PGPContextRef, PGPtlsContextRef, void* window, const char* prompt, PGPKeySetRef from,           \
       uint32_t single, PGPKeySetRef* selected))                                                       \
    N(PGPclSelectX509Cert, "_PGPclSelectX509Cert@24", 2, 13, PGPError,                                 \
      (PGPContextRef, void* window, const char* prompt, PGPKeySetRef from, uint32_t flags,             \
       PGPKeyDBObjRef* certificate))

// Client library of generation 1: cdecl, undecorated names.
#define PGP_CLIENT_GEN1_ENTRIES(E, N)                                                                  \
    N(PGPclInitLibraryGen1, "PGPclInitLibrary", 1, 1, PGPError, (PGPContextRef))                       \
    N(PGPclCloseLibraryGen1, "PGPclCloseLibrary", 1, 1, PGPError, ())                                  \
    N(PGPclNotifyPrefsChangesGen1, "PGPclNotifyPrefsChanges", 1, 1, PGPError, (uint32_t processID))     \
    N(PGPclNotifyKeyringChangesGen1, "PGPclNotifyKeyringChanges", 1, 1, PGPError, (uint32_t processID)) \
    E(PGPclSelectKeysEx, 1, 1, PGPError,                                                               \
      (PGPContextRef, PGPtlsContextRef, void* window, const char* prompt, PGPKeySetRef from,           \
       PGPKeySetRef defaults, uint32_t single, PGPKeySetRef* selected))                                \
    E(PGPclOpenClientPrefs, 1, 1, PGPError, (PGPMemoryMgrRef, PGPHandle* prefs))                       \
    E(PGPclCloseClientPrefs, 1, 1, PGPError, (PGPHandle prefs, PGPBoolean save))                       \
    E(PGPclGetPrefBoolean, 1, 1, PGPError, (PGPHandle prefs, int32_t index, PGPBoolean*))              \
    E(PGPclGetPrefNumber, 1, 1, PGPError, (PGPHandle prefs, int32_t index, uint32_t*))                 \
    E(PGPclGetPrefStringAlloc, 1, 1, PGPError, (PGPHandle prefs, int32_t index, char**))               \
    E(PGPclGetPrefData, 1, 1, PGPError, (PGPHandle prefs, int32_t index, PGPSize*, void**))            \
    E(PGPclSetPrefData, 1, 1, PGPError, (PGPHandle prefs, int32_t index, PGPSize, const void*))

// Support library ("PGPsc.dll"), cdecl. Text-taking names are bound twice: 8-bit for generations
// 2..4, UTF-16 from 5 on.
#define PGP_SUPPORT_ENTRIES(E, N)                                                                      \
    E(PGPscWipeFileList, 2, 13, PGPError,                                                              \
      (void* window, PGPContextRef, void* fileList, uint32_t flags, uint32_t passes))                  \
    N(PGPscCmdLineToFileListA, "PGPscCmdLineToFileList", 2, 4, void*, (const char* text))              \
    N(PGPscCmdLineToFileListW, "PGPscCmdLineToFileList", 5, 13, void*, (const char16_t* text))         \
    N(PGPscSendPGPlogMsgA, "PGPscSendPGPlogMsg", 2, 4, PGPError, (void* window, const char* text))     \
    N(PGPscSendPGPlogMsgW, "PGPscSendPGPlogMsg", 5, 13, PGPError, (void* window, const char16_t* text)) \
    E(PGPscSecureViewer, 2, 13, PGPError,                                                              \
      (void* window, const void* text, uint32_t byteLength, PGPBoolean isWide))                        \
    E(WipeFileList, 1, 1, PGPError, (void* window, PGPContextRef, void* fileList, uint32_t flags, uint32_t passes)) \
    E(CmdLineToFileList, 1, 1, void*, (const char* text))                                              \
    E(SendPGPlogMsg, 1, 1, PGPError, (void* window, const char* text))
