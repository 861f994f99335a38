#include "storage/form_placement.h"

#include <exception>

#include "classlib/core/ini_file.h"
#include "classlib/core/sys_utils.h"
#include "classlib/win/application.h"
#include "classlib/win/registry.h"
#include "storage/core/placement_record.h"
#include "storage/core/props_storage.h"
#include "storage/placement.h"
#include "ui/rx_window_hook.h"

template <> const TTypeInfo* TypeInfoOf<TPlacementOption>() {
  static const TTypeInfo Info = EnumTypeInfo("TPlacementOption", {"fpState", "fpPosition", "fpActiveControl"});
  return &Info;
}

namespace {

// Component references of stored properties name other forms by their names.
void RegisterFormFinder() {
  static const int Id = RegisterFindGlobalComponentProc([](std::string_view Name) -> TComponent* {
    if (Screen == nullptr) return nullptr;
    for (int I = 0; I < Screen->FormCount(); ++I)
      if (SameText(Screen->Forms(I)->Name(), Name)) return Screen->Forms(I);
    return nullptr;
  });
  (void)Id;
}

void HandleException(TObject* Sender) {
  if (Application != nullptr) Application->HandleException(Sender);
}

}  // namespace

// ---------------------------------------------------------------------------------------
// TWinMinMaxInfo

const TClassInfo* TWinMinMaxInfo::StaticClassInfo() {
  using M = TWinMinMaxInfo;
  static const TClassInfo Info = TClassBuilder<M, TPersistent>("TWinMinMaxInfo")
                                     .Prop("MaxPosLeft", &M::MaxPosLeft, &M::SetMaxPosLeft)
                                     .Prop("MaxPosTop", &M::MaxPosTop, &M::SetMaxPosTop)
                                     .Prop("MaxSizeHeight", &M::MaxSizeHeight, &M::SetMaxSizeHeight)
                                     .Prop("MaxSizeWidth", &M::MaxSizeWidth, &M::SetMaxSizeWidth)
                                     .Prop("MaxTrackHeight", &M::MaxTrackHeight, &M::SetMaxTrackHeight)
                                     .Prop("MaxTrackWidth", &M::MaxTrackWidth, &M::SetMaxTrackWidth)
                                     .Prop("MinTrackHeight", &M::MinTrackHeight, &M::SetMinTrackHeight)
                                     .Prop("MinTrackWidth", &M::MinTrackWidth, &M::SetMinTrackWidth)
                                     .Build();
  return &Info;
}

void TWinMinMaxInfo::Assign(const TPersistent* Source) {
  if (auto* Other = dynamic_cast<const TWinMinMaxInfo*>(Source)) {
    FMinMaxInfo = Other->FMinMaxInfo;
    if (FOwner != nullptr) FOwner->MinMaxInfoChanged();
    return;
  }
  TPersistent::Assign(Source);
}

TPersistent* TWinMinMaxInfo::GetOwner() const { return FOwner; }

bool TWinMinMaxInfo::DefaultMinMaxInfo() const {
  const MINMAXINFO& M = FMinMaxInfo;
  return M.ptMaxSize.x == 0 && M.ptMaxSize.y == 0 && M.ptMaxPosition.x == 0 && M.ptMaxPosition.y == 0 &&
         M.ptMinTrackSize.x == 0 && M.ptMinTrackSize.y == 0 && M.ptMaxTrackSize.x == 0 && M.ptMaxTrackSize.y == 0;
}

void TWinMinMaxInfo::SetValue(LONG& Field, int Value) {
  if (Field == Value) return;
  Field = Value;
  if (FOwner != nullptr) FOwner->MinMaxInfoChanged();
}

// ---------------------------------------------------------------------------------------
// TFormPlacement

