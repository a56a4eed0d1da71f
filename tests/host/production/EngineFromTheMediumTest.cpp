// The card test through the host's own files on a disk-backed folder: every
// byte it compares comes from the medium. A probe looks at the page cache
// each time the engine opens a written file for its read-back.
#include <gtest/gtest.h>

#include <filesystem>
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

// Drive E: lies in `folder`; records the resident pages of each file the
// engine opens, before the open (what writing left) and after it (what the
// read-back starts from).
class ResidencyProbe final : public test::ForwardingPlatform {
public:
    ResidencyProbe(Platform& inner, std::string folder) : ForwardingPlatform(inner), folder(std::move(folder)) {}

    struct Look {
        std::string path;
        long beforeOpen = -1;
        long afterOpen = -1;
    };

    Handle FileCreate(const char* path) override {
        ++creates;
        return inner.FileCreate(path);
    }
    Handle FileOpen(const char* path) override {
        const std::string hostPath = HostPath(path);
        Look look{path, test::ResidentPages(hostPath), -1};
        const Handle file = inner.FileOpen(path);
        look.afterOpen = test::ResidentPages(hostPath);
        looks.push_back(look);
        return file;
    }

    std::vector<Look> looks;
    int creates = 0;

private:
    std::string HostPath(const std::string& path) const { return folder + "/" + path.substr(3); }
    std::string folder;
};

// Parameter: whether the cached fallback is forced.
class EngineFromTheMedium : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        if (folder.Path().empty()) {
            GTEST_SKIP() << "no disk-backed folder: the build tree, /var/tmp and the home folder are "
                            "memory-backed or not writable, and there every page is resident";
        }
        platform.ForceCachedFiles(GetParam());
        // Seven files of 1 MiB and half of an eighth.
        ASSERT_TRUE(platform.MapDrive('E', folder.Path(), (15ull << 20) / 2));
    }
    std::size_t FilesLeft() const {
        std::size_t count = 0;
        for (const auto& entry : std::filesystem::directory_iterator(folder.Path())) {
            (void)entry;
            ++count;
        }
        return count;
    }

    test::DiskFolder folder{"engine"};
    HostPlatform platform;
    test::TempSettings settings{"engine-medium"};
    test::ListModel view;
};

TEST_P(EngineFromTheMedium, NoPageOfAWrittenFileIsResidentWhenItsReadBackStarts) {
    for (const char* fs : {"0", "1"}) {
        SCOPED_TRACE(std::string("FS=") + fs);
        settings.Write(std::string("[Program set]\r\nFS=") + fs + "\r\n");
        ResidencyProbe probe(platform, folder.Path());

        EXPECT_EQ(test::TestDrive(probe, view, settings.Path(), "E:", 0), TestOutcome::Passed);
        // 1 MiB files: 7 and a half; 2 MiB files: 3 and three quarters.
        const int files = fs[0] == '0' ? 8 : 4;
        EXPECT_EQ(probe.creates, files);
        ASSERT_EQ(probe.looks.size(), static_cast<std::size_t>(files));
        for (int i = 0; i < files; ++i) {
            const ResidencyProbe::Look& look = probe.looks[i];
            EXPECT_EQ(look.path, "E:\\test" + std::to_string(i) + ".bin");
            EXPECT_EQ(look.beforeOpen, 0) << look.path;
            EXPECT_EQ(look.afterOpen, 0) << look.path;
        }
        EXPECT_EQ(FilesLeft(), 0u);
    }
}

// The probe sees what it is meant to: a test file that is still in the cache
// when the engine opens it (written through the cache by someone else) counts.
TEST_P(EngineFromTheMedium, TheProbeSeesPagesLeftInTheCache) {
    const std::string stale = folder.Path() + "/probe.bin";
    {
        std::FILE* file = std::fopen(stale.c_str(), "wb");
        ASSERT_NE(file, nullptr);
        std::vector<char> bytes(1 << 20, 'x');
        std::fwrite(bytes.data(), 1, bytes.size(), file);
        std::fclose(file);
    }
    ResidencyProbe probe(platform, folder.Path());
    const Handle file = probe.FileOpen("E:\\probe.bin");
    ASSERT_NE(file, kInvalidHandle);
    probe.FileClose(file);
    ASSERT_EQ(probe.looks.size(), 1u);
    EXPECT_GT(probe.looks[0].beforeOpen, 0);
    EXPECT_EQ(probe.looks[0].afterOpen, 0);
    std::filesystem::remove(stale);
}

INSTANTIATE_TEST_SUITE_P(HostPlatform, EngineFromTheMedium, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? "CachedFallback" : "Direct";
                         });

}  // namespace
}  // namespace talven
