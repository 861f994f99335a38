// The class library's headers go before <windows.h>, whose macros would hide their names.
#include "archive/un_rar.h"

#include <cstring>
#include <vector>

#include "archive/core/arc_file.h"
#include "classlib/core/sys_utils.h"

#include <windows.h>

#include "archive/load_library.h"
#include "platform/rar/rar_library.h"

namespace {

constexpr int errEofNotFound = 25157;  // "EOF not found", the library's end of the archive

struct TRarLibrary {
  HMODULE Module = nullptr;
  bool Tried = false;
  TRAROpenArchive OpenArchive = nullptr;
  TRARCloseArchive CloseArchive = nullptr;
  TRARReadHeader ReadHeader = nullptr;
  TRARProcessFile ProcessFile = nullptr;
  TRARSetChangeVolProc SetChangeVolProc = nullptr;
  TRARSetProcessDataProc SetProcessDataProc = nullptr;
  TRARSetPassword SetPassword = nullptr;

  ~TRarLibrary() { Free(); }
  void Free() {
    if (Module) FreeLibrary(Module);
    Module = nullptr;
    OpenArchive = nullptr;
    CloseArchive = nullptr;
    ReadHeader = nullptr;
    ProcessFile = nullptr;
    SetChangeVolProc = nullptr;
    SetProcessDataProc = nullptr;
    SetPassword = nullptr;
    Tried = true;
  }
  bool Loaded() {
    if (!Tried) LoadRarLibrary();
    return Module != nullptr;
  }
};
TRarLibrary RarLib;

// State of the callbacks: the reader in use, whether the entry being unpacked reports
// progress, and the last percent reported. The library calls back on the thread that
// called it, so each thread keeps its own and two readers can run at once.
thread_local TUnRAR* RarReader = nullptr;
thread_local bool RarProgressOn = false;
thread_local int RarLastProgress = 255;

int RAR_CALL RarDataCallback(unsigned char* Addr, int Size) { return RarReader ? RarReader->DataProc(Addr, Size) : 0; }
int RAR_CALL RarVolumeCallback(char* ArcName, int Mode) {
  return RarReader ? RarReader->VolumeProc(ArcName, Mode) : 0;
}

// The error id of a result code of the library.
int RarErrorId(int Code) {
  switch (Code) {
    case RarEndArchive: return errEofNotFound;
    case RarNoMemory: return errOutOfMemory;
    case RarBadData: return errBadFileHeader;
    case RarBadArchive:
    case RarUnknownFormat: return errUnsupportedArcType;
    case RarOpenError: return errOpeningFile;
    case RarCreateError:
    case RarWriteError: return errWritingFile;
    case RarCloseError: return errClosingFile;
    case RarReadError: return errReadingFile;
    case RarBrokenChain: return errBrokenVolumeChain;
    case RarBadPassword: return errInvalidPassword;
    default: return 0;
  }
}

// "x.part2.rar": the library names the volumes of the new numbering itself.
bool IsPartVolumeName(const std::string& Name) {
  const std::string name = AnsiLowerCase(ArcExtractFileName(Name));
  if (name.size() < 4 || name.compare(name.size() - 4, 4, ".rar") != 0) return false;
  size_t end = name.size() - 4, digits = end;
  while (digits > 0 && name[digits - 1] >= '0' && name[digits - 1] <= '9') digits--;
  return digits < end && digits >= 5 && name.compare(digits - 5, 5, ".part") == 0;
}

// Copies Name into the library's buffer; False (nothing copied) when it does not fit.
bool CopyVolumeName(char* Buf, const std::string& Name) {
  if (Name.size() >= static_cast<size_t>(RarVolumeNameSize)) return false;
  memcpy(Buf, Name.c_str(), Name.size() + 1);
  return true;
}

}  // namespace