const TClassInfo* TFormPlacement::StaticClassInfo() {
  using P = TFormPlacement;
  static const TClassInfo Info =
      TClassBuilder<P, TComponent>("TFormPlacement")
          .Prop("Active", &P::Active, &P::SetActive)
          .Prop("IniFileName", &P::IniFileName, &P::SetIniFileName)
          .Prop("IniSection", &P::IniSection, &P::SetIniSection)
          .Prop("MinMaxInfo", &P::MinMaxInfo, &P::SetMinMaxInfo)
          .Prop("Options", &P::Options, &P::SetOptions)
          .Prop("PreventResize", &P::PreventResize, &P::SetPreventResize)
          .Prop("UseRegistry", &P::UseRegistry, &P::SetUseRegistry)
          .Prop("OnSavePlacement", &P::OnSavePlacement)
          .Prop("OnRestorePlacement", &P::OnRestorePlacement)
          .Build();
  return &Info;
}

TFormPlacement::TFormPlacement(TComponent* AOwner)
    : TComponent(AOwner), FMinMaxInfo(std::make_unique<TWinMinMaxInfo>()) {
  FMinMaxInfo->FOwner = this;
  if (dynamic_cast<TCustomForm*>(AOwner) != nullptr) FOptions = {fpState, fpPosition};
  FWinHook = new TRxWindowHook(this);
  FWinHook->SetActive(false);
  FWinHook->AfterMessage = [this](TObject* Sender, TMessage& Msg, bool& Handled) { WndMessage(Sender, Msg, Handled); };
}

TFormPlacement::~TFormPlacement() {
  Destroying();
  if (!Designing() && FAttached) {
    if (TCustomForm* F = Form()) {
      F->OnShow = std::move(FSaveFormShow);
      F->OnCloseQuery = std::move(FSaveFormCloseQuery);
      F->OnDestroy = std::move(FSaveFormDestroy);
    }
    FAttached = false;
  }
  FWinHook->SetActive(false);
  FWinHook->SetWinControl(nullptr);
  FIniFile.reset();
}

TCustomForm* TFormPlacement::Form() const { return dynamic_cast<TCustomForm*>(Owner()); }

std::string TFormPlacement::IniFileName() const {
  if (FIniFileName.empty() && !Designing()) return FUseRegistry ? GetDefaultIniRegKey() : GetDefaultIniName();
  return FIniFileName;
}

std::string TFormPlacement::IniSection() const {
  if (FIniSection.empty() && !Designing()) return GetDefaultSection(Owner());
  return FIniSection;
}

bool TFormPlacement::ReadOnlyStorage() const {
  return !FUseRegistry && SameText(ExtractFileExt(IniFileName()), ".lng");
}

TFormPlacement::TStorageScope::TStorageScope(TFormPlacement* Owner) : FOwner(Owner), FOpened(!Owner->FIniFile) {
  if (!FOpened) return;
  if (Owner->FUseRegistry)
    Owner->FIniFile = std::make_unique<TRegIniFile>(Owner->IniFileName());
  else
    Owner->FIniFile = std::make_unique<TIniFile>(Owner->IniFileName());
}

TFormPlacement::TStorageScope::~TStorageScope() {
  if (FOpened) FOwner->FIniFile.reset();
}

void TFormPlacement::Loaded() {
  bool WasLoading = Loading();
  TComponent::Loaded();
  if (Designing()) return;
  TCustomForm* F = Form();
  if (WasLoading && F != nullptr && !FAttached) {
    FSaveFormShow = F->OnShow;
    FSaveFormCloseQuery = F->OnCloseQuery;
    FSaveFormDestroy = F->OnDestroy;
    F->OnShow = [this](TObject* Sender) { FormShow(Sender); };
    F->OnCloseQuery = [this](TObject* Sender, bool& CanClose) { FormCloseQuery(Sender, CanClose); };
    F->OnDestroy = [this](TObject* Sender) { FormDestroy(Sender); };
    FAttached = true;
    FDefMaximize = F->BorderIcons().Contains(biMaximize);
    if (FPreventResize) UpdatePreventResize();
  }
  SetHook();
}

void TFormPlacement::FormShow(TObject* Sender) {
  if (FActive) {
    try {
      RestoreFormPlacement();
    } catch (...) {
      HandleException(this);
    }
  }
  if (FSaveFormShow) FSaveFormShow(Sender);
}

