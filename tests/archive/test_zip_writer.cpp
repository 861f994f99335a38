// TZip: archives that Debian's unzip and our own reader take, updates of archives made by
// zip and bsdtar that keep every untouched byte, deletion, moving, and an old archive that
// survives every failure.
#include "archive/core/zip_writer.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <cstdlib>
#include <cstring>
#include <map>
#include <string>

#include "arc_test_util.h"
#include "archive/core/un_zip.h"

#ifndef _WIN32
#include <unistd.h>
#endif

namespace {

uint16_t Get16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }
uint32_t Get32(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }

// An archive taken apart by its central directory.
struct TParsedEntry {
  std::string Name;
  TByteVec Central;  // the record with the local offset zeroed
  TByteVec Local;    // local header, data and data descriptor
  uint16_t Flags = 0, Method = 0, NeededCentral = 0, NeededLocal = 0;
  uint32_t Crc = 0, Packed = 0, Size = 0;
};
struct TParsed {
  std::vector<TParsedEntry> Entries;
  TByteVec Comment;
  const TParsedEntry* Find(const std::string& Name) const {
    for (const auto& e : Entries)
      if (e.Name == Name) return &e;
    return nullptr;
  }
};

TParsed Parse(const TByteVec& Z) {
  TParsed r;
  size_t end = Z.size() - 22;
  while (Get32(&Z[end]) != 0x06054B50) --end;
  r.Comment.assign(Z.begin() + long(end) + 22, Z.begin() + long(end) + 22 + Get16(&Z[end + 20]));
  const size_t count = Get16(&Z[end + 10]);
  size_t p = Get32(&Z[end + 16]);
  std::vector<size_t> offsets;
  for (size_t i = 0; i < count; ++i) {
    EXPECT_EQ(Get32(&Z[p]), 0x02014B50u);
    TParsedEntry e;
    const size_t len = 46 + Get16(&Z[p + 28]) + Get16(&Z[p + 30]) + Get16(&Z[p + 32]);
    e.Central.assign(Z.begin() + long(p), Z.begin() + long(p + len));
    std::memset(&e.Central[42], 0, 4);
    e.Name.assign(reinterpret_cast<const char*>(&Z[p + 46]), Get16(&Z[p + 28]));
    e.Flags = Get16(&Z[p + 8]);
    e.Method = Get16(&Z[p + 10]);
    e.NeededCentral = Get16(&Z[p + 6]);
    e.Crc = Get32(&Z[p + 16]);
    e.Packed = Get32(&Z[p + 20]);
    e.Size = Get32(&Z[p + 24]);
    offsets.push_back(Get32(&Z[p + 42]));
    r.Entries.push_back(e);
    p += len;
  }
  // Each entry runs to the next one in the file, the last to the central directory.
  for (size_t i = 0; i < count; ++i) {
    size_t stop = Get32(&Z[end + 16]);
    for (size_t o : offsets)
      if (o > offsets[i] && o < stop) stop = o;
    r.Entries[i].Local.assign(Z.begin() + long(offsets[i]), Z.begin() + long(stop));
    r.Entries[i].NeededLocal = Get16(&Z[offsets[i] + 4]);
  }
  return r;
}

// Runs a shell command of the native build, quietly.
int Shell(const std::string& Cmd) { return std::system((Cmd + " >/dev/null 2>&1").c_str()); }

struct TGen {
  uint32_t S;
  explicit TGen(uint32_t Seed) : S(Seed) {}
  uint32_t Next() {
    S ^= S << 13, S ^= S >> 17, S ^= S << 5;
    return S;
  }
  TByteVec Random(size_t N) {
    TByteVec v(N);
    for (auto& b : v) b = uint8_t(Next() >> 9);
    return v;
  }
  TByteVec Text(size_t N) {
    static const char* const words[] = {"zip ", "writer ", "panel ", "\r\n", "deflate ", "entry "};
    TByteVec v;
    while (v.size() < N) {
      const char* w = words[Next() % 6];
      v.insert(v.end(), w, w + std::strlen(w));
    }
    v.resize(N);
    return v;
  }
};

// A folder of files to pack: text, random bytes, an empty file and a sub-folder.
std::map<std::string, TByteVec> MakeSources(const std::string& Dir) {
  TGen g(77);
  std::map<std::string, TByteVec> files = {
      {"text.txt", g.Text(150000)},         {"random.bin", g.Random(5000)},
      {"empty.dat", {}},                    {"sub\\inner.txt", g.Text(3000)},
      {"sub\\deeper\\big.txt", g.Text(300000)},
  };
  ForceDirectories(Dir + "sub\\deeper");
  for (const auto& [name, data] : files) WriteWholeFile(Dir + name, data);
  return files;
}

