// Window placement of forms in the registry or in INI files (the record's text is in
// storage/core/placement_record.h), and the default storage names.
#pragma once

#include <string>

#include "storage/core/placement_record.h"

class TComponent;
class TCustomForm;
class TCustomIniFile;
class TIniFile;
class TRegIniFile;

// A form: its class name; a control: its form's class name and its own name, joined
// ("TMainFormEdit1"), or without a form its parent's name and its own; another component
// of a form: "TMainForm.Timer1"; otherwise the component's name; nullptr: "".
std::string GetDefaultSection(TComponent* Component);
// The executable's name with ".INI" for its extension.
std::string GetDefaultIniName();
// "Software\" and the executable's name without folder and extension.
std::string GetDefaultIniRegKey();

// Writes Flags, ShowCmd, PixelsPerInch, MinMaxPos and NormPos of the form's window.
void WriteFormPlacement(TCustomForm* Form, TCustomIniFile* IniFile, const std::string& Section);
void WriteFormPlacementReg(TCustomForm* Form, TRegIniFile* IniFile, const std::string& Section);
void WriteFormPlacementIni(TCustomForm* Form, TIniFile* IniFile, const std::string& Section);
// LoadPosition applies the stored rectangle (when it was written at this resolution);
// LoadState the stored show state. Neither: nothing happens.
void ReadFormPlacement(TCustomForm* Form, TCustomIniFile* IniFile, const std::string& Section, bool LoadState,
                       bool LoadPosition);
void ReadFormPlacementReg(TCustomForm* Form, TRegIniFile* IniFile, const std::string& Section, bool LoadState,
                          bool LoadPosition);
void ReadFormPlacementIni(TCustomForm* Form, TIniFile* IniFile, const std::string& Section, bool LoadState,
                          bool LoadPosition);
