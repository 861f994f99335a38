#include "shell/pt_shell_utils.h"

#include <shellapi.h>

#include <cstring>

#include "classlib/core/exception.h"
#include "classlib/core/sys_utils.h"
#include "classlib/win/wide_string.h"
#include "shell/core/pidl_bytes.h"

namespace {

// COM for the whole run of the program, on the thread that loads it.
struct TComSession {
  TComSession() : FOk(SUCCEEDED(CoInitialize(nullptr))) {}
  ~TComSession() {
    if (FOk) CoUninitialize();
  }
  bool FOk;
} ComSession;

// A path as the shell takes it: UTF-16, at most MAX_PATH characters and a zero.
std::wstring ShellPath(const std::string& Path) {
  std::wstring W = ToWide(Path);
  if (W.size() > MAX_PATH) W.resize(MAX_PATH);
  return W;
}

// ANSI texts that the shell hands back are in the system's code page, not ours.
std::string FromAnsi(const char* S, size_t MaxLen) {
  size_t N = 0;
  while (N < MaxLen && S[N] != 0) ++N;
  if (N == 0) return {};
  int Len = MultiByteToWideChar(CP_ACP, 0, S, static_cast<int>(N), nullptr, 0);
  std::wstring W(Len, L'\0');
  MultiByteToWideChar(CP_ACP, 0, S, static_cast<int>(N), W.data(), Len);
  return FromWide(W);
}

}  // namespace

// ---------------------------------------------------------------------------------------

bool IsWinNT() {
  static const bool NT = [] {
    OSVERSIONINFOW V{};
    V.dwOSVersionInfoSize = sizeof(V);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (!GetVersionExW(&V)) return false;
#pragma GCC diagnostic pop
    return V.dwPlatformId == VER_PLATFORM_WIN32_NT;
  }();
  return NT;
}

IMalloc* ShellMalloc() {
  static IMalloc* const Malloc = [] {
    IMalloc* M = nullptr;
    if (FAILED(SHGetMalloc(&M))) M = nullptr;
    return M;
  }();
  return Malloc;
}

uint64_t ComCtlVersion() {
  static const uint64_t Version = [] {
    uint64_t V = 0;
    return GetFileVersion("comctl32.dll", V) ? V : uint64_t(0);
  }();
  return Version;
}

// ---------------------------------------------------------------------------------------

PItemIDList AllocPidl(size_t Size) {
  IMalloc* M = ShellMalloc();
  return M != nullptr ? static_cast<PItemIDList>(M->Alloc(Size)) : nullptr;
}

void FreePidl(PItemIDList List) {
  if (List != nullptr && ShellMalloc() != nullptr) ShellMalloc()->Free(List);
}

size_t GetPidlSize(PCItemIDList List) {
  return List == nullptr ? 0 : PidlItemsSize(List) + 2;
}

namespace {
PItemIDList AllocFrom(IMalloc* Malloc, size_t Size) {
  if (Malloc == nullptr) Malloc = ShellMalloc();
  return Malloc != nullptr ? static_cast<PItemIDList>(Malloc->Alloc(Size)) : nullptr;
}
PItemIDList ListFromBytes(IMalloc* Malloc, const TPidlBytes& Bytes) {
  PItemIDList R = AllocFrom(Malloc, Bytes.size());
  if (R != nullptr) std::memcpy(R, Bytes.data(), Bytes.size());
  return R;
}
}  // namespace

PItemIDList CopyPidl(IMalloc* Malloc, PCItemIDList List) {
  return ListFromBytes(Malloc, PidlToBytes(List));
}

PItemIDList ConcatPidls(IMalloc* Malloc, PCItemIDList First, PCItemIDList Second) {
  return ListFromBytes(Malloc, JoinPidlBytes(First, Second));
}

HRESULT (*ComparePidlsDesktop)(IShellFolder** Folder) = [](IShellFolder** Folder) {
  return SHGetDesktopFolder(Folder);
};

