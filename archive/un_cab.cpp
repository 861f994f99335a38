// The class library's headers go before <windows.h>, whose macros would hide their names.
#include "archive/un_cab.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <set>

#include "archive/core/arc_file.h"
#include "archive/core/entry_io.h"
#include "archive/core/le_bytes.h"
#include "classlib/core/code_page.h"
#include "classlib/core/sys_utils.h"
#include "classlib/win/wide_string.h"

#include <windows.h>
#include <fdi.h>

#include "archive/load_library.h"

#undef CopyFile
#undef DeleteFile

static_assert(sizeof(TCabinetErrorRecord) == sizeof(ERF), "the error record is the library's ERF");

namespace {

typedef HFDI(DIAMONDAPI* TFDICreate)(PFNALLOC, PFNFREE, PFNOPEN, PFNREAD, PFNWRITE, PFNCLOSE, PFNSEEK, int, PERF);
typedef BOOL(DIAMONDAPI* TFDIIsCabinet)(HFDI, INT_PTR, PFDICABINETINFO);
typedef BOOL(DIAMONDAPI* TFDICopy)(HFDI, char*, char*, int, PFNFDINOTIFY, PFNFDIDECRYPT, void*);
typedef BOOL(DIAMONDAPI* TFDIDestroy)(HFDI);

struct TCabinetLibrary {
  HMODULE Module = nullptr;
  bool Tried = false;
  TFDICreate Create = nullptr;
  TFDIIsCabinet IsCabinet = nullptr;
  TFDICopy Copy = nullptr;
  TFDIDestroy Destroy = nullptr;

  ~TCabinetLibrary() { Free(); }
  void Free() {
    if (Module) FreeLibrary(Module);
    Module = nullptr;
    Create = nullptr;
    IsCabinet = nullptr;
    Copy = nullptr;
    Destroy = nullptr;
    Tried = true;
  }
  bool Loaded() {
    if (!Tried) LoadCabinetLibrary();
    return Module != nullptr;
  }
};
TCabinetLibrary CabLib;

// The reader in use: the library's file callbacks carry no user value. They come on the
// thread that called the library, so each thread keeps its own.
thread_local TUnCABInterface* CabReader = nullptr;

// A non-zero handle for the output of a file extracted to a stream (the library takes 0
// for "skip"); the write callback never looks at it.
constexpr INT_PTR StreamOutputHandle = 1;

FNALLOC(CabAlloc) { return malloc(cb); }
FNFREE(CabFree) { free(pv); }

FNOPEN(CabOpen) {
  if (CabReader == nullptr) return -1;
  try {
    return CabReader->FileHandler()->Open(pszFile, oflag, pmode);
  } catch (...) {
    return -1;
  }
}
FNREAD(CabRead) {
  if (CabReader == nullptr) return UINT(-1);
  try {
    return CabReader->FileHandler()->Read(hf, pv, cb);
  } catch (...) {
    return UINT(-1);
  }
}
FNWRITE(CabWrite) { return CabReader ? CabReader->WriteData(pv, cb) : UINT(-1); }
FNCLOSE(CabClose) {
  if (CabReader == nullptr) return -1;
  try {
    return CabReader->FileHandler()->Close(hf);
  } catch (...) {
    return -1;
  }
}
FNSEEK(CabSeek) {
  if (CabReader == nullptr) return -1;
  try {
    return CabReader->FileHandler()->Seek(hf, dist, seektype);
  } catch (...) {
    return -1;
  }
}

// Copies S into one of the library's name buffers of Size bytes; False when it does not fit.
bool CopyBack(char* Buf, size_t Size, const std::string& S) {
  if (Buf == nullptr || S.size() >= Size) return false;
  memcpy(Buf, S.c_str(), S.size() + 1);
  return true;
}

FNFDINOTIFY(CabNotify) {
  TUnCABInterface* R = static_cast<TUnCABInterface*>(pfdin->pv);
  if (R == nullptr) return -1;
  try {
    switch (fdint) {
      case fdintCABINET_INFO:
        R->CabinetInfo(pfdin->psz1 ? pfdin->psz1 : "", pfdin->psz2 ? pfdin->psz2 : "",
                       pfdin->psz3 ? pfdin->psz3 : "", pfdin->setID, pfdin->iCabinet);
        return 0;
      case fdintCOPY_FILE: {
        if (!R->Continue()) {
          pfdin->fdie = FDIERROR_USER_ABORT;
          return 0;
        }
        INT_PTR handle = 0;
        int action = 1;
        R->CopyFile(pfdin->psz1 ? pfdin->psz1 : "", pfdin->cb, handle, action, pfdin->date, pfdin->time,
                    pfdin->attribs);
        if (action == 2) return handle;
        if (action == 1) return 0;
        R->MarkAborted();
        return -1;
      }
      case fdintCLOSE_FILE_INFO:
        if (R->CloseFileInfo(pfdin->psz1 ? pfdin->psz1 : "", pfdin->hf, pfdin->date, pfdin->time, pfdin->attribs))
          return TRUE;
        R->MarkAborted();
        return -1;
      case fdintNEXT_CABINET: {
        // psz1 and psz2 are the library's copies of the names from the cabinet; a new name
        // goes back only where the old one stood, psz3 is a path buffer of CB_MAX_CAB_PATH.
        std::string name = pfdin->psz1 ? pfdin->psz1 : "", disk = pfdin->psz2 ? pfdin->psz2 : "",
                    path = pfdin->psz3 ? pfdin->psz3 : "";
        const size_t nameRoom = name.size() + 1, diskRoom = disk.size() + 1;
        bool abort = false;
        R->NextCabinet(name, disk, path, pfdin->fdie, abort);
        if (!abort)
          abort = !CopyBack(pfdin->psz1, nameRoom, name) || !CopyBack(pfdin->psz2, diskRoom, disk) ||
                  !CopyBack(pfdin->psz3, CB_MAX_CAB_PATH, path);
        if (!abort) return 0;
        R->MarkAborted();
        return -1;
      }
      default:
        return 0;
    }
  } catch (...) {
    R->KeepCallbackError(std::current_exception());
    R->MarkAborted();
    return -1;
  }
}

}  // namespace

