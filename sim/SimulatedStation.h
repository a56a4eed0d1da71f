// A station of simulated drives, VX5308 readers and cards behind the platform
// interface. This file keeps the drives and the clock, with its (scaled)
// sleeps; every call it does not take on goes to the outer platform as it
// is: the settings file's private-profile calls, the program's path, and the
// files of the verdict record and the station state, on the real disk. The pass-through checks are in
// SimulatedStationPassThrough.cpp, the handles and card files in
// SimulatedStationFiles.cpp, a reader's controller in SimulatedController.
// Handles of files outside the cards are the outer platform's, kept behind
// handles of our own.
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/ForwardingPlatform.h"
#include "sim/CardVolume.h"
#include "sim/SimulatedController.h"
#include "sim/StationConfig.h"
#include "sim/StationLog.h"

namespace talven {

// The adapter's largest data phase; a request for more fails, as it does at
// a driver whose adapter cannot carry it.
inline constexpr std::uint32_t kSimMaxTransferLength = 64u << 10;
// The largest buffered device control the simulated driver takes on.
inline constexpr std::uint32_t kSimMaxSystemBuffer = 1u << 20;

class SimulatedStation final : public ForwardingPlatform {
public:
    SimulatedStation(Platform& outer, StationConfig config);

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
    // Advances the simulated clock by `milliseconds` and sleeps that time
    // times the time scale on the outer platform.
    void Sleep(std::uint32_t milliseconds) override;
    // The clock is the station's, so that a speed measured on it follows its time.
    std::uint64_t GetTickCount64() override { return NowMs(); }
    // The same clock in microseconds, the time a slow card has been busy
    // included before it is slept: a card's transfers are timed in its own time.
    std::uint64_t QueryPerformanceCounter() override { return NowMicroseconds(); }
    std::uint64_t QueryPerformanceFrequency() override { return 1000000; }

    // Simulated time in milliseconds: every Sleep, plus real time outside
    // sleeps divided by the time scale (none when the scale is 0).
    std::uint64_t NowMs() const;
    std::uint64_t NowMicroseconds() const;
    void AdvanceClock(std::uint64_t milliseconds);
    double TimeScale() const { return config.timeScale; }

    // The card in a drive (null when the drive has none or it was pulled).
    CardVolume* Card(char letter);
    void InsertCard(char letter, const CardConfig& card);
    void PullCard(char letter);

    // The current EEPROM of a reader, by index in the configuration.
    const std::array<std::uint8_t, kSimEepromSize>& Eeprom(std::size_t reader) const;
    const StationConfig& Config() const { return config; }
    const StationLog& Log() const { return log; }
    void ClearLog() { log = StationLog{}; }
    // Handles handed out and not yet closed; a user that leaks shows here.
    std::size_t OpenHandles() const { return handles.size(); }

private:
    struct Drive {
        DriveConfig config;
        bool vanished = false;
        std::unique_ptr<CardVolume> card;
    };
    enum class HandleKind { Device, CardFile, OuterFile };
    struct OpenHandle {
        HandleKind kind = HandleKind::Device;
        char letter = 0;
        std::string name;
        std::uint64_t position = 0;
        Handle outer = kInvalidHandle;
    };

    static char UpperLetter(char c);
    std::uint64_t AwakeMicroseconds() const;
    void ApplyTimedFaults();
    Drive* FindDrive(char letter);
    Drive* DriveOfPath(const char* path, std::string* name);
    CardVolume* PresentCard(Drive& drive);
    // A fixed medium, or a card that is present.
    bool MediumPresent(Drive& drive);
    // Paths on our drives are ours, even when the drive has no card or vanished.
    bool OnStationDrive(const char* path) const;
    Handle NewHandle(OpenHandle handle);
    // FileCreate and FileOpen: a card file on a station drive, else the outer platform's.
    Handle OpenFileHandle(const char* path, bool create);
    OpenHandle* FindHandle(Handle handle, HandleKind kind);
    // The present card an open card file lies on, or null.
    CardVolume* CardOf(OpenHandle& handle);
    // The present card a path lies on, or null; `name` is the path after the root.
    CardVolume* CardOfPath(const char* path, std::string& name);
    // FileRead and FileWrite: `outerMove` on an outer file, `cardMove` on a card file.
    template <class OuterMove, class CardMove>
    FileTransfer Transfer(Handle file, OuterMove outerMove, CardMove cardMove);
    // A slow card keeps the station busy while `bytes` move, in its time.
    void Busy(std::uint32_t bytes, double megabytesPerSecond);
    bool AnswerRequest(Drive& drive, std::uint32_t code, std::uint8_t* system, std::uint32_t systemSize,
                       std::uint32_t inSize, std::uint32_t outSize, std::uint32_t* bytesReturned, SimRequest& entry);
    SimulatedController& ControllerOf(const Drive& drive);

    Platform& outer;
    StationConfig config;
    std::map<char, Drive> drives;
    std::vector<SimulatedController> readers;
    SimulatedController plainDrive;  // answers for every drive on no reader
    std::map<Handle, OpenHandle> handles;
    Handle nextHandle = 0x100;
    StationLog log;

    std::uint64_t sleptMs = 0;
    double busyMicroseconds = 0;  // of slow transfers, not yet slept
    std::chrono::steady_clock::time_point started = std::chrono::steady_clock::now();
    std::chrono::steady_clock::duration realSleeping{};
};

}  // namespace talven
