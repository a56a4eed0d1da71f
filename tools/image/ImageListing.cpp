#include "tools/image/ImageListing.h"

#include <cstdio>

#include "production/ConfigurationImage.h"

namespace talven {

namespace {

enum class Shown { kNone, kNumber16, kDescriptor, kText, kByte };

struct ListedField {
    std::size_t offset;
    std::size_t size;
    const char* name;  // null for a range the build keeps
    Shown shown;
};

constexpr ListedField kFields[] = {
    {0, 2, "USB vendor ID (VID)", Shown::kNumber16},
    {2, 2, "USB product ID (PID)", Shown::kNumber16},
    {4, 8, "manufacturer string (Manufacture)", Shown::kDescriptor},
    {12, 10, nullptr, Shown::kNone},
    {22, 32, "product string (Productor)", Shown::kDescriptor},
    {54, 2, nullptr, Shown::kNone},
    {56, 34, "serial-number string (SN)", Shown::kDescriptor},
    {90, 8, "SCSI version text (SCSI_VER)", Shown::kText},
    {98, 1, "CF speed (CFSpeed)", Shown::kByte},
    {99, 1, "SM speed (SMSpeed)", Shown::kByte},
    {100, 1, "SD speed (SDSpeed)", Shown::kByte},
    {101, 1, "MS Pro speed (MSProSpeed)", Shown::kByte},
    {102, 1, "MS speed (MSSpeed)", Shown::kByte},
    {103, 1, "MMC speed (MMCSpeed)", Shown::kByte},
    {104, 1, "power consumption (Power Consumption)", Shown::kByte},
    {105, 1, "byte 105 (BY105)", Shown::kByte},
    {106, 1, "always 0", Shown::kByte},
    {107, 3, nullptr, Shown::kNone},
    {kConfigurationImageSize, kWorkingBufferSize - kConfigurationImageSize, nullptr, Shown::kNone},
};

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
        std::string name = field.name != nullptr ? field.name : "(kept from " + keptFrom + ")";
        std::string decoded = Decoded(buffer + field.offset, field);
        if (field.size == 1) {
            std::snprintf(line, sizeof line, "%7zu  %s", field.offset, name.c_str());
        } else {
            std::snprintf(line, sizeof line, "%3zu-%3zu  %s", field.offset, field.offset + field.size - 1,
                          name.c_str());
        }
        listing += line;
        if (!decoded.empty()) listing += std::string(name.size() < 40 ? 40 - name.size() : 1, ' ') + decoded;
        listing += "\n";
        // Sixteen bytes to a line.
        for (std::size_t row = 0; row < field.size; row += 16) {
            listing += "         ";
            for (std::size_t i = row; i < field.size && i < row + 16; ++i) {
                std::snprintf(line, sizeof line, " %02X", buffer[field.offset + i]);
                listing += line;
            }
            listing += "\n";
        }
    }
    return listing;
}

}  // namespace talven
