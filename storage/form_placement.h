// TFormPlacement keeps a form's window placement, and TFormStorage also chosen published
// properties of its components (StoredProps, "Component.Property" lines), in one section
// of the registry (UseRegistry: IniFileName is a key path under HKEY_CURRENT_USER, the
// section a sub-key) or of an INI file.
//
// Dropped on a form (read from form data), the component restores when the form is shown
// and saves when it may close or is destroyed, chaining the form's own OnShow, OnCloseQuery
// and OnDestroy. Forms use it in two roles: options in the registry under
// "Software\Zembrix", and translated captions and hints from the language file. A language
// file (extension ".lng") is shipped data: a storage on one only restores, it never writes
// placement or texts into it.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "classlib/core/component.h"
#include "classlib/core/strings.h"
#include "classlib/win/controls.h"
#include "classlib/win/forms.h"

class TCustomIniFile;
class TRxWindowHook;
class TFormPlacement;

enum TPlacementOption { fpState, fpPosition, fpActiveControl };
using TPlacementOptions = TSet<TPlacementOption>;
template <> const TTypeInfo* TypeInfoOf<TPlacementOption>();

// Tracking and maximised limits of a window; a field left at 0 keeps the system's value.
class TWinMinMaxInfo : public TPersistent {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }

  TWinMinMaxInfo() = default;
  void Assign(const TPersistent* Source) override;
  TPersistent* GetOwner() const override;
  // All eight values are 0.
  bool DefaultMinMaxInfo() const;
  const MINMAXINFO& MinMaxInfo() const { return FMinMaxInfo; }

  int MaxPosLeft() const { return FMinMaxInfo.ptMaxPosition.x; }
  void SetMaxPosLeft(int Value) { SetValue(FMinMaxInfo.ptMaxPosition.x, Value); }
  int MaxPosTop() const { return FMinMaxInfo.ptMaxPosition.y; }
  void SetMaxPosTop(int Value) { SetValue(FMinMaxInfo.ptMaxPosition.y, Value); }
  int MaxSizeHeight() const { return FMinMaxInfo.ptMaxSize.y; }
  void SetMaxSizeHeight(int Value) { SetValue(FMinMaxInfo.ptMaxSize.y, Value); }
  int MaxSizeWidth() const { return FMinMaxInfo.ptMaxSize.x; }
  void SetMaxSizeWidth(int Value) { SetValue(FMinMaxInfo.ptMaxSize.x, Value); }
  int MaxTrackHeight() const { return FMinMaxInfo.ptMaxTrackSize.y; }
  void SetMaxTrackHeight(int Value) { SetValue(FMinMaxInfo.ptMaxTrackSize.y, Value); }
  int MaxTrackWidth() const { return FMinMaxInfo.ptMaxTrackSize.x; }
  void SetMaxTrackWidth(int Value) { SetValue(FMinMaxInfo.ptMaxTrackSize.x, Value); }
  int MinTrackHeight() const { return FMinMaxInfo.ptMinTrackSize.y; }
  void SetMinTrackHeight(int Value) { SetValue(FMinMaxInfo.ptMinTrackSize.y, Value); }
  int MinTrackWidth() const { return FMinMaxInfo.ptMinTrackSize.x; }
  void SetMinTrackWidth(int Value) { SetValue(FMinMaxInfo.ptMinTrackSize.x, Value); }

private:
  friend class TFormPlacement;
  void SetValue(LONG& Field, int Value);
  TFormPlacement* FOwner = nullptr;
  MINMAXINFO FMinMaxInfo{};
};

