#include "app/core/program_files.h"

#include "classlib/core/strings.h"
#include "classlib/core/sys_utils.h"
#include "storage/core/rx_ini_file.h"

TFileTypeColors FileTypeColors = DefaultFileTypeColors();

namespace {

const char* const Sections[FileTypeCount] = {"Arcs", "Pics", "Text", "Executable", "HTML", "Other"};
// The order the files are written in.
const TFileTypeKind WriteOrder[FileTypeCount] = {ftArcs, ftPics, ftHTML, ftExecutable, ftText, ftOther};
// Colour of a key missing from an existing colour file.
const TColor MissingKeyColor[FileTypeCount] = {clRed, clGreen, clBlue, clBlue, clNavy, clBlue};
const TColor PaletteDefaultColor[FileTypeCount] = {clRed, clGreen, clRed, clBlue, clNavy, clBlack};

std::vector<std::string> ReadLines(const std::string& FileName) {
  std::vector<std::string> R;
  if (!FileExists(FileName)) return R;
  TStringList L;
  L.LoadFromFile(FileName);
  for (int I = 0; I < L.Count(); ++I)
    if (!Trim(L[I]).empty()) R.push_back(L[I]);
  return R;
}

void WriteLines(const std::string& FileName, const std::vector<std::string>& Lines) {
  TStringList L;
  for (const auto& S : Lines) L.Add(S);
  L.SaveToFile(FileName);
}

void WriteRecords(TRxIniFile& F, const TFileTypeColors& Colors) {
  for (TFileTypeKind K : WriteOrder) {
    F.WriteColor(Sections[K], "Color", Colors[K].Color);
    F.WriteBool(Sections[K], "Bold", Colors[K].Bold);
    F.WriteBool(Sections[K], "Italic", Colors[K].Italic);
  }
}

TFileTypeColors ReadRecords(TRxIniFile& F, const TColor (&Defaults)[FileTypeCount]) {
  TFileTypeColors R;
  for (int K = 0; K < FileTypeCount; ++K) {
    R[K].Color = F.ReadColor(Sections[K], "Color", Defaults[K]);
    R[K].Bold = F.ReadBool(Sections[K], "Bold", false);
    R[K].Italic = F.ReadBool(Sections[K], "Italic", false);
  }
  return R;
}

}  // namespace

const char* FileTypeSection(TFileTypeKind Kind) { return Sections[Kind]; }

TFileTypeColors DefaultFileTypeColors() {
  TFileTypeColors R;
  const TColor C[FileTypeCount] = {clRed, clGreen, clTeal, clBlue, clNavy, clBlack};
  for (int K = 0; K < FileTypeCount; ++K) R[K].Color = C[K];
  R[ftExecutable].Bold = true;
  return R;
}

TFileTypeColors ReadColorFile(const std::string& FileName) {
  if (!FileExists(FileName)) return DefaultFileTypeColors();
  TRxIniFile F(FileName);
  return ReadRecords(F, MissingKeyColor);
}

void WriteColorFile(const std::string& FileName, const TFileTypeColors& Colors) {
  TRxIniFile F(FileName);
  WriteRecords(F, Colors);
  F.UpdateFile();
}

TFolderMenus ReadFolderFile(const std::string& FileName) {
  TFolderMenus R;
  enum { Before, Left, Right } Phase = Before;
  for (const auto& Line : ReadLines(FileName)) {
    std::string T = Trim(Line);
    if (Phase == Before) {
      if (T == "[LeftMenu]") Phase = Left;
    } else if (Phase == Left) {
      if (T == "[RightMenu]")
        Phase = Right;
      else
        R.Left.push_back(Line);
    } else {
      R.Right.push_back(Line);
    }
  }
  return R;
}

void WriteFolderFile(const std::string& FileName, const TFolderMenus& Menus) {
  std::vector<std::string> L{"[LeftMenu]"};
  L.insert(L.end(), Menus.Left.begin(), Menus.Left.end());
  L.push_back("[RightMenu]");
  L.insert(L.end(), Menus.Right.begin(), Menus.Right.end());
  WriteLines(FileName, L);
}

std::vector<std::string> ReadFastBarFile(const std::string& FileName) { return ReadLines(FileName); }

void WriteFastBarFile(const std::string& FileName, const std::vector<std::string>& Paths) {
  WriteLines(FileName, Paths);
}

void SavePalette(const std::string& FileName, const TPalette& P) {
  TRxIniFile F(FileName);
  WriteRecords(F, P.Types);
  if (P.FormFont != nullptr) F.WriteFont("Form", "Font", P.FormFont);
  if (P.FilesFont != nullptr) F.WriteFont("Files", "Font", P.FilesFont);
  F.WriteColor("Form", "Color", P.FormColor);
  F.WriteColor("Files", "Color", P.FilesColor);
  F.UpdateFile();
}

void LoadPalette(const std::string& FileName, TPalette& P) {
  TRxIniFile F(FileName);
  P.Types = ReadRecords(F, PaletteDefaultColor);
  if (P.FormFont != nullptr) F.ReadFont("Form", "Font", P.FormFont);
  if (P.FilesFont != nullptr) F.ReadFont("Files", "Font", P.FilesFont);
  P.FormColor = F.ReadColor("Form", "Color", clWindow);
  P.FilesColor = F.ReadColor("Files", "Color", clNone);
}
