#include "sim/StationText.h"

#include <cctype>
#include <charconv>

namespace talven::stationtext {

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

bool Tokenize(const std::string& line, std::vector<std::string>& words, std::string& reason) {
    std::size_t i = 0;
    while (i < line.size()) {
        const char c = line[i];
        if (c == ' ' || c == '\t' || c == '\r') {
            ++i;
        } else if (c == '#') {
            break;
        } else if (c == '"') {
            const std::size_t end = line.find('"', i + 1);
            if (end == std::string::npos) {
                reason = "unterminated quoted text";
                return false;
            }
            words.push_back(line.substr(i + 1, end - i - 1));
            i = end + 1;
        } else {
            std::size_t end = i;
            while (end < line.size() && line[end] != ' ' && line[end] != '\t' && line[end] != '\r' &&
                   line[end] != '#')
                ++end;
            words.push_back(line.substr(i, end - i));
            i = end;
        }
    }
    return true;
}

bool ParseDecimal(const std::string& word, double& value) {
    if (word.empty() || word[0] == '-' || word[0] == '+') return false;
    for (const char c : word)
        if (!std::isdigit(static_cast<unsigned char>(c)) && c != '.' && c != 'e' && c != 'E' && c != '-' && c != '+')
            return false;
    const char* end = word.data() + word.size();
    auto [ptr, ec] = std::from_chars(word.data(), end, value, std::chars_format::general);
    return ec == std::errc() && ptr == end;
}

bool ParseUnsigned(const std::string& word, std::uint64_t& value, int base) {
    if (word.empty()) return false;
    const char* end = word.data() + word.size();
    auto [ptr, ec] = std::from_chars(word.data(), end, value, base);
    return ec == std::errc() && ptr == end;
}

bool ParseByte(const std::string& word, std::uint8_t& value) {
    std::uint64_t number = 0;
    std::string digits = word;
    if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) digits = digits.substr(2);
    if (digits.size() > 2 || !ParseUnsigned(digits, number, 16)) return false;
    value = static_cast<std::uint8_t>(number);
    return true;
}

bool ParseSize(const std::string& word, std::uint64_t& bytes) {
    std::size_t digits = 0;
    while (digits < word.size() && std::isdigit(static_cast<unsigned char>(word[digits]))) ++digits;
    std::uint64_t number = 0;
    if (!ParseUnsigned(word.substr(0, digits), number)) return false;
    const std::string unit = Lower(word.substr(digits));
    std::uint64_t factor = 1;
    if (unit == "k" || unit == "kib") factor = 1024;
    else if (unit == "m" || unit == "mib") factor = 1024 * 1024;
    else if (unit == "g" || unit == "gib") factor = 1024ull * 1024 * 1024;
    else if (!unit.empty() && unit != "b") return false;
    if (number > (UINT64_MAX / factor)) return false;
    bytes = number * factor;
    return true;
}

bool ParseDriveText(const std::string& word, char& letter) {
    if (word.size() != 2 || word[1] != ':' || !std::isalpha(static_cast<unsigned char>(word[0]))) return false;
    letter = static_cast<char>(std::toupper(static_cast<unsigned char>(word[0])));
    return true;
}

std::string Printable(const std::string& text) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string shown;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte != 0x7F) {
            shown += c;
        } else {
            shown += "\\x";
            shown += kHex[byte >> 4];
            shown += kHex[byte & 0xF];
        }
    }
    return shown;
}

}  // namespace talven::stationtext
