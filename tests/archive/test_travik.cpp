// The lister component: its published properties, the order of its events, selection by
// FileSpec and ShowBlankDirs, errors, cancel, and the method-name table.
#include <gtest/gtest.h>

#include "archive/core/arc_directory.h"
#include "lister_test_util.h"

TEST(Travik, PublishedPropertiesAndDefaults) {
  TTravik T(nullptr);
  EXPECT_EQ(GetStrProp(&T, "FileSpec"), "*.*");
  EXPECT_EQ(GetOrdProp(&T, "ZipCmntBufSize"), 2000);
  EXPECT_EQ(GetOrdProp(&T, "ShowBlankDirs"), 0);
  EXPECT_EQ(GetEnumProp(&T, "ArcType"), "atNA");
  for (const char* event : {"OnActivate", "OnDeactivate", "OnError", "OnNextVolume", "OnRead", "OnReadFile",
                            "OnReadBegin", "OnReadEnd", "OnTotals", "OnElapsedTime"})
    EXPECT_TRUE(IsPublishedProp(&T, event)) << event;
  EXPECT_FALSE(IsPublishedProp(&T, "ExtractDir"));
}

TEST(Travik, EmptyArchiveFileFiresNothing) {
  TTravik T(nullptr);
  int events = 0;
  T.OnError = [&](TObject*, const std::string&, const std::string&, const std::string&, int) { ++events; };
  T.OnActivate = T.OnDeactivate = [&](TObject*) { ++events; };
  T.OnRead = [&](TObject*, int, int) { ++events; };
  EXPECT_FALSE(T.Activate());
  EXPECT_EQ(events, 0);
}

TEST(Travik, RefusesBeforeOpeningTheFile) {
  // OnRead missing, a kind not recognised, a file that cannot be opened.
  TTempDir dir;
  WriteWholeFile(dir.Path() + "junk.bin", std::string("just some text, no archive"));
  struct TCase {
    std::string File;
    bool WithOnRead;
    int ECode;
    const char* MsgEx;
  } cases[] = {{ListerFixture("zstore.zip"), false, errEventNotAssigned, "OnRead"},
               {dir.Path() + "junk.bin", true, errUnknownFileType, ""},
               {dir.Path() + "missing.zip", true, errHeaderId, ""}};
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.File);
    const TListing L = ListArchive(c.File, [&](TTravik& T) {
      if (!c.WithOnRead) T.OnRead = nullptr;
    });
    EXPECT_FALSE(L.Result);
    EXPECT_EQ(L.Errors, std::vector<int>{c.ECode});
    EXPECT_EQ(L.ErrorMsgEx, std::vector<std::string>{c.MsgEx});
    EXPECT_EQ(L.Events, std::vector<std::string>{"Error"});
  }
}

TEST(Travik, EventsInTheirOrder) {
  const TListing L = ListArchive(ListerFixture("methods.arj"), [](TTravik& T) { T.SetFileSpec("m1.txt"); });
  ASSERT_TRUE(L.Result);
  std::vector<std::string> want = {"Activate"};
  for (int i = 0; i < 6; ++i) {
    want.push_back("ReadFile");
    if (i == 1) want.insert(want.end(), {"ReadBegin", "Read", "ReadEnd"});
  }
  want.insert(want.end(), {"Totals", "Deactivate", "ElapsedTime"});
  EXPECT_EQ(L.Events, want);
}

TEST(Travik, FileSpecSelectsAndShowBlankDirsAddsFolders) {
  // Every name reaches OnReadFile; only the selected ones are counted and totalled.
  const TListing txt = ListArchive(ListerFixture("zstore.zip"), [](TTravik& T) { T.SetFileSpec("*.txt"); });
  EXPECT_EQ(txt.Names, (std::vector<std::string>{"a.txt", "sub\\", "sub\\b.txt"}));
  ASSERT_EQ(txt.Entries.size(), 2u);
  EXPECT_EQ(txt.Entries[1].Name, "sub\\b.txt");
  EXPECT_EQ(txt.Totals, 2);
  EXPECT_EQ(txt.TotalPacked, 385);

  const TListing a = ListArchive(ListerFixture("zstore.zip"), [](TTravik& T) { T.SetFileSpec("a.*"); });
  ASSERT_EQ(a.Entries.size(), 1u);
  EXPECT_EQ(a.Totals, 1);
  EXPECT_EQ(a.TotalUnpacked, 244);

  // A ZIP folder is reported but never counted; an ARC folder is counted like a file.
  const TListing zipDirs = ListArchive(ListerFixture("zstore.zip"), [](TTravik& T) {
    T.SetFileSpec("a.*");
    T.SetShowBlankDirs(true);
  });
  ASSERT_EQ(zipDirs.Entries.size(), 2u);
  EXPECT_EQ(zipDirs.Entries[1].Name, "sub\\");
  EXPECT_EQ(zipDirs.Entries[1].Filenum, 1);
  EXPECT_EQ(zipDirs.Totals, 1);
  const TListing arcDirs = ListArchive(ListerFixture("nested.arc"), [](TTravik& T) {
    T.SetFileSpec("LAST.TXT");
    T.SetShowBlankDirs(true);
  });
  ASSERT_EQ(arcDirs.Entries.size(), 3u);
  EXPECT_EQ(arcDirs.Entries[1].Name, "DOCS\\INNER\\");
  EXPECT_EQ(arcDirs.Totals, 3);
}

