// The setup dialog on real controls: what it loads, what it refuses and what
// it writes, and the main window following the function after OK.
#include <gtest/gtest.h>

#include "app/ProductionDialog.h"
#include "resources/resource.h"
#include "app/SetupDialog.h"
#include "tests/support/TestStation.h"
#include "tests/windows/app/WindowProbe.h"
#include "tests/windows/ui/DialogDriver.h"
#include "ui/MessagePump.h"

namespace talven {
namespace {

using test::Checked;
using test::Enabled;
using test::ItemText;

constexpr int kDeviceRadios[] = {IDC_CF_HIGH, IDC_CF_LOW, IDC_SM_HIGH, IDC_SM_LOW, IDC_SD_HIGH, IDC_SD_LOW,
                                 IDC_MSPRO_HIGH, IDC_MSPRO_LOW, IDC_MS_HIGH, IDC_MS_LOW, IDC_MMC_HIGH, IDC_MMC_LOW};
constexpr int kDeviceEdits[] = {IDC_MANUFACTURE_EDIT, IDC_PRODUCTION_EDIT, IDC_SERIAL_EDIT, IDC_SCSI_VERSION_EDIT};

class Setup : public ::testing::Test {
protected:
    void Open() {
        dialog = std::make_unique<SetupDialog>(station.GetPlatform());
        ASSERT_TRUE(dialog->Create(false));
        window = dialog->GetSafeHwnd();
    }
    void ClickRadio(int id) { ::SendDlgItemMessageA(window, id, BM_CLICK, 0, 0); }
    void ExpectDeviceControlsEnabled(bool enabled) {
        for (int id : kDeviceEdits) {
            EXPECT_EQ(Enabled(window, id), enabled) << id;
        }
        for (int id : kDeviceRadios) {
            EXPECT_EQ(Enabled(window, id), enabled) << id;
        }
        EXPECT_EQ(Enabled(window, IDC_POWER_SPIN), enabled);
        for (int id : {IDC_FILE_SIZE_1M, IDC_FILE_SIZE_2M, IDC_FUNCTION_READ_WRITE, IDC_FUNCTION_EEPROM, IDOK,
                       IDCANCEL, IDC_POWER_EDIT}) {
            EXPECT_TRUE(Enabled(window, id)) << id;
        }
    }
    std::string Key(const char* section, const char* key) const { return station.Text(section, key); }
    std::string Note() const { return ItemText(window, IDC_SETUP_NOTE); }

