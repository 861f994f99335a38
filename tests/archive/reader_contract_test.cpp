// What every reader does alike: bad input is told through OnError and the run returns
// with the archive closed; and the lister shows what the reader extracts.
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <thread>

#include "archive/core/un_arc.h"
#include "archive/core/un_arj.h"
#include "archive/core/un_gzip.h"
#include "archive/core/un_lha.h"
#include "archive/core/un_tar.h"
#include "archive/core/un_zip.h"
#include "archive/core/un_zoo.h"
#include "archive/core/uu_code.h"
#include "lister_test_util.h"
#include "old_readers_test_util.h"
#include "reader_contract_util.h"

namespace {

struct TReaderKind {
  const char* Name;
  std::function<std::unique_ptr<TUnBase>()> Make;
  std::string Fixture;  // an archive of the reader's kind
  size_t Cut = 0;       // where a cut falls inside an entry's data (0: half the file)
};

template <class R>
std::function<std::unique_ptr<TUnBase>()> Maker() {
  return [] { return std::unique_ptr<TUnBase>(new R(nullptr)); };
}

std::vector<TReaderKind> Readers() {
  return {
      {"ZIP", Maker<TUnZIP>(), FixturePath("plain.zip")},
      {"gzip", Maker<TUnGZIP>(), FixturePath("hello.txt.gz")},
      {"tar", Maker<TUnTAR>(), FixturePath("plain.tar"), 600},  // half falls into the padding
      {"LHA", Maker<TUnLHA>(), FixturePath("plain.lzh")},
      {"ARJ", Maker<TUnARJ>(), FixturePath("plain.arj")},
      {"ARC", Maker<TUnARC>(), FixturePath("plain.arc")},
      {"ZOO", Maker<TUnZOO>(), OldFixture("zoo.zoo")},
      {"UU", Maker<TUUDecode>(), FixturePath("binary.uue")},
  };
}

// The relative names and contents of the files under Root.
void Collect(const std::string& Root, const std::string& Rel, std::map<std::string, int64_t>& Files) {
  TSearchRec Rec;
  if (FindFirst(Root + Rel + "*", faAnyFile, Rec) != 0) return;
  do {
    if (Rec.Name == "." || Rec.Name == "..") continue;
    if (Rec.Attr & faDirectory)
      Collect(Root, Rel + Rec.Name + "\\", Files);
    else
      Files[Rel + Rec.Name] = int64_t(ReadWholeFile(Root + Rel + Rec.Name).size());
  } while (FindNext(Rec) == 0);
  FindClose(Rec);
}

}  // namespace

TEST(ReaderContract, BadInputIsToldAndTheRunReturns) {
  // The Windows readers (cabinet, RAR) run the same check in the Windows tests.
  for (const TReaderKind& K : Readers()) {
    SCOPED_TRACE(K.Name);
    ExpectBadInputTold(K.Make, K.Fixture, K.Cut);
  }
}

