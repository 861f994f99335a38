// The archive component tree: TAwkMain > TZipCommon > TUnBase (readers) / TCompBase
// (writers), with the properties, events and per-entry fields they share, the extraction
// driver every reader runs, the stored-entry copy and the multi-volume helpers.
//
// A reader overrides ExtractIt and hands the run to RunExtraction, supplying the format
// through ReadArchiveHeader, ReadEntryHeader (walks the headers) and DecodeEntry (writes
// one entry's data through ArcWriteOutput, updating the engine's CRC).
#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>

#include "archive/core/arc_file.h"
#include "archive/core/arc_globals.h"
#include "archive/core/arc_names.h"
#include "archive/core/arc_type.h"
#include "classlib/core/component.h"
#include "classlib/core/stream.h"
#include "classlib/core/strings.h"
#include "classlib/core/typinfo.h"

enum TProgressNotify : uint8_t { Five, Ten, Fifteen, Twenty, TwentyFive };
enum TCpuType : uint8_t { cptAuto, cpt80286, cpt80386, cpt80486 };
enum TStoredDirNames : uint8_t { sdNone, sdAbsolute, sdAbsoluteNoDrv, sdRelative };
enum TSwitch : uint8_t { swAdd, swMove, swDelete, swRead };
enum TCompressMethod : uint8_t {
  cmStore, cmDeflate, cmFuse, cmFrozen, cmMsZip, cmLzx, cmQuantum, cmUUEncode, cmXXEncode
};
enum TDeflateType : uint8_t { dtDeflateS, dtDeflateF, dtDeflateN, dtDeflateX };
enum TNextVolumeName : uint8_t { nvChangeFilename, nvChangeExt };

template <> const TTypeInfo* TypeInfoOf<TArcType>();
template <> const TTypeInfo* TypeInfoOf<TProgressNotify>();
template <> const TTypeInfo* TypeInfoOf<TSetDate>();
template <> const TTypeInfo* TypeInfoOf<TCpuType>();
template <> const TTypeInfo* TypeInfoOf<TStoredDirNames>();
template <> const TTypeInfo* TypeInfoOf<TSwitch>();
template <> const TTypeInfo* TypeInfoOf<TCompressMethod>();
template <> const TTypeInfo* TypeInfoOf<TDeflateType>();
template <> const TTypeInfo* TypeInfoOf<TNextVolumeName>();

// Events; Sender is always the component.
using TOnError = std::function<void(TObject* Sender, const std::string& FN, const std::string& MsgEx,
                                    const std::string& VolumeID, int ECode)>;
using TOnElapsedTime = std::function<void(TObject* Sender, float ElapsedTime)>;
using TOnProgress = std::function<void(TObject* Sender, const std::string& FN, uint8_t Progress)>;
using TOnBegin = std::function<void(TObject* Sender, const std::string& FN, int RecNum, bool& Extract)>;
using TOnEnd = std::function<void(TObject* Sender, const std::string& FN, bool CRC_PASS)>;
using TOnFileExists = std::function<void(TObject* Sender, const std::string& FN, TDateTime FileDate, bool& Accept)>;
using TOnGetPassword = std::function<void(TObject* Sender, const std::string& FN, std::string& Password, bool& TryAgain)>;
using TOnNextVolume = std::function<void(TObject* Sender, std::string& Dir, std::string& FN,
                                         const std::string& VolumeID, bool FExists, bool& Cancel)>;
using TOnRead = std::function<void(TObject* Sender, int Offset, int Filenum)>;
using TOnReadFile = std::function<void(TObject* Sender, const std::string& Filename)>;
using TOnTotals = std::function<void(TObject* Sender, int NumFiles)>;
using TOnRecurseDir = std::function<void(TObject* Sender, const std::string& Directory)>;
using TOnReplaceFile = std::function<void(TObject* Sender, const std::string& OldFN, const std::string& FN,
                                          TDateTime OldDate, TDateTime NewDate, int OldFileSize, int NewFileSize,
                                          int OldAttr, int NewAttr, bool& Replace)>;
