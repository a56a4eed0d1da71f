#include "production/ConfigurationImage.h"

#include <iterator>

namespace talven {

namespace {

// A text field of the image with its key and default.
struct TextField {
    const char* key;
    const char* defaultText;
    std::size_t offset;
    std::uint32_t size;
    bool descriptor;
};

constexpr TextField kTextFields[] = {
    {"Manufacture", "KVe", kManufacturerOffset, kManufacturerSize, true},
    {"Productor", "USBCard Reader", kProductOffset, kProductSize, true},
    {"SN", "123456789abcdef", kSerialNumberOffset, kSerialNumberSize, true},
    {"SCSI_VER", "KVe", kScsiVersionOffset, kScsiVersionSize, false},
};

constexpr const char* kSpeedKeys[] = {"CFSpeed", "SMSpeed", "SDSpeed", "MSProSpeed", "MSSpeed", "MMCSpeed"};

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool IsSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

void StoreLittleEndian16(std::uint8_t* at, std::uint32_t value) {
    at[0] = static_cast<std::uint8_t>(value & 0xFF);
    at[1] = static_cast<std::uint8_t>(value >> 8 & 0xFF);
}

}  // namespace

void EncodeField(std::uint8_t* destination, const char* text, std::uint32_t length, std::uint32_t fieldSize,
                 bool descriptor) {
    if (descriptor) {
        if (fieldSize < 2) return;
        destination[0] = static_cast<std::uint8_t>(fieldSize & 0xFF);
        destination[1] = 3;
        std::uint32_t capacity = (fieldSize - 2) / 2;
        for (std::uint32_t i = 0; i < capacity; ++i) {
            destination[2 + 2 * i] = i < length ? static_cast<std::uint8_t>(text[i]) : 0x20;
            destination[3 + 2 * i] = 0;
        }
        return;
    }
    for (std::uint32_t i = 0; i < fieldSize; ++i) {
        destination[i] = i < length ? static_cast<std::uint8_t>(text[i]) : 0x20;
    }
}

std::uint32_t ParseHexadecimal(const char* text) {
    const char* p = text;
    while (IsSpace(*p)) ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') negative = *p++ == '-';
    // "0x" counts as a prefix only when a digit follows; "0x" alone is the 0.
    if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X') && HexDigit(p[2]) >= 0) p += 2;
    std::uint64_t value = 0;
    bool overflow = false;
    for (int digit; (digit = HexDigit(*p)) >= 0; ++p) {
        value = value * 16 + static_cast<std::uint64_t>(digit);
        if (value > 0xFFFFFFFFull) {
            overflow = true;
            value &= 0xFFFFFFFFull;
        }
    }
    // Windows' unsigned long is 32 bits; an overflow gives ULONG_MAX, sign or not.
    if (overflow) return 0xFFFFFFFFu;
    std::uint32_t result = static_cast<std::uint32_t>(value);
    return negative ? 0u - result : result;
}

void BuildConfigurationImage(const SettingsFile& settings, std::uint8_t* buffer) {
    char text[kSettingsTextSize];

    settings.ReadText(kDeviceSection, "VID", "3C71", text);
    StoreLittleEndian16(buffer + kVendorIdOffset, ParseHexadecimal(text));
    settings.ReadText(kDeviceSection, "PID", "5308", text);
    StoreLittleEndian16(buffer + kProductIdOffset, ParseHexadecimal(text));

    for (const TextField& field : kTextFields) {
        std::uint32_t length = settings.ReadText(kDeviceSection, field.key, field.defaultText, text);
        EncodeField(buffer + field.offset, text, length, field.size, field.descriptor);
    }

    for (std::size_t i = 0; i < std::size(kSpeedKeys); ++i) {
        buffer[kSpeedOffset + i] = static_cast<std::uint8_t>(settings.ReadNumber(kDeviceSection, kSpeedKeys[i], 0));
    }
    buffer[kPowerOffset] = static_cast<std::uint8_t>(settings.ReadNumber(kDeviceSection, "Power Consumption", 250));
    buffer[kByte105Offset] = static_cast<std::uint8_t>(settings.ReadNumber(kDeviceSection, "BY105", 65));
    buffer[kZeroByteOffset] = 0;
}

void BuildConfigurationImage(Platform& platform, std::uint8_t* buffer, const char* settingsPath) {
    BuildConfigurationImage(SettingsFile(platform, settingsPath), buffer);
}

}  // namespace talven