bool LoadRarLibrary(const std::string& Name) {
  RarLib.Free();
  HMODULE module = MyLoadLibrary(Name);
  if (module == nullptr) return false;
  TRarLibrary& L = RarLib;
  L.Module = module;
  if (!Bind(module, L.OpenArchive, "RAROpenArchive") || !Bind(module, L.CloseArchive, "RARCloseArchive") ||
      !Bind(module, L.ReadHeader, "RARReadHeader") || !Bind(module, L.ProcessFile, "RARProcessFile") ||
      !Bind(module, L.SetChangeVolProc, "RARSetChangeVolProc") ||
      !Bind(module, L.SetProcessDataProc, "RARSetProcessDataProc") || !Bind(module, L.SetPassword, "RARSetPassword")) {
    RarLib.Free();
    return false;
  }
  return true;
}

void FreeRarLibrary() { RarLib.Free(); }

bool RarLibraryLoaded() { return RarLib.Loaded(); }

const TClassInfo* TUnRAR::StaticClassInfo() {
  // As every reader, but without SetDateTo: the library dates the files it writes.
  static const TClassInfo Info = TClassBuilder<TUnRAR, TUnBase>("TUnRAR")
                                     .Prop("ArchiveFile", &TZipCommon::ArchiveFile, &TZipCommon::SetArchiveFile)
                                     .Prop("ArcType", &TZipCommon::ArcType, &TZipCommon::SetArcType)
                                     .Prop("FileSpec", &TZipCommon::FileSpec, &TZipCommon::SetFileSpec)
                                     .Prop("ExtractDir", &TZipCommon::ExtractDir, &TZipCommon::SetExtractDir)
                                     .Prop("UseStoredDirs", &TZipCommon::UseStoredDirs, &TZipCommon::SetUseStoredDirs)
                                     .Prop("ProgressNotify", &TZipCommon::ProgressNotify,
                                           &TZipCommon::SetProgressNotify)
                                     .Prop("Password", &TUnRAR::Password, &TUnRAR::SetPassword)
                                     .Prop("OnError", &TZipCommon::OnError)
                                     .Prop("OnActivate", &TZipCommon::OnActivate)
                                     .Prop("OnDeactivate", &TZipCommon::OnDeactivate)
                                     .Prop("OnProgress", &TZipCommon::OnProgress)
                                     .Prop("OnBegin", &TZipCommon::OnBegin)
                                     .Prop("OnEnd", &TZipCommon::OnEnd)
                                     .Prop("OnFileExists", &TZipCommon::OnFileExists)
                                     .Prop("OnGetPassword", &TZipCommon::OnGetPassword)
                                     .Prop("OnNextVolume", &TZipCommon::OnNextVolume)
                                     .Build();
  return &Info;
}

void TUnRAR::RaiseCallbackError() {
  if (!FCallbackError) return;
  std::exception_ptr e = FCallbackError;
  FCallbackError = nullptr;
  std::rethrow_exception(e);
}

int TUnRAR::DataProc(const unsigned char* Addr, int Size) {
  try {
    if (Cancel) return 0;
    FRemaining -= Size;
    if (RarProgressOn) {
      const int percent = CalcProgress(FUnpackedSize - FRemaining, FUnpackedSize);
      if (percent != RarLastProgress) {
        RarLastProgress = percent;
        ArcReportProgress(static_cast<uint8_t>(percent));
      }
    }
    if (Engine.OutputMode == omToStream) {
      int32_t count = Size;
      if (!ArcWriteOutput(OutFile, Addr, count)) {
        FWriteFailed = true;
        return 0;
      }
    }
    return 1;
  } catch (...) {
    FCallbackError = std::current_exception();
    return 0;
  }
}

int TUnRAR::VolumeProc(char* ArcName, int Mode) {
  try {
    std::string name(ArcName, strnlen(ArcName, RarVolumeNameSize));
    if (Mode == RarVolAsk) {
      // The old numbering counts in the extension (x.r00, x.r01...); a name of the new
      // one (x.part2.rar) is right as the library gives it.
      if (!IsPartVolumeName(name)) {
        const size_t dot = name.rfind('.');
        if (dot != std::string::npos && dot + 1 > name.size() - ArcExtractFileName(name).size())
          name = name.substr(0, dot + 1) + VolumeExt();
      }
      if (ArcExtractFilePath(name).empty()) name = AddBackslash(GetCurrentDir()) + name;
      FVolumeName = name;
      if (!GetNextVolume(name, IntToStr(Volume.VolumeNumber))) return 0;
      return CopyVolumeName(ArcName, name) ? 1 : 0;
    }
    std::string dir = ArcExtractFilePath(name), fn = ArcExtractFileName(name);
    bool cancel = false;
    if (OnNextVolume) OnNextVolume(this, dir, fn, IntToStr(Volume.VolumeNumber), true, cancel);
    const std::string previous = dir;
    SplitVolumePath(dir, fn, previous);
    FVolumeName = dir + fn;
    Volume.VolumeNumber++;
    if (cancel) return 0;
    return CopyVolumeName(ArcName, FVolumeName) ? 1 : 0;
  } catch (...) {
    FCallbackError = std::current_exception();
    return 0;
  }
}