int ComparePidls(PCItemIDList A, PCItemIDList B) {
  if (A == nullptr && B == nullptr) return 0;
  if (A == nullptr || B == nullptr) return -1;
  bool EmptyA = PidlItemCount(A) == 0, EmptyB = PidlItemCount(B) == 0;
  if (EmptyA && EmptyB) return 0;
  if (EmptyA || EmptyB) return -1;
  TComPtr<IShellFolder> Desktop;
  if (FAILED(ComparePidlsDesktop(Desktop.Out())) || !Desktop) return PidlNoAnswer;
  HRESULT Hr = Desktop->CompareIDs(0, A, B);
  if (FAILED(Hr)) return PidlNoAnswer;
  return static_cast<int16_t>(HRESULT_CODE(Hr) & 0xFFFF);
}

void TPidl::Reset(PItemIDList List) {
  PItemIDList Old = std::exchange(FList, List);
  if (Old == nullptr) return;
  if (FMalloc)
    FMalloc->Free(Old);
  else
    FreePidl(Old);
}

// ---------------------------------------------------------------------------------------

HRESULT GetShellFolder(PCItemIDList List, IShellFolder** Folder) {
  *Folder = nullptr;
  TComPtr<IShellFolder> Desktop;
  HRESULT Hr = SHGetDesktopFolder(Desktop.Out());
  if (FAILED(Hr)) return Hr;
  if (List == nullptr || PidlItemCount(List) == 0) {
    *Folder = Desktop.Detach();
    return Hr;
  }
  Hr = Desktop->BindToObject(List, nullptr, IID_IShellFolder, reinterpret_cast<void**>(Folder));
  if (FAILED(Hr)) *Folder = nullptr;
  return Hr;
}

HRESULT PathToPidl(const std::string& Path, PItemIDList& List) {
  List = nullptr;
  TComPtr<IShellFolder> Desktop;
  HRESULT Hr = SHGetDesktopFolder(Desktop.Out());
  if (FAILED(Hr)) return Hr;
  std::wstring W = ShellPath(Path);
  ULONG Eaten = 0, Attributes = 0;
  Hr = Desktop->ParseDisplayName(nullptr, nullptr, W.data(), &Eaten, &List, &Attributes);
  if (FAILED(Hr)) List = nullptr;
  return Hr;
}

std::string PidlToPath(PCItemIDList List) {
  static const USHORT Empty = 0;
  wchar_t Buf[MAX_PATH + 1] = {};
  if (!SHGetPathFromIDListW(List != nullptr ? List : reinterpret_cast<PCItemIDList>(&Empty), Buf))
    return {};
  return FromWideBuf(Buf, MAX_PATH);
}

std::string GetSpecialFolderPath(HWND Owner, int Csidl) {
  TPidl List;
  if (FAILED(SHGetSpecialFolderLocation(Owner, Csidl & 0xFF, List.Out()))) return {};
  return List ? PidlToPath(List.Get()) : std::string();
}

HRESULT GetSpecialFolderPidl(HWND Owner, int Csidl, PItemIDList& List) {
  List = nullptr;
  HRESULT Hr = SHGetSpecialFolderLocation(Owner, Csidl & 0x7F, &List);
  if (FAILED(Hr)) List = nullptr;
  return Hr;
}

int GetPidlIconIndex(PCItemIDList List, UINT Flags) {
  SHFILEINFOW Info{};
  if (SHGetFileInfoW(reinterpret_cast<LPCWSTR>(List), 0, &Info, sizeof(Info),
                     Flags | SHGFI_SYSICONINDEX | SHGFI_PIDL) == 0)
    return 0;
  return Info.iIcon;
}

std::string GetPidlDisplayName(IShellFolder* Folder, PCItemIDList RelList, int NameKind) {
  static const DWORD Kinds[] = {SHGDN_NORMAL, SHGDN_INFOLDER, SHGDN_FORPARSING};
  DWORD Flags = NameKind >= 0 && NameKind <= 2 ? Kinds[NameKind] : SHGDN_NORMAL;
  TComPtr<IShellFolder> Desktop;
  if (Folder == nullptr) {
    if (FAILED(SHGetDesktopFolder(Desktop.Out()))) return {};
    Folder = Desktop.Get();
  }
  STRRET Str{};
  Str.uType = STRRET_CSTR;
  if (FAILED(Folder->GetDisplayNameOf(RelList, Flags, &Str))) return {};
  std::string R = StrRetToString(RelList, Str);
  FreeStrRet(Str);
  return R;
}

