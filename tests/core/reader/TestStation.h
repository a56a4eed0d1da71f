// A simulated station for tests: the built-in station with sleeps that cost
// nothing, over an outer platform that has no settings file and counts sleeps.
#pragma once

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "sim/SimulatedStation.h"
#include "sim/StationParser.h"

namespace talven::test {

class QuietPlatform final : public Platform {
public:
    std::uint32_t GetLogicalDrives() override { return 0; }
    std::uint32_t GetDriveTypeA(const char*) override { return kDriveNoRootDir; }
    bool GetDiskFreeSpaceA(const char*, DiskFreeSpace&) override { return false; }
    Handle CreateFileA(const char*, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t) override {
        return kInvalidHandle;
    }
    bool DeviceIoControl(Handle, std::uint32_t, void*, std::uint32_t, void*, std::uint32_t,
                         std::uint32_t*) override {
        return false;
    }
    bool CloseHandle(Handle) override { return false; }
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
    FileTransfer FileRead(Handle, void*, std::uint32_t) override { return {true, 0}; }
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
        std::strncpy(buffer, modulePath.c_str(), bufferSize - 1);
        buffer[bufferSize - 1] = 0;
        return static_cast<std::uint32_t>(std::strlen(buffer));
    }
    void Sleep(std::uint32_t milliseconds) override { sleeps.push_back(milliseconds); }
    std::uint64_t GetTickCount64() override { return 0; }
    void GetLocalTime(LocalTime& time) override { time = {}; }
    std::uint32_t GetComputerNameA(char* buffer, std::uint32_t bufferSize) override {
        if (bufferSize > 0) buffer[0] = 0;
        return 0;
    }
    FileResult CreateDirectoryA(const char*) override { return FileResult::Failed; }
    FileResult FileAppend(const char*, const void*, std::uint32_t) override { return FileResult::Failed; }
    FileEnd FileReadEnd(const char*, char*, std::uint32_t) override { return {}; }

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

}  // namespace talven::test
