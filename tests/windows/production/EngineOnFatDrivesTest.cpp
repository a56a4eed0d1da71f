// The card test through the Win32 platform on real FAT file systems: a FAT16
// and a FAT32 image, mounted through fusefat and mapped as drives of Wine's
// prefix by scripts/lib/fat-drives.sh, which names their letters in
// TALVEN_FAT16_DRIVE and TALVEN_FAT32_DRIVE, or says in TALVEN_FAT_SKIP why
// there are none.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

#include "platform/win32/Win32Platform.h"
#include "production/ProductionRuns.h"
#include "tests/core/settings/SettingsTestSupport.h"
#include "tests/support/ListModel.h"
#include "tests/support/RunsFromTheFile.h"
#include "tests/windows/production/FolderNames.h"

namespace talven {
namespace {

std::string Environment(const char* name) {
    char value[MAX_PATH];
    const DWORD length = ::GetEnvironmentVariableA(name, value, sizeof value);
    return length > 0 && length < sizeof value ? std::string(value, length) : std::string();
}

// What the root lists, by name; fusefat shows the volume label as a file.
std::vector<std::string> RootNames(const std::string& drive) { return test::FolderNames(drive); }

struct FatDrive {
    const char* name;
    const char* variable;  // where fat-drives.sh puts its letter
};

void PrintTo(const FatDrive& drive, std::ostream* out) { *out << drive.name; }

class EngineOnFatDrives : public ::testing::TestWithParam<FatDrive> {};

TEST_P(EngineOnFatDrives, AGoodCardPassesFilledAndLeftAsItWas) {
    const std::string drive = Environment(GetParam().variable);
    if (drive.empty()) {
        const std::string reason = Environment("TALVEN_FAT_SKIP");
        GTEST_SKIP() << (reason.empty() ? "no FAT drive: the test runs through scripts/lib/fat-drives.sh" : reason);
    }
    const std::vector<std::string> before = RootNames(drive);
    Win32Platform windows;
    DiskFreeSpace start, end;
    ASSERT_TRUE(windows.GetDiskFreeSpaceA((drive + "\\").c_str(), start)) << drive;
    test::TempSettings settings{"engine-fat"};
    test::ListModel view;
    TestFigures figures;
    EXPECT_EQ(test::TestDrive(windows, view, settings.Path(), drive, 0, &figures), TestOutcome::Passed);

    EXPECT_EQ(RootNames(drive), before);
    ASSERT_TRUE(windows.GetDiskFreeSpaceA((drive + "\\").c_str(), end));
    // Filled: every cluster free at the start was written, or taken by a
    // FAT32 root that grew while the files were created and keeps it.
    ASSERT_LE(end.freeClusters, start.freeClusters);
    const std::uint64_t cluster = std::uint64_t{start.sectorsPerCluster} * start.bytesPerSector;
    EXPECT_EQ(figures.bytesWritten, std::uint64_t{end.freeClusters} * cluster) << start.freeClusters << " free";
    EXPECT_EQ(figures.bytesRead, figures.bytesWritten);
}

INSTANTIATE_TEST_SUITE_P(Mkfs, EngineOnFatDrives,
                         ::testing::Values(FatDrive{"Fat16", "TALVEN_FAT16_DRIVE"},
                                           FatDrive{"Fat32", "TALVEN_FAT32_DRIVE"}),
                         [](const ::testing::TestParamInfo<FatDrive>& info) { return info.param.name; });

}  // namespace
}  // namespace talven
