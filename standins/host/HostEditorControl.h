// The stand-in mail client's editor-library control inside its editor windows.
#pragma once

#include <windows.h>

#include <string>

// Adds the control to a new editor window; without the library beside the program it has none.
void CreateEditorControl(HWND editor);
void SetEditorControlText(HWND editor, const std::string& text);
// Logs every editor window's title and the text of its control.
void LogEditorTexts();
