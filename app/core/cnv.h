// Whole-file converters of the file menu: UUEncodeFile writes a file in the uuencode form
// of the Unix tools next to it; TCnv rewrites a Windows-1251 Cyrillic text in DOS code
// page 866. Read and write failures raise EInOutError (2 cannot open, 5 cannot create,
// 100 read, 101 write); a partly written output stays.
#pragma once

#include <string>

#include "classlib/core/component.h"

// Writes FileName with the extension ".uue" (in place of its own) in the same folder,
// replacing an existing one: "begin <Mode> <name>", lines of up to 45 bytes as 60
// characters after a length character (a space written as "`"), the line "`" of no bytes,
// then "end"; CR LF lines.
// A file that already ends in ".uue" is read whole before it is replaced by its encoding.
void UUEncodeFile(const std::string& FileName, int Mode);

// Copies InputFile to OutputFile (replaced) converted from Windows 1251 to DOS 866: the
// letters (Ё and ё too) and the signs 866 has (№, °) to their places, typographic quotes
// and dashes to '"', '\'' and '-', anything else above 0x7F that 866 lacks to '?'.
// Does nothing when InputFile does not exist. OutputFile may be InputFile itself: the input
// is then read whole before it is replaced.
class TCnv : public TComponent {
public:
  explicit TCnv(TComponent* AOwner);
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }

  const std::string& InputFile() const { return FInputFile; }
  void SetInputFile(const std::string& Value) { FInputFile = Value; }
  const std::string& OutputFile() const { return FOutputFile; }
  void SetOutputFile(const std::string& Value) { FOutputFile = Value; }

  void Execute();

private:
  std::string FInputFile;
  std::string FOutputFile;
};

// Writes the Windows 1251 text file Source as the DOS 866 file FileName (TCnv's table). The
// new file is made whole beside the target first and only then takes its name, so that a
// failure at any step leaves an existing FileName as it was; the failure raises
// EInOutError naming the step and the file.
void SaveAsDosText(const std::string& Source, const std::string& FileName);
