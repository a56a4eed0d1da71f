#include "sim/StationLoader.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "sim/StationParser.h"

namespace talven {

namespace {

namespace fs = std::filesystem;

// Station files are a few lines; anything much larger is some other file.
constexpr std::size_t kMaxStationFileSize = 1u << 20;

// The file's text; false with `reason` when it is no readable station file.
bool ReadStationText(const std::string& path, std::string& text, std::string& reason) {
    std::error_code code;
    // A folder opens as an empty stream on some systems and would load as an empty station.
    if (fs::is_directory(fs::status(path, code))) {
        reason = "is a folder, not a station file";
        return false;
    }
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        reason = "cannot be read";
        return false;
    }
    // Read one byte past the limit to tell a large file from one that fits.
    text.resize(kMaxStationFileSize + 1);
    file.read(text.data(), static_cast<std::streamsize>(text.size()));
    if (file.bad()) {
        reason = "cannot be read";
        return false;
    }
    text.resize(static_cast<std::size_t>(file.gcount()));
    if (text.size() > kMaxStationFileSize) {
        reason = "is larger than " + std::to_string(kMaxStationFileSize >> 10) + " KiB, not a station file";
        return false;
    }
    return true;
}

}  // namespace

StationConfig BuiltInStation(const std::string& eepromFolder) {
    StationConfig config = DefaultStation(eepromFolder);
    // MB/s written and read, E: to H:; a little apart, as real cards are.
    constexpr double kSpeeds[][2] = {{20.2, 31.0}, {19.6, 29.4}, {20.8, 30.6}, {19.1, 28.7}};
    std::size_t slot = 0;
    for (DriveConfig& drive : config.drives) {
        if (!drive.card || slot == std::size(kSpeeds)) continue;
        drive.card->writeSpeed = kSpeeds[slot][0];
        drive.card->readSpeed = kSpeeds[slot][1];
        ++slot;
    }
    return config;
}

std::unique_ptr<SimulatedStation> LoadStationFile(Platform& outer, const std::string& path, std::string& error) {
    std::string text;
    std::string reason;
    if (!ReadStationText(path, text, reason)) {
        error = path + ": " + reason;
        return nullptr;
    }
    StationConfig config;
    if (!ParseStation(text, FolderOf(path), config, reason)) {
        error = path + ": " + reason;
        return nullptr;
    }
    return std::make_unique<SimulatedStation>(outer, std::move(config));
}

std::unique_ptr<SimulatedStation> LoadStationForProgram(Platform& outer, std::string& error) {
    const char* named = std::getenv(kStationVariable);
    if (named != nullptr && named[0] != 0) return LoadStationFile(outer, named, error);

    const std::string folder = FolderOf(ProgramPath(outer));
    const std::string beside = JoinPath(folder, kStationFileName);
    std::error_code code;
    if (!folder.empty() && fs::exists(beside, code)) return LoadStationFile(outer, beside, error);

    return std::make_unique<SimulatedStation>(outer, BuiltInStation(folder));
}

}  // namespace talven
