#ifdef _WIN32
#include "tests/support/screenshot.h"

#include "tests/support/scratch_dir.h"

bool SaveScreenshot(HWND window, const std::string& unixFolder, const std::string& name) {
  RECT r;
  if (!GetWindowRect(window, &r)) return false;
  int width = r.right - r.left, height = r.bottom - r.top;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
  GdiFlush();
  DWORD stride = ((width * 3 + 3) / 4) * 4;
  DWORD imageSize = stride * height;
  BITMAPFILEHEADER file = {};
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof file + sizeof info.bmiHeader;
  file.bfSize = file.bfOffBits + imageSize;
  std::string folder = WinePath(unixFolder);
  CreateDirectoryW(WideText(folder).c_str(), nullptr);
  HANDLE out = CreateFileW(WideText(folder + "\\" + name + ".bmp").c_str(), GENERIC_WRITE, 0,
                           nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  bool ok = out != INVALID_HANDLE_VALUE;
  if (ok) {
    DWORD written;
    ok = WriteFile(out, &file, sizeof file, &written, nullptr) &&
         WriteFile(out, &info.bmiHeader, sizeof info.bmiHeader, &written, nullptr) &&
         WriteFile(out, bits, imageSize, &written, nullptr);
    CloseHandle(out);
  }
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return ok;
}
#endif
