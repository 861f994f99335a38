#include "archive/core/arc_base.h"

#include <algorithm>
#include <chrono>
#include <vector>

std::function<void()> ArcProcessMessages;
std::function<int(const std::string& FileName)> ArcShellIconIndex;
std::function<std::string(const std::string& FileName)> ArcShellTypeName;

namespace {
void ProcessMessages() {
  if (ArcProcessMessages) ArcProcessMessages();
}

// The write callback of every reader: it depends only on the engine's output mode and
// stream, so one installation serves all and never dangles.
bool EngineWriteOutput(TArcFile& F, const void* Buf, int32_t& Count) {
  if (Count <= 0) {
    Count = 0;
    return true;
  }
  const int32_t want = Count;
  if (ArcEngineNow().OutputMode == omToStream) {
    if (ArcEngineNow().OutStream == nullptr) {
      Count = 0;
      return false;
    }
    Count = ArcEngineNow().OutStream->Write(Buf, want);
  } else {
    Count = F.Write(Buf, want);
  }
  return Count == want;
}
}  // namespace

// ---- Type information ---------------------------------------------------------------------

template <> const TTypeInfo* TypeInfoOf<TArcType>() {
  static const TTypeInfo Info = EnumTypeInfo(
      "TArcType", {"atNA",     "atUnsupported", "atFileOpenErr", "atUnknown", "atARC",    "atArcExe",
                   "atARJ",    "atArjExe",      "atBH",          "atBHExe",   "atCAB",    "atGZip",
                   "atHA",     "atLHA",         "atLhaExe",      "atLZH",     "atLzhExe", "atPAK",
                   "atPakExe", "atRAR",         "atRarExe",      "atTAR",     "atUUE",    "atZIP",
                   "atZipExe", "atZip250",      "atZip250Exe",   "atZOO"});
  return &Info;
}
template <> const TTypeInfo* TypeInfoOf<TProgressNotify>() {
  static const TTypeInfo Info = EnumTypeInfo("TProgressNotify", {"Five", "Ten", "Fifteen", "Twenty", "TwentyFive"});
  return &Info;
}
template <> const TTypeInfo* TypeInfoOf<TSetDate>() {
  static const TTypeInfo Info = EnumTypeInfo("TSetDate", {"sdOrigDate", "sdSysDate"});
  return &Info;
}
template <> const TTypeInfo* TypeInfoOf<TCpuType>() {
  static const TTypeInfo Info = EnumTypeInfo("TCpuType", {"cptAuto", "cpt80286", "cpt80386", "cpt80486"});
  return &Info;
}
template <> const TTypeInfo* TypeInfoOf<TStoredDirNames>() {
  static const TTypeInfo Info =
      EnumTypeInfo("TStoredDirNames", {"sdNone", "sdAbsolute", "sdAbsoluteNoDrv", "sdRelative"});
  return &Info;
}
template <> const TTypeInfo* TypeInfoOf<TSwitch>() {
  static const TTypeInfo Info = EnumTypeInfo("TSwitch", {"swAdd", "swMove", "swDelete", "swRead"});
  return &Info;
}
template <> const TTypeInfo* TypeInfoOf<TCompressMethod>() {
  static const TTypeInfo Info = EnumTypeInfo("TCompressMethod", {"cmStore", "cmDeflate", "cmFuse", "cmFrozen", "cmMsZip",
                                                                 "cmLzx", "cmQuantum", "cmUUEncode", "cmXXEncode"});
  return &Info;
}
template <> const TTypeInfo* TypeInfoOf<TDeflateType>() {
  static const TTypeInfo Info = EnumTypeInfo("TDeflateType", {"dtDeflateS", "dtDeflateF", "dtDeflateN", "dtDeflateX"});
  return &Info;
}
template <> const TTypeInfo* TypeInfoOf<TNextVolumeName>() {
  static const TTypeInfo Info = EnumTypeInfo("TNextVolumeName", {"nvChangeFilename", "nvChangeExt"});
  return &Info;
}

