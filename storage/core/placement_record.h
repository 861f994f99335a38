// The text side of window placement records and the string access rules of the settings
// storage.
//
// A storage is a TCustomIniFile: an INI file (TIniFile and its descendants) or a registry
// storage (TRegIniFile: sections are sub-keys, values are strings). Both keep integers as
// decimal text. One section holds a form's placement:
//
//   Flags=0                            WINDOWPLACEMENT flags
//   ShowCmd=1                          the show command
//   PixelsPerInch=96                   the screen's resolution when written
//   MinMaxPos(1024x768)=-1,-1,-1,-1    minimised x, y, maximised x, y, per screen size...
//   MinMaxPos=-1,-1,-1,-1              ...and again as the fallback for any screen size
//   NormPos(1024x768)=10,20,410,320    the normal rectangle, left, top, right, bottom
//   NormPos=10,20,410,320
#pragma once

#include <string>

class TCustomIniFile;

// Reads a string; Default when the value is missing or there is no storage.
std::string IniReadString(TCustomIniFile* Storage, const std::string& Section, const std::string& Ident,
                          const std::string& Default);
// Writes a string. A registry storage takes it unchanged. An INI file strips blanks and one
// pair of enclosing quotes when it reads, so a value that begins and ends with the same
// quote, or that begins or ends with a blank, is put between one more pair of double
// quotes: it then reads back exactly as written. A value with CR, LF or NUL is refused by
// the INI file (EIniFileException) rather than written as further keys.
void IniWriteString(TCustomIniFile* Storage, const std::string& Section, const std::string& Ident,
                    const std::string& Value);
// Decimal, or hexadecimal after "$" or "0x"; Default when missing or not a number.
int IniReadInteger(TCustomIniFile* Storage, const std::string& Section, const std::string& Ident, int Default);
void IniWriteInteger(TCustomIniFile* Storage, const std::string& Section, const std::string& Ident, int Value);

struct TPlacementPoint {
  int X = 0;
  int Y = 0;
};

struct TPlacementRect {
  int Left = 0;
  int Top = 0;
  int Right = 0;
  int Bottom = 0;
};

// What a WINDOWPLACEMENT holds, without the platform's types.
struct TPlacementRecord {
  int Flags = 0;
  int ShowCmd = 0;
  TPlacementPoint MinPosition;
  TPlacementPoint MaxPosition;
  TPlacementRect NormalPosition;
};

// The screen a record is written or read on.
struct TPlacementScreen {
  int Width = 0;
  int Height = 0;
  int PixelsPerInch = 96;
};

extern const char* const siFlags;          // "Flags"
extern const char* const siShowCmd;        // "ShowCmd"
extern const char* const siPixels;         // "PixelsPerInch"
extern const char* const siMinMaxPos;      // "MinMaxPos"
extern const char* const siNormPos;        // "NormPos"
extern const char* const siActiveControl;  // "ActiveControl"
extern const char* const siVisible;        // "Visible"

// "(1024x768)": the suffix of the per-screen-size keys.
std::string ScreenSizeSuffix(const TPlacementScreen& Screen);

// Writes Flags, ShowCmd, PixelsPerInch and both position strings (suffixed key, then plain).
void WritePlacementRecord(TCustomIniFile* Storage, const std::string& Section, const TPlacementRecord& Placement,
                          const TPlacementScreen& Screen);

// Reads the position part of a record into Placement: Flags (default: as it is), the
// minimised and maximised positions (a word that is not a number gives 0) and the normal
// rectangle (a word that is not a number keeps the matching side of FormBounds). A
// position string is read from the key of this screen size, else from the plain key.
// True when a position string was found and the record was written at this screen's
// resolution; Placement is filled in either case.
bool ReadPlacementPosition(TCustomIniFile* Storage, const std::string& Section, TPlacementRecord& Placement,
                           const TPlacementRect& FormBounds, const TPlacementScreen& Screen);
