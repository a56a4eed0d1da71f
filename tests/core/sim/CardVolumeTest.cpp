// Card volumes through the platform's file calls, as the test engine uses them.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "reader/ReaderDevice.h"
#include "sim/CardVolume.h"
#include "tests/support/TestStation.h"

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
    const auto first = Station().Card('E')->FileData("test0.bin");
    const auto second = Station().Card('E')->FileData("test1.bin");
    ASSERT_TRUE(first && second);
    EXPECT_EQ(*first, std::vector<std::uint8_t>(2 * kCluster, 0x55));
    std::vector<std::uint8_t> expected(2 * kCluster, 0xAA);
    expected[0] = 0x55;  // the third cluster written is the first of test1.bin
    EXPECT_EQ(*second, expected);

    // The card emptied, the next file starts a card test: the slot fails it too.
    EXPECT_TRUE(Station().FileDelete("E:\\test0.bin") && Station().FileDelete("E:\\test1.bin"));
    WriteFile("E:\\test0.bin", 3, 0xAA);
    EXPECT_EQ(Station().Card('E')->ClustersWritten(), 3u);
    EXPECT_EQ(Station().Card('E')->ClustersMoved(), 3u);
    EXPECT_EQ(Station().Card('E')->ClustersWrittenEver(), 7u);
    std::vector<std::uint8_t> again(3 * kCluster, 0xAA);
    again[2 * kCluster] = 0x55;
    EXPECT_EQ(*Station().Card('E')->FileData("test0.bin"), again);
}

// From its cluster on, counted over the slot's life, the slot stores nothing
// and the card keeps what it held, whatever card is put in.
TEST_F(CardVolumeTest, DroppedWritesLeaveWhatTheCardHeld) {
    DriveOf(config, 'E').faults.dropWritesAfterCluster = 6;
    WriteFile("E:\\test0.bin", 4, 0x11);
    EXPECT_TRUE(Station().FileDelete("E:\\test0.bin"));
    const auto results = WriteFile("E:\\test0.bin", 4, 0x22);  // clusters 5 to 8, on the same clusters
    ASSERT_EQ(results.size(), 4u);
    for (const FileTransfer& result : results) EXPECT_TRUE(!result.fileError && result.bytes == kCluster);
    std::vector<std::uint8_t> expected(4 * kCluster, 0x11);
    std::fill_n(expected.begin(), kCluster, 0x22);
    EXPECT_EQ(*Station().Card('E')->FileData("test0.bin"), expected);
    EXPECT_EQ(Space("E:").freeClusters, 252u);

    Station().InsertCard('E', *DriveOf(config, 'E').card);
    WriteFile("E:\\test0.bin", 1, 0x33);
    EXPECT_EQ(*Station().Card('E')->FileData("test0.bin"), std::vector<std::uint8_t>(kCluster, 0));
}

// Bytes that differ from cluster to cluster, so that a change lands visibly.
std::vector<std::uint8_t> Pattern(std::size_t size, std::uint8_t seed) {
    std::vector<std::uint8_t> bytes(size);
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(seed + i * 7 + i / kCluster);
    return bytes;
}

// Requests of many clusters, as the test engine sends them: the faults count
// clusters of the card's cluster size, not requests.
class ClusterCountTest : public CardVolumeTest {
protected:
    // One write request of `bytes` to a new file; its outcome.
    FileTransfer WriteRequest(const char* path, const std::vector<std::uint8_t>& bytes) {
        const Handle file = Station().FileCreate(path);
        EXPECT_NE(file, kInvalidHandle) << path;
        const FileTransfer result = Station().FileWrite(file, bytes.data(), static_cast<std::uint32_t>(bytes.size()));
        Station().FileClose(file);
        return result;
    }
    // A card of its own, outside a station, whose counts stay readable after a pull.
    static CardVolume Card(std::uint64_t corruptAt, std::uint64_t pullAt) {
        DriveFaults faults;
        faults.corruptAtCluster = corruptAt;
        faults.pullAtCluster = pullAt;
        CardVolume card(CardConfig{}, faults);  // 4 MiB of 16 KiB clusters
        EXPECT_TRUE(card.Create("a.bin"));
        return card;
    }
};

