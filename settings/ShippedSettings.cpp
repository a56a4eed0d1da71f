#include "settings/ShippedSettings.h"

#include <cstring>
#include <iterator>

namespace talven {
namespace {

// Comment lines never hold '=': Windows would take such a line for a key.
// No line is empty: some private-profile writers drop empty lines when they
// rewrite the file, and a save should change nothing but its values.
constexpr const char* kStationIntro =
    "; Talven.ini: settings of the Talven station program.\n"
    ";\n"
    "; This file lies in the folder of Talven.exe and bears the program's name\n"
    "; (a copy of the program named Line2.exe reads Line2.ini). The program\n"
    "; reads it anew at every GO, so a change counts from the next GO on; a\n"
    "; changed WR also turns the window to its job at the next GO.\n"
    ";\n";

// A trainee tries the settings here; the real station's file is not touched.
constexpr const char* kTrainingIntro =
    "; TalvenSim.ini: settings of TalvenSim.exe, the station program on a\n"
    "; simulated station, for training. It holds every key of Talven.ini, the\n"
    "; station's settings file, at the same value, and reaches no real station:\n"
    "; try the settings here. TalvenSim.exe reads this file anew at every GO.\n"
    ";\n"
    "; With faults.station, a MinSpeed of 10 fails its slow slot. With\n"
    "; quick-test.station, a TestMiB of 16 tests 16 MiB of each card instead\n"
    "; of the whole card.\n"
    ";\n";

constexpr const char* kHeader =
    "; Every value below is the one the program uses when the key, or the whole\n"
    "; file, is missing: this file programs readers exactly as no file would.\n"
    "; Change the values in the program (Help > Setting...), which rewrites the\n"
    "; keys it shows and keeps every other line, or here in a text editor.\n"
    ";\n"
    "; A value outside the limits given below is refused: the write-EEPROM job\n"
    "; then writes nothing and names the key in the window's status line.\n"
    "; Check the file before a shift with talven-image.exe Talven.ini: it lists\n"
    "; the configuration exactly as the write-EEPROM job will build it, and\n"
    "; names by line every refused value and every misspelled key or section.\n"
    ";\n"
    "; Texts may hold letters with accents, in a file saved as ANSI or as UTF-8;\n"
    "; a tab or another control character is refused. A line that starts with\n"
    "; ';' is a comment. Write nothing after a value on its line: Windows takes\n"
    "; the rest of the line as part of the value.\n";

struct CommentedKey {
    const SettingsKey* key;
    const char* comment;  // null: the comment above covers this key too
};

constexpr CommentedKey kCommentedKeys[] = {
    {&kRunModeKey,
     "; WR, what GO does. 0: read/write test of the cards in the four slots.\n"
     "; 1: write the configuration EEPROM of the first reader found (any number\n"
     "; but 0 counts as 1).\n"},
    {&kFileSizeKey, "; FS, size of each test file of the read/write test. 0: 1 MiB. 1: 2 MiB.\n"},
    {&kTestMebibytesKey,
     "; TestMiB, how much of each card the read/write test writes and reads\n"
     "; back, in MiB, 0 to 65535. 0: all free space. 16: 16 MiB, or all free\n"
     "; space when less is free.\n"},
    {&kTestAllSlotsKey,
     "; TestAllSlots. 0: the read/write test ends at the first slot that fails.\n"
     "; 1: every slot of the reader is tested, even after a failure.\n"},
    {&kMinimumSpeedKey,
     "; MinSpeed, the lowest write and read speed in MB/s that the read/write\n"
     "; test accepts of a card slot, 0 to 1000; a slower one fails with \"Speed\n"
     "; too low!\". 0: no lowest speed.\n"},
    {&kRecordFolderKey,
     "; RecordFolder, the folder of the verdict record: every verdict the station\n"
     "; shows is a line of Talven-YYYY-MM-DD-COMPUTER.csv there, one file a day.\n"
     "; A folder without a drive or a leading \\ lies in the program's folder.\n"},
    {&kLotKey,
     "; Lot, the work order or lot the line works on: at most 32 characters,\n"
     "; written into the last column of every line of the record. Empty: none.\n"},
    {&kSuspectAfterKey,
     "; SuspectAfter, 0 to 1000. When one slot position fails this many readers\n"
     "; in a row, the station warns that its test card may be worn, until a\n"
     "; reader passes there; the record's warning column says so too. 0: no\n"
     "; warning. Verdicts are never changed by it.\n"},
    {&kVendorIdKey,
     "; What the write-EEPROM job writes into every reader it programs.\n"
     ";\n"
     "; VID and PID, USB vendor and product ID: one to four hexadecimal digits,\n"
     "; 0000 to FFFF (a 0x before them is allowed). Set here only; the setup\n"
     "; dialog does not show them.\n"},
    {&kProductIdKey, nullptr},
    {&kManufactureKey, "; Manufacturer string of the reader: at most 3 characters.\n"},
    {&kProductorKey, "; Product string of the reader: at most 15 characters.\n"},
    {&kSerialNumberKey,
     "; Serial-number string: at most 16 characters. Every reader programmed\n"
     "; gets this same one until it is changed, unless a block is set below.\n"},
    {&kSerialFirstKey,
     "; SNFirst and SNLast, a block of serial numbers: each reader programmed\n"
     "; gets the next one of the block instead of SN, for example TLV00000100,\n"
     "; TLV00000101, ... up to SNLast. Both end in digits, with the same text\n"
     "; before them and as many of them; at most 16 characters. The station\n"
     "; keeps what it has handed out in Talven.state beside this file. Give\n"
     "; every station a block of its own. Unset, every reader gets SN.\n"},
    {&kSerialLastKey, nullptr},
    {&kScsiVersionKey, "; SCSI version text: at most 8 characters.\n"},
    {&kCfSpeedKey,
     "; Speed of each card slot. 0: High. Low is 1 for CF, SM, SD and MMC,\n"
     "; but 2 for MS Pro and MS. No other value is taken.\n"},
    {&kSmSpeedKey, nullptr},
    {&kSdSpeedKey, nullptr},
    {&kMsProSpeedKey, nullptr},
    {&kMsSpeedKey, nullptr},
    {&kMmcSpeedKey, nullptr},
    {&kPowerConsumptionKey,
     "; Power the reader announces to the USB port, in units of 2 mA: 0 to 250\n"
     "; (250 is 500 mA, the most a USB 2.0 port gives). The setup dialog offers\n"
     "; 1 to 250.\n"},
    {&kByte105Key,
     "; Byte 105 of the reader's configuration, written as it stands: 0 to 255.\n"
     "; Leave it at 65 unless the reader's maker says otherwise. Set here only.\n"},
};

constexpr bool CoversTheKeyTableInOrder() {
    if (std::size(kCommentedKeys) != std::size(kSettingsKeys)) return false;
    for (std::size_t i = 0; i < std::size(kSettingsKeys); ++i) {
        if (kCommentedKeys[i].key != kSettingsKeys[i]) return false;
    }
    return true;
}
static_assert(CoversTheKeyTableInOrder(), "the shipped file holds every key of the table, in its order");

void AppendWithWindowsLineEnds(std::string& out, const char* text) {
    for (const char* p = text; *p != '\0'; ++p) {
        if (*p == '\n') out += '\r';
        out += *p;
    }
}

}  // namespace

const char* ShippedValue(const SettingsKey& key) { return key.defaultValue; }

std::string ShippedSettingsText(ShippedFile file) {
    std::string text;
    AppendWithWindowsLineEnds(text, file == ShippedFile::Training ? kTrainingIntro : kStationIntro);
    AppendWithWindowsLineEnds(text, kHeader);
    const char* section = nullptr;
    for (const CommentedKey& entry : kCommentedKeys) {
        const SettingsKey& key = *entry.key;
        if (section == nullptr || std::strcmp(section, key.section) != 0) {
            section = key.section;
            text += "[" + std::string(section) + "]\r\n";
        }
        if (entry.comment != nullptr) AppendWithWindowsLineEnds(text, entry.comment);
        text += std::string(key.name) + "=" + ShippedValue(key) + "\r\n";
    }
    return text;
}

}  // namespace talven
