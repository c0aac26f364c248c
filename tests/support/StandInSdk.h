// Shared by the tests that run against the stand-in SDK: loading it for a test suite, and a scratch
// copy of a key-ring pair made by GnuPG at build time that the process's key store is pointed at.
#pragma once

#include "engine/KeyFuncs.h"
#include "engine/sdk/pgpBase.h"
#include "engine/sdk/pgpBindings.h"

#include <gtest/gtest.h>
#include <windows.h>

#include "support/ScratchFolder.h"

#include <algorithm>
#include <string>

// A Unix path as Wine sees it through drive Z:.
inline std::string WindowsPath(const std::string& unixPath)
{
    std::string path = "Z:" + unixPath;
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

// The stand-in's dialogs answer from this text for the rest of the process (each library reads
// the answers file once, at its first dialog); the file lies in the temporary folder.
inline void AnswerStandInDialogs(const std::string& name, const std::string& answers)
{
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    const std::string file = std::string(temp) + name;
    HANDLE handle = CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(handle, answers.data(), static_cast<DWORD>(answers.size()), &written, nullptr);
    CloseHandle(handle);
    SetEnvironmentVariableA("PGPSTANDIN_ANSWERS", file.c_str());
}

// The generation-13 stand-in from the build tree's variants (ZAVEK_PGPSDK_VARIANTS).
inline void LoadStandInSdk()
{
    SDKLoadPlan plan;
    plan.folders = { WindowsPath(std::string(ZAVEK_PGPSDK_VARIANTS) + "/g13/") };
    plan.showFatal = [](const char* text) { ADD_FAILURE() << text; };
    LoadPGPsdkWith(plan);
    BindPGPsdk();
}

// Copies pubring.pkr and secring.skr from a fixture folder (a Unix path) into the scratch folder and
// points the key store at the copies.
inline void UseKeyRingCopies(const TScratchFolder& scratch, const std::string& fixtureFolder)
{
    const std::string fixtures = WindowsPath(fixtureFolder + "/");
    for (const char* name : { "pubring.pkr", "secring.skr" })
        ASSERT_TRUE(CopyFileA((fixtures + name).c_str(), (scratch.path + name).c_str(), FALSE)) << name;
    ASSERT_EQ(KeyRings().SetRingFiles(scratch.path + "pubring.pkr", scratch.path + "secring.skr"), 0);
}
