// The reader list of the main window: its two layouts, the image list of row
// icons, and the settings listing with its serial row when the settings name
// a block.
#include <iterator>
#include <string>

#include "app/ProductionDialog.h"
#include "production/ConfigurationImage.h"
#include "production/StationSerials.h"
#include "record/RecordSerials.h"
#include "resources/StringFormat.h"
#include "resources/resource.h"
#include "settings/SettingsText.h"

namespace talven {
namespace {

constexpr int kRowIcons[] = {IDI_DRIVE, IDI_DRIVE_FAILED, IDI_DRIVE_PASSED, IDI_DRIVE_STOPPED};

// A settings text's characters, as the listing shows every text.
std::wstring Characters(const std::string& settingsText) {
    const std::u16string units = Utf16(DecodeSettingsText(settingsText));
    return std::wstring(units.begin(), units.end());
}

// The serial row: the words as the string table has them (the dash is not
// ASCII), each serial as its characters, whichever way the file spells it.
std::wstring SerialRowText(const SerialPlan& plan) {
    if (!plan.problem.empty()) return Characters(plan.problem);
    const std::string serials[] = {plan.next, plan.block->first.Text(), plan.block->At(plan.block->last).Text(),
                                   plan.after};
    wchar_t format[256] = {};
    ::LoadStringW(::GetModuleHandleW(nullptr), plan.after.empty() ? IDS_SERIAL_NEXT : IDS_SERIAL_GOES_ON, format,
                  static_cast<int>(std::size(format)));
    std::wstring text;
    std::size_t next = 0;
    for (const wchar_t* at = format; *at != 0; ++at) {
        if (at[0] == L'%' && at[1] == L's' && next < std::size(serials)) {
            text += Characters(serials[next++]);
            ++at;
        } else {
            text += *at;
        }
    }
    return text;
}

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
        readerList.SetItemText(settingsRowCount, 1, Characters(ListedValue(*field, checked)));
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

void ProductionDialog::ShowNextSerial(const SettingsSnapshot& settings) {
    if (!listEepromMode || serialRow < 0 || serialRow >= RowCount()) return;
    // A first start reads a year of the record for seconds: its progress is shown.
    // What the status line said, back after the progress (a GO's note on its serial).
    char said[512] = {};
    ::GetDlgItemTextA(GetSafeHwnd(), IDC_STATUS_LINE, said, sizeof said);
    bool progressShown = false;
    const auto progress = [this, &progressShown](std::size_t read, std::size_t total) {
        progressShown = true;
        SetStatusText(Format(IDS_SERIAL_SCANNING, static_cast<unsigned>(read), static_cast<unsigned>(total)).c_str());
        PumpMessages();
    };
    const SerialPlan plan = PlanSerial(platform, settings, settingsPath, [&] {
        return ScanRecordSerials(platform, settings, settingsPath, progress);
    });
    if (progressShown) SetStatusText(said);
    // Without a block the row lists SN as it stands, and says every reader gets it.
    if (!plan.block && plan.problem.empty()) {
        const CheckedSetting& serial = settings.Checked(kSerialNumberKey);
        if (serial.reason.empty())
            readerList.SetItemText(serialRow, 1, Characters(Format(IDS_SERIAL_FIXED, serial.text.c_str())));
        return;
    }
    readerList.SetItemText(serialRow, 1, SerialRowText(plan));
    if (!plan.problem.empty()) readerList.SetItemImage(serialRow, kRowFailed);
}

}  // namespace talven
