// The station file: what each statement sets, and the errors for bad lines.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "sim/StationParser.h"

namespace talven::test {
namespace {

TEST(StationParser, EveryStatementAndFault) {
    const std::string text = R"(# a station
timescale 0.25
drive C: fixed
drive Z: REMOTE     # network share
drive D: optical
drive K: removable
reader r1 identity 01 02 0x53 08 09 0A 41 42 43 44 45 46 vendor "KVe" product "Card Reader X" revision 2.10 eeprom r1.eeprom
slot E: r1 product "CF Card"
slot f: r1
card E: capacity 8MiB cluster 16KiB free 100 protected speed 2.5 40
card F: format FAT16 root 64
card K: capacity 1M cluster 512
fault E: open-fails
fault F: command F2 21 status 2
fault F: command 12 fails
fault F: inquiry-fails
fault F: inquiry-short 20
fault F: eeprom-writes-ignored
fault F: eeprom-changed 300 80
fault F: identity-swapped
fault F: corrupt-at-cluster 7
fault F: pull-at-cluster 40
fault F: pull-at-time 3000
fault F: repeat-sector-at-cluster 9
fault F: drop-writes-after-cluster 500
fault F: wrap-at 3MiB
fault K: vanish-at-time 5000
)";
    StationConfig config;
    std::string error;
    ASSERT_TRUE(ParseStation(text, "/stations", config, error)) << error;
    EXPECT_DOUBLE_EQ(config.timeScale, 0.25);
    ASSERT_EQ(config.readers.size(), 1u);
    const ReaderConfig& reader = config.readers[0];
    EXPECT_EQ(reader.identity, (SimChipIdentity{1, 2, 0x53, 8, 9, 10, 'A', 'B', 'C', 'D', 'E', 'F'}));
    EXPECT_EQ(reader.vendor, "KVe");
    EXPECT_EQ(reader.product, "Card Reader X");
    EXPECT_EQ(reader.revision, "2.10");
    EXPECT_EQ(reader.eepromPath, "/stations/r1.eeprom");

    ASSERT_EQ(config.drives.size(), 6u);
    EXPECT_EQ(config.drives[1].kind, SimDriveKind::Remote);
    EXPECT_EQ(config.drives[2].kind, SimDriveKind::Optical);
    EXPECT_EQ(config.drives[3].kind, SimDriveKind::Removable);
    const DriveConfig& e = config.drives[4];
    const DriveConfig& f = config.drives[5];
    EXPECT_EQ(e.letter, 'E');
    EXPECT_EQ(f.letter, 'F');
    EXPECT_EQ(e.kind, SimDriveKind::ReaderSlot);
    EXPECT_EQ(e.reader, 0);
    EXPECT_EQ(e.product, std::optional<std::string>("CF Card"));
    EXPECT_FALSE(f.product.has_value());
    ASSERT_TRUE(e.card.has_value());
    EXPECT_EQ(e.card->capacity, 8u << 20);
    EXPECT_EQ(e.card->sectorsPerCluster, 32u);
    EXPECT_EQ(e.card->freeClusters, std::optional<std::uint32_t>(100));
    EXPECT_TRUE(e.card->writeProtected);
    EXPECT_DOUBLE_EQ(e.card->writeSpeed, 2.5);
    EXPECT_DOUBLE_EQ(e.card->readSpeed, 40);
    ASSERT_TRUE(f.card.has_value());
    EXPECT_FALSE(f.card->writeProtected);
    EXPECT_EQ(f.card->writeSpeed, 0) << "as fast as memory";
    EXPECT_FALSE(e.card->format.has_value());
    EXPECT_FALSE(e.card->rootEntries.has_value());
    EXPECT_EQ(f.card->format, std::optional<CardFormat>(CardFormat::Fat16));
    EXPECT_EQ(f.card->rootEntries, std::optional<std::uint32_t>(64));
    EXPECT_EQ(config.drives[3].card->sectorsPerCluster, 1u);
    EXPECT_TRUE(e.faults.openFails);
    EXPECT_FALSE(f.faults.openFails);

