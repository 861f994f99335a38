// The class library's headers go before <windows.h>, whose macros would hide their names.
#include "archive/un_cab.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
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

// What the reader reads of a cabinet itself before the library sees it.
struct TCabTables {
  std::vector<uint16_t> FolderTypes;
  std::vector<std::pair<std::string, uint16_t>> Files;  // stored name, folder index
  bool FileTableMoved = false;  // its offset lay past the end: read after the folders
};

// False when the file is too short for its header or tables (the library then says why).
bool ReadCabTables(const std::string& Path, TCabTables& T) {
  try {
    TFileStream f(Path, fmOpenRead | fmShareDenyNone);
    const int64_t size = f.Size();
    uint8_t h[36];
    if (f.Read(h, 36) != 36 || std::memcmp(h, "MSCF", 4) != 0) return false;
    const uint16_t flags = le::Get16(h + 30);
    int folderReserve = 0;
    if (flags & 0x0004) {
      uint8_t r[4];
      if (f.Read(r, 4) != 4) return false;
      folderReserve = r[2];
      f.Seek(le::Get16(r), soFromCurrent);
    }
    auto zstring = [&f](std::string& S) {
      S.clear();
      char c;
      for (int i = 0; i < 256; i++) {
        if (f.Read(&c, 1) != 1) return false;
        if (c == 0) return true;
        S += c;
      }
      return false;
    };
    std::string name;
    const int strings = (flags & 0x0001 ? 2 : 0) + (flags & 0x0002 ? 2 : 0);
    for (int i = 0; i < strings; i++)
      if (!zstring(name)) return false;
    for (int i = 0, n = le::Get16(h + 26); i < n; i++) {
      uint8_t rec[8];
      if (f.Read(rec, 8) != 8) return false;
      T.FolderTypes.push_back(le::Get16(rec + 6));
      f.Seek(folderReserve, soFromCurrent);
    }
    const int64_t filesAt = le::Get32(h + 16);
    if (filesAt + 16 > size) {
      T.FileTableMoved = true;  // the library reads the records after the folders
    } else {
      f.Seek(filesAt, soFromBeginning);
    }
    for (int i = 0, n = le::Get16(h + 28); i < n; i++) {
      uint8_t rec[16];
      if (f.Read(rec, 16) != 16 || !zstring(name)) return false;
      T.Files.emplace_back(name, le::Get16(rec + 8));
    }
    return true;
  } catch (const Exception&) {
    return false;
  }
}

// The method family of a file's folder (0 stored, 1 MSZIP, 2 Quantum, 3 LZX); a file
// continued from the previous cabinet lies in the first folder, one continued into the
// next in the last.
int FolderFamily(const TCabTables& T, uint16_t Folder) {
  if (T.FolderTypes.empty()) return 0;
  const size_t last = T.FolderTypes.size() - 1;
  const size_t i = Folder <= last ? Folder : Folder == 0xFFFD ? 0 : last;
  return T.FolderTypes[i] & 0x000F;
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

bool TUnCAB::CopyCabinet(const std::string& Cabinet) {
  FPassFamily = -1;
  FRecords.clear();
  TCabTables tables;
  if (!ReadCabTables(Cabinet, tables)) return Copy(Cabinet);
  // The library reads the file records after the folders all the same.
  if (tables.FileTableMoved) ReportArchiveError(Cabinet, "", "0", errBadFileHeader);
  // The library keeps one decompressor state for a copy, and an MSZIP folder leaves it in
  // a shape that an LZX or Quantum folder after it takes for its own window and frees.
  std::vector<int> families;
  bool switches = false;
  int previous = 0;
  for (uint16_t type : tables.FolderTypes) {
    const int family = type & 0x000F;
    if (family == 0) continue;
    if ((family == 2 || family == 3) && previous != 0 && previous != family) switches = true;
    if (std::find(families.begin(), families.end(), family) == families.end()) families.push_back(family);
    previous = family;
  }
  if (!switches) return Copy(Cabinet);
  for (const auto& f : tables.Files) {
    const int family = FolderFamily(tables, f.second);
    FRecords.push_back({f.first, family ? family : families.front()});  // stored ones go first
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
    SetCurrentDir(ArcExtractFilePath(FArchiveFile));
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
    bool through = CopyCabinet(cabinet);
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
