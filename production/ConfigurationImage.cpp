#include "production/ConfigurationImage.h"

#include <cstdio>

#include "settings/SettingsText.h"

namespace talven {

namespace {

// A character the field has no room for: refused by the check, but the
// image talven-image lists and writes still shows where it stood.
constexpr char32_t kUnfit = '?';

void StoreNumber(const ImageField& field, std::uint8_t* at, std::uint32_t value) {
    at[0] = static_cast<std::uint8_t>(value & 0xFF);
    if (field.encoding == FieldEncoding::Word) at[1] = static_cast<std::uint8_t>(value >> 8 & 0xFF);
}

}  // namespace

const ImageField* ImageFieldOf(const SettingsKey& key) {
    for (const ImageField& field : kImageFields)
        if (field.key == &key) return &field;
    return nullptr;
}

void EncodeField(std::uint8_t* destination, std::u32string_view characters, std::size_t fieldSize,
                 bool descriptor) {
    if (!descriptor) {
        for (std::size_t i = 0; i < fieldSize; ++i) {
            const char32_t c = i < characters.size() ? characters[i] : U' ';
            destination[i] = static_cast<std::uint8_t>(c <= 0xFF ? c : kUnfit);
        }
        return;
    }
    if (fieldSize < 2) return;
    destination[0] = static_cast<std::uint8_t>(fieldSize & 0xFF);
    destination[1] = kStringDescriptorType;
    for (std::size_t i = 0; i < (fieldSize - 2) / 2; ++i) {
        char32_t c = i < characters.size() ? characters[i] : U' ';
        if (c > 0xFFFF) c = kUnfit;
        destination[2 + 2 * i] = static_cast<std::uint8_t>(c & 0xFF);
        destination[3 + 2 * i] = static_cast<std::uint8_t>(c >> 8);
    }
}

std::uint32_t FieldNumber(const ImageField& field, const std::uint8_t* image) {
    const std::uint8_t* at = image + field.offset;
    return field.encoding == FieldEncoding::Word ? at[0] | at[1] << 8 : at[0];
}

std::u32string FieldCharacters(const ImageField& field, const std::uint8_t* image) {
    const std::uint8_t* at = image + field.offset;
    std::u32string characters;
    if (field.encoding == FieldEncoding::ScsiText) {
        for (std::size_t i = 0; i < field.size; ++i) characters += at[i];
    } else {
        for (std::size_t i = 2; i + 1 < field.size; i += 2) characters += static_cast<char32_t>(at[i] | at[i + 1] << 8);
    }
    return characters;
}

std::u32string UnpaddedCharacters(const ImageField& field, const std::uint8_t* image) {
    std::u32string characters = FieldCharacters(field, image);
    characters.erase(characters.find_last_not_of(U' ') + 1);
    return characters;
}

ImageIdentity IdentityOf(const std::uint8_t* image) {
    ImageIdentity identity;
    char text[16];
    std::snprintf(text, sizeof text, "%04X", static_cast<unsigned>(FieldNumber(*ImageFieldOf(kVendorIdKey), image)));
    identity.vendorId = text;
    std::snprintf(text, sizeof text, "%04X", static_cast<unsigned>(FieldNumber(*ImageFieldOf(kProductIdKey), image)));
    identity.productId = text;
    // An EEPROM never programmed (all 0xFF) holds no string descriptor there: no serial.
    const ImageField& serial = *ImageFieldOf(kSerialNumberKey);
    const std::uint8_t size = image[serial.offset];
    if (image[serial.offset + 1] == kStringDescriptorType && size >= 2 && size <= serial.size) {
        std::u32string characters = UnpaddedCharacters(serial, image).substr(0, (size - 2) / 2u);
        characters.erase(characters.find_last_not_of(U' ') + 1);
        identity.serial = Utf8(characters);
    }
    return identity;
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
    for (const ImageField& field : kImageFields) {
        std::uint8_t* at = buffer + field.offset;
        if (field.key == nullptr) {
            at[0] = 0;
            continue;
        }
        const CheckedSetting& checked = settings.Checked(*field.key);
        if (field.encoding == FieldEncoding::DescriptorText || field.encoding == FieldEncoding::ScsiText) {
            EncodeField(at, checked.characters, field.size, field.encoding == FieldEncoding::DescriptorText);
        } else {
            StoreNumber(field, at, checked.value);
        }
    }
}

}  // namespace talven
