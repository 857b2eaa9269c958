// Saves a picture of a visible top-level window, as a 24-bit BMP, by copying
// its rectangle from the screen once it is on top and no longer changes.
//   snapshot --caption TEXT --kind box|progress --out FILE.bmp
// A "progress" window is one with a progress bar (control 1000); a "box" is
// any other window with that caption. Exit code 0 when saved, 1 when no such
// window is visible, 2 on a usage or write error.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "testkit/apps/AppArgs.h"
#include "sysutil/Handles.h"

namespace {

struct Search {
    std::string caption;
    bool wantProgress;
    HWND found;
};

BOOL CALLBACK matchWindow(HWND window, LPARAM param) {
    Search& search = *reinterpret_cast<Search*>(param);
    char text[512] = "";
    GetWindowTextA(window, text, sizeof text);
    if (!IsWindowVisible(window) || search.caption != text) return TRUE;
    bool isProgress = GetDlgItem(window, 1000) != nullptr;
    if (isProgress != search.wantProgress) return TRUE;
    search.found = window;
    return FALSE;
}

// Screen pixels of rect as bottom-up 24-bit rows, each padded to 4 bytes.
std::vector<unsigned char> grab(const RECT& rect, BITMAPINFOHEADER& header) {
    int width = rect.right - rect.left, height = rect.bottom - rect.top;
    header = BITMAPINFOHEADER{};
    header.biSize = sizeof header;
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    std::vector<unsigned char> pixels(static_cast<size_t>(((width * 3 + 3) & ~3) * height));
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    SelectObject(memory, old);
    GetDIBits(memory, bitmap, 0, height, pixels.data(), reinterpret_cast<BITMAPINFO*>(&header),
              DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return pixels;
}

// Whether every pixel has the same colour: nothing of the window is drawn
// yet (on a busy machine the X server draws a new window late), as every
// window has a frame and a caption of other colours than its face.
bool uniform(const std::vector<unsigned char>& pixels, const BITMAPINFOHEADER& header) {
    size_t row = static_cast<size_t>((header.biWidth * 3 + 3) & ~3);
    for (size_t y = 0; y < static_cast<size_t>(header.biHeight); ++y)
        for (size_t x = 0; x < static_cast<size_t>(header.biWidth) * 3; ++x)
            if (pixels[y * row + x] != pixels[x % 3]) return false;
    return true;
}

bool writeBmp(const std::string& path, const BITMAPINFOHEADER& header,
              const std::vector<unsigned char>& pixels) {
    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = sizeof file + sizeof header;
    file.bfSize = static_cast<DWORD>(file.bfOffBits + pixels.size());
    StdFile out(fopen(path.c_str(), "wb"));
    if (!out) return false;
    return fwrite(&file, sizeof file, 1, out.get()) == 1 &&
           fwrite(&header, sizeof header, 1, out.get()) == 1 &&
           fwrite(pixels.data(), 1, pixels.size(), out.get()) == pixels.size();
}

}  // namespace

int main() {
    std::string out = optionValue("--out");
    std::string kind = optionValue("--kind", "box");
    if (out.empty() || (kind != "box" && kind != "progress")) return 2;
    Search search = {optionValue("--caption", "Pathmark 100 ADSL Router USB Driver Remove"),
                     kind == "progress", nullptr};
    EnumWindows(matchWindow, reinterpret_cast<LPARAM>(&search));
    RECT rect;
    if (search.found == nullptr || !GetWindowRect(search.found, &rect)) return 1;
    // Another window, or what a closed one left on the screen, may still
    // cover part of it: it is put on top (without taking the focus) and
    // repainted whole, frame included. A window that has just appeared may
    // still be painting itself (its caption buttons last): the picture is
    // taken once two grabs a tenth of a second apart agree and show more
    // than one colour. A window still undrawn after three seconds gives no
    // picture (exit 1), as a window not found does.
    SetWindowPos(search.found, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    RedrawWindow(search.found, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_FRAME | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    BITMAPINFOHEADER header;
    std::vector<unsigned char> pixels = grab(rect, header);
    for (int tries = 0; tries < 30; ++tries) {
        Sleep(100);
        std::vector<unsigned char> again = grab(rect, header);
        if (again == pixels && !uniform(pixels, header)) break;
        pixels.swap(again);
    }
    if (pixels.empty() || uniform(pixels, header)) return 1;
    return writeBmp(out, header, pixels) ? 0 : 2;
}