// What the reader reads of a cabinet itself before the library sees it.
struct TCabFileRec {
  uint8_t Fixed[16];  // size, folder offset, folder index, date, time, attributes
  std::string Name;
  uint16_t Folder() const { return le::Get16(Fixed + 8); }
};
struct TCabFolderRec {
  uint32_t DataAt;
  uint16_t Blocks, Type;
};
struct TCabTables {
  int64_t Size = 0;
  uint16_t Flags = 0, SetID = 0, Index = 0;
  uint8_t FolderReserve = 0, DataReserve = 0;
  std::string Next;
  std::vector<TCabFolderRec> Folders;
  std::vector<TCabFileRec> Records;
  bool FileTableMoved = false;  // its offset lay past the end: read after the folders
};

namespace {

// Reads Count bytes at Pos of a cabinet or of the merged view of a set; the bytes read.
using TCabReadAt = std::function<int32_t(int64_t Pos, void* Buf, int32_t Count)>;

// False when the cabinet is too short for its header or tables (the library then says why).
bool ReadCabTables(const TCabReadAt& ReadAt, int64_t Size, TCabTables& T) {
  int64_t at = 0;
  auto read = [&](void* Buf, int32_t Count) {
    if (ReadAt(at, Buf, Count) != Count) return false;
    at += Count;
    return true;
  };
  auto zstring = [&](std::string& S) {
    S.clear();
    char c;
    for (int i = 0; i < 256; i++) {
      if (!read(&c, 1)) return false;
      if (c == 0) return true;
      S += c;
    }
    return false;
  };
  T.Size = Size;
  uint8_t h[36];
  if (!read(h, 36) || std::memcmp(h, "MSCF", 4) != 0) return false;
  T.Flags = le::Get16(h + 30);
  T.SetID = le::Get16(h + 32);
  T.Index = le::Get16(h + 34);
  if (T.Flags & 0x0004) {
    uint8_t r[4];
    if (!read(r, 4)) return false;
    T.FolderReserve = r[2];
    T.DataReserve = r[3];
    at += le::Get16(r);
  }
  std::string name;
  if ((T.Flags & 0x0001) && (!zstring(name) || !zstring(name))) return false;
  if ((T.Flags & 0x0002) && (!zstring(T.Next) || !zstring(name))) return false;
  for (int i = 0, n = le::Get16(h + 26); i < n; i++) {
    uint8_t rec[8];
    if (!read(rec, 8)) return false;
    T.Folders.push_back({le::Get32(rec), le::Get16(rec + 4), le::Get16(rec + 6)});
    at += T.FolderReserve;
  }
  const int64_t filesAt = le::Get32(h + 16);
  if (filesAt + 16 > Size)
    T.FileTableMoved = true;  // the library reads the records after the folders
  else
    at = filesAt;
  for (int i = 0, n = le::Get16(h + 28); i < n; i++) {
    TCabFileRec rec;
    if (!read(rec.Fixed, 16) || !zstring(rec.Name)) return false;
    T.Records.push_back(std::move(rec));
  }
  return true;
}

bool ReadCabTables(const std::string& Path, TCabTables& T) {
  try {
    TFileStream f(Path, fmOpenRead | fmShareDenyNone);
    // The tables are read a few bytes at a time: through a window of the file.
    std::vector<uint8_t> window;
    int64_t windowAt = -1;
    return ReadCabTables(
        [&](int64_t Pos, void* Buf, int32_t Count) {
          if (windowAt < 0 || Pos < windowAt || Pos + Count > windowAt + int64_t(window.size())) {
            window.resize(size_t(std::max(Count, 65536)));
            windowAt = Pos;
            f.Seek(Pos, soFromBeginning);
            const int got = f.Read(window.data(), int(window.size()));
            window.resize(size_t(std::max(got, 0)));
          }
          const int64_t n = std::min<int64_t>(Count, windowAt + int64_t(window.size()) - Pos);
          if (n <= 0) return 0;
          std::memcpy(Buf, window.data() + (Pos - windowAt), size_t(n));
          return int32_t(n);
        },
        f.Size(), T);
  } catch (const Exception&) {
    return false;
  }
}

// The data block checksum: the 32-bit little-endian words XORed, the 1-3 bytes left over
// taken high byte first.
uint32_t CabChecksum(const uint8_t* P, size_t N, uint32_t Seed) {
  uint32_t sum = Seed;
  size_t i = 0;
  for (; i + 4 <= N; i += 4) sum ^= le::Get32(P + i);
  uint32_t rest = 0;
  for (; i < N; i++) rest = (rest << 8) | P[i];
  return sum ^ rest;
}

// A set of cabinets seen by the library as one cabinet: the folders continued from one
// cabinet into the next are joined (a data block split over two cabinets becomes one), and
// every file is listed once. The library follows a continued folder only through whole
// data blocks of the cabinet it was in, and cannot start a file that begins in a continued
// folder at all; through this view it never has to.
class TCabSetView {
public:
  // False when the set cannot be shown so (a damaged table, too large for one cabinet).
  bool Build(const std::vector<std::string>& Cabinets, const std::vector<TCabTables>& Tables);
  int64_t Size() const { return FSize; }
  int32_t ReadAt(int64_t Pos, void* Buf, int32_t Count);

private:
  struct TSegment {
    int64_t At, Len;
    const uint8_t* Mem;  // or:
    int File;
    int64_t FileAt;
  };
  struct TBlock {
    int File;
    int64_t DataAt;  // in its cabinet
    uint16_t CbData, CbUncomp;
    uint32_t Csum;
    const std::vector<uint8_t>* Joined;  // the two parts of a split block, or null
  };
  struct TFolder {
    uint16_t Type;
    std::vector<TBlock> Blocks;
  };
  const uint8_t* Keep(std::vector<uint8_t> Bytes) {
    FOwned.push_back(std::make_unique<std::vector<uint8_t>>(std::move(Bytes)));
    return FOwned.back()->data();
  }
  // Empty segments are left out: a read runs from one segment into the next.
  void AddMem(const uint8_t* P, int64_t Len) {
    if (Len == 0) return;
    FSegments.push_back({FSize, Len, P, -1, 0});
    FSize += Len;
  }
  bool ReadFile(int File, int64_t At, void* Buf, int32_t Count);

