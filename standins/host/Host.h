// The stand-in mail client's state shared by its parts: its windows, the loaded plug-in and its
// exports, the settings table. One instance, owned by WinMain.
#pragma once

#include "plugin/Exports.h"
#include "plugin/HostApi.h"
#include "standins/host/HostScript.h"
#include "standins/host/HostSettings.h"

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

// The plug-in's exports as it declares them, so that a call here cannot drift from what it takes.
using TFormInit = decltype(&::FORMINIT);
using TRequestExport = decltype(&::ENCRYPT);
using TFileExport = decltype(&::VERIFY);
using TFileNameExport = decltype(&::MANAGE);
using TTextExport = decltype(&::HTMLPAGE);
using TPlainExport = decltype(&::CLEANUP);
using TFlagExport = decltype(&::SYNCTIME);
using TRestartExport = decltype(&::PMRESTART);

struct THost {
    HINSTANCE Instance = nullptr;
    THostSettings Settings;
    std::string PluginFromCommandLine; // --plugin: loaded instead of the form files' libraries
    std::string PluginPath; // of the loaded plug-in

    HWND Frame = nullptr;
    HWND MdiClient = nullptr;
    HWND StatusBar = nullptr;
    HWND StatusPanel = nullptr;
    HWND Toolbar = nullptr;
    HWND PluginHost = nullptr; // our window that answers the plug-in's requests
    HWND Script = nullptr; // runs the script steps
    HWND PluginWindow = nullptr; // the plug-in's window, from FORMINIT
    std::vector<HWND> Readers; // every reader created, in order (may be gone by now)
    HMODULE Plugin = nullptr;
    std::vector<HMODULE> FormLibraries; // the form files' other libraries, loaded for the process's life
    HMODULE Language = nullptr; // the loaded language library; nil: our own resources
    int EditorCount = 0;
    int NextButtonId = 100;
    bool Closing = false;

    HWND ActiveChild() const;
    HWND CreateReader(bool refuseClose);
    // A message window of the newer kind (the frame's class with a "WPMDLG_MRD" pane).
    HWND CreateMdiReader();
    HWND CreateEditor();
    // A folder window ("FOLDER") or the folder manager ("FOLMAN") with that title.
    HWND CreateFolderWindow(bool manager, const std::string& title);
    HWND CreateQueueWindow();
    // The window procedure is no longer the one of its class: someone subclassed it.
    static bool IsSubclassed(HWND window);
};

extern THost g_host;

// Answers a numbered request sent to the plug-in host window; false when it is none of them.
bool AnswerPluginRequest(UINT request, WPARAM wParam, LPARAM lParam, LRESULT& answer);

// Script steps are posted to the script window as these messages.
constexpr UINT WM_HOST_RUN_NEXT_STEP = WM_APP + 1;
constexpr UINT WM_HOST_RUN_QUEUED_STEP = WM_APP + 2;

// The running step waits for a state: the script stays on it and runs it again a moment later.
void HoldScriptStep();
// Runs the script step a message posted to the frame stands for; false when it is no step message.
bool RunScriptMessage(UINT message, WPARAM wParam);
// An editor's message was sent: the script's "onsend" step runs.
void RunEditorSendStep();
// The editor's encryption dialog: opened for an editor (the plug-in is told), a control clicked.
void OpenEncryptionDialog(HWND editor);
void ClickEncryptionDialog(int control);
void SelectEncryptor(const std::string& name);

// The toolbar strip under the menu bar and the plug-in's buttons on it (request 3097 and 3098).
constexpr int TOOLBAR_HEIGHT = 28;
void CreateToolbar(HWND frame);
LRESULT AddPluginButton(const HostApi::THostButtonRecord& record);
bool RemovePluginButton(int hostId);
// Clicks the plug-in's button of that command id; false when there is none.
bool ClickPluginButton(uint32_t commandId);
// The window of the plug-in's button of that command id; nil when there is none.
HWND PluginButtonWindow(uint32_t commandId);
// " COMMAND:EXTRA" for each of the plug-in's buttons, in the order of their host ids.
std::string PluginButtonList();

// Runs a step that inspects or drives what the plug-in added to the windows; false for others.
bool RunInspectStep(const THostStep& step);
// The further menus that carry the plug-in's menu (request 3087).
const HostApi::THostMenuRecord& HostMenuRecord();
// Runs a step that opens a message in a reader or walks the plug-in's viewers; false for others.
bool RunViewerStep(const THostStep& step);

// Writes the command line, folders, user name and identity under "Software\Pegasus Mail".
void WriteHostRegistry();
// A scripted run: notes the values found, then writes its own; puts the noted ones back at the end.
void StartScriptedRegistry();
void RestoreScriptedRegistry();
// Run by a person: the folders, user name and identity come from the values a user set (the
// identity of the command line wins); only missing ones are written, with the command line and
// base folder of this program.
void AdoptUserRegistry(bool identityGiven);

// Puts a message's text DECRYPT gave back into the active editor (a reply being written), else
// into the last open reader, as the mail client shows it.
void ShowDecryptedText(const std::string& text);

// Screen pictures (BMP): into a file; into the capture folder as "NN-NAME.bmp" when one is set.
bool CaptureScreen(const std::string& file);
void SetCaptureFolder(const std::string& folder);
void CaptureIntoFolder(const std::string& name);

// Closes dialogs of this thread whose caption contains a given text by clicking a given button.
void AddDialogAnswer(const std::string& captionPart, const std::string& button);
void StartDialogAnswerer(HWND timerWindow);
