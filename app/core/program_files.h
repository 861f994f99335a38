// The small program files the main window reads at creation and writes back when it
// closes (all under the program folder's "ini"), and the colour palettes of the options
// dialog. Plain text with CR LF line ends.
//
//   FastBar.ini  one program path per line, in button order
//   Color.ini    sections Arcs, Pics, HTML, Executable, Text, Other: Color, Bold, Italic
//   Folder.ini   "[LeftMenu]", folder paths, "[RightMenu]", folder paths
//   *.pal        the six file-type sections, then Form and Files: Font, Color
#pragma once

#include <array>
#include <string>
#include <vector>

#include "classlib/core/color.h"

class TFont;

// The file kinds the panels colour, in the order of the records.
enum TFileTypeKind { ftArcs, ftPics, ftText, ftExecutable, ftHTML, ftOther };
inline constexpr int FileTypeCount = 6;

struct TFileTypeColor {
  bool Italic = false;
  bool Bold = false;
  TColor Color = clBlack;
  bool operator==(const TFileTypeColor& O) const { return Italic == O.Italic && Bold == O.Bold && Color == O.Color; }
};
using TFileTypeColors = std::array<TFileTypeColor, FileTypeCount>;

// The records the file lists draw with; the main window loads and saves them.
extern TFileTypeColors FileTypeColors;

// "Arcs", "Pics", "Text", "Executable", "HTML", "Other".
const char* FileTypeSection(TFileTypeKind Kind);

// The records used when there is no colour file.
TFileTypeColors DefaultFileTypeColors();
// A missing file gives DefaultFileTypeColors(); a missing key in an existing file gives
// the colour a user would have picked for that kind before (blue for text and others).
TFileTypeColors ReadColorFile(const std::string& FileName);
// Sections in the order Arcs, Pics, HTML, Executable, Text, Other; each flag under its
// own section.
void WriteColorFile(const std::string& FileName, const TFileTypeColors& Colors);

struct TFolderMenus {
  std::vector<std::string> Left;
  std::vector<std::string> Right;
};
// Lines before "[LeftMenu]" are ignored; without it both menus stay empty; without
// "[RightMenu]" every later line belongs to the left menu. Blank lines are skipped.
TFolderMenus ReadFolderFile(const std::string& FileName);
void WriteFolderFile(const std::string& FileName, const TFolderMenus& Menus);

// Program paths, blank lines skipped; a missing file gives none.
std::vector<std::string> ReadFastBarFile(const std::string& FileName);
void WriteFastBarFile(const std::string& FileName, const std::vector<std::string>& Paths);

// A palette: the file-type records and the fonts and colours of the main window and of
// the file panels.
struct TPalette {
  TFileTypeColors Types;
  TFont* FormFont = nullptr;
  TColor FormColor = clWindow;
  TFont* FilesFont = nullptr;
  TColor FilesColor = clNone;
};
void SavePalette(const std::string& FileName, const TPalette& Palette);
// Values that are missing or do not convert fall back to the palette defaults; the fonts
// keep what they had when the file does not say.
void LoadPalette(const std::string& FileName, TPalette& Palette);