  std::vector<std::unique_ptr<TFileStream>> FFiles;
  std::vector<std::unique_ptr<std::vector<uint8_t>>> FOwned;
  std::vector<TSegment> FSegments;
  int64_t FSize = 0;
};

bool TCabSetView::ReadFile(int File, int64_t At, void* Buf, int32_t Count) {
  TFileStream& f = *FFiles[static_cast<size_t>(File)];
  return f.Seek(At, soFromBeginning) == At && f.Read(Buf, Count) == Count;
}

bool TCabSetView::Build(const std::vector<std::string>& Cabinets, const std::vector<TCabTables>& Tables) {
  try {
    for (const std::string& c : Cabinets) FFiles.push_back(std::make_unique<TFileStream>(c, fmOpenRead | fmShareDenyNone));
    std::vector<TFolder> folders;
    std::vector<std::vector<size_t>> folderMap(Tables.size());  // cabinet's folder -> view's
    bool continues = false;  // the last folder goes on in the next cabinet
    for (size_t k = 0; k < Tables.size(); k++) {
      const TCabTables& t = Tables[k];
      // Each block takes at least its 8 header bytes: damaged counts cannot make more.
      int64_t budget = t.Size / 8 + 1;
      bool fromPrevious = false;
      for (const TCabFileRec& r : t.Records) fromPrevious |= r.Folder() == 0xFFFD || r.Folder() == 0xFFFF;
      fromPrevious = k > 0 && !folders.empty() && !t.Folders.empty() && (continues || fromPrevious);
      for (size_t i = 0; i < t.Folders.size(); i++) {
        if (!(i == 0 && fromPrevious)) folders.push_back({t.Folders[i].Type, {}});
        folderMap[k].push_back(folders.size() - 1);
        std::vector<TBlock>& blocks = folders.back().Blocks;
        int64_t at = t.Folders[i].DataAt;
        for (int b = 0; b < t.Folders[i].Blocks; b++) {
          if (--budget < 0) return false;
          uint8_t h[8];
          if (!ReadFile(int(k), at, h, 8)) return false;
          TBlock block{int(k), at + 8 + t.DataReserve, le::Get16(h + 4), le::Get16(h + 6), le::Get32(h), nullptr};
          at = block.DataAt + block.CbData;
          if (at > t.Size) return false;
          if (!blocks.empty() && blocks.back().CbUncomp == 0) {
            // The rest of a block split over two cabinets: one block of both parts.
            TBlock& first = blocks.back();
            std::vector<uint8_t> data(size_t(first.CbData) + block.CbData);
            if (first.Joined)
              std::memcpy(data.data(), first.Joined->data(), first.CbData);
            else if (!ReadFile(first.File, first.DataAt, data.data(), first.CbData))
              return false;
            if (!ReadFile(block.File, block.DataAt, data.data() + first.CbData, block.CbData)) return false;
            if (data.size() > 0xFFFF) return false;
            first.CbData = uint16_t(data.size());
            first.CbUncomp = block.CbUncomp;
            uint8_t sizes[4];
            le::Put16(sizes, first.CbData);
            le::Put16(sizes + 2, first.CbUncomp);
            first.Csum = CabChecksum(sizes, 4, CabChecksum(data.data(), data.size(), 0));
            FOwned.push_back(std::make_unique<std::vector<uint8_t>>(std::move(data)));
            first.Joined = FOwned.back().get();
          } else {
            blocks.push_back(block);
          }
        }
      }
      continues = false;
      for (const TCabFileRec& r : t.Records) continues |= r.Folder() == 0xFFFE || r.Folder() == 0xFFFF;
      continues |= !folders.empty() && !folders.back().Blocks.empty() && folders.back().Blocks.back().CbUncomp == 0;
    }
    // A block whose rest lies in a cabinet not to be had holds no whole file.
    for (TFolder& f : folders)
      if (!f.Blocks.empty() && f.Blocks.back().CbUncomp == 0) f.Blocks.pop_back();

    // Every file once, from the cabinet where it begins; one that goes on past the last
    // cabinet to be had is left out.
    std::vector<uint8_t> files;
    int fileCount = 0;
    for (size_t k = 0; k < Tables.size(); k++) {
      const TCabTables& t = Tables[k];
      for (const TCabFileRec& r : t.Records) {
        const uint16_t folder = r.Folder();
        if (folder == 0xFFFD || folder == 0xFFFF) continue;
        if (folder == 0xFFFE && k + 1 == Tables.size()) continue;
        const size_t local = folder == 0xFFFE ? t.Folders.size() - 1 : folder;
        if (t.Folders.empty() || local >= t.Folders.size()) return false;
        uint8_t rec[16];
        std::memcpy(rec, r.Fixed, 16);
        le::Put16(rec + 8, uint32_t(folderMap[k][local]));
        files.insert(files.end(), rec, rec + 16);
        files.insert(files.end(), r.Name.begin(), r.Name.end());
        files.push_back(0);
        fileCount++;
      }
    }
    if (folders.size() > 0xFFFF || fileCount > 0xFFFF) return false;

    // The header, the folders and the files, then the blocks in folder order.
    const int64_t foldersAt = 36, filesAt = foldersAt + 8 * int64_t(folders.size());
    int64_t dataAt = filesAt + int64_t(files.size());
    std::vector<uint8_t> head(size_t(filesAt), 0);
    for (size_t i = 0; i < folders.size(); i++) {
      uint8_t* rec = head.data() + foldersAt + 8 * i;
      if (folders[i].Blocks.size() > 0xFFFF) return false;
      le::Put32(rec, uint32_t(dataAt));
      le::Put16(rec + 4, uint32_t(folders[i].Blocks.size()));
      le::Put16(rec + 6, folders[i].Type);
      for (const TBlock& b : folders[i].Blocks) dataAt += 8 + b.CbData;
    }
    if (dataAt > 0x7FFFFFFF) return false;
    std::memcpy(head.data(), "MSCF", 4);
    le::Put32(head.data() + 8, uint32_t(dataAt));
    le::Put32(head.data() + 16, uint32_t(filesAt));
    head[24] = 3;
    head[25] = 1;
    le::Put16(head.data() + 26, uint32_t(folders.size()));
    le::Put16(head.data() + 28, uint32_t(fileCount));
    le::Put16(head.data() + 32, Tables.front().SetID);
    AddMem(Keep(std::move(head)), filesAt);
    const int64_t filesLen = int64_t(files.size());
    AddMem(Keep(std::move(files)), filesLen);
    for (const TFolder& f : folders)
      for (const TBlock& b : f.Blocks) {
        std::vector<uint8_t> h(8);
        le::Put32(h.data(), b.Csum);
        le::Put16(h.data() + 4, b.CbData);
        le::Put16(h.data() + 6, b.CbUncomp);
        AddMem(Keep(std::move(h)), 8);
        if (b.Joined) {
          AddMem(b.Joined->data(), b.CbData);
        } else if (b.CbData > 0) {
          FSegments.push_back({FSize, b.CbData, nullptr, b.File, b.DataAt});
          FSize += b.CbData;
        }
      }
    return FSize == dataAt;
  } catch (const Exception&) {
    return false;
  }
}

int32_t TCabSetView::ReadAt(int64_t Pos, void* Buf, int32_t Count) {
  uint8_t* out = static_cast<uint8_t*>(Buf);
  int32_t done = 0;
  auto seg = std::upper_bound(FSegments.begin(), FSegments.end(), Pos,
                              [](int64_t P, const TSegment& S) { return P < S.At; });
  if (seg == FSegments.begin()) return 0;
  --seg;
  while (done < Count && seg != FSegments.end() && Pos >= seg->At && Pos < seg->At + seg->Len) {
    const int32_t n = int32_t(std::min<int64_t>(Count - done, seg->At + seg->Len - Pos));
    if (seg->Mem)
      std::memcpy(out + done, seg->Mem + (Pos - seg->At), size_t(n));
    else if (!ReadFile(seg->File, seg->FileAt + (Pos - seg->At), out + done, n))
      return done;
    done += n;
    Pos += n;
    ++seg;
  }
  return done;
}

// The library's file access while it reads a set through its merged view: the first
// cabinet's name opens the view, everything else goes to the handler as ever.
class TCabSetFileHandler : public TCabinetFileHandler {
public:
  TCabSetFileHandler(TCabinetFileHandler& AInner, TCabSetView& AView, const std::string& AName)
      : TCabinetFileHandler(nullptr), FInner(AInner), FView(AView), FName(AName) {}
  intptr_t Open(const std::string& Name, int Flags, int Mode) override {
    if (!AnsiSameText(Name, FName)) return FInner.Open(Name, Flags, Mode);
    const intptr_t handle = ViewHandleBase + intptr_t(FPos.size());
    FPos.push_back(0);
    return handle;
  }
  unsigned Read(intptr_t Handle, void* Buffer, unsigned Count) override {
    int64_t* pos = Pos(Handle);
    if (!pos) return FInner.Read(Handle, Buffer, Count);
    const int32_t got = FView.ReadAt(*pos, Buffer, int32_t(std::min<unsigned>(Count, 0x7FFFFFFF)));
    *pos += got;
    return unsigned(got);
  }
  unsigned Write(intptr_t Handle, const void* Buffer, unsigned Count) override {
    return Pos(Handle) ? UINT(-1) : FInner.Write(Handle, Buffer, Count);
  }
  int Close(intptr_t Handle) override { return Pos(Handle) ? 0 : FInner.Close(Handle); }
  long Seek(intptr_t Handle, long Distance, int SeekType) override {
    int64_t* pos = Pos(Handle);
    if (!pos) return FInner.Seek(Handle, Distance, SeekType);
    const int64_t base = SeekType == soFromBeginning ? 0 : SeekType == soFromCurrent ? *pos : FView.Size();
    if (base + Distance < 0) return -1;
    *pos = base + Distance;
    return long(*pos);
  }
  int Delete(const std::string& Name) override { return FInner.Delete(Name); }

private:
  // Far above the handles the system gives out.
  static constexpr intptr_t ViewHandleBase = 0x7E000000;
  int64_t* Pos(intptr_t Handle) {
    const intptr_t i = Handle - ViewHandleBase;
    return i >= 0 && i < intptr_t(FPos.size()) ? &FPos[size_t(i)] : nullptr;
  }
  TCabinetFileHandler& FInner;
  TCabSetView& FView;
  std::string FName;
  std::vector<int64_t> FPos;
};

// The method family of a file's folder (0 stored, 1 MSZIP, 2 Quantum, 3 LZX); a file
// continued from the previous cabinet lies in the first folder, one continued into the
// next in the last.
int FolderFamily(const TCabTables& T, uint16_t Folder) {
  if (T.Folders.empty()) return 0;
  const size_t last = T.Folders.size() - 1;
  const size_t i = Folder <= last ? Folder : Folder == 0xFFFD ? 0 : last;
  return T.Folders[i].Type & 0x000F;
}

// Creates Dir and its missing parents without the system's box for a drive that is not there.
void CreateFolders(const std::string& Dir) {
  const UINT oldMode = SetErrorMode(SEM_FAILCRITICALERRORS);
  ForceDirectories(Dir);
  SetErrorMode(oldMode);
}

}  // namespace

