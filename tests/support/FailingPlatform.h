// A seam whose every call fails or finds nothing: the base of test doubles
// that override only the calls a test is about.
#pragma once

#include "platform/Platform.h"

namespace talven::test {

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
    // A clock that never moves: no phase is seen to take time.
    std::uint64_t QueryPerformanceCounter() override { return 0; }
    std::uint64_t QueryPerformanceFrequency() override { return 1000000; }
    std::uint64_t GetTickCount64() override { return 0; }
    void GetLocalTime(LocalTime& time) override { time = {}; }
    std::uint32_t GetComputerNameA(char* buffer, std::uint32_t bufferSize) override {
        if (bufferSize > 0) buffer[0] = '\0';
        return 0;
    }
    FileResult CreateDirectoryA(const char*) override { return FileResult::Failed; }
    FileResult FileAppend(const char*, const void*, std::uint32_t) override { return FileResult::Failed; }
    FileEnd FileReadEnd(const char*, char*, std::uint32_t) override { return {}; }
    FileResult FileWriteWhole(const char*, const void*, std::uint32_t) override { return FileResult::Failed; }
    FileResult MoveFileExA(const char*, const char*) override { return FileResult::Failed; }
    FileResult FileTruncate(const char*, std::uint64_t) override { return FileResult::Failed; }
    FileResult FindFiles(const char*, std::vector<FoundFile>&) override { return FileResult::Failed; }
    FileResult FileHold(const char*, Handle&) override { return FileResult::Failed; }
    void FileRelease(Handle) override {}
    FileEnd FileReadAt(const char*, std::uint64_t, char*, std::uint32_t) override { return {}; }
};

}  // namespace talven::test