struct TEvents {
  std::vector<int> Errors;
  std::vector<std::string> Begins, Ends;
  int FailedEnds = 0, Activates = 0, Deactivates = 0;
  std::vector<int> Progress;
  void Bind(TZipCommon& C) {
    C.OnError = [this](TObject*, const std::string&, const std::string&, const std::string&, int Code) {
      Errors.push_back(Code);
    };
    C.OnBegin = [this](TObject*, const std::string& FN, int, bool&) { Begins.push_back(FN); };
    C.OnEnd = [this](TObject*, const std::string& FN, bool Pass) {
      Ends.push_back(FN);
      FailedEnds += Pass ? 0 : 1;
    };
    C.OnProgress = [this](TObject*, const std::string&, uint8_t P) { Progress.push_back(P); };
    C.OnActivate = [this](TObject*) { ++Activates; };
    C.OnDeactivate = [this](TObject*) { ++Deactivates; };
  }
};

void SetSpecs(TZip& Z, std::initializer_list<std::string> Specs) {
  TStringList l;
  for (const auto& s : Specs) l.Add(s);
  Z.SetFileSpec(&l);
}

// Extracts the whole archive with our reader into Dir; the errors it reported.
std::vector<int> ReadBack(const std::string& Archive, const std::string& Dir, const std::string& Password = "") {
  TUnZIP r(nullptr);
  std::vector<int> errors;
  r.OnError = [&](TObject*, const std::string&, const std::string&, const std::string&, int Code) {
    errors.push_back(Code);
  };
  r.OnEnd = [&](TObject*, const std::string&, bool Pass) {
    if (!Pass) errors.push_back(errCrcCheck);
  };
  if (!Password.empty()) r.Passwords()->Add(Password);
  r.SetArchiveFile(Archive);
  r.SetExtractDir(Dir);
  r.SetFileSpec("*.*");
  r.Extract();
  return errors;
}

}  // namespace

// Every kind of archive the writer makes passes unzip -t and zipinfo, extracts with unzip
// and extracts byte-identical with our own reader.
TEST(ZipWriter, ArchivesExtractWithUnzipAndOurReader) {
  struct TCase {
    const char* Name;
    TCompressMethod Method;
    TDeflateType Type;
    const char* Password;
  };
  const TCase cases[] = {
      {"stored", cmStore, dtDeflateN, ""},          {"fast", cmDeflate, dtDeflateF, ""},
      {"normal", cmDeflate, dtDeflateN, ""},        {"best", cmDeflate, dtDeflateX, ""},
      {"encrypted", cmDeflate, dtDeflateN, "s3cr\xE5t"}, {"encrypted stored", cmStore, dtDeflateN, "pw"},
  };
  const bool unzip = HaveTool("unzip -v");
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TTempDir tmp;
    const std::string src = tmp.Path() + "src\\";
    const auto files = MakeSources(src);
    const std::string archive = tmp.Path() + "out.zip";
    TZip z(nullptr);
    TEvents ev;
    ev.Bind(z);
    z.SetArchiveFile(archive);
    z.SetCompressMethod(c.Method);
    z.SetDeflateType(c.Type);
    z.SetPassword(c.Password);
    z.SetRecurseDirs(true);
    SetSpecs(z, {src + "*.*"});
    ASSERT_TRUE(z.Execute());
    EXPECT_TRUE(ev.Errors.empty());
    EXPECT_EQ(ev.Begins.size(), files.size());
    EXPECT_EQ(ev.FailedEnds, 0);
    EXPECT_EQ(ev.Activates, 1);
    EXPECT_EQ(ev.Deactivates, 1);
    ASSERT_FALSE(ev.Progress.empty());

    const TParsed p = Parse(ReadWholeFile(archive));
    ASSERT_EQ(p.Entries.size(), files.size());
    for (const auto& [name, data] : files) {
      const TParsedEntry* e = p.Find(BackslashToSlash(name));  // relative, with '/'
      ASSERT_NE(e, nullptr) << name;
      EXPECT_EQ(e->NeededLocal, e->NeededCentral);
      EXPECT_EQ(e->Size, data.size());
      if (data.empty()) {  // stored, never encrypted
        EXPECT_EQ(e->Method, 0);
        EXPECT_EQ(e->Flags, 0);
        EXPECT_EQ(e->Crc, 0u);
      } else {
        EXPECT_EQ(e->Flags, *c.Password ? 1 : 0);
      }
    }
    // Random bytes do not compress: stored even when deflate was asked for.
    EXPECT_EQ(p.Find("random.bin")->Method, 0);
    EXPECT_EQ(p.Find("text.txt")->Method, c.Method == cmDeflate ? 8 : 0);

    TTempDir ours;
    EXPECT_TRUE(ReadBack(archive, ours.Path(), c.Password).empty());
    for (const auto& [name, data] : files) EXPECT_EQ(ReadWholeFile(ours.Path() + name), data) << name;

    if (unzip) {
      const std::string pw = *c.Password ? " -P " + std::string(c.Password) : "";
      EXPECT_EQ(Shell("unzip -tq" + pw + " " + Sh(archive)), 0);
      EXPECT_EQ(std::system(("zipinfo " + Sh(archive) + " 2>&1 | grep -qi -e warning -e error").c_str()) != 0, true);
      const std::string out = tmp.Path() + "unzipped\\";
      EXPECT_EQ(Shell("unzip -q" + pw + " " + Sh(archive) + " -d " + Sh(out)), 0);
      for (const auto& [name, data] : files) EXPECT_EQ(ReadWholeFile(out + name), data) << name;
    }
  }
}

