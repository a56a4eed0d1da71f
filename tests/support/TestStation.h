// Stations for tests. In every build: the built-in simulated station with
// sleeps that cost nothing, over an outer platform that has no settings file,
// records what reaches it and counts sleeps. In the Windows build also a
// settings folder of a test's own and a platform whose executable lives in
// it, so that the windows derive their settings path there; it is Windows
// itself, but has no drives.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "sim/SimulatedStation.h"
#include "sim/StationParser.h"
#include "tests/support/FailingPlatform.h"

#ifdef _WIN32
#include <windows.h>

#include <fstream>
#include <sstream>

#include "platform/win32/Win32Platform.h"
#include "tests/support/ForwardingPlatform.h"
#endif

namespace talven::test {

// GetModuleFileNameA's answer: `path`, cut to the buffer and terminated.
inline std::uint32_t CopyModulePath(const std::string& path, char* buffer, std::uint32_t bufferSize) {
    if (bufferSize == 0) return 0;
    const std::uint32_t length = static_cast<std::uint32_t>(path.size());
    const std::uint32_t copied = length < bufferSize ? length : bufferSize - 1;
    path.copy(buffer, copied);
    buffer[copied] = '\0';
    return copied;
}

class QuietPlatform final : public FailingPlatform {
public:
    Handle FileCreate(const char* path) override {
        filePaths.push_back(path);
        return 0x77;
    }
    Handle FileOpen(const char* path) override {
        filePaths.push_back(path);
        return kInvalidHandle;
    }
    FileTransfer FileWrite(Handle file, const void*, std::uint32_t size) override {
        writtenTo.push_back(file);
        return {false, size};
    }
    bool FileFlush(Handle) override { return true; }
    void FileClose(Handle file) override { closed.push_back(file); }
    bool FileDelete(const char* path) override {
        filePaths.push_back(path);
        return false;
    }
    bool FileFind(const char* path) override {
        filePaths.push_back(path);
        return false;
    }
    std::uint32_t GetPrivateProfileStringA(const char*, const char* key, const char* defaultText, char* buffer,
                                           std::uint32_t bufferSize, const char*) override {
        profileKeys.push_back(key);
        std::strncpy(buffer, defaultText, bufferSize - 1);
        buffer[bufferSize - 1] = 0;
        return static_cast<std::uint32_t>(std::strlen(buffer));
    }
    std::uint32_t GetPrivateProfileIntA(const char*, const char* key, int defaultValue, const char*) override {
        profileKeys.push_back(key);
        return static_cast<std::uint32_t>(defaultValue);
    }
    bool WritePrivateProfileStringA(const char*, const char* key, const char*, const char*) override {
        profileKeys.push_back(key);
        return true;
    }
    std::uint32_t GetModuleFileNameA(char* buffer, std::uint32_t bufferSize) override {
        return CopyModulePath(modulePath, buffer, bufferSize);
    }
    void Sleep(std::uint32_t milliseconds) override { sleeps.push_back(milliseconds); }

    std::string modulePath = "C:\\line\\TalvenSim.exe";
    std::vector<std::uint32_t> sleeps;
    std::vector<std::string> profileKeys;
    std::vector<std::string> filePaths;
    std::vector<Handle> writtenTo;
    std::vector<Handle> closed;
};

// The built-in station with no EEPROM file and time that only sleeps advance.
inline StationConfig QuietDefaultStation() {
    StationConfig config = DefaultStation("");
    config.timeScale = 0;
    for (ReaderConfig& reader : config.readers) reader.eepromPath.clear();
    return config;
}

inline DriveConfig& DriveOf(StationConfig& config, char letter) {
    for (DriveConfig& drive : config.drives)
        if (drive.letter == letter) return drive;
    return config.drives.front();
}

#ifdef _WIN32

// Windows itself, made before the forwarding base that hands calls to it.
struct HeldWindows {
    Win32Platform windows;
};

class TestPlatform final : private HeldWindows, public ForwardingPlatform {
public:
    explicit TestPlatform(std::string modulePath) : ForwardingPlatform(windows), modulePath(std::move(modulePath)) {}