// ---- Companions -----------------------------------------------------------------------------

void TtrvTimer::Start() {
  FStartTick = static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                         std::chrono::steady_clock::now().time_since_epoch())
                                         .count());
  FStopTick = FStartTick;
}

void TtrvTimer::Stop() {
  FStopTick = static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                        std::chrono::steady_clock::now().time_since_epoch())
                                        .count());
}

const TClassInfo* TtrvFileAttr::StaticClassInfo() {
  static const TClassInfo Info = TClassBuilder<TtrvFileAttr, TPersistent>("TtrvFileAttr")
                                     .Prop("ftArchive", &TtrvFileAttr::ftArchive, &TtrvFileAttr::SetftArchive)
                                     .Prop("ftHidden", &TtrvFileAttr::ftHidden, &TtrvFileAttr::SetftHidden)
                                     .Prop("ftReadOnly", &TtrvFileAttr::ftReadOnly, &TtrvFileAttr::SetftReadOnly)
                                     .Prop("ftSysFile", &TtrvFileAttr::ftSysFile, &TtrvFileAttr::SetftSysFile)
                                     .Prop("ftVolumeID", &TtrvFileAttr::ftVolumeID, &TtrvFileAttr::SetftVolumeID)
                                     .Prop("ftDirectory", &TtrvFileAttr::ftDirectory, &TtrvFileAttr::SetftDirectory)
                                     .Build();
  return &Info;
}

void TtrvFileAttr::Assign(const TPersistent* Source) {
  if (auto* src = dynamic_cast<const TtrvFileAttr*>(Source)) {
    FArchive = src->FArchive, FHidden = src->FHidden, FReadOnly = src->FReadOnly;
    FSysFile = src->FSysFile, FVolumeID = src->FVolumeID, FDirectory = src->FDirectory;
    FAttr = src->FAttr;
    return;
  }
  TPersistent::Assign(Source);
}

// ---- TAwkMain -------------------------------------------------------------------------------

TAwkMain::TAwkMain(TComponent* AOwner) : TComponent(AOwner) {}

TAwkMain::~TAwkMain() {
  if (Engine.ActiveComponent == this) Engine.ActiveComponent = nullptr;
}

const TClassInfo* TAwkMain::StaticClassInfo() {
  static const TClassInfo Info = TClassBuilder<TAwkMain, TComponent>("TAwkMain").Build();
  return &Info;
}

void TAwkMain::SetCancel(bool Value) {
  Cancel = Value;
  ProcessMessages();
}

// ---- TZipCommon -----------------------------------------------------------------------------

TZipCommon::TZipCommon(TComponent* AOwner)
    : TAwkMain(AOwner), FPasswords(std::make_unique<TStringList>()), FFileAttribute(std::make_unique<TtrvFileAttr>()) {}

TZipCommon::~TZipCommon() { UnbindEngine(); }

const TClassInfo* TZipCommon::StaticClassInfo() {
  // Published by every component; the rest is published by the classes that use it.
  static const TClassInfo Info = TClassBuilder<TZipCommon, TAwkMain>("TZipCommon")
                                     .Prop("ArchiveFile", &TZipCommon::ArchiveFile, &TZipCommon::SetArchiveFile)
                                     .Prop("OnError", &TZipCommon::OnError)
                                     .Prop("OnElapsedTime", &TZipCommon::OnElapsedTime)
                                     .Build();
  return &Info;
}

void TZipCommon::UnbindEngine() {
  if (Engine.ReportProgressOwner == this) {
    Engine.ReportProgress = nullptr;
    Engine.ReportProgressOwner = nullptr;
  }
  if (Engine.ActiveComponent == this) Engine.ActiveComponent = nullptr;
}

void TZipCommon::Loaded() { TAwkMain::Loaded(); }

void TZipCommon::SetArchiveFile(const std::string& Value) {
  TotalPackedSize = 0;
  TotalUnpackedSize = 0;
  if (!Value.empty()) {
    HeaderPos = 1;
    RecNum = 0;
    FArchiveFile = SlashToBackslash(Value);
    SetArcType(atNA);
  } else {
    FArchiveFile.clear();
    Engine.ActiveComponent = nullptr;
    FArcType = atNA;
  }
}

