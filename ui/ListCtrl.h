// A list-view control in report view.
#pragma once

#include <cstdint>
#include <string>

#include "ui/ImageList.h"
#include "ui/Wnd.h"

namespace talven::ui {

class CListCtrl : public CWnd {
public:
    // The column record carries only width and text.
    int InsertColumn(int column, const char* heading, int width);
    bool DeleteColumn(int column);
    // Text and image in column 0, state 0; returns the new row's index or -1.
    int InsertItem(int item, const char* text, int image);
    bool SetItemText(int item, int subItem, const char* text);
    bool SetItemText(int item, int subItem, const std::wstring& text);
    // Changes only the image of a row.
    bool SetItemImage(int item, int image);
    // Scrolls the list until the whole row is in view.
    bool EnsureVisible(int item);
    std::string GetItemText(int item, int subItem) const;
    // The row's own value (LVIF_PARAM); a row inserted by InsertItem holds 0.
    bool SetItemData(int item, std::uintptr_t data);
    std::uintptr_t GetItemData(int item) const;
    int GetItemCount() const;
    bool DeleteItem(int item);
    bool DeleteAllItems();
    // Small-image list (LVSIL_SMALL); null detaches the current one.
    void SetImageList(CImageList* imageList);
};

}  // namespace talven::ui
