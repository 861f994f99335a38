#include "archive/core/uu_code.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

constexpr char UUAlphabet[] = "`!\"#$%&'()*+,-./0123456789:;<=>?@ABCDEFGHIJKLMNOPQRSTUVWXYZ[\\]^_";
constexpr char XXAlphabet[] = "+-0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
static_assert(sizeof UUAlphabet == 65 && sizeof XXAlphabet == 65);
constexpr int kLineBytes = 45;
constexpr int kBufSize = 32768;
constexpr size_t kMaxLine = 65536;  // longer lines are cut: no legal line comes near it

bool StartsWith(const std::string& S, const char* Prefix) { return S.rfind(Prefix, 0) == 0; }

// Character values of an alphabet: 0..63, -2 for characters outside it; the blank is 0.
struct TDecodeTable {
  int8_t V[256];
  explicit TDecodeTable(const std::string& Alphabet) {
    std::memset(V, -2, sizeof V);
    for (size_t i = Alphabet.size(); i-- > 0;) V[uint8_t(Alphabet[i])] = int8_t(i);  // the first wins
    V[uint8_t(' ')] = 0;
  }
  int operator[](char C) const { return V[uint8_t(C)]; }

  // Whether Line reads as a data line of this alphabet: every character in it, and as
  // many characters as its length character announces (a checksum character or two may
  // follow). With Stripped, fewer count too: mail may cut trailing blanks.
  bool Fits(const std::string& Line, bool Stripped) const {
    if (Line.empty() || (*this)[Line[0]] < 0) return false;
    for (char c : Line)
      if ((*this)[c] < 0) return false;
    const size_t need = size_t((*this)[Line[0]] + 2) / 3 * 4, have = Line.size() - 1;
    return have <= need + 2 && (have >= need || Stripped);
  }
};

// The input of the decoder: lines of the current part, read in blocks.
class TLineInput {
public:
  TLineInput() : FBuf(kBufSize) {}
  void Reset(TArcFile* F) {
    FFile = F;
    FPos = FLen = 0;
  }
  // The next line without CR and LF; false at the end of the part.
  bool ReadLine(std::string& Line) {
    Line.clear();
    bool any = false;
    for (;;) {
      if (FPos == FLen && !Fill()) return any;
      any = true;
      const uint8_t* start = FBuf.data() + FPos;
      const uint8_t* lf = static_cast<const uint8_t*>(std::memchr(start, '\n', FLen - FPos));
      const size_t n = lf ? size_t(lf - start) : FLen - FPos;
      if (Line.size() < kMaxLine) Line.append(reinterpret_cast<const char*>(start), std::min(n, kMaxLine - Line.size()));
      FPos += n + (lf ? 1 : 0);
      if (lf) break;
    }
    Line.erase(std::remove(Line.begin(), Line.end(), '\r'), Line.end());
    return true;
  }
  int64_t Done = 0;           // bytes read over all parts
  int64_t ProgressStep = 1;   // bytes between two reports
  int64_t Total = 1;          // the first part's size

private:
  bool Fill() {
    FPos = 0;
    FLen = 0;
    const int32_t n = FFile->Read(FBuf.data(), kBufSize);
    if (n <= 0) return false;
    FLen = size_t(n);
    const int64_t before = Done;
    Done += n;
    if (Done / ProgressStep != before / ProgressStep) ArcReportProgress(CalcProgress(Done, Total));
    return true;
  }

  TArcFile* FFile = nullptr;
  std::vector<uint8_t> FBuf;
  size_t FPos = 0, FLen = 0;
};

}  // namespace

std::string MakePartName(const std::string& Name, int Number, TNextVolumeName Rule, bool LongNames) {
  const std::string digits = IntToStr(Number);
  const int64_t d = int64_t(digits.size());
  const std::string path = ArcExtractFilePath(Name);
  const std::string file = Name.substr(path.size());
  const std::string ext = ArcExtractFileExt(file);
  if (Rule == nvChangeFilename) {
    std::string base = file.substr(0, file.size() - ext.size());
    const int64_t keep = LongNames ? 8 - d : int64_t(base.size()) - d;
    base.resize(size_t(std::clamp<int64_t>(keep, 0, int64_t(base.size()))));
    return path + base + digits + ext;
  }
  if (ext.empty()) return Name + digits;
  const int64_t keep = int64_t(file.size()) - int64_t(ext.size()) + 4 - d;
  return path + file.substr(0, size_t(std::clamp<int64_t>(keep, 0, int64_t(file.size())))) + digits;
}

