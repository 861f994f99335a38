#include "shell/pt_shell_locator.h"

#include <ole2.h>

#include <cstring>

#include "classlib/core/exception.h"
#include "classlib/win/application.h"
#include "shell/core/pidl_bytes.h"

namespace {

// The unit's start-up and shut-down on the thread that loads the program: the clipboard
// format, the shared list data and OLE for drag and drop.
struct TShellControlsUnit {
  TShellControlsUnit() {
    Format = RegisterClipboardFormatW(L"Shell IDList Array");
    std::memset(ColumnRecord, 0, sizeof(ColumnRecord));
    OleOk = SUCCEEDED(OleInitialize(nullptr));
  }
  ~TShellControlsUnit() {
    if (OleOk) OleUninitialize();
  }
  UINT Format = 0;
  TMemoryStream WidthStream;
  uint8_t ColumnRecord[22];
  bool OleOk = false;
};

TShellControlsUnit& Unit() {
  static TShellControlsUnit U;
  return U;
}
// Start-up work runs when the program loads, not on some later first use.
[[maybe_unused]] TShellControlsUnit& UnitAtLoad = Unit();

bool IsDesktopList(PCItemIDList List) { return List == nullptr || GetPidlSize(List) <= 2; }

}  // namespace

UINT CFShellIDList() { return Unit().Format; }
TMemoryStream& ShellListWidthStream() { return Unit().WidthStream; }
uint8_t (&ShellListColumnRecord())[22] { return Unit().ColumnRecord; }

// ---------------------------------------------------------------------------------------

const TClassInfo* TPTShellLocator::StaticClassInfo() {
  static const TClassInfo Info =
      TClassBuilder<TPTShellLocator, TPersistent>("TPTShellLocator")
          .Prop("Pidl", &TPTShellLocator::PidlData, &TPTShellLocator::SetPidlData)
          .Build();
  return &Info;
}

PCItemIDList TPTShellLocator::GetIdList() {
  if (FKind == lkSpecialFolder && !FIdList) {
    HWND Owner = Application != nullptr ? Application->Handle() : nullptr;
    if (FAILED(SHGetSpecialFolderLocation(Owner, FSpecialFolder, FIdList.Out()))) FIdList.Reset();
  }
  return FKind == lkIdList || FKind == lkSpecialFolder ? FIdList.Get() : nullptr;
}

std::string TPTShellLocator::GetPath() { return PidlToPath(GetIdList()); }

void TPTShellLocator::SetIdList(PCItemIDList List) {
  bool Changed = FKind != lkIdList;
  FKind = lkIdList;
  if (FIdList) {
    if (!Changed) {
      // A shell that cannot compare the two gives no proof that nothing changed.
      Changed = ComparePidls(FIdList.Get(), List) != 0;
    }
  } else {
    Changed = Changed || !IsDesktopList(List);
  }
  // Copy before letting go: List may be our own.
  TPidl Copy(IsDesktopList(List) ? nullptr : CopyPidl(nullptr, List));
  FIdList = std::move(Copy);
  if (Changed) Change();
}

void TPTShellLocator::SetSpecialFolder(int Csidl) {
  bool Changed = FKind != lkSpecialFolder || FSpecialFolder != uint8_t(Csidl);
  FIdList.Reset();
  FKind = lkSpecialFolder;
  FSpecialFolder = uint8_t(Csidl);
  if (Changed) Change();
}

void TPTShellLocator::SetPath(const std::string& Path) {
  TPidl List;
  if (SUCCEEDED(PathToPidl(Path, *List.Out())))
    SetIdList(List.Get());
  else
    SetIdList(nullptr);
}

void TPTShellLocator::Assign(const TPersistent* Source) {
  if (Source == nullptr) {
    // Nil names the desktop, also for a special folder not resolved yet.
    if (FIdList || FKind != lkIdList) {
      FIdList.Reset();
      FKind = lkIdList;
      Change();
    }
    return;
  }
  if (auto* Other = dynamic_cast<const TPTShellLocator*>(Source)) {
    // Equal may resolve the source's special folder, which is a cache only.
    auto* From = const_cast<TPTShellLocator*>(Other);
    if (Equal(From)) return;
    FIdList.Reset();
    FKind = From->FKind;
    if (FKind == lkSpecialFolder)
      FSpecialFolder = From->FSpecialFolder;
    else if (!IsDesktopList(From->FIdList.Get()))
      FIdList.Reset(CopyPidl(nullptr, From->FIdList.Get()));
    Change();
    return;
  }
  TPersistent::Assign(Source);
}

bool TPTShellLocator::Equal(TPTShellLocator* Other) {
  if (Other == nullptr || FKind != Other->FKind) return false;
  if (Other == this) return true;
  if (FKind == lkIdList) return ComparePidls(FIdList.Get(), Other->FIdList.Get()) == 0;
  return FSpecialFolder == Other->FSpecialFolder;
}

void TPTShellLocator::Change() {
  if (OnChange) OnChange(this);
}

// ---------------------------------------------------------------------------------------

bool TPTShellLocator::PidlStored() const { return FKind == lkSpecialFolder || bool(FIdList); }

TBytes TPTShellLocator::PidlData() const {
  if (!PidlStored()) return {};
  TLocatorRecord R;
  R.Kind = FKind == lkSpecialFolder ? 1 : 0;
  R.SpecialFolder = FSpecialFolder;
  if (FKind == lkIdList) R.IdList = PidlToBytes(FIdList.Get());
  return EncodeLocatorRecord(R);
}

void TPTShellLocator::SetPidlData(const TBytes& Data) {
  // No data is what a desktop locator gives.
  if (Data.empty()) {
    FIdList.Reset();
    FKind = lkIdList;
    return;
  }
  TLocatorRecord R = DecodeLocatorRecord(Data.data(), Data.size());
  // A special folder drops the list too: it would be taken for the resolved folder.
  FIdList.Reset();
  if (R.Kind != 0) {
    FKind = lkSpecialFolder;
    FSpecialFolder = R.SpecialFolder;
    return;
  }
  FKind = lkIdList;
  if (!R.IdList.empty()) {
    PItemIDList List = AllocPidl(R.IdList.size());
    if (List == nullptr) throw EOutOfResources("Out of memory for an item-ID list");
    std::memcpy(List, R.IdList.data(), R.IdList.size());
    FIdList.Reset(List);
  }
}

void TPTShellLocator::WritePidl(TStream* Stream) const {
  TBytes Data = PidlData();
  if (!Data.empty()) Stream->WriteBuffer(Data.data(), Data.size());
}

void TPTShellLocator::ReadPidl(TStream* Stream) {
  uint8_t Kind = 0;
  Stream->ReadBuffer(&Kind, 1);
  TBytes Data{Kind};
  if (Kind != 0) {
    Data.resize(2);
    Stream->ReadBuffer(&Data[1], 1);
  } else {
    Data.resize(5);
    Stream->ReadBuffer(&Data[1], 4);
    uint32_t N = Data[1] | (Data[2] << 8) | (Data[3] << 16) | (uint32_t(Data[4]) << 24);
    int64_t Left = Stream->Size() - Stream->Position();
    if (int64_t(N) > Left) throw EReadError("Pidl data: the item-ID list is cut short");
    Data.resize(5 + N);
    if (N != 0) Stream->ReadBuffer(&Data[5], N);
  }
  SetPidlData(Data);
}