    // No drives, and sleeps that cost nothing; settings and the verdict
    // record's files are Windows' own.
    std::uint32_t GetLogicalDrives() override { return 0; }
    void Sleep(std::uint32_t) override {}
    std::uint32_t GetModuleFileNameA(char* buffer, std::uint32_t bufferSize) override {
        return CopyModulePath(modulePath, buffer, bufferSize);
    }

private:
    std::string modulePath;
};

// A fresh folder per station, so that no test sees another's settings (nor
// a cached copy of them).
class TestStation {
public:
    TestStation() {
        ::CreateDirectoryA(folder.c_str(), nullptr);
        ::DeleteFileA(settingsPath.c_str());
    }
    ~TestStation() {
        ::DeleteFileA(settingsPath.c_str());
        ::DeleteFileA((folder + "\\Talven.state").c_str());
        for (const std::string& name : RecordFiles()) ::DeleteFileA((RecordFolder() + "\\" + name).c_str());
        ::RemoveDirectoryA(RecordFolder().c_str());
        DeleteSpools();
        ::RemoveDirectoryA(folder.c_str());
    }
    TestStation(const TestStation&) = delete;
    TestStation& operator=(const TestStation&) = delete;

    Platform& GetPlatform() { return platform; }
    const std::string& SettingsPath() const { return settingsPath; }

    void WriteSettings(const std::string& text) {
        std::ofstream file(settingsPath, std::ios::binary | std::ios::trunc);
        file << text;
    }
    // The whole file; empty when there is none.
    std::string SettingsBytes() const {
        std::ifstream file(settingsPath, std::ios::binary);
        std::ostringstream bytes;
        bytes << file.rdbuf();
        return bytes.str();
    }
    // The verdict record's default folder and the files in it.
    std::string RecordFolder() const { return folder + "\\Logs"; }
    std::vector<std::string> RecordFiles() const {
        std::vector<std::string> names;
        WIN32_FIND_DATAA found;
        HANDLE search = ::FindFirstFileA((RecordFolder() + "\\*.csv").c_str(), &found);
        if (search == INVALID_HANDLE_VALUE) return names;
        do {
            names.push_back(found.cFileName);
        } while (::FindNextFileA(search, &found));
        ::FindClose(search);
        return names;
    }
    bool SettingsExist() const { return ::GetFileAttributesA(settingsPath.c_str()) != INVALID_FILE_ATTRIBUTES; }
    std::string Text(const char* section, const char* key) const {
        char value[512] = {};
        ::GetPrivateProfileStringA(section, key, "<missing>", value, sizeof value, settingsPath.c_str());
        return value;
    }

private:
    // The record's spool beside the program, named after the computer, and its lock file.
    void DeleteSpools() const {
        WIN32_FIND_DATAA found;
        const HANDLE search = ::FindFirstFileA((folder + "\\*.spool*").c_str(), &found);
        for (bool more = search != INVALID_HANDLE_VALUE; more; more = ::FindNextFileA(search, &found))
            ::DeleteFileA((folder + "\\" + found.cFileName).c_str());
        if (search != INVALID_HANDLE_VALUE) ::FindClose(search);
    }
    static std::string NewFolder() {
        static int counter = 0;
        char temp[MAX_PATH] = {};
        ::GetTempPathA(MAX_PATH, temp);
        return std::string(temp) + "talven-d-" + std::to_string(::GetCurrentProcessId()) + "-" +
               std::to_string(++counter);
    }

    std::string folder = NewFolder();
    std::string settingsPath = folder + "\\Talven.ini";
    TestPlatform platform{folder + "\\Talven.exe"};
};

#endif  // _WIN32

}  // namespace talven::test