void TZipCommon::SetArcType(TArcType) { GetArcType(); }

void TZipCommon::GetArcType() {
  FArcType = atFileOpenErr;
  if (FArchiveFile.empty()) return;
  TArcFile f;
  if (!OpenInFile(f, FArchiveFile)) return;
  TArcFileInput input(f);
  TArcRecognizer r(input);
  r.Run(FArchiveFile, FZipCmntBufSize);
  FArcType = r.ArcType;
  ArcStartOffset = r.ArcStartOffset;
  ArcFileSize = std::max<int64_t>(r.ArcFileSize, 0);
  Engine.SfxStartOffset = r.SfxStartOffset;
  ArcDate = 29221;
  if (IsArcTypeValid(FArcType)) {
    const int age = FileAge(FArchiveFile);
    if (age != -1) ArcDate = age;
  }
  if (!CloseFileChecked(f)) RaiseArchiveError(FArchiveFile, "", "0", errClosingFile);
}

void TZipCommon::SetFileSpec(const std::string& Value) {
  FFileSpec = Value.empty() ? std::string("*.*") : SlashToBackslash(Value);
}

void TZipCommon::SetExtractDir(const std::string& Value) {
  if (!Value.empty())
    FExtractDir = AddBackslash(SlashToBackslash(Value));
  else
    FExtractDir = ArcExtractFilePath(FArchiveFile);
}

void TZipCommon::SetZipCmntBufSize(int32_t Value) { FZipCmntBufSize = std::clamp<int32_t>(Value, 2000, 32767); }

void TZipCommon::SetPasswords(TStringList* Value) { FPasswords->Assign(Value); }

void TZipCommon::SetFileAttribute(TtrvFileAttr* Value) {
  if (Value) FFileAttribute->Assign(Value);
}

bool TZipCommon::ProcessFileName(const std::string& StoredName) {
  return ProcessEntryName(StoredName.empty() ? std::string() : OemToAnsiName(StoredName));
}

bool TZipCommon::ProcessEntryName(const std::string& name) {
  if (name.empty()) {
    FileName.clear();
    return true;
  }
  if (FExtractDir.empty()) {
    SetExtractDir("");
    if (FExtractDir.empty()) SetExtractDir(GetCurrentDir());
  }
  FileName = SafeExtractPath(FExtractDir, name, FUseStoredDirs);
  if (FileName.empty() || IsArchiveItself(FileName)) {
    ReportArchiveError(name, "", "0", errInvalidFileName);
    return false;
  }
  return true;
}

bool TZipCommon::IsArchiveItself(const std::string& Path) {
  if (Engine.OutputMode != omToFile) return false;
  const std::string out = ExpandFileName(SlashToBackslash(Path));
  const std::string* archives[] = {&FArchiveFile, &ArcFile.FileName()};
  for (const std::string* archive : archives) {
    if (archive->empty()) continue;
    const std::string in = ExpandFileName(SlashToBackslash(*archive));
#ifdef _WIN32
    if (AnsiSameText(out, in)) return true;
#else
    if (out == in) return true;
#endif
  }
  return false;
}

TDateTime TZipCommon::ConvertDate(uint32_t Value) { return DosDateToDateTime(Value); }

void TZipCommon::ReportProgress(uint8_t Percent) {
  if (OnProgress) OnProgress(this, FileName, Percent);
  ProcessMessages();
}

uint8_t TZipCommon::CalcRatio(int64_t Packed, int64_t Unpacked) {
  if (Packed <= 0 || Unpacked <= 0 || Unpacked <= Packed) return 0;
  if (Unpacked - Packed > 100000) {
    Packed /= 100;
    Unpacked /= 100;
  }
  const int64_t ratio = (Unpacked - Packed) * 100 / Unpacked;
  return static_cast<uint8_t>(std::clamp<int64_t>(ratio, 1, 100));
}

