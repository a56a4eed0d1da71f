// The station as a whole: drives, the controller as a driver sees it, the
// EEPROM file, time and timed faults, and how the program finds its station.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "reader/PassThroughLayout.h"
#include "reader/ReaderDevice.h"
#include "sim/StationLoader.h"
#include "tests/core/reader/RecordBytes.h"
#include "tests/support/TestStation.h"

namespace talven::test {
namespace {

namespace fs = std::filesystem;

void SetVariable(const char* name, const char* value) {
#ifdef _WIN32
    _putenv_s(name, value == nullptr ? "" : value);
#else
    if (value == nullptr) unsetenv(name);
    else setenv(name, value, 1);
#endif
}

// A folder of its own for one test, removed afterwards.
class TempFolder {
public:
    explicit TempFolder(const std::string& name) : path(fs::temp_directory_path() / ("talven-sim-" + name)) {
        fs::remove_all(path);
        fs::create_directories(path);
    }
    ~TempFolder() {
        std::error_code ignored;
        fs::remove_all(path, ignored);
    }
    std::string File(const std::string& name) const { return (path / name).string(); }
    fs::path path;
};

std::vector<std::uint8_t> ReadAll(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

TEST(Station, DrivesOfTheDefaultStation) {
    QuietPlatform outer;
    SimulatedStation station(outer, QuietDefaultStation());
    EXPECT_EQ(station.GetLogicalDrives(), (1u << 2) | (0xFu << 4) | (1u << 25));
    EXPECT_EQ(station.GetDriveTypeA("C:\\"), kDriveFixed);
    EXPECT_EQ(station.GetDriveTypeA("e:"), kDriveRemovable);
    EXPECT_EQ(station.GetDriveTypeA("Z:"), kDriveRemote);
    EXPECT_EQ(station.GetDriveTypeA("Q:"), kDriveNoRootDir);
    // A network drive has no volume to open; a fixed disk has one but is no reader.
    ReaderDevice network(station);
    EXPECT_FALSE(network.Open("Z:"));
    ReaderDevice disk(station);
    ASSERT_TRUE(disk.Open("C:"));
    EXPECT_TRUE(disk.TestUnitReady());
    std::string text;
    EXPECT_TRUE(disk.Inquiry(text));
    EXPECT_EQ(text, "Disk            ");
    for (const char* slot : {"E:", "F:", "G:", "H:"}) {
        ReaderDevice device(station);
        ASSERT_TRUE(device.Open(slot));
        ChipIdentity identity{};
        EXPECT_TRUE(device.ReadChipIdentity(identity));
        EXPECT_EQ(identity[2], 0x53);
        EXPECT_EQ(identity[3], 0x08);
        EXPECT_TRUE(device.TestUnitReady());
    }
}

// The controller checks a request as the driver would before answering it.
TEST(Station, MalformedRequestsFailTheCall) {
    QuietPlatform outer;
    SimulatedStation station(outer, QuietDefaultStation());
    const Handle volume = station.CreateFileA("\\\\.\\E:", kGenericRead | kGenericWrite, 3, kOpenExisting, 0);
    ASSERT_NE(volume, kInvalidHandle);
    alignas(8) std::uint8_t request[kBufferedRequestSize] = {};
    ScsiPassThroughMirror record{};
    record.Length = sizeof record;
    record.CdbLength = 6;
    record.DataIn = kScsiDataIn;
    record.DataTransferLength = 36;
    record.DataBufferOffset = kBufferedDataOffset;
    record.SenseInfoOffset = kBufferedSenseOffset;
    record.SenseInfoLength = 24;
    record.Cdb[0] = 0x12;
    record.Cdb[4] = 36;
    std::uint32_t returned = 0;
    auto send = [&](const ScsiPassThroughMirror& r, std::uint32_t outSize) {
        std::memcpy(request, &r, sizeof r);
        return station.DeviceIoControl(volume, kIoctlScsiPassThrough, request, sizeof r, request, outSize,
                                       &returned);
    };
    EXPECT_TRUE(send(record, kBufferedRequestSize));
    EXPECT_EQ(returned, kBufferedDataOffset + 36);
    EXPECT_EQ(request[kBufferedDataOffset + 4], 31);  // additional length of a 36-byte reply
    // Data area past the output buffer, wrong record length, no command block.
    EXPECT_FALSE(send(record, kBufferedDataOffset + 35));
    ScsiPassThroughMirror wrongLength = record;
    wrongLength.Length = sizeof record - 4;
    EXPECT_FALSE(send(wrongLength, kBufferedRequestSize));
    ScsiPassThroughMirror noBlock = record;
    noBlock.CdbLength = 0;
    EXPECT_FALSE(send(noBlock, kBufferedRequestSize));
    EXPECT_FALSE(station.DeviceIoControl(volume, 0x2D1400, request, sizeof record, request, kBufferedRequestSize,
                                         &returned));
    // A direct request that moves data but gives no buffer.
    alignas(8) std::uint8_t direct[kDirectRequestSize] = {};
    ScsiPassThroughDirectMirror directRecord{};
    directRecord.Length = sizeof directRecord;
    directRecord.CdbLength = 16;
    directRecord.DataIn = kScsiDataIn;
    directRecord.DataTransferLength = 512;
    directRecord.Cdb[0] = 0xF2;
    directRecord.Cdb[1] = 0x20;
    directRecord.Cdb[14] = 0x4B;
    directRecord.Cdb[15] = 0x56;
    std::memcpy(direct, &directRecord, sizeof directRecord);
    EXPECT_FALSE(station.DeviceIoControl(volume, kIoctlScsiPassThroughDirect, direct, sizeof direct, direct,
                                         sizeof direct, &returned));
    // Without the vendor signature the controller does not know the command.
    std::uint8_t eeprom[512];
    directRecord.DataBuffer = eeprom;
    directRecord.Cdb[15] = 0;
    std::memcpy(direct, &directRecord, sizeof directRecord);
    EXPECT_TRUE(station.DeviceIoControl(volume, kIoctlScsiPassThroughDirect, direct, sizeof direct, direct,
                                        sizeof direct, &returned));
    EXPECT_EQ(direct[kAt.scsiStatus], 2);
    EXPECT_TRUE(station.CloseHandle(volume));
    EXPECT_FALSE(station.DeviceIoControl(volume, kIoctlScsiPassThrough, request, sizeof record, request,
                                         kBufferedRequestSize, &returned));
}

TEST(Station, TheEepromFileSurvivesANewStationAndHoldsExactlyTheBytesSent) {
    TempFolder folder("eeprom");
    QuietPlatform outer;
    StationConfig config = QuietDefaultStation();
    config.readers[0].eepromPath = folder.File("reader1.eeprom");
    std::array<std::uint8_t, 512> image{};
    for (std::size_t i = 0; i < image.size(); ++i) image[i] = static_cast<std::uint8_t>(0x30 + i % 7);
    {
        SimulatedStation station(outer, config);
        ReaderDevice device(station);
        ASSERT_TRUE(device.Open("G:"));
        ASSERT_TRUE(ProgramAndVerify(device, image.data(), 25));
    }
    std::vector<std::uint8_t> expected(512, 0xFF);
    std::copy(image.begin(), image.begin() + 25, expected.begin());
    EXPECT_EQ(ReadAll(config.readers[0].eepromPath), expected);

    SimulatedStation again(outer, config);
    ReaderDevice device(again);
    ASSERT_TRUE(device.Open("E:"));
    std::uint8_t readBack[512] = {};
    ASSERT_TRUE(device.ReadEeprom(readBack));
    EXPECT_EQ(std::vector<std::uint8_t>(readBack, readBack + 512), expected);
    // Writes the controller does not accept leave the file alone.
    const std::uint8_t payload[10] = {9, 9, 9, 9, 9, 9, 9, 9, 9, 9};
    EXPECT_FALSE(device.WriteEeprom(0, 11, payload));
    EXPECT_EQ(ReadAll(config.readers[0].eepromPath), expected);
}

TEST(Station, SleepsAdvanceTheClockAndCostOnlyTheirScaledTime) {
    QuietPlatform outer;
    StationConfig config = QuietDefaultStation();
    SimulatedStation instant(outer, config);
    for (int i = 0; i < 11; ++i) instant.Sleep(500);
    EXPECT_EQ(instant.NowMs(), 5500u);
    EXPECT_TRUE(outer.sleeps.empty());

    config.timeScale = 0.1;
    SimulatedStation scaled(outer, config);
    scaled.Sleep(500);
    scaled.Sleep(4);  // 0.4 ms rounds to no sleep at all
    EXPECT_EQ(outer.sleeps, std::vector<std::uint32_t>{50});
    EXPECT_GE(scaled.NowMs(), 504u);
}

// The station file keeps scales within limits; a scale set by a program must
// still not overflow the clock.
TEST(Station, TheClockSaturatesInsteadOfOverflowing) {
    QuietPlatform outer;
    StationConfig config = QuietDefaultStation();
    config.timeScale = 1e-300;
    SimulatedStation station(outer, config);
    station.AdvanceClock(7);
    const std::uint64_t now = station.NowMs();
    EXPECT_GE(now, 7u);
    EXPECT_LE(now, 1000000000000000007u);
}

TEST(Station, TimedFaultsPullACardAndTakeADriveAway) {
    QuietPlatform outer;
    StationConfig config = QuietDefaultStation();
    DriveOf(config, 'F').faults.pullAtMs = 1000;
    DriveOf(config, 'G').faults.vanishAtMs = 3000;
    SimulatedStation station(outer, config);
    ReaderDevice f(station);
    ASSERT_TRUE(f.Open("F:"));
    ReaderDevice g(station);
    ASSERT_TRUE(g.Open("G:"));
    const Handle file = station.FileCreate("G:\\test0.bin");
    ASSERT_NE(file, kInvalidHandle);
    EXPECT_TRUE(f.TestUnitReady());
    station.Sleep(500);
    station.Sleep(500);
    EXPECT_FALSE(f.TestUnitReady());
    EXPECT_EQ(station.GetLogicalDrives() & (1u << 6), 1u << 6);
    station.AdvanceClock(2000);
    EXPECT_EQ(station.GetLogicalDrives() & (1u << 6), 0u);
    EXPECT_EQ(station.GetDriveTypeA("G:"), kDriveNoRootDir);
    EXPECT_FALSE(g.TestUnitReady());
    std::uint8_t cluster[512] = {};
    EXPECT_TRUE(station.FileWrite(file, cluster, sizeof cluster).fileError);
    station.FileClose(file);
    ReaderDevice again(station);
    EXPECT_FALSE(again.Open("G:"));
    EXPECT_TRUE(outer.filePaths.empty());
}

TEST(Station, SettingsAndTheProgramPathGoToTheOuterPlatform) {
    QuietPlatform outer;
    SimulatedStation station(outer, QuietDefaultStation());
    char text[16];
    EXPECT_EQ(station.GetPrivateProfileStringA("Program set", "FS", "abc", text, sizeof text, "x.ini"), 3u);
    EXPECT_EQ(station.GetPrivateProfileIntA("Program set", "WR", 4, "x.ini"), 4u);
    EXPECT_TRUE(station.WritePrivateProfileStringA("Program set", "SN", "1", "x.ini"));
    EXPECT_EQ(outer.profileKeys, (std::vector<std::string>{"FS", "WR", "SN"}));
    char module[260];
    EXPECT_EQ(station.GetModuleFileNameA(module, sizeof module), outer.modulePath.size());
    EXPECT_EQ(std::string(module), outer.modulePath);
}

class StationLoader : public ::testing::Test {
protected:
    void SetUp() override { SetVariable(kStationVariable, nullptr); }
    void TearDown() override { SetVariable(kStationVariable, nullptr); }
    void Write(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

    TempFolder folder{::testing::UnitTest::GetInstance()->current_test_info()->name()};
    QuietPlatform outer;
};

TEST_F(StationLoader, WithoutAStationFileTheDefaultStationKeepsItsEepromBesideTheProgram) {
    outer.modulePath = folder.File("TalvenSim.exe");
    std::string error;
    auto station = LoadStationForProgram(outer, error);
    ASSERT_NE(station, nullptr) << error;
    EXPECT_DOUBLE_EQ(station->TimeScale(), 1.0);
    EXPECT_EQ(station->Config().readers.at(0).eepromPath, folder.File("TalvenSim-reader1.eeprom"));
    EXPECT_EQ(station->GetLogicalDrives(), (1u << 2) | (0xFu << 4) | (1u << 25));
    // Its cards move what a USB 2.0 reader moves, not what memory does.
    for (const DriveConfig& drive : station->Config().drives) {
        if (!drive.card) continue;
        EXPECT_NEAR(drive.card->writeSpeed, 20, 2) << drive.letter;
        EXPECT_NEAR(drive.card->readSpeed, 30, 2) << drive.letter;
    }
}

TEST_F(StationLoader, AStationFileBesideTheProgramIsUsed) {
    outer.modulePath = folder.File("TalvenSim.exe");
    Write(folder.File("TalvenSim.station"), "timescale 0\nreader r eeprom r.eeprom\nslot K: r\n");
    std::string error;
    auto station = LoadStationForProgram(outer, error);
    ASSERT_NE(station, nullptr) << error;
    EXPECT_DOUBLE_EQ(station->TimeScale(), 0.0);
    EXPECT_EQ(station->GetLogicalDrives(), 1u << 10);
    EXPECT_EQ(station->Config().readers.at(0).eepromPath, folder.File("r.eeprom"));
}

TEST_F(StationLoader, TheVariableNamesTheFileAndErrorsNameFileAndLine) {
    outer.modulePath = folder.File("TalvenSim.exe");
    Write(folder.File("TalvenSim.station"), "drive C: fixed\n");
    const std::string named = folder.File("named.station");
    Write(named, "drive D: fixed\ndrive E: wobbly\n");
    SetVariable(kStationVariable, named.c_str());
    std::string error;
    EXPECT_EQ(LoadStationForProgram(outer, error), nullptr);
    EXPECT_EQ(error, named + ": line 2: unknown drive type 'wobbly' (fixed, remote, optical, removable, ramdisk)");

    Write(named, "drive D: fixed\n");
    auto station = LoadStationForProgram(outer, error);
    ASSERT_NE(station, nullptr) << error;
    EXPECT_EQ(station->GetLogicalDrives(), 1u << 3);

    const std::string missing = folder.File("missing.station");
    SetVariable(kStationVariable, missing.c_str());
    EXPECT_EQ(LoadStationForProgram(outer, error), nullptr);
    EXPECT_EQ(error, missing + ": cannot be read");
}

TEST_F(StationLoader, AFolderIsNoStationFile) {
    outer.modulePath = folder.File("TalvenSim.exe");
    const std::string named = folder.File("named.station");
    fs::create_directories(named);
    SetVariable(kStationVariable, named.c_str());
    std::string error;
    EXPECT_EQ(LoadStationForProgram(outer, error), nullptr);
    EXPECT_EQ(error, named + ": is a folder, not a station file");

    // A folder where the program looks for its station file is not passed over.
    SetVariable(kStationVariable, nullptr);
    fs::create_directories(folder.File("TalvenSim.station"));
    error.clear();
    EXPECT_EQ(LoadStationForProgram(outer, error), nullptr);
    EXPECT_EQ(error, folder.File("TalvenSim.station") + ": is a folder, not a station file");
}

TEST_F(StationLoader, FilesThatAreNoStationTextGiveAReadableError) {
    const std::string path = folder.File("odd.station");
    std::string error;
    Write(path, std::string("\xFF\xFE" "d\0r\0i\0v\0e\0", 12));
    EXPECT_EQ(LoadStationFile(outer, path, error), nullptr);
    EXPECT_EQ(error, path + ": line 1: UTF-16 text is not accepted, save the station file as UTF-8 or ASCII");

    Write(path, "\xEF\xBB\xBFtimescale 0\ndrive C: fixed\n");
    auto station = LoadStationFile(outer, path, error);
    ASSERT_NE(station, nullptr) << error;
    EXPECT_EQ(station->GetLogicalDrives(), 1u << 2);

    Write(path, std::string(1u << 20, '#'));
    EXPECT_NE(LoadStationFile(outer, path, error), nullptr) << error;
    Write(path, std::string((1u << 20) + 1, '#'));
    EXPECT_EQ(LoadStationFile(outer, path, error), nullptr);
    EXPECT_EQ(error, path + ": is larger than 1024 KiB, not a station file");
}

}  // namespace
}  // namespace talven::test