void TFormPlacement::FormCloseQuery(TObject* Sender, bool& CanClose) {
  if (FSaveFormCloseQuery) FSaveFormCloseQuery(Sender, CanClose);
  TCustomForm* F = Form();
  if (CanClose && FActive && F != nullptr && F->HandleAllocated()) {
    try {
      SaveFormPlacement();
    } catch (...) {
      HandleException(this);
    }
  }
}

void TFormPlacement::FormDestroy(TObject* Sender) {
  if (FActive && !FSaved) {
    FDestroying = true;
    try {
      SaveFormPlacement();
    } catch (...) {
      HandleException(this);
    }
    FDestroying = false;
  }
  if (FSaveFormDestroy) FSaveFormDestroy(Sender);
}

void TFormPlacement::SaveEvent() {
  if (OnSavePlacement) OnSavePlacement(this);
}

void TFormPlacement::RestoreEvent() {
  if (OnRestorePlacement) OnRestorePlacement(this);
}

void TFormPlacement::SaveFormPlacement() {
  if (FActive && !FRestored) return;
  if (ReadOnlyStorage()) return;
  TStorageScope Scope(this);
  SavePlacement();
  SaveEvent();
  FSaved = true;
}

void TFormPlacement::RestoreFormPlacement() {
  FSaved = false;
  {
    TStorageScope Scope(this);
    RestorePlacement();
    FRestored = true;
    RestoreEvent();
    TCustomForm* F = Form();
    if (FOptions.Contains(fpActiveControl) && F != nullptr) {
      std::string Name = DoReadString(IniSection(), siActiveControl, "");
      auto* Control = Name.empty() ? nullptr : dynamic_cast<TWinControl*>(F->FindComponent(Name));
      if (Control != nullptr && Control != F && F->ContainsControl(Control) && Control->CanFocus())
        F->SetActiveControl(Control);
    }
  }
  UpdatePlacement();
}

void TFormPlacement::SavePlacement() {
  TCustomForm* F = Form();
  if (F == nullptr) return;
  std::string Section = IniSection();
  WriteFormPlacement(F, FIniFile.get(), Section);
  if (FOptions.Contains(fpActiveControl) && F->ActiveControl() != nullptr && !F->ActiveControl()->Name().empty())
    IniWriteString(FIniFile.get(), Section, siActiveControl, F->ActiveControl()->Name());
  FIniFile->WriteBool(Section, siVisible, FDestroying);
}

void TFormPlacement::RestorePlacement() {
  if (TCustomForm* F = Form())
    ReadFormPlacement(F, FIniFile.get(), IniSection(), FOptions.Contains(fpState), FOptions.Contains(fpPosition));
}

std::string TFormPlacement::DoReadString(const std::string& Section, const std::string& Ident,
                                         const std::string& Default) {
  TStorageScope Scope(this);
  return IniReadString(FIniFile.get(), Section, Ident, Default);
}

void TFormPlacement::DoWriteString(const std::string& Section, const std::string& Ident, const std::string& Value) {
  if (ReadOnlyStorage()) return;
  TStorageScope Scope(this);
  IniWriteString(FIniFile.get(), Section, Ident, Value);
}

void TFormPlacement::SetPreventResize(bool Value) {
  if (Form() == nullptr || Value == FPreventResize) return;
  FPreventResize = Value;
  UpdatePlacement();
  // While the form data is read, Loaded applies it, once the border icons are known.
  if (!Loading()) UpdatePreventResize();
}

void TFormPlacement::MinMaxInfoChanged() {
  UpdatePlacement();
  if (!Loading()) SetHook();
}

void TFormPlacement::SetHook() {
  TCustomForm* F = Form();
  if (F != nullptr && !Designing() && (FPreventResize || !FMinMaxInfo->DefaultMinMaxInfo())) {
    FWinHook->SetWinControl(F);
    FWinHook->SetActive(true);
  } else {
    FWinHook->SetActive(false);
  }
}