bool LoadCabinetLibrary(const std::string& Name) {
  CabLib.Free();
  HMODULE module = MyLoadLibrary(Name);
  if (module == nullptr) return false;
  CabLib.Module = module;
  if (!Bind(module, CabLib.Create, "FDICreate") || !Bind(module, CabLib.IsCabinet, "FDIIsCabinet") ||
      !Bind(module, CabLib.Copy, "FDICopy") || !Bind(module, CabLib.Destroy, "FDIDestroy")) {
    CabLib.Free();
    return false;
  }
  return true;
}

void FreeCabinetLibrary() { CabLib.Free(); }

bool CabinetLibraryLoaded() { return CabLib.Loaded(); }

// ---- Errors -----------------------------------------------------------------------------

ECabinetError::ECabinetError(int AErrorCode, int AErrorType)
    : Exception(Format("Cabinet error %d (type %d)", {AErrorCode, AErrorType})), ErrorCode(AErrorCode),
      ErrorType(AErrorType) {}

EApiError::EApiError(int AErrorCode)
    : Exception(Format("Error %d: %s", {AErrorCode, SysErrorMessage(AErrorCode)})), ErrorCode(AErrorCode) {}

void CheckApiCall(bool OK) {
  if (!OK) throw EApiError(static_cast<int>(GetLastError()));
}