// The stored name: relative, '/' between folders, never a drive, a leading separator or "..".
TEST(ZipWriter, StoredNames) {
  struct TCase {
    TStoredDirNames Rule;
    const char* Base;
    const char* Source;
    const char* Stored;
  };
  const TCase cases[] = {
      {sdRelative, "C:\\data\\", "C:\\data\\sub\\f.txt", "sub\\f.txt"},
      {sdRelative, "C:\\other\\", "C:\\data\\f.txt", "data\\f.txt"},
      {sdNone, "C:\\data\\", "C:\\data\\sub\\f.txt", "f.txt"},
      {sdAbsolute, "", "C:\\data\\sub\\f.txt", "data\\sub\\f.txt"},
      {sdAbsoluteNoDrv, "", "C:\\data\\f.txt", "data\\f.txt"},
      {sdAbsolute, "", "\\\\server\\share\\dir\\f.txt", "dir\\f.txt"},
      {sdAbsolute, "", "\\dir\\.\\..\\f.txt", "dir\\f.txt"},
      {sdRelative, "C:\\data\\", "C:\\data\\..\\..\\f.txt", "f.txt"},
  };
  TZip z(nullptr);
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Source);
    z.SetStoredDirNames(c.Rule);
    z.BaseDir = c.Base;
    EXPECT_TRUE(z.ProcessFileName(c.Source));
    EXPECT_EQ(z.FileName, c.Stored);
  }
  EXPECT_FALSE(z.ProcessFileName("C:\\..\\"));
}

