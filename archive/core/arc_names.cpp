#include "archive/core/arc_names.h"

#include <cctype>
#include <string_view>
#include <vector>

#include "archive/core/arc_globals.h"
#include "classlib/core/code_page.h"

bool HasWildcards(const std::string& S) { return S.find_first_of("*?") != std::string::npos; }

namespace {

// Upper case of the 1251 code page: Latin and Cyrillic letters.
unsigned char UpperAnsi(unsigned char c) {
  if (c >= 'a' && c <= 'z') return c - 32;
  if (c >= 0xE0) return c - 32;
  if (c == 0xB8) return 0xA8;  // yo
  return c;
}

void PrepareSide(std::string& Side, const std::string& Other) {
  if (!Side.empty() && Side.back() == '.')
    Side.pop_back();
  else if (Side.find('.') == std::string::npos && Other.find(".*") != std::string::npos)
    Side += ".*";
}

// Matching of two patterns with wildcards on both sides. A '*' of Name (tested first) is
// skipped and the rest of Name is tried at every position of Spec; a '*' of Spec likewise.
// Done as a table over (position in Name, position in Spec), two rows at a time, so that
// many stars cost n*m steps, not an exponential number.
bool WildMatch(const std::string& N, const std::string& S) {
  const size_t n = N.size(), m = S.size();
  // M[j]: match of N[i..] with S[j..]; T[j]: N[k..] matches S[j+1..] for some k >= i.
  std::vector<char> M1(m + 1), T1(m + 1), M0(m + 1), T0(m + 1);
  M1[m] = 1;
  for (size_t j = m; j-- > 0;) {
    M1[j] = S[j] == '*' && M1[j + 1];  // Name used up: only stars may remain
    T1[j] = M1[j + 1];
  }
  for (size_t i = n; i-- > 0;) {
    const unsigned char a = static_cast<unsigned char>(N[i]);
    M0[m] = a == '*' && M1[m];
    for (size_t j = m; j-- > 0;) {
      const unsigned char b = static_cast<unsigned char>(S[j]);
      T0[j] = M0[j + 1] || T1[j];
      if (a == '*')
        M0[j] = M1[j] || M0[j + 1];
      else if (b == '*')
        M0[j] = T0[j];
      else if (a == '?' || b == '?' || UpperAnsi(a) == UpperAnsi(b))
        M0[j] = M1[j + 1];
      else
        M0[j] = 0;
    }
    M0.swap(M1);
    T0.swap(T1);
  }
  return M1[0] != 0;
}

}  // namespace

namespace {

// The default mask "*.*" against a name without wildcards, without building anything: a
// name with a dot matches, and so does one without (".*" is added to it); only a name
// whose last character is its one dot does not (the dot goes and nothing is added).
bool MatchesEverything(std::string_view N, bool NamesOnly) {
  if (NamesOnly) {
    const size_t Cut = N.find_last_of("\\/");
    if (Cut != std::string_view::npos) {
      N.remove_prefix(Cut + 1);
      if (N.empty()) return false;  // a folder: no name part
    }
  }
  if (N.empty() || N.back() != '.') return true;
  N.remove_suffix(1);
  return N.empty() || N.find('.') != std::string_view::npos;
}

}  // namespace

bool MatchFileSpec(const std::string& Name, const std::string& Spec, bool NamesOnly) {
  // Listing and extracting everything is the common case: no copies, no table.
  if (Spec == "*.*" && Name.find_first_of("*?") == std::string::npos) return MatchesEverything(Name, NamesOnly);
  std::string N = SlashToBackslash(Name), S = SlashToBackslash(Spec);
  if (NamesOnly) {
    const bool hadN = !N.empty(), hadS = !S.empty();
    N = ArcExtractFileName(N);
    S = ArcExtractFileName(S);
    if ((hadN && N.empty()) || (hadS && S.empty())) return false;
  }
  PrepareSide(N, S);
  PrepareSide(S, N);
  if (N.empty()) return !S.empty() && S[0] == '*';
  if (S.empty()) return N[0] == '*';
  return WildMatch(N, S);
}

// ---- Safe output paths ------------------------------------------------------------------

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

