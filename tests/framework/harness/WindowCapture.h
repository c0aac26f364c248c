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
// True when every pixel has the same colour.
bool IsUniform(const TBitmap& bitmap);
