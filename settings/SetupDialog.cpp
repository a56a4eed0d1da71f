#include "settings/SetupDialog.h"

#include <string>
#include <vector>

#include "resources/resource.h"
#include "settings/SettingsCheck.h"
#include "settings/SettingsText.h"
#include "ui/DataExchange.h"

namespace talven {
namespace {

constexpr int kDeviceRadios[] = {IDC_CF_HIGH,    IDC_CF_LOW,    IDC_SM_HIGH, IDC_SM_LOW,
                                 IDC_SD_HIGH,    IDC_SD_LOW,    IDC_MSPRO_HIGH, IDC_MSPRO_LOW,
                                 IDC_MS_HIGH,    IDC_MS_LOW,    IDC_MMC_HIGH, IDC_MMC_LOW};

// The two MS keys store Low as 2; the dialog's pairs show it as index 1.
int MsChoiceFromStored(int stored) { return stored == 2 ? 1 : stored; }
int MsStoredFromChoice(int choice) { return choice == 0 ? 0 : 2; }

}  // namespace

SetupDialog::SetupDialog(Platform& platform, ui::CWnd* parent)
    : ui::CDialog(IDD_SETUP_DIALOG, parent), platform(platform) {}

SetupDialog::~SetupDialog() { DestroyWindow(); }

void SetupDialog::DoDataExchange(ui::CDataExchange& exchange) {
    ui::CDialog::DoDataExchange(exchange);
    ui::DDX_Control(exchange, IDC_SCSI_VERSION_EDIT, scsiVersionEdit);
    ui::DDX_Control(exchange, IDC_SERIAL_EDIT, serialNumberEdit);
    ui::DDX_Control(exchange, IDC_PRODUCTION_EDIT, productionEdit);
    ui::DDX_Control(exchange, IDC_MANUFACTURE_EDIT, manufactureEdit);
    ui::DDX_Control(exchange, IDC_POWER_SPIN, powerSpin);
    ui::DDX_Radio(exchange, IDC_FILE_SIZE_1M, fileSizeChoice);
    ui::DDX_Radio(exchange, IDC_CF_HIGH, cfSpeedChoice);
    ui::DDX_Radio(exchange, IDC_MMC_HIGH, mmcSpeedChoice);
    ui::DDX_Radio(exchange, IDC_MSPRO_HIGH, msProSpeedChoice);
    ui::DDX_Radio(exchange, IDC_MS_HIGH, msSpeedChoice);
    ui::DDX_Radio(exchange, IDC_SD_HIGH, sdSpeedChoice);
    ui::DDX_Radio(exchange, IDC_SM_HIGH, smSpeedChoice);
    ui::DDX_Radio(exchange, IDC_FUNCTION_READ_WRITE, functionChoice);
    ui::DDX_Text(exchange, IDC_POWER_EDIT, powerConsumption);
}

bool SetupDialog::OnInitDialog() {
    ui::CDialog::OnInitDialog();
    DeriveSettingsPath(platform, settingsPath);
    // No more than the configuration image can hold.
    serialNumberEdit.LimitText(kSerialNumberKey.capacity);
    productionEdit.LimitText(kProductorKey.capacity);
    manufactureEdit.LimitText(kManufactureKey.capacity);
    scsiVersionEdit.LimitText(kScsiVersionKey.capacity);
    powerSpin.SetRange(1, 250);
    LoadSettings();
    return true;
}

void SetupDialog::LoadSettings() {
    const SettingsFile settings = Settings();
    LoadText(serialNumberEdit, kSerialNumberKey, settings);
    LoadText(productionEdit, kProductorKey, settings);
    LoadText(manufactureEdit, kManufactureKey, settings);
    LoadText(scsiVersionEdit, kScsiVersionKey, settings);
    auto number = [&](const SettingsKey& key) {
        return static_cast<int>(settings.ReadNumber(key));
    };
    mmcSpeedChoice = number(kMmcSpeedKey);
    msSpeedChoice = MsChoiceFromStored(number(kMsSpeedKey));
    msProSpeedChoice = MsChoiceFromStored(number(kMsProSpeedKey));
    sdSpeedChoice = number(kSdSpeedKey);
    smSpeedChoice = number(kSmSpeedKey);
    cfSpeedChoice = number(kCfSpeedKey);
    powerConsumption = static_cast<std::uint8_t>(number(kPowerConsumptionKey) & 0xFF);
    fileSizeChoice = number(kFileSizeKey);
    functionChoice = number(kRunModeKey);
    UpdateData(false);
    EnableDeviceControls(functionChoice != 0);
}

// The box shows the text's characters, decoded as the image and the listing
// decode them.
void SetupDialog::LoadText(ui::CEdit& edit, const SettingsKey& key, const SettingsFile& settings) {
    char text[kSettingsPathSize] = {};
    const std::string bytes(text, settings.ReadText(key, text));
    const std::u16string characters = Utf16(DecodeSettingsText(bytes));
    edit.SetWideText(std::wstring(characters.begin(), characters.end()));
    loadedTexts[&key] = {bytes, edit.GetWideText()};
}

std::string SetupDialog::BoxText(const ui::CEdit& edit, const SettingsKey& key) const {
    const std::wstring shown = edit.GetWideText();
    const auto loaded = loadedTexts.find(&key);
    const bool found = loaded != loadedTexts.end();
    if (found && shown == loaded->second.shown) return loaded->second.bytes;
    return EncodeSettingsText(FromUtf16(std::u16string(shown.begin(), shown.end())),
                              found ? loaded->second.bytes : std::string());
}

void SetupDialog::OnOK() {
    const std::string texts[] = {BoxText(serialNumberEdit, kSerialNumberKey), BoxText(productionEdit, kProductorKey),
                                 BoxText(manufactureEdit, kManufactureKey), BoxText(scsiVersionEdit, kScsiVersionKey)};
    for (const std::string& text : texts) {
        if (text.empty()) {
            return;
        }
    }
    // A refused power value keeps the one loaded; the edit is read-only and
    // only the spin button writes it, so this does not arise in use.
    UpdateData(true);
    const std::vector<SavedValue> values = ValuesToSave();
    // The file never gets a value the programming run would refuse: OK waits
    // for it to be mended, as for an empty text.
    for (const SavedValue& value : values) {
        if (!RefusalReason(*value.key, value.text).empty()) {
            return;
        }
    }
    const SettingsFile settings = Settings();
    for (const SavedValue& value : values) {
        settings.WriteText(*value.key, value.text.c_str());
    }
    ui::CDialog::OnOK();
}

std::vector<SetupDialog::SavedValue> SetupDialog::ValuesToSave() const {
    return {
        {&kSerialNumberKey, BoxText(serialNumberEdit, kSerialNumberKey)},
        {&kProductorKey, BoxText(productionEdit, kProductorKey)},
        {&kManufactureKey, BoxText(manufactureEdit, kManufactureKey)},
        {&kScsiVersionKey, BoxText(scsiVersionEdit, kScsiVersionKey)},
        {&kMmcSpeedKey, std::to_string(mmcSpeedChoice)},
        {&kMsSpeedKey, std::to_string(MsStoredFromChoice(msSpeedChoice))},
        {&kMsProSpeedKey, std::to_string(MsStoredFromChoice(msProSpeedChoice))},
        {&kSdSpeedKey, std::to_string(sdSpeedChoice)},
        {&kSmSpeedKey, std::to_string(smSpeedChoice)},
        {&kCfSpeedKey, std::to_string(cfSpeedChoice)},
        {&kPowerConsumptionKey, std::to_string(powerConsumption)},
        {&kFileSizeKey, std::to_string(fileSizeChoice)},
        {&kRunModeKey, std::to_string(functionChoice)},
    };
}

void SetupDialog::OnCancel() { ui::CDialog::OnCancel(); }

bool SetupDialog::OnCommand(UINT id, UINT code) {
    if (code == BN_CLICKED && id == IDC_FUNCTION_READ_WRITE) {
        EnableDeviceControls(false);
        return true;
    }
    if (code == BN_CLICKED && id == IDC_FUNCTION_EEPROM) {
        EnableDeviceControls(true);
        return true;
    }
    return ui::CDialog::OnCommand(id, code);
}

void SetupDialog::EnableDeviceControls(bool enable) {
    scsiVersionEdit.EnableWindow(enable);
    serialNumberEdit.EnableWindow(enable);
    productionEdit.EnableWindow(enable);
    manufactureEdit.EnableWindow(enable);
    powerSpin.EnableWindow(enable);
    for (int radio : kDeviceRadios) {
        ::EnableWindow(GetDlgItem(radio), enable ? TRUE : FALSE);
    }
}

}  // namespace talven