// Updates of archives made by zip (extra fields, comments) and bsdtar (data descriptors):
// every entry not replaced keeps its bytes, local and central, and the archive comment.
TEST(ZipWriter, UpdateKeepsForeignEntriesByteIdentical) {
  const bool unzip = HaveTool("unzip -v");
  for (const char* fixture : {"infozip.zip", "bsdtar.zip"}) {
    SCOPED_TRACE(fixture);
    TTempDir tmp;
    const std::string archive = tmp.Path() + "a.zip";
    const TByteVec before = ReadWholeFile(FixturePath(fixture));
    WriteWholeFile(archive, before);
    const TParsed old = Parse(before);
    WriteWholeFile(tmp.Path() + "new.txt", std::string("a new entry\r\n"));

    TZip z(nullptr);
    TEvents ev;
    ev.Bind(z);
    z.SetArchiveFile(archive);
    SetSpecs(z, {tmp.Path() + "new.txt"});
    std::vector<std::pair<std::string, int>> read;  // each new entry, after the archive is in place
    z.OnRead = [&](TObject*, int, int Filenum) { read.push_back({z.FileName, Filenum}); };
    ASSERT_TRUE(z.Execute());
    EXPECT_TRUE(ev.Errors.empty());
    EXPECT_EQ(read, (std::vector<std::pair<std::string, int>>{{"new.txt", int(old.Entries.size()) + 1}}));
    const TParsed now = Parse(ReadWholeFile(archive));
    ASSERT_EQ(now.Entries.size(), old.Entries.size() + 1);
    for (size_t i = 0; i < old.Entries.size(); ++i) {
      SCOPED_TRACE(old.Entries[i].Name);
      EXPECT_EQ(now.Entries[i].Name, old.Entries[i].Name);  // old ones first, in their order
      EXPECT_EQ(now.Entries[i].Central, old.Entries[i].Central);
      EXPECT_EQ(now.Entries[i].Local, old.Entries[i].Local);
    }
    EXPECT_EQ(now.Entries.back().Name, "new.txt");
    // In the file too: the kept entries first, the new one after them.
    const TByteVec bytes = ReadWholeFile(archive);
    size_t end = bytes.size() - 22;
    while (Get32(&bytes[end]) != 0x06054B50) --end;
    std::vector<uint32_t> offsets;
    for (size_t p = Get32(&bytes[end + 16]), i = 0; i < Get16(&bytes[end + 10]); ++i) {
      offsets.push_back(Get32(&bytes[p + 42]));
      p += 46 + Get16(&bytes[p + 28]) + Get16(&bytes[p + 30]) + Get16(&bytes[p + 32]);
    }
    EXPECT_TRUE(std::is_sorted(offsets.begin(), offsets.end()));
    // The archive comment is kept (the format has room for it, and the user wrote it).
    EXPECT_EQ(now.Comment, old.Comment);
    if (unzip) EXPECT_EQ(Shell("unzip -tq " + Sh(archive)), 0);
    TTempDir out;
    EXPECT_TRUE(ReadBack(archive, out.Path()).empty());
    EXPECT_EQ(ReadWholeFile(out.Path() + "new.txt"), ReadWholeFile(tmp.Path() + "new.txt"));
    EXPECT_EQ(ReadWholeFile(out.Path() + "d\\n.txt").size(), 13893u);
  }
}

// Replacing an entry needs OnReplaceFile's consent; the same file again is nothing to do.
TEST(ZipWriter, ReplaceAndNothingToDo) {
  TTempDir tmp;
  const std::string archive = tmp.Path() + "r.zip";
  WriteWholeFile(tmp.Path() + "f.txt", std::string("version one"));
  FileSetDate(tmp.Path() + "f.txt", DateTimeToFileDate(EncodeDate(2010, 1, 2)));
  TZip z(nullptr);
  TEvents ev;
  ev.Bind(z);
  z.SetArchiveFile(archive);
  SetSpecs(z, {tmp.Path() + "f.txt"});
  ASSERT_TRUE(z.Execute());
  const TByteVec first = ReadWholeFile(archive);

  EXPECT_FALSE(z.Execute());  // same date, size and attributes
  EXPECT_EQ(ev.Errors, std::vector<int>{errNothingToDo});
  EXPECT_EQ(ReadWholeFile(archive), first);

  WriteWholeFile(tmp.Path() + "f.txt", std::string("version two!"));
  int asked = 0;
  z.OnReplaceFile = [&](TObject*, const std::string& OldFN, const std::string& FN, TDateTime, TDateTime, int OldSize,
                        int NewSize, int, int, bool& Replace) {
    ++asked;
    EXPECT_EQ(OldFN, "f.txt");
    EXPECT_EQ(FN, "f.txt");
    EXPECT_EQ(OldSize, 11);
    EXPECT_EQ(NewSize, 12);
    Replace = true;
  };
  ASSERT_TRUE(z.Execute());
  EXPECT_EQ(asked, 1);
  const TParsed p = Parse(ReadWholeFile(archive));
  ASSERT_EQ(p.Entries.size(), 1u);
  EXPECT_EQ(p.Entries[0].Size, 12u);
}

// The archive being written, and the same name reached twice, are not packed.
TEST(ZipWriter, SkipsItselfAndDuplicateNames) {
  TTempDir tmp;
  WriteWholeFile(tmp.Path() + "a.txt", std::string("aaa"));
  WriteWholeFile(tmp.Path() + "b.txt", std::string("bbb"));
  TZip z(nullptr);
  TEvents ev;
  ev.Bind(z);
  z.SetArchiveFile(tmp.Path() + "self.zip");
  SetSpecs(z, {tmp.Path() + "*.*", tmp.Path() + "a.txt"});
  ASSERT_TRUE(z.Execute());
  ASSERT_TRUE(z.Execute() == false);  // again: everything is in it already
  const TParsed p = Parse(ReadWholeFile(tmp.Path() + "self.zip"));
  ASSERT_EQ(p.Entries.size(), 2u);
  EXPECT_NE(p.Find("a.txt"), nullptr);
  EXPECT_NE(p.Find("b.txt"), nullptr);
}