bool IsDeviceName(const std::string& Part) {
  std::string base = Part.substr(0, Part.find('.'));
  while (!base.empty() && base.back() == ' ') base.pop_back();
  for (char& c : base) c = static_cast<char>(UpperAnsi(static_cast<unsigned char>(c)));
  static const char* const names[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$", "CLOCK$"};
  for (const char* d : names)
    if (base == d) return true;
  return base.size() == 4 && (base.compare(0, 3, "COM") == 0 || base.compare(0, 3, "LPT") == 0) &&
         base[3] >= '0' && base[3] <= '9';
}

// One folder or file name made harmless; empty when nothing is left of it.
std::string CleanPart(std::string Part) {
  for (char& c : Part) {
    unsigned char u = static_cast<unsigned char>(c);
    if (u < 0x20 || u == 0x7F || c == ':' || c == '*' || c == '?' || c == '"' || c == '<' || c == '>' || c == '|')
      c = '_';
  }
  // Windows drops trailing dots and blanks itself; "..." would otherwise become "..".
  while (!Part.empty() && (Part.back() == '.' || Part.back() == ' ')) Part.pop_back();
  if (!Part.empty() && IsDeviceName(Part)) Part.insert(0, 1, '_');
  return Part;
}

}  // namespace

std::string SafeExtractPath(const std::string& ExtractDir, const std::string& Name, bool UseStoredDirs) {
  size_t pos = 0;
  if (Name.size() >= 2 && IsSeparator(Name[0]) && IsSeparator(Name[1])) {
    // "\\server\share\...": the server and share parts go with the prefix.
    for (int skip = 0; skip < 2; ++skip) {
      while (pos < Name.size() && IsSeparator(Name[pos])) ++pos;
      while (pos < Name.size() && !IsSeparator(Name[pos])) ++pos;
    }
  } else if (Name.size() >= 2 && Name[1] == ':' && ((Name[0] | 0x20) >= 'a' && (Name[0] | 0x20) <= 'z')) {
    pos = 2;
  }
  std::vector<std::string> parts;
  while (pos < Name.size()) {
    size_t end = pos;
    while (end < Name.size() && !IsSeparator(Name[end])) ++end;
    std::string part = Name.substr(pos, end - pos);
    pos = end + 1;
    if (part.empty() || part == "." || part == "..") continue;
    part = CleanPart(part);
    if (!part.empty()) parts.push_back(std::move(part));
  }
  if (parts.empty()) return {};
  if (!UseStoredDirs) parts.erase(parts.begin(), parts.end() - 1);
  std::string result = AddBackslash(ExtractDir);
  for (size_t i = 0; i < parts.size(); ++i) {
    if (i) result += '\\';
    result += parts[i];
  }
  return result;
}

// ---- Volume names ------------------------------------------------------------------------

void ParseVolumeExt(TVolumeState& V, const std::string& Name, bool IsArj) {
  std::string ext = ArcExtractFileExt(Name);
  if (!ext.empty()) ext.erase(0, 1);
  const bool letter = !ext.empty() && !(ext[0] >= '0' && ext[0] <= '9');
  V.VolumeLetter = letter ? static_cast<uint8_t>(ext[0]) : 255;
  const std::string digits = letter ? ext.substr(1) : ext;
  bool number = !digits.empty() && digits.size() <= 9;
  int32_t value = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') {
      number = false;
      break;
    }
    if (number) value = value * 10 + (c - '0');
  }
  if (number)
    V.VolumeNumber = value + 1;
  else
    V.VolumeNumber = (IsArj && letter && (ext[0] == 'A' || ext[0] == 'a')) ? 1 : 0;
}

std::string VolumeExt(const TVolumeState& V) {
  const int32_t n = V.VolumeNumber;
  if (n < 0) return {};
  std::string digits = std::to_string(n);
  if (n >= 100) return digits;
  if (n < 10) digits.insert(0, 1, '0');
  if (V.VolumeLetter != 255) return std::string(1, static_cast<char>(V.VolumeLetter)) + digits;
  return "0" + digits;
}

std::string MakeNextVolumeName(TVolumeState& V, const std::string& Name) {
  if (Name.empty() || V.VolumeNumber < 0) return {};
  std::string result = ReplaceFileExt(Name, "." + VolumeExt(V));
  ++V.VolumeNumber;
  return result;
}

// ---- Names in UTF-8 -----------------------------------------------------------------