using TOnNonWriteableArchive = std::function<void(TObject* Sender, const std::string& ArchiveFile, bool& WriteToFile)>;

// Message processing after progress reports and SetCancel, so that a cancel button works
// while an archive runs on the user-interface thread. The Windows side installs
// Application.ProcessMessages; unset, nothing happens.
extern std::function<void()> ArcProcessMessages;

// The shell's icon index and type description of a file name (the name need not exist),
// filled in by the Windows side; -1 and empty without it.
extern std::function<int(const std::string& FileName)> ArcShellIconIndex;
extern std::function<std::string(const std::string& FileName)> ArcShellTypeName;

// Start and stop ticks of a run, for OnElapsedTime.
class TtrvTimer {
public:
  void Start();
  void Stop();
  float ElapsedSeconds() const { return (FStopTick - FStartTick) / 1000.0f; }
  uint64_t StartTick() const { return FStartTick; }
  uint64_t StopTick() const { return FStopTick; }

private:
  uint64_t FStartTick = 0, FStopTick = 0;
};

// The attributes of files a writer may take, with the file-attribute mask kept in step.
class TtrvFileAttr : public TPersistent {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  void Assign(const TPersistent* Source) override;

  bool ftArchive() const { return FArchive; }
  bool ftHidden() const { return FHidden; }
  bool ftReadOnly() const { return FReadOnly; }
  bool ftSysFile() const { return FSysFile; }
  bool ftVolumeID() const { return FVolumeID; }
  bool ftDirectory() const { return FDirectory; }
  void SetftArchive(bool Value) { SetFlag(FArchive, Value, faArchive); }
  void SetftHidden(bool Value) { SetFlag(FHidden, Value, faHidden); }
  void SetftReadOnly(bool Value) { SetFlag(FReadOnly, Value, faReadOnly); }
  void SetftSysFile(bool Value) { SetFlag(FSysFile, Value, faSysFile); }
  void SetftVolumeID(bool Value) { SetFlag(FVolumeID, Value, faVolumeID); }
  void SetftDirectory(bool Value) { FDirectory = Value; }
  int Attr() const { return FAttr; }

private:
  void SetFlag(bool& Flag, bool Value, int Bit) {
    Flag = Value;
    FAttr = Value ? (FAttr | Bit) : (FAttr & ~Bit);
  }
  bool FArchive = true, FHidden = false, FReadOnly = true, FSysFile = false, FVolumeID = false;
  bool FDirectory = false;  // published default True, but a new object starts without it
  int FAttr = faArchive | faReadOnly;
};

class TAwkMain : public TComponent {
public:
  explicit TAwkMain(TComponent* AOwner);
  ~TAwkMain() override;
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }

  // Sets Cancel and lets pending messages run (a cancel button may be pressed meanwhile).
  void SetCancel(bool Value);

  bool Cancel = false;  // stops every copy and decode loop at its next block
  TtrvTimer Timer;
  TArcEngineState Engine;  // this component's running state
};

class TZipCommon : public TAwkMain {
public:
  explicit TZipCommon(TComponent* AOwner);
  ~TZipCommon() override;
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  void Loaded() override;

  // ---- Properties (published by the classes that use them).
  const std::string& ArchiveFile() const { return FArchiveFile; }
  // Recognises the file (ArcType); an empty name makes the component idle.
  virtual void SetArchiveFile(const std::string& Value);
  TArcType ArcType() const { return FArcType; }
  // The value given is ignored: the file is recognised again.
  virtual void SetArcType(TArcType Value);
  const std::string& FileSpec() const { return FFileSpec; }
  void SetFileSpec(const std::string& Value);
  const std::string& ExtractDir() const { return FExtractDir; }
  // Empty: the folder of ArchiveFile.
  void SetExtractDir(const std::string& Value);
  bool UseStoredDirs() const { return FUseStoredDirs; }
  void SetUseStoredDirs(bool Value) { FUseStoredDirs = Value; }
  TProgressNotify ProgressNotify() const { return FProgressNotify; }
  void SetProgressNotify(TProgressNotify Value) { FProgressNotify = Value; }
  int32_t ZipCmntBufSize() const { return FZipCmntBufSize; }
  void SetZipCmntBufSize(int32_t Value);  // 2000..32767
  TStringList* Passwords() const { return FPasswords.get(); }
  void SetPasswords(TStringList* Value);
  TtrvFileAttr* FileAttribute() const { return FFileAttribute.get(); }
  void SetFileAttribute(TtrvFileAttr* Value);
  TStoredDirNames StoredDirNames() const { return FStoredDirNames; }
  void SetStoredDirNames(TStoredDirNames Value) { FStoredDirNames = Value; }