TEST(ZipWriter, DeleteEntries) {
  TTempDir tmp;
  const std::string archive = tmp.Path() + "d.zip";
  const TByteVec before = ReadWholeFile(FixturePath("bsdtar.zip"));
  const TParsed old = Parse(before);
  WriteWholeFile(archive, before);
  TZip z(nullptr);
  TEvents ev;
  ev.Bind(z);
  z.SetArchiveFile(archive);
  z.SetSwitch(swDelete);

  // Nothing matches: nothing to do, nothing written.
  SetSpecs(z, {"nothing.*"});
  EXPECT_FALSE(z.Execute());
  EXPECT_EQ(ev.Errors, std::vector<int>{errNothingToDo});
  EXPECT_EQ(ReadWholeFile(archive), before);

  // One entry goes; the others keep their bytes.
  ev.Errors.clear();
  SetSpecs(z, {"r.bin"});
  ASSERT_TRUE(z.Execute());
  EXPECT_TRUE(ev.Errors.empty());
  EXPECT_EQ(ev.Begins, std::vector<std::string>{"r.bin"});
  TParsed now = Parse(ReadWholeFile(archive));
  ASSERT_EQ(now.Entries.size(), old.Entries.size() - 1);
  for (const auto& e : now.Entries) {
    const TParsedEntry* o = old.Find(e.Name);
    ASSERT_NE(o, nullptr);
    EXPECT_EQ(e.Local, o->Local);
    EXPECT_EQ(e.Central, o->Central);
  }
  if (HaveTool("unzip -v")) EXPECT_EQ(Shell("unzip -tq " + Sh(archive)), 0);

  // OnBegin hears of each entry deleted; its answer does not keep it.
  std::vector<std::string> told;
  z.OnBegin = [&](TObject*, const std::string& FN, int, bool& Extract) {
    told.push_back(FN);
    Extract = false;
  };
  SetSpecs(z, {"a.txt"});
  EXPECT_TRUE(z.Execute());
  EXPECT_EQ(told, std::vector<std::string>{"a.txt"});
  EXPECT_EQ(Parse(ReadWholeFile(archive)).Entries.size(), now.Entries.size() - 1);

  // Every entry going takes the archive with it.
  z.OnBegin = nullptr;
  SetSpecs(z, {"*.*", "d/*"});
  EXPECT_TRUE(z.Execute());
  EXPECT_FALSE(FileExists(archive));
  EXPECT_TRUE(z.ArchiveFile().empty());
}

namespace {

// A reproducible random source for encryption headers, pinned for one test.
void CountingRandom(void* Buf, size_t Len) {
  static uint32_t State = 12345;
  auto* p = static_cast<uint8_t*>(Buf);
  for (size_t i = 0; i < Len; ++i) {
    State = State * 1103515245u + 12345u;
    p[i] = static_cast<uint8_t>(State >> 16);
  }
}

struct TPinnedRandom {
  explicit TPinnedRandom(TArcRandomSource S) { SetArcRandomSource(S); }
  ~TPinnedRandom() { SetArcRandomSource(nullptr); }
};

}  // namespace

// An encrypted entry is deleted only with its password.
TEST(ZipWriter, DeleteEncryptedNeedsPassword) {
  TPinnedRandom pin(CountingRandom);
  TTempDir tmp;
  const std::string archive = tmp.Path() + "e.zip";
  WriteWholeFile(tmp.Path() + "secret.txt", std::string("top secret text, top secret text"));
  WriteWholeFile(tmp.Path() + "other.txt", std::string("other"));
  {
    TZip w(nullptr);
    w.SetArchiveFile(archive);
    w.SetPassword("right");
    SetSpecs(w, {tmp.Path() + "*.txt"});
    ASSERT_TRUE(w.Execute());
  }
  const TByteVec before = ReadWholeFile(archive);
  TZip z(nullptr);
  TEvents ev;
  ev.Bind(z);
  z.SetArchiveFile(archive);
  z.SetSwitch(swDelete);
  SetSpecs(z, {"secret.txt"});
  EXPECT_FALSE(z.Execute());
  EXPECT_EQ(ev.Errors, (std::vector<int>{errEventNotAssigned, errNothingToDo}));
  EXPECT_EQ(ReadWholeFile(archive), before);

  ev.Errors.clear();
  std::vector<std::string> answers = {"wrong-one", "right"};
  z.OnGetPassword = [&](TObject*, const std::string&, std::string& Password, bool& TryAgain) {
    Password = answers.front();
    answers.erase(answers.begin());
    TryAgain = true;
  };
  // The check is one byte: the pinned source gives a header that the wrong answer fails.
  uint8_t buf[24];
  const TParsed p = Parse(before);
  std::memcpy(buf + 12, p.Find("secret.txt")->Local.data() + 30 + 10, 12);
  ASSERT_FALSE(CheckCryptHeader(buf, 12, 1, p.Find("secret.txt")->Crc, 0, "wrong-one"))
      << "the pinned random source lets the wrong password pass: change its seed";
  ASSERT_TRUE(z.Execute());
  EXPECT_EQ(ev.Errors, std::vector<int>{errInvalidPassword});
  EXPECT_EQ(z.Passwords()->Strings(0), "right");
  const TParsed now = Parse(ReadWholeFile(archive));
  ASSERT_EQ(now.Entries.size(), 1u);
  EXPECT_EQ(now.Entries[0].Name, "other.txt");
}

