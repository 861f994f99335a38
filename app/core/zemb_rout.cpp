#include "app/core/zemb_rout.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>

#include "archive/core/arc_type.h"
#include "classlib/core/exception.h"
#include "classlib/core/stream.h"
#include "classlib/core/sys_utils.h"
#include "storage/core/file_utils.h"
#include "storage/core/str_utils.h"

namespace {

bool HasExt(std::string_view FileName, std::initializer_list<const char*> Exts) {
  const std::string Ext = UpperCase(ExtractFileExt(FileName));
  if (Ext.empty()) return false;
  return std::any_of(Exts.begin(), Exts.end(), [&](const char* E) { return Ext == E; });
}

const unsigned char DosToWinTable[128] = {
    0xC0, 0xC1, 0xC2, 0xC3, 0xC4, 0xC5, 0xC6, 0xC7, 0xC8, 0xC9, 0xCA, 0xCB, 0xCC, 0xCD, 0xCE, 0xCF,
    0xD0, 0xD1, 0xD2, 0xD3, 0xD4, 0xD5, 0xD6, 0xD7, 0xD8, 0xD9, 0xDA, 0xDB, 0xDC, 0xDD, 0xDE, 0xDF,
    0xE0, 0xE1, 0xE2, 0xE3, 0xE4, 0xE5, 0xE6, 0xE7, 0xE8, 0xE9, 0xEA, 0xEB, 0xEC, 0xED, 0xEE, 0xEF,
    0x2D, 0x2D, 0x2D, 0xA6, 0x2B, 0xA6, 0xA6, 0xAC, 0xAC, 0xA6, 0xA6, 0xAC, 0x2D, 0x2D, 0x2D, 0xAC,
    0x4C, 0x2B, 0x54, 0x2B, 0x2D, 0x2B, 0xA6, 0xA6, 0x4C, 0xE3, 0xA6, 0x54, 0xA6, 0x3D, 0x2B, 0xA6,
    0xA6, 0x54, 0x54, 0x4C, 0x4C, 0x2D, 0xE3, 0x2B, 0x2B, 0x2D, 0x2D, 0x2D, 0x2D, 0xA6, 0xA6, 0x2D,
    0xF0, 0xF1, 0xF2, 0xF3, 0xF4, 0xF5, 0xF6, 0xF7, 0xF8, 0xF9, 0xFA, 0xFB, 0xFC, 0xFD, 0xFE, 0xFF,
    0xA8, 0xB8, 0xAA, 0xBA, 0xAF, 0xBF, 0xA1, 0xA2, 0xB0, 0x95, 0xB7, 0x76, 0xB9, 0xA4, 0xA6, 0xA0,
};
const unsigned char DosToKoi8Table[128] = {
    0xE1, 0xE2, 0xF7, 0xE7, 0xE4, 0xE5, 0xF6, 0xFA, 0xE9, 0xEA, 0xEB, 0xEC, 0xED, 0xEE, 0xEF, 0xF0,
    0xF2, 0xF3, 0xF4, 0xF5, 0xE6, 0xE8, 0xE3, 0xFE, 0xFB, 0xFD, 0xFF, 0xF9, 0xF8, 0xFC, 0xE0, 0xF1,
    0xC1, 0xC2, 0xD7, 0xC7, 0xC4, 0xC5, 0xD6, 0xDA, 0xC9, 0xCA, 0xCB, 0xCC, 0xCD, 0xCE, 0xCF, 0xD0,
    0x90, 0x91, 0x92, 0x81, 0x87, 0xB2, 0xB4, 0xA7, 0xA6, 0xB5, 0xA1, 0xA8, 0xAE, 0xAD, 0xAC, 0x83,
    0x84, 0x89, 0x88, 0x86, 0x80, 0x8A, 0xAF, 0xB0, 0xAB, 0xA5, 0xBB, 0xB8, 0xB1, 0xA0, 0xBE, 0xFD,
    0xBA, 0xB6, 0xB7, 0xAA, 0xA9, 0xA2, 0xA4, 0xBD, 0xBC, 0x85, 0x82, 0x8D, 0x8C, 0x8E, 0x8F, 0x8B,
    0xD2, 0xD3, 0xD4, 0xD5, 0xC6, 0xC8, 0xC3, 0xDE, 0xDB, 0xDD, 0xDF, 0xD9, 0xD8, 0xDC, 0xC0, 0xD1,
    0xB3, 0xA3, 0x45, 0x65, 0x49, 0x69, 0x59, 0x79, 0x9C, 0x95, 0x9E, 0x96, 0x4E, 0xBF, 0x94, 0x9A,
};
const unsigned char Koi8ToDosTable[128] = {
    0xC4, 0xB3, 0xDA, 0xBF, 0xC0, 0xD9, 0xC3, 0xB4, 0xC2, 0xC1, 0xC5, 0xDF, 0xDC, 0xDB, 0xDD, 0xDE,
    0xB0, 0xB1, 0xB2, 0xB3, 0xFE, 0xF9, 0xFB, 0xCD, 0x3C, 0x3E, 0xFF, 0xB3, 0xF8, 0xF8, 0xFA, 0x3A,
    0xCD, 0xBA, 0xD5, 0xF1, 0xD6, 0xC9, 0xB8, 0xB7, 0xBB, 0xD4, 0xD3, 0xC8, 0xBE, 0xBD, 0xBC, 0xC6,
    0xC7, 0xCC, 0xB5, 0xF0, 0xB6, 0xB9, 0xD1, 0xD2, 0xCB, 0xCF, 0xD0, 0xCA, 0xD8, 0xD7, 0xCE, 0xFD,
    0xEE, 0xA0, 0xA1, 0xE6, 0xA4, 0xA5, 0xE4, 0xA3, 0xE5, 0xA8, 0xA9, 0xAA, 0xAB, 0xAC, 0xAD, 0xAE,
    0xAF, 0xEF, 0xE0, 0xE1, 0xE2, 0xE3, 0xA6, 0xA2, 0xEC, 0xEB, 0xA7, 0xE8, 0xED, 0xE9, 0xE7, 0xEA,
    0x9E, 0x80, 0x81, 0x96, 0x84, 0x85, 0x94, 0x83, 0x95, 0x88, 0x89, 0x8A, 0x8B, 0x8C, 0x8D, 0x8E,
    0x8F, 0x9F, 0x90, 0x91, 0x92, 0x93, 0x86, 0x82, 0x9C, 0x9B, 0x87, 0x98, 0x9D, 0x99, 0x97, 0x9A,
};

std::string Translate(std::string_view S, const unsigned char* Table) {
  std::string R(S);
  for (char& C : R) {
    const unsigned char U = static_cast<unsigned char>(C);
    if (U >= 0x80) C = static_cast<char>(Table[U - 0x80]);
  }
  return R;
}

bool IsBlank(char C) { return C == ' ' || C == '\t'; }

char UpAscii(char C) { return C >= 'a' && C <= 'z' ? static_cast<char>(C - 'a' + 'A') : C; }

bool StartsWithFolded(std::string_view S, std::string_view Start) {
  if (Start.size() > S.size()) return false;
  for (std::size_t I = 0; I < Start.size(); ++I)
    if (UpAscii(S[I]) != UpAscii(Start[I])) return false;
  return true;
}

}  // namespace