void TUnRAR::ExtractIt() {
  InstallProgress();
  if (!RarLib.Loaded()) RaiseArchiveError(FArchiveFile, "", "0", errUnrarNotFound);
  FVolumeName = FArchiveFile;
  ParseVolumeExt(FArchiveFile);
  SpecHasWildcards = ::HasWildcards(FFileSpec);
  if (FArchiveFile.empty()) RaiseArchiveError(FArchiveFile, "", "0", errInvalidFileName);
  while (FArcType != atRAR && FArcType != atRarExe) {
    std::string fn = FArchiveFile;
    if (!GetNextVolume(fn, "0")) return;
    SetArchiveFile(fn);
    if (FArcType != atRAR && FArcType != atRarExe)
      ReportArchiveError(FArchiveFile, "", "0", errUnsupportedArcType);
    else
      ArcStartOffset = 1;
  }
  FVolumeName = FArchiveFile;
  ParseVolumeExt(FArchiveFile);

  RarReader = this;
  FCallbackError = nullptr;
  FWriteFailed = false;
  RecNum = 0;
  if (OnActivate) OnActivate(this);
  void* handle = nullptr;
  auto finish = [&] {
    if (OnElapsedTime) {
      Timer.Stop();
      OnElapsedTime(this, Timer.ElapsedSeconds());
    }
    if (handle) RarLib.CloseArchive(handle);
    handle = nullptr;
    RarProgressOn = false;
    RarReader = nullptr;
    if (OnDeactivate) OnDeactivate(this);
  };
  try {
    std::vector<char> comment(16384);
    TRarOpenRecord open{};
    open.ArcName = FVolumeName.c_str();
    open.OpenMode = RarOmExtract;
    open.CmtBuf = comment.data();
    open.CmtBufSize = static_cast<unsigned>(comment.size());
    handle = RarLib.OpenArchive(&open);
    if (handle == nullptr || open.OpenResult != RarSuccess) {
      handle = nullptr;
      RaiseArchiveError(FArchiveFile, "", "0", RarErrorId(open.OpenResult ? static_cast<int>(open.OpenResult) : RarOpenError));
    }
    RarLib.SetProcessDataProc(handle, RarDataCallback);
    RarLib.SetChangeVolProc(handle, RarVolumeCallback);
    SetCancel(false);
    if (OnElapsedTime) Timer.Start();
    FPassword.clear();
    Run(handle);
  } catch (const E_RAISE&) {
    // Its error event has fired: the run ends.
    finish();
    return;
  } catch (...) {
    finish();
    throw;
  }
  finish();
}

