// The encodings config.kv may come in: ours (the ANSI code page), and those
// Notepad saves it in.
#pragma once

#include <string>
#include <string_view>

enum class ConfigEncoding { Ansi, Utf8, Utf8Bom, Utf16Le, Utf16Be };

// How to read a file's bytes. A byte-order mark decides. Without one, text
// that is strictly valid UTF-8 with at least one multi-byte sequence is
// UTF-8, unless the ANSI code page takes more than one byte for a character
// and the bytes are valid in it (validInAnsi, asked only then): short
// Shift-JIS or GBK names are often valid UTF-8 too. Anything else is ANSI.
ConfigEncoding DetectConfigEncoding(std::string_view bytes, bool ansiIsMultiByte, bool validInAnsi);

// The text of a file in one of the Unicode encodings, its mark dropped; wide
// strings hold UTF-16 code units. Broken UTF-8 reads as U+FFFD.
std::wstring DecodeUnicode(std::string_view bytes, ConfigEncoding encoding);

// The bytes of text in one of the Unicode encodings, with the mark it had.
// False when UTF-8 cannot hold the text (half a surrogate pair).
bool EncodeUnicode(const std::wstring& text, ConfigEncoding encoding, std::string& bytes);
