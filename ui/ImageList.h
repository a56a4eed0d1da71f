// An owned image list; destroyed with the object unless deleted before.
#pragma once

#include <windows.h>
#include <commctrl.h>

namespace talven::ui {

class CImageList {
public:
    CImageList() = default;
    CImageList(const CImageList&) = delete;
    CImageList& operator=(const CImageList&) = delete;
    ~CImageList() { DeleteImageList(); }

    bool Create(int cx, int cy, bool masked, int initial, int grow);
    // Index -1 appends; returns the image's index or -1.
    int ReplaceIcon(int index, HICON icon);
    int GetImageCount() const;
    bool DeleteImageList();
    HIMAGELIST GetSafeHandle() const { return imageList; }

private:
    HIMAGELIST imageList = nullptr;
};

}  // namespace talven::ui
