#include "tests/windows/locator_e2e/window_image.h"

#include <cstdio>
#include <memory>

namespace kovr::e2e {

namespace {

struct DcReleaser {
    void operator()(HDC dc) const { ReleaseDC(nullptr, dc); }
};
struct DcDeleter {
    void operator()(HDC dc) const { DeleteDC(dc); }
};
struct BitmapDeleter {
    void operator()(HBITMAP bitmap) const { DeleteObject(bitmap); }
};
struct FileCloser {
    void operator()(FILE *file) const { std::fclose(file); }
};

} // namespace

WindowImage CaptureWindow(HWND window)
{
    WindowImage image;
    RECT frame{};
    if (!GetWindowRect(window, &frame) || frame.right <= frame.left || frame.bottom <= frame.top) {
        return image;
    }
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    // From the screen: another process's window can't draw into our DC, and
    // nothing overlaps the window on the lab's display but its own dialogs.
    const std::unique_ptr<HDC__, DcReleaser> screen(GetDC(nullptr));
    const std::unique_ptr<HDC__, DcDeleter> memory(CreateCompatibleDC(screen.get()));
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void *bits = nullptr;
    const std::unique_ptr<HBITMAP__, BitmapDeleter> bitmap(
        CreateDIBSection(memory.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!screen || !memory || !bitmap) {
        return image;
    }
    const HGDIOBJ previous = SelectObject(memory.get(), bitmap.get());
    const bool copied = BitBlt(memory.get(), 0, 0, width, height, screen.get(), frame.left, frame.top, SRCCOPY);
    SelectObject(memory.get(), previous);
    if (!copied) {
        return image;
    }
    const auto *pixels = static_cast<const uint32_t *>(bits);
    image.width = width;
    image.height = height;
    image.pixels.resize(static_cast<size_t>(width) * static_cast<size_t>(height));
    for (size_t i = 0; i < image.pixels.size(); ++i) {
        image.pixels[i] = pixels[i] & 0xFFFFFFu;
    }
    return image;
}

bool SaveBmp(const WindowImage &image, const std::wstring &path)
{
    const std::unique_ptr<FILE, FileCloser> file(_wfopen(path.c_str(), L"wb"));
    if (!file || image.pixels.empty()) {
        return false;
    }
    const DWORD pixelBytes = static_cast<DWORD>(image.pixels.size() * sizeof(uint32_t));
    BITMAPFILEHEADER header{};
    header.bfType = 0x4D42; // "BM"
    header.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
    header.bfSize = header.bfOffBits + pixelBytes;
    BITMAPINFOHEADER info{};
    info.biSize = sizeof info;
    info.biWidth = image.width;
    info.biHeight = -image.height;
    info.biPlanes = 1;
    info.biBitCount = 32;
    info.biCompression = BI_RGB;
    return std::fwrite(&header, sizeof header, 1, file.get()) == 1 &&
           std::fwrite(&info, sizeof info, 1, file.get()) == 1 &&
           std::fwrite(image.pixels.data(), pixelBytes, 1, file.get()) == 1 && std::fflush(file.get()) == 0;
}

} // namespace kovr::e2e
