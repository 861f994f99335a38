#include "app/core/help_topics.h"

#include <iterator>

#include "app/core/lng_strings.h"
#include "classlib/core/ini_file.h"
#include "classlib/core/sys_utils.h"

std::string HelpTopicKey(int Topic) {
  static const char* const Keys[] = {"FilePanel", "Tree",     "Copy",      "Move",      "Editor",   "Archiver",
                                     "Viewer",    "HexEditor", "HTML",     "ActiveX",   "Tabs",     "Graph",
                                     "Alarm",     "ArcForm",  "Calendar",  "Clipboard", "UserMenu", "FastList",
                                     "MP3",       "Daily",    "Find",      "Settings",  "ComboDrives"};
  if (Topic < 0 || Topic >= static_cast<int>(std::size(Keys))) return "Error";
  return Keys[Topic];
}

std::string HelpFileName() { return ProgramFolder() + "ini\\help.ini"; }

bool ReadHelpTopic(int Topic, std::string& Text) {
  const std::string Name = HelpFileName();
  if (!FileExists(Name)) return false;
  const std::string Key = HelpTopicKey(Topic);
  // The user's language first; the help file is for a language file that brings no help.
  if (const std::string Lng = LngFileName(); FileExists(Lng)) {
    std::string Own = TIniFile(Lng).ReadString("Help", Key, "");
    if (!Own.empty()) {
      Text = Own;
      return true;
    }
  }
  TIniFile Ini(Name);
  Text = Ini.ReadString("main", Key, "Not found");
  return true;
}
