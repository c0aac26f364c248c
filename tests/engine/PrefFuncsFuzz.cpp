// Fuzz target for both preferences parsers: the first byte picks the text ('t') or the XML file,
// the rest is the file; every reader and the key-server write-back run over it.
#include "engine/PrefFuncs.h"
#include "PrefsMemoryHost.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    TPrefsMemoryHost host;
    const std::string appData = "C:\\AppData";
    int generation = data[0] == 't' ? 4 : 5;
    std::string path = PrefsFolder(appData, generation) + (generation == 4 ? "\\PGPprefs.txt" : "\\PGPprefs.xml");
    host.Put(path, std::string(reinterpret_cast<const char*>(data) + 1, size - 1));

    TPrefsFile prefs(host, generation, appData);
    TPreferenceRec rec;
    GetKeyRingPrefs(prefs, rec, 0x1F);
    std::vector<std::string> urls;
    GetKeyServerList(prefs, urls);
    TServerEntry entry;
    GetKeyServerPref(prefs, entry);
    std::string comment;
    GetCommentPref(prefs, comment);
    bool flag = false;
    GetShareCachePref(prefs, flag);
    GetMarginalIsInvalidPref(prefs, flag);
    int32_t number = 0;
    GetWipePassesPref(prefs, number);
    GetPassphraseCacheSeconds(prefs, number);
    std::vector<int32_t> algorithms;
    GetAllowedAlgorithms(prefs, algorithms, number);
    SetKeyServerPref(prefs, { 2, "h&<>\"", 80, 1 });
    for (int index = 0; index < prefs.Lines().Count();)
        prefs.GetXmlValue("", index);
    return 0;
}
