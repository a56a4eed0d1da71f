// Card volumes through the platform's file calls, as the test engine uses them.
#include <gtest/gtest.h>

#include "reader/ReaderDevice.h"
#include "tests/core/reader/TestStation.h"

namespace talven::test {
namespace {

constexpr std::uint32_t kCluster = 16384;

class CardVolumeTest : public ::testing::Test {
protected:
    SimulatedStation& Station() {
        if (!station) station = std::make_unique<SimulatedStation>(outer, config);
        return *station;
    }
    DiskFreeSpace Space(const char* root) {
        DiskFreeSpace space;
        EXPECT_TRUE(Station().GetDiskFreeSpaceA(root, space)) << root;
        return space;
    }
    // Writes `clusters` clusters of `fill` to a new file; the transfers' outcomes.
    std::vector<FileTransfer> WriteFile(const char* path, int clusters, std::uint8_t fill) {
        std::vector<FileTransfer> results;
        const Handle file = Station().FileCreate(path);
        EXPECT_NE(file, kInvalidHandle) << path;
        if (file == kInvalidHandle) return results;
        std::vector<std::uint8_t> data(kCluster, fill);
        for (int i = 0; i < clusters; ++i) results.push_back(Station().FileWrite(file, data.data(), kCluster));
        Station().FileClose(file);
        return results;
    }

