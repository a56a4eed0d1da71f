// The resources linked into an executable: every text, template, menu,
// picture and the version record, read back the way the windows read them.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "resources/StringTable.h"
#include "resources/resource.h"
#include "tests/windows/resources/DialogTemplate.h"

namespace talven {
namespace {

HMODULE Self() { return GetModuleHandleA(nullptr); }

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;

struct ExpectedItem {
    DWORD id;
    const char* windowClass;
    const char* text;
    short x, y, cx, cy;
    DWORD style;
};

void ExpectItems(const DialogTemplate& t, const std::vector<ExpectedItem>& expected) {
    ASSERT_EQ(t.items.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        const TemplateItem& got = t.items[i];
        const ExpectedItem& want = expected[i];
        SCOPED_TRACE("item " + std::to_string(i) + " \"" + want.text + "\"");
        EXPECT_EQ(static_cast<WORD>(got.id), static_cast<WORD>(want.id));
        EXPECT_STRCASEEQ(got.windowClass.c_str(), want.windowClass);
        EXPECT_EQ(got.text, want.text);
        EXPECT_EQ(got.x, want.x);
        EXPECT_EQ(got.y, want.y);
        EXPECT_EQ(got.cx, want.cx);
        EXPECT_EQ(got.cy, want.cy);
        EXPECT_EQ(got.style, want.style) << std::hex << got.style << " != " << want.style;
    }
}

// ---- strings ----------------------------------------------------------------

TEST(StringResources, EveryIdLoadsExactlyTheTextOfTheTable) {
    int count = 0;
#define TALVEN_CHECK_STRING(id, name, text)                                   \
    {                                                                         \
        char buffer[512] = {};                                                \
        const int length = LoadStringA(Self(), id, buffer, sizeof buffer);    \
        EXPECT_EQ(length, static_cast<int>(std::strlen(StringText(id)))) << id; \
        EXPECT_STREQ(buffer, StringText(id)) << id;                           \
        ++count;                                                              \
    }
    TALVEN_STRINGS(TALVEN_CHECK_STRING)
#undef TALVEN_CHECK_STRING
    EXPECT_EQ(count, 166);
}

TEST(StringResources, NumbersOutsideTheTableHoldNoText) {
    for (unsigned id : {123u, 130u, 134u, 142u, 143u, 172u}) {
        char buffer[64] = {};
        EXPECT_EQ(LoadStringA(Self(), id, buffer, sizeof buffer), 0) << id;
    }
}

// ---- dialog templates -------------------------------------------------------

TEST(DialogTemplates, MainWindowHasItsMenuFontAndSixControls) {
    const DialogTemplate t = LoadDialogTemplate(IDD_PRODUCTION_DIALOG);
    ASSERT_TRUE(t.valid);
    EXPECT_EQ(t.style & ~DS_SETFONT,
              static_cast<DWORD>(WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | DS_MODALFRAME));
    EXPECT_EQ(t.exStyle, static_cast<DWORD>(WS_EX_APPWINDOW));
    EXPECT_EQ(t.cx, 353);
    EXPECT_EQ(t.cy, 292);
    EXPECT_EQ(t.caption, "VX5308");
    EXPECT_EQ(t.menu, "#135");
    EXPECT_EQ(t.pointSize, 8);
    EXPECT_EQ(t.typeface, "MS Sans Serif");
    ExpectItems(t, {
        {1000, "SysListView32", "List1", 0, 0, 352, 220,
         kChild | LVS_REPORT | LVS_SINGLESEL | LVS_NOSORTHEADER | WS_BORDER | WS_TABSTOP},
        {1003, "Static", "", 0, 221, 352, 12, kChild | SS_CENTER | SS_CENTERIMAGE},
        {1002, "Static", "", 0, 233, 352, 12, kChild | SS_CENTER | SS_CENTERIMAGE},
        {2, "Button", "GO", 118, 247, 30, 25, kChild | BS_OWNERDRAW | WS_TABSTOP},
        {1, "Button", "EXIT", 204, 247, 30, 25, kChild | BS_OWNERDRAW | WS_TABSTOP},
        {1001, "Static", "", 0, 277, 353, 15, kChild | SS_CENTER | SS_CENTERIMAGE | SS_SUNKEN},
    });
}

TEST(DialogTemplates, AboutBoxHasNoCaptionAndTheCopyrightOfTheVersionRecord) {
    const DialogTemplate t = LoadDialogTemplate(IDD_ABOUT_DIALOG);
    ASSERT_TRUE(t.valid);
    EXPECT_EQ(t.style & ~DS_SETFONT,
              static_cast<DWORD>(WS_POPUP | WS_VISIBLE | DS_MODALFRAME | DS_CENTER | DS_SETFOREGROUND));
    EXPECT_EQ(t.cx, 187);
    EXPECT_EQ(t.cy, 100);
    EXPECT_EQ(t.caption, "");
    EXPECT_EQ(t.menu, "");
    EXPECT_EQ(t.pointSize, 10);
    EXPECT_EQ(t.typeface, "System");
    const DWORD centred = kChild | SS_CENTER | SS_CENTERIMAGE | WS_GROUP;
    const DWORD right = kChild | SS_RIGHT | SS_CENTERIMAGE | WS_GROUP;
    ExpectItems(t, {
        {0xFFFF, "Static", "#128", 12, 5, 20, 20, kChild | SS_ICON},
        {0xFFFF, "Static", "Version:", 0, 27, 97, 8, right},
        {0xFFFF, "Static", "Build:", 0, 41, 97, 8, right},
        {0xFFFF, "Static", "Copyright (C) 2026 Talven", 0, 61, 187, 8, centred},
        {0xFFFF, "Static", "Card Reader mass production program", 35, 10, 149, 8, centred},
        {1014, "Static", "1.00", 104, 27, 37, 8, kChild | SS_LEFT | WS_GROUP},
        {1015, "Static", "0008", 104, 41, 37, 8, kChild | SS_LEFT | WS_GROUP},
        {1027, "Button", "Exit", 82, 79, 23, 18, kChild | BS_OWNERDRAW | WS_TABSTOP},
    });
}

TEST(DialogTemplates, SetupDialogHasEveryControlInTabOrder) {
    const DialogTemplate t = LoadDialogTemplate(IDD_SETUP_DIALOG);
    ASSERT_TRUE(t.valid);
    EXPECT_EQ(t.style & ~DS_SETFONT, static_cast<DWORD>(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME));
    EXPECT_EQ(t.cx, 333);
    EXPECT_EQ(t.cy, 179);
    EXPECT_EQ(t.caption, "Setup Dialog");
    EXPECT_EQ(t.pointSize, 10);
    EXPECT_EQ(t.typeface, "System");
    const DWORD label = kChild | SS_LEFT | WS_GROUP;
    const DWORD speedLabel = kChild | SS_RIGHT | WS_GROUP;
    const DWORD first = kChild | BS_AUTORADIOBUTTON | WS_GROUP;
    const DWORD second = kChild | BS_AUTORADIOBUTTON;
    const DWORD edit = kChild | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP;
    const DWORD box = kChild | BS_GROUPBOX;
    const WORD none = 0xFFFF;
    ExpectItems(t, {
        {none, "Static", "&Test file size:", 13, 13, 45, 8, label},
        {1022, "Button", "1M", 65, 12, 26, 10, first},
        {1023, "Button", "2M", 123, 12, 26, 10, second},
        {none, "Static", "Test &amount:", 13, 27, 45, 8, label},
        {1026, "ComboBox", "", 65, 25, 58, 60, kChild | CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL | WS_TABSTOP},
        {none, "Static", "&Lot:", 128, 27, 16, 8, label},
        {1029, "Edit", "", 146, 25, 44, 12, edit},
        {none, "Static", "&Function:", 13, 41, 45, 8, label},
        {1024, "Button", "Read/Write", 65, 40, 53, 10, first},
        {1025, "Button", "Write EEPROM", 123, 40, 65, 10, second},
        {none, "Button", "Program Setting", 4, 0, 192, 56, box},
        {none, "Static", "Ma&nufacture:", 12, 74, 43, 8, label},
        {1004, "Edit", "", 60, 73, 130, 12, edit},
        {none, "Static", "P&roduction:", 12, 89, 43, 8, label},
        {1005, "Edit", "", 60, 87, 130, 12, edit},
        {none, "Static", "Serial &No:", 12, 103, 43, 8, label},
        {1006, "Edit", "", 60, 101, 130, 12, edit},
        {none, "Static", "Scsi &Version:", 12, 117, 43, 8, label},
        {1007, "Edit", "", 60, 115, 130, 12, edit},
        {none, "Static", "Po&wer Consumption:", 10, 132, 68, 8, label},
        {1012, "Edit", "", 85, 130, 40, 12, edit | ES_NUMBER | ES_READONLY},
        {1013, "msctls_updown32", "Spin1", 125, 129, 9, 14,
         kChild | UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_AUTOBUDDY | UDS_ARROWKEYS | UDS_NOTHOUSANDS},
        {none, "Button", "Device information", 4, 57, 192, 98, box},
        {none, "Static", "&CF:", 211, 71, 36, 8, speedLabel},
        {1008, "Button", "High", 257, 71, 31, 8, first},
        {1009, "Button", "Low", 292, 71, 29, 8, second},
        {none, "Static", "&SM:", 211, 84, 36, 8, speedLabel},
        {1010, "Button", "High", 257, 84, 31, 8, first},
        {1011, "Button", "Low", 292, 84, 29, 8, second},
        {none, "Static", "SD:", 211, 97, 36, 8, speedLabel},
        {1014, "Button", "High", 257, 97, 31, 8, first},
        {1015, "Button", "Low", 292, 97, 29, 8, second},
        {none, "Static", "MS P&ro:", 211, 110, 36, 8, speedLabel},
        {1016, "Button", "High", 257, 110, 31, 8, first},
        {1017, "Button", "Low", 292, 110, 29, 8, second},
        {none, "Static", "&MS:", 211, 123, 36, 8, speedLabel},
        {1018, "Button", "High", 257, 123, 31, 8, first},
        {1019, "Button", "Low", 292, 123, 29, 8, second},
        {none, "Static", "MM&C:", 211, 136, 36, 8, speedLabel},
        {1020, "Button", "High", 257, 136, 31, 8, first},
        {1021, "Button", "Low", 292, 136, 29, 8, second},
        {1, "Button", "OK", 212, 21, 50, 14, kChild | BS_DEFPUSHBUTTON | WS_TABSTOP},
        {2, "Button", "Cancel", 265, 21, 50, 14, kChild | BS_PUSHBUTTON | WS_TABSTOP},
        {none, "Button", "Device Speed", 200, 57, 130, 98, box},
        {1028, "Static", "", 6, 159, 322, 17, kChild | SS_LEFT},
    });
}

INT_PTR CALLBACK QuietDialog(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

struct WindowCloser {
    void operator()(HWND window) const { DestroyWindow(window); }
};
using Window = std::unique_ptr<std::remove_pointer_t<HWND>, WindowCloser>;

// Creating the windows proves every class name resolves and every control exists.
TEST(DialogTemplates, EveryTemplateCreatesItsWindowWithAllControls) {
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_LISTVIEW_CLASSES | ICC_UPDOWN_CLASS | ICC_BAR_CLASSES};
    ASSERT_TRUE(InitCommonControlsEx(&controls));
    struct Case {
        int dialog;
        std::vector<int> controls;
    };
    const Case cases[] = {
        {IDD_PRODUCTION_DIALOG, {1000, 1001, 1, 2}},
        {IDD_ABOUT_DIALOG, {1014, 1015, 1027}},
        {IDD_SETUP_DIALOG, {1004, 1005, 1006, 1007, 1008, 1009, 1010, 1011, 1012, 1013, 1014, 1015,
                            1016, 1017, 1018, 1019, 1020, 1021, 1022, 1023, 1024, 1025, 1026, 1028, 1, 2}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.dialog);
        Window window(CreateDialogParamA(Self(), MAKEINTRESOURCEA(c.dialog), nullptr, QuietDialog, 0));
        ASSERT_NE(window.get(), nullptr);
        for (int id : c.controls) EXPECT_NE(GetDlgItem(window.get(), id), nullptr) << id;
    }
    Window main(CreateDialogParamA(Self(), MAKEINTRESOURCEA(IDD_PRODUCTION_DIALOG), nullptr, QuietDialog, 0));
    ASSERT_NE(main.get(), nullptr);
    char className[64] = {};
    GetClassNameA(GetDlgItem(main.get(), 1000), className, sizeof className);
    EXPECT_STRCASEEQ(className, "SysListView32");
    EXPECT_NE(GetMenu(main.get()), nullptr);
}

// ---- menu -------------------------------------------------------------------

TEST(MenuResource, HelpPopupHoldsSettingResetLineReportSeparatorAndAbout) {
    HMENU menu = LoadMenuA(Self(), MAKEINTRESOURCEA(IDR_MAIN_MENU));
    ASSERT_NE(menu, nullptr);
    char text[64] = {};
    ASSERT_EQ(GetMenuItemCount(menu), 1);
    GetMenuStringA(menu, 0, text, sizeof text, MF_BYPOSITION);
    EXPECT_STREQ(text, "&Help");
    HMENU help = GetSubMenu(menu, 0);
    ASSERT_NE(help, nullptr);
    ASSERT_EQ(GetMenuItemCount(help), 5);
    EXPECT_EQ(GetMenuItemID(help, 0), static_cast<UINT>(IDM_SETTING));
    GetMenuStringA(help, 0, text, sizeof text, MF_BYPOSITION);
    EXPECT_STREQ(text, "Setting...");
    EXPECT_EQ(GetMenuItemID(help, 1), static_cast<UINT>(IDM_RESET_COUNTS));
    GetMenuStringA(help, 1, text, sizeof text, MF_BYPOSITION);
    EXPECT_STREQ(text, "&Reset counts");
    MENUITEMINFOA separator = {};
    separator.cbSize = sizeof separator;
    separator.fMask = MIIM_FTYPE;
    EXPECT_EQ(GetMenuItemID(help, 2), static_cast<UINT>(IDM_LINE_REPORT));
    GetMenuStringA(help, 2, text, sizeof text, MF_BYPOSITION);
    EXPECT_STREQ(text, "&Line report");
    ASSERT_TRUE(GetMenuItemInfoA(help, 3, TRUE, &separator));
    EXPECT_TRUE(separator.fType & MFT_SEPARATOR);
    EXPECT_EQ(GetMenuItemID(help, 4), static_cast<UINT>(IDM_ABOUT));
    GetMenuStringA(help, 4, text, sizeof text, MF_BYPOSITION);
    EXPECT_STREQ(text, "&About Talven");
    DestroyMenu(menu);
}

// ---- pictures ---------------------------------------------------------------

struct ObjectDeleter {
    void operator()(HGDIOBJ object) const { DeleteObject(object); }
};
using Bitmap = std::unique_ptr<std::remove_pointer_t<HBITMAP>, ObjectDeleter>;

struct IconDestroyer {
    void operator()(HICON icon) const { DestroyIcon(icon); }
};
using Icon = std::unique_ptr<std::remove_pointer_t<HICON>, IconDestroyer>;

// The sizes of the images in an icon group, from its directory resource.
std::set<int> IconGroupSizes(int id) {
    std::set<int> sizes;
    HRSRC found = FindResourceA(Self(), MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(14) /* RT_GROUP_ICON */);
    if (found == nullptr) return sizes;
    const BYTE* bytes = static_cast<const BYTE*>(LockResource(LoadResource(Self(), found)));
    const DWORD size = SizeofResource(Self(), found);
    if (bytes == nullptr || size < 6) return sizes;
    const int count = bytes[4] | (bytes[5] << 8);
    for (int i = 0; i < count && 6u + 14u * (i + 1) <= size; ++i) {
        const BYTE* entry = bytes + 6 + 14 * i;
        const int width = entry[0] == 0 ? 256 : entry[0];
        const int bits = entry[6] | (entry[7] << 8);
        if (entry[0] == entry[1] && (bits == 32 || bits == 8)) sizes.insert(width);
    }
    return sizes;
}

TEST(PictureResources, IconsHoldLargeAndSmallImagesAndLoadAtBothSizes) {
    for (int id : {IDI_APPLICATION_ICON, IDI_DRIVE, IDI_DRIVE_FAILED, IDI_DRIVE_PASSED, IDI_DRIVE_STOPPED}) {
        SCOPED_TRACE(id);
        const std::set<int> sizes = IconGroupSizes(id);
        EXPECT_TRUE(sizes.count(32)) << "no 32x32 image";
        EXPECT_TRUE(sizes.count(16)) << "no 16x16 image";
        for (int size : {32, 16}) {
            Icon icon(static_cast<HICON>(LoadImageA(Self(), MAKEINTRESOURCEA(id), IMAGE_ICON, size, size, 0)));
            ASSERT_NE(icon.get(), nullptr) << size;
            ICONINFO info = {};
            ASSERT_TRUE(GetIconInfo(icon.get(), &info));
            Bitmap colour(info.hbmColor), mask(info.hbmMask);
            BITMAP bm = {};
            ASSERT_TRUE(GetObjectA(colour.get(), sizeof bm, &bm));
            EXPECT_EQ(bm.bmWidth, size);
            EXPECT_EQ(bm.bmHeight, size);
        }
        EXPECT_NE(LoadIconA(Self(), MAKEINTRESOURCEA(id)), nullptr);
    }
}

struct Face {
    int id;
    std::vector<BYTE> pixels;  // palette colours, row by row
};

Face LoadFace(int id) {
    Face face{id, {}};
    Bitmap bitmap(static_cast<HBITMAP>(
        LoadImageA(Self(), MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    if (!bitmap) return face;
    DIBSECTION dib = {};
    if (GetObjectA(bitmap.get(), sizeof dib, &dib) != sizeof dib) return face;
    if (dib.dsBm.bmWidth != 46 || dib.dsBm.bmHeight != 39 || dib.dsBm.bmBitsPixel != 8) return face;
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap.get());
    RGBQUAD palette[256] = {};
    const UINT colours = GetDIBColorTable(dc, 0, 256, palette);
    SelectObject(dc, old);
    DeleteDC(dc);
    const BYTE* bits = static_cast<const BYTE*>(dib.dsBm.bmBits);
    for (int y = 0; y < 39; ++y)
        for (int x = 0; x < 46; ++x) {
            const BYTE index = bits[y * dib.dsBm.bmWidthBytes + x];
            // Compare colours, not indices: two faces may order their palettes differently.
            const RGBQUAD c = index < colours ? palette[index] : RGBQUAD{};
            face.pixels.push_back(c.rgbRed);
            face.pixels.push_back(c.rgbGreen);
            face.pixels.push_back(c.rgbBlue);
        }
    return face;
}

size_t DistinctColours(const Face& face) {
    std::set<unsigned> colours;
    for (size_t i = 0; i + 2 < face.pixels.size(); i += 3)
        colours.insert(face.pixels[i] << 16 | face.pixels[i + 1] << 8 | face.pixels[i + 2]);
    return colours.size();
}

TEST(PictureResources, ButtonFacesAre46By39With256ColoursAndDifferPerState) {
    // Up, selected, focused, disabled, as the buttons load them.
    const int sets[][4] = {
        {IDB_EXIT_UP, IDB_EXIT_SELECTED, IDB_EXIT_FOCUSED, IDB_EXIT_DISABLED},
        {IDB_GO_UP, IDB_GO_SELECTED, IDB_GO_FOCUSED, IDB_GO_DISABLED},
        {IDB_STOP_UP, IDB_STOP_SELECTED, IDB_STOP_FOCUSED, IDB_STOP_DISABLED},
    };
    std::vector<Face> ups;
    for (const auto& set : sets) {
        std::vector<Face> faces;
        for (int id : set) {
            faces.push_back(LoadFace(id));
            ASSERT_EQ(faces.back().pixels.size(), 46u * 39u * 3u) << "bitmap " << id << " is not 46x39x8";
        }
        // A picture, not a flat fill; the disabled face is greyed, so it has fewer colours.
        EXPECT_GT(DistinctColours(faces[0]), 12u) << set[0];
        EXPECT_LT(DistinctColours(faces[3]), DistinctColours(faces[0])) << set[3];
        for (int a = 0; a < 4; ++a)
            for (int b = a + 1; b < 4; ++b) EXPECT_NE(faces[a].pixels, faces[b].pixels) << set[a] << " " << set[b];
        ups.push_back(faces[0]);
    }
    EXPECT_NE(ups[0].pixels, ups[1].pixels);
    EXPECT_NE(ups[1].pixels, ups[2].pixels);
}

// ---- manifest and version record --------------------------------------------

// The manifest text of `module`, empty when it has none.
std::string ManifestOf(HMODULE module) {
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24) /* RT_MANIFEST */);
    if (found == nullptr) return {};
    const char* bytes = static_cast<const char*>(LockResource(LoadResource(module, found)));
    return bytes != nullptr ? std::string(bytes, SizeofResource(module, found)) : std::string();
}

// A built executable, loaded as a data file: nothing of it runs.
struct BuiltExecutable {
    explicit BuiltExecutable(std::string path) : path(std::move(path)) {
        for (char& c : this->path) {
            if (c == '/') c = '\\';
        }
        module = LoadLibraryExA(this->path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    }
    ~BuiltExecutable() {
        if (module != nullptr) FreeLibrary(module);
    }
    BuiltExecutable(const BuiltExecutable&) = delete;
    BuiltExecutable& operator=(const BuiltExecutable&) = delete;

    std::string path;
    HMODULE module = nullptr;
};

std::string ExecutionLevel(const std::string& manifest) {
    const std::string marker = "<requestedExecutionLevel level=\"";
    const std::size_t at = manifest.find(marker);
    if (at == std::string::npos) return "(none)";
    const std::size_t from = at + marker.size();
    return manifest.substr(from, manifest.find('"', from) - from);
}

TEST(ManifestResource, AsksForCommonControlsSix) {
    const std::string manifest = ManifestOf(Self());
    ASSERT_FALSE(manifest.empty());
    EXPECT_NE(manifest.find("name=\"Microsoft.Windows.Common-Controls\""), std::string::npos);
    EXPECT_NE(manifest.find("version=\"6.0.0.0\""), std::string::npos);
}

// Opening a volume for direct access takes administrator rights: the product
// asks for them at start; the simulated station, talven-image and the tests
// need none and must not wait for an elevation.
TEST(ManifestResource, OnlyTheProductAsksForAdministratorRights) {
    EXPECT_EQ(ExecutionLevel(ManifestOf(Self())), "asInvoker");
    const struct {
        const char* path;
        const char* level;
    } programs[] = {
        {TALVEN_BUILT_TALVEN, "requireAdministrator"},
        {TALVEN_BUILT_TALVENSIM, "asInvoker"},
        {TALVEN_BUILT_TALVEN_IMAGE, "asInvoker"},
    };
    for (const auto& program : programs) {
        const BuiltExecutable built(program.path);
        ASSERT_NE(built.module, nullptr) << built.path << ": error " << GetLastError();
        const std::string manifest = ManifestOf(built.module);
        EXPECT_EQ(ExecutionLevel(manifest), program.level) << built.path;
        EXPECT_NE(manifest.find("name=\"Microsoft.Windows.Common-Controls\""), std::string::npos) << built.path;
    }
}

// A trainer left open on a line PC must not be taken for the station:
// TalvenSim.exe's title bar and about box say that its station is simulated,
// Talven.exe's are the product's.
TEST(DialogTemplates, OnlyTheSimulatedStationSaysSoInItsTitleAndAboutBox) {
    const struct {
        const char* path;
        const char* caption;
        short aboutHeight;
        const char* lastAboutText;
    } programs[] = {
        {TALVEN_BUILT_TALVEN, "VX5308", 100, "Exit"},
        {TALVEN_BUILT_TALVENSIM, "VX5308 - simulated station for training", 114, "Simulated station, for training only"},
    };
    for (const auto& program : programs) {
        const BuiltExecutable built(program.path);
        ASSERT_NE(built.module, nullptr) << built.path;
        EXPECT_EQ(LoadDialogTemplate(IDD_PRODUCTION_DIALOG, built.module).caption, program.caption);
        const DialogTemplate about = LoadDialogTemplate(IDD_ABOUT_DIALOG, built.module);
        ASSERT_TRUE(about.valid) << built.path;
        EXPECT_EQ(about.cy, program.aboutHeight) << built.path;
        EXPECT_EQ(about.items.back().text, program.lastAboutText) << built.path;
    }
}

class VersionRecord : public ::testing::Test {
protected:
    void SetUp() override {
        char path[MAX_PATH] = {};
        ASSERT_GT(GetModuleFileNameA(nullptr, path, sizeof path), 0u);
        DWORD ignored = 0;
        const DWORD size = GetFileVersionInfoSizeA(path, &ignored);
        ASSERT_GT(size, 0u);
        block.resize(size);
        ASSERT_TRUE(GetFileVersionInfoA(path, 0, size, block.data()));
    }

