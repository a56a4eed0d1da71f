#include "settings/SettingsText.h"

#include <algorithm>
#include <optional>

namespace talven {

namespace {

// Strict UTF-8: no overlong forms, no surrogates, nothing beyond U+10FFFF.
// Null when `bytes` is not UTF-8.
std::optional<std::u32string> DecodeUtf8(std::string_view bytes) {
    std::u32string characters;
    for (std::size_t at = 0; at < bytes.size();) {
        const auto lead = static_cast<unsigned char>(bytes[at]);
        const std::size_t length = lead < 0x80 ? 1 : lead >= 0xC2 && lead <= 0xDF ? 2
                                   : lead >= 0xE0 && lead <= 0xEF                ? 3
                                   : lead >= 0xF0 && lead <= 0xF4                ? 4
                                                                                  : 0;
        if (length == 0 || at + length > bytes.size()) return std::nullopt;
        char32_t c = length == 1 ? lead : lead & (0x7F >> length);
        for (std::size_t i = 1; i < length; ++i) {
            const auto next = static_cast<unsigned char>(bytes[at + i]);
            if ((next & 0xC0) != 0x80) return std::nullopt;
            c = c << 6 | (next & 0x3F);
        }
        const char32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
        if (c < smallest[length] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return std::nullopt;
        characters += c;
        at += length;
    }
    return characters;
}

bool IsAscii(std::string_view bytes) {
    return std::all_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

}  // namespace

bool ReadsAsUtf8(std::string_view bytes) { return !IsAscii(bytes) && DecodeUtf8(bytes).has_value(); }

std::u32string DecodeSettingsText(std::string_view bytes) {
    if (std::optional<std::u32string> decoded = DecodeUtf8(bytes)) return *decoded;
    std::u32string characters;
    for (char byte : bytes) characters += static_cast<unsigned char>(byte);
    return characters;
}

std::string EncodeSettingsText(std::u32string_view characters, std::string_view loaded) {
    if (DecodeSettingsText(loaded) == characters) return std::string(loaded);
    const bool fitBytes = std::all_of(characters.begin(), characters.end(), [](char32_t c) { return c <= 0xFF; });
    if (!fitBytes || ReadsAsUtf8(loaded)) return Utf8(characters);
    std::string bytes;
    for (char32_t c : characters) bytes += static_cast<char>(c);
    // Bytes that happen to form UTF-8 would be read back as other characters.
    return ReadsAsUtf8(bytes) ? Utf8(characters) : bytes;
}

std::string Utf8(std::u32string_view characters) {
    std::string bytes;
    for (char32_t c : characters) {
        if (c < 0x80) {
            bytes += static_cast<char>(c);
            continue;
        }
        const int length = c < 0x800 ? 2 : c < 0x10000 ? 3 : 4;
        const unsigned char lead[] = {0, 0, 0xC0, 0xE0, 0xF0};
        bytes += static_cast<char>(lead[length] | c >> (6 * (length - 1)));
        for (int i = length - 2; i >= 0; --i) bytes += static_cast<char>(0x80 | (c >> (6 * i) & 0x3F));
    }
    return bytes;
}

std::u16string Utf16(std::u32string_view characters) {
    std::u16string units;
    for (char32_t c : characters) {
        if (c < 0x10000) {
            units += static_cast<char16_t>(c);
        } else {
            units += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
            units += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        }
    }
    return units;
}

std::u32string FromUtf16(std::u16string_view units) {
    std::u32string characters;
    for (std::size_t at = 0; at < units.size(); ++at) {
        const char16_t unit = units[at];
        const bool pair = unit >= 0xD800 && unit <= 0xDBFF && at + 1 < units.size() && units[at + 1] >= 0xDC00 &&
                          units[at + 1] <= 0xDFFF;
        if (!pair) {
            characters += unit;
            continue;
        }
        characters += 0x10000 + ((char32_t{unit} - 0xD800) << 10) + (units[++at] - 0xDC00);
    }
    return characters;
}

}  // namespace talven
