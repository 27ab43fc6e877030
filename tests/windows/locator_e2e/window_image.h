// A window as it is shown, for a look at it: its pixels, and a PNG file of them.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace kovr::e2e {

struct WindowImage {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels; // top row first, 0x00RRGGBB
};

// The window's frame and contents as they are on the screen, or an empty
// image when it can't be read.
WindowImage CaptureWindow(HWND window);

// Writes the image as an RGB PNG; false when the file can't be written.
bool SavePng(const WindowImage &image, const std::wstring &path);

} // namespace kovr::e2e
