#include "app/core/lng_strings.h"

#include "classlib/core/exception.h"
#include "classlib/core/ini_file.h"

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
