// The SDK loader: finds and loads the five SDK libraries, starts the SDK, works out its generation
// and records why loading failed. Every other engine unit reads SDKGeneration and SDKLoadError.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#if defined(_WIN32)
#include "framework/LibraryBinding.h"
#endif

// Generation index 1..13 of the loaded SDK; 0 until known or when the release is not recognised.
extern uint8_t SDKGeneration;
// 0 while loading went well, else the fatal code 1..8 of the step that failed.
extern int32_t SDKLoadError;
// The option word for PGPsdkInit, PGPsdkNetworkLibInit and PGPsdkUILibInit.
extern uint32_t SDKInitFlags;
// The SDK's own version text, or "N/A" when the SDK cannot give it.
extern char SDKVersionText[256];
extern std::string PGPInstallPath;
extern std::string ClientLibVersion;

// The five libraries: each owned while loaded (empty when not), and the full path it came from.
enum SDKLibrary { kCoreLibrary, kNetworkLibrary, kUILibrary, kClientLibrary, kSupportLibrary, kSDKLibraryCount };
#if defined(_WIN32)
extern TLibrary SDKLibraries[kSDKLibraryCount];
#endif
extern std::string SDKLibraryNames[kSDKLibraryCount];

// Where the loader looks and how it shows a fatal error; LoadPGPsdk uses the plug-in's folder, then
// PGP's install folder, and a message box.
struct SDKLoadPlan {
    std::vector<std::string> folders; // each ends with a backslash
    std::function<void(const char* text)> showFatal;
};

// Fatal texts and generation table (portable).
const char* SDKFatalErrorText(int32_t code);
uint32_t ParseMajorMinor(const std::string& text);
uint8_t GenerationOfVersion(uint32_t majorMinor);

// Loads the SDK once per process, then binds it (the binding units). Safe to call on every entry.
void EnsurePGPsdk();
// Undoes EnsurePGPsdk: binding finalizations, then UnloadPGPsdk.
void ReleasePGPsdk();

void LoadPGPsdk();
void LoadPGPsdkWith(const SDKLoadPlan& plan);
void UnloadPGPsdk();
uint8_t DetectSDKVersion();
int32_t ShowSDKFatalError(int32_t code);
std::string ReadPGPInstallPath(const char* key);
bool StartPGPService();
std::string GetSDKProductVersion();
std::string GetClientLibVersion();
std::string GetLibraryFolder();