  TOnError OnError;
  TOnElapsedTime OnElapsedTime;
  TNotifyEvent OnActivate, OnDeactivate;
  TOnProgress OnProgress;
  TOnBegin OnBegin;
  TOnEnd OnEnd;
  TOnFileExists OnFileExists;
  TOnGetPassword OnGetPassword;
  TOnNextVolume OnNextVolume;
  TOnRead OnRead;

  // ---- The current entry and archive (filled by the readers and the lister).
  std::string FileName;  // readers: the output path; the lister: the entry name
  int64_t PackedSize = 0, UnpackedSize = 0;
  uint8_t Ratio = 0;
  uint32_t CRC = 0;
  bool Encrypted = false;
  std::string CompressMethodName;
  uint16_t CompressMethodID = 0;
  TDateTime Date = 0;
  uint16_t Version = 0, VersionNeeded = 0;
  uint16_t InternalAttr = 0;
  uint32_t ExternalAttr = 0;
  int64_t TotalPackedSize = 0, TotalUnpackedSize = 0;
  int RecNum = 0;
  int64_t ArcFileSize = 0;
  int32_t ArcDate = 0;
  int64_t ArcStartOffset = 1;  // 1-based: the archive's first byte is at ArcStartOffset - 1
  int64_t ProgressStep = 0;  // output bytes between two progress reports

  // ---- The run's files and state, for the readers.
  TArcFile ArcFile;             // the archive
  TArcFile OutFile;             // the current output file
  int64_t HeaderPos = 1;        // the current header's position (1-based), reset with ArchiveFile
  int ProgressStepPercent = 10;  // 5, 10, 15, 20 or 25 (ProgressNotify)
  bool SpecHasWildcards = true;  // FileSpec holds '*' or '?' (noted at the start of a run)
  TVolumeState Volume;           // the current volume of a multi-volume archive

  // ---- Operations.
  // Builds FileName, the output path of a stored name: code page and separators as read
  // from archives, then inside ExtractDir whatever the name holds (see SafeExtractPath).
  // False, with error 25243 reported, for a name of which nothing safe is left; the
  // entry is then to be skipped. An empty name gives an empty FileName and True.
  virtual bool ProcessFileName(const std::string& StoredName);
  // The same for a name already in 1251 (a format that stores its names otherwise).
  bool ProcessEntryName(const std::string& AnsiName);
  // True when Path, an output path of file output, is the archive being read (its first
  // or its current volume): such an entry is refused like an unsafe name.
  bool IsArchiveItself(const std::string& Path);
  // An entry's stored date: DOS date-time here; Unix time for gzip and tar.
  virtual TDateTime ConvertDate(uint32_t Value);
  // Recognises ArchiveFile: ArcType, ArcStartOffset, ArcFileSize, ArcDate, SfxStartOffset.
  void GetArcType();
  // The progress callback of a run: OnProgress, then messages.
  void ReportProgress(uint8_t Percent);
  static uint8_t CalcRatio(int64_t Packed, int64_t Unpacked);
  // Bytes between two progress reports over Size bytes: ProgressStepPercent of them, the
  // whole when that is 0, and never 0 (an empty entry).
  int64_t ProgressStepFor(int64_t Size) const;
  static bool HasWildcards(const std::string& S) { return ::HasWildcards(S); }
  int EntryIconIndex() const;
  void ShellTypeName(const std::string& FileName, std::string& TypeName) const;

