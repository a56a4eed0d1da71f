// What a folder lists, by name and sorted, "." and ".." left out; a drive's
// root is its letter and a backslash.
#pragma once

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

namespace talven::test {

inline std::vector<std::string> FolderNames(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = ::FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        const std::string name = found.cFileName;
        if (name != "." && name != "..") names.push_back(name);
    } while (::FindNextFileA(search, &found));
    ::FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace talven::test
