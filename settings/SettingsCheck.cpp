#include "settings/SettingsCheck.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string_view>

#include "platform/AsciiText.h"
#include "resources/StringFormat.h"
#include "settings/SerialBlock.h"
#include "settings/SettingsText.h"

namespace talven {

namespace {

constexpr const char* kProgramSections[] = {kProgramSection, kDeviceSection};

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}


// A sign and decimal digits, nothing else; more than ten digits count as
// no number, since the program reads numbers into 32 bits.
std::optional<long long> DecimalNumber(const std::string& text) {
    std::size_t at = !text.empty() && (text[0] == '+' || text[0] == '-') ? 1 : 0;
    const std::size_t digits = text.size() - at;
    if (digits == 0 || digits > 10) return std::nullopt;
    long long value = 0;
    for (; at < text.size(); ++at) {
        if (text[at] < '0' || text[at] > '9') return std::nullopt;
        value = value * 10 + (text[at] - '0');
    }
    return text[0] == '-' ? -value : value;
}

bool IsSixteenBitHexadecimal(const std::string& text) {
    const std::size_t at = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X') ? 2 : 0;
    const std::size_t digits = text.size() - at;
    return digits >= 1 && digits <= 4 &&
           std::all_of(text.begin() + static_cast<std::ptrdiff_t>(at), text.end(),
                       [](char c) { return HexDigit(c) >= 0; });
}

std::string CharacterName(char32_t c) {
    if (c == '\t') return StringText(IDS_TAB_CHARACTER);
    return Format(IDS_CONTROL_CHARACTER, static_cast<unsigned>(c));
}

// Only what the field cannot hold: a control character, one beyond the
// field's character size, more characters than it has room for.
std::string TextRefusal(const SettingsKey& key, const std::u32string& characters) {
    for (std::size_t at = 0; at < characters.size(); ++at) {
        const char32_t c = characters[at];
        const auto position = static_cast<unsigned>(at + 1);
        if (IsControlCharacter(c)) return Format(IDS_TEXT_CONTROL, position, CharacterName(c).c_str());
        if (c > static_cast<char32_t>(key.limit))
            return Format(IDS_TEXT_BEYOND, position, static_cast<unsigned>(c), static_cast<unsigned>(key.limit));
    }
    if (characters.size() > key.capacity) {
        return Format(IDS_TEXT_TOO_LONG, static_cast<unsigned>(characters.size()), static_cast<unsigned>(key.capacity));
    }
    return {};
}

// Steps from one name to the other (a letter changed, added, dropped or two
// swapped), letters compared without regard to case.
std::size_t Distance(std::string_view a, std::string_view b) {
    std::vector<std::vector<std::size_t>> d(a.size() + 1, std::vector<std::size_t>(b.size() + 1));
    for (std::size_t i = 0; i <= a.size(); ++i) d[i][0] = i;
    for (std::size_t j = 0; j <= b.size(); ++j) d[0][j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t change = Lower(a[i - 1]) == Lower(b[j - 1]) ? 0 : 1;
            d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + change});
            if (i > 1 && j > 1 && Lower(a[i - 1]) == Lower(b[j - 2]) && Lower(a[i - 2]) == Lower(b[j - 1]))
                d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
        }
    }
    return d[a.size()][b.size()];
}

// Close enough to be a slip of the hand: one step for short names, two else.
bool NearlyTheSame(std::string_view a, std::string_view b) {
    return Distance(a, b) <= (std::min(a.size(), b.size()) <= 4 ? 1u : 2u);
}

const SettingsKey* KeyNamed(std::string_view section, std::string_view name) {
    for (const SettingsKey* key : kSettingsKeys)
        if (SameName(key->section, section) && SameName(key->name, name)) return key;
    return nullptr;
}

std::string UnknownKeyMessage(const char* section, const std::string& name) {
    for (const SettingsKey* key : kSettingsKeys) {
        if (SameName(key->name, name)) return Format(IDS_KEY_ELSEWHERE, name.c_str(), key->section, section);
    }
    const SettingsKey* nearest = nullptr;
    for (const SettingsKey* key : kSettingsKeys) {
        if (SameName(key->section, section) && NearlyTheSame(key->name, name) &&
            (nearest == nullptr || Distance(key->name, name) < Distance(nearest->name, name)))
            nearest = key;
    }
    if (nearest != nullptr) return Format(IDS_UNKNOWN_KEY_NEAR, name.c_str(), section, nearest->name);
    return Format(IDS_UNKNOWN_KEY, name.c_str(), section);
}