    const DriveFaults& faults = f.faults;
    ASSERT_EQ(faults.commands.size(), 3u);
    EXPECT_EQ(faults.commands[0].operation, 0xF2);
    EXPECT_EQ(faults.commands[0].subOperation, std::optional<std::uint8_t>(0x21));
    EXPECT_FALSE(faults.commands[0].callFails);
    EXPECT_EQ(faults.commands[0].scsiStatus, 2);
    EXPECT_EQ(faults.commands[1].operation, 0x12);
    EXPECT_FALSE(faults.commands[1].subOperation.has_value());
    EXPECT_TRUE(faults.commands[1].callFails);
    EXPECT_TRUE(faults.commands[2].callFails);
    EXPECT_EQ(faults.inquiryLength, std::optional<std::uint32_t>(20));
    EXPECT_TRUE(faults.eepromWritesIgnored);
    ASSERT_EQ(faults.eepromChanges.size(), 1u);
    EXPECT_EQ(faults.eepromChanges[0].address, 300);
    EXPECT_EQ(faults.eepromChanges[0].mask, 0x80);
    EXPECT_TRUE(faults.identitySwapped);
    EXPECT_EQ(faults.corruptAtCluster, 7u);
    EXPECT_EQ(faults.pullAtCluster, 40u);
    EXPECT_EQ(faults.pullAtMs, std::optional<std::uint64_t>(3000));
    EXPECT_EQ(faults.repeatSectorAtCluster, 9u);
    EXPECT_EQ(faults.dropWritesAfterCluster, 500u);
    EXPECT_EQ(faults.wrapAt, 3u << 20);
    EXPECT_EQ(config.drives[3].faults.vanishAtMs, std::optional<std::uint64_t>(5000));
}

TEST(StationParser, BadLinesNameTheirLineAndReason) {
    const std::string head = "drive C: fixed\nreader r1\nslot E: r1\n";
    const struct {
        std::string line;
        std::string error;
    } cases[] = {
        {"floppy A:", "line 4: unknown statement 'floppy'"},
        {"drive D: floppy", "line 4: unknown drive type 'floppy'"},
        {"drive C: fixed", "line 4: drive C: is declared twice"},
        {"drive DD fixed", "line 4: 'DD' is not a drive such as E:"},
        {"slot F: r2", "line 4: reader 'r2' is not declared"},
        {"reader r1", "line 4: reader 'r1' is declared twice"},
        {"reader r2 identity 00 00 53", "line 4: 'identity' needs 12 hexadecimal bytes"},
        {"reader r2 identity 00 00 53 08 00 00 00 00 00 00 00 XY", "line 4: identity byte 'XY'"},
        {"reader r2 product \"seventeen chars!!\"", "line 4: 'product' text is longer than 16 characters"},
        {"reader r2 product \"open", "line 4: unterminated quoted text"},
        {"card C:", "line 4: a card goes into a reader slot or a removable drive"},
        {"card G:", "line 4: drive G: is not declared"},
        {"card E: cluster 1000", "line 4: cluster '1000' is not a whole number of 512-byte sectors"},
        {"card E: capacity 4X", "line 4: capacity '4X' is not a size"},
        {"card E: capacity 8K cluster 16K", "line 4: the capacity holds no whole cluster"},
        {"card E: capacity 1M cluster 16K free 65", "line 4: free 65 is more than the card's 64 clusters"},
        {"card E: colour red", "line 4: unknown card option 'colour'"},
        {"card E: speed 4", "line 4: 'speed' needs 2 values"},
        {"card E: speed 4 0", "line 4: speed '0' is not a number of MB/s from 0.01 to 100000"},
        {"card E: speed -1 4", "line 4: speed '-1' is not a number of MB/s"},
        {"card E: format ntfs", "line 4: unknown format 'ntfs' (fat12, fat16, fat32, exfat)"},
        {"card E: root 0", "line 4: root '0' is not a number of entries from 1 to 65535"},
        {"card E: format exfat root 512", "line 4: 'root' sets the fixed root of fat12 and fat16 only"},
        {"card E: capacity 3G root 512", "line 4: 'root' sets the fixed root of fat12 and fat16 only"},
        {"card E: capacity 1M cluster 16K free 64 format fat32",
         "line 4: free 64 is more than the card's 63 clusters besides its root"},
        {"fault E: wrap-at 1000", "line 4: 'wrap-at' needs a size of whole 512-byte sectors"},
        {"fault E: melts", "line 4: unknown fault 'melts'"},
        {"fault E: open-fails now", "line 4: 'open-fails' takes no value"},
        {"fault E: pull-at-cluster 0", "line 4: clusters count from 1"},
        {"fault E: pull-at-time soon", "line 4: 'pull-at-time' needs one whole number"},
        {"fault E: command F2 21 status 0", "line 4: status '0' is not a non-zero SCSI status"},
        {"fault E: command F2 21", "line 4: 'command' ends with 'fails' or 'status N'"},
        {"fault E: eeprom-changed 512 01", "line 4: 'eeprom-changed' needs an address 0-511"},
        {"timescale fast", "line 4: time scale 'fast' is not a number"},
    };
    for (const auto& c : cases) {
        StationConfig config;
        config.timeScale = 7;
        std::string error;
        EXPECT_FALSE(ParseStation(head + c.line + "\n", "", config, error)) << c.line;
        EXPECT_EQ(error.substr(0, c.error.size()), c.error) << c.line << " gave: " << error;
        EXPECT_DOUBLE_EQ(config.timeScale, 7) << "a failed parse leaves the configuration alone";
    }
    StationConfig config;
    std::string error;
    EXPECT_FALSE(ParseStation("\n# nothing\ncard E:\n", "", config, error));
    EXPECT_EQ(error, "line 3: drive E: is not declared");
}

TEST(StationParser, OnlyTimeScalesTheClockCanCarryAreAccepted) {
    for (const char* scale : {"0", "0.0", "0.000001", "1e-6", "0.25", "1", "1E2", "1000", "1000.0"}) {
        StationConfig config;
        std::string error;
        EXPECT_TRUE(ParseStation(std::string("timescale ") + scale + "\n", "", config, error))
            << scale << ": " << error;
        EXPECT_DOUBLE_EQ(config.timeScale, std::stod(scale)) << scale;
    }
    for (const char* scale : {"1e-300", "1e-400", "0.0000009", "1000.5", "1e6", "1e400", "inf", "INF", "nan",
                              "-1", "-0", "+1", "0x1p-3", "1,5", "1.5s", "."}) {
        StationConfig config;
        std::string error;
        EXPECT_FALSE(ParseStation(std::string("drive C: fixed\ntimescale ") + scale + "\n", "", config, error))
            << scale;
        EXPECT_EQ(error, std::string("line 2: time scale '") + scale + "' is not a number from 0.000001 to 1000, or 0");
    }
}

TEST(StationParser, ErrorsShowEveryByteOfTheirLine) {
    using namespace std::string_literals;
    const struct {
        std::string text;
        std::string error;
    } cases[] = {
        {"drive C: fixed\nfl\x01oppy A:\n", "line 2: unknown statement 'fl\\x01oppy'"},
        {"drive C: fix\x7F" "ed\n",
         "line 1: unknown drive type 'fix\\x7Fed' (fixed, remote, optical, removable, ramdisk)"},
        {"reader r1 \"\x1B[2J\"\n", "line 1: unknown reader option '\\x1B[2J'"},
        {"drive C: fixed\ndri\0ve D: fixed\n"s,
         "line 2: NUL byte in the line; UTF-16 text is not accepted, save the station file as UTF-8 or ASCII"},
        // UTF-16, little- and big-endian, with and without a byte-order mark.
        {"\xFF\xFE" "d\0r\0i\0v\0e\0 \0C\0:\0 \0f\0i\0x\0e\0d\0\n\0"s,
         "line 1: UTF-16 text is not accepted, save the station file as UTF-8 or ASCII"},
        {"\xFE\xFF" "\0d\0r\0i\0v\0e\0 \0C\0:\0 \0f\0i\0x\0e\0d\0\n"s,
         "line 1: UTF-16 text is not accepted, save the station file as UTF-8 or ASCII"},
        {"d\0r\0i\0v\0e\0 \0C\0:\0 \0f\0i\0x\0e\0d\0\n\0"s,
         "line 1: NUL byte in the line; UTF-16 text is not accepted, save the station file as UTF-8 or ASCII"},
        // A byte-order mark anywhere but at the start is text like any other.
        {"drive C: fixed\n\xEF\xBB\xBF" "drive D: fixed\n", "line 2: unknown statement '\xEF\xBB\xBF" "drive'"},
    };
    for (const auto& c : cases) {
        StationConfig config;
        std::string error;
        EXPECT_FALSE(ParseStation(c.text, "", config, error)) << c.error;
        EXPECT_EQ(error, c.error);
        EXPECT_EQ(error.find('\0'), std::string::npos);
    }
}

TEST(StationParser, AUtf8ByteOrderMarkAtTheStartIsSkipped) {
    StationConfig config;
    std::string error;
    ASSERT_TRUE(ParseStation("\xEF\xBB\xBFtimescale 0\ndrive C: fixed\n", "", config, error)) << error;
    EXPECT_DOUBLE_EQ(config.timeScale, 0.0);
    ASSERT_EQ(config.drives.size(), 1u);
    EXPECT_EQ(config.drives[0].letter, 'C');
    // With nothing after it the file is an empty station.
    ASSERT_TRUE(ParseStation("\xEF\xBB\xBF", "", config, error)) << error;
    EXPECT_TRUE(config.drives.empty());
}

TEST(StationParser, DefaultStation) {
    const StationConfig config = DefaultStation("C:\\line");
    EXPECT_DOUBLE_EQ(config.timeScale, 1.0);
    ASSERT_EQ(config.readers.size(), 1u);
    EXPECT_EQ(config.readers[0].eepromPath, "C:\\line\\TalvenSim-reader1.eeprom");
    std::string letters;
    for (const DriveConfig& drive : config.drives) {
        letters += drive.letter;
        if (drive.kind == SimDriveKind::ReaderSlot) {
            ASSERT_TRUE(drive.card.has_value());
            EXPECT_EQ(drive.card->capacity, 4u << 20);
            EXPECT_EQ(drive.card->sectorsPerCluster * 512u, 16384u);
        }
    }
    EXPECT_EQ(letters, "CEFGHZ");
    EXPECT_EQ(JoinPath("/tmp/x", "a.eeprom"), "/tmp/x/a.eeprom");
    EXPECT_EQ(JoinPath("/tmp/x", "/abs.eeprom"), "/abs.eeprom");
    EXPECT_EQ(JoinPath("C:\\x", "D:\\abs.eeprom"), "D:\\abs.eeprom");
}

#ifdef TALVEN_STATION_FORMAT_DOC
// Every example station in the format's documentation is a valid station.
TEST(StationParser, TheDocumentedExamplesParse) {
    FILE* file = std::fopen(TALVEN_STATION_FORMAT_DOC, "rb");
    ASSERT_NE(file, nullptr);
    std::string doc;
    char chunk[4096];
    for (std::size_t n; (n = std::fread(chunk, 1, sizeof chunk, file)) > 0;) doc.append(chunk, n);
    std::fclose(file);
    int examples = 0;
    for (std::size_t at = doc.find("```station"); at != std::string::npos; at = doc.find("```station", at)) {
        const std::size_t start = doc.find('\n', at) + 1;
        const std::size_t end = doc.find("```", start);
        ASSERT_NE(end, std::string::npos);
        StationConfig config;
        std::string error;
        EXPECT_TRUE(ParseStation(doc.substr(start, end - start), "", config, error))
            << "example " << examples + 1 << ": " << error;
        ++examples;
        at = end + 3;
    }
    EXPECT_GE(examples, 2);
}
#endif

#ifdef TALVEN_TRAINING_STATIONS
std::string ReadTrainingStation(const std::string& name) {
    std::string text;
    FILE* file = std::fopen((std::string(TALVEN_TRAINING_STATIONS) + "/" + name).c_str(), "rb");
    if (file == nullptr) return text;
    char chunk[4096];
    for (std::size_t n; (n = std::fread(chunk, 1, sizeof chunk, file)) > 0;) text.append(chunk, n);
    std::fclose(file);
    return text;
}

// The reader slots of a station, in drive order.
std::vector<const DriveConfig*> Slots(const StationConfig& config) {
    std::vector<const DriveConfig*> slots;
    for (const DriveConfig& drive : config.drives) {
        if (drive.kind == SimDriveKind::ReaderSlot) slots.push_back(&drive);
    }
    return slots;
}

// The stations shipped for training: one four-slot VX5308 reader with a card
// in every slot, so that a read/write test starts, each card with a speed a
// real slot has: a trainee learns the figures of a good slot.
TEST(StationParser, TheTrainingStationsParseAsFourSlotsOfOneReader) {
    for (const char* name :
         {"good.station", "faults.station", "cards.station", "quick-test.station", "worn-card.station"}) {
        SCOPED_TRACE(name);
        const std::string text = ReadTrainingStation(name);
        ASSERT_FALSE(text.empty());
        StationConfig config;
        std::string error;
        ASSERT_TRUE(ParseStation(text, "C:\\training", config, error)) << error;
        ASSERT_EQ(config.readers.size(), 1u);
        EXPECT_EQ(config.readers[0].identity, kDefaultChipIdentity);
        EXPECT_FALSE(config.readers[0].eepromPath.empty()) << "the EEPROM is kept between runs";
        const std::vector<const DriveConfig*> slots = Slots(config);
        ASSERT_EQ(slots.size(), 4u);
        for (const DriveConfig* slot : slots) {
            ASSERT_TRUE(slot->card.has_value()) << slot->letter;
            EXPECT_GT(slot->card->readSpeed, slot->card->writeSpeed) << slot->letter;
            EXPECT_LE(slot->card->writeSpeed, 25) << slot->letter;
        }
        EXPECT_EQ(config.timeScale, 1.0) << "training runs in real time";

        // As shipped, with Windows line ends.
        std::string windowsText;
        for (char c : text) windowsText += c == '\n' ? std::string("\r\n") : std::string(1, c);
        StationConfig shipped;
        EXPECT_TRUE(ParseStation(windowsText, "C:\\training", shipped, error)) << error;
        EXPECT_EQ(shipped.drives.size(), config.drives.size());
    }
}

TEST(StationParser, TheGoodTrainingStationHasNoFaultAndTheOtherOneFailsAsItsCommentsSay) {
    StationConfig good;
    std::string error;
    ASSERT_TRUE(ParseStation(ReadTrainingStation("good.station"), "", good, error)) << error;
    for (const DriveConfig* slot : Slots(good)) {
        const DriveFaults& faults = slot->faults;
        EXPECT_FALSE(faults.openFails || faults.eepromWritesIgnored || faults.identitySwapped) << slot->letter;
        EXPECT_TRUE(faults.commands.empty() && faults.eepromChanges.empty()) << slot->letter;
        EXPECT_EQ(faults.corruptAtCluster + faults.pullAtCluster, 0u) << slot->letter;
        EXPECT_FALSE(faults.pullAtMs || faults.vanishAtMs || faults.inquiryLength) << slot->letter;
        EXPECT_FALSE(slot->card->writeProtected) << slot->letter;
        EXPECT_GE(slot->card->writeSpeed, 15) << slot->letter;
    }

    StationConfig faulty;
    ASSERT_TRUE(ParseStation(ReadTrainingStation("faults.station"), "", faulty, error)) << error;
    const std::vector<const DriveConfig*> slots = Slots(faulty);
    ASSERT_EQ(slots.size(), 4u);
    // E passes the test, F passes it slowly (as the guide's picture shows),
    // G compares wrong in its second 1 MiB file (64 clusters of 16 KiB
    // each), H is protected and then pulled; EEPROM writes through E are
    // ignored.
    EXPECT_EQ(slots[0]->letter, 'E');
    EXPECT_GE(slots[0]->card->writeSpeed, 15);
    EXPECT_TRUE(slots[0]->faults.eepromWritesIgnored);
    EXPECT_EQ(slots[1]->faults.corruptAtCluster + slots[1]->faults.pullAtCluster, 0u);
    EXPECT_LT(slots[1]->card->writeSpeed, 10) << "a slot the guide's lowest speed of 10 MB/s fails";
    EXPECT_EQ(slots[2]->card->sectorsPerCluster * kSimSectorSize, 16u * 1024);
    EXPECT_GT(slots[2]->faults.corruptAtCluster, 64u);
    EXPECT_LE(slots[2]->faults.corruptAtCluster, 128u);
    EXPECT_TRUE(slots[3]->card->writeProtected);
    EXPECT_GT(slots[3]->faults.pullAtCluster, 0u);
}
#endif

}  // namespace
}  // namespace talven::test
