#include "tools/image/ImageListing.h"

#include <cstdio>
#include <string>

#include "production/ConfigurationImage.h"

namespace talven {

namespace {

enum class Shown { kNone, kNumber16, kDescriptor, kText, kByte };

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
    {98, 1, "CF speed", Shown::kByte, &kCfSpeedKey},
    {99, 1, "SM speed", Shown::kByte, &kSmSpeedKey},
    {100, 1, "SD speed", Shown::kByte, &kSdSpeedKey},
    {101, 1, "MS Pro speed", Shown::kByte, &kMsProSpeedKey},
    {102, 1, "MS speed", Shown::kByte, &kMsSpeedKey},
    {103, 1, "MMC speed", Shown::kByte, &kMmcSpeedKey},
    {104, 1, "power consumption", Shown::kByte, &kPowerConsumptionKey},
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