std::string StrRetToString(PCItemIDList RelList, const STRRET& Str) {
  switch (Str.uType) {
    case STRRET_WSTR:
      return Str.pOleStr != nullptr ? FromWide(Str.pOleStr) : std::string();
    case STRRET_OFFSET:
      if (RelList == nullptr) return {};
      return FromAnsi(reinterpret_cast<const char*>(RelList) + Str.uOffset, MAX_PATH);
    case STRRET_CSTR:
      return FromAnsi(Str.cStr, sizeof(Str.cStr));
    default:
      return {};
  }
}

void FreeStrRet(STRRET& Str) {
  if (Str.uType == STRRET_WSTR && Str.pOleStr != nullptr) {
    CoTaskMemFree(Str.pOleStr);
    Str.pOleStr = nullptr;
  }
}

// ---------------------------------------------------------------------------------------

int TPTIdListArray::Count() const { return PidlItemCount(FList); }

PItemIDList TPTIdListArray::Item(int Index) {
  ptrdiff_t Offset = PidlItemOffset(FList, Index);
  if (Offset < 0) throw Exception(Format("TPTIdListArray - index %d out of range", {Index}));
  auto Item = reinterpret_cast<const uint8_t*>(FList) + Offset;
  FResult.Reset(CopyPidl(nullptr, reinterpret_cast<PCItemIDList>(PidlToBytes(Item, PidlItemSize(Item)).data())));
  return FResult.Get();
}

PItemIDList TPTIdListArray::AncestorIdList(int N) {
  int C = Count();
  if (FList == nullptr || N < 0 || N > C) {
    FResult.Reset();
    return nullptr;
  }
  TPidlBytes Bytes = PidlToBytes(FList, PidlPrefixSize(FList, C - N));
  FResult.Reset(CopyPidl(nullptr, reinterpret_cast<PCItemIDList>(Bytes.data())));
  return FResult.Get();
}

// ---------------------------------------------------------------------------------------

bool GetFileVersion(const std::string& FileName, uint64_t& Version) {
  std::wstring Name = ToWide(FileName);
  DWORD Handle = 0;
  DWORD Size = GetFileVersionInfoSizeW(Name.c_str(), &Handle);
  if (Size == 0) return false;
  std::vector<uint8_t> Buf(Size);
  if (!GetFileVersionInfoW(Name.c_str(), 0, Size, Buf.data())) return false;
  VS_FIXEDFILEINFO* Info = nullptr;
  UINT Len = 0;
  if (!VerQueryValueW(Buf.data(), L"\\", reinterpret_cast<void**>(&Info), &Len) || Info == nullptr ||
      Len < sizeof(VS_FIXEDFILEINFO))
    return false;
  Version = (uint64_t(Info->dwFileVersionMS) << 32) | Info->dwFileVersionLS;
  return true;
}

namespace {
bool OverlaysAdded = false;

HIMAGELIST SystemList(int SizeKind) {
  SHFILEINFOW Info{};
  UINT Size = SizeKind == 0 ? SHGFI_SMALLICON : SHGFI_LARGEICON;
  return reinterpret_cast<HIMAGELIST>(
      SHGetFileInfoW(L"C:\\", 0, &Info, sizeof(Info), SHGFI_SYSICONINDEX | Size));
}
}  // namespace

void AddShellOverlays() {
  HMODULE Shell = LoadLibraryW(L"shell32.dll");
  if (Shell == nullptr) return;
  // The marks go in through the shell's own icon cache: it adds each image to every system
  // list at once and hands out the same index on each call. An icon added to one of the
  // lists directly would put that list out of step with the indices the shell gives out,
  // and every icon asked for afterwards would show its neighbour's picture.
  using TCachedImageIndex = int(WINAPI*)(LPCWSTR Path, int Index, UINT Flags);
  auto CachedImageIndex = reinterpret_cast<TCachedImageIndex>(
      reinterpret_cast<void*>(GetProcAddress(Shell, MAKEINTRESOURCEA(72))));
  wchar_t Path[MAX_PATH] = {};
  DWORD Len = GetModuleFileNameW(Shell, Path, MAX_PATH);
  if (CachedImageIndex != nullptr && Len > 0 && Len < MAX_PATH) {
    HIMAGELIST Lists[2] = {SystemList(0), SystemList(1)};
    for (int I = 1; I <= 2; ++I) {
      int Index = CachedImageIndex(Path, -(28 + I), 0);
      if (Index < 0) continue;
      for (HIMAGELIST List : Lists)
        if (List != nullptr && Index < ImageList_GetImageCount(List)) ImageList_SetOverlayImage(List, Index, I);
    }
  }
  OverlaysAdded = true;
  FreeLibrary(Shell);
}