// ---- TUUDecode ----------------------------------------------------------------------------

struct TUUDecode::TRun {
  TLineInput In;
  std::string Alphabet;  // of "table" lines; empty: UU or XX, as the data show
  bool Read = false;     // the one entry has been handed out
};

TUUDecode::TUUDecode(TComponent* AOwner) : TUnBase(AOwner) {}

TUUDecode::~TUUDecode() = default;

const TClassInfo* TUUDecode::StaticClassInfo() {
  static const TClassInfo Info =
      TClassBuilder<TUUDecode, TUnBase>("TUUDecode")
          .Prop("ArcType", &TZipCommon::ArcType, &TZipCommon::SetArcType)
          .Prop("ExtractDir", &TZipCommon::ExtractDir, &TZipCommon::SetExtractDir)
          .Prop("ProgressNotify", &TZipCommon::ProgressNotify, &TZipCommon::SetProgressNotify)
          .Prop("MaxHeaderLines", &TUUDecode::MaxHeaderLines, &TUUDecode::SetMaxHeaderLines)
          .Prop("NextVolumeName", &TUUDecode::NextVolumeName, &TUUDecode::SetNextVolumeName)
          .Prop("VolumeLongFilenames", &TUUDecode::VolumeLongFilenames, &TUUDecode::SetVolumeLongFilenames)
          .Prop("VolumeStartNum", &TUUDecode::VolumeStartNum, &TUUDecode::SetVolumeStartNum)
          .Prop("OnActivate", &TZipCommon::OnActivate)
          .Prop("OnDeactivate", &TZipCommon::OnDeactivate)
          .Prop("OnBegin", &TZipCommon::OnBegin)
          .Prop("OnEnd", &TZipCommon::OnEnd)
          .Prop("OnProgress", &TZipCommon::OnProgress)
          .Prop("OnFileExists", &TZipCommon::OnFileExists)
          .Prop("OnNextVolume", &TZipCommon::OnNextVolume)
          .Build();
  return &Info;
}

void TUUDecode::ExtractIt() { RunExtraction({atUUE}); }

void TUUDecode::ReadArchiveHeader() {
  FRun = std::make_unique<TRun>();
  TLineInput& in = FRun->In;
  in.Reset(&ArcFile);
  in.Total = std::max<int64_t>(ArcFile.Size(), 1);
  in.ProgressStep = ProgressStepFor(ArcFile.Size());
  ProgressStep = in.ProgressStep;
}

TEntryStep TUUDecode::ReadEntryHeader(TArcEntry& A) {
  if (FRun->Read) return esEnd;
  FRun->Read = true;
  TLineInput& in = FRun->In;
  // The header: "table" and "charmap" lines give an alphabet, "begin" the name.
  std::string line, stored;
  bool found = false;
  for (int n = 0; n < FMaxHeaderLines && in.ReadLine(line); ++n) {
    const TUuLineKind kind = UuHeaderLine(line, &stored);
    // MIME's base64 form of the same file: not an encoding this decoder reads.
    if (kind == ulBase64) {
      A.Error = errUnsupportedMethod;
      A.ErrorText = "base64";
      return esBroken;
    }
    if (kind == ulBegin) {
      found = true;
      break;
    }
    if (kind == ulTable) {
      // The alphabet follows on the next lines, 32 characters to a line.
      std::string chars;
      while (chars.size() < 64 && n + 1 < FMaxHeaderLines && in.ReadLine(line)) {
        ++n;
        chars += line;
      }
      if (chars.size() >= 64) FRun->Alphabet = chars.substr(0, 64);
    }
  }
  if (!found) {
    A.Error = errBadFileHeader;
    A.ErrorText = "no \"begin\" line";
    return esBroken;
  }
  A.Name = stored.empty() ? std::string() : UuEntryName(stored);
  if (A.Name.empty()) {
    A.Error = errInvalidFileName;
    A.ErrorText = stored;
    return esBroken;
  }
  // The text stores neither size, date nor CRC: the decoder tells whether it came to the
  // "end" line, and the file keeps the time it was written.
  A.PackedSize = ArcFile.Size();
  A.CrcKind = 0;
  A.Date = DosDateToDateTime(uint32_t(ArcDate));
  A.KeepsOwnDate = true;
  A.DataPos = ArcFile.Position();  // the lines read ahead stay in the input
  return esEntry;
}