int64_t TZipCommon::ProgressStepFor(int64_t Size) const {
  const int64_t step = ProgressStepPercent * Size / 100;
  if (step > 0) return step;
  return Size > 0 ? Size : 1;
}

int TZipCommon::EntryIconIndex() const {
  return ArcShellIconIndex ? ArcShellIconIndex(ArcExtractFileName(FileName)) : -1;
}

void TZipCommon::ShellTypeName(const std::string& FileName, std::string& TypeName) const {
  TypeName = ArcShellTypeName ? ArcShellTypeName(FileName) : std::string();
}

void TZipCommon::ReportArchiveError(const std::string& FN, const std::string& MsgEx, const std::string& VolumeID,
                                    int ECode) {
  if (!OnError) return;
  if (Engine.ActiveComponent != nullptr && Engine.ActiveComponent->Cancel) return;
  OnError(this, ArcExtractFileName(FN), MsgEx, VolumeID, ECode);
}

void TZipCommon::InstallProgress() {
  RecNum = 0;
  Engine.ReportProgress = [this](uint8_t Percent) { ReportProgress(Percent); };
  Engine.ReportProgressOwner = this;
  ProgressStepPercent = (static_cast<int>(FProgressNotify) + 1) * 5;
}

void TZipCommon::ParseVolumeExt(const std::string& Name) {
  ::ParseVolumeExt(Volume, Name, FArcType == atARJ || FArcType == atArjExe);
}

void TZipCommon::SplitVolumePath(std::string& Dir, std::string& FN, const std::string& DefDir) {
  const std::string path = ArcExtractFilePath(FN);
  if (!path.empty()) {
    Dir = path;
    FN = ArcExtractFileName(FN);
  } else {
    Dir = ArcExtractFilePath(Dir);
  }
  if (!Dir.empty())
    Dir = AddBackslash(Dir);
  else
    Dir = DefDir.empty() ? AddBackslash(GetCurrentDir()) : DefDir;
}

bool TZipCommon::GetNextVolume(std::string& FN, const std::string& VolumeID) {
  if (!OnNextVolume) {
    ReportArchiveError(FN, "", VolumeID, errFileNotFound);
    return false;
  }
  std::string dir = ArcExtractFilePath(FN);
  if (dir.empty()) dir = AddBackslash(GetCurrentDir());
  FN = ArcExtractFileName(FN);
  if (!CheckDriveReady(dir)) return false;
  bool exists = FileExists(dir + FN);
  for (;;) {
    bool cancel = false;
    OnNextVolume(this, dir, FN, VolumeID, exists, cancel);
    if (cancel) return false;
    const std::string previous = dir;
    SplitVolumePath(dir, FN, previous);
    if (!CheckDriveReady(dir)) return false;
    if (FileExists(dir + FN)) {
      FN = dir + FN;
      return true;
    }
    exists = false;
  }
}

// ---- TUnBase --------------------------------------------------------------------------------

TUnBase::TUnBase(TComponent* AOwner) : TZipCommon(AOwner) {
  FProgressNotify = Ten;
  FFileSpec = "*.*";
  SetSetDateTo(sdOrigDate);
  Engine.WriteOutput = EngineWriteOutput;
  Engine.WriteOutputOwner = nullptr;
}

const TClassInfo* TUnBase::StaticClassInfo() {
  static const TClassInfo Info = TClassBuilder<TUnBase, TZipCommon>("TUnBase")
                                     .Prop("CpuType", &TUnBase::CpuType, &TUnBase::SetCpuType)
                                     .Build();
  return &Info;
}

void TUnBase::Loaded() {
  TZipCommon::Loaded();
  if (FFileSpec.empty()) FFileSpec = "*.*";
}

void TUnBase::SetSetDateTo(TSetDate Value) {
  FSetDateTo = Value;
  Engine.DateMode = Value;
}