// A failure while the new archive takes the old one's place loses neither.
TEST(ZipWriter, FailedReplaceKeepsTheOldArchive) {
  TTempDir tmp;
  const std::string archive = tmp.Path() + "keep.zip";
  const TByteVec before = ReadWholeFile(FixturePath("infozip.zip"));
  WriteWholeFile(archive, before);
  WriteWholeFile(tmp.Path() + "moved.txt", std::string("to be moved"));

  const auto saved = ZipRenameFile;
  std::string kept;
  ZipRenameFile = [&](const std::string& From, const std::string& To) {
    if (To == archive && From.size() > 4 && From.substr(From.size() - 4) == ".tmp") {
      kept = From;
      return false;  // the new archive cannot take the name
    }
    return saved(From, To);
  };
  TZip z(nullptr);
  TEvents ev;
  ev.Bind(z);
  std::string msg;
  z.OnError = [&](TObject*, const std::string&, const std::string& MsgEx, const std::string&, int Code) {
    ev.Errors.push_back(Code);
    msg = MsgEx;
  };
  z.SetArchiveFile(archive);
  z.SetSwitch(swMove);
  SetSpecs(z, {tmp.Path() + "moved.txt"});
  const bool ok = z.Execute();
  ZipRenameFile = saved;

  EXPECT_FALSE(ok);
  EXPECT_EQ(ev.Errors, std::vector<int>{errWritingFile});
  EXPECT_EQ(ReadWholeFile(archive), before);
  EXPECT_TRUE(FileExists(tmp.Path() + "moved.txt"));  // a move deletes nothing then
  // The new archive stays, named in the report.
  ASSERT_FALSE(kept.empty());
  EXPECT_EQ(msg, kept);
  ASSERT_TRUE(FileExists(kept));
  EXPECT_EQ(Parse(ReadWholeFile(kept)).Entries.size(), Parse(before).Entries.size() + 1);
  EXPECT_FALSE(FindFileExists(tmp.Path() + "*.bak"));

  // A damaged old archive is reported and left alone.
  const std::string bad = tmp.Path() + "bad.zip";
  WriteWholeFile(bad, std::string("PK\x03\x04 not really an archive"));
  ev.Errors.clear();
  z.SetArchiveFile(bad);
  z.SetSwitch(swAdd);
  EXPECT_FALSE(z.Execute());
  EXPECT_EQ(ev.Errors, std::vector<int>{errStreamReadWrite});
  EXPECT_EQ(ReadWholeFile(bad), TByteVec(std::begin("PK\x03\x04 not really an archive"),
                                         std::end("PK\x03\x04 not really an archive") - 1));
}