bool TUUDecode::DecodeEntry(TArcEntry& A) {
  TLineInput& in = FRun->In;
  const std::string& alphabet = FRun->Alphabet;
  std::string line;
  std::vector<uint8_t> out;
  out.reserve(kBufSize);
  auto flush = [&] {
    int32_t count = int32_t(out.size());
    bool written = false;
    try {
      written = ArcWriteOutput(OutFile, out.data(), count);
    } catch (const EInOutError& e) {
      RaiseArchiveError(FileName, e.Message(), "0", errWritingFile);
    }
    if (!written) RaiseArchiveError(FileName, "", "0", errWritingFile);
    out.clear();
  };
  // The alphabet is settled by the first data line: the one in which it reads as a data
  // line of the length its first character gives.
  std::unique_ptr<TDecodeTable> table;
  char fullLine = 'h';
  auto choose = [&](const std::string& First) {
    if (!alphabet.empty()) {
      table = std::make_unique<TDecodeTable>(alphabet);
      fullLine = First[0];
      return;
    }
    const TDecodeTable uu(UUAlphabet), xx(XXAlphabet);
    bool isUU = false, known = true;
    for (bool stripped : {false, true}) {
      const bool u = uu.Fits(First, stripped), x = xx.Fits(First, stripped);
      if (u || x) {
        isUU = u && (!x || First[0] != 'h');
        break;
      }
      if (stripped) known = false;
    }
    if (!known) {
      isUU = First[0] == 'M';
      if (!isUU && First[0] != 'h') ReportArchiveError(FArchiveFile, "", "0", errUnsupportedMethod);
    }
    table = std::make_unique<TDecodeTable>(isUU ? UUAlphabet : XXAlphabet);
    fullLine = isUU ? 'M' : 'h';
  };
  auto isEnd = [&](const std::string& L) {
    return StartsWith(L, "end") && !(table && L.size() > 3 && table->Fits(L, false));
  };

  auto decode = [&](const std::string& L) {
    const int n = (*table)[L[0]];
    for (int done = 0, i = 1; done < n; i += 4) {
      int c[4];
      for (int k = 0; k < 4; ++k) c[k] = size_t(i + k) < L.size() ? std::max((*table)[L[size_t(i + k)]], 0) : 0;
      const uint8_t b[3] = {uint8_t(c[0] << 2 | c[1] >> 4), uint8_t(c[1] << 4 | c[2] >> 2), uint8_t(c[2] << 6 | c[3])};
      const int take = std::min(3, n - done);
      out.insert(out.end(), b, b + take);
      done += take;
    }
    if (out.size() >= kBufSize - 64) flush();
  };

  bool finished = false, refused = false;
  int part = FVolumeStartNum;
  std::string volumeId = "0";
  std::string current = FArchiveFile;
  std::string pending;  // a data line met while looking for a part's "begin"
  while (!finished && !Cancel) {
    // One part, line by line.
    while (!Cancel && (!pending.empty() || in.ReadLine(line))) {
      if (!pending.empty()) line = std::move(pending), pending.clear();
      if (line.empty()) break;  // a blank line ends the part
      if (!table && !isEnd(line)) choose(line);
      if (isEnd(line)) {
        finished = true;
        break;
      }
      decode(line);
    }
    if (finished || Cancel) break;

    // The part ended without "end": on with the next one.
    ++part;
    volumeId = IntToStr(part);
    std::string next = MakePartName(FArchiveFile, part, FNextVolumeName, FVolumeLongFilenames);
    if (!GetNextVolume(next, volumeId)) {
      refused = bool(OnNextVolume);  // the user said no: no more to report
      break;
    }
    if (!ArcFile.Close()) RaiseArchiveError(current, "", volumeId, errClosingFile);
    if (!OpenInFile(ArcFile, next)) RaiseArchiveError(next, volumeId, volumeId, errOpeningFile);
    current = next;
    in.Reset(&ArcFile);
    // The data go on at once when the part starts with a data line, else after its own
    // "begin" line.
    auto isData = [&](const std::string& L) {
      return !L.empty() && (L[0] == fullLine || (table && table->Fits(L, false)));
    };
    std::string first;
    bool any = in.ReadLine(first);
    if (any && isData(first)) {
      pending = first;
    } else {
      while (any && !StartsWith(first, "begin") && !isData(first)) any = in.ReadLine(first);
      if (any && isData(first)) {
        ReportArchiveError(next, "line starting with " + IntToStr(uint8_t(first[0])) + " found before \"begin\"",
                           volumeId, errLineBeforeBegin);
        pending = first;
      }
    }
  }
  flush();
  ArcReportProgress(100);
  if (Cancel) return false;
  // A text cut short keeps what it held, and is not reported as whole.
  if (!finished && !refused) ReportArchiveError(FileName, "", volumeId, errEolNotFound);
  A.Pass = finished;
  return true;
}

