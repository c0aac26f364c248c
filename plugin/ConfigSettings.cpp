// The live options as the configuration dialog edits them, and its result saved.
#include "plugin/ConfigSettings.h"

TConfigSettings ConfigSettingsOf(const TOptions& options)
{
    TConfigSettings settings { options.Values(), options.KeyServer(), options.HostSettings() };
    settings.Values.TimeServer = options.GetShowTimeServer();
    settings.Values.TimePort = options.GetShowTimePort();
    return settings;
}

void SaveConfigSettings(TOptions& options, const TConfigSettings& settings)
{
    TOptionValues values = settings.Values;
    if (values.TimeServer == options.GetShowTimeServer())
        values.TimeServer = options.Values().TimeServer;
    if (values.TimePort == options.GetShowTimePort())
        values.TimePort = options.Values().TimePort;
    options.Assign(values, settings.KeyServer, settings.HostSettings);
    options.SaveOptions();
}
