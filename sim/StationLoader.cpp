#include "sim/StationLoader.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "sim/StationParser.h"

namespace talven {

namespace {

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

}  // namespace

std::unique_ptr<SimulatedStation> LoadStationFile(Platform& outer, const std::string& path, std::string& error) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        error = path + ": cannot be read";
        return nullptr;
    }
    std::ostringstream text;
    text << file.rdbuf();
    StationConfig config;
    std::string reason;
    if (!ParseStation(text.str(), FolderOf(path), config, reason)) {
        error = path + ": " + reason;
        return nullptr;
    }
    return std::make_unique<SimulatedStation>(outer, std::move(config));
}

std::unique_ptr<SimulatedStation> LoadStationForProgram(Platform& outer, std::string& error) {
    const char* named = std::getenv(kStationVariable);
    if (named != nullptr && named[0] != 0) return LoadStationFile(outer, named, error);

    char module[kMaxPath] = {};
    const std::uint32_t length = outer.GetModuleFileNameA(module, sizeof module);
    const std::string folder = FolderOf(std::string(module, length < sizeof module ? length : 0));
    const std::string beside = JoinPath(folder, kStationFileName);
    if (!folder.empty() && std::ifstream(beside, std::ios::binary)) return LoadStationFile(outer, beside, error);

    return std::make_unique<SimulatedStation>(outer, DefaultStation(folder));
}

}  // namespace talven
