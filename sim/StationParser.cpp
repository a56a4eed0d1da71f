#include "sim/StationParser.h"

#include <cctype>
#include <charconv>
#include <map>
#include <sstream>
#include <string_view>

#include "sim/StationText.h"

namespace talven {

namespace {

using namespace stationtext;
using Words = std::vector<std::string>;

class Parser {
public:
    Parser(const std::string& baseFolder, StationConfig& config) : baseFolder(baseFolder), config(config) {}

    bool Line(const std::vector<std::string>& words) {
        const std::string keyword = Lower(words[0]);
        if (keyword == "timescale") return TimeScale(words);
        if (keyword == "drive") return DriveLine(words);
        if (keyword == "reader") return ReaderLine(words);
        if (keyword == "slot") return SlotLine(words);
        if (keyword == "card") return CardLine(words);
        if (keyword == "fault") return FaultLine(words);
        return Fail("unknown statement '" + words[0] + "'");
    }

    std::string reason;

private:
    bool Fail(std::string text) {
        reason = std::move(text);
        return false;
    }

    DriveConfig* Drive(char letter) {
        for (DriveConfig& drive : config.drives)
            if (drive.letter == letter) return &drive;
        return nullptr;
    }

    bool DeclaredDrive(const std::vector<std::string>& words, DriveConfig*& drive) {
        char letter = 0;
        if (words.size() < 2 || !ParseDriveText(words[1], letter))
            return Fail("'" + words[0] + "' needs a drive such as E:");
        drive = Drive(letter);
        if (drive == nullptr) return Fail(std::string("drive ") + letter + ": is not declared");
        return true;
    }

    bool NewDrive(const std::string& word, DriveConfig& drive) {
        if (!ParseDriveText(word, drive.letter)) return Fail("'" + word + "' is not a drive such as E:");
        if (Drive(drive.letter) != nullptr) return Fail(std::string("drive ") + drive.letter + ": is declared twice");
        return true;
    }

    bool TimeScale(const std::vector<std::string>& words) {
        if (words.size() != 2) return Fail("'timescale' needs one number");
        double scale = 0;
        if (!ParseDecimal(words[1], scale) || (scale != 0 && (scale < kSimMinTimeScale || scale > kSimMaxTimeScale)))
            return Fail("time scale '" + words[1] + "' is not a number from 0.000001 to 1000, or 0");
        config.timeScale = scale;
        return true;
    }

    bool DriveLine(const std::vector<std::string>& words) {
        if (words.size() != 3) return Fail("'drive' needs a drive and a type");
        DriveConfig drive;
        if (!NewDrive(words[1], drive)) return false;
        static const std::map<std::string, SimDriveKind> kinds = {
            {"fixed", SimDriveKind::Fixed},         {"remote", SimDriveKind::Remote},
            {"optical", SimDriveKind::Optical},     {"removable", SimDriveKind::Removable},
            {"ramdisk", SimDriveKind::RamDisk}};
        auto kind = kinds.find(Lower(words[2]));
        if (kind == kinds.end())
            return Fail("unknown drive type '" + words[2] + "' (fixed, remote, optical, removable, ramdisk)");
        drive.kind = kind->second;
        config.drives.push_back(drive);
        return true;
    }

    bool TextOption(const std::vector<std::string>& words, std::size_t& i, std::string& text, std::size_t limit) {
        if (i + 1 >= words.size()) return Fail("'" + words[i] + "' needs a text");
        text = words[++i];
        if (text.size() > limit)
            return Fail("'" + words[i - 1] + "' text is longer than " + std::to_string(limit) + " characters");
        return true;
    }

