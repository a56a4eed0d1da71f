// talven-shift-probe rows
//     Prints what the station program's window shows, as the operator reads
//     it: "status<TAB>text" for the status line, "counts<TAB>text" for the
//     shift's counts above the buttons, "suspect<TAB>text" for the line over
//     them, then one line per list row,
//     "row<TAB>column 0<TAB>column 1<TAB>column 2<TAB>icon".
// talven-shift-probe counts
//     Prints "counts<TAB>text" for the counts line of every station window.
// talven-shift-probe hold FILE
//     Holds FILE open, shared with no one, as a spreadsheet may; prints
//     "held" once it does and lets go when FILE.release appears.
//
// The list control lives in the station program's process: its rows are read
// through a buffer allocated there, as any other program would have to.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "resources/resource.h"

namespace {

constexpr int kReaderList = 1000;
constexpr int kStatusLine = 1001;
constexpr int kCountsLine = 1002;
constexpr int kColumns = 3;
constexpr SIZE_T kTextSize = 1024;

// A buffer in another process, freed on every path.
class RemoteBuffer {
public:
    RemoteBuffer(HANDLE process, SIZE_T size)
        : process(process), address(::VirtualAllocEx(process, nullptr, size, MEM_COMMIT, PAGE_READWRITE)) {}
    ~RemoteBuffer() {
        if (address != nullptr) ::VirtualFreeEx(process, address, 0, MEM_RELEASE);
    }
    RemoteBuffer(const RemoteBuffer&) = delete;
    RemoteBuffer& operator=(const RemoteBuffer&) = delete;
    char* Get() const { return static_cast<char*>(address); }

private:
    HANDLE process;
    void* address;
};

// Asks the list for row `row`'s text in `column` and its icon, through `remote`.
bool ReadCell(HANDLE process, HWND list, const RemoteBuffer& remote, int row, int column, std::string& text,
              int& icon) {
    LVITEMA item{};
    item.mask = LVIF_TEXT | LVIF_IMAGE;
    item.iItem = row;
    item.iSubItem = column;
    item.pszText = remote.Get() + sizeof item;
    item.cchTextMax = static_cast<int>(kTextSize);
    char local[kTextSize] = {};
    if (!::WriteProcessMemory(process, remote.Get(), &item, sizeof item, nullptr)) return false;
    ::SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(remote.Get()));
    if (!::ReadProcessMemory(process, remote.Get(), &item, sizeof item, nullptr) ||
        !::ReadProcessMemory(process, remote.Get() + sizeof item, local, sizeof local - 1, nullptr))
        return false;
    text = local;
    icon = item.iImage;
    return true;
}

int Rows() {
    HWND window = ::FindWindowA(nullptr, TALVEN_SIMULATED_CAPTION);
    HWND list = window == nullptr ? nullptr : ::GetDlgItem(window, kReaderList);
    if (list == nullptr) {
        std::fprintf(stderr, "talven-shift-probe: no station window\n");
        return 1;
    }
    char status[512] = {};
    ::GetDlgItemTextA(window, kStatusLine, status, sizeof status);
    std::printf("status\t%s\n", status);
    char counts[512] = {};
    ::GetDlgItemTextA(window, kCountsLine, counts, sizeof counts);
    std::printf("counts\t%s\n", counts);
    ::GetDlgItemTextA(window, IDC_SUSPECT_LINE, counts, sizeof counts);
    std::printf("suspect\t%s\n", counts);
    DWORD processId = 0;
    ::GetWindowThreadProcessId(list, &processId);
    HANDLE process = ::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId);
    if (process == nullptr) return 1;
    int result = 0;
    {
        const RemoteBuffer remote(process, sizeof(LVITEMA) + kTextSize);
        const int rows = static_cast<int>(::SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
        for (int row = 0; row < rows && result == 0; ++row) {
            std::string line = "row";
            int icon = 0;
            for (int column = 0; column < kColumns && result == 0; ++column) {
                std::string text;
                int columnIcon = 0;
                if (!ReadCell(process, list, remote, row, column, text, columnIcon)) result = 1;
                if (column == 0) icon = columnIcon;
                line += "\t" + text;
            }
            std::printf("%s\t%d\n", line.c_str(), icon);
        }
    }
    ::CloseHandle(process);
    return result;
}

BOOL CALLBACK PrintCounts(HWND window, LPARAM) {
    char text[512] = {};
    if (::GetWindowTextA(window, text, sizeof text) > 0 && std::strcmp(text, TALVEN_SIMULATED_CAPTION) == 0 &&
        ::GetDlgItemTextA(window, kCountsLine, text, sizeof text) > 0)
        std::printf("counts\t%s\n", text);
    return TRUE;
}

int Hold(const char* path) {
    HANDLE file = ::CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        std::fprintf(stderr, "talven-shift-probe: cannot open %s (%lu)\n", path, ::GetLastError());
        return 1;
    }
    std::printf("held\n");
    std::fflush(stdout);
    const std::string release = std::string(path) + ".release";
    while (::GetFileAttributesA(release.c_str()) == INVALID_FILE_ATTRIBUTES) ::Sleep(100);
    ::CloseHandle(file);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "rows") == 0) return Rows();
    if (argc == 2 && std::strcmp(argv[1], "counts") == 0) return ::EnumWindows(PrintCounts, 0) ? 0 : 1;
    if (argc == 3 && std::strcmp(argv[1], "hold") == 0) return Hold(argv[2]);
    std::fprintf(stderr, "usage: talven-shift-probe rows | counts | hold FILE\n");
    return 2;
}
