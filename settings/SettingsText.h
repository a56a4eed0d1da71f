// The characters of a settings text. The private-profile calls hand over the
// file's bytes as they stand: a file saved as UTF-8 gives two bytes for "ä",
// one saved as ANSI gives one. The check, the configuration image, the
// listing, the setup dialog and talven-image all read a text through this one
// decoding, so they agree on its characters.
#pragma once

#include <string>
#include <string_view>

namespace talven {

// Valid UTF-8 that holds at least one multi-byte sequence: such bytes are
// read as UTF-8. Plain ASCII reads alike either way.
bool ReadsAsUtf8(std::string_view bytes);

// The characters of `bytes`: decoded as UTF-8 when ReadsAsUtf8, else each
// byte one character of the same value (the 8-bit rule the reader's strings
// were always written by).
std::u32string DecodeSettingsText(std::string_view bytes);

// The bytes that decode to `characters`, for a text the operator typed.
// When the characters are those of `loaded` (what the file held), its bytes
// stand; else the text keeps the form of `loaded`: UTF-8 if it was UTF-8,
// one byte a character where every character fits one byte and the bytes
// cannot be taken for UTF-8, UTF-8 otherwise.
std::string EncodeSettingsText(std::u32string_view characters, std::string_view loaded = {});

std::string Utf8(std::u32string_view characters);
// Characters beyond 16 bits become surrogate pairs.
std::u16string Utf16(std::u32string_view characters);
// Surrogate pairs joined; a lone surrogate stays one character.
std::u32string FromUtf16(std::u16string_view units);

// C0, DEL and C1: no field of the reader's configuration shows them.
constexpr bool IsControlCharacter(char32_t c) { return c < 0x20 || (c >= 0x7F && c <= 0x9F); }

}  // namespace talven