    test::TestStation station;
    std::unique_ptr<SetupDialog> dialog;
    HWND window = nullptr;
};

TEST_F(Setup, WithoutSettingsShowsTheDefaultsTheRunWritesWithDeviceControlsOff) {
    Open();
    EXPECT_EQ(dialog->SettingsPathText(), station.SettingsPath());
    EXPECT_EQ(ItemText(window, IDC_SERIAL_EDIT), "123456789abcdef");
    EXPECT_EQ(ItemText(window, IDC_PRODUCTION_EDIT), "USBCard Reader");
    EXPECT_EQ(ItemText(window, IDC_MANUFACTURE_EDIT), "KVe");
    EXPECT_EQ(ItemText(window, IDC_SCSI_VERSION_EDIT), "KVe");
    EXPECT_EQ(ItemText(window, IDC_POWER_EDIT), "250");
    EXPECT_EQ(Note(), "");
    for (int high : {IDC_CF_HIGH, IDC_SM_HIGH, IDC_SD_HIGH, IDC_MSPRO_HIGH, IDC_MS_HIGH, IDC_MMC_HIGH,
                     IDC_FILE_SIZE_1M, IDC_FUNCTION_READ_WRITE}) {
        EXPECT_TRUE(Checked(window, high)) << high;
        EXPECT_FALSE(Checked(window, high + 1)) << high + 1;
    }
    ExpectDeviceControlsEnabled(false);

    auto limit = [&](int id) { return ::SendDlgItemMessageA(window, id, EM_GETLIMITTEXT, 0, 0); };
    EXPECT_EQ(limit(IDC_SERIAL_EDIT), 16);
    EXPECT_EQ(limit(IDC_PRODUCTION_EDIT), 15);
    EXPECT_EQ(limit(IDC_MANUFACTURE_EDIT), 3);
    EXPECT_EQ(limit(IDC_SCSI_VERSION_EDIT), 8);
    int lower = 0;
    int upper = 0;
    ::SendDlgItemMessageA(window, IDC_POWER_SPIN, UDM_GETRANGE32, reinterpret_cast<WPARAM>(&lower),
                          reinterpret_cast<LPARAM>(&upper));
    EXPECT_EQ(lower, 1);
    EXPECT_EQ(upper, 250);
}

TEST_F(Setup, StoredValuesAreShownAsWrittenAndOkNamesEachRefusedOneUntilItIsMended) {
    const std::string serial = "ABCDEFGHIJKLMNOPQRST";  // 20 characters, past the typing limit
    const std::string settings = "[Program set]\r\nWR=5\r\nFS=1\r\n[VX5308]\r\nSN=" + serial +
                                 "\r\nCFSpeed=2\r\nSMSpeed=1\r\nSDSpeed=0\r\nMSSpeed=1\r\nMSProSpeed=2\r\nMMCSpeed=9\r\n"
                                 "Power Consumption=300\r\nVID=1234\r\n";
    station.WriteSettings(settings);
    Open();
    EXPECT_EQ(ItemText(window, IDC_SERIAL_EDIT), serial);
    EXPECT_EQ(ItemText(window, IDC_POWER_EDIT), "300") << "never the low 8 bits, 44";
    EXPECT_EQ(Note(), "Serial No: 20 characters; the field holds 16") << "the first refused value, at once";
    EXPECT_FALSE(Checked(window, IDC_CF_HIGH));
    EXPECT_FALSE(Checked(window, IDC_CF_LOW));
    EXPECT_TRUE(Checked(window, IDC_SM_LOW));
    EXPECT_TRUE(Checked(window, IDC_SD_HIGH));
    EXPECT_FALSE(Checked(window, IDC_MS_LOW)) << "MS Low is 2: Low would save the 1 as 2";
    EXPECT_FALSE(Checked(window, IDC_MS_HIGH));
    EXPECT_TRUE(Checked(window, IDC_MSPRO_LOW));
    EXPECT_FALSE(Checked(window, IDC_MMC_HIGH));
    EXPECT_FALSE(Checked(window, IDC_MMC_LOW));
    EXPECT_TRUE(Checked(window, IDC_FILE_SIZE_2M));
    EXPECT_FALSE(Checked(window, IDC_FUNCTION_READ_WRITE));
    EXPECT_FALSE(Checked(window, IDC_FUNCTION_EEPROM));
    ExpectDeviceControlsEnabled(true);

    // Each refused value keeps OK from saving, is named with its reason and,
    // where it can be, gets the focus; then the operator mends it.
    struct Refusal {
        const char* note;
        int focus;  // 0: a pair with no choice keeps the focus where it is
        std::function<void()> mend;
    };
    const Refusal refusals[] = {
        {"Serial No: 20 characters; the field holds 16", IDC_SERIAL_EDIT,
         [&] { ::SetDlgItemTextA(window, IDC_SERIAL_EDIT, serial.substr(0, 16).c_str()); }},
        {"MMC: \"9\" is not 0 (High) or 1 (Low)", 0, [&] { ClickRadio(IDC_MMC_HIGH); }},
        {"MS: \"1\" is not 0 (High) or 2 (Low)", 0, [&] { ClickRadio(IDC_MS_LOW); }},
        {"CF: \"2\" is not 0 (High) or 1 (Low)", 0, [&] { ClickRadio(IDC_CF_LOW); }},
        {"Power Consumption: \"300\" is not a whole number from 0 to 250", IDC_POWER_EDIT,
         [&] { ::SendDlgItemMessageA(window, IDC_POWER_EDIT, WM_KEYDOWN, VK_DOWN, 0); }},
    };
    for (const Refusal& refusal : refusals) {
        ::SetFocus(::GetDlgItem(window, IDCANCEL));
        test::Click(window, IDOK);
        EXPECT_FALSE(dialog->IsEnded()) << refusal.note;
        EXPECT_EQ(station.SettingsBytes(), settings);
        EXPECT_EQ(Note(), refusal.note);
        EXPECT_EQ(::GetFocus(), ::GetDlgItem(window, refusal.focus != 0 ? refusal.focus : IDCANCEL)) << refusal.note;
        refusal.mend();
    }
    EXPECT_EQ(ItemText(window, IDC_POWER_EDIT), "250") << "an arrow on 300 goes to the nearer end, not to 1";
    test::Click(window, IDOK);
    ASSERT_TRUE(dialog->IsEnded());
    EXPECT_EQ(dialog->Result(), IDOK);
    EXPECT_EQ(Key("VX5308", "SN"), serial.substr(0, 16));
    EXPECT_EQ(Key("VX5308", "CFSpeed"), "1");
    EXPECT_EQ(Key("VX5308", "SMSpeed"), "1");
    EXPECT_EQ(Key("VX5308", "SDSpeed"), "0");
    EXPECT_EQ(Key("VX5308", "MSSpeed"), "2");
    EXPECT_EQ(Key("VX5308", "MSProSpeed"), "2");
    EXPECT_EQ(Key("VX5308", "MMCSpeed"), "0");
    EXPECT_EQ(Key("VX5308", "Power Consumption"), "250");
    EXPECT_EQ(Key("VX5308", "Productor"), "USBCard Reader");
    EXPECT_EQ(Key("VX5308", "VID"), "1234") << "keys the dialog does not show are kept";
    EXPECT_EQ(Key("Program set", "FS"), "1");
    EXPECT_EQ(Key("Program set", "WR"), "5") << "no choice made: written back as loaded";
    EXPECT_EQ(Key("Program set", "TestMiB"), "0");
}

TEST_F(Setup, ChoicesClickedAreSavedAndTheFunctionSwitchesTheDeviceControls) {
    Open();
    ClickRadio(IDC_FUNCTION_EEPROM);
    ExpectDeviceControlsEnabled(true);
    ClickRadio(IDC_FUNCTION_READ_WRITE);
    ExpectDeviceControlsEnabled(false);
    ClickRadio(IDC_FUNCTION_EEPROM);
    ClickRadio(IDC_MS_LOW);
    ClickRadio(IDC_CF_LOW);
    ClickRadio(IDC_FILE_SIZE_2M);
    ::SetDlgItemTextA(window, IDC_MANUFACTURE_EDIT, "ABC");
    ::SendDlgItemMessageA(window, IDC_POWER_SPIN, UDM_SETPOS32, 0, 100);
    test::Click(window, IDOK);
    ASSERT_TRUE(dialog->IsEnded());
    EXPECT_EQ(Key("VX5308", "MSSpeed"), "2");
    EXPECT_EQ(Key("VX5308", "MSProSpeed"), "0");
    EXPECT_EQ(Key("VX5308", "CFSpeed"), "1");
    EXPECT_EQ(Key("VX5308", "Manufacture"), "ABC");
    EXPECT_EQ(Key("VX5308", "Power Consumption"), "100");
    EXPECT_EQ(Key("Program set", "FS"), "1");
    EXPECT_EQ(Key("Program set", "WR"), "1");

    // Reopened, the stored MS Low selects Low again.
    Open();
    EXPECT_TRUE(Checked(window, IDC_MS_LOW));
    EXPECT_TRUE(Checked(window, IDC_CF_LOW));
    EXPECT_EQ(ItemText(window, IDC_POWER_EDIT), "100");
}

TEST_F(Setup, AnEmptiedTextRefusesOkAndLeavesTheFileAlone) {
    const std::string settings = "[VX5308]\r\nSN=12345\r\n";
    station.WriteSettings(settings);
    Open();
    for (int id : kDeviceEdits) {
        const std::string before = ItemText(window, id);
        ::SetDlgItemTextA(window, id, "");
        test::Click(window, IDOK);
        EXPECT_FALSE(dialog->IsEnded()) << id;
        EXPECT_EQ(station.SettingsBytes(), settings) << id;
        EXPECT_NE(Note().find(": the text is empty (choose Write EEPROM to change it)"), std::string::npos) << Note();
        ::SetDlgItemTextA(window, id, before.c_str());
    }
    test::Click(window, IDOK);
    EXPECT_TRUE(dialog->IsEnded()) << "any non-empty texts pass";
}

// The line's complaint: a power of 600 became 88 on OK, and GO programmed 176 mA.
TEST_F(Setup, RefusedDeviceValuesGoBackAsLoadedInReadWriteAndWriteEepromNamesThem) {
    const std::string settings = "[VX5308]\r\nManufacture=\r\nPower Consumption=600\r\n";
    station.WriteSettings(settings);
    Open();
    EXPECT_EQ(ItemText(window, IDC_POWER_EDIT), "600");
    EXPECT_EQ(Note(), "Manufacture: the text is empty");
    EXPECT_FALSE(Enabled(window, IDC_MANUFACTURE_EDIT));
    test::Click(window, IDOK);
    ASSERT_TRUE(dialog->IsEnded()) << "disabled boxes do not block OK";
    EXPECT_EQ(Key("VX5308", "Manufacture"), "");
    EXPECT_EQ(Key("VX5308", "Power Consumption"), "600");
    const std::string written = station.SettingsBytes();

    Open();
    ClickRadio(IDC_FUNCTION_EEPROM);
    ::SetDlgItemTextA(window, IDC_MANUFACTURE_EDIT, "K");
    test::Click(window, IDOK);
    EXPECT_FALSE(dialog->IsEnded());
    EXPECT_EQ(Note(), "Power Consumption: \"600\" is not a whole number from 0 to 250");
    EXPECT_EQ(::GetFocus(), ::GetDlgItem(window, IDC_POWER_EDIT));
    EXPECT_EQ(station.SettingsBytes(), written) << "nothing is written while a value is refused";
}

// TestMiB beside the file size: the choices, a hand-written number as written,
// and a refused one named.
TEST_F(Setup, TestAmountIsSavedAsChosenOrWrittenAndARefusedOneKeepsOkOpen) {
    struct Case {
        const char* stored;  // null: no key
        const char* shown;
        const char* entry;  // null: left as loaded
        const char* saved;  // null: refused
    };
    const Case cases[] = {
        {nullptr, "All", nullptr, "0"},   {"064", "64 MiB", nullptr, "064"},  {"100", "100 MiB", nullptr, "100"},
        {"0", "All", "16 MiB", "16"},     {"16", "16 MiB", "All", "0"},       {"0", "All", "300", "300"},
        {"0", "All", "65535 MiB", "65535"}, {"abc", "abc", nullptr, nullptr}, {"0", "All", "70000", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored != nullptr ? c.stored : "no key");
        const std::string settings = c.stored != nullptr ? std::string("[Program set]\r\nTestMiB=") + c.stored + "\r\n" : "";
        station.WriteSettings(settings);
        Open();
        EXPECT_EQ(ItemText(window, IDC_TEST_AMOUNT), c.shown);
        if (c.entry != nullptr) ::SetDlgItemTextA(window, IDC_TEST_AMOUNT, c.entry);
        test::Click(window, IDOK);
        EXPECT_EQ(dialog->IsEnded(), c.saved != nullptr);
        if (c.saved != nullptr) {
            EXPECT_EQ(Key("Program set", "TestMiB"), c.saved);
            continue;
        }
        EXPECT_EQ(station.SettingsBytes(), settings);
        const std::string value = c.entry != nullptr ? c.entry : c.stored;
        EXPECT_EQ(Note(), "Test amount: \"" + value + "\" is not a whole number from 0 to 65535");
        EXPECT_TRUE(::IsChild(::GetDlgItem(window, IDC_TEST_AMOUNT), ::GetFocus()));
    }
}

// The boxes show a text's characters however the file encodes them; OK
// writes an untouched text back byte for byte, a typed one in the file's form.
TEST_F(Setup, TextsShowTheirCharactersAndAnUntouchedOneIsWrittenBackAsLoaded) {
    station.WriteSettings("[Program set]\r\nWR=1\r\n[VX5308]\r\nProductor=Leseger\xC3\xA4t\r\nManufacture=\xE4\xF6\xFC\r\n"
                          "SCSI_VER=\"  KVe \"\r\n");
    Open();
    EXPECT_EQ(ItemText(window, IDC_LOT_EDIT), "") << "no lot unless one is set";
    auto boxText = [&](int id) {
        wchar_t text[64] = {};
        ::GetDlgItemTextW(window, id, text, 64);
        return std::wstring(text);
    };
    EXPECT_EQ(boxText(IDC_PRODUCTION_EDIT), L"Leseger\u00E4t");
    EXPECT_EQ(boxText(IDC_MANUFACTURE_EDIT), L"\u00E4\u00F6\u00FC");
    ::SetDlgItemTextW(window, IDC_SERIAL_EDIT, L"Nr.\u00E4");
    ::SetDlgItemTextA(window, IDC_LOT_EDIT, " WO-4711");
    test::Click(window, IDOK);
    ASSERT_TRUE(dialog->IsEnded());
    EXPECT_NE(station.SettingsBytes().find("SCSI_VER=\"  KVe \"\r\n"), std::string::npos) << "untouched: as written";
    EXPECT_EQ(Key("Program set", "Lot"), " WO-4711") << "typed blanks survive the reading";
    EXPECT_EQ(Key("VX5308", "Productor"), "Leseger\xC3\xA4t");
    EXPECT_EQ(Key("VX5308", "Manufacture"), "\xE4\xF6\xFC");
    EXPECT_EQ(Key("VX5308", "SN"), "Nr.\xE4");
}

TEST_F(Setup, CancelAndTheCloseBoxWriteNothing) {
    Open();
    ClickRadio(IDC_FUNCTION_EEPROM);
    ::SetDlgItemTextA(window, IDC_SERIAL_EDIT, "999");
    test::Click(window, IDCANCEL);
    EXPECT_TRUE(dialog->IsEnded());
    EXPECT_EQ(dialog->Result(), IDCANCEL);
    Open();
    ::SendMessageA(window, WM_CLOSE, 0, 0);  // the dialog manager posts the cancel
    ui::PumpMessages();
    EXPECT_TRUE(dialog->IsEnded());
    EXPECT_EQ(dialog->Result(), IDCANCEL);
    EXPECT_FALSE(station.SettingsExist());
}

// The Setting command of the main window, with the modal dialog driven by a
// timer: `act` gets the setup dialog's window and ends it.
class SettingCommand : public Setup {
protected:
    void OpenMain() {
        main = std::make_unique<ProductionDialog>(station.GetPlatform());
        ASSERT_TRUE(main->Create(false));
        list = ::GetDlgItem(main->GetSafeHwnd(), IDC_READER_LIST);
    }
    void RunSetting(const std::function<void(HWND)>& act) {
        test::DialogDriver driver([&] {
            SetupDialog* setup = test::FindDialog<SetupDialog>();
            if (setup == nullptr) {
                return false;
            }
            act(setup->GetSafeHwnd());
            return true;
        });
        ::SendMessageA(main->GetSafeHwnd(), WM_COMMAND, IDM_SETTING, 0);
        EXPECT_TRUE(driver.Done());
        EXPECT_FALSE(driver.GaveUp());
        EXPECT_EQ(test::FindDialog<SetupDialog>(), nullptr);
    }
    std::string GoTip() const {
        return test::ToolText(main->ToolTipWindow(), ::GetDlgItem(main->GetSafeHwnd(), IDC_GO));
    }

