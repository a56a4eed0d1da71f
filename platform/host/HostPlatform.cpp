#include "platform/host/HostPlatform.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <system_error>

#include "platform/AsciiText.h"
#include "platform/ini/ProfileFile.h"

namespace talven {

namespace {

Handle FromDescriptor(int descriptor) {
    return descriptor < 0 ? kInvalidHandle : static_cast<Handle>(descriptor);
}

int ToDescriptor(Handle handle) { return handle == kInvalidHandle ? -1 : static_cast<int>(handle); }

// Writes out whatever of the file the page cache holds and drops it, so that
// the next read of it goes to the medium.
bool DropCachedPages(int descriptor) {
    bool written = ::sync_file_range(descriptor, 0, 0,
                                     SYNC_FILE_RANGE_WAIT_BEFORE | SYNC_FILE_RANGE_WRITE |
                                         SYNC_FILE_RANGE_WAIT_AFTER) == 0;
    return ::posix_fadvise(descriptor, 0, 0, POSIX_FADV_DONTNEED) == 0 && written;
}

std::uint32_t Clamp(unsigned long long value) {
    return value > 0xFFFFFFFFull ? 0xFFFFFFFFu : static_cast<std::uint32_t>(value);
}

// The drive letter a path starts with ("E:", "E:\", "E:\test0.bin"), or 0.
char DriveLetter(const char* path) {
    if (path == nullptr || path[0] == '\0' || path[1] != ':') return 0;
    char letter = Upper(path[0]);
    return letter >= 'A' && letter <= 'Z' ? letter : 0;
}

// What the files in a folder take of a card, in whole blocks. The test
// files lie in the card's root: the folder's own files are counted.
unsigned long long BlocksUsed(const std::string& folder, unsigned long long blockSize) {
    unsigned long long blocks = 0;
    std::error_code error;
    for (std::filesystem::directory_iterator entry(folder, error), end; !error && entry != end;
         entry.increment(error)) {
        std::error_code sizeError;
        const std::uintmax_t size = entry->is_regular_file(sizeError) ? entry->file_size(sizeError) : 0;
        if (!sizeError) blocks += (size + blockSize - 1) / blockSize;
    }
    return blocks;
}

bool InMask(std::uint32_t mask, const char* rootPath) {
    char letter = DriveLetter(rootPath);
    return letter != 0 && (mask >> (letter - 'A') & 1u) != 0;
}

FileResult FromErrno(int error) {
    switch (error) {
        case ENOENT: return FileResult::Missing;
        case EWOULDBLOCK: return FileResult::InUse;
        case ENOSPC:
        case EDQUOT:
        case EFBIG: return FileResult::DiskFull;
        case EACCES:
        case EPERM:
        case EROFS: return FileResult::Denied;
        case ENOTDIR:
        case EISDIR: return FileResult::NotAFolder;
        default: return FileResult::Failed;
    }
}

// A descriptor of the record's file, locked as Windows' share modes would
// hold it, closed on every path.
class LockedFile {
public:
    LockedFile(const std::string& path, int flags, int lock) {
        descriptor = ::open(path.c_str(), flags | O_CLOEXEC, 0644);
        if (descriptor < 0) {
            error = errno;
        } else if (::flock(descriptor, lock | LOCK_NB) != 0) {
            error = errno;
            ::close(descriptor);
            descriptor = -1;
        }
    }
    ~LockedFile() {
        if (descriptor >= 0) ::close(descriptor);
    }
    LockedFile(const LockedFile&) = delete;
    LockedFile& operator=(const LockedFile&) = delete;
    int Get() const { return descriptor; }
    FileResult Error() const { return FromErrno(error); }

private:
    int descriptor = -1;
    int error = 0;
};

// `data` written to the file opened with `flags`, on the disk before it returns.
FileResult WriteFlushed(const std::string& path, int flags, const void* data, std::uint32_t size) {
    const LockedFile file(path, flags, LOCK_EX);
    if (file.Get() < 0) return file.Error();
    const ssize_t written = ::write(file.Get(), data, size);
    if (written < 0) return FromErrno(errno);
    if (static_cast<std::uint32_t>(written) != size) return FileResult::DiskFull;
    return ::fdatasync(file.Get()) == 0 ? FileResult::Done : FromErrno(errno);
}

// Up to `size` bytes of the file, held shared against writers, from the
// offset `from` gives for the file's size; nothing from its end on.
template <typename From>
FileEnd ReadHeld(const std::string& path, char* buffer, std::uint32_t size, From from) {
    FileEnd end;
    const LockedFile file(path, O_RDONLY, LOCK_SH);
    struct stat info;
    if (file.Get() < 0 || ::fstat(file.Get(), &info) != 0) {
        end.result = file.Get() < 0 ? file.Error() : FromErrno(errno);
        return end;
    }
    end.size = static_cast<std::uint64_t>(info.st_size);
    end.result = FileResult::Done;
    const std::uint64_t offset = from(end.size);
    if (offset >= end.size) return end;
    const ssize_t read = ::pread(file.Get(), buffer, size, static_cast<off_t>(offset));
    if (read < 0) {
        end.result = FromErrno(errno);
        return end;
    }
    end.bytes = static_cast<std::uint32_t>(read);
    return end;
}

}  // namespace

HostPlatform::~HostPlatform() {
    for (const auto& [descriptor, file] : openFiles) ::close(descriptor);
}

bool HostPlatform::MapDrive(char letter, const std::string& folder, unsigned long long capacityBytes) {
    letter = Upper(letter);
    struct stat info;
    if (letter < 'A' || letter > 'Z' || ::stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) return false;
    drives[letter] = {folder, capacityBytes};
    return true;
}

const HostPlatform::MappedDrive* HostPlatform::FindDrive(const char* path) const {
    auto found = drives.find(DriveLetter(path));
    return found == drives.end() ? nullptr : &found->second;
}

std::string HostPlatform::HostPath(const char* path) const {
    if (path == nullptr) return "";
    // A drive that is not mapped has no folder; a host path has no letter.
    if (DriveLetter(path) == 0) return path;
    const MappedDrive* drive = FindDrive(path);
    if (drive == nullptr) return "";
    std::string rest(path + 2);
    rest.erase(0, rest.find_first_not_of("\\/"));
    std::replace(rest.begin(), rest.end(), '\\', '/');
    return rest.empty() ? drive->folder : drive->folder + "/" + rest;
}

std::uint32_t HostPlatform::GetLogicalDrives() {
    std::uint32_t mask = driveMask;
    for (const auto& [letter, drive] : drives) mask |= 1u << (letter - 'A');
    return mask;
}

std::uint32_t HostPlatform::GetDriveTypeA(const char* rootPath) {
    if (FindDrive(rootPath) != nullptr) return kDriveRemovable;
    return InMask(driveMask, rootPath) ? kDriveFixed : kDriveNoRootDir;
}

bool HostPlatform::GetDiskFreeSpaceA(const char* rootPath, DiskFreeSpace& space) {
    struct statvfs info;
    if (rootPath == nullptr || ::statvfs(HostPath(rootPath).c_str(), &info) != 0) return false;
    // Reported as clusters of one block, like a volume of that block size.
    unsigned long long blockSize = info.f_frsize != 0 ? info.f_frsize : info.f_bsize;
    unsigned long long freeBlocks = info.f_bavail;
    unsigned long long totalBlocks = info.f_blocks;
    const MappedDrive* drive = FindDrive(rootPath);
    if (drive != nullptr && drive->capacityBytes != kWholeFilesystem) {
        const unsigned long long capacity = drive->capacityBytes / blockSize;
        const unsigned long long used = BlocksUsed(drive->folder, blockSize);
        freeBlocks = std::min(freeBlocks, used < capacity ? capacity - used : 0);
        totalBlocks = std::min(totalBlocks, capacity);
    }
    space.sectorsPerCluster = 1;
    space.bytesPerSector = Clamp(blockSize);
    space.freeClusters = Clamp(freeBlocks);
    space.totalClusters = Clamp(totalBlocks);
    return true;
}

Handle HostPlatform::CreateFileA(const char*, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t) {
    return kInvalidHandle;
}

bool HostPlatform::DeviceIoControl(Handle, std::uint32_t, void*, std::uint32_t, void*, std::uint32_t,
                                   std::uint32_t* bytesReturned) {
    if (bytesReturned != nullptr) *bytesReturned = 0;
    return false;
}

bool HostPlatform::CloseHandle(Handle) { return false; }

// Test files go to the medium, not the page cache: O_DIRECT, or where the
// filesystem refuses it (tmpfs), the page cache written out and dropped
// around every use.
Handle HostPlatform::OpenTestFile(const char* path, int flags, bool written) {
    const std::string hostPath = HostPath(path);
    int descriptor = -1;
    bool direct = false;
#ifdef O_DIRECT
    if (!forceCached) {
        descriptor = ::open(hostPath.c_str(), flags | O_DIRECT, 0644);
        if (descriptor < 0 && errno != EINVAL) return kInvalidHandle;
        direct = descriptor >= 0;
    }
#endif
    if (descriptor < 0) descriptor = ::open(hostPath.c_str(), flags, 0644);
    if (descriptor < 0) return kInvalidHandle;
    openFiles[descriptor] = {direct, written};
    // Pages of the file that an earlier buffered user left behind.
    if (!written) DropCachedPages(descriptor);
    return FromDescriptor(descriptor);
}

Handle HostPlatform::FileCreate(const char* path) {
    return OpenTestFile(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, true);
}

Handle HostPlatform::FileOpen(const char* path) { return OpenTestFile(path, O_RDONLY | O_CLOEXEC, false); }

FileTransfer HostPlatform::FileWrite(Handle file, const void* data, std::uint32_t size) {
    FileTransfer transfer;
    const char* from = static_cast<const char*>(data);
    while (transfer.bytes < size) {
        ssize_t written = ::write(ToDescriptor(file), from + transfer.bytes, size - transfer.bytes);
        if (written < 0 && errno == EINTR) continue;
        // A refused or short write is the medium full or gone.
        if (written <= 0) {
            transfer.fileError = true;
            break;
        }
        transfer.bytes += static_cast<std::uint32_t>(written);
    }
    return transfer;
}

FileTransfer HostPlatform::FileRead(Handle file, void* data, std::uint32_t size) {
    FileTransfer transfer;
    char* to = static_cast<char*>(data);
    while (transfer.bytes < size) {
        ssize_t got = ::read(ToDescriptor(file), to + transfer.bytes, size - transfer.bytes);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            transfer.fileError = true;
            break;
        }
        if (got == 0) break;  // end of file: a short read, not an error
        transfer.bytes += static_cast<std::uint32_t>(got);
    }
    return transfer;
}

