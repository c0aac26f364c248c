// What the configuration dialog needs of the plug-in: the settings it edits, their save, the keys,
// the PGP and system facts and two interactive helpers. The plug-in gives the real ones; tests give
// a stand-in.
#pragma once

#include "foundation/OptionValues.h"

#include <string>
#include <vector>

// The settings the dialog edits: the options, the key server and the two mail-client settings.
// The time server and its port are the ones in use, the system's for unset ones.
struct TConfigSettings {
    TOptionValues Values;
    TKeyServerRecord KeyServer;
    TOptionHostSettings HostSettings;

    bool operator==(const TConfigSettings&) const = default;
};

// One signing key offered as default user.
struct TSigningKeyChoice {
    std::string Line;       // the list line, "user id (size)"
    std::string StoredText; // what the options keep: user id + "\" + key id
    std::string KeyID;      // "0x" + 8 or 16 hex digits
    std::string LabelText;  // key id text, a blank and the algorithm name
};

class IConfigDialogSources {
public:
    virtual ~IConfigDialogSources() = default;
    // The live settings as they are now.
    virtual TConfigSettings LiveSettings() = 0;
    // Makes the settings the live ones and saves them, with PGP's, the clock's and the mail
    // client's; throws when they could not be saved.
    virtual void SaveSettings(const TConfigSettings& settings) = 0;
    virtual std::vector<TSigningKeyChoice> SigningKeys() = 0;
    // Whether PGP lets the user choose the hash algorithm.
    virtual bool OffersHashChoice() = 0;
    virtual std::vector<std::string> SystemTimeServers() = 0;
    // The key-ring file dialog; kind 0 secret ring, 1 public ring, 2 groups. False when cancelled.
    virtual bool ChooseKeyRingFile(const std::string& title, int kind, std::string& fileName) = 0;
    // Lets the user pick a mail folder and returns its largest header block in lines (0: none).
    virtual int MeasureHeaderLines() = 0;
};
