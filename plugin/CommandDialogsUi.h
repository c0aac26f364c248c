// The menu commands' dialogs that this build has, over the ones it still lacks.
#pragma once

#include "plugin/CommandDialogs.h"

class TMainClass;

class TPluginCommandDialogs : public TUnbuiltCommandDialogs {
public:
    explicit TPluginCommandDialogs(TMainClass& main);
    void ShowAboutBox(bool& writeToMaker, std::string& keyText) override;
    bool EditConfiguration() override;

private:
    TMainClass& main_;
};
