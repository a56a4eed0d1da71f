// The verdict record's and the station state's calls of the simulated
// station: their files live on the outer platform, and its dates are the real ones.
#include "sim/SimulatedStation.h"

namespace talven {

void SimulatedStation::GetLocalTime(LocalTime& time) { outer.GetLocalTime(time); }

std::uint32_t SimulatedStation::GetComputerNameA(char* buffer, std::uint32_t bufferSize) {
    return outer.GetComputerNameA(buffer, bufferSize);
}

FileResult SimulatedStation::CreateDirectoryA(const char* path) { return outer.CreateDirectoryA(path); }

FileResult SimulatedStation::FileAppend(const char* path, const void* data, std::uint32_t size) {
    return outer.FileAppend(path, data, size);
}

FileEnd SimulatedStation::FileReadEnd(const char* path, char* buffer, std::uint32_t size) {
    return outer.FileReadEnd(path, buffer, size);
}

FileResult SimulatedStation::FileWriteWhole(const char* path, const void* data, std::uint32_t size) {
    return outer.FileWriteWhole(path, data, size);
}

FileResult SimulatedStation::MoveFileExA(const char* from, const char* to) { return outer.MoveFileExA(from, to); }

FileResult SimulatedStation::FileTruncate(const char* path, std::uint64_t size) {
    return outer.FileTruncate(path, size);
}

FileResult SimulatedStation::FindFiles(const char* folder, std::vector<FoundFile>& files) {
    return outer.FindFiles(folder, files);
}

FileResult SimulatedStation::FileHold(const char* path, Handle& held) { return outer.FileHold(path, held); }

void SimulatedStation::FileRelease(Handle held) { outer.FileRelease(held); }

FileEnd SimulatedStation::FileReadAt(const char* path, std::uint64_t offset, char* buffer, std::uint32_t size) {
    return outer.FileReadAt(path, offset, buffer, size);
}

}  // namespace talven
