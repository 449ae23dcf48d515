#ifndef KESTO_TESTS_WIN32_WINDOWCAPTURE_H
#define KESTO_TESTS_WIN32_WINDOWCAPTURE_H

#include <windows.h>

#include <string>

// Writes what the screen shows of a window, frame included, as a 24-bit BMP
// file. False with a reason when the window, the copy or the file failed.
bool SaveWindowBitmap(HWND hWnd, const std::string& sPath, std::string* psError);

#endif
