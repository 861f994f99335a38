#include "classlib/core/sys_utils.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <chrono>
#include <cctype>
#include <cmath>
#include <cstring>
#include <ctime>
#include <limits>
#include <vector>

#include "classlib/core/exception.h"

char DecimalSeparator = '.';
char ThousandSeparator = ',';
char DateSeparator = '.';
char TimeSeparator = ':';
std::string ShortDateFormat = "dd.mm.yyyy";
std::string LongDateFormat = "d mmmm yyyy";
std::string ShortTimeFormat = "h:nn";
std::string LongTimeFormat = "hh:nn:ss";
std::string TimeAMString = "AM";
std::string TimePMString = "PM";
std::string ShortMonthNames[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                   "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
std::string LongMonthNames[12] = {"January", "February", "March",     "April",   "May",      "June",
                                  "July",    "August",   "September", "October", "November", "December"};
std::string ShortDayNames[7] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
std::string LongDayNames[7] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
std::string CurrencyString = "$";
int CurrencyFormat = 0;
int NegCurrFormat = 0;
int CurrencyDecimals = 2;

namespace {

// ---------------------------------------------------------------------------------------
// Decimal digits of a double, rounded half away from zero.

struct TFloatRec {
  bool Negative = false;
  int Exponent = 0;    // value = 0.Digits * 10^Exponent
  std::string Digits;  // no trailing zeros; empty for zero
};

constexpr int kNoLimit = 100000;

// Rounds to at most Precision significant digits and at most Decimals digits after the
// point. The exact expansion of the double is rounded, so ties are real ties.
TFloatRec FloatToDecimal(double Value, int Precision, int Decimals) {
  TFloatRec R;
  R.Negative = std::signbit(Value);
  double A = std::fabs(Value);
  if (A == 0) return R;
  char Buf[800];
  auto Res = std::to_chars(Buf, Buf + sizeof Buf, A, std::chars_format::scientific, 770);
  std::string_view T(Buf, Res.ptr - Buf);
  std::size_t EPos = T.find('e');
  std::string D;
  D += T[0];
  for (std::size_t I = 2; I < EPos; ++I) D += T[I];
  int Exp10 = 0;
  std::from_chars(T.data() + EPos + 1 + (T[EPos + 1] == '+'), T.data() + T.size(), Exp10);
  R.Exponent = Exp10 + 1;
  while (!D.empty() && D.back() == '0') D.pop_back();

  long Keep = std::min<long>(Precision, static_cast<long>(R.Exponent) + Decimals);
  if (Keep < static_cast<long>(D.size())) {
    if (Keep < 0) {
      D.clear();
    } else {
      bool Up = D[Keep] >= '5';
      D.resize(Keep);
      if (Up) {
        int I = static_cast<int>(Keep) - 1;
        while (I >= 0 && D[I] == '9') D[I--] = '0';
        if (I >= 0) {
          ++D[I];
        } else {
          D.insert(D.begin(), '1');
          ++R.Exponent;
        }
      }
      while (!D.empty() && D.back() == '0') D.pop_back();
    }
  }
  R.Digits = D;
  if (D.empty()) R.Exponent = 0;
  return R;
}

std::string ExponentText(int Exp, int MinDigits, bool ForcePlus) {
  std::string S = Exp < 0 ? "-" : (ForcePlus ? "+" : "");
  std::string N = std::to_string(std::abs(Exp));
  if (static_cast<int>(N.size()) < MinDigits) N.insert(0, MinDigits - N.size(), '0');
  return S + N;
}

std::string GeneralText(const TFloatRec& R, int Precision, int ExpDigits) {
  if (R.Digits.empty()) return "0";
  std::string S = R.Negative ? "-" : "";
  const std::string& D = R.Digits;
  if (R.Exponent > Precision || R.Exponent < -3) {
    S += D[0];
    if (D.size() > 1) S += DecimalSeparator + D.substr(1);
    S += 'E' + ExponentText(R.Exponent - 1, ExpDigits, false);
  } else if (R.Exponent <= 0) {
    S += '0';
    S += DecimalSeparator;
    S.append(-R.Exponent, '0');
    S += D;
  } else {
    std::string Int = D.substr(0, std::min<std::size_t>(R.Exponent, D.size()));
    Int.append(R.Exponent - Int.size(), '0');
    S += Int;
    if (static_cast<int>(D.size()) > R.Exponent) S += DecimalSeparator + D.substr(R.Exponent);
  }
  return S;
}

// The unsigned fixed-point text of R with Digits decimals, optionally with thousands.
std::string FixedDigits(const TFloatRec& R, int Digits, bool Thousands) {
  const std::string& D = R.Digits;
  std::string Int;
  if (R.Exponent <= 0 || D.empty()) {
    Int = "0";
  } else {
    Int = D.substr(0, std::min<std::size_t>(R.Exponent, D.size()));
    Int.append(R.Exponent - Int.size(), '0');
  }
  if (Thousands && ThousandSeparator) {
    std::string G;
    int N = static_cast<int>(Int.size());
    for (int I = 0; I < N; ++I) {
      if (I > 0 && (N - I) % 3 == 0) G += ThousandSeparator;
      G += Int[I];
    }
    Int = G;
  }
  if (Digits <= 0) return Int;
  std::string Frac;
  for (int I = 0; I < Digits; ++I) {
    long Idx = static_cast<long>(R.Exponent) + I;
    Frac += (Idx >= 0 && Idx < static_cast<long>(D.size())) ? D[Idx] : '0';
  }
  return Int + DecimalSeparator + Frac;
}

std::string CurrencyText(const std::string& Num, bool Negative) {
  const std::string& C = CurrencyString;
  if (!Negative) {
    switch (CurrencyFormat) {
      case 1: return Num + C;
      case 2: return C + ' ' + Num;
      case 3: return Num + ' ' + C;
      default: return C + Num;
    }
  }
  switch (NegCurrFormat) {
    case 1: return '-' + C + Num;
    case 2: return C + '-' + Num;
    case 3: return C + Num + '-';
    case 4: return '(' + Num + C + ')';
    case 5: return '-' + Num + C;
    case 6: return Num + '-' + C;
    case 7: return Num + C + '-';
    case 8: return '-' + Num + ' ' + C;
    case 9: return '-' + C + ' ' + Num;
    case 10: return Num + ' ' + C + '-';
    case 11: return C + ' ' + Num + '-';
    case 12: return C + ' ' + '-' + Num;
    case 13: return Num + '-' + ' ' + C;
    case 14: return '(' + C + ' ' + Num + ')';
    case 15: return '(' + Num + ' ' + C + ')';
    default: return '(' + C + Num + ')';
  }
}

// ---------------------------------------------------------------------------------------
// 1251 letters: case pairs and the collation weights.

struct TCaseTables {
  std::array<unsigned char, 256> Upper{}, Lower{};
  std::array<std::uint16_t, 256> Weight{};  // primary weight; case pairs share one
  TCaseTables() {
    for (int I = 0; I < 256; ++I) Upper[I] = Lower[I] = static_cast<unsigned char>(I);
    auto Pair = [this](int Up, int Low) {
      Upper[Low] = static_cast<unsigned char>(Up);
      Lower[Up] = static_cast<unsigned char>(Low);
    };
    for (int C = 'A'; C <= 'Z'; ++C) Pair(C, C + 32);
    for (int C = 0xC0; C <= 0xDF; ++C) Pair(C, C + 32);
    const int Pairs[][2] = {{0xA8, 0xB8}, {0x80, 0x90}, {0x81, 0x83}, {0x8A, 0x9A}, {0x8C, 0x9C},
                            {0x8D, 0x9D}, {0x8E, 0x9E}, {0x8F, 0x9F}, {0xA1, 0xA2}, {0xA3, 0xBC},
                            {0xA5, 0xB4}, {0xAA, 0xBA}, {0xAF, 0xBF}, {0xB2, 0xB3}, {0xBD, 0xBE}};
    for (auto& P : Pairs) Pair(P[0], P[1]);

    // Symbols (by byte), digits, Latin, then Cyrillic in alphabetical order.
    std::uint16_t W = 1;
    auto IsLetter = [this](int C) { return Upper[C] != Lower[C] || Upper[C] != C; };
    for (int C = 0; C < 256; ++C)
      if (!IsLetter(C) && !(C >= '0' && C <= '9')) Weight[C] = W++;
    for (int C = '0'; C <= '9'; ++C) Weight[C] = W++;
    for (int C = 'a'; C <= 'z'; ++C) {
      Weight[C] = Weight[Upper[C]] = W++;
    }
    // а б в г ґ д ђ ѓ е ё є ж з ѕ и і ї й ј к л љ м н њ о п р с т ћ ќ у ў ф х ц ч џ ш щ ъ ы ь э ю я
    const int Cyr[] = {0xE0, 0xE1, 0xE2, 0xE3, 0xB4, 0xE4, 0x90, 0x83, 0xE5, 0xB8, 0xBA, 0xE6, 0xE7,
                       0xBE, 0xE8, 0xB3, 0xBF, 0xE9, 0xBC, 0xEA, 0xEB, 0x9A, 0xEC, 0xED, 0x9C, 0xEE,
                       0xEF, 0xF0, 0xF1, 0xF2, 0x9E, 0x9D, 0xF3, 0xA2, 0xF4, 0xF5, 0xF6, 0xF7, 0x9F,
                       0xF8, 0xF9, 0xFA, 0xFB, 0xFC, 0xFD, 0xFE, 0xFF};
    for (int C : Cyr) Weight[C] = Weight[Upper[C]] = W++;
  }
};

const TCaseTables& Tables() {
  static const TCaseTables T;
  return T;
}

int Sign(long V) { return V < 0 ? -1 : (V > 0 ? 1 : 0); }

int AnsiCompare(std::string_view S1, std::string_view S2, bool CaseSensitive) {
  const TCaseTables& T = Tables();
  std::size_t N = std::min(S1.size(), S2.size());
  for (std::size_t I = 0; I < N; ++I) {
    int W1 = T.Weight[static_cast<unsigned char>(S1[I])], W2 = T.Weight[static_cast<unsigned char>(S2[I])];
    if (W1 != W2) return Sign(W1 - W2);
  }
  if (S1.size() != S2.size()) return S1.size() < S2.size() ? -1 : 1;
  if (!CaseSensitive) return 0;
  // Same letters: lower case sorts first.
  for (std::size_t I = 0; I < N; ++I) {
    unsigned char C1 = S1[I], C2 = S2[I];
    if (C1 != C2) return T.Lower[C1] == C1 ? -1 : 1;
  }
  return 0;
}

// ---------------------------------------------------------------------------------------
// Integer parsing.

bool ParseInt(const std::string& S, std::int64_t Min, std::int64_t Max, std::uint64_t HexMax, std::int64_t& Out) {
  std::size_t I = 0, N = S.size();
  while (I < N && (S[I] == ' ' || S[I] == '\t')) ++I;
  bool Neg = false;
  if (I < N && (S[I] == '-' || S[I] == '+')) Neg = S[I++] == '-';
  bool Hex = false;
  if (I < N && S[I] == '$') {
    Hex = true;
    ++I;
  } else if (I + 1 < N && S[I] == '0' && (S[I + 1] == 'x' || S[I + 1] == 'X')) {
    Hex = true;
    I += 2;
  }
  if (I >= N) return false;
  std::uint64_t V = 0;
  const std::uint64_t Limit = Hex ? HexMax : static_cast<std::uint64_t>(Neg ? -(Min + 1) : Max) + (Neg ? 1 : 0);
  for (; I < N; ++I) {
    unsigned char C = S[I];
    unsigned D;
    if (C >= '0' && C <= '9') D = C - '0';
    else if (Hex && C >= 'a' && C <= 'f') D = C - 'a' + 10;
    else if (Hex && C >= 'A' && C <= 'F') D = C - 'A' + 10;
    else return false;
    unsigned Base = Hex ? 16 : 10;
    if (V > (Limit - D) / Base) return false;
    V = V * Base + D;
  }
  if (Hex) {
    // Hex text is a bit pattern: $FFFFFFFF is -1 as a 32-bit value.
    std::uint64_t U = Neg ? 0 - V : V;
    Out = HexMax == 0xFFFFFFFFull ? static_cast<std::int32_t>(static_cast<std::uint32_t>(U)) : static_cast<std::int64_t>(U);
    return true;
  }
  Out = Neg ? static_cast<std::int64_t>(0 - V) : static_cast<std::int64_t>(V);
  return true;
}

[[noreturn]] void ConvertError(const char* Pattern, const std::string& S) {
  std::string M = Pattern;
  std::size_t P = M.find("%s");
  M.replace(P, 2, S);
  throw EConvertError(M);
}

// ---------------------------------------------------------------------------------------
// Dates.

constexpr int kDateDelta = 25569;  // days from 1899-12-30 to 1970-01-01

long DaysFromCivil(long Y, unsigned M, unsigned D) {
  Y -= M <= 2;
  const long Era = (Y >= 0 ? Y : Y - 399) / 400;
  const unsigned Yoe = static_cast<unsigned>(Y - Era * 400);
  const unsigned Doy = (153 * (M > 2 ? M - 3 : M + 9) + 2) / 5 + D - 1;
  const unsigned Doe = Yoe * 365 + Yoe / 4 - Yoe / 100 + Doy;
  return Era * 146097 + static_cast<long>(Doe) - 719468;
}

void CivilFromDays(long Z, int& Y, int& M, int& D) {
  Z += 719468;
  const long Era = (Z >= 0 ? Z : Z - 146096) / 146097;
  const unsigned Doe = static_cast<unsigned>(Z - Era * 146097);
  const unsigned Yoe = (Doe - Doe / 1460 + Doe / 36524 - Doe / 146096) / 365;
  const long Yr = static_cast<long>(Yoe) + Era * 400;
  const unsigned Doy = Doe - (365 * Yoe + Yoe / 4 - Yoe / 100);
  const unsigned Mp = (5 * Doy + 2) / 153;
  D = static_cast<int>(Doy - (153 * Mp + 2) / 5 + 1);
  M = static_cast<int>(Mp < 10 ? Mp + 3 : Mp - 9);
  Y = static_cast<int>(Yr + (M <= 2));
}

// The calendar day (serial) and the milliseconds of the day; a time that rounds up to
// midnight belongs to the next day.
void SplitDateTime(TDateTime V, long& Days, long& MSecs) {
  if (!std::isfinite(V) || std::fabs(V) > 3e6) throw EConvertError("Invalid date/time value");
  double T = std::trunc(V);
  Days = static_cast<long>(T);
  MSecs = std::lround(std::fabs(V - T) * MSecsPerDay);
  if (MSecs >= MSecsPerDay) {
    MSecs = 0;
    ++Days;
  }
}

struct TDateParts {
  int Year, Month, Day, Hour, Min, Sec, MSec, DayOfWeek;  // DayOfWeek 1 = Sunday
  bool HasTime;
};

TDateParts Decode(TDateTime V) {
  long Days, MSecs;
  SplitDateTime(V, Days, MSecs);
  TDateParts P{};
  CivilFromDays(Days - kDateDelta, P.Year, P.Month, P.Day);
  P.Hour = static_cast<int>(MSecs / 3600000);
  P.Min = static_cast<int>(MSecs / 60000 % 60);
  P.Sec = static_cast<int>(MSecs / 1000 % 60);
  P.MSec = static_cast<int>(MSecs % 1000);
  P.DayOfWeek = static_cast<int>(((Days - 1) % 7 + 7) % 7) + 1;  // 1899-12-30 was a Saturday
  P.HasTime = MSecs != 0;
  return P;
}

std::string Pad(int V, int Width) {
  std::string S = std::to_string(V);
  if (static_cast<int>(S.size()) < Width) S.insert(0, Width - S.size(), '0');
  return S;
}

bool StartsWithNoCase(std::string_view S, std::size_t I, std::string_view P) {
  if (S.size() - I < P.size()) return false;
  for (std::size_t K = 0; K < P.size(); ++K)
    if (std::tolower(static_cast<unsigned char>(S[I + K])) != P[K]) return false;
  return true;
}

bool HasAmPm(std::string_view F) {
  char Quote = 0;
  for (std::size_t I = 0; I < F.size(); ++I) {
    char C = F[I];
    if (Quote) {
      if (C == Quote) Quote = 0;
    } else if (C == '"' || C == '\'') {
      Quote = C;
    } else if (StartsWithNoCase(F, I, "am/pm") || StartsWithNoCase(F, I, "a/p") || StartsWithNoCase(F, I, "ampm")) {
      return true;
    }
  }
  return false;
}

void AppendDateTime(std::string& R, std::string_view F, const TDateParts& P, int Depth) {
  if (Depth > 2) return;  // a format that names itself (ShortDateFormat holding "c")
  const bool Use12 = HasAmPm(F);
  char Last = 0;  // the last specifier letter, for "m" after "h"
  std::size_t I = 0;
  while (I < F.size()) {
    char C = F[I];
    char L = static_cast<char>(std::tolower(static_cast<unsigned char>(C)));
    auto Count = [&] {
      std::size_t J = I;
      while (J < F.size() && std::tolower(static_cast<unsigned char>(F[J])) == L) ++J;
      int N = static_cast<int>(J - I);
      I = J;
      return N;
    };
    switch (L) {
      case 'c':
        ++I;
        AppendDateTime(R, ShortDateFormat, P, Depth + 1);
        if (P.HasTime) {
          R += ' ';
          AppendDateTime(R, LongTimeFormat, P, Depth + 1);
        }
        Last = L;
        break;
      case 'd': {
        int N = Count();
        if (N == 1) R += std::to_string(P.Day);
        else if (N == 2) R += Pad(P.Day, 2);
        else if (N == 3) R += ShortDayNames[P.DayOfWeek - 1];
        else if (N == 4) R += LongDayNames[P.DayOfWeek - 1];
        else if (N == 5) AppendDateTime(R, ShortDateFormat, P, Depth + 1);
        else AppendDateTime(R, LongDateFormat, P, Depth + 1);
        Last = L;
        break;
      }
      case 'm': {
        int N = Count();
        if (Last == 'h' && N <= 2) R += N == 1 ? std::to_string(P.Min) : Pad(P.Min, 2);
        else if (N == 1) R += std::to_string(P.Month);
        else if (N == 2) R += Pad(P.Month, 2);
        else if (N == 3) R += ShortMonthNames[P.Month - 1];
        else R += LongMonthNames[P.Month - 1];
        Last = L;
        break;
      }
      case 'y': {
        int N = Count();
        R += N <= 2 ? Pad(P.Year % 100, 2) : Pad(P.Year, 4);
        Last = L;
        break;
      }
      case 'h': {
        int N = Count();
        int H = P.Hour;
        if (Use12) {
          H %= 12;
          if (H == 0) H = 12;
        }
        R += N == 1 ? std::to_string(H) : Pad(H, 2);
        Last = L;
        break;
      }
      case 'n': {
        int N = Count();
        R += N == 1 ? std::to_string(P.Min) : Pad(P.Min, 2);
        Last = L;
        break;
      }
      case 's': {
        int N = Count();
        R += N == 1 ? std::to_string(P.Sec) : Pad(P.Sec, 2);
        Last = L;
        break;
      }
      case 'z': {
        int N = Count();
        R += N >= 3 ? Pad(P.MSec, 3) : std::to_string(P.MSec);
        Last = L;
        break;
      }
      case 't': {
        int N = Count();
        AppendDateTime(R, N == 1 ? ShortTimeFormat : LongTimeFormat, P, Depth + 1);
        Last = L;
        break;
      }
      case 'a': {
        bool Pm = P.Hour >= 12;
        if (StartsWithNoCase(F, I, "am/pm")) {
          R += F.substr(I + (Pm ? 3 : 0), 2);  // "am" or "pm" in the format's own case
          I += 5;
        } else if (StartsWithNoCase(F, I, "a/p")) {
          R += F[I + (Pm ? 2 : 0)];
          I += 3;
        } else if (StartsWithNoCase(F, I, "ampm")) {
          R += Pm ? TimePMString : TimeAMString;
          I += 4;
        } else {
          R += C;
          ++I;
        }
        break;
      }
      case '/':
        if (DateSeparator) R += DateSeparator;
        ++I;
        break;
      case ':':
        if (TimeSeparator) R += TimeSeparator;
        ++I;
        break;
      case '"':
      case '\'': {
        std::size_t End = F.find(C, I + 1);
        if (End == std::string_view::npos) End = F.size();
        R.append(F.substr(I + 1, End - I - 1));
        I = End + 1;
        break;
      }
      default:
        R += C;
        ++I;
    }
  }
}

}  // namespace

// ---------------------------------------------------------------------------------------
// Format

std::string Format(std::string_view Fmt, std::initializer_list<TVarRec> Args) {
  return Format(Fmt, Args.begin(), static_cast<int>(Args.size()));
}

std::string Format(std::string_view Fmt, const std::vector<TVarRec>& Args) {
  return Format(Fmt, Args.data(), static_cast<int>(Args.size()));
}

std::string Format(std::string_view Fmt, const TVarRec* A, int N) {
  auto Invalid = [&]() -> EConvertError {
    return EConvertError("Format '" + std::string(Fmt) + "' invalid or incompatible with argument");
  };
  auto Missing = [&]() -> EConvertError { return EConvertError("No argument for format '" + std::string(Fmt) + "'"); };

  std::string R;
  int ArgIndex = 0;
  std::size_t I = 0;
  const std::size_t Len = Fmt.size();
  auto Peek = [&] { return I < Len ? Fmt[I] : '\0'; };
  auto NextArg = [&]() -> const TVarRec& {
    if (ArgIndex >= N) throw Missing();
    return A[ArgIndex++];
  };
  // A number, or "*" taking an integer argument; false when neither is there.
  auto ReadNum = [&](int& Out) -> bool {
    if (Peek() == '*') {
      ++I;
      const TVarRec& V = NextArg();
      if (V.Kind != TVarRec::vtInteger && V.Kind != TVarRec::vtInt64) throw Invalid();
      if (V.I < 0 || V.I > 1000000) throw Invalid();
      Out = static_cast<int>(V.I);
      return true;
    }
    if (Peek() < '0' || Peek() > '9') return false;
    long V = 0;
    while (Peek() >= '0' && Peek() <= '9') {
      V = V * 10 + (Fmt[I++] - '0');
      if (V > 1000000) throw Invalid();
    }
    Out = static_cast<int>(V);
    return true;
  };

  while (I < Len) {
    char C = Fmt[I++];
    if (C != '%') {
      R += C;
      continue;
    }
    if (Peek() == '%') {
      R += '%';
      ++I;
      continue;
    }
    int Num = 0, Width = -1, Prec = -1;
    bool Left = false;
    bool Has = ReadNum(Num);
    if (Has && Peek() == ':') {
      ++I;
      ArgIndex = Num;
      Has = false;
    }
    if (!Has && Peek() == '-') {
      Left = true;
      ++I;
    }
    if (!Has) Has = ReadNum(Num);
    if (Has) Width = Num;
    if (Peek() == '.') {
      ++I;
      if (!ReadNum(Prec)) throw Invalid();
    }
    if (I >= Len) throw Invalid();
    char Type = static_cast<char>(std::tolower(static_cast<unsigned char>(Fmt[I++])));
    const TVarRec& V = NextArg();
    const bool IsInt = V.Kind == TVarRec::vtInteger || V.Kind == TVarRec::vtInt64;
    std::string S;
    switch (Type) {
      case 'd': {
        if (!IsInt) throw Invalid();
        std::uint64_t Mag = V.I < 0 ? 0 - static_cast<std::uint64_t>(V.I) : static_cast<std::uint64_t>(V.I);
        S = std::to_string(Mag);
        if (Prec > static_cast<int>(S.size())) S.insert(0, Prec - S.size(), '0');
        if (V.I < 0) S.insert(0, 1, '-');
        break;
      }
      case 'u':
      case 'x': {
        if (!IsInt) throw Invalid();
        std::uint64_t U = V.Kind == TVarRec::vtInteger ? static_cast<std::uint32_t>(V.I) : static_cast<std::uint64_t>(V.I);
        if (Type == 'u') {
          S = std::to_string(U);
        } else {
          char Buf[20];
          auto Res = std::to_chars(Buf, Buf + sizeof Buf, U, 16);
          S.assign(Buf, Res.ptr);
          for (char& Ch : S) Ch = static_cast<char>(std::toupper(static_cast<unsigned char>(Ch)));
        }
        if (Prec > static_cast<int>(S.size())) S.insert(0, Prec - S.size(), '0');
        break;
      }
      case 'e':
      case 'f':
      case 'g':
      case 'n':
      case 'm': {
        double D;
        if (V.Kind == TVarRec::vtExtended) D = V.D;
        else if (IsInt) D = static_cast<double>(V.I);
        else throw Invalid();
        if (Type == 'e') S = FloatToStrF(D, ffExponent, Prec < 0 ? 15 : Prec, 3);
        else if (Type == 'f') S = FloatToStrF(D, ffFixed, 18, Prec < 0 ? 2 : Prec);
        else if (Type == 'g') S = FloatToStrF(D, ffGeneral, Prec < 0 ? 15 : Prec, 3);
        else if (Type == 'n') S = FloatToStrF(D, ffNumber, 18, Prec < 0 ? 2 : Prec);
        else S = FloatToStrF(D, ffCurrency, 18, Prec < 0 ? CurrencyDecimals : Prec);
        break;
      }
      case 'p':
        if (V.Kind != TVarRec::vtPointer) throw Invalid();
        S = IntToHex(static_cast<std::int64_t>(reinterpret_cast<std::uintptr_t>(V.P)), 8);
        break;
      case 's':
        if (V.Kind != TVarRec::vtString && V.Kind != TVarRec::vtChar) throw Invalid();
        S = V.S;
        if (Prec >= 0 && Prec < static_cast<int>(S.size())) S.resize(Prec);
        break;
      default:
        throw Invalid();
    }
    if (Width > static_cast<int>(S.size())) {
      if (Left) S.append(Width - S.size(), ' ');
      else S.insert(0, Width - S.size(), ' ');
    }
    R += S;
  }
  return R;
}

// ---------------------------------------------------------------------------------------
// Integers

std::string IntToStr(std::int64_t Value) { return std::to_string(Value); }

std::string IntToHex(std::int64_t Value, int Digits) {
  char Buf[20];
  auto Res = std::to_chars(Buf, Buf + sizeof Buf, static_cast<std::uint64_t>(Value), 16);
  std::string S(Buf, Res.ptr);
  for (char& C : S) C = static_cast<char>(std::toupper(static_cast<unsigned char>(C)));
  if (Digits > static_cast<int>(S.size())) S.insert(0, std::min(Digits, 64) - S.size(), '0');
  return S;
}

std::string IntToHex(int Value, int Digits) { return IntToHex(static_cast<std::int64_t>(static_cast<std::uint32_t>(Value)), Digits); }

bool TryStrToInt(const std::string& S, int& Value) {
  std::int64_t V;
  if (!ParseInt(S, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max(), 0xFFFFFFFFull, V))
    return false;
  Value = static_cast<int>(V);
  return true;
}

int StrToInt(const std::string& S) {
  int V;
  if (!TryStrToInt(S, V)) ConvertError("'%s' is not a valid integer value", S);
  return V;
}

int StrToIntDef(const std::string& S, int Default) {
  int V;
  return TryStrToInt(S, V) ? V : Default;
}

bool TryStrToInt64(const std::string& S, std::int64_t& Value) {
  return ParseInt(S, std::numeric_limits<std::int64_t>::min(), std::numeric_limits<std::int64_t>::max(),
                  0xFFFFFFFFFFFFFFFFull, Value);
}

std::int64_t StrToInt64(const std::string& S) {
  std::int64_t V;
  if (!TryStrToInt64(S, V)) ConvertError("'%s' is not a valid integer value", S);
  return V;
}

std::int64_t StrToInt64Def(const std::string& S, std::int64_t Default) {
  std::int64_t V;
  return TryStrToInt64(S, V) ? V : Default;
}

// ---------------------------------------------------------------------------------------
// Floating point

std::string FloatToStrF(double Value, TFloatFormat Format, int Precision, int Digits) {
  if (std::isnan(Value)) return "NAN";
  if (std::isinf(Value)) return Value < 0 ? "-INF" : "INF";
  Precision = std::clamp(Precision, 1, 18);
  switch (Format) {
    case ffGeneral:
      return GeneralText(FloatToDecimal(Value, Precision, kNoLimit), Precision, std::clamp(Digits, 0, 4));
    case ffExponent: {
      TFloatRec R = FloatToDecimal(Value, Precision, kNoLimit);
      std::string D = R.Digits;
      int Exp = D.empty() ? 0 : R.Exponent - 1;
      D.resize(Precision, '0');
      std::string S = R.Negative && !R.Digits.empty() ? "-" : "";
      S += D[0];
      if (Precision > 1) S += DecimalSeparator + D.substr(1);
      return S + 'E' + ExponentText(Exp, std::clamp(Digits, 0, 4), true);
    }
    default: {
      Digits = std::clamp(Digits, 0, 18);
      TFloatRec R = FloatToDecimal(Value, Precision, Digits);
      if (R.Exponent > Precision) return GeneralText(R, Precision, 0);
      bool Neg = R.Negative && !R.Digits.empty();
      std::string Num = FixedDigits(R, Digits, Format != ffFixed);
      if (Format == ffCurrency) return CurrencyText(Num, Neg);
      return Neg ? "-" + Num : Num;
    }
  }
}

std::string FloatToStr(double Value) { return FloatToStrF(Value, ffGeneral, 15, 0); }

bool TryStrToFloat(const std::string& S, double& Value) {
  std::size_t I = 0, N = S.size();
  while (I < N && S[I] == ' ') ++I;
  while (N > I && S[N - 1] == ' ') --N;
  std::string T;  // the number in the form from_chars reads
  bool Neg = false;
  if (I < N && (S[I] == '+' || S[I] == '-')) Neg = S[I++] == '-';
  // The power of ten of the first significant digit, to tell overflow from underflow.
  long Magnitude = 0;
  bool Significant = false;
  int Mantissa = 0;
  for (; I < N && S[I] >= '0' && S[I] <= '9'; ++Mantissa) {
    Significant = Significant || S[I] != '0';
    if (Significant) ++Magnitude;
    T += S[I++];
  }
  if (Significant) --Magnitude;
  if (I < N && S[I] == DecimalSeparator) {
    T += '.';
    ++I;
    for (; I < N && S[I] >= '0' && S[I] <= '9'; ++Mantissa) {
      if (!Significant) --Magnitude;
      Significant = Significant || S[I] != '0';
      T += S[I++];
    }
  }
  if (Mantissa == 0) return false;
  if (I < N && (S[I] == 'e' || S[I] == 'E')) {
    T += 'e';
    ++I;
    bool NegExp = false;
    if (I < N && (S[I] == '+' || S[I] == '-')) {
      NegExp = S[I] == '-';
      T += S[I++];
    }
    int ExpDigits = 0;
    long Exp = 0;
    while (I < N && S[I] >= '0' && S[I] <= '9') {
      Exp = std::min(Exp * 10 + (S[I] - '0'), 100000000L);
      T += S[I++], ++ExpDigits;
    }
    if (ExpDigits == 0) return false;
    Magnitude += NegExp ? -Exp : Exp;
  }
  if (I != N) return false;
  double V = 0;
  auto Res = std::from_chars(T.data(), T.data() + T.size(), V);
  if (Res.ec == std::errc::result_out_of_range) {
    if (Magnitude > 0) return false;  // overflow
    V = 0;                            // underflow reads as zero
  } else if (Res.ec != std::errc() || Res.ptr != T.data() + T.size()) {
    return false;
  }
  Value = Neg ? -V : V;
  return true;
}

double StrToFloat(const std::string& S) {
  double V;
  if (!TryStrToFloat(S, V)) ConvertError("'%s' is not a valid floating point value", S);
  return V;
}

double StrToFloatDef(const std::string& S, double Default) {
  double V;
  return TryStrToFloat(S, V) ? V : Default;
}

// ---------------------------------------------------------------------------------------
// Date and time

bool IsLeapYear(int Year) { return Year % 4 == 0 && (Year % 100 != 0 || Year % 400 == 0); }

int DaysInMonth(int Year, int Month) {
  static const int Days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (Month < 1 || Month > 12) return 0;
  return Month == 2 && IsLeapYear(Year) ? 29 : Days[Month - 1];
}

bool TryEncodeDate(int Year, int Month, int Day, TDateTime& Date) {
  if (Year < 1 || Year > 9999 || Month < 1 || Month > 12 || Day < 1 || Day > DaysInMonth(Year, Month)) return false;
  Date = static_cast<double>(DaysFromCivil(Year, Month, Day) + kDateDelta);
  return true;
}

bool TryEncodeTime(int Hour, int Min, int Sec, int MSec, TDateTime& Time) {
  if (Hour < 0 || Hour >= 24 || Min < 0 || Min >= 60 || Sec < 0 || Sec >= 60 || MSec < 0 || MSec >= 1000) return false;
  Time = (Hour * 3600000.0 + Min * 60000.0 + Sec * 1000.0 + MSec) / MSecsPerDay;
  return true;
}

TDateTime EncodeDate(int Year, int Month, int Day) {
  TDateTime D;
  if (!TryEncodeDate(Year, Month, Day, D)) throw EConvertError("Invalid argument to date encode");
  return D;
}

TDateTime EncodeTime(int Hour, int Min, int Sec, int MSec) {
  TDateTime T;
  if (!TryEncodeTime(Hour, Min, Sec, MSec, T)) throw EConvertError("Invalid argument to time encode");
  return T;
}

void DecodeDate(TDateTime Date, int& Year, int& Month, int& Day) {
  TDateParts P = Decode(Date);
  Year = P.Year;
  Month = P.Month;
  Day = P.Day;
}

void DecodeTime(TDateTime Time, int& Hour, int& Min, int& Sec, int& MSec) {
  TDateParts P = Decode(Time);
  Hour = P.Hour;
  Min = P.Min;
  Sec = P.Sec;
  MSec = P.MSec;
}

int DayOfWeek(TDateTime Date) { return Decode(Date).DayOfWeek; }

TDateTime Now() {
  using namespace std::chrono;
  auto Tp = system_clock::now();
  std::time_t T = system_clock::to_time_t(Tp);
  int Ms = static_cast<int>(duration_cast<milliseconds>(Tp.time_since_epoch()).count() % 1000);
  if (Ms < 0) Ms += 1000;
  std::tm Tm{};
#ifdef _WIN32
  localtime_s(&Tm, &T);
#else
  localtime_r(&T, &Tm);
#endif
  return EncodeDate(Tm.tm_year + 1900, Tm.tm_mon + 1, Tm.tm_mday) +
         EncodeTime(Tm.tm_hour, Tm.tm_min, std::min(Tm.tm_sec, 59), Ms);
}

TDateTime Date() { return std::trunc(Now()); }

TDateTime Time() {
  TDateTime N = Now();
  return N - std::trunc(N);
}

std::string FormatDateTime(std::string_view Fmt, TDateTime DateTime) {
  std::string R;
  AppendDateTime(R, Fmt.empty() ? std::string_view("c") : Fmt, Decode(DateTime), 0);
  return R;
}

std::string DateToStr(TDateTime Date) { return FormatDateTime(ShortDateFormat, Date); }
std::string TimeToStr(TDateTime Time) { return FormatDateTime(LongTimeFormat, Time); }
std::string DateTimeToStr(TDateTime DateTime) { return FormatDateTime("c", DateTime); }

// ---------------------------------------------------------------------------------------
// Strings

std::string Trim(std::string_view S) {
  std::size_t B = 0, E = S.size();
  while (B < E && static_cast<unsigned char>(S[B]) <= ' ') ++B;
  while (E > B && static_cast<unsigned char>(S[E - 1]) <= ' ') --E;
  return std::string(S.substr(B, E - B));
}

std::string TrimLeft(std::string_view S) {
  std::size_t B = 0;
  while (B < S.size() && static_cast<unsigned char>(S[B]) <= ' ') ++B;
  return std::string(S.substr(B));
}

std::string TrimRight(std::string_view S) {
  std::size_t E = S.size();
  while (E > 0 && static_cast<unsigned char>(S[E - 1]) <= ' ') --E;
  return std::string(S.substr(0, E));
}

char AnsiUpperChar(char C) { return static_cast<char>(Tables().Upper[static_cast<unsigned char>(C)]); }
char AnsiLowerChar(char C) { return static_cast<char>(Tables().Lower[static_cast<unsigned char>(C)]); }

std::string AnsiUpperCase(std::string_view S) {
  std::string R(S);
  for (char& C : R) C = AnsiUpperChar(C);
  return R;
}

std::string AnsiLowerCase(std::string_view S) {
  std::string R(S);
  for (char& C : R) C = AnsiLowerChar(C);
  return R;
}

std::string UpperCase(std::string_view S) {
  std::string R(S);
  for (char& C : R)
    if (C >= 'a' && C <= 'z') C = static_cast<char>(C - 32);
  return R;
}

std::string LowerCase(std::string_view S) {
  std::string R(S);
  for (char& C : R)
    if (C >= 'A' && C <= 'Z') C = static_cast<char>(C + 32);
  return R;
}

int AnsiCompareText(std::string_view S1, std::string_view S2) { return AnsiCompare(S1, S2, false); }
int AnsiCompareStr(std::string_view S1, std::string_view S2) { return AnsiCompare(S1, S2, true); }
bool AnsiSameText(std::string_view S1, std::string_view S2) { return AnsiCompare(S1, S2, false) == 0; }
bool AnsiSameStr(std::string_view S1, std::string_view S2) { return S1 == S2; }

int CompareStr(std::string_view S1, std::string_view S2) {
  int C = S1.compare(S2);
  return Sign(C);
}

int CompareText(std::string_view S1, std::string_view S2) {
  std::size_t N = std::min(S1.size(), S2.size());
  for (std::size_t I = 0; I < N; ++I) {
    int A = static_cast<unsigned char>(S1[I]), B = static_cast<unsigned char>(S2[I]);
    if (A >= 'a' && A <= 'z') A -= 32;
    if (B >= 'a' && B <= 'z') B -= 32;
    if (A != B) return Sign(A - B);
  }
  return S1.size() == S2.size() ? 0 : (S1.size() < S2.size() ? -1 : 1);
}

bool SameText(std::string_view S1, std::string_view S2) { return CompareText(S1, S2) == 0; }

std::string AnsiQuotedStr(std::string_view S, char Quote) {
  std::string R(1, Quote);
  for (char C : S) {
    R += C;
    if (C == Quote) R += C;
  }
  R += Quote;
  return R;
}

std::string QuotedStr(std::string_view S) { return AnsiQuotedStr(S, '\''); }

std::string AnsiDequotedStr(std::string_view S, char Quote) {
  if (S.empty() || S[0] != Quote) return std::string(S);
  std::string R;
  for (std::size_t I = 1; I < S.size(); ++I) {
    if (S[I] == Quote) {
      if (I + 1 < S.size() && S[I + 1] == Quote) {
        R += Quote;
        ++I;
      } else {
        return R;
      }
    } else {
      R += S[I];
    }
  }
  return std::string(S);  // no closing quote
}

std::string StringReplace(std::string_view S, std::string_view OldPattern, std::string_view NewPattern,
                          TReplaceFlags Flags) {
  if (OldPattern.empty()) return std::string(S);
  std::string Search, Pattern;
  std::string_view Hay = S, Needle = OldPattern;
  if (Flags & rfIgnoreCase) {
    Search = AnsiUpperCase(S);
    Pattern = AnsiUpperCase(OldPattern);
    Hay = Search;
    Needle = Pattern;
  }
  std::string R;
  std::size_t From = 0;
  while (true) {
    std::size_t P = Hay.find(Needle, From);
    if (P == std::string_view::npos) break;
    R.append(S.substr(From, P - From));
    R.append(NewPattern);
    From = P + Needle.size();
    if (!(Flags & rfReplaceAll)) break;
  }
  R.append(S.substr(From));
  return R;
}

int Pos(std::string_view Substr, std::string_view S) {
  if (Substr.empty()) return 0;
  std::size_t P = S.find(Substr);
  return P == std::string_view::npos ? 0 : static_cast<int>(P) + 1;
}

int LastDelimiter(std::string_view Delimiters, std::string_view S) {
  std::size_t P = S.find_last_of(Delimiters);
  return P == std::string_view::npos ? 0 : static_cast<int>(P) + 1;
}

// ---------------------------------------------------------------------------------------
// File names

std::string ExtractFilePath(std::string_view FileName) {
  return std::string(FileName.substr(0, LastDelimiter("\\:", FileName)));
}

std::string ExtractFileDir(std::string_view FileName) {
  int I = LastDelimiter("\\:", FileName);
  if (I > 1 && FileName[I - 1] == '\\' && FileName[I - 2] != '\\' && FileName[I - 2] != ':') --I;
  return std::string(FileName.substr(0, I));
}

std::string ExtractFileName(std::string_view FileName) {
  return std::string(FileName.substr(LastDelimiter("\\:", FileName)));
}

std::string ExtractFileExt(std::string_view FileName) {
  int I = LastDelimiter(".\\:", FileName);
  if (I > 0 && FileName[I - 1] == '.') return std::string(FileName.substr(I - 1));
  return "";
}

std::string ExtractFileDrive(std::string_view FileName) {
  if (FileName.size() >= 2 && FileName[1] == ':') return std::string(FileName.substr(0, 2));
  if (FileName.size() >= 2 && FileName[0] == '\\' && FileName[1] == '\\') {
    // \\server\share: up to the backslash after the share name
    std::size_t Server = FileName.find('\\', 2);
    if (Server == std::string_view::npos) return std::string(FileName);
    std::size_t Share = FileName.find('\\', Server + 1);
    return std::string(FileName.substr(0, Share == std::string_view::npos ? FileName.size() : Share));
  }
  return "";
}

std::string ChangeFileExt(std::string_view FileName, std::string_view Extension) {
  int I = LastDelimiter(".\\:", FileName);
  std::size_t Cut = (I > 0 && FileName[I - 1] == '.') ? static_cast<std::size_t>(I - 1) : FileName.size();
  return std::string(FileName.substr(0, Cut)) + std::string(Extension);
}

bool IsPathDelimiter(std::string_view S, int Index) {
  return Index >= 1 && Index <= static_cast<int>(S.size()) && S[Index - 1] == '\\';
}

std::string IncludeTrailingBackslash(std::string_view S) {
  std::string R(S);
  if (!IsPathDelimiter(R, static_cast<int>(R.size()))) R += '\\';
  return R;
}

std::string ExcludeTrailingBackslash(std::string_view S) {
  std::string R(S);
  if (IsPathDelimiter(R, static_cast<int>(R.size()))) R.pop_back();
  return R;
}

std::string ExtractRelativePath(std::string_view BaseName, std::string_view DestName) {
  std::string BasePath = ExtractFilePath(BaseName);
  std::string DestPath = ExtractFilePath(DestName);
  std::string BaseDrive = ExtractFileDrive(BasePath), DestDrive = ExtractFileDrive(DestPath);
  if (!AnsiSameText(BaseDrive, DestDrive)) return std::string(DestName);
  auto Split = [](std::string_view P) {
    std::vector<std::string> Parts;
    std::size_t B = 0;
    while (B < P.size()) {
      std::size_t E = P.find('\\', B);
      if (E == std::string_view::npos) E = P.size();
      if (E > B) Parts.emplace_back(P.substr(B, E - B));
      B = E + 1;
    }
    return Parts;
  };
  auto BaseDirs = Split(std::string_view(BasePath).substr(BaseDrive.size()));
  auto DestDirs = Split(std::string_view(DestPath).substr(DestDrive.size()));
  std::size_t Common = 0;
  while (Common < BaseDirs.size() && Common < DestDirs.size() && AnsiSameText(BaseDirs[Common], DestDirs[Common]))
    ++Common;
  std::string R;
  for (std::size_t I = Common; I < BaseDirs.size(); ++I) R += "..\\";
  for (std::size_t I = Common; I < DestDirs.size(); ++I) R += DestDirs[I] + '\\';
  return R + ExtractFileName(DestName);
}

// ---------------------------------------------------------------------------------------
// File dates

TDateTime FileDateToDateTime(int FileDate) {
  unsigned D = static_cast<unsigned>(FileDate) >> 16, T = static_cast<unsigned>(FileDate) & 0xFFFF;
  return EncodeDate(static_cast<int>((D >> 9) + 1980), static_cast<int>((D >> 5) & 15), static_cast<int>(D & 31)) +
         EncodeTime(static_cast<int>(T >> 11), static_cast<int>((T >> 5) & 63), static_cast<int>((T & 31) * 2), 0);
}

int DateTimeToFileDate(TDateTime DateTime) {
  // 1980-01-01 is day 29221 and 2107-12-31 day 75971: anything well outside is no file date
  // (and NaN or infinity no date at all).
  if (!(DateTime > 29000 && DateTime < 76000)) return 0;
  TDateParts P = Decode(DateTime);
  if (P.Year < 1980 || P.Year > 2107) return 0;
  unsigned D = (static_cast<unsigned>(P.Year - 1980) << 9) | (static_cast<unsigned>(P.Month) << 5) | P.Day;
  unsigned T = (static_cast<unsigned>(P.Hour) << 11) | (static_cast<unsigned>(P.Min) << 5) | (P.Sec / 2);
  return static_cast<int>((D << 16) | T);
}

// ---------------------------------------------------------------------------------------
// System errors (the system's texts come from SysErrorMessage in file_system.cpp)

void RaiseLastOSError() { RaiseLastOSError(GetLastOSError()); }

void RaiseLastOSError(int ErrorCode) {
  if (ErrorCode == 0) throw EOSError("A call to an OS function failed", 0);
  throw EOSError("System Error.  Code: " + std::to_string(ErrorCode) + ".\r\n" + SysErrorMessage(ErrorCode),
                 static_cast<unsigned>(ErrorCode));
}