TEST(ReaderContract, TheListerShowsWhatTheReaderExtracts) {
  struct TFixture {
    const char* Kind;
    std::string Path;
  };
  std::vector<TFixture> Fixtures = {
      {"ZIP", FixturePath("plain.zip")},          {"ZIP", FixturePath("infozip.zip")},
      {"ZIP", FixturePath("bsdtar.zip")},         {"ZIP", FixturePath("oldmethods.zip")},
      {"ZIP", FixturePath("arc3/zip9.zip")},      {"ZIP", FixturePath("arc3/zipstream.zip")},
      {"ZIP", FixturePath("arc3/junk_prefix.zip")}, {"ZIP", FixturePath("arc3/sfx_noA.exe")},
      {"ZIP", FixturePath("sfx.exe")},            {"ZIP", FixturePath("ressfx.exe")},
      {"ZIP", FixturePath("zipnames/unix-utf8.zip")}, {"ZIP", FixturePath("zipnames/unix-cp866.zip")},
      {"ZIP", FixturePath("zipnames/flag-utf8.zip")}, {"ZIP", FixturePath("zipnames/zip64.zip")},
      {"ZIP", ListerFixture("zstore.zip")},
      {"ZIP", ListerFixture("empty.zip")},
      {"gzip", FixturePath("hello.txt.gz")},      {"gzip", ListerFixture("named.txt.gz")},
      {"tar", FixturePath("plain.tar")},          {"tar", FixturePath("arc3/gnu.tar")},
      {"tar", FixturePath("arc3/pax.tar")},       {"tar", FixturePath("arc3/ustar.tar")},
      {"LHA", FixturePath("plain.lzh")},          {"LHA", OldFixture("level0.lzh")},
      {"LHA", OldFixture("level1.lzh")},          {"LHA", OldFixture("level2.lzh")},
      {"ARJ", FixturePath("plain.arj")},          {"ARJ", ListerFixture("methods.arj")},
      {"ARJ", FixturePath("oemnames/names.arj")},
      {"ARC", FixturePath("plain.arc")},          {"ARC", OldFixture("nested.arc")},
      {"ZOO", OldFixture("zoo.zoo")},             {"UU", FixturePath("binary.uue")},
      {"gzip", FixturePath("cyrnames/unix-utf8.gz")}, {"gzip", FixturePath("cyrnames/dos-cp866.gz")},
      {"UU", FixturePath("cyrnames/unix-utf8.uue")},  {"UU", FixturePath("cyrnames/dos-cp866.uue")},
      {"LHA", FixturePath("cyrnames/lha-dos.lzh")},   {"LHA", FixturePath("cyrnames/lha-unix.lzh")},
      {"ZOO", FixturePath("cyrnames/zoo-dos.zoo")},   {"ZOO", FixturePath("cyrnames/zoo-unix.zoo")},
      {"ARJ", FixturePath("cyrnames/unix-utf8.arj")},
  };
  std::map<std::string, std::function<std::unique_ptr<TUnBase>()>> Make;
  for (const TReaderKind& K : Readers()) Make[K.Name] = K.Make;
  for (const TFixture& F : Fixtures) {
    SCOPED_TRACE(F.Path);
    const TListing L = ListArchive(F.Path);
    EXPECT_TRUE(L.Result);
    EXPECT_TRUE(L.Errors.empty());
    std::map<std::string, int64_t> Listed, Extracted;
    for (const TListed& E : L.Entries)
      if (!E.Name.empty() && E.Name.back() != '\\') Listed[E.Name] = E.Unpacked;
    TTempDir Tmp;
    std::unique_ptr<TUnBase> R = Make[F.Kind]();
    TReaderEvents Ev;
    ExtractInto(*R, Ev, F.Path, Tmp.Path());
    // What the reader cannot decode it names; the rest has to be there as listed.
    for (size_t i = 0; i < Ev.Errors.size(); ++i) {
      EXPECT_EQ(Ev.Errors[i], errUnsupportedMethod);
      for (auto It = Listed.begin(); It != Listed.end();)
        It = ArcExtractFileName(It->first) == Ev.ErrorNames[i] ? Listed.erase(It) : std::next(It);
    }
    Collect(Tmp.Path(), "", Extracted);
    if (R->ArcType() == atUUE)  // UU text does not store the size it decodes to
      for (auto& E : Listed) E.second = Extracted.count(E.first) ? Extracted[E.first] : -1;
    EXPECT_EQ(Listed, Extracted);
  }
}

// Every file under the fixture folders that a portable reader serves, found by
// recognition, as a path relative to the data folder.
void FindFixtures(const std::string& Root, const std::string& Rel, std::vector<std::string>& Found) {
  TSearchRec Rec;
  if (FindFirst(Root + Rel + "*", faAnyFile, Rec) != 0) return;
  do {
    if (Rec.Name == "." || Rec.Name == "..") continue;
    if (Rec.Attr & faDirectory)
      FindFixtures(Root, Rel + Rec.Name + "\\", Found);
    else
      Found.push_back(Rel + Rec.Name);
  } while (FindNext(Rec) == 0);
  FindClose(Rec);
}

const char* ReaderOf(TArcType T) {
  switch (T) {
    case atZIP: case atZipExe: case atZip250: case atZip250Exe: return "ZIP";
    case atGZip: return "gzip";
    case atTAR: return "tar";
    case atLHA: case atLhaExe: case atLZH: case atLzhExe: return "LHA";
    case atARJ: case atArjExe: return "ARJ";
    case atARC: case atArcExe: return "ARC";
    case atZOO: return "ZOO";
    case atUUE: return "UU";
    default: return nullptr;  // the Windows readers' kinds, and the kinds nothing extracts
  }
}

