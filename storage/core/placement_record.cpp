#include "storage/core/placement_record.h"

#include "classlib/core/ini_file.h"
#include "classlib/core/sys_utils.h"
#include "storage/core/str_utils.h"

const char* const siFlags = "Flags";
const char* const siShowCmd = "ShowCmd";
const char* const siPixels = "PixelsPerInch";
const char* const siMinMaxPos = "MinMaxPos";
const char* const siNormPos = "NormPos";
const char* const siActiveControl = "ActiveControl";
const char* const siVisible = "Visible";

namespace {

// What the INI reader would strip from the value.
bool NeedsQuotes(const std::string& Value) {
  if (Value.empty()) return false;
  char First = Value.front(), Last = Value.back();
  if ((First == '"' || First == '\'') && Last == First) return true;
  return static_cast<unsigned char>(First) <= ' ' || static_cast<unsigned char>(Last) <= ' ';
}

std::string ReadPosition(TCustomIniFile* Storage, const std::string& Section, const std::string& Key,
                         const TPlacementScreen& Screen) {
  std::string S = IniReadString(Storage, Section, Key + ScreenSizeSuffix(Screen), "");
  if (S.empty()) S = IniReadString(Storage, Section, Key, "");
  return S;
}

int PositionWord(const std::string& S, int N, int Default) {
  static const TCharSet Delims{' ', ','};
  return StrToIntDef(ExtractWord(N, S, Delims), Default);
}

}  // namespace

std::string IniReadString(TCustomIniFile* Storage, const std::string& Section, const std::string& Ident,
                          const std::string& Default) {
  if (Storage == nullptr) return Default;
  return Storage->ReadString(Section, Ident, Default);
}

void IniWriteString(TCustomIniFile* Storage, const std::string& Section, const std::string& Ident,
                    const std::string& Value) {
  if (Storage == nullptr) return;
  if (dynamic_cast<TIniFile*>(Storage) != nullptr && NeedsQuotes(Value))
    Storage->WriteString(Section, Ident, '"' + Value + '"');
  else
    Storage->WriteString(Section, Ident, Value);
}

int IniReadInteger(TCustomIniFile* Storage, const std::string& Section, const std::string& Ident, int Default) {
  return StrToIntDef(IniReadString(Storage, Section, Ident, ""), Default);
}

void IniWriteInteger(TCustomIniFile* Storage, const std::string& Section, const std::string& Ident, int Value) {
  IniWriteString(Storage, Section, Ident, IntToStr(Value));
}

std::string ScreenSizeSuffix(const TPlacementScreen& Screen) {
  return Format("(%dx%d)", {Screen.Width, Screen.Height});
}

void WritePlacementRecord(TCustomIniFile* Storage, const std::string& Section, const TPlacementRecord& Placement,
                          const TPlacementScreen& Screen) {
  IniWriteInteger(Storage, Section, siFlags, Placement.Flags);
  IniWriteInteger(Storage, Section, siShowCmd, Placement.ShowCmd);
  IniWriteInteger(Storage, Section, siPixels, Screen.PixelsPerInch);
  std::string MinMax = Format("%d,%d,%d,%d", {Placement.MinPosition.X, Placement.MinPosition.Y,
                                              Placement.MaxPosition.X, Placement.MaxPosition.Y});
  const TPlacementRect& R = Placement.NormalPosition;
  std::string Norm = Format("%d,%d,%d,%d", {R.Left, R.Top, R.Right, R.Bottom});
  std::string Suffix = ScreenSizeSuffix(Screen);
  IniWriteString(Storage, Section, siMinMaxPos + Suffix, MinMax);
  IniWriteString(Storage, Section, siMinMaxPos, MinMax);
  IniWriteString(Storage, Section, siNormPos + Suffix, Norm);
  IniWriteString(Storage, Section, siNormPos, Norm);
}

bool ReadPlacementPosition(TCustomIniFile* Storage, const std::string& Section, TPlacementRecord& Placement,
                           const TPlacementRect& FormBounds, const TPlacementScreen& Screen) {
  bool Found = false;
  Placement.Flags = IniReadInteger(Storage, Section, siFlags, Placement.Flags);
  std::string S = ReadPosition(Storage, Section, siMinMaxPos, Screen);
  if (!S.empty()) {
    Found = true;
    Placement.MinPosition = {PositionWord(S, 1, 0), PositionWord(S, 2, 0)};
    Placement.MaxPosition = {PositionWord(S, 3, 0), PositionWord(S, 4, 0)};
  }
  S = ReadPosition(Storage, Section, siNormPos, Screen);
  if (!S.empty()) {
    Found = true;
    Placement.NormalPosition = {PositionWord(S, 1, FormBounds.Left), PositionWord(S, 2, FormBounds.Top),
                                PositionWord(S, 3, FormBounds.Right), PositionWord(S, 4, FormBounds.Bottom)};
  }
  if (IniReadInteger(Storage, Section, siPixels, Screen.PixelsPerInch) != Screen.PixelsPerInch) Found = false;
  return Found;
}