  // OnError, then the exception (E_RAISE, or the class given) with the error's text.
  template <class TExc = E_RAISE>
  [[noreturn]] void RaiseArchiveError(const std::string& FN, const std::string& MsgEx, const std::string& VolumeID,
                                      int ECode) {
    if (OnError) OnError(this, FN, MsgEx, VolumeID, ECode);
    if constexpr (std::is_same_v<TExc, E_RAISE>) {
      E_RAISE E(ECode);
      E.Reported = true;
      throw E;
    } else
      throw TExc(ArcErrorText(ECode));
  }
  // OnError with the name part of FN, unless the active component was cancelled; never raises.
  void ReportArchiveError(const std::string& FN, const std::string& MsgEx, const std::string& VolumeID, int ECode);

  // Volumes (ARJ, RAR, UU and the lister).
  void ParseVolumeExt(const std::string& Name);
  std::string VolumeExt() const { return ::VolumeExt(Volume); }
  std::string MakeNextVolumeName(const std::string& Name) { return ::MakeNextVolumeName(Volume, Name); }
  // Dir and FN after the user named a volume. The process's current folder is left alone:
  // it belongs to the panels, and every caller goes on with Dir + FN.
  void SplitVolumePath(std::string& Dir, std::string& FN, const std::string& DefDir);
  // Asks OnNextVolume for the volume FN until it exists (True, FN the whole path) or the
  // user cancels (False).
  bool GetNextVolume(std::string& FN, const std::string& VolumeID);

protected:
  // The start of a run: RecNum 0, the progress callback bound to this component, the
  // step percent from ProgressNotify.
  void InstallProgress();
  void UnbindEngine();

  std::string FArchiveFile;
  TArcType FArcType = atNA;
  std::string FFileSpec = "*.*";
  std::string FExtractDir;
  bool FUseStoredDirs = true;
  TProgressNotify FProgressNotify = Ten;
  int32_t FZipCmntBufSize = 0;
  std::unique_ptr<TStringList> FPasswords;
  std::unique_ptr<TtrvFileAttr> FFileAttribute;
  TStoredDirNames FStoredDirNames = sdRelative;
};

// Publishes the properties and events every reader shares; a reader that lacks one of
// them (TUUDecode, TUnRAR) lists its own instead.
template <class C, class B>
TClassBuilder<C, B>& PublishReaderProperties(TClassBuilder<C, B>& Builder) {
  return Builder.Prop("ArcType", &TZipCommon::ArcType, &TZipCommon::SetArcType)
      .Prop("FileSpec", &TZipCommon::FileSpec, &TZipCommon::SetFileSpec)
      .Prop("ExtractDir", &TZipCommon::ExtractDir, &TZipCommon::SetExtractDir)
      .Prop("UseStoredDirs", &TZipCommon::UseStoredDirs, &TZipCommon::SetUseStoredDirs)
      .Prop("SetDateTo", &C::SetDateTo, &C::SetSetDateTo)
      .Prop("ProgressNotify", &TZipCommon::ProgressNotify, &TZipCommon::SetProgressNotify)
      .Prop("OnActivate", &TZipCommon::OnActivate)
      .Prop("OnDeactivate", &TZipCommon::OnDeactivate)
      .Prop("OnProgress", &TZipCommon::OnProgress)
      .Prop("OnBegin", &TZipCommon::OnBegin)
      .Prop("OnEnd", &TZipCommon::OnEnd)
      .Prop("OnFileExists", &TZipCommon::OnFileExists);
}

// What a reader's header walk hands the extraction driver for one entry.
enum TEntryKind : uint8_t {
  ekFile,    // data to extract
  ekFolder,  // a stored folder: made under ExtractDir (empty ones too)
  ekOther    // links, devices, volume labels: nothing is made
};

