#include "ui/BitmapButton.h"

namespace talven::ui {
namespace {

BitmapHandle LoadFace(unsigned id) {
    if (id == 0) {
        return nullptr;
    }
    return BitmapHandle(::LoadBitmapA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id)));
}

struct DcDeleter {
    void operator()(HDC dc) const { ::DeleteDC(dc); }
};

}  // namespace

bool CBitmapButton::LoadBitmaps(unsigned up, unsigned selected, unsigned focused, unsigned disabled) {
    upFace = LoadFace(up);
    selectedFace = LoadFace(selected);
    focusedFace = LoadFace(focused);
    disabledFace = LoadFace(disabled);
    return upFace != nullptr;
}

void CBitmapButton::SizeToContent() {
    BITMAP info{};
    if (upFace == nullptr || ::GetObjectA(upFace.get(), sizeof info, &info) == 0) {
        return;
    }
    ::SetWindowPos(hwnd, nullptr, 0, 0, info.bmWidth, info.bmHeight,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

HBITMAP CBitmapButton::Face(UINT state) const {
    if ((state & ODS_SELECTED) != 0 && selectedFace != nullptr) {
        return selectedFace.get();
    }
    if ((state & ODS_FOCUS) != 0 && focusedFace != nullptr) {
        return focusedFace.get();
    }
    if ((state & ODS_DISABLED) != 0 && disabledFace != nullptr) {
        return disabledFace.get();
    }
    return upFace.get();
}

bool CBitmapButton::DrawItem(const DRAWITEMSTRUCT& item) {
    HBITMAP face = Face(item.itemState);
    if (face == nullptr) {
        return false;
    }
    std::unique_ptr<std::remove_pointer_t<HDC>, DcDeleter> memory(::CreateCompatibleDC(item.hDC));
    if (memory == nullptr) {
        return false;
    }
    HGDIOBJ previous = ::SelectObject(memory.get(), face);
    const RECT& area = item.rcItem;
    ::BitBlt(item.hDC, area.left, area.top, area.right - area.left, area.bottom - area.top, memory.get(), 0, 0,
             SRCCOPY);
    ::SelectObject(memory.get(), previous);
    return true;
}

}  // namespace talven::ui