void TUnBase::Extract() {
  Engine.OutputMode = omToFile;
  if (FCpuType == cpt80486) FCpuType = cptAuto;
  Engine.ActiveComponent = this;
  RunGuarded();
}

void TUnBase::RunGuarded() {
  // The decoders reach this reader's state through ArcEngineNow while it runs.
  TArcEngineScope Scope(Engine);
  try {
    ExtractIt();
  } catch (const E_RAISE& e) {
    if (!e.Reported) ReportArchiveError(FileName.empty() ? FArchiveFile : FileName, "", "0", e.ECode);
  } catch (const EFOpenError&) {
    // Raised through RaiseArchiveError only: OnError has had it.
  } catch (const std::bad_alloc&) {
    ReportArchiveError(FArchiveFile, "", "0", errOutOfMemory);
  } catch (const Exception& e) {
    ReportArchiveError(FileName.empty() ? FArchiveFile : FileName, e.Message(), "0", errReadingFile);
  } catch (const std::exception& e) {
    // A fault of the run itself: still told, never thrown at the caller.
    ReportArchiveError(FileName.empty() ? FArchiveFile : FileName, e.what(), "0", errReadingFile);
  }
  if (ArcFile.IsOpen()) EndRun();
}

void TUnBase::ExtractToStream(const std::string& FileName, TStream* Stream) {
  Engine.ActiveComponent = this;
  if (Stream == nullptr) return ReportArchiveError(FileName, "", "0", errUninitializedStream);
  Engine.OutputMode = omToStream;
  Engine.OutStream = Stream;
  const std::string saved = FFileSpec;
  SetFileSpec(FileName);
  // The stream is the caller's: never leave the engine pointing at it.
  struct TRestore {
    TUnBase* Self;
    std::string Spec;
    TStream* Stream;
    ~TRestore() {
      Self->FFileSpec = Spec;
      Self->Engine.OutStream = nullptr;
      Self->Engine.OutputMode = omToFile;
      Stream->SetPosition(0);
    }
  } restore{this, saved, Stream};
  RunGuarded();
}

bool TUnBase::WriteOutput(TArcFile& F, const void* Buf, int32_t& Count) { return EngineWriteOutput(F, Buf, Count); }

void TUnBase::UnStore(TArcFile& F, int64_t Size, const std::string& Name, int CrcKind) {
  constexpr int64_t Block = 32768;
  std::vector<uint8_t> buf(static_cast<size_t>(std::min(std::max<int64_t>(Size, 0), Block)) + 1);
  ProgressStep = ProgressStepFor(Size);
  int64_t remaining = Size;
  while (remaining > 0 && !Cancel) {
    const int32_t want = static_cast<int32_t>(std::min(remaining, Block));
    try {
      F.ReadExact(buf.data(), want);
    } catch (const EInOutError& e) {
      RaiseArchiveError(Name, e.Message(), "0", errReadingFile);  // a truncated archive
    }
    remaining -= want;
    int32_t count = want;
    bool written = false;
    try {
      written = ArcWriteOutput(OutFile, buf.data(), count);
    } catch (const EInOutError& e) {
      RaiseArchiveError(Name, e.Message(), "0", errWritingFile);
    }
    if (!written) RaiseArchiveError(Name, "", "0", errWritingFile);
    if (CrcKind == 16)
      UpdateCrc16(buf.data(), static_cast<size_t>(want), Engine.Crc16Val);
    else if (CrcKind == 32)
      UpdateCrc32(buf.data(), static_cast<size_t>(want), Engine.Crc32Val);
    ArcReportProgress(CalcProgress(Size - remaining, Size));
  }
}

// ---- The extraction driver ------------------------------------------------------------------