void TFormPlacement::UpdatePreventResize() {
  TCustomForm* F = Form();
  if (F == nullptr || Designing()) return;
  if (FPreventResize) FDefMaximize = F->BorderIcons().Contains(biMaximize);
  bool WasActive = FActive;
  FActive = false;
  TBorderIcons Icons = F->BorderIcons();
  if (!FPreventResize && FDefMaximize && F->BorderStyle() != bsDialog)
    Icons.Include(biMaximize);
  else
    Icons.Exclude(biMaximize);
  try {
    F->SetBorderIcons(Icons);
  } catch (...) {
    FActive = WasActive;
    throw;
  }
  FActive = WasActive;
  if (!Loading()) SetHook();
}

void TFormPlacement::UpdatePlacement() {
  TCustomForm* F = Form();
  if (F == nullptr || !F->HandleAllocated() || Loading() || FPreventResize || !FMinMaxInfo->DefaultMinMaxInfo())
    return;
  HWND Wnd = F->Handle();
  // A window that is up and maximised already has its place; writing the placement back
  // moves it there again, and Wine then puts it at the screen's corner with its frame
  // and its bottom and right edges off the screen (a language switch did so).
  if (IsWindowVisible(Wnd) && IsZoomed(Wnd)) return;
  WINDOWPLACEMENT P{};
  P.length = sizeof P;
  if (!GetWindowPlacement(Wnd, &P)) return;
  if (!IsWindowVisible(Wnd)) P.showCmd = SW_HIDE;
  int Metric[2] = {0, 0};
  switch (F->BorderStyle()) {
    case bsSingle: case bsToolWindow: Metric[0] = SM_CXBORDER; Metric[1] = SM_CYBORDER; break;
    case bsSizeable: case bsSizeToolWin: Metric[0] = SM_CXFRAME; Metric[1] = SM_CYFRAME; break;
    case bsDialog: Metric[0] = SM_CXDLGFRAME; Metric[1] = SM_CYDLGFRAME; break;
    default: break;
  }
  P.ptMaxPosition.x = Metric[0] != 0 ? -GetSystemMetrics(Metric[0]) : 0;
  P.ptMaxPosition.y = Metric[1] != 0 ? -GetSystemMetrics(Metric[1]) : 0;
  SetWindowPlacement(Wnd, &P);
}

void TFormPlacement::WndMessage(TObject*, TMessage& Msg, bool&) {
  TCustomForm* F = Form();
  if (FPreventResize && F != nullptr) {
    switch (Msg.Msg) {
      case WM_GETMINMAXINFO:
        if (F->HandleAllocated() && IsWindowVisible(F->Handle())) {
          auto* Info = reinterpret_cast<MINMAXINFO*>(Msg.LParam);
          Info->ptMinTrackSize = {F->Width(), F->Height()};
          Info->ptMaxTrackSize = {F->Width(), F->Height()};
          Msg.Result = 1;
        }
        break;
      case WM_NCHITTEST:
        if (Msg.Result >= HTLEFT && Msg.Result <= HTBOTTOMRIGHT) Msg.Result = HTNOWHERE;
        break;
      case WM_INITMENUPOPUP:
        if (HIWORD(Msg.LParam) != 0) {
          auto Menu = reinterpret_cast<HMENU>(Msg.WParam);
          EnableMenuItem(Menu, SC_SIZE, MF_BYCOMMAND | MF_GRAYED);
          EnableMenuItem(Menu, SC_MAXIMIZE, MF_BYCOMMAND | MF_GRAYED);
          Msg.Result = 1;
        }
        break;
      default:
        break;
    }
  } else if (Msg.Msg == WM_GETMINMAXINFO) {
    auto* Info = reinterpret_cast<MINMAXINFO*>(Msg.LParam);
    const MINMAXINFO& M = FMinMaxInfo->MinMaxInfo();
    if (!FMinMaxInfo->DefaultMinMaxInfo()) {
      auto Take = [](LONG& Field, LONG Value) {
        if (Value != 0) Field = Value;
      };
      Take(Info->ptMinTrackSize.x, M.ptMinTrackSize.x);
      Take(Info->ptMinTrackSize.y, M.ptMinTrackSize.y);
      Take(Info->ptMaxTrackSize.x, M.ptMaxTrackSize.x);
      Take(Info->ptMaxTrackSize.y, M.ptMaxTrackSize.y);
      Take(Info->ptMaxSize.x, M.ptMaxSize.x);
      Take(Info->ptMaxSize.y, M.ptMaxSize.y);
      Take(Info->ptMaxPosition.x, M.ptMaxPosition.x);
      Take(Info->ptMaxPosition.y, M.ptMaxPosition.y);
    } else {
      Info->ptMaxPosition = {0, 0};
    }
    Msg.Result = 1;
  }
}