HIMAGELIST GetSystemImageList(int SizeKind) {
  // Common controls 4.71 on NT lacks the shell's share and shortcut overlays.
  if (!OverlaysAdded && IsWinNT() && (ComCtlVersion() >> 32) == 0x40047) AddShellOverlays();
  OverlaysAdded = true;
  return SystemList(SizeKind);
}

// ---------------------------------------------------------------------------------------

HRESULT GetLinkData(const std::string& FileName, TLinkData& Data, bool WantIdList) {
  TComPtr<IShellLinkW> Link;
  HRESULT Hr = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(Link.Out()));
  if (FAILED(Hr)) return Hr;
  TComPtr<IPersistFile> File;
  if (FAILED(Hr = Link.As(File))) return Hr;
  if (FAILED(Hr = File->Load(ShellPath(FileName).c_str(), STGM_READ))) return Hr;
  if (FAILED(Hr = Link->Resolve(nullptr, SLR_ANY_MATCH | SLR_NO_UI))) return Hr;
  wchar_t Buf[MAX_PATH + 1] = {};
  if (FAILED(Hr = Link->GetPath(Buf, MAX_PATH + 1, &Data.FindData, 0))) return Hr;
  Data.Path = FromWideBuf(Buf, MAX_PATH + 1);
  Buf[0] = 0;
  if (FAILED(Hr = Link->GetArguments(Buf, MAX_PATH + 1))) return Hr;
  Data.Arguments = FromWideBuf(Buf, MAX_PATH + 1);
  Buf[0] = 0;
  if (FAILED(Hr = Link->GetDescription(Buf, MAX_PATH + 1))) return Hr;
  Data.Description = FromWideBuf(Buf, MAX_PATH + 1);
  Buf[0] = 0;
  int Icon = 0;
  if (FAILED(Hr = Link->GetIconLocation(Buf, MAX_PATH + 1, &Icon))) return Hr;
  Data.IconLocation = FromWideBuf(Buf, MAX_PATH + 1);
  Data.IconIndex = Icon;
  Buf[0] = 0;
  if (FAILED(Hr = Link->GetWorkingDirectory(Buf, MAX_PATH + 1))) return Hr;
  Data.WorkingDirectory = FromWideBuf(Buf, MAX_PATH + 1);
  int Show = 0;
  if (FAILED(Hr = Link->GetShowCmd(&Show))) return Hr;
  Data.ShowCmd = Show;
  WORD Key = 0;
  if (FAILED(Hr = Link->GetHotkey(&Key))) return Hr;
  Data.HotKey = Key;
  if (WantIdList)
    Hr = Link->GetIDList(Data.IdList.Out());
  else
    Data.IdList.Reset();
  return Hr;
}

std::string FormatStrPos(const std::string& Fmt, const std::vector<std::string>& Texts) {
  if (Fmt.empty()) return {};
  if (Texts.size() > 50) throw Exception("FormatStrPos: Too many substitution strings");
  std::wstring WFmt = ToWide(Fmt);
  std::vector<std::wstring> WTexts;
  WTexts.reserve(Texts.size());
  for (const std::string& T : Texts) WTexts.push_back(ToWide(T));
  // A place beyond the texts finds a zero argument rather than reading off the array.
  std::vector<DWORD_PTR> Args(100, reinterpret_cast<DWORD_PTR>(L""));
  for (size_t I = 0; I < WTexts.size(); ++I) Args[I] = reinterpret_cast<DWORD_PTR>(WTexts[I].c_str());
  wchar_t* Buf = nullptr;
  DWORD Len = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_STRING |
                                 FORMAT_MESSAGE_ARGUMENT_ARRAY,
                             WFmt.c_str(), 0, 0, reinterpret_cast<LPWSTR>(&Buf), 256,
                             reinterpret_cast<va_list*>(Args.data()));
  std::string R;
  if (Len != 0 && Buf != nullptr) R = FromWide(std::wstring_view(Buf, Len));
  if (Buf != nullptr) LocalFree(Buf);
  return R;
}