bool IsNonAsciiUtf8(const std::string& S) {
  bool High = false;
  for (size_t I = 0; I < S.size();) {
    const uint8_t B = uint8_t(S[I]);
    if (B < 0x80) {
      ++I;
      continue;
    }
    High = true;
    const int Len = (B & 0xE0) == 0xC0 ? 2 : (B & 0xF0) == 0xE0 ? 3 : (B & 0xF8) == 0xF0 ? 4 : 0;
    if (Len == 0 || I + Len > S.size()) return false;
    char32_t C = Len == 2 ? B & 0x1F : Len == 3 ? B & 0x0F : B & 0x07;
    for (int k = 1; k < Len; ++k) {
      const uint8_t N = uint8_t(S[I + k]);
      if ((N & 0xC0) != 0x80) return false;
      C = (C << 6) | (N & 0x3F);
    }
    static const char32_t Min[5] = {0, 0, 0x80, 0x800, 0x10000};
    if (C < Min[Len] || C > 0x10FFFF || (C >= 0xD800 && C <= 0xDFFF)) return false;
    I += Len;
  }
  return High;
}

// UTF-8 decoded into 1251; what 1251 lacks and what is malformed become '_', a character
// no file name may hold anyway.
std::string Utf8NameToAnsi(const std::string& S) {
  std::string R;
  size_t I = 0;
  while (I < S.size()) {
    const uint8_t B = uint8_t(S[I]);
    if (B < 0x80) {
      R += char(B);
      ++I;
      continue;
    }
    int Len = (B & 0xE0) == 0xC0 ? 2 : (B & 0xF0) == 0xE0 ? 3 : (B & 0xF8) == 0xF0 ? 4 : 0;
    char32_t C = Len == 2 ? B & 0x1F : Len == 3 ? B & 0x0F : B & 0x07;
    int Got = 1;
    while (Len && Got < Len && I + Got < S.size() && (uint8_t(S[I + Got]) & 0xC0) == 0x80)
      C = (C << 6) | (uint8_t(S[I + Got++]) & 0x3F);
    const char Out = Len && Got == Len ? UnicodeToCp1251(C) : CodePageFallback;
    R += Out == CodePageFallback ? '_' : Out;
    I += Got;
  }
  return R;
}


std::string HostNameToAnsi(const std::string& Stored, bool FromUnix) {
  return FromUnix ? ArchiveNameToAnsi(Stored) : OemToAnsiName(Stored);
}

std::string CabNameToAnsi(const std::string& Stored, uint32_t Attr) {
  return (Attr & 0x80) ? SlashToBackslash(Utf8NameToAnsi(Stored)) : OemToAnsiName(Stored);
}

std::string ArchiveNameToAnsi(const std::string& Stored) {
  return IsNonAsciiUtf8(Stored) ? SlashToBackslash(Utf8NameToAnsi(Stored)) : OemToAnsiName(Stored);
}

std::string NextRarPartName(const std::string& Name) {
  const size_t slash = Name.find_last_of("\\/:");
  const size_t base = slash == std::string::npos ? 0 : slash + 1;
  if (Name.size() < base + 4) return std::string();
  std::string ext = Name.substr(Name.size() - 4);
  for (char& c : ext) c = char(std::tolower(uint8_t(c)));
  if (ext != ".rar") return std::string();
  size_t digitsEnd = Name.size() - 4, digitsStart = digitsEnd;
  while (digitsStart > base && std::isdigit(uint8_t(Name[digitsStart - 1]))) --digitsStart;
  if (digitsStart == digitsEnd || digitsStart < base + 5) return std::string();
  std::string part = Name.substr(digitsStart - 5, 5);
  for (char& c : part) c = char(std::tolower(uint8_t(c)));
  if (part != ".part") return std::string();
  // The number goes up by one, in as many digits as it had (or one more).
  std::string digits = Name.substr(digitsStart, digitsEnd - digitsStart);
  int i = int(digits.size()) - 1;
  while (i >= 0 && digits[size_t(i)] == '9') digits[size_t(i--)] = '0';
  if (i < 0)
    digits.insert(digits.begin(), '1');
  else
    ++digits[size_t(i)];
  return Name.substr(0, digitsStart) + digits + Name.substr(digitsEnd);
}
