// The stand-in mail client's editor-library control inside its editor windows.
#pragma once

#include <windows.h>

#include <string>

// Adds the control to a new editor window; without the library beside the program it has none.
void CreateEditorControl(HWND editor);
void SetEditorControlText(HWND editor, const std::string& text);
// Logs every editor window's title and the text of its control.
void LogEditorTexts();
// A reader's message view: a control of the library over the reader below top.
void CreateReaderControl(HWND reader, int top);
// The message text as the reader shows it (plain text); false when the reader has no control.
bool SetReaderControlText(HWND reader, const std::string& text);
// Logs the text of the reader's control.
void LogReaderText(HWND reader);