    bool ReaderLine(const std::vector<std::string>& words) {
        if (words.size() < 2) return Fail("'reader' needs a name");
        ReaderConfig reader;
        reader.name = words[1];
        for (const ReaderConfig& other : config.readers)
            if (other.name == reader.name) return Fail("reader '" + reader.name + "' is declared twice");
        for (std::size_t i = 2; i < words.size(); ++i) {
            const std::string option = Lower(words[i]);
            if (option == "identity") {
                if (i + reader.identity.size() >= words.size()) return Fail("'identity' needs 12 hexadecimal bytes");
                for (std::uint8_t& byte : reader.identity)
                    if (!ParseByte(words[++i], byte))
                        return Fail("identity byte '" + words[i] + "' is not a hexadecimal byte");
            } else if (option == "vendor") {
                if (!TextOption(words, i, reader.vendor, 8)) return false;
            } else if (option == "product") {
                if (!TextOption(words, i, reader.product, 16)) return false;
            } else if (option == "revision") {
                if (!TextOption(words, i, reader.revision, 4)) return false;
            } else if (option == "eeprom") {
                if (!TextOption(words, i, reader.eepromPath, 4096)) return false;
                reader.eepromPath = JoinPath(baseFolder, reader.eepromPath);
            } else {
                return Fail("unknown reader option '" + words[i] + "'");
            }
        }
        config.readers.push_back(reader);
        return true;
    }

    bool SlotLine(const std::vector<std::string>& words) {
        if (words.size() < 3) return Fail("'slot' needs a drive and a reader name");
        DriveConfig drive;
        if (!NewDrive(words[1], drive)) return false;
        drive.kind = SimDriveKind::ReaderSlot;
        for (std::size_t r = 0; r < config.readers.size(); ++r)
            if (config.readers[r].name == words[2]) drive.reader = static_cast<int>(r);
        if (drive.reader < 0) return Fail("reader '" + words[2] + "' is not declared");
        for (std::size_t i = 3; i < words.size(); ++i) {
            if (Lower(words[i]) != "product") return Fail("unknown slot option '" + words[i] + "'");
            std::string product;
            if (!TextOption(words, i, product, 16)) return false;
            drive.product = product;
        }
        config.drives.push_back(drive);
        return true;
    }

    bool CardLine(const Words& words) {
        DriveConfig* drive = nullptr;
        if (!DeclaredDrive(words, drive)) return false;
        if (drive->kind != SimDriveKind::ReaderSlot && drive->kind != SimDriveKind::Removable)
            return Fail("a card goes into a reader slot or a removable drive");
        if (drive->card) return Fail(std::string("drive ") + drive->letter + ": has a card already");
        CardConfig card;
        for (std::size_t i = 2; i < words.size(); ++i)
            if (!CardOption(words, i, card)) return false;
        if (!CardFits(card)) return false;
        drive->card = card;
        return true;
    }

    // One option at words[i] with its values; `i` is left at its last word.
    bool CardOption(const Words& words, std::size_t& i, CardConfig& card) {
        const std::string option = Lower(words[i]);
        const CardOptionParser* parser = FindKeyword(kCardOptions, option);
        const std::size_t values = parser == nullptr ? 1 : parser->values;
        if (i + values >= words.size())
            return Fail("'" + words[i] + "' needs " + (values == 1 ? "a value" : std::to_string(values) + " values"));
        if (parser == nullptr) return Fail("unknown card option '" + words[i] + "'");
        const std::size_t at = i + 1;
        i += values;
        return (this->*parser->parse)(words, at, card);
    }

    bool CardCapacity(const Words& words, std::size_t at, CardConfig& card) {
        std::uint64_t number = 0;
        if (!ParseSize(words[at], number) || number == 0) return Fail("capacity '" + words[at] + "' is not a size");
        card.capacity = number;
        return true;
    }

    bool CardCluster(const Words& words, std::size_t at, CardConfig& card) {
        std::uint64_t number = 0;
        if (!ParseSize(words[at], number) || number == 0 || number % kSimSectorSize != 0 ||
            number / kSimSectorSize > 65535)
            return Fail("cluster '" + words[at] + "' is not a whole number of 512-byte sectors");
        card.sectorsPerCluster = static_cast<std::uint32_t>(number / kSimSectorSize);
        return true;
    }

    bool CardFree(const Words& words, std::size_t at, CardConfig& card) {
        std::uint64_t number = 0;
        if (!ParseUnsigned(words[at], number) || number > UINT32_MAX)
            return Fail("free '" + words[at] + "' is not a cluster count");
        card.freeClusters = static_cast<std::uint32_t>(number);
        return true;
    }

