// Reads the state of real controls the way an operator would see it.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace talven::test {

struct Column {
    std::string heading;
    int width = 0;
};

inline std::vector<Column> Columns(HWND list) {
    std::vector<Column> columns;
    HWND header = reinterpret_cast<HWND>(::SendMessageA(list, LVM_GETHEADER, 0, 0));
    const int count = static_cast<int>(::SendMessageA(header, HDM_GETITEMCOUNT, 0, 0));
    for (int index = 0; index < count; ++index) {
        char text[128] = {};
        LVCOLUMNA record{};
        record.mask = LVCF_TEXT | LVCF_WIDTH;
        record.pszText = text;
        record.cchTextMax = sizeof text;
        ::SendMessageA(list, LVM_GETCOLUMNA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&record));
        columns.push_back({text, record.cx});
    }
    return columns;
}

inline int ClientWidth(HWND window) {
    RECT client{};
    ::GetClientRect(window, &client);
    return client.right - client.left;
}

inline int RowCount(HWND list) { return static_cast<int>(::SendMessageA(list, LVM_GETITEMCOUNT, 0, 0)); }

inline std::string CellText(HWND list, int row, int column) {
    char text[600] = {};
    LVITEMA record{};
    record.iSubItem = column;
    record.pszText = text;
    record.cchTextMax = sizeof text;
    ::SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&record));
    return text;
}

inline int RowImage(HWND list, int row) {
    LVITEMA record{};
    record.mask = LVIF_IMAGE;
    record.iItem = row;
    ::SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&record));
    return record.iImage;
}

// Width and height of the list's small images, and their count.
struct Images {
    int size = 0;
    int count = 0;
};

inline Images SmallImages(HWND list) {
    HIMAGELIST images = reinterpret_cast<HIMAGELIST>(::SendMessageA(list, LVM_GETIMAGELIST, LVSIL_SMALL, 0));
    Images result;
    int cx = 0;
    int cy = 0;
    if (images != nullptr && ImageList_GetIconSize(images, &cx, &cy)) {
        result.size = cx == cy ? cx : -1;
        result.count = ImageList_GetImageCount(images);
    }
    return result;
}

inline int ToolCount(HWND toolTip) { return static_cast<int>(::SendMessageA(toolTip, TTM_GETTOOLCOUNT, 0, 0)); }

// The tip text of the tool for the whole of `tool`; "<none>" when there is
// no such tool.
inline std::string ToolText(HWND toolTip, HWND tool) {
    char text[256] = "<none>";
    TOOLINFOA record{};
    record.cbSize = TTTOOLINFOA_V2_SIZE;
    record.hwnd = ::GetParent(tool);
    record.uId = reinterpret_cast<UINT_PTR>(tool);
    record.lpszText = text;
    ::SendMessageA(toolTip, TTM_GETTEXTA, sizeof text, reinterpret_cast<LPARAM>(&record));
    return text;
}

inline std::string ItemText(HWND dialog, int id) {
    char text[600] = {};
    ::GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

inline bool Checked(HWND dialog, int id) {
    return ::SendDlgItemMessageA(dialog, id, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

inline bool Enabled(HWND dialog, int id) { return ::IsWindowEnabled(::GetDlgItem(dialog, id)) != FALSE; }

inline SIZE WindowSize(HWND window) {
    RECT area{};
    ::GetWindowRect(window, &area);
    return SIZE{area.right - area.left, area.bottom - area.top};
}

// 32-bit pixels of a width x height picture, drawn by `draw` into a memory
// device context.
template <typename Draw>
std::vector<std::uint32_t> Pixels(int width, int height, Draw draw) {
    std::vector<std::uint32_t> pixels;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC screen = ::GetDC(nullptr);
    HBITMAP target = ::CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC dc = ::CreateCompatibleDC(screen);
    ::ReleaseDC(nullptr, screen);
    if (target != nullptr && dc != nullptr) {
        HGDIOBJ previous = ::SelectObject(dc, target);
        draw(dc);
        ::GdiFlush();
        pixels.resize(static_cast<std::size_t>(width) * height);
        std::memcpy(pixels.data(), bits, pixels.size() * sizeof(std::uint32_t));
        ::SelectObject(dc, previous);
    }
    if (dc != nullptr) ::DeleteDC(dc);
    if (target != nullptr) ::DeleteObject(target);
    return pixels;
}

// What a button shows: it paints itself (an owner-drawn one through its
// dialog) into our picture.
inline std::vector<std::uint32_t> ButtonPixels(HWND button) {
    const SIZE size = WindowSize(button);
    return Pixels(size.cx, size.cy, [&](HDC dc) {
        ::SendMessageA(button, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    });
}

// A bitmap of the program's resources as a button would draw it.
inline std::vector<std::uint32_t> ResourceBitmapPixels(unsigned id) {
    HBITMAP bitmap = ::LoadBitmapA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id));
    BITMAP info{};
    if (bitmap == nullptr || ::GetObjectA(bitmap, sizeof info, &info) == 0) return {};
    std::vector<std::uint32_t> pixels = Pixels(info.bmWidth, info.bmHeight, [&](HDC dc) {
        HDC source = ::CreateCompatibleDC(dc);
        HGDIOBJ previous = ::SelectObject(source, bitmap);
        ::BitBlt(dc, 0, 0, info.bmWidth, info.bmHeight, source, 0, 0, SRCCOPY);
        ::SelectObject(source, previous);
        ::DeleteDC(source);
    });
    ::DeleteObject(bitmap);
    return pixels;
}

}  // namespace talven::test
