// An owner-drawn push button showing one of four bitmaps: up, selected
// (pressed), focused and disabled.
#pragma once

#include <memory>
#include <type_traits>

#include "ui/Wnd.h"

namespace talven::ui {

struct GdiObjectDeleter {
    void operator()(HGDIOBJ object) const { ::DeleteObject(object); }
};
using BitmapHandle = std::unique_ptr<std::remove_pointer_t<HBITMAP>, GdiObjectDeleter>;

class CBitmapButton : public CWnd {
public:
    // Bitmap resources of the program; 0 leaves a face empty. Replaces the
    // faces loaded before. False when the up face cannot be loaded.
    bool LoadBitmaps(unsigned up, unsigned selected, unsigned focused, unsigned disabled);
    // Sizes the button to its up face.
    void SizeToContent();
    bool DrawItem(const DRAWITEMSTRUCT& item) override;

    HBITMAP Face(UINT state) const;

private:
    BitmapHandle upFace;
    BitmapHandle selectedFace;
    BitmapHandle focusedFace;
    BitmapHandle disabledFace;
};

}  // namespace talven::ui