    // speed WRITE READ, in MB/s of the station's time.
    bool CardSpeed(const Words& words, std::size_t at, CardConfig& card) {
        double speeds[2] = {};
        for (std::size_t i = 0; i < 2; ++i)
            if (!ParseDecimal(words[at + i], speeds[i]) || speeds[i] < kSimMinCardSpeed || speeds[i] > kSimMaxCardSpeed)
                return Fail("speed '" + words[at + i] + "' is not a number of MB/s from 0.01 to 100000");
        card.writeSpeed = speeds[0];
        card.readSpeed = speeds[1];
        return true;
    }

    bool CardProtected(const Words&, std::size_t, CardConfig& card) {
        card.writeProtected = true;
        return true;
    }

    bool CardFormatOption(const Words& words, std::size_t at, CardConfig& card) {
        static const std::map<std::string, CardFormat> formats = {{"fat12", CardFormat::Fat12},
                                                                  {"fat16", CardFormat::Fat16},
                                                                  {"fat32", CardFormat::Fat32},
                                                                  {"exfat", CardFormat::ExFat}};
        auto format = formats.find(Lower(words[at]));
        if (format == formats.end()) return Fail("unknown format '" + words[at] + "' (fat12, fat16, fat32, exfat)");
        card.format = format->second;
        return true;
    }

    bool CardRoot(const Words& words, std::size_t at, CardConfig& card) {
        std::uint64_t number = 0;
        if (!ParseUnsigned(words[at], number) || number == 0 || number > 65535)
            return Fail("root '" + words[at] + "' is not a number of entries from 1 to 65535");
        card.rootEntries = static_cast<std::uint32_t>(number);
        return true;
    }

    // The options together: a whole number of clusters that a volume can count.
    bool CardFits(const CardConfig& card) {
        const std::uint64_t clusters = card.capacity / (std::uint64_t{card.sectorsPerCluster} * kSimSectorSize);
        if (clusters == 0) return Fail("the capacity holds no whole cluster");
        if (clusters > UINT32_MAX) return Fail("the card has more clusters than a volume can count");
        const bool grows = RootGrows(FormatOf(card));
        if (card.rootEntries && grows) return Fail("'root' sets the fixed root of fat12 and fat16 only");
        // A growing root's first cluster is not free.
        const std::uint64_t freeable = grows ? clusters - 1 : clusters;
        if (card.freeClusters && *card.freeClusters > freeable)
            return Fail("free " + std::to_string(*card.freeClusters) + " is more than the card's " +
                        std::to_string(freeable) + (grows ? " clusters besides its root" : " clusters"));
        return true;
    }

    bool Count(const Words& words, std::size_t at, std::uint64_t& value) {
        if (words.size() != at + 1 || !ParseUnsigned(words[at], value))
            return Fail("'" + words[2] + "' needs one whole number");
        return true;
    }

    bool FaultLine(const Words& words) {
        DriveConfig* drive = nullptr;
        if (!DeclaredDrive(words, drive)) return false;
        if (words.size() < 3) return Fail("'fault' needs a kind");
        const FaultParser* parser = FindKeyword(kFaults, Lower(words[2]));
        if (parser == nullptr) return Fail("unknown fault '" + words[2] + "'");
        return (this->*parser->parse)(words, drive->faults);
    }

    // fault E: KIND, with no value.
    bool FaultFlag(const Words& words, bool& flag) {
        if (words.size() != 3) return Fail("'" + words[2] + "' takes no value");
        flag = true;
        return true;
    }

    bool FaultOpenFails(const Words& words, DriveFaults& faults) { return FaultFlag(words, faults.openFails); }
    bool FaultEepromWritesIgnored(const Words& words, DriveFaults& faults) {
        return FaultFlag(words, faults.eepromWritesIgnored);
    }
    bool FaultIdentitySwapped(const Words& words, DriveFaults& faults) {
        return FaultFlag(words, faults.identitySwapped);
    }
    bool FaultInquiryFails(const Words& words, DriveFaults& faults) {
        bool fails = false;
        if (!FaultFlag(words, fails)) return false;
        faults.commands.push_back(CommandFault{kScsiInquiry, std::nullopt, true, 0});
        return true;
    }

