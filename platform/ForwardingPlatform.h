// A seam that hands every call to another one: the base of a seam that
// changes only some calls (the simulated station keeps its drives and its
// clock and hands the rest to the real machine; test wrappers watch or
// change the calls a test is about).
#pragma once

#include "platform/Platform.h"

namespace talven {

class ForwardingPlatform : public Platform {
public:
    explicit ForwardingPlatform(Platform& inner) : inner(inner) {}

    std::uint32_t GetLogicalDrives() override { return inner.GetLogicalDrives(); }
    std::uint32_t GetDriveTypeA(const char* rootPath) override { return inner.GetDriveTypeA(rootPath); }
    bool GetDiskFreeSpaceA(const char* rootPath, DiskFreeSpace& space) override {
        return inner.GetDiskFreeSpaceA(rootPath, space);
    }
    Handle CreateFileA(const char* path, std::uint32_t desiredAccess, std::uint32_t shareMode,
                       std::uint32_t creationDisposition, std::uint32_t flagsAndAttributes) override {
        return inner.CreateFileA(path, desiredAccess, shareMode, creationDisposition, flagsAndAttributes);
    }
    bool DeviceIoControl(Handle device, std::uint32_t ioControlCode, void* inBuffer, std::uint32_t inBufferSize,
                         void* outBuffer, std::uint32_t outBufferSize, std::uint32_t* bytesReturned) override {
        return inner.DeviceIoControl(device, ioControlCode, inBuffer, inBufferSize, outBuffer, outBufferSize,
                                     bytesReturned);
    }
    bool CloseHandle(Handle handle) override { return inner.CloseHandle(handle); }
    Handle FileCreate(const char* path) override { return inner.FileCreate(path); }
    Handle FileOpen(const char* path) override { return inner.FileOpen(path); }
    FileTransfer FileWrite(Handle file, const void* data, std::uint32_t size) override {
        return inner.FileWrite(file, data, size);
    }
    FileTransfer FileRead(Handle file, void* data, std::uint32_t size) override {
        return inner.FileRead(file, data, size);
    }
    bool FileFlush(Handle file) override { return inner.FileFlush(file); }
    void FileClose(Handle file) override { inner.FileClose(file); }
    bool FileDelete(const char* path) override { return inner.FileDelete(path); }
    bool FileFind(const char* path) override { return inner.FileFind(path); }
    std::uint32_t GetPrivateProfileStringA(const char* section, const char* key, const char* defaultText,
                                           char* buffer, std::uint32_t bufferSize, const char* path) override {
        return inner.GetPrivateProfileStringA(section, key, defaultText, buffer, bufferSize, path);
    }
    std::uint32_t GetPrivateProfileIntA(const char* section, const char* key, int defaultValue,
                                        const char* path) override {
        return inner.GetPrivateProfileIntA(section, key, defaultValue, path);
    }
    bool WritePrivateProfileStringA(const char* section, const char* key, const char* value,
                                    const char* path) override {
        return inner.WritePrivateProfileStringA(section, key, value, path);
    }
    std::uint32_t GetModuleFileNameA(char* buffer, std::uint32_t bufferSize) override {
        return inner.GetModuleFileNameA(buffer, bufferSize);
    }
    void Sleep(std::uint32_t milliseconds) override { inner.Sleep(milliseconds); }
    std::uint64_t QueryPerformanceCounter() override { return inner.QueryPerformanceCounter(); }
    std::uint64_t QueryPerformanceFrequency() override { return inner.QueryPerformanceFrequency(); }
    std::uint64_t GetTickCount64() override { return inner.GetTickCount64(); }
    void GetLocalTime(LocalTime& time) override { inner.GetLocalTime(time); }
    std::uint32_t GetComputerNameA(char* buffer, std::uint32_t bufferSize) override {
        return inner.GetComputerNameA(buffer, bufferSize);
    }
    FileResult CreateDirectoryA(const char* path) override { return inner.CreateDirectoryA(path); }
    FileResult FileAppend(const char* path, const void* data, std::uint32_t size) override {
        return inner.FileAppend(path, data, size);
    }
    FileEnd FileReadEnd(const char* path, char* buffer, std::uint32_t size) override {
        return inner.FileReadEnd(path, buffer, size);
    }
    FileResult FileWriteWhole(const char* path, const void* data, std::uint32_t size) override {
        return inner.FileWriteWhole(path, data, size);
    }
    FileResult MoveFileExA(const char* from, const char* to) override { return inner.MoveFileExA(from, to); }
    FileResult FileTruncate(const char* path, std::uint64_t size) override { return inner.FileTruncate(path, size); }
    FileResult FindFiles(const char* folder, std::vector<FoundFile>& files) override {
        return inner.FindFiles(folder, files);
    }
    FileResult FileHold(const char* path, Handle& held) override { return inner.FileHold(path, held); }
    void FileRelease(Handle held) override { inner.FileRelease(held); }
    FileEnd FileReadAt(const char* path, std::uint64_t offset, char* buffer, std::uint32_t size) override {
        return inner.FileReadAt(path, offset, buffer, size);
    }

protected:
    Platform& inner;
};

}  // namespace talven
