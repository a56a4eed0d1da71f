#include "platform/win32/Win32Platform.h"

#include <windows.h>

#include <string>

namespace talven {

namespace {

HANDLE ToWin32(Handle handle) { return reinterpret_cast<HANDLE>(handle); }
Handle FromWin32(HANDLE handle) { return reinterpret_cast<Handle>(handle); }

FileResult FromLastError() {
    switch (::GetLastError()) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_BAD_NETPATH:
        case ERROR_BAD_NET_NAME: return FileResult::Missing;
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION: return FileResult::InUse;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL: return FileResult::DiskFull;
        case ERROR_ACCESS_DENIED:
        case ERROR_WRITE_PROTECT: return FileResult::Denied;
        case ERROR_DIRECTORY: return FileResult::NotAFolder;
        default: return FileResult::Failed;
    }
}

std::uint64_t Ticks(const SYSTEMTIME& time) {
    FILETIME file{};
    ::SystemTimeToFileTime(&time, &file);
    return std::uint64_t{file.dwHighDateTime} << 32 | file.dwLowDateTime;
}

// Closes a handle of the record's file on every path.
class FileHandle {
public:
    explicit FileHandle(HANDLE handle) : handle(handle) {}
    ~FileHandle() {
        if (handle != INVALID_HANDLE_VALUE) ::CloseHandle(handle);
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    HANDLE Get() const { return handle; }
    bool IsOpen() const { return handle != INVALID_HANDLE_VALUE; }

private:
    HANDLE handle;
};

// `data` written to the file opened as asked, on the disk before it returns.
FileResult WriteFlushed(const char* path, DWORD access, DWORD share, DWORD disposition, const void* data,
                        std::uint32_t size) {
    FileHandle file(::CreateFileA(path, access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsOpen()) return FromLastError();
    DWORD written = 0;
    if (!::WriteFile(file.Get(), data, size, &written, nullptr)) return FromLastError();
    if (written != size) return FileResult::DiskFull;
    return ::FlushFileBuffers(file.Get()) ? FileResult::Done : FromLastError();
}

}  // namespace

std::uint32_t Win32Platform::GetLogicalDrives() { return ::GetLogicalDrives(); }

std::uint32_t Win32Platform::GetDriveTypeA(const char* rootPath) { return ::GetDriveTypeA(rootPath); }

bool Win32Platform::GetDiskFreeSpaceA(const char* rootPath, DiskFreeSpace& space) {
    DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, totalClusters = 0;
    if (!::GetDiskFreeSpaceA(rootPath, &sectorsPerCluster, &bytesPerSector, &freeClusters, &totalClusters)) {
        return false;
    }
    space = {sectorsPerCluster, bytesPerSector, freeClusters, totalClusters};
    return true;
}

Handle Win32Platform::CreateFileA(const char* path, std::uint32_t desiredAccess, std::uint32_t shareMode,
                                  std::uint32_t creationDisposition, std::uint32_t flagsAndAttributes) {
    return FromWin32(
        ::CreateFileA(path, desiredAccess, shareMode, nullptr, creationDisposition, flagsAndAttributes, nullptr));
}

bool Win32Platform::DeviceIoControl(Handle device, std::uint32_t ioControlCode, void* inBuffer,
                                    std::uint32_t inBufferSize, void* outBuffer, std::uint32_t outBufferSize,
                                    std::uint32_t* bytesReturned) {
    DWORD returned = 0;
    BOOL ok = ::DeviceIoControl(ToWin32(device), ioControlCode, inBuffer, inBufferSize, outBuffer, outBufferSize,
                                &returned, nullptr);
    if (bytesReturned != nullptr) *bytesReturned = returned;
    return ok != FALSE;
}

bool Win32Platform::CloseHandle(Handle handle) { return ::CloseHandle(ToWin32(handle)) != FALSE; }

// Test files bypass the cache, so a read-back compares what the card holds.
Handle Win32Platform::FileCreate(const char* path) {
    return FromWin32(::CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL | FILE_FLAG_NO_BUFFERING | FILE_FLAG_WRITE_THROUGH,
                                   nullptr));
}

Handle Win32Platform::FileOpen(const char* path) {
    return FromWin32(::CreateFileA(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL | FILE_FLAG_NO_BUFFERING | FILE_FLAG_WRITE_THROUGH,
                                   nullptr));
}

FileTransfer Win32Platform::FileWrite(Handle file, const void* data, std::uint32_t size) {
    DWORD written = 0;
    BOOL ok = ::WriteFile(ToWin32(file), data, size, &written, nullptr);
    // A short write is the medium refusing: the card is full or gone.
    return {ok == FALSE || written != size, written};
}

FileTransfer Win32Platform::FileRead(Handle file, void* data, std::uint32_t size) {
    DWORD read = 0;
    BOOL ok = ::ReadFile(ToWin32(file), data, size, &read, nullptr);
    return {ok == FALSE, read};
}

bool Win32Platform::FileFlush(Handle file) { return ::FlushFileBuffers(ToWin32(file)) != FALSE; }

void Win32Platform::FileClose(Handle file) {
    if (file != kInvalidHandle) ::CloseHandle(ToWin32(file));
}

bool Win32Platform::FileDelete(const char* path) { return ::DeleteFileA(path) != FALSE; }

bool Win32Platform::FileFind(const char* path) {
    WIN32_FIND_DATAA found;
    HANDLE search = ::FindFirstFileA(path, &found);
    if (search == INVALID_HANDLE_VALUE) return false;
    ::FindClose(search);
    return true;
}

std::uint32_t Win32Platform::GetPrivateProfileStringA(const char* section, const char* key, const char* defaultText,
                                                      char* buffer, std::uint32_t bufferSize, const char* path) {
    return ::GetPrivateProfileStringA(section, key, defaultText, buffer, bufferSize, path);
}

std::uint32_t Win32Platform::GetPrivateProfileIntA(const char* section, const char* key, int defaultValue,
                                                   const char* path) {
    return ::GetPrivateProfileIntA(section, key, defaultValue, path);
}

bool Win32Platform::WritePrivateProfileStringA(const char* section, const char* key, const char* value,
                                               const char* path) {
    return ::WritePrivateProfileStringA(section, key, value, path) != FALSE;
}

std::uint32_t Win32Platform::GetModuleFileNameA(char* buffer, std::uint32_t bufferSize) {
    return ::GetModuleFileNameA(nullptr, buffer, bufferSize);
}

void Win32Platform::Sleep(std::uint32_t milliseconds) { ::Sleep(milliseconds); }

std::uint64_t Win32Platform::QueryPerformanceCounter() {
    LARGE_INTEGER count{};
    ::QueryPerformanceCounter(&count);
    return static_cast<std::uint64_t>(count.QuadPart);
}

// Windows XP and later never fail these calls.
std::uint64_t Win32Platform::QueryPerformanceFrequency() {
    LARGE_INTEGER frequency{};
    ::QueryPerformanceFrequency(&frequency);
    return static_cast<std::uint64_t>(frequency.QuadPart);
}

std::uint64_t Win32Platform::GetTickCount64() { return ::GetTickCount64(); }

void Win32Platform::GetLocalTime(LocalTime& time) {
    SYSTEMTIME utc{};
    SYSTEMTIME local{};
    ::GetSystemTime(&utc);
    if (!::SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local)) local = utc;
    // File times count 100 ns; the offset is whole minutes.
    const auto difference = static_cast<std::int64_t>(Ticks(local) - Ticks(utc));
    time = {local.wYear,   local.wMonth,  local.wDay,
            local.wHour,   local.wMinute, local.wSecond,
            static_cast<std::int16_t>(difference / 600000000)};
}

