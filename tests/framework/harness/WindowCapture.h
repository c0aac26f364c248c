// Window pictures for tests and people: a window (frame included) is drawn into a bitmap, which can
// be checked pixel by pixel or written as a PNG file.
#pragma once

#include "framework/Graphics.h"

#include <string>

#include <windows.h>

// Draws the window with its children into bitmap (resized to the window); false on failure.
bool CaptureWindow(HWND window, TBitmap& bitmap);
// Writes the bitmap as a 24-bit PNG; false when the file cannot be written.
bool SaveBitmapAsPng(const TBitmap& bitmap, const std::string& fileName);
// Writes a PNG of the window for people to look at, named name + ".png", into the folder in the
// environment variable ZAVEK_CAPTURE_DIR or else the temporary folder. Returns the file name, or ""
// on failure.
std::string SaveWindowPicture(HWND window, const std::string& name);
// True when every pixel has the same colour.
bool IsUniform(const TBitmap& bitmap);
