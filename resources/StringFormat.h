// A string-table text with its printf-style fields filled in.
#pragma once

#include <cstdio>
#include <string>

#include "resources/StringTable.h"

namespace talven {

// The text of `id` with `arguments` put in as printf puts them, however long.
template <typename... Arguments>
std::string Format(unsigned id, Arguments... arguments) {
    const char* format = StringText(id);
    const int length = std::snprintf(nullptr, 0, format, arguments...);
    if (length <= 0) return {};
    std::string text(static_cast<std::size_t>(length), '\0');
    std::snprintf(text.data(), text.size() + 1, format, arguments...);
    return text;
}

}  // namespace talven
