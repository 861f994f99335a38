// Components that start the shell's own dialogs: copy disk, run, format.
#pragma once

#include <windows.h>

#include <string>

#include "classlib/core/component.h"
#include "classlib/core/typinfo.h"

// Copies a floppy disk with the shell's disk-copy applet (rundll32 and Diskcopy.dll).
class TCopyDiskDlg : public TComponent {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  explicit TCopyDiskDlg(TComponent* AOwner) : TComponent(AOwner) {}

  // True when the applet was started; false, with the reason shown, when the system has no
  // disk-copy library or rundll32 could not be started. What the applet then does is its
  // own to report.
  bool Execute();
};

// The shell's Run dialog, owned by the owner form's window.
class TRunDialog : public TComponent {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  explicit TRunDialog(TComponent* AOwner) : TComponent(AOwner) {}

  const std::string& Title() const { return FTitle; }
  void SetTitle(const std::string& Value) { FTitle = Value; }
  const std::string& Prompt() const { return FPrompt; }
  void SetPrompt(const std::string& Value) { FPrompt = Value; }
  // Whether the last command typed is offered again.
  bool ShowLastPrompt() const { return FShowLastPrompt; }
  void SetShowLastPrompt(bool Value) { FShowLastPrompt = Value; }
  // The dialog's flags: 0, or 2 (no preselected command) without ShowLastPrompt.
  unsigned Flags() const { return FShowLastPrompt ? 0 : 2; }

  // Runs the dialog; false when the shell has no Run dialog.
  bool Execute();

private:
  std::string FTitle;
  std::string FPrompt;
  bool FShowLastPrompt = true;
};

enum TFormatCapacity { fcDefault, fc360k, fc720k };
template <> const TTypeInfo* TypeInfoOf<TFormatCapacity>();
enum TFormatType { fmQuick, fmFull, fmSysOnly };
template <> const TTypeInfo* TypeInfoOf<TFormatType>();

// The shell's format dialog for a drive (0 for A:).
class TFormatDialog : public TComponent {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  explicit TFormatDialog(TComponent* AOwner) : TComponent(AOwner) {}

  int Drive() const { return FDrive; }
  void SetDrive(int Value) { FDrive = Value; }
  TFormatCapacity Capacity() const { return FCapacity; }
  void SetCapacity(TFormatCapacity Value) { FCapacity = Value; }
  TFormatType FormatType() const { return FFormatType; }
  void SetFormatType(TFormatType Value) { FFormatType = Value; }

  // The values the shell is given: 0, 3 or 5 for the capacity; the options by format
  // type, which differ on the NT platform (quick 0, full 1, system only 1; else 0, 1, 2).
  unsigned CapacityId() const;
  unsigned Options(bool NTPlatform) const;

  // True when the drive was formatted. A format the system refuses or cannot do is told
  // in a message; a cancelled one is not. LastResult keeps the shell's answer.
  bool Execute();
  DWORD LastResult() const { return FLastResult; }

private:
  int FDrive = 0;
  TFormatCapacity FCapacity = fcDefault;
  TFormatType FFormatType = fmQuick;
  DWORD FLastResult = 0;
};

// Makes the three components known to form resources (once).
void RegisterShellDialogs();
