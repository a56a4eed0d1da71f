#include "app/SetupDialog.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "resources/StringFormat.h"
#include "resources/resource.h"
#include "settings/SettingsCheck.h"
#include "settings/SettingsSnapshot.h"
#include "settings/SettingsText.h"
#include "ui/DataExchange.h"

namespace talven {
namespace {

// Typing room in the test amount's box: "65535 MiB".
constexpr int kTestAmountLimit = 9;
constexpr int kPowerSpinLowest = 1;
constexpr int kPowerSpinHighest = kPowerConsumptionKey.limit;

std::string WindowText(HWND window) {
    char text[kSettingsPathSize] = {};
    const int length = ::GetWindowTextA(window, text, sizeof text);
    return std::string(text, length > 0 ? static_cast<std::size_t>(length) : 0);
}

// The stored value of a pair's second radio: Low of a speed, 1 of a switch.
int SecondValue(const SettingsKey& key) { return key.kind == SettingKind::Speed ? key.limit : 1; }

// What the test amount's box shows for a loaded TestMiB: a value the check
// refuses as it stands, so that it is seen and never taken for another.
std::string AmountText(const std::string& loaded, std::uint32_t number) {
    if (!RefusalReason(kTestMebibytesKey, loaded).empty()) return loaded;
    return number == 0 ? StringText(IDS_TEST_ALL) : Format(IDS_TEST_MEBIBYTES, static_cast<unsigned>(number));
}

// The TestMiB an entry in the test amount's box stands for: "All" is 0, and
// "16 MiB" and "16" are both 16; anything else goes to the check as written.
std::string AmountEntered(const std::string& text) {
    if (text == StringText(IDS_TEST_ALL)) return "0";
    const std::string unit = Format(IDS_TEST_MEBIBYTES, 0u).substr(1);
    if (text.size() > unit.size() && text.compare(text.size() - unit.size(), unit.size(), unit) == 0)
        return text.substr(0, text.size() - unit.size());
    return text;
}

// Windows' private-profile reading drops a value's outer blanks and one
// pair of quotes around it: such a text is written inside quotes, so that it
// reads back as typed.
std::string AsWritten(const std::string& text) {
    if (text.empty()) return text;
    const bool blankEnd = text.front() == ' ' || text.back() == ' ';
    const bool quoted = text.size() > 1 && text.front() == '"' && text.back() == '"';
    return blankEnd || quoted ? "\"" + text + "\"" : text;
}

// Whether the file holds the key at all, as against its default standing in.
bool Holds(const SettingsFile& settings, const SettingsKey& key) {
    char probe[2] = {};
    return settings.ReadText(key.section, key.name, "\x01", probe, sizeof probe) != 1 || probe[0] != '\x01';
}

}  // namespace

SetupDialog::SetupDialog(Platform& platform, ui::CWnd* parent)
    : ui::CDialog(IDD_SETUP_DIALOG, parent),
      platform(platform),
      // The order of loading and of writing.
      fields{{&kSerialNumberKey, IDC_SERIAL_EDIT, nullptr, IDC_SERIAL_EDIT},
             {&kProductorKey, IDC_PRODUCTION_EDIT, nullptr, IDC_PRODUCTION_EDIT},
             {&kManufactureKey, IDC_MANUFACTURE_EDIT, nullptr, IDC_MANUFACTURE_EDIT},
             {&kScsiVersionKey, IDC_SCSI_VERSION_EDIT, nullptr, IDC_SCSI_VERSION_EDIT},
             {&kMmcSpeedKey, IDC_MMC_HIGH, &mmcSpeedChoice, IDC_MMC_HIGH},
             {&kMsSpeedKey, IDC_MS_HIGH, &msSpeedChoice, IDC_MS_HIGH},
             {&kMsProSpeedKey, IDC_MSPRO_HIGH, &msProSpeedChoice, IDC_MSPRO_HIGH},
             {&kSdSpeedKey, IDC_SD_HIGH, &sdSpeedChoice, IDC_SD_HIGH},
             {&kSmSpeedKey, IDC_SM_HIGH, &smSpeedChoice, IDC_SM_HIGH},
             {&kCfSpeedKey, IDC_CF_HIGH, &cfSpeedChoice, IDC_CF_HIGH},
             // The power is typed only through its spin button.
             {&kPowerConsumptionKey, IDC_POWER_EDIT, nullptr, IDC_POWER_SPIN},
             {&kFileSizeKey, IDC_FILE_SIZE_1M, &fileSizeChoice, 0},
             {&kRunModeKey, IDC_FUNCTION_READ_WRITE, &functionChoice, 0},
             {&kTestMebibytesKey, IDC_TEST_AMOUNT, nullptr, 0},
             {&kLotKey, IDC_LOT_EDIT, nullptr, 0}} {}

SetupDialog::~SetupDialog() { DestroyWindow(); }

// The power consumption is exchanged as its edit's text, not as a byte: a
// byte would show 600 as 88 and save that.
void SetupDialog::DoDataExchange(ui::CDataExchange& exchange) {
    ui::CDialog::DoDataExchange(exchange);
    ui::DDX_Control(exchange, IDC_POWER_SPIN, powerSpin);
    ui::DDX_Control(exchange, IDC_TEST_AMOUNT, testAmountBox);
    for (Field& field : fields)
        if (field.choice != nullptr) ui::DDX_Radio(exchange, field.control, *field.choice);
}

bool SetupDialog::OnInitDialog() {
    ui::CDialog::OnInitDialog();
    DeriveSettingsPath(platform, settingsPath);
    // No more typed than the configuration image can hold; a longer value
    // loaded is shown and kept whole all the same.
    for (const Field& field : fields)
        if (field.key->kind == SettingKind::Text)
            ::SendDlgItemMessageA(GetSafeHwnd(), field.control, EM_LIMITTEXT, field.key->capacity, 0);
    powerSpin.SetRange(kPowerSpinLowest, kPowerSpinHighest);
    testAmountBox.AddString(StringText(IDS_TEST_ALL));
    testAmountBox.AddString(Format(IDS_TEST_MEBIBYTES, 64u).c_str());
    testAmountBox.AddString(Format(IDS_TEST_MEBIBYTES, 16u).c_str());
    testAmountBox.LimitText(kTestAmountLimit);
    LoadSettings();
    return true;
}

void SetupDialog::LoadSettings() {
    // The reading GO and the listing take.
    const SettingsSnapshot settings(Settings());
    for (Field& field : fields) {
        field.loaded = settings.Checked(*field.key).text;
        field.present = Holds(Settings(), *field.key);
        ShowLoaded(field, settings.Number(*field.key));
    }
    UpdateData(false);
    for (Field& field : fields) field.shown = Shown(field);
    EnableDeviceControls(functionChoice != 0);
    // A refused value is shown as the file holds it, and named here at once.
    for (const Field& field : fields) {
        if (const std::string reason = Refusal(field, field.loaded); !reason.empty()) {
            SetNote(Format(IDS_SETTING_REFUSED, FieldName(field).c_str(), reason.c_str()));
            break;
        }
    }
}

void SetupDialog::ShowLoaded(Field& field, std::uint32_t number) {
    if (field.choice != nullptr) {
        // A speed the check refuses selects neither radio: Low would save it
        // as another value.
        const bool refused = !RefusalReason(*field.key, field.loaded).empty();
        const auto second = static_cast<std::uint32_t>(SecondValue(*field.key));
        *field.choice = refused ? -1 : number == 0 ? 0 : number == second ? 1 : -1;
    } else if (field.control == IDC_TEST_AMOUNT) {
        ::SetDlgItemTextA(GetSafeHwnd(), field.control, AmountText(field.loaded, number).c_str());
    } else {
        // The characters, decoded as the image and the listing decode them.
        const std::u16string characters = Utf16(DecodeSettingsText(field.loaded));
        ::SetWindowTextW(GetDlgItem(field.control), std::wstring(characters.begin(), characters.end()).c_str());
    }
}

std::string SetupDialog::Shown(const Field& field) const {
    if (field.choice != nullptr) return std::to_string(*field.choice);
    if (field.key->kind != SettingKind::Text) return WindowText(GetDlgItem(field.control));
    // A typed text in the form the file held: UTF-8, or one byte a character.
    wchar_t wide[kSettingsPathSize] = {};
    const int length = ::GetWindowTextW(GetDlgItem(field.control), wide, kSettingsPathSize);
    const std::u16string units(wide, wide + (length > 0 ? length : 0));
    return EncodeSettingsText(FromUtf16(units), field.loaded);
}

std::string SetupDialog::Entered(const Field& field) const {
    if (field.choice != nullptr) return std::to_string(*field.choice == 1 ? SecondValue(*field.key) : *field.choice);
    const std::string text = Shown(field);
    return field.control == IDC_TEST_AMOUNT ? AmountEntered(text) : text;
}

std::string SetupDialog::Refusal(const Field& field, const std::string& text) const {
    // The reader would get a field of blanks: the dialog asks for a text.
    if (field.deviceControl != 0 && field.key->kind == SettingKind::Text && text.empty())
        return StringText(IDS_TEXT_EMPTY);
    return RefusalReason(*field.key, text);
}

void SetupDialog::OnOK() {
    UpdateData(true);
    std::vector<SavedValue> values;
    if (!ValuesToSave(values)) return;
    const SettingsFile settings = Settings();
    for (const SavedValue& value : values) settings.WriteText(*value.key, AsWritten(value.text).c_str());
    ui::CDialog::OnOK();
}

// A value the operator did not change goes back exactly as loaded, and is
// checked only where the operator can mend it: the device information counts
// only with "Write EEPROM" chosen, so a refused power never blocks the
// read/write test's OK. A changed value is always checked.
bool SetupDialog::ValuesToSave(std::vector<SavedValue>& values) {
    for (const Field& field : fields) {
        const bool changed = Shown(field) != field.shown;
        std::string text = changed ? Entered(field) : field.loaded;
        if (changed || field.deviceControl == 0 || deviceControlsEnabled) {
            if (const std::string reason = Refusal(field, text); !reason.empty()) {
                RefuseOk(field, reason);
                return false;
            }
        }
        if (changed || !field.present) values.push_back({field.key, std::move(text)});
    }
    return true;
}

void SetupDialog::RefuseOk(const Field& field, const std::string& reason) {
    const bool reachable = field.deviceControl == 0 || deviceControlsEnabled;
    SetNote(Format(reachable ? IDS_SETTING_REFUSED : IDS_SETUP_LOCKED, FieldName(field).c_str(), reason.c_str()));
    ::MessageBeep(MB_ICONEXCLAMATION);
    // A pair with neither radio selected keeps the focus where it is: a radio
    // that gets the focus may select itself, and choose for the operator.
    if (!reachable || (field.choice != nullptr && *field.choice < 0)) return;
    SendMessage(WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(field.control)), TRUE);
}

