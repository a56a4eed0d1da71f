#include "settings/SerialBlock.h"

#include <cstdio>

#include "platform/AsciiText.h"
#include "resources/StringFormat.h"
#include "settings/SettingsCheck.h"
#include "settings/SettingsSnapshot.h"
#include "settings/SettingsText.h"

namespace talven {

namespace {

// More digits than this could overflow the count; the field holds 16 characters.
constexpr std::uint32_t kMaxDigits = 18;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::string ReadEnd(const SettingsFile& settings, const SettingsKey& key) {
    char text[kSettingsTextSize] = {};
    return std::string(text, settings.ReadText(key, text));
}

}  // namespace

std::string SerialNumber::Text() const {
    std::string digits = std::to_string(number);
    if (digits.size() < width) digits.insert(0, width - digits.size(), '0');
    return prefix + digits;
}

bool SerialNumber::SameSeries(const SerialNumber& other) const {
    const std::u32string mine = DecodeSettingsText(prefix);
    const std::u32string theirs = DecodeSettingsText(other.prefix);
    if (width != other.width || mine.size() != theirs.size()) return false;
    for (std::size_t i = 0; i < mine.size(); ++i)
        if (Upper(mine[i]) != Upper(theirs[i])) return false;
    return true;
}

std::optional<SerialNumber> ParseSerial(const std::string& text) {
    std::size_t start = text.size();
    while (start > 0 && IsDigit(text[start - 1])) --start;
    const std::size_t width = text.size() - start;
    if (width == 0 || width > kMaxDigits) return std::nullopt;
    SerialNumber serial{text.substr(0, start), static_cast<std::uint32_t>(width), 0};
    for (std::size_t at = start; at < text.size(); ++at) serial.number = serial.number * 10 + (text[at] - '0');
    return serial;
}

bool SerialBlockSet(const SettingsSnapshot& settings) {
    return !settings.Checked(kSerialFirstKey).text.empty() || !settings.Checked(kSerialLastKey).text.empty();
}

std::optional<SerialBlock> ReadSerialBlock(const SettingsSnapshot& settings) {
    // Each end's check holds the pair's refusal too.
    const CheckedSetting& firstEnd = settings.Checked(kSerialFirstKey);
    const CheckedSetting& lastEnd = settings.Checked(kSerialLastKey);
    if (!firstEnd.reason.empty() || !lastEnd.reason.empty()) return std::nullopt;
    const std::optional<SerialNumber> first = ParseSerial(firstEnd.text);
    const std::optional<SerialNumber> last = ParseSerial(lastEnd.text);
    if (!first || !last) return std::nullopt;
    return SerialBlock{*first, last->number};
}

std::string SerialEndRefusal(const std::string& text) {
    if (text.empty() || ParseSerial(text)) return {};
    return Format(IDS_SERIAL_NO_DIGITS, text.c_str());
}

std::string SerialPairRefusal(const SettingsFile& settings, const SettingsKey& key) {
    const std::string firstText = ReadEnd(settings, kSerialFirstKey);
    const std::string lastText = ReadEnd(settings, kSerialLastKey);
    if (firstText.empty() && lastText.empty()) return {};
    if (&key == &kSerialFirstKey)
        return firstText.empty() ? Format(IDS_SERIAL_NEEDED_WITH, kSerialLastKey.name) : std::string();
    if (&key != &kSerialLastKey) return {};
    if (lastText.empty()) return Format(IDS_SERIAL_NEEDED_WITH, kSerialFirstKey.name);
    const std::optional<SerialNumber> first = ParseSerial(firstText);
    const std::optional<SerialNumber> last = ParseSerial(lastText);
    // An end without digits is refused on its own line.
    if (!first || !last) return {};
    // One series as characters, whatever bytes each end was saved in.
    if (DecodeSettingsText(first->prefix) != DecodeSettingsText(last->prefix))
        return Format(IDS_SERIAL_OTHER_PREFIX, lastText.c_str(), firstText.c_str());
    if (first->width != last->width)
        return Format(IDS_SERIAL_OTHER_WIDTH, lastText.c_str(), last->width, firstText.c_str(), first->width);
    if (last->number < first->number)
        return Format(IDS_SERIAL_BEFORE_FIRST, lastText.c_str(), firstText.c_str());
    return {};
}

}  // namespace talven
