// The main window on real controls: the list in both modes, the tooltips, the
// close guard, the menu commands and the view the production runs use.
#include <gtest/gtest.h>

#include <fstream>

#include "about/AboutDialog.h"
#include "app/ProductionDialog.h"
#include "resources/StringTable.h"
#include "resources/resource.h"
#include "app/SetupDialog.h"
#include "tests/support/TestStation.h"
#include "tests/windows/app/WindowProbe.h"
#include "tests/windows/ui/DialogDriver.h"
#include "ui/MessagePump.h"

namespace talven {
namespace {

using test::CellText;
using test::Columns;
using test::RowCount;

class MainWindow : public ::testing::Test {
protected:
    // The window is created hidden: nothing here needs it on the screen.
    void Open() {
        window = std::make_unique<ProductionDialog>(station.GetPlatform());
        ASSERT_TRUE(window->Create(false));
        dialog = window->GetSafeHwnd();
        list = ::GetDlgItem(dialog, IDC_READER_LIST);
    }
    std::string GoTip() const { return test::ToolText(window->ToolTipWindow(), ::GetDlgItem(dialog, IDC_GO)); }
    std::string ExitTip() const {
        return test::ToolText(window->ToolTipWindow(), ::GetDlgItem(dialog, IDC_EXIT));
    }
    void ExpectTestModeList() const {
        const auto columns = Columns(list);
        ASSERT_EQ(columns.size(), 3u);
        EXPECT_EQ(columns[0].heading, "Card Type");
        EXPECT_EQ(columns[1].heading, "Status");
        EXPECT_EQ(columns[2].heading, "Write/Read MB/s");
        EXPECT_EQ(RowCount(list), 0);
        EXPECT_EQ(test::SmallImages(list).size, 32);
        EXPECT_EQ(test::SmallImages(list).count, 4);
    }