TEST(ReaderContract, EveryFixtureListsAsItExtracts) {
  // Each file of the fixture folders is recognised, listed and extracted; the lister and
  // the reader agree on the entries, their names and sizes, and on whether anything is
  // wrong. Where something is, the reader leaves only what the lister shows, as shown.
  const std::string Root = SlashToBackslash(FixturePath("")) ;
  std::vector<std::string> Files;
  FindFixtures(Root, "", Files);
  std::map<std::string, std::function<std::unique_ptr<TUnBase>()>> Make;
  for (const TReaderKind& K : Readers()) Make[K.Name] = K.Make;
  int Walked = 0;
  for (const std::string& Rel : Files) {
    TUnZIP Probe(nullptr);
    Probe.SetArchiveFile(Root + Rel);
    const char* Kind = ReaderOf(Probe.ArcType());
    if (Kind == nullptr) continue;
    SCOPED_TRACE(Rel + " (" + Kind + ")");
    ++Walked;
    const TListing L = ListArchive(Root + Rel);
    TTempDir Tmp;
    std::map<std::string, int64_t> Listed, Extracted;
    // Listed names as extraction makes them: inside the target folder whatever they hold.
    for (const TListed& E : L.Entries)
      if (!E.Name.empty() && E.Name.back() != '\\') {
        const std::string Path = SafeExtractPath(Tmp.Path(), E.Name, true);
        if (!Path.empty()) Listed[Path.substr(Tmp.Path().size())] = E.Unpacked;
      }
    std::unique_ptr<TUnBase> R = Make[Kind]();
    TReaderEvents Ev;
    ExtractInto(*R, Ev, Root + Rel, Tmp.Path());
    Collect(Tmp.Path(), "", Extracted);
    // UU text and compress files do not store the size they decode to. A gzip file of
    // several members stores each member's size after its data; the lister shows only the
    // last one, read at the end of the file, so its size is not compared yet.
    if (R->ArcType() == atUUE || ArcExtractFileExt(Rel) == ".Z" || ArcExtractFileName(Rel) == "concat.gz")
      for (auto& E : Listed) E.second = Extracted.count(E.first) ? Extracted[E.first] : -1;
    // An entry the reader cannot decode is named; the lister shows it all the same.
    bool Damaged = false;
    std::set<std::string> Refused;
    for (size_t i = 0; i < Ev.Errors.size(); ++i) {
      if (Ev.Errors[i] == errUnsupportedMethod || Ev.Errors[i] == errPasswordProtected) {
        Refused.insert(Ev.ErrorNames[i]);
        for (auto It = Listed.begin(); It != Listed.end();)
          It = ArcExtractFileName(It->first) == Ev.ErrorNames[i] ? Listed.erase(It) : std::next(It);
      } else {
        Damaged = true;
      }
    }
    for (const auto& End : Ev.Ends)
      if (!End.second && !Refused.count(ArcExtractFileName(End.first))) Damaged = true;
    EXPECT_EQ(Damaged, !L.Errors.empty());
    if (!Damaged) {
      EXPECT_EQ(Listed, Extracted);
    } else {
      for (const auto& F : Extracted) EXPECT_EQ(Listed.count(F.first) ? Listed[F.first] : -2, F.second) << F.first;
    }
  }
  EXPECT_GT(Walked, 40);
}

TEST(ReaderContract, TwoReadersOnTwoThreadsAtOnce) {
  // Each reader keeps its running state (CRCs, output mode, callbacks) itself, so a
  // panel's extraction and another's can run together and come out as they do alone.
  struct TJob {
    std::function<std::unique_ptr<TUnBase>()> Make;
    std::string Archive;
    std::map<std::string, int64_t> Alone;
    std::map<std::string, TByteVec> AloneData;
  };
  std::vector<TJob> Jobs = {{Maker<TUnZIP>(), FixturePath("arc3/zip9.zip"), {}, {}},
                            {Maker<TUnLHA>(), FixturePath("plain.lzh"), {}, {}},
                            {Maker<TUnARJ>(), FixturePath("plain.arj"), {}, {}}};
  auto Run = [](TJob& J, const std::string& Out, std::vector<int>& Errors, int& Ends) {
    std::unique_ptr<TUnBase> R = J.Make();
    R->OnError = [&](TObject*, const std::string&, const std::string&, const std::string&, int E) {
      Errors.push_back(E);
    };
    R->OnEnd = [&](TObject*, const std::string&, bool Pass) { Ends += Pass ? 1 : 1000; };
    R->SetArchiveFile(J.Archive);
    R->SetExtractDir(Out);
    R->Extract();
  };
  TTempDir Tmp;
  for (size_t i = 0; i < Jobs.size(); ++i) {
    std::vector<int> Errors;
    int Ends = 0;
    const std::string Out = Tmp.Path() + "alone" + std::to_string(i) + "\\";
    Run(Jobs[i], Out, Errors, Ends);
    Collect(Out, "", Jobs[i].Alone);
    ASSERT_FALSE(Jobs[i].Alone.empty());
    for (const auto& F : Jobs[i].Alone) Jobs[i].AloneData[F.first] = ReadWholeFile(Out + F.first);
  }
  for (int Round = 0; Round < 4; ++Round) {
    std::vector<std::vector<int>> Errors(Jobs.size());
    std::vector<int> Ends(Jobs.size());
    std::atomic<int> Ready{0};
    std::vector<std::thread> Threads;
    for (size_t i = 0; i < Jobs.size(); ++i)
      Threads.emplace_back([&, i] {
        ++Ready;
        while (Ready < int(Jobs.size())) std::this_thread::yield();
        Run(Jobs[i], Tmp.Path() + "r" + std::to_string(Round) + "_" + std::to_string(i) + "\\", Errors[i], Ends[i]);
      });
    for (std::thread& T : Threads) T.join();
    for (size_t i = 0; i < Jobs.size(); ++i) {
      SCOPED_TRACE(Jobs[i].Archive);
      const std::string Out = Tmp.Path() + "r" + std::to_string(Round) + "_" + std::to_string(i) + "\\";
      EXPECT_TRUE(Errors[i].empty());
      EXPECT_EQ(Ends[i], int(Jobs[i].Alone.size()));  // every entry passed its check
      for (const auto& F : Jobs[i].AloneData) EXPECT_EQ(ReadWholeFile(Out + F.first), F.second) << F.first;
    }
  }
}

