// What of a file the page cache holds, and folders for test files on a
// filesystem that has a medium behind it.
#pragma once

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace talven::test {

// Resident pages of the open file's first `size` bytes, or -1. Mapping the
// file and asking mincore() touches no page.
inline long ResidentPages(int descriptor, std::size_t size) {
    if (size == 0) return 0;
    void* view = ::mmap(nullptr, size, PROT_READ, MAP_SHARED, descriptor, 0);
    if (view == MAP_FAILED) return -1;
    const std::size_t page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
    std::vector<unsigned char> pages((size + page - 1) / page);
    long resident = -1;
    if (::mincore(view, size, pages.data()) == 0) {
        resident = 0;
        for (unsigned char state : pages) resident += state & 1;
    }
    ::munmap(view, size);
    return resident;
}

// Pages of the file resident in the page cache, or -1 when it cannot be
// looked at.
inline long ResidentPages(const std::string& path) {
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0) return -1;
    struct stat info;
    const long resident =
        ::fstat(descriptor, &info) == 0 ? ResidentPages(descriptor, static_cast<std::size_t>(info.st_size)) : -1;
    ::close(descriptor);
    return resident;
}

// Whether the folder's filesystem keeps files in memory only (tmpfs, ramfs):
// there every page is resident, whatever the file layer does.
inline bool MemoryBacked(const std::string& folder) {
    constexpr long kTmpfsMagic = 0x01021994;
    constexpr long kRamfsMagic = static_cast<long>(0x858458f6);
    struct statfs info;
    if (::statfs(folder.c_str(), &info) != 0) return true;
    return static_cast<long>(info.f_type) == kTmpfsMagic || static_cast<long>(info.f_type) == kRamfsMagic;
}

// A folder of the test's own on a disk-backed filesystem: under the working
// directory (the build tree), else /var/tmp or the home folder; removed with
// everything in it afterwards. Path() is empty when none of them is.
class DiskFolder {
public:
    explicit DiskFolder(const std::string& name) {
        std::vector<std::string> bases = {std::filesystem::current_path().string(), "/var/tmp"};
        if (const char* home = std::getenv("HOME")) bases.push_back(home);
        for (const std::string& base : bases) {
            if (MemoryBacked(base)) continue;
            std::filesystem::path folder =
                std::filesystem::path(base) / ("talven-" + name + "-" + std::to_string(::getpid()));
            std::error_code error;
            std::filesystem::remove_all(folder, error);
            if (std::filesystem::create_directories(folder, error)) {
                path = folder.string();
                return;
            }
        }
    }
    ~DiskFolder() {
        std::error_code error;
        if (!path.empty()) std::filesystem::remove_all(path, error);
    }
    DiskFolder(const DiskFolder&) = delete;
    DiskFolder& operator=(const DiskFolder&) = delete;

    const std::string& Path() const { return path; }

private:
    std::string path;
};

}  // namespace talven::test
