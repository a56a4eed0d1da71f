// The about box on real controls, with this test program's own version
// record (the resources are linked in as into the product).
#include <gtest/gtest.h>

#include <fstream>

#include "about/AboutDialog.h"
#include "about/VersionInfo.h"
#include "resources/resource.h"
#include "tests/support/TestStation.h"
#include "tests/windows/app/WindowProbe.h"
#include "tests/windows/ui/DialogDriver.h"
#include "ui/MessagePump.h"

namespace talven {
namespace {

TEST(AboutBox, ShowsVersionAndBuildFromTheVersionRecordAndAnExitTip) {
    AboutDialog about;
    ASSERT_TRUE(about.Create(false));
    HWND window = about.GetSafeHwnd();
    EXPECT_EQ(test::ItemText(window, IDC_VERSION_TEXT), "1.00");
    EXPECT_EQ(test::ItemText(window, IDC_BUILD_TEXT), "0008");
    EXPECT_EQ(about.VersionText(), "1.00");
    EXPECT_EQ(about.BuildText(), "0008");
    HWND exitButton = ::GetDlgItem(window, IDC_ABOUT_EXIT);
    EXPECT_EQ(test::ToolText(about.ToolTipWindow(), exitButton), "Exit");
    const SIZE size = test::WindowSize(exitButton);
    EXPECT_EQ(size.cx, 46);
    EXPECT_EQ(size.cy, 39);
}

TEST(AboutBox, EnterEscapeAndCloseLeaveItOpenAndExitClosesIt) {
    AboutDialog about;
    ASSERT_TRUE(about.Create(false));
    HWND window = about.GetSafeHwnd();
    HWND exitButton = ::GetDlgItem(window, IDC_ABOUT_EXIT);
    test::Click(window, IDOK);
    test::Click(window, IDCANCEL);
    ::SendMessageA(window, WM_CLOSE, 0, 0);
    ::PostMessageA(exitButton, WM_KEYDOWN, VK_ESCAPE, 0);
    ::PostMessageA(window, WM_KEYDOWN, VK_RETURN, 0);
    ui::PumpMessages();
    EXPECT_FALSE(about.IsEnded());
    EXPECT_EQ(test::ToolCount(about.ToolTipWindow()), 1);

    test::Click(window, IDC_ABOUT_EXIT);
    EXPECT_TRUE(about.IsEnded());
    EXPECT_EQ(about.Result(), IDOK);
    EXPECT_EQ(test::ToolCount(about.ToolTipWindow()), 0);
    EXPECT_EQ(about.VersionText(), "1.00") << "the base OK reads the statics back";
}

TEST(AboutBox, ModalRunEndsOnlyThroughExit) {
    AboutDialog about;
    int tick = 0;
    bool openAfterKeys = false;
    test::DialogDriver driver([&] {
        AboutDialog* shown = test::FindDialog<AboutDialog>();
        if (shown == nullptr) {
            return false;
        }
        HWND window = shown->GetSafeHwnd();
        switch (tick++) {
            case 0:
                ::PostMessageA(::GetDlgItem(window, IDC_ABOUT_EXIT), WM_KEYDOWN, VK_ESCAPE, 0);
                ::PostMessageA(::GetDlgItem(window, IDC_ABOUT_EXIT), WM_KEYDOWN, VK_RETURN, 0);
                ::PostMessageA(window, WM_CLOSE, 0, 0);
                return false;
            case 1:
                return false;  // the keys and the close request are handled by now
            default:
                openAfterKeys = ::IsWindow(window) != FALSE && !shown->IsEnded();
                test::Click(window, IDC_ABOUT_EXIT);
                return true;
        }
    });
    EXPECT_EQ(about.DoModal(), IDOK);
    EXPECT_TRUE(openAfterKeys);
    EXPECT_FALSE(driver.GaveUp());
}

TEST(VersionLookup, AFileWithoutARecordGivesEmptyTexts) {
    test::TestStation station;
    station.WriteSettings("not a program\r\n");
    const VersionTexts plain = ReadVersionTexts(station.SettingsPath().c_str());
    EXPECT_EQ(plain.version, "");
    EXPECT_EQ(plain.build, "");
    const VersionTexts missing = ReadVersionTexts("C:\\no\\such\\program.exe");
    EXPECT_EQ(missing.version, "");
    EXPECT_EQ(missing.build, "");
}

}  // namespace
}  // namespace talven