class TFormPlacement : public TComponent {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }

  explicit TFormPlacement(TComponent* AOwner);
  ~TFormPlacement() override;

  // Saves the placement (and, for TFormStorage, the properties); refused while Active and
  // not yet restored, so that a form closed before it was ever shown writes nothing.
  void SaveFormPlacement();
  void RestoreFormPlacement();

  bool Active() const { return FActive; }
  void SetActive(bool Value) { FActive = Value; }
  // Empty: the registry key "Software\<exe name>", or the INI file "<exe path>.INI".
  std::string IniFileName() const;
  void SetIniFileName(const std::string& Value) { FIniFileName = Value; }
  // Empty: the owner's default section (a form's class name).
  std::string IniSection() const;
  void SetIniSection(const std::string& Value) { FIniSection = Value; }
  TWinMinMaxInfo* MinMaxInfo() const { return FMinMaxInfo.get(); }
  void SetMinMaxInfo(TWinMinMaxInfo* Value) { FMinMaxInfo->Assign(Value); }
  TPlacementOptions Options() const { return FOptions; }
  void SetOptions(TPlacementOptions Value) { FOptions = Value; }
  // Locks the window's size: no sizing borders, no maximise, tracking size = current size.
  bool PreventResize() const { return FPreventResize; }
  void SetPreventResize(bool Value);
  bool UseRegistry() const { return FUseRegistry; }
  void SetUseRegistry(bool Value) { FUseRegistry = Value; }

  TNotifyEvent OnSavePlacement;
  TNotifyEvent OnRestorePlacement;

  // The storage of the operation under way; nullptr between operations.
  TCustomIniFile* IniFile() const { return FIniFile.get(); }
  // A language file: read, never written.
  bool ReadOnlyStorage() const;

protected:
  void Loaded() override;
  virtual void SavePlacement();
  virtual void RestorePlacement();
  virtual std::string DoReadString(const std::string& Section, const std::string& Ident, const std::string& Default);
  virtual void DoWriteString(const std::string& Section, const std::string& Ident, const std::string& Value);
  virtual void SaveEvent();
  virtual void RestoreEvent();
  TCustomForm* Form() const;

  // Opens the storage for a scope unless an operation has it open already.
  class TStorageScope {
  public:
    explicit TStorageScope(TFormPlacement* Owner);
    ~TStorageScope();
    TStorageScope(const TStorageScope&) = delete;
    TStorageScope& operator=(const TStorageScope&) = delete;

  private:
    TFormPlacement* FOwner;
    bool FOpened;
  };

  bool FSaved = false;
  bool FRestored = false;
  bool FDestroying = false;

private:
  friend class TWinMinMaxInfo;
  void FormShow(TObject* Sender);
  void FormCloseQuery(TObject* Sender, bool& CanClose);
  void FormDestroy(TObject* Sender);
  void WndMessage(TObject* Sender, TMessage& Msg, bool& Handled);
  void MinMaxInfoChanged();
  void UpdatePlacement();
  void UpdatePreventResize();
  void SetHook();
  bool Loading() const { return ComponentState().Contains(csLoading); }
  bool Designing() const { return ComponentState().Contains(csDesigning); }

  bool FActive = true;
  std::string FIniFileName;
  std::string FIniSection;
  std::unique_ptr<TWinMinMaxInfo> FMinMaxInfo;
  TPlacementOptions FOptions;
  bool FPreventResize = false;
  bool FUseRegistry = false;
  bool FDefMaximize = false;
  bool FAttached = false;
  std::unique_ptr<TCustomIniFile> FIniFile;
  TRxWindowHook* FWinHook;
  TNotifyEvent FSaveFormShow;
  TCloseQueryEvent FSaveFormCloseQuery;
  TNotifyEvent FSaveFormDestroy;
};

class TFormStorage : public TFormPlacement {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }

  explicit TFormStorage(TComponent* AOwner);
  ~TFormStorage() override;

  // Lines "Component.Property"; each line's object is the bound component.
  TStrings* StoredProps() const { return FStoredProps.get(); }
  void SetStoredProps(TStrings* Value);

  virtual void SaveProperties();
  virtual void RestoreProperties();

protected:
  void Loaded() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void SavePlacement() override;
  void RestorePlacement() override;

private:
  std::unique_ptr<TStringList> FStoredProps;
};

// Makes TFormPlacement and TFormStorage known to form resources (once; later calls do
// nothing).
void RegisterStorageClasses();
