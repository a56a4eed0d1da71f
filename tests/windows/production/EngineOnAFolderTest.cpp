// The card test through the Win32 platform's own file functions, on a real
// folder: drive T: is a folder in the temporary folder, with a few MiB of
// free space so that no test can fill the disk.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "platform/win32/Win32Platform.h"
#include "production/ProductionRuns.h"
#include "tests/core/settings/SettingsTestSupport.h"
#include "tests/support/ForwardingPlatform.h"
#include "tests/support/ListModel.h"
#include "tests/support/RunsFromTheFile.h"
#include "tests/windows/production/FolderNames.h"

namespace talven {
namespace {

// Drive T: on `folder`, a card of `freeBytes` at most; watches
// what the engine hands the file functions.
class FolderDrive final : public test::ForwardingPlatform {
public:
    FolderDrive(Platform& inner, std::string folder, std::uint64_t freeBytes)
        : ForwardingPlatform(inner), folder(std::move(folder)), freeBytes(freeBytes) {
        SYSTEM_INFO system;
        ::GetSystemInfo(&system);
        pageSize = system.dwPageSize;
    }

    bool GetDiskFreeSpaceA(const char* rootPath, DiskFreeSpace& space) override {
        roots.push_back(rootPath);
        const std::string volume = folder.substr(0, 3);  // "C:\"
        if (!OnT(rootPath) || !inner.GetDiskFreeSpaceA(volume.c_str(), space)) return false;
        cluster = std::uint64_t{space.sectorsPerCluster} * space.bytesPerSector;
        if (cluster == 0) return false;
        // A card of `freeBytes`: what its files take is no longer free.
        const std::uint64_t capacity = freeBytes / cluster, used = ClustersUsed();
        space.freeClusters = static_cast<std::uint32_t>(
            std::min<std::uint64_t>(space.freeClusters, used < capacity ? capacity - used : 0));
        sectorSize = space.bytesPerSector;
        return true;
    }
    Handle FileCreate(const char* path) override {
        ++creates;
        const Handle file = inner.FileCreate(Folder(path).c_str());
        if (file != kInvalidHandle) flushed[file] = false;
        return file;
    }
    Handle FileOpen(const char* path) override {
        ++opens;
        return inner.FileOpen(Folder(path).c_str());
    }
    FileTransfer FileWrite(Handle file, const void* data, std::uint32_t size) override {
        Check(data, size);
        const FileTransfer transfer = inner.FileWrite(file, data, size);
        written += transfer.bytes;
        return transfer;
    }
    FileTransfer FileRead(Handle file, void* data, std::uint32_t size) override {
        Check(data, size);
        const FileTransfer transfer = inner.FileRead(file, data, size);
        read += transfer.bytes;
        return transfer;
    }
    bool FileFlush(Handle file) override {
        auto it = flushed.find(file);
        if (it != flushed.end()) it->second = true;
        return inner.FileFlush(file);
    }
    void FileClose(Handle file) override {
        auto it = flushed.find(file);
        if (it != flushed.end()) {
            (it->second ? flushedCloses : unflushedCloses) += 1;
            flushed.erase(it);
        }
        inner.FileClose(file);
    }
    bool FileDelete(const char* path) override { return inner.FileDelete(Folder(path).c_str()); }
    bool FileFind(const char* path) override { return inner.FileFind(Folder(path).c_str()); }

    std::vector<std::string> roots;
    int creates = 0, opens = 0, flushedCloses = 0, unflushedCloses = 0, misaligned = 0;
    std::uint64_t written = 0, read = 0;
    std::uint64_t cluster = 0;

private:
    static bool OnT(const char* path) { return (path[0] == 'T' || path[0] == 't') && path[1] == ':'; }
    // "T:\test0.bin" is test0.bin in the folder; no other drive is ours.
    std::string Folder(const char* path) const {
        if (!OnT(path)) return std::string();
        const char* rest = path + 2;
        while (*rest == '\\') ++rest;
        return folder + "\\" + rest;
    }
    std::uint64_t ClustersUsed() const {
        std::uint64_t clusters = 0;
        WIN32_FIND_DATAA found;
        HANDLE search = ::FindFirstFileA((folder + "\\*").c_str(), &found);
        if (search == INVALID_HANDLE_VALUE) return 0;
        do {
            const std::uint64_t size = std::uint64_t{found.nFileSizeHigh} << 32 | found.nFileSizeLow;
            clusters += (size + cluster - 1) / cluster;
        } while (::FindNextFileA(search, &found));
        ::FindClose(search);
        return clusters;
    }
    void Check(const void* data, std::uint32_t size) {
        if (reinterpret_cast<std::uintptr_t>(data) % pageSize != 0 || sectorSize == 0 || size % sectorSize != 0) {
            ++misaligned;
        }
    }