void TUnBase::BeginRun(std::initializer_list<TArcType> Served) {
  if (FArchiveFile.empty()) RaiseArchiveError(FArchiveFile, "", "0", errInvalidFileName);
  if (std::find(Served.begin(), Served.end(), FArcType) == Served.end())
    RaiseArchiveError(FArchiveFile, "", "0", errUnsupportedArcType);
  if (!OpenInFile(ArcFile, FArchiveFile)) RaiseArchiveError(FArchiveFile, "", "0", errOpeningFile);
  Engine.DateMode = FSetDateTo;
  if (OnActivate) OnActivate(this);
  SetCancel(false);
  SpecHasWildcards = ::HasWildcards(FFileSpec);
  if (OnElapsedTime) Timer.Start();
  try {
    ReadArchiveHeader();
  } catch (...) {
    EndRun();
    throw;
  }
}

void TUnBase::EndRun() {
  if (OnElapsedTime) {
    Timer.Stop();
    OnElapsedTime(this, Timer.ElapsedSeconds());
  }
  // An output still open here belongs to an entry the run broke off before its OnEnd:
  // no part of it is left to pass for the whole file.
  if (OutFile.IsOpen()) {
    const std::string part = OutFile.FileName();
    OutFile.Close();
    DeleteFile(part);
  }
  ArcFile.Close();
  if (OnDeactivate) OnDeactivate(this);
}

void TUnBase::MakeStoredFolder(const std::string& AnsiName) {
  if (Engine.OutputMode != omToFile || !FUseStoredDirs || !SpecHasWildcards) return;
  std::string name = SlashToBackslash(AnsiName);
  while (!name.empty() && name.back() == '\\') name.pop_back();
  if (name.empty() || !MatchFileSpec(name, FFileSpec, false)) return;
  if (FExtractDir.empty()) {
    SetExtractDir("");
    if (FExtractDir.empty()) SetExtractDir(GetCurrentDir());
  }
  // A folder of which nothing safe is left (".." alone) is simply not made.
  const std::string path = SafeExtractPath(FExtractDir, name, true);
  if (!path.empty() && !IsArchiveItself(path)) ForceDirectories(path);
}

bool TUnBase::DecodeEntry(TArcEntry& Entry) {
  UnStore(ArcFile, Entry.PackedSize, FileName, Entry.CrcKind);
  return !Cancel;
}

bool TUnBase::ExtractEntry(TArcEntry& E) {
  if (E.Kind == ekFolder) {
    MakeStoredFolder(E.Name);
    return true;
  }
  if (E.Kind != ekFile) return true;
  if (!MatchFileSpec(E.Name, FFileSpec, E.MatchNamesOnly) || !ProcessEntryName(E.Name) || FileName.empty())
    return true;
  const bool toFile = Engine.OutputMode == omToFile;
  // A stream takes one entry, a name without wildcards the one it names.
  const bool goOn = toFile && SpecHasWildcards;
  if (E.Refused != 0) {
    // Told before anything is made: no empty file stands under the entry's name.
    ReportArchiveError(FileName, E.RefusedText, "0", E.Refused);
    return goOn;
  }
  bool extract = true;
  if (toFile && OnFileExists && FileExists(FileName)) OnFileExists(this, FileName, E.Date, extract);
  // Events name the output file; for a stream, the entry.
  const std::string eventName = toFile ? FileName : E.Name;
  if (extract && OnBegin) OnBegin(this, eventName, RecNum + 1, extract);
  if (!extract) return goOn;
  ++RecNum;
  bool stop = false;
  if (!PrepareEntry(E, stop)) {
    if (OnEnd) OnEnd(this, eventName, false);
    return goOn && !stop;
  }
  if (!OpenOutFile(OutFile, FileName)) {
    ReportArchiveError(FileName, "", "0", errOpeningFile);
    if (OnEnd) OnEnd(this, eventName, false);
    return goOn;
  }
  ProgressStep = ProgressStepFor(E.PackedSize);
  Engine.Crc32Val = 0xFFFFFFFF;
  Engine.Crc16Val = 0;
  bool decoded = false;
  try {
    ArcFile.Seek(E.DataPos);
    decoded = DecodeEntry(E);
  } catch (const E_RAISE& e) {
    if (!e.Reported) ReportArchiveError(FileName, "", "0", e.ECode);
  } catch (const EFOpenError&) {
    // Raised through RaiseArchiveError only: OnError has had it.
  } catch (const std::bad_alloc&) {
    ReportArchiveError(FileName, "", "0", errOutOfMemory);
  } catch (const Exception& e) {
    ReportArchiveError(FileName, e.Message(), "0", errReadingFile);
  }
  if (!decoded || Cancel) {
    // Damaged data or a cancelled run: no part of the file is left to pass for the whole.
    if (toFile && OutFile.IsOpen()) {
      const std::string part = OutFile.FileName();
      OutFile.Close();
      DeleteFile(part);
    }
    if (OnEnd) OnEnd(this, eventName, false);
    return goOn && !Cancel;
  }
  if (toFile) {
    if (Engine.DateMode == sdOrigDate && !E.KeepsOwnDate) {
      const int dos = DateTimeToFileDate(E.Date);
      if (dos != 0) OutFile.SetDate(dos);
    }
    if (!OutFile.Close()) ReportArchiveError(FileName, "", "0", errClosingFile);
    // Only the plain attribute bits: an entry never makes its file a folder or a volume.
    const int attr = static_cast<int>(E.Attr) & (faReadOnly | faHidden | faSysFile | faArchive);
    if (attr != 0) FileSetAttr(FileName, attr);
  }
  bool pass = E.Pass;
  if (E.CrcKind == 32)
    pass = ~Engine.Crc32Val == E.StoredCrc;
  else if (E.CrcKind == 16)
    pass = (Engine.Crc16Val & 0xFFFF) == (E.StoredCrc & 0xFFFF);
  if (OnEnd)
    OnEnd(this, eventName, pass);
  else if (!pass)
    ReportArchiveError(FileName, "", "0", errCrcCheck);
  return goOn;
}