    QuietPlatform outer;
    StationConfig config = QuietDefaultStation();
    std::unique_ptr<SimulatedStation> station;
    std::vector<std::uint8_t> buffer = std::vector<std::uint8_t>(kCluster);
};

TEST_F(CardVolumeTest, FreeSpaceFollowsTheFiles) {
    DriveOf(config, 'F').card->freeClusters = 100;
    DiskFreeSpace space = Space("E:\\");
    EXPECT_EQ(space.sectorsPerCluster, 32u);
    EXPECT_EQ(space.bytesPerSector, 512u);
    EXPECT_EQ(space.freeClusters, 256u);
    EXPECT_EQ(space.totalClusters, 256u);
    EXPECT_EQ(Space("F:").freeClusters, 100u);

    WriteFile("E:\\test0.bin", 3, 0x55);
    EXPECT_EQ(Space("E:").freeClusters, 253u);
    // A partial cluster takes a whole one.
    const Handle file = Station().FileCreate("E:\\odd.bin");
    EXPECT_FALSE(Station().FileWrite(file, buffer.data(), 512).fileError);
    Station().FileClose(file);
    EXPECT_EQ(Space("E:").freeClusters, 252u);
    EXPECT_TRUE(Station().FileDelete("E:\\TEST0.BIN"));  // names match without regard to case
    EXPECT_EQ(Space("E:").freeClusters, 255u);
    // C: has no card volume; Q: does not exist.
    DiskFreeSpace none;
    EXPECT_FALSE(Station().GetDiskFreeSpaceA("Q:", none));
}

TEST_F(CardVolumeTest, FilesReadBackAsWrittenAndAreNotShared) {
    WriteFile("E:\\test1.bin", 2, 0xAA);
    EXPECT_TRUE(Station().FileFind("E:\\test1.bin"));
    EXPECT_FALSE(Station().FileFind("E:\\test2.bin"));
    EXPECT_FALSE(Station().FileFind("F:\\test1.bin"));
    const Handle file = Station().FileOpen("E:\\test1.bin");
    ASSERT_NE(file, kInvalidHandle);
    EXPECT_EQ(Station().FileOpen("E:\\test1.bin"), kInvalidHandle);
    EXPECT_EQ(Station().FileCreate("E:\\test1.bin"), kInvalidHandle);
    EXPECT_FALSE(Station().FileDelete("E:\\test1.bin"));
    for (int i = 0; i < 2; ++i) {
        const FileTransfer read = Station().FileRead(file, buffer.data(), kCluster);
        EXPECT_FALSE(read.fileError);
        EXPECT_EQ(read.bytes, kCluster);
        EXPECT_EQ(buffer, std::vector<std::uint8_t>(kCluster, 0xAA));
    }
    const FileTransfer end = Station().FileRead(file, buffer.data(), kCluster);
    EXPECT_FALSE(end.fileError);
    EXPECT_EQ(end.bytes, 0u);
    Station().FileClose(file);
    EXPECT_EQ(Station().FileOpen("E:\\missing.bin"), kInvalidHandle);
    // Re-creating truncates.
    WriteFile("E:\\test1.bin", 1, 0x11);
    EXPECT_EQ(Station().Card('E')->FileData("test1.bin")->size(), kCluster);
    EXPECT_EQ(Station().OpenHandles(), 0u);
}

TEST_F(CardVolumeTest, AFullCardRaisesAFileError) {
    DriveOf(config, 'E').card->freeClusters = 2;
    const auto results = WriteFile("E:\\test0.bin", 3, 1);
    ASSERT_EQ(results.size(), 3u);
    EXPECT_FALSE(results[0].fileError);
    EXPECT_FALSE(results[1].fileError);
    EXPECT_TRUE(results[2].fileError);
    EXPECT_EQ(Space("E:").freeClusters, 0u);
}

TEST_F(CardVolumeTest, AWriteProtectedCardRefusesCreateAndDelete) {
    DriveOf(config, 'E').card->writeProtected = true;
    EXPECT_EQ(Station().FileCreate("E:\\test0.bin"), kInvalidHandle);
    EXPECT_FALSE(Station().FileDelete("E:\\test0.bin"));
    EXPECT_EQ(Space("E:").freeClusters, 256u);
}

TEST_F(CardVolumeTest, ACardPulledAtAClusterTakesItsFilesAndReadiness) {
    // Clusters moved count writes and reads together: 3 written, the 5th is the second read.
    DriveOf(config, 'E').faults.pullAtCluster = 5;
    auto results = WriteFile("E:\\test0.bin", 3, 7);
    ASSERT_EQ(results.size(), 3u);
    for (const FileTransfer& result : results) EXPECT_FALSE(result.fileError);
    const Handle file = Station().FileOpen("E:\\test0.bin");
    ASSERT_NE(file, kInvalidHandle);
    EXPECT_FALSE(Station().FileRead(file, buffer.data(), kCluster).fileError);
    EXPECT_TRUE(Station().FileRead(file, buffer.data(), kCluster).fileError);
    EXPECT_TRUE(Station().FileRead(file, buffer.data(), kCluster).fileError);
    Station().FileClose(file);

    EXPECT_EQ(Station().FileCreate("E:\\test0.bin"), kInvalidHandle);
    EXPECT_EQ(Station().FileOpen("E:\\test0.bin"), kInvalidHandle);
    EXPECT_FALSE(Station().FileFind("E:\\test0.bin"));
    DiskFreeSpace space;
    EXPECT_FALSE(Station().GetDiskFreeSpaceA("E:", space));
    ReaderDevice device(Station());
    ASSERT_TRUE(device.Open("E:"));
    EXPECT_FALSE(device.TestUnitReady());
    // Files on the other slots are not touched, and no card path reaches the outer platform.
    EXPECT_TRUE(outer.filePaths.empty());
    EXPECT_EQ(Space("F:").freeClusters, 256u);
}

TEST_F(CardVolumeTest, ACardPulledWhileWritingFailsTheWriteAndEveryCreate) {
    DriveOf(config, 'E').faults.pullAtCluster = 2;
    const auto results = WriteFile("E:\\test0.bin", 3, 7);
    ASSERT_EQ(results.size(), 3u);
    EXPECT_FALSE(results[0].fileError);
    EXPECT_TRUE(results[1].fileError);
    EXPECT_TRUE(results[2].fileError);
    EXPECT_EQ(Station().FileCreate("E:\\test1.bin"), kInvalidHandle);
    EXPECT_EQ(Station().Card('E'), nullptr);
}

TEST_F(CardVolumeTest, DataCorruptedAtAClusterReadsBackChangedThere) {
    DriveOf(config, 'E').faults.corruptAtCluster = 3;
    WriteFile("E:\\test0.bin", 2, 0x55);
    WriteFile("E:\\test1.bin", 2, 0xAA);
    const std::vector<std::uint8_t>* first = Station().Card('E')->FileData("test0.bin");
    const std::vector<std::uint8_t>* second = Station().Card('E')->FileData("test1.bin");
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(*first, std::vector<std::uint8_t>(2 * kCluster, 0x55));
    std::vector<std::uint8_t> expected(2 * kCluster, 0xAA);
    expected[0] = 0x55;  // the third cluster written is the first of test1.bin
    EXPECT_EQ(*second, expected);
}

TEST_F(CardVolumeTest, PathsOffTheStationGoToTheOuterPlatform) {
    const Handle file = Station().FileCreate("M:\\notes.txt");
    ASSERT_NE(file, kInvalidHandle);
    EXPECT_NE(file, Handle{0x77});  // the outer handle stays behind one of our own
    EXPECT_FALSE(Station().FileWrite(file, buffer.data(), 512).fileError);
    Station().FileClose(file);
    EXPECT_EQ(outer.filePaths, std::vector<std::string>{"M:\\notes.txt"});
    EXPECT_EQ(outer.writtenTo, std::vector<Handle>{0x77});
    EXPECT_EQ(outer.closed, std::vector<Handle>{0x77});
    // A slot without a card is still the station's: nothing goes out.
    DriveOf(config, 'F').card.reset();
    station.reset();
    outer.filePaths.clear();
    EXPECT_EQ(Station().FileCreate("F:\\test0.bin"), kInvalidHandle);
    EXPECT_FALSE(Station().FileFind("F:\\test0.bin"));
    EXPECT_TRUE(outer.filePaths.empty());
}

}  // namespace
}  // namespace talven::test
