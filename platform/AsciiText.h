// ASCII's letters and blanks, whatever the locale: names in the settings
// file, drive letters and the texts of the window's fields compare and trim
// by them alone.
#pragma once

#include <string_view>

namespace talven {

template <typename Char>
constexpr Char Lower(Char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<Char>(c - 'A' + 'a') : c;
}

template <typename Char>
constexpr Char Upper(Char c) {
    return c >= 'a' && c <= 'z' ? static_cast<Char>(c - 'a' + 'A') : c;
}

// A blank within a line: a space or a tab.
constexpr bool IsBlank(char c) { return c == ' ' || c == '\t'; }
// White space as the C library's isspace has it in the "C" locale.
constexpr bool IsSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// Windows matches names without regard to case.
constexpr bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (Lower(a[i]) != Lower(b[i])) return false;
    return true;
}

}  // namespace talven