    std::unique_ptr<ProductionDialog> main;
    HWND list = nullptr;
};

TEST_F(SettingCommand, OkMakesTheMainWindowFollowTheFunctionBothWays) {
    OpenMain();
    main->InsertRow(0, "USB Reader(E:)", kRowPassed);
    RunSetting([](HWND setup) {
        ::SendDlgItemMessageA(setup, IDC_FUNCTION_EEPROM, BM_CLICK, 0, 0);
        test::Click(setup, IDOK);
    });
    EXPECT_EQ(station.Text("Program set", "WR"), "1");
    ASSERT_EQ(test::RowCount(list), 11);
    EXPECT_EQ(test::CellText(list, 0, 0), "Productor");
    EXPECT_EQ(test::CellText(list, 0, 1), "USBCard Reader") << "the listing shows what was saved";
    EXPECT_EQ(test::CellText(list, 4, 1), "High");
    EXPECT_EQ(test::CellText(list, 10, 1), "250");
    EXPECT_EQ(GoTip(), "Write EEPROM");
    EXPECT_EQ(test::ToolCount(main->ToolTipWindow()), 2);

    RunSetting([](HWND setup) {
        ::SendDlgItemMessageA(setup, IDC_FUNCTION_READ_WRITE, BM_CLICK, 0, 0);
        test::Click(setup, IDOK);
    });
    const auto columns = test::Columns(list);
    ASSERT_EQ(columns.size(), 3u);
    EXPECT_EQ(columns[0].heading, "Card Type");
    EXPECT_EQ(columns[1].heading, "Status");
    EXPECT_EQ(test::RowCount(list), 0);
    EXPECT_EQ(GoTip(), "Write/Read Test");
}

TEST_F(SettingCommand, AnyOkRebuildsTheListAndCancelChangesNothing) {
    OpenMain();
    main->InsertRow(0, "USB Reader(E:)", kRowPassed);
    RunSetting([](HWND setup) {
        ::SendDlgItemMessageA(setup, IDC_FUNCTION_EEPROM, BM_CLICK, 0, 0);
        test::Click(setup, IDCANCEL);
    });
    EXPECT_FALSE(station.SettingsExist());
    ASSERT_EQ(test::RowCount(list), 1);
    EXPECT_EQ(GoTip(), "Write/Read Test");

    RunSetting([](HWND setup) { test::Click(setup, IDOK); });
    EXPECT_EQ(station.Text("Program set", "WR"), "0");
    EXPECT_EQ(test::RowCount(list), 0) << "the reader rows shown before are gone";
    EXPECT_EQ(GoTip(), "Write/Read Test");
}

}  // namespace
}  // namespace talven
