// The words of a station file: splitting a line, and the numbers, sizes and
// drive letters its statements are written with.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace talven::stationtext {

std::string Lower(std::string text);
// Splits a line into words; "quoted text" is one word; '#' starts a comment.
bool Tokenize(const std::string& line, std::vector<std::string>& words, std::string& reason);
// A plain decimal number such as 0, 0.25 or 1e-3: no sign, no hexadecimal,
// no "inf" or "nan", and nothing too small or too large for a double.
bool ParseDecimal(const std::string& word, double& value);
bool ParseUnsigned(const std::string& word, std::uint64_t& value, int base = 10);
// One or two hexadecimal digits, with or without 0x.
bool ParseByte(const std::string& word, std::uint8_t& value);
// "4MiB", "16KiB", "4M", "512": a size in bytes.
bool ParseSize(const std::string& word, std::uint64_t& bytes);
// "E:" or "e:": the upper-case letter.
bool ParseDriveText(const std::string& word, char& letter);
// `text` with every byte below 0x20, and 0x7F, written as \xNN.
std::string Printable(const std::string& text);

}  // namespace talven::stationtext