struct TArcEntry {
  std::string Name;          // in 1251 by the format's own name rule, any separators
  TEntryKind Kind = ekFile;
  bool MatchNamesOnly = false;  // FileSpec is matched against the name part alone
  int64_t PackedSize = 0;    // bytes of data in the archive
  int64_t UnpackedSize = 0;
  uint32_t StoredCrc = 0;    // compared with the engine's CRC after decoding
  int CrcKind = 32;          // 16, 32, or 0: no CRC kept, Pass tells the check
  bool Pass = true;          // with CrcKind 0: the decoder's own check
  TDateTime Date = 0;
  bool KeepsOwnDate = false;  // the format stores no date: the file keeps its own
  uint32_t Attr = 0;         // file attributes given to the output file; 0 leaves them
  int64_t DataPos = 0;       // where the data begin in ArcFile
  // An entry the reader cannot extract (an unknown method, encryption): this error, with
  // RefusedText, is told for it and nothing is made under its name; the run goes on.
  int Refused = 0;
  std::string RefusedText;
  // A damaged header (esDamaged, esBroken): the error told, named by Name when known.
  int Error = 0;
  std::string ErrorText;
};

// What ReadEntryHeader found.
enum TEntryStep : uint8_t {
  esEntry,    // an entry
  esDamaged,  // a damaged header: told, and the walk goes on with the next one
  esBroken,   // a damaged header after which nothing can be trusted: told, and the run ends
  esEnd       // no more entries
};

class TUnBase : public TZipCommon {
public:
  explicit TUnBase(TComponent* AOwner);
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  void Loaded() override;

  TSetDate SetDateTo() const { return FSetDateTo; }
  void SetSetDateTo(TSetDate Value);
  TCpuType CpuType() const { return FCpuType; }
  void SetCpuType(TCpuType Value) { FCpuType = Value; }

  // Extracts the entries that match FileSpec to files. Every error reaches OnError and
  // ends the run or the entry; none leaves here as an exception.
  void Extract();
  // Extracts the first entry matching FileName into Stream, left at position 0; errors
  // as Extract.
  void ExtractToStream(const std::string& FileName, TStream* Stream);

  // The write callback of every decoder: to F (file output) or to the engine's stream.
  bool WriteOutput(TArcFile& F, const void* Buf, int32_t& Count);
  // Copies a stored entry of Size bytes from F to the output in blocks, updating the
  // CRC-16 or CRC-32 (CrcKind 16 or 32; others: none) and reporting progress.
  void UnStore(TArcFile& F, int64_t Size, const std::string& Name, int CrcKind);

protected:
  // The reader's whole run; empty here.
  virtual void ExtractIt() {}

  // ExtractIt with the one error contract of every reader: whatever it raises was, or
  // now is, told through OnError; the archive is closed and a half-written output removed.
  void RunGuarded();

  // ---- The extraction driver: the one loop of every reader.
  // The run over the entries ReadEntryHeader gives, for a reader serving the kinds Served.
  // Per entry: folders made, names kept inside ExtractDir, FileSpec, OnFileExists,
  // OnBegin, the output opened, DecodeEntry, date and attributes, the check and OnEnd.
  // An entry that fails is told through OnError and leaves no part of its file; the run
  // goes on with the next one. Errors of the archive itself reach OnError and end the run.
  void RunExtraction(std::initializer_list<TArcType> Served);
  // The archive's own header (a directory, a main header), read after OnActivate: ArcFile
  // is open. A fault raises (RaiseArchiveError) and ends the run.
  virtual void ReadArchiveHeader() {}
  // The next entry's header; the file stands anywhere afterwards.
  virtual TEntryStep ReadEntryHeader(TArcEntry& Entry) { return esEnd; }
  // Called after OnBegin, before the output is made: False leaves the entry out (told
  // already, OnEnd gets False); StopRun then ends the run after it.
  virtual bool PrepareEntry(TArcEntry& Entry, bool& StopRun) { return true; }
  // Writes the entry's data (ArcFile stands at DataPos) through ArcWriteOutput, keeping
  // the engine's CRC of its kind; the driver has opened the output and preset the CRC.
  // False, or a raised error, when the data could not be decoded whole; what is told
  // through OnError is then the reader's to tell (RaiseArchiveError tells it).
  virtual bool DecodeEntry(TArcEntry& Entry);

