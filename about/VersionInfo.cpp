#include "about/VersionInfo.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <vector>

namespace talven {
namespace {

// The record's string `name` in the first translation, or empty. Every
// length the record reports is checked, so a damaged record cannot make us
// read past its block.
std::string QueryString(std::vector<unsigned char>& record, const char* name) {
    void* translation = nullptr;
    UINT translationSize = 0;
    if (!::VerQueryValueA(record.data(), "\\VarFileInfo\\Translation", &translation, &translationSize) ||
        translation == nullptr || translationSize < 2 * sizeof(WORD)) {
        return {};
    }
    WORD pair[2];
    std::memcpy(pair, translation, sizeof pair);
    char subBlock[64];
    std::snprintf(subBlock, sizeof subBlock, "\\StringFileInfo\\%04x%04x\\%s", pair[0], pair[1], name);
    void* value = nullptr;
    UINT valueLength = 0;
    if (!::VerQueryValueA(record.data(), subBlock, &value, &valueLength) || value == nullptr) {
        return {};
    }
    char text[260] = {};
    std::memcpy(text, value, valueLength < sizeof text - 1 ? valueLength : sizeof text - 1);
    return std::string(text);
}

VersionTexts TextsOf(std::vector<unsigned char>& record) {
    return {QueryString(record, "FileVersion"), QueryString(record, "PrivateBuild")};
}

}  // namespace

VersionTexts ReadOwnVersionTexts() {
    const HMODULE module = ::GetModuleHandleA(nullptr);
    const HRSRC found = ::FindResourceA(module, MAKEINTRESOURCEA(VS_VERSION_INFO), MAKEINTRESOURCEA(16));
    const HGLOBAL loaded = found != nullptr ? ::LoadResource(module, found) : nullptr;
    const auto* bytes = static_cast<const unsigned char*>(loaded != nullptr ? ::LockResource(loaded) : nullptr);
    if (bytes == nullptr) return {};
    // The ANSI queries convert into room after the block, as the file
    // functions leave it: a copy three times the size.
    const DWORD size = ::SizeofResource(module, found);
    std::vector<unsigned char> record(bytes, bytes + size);
    record.resize(std::size_t{size} * 3);
    return TextsOf(record);
}

VersionTexts ReadVersionTexts(const char* file) {
    VersionTexts texts;
    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeA(file, &ignored);
    if (size == 0) {
        return texts;
    }
    std::vector<unsigned char> record(size);
    if (!::GetFileVersionInfoA(file, 0, size, record.data())) {
        return texts;
    }
    return TextsOf(record);
}

}  // namespace talven
