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

std::uint8_t LowByte(std::uint32_t value) { return static_cast<std::uint8_t>(value & 0xFF); }

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

std::string DescriptorText(const std::uint8_t* field, std::size_t fieldSize) {
    std::string text;
    for (std::size_t at = 2; at + 1 < fieldSize; at += 2) text += static_cast<char>(field[at]);
    return text.substr(0, text.find_last_not_of(' ') + 1);
}

std::uint32_t ImageChecksum(const std::uint8_t* image) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < kConfigurationImageSize; ++i) {
        crc ^= image[i];
        for (int bit = 0; bit < 8; ++bit) crc = crc >> 1 ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

void BuildConfigurationImage(const SettingsSnapshot& settings, std::uint8_t* buffer) {
    StoreLittleEndian16(buffer + kVendorIdOffset, settings.Checked(kVendorIdKey).value);
    StoreLittleEndian16(buffer + kProductIdOffset, settings.Checked(kProductIdKey).value);

    for (const TextField& field : kTextFields) {
        const CheckedSetting text = settings.Checked(field.key);
        EncodeField(buffer + field.offset, text.text.data(), static_cast<std::uint32_t>(text.text.size()), field.size,
                    field.descriptor);
    }

    for (std::size_t i = 0; i < std::size(kSpeedKeys); ++i) {
        buffer[kSpeedOffset + i] = LowByte(settings.Checked(*kSpeedKeys[i]).value);
    }
    buffer[kPowerOffset] = LowByte(settings.Checked(kPowerConsumptionKey).value);
    buffer[kByte105Offset] = LowByte(settings.Checked(kByte105Key).value);
    buffer[kZeroByteOffset] = 0;
}

void BuildConfigurationImage(const SettingsFile& settings, std::uint8_t* buffer) {
    BuildConfigurationImage(SettingsSnapshot(settings), buffer);
}

void BuildConfigurationImage(Platform& platform, std::uint8_t* buffer, const char* settingsPath) {
    BuildConfigurationImage(SettingsFile(platform, settingsPath), buffer);
}

}  // namespace talven
