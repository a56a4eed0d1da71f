// talven-image SETTINGS-FILE [EEPROM-FILE] [--out FILE]
//
// Builds the configuration image exactly as the programming run does, from
// the settings file over a 512-byte EEPROM copy (or over zeros), lists it
// field by field and, with --out, writes the whole working buffer. Then it
// names, by file and line, every value the programming run refuses and every
// name in the file it would not read, and ends with one line on what it
// found. With a serial block, --out takes the image's serial through the
// station's state, as a GO would. The output never replaces an input, and
// goes through a temporary file beside it, so a failed write leaves an
// existing file whole.
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <system_error>
#include <vector>

#include "platform/ini/ProfileFile.h"
#include "production/ConfigurationImage.h"
#include "production/StationSerials.h"
#include "production/StationState.h"
#include "record/RecordSerials.h"
#include "settings/SettingsCheck.h"
#include "settings/SettingsSnapshot.h"
#include "settings/SettingsText.h"
#include "tools/image/ImageListing.h"

#ifdef _WIN32
#include <windows.h>

#include "platform/win32/Win32Platform.h"
#else
#include "platform/host/HostPlatform.h"
#endif

namespace {

namespace fs = std::filesystem;
using talven::kWorkingBufferSize;
using WorkingBuffer = std::array<std::uint8_t, kWorkingBufferSize>;

constexpr int kExitWarnings = 1;     // names the program would not read
constexpr int kExitWriteFailed = 1;
constexpr int kExitUsage = 2;        // bad usage or a bad input: nothing is written
constexpr int kExitRefused = 2;      // values GO refuses: the image is still listed and written

struct Findings {
    std::vector<talven::CheckedSetting> refused;
    std::vector<talven::SettingsWarning> warnings;
    // Why the serial block gives GO nothing to write (used up, a state file it cannot read).
    std::string serialProblem;
};

#ifdef _WIN32
// The listing is UTF-8: a console shows it so while the tool runs, and gets
// its own code page back afterwards.
class Utf8Console {
public:
    Utf8Console() : previous(::GetConsoleOutputCP()) {
        if (previous != 0) ::SetConsoleOutputCP(CP_UTF8);
    }
    ~Utf8Console() {
        if (previous != 0) ::SetConsoleOutputCP(previous);
    }
    Utf8Console(const Utf8Console&) = delete;
    Utf8Console& operator=(const Utf8Console&) = delete;

private:
    UINT previous;
};
#endif

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePointer = std::unique_ptr<std::FILE, FileCloser>;

struct Arguments {
    const char* settings = nullptr;
    const char* eeprom = nullptr;
    const char* out = nullptr;
};

int Usage() {
    std::fprintf(stderr,
                 "usage: talven-image SETTINGS-FILE [EEPROM-FILE] [--out FILE]\n"
                 "  Builds the reader's configuration image from SETTINGS-FILE over the 512-byte\n"
                 "  EEPROM-FILE (or over zeros), lists it, and with --out writes the 512 bytes.\n"
                 "  Exit status: 0 the file is good; 1 it holds names the program does not read,\n"
                 "  or --out could not be written; 2 it holds values the program refuses (the\n"
                 "  image is listed and written all the same), or an input is missing or bad.\n"
                 "  With a serial block (SNFirst, SNLast), the image holds the block's next serial\n"
                 "  after the station's state beside SETTINGS-FILE and its record; --out takes\n"
                 "  that serial through the same state, so no station writes it later.\n");
    return kExitUsage;
}

bool ParseArguments(int argc, char** argv, Arguments& arguments) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--out") == 0) {
            if (i + 1 >= argc || arguments.out != nullptr) return false;
            arguments.out = argv[++i];
        } else if (argv[i][0] == '-' && argv[i][1] != '\0') {
            return false;
        } else if (arguments.settings == nullptr) {
            arguments.settings = argv[i];
        } else if (arguments.eeprom == nullptr) {
            arguments.eeprom = argv[i];
        } else {
            return false;
        }
    }
    return arguments.settings != nullptr;
}

bool IsFolder(const char* path) {
    std::error_code error;
    return fs::is_directory(path, error);
}