// Direct writes are on the device when they return; a flush then only
// catches pages a filesystem may have routed through the cache. Syncing the
// data to stable storage as well would not change where a read-back comes
// from, and per test file it would cost most of the card's write speed.
bool HostPlatform::FileFlush(Handle file) {
    const int descriptor = ToDescriptor(file);
    auto found = openFiles.find(descriptor);
    if (found == openFiles.end()) return false;
    if (!found->second.direct && ::fdatasync(descriptor) != 0) return false;
    return DropCachedPages(descriptor);
}

void HostPlatform::FileClose(Handle file) {
    const int descriptor = ToDescriptor(file);
    auto found = openFiles.find(descriptor);
    if (found == openFiles.end()) return;
    if (found->second.written && !found->second.direct) {
        ::fdatasync(descriptor);
        DropCachedPages(descriptor);
    }
    openFiles.erase(found);
    ::close(descriptor);
}

bool HostPlatform::FileDelete(const char* path) { return ::unlink(HostPath(path).c_str()) == 0; }

bool HostPlatform::FileFind(const char* path) {
    struct stat info;
    return ::stat(HostPath(path).c_str(), &info) == 0;
}

std::uint32_t HostPlatform::GetPrivateProfileStringA(const char* section, const char* key, const char* defaultText,
                                                     char* buffer, std::uint32_t bufferSize, const char* path) {
    if (path == nullptr) return ProfileFile("").GetString(section, key, defaultText, buffer, bufferSize);
    return ProfileFile(path).GetString(section, key, defaultText, buffer, bufferSize);
}

