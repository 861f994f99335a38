// Conversions between the Windows Cyrillic code page 1251 (the program's own strings) and
// the DOS code page 866, KOI8-R, UTF-16 (the Win32 wide API) and UTF-8 (Linux file names).
//
// All conversions use our own tables, never the system's code page, so that the result is
// the same on every machine. A character that has no counterpart in the target code page
// becomes CodePageFallback ('?'); lengths are kept for the single-byte conversions.
#pragma once

#include <string>
#include <string_view>

constexpr char CodePageFallback = '?';

// Single-byte conversions: one byte in, one byte out; bytes below 0x80 are unchanged.
std::string Cp1251ToCp866(std::string_view S);
std::string Cp866ToCp1251(std::string_view S);
std::string Cp1251ToKoi8r(std::string_view S);
std::string Koi8rToCp1251(std::string_view S);

// The same, in place on a buffer (for large texts converted block by block).
void Cp1251ToCp866Buf(char* Buf, std::size_t Len);
void Cp866ToCp1251Buf(char* Buf, std::size_t Len);
void Cp1251ToKoi8rBuf(char* Buf, std::size_t Len);
void Koi8rToCp1251Buf(char* Buf, std::size_t Len);

// The Unicode code point of a 1251 byte (the unassigned 0x98 maps to U+0098, so every
// byte survives a round trip), and the 1251 byte of a code point (CodePageFallback when
// there is none).
char16_t Cp1251ToUnicode(unsigned char C);
char UnicodeToCp1251(char32_t C);

std::u16string Cp1251ToUtf16(std::string_view S);
// Unpaired surrogates and characters outside 1251 become CodePageFallback.
std::string Utf16ToCp1251(std::u16string_view S);
std::string Cp1251ToUtf8(std::string_view S);
// Malformed UTF-8 sequences become one CodePageFallback each.
std::string Utf8ToCp1251(std::string_view S);
