// The EEPROM programming run on the simulated station: the result row after
// the settings rows, the verdict, the bytes that reach the reader, and the
// buttons and `running` around it.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <random>
#include <set>

#include "production/ConfigurationImage.h"
#include "production/StationSerials.h"
#include "production/StationState.h"
#include "record/RecordSerials.h"
#include "record/VerdictRecord.h"
#include "tests/core/production/ProductionTestSupport.h"
#include "tests/core/record/RecordTestSupport.h"

namespace talven {
namespace {

constexpr const char* kReaderRow = "CF Card         ";
const ImageField& kSerialField = *ImageFieldOf(kSerialNumberKey);

// Ends the program's effects after `steps` steps, as a kill would: a step is
// a request to a device or a write of a file. The file write the kill meets
// is cut off halfway; nothing after it reaches a disk or a reader.
class KillingPlatform final : public test::ForwardingPlatform {
public:
    KillingPlatform(Platform& inner, std::size_t steps) : ForwardingPlatform(inner), left(steps) {}
    bool DeviceIoControl(Handle device, std::uint32_t code, void* in, std::uint32_t inSize, void* out,
                         std::uint32_t outSize, std::uint32_t* returned) override {
        return Alive() && inner.DeviceIoControl(device, code, in, inSize, out, outSize, returned);
    }
    FileResult FileWriteWhole(const char* path, const void* data, std::uint32_t size) override {
        const bool first = !killed;
        if (Alive()) return inner.FileWriteWhole(path, data, size);
        if (first) inner.FileWriteWhole(path, data, size / 2);
        return FileResult::Failed;
    }
    FileResult MoveFileExA(const char* from, const char* to) override {
        return Alive() ? inner.MoveFileExA(from, to) : FileResult::Failed;
    }
    FileResult FileAppend(const char* path, const void* data, std::uint32_t size) override {
        return Alive() ? inner.FileAppend(path, data, size) : FileResult::Failed;
    }
    FileResult CreateDirectoryA(const char* path) override {
        return Alive() ? inner.CreateDirectoryA(path) : FileResult::Failed;
    }
    FileResult FileTruncate(const char* path, std::uint64_t size) override {
        return Alive() ? inner.FileTruncate(path, size) : FileResult::Failed;
    }
    bool killed = false;

private:
    bool Alive() {
        if (left == 0) killed = true;
        if (killed) return false;
        --left;
        return true;
    }
    std::size_t left;
};

class EepromRun : public test::StationRun {
protected:
    EepromRun() {
        // The settings listing: rows 0 to 10.
        for (int row = 0; row <= 10; ++row) view.InsertRow(row, ("setting " + std::to_string(row)).c_str(), 4);
        view.settingsRowCount = 10;
        view.running = 0;
    }
    ~EepromRun() override {
        std::error_code ignored;
        std::filesystem::remove(eepromFile, ignored);
    }
    void Run() {
        if (!station) Start();
        station->ClearLog();
        view.pumps = 0;
        runs->RunEepromProgramming(SettingsNow(*recorder, settings.Path()));
    }
    void ExpectLastRow(const std::string& name, const std::string& status, int icon) {
        ASSERT_FALSE(view.rows.empty());
        EXPECT_EQ(view.rows.back().name, name);
        EXPECT_EQ(view.rows.back().status, status);
        EXPECT_EQ(view.rows.back().icon, icon);
    }
    // The image the settings call for, over `before`.
    std::array<std::uint8_t, 512> Expected(std::array<std::uint8_t, 512> before) {
        BuildConfigurationImage(*outer, before.data(), settings.Path());
        return before;
    }
    // One programming run on a fresh reader, as a program of its own that a
    // kill after `steps` steps may end; the reader's serial field afterwards.
    std::vector<std::uint8_t> ProgramOne(bool* killed = nullptr, std::size_t steps = SIZE_MAX) {
        Start();
        KillingPlatform platform(*recorder, steps);
        VerdictRecord record(platform, SpoolPath(), "1.00");
        ProductionRuns(platform, view, settings.Path(), &record).RunEepromProgramming(SettingsNow(platform, settings.Path()));
        if (killed != nullptr) *killed = platform.killed;
        const auto eeprom = station->Eeprom(0);
        return {eeprom.begin() + kSerialField.offset, eeprom.begin() + kSerialField.offset + kSerialField.size};
    }
    // The characters of the field's UTF-16LE units, without the spaces that fill it up.
    // The record's spool beside the settings, kept from one program to the next.
    std::string SpoolPath() const { return std::string(settings.Path()) + ".spool"; }
    static std::string SerialOf(const std::vector<std::uint8_t>& field) {
        std::string text;
        for (std::size_t at = 2; at + 1 < field.size(); at += 2) text += static_cast<char>(field[at]);
        return text.substr(0, text.find_last_not_of(' ') + 1);
    }
    std::array<std::uint8_t, 512> EepromFile() {
        std::array<std::uint8_t, 512> bytes{};
        std::ifstream file(eepromFile, std::ios::binary);
        file.read(reinterpret_cast<char*>(bytes.data()), bytes.size());
        EXPECT_EQ(file.gcount(), 512);
        return bytes;
    }