    // The value of a string of block "040904b0", or "<missing>".
    std::string Value(const char* name) {
        const std::string sub = std::string("\\StringFileInfo\\040904b0\\") + name;
        char* value = nullptr;
        UINT length = 0;
        if (!VerQueryValueA(block.data(), sub.c_str(), reinterpret_cast<void**>(&value), &length)) return "<missing>";
        return std::string(value, length > 0 ? std::strlen(value) : 0);
    }

    std::vector<BYTE> block;
};

TEST_F(VersionRecord, TranslationIsUsEnglishUnicode) {
    WORD* pair = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&pair), &length));
    ASSERT_EQ(length, 4u);
    EXPECT_EQ(pair[0], 0x0409);
    EXPECT_EQ(pair[1], 0x04B0);
}

TEST_F(VersionRecord, StringsAreTheProgramsOwn) {
    EXPECT_EQ(Value("FileVersion"), "1.00");
    EXPECT_EQ(Value("PrivateBuild"), "0008");
    EXPECT_EQ(Value("ProductVersion"), "1.00");
    EXPECT_EQ(Value("SpecialBuild"), "0008");
    EXPECT_EQ(Value("FileDescription"), "Talven Application");
    EXPECT_EQ(Value("ProductName"), "Talven Application");
    EXPECT_EQ(Value("InternalName"), "Talven");
    EXPECT_EQ(Value("OriginalFilename"), "Talven.EXE");
    EXPECT_EQ(Value("LegalCopyright"), "Copyright (C) 2026 Talven");
    EXPECT_EQ(Value("Comments"), "");
    EXPECT_EQ(Value("CompanyName"), "");
    EXPECT_EQ(Value("LegalTrademarks"), "");
    // The about box shows the same copyright line as the record.
    const DialogTemplate about = LoadDialogTemplate(IDD_ABOUT_DIALOG);
    ASSERT_GT(about.items.size(), 3u);
    EXPECT_EQ(about.items[3].text, Value("LegalCopyright"));
}

TEST_F(VersionRecord, FixedPartMarksAPrivateAndSpecialBuildOfAnApplication) {
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    ASSERT_EQ(length, sizeof(VS_FIXEDFILEINFO));
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwProductVersionLS, 0u);
    EXPECT_EQ(fixed->dwFileFlagsMask, 0x3Fu);
    EXPECT_EQ(fixed->dwFileFlags, static_cast<DWORD>(VS_FF_PRIVATEBUILD | VS_FF_SPECIALBUILD));
    EXPECT_EQ(fixed->dwFileOS, static_cast<DWORD>(VOS__WINDOWS32));
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));
}

}  // namespace
}  // namespace talven
