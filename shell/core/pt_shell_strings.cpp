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

// ---------------------------------------------------------------------------------------

namespace {

std::string KeyName(unsigned Key) {
  static const char* const Block32[] = {"Space", "PgUp", "PgDn", "End", "Home", "Left", "Up", "Right", "Down"};
  switch (Key) {
    case 8: return "BkSp";
    case 9: return "Tab";
    case 13: return "Enter";
    case 27: return "Esc";
    case 45: return "Ins";
    case 46: return "Del";
    default: break;
  }
  if (Key >= 32 && Key <= 40) return Block32[Key - 32];
  if ((Key >= 48 && Key <= 57) || (Key >= 65 && Key <= 90)) return std::string(1, char(Key));
  if (Key >= 96 && Key <= 105) return std::string(1, char('0' + Key - 96));
  if (Key >= 112 && Key <= 135) return "F" + std::to_string(Key - 111);
  return "#" + std::to_string(Key);
}

}  // namespace

std::string ShortcutToText(uint16_t Shortcut) {
  std::string Name = KeyName(Shortcut & 0xFF);
  if (Name.empty()) return {};
  std::string Prefix;
  if (Shortcut & 0x2000) Prefix += "Shift+";
  if (Shortcut & 0x4000) Prefix += "Ctrl+";
  if (Shortcut & 0x8000) Prefix += "Alt+";
  return Prefix + Name;
}

uint16_t TextToShortcut(std::string_view Text) {
  static const struct {
    const char* Prefix;
    uint16_t Bit;
  } Prefixes[] = {{"Shift+", 0x2000}, {"^", 0x4000}, {"Ctrl+", 0x4000}, {"Alt+", 0x8000}};
  uint16_t Bits = 0;
  for (bool Found = true; Found;) {
    Found = false;
    for (const auto& P : Prefixes) {
      std::string_view Pre(P.Prefix);
      if (Text.size() >= Pre.size() && AnsiSameText(Text.substr(0, Pre.size()), Pre)) {
        Bits |= P.Bit;
        Text.remove_prefix(Pre.size());
        Found = true;
        break;
      }
    }
  }
  if (Text.empty()) return 0;
  // Codes above 255 share their names with the low byte, so the first match is below.
  for (unsigned Key = 8; Key <= 255; ++Key)
    if (AnsiCompareText(ShortcutToText(uint16_t(Key)), Text) == 0) return uint16_t(Bits | Key);
  return 0;
}

namespace {

std::array<uint16_t, dscCount>& DefaultShortcuts() {
  static std::array<uint16_t, dscCount> Keys{};
  return Keys;
}

}  // namespace

void InitDefaultShortcuts() {
  static const bool Done = [] {
    static const TPTShText Texts[dscCount] = {
        TPTShText::ShortCutSelectAll, TPTShText::ShortCutDelete,  TPTShText::ShortCutCopy,
        TPTShText::ShortCutCut,       TPTShText::ShortCutPaste,   TPTShText::ShortCutRefresh,
        TPTShText::ShortCutRename};
    for (int i = 0; i < dscCount; ++i) DefaultShortcuts()[i] = TextToShortcut(PTShText(Texts[i]));
    return true;
  }();
  (void)Done;
}

uint16_t DefaultShortcut(TPTDefaultShortcut Which) {
  InitDefaultShortcuts();
  return Which >= 0 && Which < dscCount ? DefaultShortcuts()[Which] : 0;
}

TPTDefaultShortcut FindDefaultShortcut(uint16_t Shortcut) {
  InitDefaultShortcuts();
  for (int i = 0; i < dscCount; ++i)
    if (Shortcut != 0 && DefaultShortcuts()[i] == Shortcut) return TPTDefaultShortcut(i);
  return dscCount;
}

std::string NewFolderName(int N) {
  const std::string& Name = PTShText(TPTShText::NewFolderName);
  return N <= 1 ? Name : Name + " (" + std::to_string(N) + ")";
}

bool IsPathBelowRoot(std::string_view Path) { return Path.size() > 3; }

uint32_t SendToMenuChar(const std::vector<std::string>& Names, int Highlighted, char Ch) {
  char Want = AnsiUpperChar(Ch);
  auto Starts = [&](const std::string& Name) { return !Name.empty() && AnsiUpperChar(Name[0]) == Want; };
  int Count = int(Names.size());
  int Matches = 0;
  for (const std::string& N : Names) Matches += Starts(N) ? 1 : 0;
  if (Matches == 0) return 1;
  int From = Highlighted >= 0 && Highlighted < Count ? Highlighted + 1 : 0;
  for (int Step = 0; Step < Count; ++Step) {
    int Pos = (From + Step) % Count;
    if (Starts(Names[Pos])) return uint32_t(Pos) | (uint32_t(Matches > 1 ? 3 : 2) << 16);
  }
  return 1;
}
