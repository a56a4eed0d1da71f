// Test support for the settings and the configuration image: the build's own
// platform, settings files in the temporary folder, and a seam whose every
// call fails unless a test double overrides it.
#pragma once

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <random>
#include <string>

#include "platform/Platform.h"

#ifdef _WIN32
#include "platform/win32/Win32Platform.h"
#else
#include "platform/host/HostPlatform.h"
#endif

namespace talven::test {

// Windows' own private-profile functions in the Windows build, ours on the host.
inline std::unique_ptr<Platform> MakeBuildPlatform() {
#ifdef _WIN32
    return std::make_unique<Win32Platform>();
#else
    return std::make_unique<HostPlatform>();
#endif
}

// A settings file of the test's own, removed afterwards. The path is absolute,
// as Windows looks bare names up in its own folder.
class TempSettings {
public:
    explicit TempSettings(const std::string& name) {
        path = (std::filesystem::temp_directory_path() /
                ("talven-" + std::to_string(ProcessTag()) + "-" + std::to_string(Counter()++) + "-" + name +
                 ".ini"))
                   .string();
        std::remove(path.c_str());
    }
    ~TempSettings() { std::remove(path.c_str()); }
    TempSettings(const TempSettings&) = delete;
    TempSettings& operator=(const TempSettings&) = delete;

    void Write(const std::string& content) const {
        std::FILE* file = std::fopen(path.c_str(), "wb");
        if (file == nullptr) return;
        std::fwrite(content.data(), 1, content.size(), file);
        std::fclose(file);
    }
    std::string Read() const {
        std::string content;
        std::FILE* file = std::fopen(path.c_str(), "rb");
        if (file == nullptr) return content;
        char chunk[1024];
        std::size_t got;
        while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) content.append(chunk, got);
        std::fclose(file);
        return content;
    }
    const char* Path() const { return path.c_str(); }

private:
    // Tests of one executable may run in several processes at once.
    static unsigned ProcessTag() {
        static const unsigned tag = std::random_device{}();
        return tag;
    }
    static int& Counter() {
        static int counter = 0;
        return counter;
    }
    std::string path;
};

// Every call fails or finds nothing.
class FailingPlatform : public Platform {
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
    Handle FileCreate(const char*) override { return kInvalidHandle; }
    Handle FileOpen(const char*) override { return kInvalidHandle; }
    FileTransfer FileWrite(Handle, const void*, std::uint32_t) override { return {true, 0}; }
    FileTransfer FileRead(Handle, void*, std::uint32_t) override { return {true, 0}; }
    bool FileFlush(Handle) override { return false; }
    void FileClose(Handle) override {}
    bool FileDelete(const char*) override { return false; }
    bool FileFind(const char*) override { return false; }
    std::uint32_t GetPrivateProfileStringA(const char*, const char*, const char*, char* buffer,
                                           std::uint32_t bufferSize, const char*) override {
        if (bufferSize > 0) buffer[0] = '\0';
        return 0;
    }
    std::uint32_t GetPrivateProfileIntA(const char*, const char*, int defaultValue, const char*) override {
        return static_cast<std::uint32_t>(defaultValue);
    }
    bool WritePrivateProfileStringA(const char*, const char*, const char*, const char*) override { return false; }
    std::uint32_t GetModuleFileNameA(char* buffer, std::uint32_t bufferSize) override {
        if (bufferSize > 0) buffer[0] = '\0';
        return 0;
    }
    void Sleep(std::uint32_t) override {}
};

// A seam whose program path is chosen by the test, handed out as Windows
// does: cut to bufferSize - 1 characters with bufferSize returned.
class ModulePathPlatform : public FailingPlatform {
public:
    explicit ModulePathPlatform(std::string modulePath) : modulePath(std::move(modulePath)) {}
    std::uint32_t GetModuleFileNameA(char* buffer, std::uint32_t bufferSize) override {
        if (bufferSize == 0) return 0;
        std::size_t count = modulePath.size() < bufferSize ? modulePath.size() : bufferSize - 1;
        std::memcpy(buffer, modulePath.data(), count);
        buffer[count] = '\0';
        return modulePath.size() < bufferSize ? static_cast<std::uint32_t>(count) : bufferSize;
    }

private:
    std::string modulePath;
};

}  // namespace talven::test
