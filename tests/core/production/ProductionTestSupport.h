// A simulated station for the production runs: the built-in station with
// sleeps that cost nothing, the build's own platform for the settings file, a
// recorder of every test-file call, and a list model as the view.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "production/ProductionRuns.h"
#include "sim/SimulatedStation.h"
#include "tests/support/TestStation.h"
#include "tests/core/settings/SettingsTestSupport.h"
#include "tests/support/ForwardingPlatform.h"
#include "tests/support/ListModel.h"
#include "tests/support/RunsFromTheFile.h"

namespace talven::test {

// Records what reaches the test files: each created file's bytes, whether it
// was flushed before its close, the transfers' alignment and sizes.
class FileRecorder final : public ForwardingPlatform {
public:
    using ForwardingPlatform::ForwardingPlatform;

    struct WrittenFile {
        std::string path;
        std::vector<std::uint8_t> bytes;
        bool flushed = false;
        bool closedUnflushed = false;
    };

    Handle FileCreate(const char* path) override {
        if (onCreate) onCreate(path);
        const Handle file = inner.FileCreate(path);
        if (file != kInvalidHandle) {
            written[file] = files.size();
            files.push_back({path, {}, false, false});
        }
        return file;
    }
    Handle FileOpen(const char* path) override {
        opened.push_back(path);
        if (onOpen) onOpen(path);
        return inner.FileOpen(path);
    }
    FileTransfer FileWrite(Handle file, const void* data, std::uint32_t size) override {
        CheckTransfer(data, size);
        writeSizes.push_back(size);
        const FileTransfer transfer = inner.FileWrite(file, data, size);
        auto it = written.find(file);
        if (it != written.end() && keepBytes) {
            const auto* bytes = static_cast<const std::uint8_t*>(data);
            files[it->second].bytes.insert(files[it->second].bytes.end(), bytes, bytes + transfer.bytes);
        }
        return transfer;
    }
    FileTransfer FileRead(Handle file, void* data, std::uint32_t size) override {
        CheckTransfer(data, size);
        readSizes.push_back(size);
        return inner.FileRead(file, data, size);
    }
    bool FileFlush(Handle file) override {
        auto it = written.find(file);
        if (it != written.end()) files[it->second].flushed = true;
        return inner.FileFlush(file);
    }
    void FileClose(Handle file) override {
        auto it = written.find(file);
        if (it != written.end()) {
            files[it->second].closedUnflushed = !files[it->second].flushed;
            written.erase(it);
        }
        inner.FileClose(file);
    }
    bool FileDelete(const char* path) override {
        deleted.push_back(path);
        if (deleteFails && deleteFails(path)) return false;
        return inner.FileDelete(path);
    }
    bool DeviceIoControl(Handle device, std::uint32_t code, void* in, std::uint32_t inSize, void* out,
                         std::uint32_t outSize, std::uint32_t* returned) override {
        if (onDeviceRequest) onDeviceRequest();
        return inner.DeviceIoControl(device, code, in, inSize, out, outSize, returned);
    }
    bool FileFind(const char* path) override { return findAlways || inner.FileFind(path); }
    bool GetDiskFreeSpaceA(const char* rootPath, DiskFreeSpace& space) override {
        freeSpaceRoots.push_back(rootPath);
        if (freeSpaceFails || !inner.GetDiskFreeSpaceA(rootPath, space)) return false;
        space.freeClusters += extraFreeClusters;
        return true;
    }

    std::vector<WrittenFile> files;
    std::vector<std::string> opened;
    std::vector<std::string> deleted;
    std::vector<std::string> freeSpaceRoots;
    std::vector<std::uint32_t> writeSizes;
    std::vector<std::uint32_t> readSizes;
    bool misaligned = false;
    bool freeSpaceFails = false;
    std::uint32_t extraFreeClusters = 0;  // reported on top of what the card has
    std::function<bool(const char*)> deleteFails;
    std::function<void(const char*)> onOpen;
    std::function<void(const char*)> onCreate;
    std::function<void()> onDeviceRequest;
    bool findAlways = false;
    bool keepBytes = true;  // false for cards too large to keep a copy of

private:
    void CheckTransfer(const void* data, std::uint32_t size) {
        if (reinterpret_cast<std::uintptr_t>(data) % 4096 != 0 || size % kSimSectorSize != 0) misaligned = true;
    }
    std::map<Handle, std::size_t> written;
};

inline CardConfig Card(std::uint32_t clusterBytes, std::uint32_t clusters) {
    CardConfig card;
    card.sectorsPerCluster = clusterBytes / kSimSectorSize;
    card.capacity = std::uint64_t{clusterBytes} * clusters;
    return card;
}

class StationRun : public ::testing::Test {
protected:
    StationRun() : config(QuietDefaultStation()) {}

    void Start() {
        station = std::make_unique<SimulatedStation>(*outer, config);
        recorder = std::make_unique<FileRecorder>(*station);
        runs = std::make_unique<ProductionRuns>(*recorder, view, settings.Path());
    }
    DriveConfig& Drive(char letter) { return DriveOf(config, letter); }
    // The test files (test*.bin) on a drive's card, by name.
    std::vector<std::string> TestFilesOn(char letter) {
        std::vector<std::string> names;
        if (CardVolume* card = station->Card(letter))
            for (const std::string& name : card->FileNames())
                if (name.rfind("test", 0) == 0) names.push_back(name);
        return names;
    }
    std::size_t TestFilesOnAnyCard() {
        std::size_t count = 0;
        for (char letter = 'C'; letter <= 'Z'; ++letter) count += TestFilesOn(letter).size();
        return count;
    }

    std::unique_ptr<Platform> outer = MakeBuildPlatform();
    TempSettings settings{"production"};
    StationConfig config;
    ListModel view;
    std::unique_ptr<SimulatedStation> station;
    std::unique_ptr<FileRecorder> recorder;
    std::unique_ptr<ProductionRuns> runs;
};

}  // namespace talven::test