void RaiseCabinetError(int ErrorCode, int ErrorType) { throw ECabinetError(ErrorCode, ErrorType); }

// ---- File handlers ------------------------------------------------------------------------

const TClassInfo* TCabinetFileHandler::StaticClassInfo() {
  static const TClassInfo Info = TClassBuilder<TCabinetFileHandler, TComponent>("TCabinetFileHandler").Build();
  return &Info;
}

const TClassInfo* TStreamCabinetFileHandler::StaticClassInfo() {
  static const TClassInfo Info =
      TClassBuilder<TStreamCabinetFileHandler, TCabinetFileHandler>("TStreamCabinetFileHandler").Build();
  return &Info;
}

TFileStream* TStreamCabinetFileHandler::Find(intptr_t Handle) const {
  for (const auto& s : FStreams)
    if (s->Handle() == Handle) return s.get();
  return nullptr;
}

intptr_t TStreamCabinetFileHandler::Open(const std::string& Name, int Flags, int) {
  unsigned mode = (Flags & 3) == 2 ? fmOpenReadWrite : (Flags & 3) == 1 ? fmOpenWrite : fmOpenRead;
  if (Flags & 0x100) mode = fmCreate;  // _O_CREAT
  mode |= (Flags & 0x400) ? fmShareExclusive : fmShareDenyNone;  // _O_EXCL
  try {
    auto stream = std::make_unique<TFileStream>(Name, mode);
    const intptr_t handle = stream->Handle();
    FStreams.push_back(std::move(stream));
    return handle;
  } catch (const Exception&) {
    LastError = GetLastOSError();
    return -1;
  }
}

unsigned TStreamCabinetFileHandler::Read(intptr_t Handle, void* Buffer, unsigned Count) {
  TFileStream* s = Find(Handle);
  if (s == nullptr) {
    LastError = -1;
    return 0;
  }
  const int got = s->Read(Buffer, static_cast<int>(Count));
  if (got < 0) {
    LastError = GetLastOSError();
    return UINT(-1);
  }
  if (static_cast<unsigned>(got) != Count) LastError = GetLastOSError();
  return static_cast<unsigned>(got);
}