// ---- TUUEncode ----------------------------------------------------------------------------

TUUEncode::TUUEncode(TComponent* AOwner) : TCompBase(AOwner) {
  AllowedMethods = {cmUUEncode, cmXXEncode};
  FCompressMethod = cmUUEncode;
}

const TClassInfo* TUUEncode::StaticClassInfo() {
  static const TClassInfo Info =
      TClassBuilder<TUUEncode, TCompBase>("TUUEncode")
          .Prop("CompressMethod", &TUUEncode::CompressMethod, &TUUEncode::SetCompressMethod)
          .Prop("OutFilename", &TUUEncode::OutFilename, &TUUEncode::SetOutFilename)
          .Prop("KBytesPerVolume", &TUUEncode::KBytesPerVolume, &TUUEncode::SetKBytesPerVolume)
          .Prop("WriteTableToFile", &TUUEncode::WriteTableToFile, &TUUEncode::SetWriteTableToFile)
          .Prop("ProgressNotify", &TUUEncode::ProgressNotify, &TUUEncode::SetProgressNotify)
          .Prop("OnBegin", &TUUEncode::OnBegin)
          .Prop("OnEnd", &TUUEncode::OnEnd)
          .Prop("OnFileExists", &TUUEncode::OnFileExists)
          .Prop("OnNonWriteableArchive", &TUUEncode::OnNonWriteableArchive)
          .Prop("OnProgress", &TUUEncode::OnProgress)
          .Build();
  return &Info;
}

void TUUEncode::Loaded() {
  TCompBase::Loaded();
  AllowedMethods = {cmUUEncode, cmXXEncode};
  FCompressMethod = cmUUEncode;
  FArcType = atUUE;
}

void TUUEncode::SetOutFilename(const std::string& Value) {
  FOutFilename = Value.empty() ? Value : ReplaceFileExt(SlashToBackslash(Value), ".enc");
}

bool TUUEncode::Execute() {
  Engine.ActiveComponent = this;
  TArcEngineScope Scope(Engine);  // progress and messages of this run reach it
  if (FArchiveFile.empty()) RaiseArchiveError(FArchiveFile, "", "0", errInvalidFileName);
  if (FOutFilename.empty()) RaiseArchiveError(FArchiveFile, "OutFile", "0", errInvalidFileName);
  if (FileExists(FOutFilename) && !IsWriteableFile(FOutFilename)) {
    bool writeToFile = false;
    if (OnNonWriteableArchive) OnNonWriteableArchive(this, FOutFilename, writeToFile);
    if (!writeToFile) RaiseArchiveError(FOutFilename, "", "0", errWritingFile);
    FileSetAttr(FOutFilename, faArchive);
  }
  InstallProgress();
  if (OnActivate) OnActivate(this);
  struct TDeactivate {
    TUUEncode& E;
    ~TDeactivate() {
      if (E.OnDeactivate) E.OnDeactivate(&E);
    }
  } deactivate{*this};
  bool accept = true;
  if (FileExists(FOutFilename) && OnFileExists) {
    const int age = FileAge(FArchiveFile);
    OnFileExists(this, FOutFilename, DosDateToDateTime(age > 0 ? uint32_t(age) : 0), accept);
  }
  if (accept && OnBegin) OnBegin(this, FOutFilename, 1, accept);
  if (!accept) return false;
  try {
    Encode();
  } catch (...) {
    if (OnEnd) OnEnd(this, FOutFilename, false);
    throw;
  }
  if (OnEnd) OnEnd(this, FOutFilename, true);
  return true;
}

