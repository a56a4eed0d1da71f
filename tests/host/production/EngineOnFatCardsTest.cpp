// The card test on real FAT file systems: images made with mkfs.fat and
// mounted through FUSE with fusefat, tested through the host platform as a
// line would test a card. fusefat reports 1 KiB blocks whatever the cluster
// size, so the engine sees 1 KiB clusters: each file's last real cluster is
// partly empty, which the engine's free-space query after every create takes
// in. With 512-byte clusters fusefat reports no block at all. The volume label
// shows as a file: nothing left means the root lists what it did before.
#include <gtest/gtest.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "platform/host/HostPlatform.h"
#include "production/ProductionRuns.h"
#include "tests/core/settings/SettingsTestSupport.h"
#include "tests/host/support/PageResidency.h"
#include "tests/support/ForwardingPlatform.h"
#include "tests/support/ListModel.h"
#include "tests/support/RunsFromTheFile.h"

namespace talven {
namespace {

bool Run(const std::string& command) { return std::system((command + " >/dev/null 2>&1").c_str()) == 0; }

std::string Quoted(const std::string& text) { return "'" + text + "'"; }

bool IsFuseMount(const std::string& folder) {
    constexpr long kFuseMagic = 0x65735546;
    struct statfs info;
    return ::statfs(folder.c_str(), &info) == 0 && static_cast<long>(info.f_type) == kFuseMagic;
}

// A FAT image of its own, made by mkfs.fat and mounted through fusefat for
// as long as the object lives. SkipReason() says why it is not mounted.
class FatCard {
public:
    FatCard(const std::string& folder, const std::string& size, const std::string& format)
        : image(folder + "/card.img"), mountPoint(folder + "/card") {
        if (::access("/dev/fuse", R_OK | W_OK) != 0) {
            reason = "no usable /dev/fuse: FAT images cannot be mounted here";
        } else if (!Run("command -v mkfs.fat") || !Run("command -v fusefat")) {
            reason = "mkfs.fat or fusefat missing (packages dosfstools and fusefat, scripts/setup.sh)";
        } else if (!Run("truncate -s " + size + " " + Quoted(image)) ||
                   !Run("mkfs.fat " + format + " " + Quoted(image))) {
            reason = "mkfs.fat " + format + " failed on a " + size + " image";
        } else if (!std::filesystem::create_directory(mountPoint) ||
                   !Run("fusefat -o rw+ " + Quoted(image) + " " + Quoted(mountPoint)) || !IsFuseMount(mountPoint)) {
            reason = "fusefat could not mount the image";
        }
    }
    ~FatCard() {
        // A busy mount point lets go once fusefat has answered the last close.
        for (int attempt = 0; IsFuseMount(mountPoint) && attempt < 50; ++attempt) {
            if (!Run("fusermount -u " + Quoted(mountPoint))) ::usleep(100000);
        }
        if (IsFuseMount(mountPoint)) Run("fusermount -uz " + Quoted(mountPoint));
    }
    FatCard(const FatCard&) = delete;
    FatCard& operator=(const FatCard&) = delete;

    const std::string& SkipReason() const { return reason; }
    const std::string& MountPoint() const { return mountPoint; }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(mountPoint))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

private:
    std::string image, mountPoint, reason;
};

// Counts the files created and the bytes written, and takes the free space
// when the read-back starts: the write phase is to have left none.
class CardProbe final : public test::ForwardingPlatform {
public:
    using ForwardingPlatform::ForwardingPlatform;

    Handle FileCreate(const char* path) override {
        ++creates;
        return inner.FileCreate(path);
    }
    FileTransfer FileWrite(Handle file, const void* data, std::uint32_t size) override {
        const FileTransfer transfer = inner.FileWrite(file, data, size);
        written += transfer.bytes;
        return transfer;
    }
    Handle FileOpen(const char* path) override {
        DiskFreeSpace space;
        if (freeWhenReading < 0 && inner.GetDiskFreeSpaceA("E:\\", space)) freeWhenReading = space.freeClusters;
        return inner.FileOpen(path);
    }

    int creates = 0;
    unsigned long long written = 0;
    long long freeWhenReading = -1;
};

struct FatLayout {
    const char* name;
    const char* size;
    const char* format;  // mkfs.fat options
    TestOutcome outcome;
    int minFiles;  // files the card needs at least
};

void PrintTo(const FatLayout& layout, std::ostream* out) { *out << layout.name; }

class EngineOnFatCards : public ::testing::TestWithParam<FatLayout> {};

TEST_P(EngineOnFatCards, AGoodCardPassesFilledAndLeftAsItWas) {
    const FatLayout& layout = GetParam();
    test::DiskFolder folder("fat");
    if (folder.Path().empty()) GTEST_SKIP() << "no disk-backed folder for the image";
    FatCard card(folder.Path(), layout.size, layout.format);
    if (!card.SkipReason().empty()) GTEST_SKIP() << card.SkipReason();
    const std::vector<std::string> before = card.Names();

    HostPlatform platform;
    ASSERT_TRUE(platform.MapDrive('E', card.MountPoint()));
    CardProbe probe(platform);
    test::TempSettings settings{"engine-fat"};
    test::ListModel view;
    EXPECT_EQ(static_cast<int>(test::TestDrive(probe, view, settings.Path(), "E:", 0)), static_cast<int>(layout.outcome));

    EXPECT_EQ(card.Names(), before);
    if (layout.outcome != TestOutcome::Passed) {
        EXPECT_EQ(probe.creates, 0);
        return;
    }
    EXPECT_GE(probe.creates, layout.minFiles);
    EXPECT_LE(probe.creates, static_cast<int>(kMaxTestFiles));
    EXPECT_EQ(probe.freeWhenReading, 0) << probe.written << " bytes written";
}

// Sparse images with few clusters keep the set quick.
INSTANTIATE_TEST_SUITE_P(
    Mkfs, EngineOnFatCards,
    ::testing::Values(
        FatLayout{"Fat12", "16M", "-F 12 -s 16 -r 512 -n CARD", TestOutcome::Passed, 15},
        // More than 255 files of 1 MiB: more than a 512-entry root holds
        // where every name takes a long-name entry too.
        FatLayout{"Fat16MoreThan512MiBFree", "600M", "-F 16 -s 128 -a -r 512 -n CARD", TestOutcome::Passed, 128},
        // A root cluster of 1 KiB holds 16 names: the root grows into the
        // free space while the files are created.
        FatLayout{"Fat32RootGrows", "70M", "-F 32 -s 2 -n CARD", TestOutcome::Passed, 64},
        // fusefat reports no free block for 512-byte clusters: nothing to test.
        FatLayout{"Fat12NothingReportedFree", "2M", "-F 12 -s 1 -n CARD", TestOutcome::WriteFailed, 0}),
    [](const ::testing::TestParamInfo<FatLayout>& info) { return info.param.name; });

}  // namespace
}  // namespace talven