TEST(ReaderContract, RussianNamesAsAWindowsUserExpectsThem) {
  // Names a Unix tool wrote in UTF-8 and names DOS wrote in code page 866 both come out
  // in 1251, alike in the lister and the reader.
  const std::string Privet = "\xCF\xF0\xE8\xE2\xE5\xF2";  // Привет
  const std::string Papka = "\xCF\xE0\xEF\xEA\xE0";        // Папка
  struct TCase {
    const char* Kind;
    const char* Fixture;
    std::string Name;     // as listed and made, under the output folder
    std::string Content;
  } Cases[] = {
      {"gzip", "unix-utf8.gz", Privet + ".txt", "utf\n"},
      {"gzip", "dos-cp866.gz", Privet + ".dos", "oem\n"},
      {"UU", "unix-utf8.uue", Privet + ".txt", "utf\n"},
      {"UU", "dos-cp866.uue", Privet + ".dos", "oem\n"},
      {"LHA", "lha-dos.lzh", Papka + "\\" + Privet + ".dos", "oem\n"},
      {"LHA", "lha-unix.lzh", Papka + "\\" + Privet + ".txt", "utf\n"},
      {"ZOO", "zoo-dos.zoo", Privet + ".dos", "oem\n"},
      {"ZOO", "zoo-unix.zoo", Papka + "\\" + Privet + ".txt", "utf\n"},
      {"ARJ", "unix-utf8.arj", Papka + "\\" + Privet + ".txt", "utf\n"},
  };
  std::map<std::string, std::function<std::unique_ptr<TUnBase>()>> Make;
  for (const TReaderKind& K : Readers()) Make[K.Name] = K.Make;
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Fixture);
    const std::string Path = FixturePath(std::string("cyrnames/") + C.Fixture);
    const TListing L = ListArchive(Path);
    EXPECT_TRUE(L.Errors.empty());
    ASSERT_EQ(L.Entries.size(), 1u);
    EXPECT_EQ(L.Entries[0].Name, C.Name);
    TTempDir Tmp;
    std::unique_ptr<TUnBase> R = Make[C.Kind]();
    TReaderEvents Ev;
    ExtractInto(*R, Ev, Path, Tmp.Path());
    EXPECT_TRUE(Ev.Errors.empty());
    EXPECT_EQ(Ev.FailedEnds(), 0);
    const TByteVec Got = ReadWholeFile(Tmp.Path() + C.Name);
    EXPECT_EQ(std::string(Got.begin(), Got.end()), C.Content);
  }
  // A gzip file without a stored name is named after itself: a Russian name of the file
  // is already the user's own.
  TTempDir Tmp;
  const std::string Own = Tmp.Path() + Privet + ".txt.gz";
  WriteWholeFile(Own, ReadWholeFile(ListerFixture("noname.txt.gz")));
  const TListing L = ListArchive(Own);
  ASSERT_EQ(L.Entries.size(), 1u);
  EXPECT_EQ(L.Entries[0].Name, Privet + ".txt");
  TUnGZIP R(nullptr);
  TReaderEvents Ev;
  ExtractInto(R, Ev, Own, Tmp.Path() + "out\\");
  EXPECT_TRUE(Ev.Errors.empty());
  EXPECT_TRUE(FileExists(Tmp.Path() + "out\\" + Privet + ".txt"));
}