    std::string folder;
    std::uint64_t freeBytes;
    std::uint32_t pageSize = 4096;
    std::uint32_t sectorSize = 0;
    std::map<Handle, bool> flushed;
};

// A folder of the test's own in the temporary folder, emptied and removed
// afterwards.
class TempFolder {
public:
    TempFolder() {
        char temp[MAX_PATH];
        ::GetTempPathA(MAX_PATH, temp);
        path = std::string(temp) + "talven-engine-" + std::to_string(::GetCurrentProcessId());
        ::CreateDirectoryA(path.c_str(), nullptr);
    }
    ~TempFolder() {
        for (const std::string& name : Names()) {
            const std::string entry = path + "\\" + name;
            if (!::DeleteFileA(entry.c_str())) ::RemoveDirectoryA(entry.c_str());
        }
        ::RemoveDirectoryA(path.c_str());
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // What the folder holds, by name.
    std::vector<std::string> Names() const { return test::FolderNames(path); }
    const std::string& Path() const { return path; }

private:
    std::string path;
};

constexpr std::uint64_t kFreeBytes = (11ull << 20) / 2;  // five files of 1 MiB and half of a sixth

class EngineOnAFolder : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(folder.Names().empty()) << folder.Path(); }

    Win32Platform windows;
    TempFolder folder;
    FolderDrive drive{windows, folder.Path(), kFreeBytes};
    test::TempSettings settings{"engine-folder"};
    test::ListModel view;
};

TEST_F(EngineOnAFolder, FillsReadsBackAndCleansTheDriveThroughWindowsFiles) {
    for (const char* fs : {"0", "1"}) {
        SCOPED_TRACE(std::string("FS=") + fs);
        settings.Write(std::string("[Program set]\r\nFS=") + fs + "\r\n");
        drive.creates = drive.opens = drive.flushedCloses = drive.unflushedCloses = drive.misaligned = 0;
        drive.written = drive.read = 0;

        EXPECT_EQ(test::TestDrive(drive, view, settings.Path(), "T:", 0), TestOutcome::Passed);
        // 1 MiB files: five and a half; 2 MiB files: two and three quarters.
        const int files = fs[0] == '0' ? 6 : 3;
        EXPECT_EQ(drive.creates, files);
        EXPECT_EQ(drive.opens, files);
        EXPECT_EQ(drive.flushedCloses, files);
        EXPECT_EQ(drive.unflushedCloses, 0);
        EXPECT_EQ(drive.misaligned, 0);
        EXPECT_GT(drive.written, kFreeBytes - (64u << 10));
        EXPECT_LE(drive.written, kFreeBytes);
        EXPECT_EQ(drive.read, drive.written);
        EXPECT_TRUE(folder.Names().empty());
        ASSERT_GT(drive.cluster, 0u);
        const std::string clusters = std::to_string(kFreeBytes / drive.cluster);
        ASSERT_FALSE(view.texts.empty());
        EXPECT_EQ(view.texts.back().second, "Testting(" + clusters + "/" + clusters + ")....");
    }
    ASSERT_FALSE(drive.roots.empty());
    EXPECT_EQ(drive.roots.back(), "T:\\");
}

TEST_F(EngineOnAFolder, AFileThatCannotBeCreatedIsAWriteFailureAndNothingIsLeft) {
    // A folder where test1.bin would go: Windows refuses to create the file.
    ASSERT_TRUE(::CreateDirectoryA((folder.Path() + "\\test1.bin").c_str(), nullptr));

    EXPECT_EQ(test::TestDrive(drive, view, settings.Path(), "T:", 0), TestOutcome::WriteFailed);
    EXPECT_EQ(drive.creates, 2);
    EXPECT_EQ(drive.opens, 0);
    EXPECT_EQ(drive.flushedCloses, 1);
    EXPECT_EQ(drive.written, 1u << 20);
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"test1.bin"});
}

}  // namespace
}  // namespace talven