std::uint32_t Win32Platform::GetComputerNameA(char* buffer, std::uint32_t bufferSize) {
    DWORD size = bufferSize;
    if (bufferSize == 0 || !::GetComputerNameA(buffer, &size)) return 0;
    return size;
}

FileResult Win32Platform::CreateDirectoryA(const char* path) {
    if (::CreateDirectoryA(path, nullptr)) return FileResult::Done;
    if (::GetLastError() != ERROR_ALREADY_EXISTS) return FromLastError();
    const DWORD attributes = ::GetFileAttributesA(path);
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? FileResult::Done : FileResult::NotAFolder;
}

FileResult Win32Platform::FileAppend(const char* path, const void* data, std::uint32_t size) {
    // Append access alone: every write lands at the end, whoever else appends.
    return WriteFlushed(path, FILE_APPEND_DATA, FILE_SHARE_READ, OPEN_ALWAYS, data, size);
}

FileEnd Win32Platform::FileReadEnd(const char* path, char* buffer, std::uint32_t size) {
    FileEnd end;
    FileHandle file(::CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsOpen()) {
        end.result = FromLastError();
        return end;
    }
    LARGE_INTEGER length{};
    if (!::GetFileSizeEx(file.Get(), &length)) {
        end.result = FromLastError();
        return end;
    }
    end.size = static_cast<std::uint64_t>(length.QuadPart);
    const std::uint32_t wanted = end.size < size ? static_cast<std::uint32_t>(end.size) : size;
    LARGE_INTEGER from{};
    from.QuadPart = static_cast<LONGLONG>(end.size - wanted);
    DWORD read = 0;
    if (!::SetFilePointerEx(file.Get(), from, nullptr, FILE_BEGIN) ||
        !::ReadFile(file.Get(), buffer, wanted, &read, nullptr)) {
        end.result = FromLastError();
        return end;
    }
    end.bytes = read;
    end.result = FileResult::Done;
    return end;
}