TEST_F(ClusterCountTest, ACorruptClusterInsideARequestChangesExactlyThatCluster) {
    DriveOf(config, 'E').faults.corruptAtCluster = 40;
    const std::vector<std::uint8_t> written = Pattern(64 * kCluster, 3);
    const FileTransfer write = WriteRequest("E:\\test1.bin", written);
    EXPECT_FALSE(write.fileError);
    EXPECT_EQ(write.bytes, 64 * kCluster);

    std::vector<std::uint8_t> expected = written;
    expected[39 * kCluster] ^= 0xFF;  // the first byte of the 40th cluster
    ASSERT_TRUE(Station().Card('E')->FileData("test1.bin"));
    EXPECT_EQ(*Station().Card('E')->FileData("test1.bin"), expected);
    EXPECT_EQ(Station().Card('E')->ClustersWritten(), 64u);
    EXPECT_EQ(Station().Card('E')->ClustersMoved(), 64u);

    // Read back in one request: the change comes back, and 64 more clusters moved.
    const Handle file = Station().FileOpen("E:\\test1.bin");
    ASSERT_NE(file, kInvalidHandle);
    std::vector<std::uint8_t> readBack(64 * kCluster);
    const FileTransfer read = Station().FileRead(file, readBack.data(), 64 * kCluster);
    Station().FileClose(file);
    EXPECT_FALSE(read.fileError);
    EXPECT_EQ(read.bytes, 64 * kCluster);
    EXPECT_EQ(readBack, expected);
    EXPECT_EQ(Station().Card('E')->ClustersWritten(), 64u);
    EXPECT_EQ(Station().Card('E')->ClustersMoved(), 128u);
}

TEST_F(ClusterCountTest, CountsRunOnAcrossRequestsAndFiles) {
    DriveOf(config, 'E').faults.corruptAtCluster = 70;
    const std::vector<std::uint8_t> first = Pattern(64 * kCluster, 1);
    const std::vector<std::uint8_t> second = Pattern(64 * kCluster, 2);
    EXPECT_FALSE(WriteRequest("E:\\test1.bin", first).fileError);
    EXPECT_FALSE(WriteRequest("E:\\test2.bin", second).fileError);
    EXPECT_EQ(*Station().Card('E')->FileData("test1.bin"), first);
    std::vector<std::uint8_t> expected = second;
    expected[5 * kCluster] ^= 0xFF;  // cluster 70 is the sixth of the second file
    EXPECT_EQ(*Station().Card('E')->FileData("test2.bin"), expected);
    EXPECT_EQ(Station().Card('E')->ClustersWritten(), 128u);
}

TEST_F(ClusterCountTest, APartialLastClusterCountsAsOne) {
    CardVolume card = Card(12, 0);
    const std::vector<std::uint8_t> ten = Pattern(10 * kCluster, 4);
    const std::vector<std::uint8_t> oneAndAHalf = Pattern(kCluster + kCluster / 2, 5);
    EXPECT_FALSE(card.Write("a.bin", 0, ten.data(), 10 * kCluster).fileError);
    EXPECT_EQ(card.ClustersWritten(), 10u);
    const FileTransfer partial = card.Write("a.bin", 10 * kCluster, oneAndAHalf.data(), kCluster + kCluster / 2);
    EXPECT_FALSE(partial.fileError);
    EXPECT_EQ(partial.bytes, kCluster + kCluster / 2);
    EXPECT_EQ(card.ClustersWritten(), 12u);
    EXPECT_EQ(card.ClustersMoved(), 12u);
    // Cluster 12 is the half cluster at the end of the second request.
    std::vector<std::uint8_t> expected = ten;
    expected.insert(expected.end(), oneAndAHalf.begin(), oneAndAHalf.end());
    expected[11 * kCluster] ^= 0xFF;
    EXPECT_EQ(*card.FileData("a.bin"), expected);
    EXPECT_EQ(card.FreeClusters(), 256u - 12u);

    // A read that ends inside the file's last cluster moves it as one; reading
    // nothing, or from the end, moves none.
    std::vector<std::uint8_t> buffer(4 * kCluster);
    const FileTransfer tail = card.Read("a.bin", 10 * kCluster, buffer.data(), 4 * kCluster);
    EXPECT_FALSE(tail.fileError);
    EXPECT_EQ(tail.bytes, kCluster + kCluster / 2);
    EXPECT_EQ(card.ClustersMoved(), 14u);
    EXPECT_FALSE(card.Read("a.bin", expected.size(), buffer.data(), kCluster).fileError);
    EXPECT_FALSE(card.Read("a.bin", 0, buffer.data(), 0).fileError);
    EXPECT_FALSE(card.Write("a.bin", 0, buffer.data(), 0).fileError);
    EXPECT_EQ(card.ClustersMoved(), 14u);
    EXPECT_EQ(card.ClustersWritten(), 12u);
    // A request without its buffer is refused and counts nothing.
    EXPECT_TRUE(card.Write("a.bin", 0, nullptr, kCluster).fileError);
    EXPECT_TRUE(card.Read("a.bin", 0, nullptr, kCluster).fileError);
    EXPECT_EQ(card.ClustersMoved(), 14u);
}

