// The menu commands' dialogs that this build has, over the ones it still lacks.
#pragma once

#include "plugin/AutoListDialogKeys.h"
#include "plugin/CommandDialogs.h"

class TMainClass;

class TPluginCommandDialogs : public TUnbuiltCommandDialogs {
public:
    explicit TPluginCommandDialogs(TMainClass& main);
    void ShowAboutBox(bool& writeToMaker, std::string& keyText) override;
    bool EditConfiguration() override;
    bool AddEntriesToAutoList(const TKeyIDData& pairs, bool certificates) override;
    void AddKeyringToAutoList() override;
    void EditAutoList() override;
    void AddAddressBookToAutoList(int index) override;

private:
    int ChooseMode() const;

    TMainClass& main_;
    TPGPAutoListKeys keys_;
};