    test::TestStation station;
    std::unique_ptr<ProductionDialog> window;
    HWND dialog = nullptr;
    HWND list = nullptr;
};

TEST_F(MainWindow, WithoutSettingsShowsTheEmptyTestListAndItsTips) {
    Open();
    EXPECT_EQ(window->SettingsPathText(), station.SettingsPath());
    ExpectTestModeList();
    const auto columns = Columns(list);
    const int width = test::ClientWidth(list);
    EXPECT_EQ(columns[0].width, width / 3);
    EXPECT_EQ(columns[2].width, width / 4);
    EXPECT_EQ(columns[0].width + columns[1].width + columns[2].width, width);
    EXPECT_EQ(GoTip(), "Write/Read Test");
    EXPECT_EQ(ExitTip(), "Exit");
    EXPECT_EQ(test::ItemText(dialog, IDC_STATUS_LINE), "");
    EXPECT_EQ(test::WindowSize(::GetDlgItem(dialog, IDC_GO)).cx, 46);
    EXPECT_EQ(test::WindowSize(::GetDlgItem(dialog, IDC_EXIT)).cy, 39);
    EXPECT_FALSE(station.SettingsExist()) << "reading creates no settings file";
}

TEST_F(MainWindow, EepromModeWithNoOtherKeysListsElevenRowsOfTheDefaultsTheRunWrites) {
    station.WriteSettings("[Program set]\r\nWR=1\r\n");
    Open();
    const auto columns = Columns(list);
    ASSERT_EQ(columns.size(), 2u);
    EXPECT_EQ(columns[0].heading, "Name");
    EXPECT_EQ(columns[1].heading, "Value");
    EXPECT_EQ(columns[0].width, test::ClientWidth(list) / 3);
    EXPECT_EQ(test::SmallImages(list).size, 25);
    EXPECT_EQ(GoTip(), "Write EEPROM");

    const char* expected[][2] = {
        {"Productor", "USBCard Reader"}, {"Manufacture", "KVe"}, {"Serial No", "123456789abcdef (the same for every reader: no SNFirst/SNLast block set)"},
        {"SCSI Version", "KVe"},         {"CF Speed", "High"},   {"SM Speed", "High"},
        {"SD Speed", "High"},            {"MS Pro Speed", "High"}, {"MS Speed", "High"},
        {"MMC Speed", "High"},           {"Power Consumption", "250"},
    };
    ASSERT_EQ(RowCount(list), 11);
    for (int row = 0; row < 11; ++row) {
        EXPECT_EQ(CellText(list, row, 0), expected[row][0]) << row;
        EXPECT_EQ(CellText(list, row, 1), expected[row][1]) << row;
        EXPECT_EQ(test::RowImage(list, row), 4) << "settings rows show no icon";
    }
    EXPECT_EQ(window->SettingsRowCount(), 10) << "the index of the last settings row";
    EXPECT_EQ(test::ItemText(dialog, IDC_STATUS_LINE), "");
}

TEST_F(MainWindow, SettingsListingShowsWhatTheRunWritesAndMarksRefusedValues) {
    const std::string serial(20, 'S');
    station.WriteSettings("[Program set]\r\nWR=7\r\n[VX5308]\r\nProductor=Reader X\r\nManufacture=\r\nSN=" + serial +
                          "\r\nSCSI_VER=1.0\r\nCFSpeed=2\r\nSMSpeed=1\r\nSDSpeed=0\r\nMSProSpeed=2\r\n"
                          "MSSpeed=1\r\nMMCSpeed=-1\r\nPower Consumption=300\r\n");
    Open();
    ASSERT_EQ(RowCount(list), 11);
    const struct {
        const char* value;
        int icon;
    } rows[] = {
        {"Reader X", 4},
        {"", 4},
        {"20 characters; the field holds 16", kRowFailed},
        {"1.0", 4},
        {"\"2\" is not 0 (High) or 1 (Low)", kRowFailed},
        {"Low", 4},
        {"High", 4},
        {"Low", 4},
        {"\"1\" is not 0 (High) or 2 (Low)", kRowFailed},
        {"\"-1\" is not 0 (High) or 1 (Low)", kRowFailed},
        {"\"300\" is not a whole number from 0 to 250", kRowFailed},
    };
    for (int row = 0; row < 11; ++row) {
        EXPECT_EQ(CellText(list, row, 1), rows[row].value) << CellText(list, row, 0);
        EXPECT_EQ(test::RowImage(list, row), rows[row].icon) << CellText(list, row, 0);
    }
    EXPECT_EQ(test::ItemText(dialog, IDC_STATUS_LINE), "SN: 20 characters; the field holds 16");

    // A misspelled key refuses nothing, but the status line says so.
    station.WriteSettings("[Program set]\r\nWR=1\r\n[VX5308]\r\nPower Consumtion=100\r\n");
    window->RebuildReaderList();
    EXPECT_EQ(CellText(list, 10, 1), "250");
    EXPECT_EQ(test::ItemText(dialog, IDC_STATUS_LINE),
              "Warning: unknown key Power Consumtion in [VX5308]; did you mean Power Consumption?");
    // A text's characters, whether the file holds it as UTF-8 or as ANSI.
    station.WriteSettings("[Program set]\r\nWR=1\r\n[VX5308]\r\nProductor=Leseger\xC3\xA4t\r\nManufacture=\xE4\r\n");
    window->RebuildReaderList();
    const auto wideValue = [&](int row) {
        wchar_t text[64] = {};
        LVITEMW record{};
        record.iSubItem = 1;
        record.pszText = text;
        record.cchTextMax = 64;
        ::SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&record));
        return std::wstring(text);
    };
    EXPECT_EQ(wideValue(0), L"Leseger\u00E4t");
    EXPECT_EQ(wideValue(1), L"\u00E4");

    // With a block the serial row shows what the next GO writes, its prefix's
    // characters read as SN's are; a block used up fails there.
    station.WriteSettings("[Program set]\r\nWR=1\r\n[VX5308]\r\nSNFirst=T\xC3\xA4" "00000100\r\nSNLast=T\xC3\xA4"
                          "00000999\r\n");
    window->RebuildReaderList();
    EXPECT_EQ(wideValue(2), L"T\u00E400000100 (next of T\u00E400000100\u2013T\u00E400000999)");
    EXPECT_EQ(test::RowImage(list, 2), 4);
    std::ofstream(station.SettingsPath().substr(0, station.SettingsPath().size() - 3) + "state", std::ios::binary)
        << "handed=T\xC3\xA4" "00000100\tT\xC3\xA4" "00000999\r\nend\r\n";
    window->RebuildReaderList();
    EXPECT_EQ(wideValue(2), L"serial numbers used up: T\u00E400000999 was the last");
    EXPECT_EQ(test::RowImage(list, 2), kRowFailed);

