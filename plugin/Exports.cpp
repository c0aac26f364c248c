// Exported functions: each converts its arguments, makes sure the main object exists, takes the
// busy state where the mail client waits on a message, and hands over to the main object. No
// exception leaves an export: it becomes the export's failure value.
#include "plugin/Exports.h"

#include "framework/Application.h"
#include "framework/UnitRegistry.h"
#include "engine/PrefFuncs.h"
#include "engine/sdk/pgpBase.h"
#include "foundation/FileUtilsWin.h"
#include "foundation/PhaseTimes.h"
#include "foundation/Processes.h"
#include "foundation/RichEd20.h"
#include "engine/CertStore.h"
#include "plugin/MailServicesHost.h"
#include "foundation/UTF8.h"
#include "foundation/UxThemes.h"
#include "foundation/WindowUtils.h"
#include "plugin/Guard.h"
#include "plugin/MainClass.h"

#include <string>

namespace {
HMODULE g_module = nullptr;

constexpr uint32_t HIGHEST_INTERFACE_MAJOR = 0x100;
constexpr int32_t DECRYPT_WRITTEN = 2;
constexpr int32_t VERIFY_RESULT = -2;

void FinalizeAfterHostShutDown();

// The library's units in their order; the main object comes last, over everything it uses. The
// SDK loads first (the preferences need its generation) and so unloads last.
UnitRegistry& Units()
{
    static UnitRegistry units({
        { "PGPsdk", [] { EnsurePGPsdk(); }, [] { ReleasePGPsdk(); } },
        // The system libraries of Processes, RichEd20 and Crypt32 are bound at their first use.
        { "Processes", nullptr, [] { DoneProcesses(); } },
        { "FileUtils", [] { InitFileUtils(); }, [] { DoneFileUtils(); } },
        { "RichEd20", nullptr, [] { DoneRichEd20(); } },
        { "MailServices", [] { BindHostMailServices(); }, [] { UnbindHostMailServices(); } },
        { "Crypt32", nullptr, [] { DoneCrypt32(); } },
        { "WindowUtils", [] { InitWindowUtils(); }, [] { DoneWindowUtils(); } },
        { "UxThemes", [] { LoadUxThemeApi(); }, [] { DoneUxThemes(); } },
        { "UTF8", [] { InitUTF8(); }, [] { DoneUTF8(); } },
        { "PrefFuncs", [] { InitPrefFuncs(); }, [] { DonePrefFuncs(); } },
        { "Forms", nullptr, [] { Application().Shutdown(); } },
        { "ZAVEKMainClass", [] { TMainClass::UnitInitialisation(g_module)->OnHostDone = FinalizeAfterHostShutDown; },
            [] { TMainClass::UnitFinalisation(); } },
    });
    return units;
}

// The mail client destroyed the plug-in window: the units finalise once that window's procedure
// has returned, on the mail client's thread and outside the loader lock, where freeing libraries
// and waiting for threads are safe. A shut-down inside a request leaves it to the unload.
void FinalizeAfterHostShutDown()
{
    Application().Utility().Post([] {
        TMainClass* main = TMainClass::Instance();
        if (!main || !main->Busy().InRequest())
            Units().Finalize();
    });
}

// The units initialise on the first export call, on the mail client's thread, never in DllMain.
TMainClass* MainObject()
{
    Units().EnsureInitialized();
    return TMainClass::Instance();
}

std::string Text(const char* text)
{
    return text ? std::string(text) : std::string();
}

// Marks the main object busy for the time of a scope.
class TBusyScope {
public:
    explicit TBusyScope(TMainClass& main)
        : main_(main)
    {
        main_.SetBusy(true);
    }
    ~TBusyScope() { main_.SetBusy(false); }
    TBusyScope(const TBusyScope&) = delete;
    TBusyScope& operator=(const TBusyScope&) = delete;

private:
    TMainClass& main_;
};

// Pumps the thread's messages for one double-click interval; stops early on WM_QUIT (kept queued).
void WaitDoubleClickInterval()
{
    const DWORD interval = GetDoubleClickTime();
    const DWORD start = GetTickCount();
    for (;;) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(msg.wParam));
                return;
            }
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed >= interval)
            return;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, interval - elapsed, QS_ALLINPUT);
    }
}

int32_t EncryptOrSign(const char* where, const TEncryptorRequest* request, TRequestedAction requested)
{
    return Guarded(where, int32_t(0), [&]() -> int32_t {
        TMainClass* main = MainObject();
        if (!main || !request)
            return 0;
        TRequestScope inRequest(main->Busy());
        if (!inRequest.Granted())
            return 0;
        TPhaseTimes phases("export");
        TBusyScope busy(*main);
        const int32_t result = main->EncryptRequest(Text(request->InFile), Text(request->OutFile),
            Text(request->Recipient), Text(request->Method), requested);
        phases.Mark("request");
        return result;
    });
}

// A decrypt that may not run hands the message back unchanged, as a refused decode does.
int32_t CopyThrough(const TEncryptorRequest& request)
{
    const std::string in = Text(request.InFile), out = Text(request.OutFile);
    if (in.empty() || out.empty())
        return 0;
    return CopyFileA(in.c_str(), out.c_str(), FALSE) ? DECRYPT_WRITTEN : 0;
}

