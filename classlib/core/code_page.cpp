#include "classlib/core/code_page.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace {

// Upper halves (bytes 0x80..0xFF) of the three code pages as Unicode code points.
constexpr char16_t kCp1251[128] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,  // 80
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,  // 88
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,  // 98 (0x98 unassigned)
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,  // A0
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,  // A8
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,  // B0
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,  // B8
    0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417,  // C0
    0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F,  // C8
    0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427,  // D0
    0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F,  // D8
    0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437,  // E0
    0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F,  // E8
    0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447,  // F0
    0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F,  // F8
};

constexpr char16_t kCp866[128] = {
    0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417,  // 80
    0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F,  // 88
    0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427,  // 90
    0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F,  // 98
    0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437,  // A0
    0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F,  // A8
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x2561, 0x2562, 0x2556,  // B0
    0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510,  // B8
    0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F,  // C0
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x2567,  // C8
    0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256B,  // D0
    0x256A, 0x2518, 0x250C, 0x2588, 0x2584, 0x258C, 0x2590, 0x2580,  // D8
    0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447,  // E0
    0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F,  // E8
    0x0401, 0x0451, 0x0404, 0x0454, 0x0407, 0x0457, 0x040E, 0x045E,  // F0
    0x00B0, 0x2219, 0x00B7, 0x221A, 0x2116, 0x00A4, 0x25A0, 0x00A0,  // F8
};

constexpr char16_t kKoi8r[128] = {
    0x2500, 0x2502, 0x250C, 0x2510, 0x2514, 0x2518, 0x251C, 0x2524,  // 80
    0x252C, 0x2534, 0x253C, 0x2580, 0x2584, 0x2588, 0x258C, 0x2590,  // 88
    0x2591, 0x2592, 0x2593, 0x2320, 0x25A0, 0x2219, 0x221A, 0x2248,  // 90
    0x2264, 0x2265, 0x00A0, 0x2321, 0x00B0, 0x00B2, 0x00B7, 0x00F7,  // 98
    0x2550, 0x2551, 0x2552, 0x0451, 0x2553, 0x2554, 0x2555, 0x2556,  // A0
    0x2557, 0x2558, 0x2559, 0x255A, 0x255B, 0x255C, 0x255D, 0x255E,  // A8
    0x255F, 0x2560, 0x2561, 0x0401, 0x2562, 0x2563, 0x2564, 0x2565,  // B0
    0x2566, 0x2567, 0x2568, 0x2569, 0x256A, 0x256B, 0x256C, 0x00A9,  // B8
    0x044E, 0x0430, 0x0431, 0x0446, 0x0434, 0x0435, 0x0444, 0x0433,  // C0
    0x0445, 0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E,  // C8
    0x043F, 0x044F, 0x0440, 0x0441, 0x0442, 0x0443, 0x0436, 0x0432,  // D0
    0x044C, 0x044B, 0x0437, 0x0448, 0x044D, 0x0449, 0x0447, 0x044A,  // D8
    0x042E, 0x0410, 0x0411, 0x0426, 0x0414, 0x0415, 0x0424, 0x0413,  // E0
    0x0425, 0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E,  // E8
    0x041F, 0x042F, 0x0420, 0x0421, 0x0422, 0x0423, 0x0416, 0x0412,  // F0
    0x042C, 0x042B, 0x0417, 0x0428, 0x042D, 0x0429, 0x0427, 0x042A,  // F8
};

using ByteTable = std::array<unsigned char, 256>;

// A byte-to-byte table from one code page's upper half to another's, through Unicode.
ByteTable MakeTable(const char16_t (&From)[128], const char16_t (&To)[128]) {
  ByteTable T{};
  for (int I = 0; I < 128; ++I) T[I] = static_cast<unsigned char>(I);
  for (int I = 0; I < 128; ++I) {
    T[128 + I] = static_cast<unsigned char>(CodePageFallback);
    for (int J = 0; J < 128; ++J)
      if (To[J] == From[I]) {
        T[128 + I] = static_cast<unsigned char>(128 + J);
        break;
      }
  }
  return T;
}

const ByteTable& Table1251To866() {
  static const ByteTable T = MakeTable(kCp1251, kCp866);
  return T;
}
const ByteTable& Table866To1251() {
  static const ByteTable T = MakeTable(kCp866, kCp1251);
  return T;
}
const ByteTable& Table1251ToKoi8r() {
  static const ByteTable T = MakeTable(kCp1251, kKoi8r);
  return T;
}
const ByteTable& TableKoi8rTo1251() {
  static const ByteTable T = MakeTable(kKoi8r, kCp1251);
  return T;
}

void Apply(const ByteTable& T, char* Buf, std::size_t Len) {
  for (std::size_t I = 0; I < Len; ++I) Buf[I] = static_cast<char>(T[static_cast<unsigned char>(Buf[I])]);
}

std::string Convert(const ByteTable& T, std::string_view S) {
  std::string R(S);
  Apply(T, R.data(), R.size());
  return R;
}