std::string SetupDialog::FieldName(const Field& field) const {
    std::string name;
    for (char c : WindowText(::GetWindow(GetDlgItem(field.control), GW_HWNDPREV))) {
        if (c != '&') name += c;
    }
    while (!name.empty() && (name.back() == ':' || name.back() == ' ')) name.pop_back();
    return name;
}

bool SetupDialog::OnMessage(UINT message, WPARAM, LPARAM lParam, LRESULT& result) {
    if (message != WM_NOTIFY) return false;
    const auto* change = reinterpret_cast<const NMUPDOWN*>(lParam);
    if (change->hdr.idFrom != IDC_POWER_SPIN || change->hdr.code != UDN_DELTAPOS) return false;
    result = StepPowerFromOutsideRange(change->iDelta) ? TRUE : FALSE;
    return true;
}

// The control steps from its own idea of a value outside its range (Wine
// jumps to its lowest, 1): an arrow on 300 goes to 250 here, on -5 to 1, and
// on a text that is no number to the standard 250.
bool SetupDialog::StepPowerFromOutsideRange(int delta) {
    const std::string text = WindowText(GetDlgItem(IDC_POWER_EDIT));
    char* end = nullptr;
    const long long shown = std::strtoll(text.c_str(), &end, 10);
    const bool number = !text.empty() && *end == '\0';
    if (number && shown >= kPowerSpinLowest && shown <= kPowerSpinHighest) return false;
    const long long next = number ? std::clamp<long long>(shown + delta, kPowerSpinLowest, kPowerSpinHighest)
                                   : kPowerConsumptionKey.NumberDefault();
    powerSpin.SendMessage(UDM_SETPOS32, 0, static_cast<LPARAM>(next));
    ::SetDlgItemTextA(GetSafeHwnd(), IDC_POWER_EDIT, std::to_string(next).c_str());
    return true;
}

void SetupDialog::SetNote(const std::string& text) { ::SetDlgItemTextA(GetSafeHwnd(), IDC_SETUP_NOTE, text.c_str()); }

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
    deviceControlsEnabled = enable;
    for (const Field& field : fields) {
        if (field.deviceControl == 0) continue;
        ::EnableWindow(GetDlgItem(field.deviceControl), enable ? TRUE : FALSE);
        if (field.choice != nullptr) ::EnableWindow(GetDlgItem(field.deviceControl + 1), enable ? TRUE : FALSE);
    }
}

}  // namespace talven