std::uint32_t HostPlatform::GetPrivateProfileIntA(const char* section, const char* key, int defaultValue,
                                                  const char* path) {
    return ProfileFile(path != nullptr ? path : "").GetInt(section, key, defaultValue);
}

bool HostPlatform::WritePrivateProfileStringA(const char* section, const char* key, const char* value,
                                              const char* path) {
    return path != nullptr && ProfileFile(path).WriteString(section, key, value);
}

std::uint32_t HostPlatform::GetModuleFileNameA(char* buffer, std::uint32_t bufferSize) {
    if (buffer == nullptr || bufferSize == 0) return 0;
    char full[4096];
    ssize_t length = ::readlink("/proc/self/exe", full, sizeof full);
    if (length < 0 || static_cast<std::size_t>(length) >= sizeof full) {
        buffer[0] = '\0';
        return 0;
    }
    // As Windows does: a path that does not fit is cut to bufferSize - 1
    // characters and the full buffer size is returned.
    if (static_cast<std::uint32_t>(length) >= bufferSize) {
        std::memcpy(buffer, full, bufferSize - 1);
        buffer[bufferSize - 1] = '\0';
        return bufferSize;
    }
    std::memcpy(buffer, full, static_cast<std::size_t>(length));
    buffer[length] = '\0';
    return static_cast<std::uint32_t>(length);
}