// An input file opened for reading, or null with the reason printed.
FilePointer OpenInput(const char* what, const char* path) {
    if (IsFolder(path)) {
        std::fprintf(stderr, "talven-image: %s %s is a folder, not a file\n", what, path);
        return nullptr;
    }
    FilePointer file(std::fopen(path, "rb"));
    if (!file) std::fprintf(stderr, "talven-image: cannot read %s %s: %s\n", what, path, std::strerror(errno));
    return file;
}

// The settings file must be there and readable: a mistyped name would
// otherwise pass for a file of defaults.
bool CheckSettingsFile(const std::string& path) {
    std::error_code error;
    if (fs::status(path, error).type() == fs::file_type::not_found) {
        std::fprintf(stderr, "talven-image: no settings file %s\n", path.c_str());
        return false;
    }
    return OpenInput("settings file", path.c_str()) != nullptr;
}

// Exactly 512 bytes, or false.
bool ReadEepromFile(const char* path, WorkingBuffer& buffer) {
    FilePointer file = OpenInput("EEPROM file", path);
    if (!file) return false;
    std::size_t got = std::fread(buffer.data(), 1, buffer.size(), file.get());
    bool longer = std::fgetc(file.get()) != EOF;
    if (got != buffer.size() || longer) {
        std::fprintf(stderr, "talven-image: EEPROM file %s is not %zu bytes long\n", path, buffer.size());
        return false;
    }
    return true;
}

// The path made absolute and normal, for comparing spellings of a file that
// does not exist yet.
fs::path Normal(const char* path) {
    std::error_code error;
    fs::path absolute = fs::absolute(path, error);
    if (error) absolute = path;
    fs::path normal = fs::weakly_canonical(absolute, error);
    return error ? absolute.lexically_normal() : normal;
}

bool SameSpelling(const fs::path& a, const fs::path& b) {
#ifdef _WIN32
    // Windows names files without regard to case.
    return _wcsicmp(a.c_str(), b.c_str()) == 0;
#else
    return a == b;
#endif
}

// The same file, whatever the spelling: links, "..", case on Windows.
bool SameFile(const char* a, const char* b) {
    std::error_code error;
    if (fs::equivalent(a, b, error)) return true;
    return SameSpelling(Normal(a), Normal(b));
}

// --out must neither be a folder nor name an input; false with the reason printed.
bool CheckOutPath(const Arguments& arguments) {
    if (IsFolder(arguments.out)) {
        std::fprintf(stderr, "talven-image: --out %s is a folder, not a file\n", arguments.out);
        return false;
    }
    const struct {
        const char* what;
        const char* path;
    } inputs[] = {{"settings file", arguments.settings}, {"EEPROM file", arguments.eeprom}};
    for (const auto& input : inputs) {
        if (input.path != nullptr && SameFile(arguments.out, input.path)) {
            std::fprintf(stderr, "talven-image: --out %s is the %s %s; refusing to overwrite an input\n",
                         arguments.out, input.what, input.path);
            return false;
        }
    }
    return true;
}

// A name beside `out` that no file has yet.
fs::path TemporaryBeside(const fs::path& out) {
    std::random_device random;
    fs::path temporary;
    std::error_code error;
    do {
        char suffix[24];
        std::snprintf(suffix, sizeof suffix, ".%08x.tmp", static_cast<unsigned>(random()));
        temporary = out;
        temporary += suffix;
    } while (fs::exists(temporary, error));
    return temporary;
}

bool WriteWhole(const fs::path& path, const WorkingBuffer& buffer, std::string& reason) {
    std::FILE* file = std::fopen(path.string().c_str(), "wb");
    if (file == nullptr) {
        reason = std::strerror(errno);
        return false;
    }
    bool written = std::fwrite(buffer.data(), 1, buffer.size(), file) == buffer.size() && std::fflush(file) == 0;
    if (!written) reason = std::strerror(errno);
    if (std::fclose(file) != 0 && written) {
        reason = std::strerror(errno);
        written = false;
    }
    return written;
}