TEST(Travik, CancelFromOnReadStopsAfterThatHeader) {
  TListing L = ListArchive(ListerFixture("methods.arj"), [](TTravik& T) {
    auto read = T.OnRead;
    T.OnRead = [&T, read](TObject* S, int Offset, int Filenum) {
      read(S, Offset, Filenum);
      if (Filenum == 2) T.SetCancel(true);
    };
  });
  EXPECT_TRUE(L.Result);
  EXPECT_EQ(L.Entries.size(), 2u);
  EXPECT_EQ(L.Totals, 2);
  EXPECT_EQ(std::count(L.Events.begin(), L.Events.end(), "Deactivate"), 1);
}

TEST(Travik, ErrorInsideTheWalkEndsItWithCleanUp) {
  // A reader's error (here an exception out of an event handler) ends the run with False;
  // what was reported stays, the file is closed and OnDeactivate runs.
  TTravik T(nullptr);
  std::vector<std::string> events;
  T.OnRead = [&](TObject*, int, int Filenum) {
    events.push_back("Read");
    if (Filenum == 2) throw E_RAISE(errBadFileHeader);
  };
  T.OnDeactivate = [&](TObject*) { events.push_back("Deactivate"); };
  T.OnTotals = [&](TObject*, int) { events.push_back("Totals"); };
  T.SetArchiveFile(ListerFixture("methods.arj"));
  EXPECT_FALSE(T.Activate());
  EXPECT_EQ(events, (std::vector<std::string>{"Read", "Read", "Deactivate"}));
  EXPECT_FALSE(T.ArcFile.IsOpen());
  EXPECT_EQ(T.FileName, "m1.txt");  // the fields keep the last reported entry

  // A second run starts afresh.
  T.OnRead = [](TObject*, int, int) {};
  int totals = -1;
  T.OnTotals = [&](TObject*, int N) { totals = N; };
  EXPECT_TRUE(T.Activate());
  EXPECT_EQ(totals, 6);
  EXPECT_EQ(T.TotalUnpackedSize, 1361);
  EXPECT_EQ(T.TotalRatio, TZipCommon::CalcRatio(556, 1361));
}

TEST(Travik, UnsupportedKindListsNothing) {
  // gzip bytes inside an executable are recognised but not listable.
  TTempDir dir;
  TByteVec exe(600, 0);
  exe[0] = 'M', exe[1] = 'Z', exe[2] = 0x00, exe[3] = 0, exe[4] = 2, exe[5] = 0;  // a 512-byte image
  exe[512] = 0x1F, exe[513] = 0x8B, exe[514] = 8;
  WriteWholeFile(dir.Path() + "x.exe", exe);
  const TListing L = ListArchive(dir.Path() + "x.exe");
  EXPECT_TRUE(L.Result);
  EXPECT_TRUE(L.Entries.empty());
  EXPECT_EQ(L.Totals, 0);
}

TEST(Travik, MethodNamesAsSpelled) {
  struct TCase {
    TArcType Kind;
    uint16_t Id;
    uint32_t Flags, Attr;
    const char* Name;
  } cases[] = {
      {atARC, 1, 0, 0, "Stored"},    {atARC, 5, 0, 0, "crunched"},  {atARC, 8, 0, 0, "Crunched"},
      {atARC, 12, 0, 0, "Pack12"},   {atARC, 30, 0, 0, "Dir"},      {atArcExe, 13, 0, 0, "Unknown"},
      {atARJ, 4, 0, 0, "Fastest"},   {atARJ, 7, 3, 0, "Dir"},       {atArjExe, 7, 0, 0, "Unknown"},
      {atBH, 1, 0, 0, "Fused"},      {atBHExe, 3, 0, 0, "Unknown"}, {atCAB, 0x1503, 0, 0, "Lzx"},
      {atCAB, 2, 0, 0, "Quantum"},   {atCAB, 4, 0, 0, "Unknown"},   {atGZip, 0x9E1F, 0, 0, "Deflate"},
      {atGZip, 0xA01F, 0, 0, "LzhMAGIC"}, {atGZip, 0x1E1F, 0, 0, "PackMAGIC"}, {atGZip, 0, 0, 0, "Stored"},
      {atHA, 1, 0, 0, "Asc"},        {atHA, 14, 0, 0, "Dir"},       {atHA, 15, 0, 0, "Special"},
      {atHA, 3, 0, 0, ""},           {atLZH, '0', 0, 0, "Stored"},  {atLzhExe, '1', 0, 0, "Frozen-1"},
      {atLHA, '7', 0, 0, "Unknown"}, {atPAK, 3, 0, 0, "RLE"},       {atPAK, 6, 0, 0, "FIXEDLEN"},
      {atPakExe, 9, 0, 0, "VARIBLE"}, {atPAK, 12, 0, 0, "Unknown"}, {atRAR, '1', 0, 0, "Fastest"},
      {atRarExe, '5', 0, 0, "Best"}, {atRAR, '9', 0, 0x10, "Dir"},  {atRAR, '9', 0, 0, "Unknown"},
      {atZIP, 6, 0, 0, "Imploded"},  {atZIP, 7, 0, 0, "Tokened"},   {atZipExe, 3, 0, 0, "Reduce-2"},
      {atZip250, 8, 6, 0, "DeflateS"}, {atZIP, 8, 9, 0, "DeflateN"}, {atZip250Exe, 12, 0, 0x10, "Dir"},
      {atZIP, 99, 0, 0, "Unknown"},  {atZOO, 2, 0, 0, "Greatest"},  {atZOO, 3, 0, 0, "Unknown"},
      {atTAR, 0, 0, 0, "Stored"},    {atUUE, 0, 0, 0, ""},
  };
  for (const TCase& c : cases)
    EXPECT_EQ(CompressMethodNameOf(c.Kind, c.Id, c.Flags, c.Attr), c.Name) << ArcTypeName(c.Kind) << " " << c.Id;
}