TEST_F(ClusterCountTest, APullInsideAWriteRequestFailsThatRequestAndTakesTheCard) {
    DriveOf(config, 'E').faults.pullAtCluster = 100;
    EXPECT_FALSE(WriteRequest("E:\\test1.bin", Pattern(64 * kCluster, 1)).fileError);
    const FileTransfer pulled = WriteRequest("E:\\test2.bin", Pattern(64 * kCluster, 2));
    EXPECT_TRUE(pulled.fileError);
    EXPECT_EQ(pulled.bytes, 0u);
    EXPECT_EQ(Station().Card('E'), nullptr);
    EXPECT_FALSE(Station().FileFind("E:\\test1.bin"));
    EXPECT_EQ(Station().FileCreate("E:\\test3.bin"), kInvalidHandle);
    ReaderDevice device(Station());
    ASSERT_TRUE(device.Open("E:"));
    EXPECT_FALSE(device.TestUnitReady());
    EXPECT_EQ(Station().OpenHandles(), 1u);  // the device alone
}

TEST_F(ClusterCountTest, APullInsideAReadRequestFailsItAndFillsNothing) {
    DriveOf(config, 'E').faults.pullAtCluster = 150;
    EXPECT_FALSE(WriteRequest("E:\\test1.bin", Pattern(64 * kCluster, 1)).fileError);
    EXPECT_FALSE(WriteRequest("E:\\test2.bin", Pattern(64 * kCluster, 2)).fileError);
    const Handle file = Station().FileOpen("E:\\test1.bin");
    ASSERT_NE(file, kInvalidHandle);
    std::vector<std::uint8_t> readBack(64 * kCluster, 0xEE);
    const FileTransfer read = Station().FileRead(file, readBack.data(), 64 * kCluster);
    Station().FileClose(file);
    EXPECT_TRUE(read.fileError);
    EXPECT_EQ(read.bytes, 0u);
    EXPECT_EQ(readBack, std::vector<std::uint8_t>(64 * kCluster, 0xEE));
    EXPECT_EQ(Station().Card('E'), nullptr);
    DiskFreeSpace space;
    EXPECT_FALSE(Station().GetDiskFreeSpaceA("E:", space));
}

TEST_F(ClusterCountTest, ThePulledClusterIsTheFirstOrLastOfItsRequest) {
    const std::vector<std::uint8_t> bytes = Pattern(64 * kCluster, 6);
    // The 64th cluster is the last of the first request.
    CardVolume last = Card(0, 64);
    EXPECT_TRUE(last.Write("a.bin", 0, bytes.data(), 64 * kCluster).fileError);
    EXPECT_FALSE(last.Present());
    EXPECT_EQ(last.ClustersMoved(), 64u);
    EXPECT_EQ(last.ClustersWritten(), 0u);
    EXPECT_TRUE(last.Write("a.bin", 0, bytes.data(), kCluster).fileError);
    EXPECT_FALSE(last.FileData("a.bin"));
    // The 65th is the first of the second, a read.
    CardVolume first = Card(0, 65);
    EXPECT_FALSE(first.Write("a.bin", 0, bytes.data(), 64 * kCluster).fileError);
    EXPECT_TRUE(first.Present());
    std::vector<std::uint8_t> buffer(kCluster, 0xEE);
    EXPECT_TRUE(first.Read("a.bin", 0, buffer.data(), kCluster).fileError);
    EXPECT_EQ(buffer, std::vector<std::uint8_t>(kCluster, 0xEE));
    EXPECT_FALSE(first.Present());
    EXPECT_EQ(first.ClustersMoved(), 65u);
    EXPECT_EQ(first.ClustersWritten(), 64u);
}