bool IsPictureFile(std::string_view F) { return HasExt(F, {".BMP", ".ICO", ".JPG", ".JPEG", ".GIF", ".WMF", ".EMF"}); }
bool IsExecutableFile(std::string_view F) { return HasExt(F, {".EXE", ".COM", ".BAT", ".CMD"}); }
bool IsTextFile(std::string_view F) { return HasExt(F, {".TXT", ".RTF", ".INF", ".DOC", ".PDF"}); }
bool IsHtmlFile(std::string_view F) { return HasExt(F, {".HTML", ".SHTML", ".RHTML", ".CGI", ".HTM"}); }
bool IsArchiveFile(std::string_view F) {
  return HasExt(F, {".ZIP", ".ARJ", ".RAR", ".HA", ".LHA", ".ZOO", ".ARC", ".LZH", ".PAC", ".TAR", ".GZ", ".UUE",
                    ".XXE", ".ENC", ".CAB"});
}
bool IsMusicFile(std::string_view F) {
  return HasExt(F, {".MP3", ".WAV", ".MP2", ".MPG", ".MID", ".MPEG", ".MOD", ".S3M", ".XM", ".IT", ".MPP", ".MED",
                    ".ITZ", ".S3Z", ".XMZ", ".MDZ", ".MPZ", ".MEZ"});
}

