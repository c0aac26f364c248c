// The key-file dialogs: open and save dialogs with the filters, default extensions and
// start names of key files, key rings and saved parts. Each gives the chosen name, ":CLIP:" when
// the user took the clipboard button, or an empty text when cancelled.
#pragma once

#include <windows.h>

#include <string>

enum TKeyringKind : int {
    krSecretKeyring = 0,
    krPublicKeyring = 1,
    krGroups = 2,
};

std::string OpenKeyFileDialog(const std::string& Title, const std::string& ClipCaption, HWND Parent);
// Starts with the valid file name of Suggested + ".asc".
std::string SaveArmoredFileDialog(
    const std::string& Title, const std::string& ClipCaption, const std::string& Suggested, HWND Parent);
// Starts with the valid file name of Suggested + ".cer".
std::string SaveCertificateFileDialog(
    const std::string& Title, const std::string& ClipCaption, const std::string& Suggested, HWND Parent);
// Saves FileName under another name, in Folder (else the documents folder).
std::string SaveFileAsDialog(
    const std::string& FileName, const std::string& Folder, const std::string& Title, HWND Parent);
// One filter of the given patterns ("*.htm;*.html").
std::string SaveFileFilterDialog(
    const std::string& FileName, const std::string& Title, const std::string& Patterns, HWND Parent);
// Starts in Current's folder (DefaultFolder when that does not exist) with Current's extension.
std::string OpenKeyringFileDialog(const std::string& Title, const std::string& DefaultFolder,
    const std::string& Current, TKeyringKind Kind, HWND Parent);