TEST_F(ClusterCountTest, AFullCardRefusesARequestBeforeAnyOfItMoves) {
    DriveFaults faults;
    faults.pullAtCluster = 70;
    CardConfig small;
    small.freeClusters = 100;
    CardVolume card(small, faults);
    ASSERT_TRUE(card.Create("a.bin"));
    const std::vector<std::uint8_t> bytes = Pattern(64 * kCluster, 7);
    EXPECT_FALSE(card.Write("a.bin", 0, bytes.data(), 64 * kCluster).fileError);
    // 64 more do not fit in the 36 left: refused whole, nothing counted, no pull.
    EXPECT_TRUE(card.Write("a.bin", 64 * kCluster, bytes.data(), 64 * kCluster).fileError);
    EXPECT_TRUE(card.Present());
    EXPECT_EQ(card.ClustersMoved(), 64u);
    EXPECT_EQ(card.FileData("a.bin")->size(), 64 * kCluster);
    EXPECT_EQ(card.FreeClusters(), 36u);
}

// A card formatter's choice by capacity, unless the card names its own.
TEST(CardFormat, FollowsTheCapacityUnlessGiven) {
    const struct {
        std::uint64_t capacity;
        CardFormat format;
    } cases[] = {{4ull << 20, CardFormat::Fat12},  {64ull << 20, CardFormat::Fat12},
                 {65ull << 20, CardFormat::Fat16}, {2ull << 30, CardFormat::Fat16},
                 {3ull << 30, CardFormat::Fat32},  {32ull << 30, CardFormat::Fat32},
                 {33ull << 30, CardFormat::ExFat}};
    for (const auto& c : cases) {
        CardConfig card;
        card.capacity = c.capacity;
        EXPECT_EQ(FormatOf(card), c.format) << c.capacity;
        card.format = CardFormat::Fat32;
        EXPECT_EQ(FormatOf(card), CardFormat::Fat32) << c.capacity;
    }
}

// Cards of 512-byte clusters: a growing root holds 16 entries a cluster.
class CardRoot : public ::testing::Test {
protected:
    static CardVolume Card(CardFormat format, std::optional<std::uint32_t> root = std::nullopt) {
        CardConfig config;
        config.capacity = 64 * kSimSectorSize;
        config.sectorsPerCluster = 1;
        config.format = format;
        config.rootEntries = root;
        return CardVolume(config, DriveFaults{});
    }
    // Creates and closes each name; how many could be created.
    static int CreateAll(CardVolume& card, const std::vector<std::string>& names) {
        int created = 0;
        for (const std::string& name : names) {
            if (!card.Create(name)) break;
            card.Close(name);
            ++created;
        }
        return created;
    }
    static std::vector<std::string> TestNames(int from, int count) {
        std::vector<std::string> names;
        for (int i = from; i < from + count; ++i) names.push_back("test" + std::to_string(i) + ".bin");
        return names;
    }
};

TEST_F(CardRoot, AFixedRootRefusesANameThatFindsItFullAndTakesBackDeletedEntries) {
    for (CardFormat format : {CardFormat::Fat12, CardFormat::Fat16}) {
        CardVolume card = Card(format, 8);
        // The label takes one entry; 8.3 names one each.
        EXPECT_EQ(CreateAll(card, TestNames(0, 8)), 7);
        EXPECT_EQ(card.FreeClusters(), 64u);
        EXPECT_TRUE(card.Delete("test0.bin"));
        EXPECT_TRUE(card.Delete("test1.bin"));
        // A long name takes one entry more for every 13 characters: 3 for 14.
        EXPECT_FALSE(card.Create("a-longer-name.bin"));
        EXPECT_TRUE(card.Delete("test2.bin"));
        EXPECT_TRUE(card.Create("a-longer-name1"));
        EXPECT_FALSE(card.Create("TEST0.BIN"));
        EXPECT_EQ(card.Directory().EntriesUsed(), 8u);
    }
    // 512 entries by default.
    CardVolume card = Card(CardFormat::Fat16);
    EXPECT_EQ(CreateAll(card, TestNames(0, 600)), 511);
}