// Code point -> 1251 byte for the upper half, sorted by code point for a binary search.
struct ReverseEntry {
  char16_t Code;
  unsigned char Byte;
};

const std::array<ReverseEntry, 128>& Reverse1251() {
  static const std::array<ReverseEntry, 128> R = [] {
    std::array<ReverseEntry, 128> A{};
    for (int I = 0; I < 128; ++I) A[I] = {kCp1251[I], static_cast<unsigned char>(128 + I)};
    std::sort(A.begin(), A.end(), [](const ReverseEntry& X, const ReverseEntry& Y) { return X.Code < Y.Code; });
    return A;
  }();
  return R;
}

void AppendUtf8(std::string& Out, char32_t C) {
  if (C < 0x80) {
    Out += static_cast<char>(C);
  } else if (C < 0x800) {
    Out += static_cast<char>(0xC0 | (C >> 6));
    Out += static_cast<char>(0x80 | (C & 0x3F));
  } else {
    Out += static_cast<char>(0xE0 | (C >> 12));
    Out += static_cast<char>(0x80 | ((C >> 6) & 0x3F));
    Out += static_cast<char>(0x80 | (C & 0x3F));
  }
}

}  // namespace

std::string Cp1251ToCp866(std::string_view S) { return Convert(Table1251To866(), S); }
std::string Cp866ToCp1251(std::string_view S) { return Convert(Table866To1251(), S); }
std::string Cp1251ToKoi8r(std::string_view S) { return Convert(Table1251ToKoi8r(), S); }
std::string Koi8rToCp1251(std::string_view S) { return Convert(TableKoi8rTo1251(), S); }

void Cp1251ToCp866Buf(char* Buf, std::size_t Len) { Apply(Table1251To866(), Buf, Len); }
void Cp866ToCp1251Buf(char* Buf, std::size_t Len) { Apply(Table866To1251(), Buf, Len); }
void Cp1251ToKoi8rBuf(char* Buf, std::size_t Len) { Apply(Table1251ToKoi8r(), Buf, Len); }
void Koi8rToCp1251Buf(char* Buf, std::size_t Len) { Apply(TableKoi8rTo1251(), Buf, Len); }

char16_t Cp1251ToUnicode(unsigned char C) { return C < 0x80 ? C : kCp1251[C - 0x80]; }

char UnicodeToCp1251(char32_t C) {
  if (C < 0x80) return static_cast<char>(C);
  const auto& R = Reverse1251();
  auto It = std::lower_bound(R.begin(), R.end(), C, [](const ReverseEntry& E, char32_t V) { return E.Code < V; });
  if (It != R.end() && It->Code == C) return static_cast<char>(It->Byte);
  return CodePageFallback;
}

std::u16string Cp1251ToUtf16(std::string_view S) {
  std::u16string R;
  R.reserve(S.size());
  for (unsigned char C : S) R += Cp1251ToUnicode(C);
  return R;
}

std::string Utf16ToCp1251(std::u16string_view S) {
  std::string R;
  R.reserve(S.size());
  for (std::size_t I = 0; I < S.size(); ++I) {
    char16_t C = S[I];
    if (C >= 0xD800 && C <= 0xDBFF && I + 1 < S.size() && S[I + 1] >= 0xDC00 && S[I + 1] <= 0xDFFF) ++I;  // a pair: nothing in 1251
    R += (C >= 0xD800 && C <= 0xDFFF) ? CodePageFallback : UnicodeToCp1251(C);
  }
  return R;
}

std::string Cp1251ToUtf8(std::string_view S) {
  std::string R;
  R.reserve(S.size() * 2);
  for (unsigned char C : S) AppendUtf8(R, Cp1251ToUnicode(C));
  return R;
}

std::string Utf8ToCp1251(std::string_view S) {
  std::string R;
  R.reserve(S.size());
  std::size_t I = 0;
  const std::size_t N = S.size();
  while (I < N) {
    unsigned char B = static_cast<unsigned char>(S[I]);
    if (B < 0x80) {
      R += static_cast<char>(B);
      ++I;
      continue;
    }
    int Len = 0;
    char32_t C = 0, Min = 0;
    if ((B & 0xE0) == 0xC0) { Len = 2; C = B & 0x1F; Min = 0x80; }
    else if ((B & 0xF0) == 0xE0) { Len = 3; C = B & 0x0F; Min = 0x800; }
    else if ((B & 0xF8) == 0xF0) { Len = 4; C = B & 0x07; Min = 0x10000; }
    int Got = 1;
    if (Len) {
      while (Got < Len && I + Got < N && (static_cast<unsigned char>(S[I + Got]) & 0xC0) == 0x80) {
        C = (C << 6) | (static_cast<unsigned char>(S[I + Got]) & 0x3F);
        ++Got;
      }
    }
    // Overlong forms, surrogates and truncated sequences are malformed.
    bool Ok = Len && Got == Len && C >= Min && C <= 0x10FFFF && !(C >= 0xD800 && C <= 0xDFFF);
    R += Ok ? UnicodeToCp1251(C) : CodePageFallback;
    I += Got;
  }
  return R;
}
