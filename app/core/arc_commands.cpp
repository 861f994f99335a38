#include "app/core/arc_commands.h"

#include <cstdio>

std::string ArcEntryDateText(TDateTime Date, char Sep, TDateOrder Order) {
  int Y = 0, M = 0, D = 0, H = 0, N = 0, S = 0, Ms = 0;
  DecodeDate(Date, Y, M, D);
  DecodeTime(Date, H, N, S, Ms);
  int Parts[3] = {M, D, Y % 100};
  if (Order == TDateOrder::DayMonthYear) {
    Parts[0] = D;
    Parts[1] = M;
  } else if (Order == TDateOrder::YearMonthDay) {
    Parts[0] = Y % 100;
    Parts[1] = M;
    Parts[2] = D;
  }
  char Buf[32];
  std::snprintf(Buf, sizeof Buf, "%02d%c%02d%c%02d %02d:%02d", Parts[0], Sep, Parts[1], Sep, Parts[2], H, N);
  return Buf;
}

const TPacker Packers[PackerCount] = {
    {"rar", "*.rar", "rar.exe"},     {"arj", "*.arj", "arj.exe"},
    {"zip", "*.zip", "pkzip.exe"},   {"ha", "*.ha", "ha.exe"},
    {"limit", "*.lim", "limit.exe"}, {"jar", "*.jar", "jar.exe"},
    {"ain", "*.ain", "ain.exe"},     {"arhangel", "*.gl", "arhangel.exe"},
    {"bsa", "*.bsa", "bsa.exe"},     {"ice", "*.ice", "ice.exe"},
    {"lha", "*.lha", "lha.exe"},     {"Ultra Compressor II", "*.uc2", "uc.exe"},
    {"ufa", "*.ufa", "ufa.exe"},     {"zoo", "*.zoo", "zoo.exe"},
    {"777", "*.777", "777.exe"},     {"bix", "*.bix", "bix.exe"},
};

std::string PackerProgram(int Row) { return Row >= 0 && Row < PackerCount ? Packers[Row].Program : "rar.exe"; }

std::string PackerCommandWord(int Row) { return Row == 2 || Row == 8 ? "-a " : "a "; }

std::string PackerFilter() {
  std::string F;
  for (const TPacker& P : Packers) {
    if (!F.empty()) F += '|';
    F += std::string(P.Label) + '|' + P.Pattern;
  }
  return F;
}

bool QuoteArgument(const std::string& Name, std::string& Quoted) {
  if (Name.find('"') != std::string::npos || Name.find('\0') != std::string::npos) return false;
  // A trailing backslash would escape the closing quote for the program's own parser.
  std::string Body = Name;
  if (!Body.empty() && Body.back() == '\\') Body += '\\';
  Quoted = '"' + Body + '"';
  return true;
}

bool PackerParameters(int Row, const std::string& Archive, const std::string& Extra,
                      const std::vector<std::string>& Files, std::string& Params, std::string& Bad) {
  std::string Q;
  if (!QuoteArgument(Archive, Q)) {
    Bad = Archive;
    return false;
  }
  std::string P = PackerCommandWord(Row) + Q;
  if (!Extra.empty()) P += " " + Extra;
  for (const std::string& F : Files) {
    if (!QuoteArgument(F, Q)) {
      Bad = F;
      return false;
    }
    P += " " + Q;
  }
  Params = P;
  return true;
}

std::string JoinFolderName(const std::string& Folder, const std::string& Name) {
  return Folder.size() < 4 ? Folder + Name : Folder + "\\" + Name;
}
