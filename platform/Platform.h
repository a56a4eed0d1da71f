// The operating-system seam. Every call the production runs and the reader make
// to the operating system goes through this interface, named after the Windows
// call it stands for, so that the Win32 build, the host build and the simulated
// station run the same portable code on the same bytes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace talven {

// A platform handle as an integer of pointer width; all bits set means invalid,
// as INVALID_HANDLE_VALUE does on Windows.
using Handle = std::uintptr_t;
inline constexpr Handle kInvalidHandle = ~Handle{0};

// Bits of the GetLogicalDrives mask: bit d is set when drive letter 'A' + d exists.
inline constexpr std::uint32_t kDriveLetters = 32;

// The drive text of drive letter 'A' + `drive`: the letter and ":", no
// backslash ("E:"), the one way a drive is named to the seam and in the list.
inline std::string DriveText(std::uint32_t drive) { return {static_cast<char>('A' + drive), ':'}; }

// Values of GetDriveTypeA.
enum DriveType : std::uint32_t {
    kDriveUnknown = 0,
    kDriveNoRootDir = 1,
    kDriveRemovable = 2,
    kDriveFixed = 3,
    kDriveRemote = 4,
    kDriveCdrom = 5,
    kDriveRamdisk = 6,
};

// CreateFileA arguments used by the reader and the test files.
inline constexpr std::uint32_t kGenericRead = 0x80000000u;
inline constexpr std::uint32_t kGenericWrite = 0x40000000u;
inline constexpr std::uint32_t kFileShareRead = 1;
inline constexpr std::uint32_t kFileShareWrite = 2;
inline constexpr std::uint32_t kOpenExisting = 3;

// DeviceIoControl codes of the SCSI pass-through interface.
inline constexpr std::uint32_t kIoctlScsiPassThrough = 0x4D004;
inline constexpr std::uint32_t kIoctlScsiPassThroughDirect = 0x4D014;

// Windows' MAX_PATH: a buffer for a path (a volume's device path, the
// program's own path) holds this many characters, its terminating zero included.
inline constexpr std::uint32_t kMaxPath = 260;

struct DiskFreeSpace {
    std::uint32_t sectorsPerCluster = 0;
    std::uint32_t bytesPerSector = 0;
    std::uint32_t freeClusters = 0;
    std::uint32_t totalClusters = 0;
};

// What became of an operation on the verdict record's file or its folder.
enum class FileResult : std::uint8_t {
    Done = 0,
    Missing,     // the file, or a folder on its path, does not exist
    InUse,       // another program holds the file open and shares it not
    DiskFull,
    Denied,      // a read-only medium, folder or file, or no right to write
    NotAFolder,  // the path names a file where a folder was asked for
    Failed,      // anything else
};

// The end of a file as FileReadEnd found it.
struct FileEnd {
    FileResult result = FileResult::Failed;
    std::uint64_t size = 0;   // the whole file's size
    std::uint32_t bytes = 0;  // the last bytes of it placed in the buffer
};

// One file of a folder as FindFiles lists it.
struct FoundFile {
    std::string name;
    std::uint64_t size = 0;
};

// GetLocalTime with the offset from UTC that the time zone has at that moment.
struct LocalTime {
    std::uint16_t year = 0;
    std::uint16_t month = 0;
    std::uint16_t day = 0;
    std::uint16_t hour = 0;
    std::uint16_t minute = 0;
    std::uint16_t second = 0;
    std::int16_t utcOffsetMinutes = 0;
};

// Result of one test-file read or write. `fileError` stands for the
// CFileException that the framework's file class raises on Windows: the
// medium went away or refused the transfer.
struct FileTransfer {
    bool fileError = false;
    std::uint32_t bytes = 0;
};

class Platform {
public:
    virtual ~Platform() = default;

    // Drives and volumes. Paths are the drive text ("E:") or a root ("E:\").
    virtual std::uint32_t GetLogicalDrives() = 0;
    virtual std::uint32_t GetDriveTypeA(const char* rootPath) = 0;
    virtual bool GetDiskFreeSpaceA(const char* rootPath, DiskFreeSpace& space) = 0;

    // Device access: the volume "\\.\E:" and its pass-through requests. The
    // request record is passed as raw bytes exactly as the driver receives it.
    virtual Handle CreateFileA(const char* path, std::uint32_t desiredAccess, std::uint32_t shareMode,
                               std::uint32_t creationDisposition, std::uint32_t flagsAndAttributes) = 0;
    virtual bool DeviceIoControl(Handle device, std::uint32_t ioControlCode, void* inBuffer,
                                 std::uint32_t inBufferSize, void* outBuffer, std::uint32_t outBufferSize,
                                 std::uint32_t* bytesReturned) = 0;
    virtual bool CloseHandle(Handle handle) = 0;

