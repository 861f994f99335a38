#include "shell/core/pt_shell_strings.h"

#include <array>

#include "classlib/core/sys_utils.h"

std::string AddTrailingChar(std::string_view Text, char C) {
  std::string R(Text);
  if (!R.empty() && R.back() != C) R += C;
  return R;
}

void AppendNextChar(int& Index, std::string_view Text, std::string& Result) {
  if (Index >= 1 && static_cast<size_t>(Index) <= Text.size()) Result += Text[Index - 1];
  ++Index;
}

const std::string& PTShText(TPTShText Id) {
  static const std::array<std::string, 15> Texts = {
      "Ctrl+A", "Del", "Ctrl+C", "Ctrl+X", "Ctrl+V", "F5", "F2", "%sKB", "New Folder",
      "Unable to create the folder '%2'\n\n%1", "Name", "Size", "Type", "Modified",
      "System Folder"};
  return Texts.at(static_cast<size_t>(Id));
}

std::string SizeToText(uint64_t Bytes) {
  uint64_t Kb = Bytes / 1024 + (Bytes % 1024 != 0 ? 1 : 0);
  return Format(PTShText(TPTShText::SizeColumnFormat), {Format("%.0n", {double(Kb)})});
}