// A move deletes the sources whose data went into the archive, and only those.
TEST(ZipWriter, MoveDeletesOnlyWhatItStored) {
  TTempDir tmp;
  const std::string archive = tmp.Path() + "m.zip";
  const std::string src = tmp.Path() + "src\\";
  ForceDirectories(src);
  WriteWholeFile(src + "kept.txt", std::string("already in the archive"));
  {
    TZip w(nullptr);
    w.SetArchiveFile(archive);
    SetSpecs(w, {src + "kept.txt"});
    ASSERT_TRUE(w.Execute());
  }
  WriteWholeFile(src + "a.txt", std::string("moved a"));
  WriteWholeFile(src + "b.txt", std::string("moved b"));
  FileSetAttr(src + "b.txt", faReadOnly);
  WriteWholeFile(src + "skipped.txt", std::string("OnBegin says no"));
  TZip z(nullptr);
  z.SetArchiveFile(archive);
  z.SetSwitch(swMove);
  z.OnBegin = [](TObject*, const std::string& FN, int, bool& Extract) {
    Extract = ArcExtractFileName(FN) != "skipped.txt";
  };
  SetSpecs(z, {src + "*.txt"});
  ASSERT_TRUE(z.Execute());
  EXPECT_FALSE(FileExists(src + "a.txt"));
  EXPECT_FALSE(FileExists(src + "b.txt"));
  EXPECT_TRUE(FileExists(src + "kept.txt"));     // identical entry: not stored in this run
  EXPECT_TRUE(FileExists(src + "skipped.txt"));  // not stored
  const TParsed p = Parse(ReadWholeFile(archive));
  EXPECT_EQ(p.Entries.size(), 3u);
}

// swRead lists the entries through OnRead with their fields.
TEST(ZipWriter, ListsEntries) {
  TZip z(nullptr);
  z.SetArchiveFile(FixturePath("infozip.zip"));
  z.SetSwitch(swRead);
  std::vector<std::string> names;
  std::vector<int> nums;
  z.OnRead = [&](TObject*, int, int Filenum) {
    names.push_back(z.FileName);
    nums.push_back(Filenum);
    if (z.FileName == "a.txt") {
      EXPECT_EQ(z.UnpackedSize, 1220);
      EXPECT_EQ(z.CompressMethodName, "DeflateN");
      EXPECT_FALSE(z.Encrypted);
    }
    if (z.FileName == "r.bin") EXPECT_EQ(z.CompressMethodName, "Stored");
  };
  ASSERT_TRUE(z.Execute());
  EXPECT_EQ(names, (std::vector<std::string>{"a.txt", "r.bin", "d\\", "d\\n.txt"}));
  EXPECT_EQ(nums, (std::vector<int>{1, 2, 3, 4}));
  EXPECT_EQ(z.TotalUnpackedSize, 17113);
}

// A missing folder is an error; links to folders are not followed into loops.
TEST(ZipWriter, FoldersAndLinks) {
  TTempDir tmp;
  TZip z(nullptr);
  std::vector<int> errors;
  z.OnError = [&](TObject*, const std::string&, const std::string&, const std::string&, int Code) {
    errors.push_back(Code);
  };
  z.SetArchiveFile(tmp.Path() + "f.zip");
  SetSpecs(z, {tmp.Path() + "missing\\*.*"});
  EXPECT_THROW(z.Execute(), E_RAISE);
  EXPECT_EQ(errors, std::vector<int>{errInvalidDirectory});
  EXPECT_FALSE(FileExists(tmp.Path() + "f.zip"));
  EXPECT_FALSE(FindFileExists(tmp.Path() + "*.tmp"));  // the unfinished archive is gone
#ifndef _WIN32
  ForceDirectories(tmp.Path() + "tree\\sub");
  WriteWholeFile(tmp.Path() + "tree\\sub\\x.txt", std::string("x"));
  std::string dir = tmp.Path();
  for (char& c : dir)
    if (c == '\\') c = '/';
  ASSERT_EQ(symlink("..", (dir + "tree/sub/up").c_str()), 0);  // a loop
  std::vector<std::string> entered;
  z.OnRecurseDir = [&](TObject*, const std::string& D) { entered.push_back(D); };
  z.SetRecurseDirs(true);
  SetSpecs(z, {tmp.Path() + "tree\\*.*"});
  ASSERT_TRUE(z.Execute());
  EXPECT_EQ(entered.size(), 1u);
  const TParsed p = Parse(ReadWholeFile(tmp.Path() + "f.zip"));
  ASSERT_EQ(p.Entries.size(), 1u);
  EXPECT_EQ(p.Entries[0].Name, "sub/x.txt");
#endif
}

