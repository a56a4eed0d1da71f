// The dialog framework on real windows: data exchange, the modal loop, the
// pre-translation of pumped messages, owner-drawn faces and the list control.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>

#include "resources/resource.h"
#include "tests/windows/ui/DialogDriver.h"
#include "ui/BitmapButton.h"
#include "ui/DataExchange.h"
#include "ui/Dialog.h"
#include "ui/ImageList.h"
#include "ui/ListCtrl.h"
#include "ui/MessagePump.h"

namespace talven::ui {
namespace {

// A dialog on the setup template, exchanging one radio pair, the power edit
// and one edit's text.
class ProbeDialog : public CDialog {
public:
    ProbeDialog() : CDialog(IDD_SETUP_DIALOG) {}
    ~ProbeDialog() override { DestroyWindow(); }

    int choice = 0;
    std::uint8_t power = 250;
    std::string text = "text";
    int cancels = 0;
    int initCalls = 0;

protected:
    void DoDataExchange(CDataExchange& exchange) override {
        DDX_Radio(exchange, IDC_FUNCTION_READ_WRITE, choice);
        DDX_Text(exchange, IDC_POWER_EDIT, power);
        DDX_Text(exchange, IDC_SERIAL_EDIT, text);
    }
    bool OnInitDialog() override {
        ++initCalls;
        return CDialog::OnInitDialog();
    }
    void OnCancel() override {
        ++cancels;
        CDialog::OnCancel();
    }
};

bool Checked(HWND dialog, int id) { return ::SendDlgItemMessageA(dialog, id, BM_GETCHECK, 0, 0) == BST_CHECKED; }

void Check(HWND dialog, int id, bool checked) {
    ::SendDlgItemMessageA(dialog, id, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

std::string ItemText(HWND dialog, int id) {
    char text[300] = {};
    ::GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

TEST(DataExchange, RadioPairShowsTheChoiceAndReadsBackMinusOneWhenNoneIsChecked) {
    ProbeDialog dialog;
    ASSERT_TRUE(dialog.Create(false));
    HWND window = dialog.GetSafeHwnd();
    EXPECT_EQ(dialog.initCalls, 1);
    EXPECT_TRUE(Checked(window, IDC_FUNCTION_READ_WRITE));
    EXPECT_FALSE(Checked(window, IDC_FUNCTION_EEPROM));

    dialog.choice = 1;
    ASSERT_TRUE(dialog.UpdateData(false));
    EXPECT_FALSE(Checked(window, IDC_FUNCTION_READ_WRITE));
    EXPECT_TRUE(Checked(window, IDC_FUNCTION_EEPROM));

    dialog.choice = 7;  // no such radio: the pair shows neither
    ASSERT_TRUE(dialog.UpdateData(false));
    EXPECT_FALSE(Checked(window, IDC_FUNCTION_READ_WRITE));
    EXPECT_FALSE(Checked(window, IDC_FUNCTION_EEPROM));
    ASSERT_TRUE(dialog.UpdateData(true));
    EXPECT_EQ(dialog.choice, -1);

    // The group ends at the next control that starts a group: the radios of
    // the pair after it do not count.
    Check(window, IDC_FUNCTION_EEPROM, true);
    Check(window, IDC_CF_LOW, true);
    ASSERT_TRUE(dialog.UpdateData(true));
    EXPECT_EQ(dialog.choice, 1);
}

TEST(DataExchange, TextsAndBytesGoBothWays) {
    ProbeDialog dialog;
    ASSERT_TRUE(dialog.Create(false));
    HWND window = dialog.GetSafeHwnd();
    EXPECT_EQ(ItemText(window, IDC_POWER_EDIT), "250");
    EXPECT_EQ(ItemText(window, IDC_SERIAL_EDIT), "text");

    const std::string longText(40, 'x');  // longer than any limit typing has
    ::SetDlgItemTextA(window, IDC_SERIAL_EDIT, longText.c_str());
    ::SetDlgItemTextA(window, IDC_POWER_EDIT, " 7 ");
    ASSERT_TRUE(dialog.UpdateData(true));
    EXPECT_EQ(dialog.text, longText);
    EXPECT_EQ(dialog.power, 7);
    ::SetDlgItemTextA(window, IDC_POWER_EDIT, "0");
    ASSERT_TRUE(dialog.UpdateData(true));
    EXPECT_EQ(dialog.power, 0);
}

TEST(DataExchange, ByteTextAcceptsOnlyDecimalNumbersUpTo255) {
    std::uint8_t value = 9;
    EXPECT_TRUE(ParseByte("255", value));
    EXPECT_EQ(value, 255);
    EXPECT_TRUE(ParseByte("\t 12  ", value));
    EXPECT_EQ(value, 12);
    EXPECT_TRUE(ParseByte("0000000000044", value));
    EXPECT_EQ(value, 44);
    for (const char* refused : {"256", "300", "4294967297", "", "  ", "abc", "12a", "-1", "+5", "1 2", "0x10"}) {
        value = 9;
        EXPECT_FALSE(ParseByte(refused, value)) << refused;
        EXPECT_EQ(value, 9) << refused;
    }
}

TEST(DataExchange, RefusedByteShowsThePromptAndKeepsTheMember) {
    ProbeDialog dialog;
    ASSERT_TRUE(dialog.Create(false));
    HWND window = dialog.GetSafeHwnd();
    ::SetDlgItemTextA(window, IDC_POWER_EDIT, "256");
    ::SetDlgItemTextA(window, IDC_SERIAL_EDIT, "changed");

    std::string prompt;
    test::DialogDriver driver([&] {
        HWND box = test::FindMessageBox();
        if (box == nullptr) {
            return false;
        }
        char text[200] = {};
        ::GetDlgItemTextA(box, 0xFFFF, text, sizeof text);  // the message static
        prompt = text;
        ::PostMessageA(box, WM_COMMAND, IDOK, 0);
        return true;
    });
    EXPECT_FALSE(dialog.UpdateData(true));
    EXPECT_TRUE(driver.Done());
    EXPECT_FALSE(driver.GaveUp());
    EXPECT_EQ(prompt, kParseBytePrompt);
    EXPECT_EQ(dialog.power, 250);
    EXPECT_EQ(dialog.text, "text") << "the exchange stops at the refused value";
    EXPECT_EQ(::GetFocus(), ::GetDlgItem(window, IDC_POWER_EDIT));
}

TEST(ModalLoop, RunsUntilEndDialogAndReturnsItsResult) {
    ProbeDialog dialog;
    bool sawWindow = false;
    test::DialogDriver driver([&] {
        ProbeDialog* shown = test::FindDialog<ProbeDialog>();
        if (shown == nullptr) {
            return false;
        }
        sawWindow = ::IsWindowVisible(shown->GetSafeHwnd()) != FALSE;
        shown->EndDialog(42);
        return true;
    });
    EXPECT_EQ(dialog.DoModal(), 42);
    EXPECT_TRUE(sawWindow);
    EXPECT_FALSE(driver.GaveUp());
    EXPECT_EQ(dialog.GetSafeHwnd(), nullptr) << "the window is gone after the modal run";
}

TEST(ModalLoop, EscapeInTheModalLoopReachesOnCancel) {
    ProbeDialog dialog;
    test::DialogDriver driver([&] {
        ProbeDialog* shown = test::FindDialog<ProbeDialog>();
        if (shown == nullptr) {
            return false;
        }
        HWND focus = ::GetDlgItem(shown->GetSafeHwnd(), IDC_SERIAL_EDIT);
        ::PostMessageA(focus, WM_KEYDOWN, VK_ESCAPE, 0);
        return true;
    });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_EQ(dialog.cancels, 1);
    EXPECT_FALSE(driver.GaveUp());
}

TEST(ModalLoop, DisablesTheOwnerWhileRunningAndEnablesItAfter) {
    ProbeDialog owner;
    ASSERT_TRUE(owner.Create(false));
    class Child : public CDialog {
    public:
        explicit Child(CWnd* parent) : CDialog(IDD_ABOUT_DIALOG, parent) {}
    } child(&owner);
    bool ownerEnabledInside = true;
    test::DialogDriver driver([&] {
        ownerEnabledInside = owner.IsWindowEnabled();
        child.EndDialog(IDOK);
        return true;
    });
    EXPECT_EQ(child.DoModal(), IDOK);
    EXPECT_FALSE(ownerEnabledInside);
    EXPECT_TRUE(owner.IsWindowEnabled());
}

TEST(ModalLoop, AWindowDestroyedFromOutsideEndsTheLoop) {
    ProbeDialog dialog;
    test::DialogDriver driver([&] {
        ProbeDialog* shown = test::FindDialog<ProbeDialog>();
        if (shown == nullptr) {
            return false;
        }
        ::DestroyWindow(shown->GetSafeHwnd());
        return true;
    });
    EXPECT_EQ(dialog.DoModal(), -1);
    EXPECT_FALSE(driver.GaveUp());
}

TEST(ModalLoop, MissingTemplateFailsAtOnce) {
    class Missing : public CDialog {
    public:
        Missing() : CDialog(4321) {}
    } dialog;
    EXPECT_EQ(dialog.DoModal(), -1);
    EXPECT_FALSE(dialog.Create(false));
}

TEST(MessagePump, PumpedKeysStillGoThroughTheDialogsTranslation) {
    ProbeDialog dialog;
    ASSERT_TRUE(dialog.Create(false));
    HWND edit = ::GetDlgItem(dialog.GetSafeHwnd(), IDC_SERIAL_EDIT);
    // Without IsDialogMessage the edit would take Escape as a key of its own.
    ::PostMessageA(edit, WM_KEYDOWN, VK_ESCAPE, 0);
    PumpMessages();
    EXPECT_EQ(dialog.cancels, 1);
    EXPECT_TRUE(dialog.IsEnded());
    EXPECT_EQ(dialog.Result(), IDCANCEL);
}

TEST(MessagePump, LeavesAQuitRequestForTheOuterLoop) {
    ::PostQuitMessage(3);
    PumpMessages();
    MSG message;
    ASSERT_TRUE(::PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(message.wParam, 3u);
}

TEST(BitmapButton, TakesTheSizeOfItsFacesAndPicksTheFaceByState) {
    ProbeDialog dialog;
    ASSERT_TRUE(dialog.Create(false));
    CBitmapButton button;
    button.Attach(::GetDlgItem(dialog.GetSafeHwnd(), IDOK));
    ASSERT_TRUE(button.LoadBitmaps(IDB_EXIT_UP, IDB_EXIT_SELECTED, IDB_EXIT_FOCUSED, IDB_EXIT_DISABLED));
    button.SizeToContent();
    RECT area;
    ::GetWindowRect(button.GetSafeHwnd(), &area);
    EXPECT_EQ(area.right - area.left, 46);
    EXPECT_EQ(area.bottom - area.top, 39);

    HBITMAP up = button.Face(0);
    HBITMAP selected = button.Face(ODS_SELECTED);
    HBITMAP focused = button.Face(ODS_FOCUS);
    HBITMAP disabled = button.Face(ODS_DISABLED);
    ASSERT_NE(up, nullptr);
    EXPECT_NE(selected, up);
    EXPECT_NE(focused, up);
    EXPECT_NE(disabled, up);
    EXPECT_EQ(button.Face(ODS_SELECTED | ODS_FOCUS), selected) << "a pressed button shows its pressed face";

    EXPECT_FALSE(button.LoadBitmaps(4321, 0, 0, 0));
    EXPECT_EQ(button.Face(ODS_SELECTED), nullptr);
    button.Detach();
}

class ListDialog : public CDialog {
public:
    ListDialog() : CDialog(IDD_PRODUCTION_DIALOG) {}
    ~ListDialog() override { DestroyWindow(); }
    CListCtrl list;

protected:
    void DoDataExchange(CDataExchange& exchange) override { DDX_Control(exchange, IDC_READER_LIST, list); }
};

int ItemImage(const CListCtrl& list, int item) {
    LVITEMA record{};
    record.mask = LVIF_IMAGE;
    record.iItem = item;
    ::SendMessageA(list.GetSafeHwnd(), LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&record));
    return record.iImage;
}

TEST(ListCtrl, RowsKeepTheirTextsAndImages) {
    ListDialog dialog;
    ASSERT_TRUE(dialog.Create(false));
    CListCtrl& list = dialog.list;
    ASSERT_NE(list.GetSafeHwnd(), nullptr);
    EXPECT_EQ(list.InsertColumn(0, "A", 50), 0);
    EXPECT_EQ(list.InsertColumn(1, "B", 50), 1);
    EXPECT_EQ(list.InsertItem(0, "second", 1), 0);
    EXPECT_EQ(list.InsertItem(0, "first", 2), 0);
    const std::string longText(700, 'L');  // past the first read buffer
    EXPECT_TRUE(list.SetItemText(1, 1, longText.c_str()));
    EXPECT_TRUE(list.SetItemImage(0, 3));
    EXPECT_EQ(list.GetItemCount(), 2);
    EXPECT_EQ(list.GetItemText(0, 0), "first");
    EXPECT_EQ(list.GetItemText(1, 0), "second");
    EXPECT_EQ(list.GetItemText(1, 1), longText);
    EXPECT_EQ(list.GetItemText(0, 1), "");
    EXPECT_EQ(ItemImage(list, 0), 3);
    EXPECT_EQ(ItemImage(list, 1), 1);
    EXPECT_EQ(list.GetItemText(0, 0), "first") << "an image change keeps the text";
    EXPECT_TRUE(list.DeleteItem(0));
    EXPECT_EQ(list.GetItemText(0, 0), "second");
    EXPECT_TRUE(list.DeleteAllItems());
    EXPECT_EQ(list.GetItemCount(), 0);
    EXPECT_TRUE(list.DeleteColumn(0));
    EXPECT_TRUE(list.DeleteColumn(0));
    EXPECT_FALSE(list.DeleteColumn(0));
}

TEST(ImageList, AppendsIconsAndIsReleasedOnce) {
    CImageList images;
    EXPECT_EQ(images.ReplaceIcon(-1, ::LoadIconA(nullptr, MAKEINTRESOURCEA(32512))), -1) << "not created yet";
    ASSERT_TRUE(images.Create(25, 25, true, 1, 1));
    HICON icon = ::LoadIconA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_DRIVE));
    ASSERT_NE(icon, nullptr);
    for (int expected = 0; expected < 4; ++expected) {
        EXPECT_EQ(images.ReplaceIcon(-1, icon), expected);
    }
    EXPECT_EQ(images.GetImageCount(), 4);
    int cx = 0;
    int cy = 0;
    ASSERT_TRUE(ImageList_GetIconSize(images.GetSafeHandle(), &cx, &cy));
    EXPECT_EQ(cx, 25);
    EXPECT_EQ(cy, 25);
    EXPECT_TRUE(images.DeleteImageList());
    EXPECT_EQ(images.GetSafeHandle(), nullptr);
    EXPECT_FALSE(images.DeleteImageList());
    EXPECT_EQ(images.GetImageCount(), 0);
}

}  // namespace
}  // namespace talven::ui
