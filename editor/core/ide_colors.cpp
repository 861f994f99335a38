#include "editor/core/ide_colors.h"

#include <exception>
#include <memory>

void EnumIDEVersions(const std::string& Key, TStrings* List) {
  if (!List) return;
  TBetterRegistry reg;
  reg.SetRootKey(RegLocalMachine);
  if (!reg.OpenKeyReadOnly(Key)) return;
  std::vector<std::string> names;
  reg.GetKeyNames(names);
  List->BeginUpdate();
  List->Clear();
  for (const std::string& n : names) List->Add(n);
  List->EndUpdate();
}

bool ImportIDEColors(const std::vector<TIDEColorEntry>& Entries, const std::string& Key, bool OldLayout) {
  std::vector<std::unique_ptr<TmwHighLightAttributes>> saved;
  for (const TIDEColorEntry& e : Entries) {
    saved.push_back(std::make_unique<TmwHighLightAttributes>(e.Attri->Name()));
    saved.back()->Assign(e.Attri);
  }
  bool ok = true;
  for (const TIDEColorEntry& e : Entries) {
    std::string name = e.Name;
    if (OldLayout)
      for (char& c : name)
        if (c == ' ') c = '_';
    try {
      ok = e.Attri->LoadFromIDERegistry(RegCurrentUser, Key, name, OldLayout);
    } catch (const std::exception&) {
      ok = false;
    }
    if (!ok) break;
  }
  if (!ok)
    for (std::size_t i = 0; i < Entries.size(); ++i) Entries[i].Attri->Assign(saved[i].get());
  return ok;
}
