#include "ui/ListCtrl.h"

#include <vector>

namespace talven::ui {

int CListCtrl::InsertColumn(int column, const char* heading, int width) {
    LVCOLUMNA record{};
    record.mask = LVCF_WIDTH | LVCF_TEXT;
    record.cx = width;
    record.pszText = const_cast<char*>(heading);
    return static_cast<int>(SendMessage(LVM_INSERTCOLUMNA, static_cast<WPARAM>(column),
                                        reinterpret_cast<LPARAM>(&record)));
}

bool CListCtrl::DeleteColumn(int column) {
    return SendMessage(LVM_DELETECOLUMN, static_cast<WPARAM>(column), 0) != 0;
}

int CListCtrl::InsertItem(int item, const char* text, int image) {
    LVITEMA record{};
    record.mask = LVIF_TEXT | LVIF_IMAGE;
    record.iItem = item;
    record.pszText = const_cast<char*>(text);
    record.iImage = image;
    return static_cast<int>(SendMessage(LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&record)));
}

bool CListCtrl::SetItemText(int item, int subItem, const char* text) {
    LVITEMA record{};
    record.iSubItem = subItem;
    record.pszText = const_cast<char*>(text);
    return SendMessage(LVM_SETITEMTEXTA, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&record)) != 0;
}

bool CListCtrl::SetItemText(int item, int subItem, const std::wstring& text) {
    LVITEMW record{};
    record.iSubItem = subItem;
    record.pszText = const_cast<wchar_t*>(text.c_str());
    return SendMessage(LVM_SETITEMTEXTW, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&record)) != 0;
}

bool CListCtrl::SetItemImage(int item, int image) {
    LVITEMA record{};
    record.mask = LVIF_IMAGE;
    record.iItem = item;
    record.iImage = image;
    return SendMessage(LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&record)) != 0;
}

bool CListCtrl::EnsureVisible(int item) { return SendMessage(LVM_ENSUREVISIBLE, item, FALSE) != 0; }

bool CListCtrl::SetItemData(int item, std::uintptr_t data) {
    LVITEMA record{};
    record.mask = LVIF_PARAM;
    record.iItem = item;
    record.lParam = static_cast<LPARAM>(data);
    return SendMessage(LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&record)) != 0;
}

std::uintptr_t CListCtrl::GetItemData(int item) const {
    LVITEMA record{};
    record.mask = LVIF_PARAM;
    record.iItem = item;
    if (SendMessage(LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&record)) == 0) return 0;
    return static_cast<std::uintptr_t>(record.lParam);
}

std::string CListCtrl::GetItemText(int item, int subItem) const {
    // The control reports how much it copied, not how long the text is, so
    // grow the buffer until the text fits with room to spare.
    std::vector<char> buffer(256);
    for (;;) {
        LVITEMA record{};
        record.iSubItem = subItem;
        record.pszText = buffer.data();
        record.cchTextMax = static_cast<int>(buffer.size());
        const auto copied = static_cast<size_t>(
            SendMessage(LVM_GETITEMTEXTA, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&record)));
        if (record.pszText != buffer.data()) {
            // The control may answer with a pointer to its own copy.
            return record.pszText != nullptr ? std::string(record.pszText) : std::string();
        }
        if (copied + 1 < buffer.size() || buffer.size() >= 65536) {
            buffer.back() = '\0';
            return std::string(buffer.data());
        }
        buffer.resize(buffer.size() * 4);
    }
}

int CListCtrl::GetItemCount() const { return static_cast<int>(SendMessage(LVM_GETITEMCOUNT, 0, 0)); }

bool CListCtrl::DeleteItem(int item) { return SendMessage(LVM_DELETEITEM, static_cast<WPARAM>(item), 0) != 0; }

bool CListCtrl::DeleteAllItems() { return SendMessage(LVM_DELETEALLITEMS, 0, 0) != 0; }

void CListCtrl::SetImageList(CImageList* imageList) {
    SendMessage(LVM_SETIMAGELIST, LVSIL_SMALL,
                reinterpret_cast<LPARAM>(imageList != nullptr ? imageList->GetSafeHandle() : nullptr));
}

}  // namespace talven::ui
