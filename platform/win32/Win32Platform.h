// The shipped path of the operating-system seam: every call goes to Windows.
#pragma once

#include "platform/Platform.h"

namespace talven {

class Win32Platform final : public Platform {
public:
    std::uint32_t GetLogicalDrives() override;
    std::uint32_t GetDriveTypeA(const char* rootPath) override;
    bool GetDiskFreeSpaceA(const char* rootPath, DiskFreeSpace& space) override;
    Handle CreateFileA(const char* path, std::uint32_t desiredAccess, std::uint32_t shareMode,
                       std::uint32_t creationDisposition, std::uint32_t flagsAndAttributes) override;
    bool DeviceIoControl(Handle device, std::uint32_t ioControlCode, void* inBuffer, std::uint32_t inBufferSize,
                         void* outBuffer, std::uint32_t outBufferSize, std::uint32_t* bytesReturned) override;
    bool CloseHandle(Handle handle) override;
    Handle FileCreate(const char* path) override;
    Handle FileOpen(const char* path) override;
    FileTransfer FileWrite(Handle file, const void* data, std::uint32_t size) override;
    FileTransfer FileRead(Handle file, void* data, std::uint32_t size) override;
    bool FileFlush(Handle file) override;
    void FileClose(Handle file) override;
    bool FileDelete(const char* path) override;
    bool FileFind(const char* path) override;
    std::uint32_t GetPrivateProfileStringA(const char* section, const char* key, const char* defaultText,
                                           char* buffer, std::uint32_t bufferSize, const char* path) override;
    std::uint32_t GetPrivateProfileIntA(const char* section, const char* key, int defaultValue,
                                        const char* path) override;
    bool WritePrivateProfileStringA(const char* section, const char* key, const char* value,
                                    const char* path) override;
    std::uint32_t GetModuleFileNameA(char* buffer, std::uint32_t bufferSize) override;
    void Sleep(std::uint32_t milliseconds) override;
    std::uint64_t QueryPerformanceCounter() override;
    std::uint64_t QueryPerformanceFrequency() override;
    std::uint64_t GetTickCount64() override;
    void GetLocalTime(LocalTime& time) override;
    std::uint32_t GetComputerNameA(char* buffer, std::uint32_t bufferSize) override;
    FileResult CreateDirectoryA(const char* path) override;
    FileResult FileAppend(const char* path, const void* data, std::uint32_t size) override;
    FileEnd FileReadEnd(const char* path, char* buffer, std::uint32_t size) override;
    FileResult FileWriteWhole(const char* path, const void* data, std::uint32_t size) override;
    FileResult MoveFileExA(const char* from, const char* to) override;
    FileResult FileTruncate(const char* path, std::uint64_t size) override;
    FileResult FindFiles(const char* folder, std::vector<FoundFile>& files) override;
    FileResult FileHold(const char* path, Handle& held) override;
    void FileRelease(Handle held) override;
    FileEnd FileReadAt(const char* path, std::uint64_t offset, char* buffer, std::uint32_t size) override;
};

}  // namespace talven