    // Test files. They go to the medium, not to a cache: buffers and sizes
    // handed to FileWrite and FileRead are whole sectors, buffers sector-aligned.
    // FileCreate makes a new file or truncates an existing one, write access,
    // not shared; FileOpen opens for reading only, not shared. Both return
    // kInvalidHandle when the file cannot be had.
    virtual Handle FileCreate(const char* path) = 0;
    virtual Handle FileOpen(const char* path) = 0;
    virtual FileTransfer FileWrite(Handle file, const void* data, std::uint32_t size) = 0;
    virtual FileTransfer FileRead(Handle file, void* data, std::uint32_t size) = 0;
    virtual bool FileFlush(Handle file) = 0;
    virtual void FileClose(Handle file) = 0;
    virtual bool FileDelete(const char* path) = 0;
    // FindFirstFileA followed by FindClose: whether the path names a file.
    virtual bool FileFind(const char* path) = 0;

    // Private-profile (INI) access, with the Windows semantics.
    virtual std::uint32_t GetPrivateProfileStringA(const char* section, const char* key, const char* defaultText,
                                                   char* buffer, std::uint32_t bufferSize, const char* path) = 0;
    virtual std::uint32_t GetPrivateProfileIntA(const char* section, const char* key, int defaultValue,
                                                const char* path) = 0;
    virtual bool WritePrivateProfileStringA(const char* section, const char* key, const char* value,
                                            const char* path) = 0;

    // The program's own executable path; returns the characters stored.
    virtual std::uint32_t GetModuleFileNameA(char* buffer, std::uint32_t bufferSize) = 0;

    virtual void Sleep(std::uint32_t milliseconds) = 0;

    // A counter that never goes back and steps far finer than GetTickCount64
    // (about 15.6 ms on Windows): what the card test times its I/O with.
    // The frequency is its counts per second, fixed while the program runs.
    virtual std::uint64_t QueryPerformanceCounter() = 0;
    virtual std::uint64_t QueryPerformanceFrequency() = 0;

    // ---- The verdict record ----
    // Milliseconds since an arbitrary start that never goes back (GetTickCount64).
    virtual std::uint64_t GetTickCount64() = 0;
    virtual void GetLocalTime(LocalTime& time) = 0;
    // The computer's name; returns the characters stored, 0 when unknown.
    virtual std::uint32_t GetComputerNameA(char* buffer, std::uint32_t bufferSize) = 0;
    // One folder; Done also when it exists already. Its parent must exist.
    virtual FileResult CreateDirectoryA(const char* path) = 0;
    // Appends `size` bytes to the file in one write, creating the file when
    // it is missing, and has them on the disk before it returns. The file is
    // shared for reading only while it is open.
    virtual FileResult FileAppend(const char* path, const void* data, std::uint32_t size) = 0;
    // The last `size` bytes of the file, or all of a shorter one.
    virtual FileEnd FileReadEnd(const char* path, char* buffer, std::uint32_t size) = 0;

    // ---- The station's state file ----
    // Makes the file anew with these `size` bytes and has them on the disk
    // before it returns.
    virtual FileResult FileWriteWhole(const char* path, const void* data, std::uint32_t size) = 0;
    // MoveFileExA with MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH:
    // `to` becomes the file `from` was, in one step, on the disk when it returns.
    virtual FileResult MoveFileExA(const char* from, const char* to) = 0;
    // Cuts the file back to `size` bytes and has that on the disk, so that a
    // short or failed append leaves nothing behind; Done also when the file
    // is no longer than that already.
    virtual FileResult FileTruncate(const char* path, std::uint64_t size) = 0;

    // ---- Serials: the record folder read, the state file held ----
    // The files of `folder` (FindFirstFileA over "folder\\*"), folders left
    // out, in no particular order.
    virtual FileResult FindFiles(const char* folder, std::vector<FoundFile>& files) = 0;
    // Opens `path`, made when missing, shared with nobody until FileRelease:
    // another program's FileHold of it meanwhile is InUse.
    virtual FileResult FileHold(const char* path, Handle& held) = 0;
    virtual void FileRelease(Handle held) = 0;
    // Up to `size` bytes of the file from `offset`, the file shared for
    // reading and writing while open, so that a station may append meanwhile;
    // `bytes` is 0 at or beyond its end (the line report reads piece by piece).
    virtual FileEnd FileReadAt(const char* path, std::uint64_t offset, char* buffer, std::uint32_t size) = 0;
};

// The program's own path, cut to the longest path the buffer Windows is
// given holds.
inline std::string ProgramPath(Platform& platform) {
    char program[kMaxPath] = {};
    const std::uint32_t length = platform.GetModuleFileNameA(program, kMaxPath);
    return std::string(program, length < kMaxPath ? length : kMaxPath - 1);
}

}  // namespace talven
