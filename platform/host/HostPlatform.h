// The operating-system seam of the native build: files through POSIX, the
// settings through our own private-profile reader and writer. The host has
// no reader volumes; drive letters are what the caller maps onto folders.
#pragma once

#include <map>
#include <string>

#include "platform/Platform.h"

namespace talven {

class HostPlatform final : public Platform {
public:
    // `driveMask` is what GetLogicalDrives reports; drives in it are fixed
    // disks whose root is the folder named by the root path.
    explicit HostPlatform(std::uint32_t driveMask = 0) : driveMask(driveMask) {}
    ~HostPlatform() override;
    HostPlatform(const HostPlatform&) = delete;
    HostPlatform& operator=(const HostPlatform&) = delete;

    // Serves drive `letter` from a host folder, as a removable card would be:
    // "E:\test0.bin" is test0.bin in the folder. A card of `capacityBytes`:
    // the free space reported is the folder's filesystem's, at most the
    // capacity less what the folder's files take in whole blocks; without a
    // capacity, the filesystem's (a mounted card). False for a letter that is
    // not A to Z or a folder that does not exist.
    static constexpr unsigned long long kWholeFilesystem = ~0ull;
    bool MapDrive(char letter, const std::string& folder, unsigned long long capacityBytes = kWholeFilesystem);
    // Test files through the page cache, written out and dropped around
    // every use, as on filesystems that refuse O_DIRECT.
    void ForceCachedFiles(bool forced) { forceCached = forced; }

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
    // Another process holds a file the way Windows' share modes would when
    // it has an flock of it.
    FileResult FileAppend(const char* path, const void* data, std::uint32_t size) override;
    FileEnd FileReadEnd(const char* path, char* buffer, std::uint32_t size) override;
    FileResult FileWriteWhole(const char* path, const void* data, std::uint32_t size) override;
    FileResult MoveFileExA(const char* from, const char* to) override;
    FileResult FileTruncate(const char* path, std::uint64_t size) override;
    FileResult FindFiles(const char* folder, std::vector<FoundFile>& files) override;
    FileResult FileHold(const char* path, Handle& held) override;
    void FileRelease(Handle held) override;
    FileEnd FileReadAt(const char* path, std::uint64_t offset, char* buffer, std::uint32_t size) override;

private:
    struct MappedDrive {
        std::string folder;
        unsigned long long capacityBytes = 0;
    };
    struct OpenFile {
        bool direct = false;   // opened with O_DIRECT
        bool written = false;  // opened for writing
    };

    const MappedDrive* FindDrive(const char* path) const;
    // The host path of a path on a mapped drive, empty for another drive;
    // paths without a drive letter are host paths.
    std::string HostPath(const char* path) const;
    Handle OpenTestFile(const char* path, int flags, bool written);

    std::uint32_t driveMask;
    std::map<char, MappedDrive> drives;
    std::map<int, OpenFile> openFiles;
    bool forceCached = false;
};

}  // namespace talven
