// The menu commands' dialogs.
#pragma once

#include "plugin/AutoListDialogKeys.h"
#include "plugin/CommandDialogs.h"

class TMainClass;

class TPluginCommandDialogs : public ICommandDialogs {
public:
    explicit TPluginCommandDialogs(TMainClass& main);
    void ShowAboutBox(bool& writeToMaker, std::string& keyText) override;
    bool EditConfiguration() override;
    void ShowFolderViewer() override;
    bool AddEntriesToAutoList(const TKeyIDData& pairs, bool certificates) override;
    void AddKeyringToAutoList() override;
    void EditAutoList() override;
    void AddAddressBookToAutoList(int index) override;

private:
    int ChooseMode() const;

    TMainClass& main_;
    TPGPAutoListKeys keys_;
};