    // fault E: eeprom-changed ADDRESS MASK
    bool FaultEepromChanged(const Words& words, DriveFaults& faults) {
        std::uint64_t address = 0;
        std::uint8_t mask = 0;
        if (words.size() != 5 || !ParseUnsigned(words[3], address) || address >= kEepromReadSize ||
            !ParseByte(words[4], mask) || mask == 0)
            return Fail("'eeprom-changed' needs an address 0-511 and a non-zero hexadecimal mask");
        faults.eepromChanges.push_back(EepromChange{static_cast<std::uint16_t>(address), mask});
        return true;
    }

    // fault E: KIND N, N counted from 1.
    bool FaultAtCluster(const Words& words, std::uint64_t& cluster) {
        std::uint64_t value = 0;
        if (!Count(words, 3, value)) return false;
        if (value == 0) return Fail("clusters count from 1");
        cluster = value;
        return true;
    }

    bool FaultCorruptAtCluster(const Words& words, DriveFaults& faults) {
        return FaultAtCluster(words, faults.corruptAtCluster);
    }
    bool FaultPullAtCluster(const Words& words, DriveFaults& faults) {
        return FaultAtCluster(words, faults.pullAtCluster);
    }

    bool FaultRepeatSectorAtCluster(const Words& words, DriveFaults& faults) {
        return FaultAtCluster(words, faults.repeatSectorAtCluster);
    }
    bool FaultDropWritesAfterCluster(const Words& words, DriveFaults& faults) {
        return FaultAtCluster(words, faults.dropWritesAfterCluster);
    }

    // fault E: wrap-at SIZE
    bool FaultWrapAt(const Words& words, DriveFaults& faults) {
        std::uint64_t bytes = 0;
        if (words.size() != 4 || !ParseSize(words[3], bytes) || bytes == 0 || bytes % kSimSectorSize != 0)
            return Fail("'wrap-at' needs a size of whole 512-byte sectors");
        faults.wrapAt = bytes;
        return true;
    }

    bool FaultInquiryShort(const Words& words, DriveFaults& faults) {
        std::uint64_t value = 0;
        if (!Count(words, 3, value)) return false;
        if (value > kInquiryStandardLength) return Fail("an INQUIRY reply has at most 36 bytes");
        faults.inquiryLength = static_cast<std::uint32_t>(value);
        return true;
    }

    // fault E: KIND MILLISECONDS
    bool FaultAtTime(const Words& words, std::optional<std::uint64_t>& time) {
        std::uint64_t value = 0;
        if (!Count(words, 3, value)) return false;
        time = value;
        return true;
    }

    bool FaultPullAtTime(const Words& words, DriveFaults& faults) { return FaultAtTime(words, faults.pullAtMs); }
    bool FaultVanishAtTime(const Words& words, DriveFaults& faults) { return FaultAtTime(words, faults.vanishAtMs); }

    // fault E: command F2 [21] fails | status N
    bool FaultCommand(const Words& words, DriveFaults& faults) {
        CommandFault fault;
        std::size_t i = 3;
        if (i >= words.size() || !ParseByte(words[i], fault.operation))
            return Fail("'command' needs a hexadecimal operation code");
        ++i;
        std::uint8_t sub = 0;
        if (i < words.size() && ParseByte(words[i], sub)) {
            fault.subOperation = sub;
            ++i;
        }
        if (i < words.size() && Lower(words[i]) == "fails" && i + 1 == words.size()) {
            fault.callFails = true;
        } else if (i + 2 == words.size() && Lower(words[i]) == "status") {
            std::uint64_t status = 0;
            if (!ParseUnsigned(words[i + 1], status) || status == 0 || status > 255)
                return Fail("status '" + words[i + 1] + "' is not a non-zero SCSI status");
            fault.scsiStatus = static_cast<std::uint8_t>(status);
        } else {
            return Fail("'command' ends with 'fails' or 'status N'");
        }
        faults.commands.push_back(fault);
        return true;
    }

    // A card option: its keyword, how many values follow it, and its parser.
    struct CardOptionParser {
        std::string_view keyword;
        std::size_t values;
        bool (Parser::*parse)(const Words& words, std::size_t at, CardConfig& card);
    };
    static constexpr CardOptionParser kCardOptions[] = {
        {"protected", 0, &Parser::CardProtected},
        {"capacity", 1, &Parser::CardCapacity},
        {"cluster", 1, &Parser::CardCluster},
        {"free", 1, &Parser::CardFree},
        {"speed", 2, &Parser::CardSpeed},
        {"format", 1, &Parser::CardFormatOption},
        {"root", 1, &Parser::CardRoot},
    };