void HostPlatform::Sleep(std::uint32_t milliseconds) {
    timespec wait{static_cast<time_t>(milliseconds / 1000), static_cast<long>(milliseconds % 1000) * 1000000L};
    while (::nanosleep(&wait, &wait) != 0 && errno == EINTR) {
    }
}

}  // namespace talven

namespace talven {

// Nanoseconds of the monotonic clock.
std::uint64_t HostPlatform::QueryPerformanceCounter() {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::uint64_t>(now.tv_sec) * 1000000000u + static_cast<std::uint64_t>(now.tv_nsec);
}

std::uint64_t HostPlatform::QueryPerformanceFrequency() { return 1000000000u; }

std::uint64_t HostPlatform::GetTickCount64() {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::uint64_t>(now.tv_sec) * 1000 + static_cast<std::uint64_t>(now.tv_nsec / 1000000);
}

void HostPlatform::GetLocalTime(LocalTime& time) {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    time = {static_cast<std::uint16_t>(local.tm_year + 1900), static_cast<std::uint16_t>(local.tm_mon + 1),
            static_cast<std::uint16_t>(local.tm_mday),        static_cast<std::uint16_t>(local.tm_hour),
            static_cast<std::uint16_t>(local.tm_min),         static_cast<std::uint16_t>(local.tm_sec),
            static_cast<std::int16_t>(local.tm_gmtoff / 60)};
}

std::uint32_t HostPlatform::GetComputerNameA(char* buffer, std::uint32_t bufferSize) {
    if (bufferSize == 0 || ::gethostname(buffer, bufferSize) != 0) return 0;
    buffer[bufferSize - 1] = '\0';
    return static_cast<std::uint32_t>(std::strlen(buffer));
}

FileResult HostPlatform::CreateDirectoryA(const char* path) {
    const std::string hostPath = HostPath(path);
    if (::mkdir(hostPath.c_str(), 0755) == 0) return FileResult::Done;
    if (errno != EEXIST) return FromErrno(errno);
    struct stat info;
    return ::stat(hostPath.c_str(), &info) == 0 && S_ISDIR(info.st_mode) ? FileResult::Done : FileResult::NotAFolder;
}

FileResult HostPlatform::FileAppend(const char* path, const void* data, std::uint32_t size) {
    return WriteFlushed(HostPath(path), O_WRONLY | O_APPEND | O_CREAT, data, size);
}

FileEnd HostPlatform::FileReadEnd(const char* path, char* buffer, std::uint32_t size) {
    return ReadHeld(HostPath(path), buffer, size,
                    [size](std::uint64_t fileSize) { return fileSize < size ? 0 : fileSize - size; });
}

FileResult HostPlatform::FileTruncate(const char* path, std::uint64_t size) {
    const LockedFile file(HostPath(path), O_WRONLY, LOCK_EX);
    struct stat info;
    if (file.Get() < 0) return file.Error();
    if (::fstat(file.Get(), &info) != 0) return FromErrno(errno);
    if (static_cast<std::uint64_t>(info.st_size) <= size) return FileResult::Done;
    if (::ftruncate(file.Get(), static_cast<off_t>(size)) != 0) return FromErrno(errno);
    return ::fdatasync(file.Get()) == 0 ? FileResult::Done : FromErrno(errno);
}

}  // namespace talven

