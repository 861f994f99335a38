#include "shell/core/shell_list_rules.h"

#include <algorithm>
#include <cstring>

#include "classlib/core/stream.h"
#include "classlib/core/sys_utils.h"

std::vector<std::string> SplitFileFilter(std::string_view Text) {
  std::vector<std::string> Result;
  size_t Start = 0;
  while (Start <= Text.size()) {
    size_t End = Text.find(';', Start);
    if (End == std::string_view::npos) End = Text.size();
    if (End > Start) Result.emplace_back(Text.substr(Start, End - Start));
    Start = End + 1;
  }
  return Result;
}

bool FilterNeedsNames(std::string_view FolderPath, std::string_view FilterText) {
  return !FolderPath.empty() && !FilterText.empty() && FilterText != "*" && FilterText != "*.*";
}

namespace {

// Both upper-cased; "*" any run, "?" one character.
bool Match(std::string_view Name, std::string_view Pattern) {
  size_t N = 0, P = 0, StarP = std::string_view::npos, StarN = 0;
  while (N < Name.size()) {
    if (P < Pattern.size() && (Pattern[P] == '?' || Pattern[P] == Name[N])) {
      ++N;
      ++P;
    } else if (P < Pattern.size() && Pattern[P] == '*') {
      StarP = P++;
      StarN = N;
    } else if (StarP != std::string_view::npos) {
      P = StarP + 1;
      N = ++StarN;
    } else {
      return false;
    }
  }
  while (P < Pattern.size() && Pattern[P] == '*') ++P;
  return P == Pattern.size();
}

}  // namespace

bool MatchesFilePattern(std::string_view Name, std::string_view Pattern) {
  std::string N = AnsiUpperCase(Name), P = AnsiUpperCase(Pattern);
  if (Match(N, P)) return true;
  bool HasDot = N.find('.') != std::string::npos;
  if (P.size() >= 2 && P.compare(P.size() - 2, 2, ".*") == 0 && !HasDot)
    return Match(N, std::string_view(P).substr(0, P.size() - 2));
  if (!P.empty() && P.back() == '.' && !HasDot) return Match(N, std::string_view(P).substr(0, P.size() - 1));
  return false;
}

TDirectoryCols DefaultDirectoryCols() {
  TDirectoryCols R;
  const uint16_t Words[] = {200, 60, 100, 120, 50};
  for (int I = 0; I < 5; ++I) {
    R.Bytes[I * 2] = uint8_t(Words[I] & 0xFF);
    R.Bytes[I * 2 + 1] = uint8_t(Words[I] >> 8);
  }
  R.Size = 10;
  return R;
}

TDirectoryCols OverlayDirectoryCols(const TDirectoryCols& Base, const uint8_t* Data, int Size) {
  if (Size < 0 || Size > TDirectoryCols::Capacity || (Size > 0 && Data == nullptr)) return Base;
  TDirectoryCols R = Base;
  if (Size > 0) std::memcpy(R.Bytes, Data, size_t(Size));
  R.Size = Size;
  return R;
}

std::vector<int> DirectoryColsWidths(const TDirectoryCols& Record) {
  std::vector<int> W(4);
  for (int I = 0; I < 4; ++I) W[I] = Record.Bytes[I * 2] | (Record.Bytes[I * 2 + 1] << 8);
  return W;
}

bool SameDirectoryCols(const TDirectoryCols& A, const TDirectoryCols& B) {
  if (A.Size == 0 || A.Size != B.Size) return false;
  return std::memcmp(A.Bytes, B.Bytes, size_t(A.Size / 2 * 2)) == 0;
}

namespace {

void WriteInt32(TStream& S, int32_t V) {
  uint8_t B[4] = {uint8_t(V), uint8_t(V >> 8), uint8_t(V >> 16), uint8_t(uint32_t(V) >> 24)};
  S.WriteBuffer(B, 4);
}

bool ReadInt32(TStream& S, int32_t& V) {
  uint8_t B[4];
  if (S.Read(B, 4) != 4) return false;
  V = int32_t(uint32_t(B[0]) | (uint32_t(B[1]) << 8) | (uint32_t(B[2]) << 16) | (uint32_t(B[3]) << 24));
  return true;
}

}  // namespace

void SaveColumnWidths(TStream& Stream, const std::vector<int>& Widths) {
  Stream.SetSize(0);
  Stream.Seek(0, soFromBeginning);
  WriteInt32(Stream, int32_t(Widths.size()));
  for (int W : Widths) WriteInt32(Stream, W);
}

std::vector<int> LoadColumnWidths(TStream& Stream, int ColumnCount) {
  std::vector<int> Result;
  Stream.Seek(0, soFromBeginning);
  int32_t N = 0;
  if (!ReadInt32(Stream, N)) return Result;
  for (int I = 0; I < N && I < ColumnCount; ++I) {
    int32_t W = 0;
    if (!ReadInt32(Stream, W)) break;
    Result.push_back(W);
  }
  return Result;
}

int NextSortColumn(int SortColumn, int ClickedIndex) {
  return ClickedIndex + 1 == SortColumn ? -SortColumn : ClickedIndex + 1;
}

TAutoScrollStep AutoScrollStepAt(int X, int Y, int ClientWidth, int ClientHeight) {
  TAutoScrollStep S;
  if (X < AutoScrollMarginX) S.Horizontal = -1;
  else if (X > ClientWidth - AutoScrollMarginX) S.Horizontal = 1;
  if (Y < AutoScrollMarginY) S.Vertical = -1;
  else if (Y > ClientHeight - AutoScrollMarginY) S.Vertical = 1;
  return S;
}

bool AutoScrollDue(uint32_t LastStep, uint32_t Now) { return uint32_t(Now - LastStep) > AutoScrollInterval; }

std::string NewNameProblem(std::string_view Name) {
  if (Name.size() > 259) return "The name is longer than 259 characters";
  if (Name.find_first_of("\\/:*?\"<>|") != std::string_view::npos)
    return "A name cannot contain any of the characters \\ / : * ? \" < > |";
  if (std::any_of(Name.begin(), Name.end(), [](char C) { return uint8_t(C) < 32; }))
    return "A name cannot contain control characters";
  if (!Name.empty() && Name.find_first_not_of('.') == std::string_view::npos)
    return "A name cannot be made of dots only";
  if (Name.find_last_not_of(" .") == std::string_view::npos) return "The name is empty";
  return {};
}
