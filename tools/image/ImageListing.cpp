#include "tools/image/ImageListing.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "production/ConfigurationImage.h"

namespace talven {

namespace {

enum class Shown { kNone, kNumber16, kDescriptor, kText, kByte, kSpeed, kPower };

struct ListedField {
    std::size_t offset;
    std::size_t size;
    const char* name;  // null for a range the build keeps
    Shown shown;
    const SettingsKey* key = nullptr;  // the field's source, named after it
};

constexpr ListedField kFields[] = {
    {0, 2, "USB vendor ID", Shown::kNumber16, &kVendorIdKey},
    {2, 2, "USB product ID", Shown::kNumber16, &kProductIdKey},
    {4, 8, "manufacturer string", Shown::kDescriptor, &kManufactureKey},
    {12, 10, nullptr, Shown::kNone},
    {22, 32, "product string", Shown::kDescriptor, &kProductorKey},
    {54, 2, nullptr, Shown::kNone},
    {56, 34, "serial-number string", Shown::kDescriptor, &kSerialNumberKey},
    {90, 8, "SCSI version text", Shown::kText, &kScsiVersionKey},
    {98, 1, "CF speed", Shown::kSpeed, &kCfSpeedKey},
    {99, 1, "SM speed", Shown::kSpeed, &kSmSpeedKey},
    {100, 1, "SD speed", Shown::kSpeed, &kSdSpeedKey},
    {101, 1, "MS Pro speed", Shown::kSpeed, &kMsProSpeedKey},
    {102, 1, "MS speed", Shown::kSpeed, &kMsSpeedKey},
    {103, 1, "MMC speed", Shown::kSpeed, &kMmcSpeedKey},
    {104, 1, "power consumption", Shown::kPower, &kPowerConsumptionKey},
    {105, 1, "byte 105", Shown::kByte, &kByte105Key},
    {106, 1, "always 0", Shown::kByte},
    {107, 3, nullptr, Shown::kNone},
    {kConfigurationImageSize, kWorkingBufferSize - kConfigurationImageSize, nullptr, Shown::kNone},
};

std::string FieldName(const ListedField& field, const std::string& keptFrom) {
    if (field.name == nullptr) return "(kept from " + keptFrom + ")";
    if (field.key == nullptr) return field.name;
    return std::string(field.name) + " (" + field.key->name + ")";
}

std::string SpeedText(std::uint8_t byte, std::uint8_t low) {
    char text[48];
    if (byte == 0 || byte == low) {
        std::snprintf(text, sizeof text, "%s (%02X)", byte == 0 ? "High" : "Low", byte);
    } else {
        std::snprintf(text, sizeof text, "%02X, neither High (00) nor Low (%02X)", byte, low);
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

char Printable(std::uint8_t byte) { return byte >= 0x20 && byte < 0x7F ? static_cast<char>(byte) : '.'; }

std::string Decoded(const std::uint8_t* at, const ListedField& field) {
    char text[64];
    std::string result;
    switch (field.shown) {
        case Shown::kNumber16:
            std::snprintf(text, sizeof text, "0x%04X", at[0] | at[1] << 8);
            return text;
        case Shown::kByte:
            std::snprintf(text, sizeof text, "%u", at[0]);
            return text;
        case Shown::kSpeed:
            return SpeedText(at[0], static_cast<std::uint8_t>(field.key->limit));
        case Shown::kPower:
            // USB counts a device's power in units of 2 mA.
            std::snprintf(text, sizeof text, "%u (%u mA)", at[0], at[0] * 2u);
            return text;
        case Shown::kDescriptor:
            for (std::size_t i = 2; i + 1 < field.size; i += 2) result += Printable(at[i]);
            return "\"" + result + "\"";
        case Shown::kText:
            for (std::size_t i = 0; i < field.size; ++i) result += Printable(at[i]);
            return "\"" + result + "\"";
        case Shown::kNone:
            break;
    }
    return result;
}

}  // namespace

std::string ListConfigurationImage(const std::uint8_t* buffer, const std::string& keptFrom) {
    std::string listing;
    char line[128];
    for (const ListedField& field : kFields) {
        const std::string name = FieldName(field, keptFrom);
        std::string decoded = Decoded(buffer + field.offset, field);
        if (field.size == 1) {
            std::snprintf(line, sizeof line, "%7zu  %s", field.offset, name.c_str());
        } else {
            std::snprintf(line, sizeof line, "%3zu-%3zu  %s", field.offset, field.offset + field.size - 1,
                          name.c_str());
        }
        listing += line;
        if (!decoded.empty()) listing += std::string(name.size() < 40 ? 40 - name.size() : 1, ' ') + decoded;
        listing += "\n" + HexLines(buffer + field.offset, field.size);
    }
    return listing;
}

}  // namespace talven
