#include "ui/ImageList.h"

namespace talven::ui {

bool CImageList::Create(int cx, int cy, bool masked, int initial, int grow) {
    DeleteImageList();
    // Full colour, so that the drawn icons keep their pictures.
    const UINT flags = ILC_COLOR32 | (masked ? ILC_MASK : 0u);
    imageList = ImageList_Create(cx, cy, flags, initial, grow);
    return imageList != nullptr;
}

int CImageList::ReplaceIcon(int index, HICON icon) {
    if (imageList == nullptr) {
        return -1;
    }
    return ImageList_ReplaceIcon(imageList, index, icon);
}

int CImageList::GetImageCount() const { return imageList != nullptr ? ImageList_GetImageCount(imageList) : 0; }

bool CImageList::DeleteImageList() {
    if (imageList == nullptr) {
        return false;
    }
    const bool destroyed = ImageList_Destroy(imageList) != FALSE;
    imageList = nullptr;
    return destroyed;
}

}  // namespace talven::ui
