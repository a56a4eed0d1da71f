// The reader list of the main window: its two layouts, the image list of row
// icons, the settings listing and the row operations the runs use.
#include <string>

#include "app/ProductionDialog.h"
#include "production/ConfigurationImage.h"
#include "resources/StringTable.h"
#include "resources/resource.h"
#include "settings/SettingsText.h"

namespace talven {
namespace {

constexpr int kRowIcons[] = {IDI_DRIVE, IDI_DRIVE_FAILED, IDI_DRIVE_PASSED, IDI_DRIVE_STOPPED};

}  // namespace

void ProductionDialog::RebuildReaderList(const SettingsSnapshot& settings) {
    if (imageList != nullptr) {
        readerList.DeleteAllItems();
        // Two columns, or three with the read/write test's speed.
        while (readerList.DeleteColumn(0)) {
        }
        DeleteImageList();
    }
    const int iconSize = settings.EepromMode() ? 25 : 32;
    imageList = std::make_unique<ui::CImageList>();
    imageList->Create(iconSize, iconSize, true, 1, 1);
    for (int icon : kRowIcons) {
        imageList->ReplaceIcon(-1, ::LoadIconA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(icon)));
    }
    readerList.SetImageList(imageList.get());

    RECT client;
    readerList.GetClientRect(&client);
    const int width = client.right - client.left;
    const int firstWidth = width / 3;
    const bool wasEepromMode = listEepromMode;
    listEepromMode = settings.EepromMode();
    if (listEepromMode) {
        readerList.InsertColumn(0, LoadText(IDS_NAME).c_str(), firstWidth);
        readerList.InsertColumn(1, LoadText(IDS_VALUE).c_str(), width - firstWidth);
        ListSettings(settings);
        return;
    }
    // What the status line said of the settings went with the listing.
    if (wasEepromMode) SetStatusText("");
    // The slot's speed follows its verdict, which keeps the width it needs.
    const int speedWidth = width / 4;
    readerList.InsertColumn(0, LoadText(IDS_CARD_TYPE).c_str(), firstWidth);
    readerList.InsertColumn(1, LoadText(IDS_STATUS).c_str(), width - firstWidth - speedWidth);
    readerList.InsertColumn(2, LoadText(IDS_SPEED_COLUMN).c_str(), speedWidth);
}

void ProductionDialog::DeleteImageList() {
    if (imageList == nullptr) {
        return;
    }
    // A list view destroys the image lists it still holds when it goes;
    // detach ours first so it is destroyed once, here.
    readerList.SetImageList(nullptr);
    imageList->DeleteImageList();
    imageList.reset();
}

void ProductionDialog::ListSettings(const SettingsSnapshot& settings) {
    // One past the last icon: the settings rows show none, unless refused.
    const int image = imageList != nullptr ? imageList->GetImageCount() : 0;
    readerList.DeleteAllItems();
    settingsRowCount = 0;
    for (const ImageField* field : kListedFields) {
        const CheckedSetting& checked = settings.Checked(*field->key);
        readerList.InsertItem(settingsRowCount, LoadText(field->listed.label).c_str(),
                              checked.reason.empty() ? image : kRowFailed);
        // Its characters as the image holds them, whatever the file's encoding.
        const std::u16string value = Utf16(DecodeSettingsText(ListedValue(*field, checked)));
        readerList.SetItemText(settingsRowCount, 1, std::wstring(value.begin(), value.end()));
        if (field->key == &kSerialNumberKey) serialRow = settingsRowCount;
        // The last row keeps settingsRowCount at its index.
        if (field != kListedFields.back()) ++settingsRowCount;
    }
    ShowNextSerial(settings);
    SetStatusText(settings.StatusText(kDeviceSection).c_str());
}

// What the programming run will write: a speed's byte as High or Low, the
// power's byte, a text as it stands; a refused value's reason instead.
std::string ProductionDialog::ListedValue(const ImageField& field, const CheckedSetting& checked) const {
    if (!checked.reason.empty()) return checked.reason;
    switch (field.encoding) {
        case FieldEncoding::SpeedByte:
            return LoadText(SpeedWord(field, checked.value));
        case FieldEncoding::Byte:
            return std::to_string(checked.value);
        default:
            return checked.text;
    }
}

// A new row, and a row whose verdict comes, is scrolled into view: in EEPROM
// mode the result row lies below the settings rows.
void ProductionDialog::InsertRow(int index, const char* text, int image) {
    readerList.EnsureVisible(readerList.InsertItem(index, text, image));
}

void ProductionDialog::SetRowText(int index, const char* text) { readerList.SetItemText(index, 1, text); }

void ProductionDialog::SetRowIcon(int index, int image) {
    readerList.SetItemImage(index, image);
    readerList.EnsureVisible(index);
}

void ProductionDialog::SetRowSpeed(int index, const char* text) { readerList.SetItemText(index, 2, text); }

std::string ProductionDialog::RowText(int index) const { return readerList.GetItemText(index, 0); }

void ProductionDialog::SetRowSlot(int index, const ReaderSlot& slot) {
    readerList.SetItemData(index, slot.number);
    slotDrives[slot.number] = slot.rowNamesDrive ? slot.drive : std::string();
}

std::uint32_t ProductionDialog::RowSlot(int index) const {
    return static_cast<std::uint32_t>(readerList.GetItemData(index));
}

std::uint16_t ProductionDialog::RowCount() const { return static_cast<std::uint16_t>(readerList.GetItemCount()); }

void ProductionDialog::DeleteRow(int index) { readerList.DeleteItem(index); }

void ProductionDialog::DeleteAllRows() { readerList.DeleteAllItems(); }

}  // namespace talven
