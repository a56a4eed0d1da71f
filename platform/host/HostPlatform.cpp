#include "platform/host/HostPlatform.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>

#include "platform/profile/ProfileFile.h"

namespace talven {

namespace {

Handle FromDescriptor(int descriptor) {
    return descriptor < 0 ? kInvalidHandle : static_cast<Handle>(descriptor);
}

int ToDescriptor(Handle handle) { return handle == kInvalidHandle ? -1 : static_cast<int>(handle); }

// Test files go to the medium, not the page cache. Not every filesystem
// takes O_DIRECT (tmpfs refuses it), so fall back to synchronous writes.
int OpenUncached(const char* path, int flags, mode_t mode = 0) {
#ifdef O_DIRECT
    int descriptor = ::open(path, flags | O_DIRECT, mode);
    if (descriptor >= 0 || errno != EINVAL) return descriptor;
#endif
    return ::open(path, flags, mode);
}

std::uint32_t Clamp(unsigned long long value) {
    return value > 0xFFFFFFFFull ? 0xFFFFFFFFu : static_cast<std::uint32_t>(value);
}

bool InMask(std::uint32_t mask, const char* rootPath) {
    if (rootPath == nullptr) return false;
    char letter = rootPath[0];
    if (letter >= 'a' && letter <= 'z') letter = static_cast<char>(letter - 'a' + 'A');
    return letter >= 'A' && letter <= 'Z' && rootPath[1] == ':' && (mask >> (letter - 'A') & 1u) != 0;
}

}  // namespace

std::uint32_t HostPlatform::GetDriveTypeA(const char* rootPath) {
    return InMask(driveMask, rootPath) ? kDriveFixed : kDriveNoRootDir;
}

bool HostPlatform::GetDiskFreeSpaceA(const char* rootPath, DiskFreeSpace& space) {
    struct statvfs info;
    if (rootPath == nullptr || ::statvfs(rootPath, &info) != 0) return false;
    // Reported as clusters of one block, like a volume of that block size.
    unsigned long blockSize = info.f_frsize != 0 ? info.f_frsize : info.f_bsize;
    space.sectorsPerCluster = 1;
    space.bytesPerSector = Clamp(blockSize);
    space.freeClusters = Clamp(info.f_bavail);
    space.totalClusters = Clamp(info.f_blocks);
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

Handle HostPlatform::FileCreate(const char* path) {
    return FromDescriptor(OpenUncached(path, O_WRONLY | O_CREAT | O_TRUNC | O_SYNC | O_CLOEXEC, 0644));
}

Handle HostPlatform::FileOpen(const char* path) {
    return FromDescriptor(OpenUncached(path, O_RDONLY | O_CLOEXEC));
}

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

bool HostPlatform::FileFlush(Handle file) { return ::fsync(ToDescriptor(file)) == 0; }

void HostPlatform::FileClose(Handle file) {
    if (file != kInvalidHandle) ::close(ToDescriptor(file));
}

bool HostPlatform::FileDelete(const char* path) { return ::unlink(path) == 0; }

bool HostPlatform::FileFind(const char* path) {
    struct stat info;
    return ::stat(path, &info) == 0;
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