    // A fault kind and its parser, which reads the whole line.
    struct FaultParser {
        std::string_view keyword;
        bool (Parser::*parse)(const Words& words, DriveFaults& faults);
    };
    static constexpr FaultParser kFaults[] = {
        {"open-fails", &Parser::FaultOpenFails},
        {"eeprom-writes-ignored", &Parser::FaultEepromWritesIgnored},
        {"identity-swapped", &Parser::FaultIdentitySwapped},
        {"inquiry-fails", &Parser::FaultInquiryFails},
        {"command", &Parser::FaultCommand},
        {"eeprom-changed", &Parser::FaultEepromChanged},
        {"corrupt-at-cluster", &Parser::FaultCorruptAtCluster},
        {"pull-at-cluster", &Parser::FaultPullAtCluster},
        {"repeat-sector-at-cluster", &Parser::FaultRepeatSectorAtCluster},
        {"drop-writes-after-cluster", &Parser::FaultDropWritesAfterCluster},
        {"wrap-at", &Parser::FaultWrapAt},
        {"inquiry-short", &Parser::FaultInquiryShort},
        {"pull-at-time", &Parser::FaultPullAtTime},
        {"vanish-at-time", &Parser::FaultVanishAtTime},
    };

    template <class Row, std::size_t N>
    static const Row* FindKeyword(const Row (&table)[N], const std::string& keyword) {
        for (const Row& row : table)
            if (row.keyword == keyword) return &row;
        return nullptr;
    }

    const std::string& baseFolder;
    StationConfig& config;
};

constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";
constexpr const char* kUtf16Reason = "UTF-16 text is not accepted, save the station file as UTF-8 or ASCII";

}  // namespace

bool ParseStation(const std::string& text, const std::string& baseFolder, StationConfig& config,
                  std::string& error) {
    auto fail = [&error](int number, const std::string& reason) {
        // The error is shown in a message box and printed: a NUL or a control
        // byte from the file must neither cut it short nor hide in it.
        error = "line " + std::to_string(number) + ": " + Printable(reason);
        return false;
    };
    std::string_view body = text;
    if (body.starts_with(kUtf8ByteOrderMark)) body.remove_prefix(kUtf8ByteOrderMark.size());
    if (body.starts_with("\xFF\xFE") || body.starts_with("\xFE\xFF")) return fail(1, kUtf16Reason);

    StationConfig parsed;
    Parser parser(baseFolder, parsed);
    std::istringstream lines{std::string(body)};
    std::string line;
    int number = 0;
    while (std::getline(lines, line)) {
        ++number;
        if (line.find('\0') != std::string::npos)
            return fail(number, std::string("NUL byte in the line; ") + kUtf16Reason);
        std::vector<std::string> words;
        std::string reason;
        if (!Tokenize(line, words, reason)) return fail(number, reason);
        if (words.empty()) continue;
        if (!parser.Line(words)) return fail(number, parser.reason);
    }
    config = std::move(parsed);
    return true;
}

StationConfig DefaultStation(const std::string& eepromFolder) {
    StationConfig config;
    ReaderConfig reader;
    reader.name = "reader1";
    reader.eepromPath = JoinPath(eepromFolder, "TalvenSim-reader1.eeprom");
    config.readers.push_back(reader);

    DriveConfig fixed;
    fixed.letter = 'C';
    fixed.kind = SimDriveKind::Fixed;
    config.drives.push_back(fixed);

    const char* products[] = {"CF Card", "SM Card", "SD/MMC Card", "MS/MS Pro Card"};
    for (int slot = 0; slot < 4; ++slot) {
        DriveConfig drive;
        drive.letter = static_cast<char>('E' + slot);
        drive.kind = SimDriveKind::ReaderSlot;
        drive.reader = 0;
        drive.product = products[slot];
        CardConfig card;
        card.capacity = 4u << 20;
        card.sectorsPerCluster = 32;  // 16 KiB clusters
        drive.card = card;
        config.drives.push_back(drive);
    }

    DriveConfig network;
    network.letter = 'Z';
    network.kind = SimDriveKind::Remote;
    config.drives.push_back(network);
    return config;
}

}  // namespace talven
