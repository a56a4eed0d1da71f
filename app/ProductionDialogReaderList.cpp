// The reader list of the main window: its two layouts, the image list of row
// icons, the settings listing and the row operations the runs use.
#include <cstdio>

#include "app/ProductionDialog.h"
#include "resources/StringTable.h"
#include "resources/resource.h"

namespace talven {
namespace {

constexpr int kRowIcons[] = {IDI_DRIVE, IDI_DRIVE_FAILED, IDI_DRIVE_PASSED, IDI_DRIVE_STOPPED};

struct TextRow {
    unsigned label;
    const SettingsKey& key;
};

struct SpeedRow {
    unsigned label;
    const SettingsKey& key;
    std::uint32_t lowValue;
};

constexpr TextRow kTextRows[] = {
    {IDS_PRODUCTOR, kProductorKey},
    {IDS_MANUFACTURE, kManufactureKey},
    {IDS_SERIAL_NO, kSerialNumberKey},
    {IDS_SCSI_VERSION, kScsiVersionKey},
};

constexpr SpeedRow kSpeedRows[] = {
    {IDS_CF_SPEED, kCfSpeedKey, 1},         {IDS_SM_SPEED, kSmSpeedKey, 1}, {IDS_SD_SPEED, kSdSpeedKey, 1},
    {IDS_MS_PRO_SPEED, kMsProSpeedKey, 2}, {IDS_MS_SPEED, kMsSpeedKey, 2}, {IDS_MMC_SPEED, kMmcSpeedKey, 1},
};

}  // namespace

void ProductionDialog::RebuildReaderList() {
    if (imageList != nullptr) {
        readerList.DeleteAllItems();
        readerList.DeleteColumn(0);
        readerList.DeleteColumn(0);
        DeleteImageList();
    }
    const int iconSize = Settings().EepromMode() ? 25 : 32;
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
    readerList.InsertColumn(0, LoadText(Settings().EepromMode() ? IDS_NAME : IDS_CARD_TYPE).c_str(), firstWidth);
    readerList.InsertColumn(1, LoadText(Settings().EepromMode() ? IDS_VALUE : IDS_STATUS).c_str(),
                            width - firstWidth);
    if (Settings().EepromMode()) {
        ListSettings();
    }
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

void ProductionDialog::ListSettings() {
    const SettingsFile settings = Settings();
    // One past the last icon: the settings rows show none.
    const int image = imageList != nullptr ? imageList->GetImageCount() : 0;
    readerList.DeleteAllItems();
    settingsRowCount = 0;
    auto addRow = [&](unsigned label, const char* value) {
        readerList.InsertItem(settingsRowCount, LoadText(label).c_str(), image);
        readerList.SetItemText(settingsRowCount, 1, value);
    };
    for (const TextRow& row : kTextRows) {
        char value[kSettingsTextSize] = {};
        settings.ReadText(row.key, SettingsReader::Listing, value);
        addRow(row.label, value);
        ++settingsRowCount;
    }
    const std::string high = LoadText(IDS_HIGH);
    const std::string low = LoadText(IDS_LOW);
    for (const SpeedRow& row : kSpeedRows) {
        const bool isLow = settings.ReadNumber(row.key, SettingsReader::Listing) == row.lowValue;
        addRow(row.label, isLow ? low.c_str() : high.c_str());
        ++settingsRowCount;
    }
    // The last row keeps settingsRowCount at its index.
    char power[16];
    std::snprintf(power, sizeof power, "%d",
                  static_cast<int>(settings.ReadNumber(kPowerConsumptionKey, SettingsReader::Listing)));
    addRow(IDS_POWER_CONSUMPTION, power);
}

void ProductionDialog::InsertRow(int index, const char* text, int image) { readerList.InsertItem(index, text, image); }

void ProductionDialog::SetRowText(int index, const char* text) { readerList.SetItemText(index, 1, text); }

void ProductionDialog::SetRowIcon(int index, int image) { readerList.SetItemImage(index, image); }

std::string ProductionDialog::RowText(int index) const { return readerList.GetItemText(index, 0); }

std::uint16_t ProductionDialog::RowCount() const { return static_cast<std::uint16_t>(readerList.GetItemCount()); }

void ProductionDialog::DeleteRow(int index) { readerList.DeleteItem(index); }

void ProductionDialog::DeleteAllRows() { readerList.DeleteAllItems(); }

}  // namespace talven
