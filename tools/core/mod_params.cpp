#include "tools/core/mod_params.h"

namespace {

bool IsHexDigit(char C) {
  return (C >= '0' && C <= '9') || (C >= 'A' && C <= 'F') || (C >= 'a' && C <= 'f');
}

int HexValue(char C) {
  if (C >= '0' && C <= '9') return C - '0';
  if (C >= 'A' && C <= 'F') return C - 'A' + 10;
  return C - 'a' + 10;
}

}  // namespace

bool IsModColor(const std::string& Text) {
  if (Text.size() != 6) return false;
  for (char C : Text)
    if (!IsHexDigit(C)) return false;
  return true;
}

std::string ModPlugParams(const TModPlugSettings& S) {
  std::string P = "bgcolor|#" + (IsModColor(S.BackColor) ? S.BackColor : std::string("000000")) + "|";
  const auto Colour = [&P](const char* Key, const std::string& Value) {
    if (IsModColor(Value)) P += std::string(Key) + "|#" + Value + "|";
  };
  Colour("vucolor", S.VUColor);
  Colour("spcolor", S.SPColor);
  Colour("spcolorhi", S.SPColorTop);
  Colour("vucolorhi", S.VUColorTop);
  P += std::string("hidden|") + (S.SpectrumHide ? "true" : "false");
  std::string Title;
  for (char C : S.Caption)
    if (C != '|') Title += C;
  P += "|Title|" + Title;
  P += "|width|" + std::to_string(S.Width);
  P += "|height|" + std::to_string(S.Height);
  P += std::string("|loop|") + (S.LoopSong ? "true" : "false");
  if (S.SpectrumStereo) P += "|controls|stereo";
  return P;
}

std::vector<std::pair<std::string, std::string>> SplitModPlugParams(const std::string& Params) {
  std::vector<std::string> Parts;
  size_t Start = 0;
  while (Start <= Params.size()) {
    const size_t Bar = Params.find('|', Start);
    if (Bar == std::string::npos) {
      Parts.push_back(Params.substr(Start));
      break;
    }
    Parts.push_back(Params.substr(Start, Bar - Start));
    Start = Bar + 1;
  }
  std::vector<std::pair<std::string, std::string>> Pairs;
  for (size_t i = 0; i < Parts.size(); i += 2) {
    if (Parts[i].empty() && i + 1 >= Parts.size()) break;  // a trailing separator
    Pairs.emplace_back(Parts[i], i + 1 < Parts.size() ? Parts[i + 1] : std::string());
  }
  return Pairs;
}

uint32_t ModColorValue(const std::string& Text, uint32_t Default) {
  const std::string Hex = !Text.empty() && Text[0] == '#' ? Text.substr(1) : Text;
  if (!IsModColor(Hex)) return Default;
  uint32_t RGB = 0;
  for (char C : Hex) RGB = RGB * 16 + HexValue(C);
  return ((RGB >> 16) & 0xFF) | (RGB & 0xFF00) | ((RGB & 0xFF) << 16);
}
