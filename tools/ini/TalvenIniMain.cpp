// talven-ini --write FILE | --write-training FILE | --check FILE
//
// Writes the settings file shipped with the station, or the one shipped
// beside the training program, generated from the key table, or checks that a settings file, read as the program reads it, gives
// every key the value of that shipped file. A host tool of the packaging.
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/host/HostPlatform.h"
#include "settings/SettingsFile.h"
#include "settings/ShippedSettings.h"

namespace {

constexpr int kExitDiffers = 1;
constexpr int kExitUsage = 2;

int Usage() {
    std::fprintf(stderr,
                 "usage: talven-ini --write FILE | --write-training FILE | --check FILE\n"
                 "  --write  writes the station's commented settings file\n"
                 "  --write-training  writes the same for the training program, TalvenSim.ini\n"
                 "  --check  reads FILE as the program does and lists every key whose value\n"
                 "           differs from the shipped file's\n");
    return kExitUsage;
}

int Write(const char* path, talven::ShippedFile which) {
    const std::string text = talven::ShippedSettingsText(which);
    std::FILE* file = std::fopen(path, "wb");
    bool written = file != nullptr && std::fwrite(text.data(), 1, text.size(), file) == text.size();
    if (file != nullptr && std::fclose(file) != 0) written = false;
    if (!written) {
        std::fprintf(stderr, "talven-ini: cannot write %s\n", path);
        return kExitUsage;
    }
    return 0;
}

int Check(const char* path) {
    talven::HostPlatform platform;
    const talven::SettingsFile settings(platform, path);
    // A default no value of the table can hold tells a missing key apart.
    constexpr const char* kMissing = "\x01";
    int differences = 0;
    for (const talven::SettingsKey* key : talven::kSettingsKeys) {
        char value[talven::kSettingsTextSize] = {};
        settings.ReadText(key->section, key->name, kMissing, value);
        const char* shipped = talven::ShippedValue(*key);
        if (std::strcmp(value, shipped) == 0) continue;
        ++differences;
        if (std::strcmp(value, kMissing) == 0) {
            std::printf("[%s] %s: missing, the shipped value is \"%s\"\n", key->section, key->name, shipped);
        } else {
            std::printf("[%s] %s: \"%s\", the shipped value is \"%s\"\n", key->section, key->name, value, shipped);
        }
    }
    if (settings.EepromMode()) {
        ++differences;
        std::printf("the file selects the write-EEPROM job; the shipped file the read/write test\n");
    }
    std::printf("%s: %d difference(s) from the shipped settings\n", path, differences);
    return differences == 0 ? 0 : kExitDiffers;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) return Usage();
    if (std::strcmp(argv[1], "--write") == 0) return Write(argv[2], talven::ShippedFile::Station);
    if (std::strcmp(argv[1], "--write-training") == 0) return Write(argv[2], talven::ShippedFile::Training);
    if (std::strcmp(argv[1], "--check") == 0) return Check(argv[2]);
    return Usage();
}
