// The plug-in's exported functions: the mail client's extension interface and the entry points
// the helper program binds by ordinal. All use the standard Windows calling convention.
#pragma once

#include "plugin/HostApi.h"

#include <windows.h>

#include <cstdint>

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
