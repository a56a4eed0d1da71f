// talven-image SETTINGS-FILE [EEPROM-FILE] [--out FILE]
//
// Builds the configuration image exactly as the programming run does, from
// the settings file over a 512-byte EEPROM copy (or over zeros), lists it
// field by field and, with --out, writes the whole working buffer.
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

#include "production/ConfigurationImage.h"
#include "tools/image/ImageListing.h"

#ifdef _WIN32
#include "platform/win32/Win32Platform.h"
#else
#include "platform/host/HostPlatform.h"
#endif

namespace {

using talven::kWorkingBufferSize;
using WorkingBuffer = std::array<std::uint8_t, kWorkingBufferSize>;

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePointer = std::unique_ptr<std::FILE, FileCloser>;

int Usage() {
    std::fprintf(stderr,
                 "usage: talven-image SETTINGS-FILE [EEPROM-FILE] [--out FILE]\n"
                 "  Builds the reader's configuration image from SETTINGS-FILE over the 512-byte\n"
                 "  EEPROM-FILE (or over zeros), lists it, and with --out writes the 512 bytes.\n");
    return kExitUsage;
}

// Exactly 512 bytes, or false.
bool ReadEepromFile(const char* path, WorkingBuffer& buffer) {
    FilePointer file(std::fopen(path, "rb"));
    if (!file) {
        std::fprintf(stderr, "talven-image: cannot read EEPROM file %s: %s\n", path, std::strerror(errno));
        return false;
    }
    std::size_t got = std::fread(buffer.data(), 1, buffer.size(), file.get());
    bool longer = std::fgetc(file.get()) != EOF;
    if (got != buffer.size() || longer) {
        std::fprintf(stderr, "talven-image: EEPROM file %s is not %zu bytes long\n", path, buffer.size());
        return false;
    }
    return true;
}

bool WriteOut(const char* path, const WorkingBuffer& buffer) {
    FilePointer file(std::fopen(path, "wb"));
    if (!file || std::fwrite(buffer.data(), 1, buffer.size(), file.get()) != buffer.size() ||
        std::fclose(file.release()) != 0) {
        std::fprintf(stderr, "talven-image: cannot write %s\n", path);
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    const char* settingsArgument = nullptr;
    const char* eepromPath = nullptr;
    const char* outPath = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--out") == 0) {
            if (i + 1 >= argc || outPath != nullptr) return Usage();
            outPath = argv[++i];
        } else if (argv[i][0] == '-' && argv[i][1] != '\0') {
            return Usage();
        } else if (settingsArgument == nullptr) {
            settingsArgument = argv[i];
        } else if (eepromPath == nullptr) {
            eepromPath = argv[i];
        } else {
            return Usage();
        }
    }
    if (settingsArgument == nullptr) return Usage();

    WorkingBuffer buffer{};
    if (eepromPath != nullptr && !ReadEepromFile(eepromPath, buffer)) return kExitUsage;

    // Windows looks a bare file name up in its own folder, not here.
    std::error_code error;
    std::string settingsPath = std::filesystem::absolute(settingsArgument, error).string();
    if (error) settingsPath = settingsArgument;
    if (!std::filesystem::exists(settingsPath, error)) {
        std::fprintf(stderr, "talven-image: no settings file %s: the defaults are used\n", settingsPath.c_str());
    }

#ifdef _WIN32
    talven::Win32Platform platform;
#else
    talven::HostPlatform platform;
#endif
    talven::BuildConfigurationImage(platform, buffer.data(), settingsPath.c_str());

    std::printf("Configuration image from %s over %s\n", settingsPath.c_str(),
                eepromPath != nullptr ? eepromPath : "zeros");
    std::fputs(talven::ListConfigurationImage(buffer.data(), eepromPath != nullptr ? "the EEPROM" : "zeros").c_str(),
               stdout);
    if (outPath != nullptr && !WriteOut(outPath, buffer)) return kExitFailure;
    return 0;
}
