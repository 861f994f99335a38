// Context help: short texts, one key per topic number, in the language file's section
// "Help" (the user's language), else in the program folder's "ini\help.ini", section "main".
#pragma once

#include <string>

// 0 "FilePanel" .. 22 "ComboDrives"; any other number "Error".
std::string HelpTopicKey(int Topic);
// ProgramFolder() + "ini\help.ini".
std::string HelpFileName();
// False when the help file does not exist; otherwise the topic's text: the language file's
// when it has one, else the help file's, "Not found" when neither has the key. A file that
// cannot be read raises.
bool ReadHelpTopic(int Topic, std::string& Text);
