// Import of the colours that an installed development environment keeps in the registry,
// for the highlighters that offer it (C++ and Pascal).
#pragma once

#include <string>
#include <vector>

#include "classlib/core/strings.h"
#include "editor/core/custom_highlighter.h"

// One attribute and the environment's name of the colours it takes.
struct TIDEColorEntry {
  TmwHighLightAttributes* Attri;
  std::string Name;
};

// Fills List with the installed versions, the subkeys of Key under HKEY_LOCAL_MACHINE.
// When the key does not open, List is left as it is.
void EnumIDEVersions(const std::string& Key, TStrings* List);

// Imports every entry in turn from Key under HKEY_CURRENT_USER: one string value per entry
// (OldLayout; the value's name is the entry's name with blanks replaced by "_"), or one
// subkey per entry. Stops at the first entry that fails and then gives every entry's
// attribute its earlier colours back; the result tells whether all were imported.
bool ImportIDEColors(const std::vector<TIDEColorEntry>& Entries, const std::string& Key, bool OldLayout);