unsigned TStreamCabinetFileHandler::Write(intptr_t Handle, const void* Buffer, unsigned Count) {
  TFileStream* s = Find(Handle);
  if (s == nullptr) {
    LastError = -1;
    return 0;
  }
  const int done = s->Write(Buffer, static_cast<int>(Count));
  if (done < 0 || static_cast<unsigned>(done) != Count) LastError = GetLastOSError();
  return done < 0 ? UINT(-1) : static_cast<unsigned>(done);
}

int TStreamCabinetFileHandler::Close(intptr_t Handle) {
  for (auto it = FStreams.begin(); it != FStreams.end(); ++it)
    if ((*it)->Handle() == Handle) {
      FStreams.erase(it);
      return 0;
    }
  return 0;  // not one of ours (an output file the reader closes itself)
}

long TStreamCabinetFileHandler::Seek(intptr_t Handle, long Distance, int SeekType) {
  TFileStream* s = Find(Handle);
  if (s == nullptr) {
    LastError = -1;
    return -1;
  }
  const int64_t pos = s->Seek(Distance, SeekType);
  if (SeekType == soFromBeginning && pos != Distance) LastError = GetLastOSError();
  return static_cast<long>(pos);
}

int TStreamCabinetFileHandler::Delete(const std::string& Name) { return DeleteFile(Name) ? 0 : GetLastOSError(); }

// ---- TUnCABInterface ----------------------------------------------------------------------

TUnCABInterface::TUnCABInterface(TComponent* AOwner)
    : TUnBase(AOwner), FHandler(std::make_unique<TStreamCabinetFileHandler>(nullptr)) {}

TUnCABInterface::~TUnCABInterface() {
  // A context of a library since unloaded or replaced died with it.
  if (FContext && CabLib.Module && CabLib.Module == FContextModule) CabLib.Destroy(FContext);
  if (CabReader == this) CabReader = nullptr;
}

const TClassInfo* TUnCABInterface::StaticClassInfo() {
  static const TClassInfo Info = TClassBuilder<TUnCABInterface, TUnBase>("TUnCABInterface").Build();
  return &Info;
}

void* TUnCABInterface::Context() {
  if (FContext && FContextModule == CabLib.Module) return FContext;
  FError = TCabinetErrorRecord();
  // cptAuto asks the library to find the processor type itself (-1).
  FContext = CabLib.Create(CabAlloc, CabFree, CabOpen, CabRead, CabWrite, CabClose, CabSeek,
                           static_cast<int>(FCpuType) - 1, reinterpret_cast<PERF>(&FError));
  FContextModule = CabLib.Module;
  if (FContext == nullptr) RaiseCabinetError(FError.ErrorCode, FError.ErrorType);
  return FContext;
}

bool TUnCABInterface::IsCabinet(const std::string& FileName) {
  void* context = Context();
  const intptr_t handle = FHandler->Open(FileName, 0, 0);
  if (handle == -1) RaiseArchiveError(FileName, "", "0", errOpeningFile);
  FDICABINETINFO info{};
  const bool result = CabLib.IsCabinet(context, handle, &info);
  if (FHandler->Close(handle) != 0) RaiseArchiveError(FileName, "", "0", errClosingFile);
  return result;
}

bool TUnCABInterface::Copy(const std::string& Cabinet) {
  void* context = Context();
  std::string name = ArcExtractFileName(Cabinet), path = ArcExtractFilePath(Cabinet);
  FCallbackError = nullptr;
  FAborted = false;
  FError = TCabinetErrorRecord();
  const bool ok = CabLib.Copy(context, name.data(), path.data(), 0, CabNotify, nullptr, this);
  if (FCallbackError) {
    std::exception_ptr e = FCallbackError;
    FCallbackError = nullptr;
    std::rethrow_exception(e);
  }
  // An abort of our own had its reason reported (or was the user's choice).
  if (!ok && !FAborted) RaiseCabinetError(FError.ErrorCode, FError.ErrorType);
  return !FAborted;
}

unsigned TUnCABInterface::WriteData(const void* Buffer, unsigned Count) {
  try {
    FRemaining -= Count;
    const int percent = CalcProgress(FFileSize - FRemaining, FFileSize);
    if (percent != FLastProgress) {
      FLastProgress = percent;
      ArcReportProgress(static_cast<uint8_t>(percent));
    }
    int32_t count = static_cast<int32_t>(Count);
    ArcWriteOutput(OutFile, Buffer, count);
    return static_cast<unsigned>(count);
  } catch (...) {
    FCallbackError = std::current_exception();
    return UINT(-1);
  }
}

// ---- TUnCAB -------------------------------------------------------------------------------

const TClassInfo* TUnCAB::StaticClassInfo() {
  static const TClassInfo Info = [] {
    TClassBuilder<TUnCAB, TUnBase> B("TUnCAB");
    return PublishReaderProps(B).Prop("OnNextVolume", &TZipCommon::OnNextVolume).Build();
  }();
  return &Info;
}

bool TUnCAB::ProcessFileName(const std::string& StoredName) {
  if (StoredName.empty()) return TUnCABInterface::ProcessFileName(StoredName);
  return ProcessEntryName(CabNameToAnsi(StoredName, FNameIsUtf8 ? 0x80 : 0));
}