  // ---- Its steps.
  // Checks the archive name and kind, opens ArcFile, OnActivate, clears Cancel, notes the
  // wildcards of FileSpec, starts the timer, reads the archive header.
  void BeginRun(std::initializer_list<TArcType> Served);
  // One entry of the run; False ends the run.
  bool ExtractEntry(TArcEntry& Entry);
  // OnElapsedTime, the archive closed, OnDeactivate; also after an error.
  void EndRun();
  // Creates the folder entry AnsiName (1251, any separators) under ExtractDir, so that
  // the folders an archive holds exist after extraction even when empty: only for file
  // output with stored folders, a FileSpec with wildcards that the folder matches.
  void MakeStoredFolder(const std::string& AnsiName);

  TSetDate FSetDateTo = sdOrigDate;
  TCpuType FCpuType = cptAuto;
};

// An entry of a ZIP archive being rebuilt by the writer: the old archive's entries and
// the files added in this run, kept as objects of name-keyed string lists.
class TCompObject : public TObject {
public:
  uint32_t DosDate = 0;  // modification time
  int64_t CompressedSize = 0, UncompressedSize = 0;
  uint32_t ExternalAttr = 0;
  uint16_t Method = 0, CommentLength = 0, ExtraLength = 0;
  int64_t LocalHeaderOffset = 0;
  int64_t CentralPos = 0;  // of the entry's central header in the old archive
  // Files added in this run.
  int Attr = 0;
  int32_t FileDate = 0;
  int64_t FileSize = 0;
};

class TCompBase : public TZipCommon {
public:
  explicit TCompBase(TComponent* AOwner);
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  void Loaded() override;

  TCompressMethod CompressMethod() const { return FCompressMethod; }
  // Only a method of AllowedMethods is taken.
  void SetCompressMethod(TCompressMethod Value);
  // Base folder for file masks without one; a blank value reads as the current folder.
  std::string DefaultDir();
  void SetDefaultDir(const std::string& Value);
  TSwitch Switch() const { return FSwitch; }
  void SetSwitch(TSwitch Value) { FSwitch = Value; }
  // The writer's file masks (TZip publishes them as FileSpec): each line made
  // a name part with '\' separators, empty lines dropped.
  TStringList* FileSpecList() const { return FFileSpecList.get(); }
  void SetFileSpecList(TStrings* Value);

  TOnReplaceFile OnReplaceFile;

  // The archive name of a source file by StoredDirNames (BaseDir for sdRelative): always
  // relative, without a drive, a server or "." and ".." parts.
  bool ProcessFileName(const std::string& SourceName) override;

  // Header walk of the archive for OnRead (Switch swRead).
  virtual void FillEntryInfo() {}
  virtual bool ReadFirstHeader(std::string& FN, TStream* Stream, bool Central);
  virtual bool ReadHeader(std::string& FN, TStream* Stream, bool Central) { return false; }
  bool ReadNextHeader(std::string& FN, TStream* Stream, bool Central);
  void ReadEntries();
  virtual bool Execute() { return false; }

  // Whether a file is to be added: always with SkipCheck, an empty list or a new name;
  // not when the entry in the list has the same date, size and attributes; otherwise only
  // when Ask is set and OnReplaceFile agrees.
  bool CheckReplace(bool SkipCheck, TStringList* EntryList, const std::string& FileName, int64_t Size,
                    int32_t Date, int Attr, bool Ask);
  // True when Name exists and is neither read-only, hidden, system, a volume nor a folder.
  static bool IsWriteableFile(const std::string& Name);

  TSet<TCompressMethod> AllowedMethods{cmStore};  // set by each writer
  std::string BaseDir;     // the folder stored names are relative to (sdRelative)
  int EntryCount = 0;      // entries of the archive read (set before ReadFirstHeader)
  int RemainingEntries = 0;

protected:
  TCompressMethod FCompressMethod = cmStore;
  std::string FDefaultDir;
  TSwitch FSwitch = swAdd;
  std::unique_ptr<TStringList> FFileSpecList;
};