// ---------------------------------------------------------------------------------------
// TFormStorage

const TClassInfo* TFormStorage::StaticClassInfo() {
  static const TClassInfo Info = TClassBuilder<TFormStorage, TFormPlacement>("TFormStorage")
                                     .Prop("StoredProps", &TFormStorage::StoredProps, &TFormStorage::SetStoredProps)
                                     .Build();
  return &Info;
}

TFormStorage::TFormStorage(TComponent* AOwner)
    : TFormPlacement(AOwner), FStoredProps(std::make_unique<TStringList>()) {}

TFormStorage::~TFormStorage() { Destroying(); }

void TFormStorage::SetStoredProps(TStrings* Value) {
  FStoredProps->Assign(Value);
  for (int I = 0; I < FStoredProps->Count(); ++I)
    if (auto* Component = dynamic_cast<TComponent*>(FStoredProps->Objects(I))) Component->FreeNotification(this);
}

void TFormStorage::Loaded() {
  TFormPlacement::Loaded();
  if (ComponentState().Contains(csDesigning)) return;
  UpdateStoredList(Owner(), FStoredProps.get(), true);
  for (int I = 0; I < FStoredProps->Count(); ++I)
    if (auto* Component = dynamic_cast<TComponent*>(FStoredProps->Objects(I))) Component->FreeNotification(this);
}

void TFormStorage::Notification(TComponent* AComponent, TOperation Operation) {
  TFormPlacement::Notification(AComponent, Operation);
  if (Operation != opRemove || ComponentState().Contains(csDestroying) || !FStoredProps) return;
  for (int I = FStoredProps->Count() - 1; I >= 0; --I)
    if (FStoredProps->Objects(I) == AComponent) FStoredProps->Delete(I);
}

void TFormStorage::SavePlacement() {
  TFormPlacement::SavePlacement();
  SaveProperties();
}

void TFormStorage::RestorePlacement() {
  TFormPlacement::RestorePlacement();
  FRestored = true;
  RestoreProperties();
}

void TFormStorage::SaveProperties() {
  if (ReadOnlyStorage()) return;
  TStorageScope Scope(this);
  TPropsStorage Storage;
  Storage.SetSection(IniSection());
  Storage.OnWriteString = [this](const std::string& S, const std::string& K, const std::string& V) {
    DoWriteString(S, K, V);
  };
  Storage.OnEraseSection = [this](const std::string& S) { IniFile()->EraseSection(S); };
  Storage.StoreObjectsProps(Owner(), FStoredProps.get());
}

void TFormStorage::RestoreProperties() {
  RegisterFormFinder();
  TStorageScope Scope(this);
  TPropsStorage Storage;
  Storage.SetSection(IniSection());
  Storage.OnReadString = [this](const std::string& S, const std::string& K, const std::string& D) {
    return DoReadString(S, K, D);
  };
  Storage.LoadObjectsProps(Owner(), FStoredProps.get());
  // A language file also names the window, under the form's name like a component's text;
  // a missing key leaves the window's own caption.
  TCustomForm* F = Form();
  if (ReadOnlyStorage() && F != nullptr && !F->Name().empty())
    F->SetCaption(DoReadString(IniSection(), F->Name() + "_Caption", F->Caption()));
}

void RegisterStorageClasses() {
  RegisterMissingClasses<TFormPlacement, TFormStorage>();
}
