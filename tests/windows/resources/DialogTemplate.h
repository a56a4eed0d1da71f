// Reads an extended dialog template (DLGTEMPLATEEX) as stored in the
// executable, so tests can compare it with the layout the windows rely on.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace talven {

struct TemplateItem {
    DWORD style = 0;
    DWORD exStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    DWORD id = 0;
    std::string windowClass;  // predefined classes by name ("Button", "Static", ...)
    std::string text;         // an ordinal text (an icon number) as "#128"
};

struct DialogTemplate {
    bool valid = false;
    DWORD style = 0;
    DWORD exStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    std::string menu;  // "#135" for an ordinal, "" for none
    std::string caption;
    WORD pointSize = 0;
    std::string typeface;
    std::vector<TemplateItem> items;
};

class TemplateReader {
public:
    TemplateReader(const BYTE* data, size_t size) : data(data), size(size) {}

    DialogTemplate Read() {
        DialogTemplate t;
        if (Word() != 1 || Word() != 0xFFFF) return t;
        Dword();  // help id
        t.exStyle = Dword();
        t.style = Dword();
        const WORD count = Word();
        t.x = Short();
        t.y = Short();
        t.cx = Short();
        t.cy = Short();
        t.menu = SzOrOrd();
        SzOrOrd();  // window class
        t.caption = Sz();
        if (t.style & (DS_SETFONT | DS_SHELLFONT)) {
            t.pointSize = Word();
            Word();  // weight
            Word();  // italic, character set
            t.typeface = Sz();
        }
        for (WORD i = 0; i < count && !failed; ++i) {
            Align(4);
            TemplateItem item;
            Dword();  // help id
            item.exStyle = Dword();
            item.style = Dword();
            item.x = Short();
            item.y = Short();
            item.cx = Short();
            item.cy = Short();
            item.id = Dword();
            item.windowClass = ClassName(SzOrOrd());
            item.text = SzOrOrd();
            const WORD extra = Word();
            offset += extra;
            t.items.push_back(item);
        }
        t.valid = !failed && offset <= size;
        return t;
    }

private:
    static std::string ClassName(const std::string& c) {
        if (c == "#128") return "Button";
        if (c == "#129") return "Edit";
        if (c == "#130") return "Static";
        if (c == "#131") return "ListBox";
        if (c == "#132") return "ScrollBar";
        if (c == "#133") return "ComboBox";
        return c;
    }
    void Align(size_t n) { offset = (offset + n - 1) / n * n; }
    WORD Word() {
        if (offset + 2 > size) {
            failed = true;
            return 0;
        }
        const WORD w = static_cast<WORD>(data[offset] | (data[offset + 1] << 8));
        offset += 2;
        return w;
    }
    short Short() { return static_cast<short>(Word()); }
    DWORD Dword() {
        const DWORD lo = Word();
        return lo | (static_cast<DWORD>(Word()) << 16);
    }
    std::string Sz() {
        std::string s;
        for (WORD c = Word(); c != 0 && !failed; c = Word()) s += c < 0x80 ? static_cast<char>(c) : '?';
        return s;
    }
    std::string SzOrOrd() {
        if (offset + 2 > size) {
            failed = true;
            return {};
        }
        const WORD first = static_cast<WORD>(data[offset] | (data[offset + 1] << 8));
        if (first == 0xFFFF) {
            Word();
            return "#" + std::to_string(Word());
        }
        return Sz();
    }

    const BYTE* data;
    size_t size;
    size_t offset = 0;
    bool failed = false;
};

// The template of resource number id in this executable, or an invalid one.
inline DialogTemplate LoadDialogTemplate(int id, HMODULE module = GetModuleHandleA(nullptr)) {
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(5) /* RT_DIALOG */);
    if (found == nullptr) return {};
    HGLOBAL loaded = LoadResource(module, found);
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (bytes == nullptr) return {};
    return TemplateReader(static_cast<const BYTE*>(bytes), SizeofResource(module, found)).Read();
}

}  // namespace talven
