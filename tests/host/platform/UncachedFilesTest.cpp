// Test files reach the medium: no page of a written test file is left in the
// page cache when its read-back starts, with O_DIRECT and with the fallback
// for filesystems that refuse it.
#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/PageBuffer.h"
#include "platform/host/HostPlatform.h"
#include "tests/host/support/PageResidency.h"

namespace talven {
namespace {

constexpr std::uint32_t kFileSize = 0x200000;
constexpr const char* kNoDiskFolder =
    "no disk-backed folder: the build tree, /var/tmp and the home folder are memory-backed or not "
    "writable, and there every page of a file is resident whatever the file layer does";

PageBuffer Counting(std::uint32_t size) {
    PageBuffer buffer(size);
    for (std::uint32_t i = 0; buffer && i < size; ++i) buffer.Data()[i] = static_cast<std::uint8_t>(i);
    return buffer;
}

bool OpenedDirect(Handle file) { return (::fcntl(static_cast<int>(file), F_GETFL) & O_DIRECT) != 0; }

// The file's whole content through FileRead, compared with `expected`.
::testing::AssertionResult ReadsBack(HostPlatform& platform, Handle in, const PageBuffer& expected) {
    PageBuffer read(expected.Size());
    FileTransfer transfer = platform.FileRead(in, read.Data(), static_cast<std::uint32_t>(read.Size()));
    if (transfer.fileError || transfer.bytes != expected.Size()) {
        return ::testing::AssertionFailure() << "read " << transfer.bytes << " bytes, error " << transfer.fileError;
    }
    if (std::memcmp(read.Data(), expected.Data(), expected.Size()) != 0) {
        return ::testing::AssertionFailure() << "content differs";
    }
    if (platform.FileRead(in, read.Data(), 4096).bytes != 0) return ::testing::AssertionFailure() << "no end";
    return ::testing::AssertionSuccess();
}

// Parameter: whether the cached fallback is forced.
class UncachedTestFiles : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        if (folder.Path().empty()) GTEST_SKIP() << kNoDiskFolder;
        platform.ForceCachedFiles(GetParam());
        ASSERT_TRUE(platform.MapDrive('E', folder.Path(), 64u << 20));
    }
    std::string HostFile(const char* name) const { return folder.Path() + "/" + name; }

    test::DiskFolder folder{"uncached"};
    HostPlatform platform;
};

TEST_P(UncachedTestFiles, NoPageOfAWrittenFileIsResidentWhenItsReadBackStarts) {
    PageBuffer pattern = Counting(kFileSize);
    ASSERT_TRUE(pattern);
    Handle out = platform.FileCreate("E:\\test0.bin");
    ASSERT_NE(out, kInvalidHandle);
    EXPECT_EQ(OpenedDirect(out), !GetParam());
    FileTransfer transfer = platform.FileWrite(out, pattern.Data(), kFileSize);
    EXPECT_FALSE(transfer.fileError);
    EXPECT_EQ(transfer.bytes, kFileSize);
    EXPECT_TRUE(platform.FileFlush(out));
    EXPECT_EQ(test::ResidentPages(HostFile("test0.bin")), 0);
    platform.FileClose(out);

    Handle in = platform.FileOpen("E:\\test0.bin");
    ASSERT_NE(in, kInvalidHandle);
    EXPECT_EQ(OpenedDirect(in), !GetParam());
    EXPECT_EQ(test::ResidentPages(HostFile("test0.bin")), 0);
    EXPECT_TRUE(ReadsBack(platform, in, pattern));
    platform.FileClose(in);
}

TEST_P(UncachedTestFiles, AWrittenFileLeavesNothingInTheCacheWhenClosedUnflushed) {
    PageBuffer pattern = Counting(kFileSize);
    Handle out = platform.FileCreate("E:\\test1.bin");
    ASSERT_NE(out, kInvalidHandle);
    EXPECT_EQ(platform.FileWrite(out, pattern.Data(), kFileSize).bytes, kFileSize);
    platform.FileClose(out);
    EXPECT_EQ(test::ResidentPages(HostFile("test1.bin")), 0);
}

TEST_P(UncachedTestFiles, OpeningForReadBackDropsWhatABufferedWriterLeftInTheCache) {
    PageBuffer pattern = Counting(kFileSize);
    const std::string path = HostFile("test2.bin");
    const int descriptor = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    ASSERT_GE(descriptor, 0);
    ASSERT_EQ(::write(descriptor, pattern.Data(), kFileSize), static_cast<ssize_t>(kFileSize));
    ::close(descriptor);
    // Else residency would prove nothing.
    ASSERT_GT(test::ResidentPages(path), 0) << "a file just written through the page cache is resident";

    Handle in = platform.FileOpen("E:\\test2.bin");
    ASSERT_NE(in, kInvalidHandle);
    EXPECT_EQ(test::ResidentPages(path), 0);
    EXPECT_TRUE(ReadsBack(platform, in, pattern));
    platform.FileClose(in);
}

INSTANTIATE_TEST_SUITE_P(HostPlatform, UncachedTestFiles, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? "CachedFallback" : "Direct";
                         });

// Where files live in memory only, the flush and the page drop have nothing
// to do and must not fail the test.
TEST(UncachedTestFilesInMemory, RoundTripWithEitherPathOnAMemoryBackedFolder) {
    const std::string base = "/dev/shm";
    if (::access(base.c_str(), W_OK) != 0 || !test::MemoryBacked(base)) {
        GTEST_SKIP() << base << " is not a writable memory-backed folder here";
    }
    const std::string folder = base + "/talven-memory-" + std::to_string(::getpid());
    ASSERT_EQ(::mkdir(folder.c_str(), 0700), 0);
    PageBuffer pattern = Counting(64 * 1024);
    for (bool forced : {false, true}) {
        HostPlatform platform;
        platform.ForceCachedFiles(forced);
        ASSERT_TRUE(platform.MapDrive('F', folder, 1u << 20));
        Handle out = platform.FileCreate("F:\\test0.bin");
        ASSERT_NE(out, kInvalidHandle) << forced;
        EXPECT_EQ(platform.FileWrite(out, pattern.Data(), 64 * 1024).bytes, 64u * 1024) << forced;
        EXPECT_TRUE(platform.FileFlush(out)) << forced;
        platform.FileClose(out);
        Handle in = platform.FileOpen("F:\\test0.bin");
        ASSERT_NE(in, kInvalidHandle) << forced;
        EXPECT_TRUE(ReadsBack(platform, in, pattern)) << forced;
        platform.FileClose(in);
        EXPECT_TRUE(platform.FileDelete("F:\\test0.bin")) << forced;
    }
    EXPECT_EQ(::rmdir(folder.c_str()), 0);
}

}  // namespace
}  // namespace talven