void TUnBase::RunExtraction(std::initializer_list<TArcType> Served) {
  InstallProgress();
  BeginRun(Served);
  try {
    while (!Cancel) {
      TArcEntry entry;
      const TEntryStep step = ReadEntryHeader(entry);
      if (step == esEnd) break;
      if (step != esEntry) {
        ReportArchiveError(entry.Name.empty() ? FArchiveFile : entry.Name, entry.ErrorText, "0", entry.Error);
        if (step == esBroken) break;
        continue;
      }
      if (!ExtractEntry(entry)) break;
    }
  } catch (...) {
    EndRun();
    throw;
  }
  EndRun();
}

// ---- TCompBase ------------------------------------------------------------------------------

TCompBase::TCompBase(TComponent* AOwner) : TZipCommon(AOwner), FFileSpecList(std::make_unique<TStringList>()) {
  FSwitch = swAdd;
  FProgressNotify = Ten;
  FStoredDirNames = sdRelative;
}

const TClassInfo* TCompBase::StaticClassInfo() {
  static const TClassInfo Info = TClassBuilder<TCompBase, TZipCommon>("TCompBase")
                                     .Prop("FileAttribute", &TCompBase::FileAttribute, &TCompBase::SetFileAttribute)
                                     .Prop("OnActivate", &TCompBase::OnActivate)
                                     .Prop("OnDeactivate", &TCompBase::OnDeactivate)
                                     .Build();
  return &Info;
}

void TCompBase::Loaded() { TZipCommon::Loaded(); }

void TCompBase::SetCompressMethod(TCompressMethod Value) {
  if (AllowedMethods.Contains(Value)) FCompressMethod = Value;
}

std::string TCompBase::DefaultDir() {
  if (Trim(FDefaultDir).empty()) FDefaultDir = AddBackslash(GetCurrentDir());
  return FDefaultDir;
}

void TCompBase::SetDefaultDir(const std::string& Value) {
  std::string dir = Trim(Value);
  if (dir.empty() || !DirectoryExists(dir)) dir = GetCurrentDir();
  FDefaultDir = AddBackslash(dir);
}

