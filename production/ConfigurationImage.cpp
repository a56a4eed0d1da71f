#include "production/ConfigurationImage.h"

#include <iterator>

namespace talven {

namespace {

// A text field of the image and its key.
struct TextField {
    const SettingsKey& key;
    std::size_t offset;
    std::uint32_t size;
    bool descriptor;
};

constexpr TextField kTextFields[] = {
    {kManufactureKey, kManufacturerOffset, kManufacturerSize, true},
    {kProductorKey, kProductOffset, kProductSize, true},
    {kSerialNumberKey, kSerialNumberOffset, kSerialNumberSize, true},
    {kScsiVersionKey, kScsiVersionOffset, kScsiVersionSize, false},
};

// In the order of their bytes from offset 98.
constexpr const SettingsKey* kSpeedKeys[] = {&kCfSpeedKey,    &kSmSpeedKey, &kSdSpeedKey,
                                             &kMsProSpeedKey, &kMsSpeedKey, &kMmcSpeedKey};

constexpr SettingsReader kReader = SettingsReader::ProgrammingRun;

std::uint8_t LowByte(std::uint32_t value) { return static_cast<std::uint8_t>(value & 0xFF); }

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
        destination[1] = kStringDescriptorType;
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

    settings.ReadText(kVendorIdKey, kReader, text);
    StoreLittleEndian16(buffer + kVendorIdOffset, ParseHexadecimal(text));
    settings.ReadText(kProductIdKey, kReader, text);
    StoreLittleEndian16(buffer + kProductIdOffset, ParseHexadecimal(text));

    for (const TextField& field : kTextFields) {
        std::uint32_t length = settings.ReadText(field.key, kReader, text);
        EncodeField(buffer + field.offset, text, length, field.size, field.descriptor);
    }

    for (std::size_t i = 0; i < std::size(kSpeedKeys); ++i) {
        buffer[kSpeedOffset + i] = LowByte(settings.ReadNumber(*kSpeedKeys[i], kReader));
    }
    buffer[kPowerOffset] = LowByte(settings.ReadNumber(kPowerConsumptionKey, kReader));
    buffer[kByte105Offset] = LowByte(settings.ReadNumber(kByte105Key, kReader));
    buffer[kZeroByteOffset] = 0;
}

void BuildConfigurationImage(Platform& platform, std::uint8_t* buffer, const char* settingsPath) {
    BuildConfigurationImage(SettingsFile(platform, settingsPath), buffer);
}

}  // namespace talven
