// The plug-in's exported functions: the mail client's extension interface and the entry points
// the helper program binds by ordinal. All use the standard Windows calling convention.
#pragma once

#include <windows.h>

#include <cstdint>

// The mail client's request record, passed by pointer to ENCRYPT, SIGN and DECRYPT.
// A host format: every field 32 bits wide; the plug-in never writes into it.
#pragma pack(push, 4)
struct TEncryptorRequest {
    uint32_t Reserved0;
    uint32_t Reserved1;
    uint32_t HostContext;     // handed to the decrypt road, not interpreted
    const char* Method;       // "S/MIME", "PGP/MIME", anything else inline PGP
    const char* InFile;
    const char* OutFile;      // may be empty
    const char* Recipient;    // may be empty
};
#pragma pack(pop)
static_assert(sizeof(TEncryptorRequest) == 28, "host record layout");

extern "C" {
uint32_t WINAPI FORMINIT(uint32_t version, uint32_t, HWND parent, uint32_t, HWND* pluginWindow, uint32_t);
int32_t WINAPI ENCRYPT(const TEncryptorRequest* request);
int32_t WINAPI DECRYPT(const TEncryptorRequest* request);
int32_t WINAPI SIGN(const TEncryptorRequest* request);
int32_t WINAPI VERIFY(const char* fileName, uint32_t);
int32_t WINAPI MANAGE(const char* fileName);
int32_t WINAPI DESTROY(const char* fileName);
void WINAPI USERSETUP(const char* arguments);
void WINAPI USERUNINSTALL();
void WINAPI USERUPDATE(const char* arguments);
void WINAPI PMRESTART(const char* identity, HWND mailClient);
void WINAPI SYNCTIME(BOOL showResult);
void WINAPI HTMLPAGE(const char* page);
void WINAPI PGPHELP(const char* topic);
void WINAPI MANUAL(const char* topic);
void WINAPI CLEANUP();
}