void TUUEncode::Encode() {
  const std::string input = ExpandFileName(FArchiveFile);
  TArcFile in;
  if (!OpenInFile(in, input)) RaiseArchiveError(FArchiveFile, "", "0", errOpeningFile);
  const int64_t size = in.Size();
  ProgressStep = ProgressStepFor(size);
  if (OnElapsedTime) Timer.Start();

  const bool xx = FCompressMethod == cmXXEncode;
  const char* alphabet = xx ? XXAlphabet : UUAlphabet;
  const std::string name = AnsiToOemName(ArcExtractFileName(FArchiveFile));

  TArcFile out;
  std::string outName;
  std::string text;  // output waiting to be written
  auto write = [&] {
    if (!text.empty() && out.Write(text.data(), int32_t(text.size())) != int32_t(text.size()))
      RaiseArchiveError(outName, "", "0", errWritingFile);
    text.clear();
  };
  auto create = [&](const std::string& Name) {
    // Never over the file being encoded.
    if (AnsiSameText(ExpandFileName(Name), input)) RaiseArchiveError(Name, "OutFile", "0", errInvalidFileName);
    const std::string dir = ArcExtractFilePath(Name);
    if (!dir.empty()) ForceDirectories(dir);
    if (!out.Create(Name)) RaiseArchiveError(Name, "", "0", errOpeningFile);
    outName = Name;
  };
  create(FOutFilename);

  text = std::string(xx ? "XXencode" : "UUencode") + " 1.65 (Zembrix archive components)\r\n\r\n";
  if (FWriteTableToFile) text += "table\r\n" + std::string(alphabet, 32) + "\r\n" + std::string(alphabet + 32, 32) + "\r\n\r\n";
  text += "begin 644 " + name + "\r\n";

  std::vector<uint8_t> buf(kBufSize);
  size_t pos = 0, len = 0;
  int64_t done = 0;
  auto fill = [&] {
    if (pos < len) return true;
    const int32_t n = in.Read(buf.data(), kBufSize);
    pos = 0;
    len = n > 0 ? size_t(n) : 0;
    const int64_t before = done;
    done += int64_t(len);
    if (len > 0 && done / ProgressStep != before / ProgressStep) ArcReportProgress(CalcProgress(done, size));
    return len > 0;
  };

  int lines = 3, part = 0;
  const int perPart = FKBytesPerVolume > 0 ? FKBytesPerVolume * 16 : 0;
  uint8_t data[kLineBytes];
  for (;;) {
    int n = 0;
    while (n < kLineBytes && fill()) {
      const size_t take = std::min(size_t(kLineBytes - n), len - pos);
      std::memcpy(data + n, buf.data() + pos, take);
      pos += take;
      n += int(take);
    }
    text += alphabet[n];
    for (int i = 0; i < n; i += 3) {
      const uint8_t b0 = data[i], b1 = i + 1 < n ? data[i + 1] : 0, b2 = i + 2 < n ? data[i + 2] : 0;
      text += alphabet[b0 >> 2];
      text += alphabet[((b0 & 3) << 4) | (b1 >> 4)];
      text += alphabet[((b1 & 15) << 2) | (b2 >> 6)];
      text += alphabet[b2 & 63];
    }
    text += "\r\n";
    if (n == 0) break;  // the zero-length line ends the data
    if (text.size() >= kBufSize) write();
    if (perPart > 0 && ++lines >= perPart && fill()) {
      // The part is full and more is to come. The next part holds data lines only, so
      // that the parts put together are one encoded file, as other decoders take them.
      ++part;
      write();
      if (!out.Close()) RaiseArchiveError(outName, "", "0", errClosingFile);
      create(MakePartName(FOutFilename, part, FPartRule, FPartLongNames));
      lines = 3;
    }
  }
  text += "end\r\n" + IntToStr(size) + " bytes\r\n";
  if (part > 0) text += "encoded into " + IntToStr(part + 1) + " file(s)\r\n";
  write();
  if (!out.Close()) RaiseArchiveError(outName, "", "0", errClosingFile);
  in.Close();
  ArcReportProgress(100);
  if (OnElapsedTime) {
    Timer.Stop();
    OnElapsedTime(this, Timer.ElapsedSeconds());
  }
}