void CutString(const std::string& S, int N, std::string& Result) {
  const std::size_t Drop = N >= 0 ? static_cast<std::size_t>(N) : static_cast<std::size_t>(-static_cast<long long>(N));
  if (Drop >= S.size()) {
    Result.clear();
    return;
  }
  Result = N >= 0 ? S.substr(Drop) : S.substr(0, S.size() - Drop);
}

bool SameTextStart(std::string_view A, std::string_view B) {
  return A.size() <= B.size() ? StartsWithFolded(B, A) : StartsWithFolded(A, B);
}

bool NameStartsWith(std::string_view Name, std::string_view Text) {
  return !Text.empty() && StartsWithFolded(Name, Text);
}

std::string FilesEnding(int Count, bool English) {
  if (English) return Count == 1 ? ") file" : ") files";
  const int Tens = Count % 100, Units = Count % 10;
  // 1251 bytes of the three Russian forms.
  if (Tens >= 11 && Tens <= 14) return ") \xF4\xE0\xE9\xEB\xEE\xE2";
  if (Units == 1) return ") \xF4\xE0\xE9\xEB";
  if (Units >= 2 && Units <= 4) return ") \xF4\xE0\xE9\xEB\xE0";
  return ") \xF4\xE0\xE9\xEB\xEE\xE2";
}

std::string FilesQuestion(const std::string& Question, int Count) {
  // 0xC0..0xFF are the Cyrillic letters of 1251, 0xA8 and 0xB8 the two Yo.
  const bool Russian = std::any_of(Question.begin(), Question.end(), [](char C) {
    const unsigned char U = static_cast<unsigned char>(C);
    return U >= 0xC0 || U == 0xA8 || U == 0xB8;
  });
  return Question + " (" + std::to_string(Count) + FilesEnding(Count, !Russian);
}

unsigned char DosToWinChar(unsigned char C) { return C < 0x80 ? C : DosToWinTable[C - 0x80]; }
std::string DosToWin(std::string_view S) { return Translate(S, DosToWinTable); }
void WinToKoi8(const std::string& S, std::string& R) { R = Translate(StrToOem(S), DosToKoi8Table); }
void Koi8ToWin(const std::string& S, std::string& R) { R = OemToAnsiStr(Translate(S, Koi8ToDosTable)); }
void DosToKoi8(const std::string& S, std::string& R) { R = Translate(S, DosToKoi8Table); }
void Koi8ToDos(const std::string& S, std::string& R) { R = Translate(S, Koi8ToDosTable); }

bool IsWindowsText(const std::string& FileName) {
  TFileStream F(FileName, fmOpenRead | fmShareDenyWrite);
  const std::int64_t N = std::min<std::int64_t>(F.Size(), 1024) - 1;
  if (N <= 0) return true;
  std::string Head(static_cast<std::size_t>(N), '\0');
  F.ReadBuffer(Head.data(), N);
  const auto Ae = std::count(Head.begin(), Head.end(), '\xAE');
  const auto Fe = std::count(Head.begin(), Head.end(), '\xFE');
  return !(Ae > Fe);
}

