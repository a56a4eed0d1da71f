// A settings folder of a test's own and a platform whose executable lives in
// it, so that the windows derive their settings path there. The settings go
// through Windows' own private-profile functions; the station has no drives.
#pragma once

#include <windows.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "platform/win32/Win32Platform.h"
#include "tests/support/FailingPlatform.h"

namespace talven::test {

class TestPlatform final : public FailingPlatform {
public:
    explicit TestPlatform(std::string modulePath) : modulePath(std::move(modulePath)) {}

    std::uint32_t GetPrivateProfileStringA(const char* section, const char* key, const char* defaultText,
                                           char* buffer, std::uint32_t bufferSize, const char* path) override {
        return ::GetPrivateProfileStringA(section, key, defaultText, buffer, bufferSize, path);
    }
    std::uint32_t GetPrivateProfileIntA(const char* section, const char* key, int defaultValue,
                                        const char* path) override {
        return ::GetPrivateProfileIntA(section, key, defaultValue, path);
    }
    bool WritePrivateProfileStringA(const char* section, const char* key, const char* value,
                                    const char* path) override {
        return ::WritePrivateProfileStringA(section, key, value, path) != FALSE;
    }
    // The verdict record's files are real ones, in the station's folder.
    std::uint64_t GetTickCount64() override { return windows.GetTickCount64(); }
    void GetLocalTime(LocalTime& time) override { windows.GetLocalTime(time); }
    std::uint32_t GetComputerNameA(char* buffer, std::uint32_t bufferSize) override {
        return windows.GetComputerNameA(buffer, bufferSize);
    }
    FileResult CreateDirectoryA(const char* path) override { return windows.CreateDirectoryA(path); }
    FileResult FileAppend(const char* path, const void* data, std::uint32_t size) override {
        return windows.FileAppend(path, data, size);
    }
    FileEnd FileReadEnd(const char* path, char* buffer, std::uint32_t size) override {
        return windows.FileReadEnd(path, buffer, size);
    }
    std::uint32_t GetModuleFileNameA(char* buffer, std::uint32_t bufferSize) override {
        const std::uint32_t length = static_cast<std::uint32_t>(modulePath.size());
        if (bufferSize == 0) {
            return 0;
        }
        const std::uint32_t copied = length < bufferSize ? length : bufferSize - 1;
        modulePath.copy(buffer, copied);
        buffer[copied] = '\0';
        return copied;
    }

private:
    std::string modulePath;
    Win32Platform windows;
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
        for (const std::string& name : RecordFiles()) ::DeleteFileA((RecordFolder() + "\\" + name).c_str());
        ::RemoveDirectoryA(RecordFolder().c_str());
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

}  // namespace talven::test