void TCompBase::SetFileSpecList(TStrings* Value) {
  TStringList masks;
  // The folder of a line stays: the writer searches each file mask in its own folder.
  if (Value)
    for (int i = 0; i < Value->Count(); ++i) {
      const std::string line = SlashToBackslash(Value->Strings(i));
      if (!line.empty()) masks.Add(line);
    }
  FFileSpecList->Assign(&masks);
}

bool TCompBase::ProcessFileName(const std::string& SourceName) {
  // ZIP names are relative: whatever the rule, no drive or server, no leading '\' and no
  // "." or ".." parts, so that every tool extracts the entry inside its target folder.
  const std::string name = SlashToBackslash(SourceName);
  std::string path;
  const std::string base = AddBackslash(SlashToBackslash(BaseDir));
  if (FStoredDirNames == sdNone) {
    path = ArcExtractFileName(name);
  } else if (FStoredDirNames == sdRelative && !BaseDir.empty() && name.size() > base.size() &&
             AnsiSameText(name.substr(0, base.size()), base)) {
    path = name.substr(base.size());
  } else {  // the whole path (sdAbsolute, sdAbsoluteNoDrv, or a file outside BaseDir)
    path = name;
    if (path.size() >= 2 && path[1] == ':') {
      path.erase(0, 2);
    } else if (path.rfind("\\\\", 0) == 0) {  // \\server\share
      const size_t share = path.find('\\', 2);
      const size_t rest = share == std::string::npos ? std::string::npos : path.find('\\', share + 1);
      path = rest == std::string::npos ? std::string() : path.substr(rest);
    }
  }
  std::string result;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find('\\', start);
    if (end == std::string::npos) end = path.size();
    const std::string part = path.substr(start, end - start);
    if (!part.empty() && part != "." && part != "..") result += (result.empty() ? "" : "\\") + part;
    start = end + 1;
  }
  FileName = result;
  return !result.empty();
}

bool TCompBase::ReadFirstHeader(std::string& FN, TStream* Stream, bool Central) {
  RemainingEntries = EntryCount - 1;
  return ReadHeader(FN, Stream, Central);
}

bool TCompBase::ReadNextHeader(std::string& FN, TStream* Stream, bool Central) {
  if (RemainingEntries <= 0) return false;
  --RemainingEntries;
  return ReadHeader(FN, Stream, Central);
}

void TCompBase::ReadEntries() {
  if (!OnRead) return;
  TFileStream stream(FArchiveFile, fmOpenRead | fmShareDenyNone);
  std::string fn;
  int filenum = 0;
  bool ok = ReadFirstHeader(fn, &stream, true);
  while (ok) {
    FillEntryInfo();
    ++filenum;
    OnRead(this, static_cast<int>(stream.Position()), filenum);
    ok = ReadNextHeader(fn, &stream, true);
  }
}

bool TCompBase::CheckReplace(bool SkipCheck, TStringList* EntryList, const std::string& FileName, int64_t Size,
                             int32_t Date, int Attr, bool Ask) {
  if (SkipCheck || EntryList == nullptr || EntryList->Count() == 0) return true;
  const int index = EntryList->IndexOf(FileName);
  if (index < 0) return true;
  const auto* old = dynamic_cast<const TCompObject*>(EntryList->Objects(index));
  if (old == nullptr) return true;
  if (old->DosDate == static_cast<uint32_t>(Date) && old->UncompressedSize == Size &&
      old->ExternalAttr == static_cast<uint32_t>(Attr))
    return false;
  if (!Ask || !OnReplaceFile) return false;
  bool replace = false;
  OnReplaceFile(this, EntryList->Strings(index), FileName, DosDateToDateTime(old->DosDate),
                DosDateToDateTime(static_cast<uint32_t>(Date)), static_cast<int>(old->UncompressedSize),
                static_cast<int>(Size), static_cast<int>(old->ExternalAttr), Attr, replace);
  return replace;
}

bool TCompBase::IsWriteableFile(const std::string& Name) {
  const int attr = FileGetAttr(Name);
  if (attr < 0) return false;
  return (attr & (faReadOnly | faHidden | faSysFile | faVolumeID | faDirectory)) == 0;
}