TPictureSize FitPictureSize(int W, int H, int PageW, int PageH) {
  const int RoomH = PageH - 33;
  if (W <= PageW && H <= RoomH) return {W, H, false};
  if (W <= 0 || H <= 0 || PageW <= 1 || RoomH <= 1) return {std::max(1, PageW), std::max(1, RoomH), true};
  // Scaled by the smaller of the two ratios, so that both sides stay within the room; the
  // other side is rounded to nearest (ties to even) and made one pixel smaller.
  auto Scale = [](int Side, int To, int From) {
    return std::max(1, static_cast<int>(std::nearbyint(static_cast<double>(Side) * To / From)) - 1);
  };
  if (static_cast<long long>(PageW) * H <= static_cast<long long>(RoomH) * W) return {PageW, Scale(H, PageW, W), true};
  return {Scale(W, RoomH, H), RoomH, true};
}

TArcReader ReaderForArcType(int ArcType) {
  switch (static_cast<TArcType>(ArcType)) {
    case atARC: case atArcExe: return rdARC;
    case atARJ: case atArjExe: return rdARJ;
    case atCAB: return rdCAB;
    case atGZip: return rdGZip;
    case atHA: case atLHA: case atLhaExe: case atLZH: case atLzhExe: return rdLHA;
    case atRAR: case atRarExe: return rdRAR;
    case atTAR: return rdTAR;
    case atUUE: return rdUUE;
    case atZIP: case atZipExe: return rdZIP;
    case atZOO: return rdZOO;
    default: return rdNone;
  }
}

TCommandLine SplitCommandLine(std::string_view Line) {
  std::size_t I = 0;
  while (I < Line.size() && IsBlank(Line[I])) ++I;
  TCommandLine R;
  if (I < Line.size() && Line[I] == '"') {
    const std::size_t Close = Line.find('"', I + 1);
    R.Program = std::string(Line.substr(I + 1, Close == std::string_view::npos ? std::string_view::npos : Close - I - 1));
    I = Close == std::string_view::npos ? Line.size() : Close + 1;
  } else {
    const std::size_t Start = I;
    while (I < Line.size() && !IsBlank(Line[I])) ++I;
    R.Program = std::string(Line.substr(Start, I - Start));
  }
  while (I < Line.size() && IsBlank(Line[I])) ++I;
  R.Params = std::string(Line.substr(I));
  while (!R.Params.empty() && IsBlank(R.Params.back())) R.Params.pop_back();
  return R;
}

bool IsPlainFileName(std::string_view Name) {
  if (Name.empty() || Name == "." || Name.find("..") != std::string_view::npos) return false;
  for (char C : Name) {
    const unsigned char U = static_cast<unsigned char>(C);
    if (U < 32 || std::string_view("\\/:*?\"<>|").find(C) != std::string_view::npos) return false;
  }
  return true;
}

bool CopyWithNewNameFile(const std::string& SourceFolder, const std::string& TargetFolder,
                         const std::string& FileName, const std::string& NewName, bool Move, TObject* Progress,
                         std::string& Error) {
  Error.clear();
  if (!IsPlainFileName(NewName)) {
    Error = "\"" + NewName + "\" is not a file name: a name without \\ / : * ? \" < > | and ..";
    return false;
  }
  const std::string Source = IncludeTrailingBackslash(SourceFolder) + FileName;
  const std::string Target = IncludeTrailingBackslash(TargetFolder) + NewName;
  try {
    CopyFileWithProgress(Source, Target, Progress);
  } catch (const Exception& E) {
    Error = E.Message();
    return false;
  }
  if (!Move) return true;
  const std::int64_t Size = GetFileSizeByName(Source);
  if (Size < 0 || GetFileSizeByName(Target) != Size) {
    Error = "The copy of " + Source + " is not whole; the file stays where it is";
    return false;
  }
  if (!DeleteFile(Source)) {
    Error = "Cannot delete " + Source + " after copying it to " + Target;
    return false;
  }
  return true;
}
