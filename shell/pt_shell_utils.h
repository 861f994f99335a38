// Item-ID lists and shell utilities: allocating, copying, joining, measuring and comparing
// item-ID lists, paths and special folders, display names and icons, the system image
// lists, shortcut files and positional message formatting.
//
// Every item-ID list a caller receives is its own: free it with FreePidl (or the allocator
// passed in), or keep it in a TPidl. Routines returning an HRESULT never raise; routines
// returning text give an empty text on failure, list routines nil.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "shell/com_ptr.h"

using PItemIDList = LPITEMIDLIST;
using PCItemIDList = LPCITEMIDLIST;

// ---------------------------------------------------------------------------------------
// Process-wide facts, read once.

bool IsWinNT();
// The shell's task allocator, held for the life of the process.
IMalloc* ShellMalloc();
// The file version of comctl32.dll (MS dword high, LS dword low), 0 when unreadable.
uint64_t ComCtlVersion();

// ---------------------------------------------------------------------------------------
// Item-ID lists.

PItemIDList AllocPidl(size_t Size);
void FreePidl(PItemIDList List);  // nil is ignored
// Sum of the item counts plus 2 for the terminator; 0 for nil.
size_t GetPidlSize(PCItemIDList List);
// A copy with a fresh terminator, from Malloc (nil: the shell allocator). Nil counts as
// the empty list. Nil when the allocation fails.
PItemIDList CopyPidl(IMalloc* Malloc, PCItemIDList List);
// The items of First, then those of Second, then one terminator.
PItemIDList ConcatPidls(IMalloc* Malloc, PCItemIDList First, PCItemIDList Second);

// What ComparePidls returns when the shell could not answer.
inline constexpr int PidlNoAnswer = 0x7FFFFFFF;
// Absolute lists: 0 the same object, negative or positive their order, PidlNoAnswer.
int ComparePidls(PCItemIDList A, PCItemIDList B);
// Where ComparePidls gets the desktop folder that compares. Tests put in a folder that
// cannot answer, which Wine's desktop never does.
extern HRESULT (*ComparePidlsDesktop)(IShellFolder** Folder);

// An item-ID list owned together with the allocator that made it (nil: the shell's).
class TPidl {
public:
  TPidl() = default;
  explicit TPidl(PItemIDList List, IMalloc* Malloc = nullptr) : FList(List), FMalloc(TComPtr<IMalloc>::Share(Malloc)) {}
  TPidl(TPidl&& Other) noexcept
      : FList(std::exchange(Other.FList, nullptr)), FMalloc(std::move(Other.FMalloc)) {}
  TPidl& operator=(TPidl&& Other) noexcept {
    if (this != &Other) {
      Reset();
      FList = std::exchange(Other.FList, nullptr);
      FMalloc = std::move(Other.FMalloc);
    }
    return *this;
  }
  TPidl(const TPidl&) = delete;
  TPidl& operator=(const TPidl&) = delete;
  ~TPidl() { Reset(); }

  PItemIDList Get() const { return FList; }
  explicit operator bool() const { return FList != nullptr; }
  void Reset(PItemIDList List = nullptr);
  PItemIDList Release() { return std::exchange(FList, nullptr); }
  // For out parameters of the shell allocator's lists.
  PItemIDList* Out() {
    Reset();
    FMalloc.Reset();
    return &FList;
  }

private:
  PItemIDList FList = nullptr;
  TComPtr<IMalloc> FMalloc;
};

// ---------------------------------------------------------------------------------------
// Folders, paths and names.

// The desktop for nil or the empty list, else the folder bound from the desktop.
HRESULT GetShellFolder(PCItemIDList List, IShellFolder** Folder);
HRESULT PathToPidl(const std::string& Path, PItemIDList& List);
// Empty for objects without a file-system path; nil is the desktop.
std::string PidlToPath(PCItemIDList List);
std::string GetSpecialFolderPath(HWND Owner, int Csidl);
HRESULT GetSpecialFolderPidl(HWND Owner, int Csidl, PItemIDList& List);
// The system image-list index (SHGFI_SMALLICON, plus SHGFI_OPENICON for the open icon).
int GetPidlIconIndex(PCItemIDList List, UINT Flags);
// NameKind 0 normal, 1 in folder, 2 for parsing; a nil folder is the desktop.
std::string GetPidlDisplayName(IShellFolder* Folder, PCItemIDList RelList, int NameKind);
std::string StrRetToString(PCItemIDList RelList, const STRRET& Str);
void FreeStrRet(STRRET& Str);

// ---------------------------------------------------------------------------------------
// The chain of items of one absolute list, which the array borrows (it must outlive it).
// The lists that Item and AncestorIdList return belong to the array until its next call.

class TPTIdListArray {
public:
  explicit TPTIdListArray(PCItemIDList List) : FList(List) {}
  TPTIdListArray(const TPTIdListArray&) = delete;
  TPTIdListArray& operator=(const TPTIdListArray&) = delete;

  int Count() const;
  // The i-th item alone; raises for a nil list or an index out of range.
  PItemIDList Item(int Index);
  // The ancestor N levels up (N = 0 the whole list, N = Count the desktop); nil when N is
  // out of range or the list is nil.
  PItemIDList AncestorIdList(int N);

private:
  PCItemIDList FList;
  TPidl FResult;
};

// ---------------------------------------------------------------------------------------
// Other routines.

bool GetFileVersion(const std::string& FileName, uint64_t& Version);
// SizeKind 0 small, 1 large; shared lists that nobody may destroy.
HIMAGELIST GetSystemImageList(int SizeKind);
// Makes overlay images 1 and 2 of the system lists the shell's share and shortcut marks.
void AddShellOverlays();

struct TLinkData {
  std::string Path;
  std::string Description;
  std::string Arguments;
  std::string IconLocation;
  int IconIndex = 0;
  std::string WorkingDirectory;
  int ShowCmd = 0;
  uint32_t HotKey = 0;  // low word
  TPidl IdList;         // the target, when asked for
  WIN32_FIND_DATAW FindData{};
};
// Reads a shortcut file; the HRESULT of the last step run.
HRESULT GetLinkData(const std::string& FileName, TLinkData& Data, bool WantIdList);

// "%1", "%2"... replaced by Texts (at most 50); raises for more.
std::string FormatStrPos(const std::string& Fmt, const std::vector<std::string>& Texts);
