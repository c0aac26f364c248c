// The main object's configuration command: the configuration dialog over the live options, fed
// with the signing keys, time servers and file dialog of the running plug-in, and the restart of
// the mail client the dialog may ask for.
#include "plugin/MainClass.h"

#include "engine/PGPInterface.h"
#include "engine/sdk/pgpBase.h"
#include "ui/dialogs/KeyFileDialogs.h"
#include "foundation/ZAVEKCommon.h"
#include "plugin/ConfigSettings.h"
#include "plugin/PMInterface.h"
#include "ui/dialogs/ConfigDialog.h"

namespace {

class TMainConfigSources : public IConfigDialogSources {
public:
    TMainConfigSources(TMainClass& main, HWND owner)
        : main_(main)
        , owner_(owner)
    {
    }

    TConfigSettings LiveSettings() override { return ConfigSettingsOf(main_); }

    void SaveSettings(const TConfigSettings& settings) override { SaveConfigSettings(main_, settings); }

    std::vector<TSigningKeyChoice> SigningKeys() override
    {
        TPGPInterface& pgp = main_.PGPInterface();
        std::vector<TSigningKeyChoice> keys;
        if (pgp.FindSigningKeys("") > 0) {
            const TKeyPropsList& list = pgp.KeyList();
            TStringList lines; // "user id (size)", one per key of the list
            pgp.FillKeyChoices("", lines);
            for (int i = 0; i < list.Count() && i < lines.Count(); ++i) {
                const TKeyPropsRec& key = list.Record(i);
                keys.push_back({ lines[i], key.UserID + "\\" + key.KeyID, key.KeyID,
                    key.KeyID + " " + main_.Texts().GetAlgorithmName(key.Algorithm) });
            }
        }
        pgp.ClearKeyList();
        return keys;
    }

    bool OffersHashChoice() override { return main_.PGPInterface().StrongHashesAllowed(); }

    std::vector<std::string> SystemTimeServers() override
    {
        TStringList list;
        GetTimeServerList(list);
        std::vector<std::string> servers;
        for (int i = 0; i < list.Count(); ++i)
            servers.push_back(list[i]);
        return servers;
    }

    bool ChooseKeyRingFile(const std::string& title, int kind, std::string& fileName) override
    {
        const std::string chosen = OpenKeyringFileDialog(
            title, PGPInstallPath, fileName, static_cast<TKeyringKind>(kind), owner_);
        if (chosen.empty())
            return false;
        fileName = chosen;
        return true;
    }

    int MeasureHeaderLines() override { return main_.PMInterface().MeasureHeaderLines(); }

private:
    TMainClass& main_;
    HWND owner_;
};

} // namespace

void TMainClass::EditConfiguration()
{
    TMainConfigSources sources(*this, ActiveDialogWindow() ? ActiveDialogWindow() : GetHostWindow());
    if (ShowConfigDialog(*this, sources, noParent_))
        RestartMailClient(PMInterface().GetIdentity(), GetHostWindow());
}
