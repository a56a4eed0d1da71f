// Paths as text, in either spelling: Windows' backslashes and drive letters,
// and the host's slashes. A joined path keeps its folder's separator.
#pragma once

#include <string>

namespace talven {

inline bool IsPathSeparator(char c) { return c == '\\' || c == '/'; }

// From a root or with a drive: "\x", "/x", "D:x", "D:\x".
inline bool IsAbsolutePath(const std::string& path) {
    return (!path.empty() && IsPathSeparator(path[0])) || (path.size() >= 2 && path[1] == ':');
}

// `folder` joined with `name` unless `name` is absolute.
inline std::string JoinPath(const std::string& folder, const std::string& name) {
    if (IsAbsolutePath(name) || folder.empty()) return name;
    if (IsPathSeparator(folder.back())) return folder + name;
    const char separator = folder.find('\\') != std::string::npos ? '\\' : '/';
    return folder + separator + name;
}

// The folder of `path` without its last separator; empty when it names none.
inline std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

// `path` without its file name's extension: "C:\Talven\Talven.exe" gives
// "C:\Talven\Talven"; a name without a dot stays whole.
inline std::string WithoutExtension(const std::string& path) {
    const std::size_t nameStart = path.find_last_of("\\/") + 1;  // 0 when there is no folder
    const std::size_t dot = path.rfind('.');
    return dot == std::string::npos || dot < nameStart ? path : path.substr(0, dot);
}

// The last part of `path`: the file's name.
inline std::string NameOf(const std::string& path) {
    const std::size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace talven