FileResult Win32Platform::FileTruncate(const char* path, std::uint64_t size) {
    FileHandle file(::CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsOpen()) return FromLastError();
    LARGE_INTEGER length{};
    if (!::GetFileSizeEx(file.Get(), &length)) return FromLastError();
    if (static_cast<std::uint64_t>(length.QuadPart) <= size) return FileResult::Done;
    LARGE_INTEGER end{};
    end.QuadPart = static_cast<LONGLONG>(size);
    if (!::SetFilePointerEx(file.Get(), end, nullptr, FILE_BEGIN) || !::SetEndOfFile(file.Get()))
        return FromLastError();
    return ::FlushFileBuffers(file.Get()) ? FileResult::Done : FromLastError();
}

}  // namespace talven

namespace talven {

FileResult Win32Platform::FileWriteWhole(const char* path, const void* data, std::uint32_t size) {
    return WriteFlushed(path, GENERIC_WRITE, 0, CREATE_ALWAYS, data, size);
}

FileResult Win32Platform::FindFiles(const char* folder, std::vector<FoundFile>& files) {
    files.clear();
    WIN32_FIND_DATAA found{};
    const HANDLE search = ::FindFirstFileA((std::string(folder) + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_FILE_NOT_FOUND) return FileResult::Done;
        // A file where the folder should be says so, as the host's listing does.
        const DWORD attributes = ::GetFileAttributesA(folder);
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
            return FileResult::NotAFolder;
        ::SetLastError(error);
        return FromLastError();
    }
    do {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
            files.push_back({found.cFileName, std::uint64_t{found.nFileSizeHigh} << 32 | found.nFileSizeLow});
    } while (::FindNextFileA(search, &found));
    const bool whole = ::GetLastError() == ERROR_NO_MORE_FILES;
    const FileResult result = whole ? FileResult::Done : FromLastError();
    ::FindClose(search);
    return result;
}

FileResult Win32Platform::FileHold(const char* path, Handle& held) {
    const HANDLE file = ::CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    held = FromWin32(file);
    return file == INVALID_HANDLE_VALUE ? FromLastError() : FileResult::Done;
}

void Win32Platform::FileRelease(Handle held) { ::CloseHandle(ToWin32(held)); }

FileResult Win32Platform::MoveFileExA(const char* from, const char* to) {
    if (::MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return FileResult::Done;
    return FromLastError();
}

FileEnd Win32Platform::FileReadAt(const char* path, std::uint64_t offset, char* buffer, std::uint32_t size) {
    FileEnd end;
    FileHandle file(::CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    LARGE_INTEGER length{};
    if (!file.IsOpen() || !::GetFileSizeEx(file.Get(), &length)) {
        end.result = FromLastError();
        return end;
    }
    end.size = static_cast<std::uint64_t>(length.QuadPart);
    end.result = FileResult::Done;
    if (offset >= end.size) return end;
    LARGE_INTEGER from{};
    from.QuadPart = static_cast<LONGLONG>(offset);
    DWORD read = 0;
    if (!::SetFilePointerEx(file.Get(), from, nullptr, FILE_BEGIN) ||
        !::ReadFile(file.Get(), buffer, size, &read, nullptr)) {
        end.result = FromLastError();
        return end;
    }
    end.bytes = read;
    return end;
}

}  // namespace talven
