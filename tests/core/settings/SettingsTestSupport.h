// Test support for the settings and the configuration image: the build's own
// platform, settings files in the temporary folder, and a seam whose every
// call fails unless a test double overrides it.
#pragma once

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <random>
#include <string>

#include "platform/Platform.h"
#include "tests/support/FailingPlatform.h"

#ifdef _WIN32
#include "platform/win32/Win32Platform.h"
#else
#include "platform/host/HostPlatform.h"
#endif

namespace talven::test {

// Windows' own private-profile functions in the Windows build, ours on the host.
inline std::unique_ptr<Platform> MakeBuildPlatform() {
#ifdef _WIN32
    return std::make_unique<Win32Platform>();
#else
    return std::make_unique<HostPlatform>();
#endif
}

// A settings file of the test's own, removed afterwards. The path is absolute,
// as Windows looks bare names up in its own folder.
class TempSettings {
public:
    explicit TempSettings(const std::string& name) {
        path = (std::filesystem::temp_directory_path() /
                ("talven-" + std::to_string(ProcessTag()) + "-" + std::to_string(Counter()++) + "-" + name +
                 ".ini"))
                   .string();
        std::remove(path.c_str());
    }
    ~TempSettings() {
        std::remove(path.c_str());
        // The station's state, its hold, the record's index and the spool that lie beside it.
        const std::string base = path.substr(0, path.size() - 4);
        for (const char* end : {".state", ".state.tmp", ".state.lock", ".index", ".index.tmp", ".ini.spool"})
            std::remove((base + end).c_str());
    }
    TempSettings(const TempSettings&) = delete;
    TempSettings& operator=(const TempSettings&) = delete;

    void Write(const std::string& content) const {
        std::FILE* file = std::fopen(path.c_str(), "wb");
        if (file == nullptr) return;
        std::fwrite(content.data(), 1, content.size(), file);
        std::fclose(file);
    }
    std::string Read() const {
        std::string content;
        std::FILE* file = std::fopen(path.c_str(), "rb");
        if (file == nullptr) return content;
        char chunk[1024];
        std::size_t got;
        while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) content.append(chunk, got);
        std::fclose(file);
        return content;
    }
    const char* Path() const { return path.c_str(); }
    std::string StatePath() const { return path.substr(0, path.size() - 4) + ".state"; }

private:
    // Tests of one executable may run in several processes at once.
    static unsigned ProcessTag() {
        static const unsigned tag = std::random_device{}();
        return tag;
    }
    static int& Counter() {
        static int counter = 0;
        return counter;
    }
    std::string path;
};

// A seam whose program path is chosen by the test, handed out as Windows
// does: cut to bufferSize - 1 characters with bufferSize returned.
class ModulePathPlatform : public FailingPlatform {
public:
    explicit ModulePathPlatform(std::string modulePath) : modulePath(std::move(modulePath)) {}
    std::uint32_t GetModuleFileNameA(char* buffer, std::uint32_t bufferSize) override {
        if (bufferSize == 0) return 0;
        std::size_t count = modulePath.size() < bufferSize ? modulePath.size() : bufferSize - 1;
        std::memcpy(buffer, modulePath.data(), count);
        buffer[count] = '\0';
        return modulePath.size() < bufferSize ? static_cast<std::uint32_t>(count) : bufferSize;
    }

private:
    std::string modulePath;
};

}  // namespace talven::test
