#include "tests/windows/locator_e2e/window_image.h"

#include <algorithm>
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

constexpr size_t kStoredBlockSize = 65535;

void PutBig32(std::vector<uint8_t> &out, uint32_t value)
{
    out.insert(out.end(), {static_cast<uint8_t>(value >> 24), static_cast<uint8_t>(value >> 16),
                           static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value)});
}

uint32_t Crc32(const uint8_t *data, size_t size, uint32_t crc = 0)
{
    crc = ~crc;
    for (size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
        }
    }
    return ~crc;
}

uint32_t Adler32(const std::vector<uint8_t> &data)
{
    uint32_t a = 1, b = 0;
    for (uint8_t byte : data) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    return b << 16 | a;
}

void PutChunk(std::vector<uint8_t> &png, const char (&type)[5], const std::vector<uint8_t> &data)
{
    PutBig32(png, static_cast<uint32_t>(data.size()));
    const size_t start = png.size();
    png.insert(png.end(), type, type + 4);
    png.insert(png.end(), data.begin(), data.end());
    PutBig32(png, Crc32(png.data() + start, png.size() - start));
}

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

bool SavePng(const WindowImage &image, const std::wstring &path)
{
    if (image.pixels.empty()) {
        return false;
    }
    // Each row: filter byte 0 (none), then its pixels' red, green and blue.
    std::vector<uint8_t> rows;
    rows.reserve(image.pixels.size() * 3 + static_cast<size_t>(image.height));
    for (int y = 0; y < image.height; ++y) {
        rows.push_back(0);
        for (int x = 0; x < image.width; ++x) {
            const uint32_t pixel = image.pixels[static_cast<size_t>(y) * static_cast<size_t>(image.width) + x];
            rows.insert(rows.end(), {static_cast<uint8_t>(pixel >> 16), static_cast<uint8_t>(pixel >> 8),
                                     static_cast<uint8_t>(pixel)});
        }
    }
    // A zlib stream of stored (uncompressed) blocks, which needs no deflate.
    std::vector<uint8_t> stream = {0x78, 0x01};
    for (size_t at = 0; at < rows.size() || at == 0; at += kStoredBlockSize) {
        const size_t length = std::min(kStoredBlockSize, rows.size() - at);
        const bool last = at + length == rows.size();
        stream.insert(stream.end(), {static_cast<uint8_t>(last ? 1 : 0), static_cast<uint8_t>(length),
                                     static_cast<uint8_t>(length >> 8), static_cast<uint8_t>(~length),
                                     static_cast<uint8_t>(~length >> 8)});
        stream.insert(stream.end(), rows.begin() + static_cast<ptrdiff_t>(at),
                      rows.begin() + static_cast<ptrdiff_t>(at + length));
        if (last) {
            break;
        }
    }
    PutBig32(stream, Adler32(rows));

    std::vector<uint8_t> header;
    PutBig32(header, static_cast<uint32_t>(image.width));
    PutBig32(header, static_cast<uint32_t>(image.height));
    header.insert(header.end(), {8, 2, 0, 0, 0}); // 8 bits a sample, RGB, no interlace

    std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    PutChunk(png, "IHDR", header);
    PutChunk(png, "IDAT", stream);
    PutChunk(png, "IEND", {});
    const std::unique_ptr<FILE, FileCloser> file(_wfopen(path.c_str(), L"wb"));
    return file && std::fwrite(png.data(), png.size(), 1, file.get()) == 1 && std::fflush(file.get()) == 0;
}

} // namespace kovr::e2e