void TUnCAB::CabinetInfo(const std::string& NextCabinet, const std::string& NextDisk, const std::string& CabinetPath,
                         int SetID, int CabinetNumber) {
  if (FInfoKept) return;  // later ones are the cabinets a spanning file led to
  FInfoKept = true;
  FNextCabinet = NextCabinet;
  FNextDisk = NextDisk;
  FCabinetPath = CabinetPath;
  FSetID = SetID;
  FCabinetNumber = CabinetNumber;
}

void TUnCAB::CopyFile(const std::string& Name, int32_t Size, intptr_t& Handle, int& Action, uint16_t Date,
                      uint16_t Time, uint16_t Attributes) {
  Action = 1;
  if (FPassFamily >= 0) {
    // A file of another method waits for its own pass; the records come in cabinet order.
    size_t i = FRecordAt;
    while (i < FRecords.size() && FRecords[i].Name != Name) i++;
    if (i < FRecords.size()) {
      FRecordAt = i + 1;
      if (FRecords[i].Family != FPassFamily) return;
    }
  }
  FNameIsUtf8 = Attributes & _A_NAME_IS_UTF;
  FEntryName = CabNameToAnsi(Name, FNameIsUtf8 ? 0x80 : 0);
  const std::string& ansiName = FEntryName;
  if (!MatchFileSpec(ansiName, FFileSpec, false) || Cancel) return;
  FFileSize = Size;
  FRemaining = Size;
  FLastProgress = -1;
  ProgressStep = ProgressStepFor(Size);
  bool extract = ProcessFileName(Name);
  if (extract && Engine.OutputMode == omToFile) {
    CreateFolders(ArcExtractFilePath(FileName));
    if (OnFileExists && FileExists(FileName))
      OnFileExists(this, FileName, DosDateToDateTime((uint32_t(Date) << 16) | Time), extract);
  }
  if (extract && OnBegin) OnBegin(this, Engine.OutputMode == omToFile ? FileName : ansiName, RecNum + 1, extract);
  if (extract) {
    if (OpenOutFile(OutFile, FileName)) {
      Action = 2;
      Handle = Engine.OutputMode == omToFile ? OutFile.Handle() : StreamOutputHandle;
    } else {
      // This file is lost; the next ones are still extracted.
      ReportArchiveError(FileName, FNextCabinet, "0", errOpeningFile);
    }
  }
  FLastAction = Action;
  FContinue = SpecHasWildcards;
}

bool TUnCAB::CloseFileInfo(const std::string&, intptr_t, uint16_t Date, uint16_t Time, uint16_t Attributes) {
  // The library may close a file it could not finish (its next cabinet refused): only a
  // file that got all its bytes is whole.
  const bool whole = FLastAction == 2 && FRemaining == 0 && !Aborted();
  if (whole) ArcReportProgress(100);
  if (OnEnd)
    OnEnd(this, Engine.OutputMode == omToFile ? FileName : FEntryName, whole);
  else if (!whole && !Aborted())
    ReportArchiveError(FileName, "", "0", errReadingFile);
  if (Engine.OutputMode == omToFile && !whole) {
    OutFile.Close();
    DeleteFile(FileName);  // never leave a part that looks whole
  } else if (Engine.OutputMode == omToFile) {
    if (FSetDateTo == sdOrigDate) OutFile.SetDate(static_cast<int32_t>((uint32_t(Date) << 16) | Time));
    OutFile.Close();
    // Only the DOS bits: the UTF-8 and executable flags of the cabinet are no attributes.
    const DWORD attr = Attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                     FILE_ATTRIBUTE_ARCHIVE);
    CheckApiCall(SetFileAttributesW(ToWide(FileName).c_str(), attr ? attr : FILE_ATTRIBUTE_NORMAL));
  }
  RecNum++;
  return !Aborted();
}

void TUnCAB::NextCabinet(std::string& Name, std::string& Disk, std::string& Path, int Error, bool& Abort) {
  std::string fn = AddBackslash(Path) + Name;
  // The library asks again when it refused the cabinet named last time (of another set, out
  // of place in the set, damaged): naming it again would go round for ever.
  if (Error != 0) {
    ReportArchiveError(fn, "", IntToStr(FCabinetNumber + 1), errBrokenVolumeChain);
    Abort = true;
    return;
  }
  if (GetNextVolume(fn, IntToStr(FCabinetNumber + 1))) {
    Name = ArcExtractFileName(fn);
    Path = ArcExtractFilePath(fn);
  } else {
    Abort = true;
  }
}

