// A folder of the shell namespace as form data can store it and controls can assign it:
// an explicit absolute item-ID list, or a special folder (CSIDL) resolved when asked for.
// Stored as the binary property "Pidl", which a locator of the desktop does not write.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <cstdint>
#include <string>

#include "classlib/core/object.h"
#include "classlib/core/stream.h"
#include "classlib/core/typinfo.h"
#include "shell/pt_shell_utils.h"

class TPTShellLocator : public TPersistent {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }

  enum TKind : uint8_t { lkIdList = 0, lkSpecialFolder = 1 };

  TPTShellLocator() = default;

  TKind Kind() const { return FKind; }
  int SpecialFolder() const { return FSpecialFolder; }

  // Owned by the locator; nil is the desktop. A special folder is resolved on first use.
  PCItemIDList GetIdList();
  // Empty for folders outside the file system.
  std::string GetPath();
  // Copies List (2 bytes or less: the desktop).
  void SetIdList(PCItemIDList List);
  void Clear() { SetIdList(nullptr); }
  void SetSpecialFolder(int Csidl);
  // A text that does not parse gives the desktop.
  void SetPath(const std::string& Path);
  void Assign(const TPersistent* Source) override;
  bool Equal(TPTShellLocator* Other);

  TNotifyEvent OnChange;

  // The "Pidl" property: whether it is written at all, and its data.
  bool PidlStored() const;
  void WritePidl(TStream* Stream) const;
  // Reading fires no change.
  void ReadPidl(TStream* Stream);
  TBytes PidlData() const;
  void SetPidlData(const TBytes& Data);

protected:
  virtual void Change();

private:
  TKind FKind = lkIdList;
  uint8_t FSpecialFolder = 0;
  TPidl FIdList;
};

// The clipboard format "Shell IDList Array" of all the shell controls' data transfers.
UINT CFShellIDList();
// Column widths shared by the shell lists, carried from one folder shown to the next.
TMemoryStream& ShellListWidthStream();
// The column-width data last read by the shell lists, zeroed at start-up.
uint8_t (&ShellListColumnRecord())[22];
