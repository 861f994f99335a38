// Context help: short texts in the program folder's "ini\help.ini", section "main", one
// key per topic number.
#pragma once

#include <string>

// 0 "FilePanel" .. 22 "ComboDrives"; any other number "Error".
std::string HelpTopicKey(int Topic);
// ProgramFolder() + "ini\help.ini".
std::string HelpFileName();
// False when the help file does not exist; otherwise the topic's text, "Not found" for a
// missing key. A file that cannot be read raises.
bool ReadHelpTopic(int Topic, std::string& Text);
