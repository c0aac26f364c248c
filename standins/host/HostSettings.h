// The stand-in mail client's settings table: folders of the staged tree, user name, version, the
// numbered settings the plug-in reads and writes, and the texts it asks for. A script changes them
// with "set NAME VALUE", "setting INDEX VALUE" and "text INDEX VALUE".
#pragma once

#include <cstdint>
#include <map>
#include <string>

struct THostSettings {
    std::string BaseFolder; // with a trailing backslash
    std::string MailFolder;
    std::string NewMailFolder;
    std::string UserName = "Stand-in User";
    std::string Identity; // of the command line's -I option, or "set identity"
    std::string FolderChoice; // answer to the folder choice; empty = cancelled
    std::string To, Cc, Bcc; // fields of the active editor
    uint32_t Version = 0x452;
    uint32_t FormVersion = 0x112;
    std::map<int, int32_t> Integers;
    std::map<int, std::string> Texts;
    std::string FontFace = "Courier New";
    int16_t FontPoints = 10;
    uint8_t SignatureKind = 1;

    THostSettings();
    // False when the name is not a setting.
    bool Set(const std::string& name, const std::string& value);
    int32_t Integer(int index) const;
    std::string Text(int index) const;
};

// "0x452", "1106", "-1": a number in C notation; 0 when it is not one.
int64_t ParseNumber(const std::string& text);
