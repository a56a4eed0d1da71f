// The settings file (the input's bytes, read through the build's own
// private-profile reader) through the check, the configuration image and
// its listing: the image touches nothing past its 110 bytes, holds every
// value the check takes as the check read it, and the listing is UTF-8.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>

#include "production/ConfigurationImage.h"
#include "settings/SettingsText.h"
#include "tests/core/settings/SettingsTestSupport.h"
#include "tests/support/MemoryPlatform.h"
#include "tools/image/ImageListing.h"

namespace {

void RequireField(const talven::ImageField& field, const talven::CheckedSetting& checked, const std::uint8_t* image) {
    using namespace talven;
    if (field.key == nullptr || !checked.reason.empty()) return;
    if (field.encoding == FieldEncoding::Word) {
        test::Require(FieldNumber(field, image) == (checked.value & 0xFFFF), "a number field holds its value");
    } else if (field.encoding == FieldEncoding::ScsiText || field.encoding == FieldEncoding::DescriptorText) {
        const std::u32string held = FieldCharacters(field, image);
        test::Require(held.compare(0, checked.characters.size(), checked.characters) == 0 &&
                          held.find_first_not_of(U' ', checked.characters.size()) == std::u32string::npos,
                      "a text field holds its characters, filled up with spaces");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace talven;
    if (size > 8192) return 0;
    static const std::string path =
        (std::filesystem::temp_directory_path() / ("talven-fuzz-" + std::to_string(std::random_device{}()) + ".ini"))
            .string();
    if (std::FILE* file = std::fopen(path.c_str(), "wb")) {
        std::fwrite(data, 1, size, file);
        std::fclose(file);
    }
    const std::unique_ptr<Platform> platform = test::MakeBuildPlatform();
    const SettingsSnapshot settings{SettingsFile(*platform, path.c_str())};
    std::uint8_t buffer[kWorkingBufferSize];
    for (std::size_t i = 0; i < sizeof buffer; ++i) buffer[i] = static_cast<std::uint8_t>(i * 7);
    BuildConfigurationImage(settings, buffer);
    for (std::size_t i = kConfigurationImageSize; i < sizeof buffer; ++i)
        test::Require(buffer[i] == static_cast<std::uint8_t>(i * 7), "the image wrote past its 110 bytes");
    for (const ImageField& field : kImageFields)
        if (field.key != nullptr) RequireField(field, settings.Checked(*field.key), buffer);
    const std::string listing = ListConfigurationImage(buffer, "test bytes", settings.Refused());
    test::Require(Utf8(DecodeSettingsText(listing)) == listing, "the listing is UTF-8");
    std::remove(path.c_str());
    return 0;
}
