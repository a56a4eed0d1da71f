// The settings texts' decoding and encoding, the record's form of a text,
// and a serial's arithmetic. The first byte splits the input into a text and
// the form the file held before (`loaded`).
#include <cstdint>
#include <string>

#include "record/VerdictRecordCsv.h"
#include "settings/SerialBlock.h"
#include "settings/SettingsText.h"
#include "tests/support/MemoryPlatform.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace talven;
    using test::Require;
    if (size == 0) return 0;
    const std::string input(reinterpret_cast<const char*>(data) + 1, size - 1);
    const std::string text = input.substr(0, std::min<std::size_t>(data[0], input.size()));
    const std::string loaded = input.substr(text.size());

    const std::u32string characters = DecodeSettingsText(text);
    Require(DecodeSettingsText(EncodeSettingsText(characters)) == characters, "a typed text reads back");
    Require(DecodeSettingsText(EncodeSettingsText(characters, loaded)) == characters,
            "a text written in the form of the file's reads back");
    Require(FromUtf16(Utf16(characters)) == characters, "UTF-16 and back");
    const std::string record = RecordText(text);
    Require(Utf8(DecodeSettingsText(record)) == record, "the record's text is UTF-8");
    for (const char32_t c : DecodeSettingsText(record)) Require(c >= 0x20 && c != 0x7F, "a control character");

    const std::optional<SerialNumber> serial = ParseSerial(text);
    if (!serial) return 0;
    Require(serial->Text() == text, "a serial reads back as written");
    std::uint64_t limit = 1;
    for (std::uint32_t digit = 0; digit < serial->width; ++digit) limit *= 10;
    const SerialBlock block{*serial, serial->number + loaded.size()};
    if (block.last >= limit) return 0;  // the settings check refuses a block that needs another digit
    const std::optional<SerialNumber> last = ParseSerial(block.At(block.last).Text());
    Require(last && last->number == block.last && last->SameSeries(*serial), "the block's last is of its series");
    return 0;
}