TEST_F(CardRoot, AGrowingRootTakesFreeClustersAndKeepsThem) {
    CardVolume card = Card(CardFormat::Fat32);
    EXPECT_EQ(card.TotalClusters(), 64u);
    EXPECT_EQ(card.FreeClusters(), 63u);  // the root's first cluster
    EXPECT_EQ(CreateAll(card, TestNames(0, 15)), 15);  // and the label
    EXPECT_EQ(card.FreeClusters(), 63u);
    EXPECT_EQ(CreateAll(card, TestNames(15, 1)), 1);
    EXPECT_EQ(card.FreeClusters(), 62u);
    for (const std::string& name : TestNames(0, 16)) EXPECT_TRUE(card.Delete(name));
    EXPECT_EQ(card.FreeClusters(), 62u);
    EXPECT_EQ(card.Directory().Capacity(), 32u);

    // exFAT: three entries a file and three of the root's own.
    CardVolume exfat = Card(CardFormat::ExFat);
    EXPECT_EQ(CreateAll(exfat, TestNames(0, 4)), 4);
    EXPECT_EQ(exfat.FreeClusters(), 63u);
    EXPECT_EQ(CreateAll(exfat, TestNames(4, 1)), 1);
    EXPECT_EQ(exfat.FreeClusters(), 62u);
}

TEST_F(CardRoot, ACreateThatNeedsAClusterAndFindsNoneFails) {
    CardVolume card = Card(CardFormat::Fat32);
    ASSERT_TRUE(card.Create("fill.bin"));
    const std::vector<std::uint8_t> bytes(63 * kSimSectorSize, 1);
    EXPECT_FALSE(card.Write("fill.bin", 0, bytes.data(), static_cast<std::uint32_t>(bytes.size())).fileError);
    card.Close("fill.bin");
    EXPECT_EQ(CreateAll(card, TestNames(0, 20)), 14);
    EXPECT_FALSE(card.Exists("test14.bin"));
}

TEST_F(ClusterCountTest, AWrappedCardStoresClustersBeyondItsSizeOverItsStart) {
    DriveOf(config, 'E').faults.wrapAt = 3 * kCluster;
    const std::vector<std::uint8_t> first = Pattern(4 * kCluster, 1);
    const std::vector<std::uint8_t> second = Pattern(2 * kCluster, 2);
    EXPECT_FALSE(WriteRequest("E:\\test0.bin", first).fileError);
    EXPECT_FALSE(WriteRequest("E:\\test1.bin", second).fileError);
    // Clusters are handed out in order: test0.bin's fourth (offset 3) is
    // kept at 0, test1.bin's two (4 and 5) at 1 and 2.
    auto chunk = [](const std::vector<std::uint8_t>& bytes, int n) {
        return std::vector<std::uint8_t>(bytes.begin() + n * kCluster, bytes.begin() + (n + 1) * kCluster);
    };
    std::vector<std::uint8_t> expected;
    for (const auto& piece : {chunk(first, 3), chunk(second, 0), chunk(second, 1), chunk(first, 3)})
        expected.insert(expected.end(), piece.begin(), piece.end());
    EXPECT_EQ(*Station().Card('E')->FileData("test0.bin"), expected);
    EXPECT_EQ(*Station().Card('E')->FileData("test1.bin"), second);
    EXPECT_EQ(Space("E:").freeClusters, 256u - 6u);  // it claims what it does not keep
}

TEST_F(ClusterCountTest, ARepeatedSectorReadsBackAsTheOneBeforeIt) {
    DriveOf(config, 'E').faults.repeatSectorAtCluster = 66;
    const std::vector<std::uint8_t> first = Pattern(64 * kCluster, 1);
    const std::vector<std::uint8_t> second = Pattern(64 * kCluster, 2);
    EXPECT_FALSE(WriteRequest("E:\\test0.bin", first).fileError);
    EXPECT_FALSE(WriteRequest("E:\\test1.bin", second).fileError);
    EXPECT_EQ(*Station().Card('E')->FileData("test0.bin"), first);
    std::vector<std::uint8_t> expected = second;
    std::copy_n(second.begin() + kCluster, kSimSectorSize, expected.begin() + kCluster + kSimSectorSize);
    EXPECT_EQ(*Station().Card('E')->FileData("test1.bin"), expected);
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
