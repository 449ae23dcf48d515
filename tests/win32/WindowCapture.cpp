#include "tests/win32/WindowCapture.h"

#include <cstdio>
#include <memory>
#include <vector>

bool SaveWindowBitmap(HWND hWnd, const std::string& sPath, std::string* psError) {
  RECT rect;
  if (!IsWindow(hWnd) || !GetWindowRect(hWnd, &rect)) {
    *psError = "no window to capture";
    return false;
  }
  const int cx = rect.right - rect.left;
  const int cy = rect.bottom - rect.top;
  if (cx <= 0 || cy <= 0) {
    *psError = "the window has no size";
    return false;
  }

  // The screen's copy, so the frame and every child control come out as drawn.
  HDC hScreen = GetDC(nullptr);
  HDC hMemory = CreateCompatibleDC(hScreen);
  HBITMAP hBitmap = CreateCompatibleBitmap(hScreen, cx, cy);
  HGDIOBJ hOld = SelectObject(hMemory, hBitmap);
  const BOOL bCopied = BitBlt(hMemory, 0, 0, cx, cy, hScreen, rect.left, rect.top, SRCCOPY);
  SelectObject(hMemory, hOld);

  BITMAPINFOHEADER header{};
  header.biSize = sizeof header;
  header.biWidth = cx;
  header.biHeight = cy;  // bottom-up, as BMP files store rows
  header.biPlanes = 1;
  header.biBitCount = 24;
  header.biCompression = BI_RGB;
  const size_t nStride = (static_cast<size_t>(cx) * 3 + 3) & ~static_cast<size_t>(3);
  std::vector<unsigned char> pixels(nStride * static_cast<size_t>(cy));
  const int nRows = bCopied ? GetDIBits(hMemory, hBitmap, 0, static_cast<UINT>(cy), pixels.data(),
                                        reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS)
                            : 0;
  DeleteObject(hBitmap);
  DeleteDC(hMemory);
  ReleaseDC(nullptr, hScreen);
  if (nRows != cy) {
    *psError = "could not copy the window from the screen";
    return false;
  }

  BITMAPFILEHEADER file{};
  file.bfType = 0x4D42;  // "BM"
  file.bfOffBits = sizeof file + sizeof header;
  file.bfSize = static_cast<DWORD>(file.bfOffBits + pixels.size());
  std::unique_ptr<FILE, int (*)(FILE*)> pFile(std::fopen(sPath.c_str(), "wb"), &std::fclose);
  if (!pFile || std::fwrite(&file, sizeof file, 1, pFile.get()) != 1 ||
      std::fwrite(&header, sizeof header, 1, pFile.get()) != 1 ||
      std::fwrite(pixels.data(), 1, pixels.size(), pFile.get()) != pixels.size()) {
    *psError = "could not write " + sPath;
    return false;
  }
  return true;
}
