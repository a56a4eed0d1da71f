// The read/write test of one card on the simulated station: test files, their
// sizes and patterns, the progress text, every outcome with its cause, and
// that no test file stays on the card.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <set>

#include "tests/core/production/ProductionTestSupport.h"

namespace talven {
namespace {

using test::Card;
using test::FileRecorder;

// Byte `at` of test file `fileNumber`: each 512-byte sector starts with the
// file number, the sector's index and the test's `run` (little-endian), the
// rest is the pattern of the file number.
std::uint8_t PatternByte(std::uint32_t fileNumber, std::size_t at, std::uint64_t run) {
    const std::size_t inSector = at % 512;
    if (inSector < 4) return static_cast<std::uint8_t>(fileNumber >> (8 * inSector));
    if (inSector < 8) return static_cast<std::uint8_t>(at / 512 >> (8 * (inSector - 4)));
    if (inSector < 16) return static_cast<std::uint8_t>(run >> (8 * (inSector - 8)));
    switch (fileNumber % 3) {
        case 0: return static_cast<std::uint8_t>(at % 256);
        case 1: return 0xAA;
        default: return 0x55;
    }
}

class Engine : public test::StationRun {
protected:
    TestOutcome TestCard(const CardConfig& card) {
        Drive('E').card = card;
        return TestE();
    }
    TestOutcome TestE() {
        if (!station) Start();
        if (view.rows.empty()) view.InsertRow(0, "CF Card          (E:)", kRowNeutral);
        return test::TestDrive(*recorder, view, settings.Path(), "E:", 0);
    }
    // The files written, each with its name, size and the pattern of its
    // number, all with one run stamp, which is returned.
    std::uint64_t ExpectFiles(const std::vector<std::uint64_t>& sizes) {
        std::uint64_t run = 0;
        if (!recorder->files.empty() && recorder->files[0].bytes.size() >= 16)
            std::memcpy(&run, recorder->files[0].bytes.data() + 8, 8);  // a little-endian build
        EXPECT_EQ(recorder->files.size(), sizes.size());
        if (recorder->files.size() != sizes.size()) return run;
        for (std::uint32_t k = 0; k < sizes.size(); ++k) {
            const FileRecorder::WrittenFile& file = recorder->files[k];
            EXPECT_EQ(file.path, "E:\\test" + std::to_string(k) + ".bin");
            EXPECT_EQ(file.bytes.size(), sizes[k]) << file.path;
            std::size_t wrong = 0;
            for (std::size_t at = 0; at < file.bytes.size(); ++at)
                wrong += file.bytes[at] != PatternByte(k, at, run);
            EXPECT_EQ(wrong, 0u) << file.path;
            EXPECT_TRUE(file.flushed && !file.closedUnflushed) << file.path << " closed before its flush";
        }
        return run;
    }
    // After every test: nothing on the card, nothing left open.
    void ExpectCleanCard() {
        EXPECT_TRUE(TestFilesOn('E').empty());
        EXPECT_EQ(station->OpenHandles(), 0u);
        EXPECT_FALSE(recorder->misaligned) << "a transfer was not page-aligned whole sectors";
    }
};

// Every test stamps its data with a run value of its own, at the same clock too.
TEST_F(Engine, FileSizeFollowsFsReadAnewAtEveryTest) {
    constexpr std::uint32_t kCluster = 16384;
    Drive('E').card = Card(kCluster, 320);  // 5 MiB
    Start();
    EXPECT_EQ(TestE(), TestOutcome::Passed);
    std::set<std::uint64_t> runs = {ExpectFiles({1 << 20, 1 << 20, 1 << 20, 1 << 20, 1 << 20})};
    ExpectCleanCard();

    for (const char* value : {"1", "7"}) {
        settings.Write(std::string("[Program set]\r\nFS=") + value + "\r\n");
        recorder->files.clear();
        station = nullptr;  // a new station: its clock starts again
        EXPECT_EQ(TestE(), TestOutcome::Passed);
        runs.insert(ExpectFiles({2 << 20, 2 << 20, 1 << 20}));
        ExpectCleanCard();
    }
    EXPECT_EQ(runs.size(), 3u);
    // The root with its backslash is what Windows takes for the figures.
    EXPECT_EQ(recorder->freeSpaceRoots.back(), "E:\\");
}

TEST_F(Engine, AHundredClustersOfSixteenKibFillTwoFilesAndCountToAHundred) {
    EXPECT_EQ(TestCard(Card(16384, 100)), TestOutcome::Passed);
    ExpectFiles({1048576, 589824});
    // A whole file moves in one request; the progress counts its clusters.
    EXPECT_EQ(recorder->writeSizes, (std::vector<std::uint32_t>{1048576, 589824}));
    ASSERT_EQ(view.texts.size(), 2u);
    EXPECT_EQ(view.texts[0].second, "Testting(64/100)....");
    EXPECT_EQ(view.texts[1].second, "Testting(100/100)....");
    EXPECT_EQ(view.rows[0].status, "Testting(100/100)....");
    EXPECT_EQ(recorder->opened, (std::vector<std::string>{"E:\\test0.bin", "E:\\test1.bin"}));
    ExpectCleanCard();
}

TEST_F(Engine, SmallLargeAndOversizedClusters) {
    EXPECT_EQ(TestCard(Card(512, 3000)), TestOutcome::Passed);
    ExpectFiles({2048 * 512, 952 * 512});
    ExpectCleanCard();
}

TEST_F(Engine, SixtyFourKibClusters) {
    EXPECT_EQ(TestCard(Card(65536, 40)), TestOutcome::Passed);
    ExpectFiles({1 << 20, 1 << 20, 8 * 65536});
    EXPECT_EQ(view.texts.back().second, "Testting(40/40)....");
    ExpectCleanCard();
}

TEST_F(Engine, AClusterLargerThanTheFileIsAFileOfItsOwn) {
    EXPECT_EQ(TestCard(Card(2 << 20, 3)), TestOutcome::Passed);  // 1 MiB files, 2 MiB clusters
    ExpectFiles({2 << 20, 2 << 20, 2 << 20});
    ExpectCleanCard();
}

// No pass without a test.
TEST_F(Engine, NoFreeClusterIsAWriteFailureWithoutAFileOrProgress) {
    CardConfig card = Card(16384, 64);
    card.freeClusters = 0;
    EXPECT_EQ(TestCard(card), TestOutcome::WriteFailed);
    EXPECT_TRUE(recorder->files.empty());
    EXPECT_EQ(view.textUpdates, 0u);
    ExpectCleanCard();
}

TEST_F(Engine, WithoutFiguresNothingIsWritten) {
    recorder = nullptr;
    Drive('E').card = Card(16384, 64);
    Start();
    recorder->freeSpaceFails = true;
    EXPECT_EQ(TestE(), TestOutcome::WriteFailed);
    EXPECT_TRUE(recorder->files.empty());
    EXPECT_EQ(view.textUpdates, 0u);
    ExpectCleanCard();

    // No card in the slot: the query fails too.
    Drive('F').card.reset();
    Start();
    EXPECT_EQ(test::TestDrive(*recorder, view, settings.Path(), "F:", 0), TestOutcome::WriteFailed);
    EXPECT_TRUE(recorder->files.empty());
}

TEST_F(Engine, AWriteProtectedCardFailsTheFirstCreate) {
    CardConfig card = Card(16384, 64);
    card.writeProtected = true;
    EXPECT_EQ(TestCard(card), TestOutcome::WriteFailed);
    EXPECT_TRUE(recorder->files.empty());
    ExpectCleanCard();
}

TEST_F(Engine, ACardPulledInsideARequestIsDiskRemoved) {
    Drive('E').faults.pullAtCluster = 70;  // the sixth cluster of test1.bin's one request
    EXPECT_EQ(TestCard(Card(16384, 256)), TestOutcome::DiskRemoved);
    EXPECT_EQ(recorder->files.size(), 2u);
    EXPECT_EQ(station->Card('E'), nullptr);
    EXPECT_EQ(station->OpenHandles(), 0u);
}

TEST_F(Engine, ACardPulledBetweenFilesFailsTheNextCreate) {
    Drive('E').card = Card(16384, 256);
    Start();
    int creates = 0;
    recorder->onCreate = [&](const char*) {
        if (++creates == 3) station->PullCard('E');
    };
    EXPECT_EQ(TestE(), TestOutcome::WriteFailed);
    EXPECT_EQ(recorder->files.size(), 2u);
    EXPECT_EQ(station->OpenHandles(), 0u);
}

TEST_F(Engine, ACardPulledWhileReadingFailsTheOpenOrTheRead) {
    Drive('E').card = Card(16384, 256);
    Start();
    int opens = 0;
    recorder->onOpen = [&](const char*) {
        if (++opens == 2) station->PullCard('E');
    };
    EXPECT_EQ(TestE(), TestOutcome::ReadFailed);
    EXPECT_EQ(station->OpenHandles(), 0u);

    Drive('E').card = Card(16384, 256);
    Start();
    bool reading = false;
    recorder->onOpen = [&](const char*) { reading = true; };
    view.onPump = [&](std::uint64_t) {
        if (reading) station->PullCard('E');
    };
    EXPECT_EQ(TestE(), TestOutcome::DiskRemoved);
    EXPECT_EQ(station->OpenHandles(), 0u);
}

TEST_F(Engine, ACardPulledAtAClusterWhileReadingIsDiskRemoved) {
    Drive('E').faults.pullAtCluster = 256 + 100;  // 256 written, then the 100th read
    EXPECT_EQ(TestCard(Card(16384, 256)), TestOutcome::DiskRemoved);
    EXPECT_EQ(recorder->files.size(), 4u);
    EXPECT_EQ(station->OpenHandles(), 0u);
}

TEST_F(Engine, ACorruptClusterInsideARequestFailsTheCompare) {
    Drive('E').faults.corruptAtCluster = 100;  // inside test1.bin's request
    EXPECT_EQ(TestCard(Card(16384, 256)), TestOutcome::CompareFailed);
    ExpectCleanCard();
    // The compare stops at the file that holds it.
    EXPECT_EQ(recorder->opened.size(), 2u);
}

TEST_F(Engine, AFileThatComesBackShortFailsTheCompare) {
    Drive('E').card = Card(16384, 256);
    Start();
    // The card loses the second half of test1.bin before it is read back.
    recorder->onOpen = [&](const char* path) {
        if (std::string(path) != "E:\\test0.bin") return;
        CardVolume* card = station->Card('E');
        std::vector<std::uint8_t> kept = *card->FileData("test1.bin");
        kept.resize(512 << 10);
        card->Delete("test1.bin");
        card->Create("test1.bin");
        card->Write("test1.bin", 0, kept.data(), static_cast<std::uint32_t>(kept.size()));
        card->Close("test1.bin");
    };
    EXPECT_EQ(TestE(), TestOutcome::CompareFailed);
    ExpectCleanCard();
}

// test1.bin (all 0xAA) comes back 512 bytes further on: every byte is one
// of its pattern's, only the stamps show the sectors' wrong place.
TEST_F(Engine, DataShiftedByASectorFailsTheCompare) {
    Drive('E').card = Card(16384, 256);
    Start();
    CardVolume* card = station->Card('E');
    recorder->onOpen = [&](const char* path) {
        if (std::string(path) != "E:\\test0.bin") return;
        std::vector<std::uint8_t> test1 = *card->FileData("test1.bin");
        std::rotate(test1.begin(), test1.begin() + 512, test1.end());
        card->Delete("test1.bin");
        card->Create("test1.bin");
        card->Write("test1.bin", 0, test1.data(), static_cast<std::uint32_t>(test1.size()));
        card->Close("test1.bin");
    };
    EXPECT_EQ(TestE(), TestOutcome::CompareFailed);
    ExpectCleanCard();
}

// Cards of every layout pass, filled to the last cluster, and nothing is
// left on them; a fixed root that is full and data from the wrong place fail.
TEST_F(Engine, LayoutsAndFaults) {
    const struct {
        const char* name;
        CardFormat format;
        std::uint64_t capacity;
        std::uint32_t cluster;
        std::uint32_t root;  // 0: the format's default
        std::uint64_t wrapAt, repeatSectorAt;
        TestOutcome outcome;
        std::size_t files;
    } cases[] = {
        // 640 files of 1 MiB would not fit a 512-entry root: 128 of 5 MiB do.
        {"fat16 640 MiB", CardFormat::Fat16, 640ull << 20, 16384, 0, 0, 0, TestOutcome::Passed, 128},
        // Sixteen entries a cluster: the root takes clusters while the files are created.
        {"fat32 root grows", CardFormat::Fat32, 20ull << 20, 512, 0, 0, 0, TestOutcome::Passed, 20},
        {"exfat root grows", CardFormat::ExFat, 20ull << 20, 512, 0, 0, 0, TestOutcome::Passed, 20},
        {"fat12 root full", CardFormat::Fat12, 4ull << 20, 16384, 3, 0, 0, TestOutcome::WriteFailed, 2},
        // A fake-capacity card: test3.bin's clusters land on test0.bin's.
        {"wraps at 3 MiB", CardFormat::Fat12, 4ull << 20, 16384, 0, 3u << 20, 0, TestOutcome::CompareFailed, 4},
        // A slot that writes one sector twice and loses the next.
        {"repeats a sector", CardFormat::Fat12, 4ull << 20, 16384, 0, 0, 70, TestOutcome::CompareFailed, 4},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CardConfig card = Card(c.cluster, static_cast<std::uint32_t>(c.capacity / c.cluster));
        card.format = c.format;
        if (c.root != 0) card.rootEntries = c.root;
        Drive('E').card = card;
        Drive('E').faults.wrapAt = c.wrapAt;
        Drive('E').faults.repeatSectorAtCluster = c.repeatSectorAt;
        Start();
        recorder->keepBytes = false;
        std::int64_t freeWhenReading = -1;
        recorder->onOpen = [&](const char*) {
            if (freeWhenReading < 0) freeWhenReading = station->Card('E')->FreeClusters();
        };
        EXPECT_EQ(TestE(), c.outcome);
        EXPECT_EQ(recorder->files.size(), c.files);
        // The last file took the last cluster.
        if (c.outcome == TestOutcome::Passed) {
            EXPECT_EQ(freeWhenReading, 0);
        }
        ExpectCleanCard();
    }
}

// No file passes FAT32's 4 GiB - 1 byte: over 512 GiB free the card gets
// more than 128 files, and all of them together still take every cluster.
TEST(TestFilePlan, FilesStayUnderFourGibAndCoverTheCard) {
    const struct {
        std::uint32_t free, cluster, request, perFile, files;
    } kCases[] = {
        {100, 16384, 64, 64, 128},               // small: files of the FS size
        {40960, 16384, 64, 320, 128},            // 640 MiB: larger files
        {16777216, 32768, 32, 131071, 129},      // 512 GiB: 4 GiB files would be one byte too large
        {19660800, 32768, 32, 131071, 151},      // 600 GiB
        {0xFFFFFFFFu, 512, 2048, 8388607, 513},  // 2 TiB of 512-byte clusters
    };
    for (const auto& c : kCases) {
        const TestFilePlan plan = PlanTestFiles(c.free, c.cluster, c.request);
        EXPECT_EQ(plan.clustersPerFile, c.perFile) << c.free;
        EXPECT_EQ(plan.fileLimit, c.files) << c.free;
        const std::uint64_t last =
            c.free - std::min<std::uint64_t>(c.free, std::uint64_t{plan.fileLimit - 1} * plan.clustersPerFile);
        EXPECT_LE(std::max<std::uint64_t>(plan.clustersPerFile, last) * c.cluster, 0xFFFFFFFFu) << c.free;
    }
}

// A volume that reports more free space than it has: the write it refuses
// fails the test, and nothing is left.
TEST_F(Engine, FreeSpaceThatIsNotThereFailsTheWrite) {
    Drive('E').card = Card(16384, 256);
    Start();
    recorder->extraFreeClusters = 1;
    EXPECT_EQ(TestE(), TestOutcome::DiskRemoved);
    EXPECT_EQ(recorder->files.size(), 5u);  // the fifth for the cluster that is not there
    ExpectCleanCard();
}

TEST_F(Engine, AStopEndsTheTestAtTheNextFileBoundary) {
    // Pumps 1 and 2 surround test0.bin's request; 3 comes before test1.bin's.
    for (std::uint64_t stopAt : {1u, 2u, 3u}) {
        Drive('E').card = Card(16384, 256);
        Start();
        view.running = 1;
        view.pumps = 0;
        view.onPump = [&](std::uint64_t pump) {
            if (pump == stopAt) view.running = 0;
        };
        EXPECT_EQ(TestE(), TestOutcome::Stopped) << "stop at pump " << stopAt;
        EXPECT_EQ(recorder->files.size(), stopAt < 3 ? 1u : 2u);
        EXPECT_TRUE(recorder->opened.empty());
        ExpectCleanCard();
    }
}

TEST_F(Engine, AStopWhileReadingTheLastFilePassesAndEarlierIsStopped) {
    for (const char* stopIn : {"E:\\test1.bin", "E:\\test0.bin"}) {
        Drive('E').card = Card(16384, 128);
        Start();
        view.running = 1;
        bool armed = false;
        recorder->onOpen = [&](const char* path) { armed = std::string(path) == stopIn; };
        view.onPump = [&](std::uint64_t) {
            if (armed) view.running = 0;
        };
        const bool last = std::string(stopIn) == "E:\\test1.bin";
        EXPECT_EQ(TestE(), last ? TestOutcome::Passed : TestOutcome::Stopped) << stopIn;
        EXPECT_EQ(recorder->opened.size(), last ? 2u : 1u);
        ExpectCleanCard();
    }
}

TEST_F(Engine, TestFilesOfAnEarlierRunAreOverwrittenAndRemoved) {
    Drive('E').card = Card(16384, 256);
    Start();
    CardVolume* card = station->Card('E');
    const std::uint8_t junk[512] = {1, 2, 3};
    for (const char* name : {"test0.bin", "test1.bin", "test2.bin", "test3.bin", "test4.bin", "keep.txt"}) {
        card->Create(name);
        card->Write(name, 0, junk, sizeof junk);
        card->Close(name);
    }
    EXPECT_EQ(TestE(), TestOutcome::Passed);
    // Six one-cluster files: the four overwritten give their clusters back
    // when they are created again; keep.txt and test4.bin keep theirs.
    ExpectFiles({1 << 20, 1 << 20, 1 << 20, 62 * 16384});
    ExpectCleanCard();
    EXPECT_EQ(card->FileNames(), std::vector<std::string>{"keep.txt"});
}

// Deleting is writing: a card that keeps a test file has not passed.
TEST_F(Engine, AFileThatCannotBeDeletedFailsTheTestWithoutHanging) {
    Drive('E').card = Card(16384, 256);
    Start();
    recorder->deleteFails = [](const char* path) { return std::string(path) == "E:\\test1.bin"; };
    EXPECT_EQ(TestE(), TestOutcome::WriteFailed);
    // The ones after it still go.
    EXPECT_EQ(TestFilesOn('E'), std::vector<std::string>{"test1.bin"});
    EXPECT_EQ(station->OpenHandles(), 0u);

    // A card that refuses every deletion, seen by a search that always finds.
    recorder->deleteFails = [](const char*) { return true; };
    recorder->findAlways = true;
    recorder->deleted.clear();
    EXPECT_FALSE(DeleteTestFiles(*recorder, "E:", 4));
    EXPECT_EQ(recorder->deleted.size(), 16u);
}

// A flaky card loses test0.bin: the read-back fails, and the files this test
// created after the gap go all the same, as do an earlier run's beyond them.
TEST_F(Engine, TheDeletionPassCrossesGapsInTheFilesItCreated) {
    Drive('E').card = Card(16384, 256);
    Start();
    CardVolume* card = station->Card('E');
    recorder->onCreate = [&](const char* path) {
        if (std::string(path) != "E:\\test3.bin") return;
        for (const char* name : {"test4.bin", "test5.bin"}) {  // an earlier run's, after this one's
            card->Create(name);
            card->Close(name);
        }
    };
    recorder->onOpen = [&](const char* path) {
        if (std::string(path) == "E:\\test0.bin") card->Delete("test0.bin");
    };
    EXPECT_EQ(TestE(), TestOutcome::ReadFailed);
    ExpectCleanCard();
}

}  // namespace
}  // namespace talven