namespace talven {

FileResult HostPlatform::FileWriteWhole(const char* path, const void* data, std::uint32_t size) {
    return WriteFlushed(HostPath(path), O_WRONLY | O_CREAT | O_TRUNC, data, size);
}

FileResult HostPlatform::FindFiles(const char* folder, std::vector<FoundFile>& files) {
    files.clear();
    std::error_code error;
    std::filesystem::directory_iterator entries(HostPath(folder), error);
    if (error) return FromErrno(error.value());
    for (const auto& entry : entries) {
        std::error_code ignored;
        if (entry.is_regular_file(ignored))
            files.push_back({entry.path().filename().string(), entry.file_size(ignored)});
    }
    return FileResult::Done;
}

// flock: a second descriptor of the file, in this process or another, waits.
FileResult HostPlatform::FileHold(const char* path, Handle& held) {
    held = kInvalidHandle;
    const int descriptor = ::open(HostPath(path).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (descriptor < 0) return FromErrno(errno);
    if (::flock(descriptor, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(descriptor);
        return FromErrno(error);
    }
    held = FromDescriptor(descriptor);
    return FileResult::Done;
}

void HostPlatform::FileRelease(Handle held) {
    if (held != kInvalidHandle) ::close(ToDescriptor(held));
}

FileResult HostPlatform::MoveFileExA(const char* from, const char* to) {
    const std::string target = HostPath(to);
    {
        // Windows replaces no file that another program holds open.
        const LockedFile held(target, O_RDONLY, LOCK_EX);
        if (held.Get() < 0 && held.Error() == FileResult::InUse) return FileResult::InUse;
    }
    if (::rename(HostPath(from).c_str(), target.c_str()) != 0) return FromErrno(errno);
    // The new name is on the disk once its folder is.
    const std::size_t slash = target.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : target.substr(0, slash);
    const int descriptor = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor < 0) return FromErrno(errno);
    const bool synced = ::fsync(descriptor) == 0;
    const int error = errno;
    ::close(descriptor);
    return synced ? FileResult::Done : FromErrno(error);
}

FileEnd HostPlatform::FileReadAt(const char* path, std::uint64_t offset, char* buffer, std::uint32_t size) {
    return ReadHeld(HostPath(path), buffer, size, [offset](std::uint64_t) { return offset; });
}

}  // namespace talven