// Runs a command export's body once the start-up without a parent has given a plug-in window.
template <class Body> void CommandExport(const char* where, Body&& body)
{
    GuardedVoid(where, [&] {
        TMainClass* main = MainObject();
        if (main && main->CreatePluginWindow(nullptr, 0))
            body(*main);
    });
}
} // namespace

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    if (reason == DLL_PROCESS_ATTACH)
        g_module = instance;
    // FreeLibrary before the mail client's shut-down finalised the units: under the loader lock
    // nothing may wait for a thread or free a library, so only what would call into the unmapped
    // code is given back. At process exit (reserved set) the process takes everything with it.
    if (reason == DLL_PROCESS_DETACH && reserved == nullptr) {
        TMainClass::ReleaseAtUnload();
        Application().ReleaseWindows();
    }
    return TRUE;
}

extern "C" {

uint32_t WINAPI FORMINIT(uint32_t version, uint32_t, HWND parent, uint32_t, HWND* pluginWindow, uint32_t)
{
    return Guarded("FORMINIT", uint32_t(0), [&]() -> uint32_t {
        TMainClass* main = MainObject();
        if (!main || (version & 0xFF00) > HIGHEST_INTERFACE_MAJOR)
            return 0;
        HWND window = main->CreatePluginWindow(parent, version & 0xFFFF);
        if (pluginWindow)
            *pluginWindow = window;
        return window ? 1 : 0;
    });
}

int32_t WINAPI ENCRYPT(const TEncryptorRequest* request)
{
    return EncryptOrSign("ENCRYPT", request, TRequestedAction::Encrypt);
}

int32_t WINAPI SIGN(const TEncryptorRequest* request)
{
    return EncryptOrSign("SIGN", request, TRequestedAction::Sign);
}

int32_t WINAPI DECRYPT(const TEncryptorRequest* request)
{
    return Guarded("DECRYPT", int32_t(0), [&]() -> int32_t {
        TMainClass* main = MainObject();
        if (!main || !request)
            return 0;
        // The guard is taken before the pump: messages dispatched in it may call exports.
        TRequestScope inRequest(main->Busy());
        if (!inRequest.Granted())
            return CopyThrough(*request);
        // The wait is timed as it ran, the messages it dispatched for the mail client among it.
        TPhaseTimes phases("export");
        WaitDoubleClickInterval();
        phases.Mark("wait");
        TBusyScope busy(*main);
        const int32_t result
            = main->DecryptMessage(Text(request->InFile), Text(request->OutFile), request->HostContext);
        phases.Mark("request");
        return result;
    });
}

int32_t WINAPI VERIFY(const char* fileName, uint32_t)
{
    GuardedVoid("VERIFY", [&] {
        TMainClass* main = MainObject();
        if (!main)
            return;
        TRequestScope inRequest(main->Busy());
        if (!inRequest.Granted())
            return;
        TBusyScope busy(*main);
        main->VerifyFile(Text(fileName));
    });
    return VERIFY_RESULT;
}

int32_t WINAPI MANAGE(const char* fileName)
{
    GuardedVoid("MANAGE", [&] {
        TMainClass* main = MainObject();
        if (!main)
            return;
        TRequestScope inRequest(main->Busy());
        if (!inRequest.Granted())
            return;
        TBusyScope busy(*main);
        main->ManageKeys(Text(fileName), -1);
    });
    return 0;
}

int32_t WINAPI DESTROY(const char* fileName)
{
    return Guarded("DESTROY", int32_t(0), [&]() -> int32_t {
        TMainClass* main = MainObject();
        const std::string name = Text(fileName);
        if (!main || name.empty())
            return 0;
        TRequestScope inRequest(main->Busy());
        if (!inRequest.Granted())
            return 0;
        TBusyScope busy(*main);
        main->WipeFile(name);
        // Destroyed means gone: a file that survived the wipe is not reported as destroyed.
        return GetFileAttributesA(name.c_str()) == INVALID_FILE_ATTRIBUTES ? 1 : 0;
    });
}

void WINAPI USERSETUP(const char* arguments)
{
    CommandExport("USERSETUP", [&](TMainClass& main) { main.UserSetup(Text(arguments)); });
}

void WINAPI USERUNINSTALL()
{
    CommandExport("USERUNINSTALL", [](TMainClass& main) { main.UserUninstall(); });
}

void WINAPI USERUPDATE(const char* arguments)
{
    CommandExport("USERUPDATE", [&](TMainClass& main) { main.UserUpdate(Text(arguments)); });
}

void WINAPI PMRESTART(const char* identity, HWND mailClient)
{
    CommandExport("PMRESTART", [&](TMainClass& main) { main.RestartMailClient(Text(identity), mailClient); });
}

void WINAPI SYNCTIME(BOOL showResult)
{
    CommandExport("SYNCTIME", [&](TMainClass& main) { main.SyncTime(showResult != FALSE); });
}

void WINAPI HTMLPAGE(const char* page)
{
    CommandExport("HTMLPAGE", [&](TMainClass& main) { main.OpenHtmlPage(Text(page)); });
}

void WINAPI PGPHELP(const char* topic)
{
    CommandExport("PGPHELP", [&](TMainClass& main) { main.ShowPGPHelp(Text(topic)); });
}

void WINAPI MANUAL(const char* topic)
{
    CommandExport("MANUAL", [&](TMainClass& main) { main.ShowManual(Text(topic)); });
}

void WINAPI CLEANUP()
{
    CommandExport("CLEANUP", [](TMainClass& main) { main.Cleanup(); });
}
}