// "file:line: " of a name in the settings file, or "file: " where no line
// holds it.
std::string Where(const char* shownPath, const std::string& path, const std::string& section, const char* key) {
    const std::uint32_t line = talven::ProfileFile(path).LineOf(section.c_str(), key);
    return std::string(shownPath) + (line != 0 ? ":" + std::to_string(line) : std::string()) + ": ";
}

// A reason quotes the file's bytes; the tool prints UTF-8 throughout.
std::string Readable(const std::string& text) { return talven::Utf8(talven::DecodeSettingsText(text)); }

// Prints every refused value and every warning; returns the exit status
// they call for.
int ReportSettings(const talven::SettingsFile& settings, const Findings& findings, const char* shownPath) {
    for (const talven::CheckedSetting& value : findings.refused) {
        const std::string where = Where(shownPath, settings.Path(), value.key->section, value.key->name);
        std::fprintf(stderr, "%s%s: %s\n", where.c_str(), value.key->name, Readable(value.reason).c_str());
    }
    for (const talven::SettingsWarning& warning : findings.warnings) {
        const char* key = warning.key.empty() ? nullptr : warning.key.c_str();
        std::fprintf(stderr, "%swarning: %s\n", Where(shownPath, settings.Path(), warning.section, key).c_str(),
                     Readable(warning.message).c_str());
    }
    std::fflush(stderr);
    if (!findings.refused.empty()) return kExitRefused;
    return findings.warnings.empty() ? 0 : kExitWarnings;
}

std::string Count(std::size_t count, const char* what) {
    if (count == 0) return std::string("no ") + what;
    return std::to_string(count) + " " + what + (count == 1 ? "" : "s");
}

// What GO does with the file: the write-EEPROM job refuses only the image's
// keys, the read/write test only its own.
std::string Summary(const Findings& findings) {
    std::string counts = Count(findings.refused.size(), "value") + " refused, " +
                         Count(findings.warnings.size(), "warning");
    if (!findings.serialProblem.empty()) counts += ", " + findings.serialProblem;
    if (findings.refused.empty() && findings.serialProblem.empty())
        return "talven-image: " + std::string(findings.warnings.empty() ? "good: " : "warnings: ") + counts +
               "; GO runs with this file";
    bool image = !findings.serialProblem.empty();
    bool test = false;
    for (const talven::CheckedSetting& value : findings.refused)
        (std::strcmp(value.key->section, talven::kDeviceSection) == 0 ? image : test) = true;
    const char* effect = image && test ? "Write EEPROM writes nothing and the read/write test tests no slot"
                         : image       ? "Write EEPROM writes nothing; the read/write test runs"
                                       : "the read/write test tests no slot; Write EEPROM writes";
    return "talven-image: refused: " + counts + "; with this file " + effect;
}

bool WriteOut(const char* out, const WorkingBuffer& buffer) {
    const fs::path temporary = TemporaryBeside(out);
    std::string reason;
    std::error_code error;
    bool written = WriteWhole(temporary, buffer, reason);
    if (written) {
        fs::rename(temporary, out, error);
        if (error) reason = error.message();
        written = !error;
    }
    if (!written) {
        fs::remove(temporary, error);
        std::fprintf(stderr, "talven-image: cannot write %s: %s; an existing file is left as it was\n", out,
                     reason.c_str());
    }
    return written;
}

// Without a block every reader gets SN; said, as the design keeps it so.
void WarnFixedSerial(const talven::SettingsSnapshot& settings) {
    const talven::CheckedSetting& serial = settings.Checked(talven::kSerialNumberKey);
    if (serial.reason.empty())
        std::printf("Serial number %s for every reader: no serial block (SNFirst, SNLast) is set, so every "
                    "reader written with this image gets the same serial\n", Readable(serial.text).c_str());
}