    station.WriteSettings("[Program set]\r\nWR=0\r\n");
    window->RebuildReaderList();
    EXPECT_EQ(test::ItemText(dialog, IDC_STATUS_LINE), "") << "what it said went with the listing";
}

TEST_F(MainWindow, RebuildBetweenModesRemovesRowsAndTheOldColumns) {
    Open();
    window->InsertRow(0, "USB Reader(E:)", kRowPassed);
    window->InsertRow(1, "USB Reader(F:)", kRowFailed);
    station.WriteSettings("[Program set]\r\nWR=1\r\n");
    window->RebuildReaderList();
    auto columns = Columns(list);
    ASSERT_EQ(columns.size(), 2u);
    EXPECT_EQ(columns[0].heading, "Name");
    EXPECT_EQ(columns[1].heading, "Value");
    ASSERT_EQ(RowCount(list), 11);
    EXPECT_EQ(CellText(list, 0, 0), "Productor");
    EXPECT_EQ(test::SmallImages(list).size, 25);

    station.WriteSettings("[Program set]\r\nWR=0\r\n");
    window->RebuildReaderList();
    ExpectTestModeList();
    EXPECT_EQ(window->ImageList()->GetImageCount(), 4);
}

TEST_F(MainWindow, ViewRowOperationsActOnTheRealList) {
    Open();
    ProductionView& view = *window;
    view.InsertRow(0, "USB Reader(F:)", kRowNeutral);
    view.InsertRow(0, "USB Reader(E:)", kRowNeutral);
    view.InsertRow(2, "G:", kRowNeutral);
    view.SetRowText(1, "Test success.");
    view.SetRowIcon(1, kRowPassed);
    EXPECT_EQ(view.RowCount(), 3);
    EXPECT_EQ(CellText(list, 0, 0), "USB Reader(E:)");
    EXPECT_EQ(CellText(list, 1, 0), "USB Reader(F:)");
    EXPECT_EQ(CellText(list, 1, 1), "Test success.");
    EXPECT_EQ(test::RowImage(list, 1), kRowPassed);
    EXPECT_EQ(test::RowImage(list, 0), kRowNeutral);
    view.DeleteRow(0);
    EXPECT_EQ(CellText(list, 0, 0), "USB Reader(F:)");
    EXPECT_EQ(CellText(list, 0, 1), "Test success.");
    view.DeleteAllRows();
    EXPECT_EQ(view.RowCount(), 0);

    view.SetStatusText("Chip 5308 Revision:0102 ab/cd 'ef");
    EXPECT_EQ(test::ItemText(dialog, IDC_STATUS_LINE), "Chip 5308 Revision:0102 ab/cd 'ef");
    EXPECT_EQ(view.LoadText(IDS_STOP_WRITE_READ), StringText(IDS_STOP_WRITE_READ));
    EXPECT_EQ(view.LoadText(IDS_TESTING), "Testting(%u/%u)....");

    view.EnableButtons(false, false);
    EXPECT_FALSE(test::Enabled(dialog, IDC_GO));
    EXPECT_FALSE(test::Enabled(dialog, IDC_EXIT));
    view.EnableButtons(true, false);
    EXPECT_TRUE(test::Enabled(dialog, IDC_GO));
    EXPECT_FALSE(test::Enabled(dialog, IDC_EXIT));
}

TEST_F(MainWindow, ShowsTheApplicationIconAsWindowAndDragIcon) {
    Open();
    HICON icon = ::LoadIconA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_APPLICATION_ICON));
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(reinterpret_cast<HICON>(::SendMessageA(dialog, WM_GETICON, ICON_BIG, 0)), icon);
    EXPECT_EQ(reinterpret_cast<HICON>(::SendMessageA(dialog, WM_GETICON, ICON_SMALL, 0)), icon);
    EXPECT_EQ(reinterpret_cast<HICON>(::SendMessageA(dialog, WM_QUERYDRAGICON, 0, 0)), icon);
}