void AddSectionWarnings(const SettingsFile& settings, std::vector<SettingsWarning>& warnings) {
    for (const std::string& name : settings.ReadNames(nullptr)) {
        if (std::any_of(std::begin(kProgramSections), std::end(kProgramSections),
                        [&](const char* ours) { return SameName(ours, name); }))
            continue;
        for (const char* ours : kProgramSections) {
            if (NearlyTheSame(ours, name)) {
                warnings.push_back({name, {}, Format(IDS_NEAR_SECTION, name.c_str(), ours)});
                break;
            }
        }
    }
}

// GO tells only 0 from any other number: a switch written otherwise is said,
// with what GO makes of it.
void AddSwitchWarnings(const SettingsFile& settings, std::vector<SettingsWarning>& warnings) {
    for (const SettingsKey* key : kSettingsKeys) {
        if (key->kind != SettingKind::Switch) continue;
        char text[kSettingsTextSize];
        const std::string value(text, settings.ReadText(*key, text));
        const std::optional<long long> number = DecimalNumber(value);
        if (number && (*number == 0 || *number == 1)) continue;
        const unsigned readAs = settings.ReadNumber(*key) != 0 ? 1 : 0;
        warnings.push_back({key->section, key->name, Format(IDS_SWITCH_READ_AS, key->name, value.c_str(), readAs)});
    }
}

}  // namespace

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

std::string RefusalReason(const SettingsKey& key, const std::string& text) {
    switch (key.kind) {
        case SettingKind::Switch:
        case SettingKind::Folder:
            return {};
        case SettingKind::Hexadecimal:
            return IsSixteenBitHexadecimal(text) ? std::string() : Format(IDS_BAD_HEXADECIMAL, text.c_str());
        case SettingKind::Text:
            return TextRefusal(key, DecodeSettingsText(text));
        case SettingKind::SerialEnd: {
            const std::string refusal = TextRefusal(key, DecodeSettingsText(text));
            return refusal.empty() ? SerialEndRefusal(text) : refusal;
        }
        case SettingKind::Speed: {
            const std::optional<long long> number = DecimalNumber(text);
            const bool good = number && (*number == 0 || *number == key.limit);
            return good ? std::string() : Format(IDS_BAD_SPEED, text.c_str(), key.limit);
        }
        case SettingKind::Number: {
            const std::optional<long long> number = DecimalNumber(text);
            const bool good = number && *number >= 0 && *number <= key.limit;
            return good ? std::string() : Format(IDS_BAD_NUMBER, text.c_str(), key.limit);
        }
    }
    return {};
}

CheckedSetting CheckSetting(const SettingsFile& settings, const SettingsKey& key) {
    CheckedSetting checked;
    checked.key = &key;
    char text[kSettingsTextSize];
    checked.text.assign(text, settings.ReadText(key, text));
    switch (key.kind) {
        case SettingKind::Switch:
        case SettingKind::Speed:
        case SettingKind::Number:
            checked.value = settings.ReadNumber(key);
            break;
        case SettingKind::Hexadecimal:
            checked.value = ParseHexadecimal(checked.text.c_str());
            break;
        case SettingKind::Text:
        case SettingKind::SerialEnd:
            checked.characters = DecodeSettingsText(checked.text);
            break;
        case SettingKind::Folder:
            break;
    }
    checked.reason = RefusalReason(key, checked.text);
    // Two good ends may still make no block together.
    if (key.kind == SettingKind::SerialEnd && checked.reason.empty()) checked.reason = SerialPairRefusal(settings, key);
    return checked;
}

std::vector<SettingsWarning> FindSettingsWarnings(const SettingsFile& settings) {
    std::vector<SettingsWarning> warnings;
    AddSwitchWarnings(settings, warnings);
    for (const char* section : kProgramSections) {
        for (const std::string& name : settings.ReadNames(section)) {
            if (!name.empty() && KeyNamed(section, name) == nullptr)
                warnings.push_back({section, name, UnknownKeyMessage(section, name)});
        }
    }
    AddSectionWarnings(settings, warnings);
    return warnings;
}

std::string SettingsStatusText(const std::vector<CheckedSetting>& refused, const std::vector<SettingsWarning>& warnings) {
    if (!refused.empty()) return Format(IDS_SETTING_REFUSED, refused.front().key->name, refused.front().reason.c_str());
    if (!warnings.empty()) return Format(IDS_SETTINGS_WARNING, warnings.front().message.c_str());
    return {};
}

}  // namespace talven
