// The dialogs the plug-in's menu commands open.
#pragma once

#include "engine/PGPInterfaceTexts.h"

#include <string>

class ICommandDialogs {
public:
    virtual ~ICommandDialogs() = default;
    // The about box; writeToMaker is set when the user asked to write to the maker, keyText holds
    // the maker's key when the user asked for it.
    virtual void ShowAboutBox(bool& writeToMaker, std::string& keyText) = 0;
    // True when the configuration changed so that the mail client must restart.
    virtual bool EditConfiguration() = 0;
    virtual void ShowFolderViewer() = 0;
    // The recipient-list dialog for new pairs; true when accepted.
    virtual bool AddEntriesToAutoList(const TKeyIDData& pairs, bool certificates) = 0;
    virtual void AddKeyringToAutoList() = 0;
    virtual void EditAutoList() = 0;
    virtual void AddAddressBookToAutoList(int index) = 0;
};
