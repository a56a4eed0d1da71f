// A seam whose files live in memory, with a plan of faults: a write that
// fails, an append torn after some bytes, a read that fails, a folder that
// refuses writes, and a kill, after which nothing reaches the files until
// the test starts the program's objects anew. Settings are section/key
// values. It notes the largest read asked for, as readers promise a bound.
// The fuzz targets share it.
#pragma once

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>

#include "settings/SettingsKeys.h"
#include "tests/support/FailingPlatform.h"

namespace talven::test {

// An invariant that broke: said, then the process ends as a fuzzer expects.
inline void Require(bool holds, const char* what) {
    if (holds) return;
    std::fprintf(stderr, "invariant broken: %s\n", what);
    std::abort();
}

class MemoryPlatform : public FailingPlatform {
public:
    // Counts are of writes (appends, whole writes, moves, cut-backs) or of
    // reads from now: 0 is the next one, -1 none.
    struct Faults {
        int failWrite = -1;
        FileResult failWith = FileResult::Failed;
        int kill = -1;
        std::uint32_t tear = 0;  // bytes of the failed or killed append that reach the file
        int failRead = -1;
        std::string refuse;  // writes to paths that hold this text fail
    };

    // The program starts anew after a kill: the files stay as they are.
    void Revive() {
        dead = false;
        Faults fresh;
        fresh.refuse = faults.refuse;
        faults = fresh;
    }
    void SetProfile(const SettingsKey& key, const std::string& value) {
        profile[std::string(key.section) + "\n" + key.name] = value;
    }

    FileResult FileAppend(const char* path, const void* data, std::uint32_t size) override {
        std::uint32_t reach = size;
        const FileResult result = Write(path, reach);
        if (result == FileResult::Done || reach > 0) files[path].append(static_cast<const char*>(data), reach);
        return result;
    }
    FileResult FileWriteWhole(const char* path, const void* data, std::uint32_t size) override {
        std::uint32_t reach = size;
        const FileResult result = Write(path, reach);
        if (result == FileResult::Done || reach > 0) files[path].assign(static_cast<const char*>(data), reach);
        return result;
    }
    FileResult MoveFileExA(const char* from, const char* to) override {
        std::uint32_t reach = 0;
        const FileResult result = Write(to, reach);
        if (result != FileResult::Done) return result;
        const auto file = files.find(from);
        if (file == files.end()) return FileResult::Missing;
        files[to] = std::move(file->second);
        files.erase(from);
        return result;
    }
    FileResult FileTruncate(const char* path, std::uint64_t size) override {
        std::uint32_t reach = 0;
        const FileResult result = Write(path, reach);
        const auto file = files.find(path);
        if (result != FileResult::Done || file == files.end()) return result;
        if (file->second.size() > size) file->second.resize(size);
        return result;
    }
    FileEnd FileReadEnd(const char* path, char* buffer, std::uint32_t size) override {
        largestRead = std::max<std::uint64_t>(largestRead, size);
        if (dead || faults.failRead-- == 0) return {};
        const auto file = files.find(path);
        if (file == files.end()) return {FileResult::Missing, 0, 0};
        const std::string& bytes = file->second;
        const auto count = static_cast<std::uint32_t>(std::min<std::uint64_t>(size, bytes.size()));
        std::memcpy(buffer, bytes.data() + bytes.size() - count, count);
        return {FileResult::Done, bytes.size(), count};
    }
    FileResult CreateDirectoryA(const char*) override { return dead ? FileResult::Failed : FileResult::Done; }
    bool FileDelete(const char* path) override {
        std::uint32_t reach = 0;
        return Write(path, reach) == FileResult::Done && files.erase(path) > 0;
    }
    FileResult FindFiles(const char* folder, std::vector<FoundFile>& found) override {
        found.clear();
        const std::string in = std::string(folder) + "\\";
        for (const auto& [path, bytes] : files)
            if (path.rfind(in, 0) == 0 && path.find('\\', in.size()) == std::string::npos)
                found.push_back({path.substr(in.size()), bytes.size()});
        return dead ? FileResult::Failed : FileResult::Done;
    }
    FileResult FileHold(const char* path, Handle& held) override {
        held = std::hash<std::string>{}(path);
        if (dead || !holds.emplace(held, path).second) return dead ? FileResult::Failed : FileResult::InUse;
        files.emplace(path, "");
        return FileResult::Done;
    }
    void FileRelease(Handle held) override { holds.erase(held); }

    std::uint32_t GetPrivateProfileStringA(const char* section, const char* key, const char* defaultText,
                                           char* buffer, std::uint32_t bufferSize, const char*) override {
        std::string value = defaultText == nullptr ? "" : defaultText;
        if (section == nullptr || key == nullptr) value.clear();  // no names: none of the file's own
        const auto found = profile.find(std::string(section ? section : "") + "\n" + (key ? key : ""));
        if (found != profile.end()) value = found->second;
        if (bufferSize < 2) return 0;
        const auto count = static_cast<std::uint32_t>(std::min<std::size_t>(value.size(), bufferSize - 2));
        std::memcpy(buffer, value.data(), count);
        buffer[count] = buffer[count + 1] = '\0';
        return count;
    }
    std::uint32_t GetPrivateProfileIntA(const char* section, const char* key, int defaultValue,
                                        const char* path) override {
        char text[32];
        if (GetPrivateProfileStringA(section, key, "", text, sizeof text, path) == 0)
            return static_cast<std::uint32_t>(defaultValue);
        return static_cast<std::uint32_t>(std::strtoll(text, nullptr, 10));
    }
    std::uint32_t GetModuleFileNameA(char* buffer, std::uint32_t bufferSize) override {
        return static_cast<std::uint32_t>(std::snprintf(buffer, bufferSize, "C:\\line\\Talven.exe"));
    }
    std::uint32_t GetComputerNameA(char* buffer, std::uint32_t bufferSize) override {
        return static_cast<std::uint32_t>(std::snprintf(buffer, bufferSize, "%s", computer.c_str()));
    }
    void GetLocalTime(LocalTime& time) override { time = now; }
    std::uint64_t GetTickCount64() override { return ++ticks; }

    std::map<std::string, std::string> files;
    std::map<std::string, std::string> profile;  // "section\nkey": value
    std::map<Handle, std::string> holds;         // held paths by their handles
    std::string computer = "STATION";
    Faults faults;
    bool dead = false;
    std::uint64_t largestRead = 0;
    LocalTime now{2026, 12, 7, 22, 1, 50, 60};
    std::uint64_t ticks = 0;

private:
    // What the plan makes of this write; `reach` is cut to the bytes that land.
    FileResult Write(const char* path, std::uint32_t& reach) {
        const bool killed = faults.kill-- == 0;
        const bool failed = faults.failWrite-- == 0;
        const bool refused = !faults.refuse.empty() && std::strstr(path, faults.refuse.c_str()) != nullptr;
        if (dead || refused) reach = 0;
        if (dead || refused) return dead ? FileResult::Failed : FileResult::Denied;
        if (killed || failed) reach = std::min(reach, faults.tear);
        dead = killed;
        return killed ? FileResult::Failed : failed ? faults.failWith : FileResult::Done;
    }
};

}  // namespace talven::test