// A block's next serial goes into the image, from the station's state beside
// the settings file and the record's serials, as the next GO finds it. An
// image written out takes its serial through the same state, so no station
// writes that serial later; a listing takes none. False when GO would write
// nothing for it, with the reason in `findings`.
bool PutNextSerial(talven::Platform& platform, const talven::SettingsSnapshot& settings,
                   const std::string& settingsPath, bool take, WorkingBuffer& buffer, Findings& findings) {
    talven::StationState held;
    const std::string state = talven::StationStatePath(settingsPath);
    const bool inUse =
        talven::ReadStationState(platform, state, held) == talven::StateRead::Read && !held.handed.empty();
    const auto readRecord = [&] { return talven::ScanRecordSerials(platform, settings, settingsPath); };
    const talven::SerialPlan serial = take ? talven::TakeSerial(platform, settings, settingsPath, readRecord)
                                           : talven::PlanSerial(platform, settings, settingsPath, readRecord);
    if (!serial.block) {
        WarnFixedSerial(settings);
        return serial.problem.empty();
    }
    if (inUse)
        std::fprintf(stderr, "talven-image: warning: a station beside %s hands out serials from it; %s\n",
                     state.c_str(),
                     take ? "this image's serial is taken from it" : "--out takes the listed serial from it");
    if (!serial.note.empty()) std::fprintf(stderr, "talven-image: %s\n", Readable(serial.note).c_str());
    if (!serial.problem.empty()) {
        findings.serialProblem = Readable(serial.problem);
        std::fprintf(stderr, "talven-image: %s (%s): GO writes nothing\n", findings.serialProblem.c_str(),
                     state.c_str());
        return false;
    }
    talven::PutSerial(buffer.data(), serial.next);
    std::printf("Serial number %s, %s the block %s-%s by %s\n", Readable(serial.next).c_str(),
                take ? "taken from" : "the next of", Readable(serial.block->first.Text()).c_str(),
                Readable(serial.block->At(serial.block->last).Text()).c_str(), state.c_str());
    return true;
}

// Lists the image and, with --out, writes it; false when that write failed.
bool ListAndWrite(const Arguments& arguments, const WorkingBuffer& buffer, const Findings& findings) {
    const char* keptFrom = arguments.eeprom != nullptr ? "the EEPROM" : "zeros";
    std::fputs(talven::ListConfigurationImage(buffer.data(), keptFrom, findings.refused).c_str(), stdout);
    bool written = true;
    if (arguments.out != nullptr) {
        written = WriteOut(arguments.out, buffer);
        if (written)
            std::printf("Wrote %s: %zu bytes, the image in bytes 0-%zu, the rest kept from %s\n", arguments.out,
                        buffer.size(), talven::kConfigurationImageSize - 1, keptFrom);
    }
    std::fflush(stdout);
    return written;
}

}  // namespace

int main(int argc, char** argv) {
#ifdef _WIN32
    const Utf8Console console;
#endif
    Arguments arguments;
    if (!ParseArguments(argc, argv, arguments)) return Usage();

    // Windows looks a bare file name up in its own folder, not here.
    std::error_code error;
    std::string settingsPath = fs::absolute(arguments.settings, error).string();
    if (error) settingsPath = arguments.settings;
    if (!CheckSettingsFile(settingsPath)) return kExitUsage;
    WorkingBuffer buffer{};
    if (arguments.eeprom != nullptr && !ReadEepromFile(arguments.eeprom, buffer)) return kExitUsage;
    if (arguments.out != nullptr && !CheckOutPath(arguments)) return kExitUsage;

#ifdef _WIN32
    talven::Win32Platform platform;
#else
    talven::HostPlatform platform;
#endif
    const talven::SettingsFile settings(platform, settingsPath.c_str());
    const talven::SettingsSnapshot snapshot(settings);
    talven::BuildConfigurationImage(snapshot, buffer.data());
    Findings findings{snapshot.Refused(), snapshot.Warnings(), {}};
    std::printf("Configuration image from %s over %s\n", settingsPath.c_str(),
                arguments.eeprom != nullptr ? arguments.eeprom : "zeros");
    const bool serialGood = PutNextSerial(platform, snapshot, settingsPath, arguments.out != nullptr, buffer, findings);
    const bool written = ListAndWrite(arguments, buffer, findings);
    const int status = ReportSettings(settings, findings, arguments.settings);
    std::printf("%s\n", Summary(findings).c_str());
    if (status == kExitRefused || !serialGood) return kExitRefused;
    return written ? status : kExitWriteFailed;
}
