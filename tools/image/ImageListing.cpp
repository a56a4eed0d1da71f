#include "tools/image/ImageListing.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "production/ConfigurationImage.h"
#include "settings/SettingsText.h"

namespace talven {

namespace {

std::string FieldName(const ImageField& field) {
    if (field.key == nullptr) return field.name;
    return std::string(field.name) + " (" + field.key->name + ")";
}

std::string SpeedText(const ImageField& field, std::uint8_t byte) {
    char text[48];
    if (const unsigned word = SpeedWord(field, byte); word != 0) {
        std::snprintf(text, sizeof text, "%s (%02X)", StringText(word), byte);
    } else {
        std::snprintf(text, sizeof text, "%02X, neither High (00) nor Low (%02X)", byte,
                      static_cast<unsigned>(field.key->limit));
    }
    return text;
}

// Sixteen bytes to a line; two or more lines of nothing but zeros are
// folded into one.
std::string HexLines(const std::uint8_t* bytes, std::size_t size) {
    constexpr std::size_t kPerLine = 16;
    auto zeroLine = [&](std::size_t from) {
        return from + kPerLine <= size && std::all_of(bytes + from, bytes + from + kPerLine, [](std::uint8_t b) {
                   return b == 0;
               });
    };
    std::string lines;
    char hex[8];
    for (std::size_t row = 0; row < size;) {
        std::size_t zeros = 0;
        while (zeroLine(row + zeros)) zeros += kPerLine;
        if (zeros >= 2 * kPerLine) {
            // A short last line of zeros joins the fold.
            if (row + zeros < size && std::all_of(bytes + row + zeros, bytes + size, [](std::uint8_t b) {
                    return b == 0;
                }))
                zeros = size - row;
            lines += "          00 ... (" + std::to_string(zeros) + " zero bytes)\n";
            row += zeros;
            continue;
        }
        lines += "         ";
        for (std::size_t i = row; i < size && i < row + kPerLine; ++i) {
            std::snprintf(hex, sizeof hex, " %02X", bytes[i]);
            lines += hex;
        }
        lines += "\n";
        row += kPerLine;
    }
    return lines;
}

// The characters as UTF-8, each control character (and a lone surrogate,
// which has no UTF-8) shown as '.'.
std::string Readable(const std::u32string& characters) {
    std::u32string shown = characters;
    for (char32_t& c : shown)
        if (IsControlCharacter(c) || (c >= 0xD800 && c <= 0xDFFF)) c = U'.';
    return "\"" + Utf8(shown) + "\"";
}

std::string Decoded(const std::uint8_t* image, const ImageField& field) {
    char text[64];
    const std::uint32_t number = FieldNumber(field, image);
    switch (field.encoding) {
        case FieldEncoding::Word:
            std::snprintf(text, sizeof text, "0x%04X", static_cast<unsigned>(number));
            return text;
        case FieldEncoding::SpeedByte:
            return SpeedText(field, static_cast<std::uint8_t>(number));
        case FieldEncoding::Byte:
            // USB counts a device's power in units of 2 mA.
            if (field.key == &kPowerConsumptionKey)
                std::snprintf(text, sizeof text, "%u (%u mA)", static_cast<unsigned>(number), number * 2u);
            else
                std::snprintf(text, sizeof text, "%u", static_cast<unsigned>(number));
            return text;
        case FieldEncoding::DescriptorText:
        case FieldEncoding::ScsiText:
            // A serial is shown as the record keeps it: the blanks that fill its field up are not its own.
            if (field.key == &kSerialNumberKey) return Readable(UnpaddedCharacters(field, image));
            return Readable(FieldCharacters(field, image));
    }
    return {};
}

// A refused value is shown as the file holds it, marked: the bytes below it
// are not what the program writes, since it writes nothing.
std::string Refused(const ImageField& field, const std::vector<CheckedSetting>& refused) {
    for (const CheckedSetting& value : refused)
        if (value.key == field.key) return "refused: " + Readable(DecodeSettingsText(value.text));
    return {};
}

std::string Listed(std::size_t offset, std::size_t size, const std::string& name, const std::string& decoded) {
    char line[128];
    if (size == 1) {
        std::snprintf(line, sizeof line, "%7zu  %s", offset, name.c_str());
    } else {
        std::snprintf(line, sizeof line, "%3zu-%3zu  %s", offset, offset + size - 1, name.c_str());
    }
    std::string listed = line;
    if (!decoded.empty()) listed += std::string(name.size() < 40 ? 40 - name.size() : 1, ' ') + decoded;
    return listed + "\n";
}

}  // namespace

std::string ListConfigurationImage(const std::uint8_t* buffer, const std::string& keptFrom,
                                   const std::vector<CheckedSetting>& refused) {
    const std::string kept = "(kept from " + keptFrom + ")";
    std::string listing;
    auto listKept = [&](std::size_t from, std::size_t to) {
        if (from < to) listing += Listed(from, to - from, kept, {}) + HexLines(buffer + from, to - from);
    };
    std::size_t next = 0;
    for (const ImageField& field : kImageFields) {
        listKept(next, field.offset);
        std::string decoded = field.key != nullptr ? Refused(field, refused) : std::string();
        if (decoded.empty()) decoded = Decoded(buffer, field);
        listing += Listed(field.offset, field.size, FieldName(field), decoded) +
                   HexLines(buffer + field.offset, field.size);
        next = field.offset + field.size;
    }
    listKept(next, kConfigurationImageSize);
    listKept(kConfigurationImageSize, kWorkingBufferSize);
    return listing;
}

}  // namespace talven
