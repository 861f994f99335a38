#include "app/core/lng_strings.h"

#include <algorithm>
#include <vector>

#include "classlib/core/exception.h"
#include "classlib/core/ini_file.h"
#include "classlib/core/sys_utils.h"

namespace {

std::string& Folder() {
  static std::string Value;
  return Value;
}

void ReadLng(const char* Section, const std::string& Key, std::string& Text) {
  Text = "---";
  TIniFile Ini(LngFileName());
  Text = Ini.ReadString(Section, Key, LngNotFound);
}

}  // namespace

const std::string& ProgramFolder() { return Folder(); }
void SetProgramFolder(const std::string& Value) { Folder() = Value; }
std::string LngFileName() { return ProgramFolder() + "INI\\zq.lng"; }

void GetLngString(const std::string& Key, std::string& Text) { ReadLng("String", Key, Text); }
void GetLngMask(const std::string& Key, std::string& Text) { ReadLng("Mask", Key, Text); }
void GetLngTip(const std::string& Key, std::string& Text) { ReadLng("Tips", Key, Text); }

std::string LngStringOr(const std::string& Key, const std::string& Default) {
  std::string Text;
  // These run inside the handlers of failed commands: an unreadable language file must
  // not turn the report into an unhandled error.
  try {
    GetLngString(Key, Text);
  } catch (const Exception&) {
    return Default;
  }
  return Text == LngNotFound ? Default : Text;
}

std::string LittleErrorText() { return LngStringOr("Problem1", "Little error. Don't worry"); }

namespace {

// Fills Names from the comma-separated list of Key, or from English when the list does not
// have as many names as English (an older language file, or one edited by hand).
void ApplyNames(const std::string& Key, std::string* Names, const std::vector<const char*>& English) {
  const std::size_t N = English.size();
  std::vector<std::string> Read;
  const std::string List = LngStringOr(Key, "");
  for (std::size_t Start = 0; !List.empty();) {
    const std::size_t Comma = List.find(',', Start);
    Read.push_back(Trim(List.substr(Start, Comma == std::string::npos ? std::string::npos : Comma - Start)));
    if (Comma == std::string::npos) break;
    Start = Comma + 1;
  }
  const bool Whole = Read.size() == N && std::none_of(Read.begin(), Read.end(), [](const std::string& S) { return S.empty(); });
  for (std::size_t I = 0; I < N; ++I) Names[I] = Whole ? Read[I] : English[I];
}

}  // namespace

void ApplyDateNames() {
  ApplyNames("ShortDayNames", ShortDayNames, {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"});
  ApplyNames("LongDayNames", LongDayNames,
                {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"});
  ApplyNames("ShortMonthNames", ShortMonthNames,
                 {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"});
  ApplyNames("LongMonthNames", LongMonthNames,
                 {"January", "February", "March", "April", "May", "June", "July", "August", "September",
                  "October", "November", "December"});
}
