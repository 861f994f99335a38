#include "app/core/display_rules.h"

#include <charconv>

#include "app/core/zemb_rout.h"

TNameStyle NameStyle(std::string_view FileName, const TFileTypeColors& Colors) {
  TNameStyle S;
  const struct {
    bool (*Test)(std::string_view);
    TFileTypeKind Kind;
  } Order[] = {{IsPictureFile, ftPics},
               {IsExecutableFile, ftExecutable},
               {IsTextFile, ftText},
               {IsArchiveFile, ftArcs},
               {IsHtmlFile, ftHTML}};
  for (const auto& O : Order) {
    if (!O.Test(FileName)) continue;
    const TFileTypeColor& C = Colors[O.Kind];
    S.Matched = true;
    S.Color = C.Color;
    S.Bold = S.Bold || C.Bold;
    S.Italic = S.Italic || C.Italic;
  }
  return S;
}

std::string FreeSpaceText(int64_t Bytes) {
  return std::to_string(Bytes < 0 ? 0 : Bytes / 1024) + " \xCA\xC1";
}

int CaptionButtonMargin(std::string_view CaptionWidth, int Current) {
  while (!CaptionWidth.empty() && CaptionWidth.front() == ' ') CaptionWidth.remove_prefix(1);
  while (!CaptionWidth.empty() && CaptionWidth.back() == ' ') CaptionWidth.remove_suffix(1);
  const bool Twips = !CaptionWidth.empty() && CaptionWidth.front() == '-';
  if (Twips) CaptionWidth.remove_prefix(1);
  int N = 0;
  const char* End = CaptionWidth.data() + CaptionWidth.size();
  auto [P, Err] = std::from_chars(CaptionWidth.data(), End, N);
  if (CaptionWidth.empty() || Err != std::errc() || P != End || N <= 0) return Current;
  const int Pixels = Twips ? N / 15 : N;
  if (Pixels <= 0 || Pixels > 1000) return Current;
  return Pixels * 3 + 17;
}

TWindowSize CompactWindowSize(int ScreenWidth, int ScreenHeight) {
  return {ScreenWidth / 4 * 3, ScreenHeight / 3 * 2};
}