bool TUnCAB::CopySet(const std::string& Cabinet, bool& Through) {
  std::vector<std::string> cabinets{Cabinet};
  std::vector<TCabTables> tables(1);
  // Only from the first cabinet of a set: a continued folder's beginning is not to be had.
  if (!ReadCabTables(Cabinet, tables[0]) || (tables[0].Flags & 0x0003) != 0x0002) return false;
  std::set<std::string> seen{AnsiUpperCase(ExpandFileName(Cabinet))};
  while ((tables.back().Flags & 0x0002) && !tables.back().Next.empty()) {
    const TCabTables& last = tables.back();
    const std::string id = IntToStr(last.Index + 1);
    std::string next = ArcExtractFilePath(cabinets.back()) + last.Next;
    if (!GetNextVolume(next, id)) break;
    TCabTables t;
    if (!seen.insert(AnsiUpperCase(ExpandFileName(next))).second) {
      ReportArchiveError(next, "", id, errBrokenVolumeChain);
      break;
    }
    if (!ReadCabTables(next, t)) {
      ReportArchiveError(next, "", id, errBadFileHeader);
      break;
    }
    // A cabinet of another set, or out of its place in this one.
    if (t.SetID != tables.front().SetID || t.Index != uint16_t(last.Index + 1)) {
      ReportArchiveError(next, "", id, errBrokenVolumeChain);
      break;
    }
    cabinets.push_back(next);
    tables.push_back(std::move(t));
  }
  TCabSetView view;
  TCabTables merged;
  if (!view.Build(cabinets, tables) ||
      !ReadCabTables([&view](int64_t Pos, void* Buf, int32_t Count) { return view.ReadAt(Pos, Buf, Count); },
                     view.Size(), merged))
    return false;
  for (size_t i = 0; i < cabinets.size(); i++)
    if (tables[i].FileTableMoved) ReportArchiveError(cabinets[i], "", "0", errBadFileHeader);
  TCabSetFileHandler handler(OwnFileHandler(), view, Cabinet);
  FHandlerOverride = &handler;
  try {
    Through = CopyCabinet(Cabinet, &merged);
  } catch (...) {
    FHandlerOverride = nullptr;
    throw;
  }
  FHandlerOverride = nullptr;
  FNextCabinet.clear();  // the view was the whole set, or all of it to be had
  return true;
}

bool TUnCAB::CopyCabinet(const std::string& Cabinet, const TCabTables* Known) {
  FPassFamily = -1;
  FRecords.clear();
  TCabTables read;
  if (!Known && !ReadCabTables(Cabinet, read)) return Copy(Cabinet);
  const TCabTables& tables = Known ? *Known : read;
  // The library reads the file records after the folders all the same.
  if (tables.FileTableMoved) ReportArchiveError(Cabinet, "", "0", errBadFileHeader);
  // The library keeps one decompressor state for a copy, and an MSZIP folder leaves it in
  // a shape that an LZX or Quantum folder after it takes for its own window and frees.
  std::vector<int> families;
  bool switches = false;
  int previous = 0;
  for (const TCabFolderRec& folder : tables.Folders) {
    const int family = folder.Type & 0x000F;
    if (family == 0) continue;
    if ((family == 2 || family == 3) && previous != 0 && previous != family) switches = true;
    if (std::find(families.begin(), families.end(), family) == families.end()) families.push_back(family);
    previous = family;
  }
  if (!switches) return Copy(Cabinet);
  for (const TCabFileRec& r : tables.Records) {
    const int family = FolderFamily(tables, r.Folder());
    FRecords.push_back({r.Name, family ? family : families.front()});  // stored ones go first
  }
  bool through = true;
  for (int family : families) {
    if (!through || !FContinue || Cancel) break;
    FPassFamily = family;
    FRecordAt = 0;
    through = Copy(Cabinet);
  }
  FPassFamily = -1;
  FRecords.clear();
  return through;
}

void TUnCAB::ExtractIt() {
  CabReader = this;
  InstallProgress();
  ProgressStepPercent = 1;
  SetCancel(false);
  if (!CabLib.Loaded()) RaiseArchiveError(FArchiveFile, "", "0", errCabinetNotFound);
  if (FArchiveFile.empty()) RaiseArchiveError(FArchiveFile, "", "0", errInvalidFileName);
  if (FArcType != atCAB) {
    std::string fn = FArchiveFile;
    if (!GetNextVolume(fn, "0")) return;
    FArchiveFile = fn;
    FArcType = atCAB;
    ArcStartOffset = 1;
  }
  FContinue = true;
  SpecHasWildcards = ::HasWildcards(FFileSpec);
  Engine.DateMode = FSetDateTo;
  if (OnActivate) OnActivate(this);
  try {
    std::string cabinet = FArchiveFile;
    if (!FileExists(cabinet) && !GetNextVolume(cabinet, "0")) throw E_RAISE(errFileNotFound);
    if (!IsCabinet(cabinet)) RaiseArchiveError(cabinet, "", "0", errUnsupportedArcType);
    if (OnElapsedTime) Timer.Start();
    FInfoKept = false;
    FNextCabinet.clear();
    std::set<std::string> seen{AnsiUpperCase(ExpandFileName(cabinet))};
    bool through = true;
    if (!CopySet(cabinet, through)) through = CopyCabinet(cabinet);
    while (through && FContinue && !Cancel && !FNextCabinet.empty() &&
           !AnsiSameText(FNextCabinet, ArcExtractFileName(cabinet))) {
      std::string next = ArcExtractFilePath(cabinet) + FNextCabinet;
      if (!GetNextVolume(next, IntToStr(FCabinetNumber + 1))) break;
      // A set whose cabinets name each other would be extracted again and again.
      if (!seen.insert(AnsiUpperCase(ExpandFileName(next))).second) {
        ReportArchiveError(next, "", IntToStr(FCabinetNumber + 1), errBrokenVolumeChain);
        break;
      }
      cabinet = next;
      FInfoKept = false;
      FNextCabinet.clear();
      through = CopyCabinet(cabinet);
    }
  } catch (const E_RAISE&) {
    // Its error event has fired: the run ends.
  } catch (const Exception& e) {
    // The library's failures and the system's have no id of their own.
    ReportArchiveError(FileName.empty() ? FArchiveFile : FileName, e.Message(), "0", 0);
  } catch (...) {
    EndRun();  // a file the library left open is incomplete: EndRun removes it
    CabReader = nullptr;
    throw;
  }
  EndRun();
  CabReader = nullptr;
}