TEST_F(MainWindow, CloseGuardRefusesEveryWayOutWhileRunning) {
    Open();
    window->Running() = 1;
    ::SendMessageA(dialog, WM_CLOSE, 0, 0);
    test::Click(dialog, IDC_EXIT);
    ::PostMessageA(list, WM_KEYDOWN, VK_RETURN, 0);  // Enter is EXIT
    ui::PumpMessages();
    EXPECT_FALSE(window->IsEnded());
    EXPECT_EQ(test::ToolCount(window->ToolTipWindow()), 2);

    window->Running() = 0;
    test::Click(dialog, IDC_EXIT);
    EXPECT_TRUE(window->IsEnded());
    EXPECT_EQ(window->Result(), IDOK);
    EXPECT_EQ(test::ToolCount(window->ToolTipWindow()), 0) << "both tools go before the window ends";
}

TEST_F(MainWindow, CloseBoxEndsTheIdleWindowAsCancel) {
    Open();
    ::SendMessageA(dialog, WM_CLOSE, 0, 0);
    EXPECT_TRUE(window->IsEnded());
    EXPECT_EQ(window->Result(), IDCANCEL);
}

TEST_F(MainWindow, GoAndEscapeRequestAStopAndNeverCloseTheWindow) {
    Open();
    window->Running() = 1;
    test::Click(dialog, IDC_GO);
    EXPECT_EQ(window->Running(), 0);

    window->Running() = 1;
    ::PostMessageA(list, WM_KEYDOWN, VK_ESCAPE, 0);  // through the run's pump
    window->PumpMessages();
    EXPECT_EQ(window->Running(), 0);

    test::Click(dialog, IDC_GO);  // idle
    ::PostMessageA(list, WM_KEYDOWN, VK_ESCAPE, 0);
    ui::PumpMessages();
    EXPECT_FALSE(window->IsEnded()) << "Escape is GO, not cancel";
    EXPECT_EQ(window->Running(), 0);
}

TEST_F(MainWindow, MenuCommandsOpenNothingWhileRunning) {
    Open();
    window->Running() = 1;
    bool opened = false;
    test::DialogDriver driver([&] {
        ui::CDialog* shown = test::FindDialog<SetupDialog>();
        if (shown == nullptr) {
            shown = test::FindDialog<AboutDialog>();
        }
        if (shown != nullptr) {
            opened = true;
            shown->EndDialog(-1);
        }
        return false;
    });
    ::SendMessageA(dialog, WM_COMMAND, IDM_SETTING, 0);
    ::SendMessageA(dialog, WM_COMMAND, IDM_ABOUT, 0);
    ui::PumpMessages();
    EXPECT_FALSE(opened);
    EXPECT_FALSE(window->IsEnded());
}

TEST_F(MainWindow, AboutCommandRunsTheAboutBoxModallyUntilItsExit) {
    Open();
    std::string version;
    std::string build;
    bool mainDisabled = false;
    test::DialogDriver driver([&] {
        AboutDialog* about = test::FindDialog<AboutDialog>();
        if (about == nullptr) {
            return false;
        }
        version = test::ItemText(about->GetSafeHwnd(), IDC_VERSION_TEXT);
        build = test::ItemText(about->GetSafeHwnd(), IDC_BUILD_TEXT);
        mainDisabled = !::IsWindowEnabled(dialog);
        test::Click(about->GetSafeHwnd(), IDC_ABOUT_EXIT);
        return true;
    });
    ::SendMessageA(dialog, WM_COMMAND, IDM_ABOUT, 0);
    EXPECT_TRUE(driver.Done());
    EXPECT_FALSE(driver.GaveUp());
    EXPECT_EQ(version, "1.00");
    EXPECT_EQ(build, "0008");
    EXPECT_TRUE(mainDisabled);
    EXPECT_TRUE(::IsWindowEnabled(dialog));
    EXPECT_EQ(test::FindDialog<AboutDialog>(), nullptr);
}

// Help > Line report with nothing to show says why in a box, and opens nothing.
TEST_F(MainWindow, LineReportWithoutARecordSaysWhyInABox) {
    Open();
    std::string said;
    test::DialogDriver driver([&] {
        HWND box = test::FindMessageBox();
        if (box == nullptr) return false;
        said = test::ItemText(box, 0xFFFF);
        ::PostMessageA(box, WM_COMMAND, IDOK, 0);
        return true;
    });
    ::SendMessageA(dialog, WM_COMMAND, IDM_LINE_REPORT, 0);
    EXPECT_TRUE(driver.Done());
    EXPECT_FALSE(driver.GaveUp());
    EXPECT_EQ(said, std::string(window->Record()->Folder()) + " is no folder that can be read");
}

}  // namespace
}  // namespace talven
