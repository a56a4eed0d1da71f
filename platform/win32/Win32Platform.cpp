#include "platform/win32/Win32Platform.h"

#include <windows.h>

namespace talven {

namespace {

HANDLE ToWin32(Handle handle) { return reinterpret_cast<HANDLE>(handle); }
Handle FromWin32(HANDLE handle) { return reinterpret_cast<Handle>(handle); }

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

}  // namespace talven