void TUnRAR::Run(void* Handle) {
  TRarHeaderRecord header;
  int headerResult;
  for (;;) {
    headerResult = RarLib.ReadHeader(Handle, &header);
    RaiseCallbackError();
    if (headerResult != RarSuccess || Cancel) break;
    const std::string stored = Trim(std::string(header.FileName, strnlen(header.FileName, sizeof header.FileName)));
    // The library gives names in 866; before RAR 5 one made on Unix keeps its UTF-8 bytes.
    const std::string name = HostNameToAnsi(stored, header.HostOS == 3 && header.UnpVer < 50);
    const bool encrypted = header.Flags & RarFlagEncrypted;
    FRemaining = header.UnpSize;
    ProgressStep = ProgressStepFor(header.UnpSize);
    RarLastProgress = 255;
    RarProgressOn = false;

    // Folders are made (even empty ones), then passed over like entries not asked for; a
    // name of which nothing safe is left is reported (by ProcessEntryName) and passed over too.
    const bool isFolder = header.FileAttr & RarAttrDirectory;
    if (isFolder) MakeStoredFolder(name);
    // An entry without a name cannot be made: told, not passed over in silence.
    if (!isFolder && name.empty()) ReportArchiveError(FArchiveFile, "", "0", errInvalidFileName);
    if (isFolder || !MatchFileSpec(name, FFileSpec, false) || !ProcessEntryName(name) || FileName.empty()) {
      const int r = RarLib.ProcessFile(Handle, RarSkip, nullptr, nullptr);
      RaiseCallbackError();
      if (r == RarOpenError) break;
      continue;
    }

    bool extract = true;
    if (Engine.OutputMode == omToFile && OnFileExists && FileExists(FileName))
      OnFileExists(this, FileName, ConvertDate(header.FileTime), extract);
    const std::string eventName = Engine.OutputMode == omToFile ? FileName : name;
    if (extract) {
      RecNum++;
      if (OnBegin) OnBegin(this, eventName, RecNum, extract);
      if (!extract) RecNum--;
    }
    if (!extract) {
      const int r = RarLib.ProcessFile(Handle, RarSkip, nullptr, nullptr);
      RaiseCallbackError();
      if (r == RarOpenError || !SpecHasWildcards) break;
      continue;
    }
    if (Engine.OutputMode == omToFile) ForceDirectories(ArcExtractFilePath(FileName));

    // Unpack, asking for the password of an encrypted entry up to three times.
    std::string folder = ArcExtractFilePath(FileName), target = FileName;
    const int operation = Engine.OutputMode == omToFile ? RarExtract : RarTest;
    bool pass = false, reported = false, endRun = false;
    int result = RarSuccess;
    for (int attempt = 1;; attempt++) {
      if (encrypted) {
        bool cancelled = false;
        if (FPassword.empty() && OnGetPassword) {
          bool tryAgain = true;
          OnGetPassword(this, FileName, FPassword, tryAgain);
          if (!tryAgain) FPassword.clear();
          cancelled = FPassword.empty();
        }
        if (FPassword.empty()) {
          // No password to try, or the prompt cancelled: said, and the run ends.
          ReportArchiveError(FileName, cancelled ? "cancelled" : "", "0", errPasswordProtected);
          return;
        }
        std::vector<char> password(FPassword.begin(), FPassword.end());
        password.push_back(0);
        RarLib.SetPassword(Handle, password.data());
      }
      FUnpackedSize = header.UnpSize;
      FRemaining = header.UnpSize;
      RarProgressOn = true;
      result = RarLib.ProcessFile(Handle, operation, folder.data(), target.data());
      RarProgressOn = false;
      RaiseCallbackError();
      if (FWriteFailed) {
        ReportArchiveError(FileName, "", "0", errWritingFile);
        reported = endRun = true;
        break;
      }
      if (result == RarSuccess) {
        pass = true;
        break;
      }
      if (result == RarBadData && encrypted) {
        ReportArchiveError(FileName, "", "0", errInvalidPassword);
        FPassword.clear();
        if (attempt < 3) continue;
        break;
      }
      ReportArchiveError(FileName, "", "0", RarErrorId(result));
      reported = true;
      // A file that cannot be created costs only itself.
      endRun = result != RarCreateError;
      break;
    }
    if (OnEnd)
      OnEnd(this, eventName, pass);
    else if (!pass && !reported)
      ReportArchiveError(FileName, "", "0", errCrcCheck);
    if (endRun || result == RarBadData || !SpecHasWildcards || Engine.OutputMode == omToStream) break;
  }
  // A damaged header ends the run with its error (the library's end of the archive, or a
  // refused volume, whose answer was the user's, end it quietly).
  if (headerResult == RarBadData)
    RaiseArchiveError(FileName, "", "0", errBadFileHeader);
  if (headerResult != RarSuccess && headerResult != RarEndArchive && headerResult != RarOpenError &&
      RarErrorId(headerResult) != 0)
    RaiseArchiveError(FileName, "", "0", RarErrorId(headerResult));
}