// A folder named without a mask goes in under its own name with everything below it: two
// folders with a file of the same name keep both.
TEST(ZipWriter, NamedFoldersKeepTheirNames) {
  TTempDir tmp;
  ForceDirectories(tmp.Path() + "a\\sub");
  ForceDirectories(tmp.Path() + "b");
  WriteWholeFile(tmp.Path() + "a\\same.txt", std::string("from a"));
  WriteWholeFile(tmp.Path() + "a\\sub\\deep.txt", std::string("deep"));
  WriteWholeFile(tmp.Path() + "b\\same.txt", std::string("from b, longer"));
  TZip z(nullptr);
  TEvents ev;
  ev.Bind(z);
  z.SetArchiveFile(tmp.Path() + "f.zip");
  z.SetRecurseDirs(true);
  SetSpecs(z, {tmp.Path() + "a", tmp.Path() + "b"});
  ASSERT_TRUE(z.Execute());
  EXPECT_TRUE(ev.Errors.empty());
  std::vector<std::string> names;
  for (const auto& e : Parse(ReadWholeFile(tmp.Path() + "f.zip")).Entries) names.push_back(e.Name);
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"a/same.txt", "a/sub/deep.txt", "b/same.txt"}));
  TTempDir out;
  EXPECT_TRUE(ReadBack(tmp.Path() + "f.zip", out.Path()).empty());
  EXPECT_EQ(ReadWholeFile(out.Path() + "a\\same.txt"), TByteVec({'f', 'r', 'o', 'm', ' ', 'a'}));
  EXPECT_EQ(ReadWholeFile(out.Path() + "b\\same.txt").size(), 14u);
  EXPECT_EQ(ReadWholeFile(out.Path() + "a\\sub\\deep.txt").size(), 4u);
}

// Self-extractors keep their stub, whether their offsets count from the file's start or
// from the archive's.
TEST(ZipWriter, UpdatesSelfExtractors) {
  for (const char* fixture : {"sfx.exe", "ressfx.exe"}) {
    SCOPED_TRACE(fixture);
    TTempDir tmp;
    const TByteVec before = ReadWholeFile(FixturePath(fixture));
    const std::string archive = tmp.Path() + "s.exe";
    WriteWholeFile(archive, before);
    WriteWholeFile(tmp.Path() + "add.txt", std::string("added to a self-extractor"));
    TZip z(nullptr);
    TEvents ev;
    ev.Bind(z);
    z.SetArchiveFile(archive);
    SetSpecs(z, {tmp.Path() + "add.txt"});
    ASSERT_TRUE(z.Execute());
    EXPECT_TRUE(ev.Errors.empty());
    const TByteVec after = ReadWholeFile(archive);
    size_t stub = 0;
    while (Get32(&before[stub]) != 0x04034B50) ++stub;
    EXPECT_EQ(TByteVec(after.begin(), after.begin() + long(stub)), TByteVec(before.begin(), before.begin() + long(stub)));
    TTempDir out;
    EXPECT_TRUE(ReadBack(archive, out.Path()).empty());
    EXPECT_EQ(ReadWholeFile(out.Path() + "hello.txt"), ReadWholeFile(FixturePath("hello.txt")));
    EXPECT_EQ(ReadWholeFile(out.Path() + "add.txt"), ReadWholeFile(tmp.Path() + "add.txt"));
    if (HaveTool("unzip -v")) EXPECT_EQ(Shell("unzip -tq " + Sh(archive)), 0);
  }
}

// A read-only archive is written only when OnNonWriteableArchive agrees.
TEST(ZipWriter, NonWriteableArchive) {
  TTempDir tmp;
  const std::string archive = tmp.Path() + "ro.zip";
  WriteWholeFile(archive, ReadWholeFile(FixturePath("infozip.zip")));
  FileSetAttr(archive, faReadOnly);
  WriteWholeFile(tmp.Path() + "x.txt", std::string("x"));
  TZip z(nullptr);
  TEvents ev;
  ev.Bind(z);
  z.SetArchiveFile(archive);
  SetSpecs(z, {tmp.Path() + "x.txt"});
  EXPECT_FALSE(z.Execute());  // no handler: reported
  EXPECT_EQ(ev.Errors, std::vector<int>{errWritingFile});
  int asked = 0;
  bool agree = false;
  z.OnNonWriteableArchive = [&](TObject*, const std::string& Name, bool& WriteToFile) {
    ++asked;
    EXPECT_EQ(Name, archive);
    WriteToFile = agree;
  };
  EXPECT_FALSE(z.Execute());
  EXPECT_EQ(Parse(ReadWholeFile(archive)).Entries.size(), 4u);
  agree = true;
  float elapsed = -1;
  z.OnElapsedTime = [&](TObject*, float Seconds) { elapsed = Seconds; };
  EXPECT_TRUE(z.Execute());
  EXPECT_EQ(asked, 2);
  EXPECT_GE(elapsed, 0.0f);
  EXPECT_EQ(Parse(ReadWholeFile(archive)).Entries.size(), 5u);
}
