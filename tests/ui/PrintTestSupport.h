// What the print dialogs' stand-ins hand back: the DEVNAMES block of a chosen printer.
#pragma once

#include <windows.h>

#include <commdlg.h>

#include <cstring>
#include <string>

// A movable block naming the "winspool" driver and the device, with an empty port.
inline HGLOBAL DevNamesFor(const std::string& device)
{
    const std::size_t size = sizeof(DEVNAMES) + 9 + device.size() + 1 + 1;
    HGLOBAL memory = GlobalAlloc(GHND, size);
    auto* names = static_cast<DEVNAMES*>(GlobalLock(memory));
    char* text = reinterpret_cast<char*>(names);
    names->wDriverOffset = sizeof(DEVNAMES);
    std::strcpy(text + names->wDriverOffset, "winspool");
    names->wDeviceOffset = static_cast<WORD>(names->wDriverOffset + 9);
    std::strcpy(text + names->wDeviceOffset, device.c_str());
    names->wOutputOffset = static_cast<WORD>(names->wDeviceOffset + device.size() + 1);
    GlobalUnlock(memory);
    return memory;
}