    // Tests of this fixture run in processes of their own at once: each
    // removes its own file only.
    std::string eepromFile = (std::filesystem::temp_directory_path() /
                              ("talven-eeprom-" + std::to_string(std::random_device{}()) + ".bin"))
                                 .string();
};

TEST_F(EepromRun, ProgramsTheReaderAndReplacesItsResultRowOnTheNextRun) {
    Run();
    ASSERT_EQ(view.rows.size(), 12u);
    ExpectLastRow(kReaderRow, "Write EEPROM success.", kRowPassed);
    EXPECT_EQ(view.rows[10].name, "setting 10");
    EXPECT_EQ(runs->Judgement(), RunJudgement::Passed);
    EXPECT_EQ(view.status, "Chip 5308 Revision:0102 05/17 '23");
    std::array<std::uint8_t, 512> erased;
    erased.fill(0xFF);
    EXPECT_EQ(station->Eeprom(0), Expected(erased));
    EXPECT_EQ(station->Log().eepromWrites.size(), 12u);  // eleven pieces and the empty rest
    EXPECT_EQ(view.pumps, 0u);  // nothing else is handled while it runs

    // The next reader, with another INQUIRY text: its row replaces the result.
    Drive('E').product = "Next Reader";
    Start();
    Run();
    ASSERT_EQ(view.rows.size(), 12u);
    ExpectLastRow("Next Reader     ", "Write EEPROM success.", kRowPassed);
}

TEST_F(EepromRun, NoReaderLeavesARowThatTheNextRunRemovesFirst) {
    for (char letter : {'E', 'F', 'G', 'H'}) Drive(letter).kind = SimDriveKind::Removable;
    Run();
    ASSERT_EQ(view.rows.size(), 12u);
    ExpectLastRow("No card reader device.", "", kRowFailed);
    EXPECT_EQ(runs->Judgement(), RunJudgement::NotJudged);
    Run();
    ASSERT_EQ(view.rows.size(), 12u);
    ExpectLastRow("No card reader device.", "", kRowFailed);
}

TEST_F(EepromRun, AnEmptyListMakesTheReadersRowTheFirst) {
    view.rows.clear();
    Run();
    ASSERT_EQ(view.rows.size(), 1u);
    ExpectLastRow(kReaderRow, "Write EEPROM success.", kRowPassed);
}

TEST_F(EepromRun, OfTwoReadersOnlyTheLowerDriveIsProgrammedAndListed) {
    ReaderConfig second;
    second.name = "reader2";
    config.readers.push_back(second);
    Drive('E').kind = SimDriveKind::Removable;  // the first reader now starts at F:
    DriveConfig slot;
    slot.letter = 'D';
    slot.kind = SimDriveKind::ReaderSlot;
    slot.reader = 1;
    config.drives.push_back(slot);
    Run();
    ASSERT_EQ(view.rows.size(), 12u);
    ExpectLastRow("Card Reader     ", "Write EEPROM success.", kRowPassed);
    std::array<std::uint8_t, 512> erased;
    erased.fill(0xFF);
    EXPECT_EQ(station->Eeprom(1), Expected(erased));
    EXPECT_EQ(station->Eeprom(0), erased);
    for (const SimEepromWrite& write : station->Log().eepromWrites) EXPECT_EQ(write.drive, 'D');
}

TEST_F(EepromRun, EveryFailureToProgramIsUnsuccess) {
    std::vector<std::function<void(DriveFaults&)>> faults = {
        [](DriveFaults& f) { f.eepromWritesIgnored = true; },
        [](DriveFaults& f) { f.eepromChanges.push_back({57, 0x01}); },
        [](DriveFaults& f) { f.commands.push_back({0xF2, 0x21, false, 2}); },
    };
    for (const auto& fault : faults) {
        config = test::QuietDefaultStation();
        fault(Drive('E').faults);
        Start();
        Run();
        ASSERT_EQ(view.rows.size(), 12u);
        ExpectLastRow(kReaderRow, "Write EEPROM unsuccess.", kRowFailed);
    }
    EXPECT_EQ(runs->Judgement(), RunJudgement::Failed);
}

TEST_F(EepromRun, AReaderWhoseIdentityFailsIsNoReader) {
    for (char letter : {'E', 'F', 'G', 'H'}) Drive(letter).faults.commands.push_back({0xF0, std::nullopt, true, 0});
    Run();
    ExpectLastRow("No card reader device.", "", kRowFailed);
}

TEST_F(EepromRun, AFailedEepromReadWritesNothing) {
    Drive('E').faults.commands.push_back({0xF2, 0x20, false, 2});
    Run();
    ExpectLastRow(kReaderRow, "Write EEPROM unsuccess.", kRowFailed);
    EXPECT_TRUE(station->Log().eepromWrites.empty());
    std::array<std::uint8_t, 512> erased;
    erased.fill(0xFF);
    EXPECT_EQ(station->Eeprom(0), erased);
}

TEST_F(EepromRun, TheEepromFileHoldsTheImageOverItsEarlierBytes) {
    std::array<std::uint8_t, 512> before{};
    for (std::size_t i = 0; i < before.size(); ++i) before[i] = static_cast<std::uint8_t>(i * 7 + 1);
    {
        std::ofstream file(eepromFile, std::ios::binary);
        file.write(reinterpret_cast<const char*>(before.data()), before.size());
    }
    config.readers[0].eepromPath = eepromFile;
    settings.Write("[VX5308]\r\nVID=1234\r\nPID=abcd\r\nManufacture=Mkr\r\nSN=42\r\nBY105=7\r\n");
    Run();
    ExpectLastRow(kReaderRow, "Write EEPROM success.", kRowPassed);
    const std::array<std::uint8_t, 512> after = EepromFile();
    EXPECT_EQ(after, Expected(before));
    EXPECT_EQ(after[0], 0x34);
    EXPECT_EQ(after[1], 0x12);
    EXPECT_EQ(after[3], 0xAB);
    EXPECT_EQ(after[105], 7);
    // What the image does not define keeps the reader's own bytes.
    for (std::size_t i : {12u, 15u, 21u, 54u, 55u, 107u, 108u, 109u}) EXPECT_EQ(after[i], before[i]) << i;
    EXPECT_TRUE(std::equal(after.begin() + 110, after.end(), before.begin() + 110));

    // A settings file changed between two runs: the second writes the new values.
    settings.Write("[VX5308]\r\nVID=5678\r\n");
    Run();
    EXPECT_EQ(EepromFile()[0], 0x78);
    EXPECT_EQ(EepromFile()[1], 0x56);
}

// A refusal of the settings is no reader's failure; a warning the run went
// on with, and a refusal's reason, are what the status line said. Every
// line ends with the lot.
TEST_F(EepromRun, TheRecordHoldsWhatWasWrittenARefusalAndAMissingReader) {
    test::TempFolder records;
    const std::string folder = "[Program set]\r\nRecordFolder=" + records.path.string() + "\r\nLot=WO 7, \"B\"\r\n";
    settings.Write(folder);
    VerdictRecord record(*outer, records.Spool(), "1.00");
    std::vector<std::string> statuses;
    for (const char* device : {"", "VID=0x12345", "Productr=X"}) {
        settings.Write(folder + "[VX5308]\r\n" + device + "\r\n");
        if (statuses.size() == 2)
            for (char letter : {'E', 'F', 'G', 'H'}) Drive(letter).kind = SimDriveKind::Removable;
        Start();
        runs = std::make_unique<ProductionRuns>(*recorder, view, settings.Path(), &record);
        Run();
        statuses.push_back(view.status);
    }

    const std::vector<test::CsvRow> rows = records.Rows();
    ASSERT_EQ(rows.size(), 4u);
    const std::string chip = "Chip 5308 Revision:0102 05/17 '23";
    // The default image over an erased EEPROM; its CRC-32 computed apart.
    EXPECT_EQ(rows[1], (test::CsvRow{rows[1][0], rows[1][1], "v1.00", "Write EEPROM", "1", chip, "E:", "CF Card",
                                     "Write EEPROM success.", "pass", "", "", "", "", "0x3C71", "0x5308",
                                     "123456789abcdef", "CE9CB358", rows[1][18], "", rows[1][20], "WO 7, \"B\"", ""}));
    EXPECT_EQ(rows[2], (test::CsvRow{rows[2][0], rows[2][1], "v1.00", "Write EEPROM", "2", chip, "E:", "CF Card",
                                     "Write EEPROM unsuccess.", "refused", "", "", "", "", "", "", "", "",
                                     rows[2][18], statuses[1], rows[2][20], "WO 7, \"B\"", ""}));
    EXPECT_EQ(statuses[1], "VID: \"0x12345\" is not 1 to 4 hexadecimal digits");
    EXPECT_EQ(rows[3], (test::CsvRow{rows[3][0], rows[3][1], "v1.00", "Write EEPROM", "3", "", "", "",
                                     "No card reader device.", "not judged", "", "", "", "", "", "", "", "", rows[3][18],
                                     statuses[2], rows[3][20], "WO 7, \"B\"", ""}));
    EXPECT_EQ(statuses[2].rfind("Warning: ", 0), 0u) << statuses[2];
}

// The record is UTF-8: a serial number from a file saved as ANSI keeps its characters.
TEST_F(EepromRun, TheRecordKeepsTheSerialNumbersCharacters) {
    test::TempFolder records;
    settings.Write("[Program set]\r\nRecordFolder=" + records.path.string() + "\r\n[VX5308]\r\nSN=Nr.\xE4" "1\r\n");
    Start();
    VerdictRecord record(*outer, records.Spool(), "1.00");
    runs = std::make_unique<ProductionRuns>(*recorder, view, settings.Path(), &record);
    Run();
    const std::vector<test::CsvRow> rows = records.Rows();
    ASSERT_EQ(rows.size(), 2u);
    const auto serial = std::find(rows[0].begin(), rows[0].end(), "serial");
    ASSERT_NE(serial, rows[0].end());
    EXPECT_EQ(rows[1].at(static_cast<std::size_t>(serial - rows[0].begin())), "Nr.\xC3\xA4" "1");
}

// A value the reader cannot hold as written: nothing reaches the reader, the
// row fails and the status line names the key and the reason.
TEST_F(EepromRun, ARefusedValueWritesNothingAndIsNamed) {
    const struct {
        const char* line;
        const char* status;
    } cases[] = {
        {"VID=0x12345", "VID: \"0x12345\" is not 1 to 4 hexadecimal digits"},
        {"PID=zz", "PID: \"zz\" is not 1 to 4 hexadecimal digits"},
        {"Power Consumption=300", "Power Consumption: \"300\" is not a whole number from 0 to 250"},
        {"Power Consumption=-1", "Power Consumption: \"-1\" is not a whole number from 0 to 250"},
        {"Power Consumption=abc", "Power Consumption: \"abc\" is not a whole number from 0 to 250"},
        {"BY105=-5", "BY105: \"-5\" is not a whole number from 0 to 255"},
        {"CFSpeed=2", "CFSpeed: \"2\" is not 0 (High) or 1 (Low)"},
        {"MSSpeed=1", "MSSpeed: \"1\" is not 0 (High) or 2 (Low)"},
        {"Productor=USB Card Reader X", "Productor: 17 characters; the field holds 15"},
        {"SN=12\t34", "SN: character 3 is a tab, which the field cannot hold"},
    };
    Start();
    for (const auto& bad : cases) {
        SCOPED_TRACE(bad.line);
        settings.Write(std::string("[VX5308]\r\n") + bad.line + "\r\n");
        Run();
        ExpectLastRow(kReaderRow, "Write EEPROM unsuccess.", kRowFailed);
        EXPECT_EQ(view.status, bad.status);
        EXPECT_EQ(runs->Judgement(), RunJudgement::NotJudged);
        EXPECT_TRUE(station->Log().eepromWrites.empty());
        std::array<std::uint8_t, 512> erased;
        erased.fill(0xFF);
        EXPECT_EQ(station->Eeprom(0), erased);
    }
    // Mended, the same reader is programmed; a refused key of the read/write
    // test alone does not stop it.
    settings.Write("[Program set]\r\nMinSpeed=fast\r\n[VX5308]\r\nMSSpeed=2\r\n");
    Run();
    ExpectLastRow(kReaderRow, "Write EEPROM success.", kRowPassed);
    EXPECT_EQ(station->Eeprom(0)[102], 2);
}

// A name the program does not read is said, and the run goes on.
TEST_F(EepromRun, AMisspelledKeyOrSectionIsSaidWithoutRefusingTheRun) {
    const struct {
        const char* file;
        const char* status;
    } cases[] = {
        {"[VX5308]\r\nCFSpeeed=1\r\n", "Warning: unknown key CFSpeeed in [VX5308]; did you mean CFSpeed?"},
        {"[VX5308]\r\nWR=1\r\n", "Warning: key WR belongs in [Program set], not [VX5308]"},
        {"[VX5380]\r\nCFSpeed=1\r\n", "Warning: section [VX5380] is not [VX5308]; its keys are not read"},
    };
    for (const auto& misspelled : cases) {
        SCOPED_TRACE(misspelled.file);
        settings.Write(misspelled.file);
        Run();
        ExpectLastRow(kReaderRow, "Write EEPROM success.", kRowPassed);
        EXPECT_EQ(view.status, misspelled.status);
        EXPECT_EQ(station->Eeprom(0)[98], 0) << "the key's default is written";
    }
}

TEST_F(EepromRun, RunningAndTheButtonsAroundTheRun) {
    Start();
    std::vector<std::int32_t> runningSeen;
    recorder->onDeviceRequest = [&] { runningSeen.push_back(view.running); };
    Run();
    ASSERT_FALSE(runningSeen.empty());
    for (std::int32_t running : runningSeen) EXPECT_EQ(running, 1);
    EXPECT_EQ(view.running, 0);
    // GO, then EXIT disabled before `running` is set; EXIT, then GO enabled after it is cleared.
    ASSERT_EQ(view.buttonChanges.size(), 4u);
    const std::vector<std::tuple<bool, bool, std::int32_t>> expected = {
        {false, true, 0}, {false, false, 0}, {false, true, 0}, {true, true, 0}};
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(view.buttonChanges[i].go, std::get<0>(expected[i])) << i;
        EXPECT_EQ(view.buttonChanges[i].exit, std::get<1>(expected[i])) << i;
        EXPECT_EQ(view.buttonChanges[i].running, std::get<2>(expected[i])) << i;
    }
}


// The serial the next GO writes: the block's arithmetic over what the state
// file says was handed out and the record folder's files hold, and every
// block the settings check refuses.
TEST_F(EepromRun, TheNextSerialFollowsTheBlockAndWhatWasHandedOut) {
    const std::string handed = "handed=TLV00000100\tTLV00000123\r\nblock=TLV00000100\tTLV00000999\r\n";
    const std::string damaged =
        "station state file " + std::filesystem::path(settings.StatePath()).filename().string() + " is damaged";
    const std::string old = "handed=TLV00000100\tTLV00000101\r\nblock=TLV00000100\tTLV00000999\r\nend\r\n";
    const std::string goesOn = "TLV00000103 (next of TLV00000100\x96TLV00000999, after TLV00000102 handed out before)";
    test::TempFolder records;
    const struct {
        const char* block;
        std::string state;
        std::string listed;
        // Serials of another station's record file, one a line; "-": the folder is a file.
        std::string recorded = "";
    } cases[] = {
        // Past the record's highest when the state is missing or holds less,
        // whoever wrote it and however spelt; never below the state's.
        {"SNFirst=TLV00000100\r\nSNLast=TLV00000999", "", goesOn, "TLV00000100 \"tlv00000102\" TLV00002000"},
        {"SNFirst=TLV00000100\r\nSNLast=TLV00000999", old, goesOn, "TLV00000102 X1"},
        {"SNFirst=TLV00000100\r\nSNLast=TLV00000999", handed + "end\r\n",
         "TLV00000124 (next of TLV00000100\x96TLV00000999)", "TLV00000102"},
        {"SNFirst=TLV00000100\r\nSNLast=TLV00000102", "", "serial numbers used up: TLV00000102 was the last",
         "TLV00000102"},
        // A record that cannot be read: a whole state goes on, none gives nothing.
        {"SNFirst=TLV00000100\r\nSNLast=TLV00000999", handed + "end\r\n",
         "TLV00000124 (next of TLV00000100\x96TLV00000999)", "-"},
        {"SNFirst=TLV00000100\r\nSNLast=TLV00000999", "",
         "state file missing and record folder cannot be read (folder is a file): no serial until it can be read",
         "-"},
        {"SNFirst=TLV00000100\r\nSNLast=TLV00000999", "", "TLV00000100 (next of TLV00000100\x96TLV00000999)"},
        {"SNFirst=TLV00000100\r\nSNLast=TLV00000999", handed + "end\r\n",
         "TLV00000124 (next of TLV00000100\x96TLV00000999)"},
        {"SNFirst=TLV00000998\r\nSNLast=TLV00001000",
         "handed=TLV00000998\tTLV00000999\r\nblock=TLV00000998\tTLV00001000\r\nend\r\n",
         "TLV00001000 (next of TLV00000998\x96TLV00001000)"},
        {"SNFirst=TLV00000998\r\nSNLast=TLV00001000", "handed=TLV00000900\tTLV00001000\r\nend\r\n",
         "serial numbers used up: TLV00001000 was the last"},
        // A block beside what was handed out starts at its first; one over it
        // goes on after it, also when only the case differs, as for Windows.
        {"SNFirst=TLV00002000\r\nSNLast=TLV00002999", handed + "end\r\n",
         "TLV00002000 (next of TLV00002000\x96TLV00002999)"},
        {"SNFirst=tlv00000050\r\nSNLast=tlv00000500", handed + "end\r\n",
         "tlv00000124 (next of tlv00000050\x96tlv00000500, after tlv00000123 handed out before)"},
        {"SNFirst=TLV0000050\r\nSNLast=TLV0000500", handed + "end\r\n",
         "TLV0000050 (next of TLV0000050\x96TLV0000500)"},
        {"SNFirst=TLV00000100\r\nSNLast=TLV00000999", handed, damaged},
        {"SNFirst=TLV00000100\r\nSNLast=TLV00000999", handed + "end\r\nhanded=X1\tX2\r\n", damaged},
        // A count with a sign or past 32 bits is never read as another.
        {"SNFirst=TLV00000100\r\nSNLast=TLV00000999", handed + "test=-1 0 0\r\nend\r\n", damaged},
        {"SNFirst=TLV00000100\r\nSNLast=TLV00000999", handed + "eeprom=0 4294967296 0\r\nend\r\n", damaged},
        {"SNFirst=TLV\r\nSNLast=TLV00000999", "", "SNFirst: \"TLV\" does not end in digits"},
        {"SNFirst=TLV00000999\r\nSNLast=TLV00000100", "",
         "SNLast: \"TLV00000100\" comes before SNFirst \"TLV00000999\""},
        {"SNFirst=TLV00000100\r\nSNLast=TLW00000999", "",
         "SNLast: \"TLW00000999\" does not start as SNFirst \"TLV00000100\" does"},
        {"SNFirst=TLV00000100\r\nSNLast=TLV0000999", "",
         "SNLast: \"TLV0000999\" ends in 7 digits, SNFirst \"TLV00000100\" in 8"},
        {"SNFirst=TLVX00000000000100\r\nSNLast=TLVX00000000000999", "", "SNFirst: 18 characters; the field holds 16"},
        {"SNFirst=TLV00000100", "", "SNLast: missing; SNFirst needs it"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.block + (" / " + c.state) + " / " + c.recorded);
        const std::filesystem::path file = records.path / "Talven-2026-12-08-OTHER.csv";
        std::string lines = "\xEF\xBB\xBFtime,computer\r\n";
        for (std::size_t at = 0, end; at < c.recorded.size(); at = end + 1)
            lines += std::string(16, ',') + c.recorded.substr(at, (end = std::min(c.recorded.find(' ', at), c.recorded.size())) - at) + ",x\r\n";
        std::ofstream(file, std::ios::binary) << lines;
        const std::string folder = c.recorded == "-" ? file.string() : records.path.string();
        settings.Write("[Program set]\r\nRecordFolder=" + folder + "\r\n[VX5308]\r\n" + c.block + "\r\n");
        std::remove(settings.StatePath().c_str());
        std::remove(RecordIndexPath(settings.Path()).c_str());
        if (!c.state.empty()) std::ofstream(settings.StatePath(), std::ios::binary) << c.state;
        const SettingsSnapshot snapshot(SettingsFile(*outer, settings.Path()));
        const auto readRecord = [&] { return ScanRecordSerials(*outer, snapshot, settings.Path()); };
        EXPECT_EQ(ListedSerial(PlanSerial(*outer, snapshot, settings.Path(), readRecord)), c.listed);
    }
}

// Three readers get TLV00000998 to TLV00001000, the width kept; the fourth GO
// writes nothing and says why. The record holds the serials written.
TEST_F(EepromRun, ABlockGivesEachReaderTheNextSerialUntilItIsUsedUp) {
    test::TempFolder records;
    settings.Write("[Program set]\r\nRecordFolder=" + records.path.string() +
                   "\r\n[VX5308]\r\nSNFirst=TLV00000998\r\nSNLast=TLV00001000\r\n");
    for (const char* serial : {"TLV00000998", "TLV00000999", "TLV00001000"}) {
        EXPECT_EQ(SerialOf(ProgramOne()), serial);
        ExpectLastRow(kReaderRow, "Write EEPROM success.", kRowPassed);
    }
    EXPECT_EQ(ProgramOne(), std::vector<std::uint8_t>(kSerialField.size, 0xFF));
    ExpectLastRow(kReaderRow, "serial numbers used up: TLV00001000 was the last", kRowFailed);
    EXPECT_TRUE(station->Log().eepromWrites.empty());
    std::vector<std::string> recorded;
    for (const test::CsvRow& row : records.Rows()) recorded.push_back(row[8] + "|" + row[9] + "|" + row[16]);
    // The reader is not at fault for a used-up block.
    EXPECT_EQ(recorded, (std::vector<std::string>{"verdict|result|serial", "Write EEPROM success.|pass|TLV00000998",
                                                  "Write EEPROM success.|pass|TLV00000999",
                                                  "Write EEPROM success.|pass|TLV00001000",
                                                  "serial numbers used up: TLV00001000 was the last|refused|"}));
}

// A station whose state was deleted goes on after the record's highest and
// says so; a deleted index costs nothing; while another program holds the
// state, GO writes nothing and says why.
TEST_F(EepromRun, AStationWithoutItsStateGoesOnAfterTheRecordAndAHeldStateGivesNoSerial) {
    test::TempFolder records;
    settings.Write("[Program set]\r\nRecordFolder=" + records.path.string() +
                   "\r\n[VX5308]\r\nSNFirst=TLV01\r\nSNLast=TLV99\r\n");
    std::ofstream(settings.StatePath(), std::ios::binary) << "later=kept\r\nend\r\n";
    for (const char* serial : {"TLV01", "TLV02", "TLV03"}) EXPECT_EQ(SerialOf(ProgramOne()), serial);
    EXPECT_NE(test::ReadWhole(settings.StatePath()).find("later=kept\r\n"), std::string::npos);
    std::remove(settings.StatePath().c_str());
    EXPECT_EQ(SerialOf(ProgramOne()), "TLV04");
    const std::string said = "state file missing: going on after TLV03, the highest in the record";
    EXPECT_EQ(view.status, said);
    EXPECT_EQ(records.Rows().back()[19], said);
    std::remove(settings.StatePath().c_str());
    std::remove(RecordIndexPath(settings.Path()).c_str());
    EXPECT_EQ(SerialOf(ProgramOne()), "TLV05");
    Handle held = kInvalidHandle;
    ASSERT_EQ(outer->FileHold((settings.StatePath() + ".lock").c_str(), held), FileResult::Done);
    EXPECT_EQ(ProgramOne(), std::vector<std::uint8_t>(kSerialField.size, 0xFF));
    ExpectLastRow(kReaderRow, "station state file held by another program: file open in another program; this GO writes nothing",
                  kRowFailed);
    outer->FileRelease(held);
    EXPECT_EQ(SerialOf(ProgramOne()), "TLV06");
}

// A kill between any two steps of a GO (a request to the reader, a file
// written; a file write cut off halfway), then the program again: no two
// readers and no two lines of the record hold one serial.
TEST_F(EepromRun, AKillBetweenAnyTwoStepsNeverGivesTwoReadersOneSerial) {
    test::TempFolder records;
    settings.Write("[Program set]\r\nRecordFolder=" + records.path.string() +
                   "\r\n[VX5308]\r\nSNFirst=TLV01\r\nSNLast=TLV99\r\n");
    const std::vector<std::uint8_t> erased(kSerialField.size, 0xFF);
    std::set<std::pair<bool, std::string>> outcomes;
    bool killed = true;
    for (std::size_t steps = 0; killed; ++steps) {
        SCOPED_TRACE(steps);
        std::remove(settings.StatePath().c_str());
        std::remove(SpoolPath().c_str());
        std::remove(RecordIndexPath(settings.Path()).c_str());
        std::error_code none;
        std::filesystem::remove(records.RecordFile(), none);
        const std::vector<std::uint8_t> first = ProgramOne();
        const std::vector<std::uint8_t> cut = ProgramOne(&killed, steps);
        const std::string next = SerialOf(ProgramOne());
        EXPECT_EQ(SerialOf(first), "TLV01");
        // A reader the cut run wrote to has a serial no later reader gets.
        EXPECT_EQ(next, cut == erased ? next : "TLV03");
        EXPECT_TRUE(next == "TLV02" || next == "TLV03") << next;
        outcomes.insert({cut == erased, next});
        std::set<std::string> serials;
        for (const test::CsvRow& row : records.Rows()) {
            EXPECT_TRUE(row[16].empty() || serials.insert(row[16]).second) << row[16];
        }
    }
    // Killed before the state, between the state and the reader, in the write.
    EXPECT_TRUE(outcomes.count({true, "TLV02"}) && outcomes.count({true, "TLV03"}) && outcomes.count({false, "TLV03"}));
}

}  // namespace
}  // namespace talven
