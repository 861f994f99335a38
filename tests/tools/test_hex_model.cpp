// The hex editor's document: loading and saving through the work file, editing in
// overwrite and insert mode, selection, find, translations and the undo journal.
#include <gtest/gtest.h>

#include <string>

#include "classlib/core/exception.h"
#include "classlib/core/stream.h"
#include "classlib/core/sys_utils.h"
#include "tests/classlib/temp_folder.h"
#include "tests/tools/file_bytes.h"
#include "tools/core/hex_model.h"

namespace {

struct HexModelTest : ::testing::Test {
  TTempFolder Dir;
  std::unique_ptr<THexModel> M = std::make_unique<THexModel>(THexModel::NewWorkFileName(Dir.Path(), 0x1234ABCD));

  std::string All() { return M->ReadBytes(0, M->DataSize()); }
  void Load(const std::string& Data) {
    M->CreateEmptyFile("-");  // the file shown is held while it is shown (on Windows)
    SaveBytes(Dir / "doc.bin", Data);
    ASSERT_TRUE(M->LoadFromFile(Dir / "doc.bin"));
  }
};

TEST_F(HexModelTest, WorkFileNameIsTickInHexAndSkipsExistingNames) {
  EXPECT_EQ(THexModel::NewWorkFileName(Dir.Path(), 0xAB), Dir / "000000AB.MPHT");
  SaveBytes(Dir / "000000AB.MPHT", "x");
  EXPECT_EQ(THexModel::NewWorkFileName(Dir.Path() + "\\", 0xAB), Dir / "000000AC.MPHT");
  // Two editors made in one tick get two names, each taken at once.
  std::string A = THexModel::NewWorkFileName(Dir.Path(), 0x500);
  std::string B = THexModel::NewWorkFileName(Dir.Path(), 0x500);
  EXPECT_NE(A, B);
  EXPECT_TRUE(FileExists(A));
  EXPECT_TRUE(FileExists(B));
}

TEST_F(HexModelTest, LoadCopiesToWorkFileAndLeavesTheUserFileAlone) {
  Load("hello");
  EXPECT_EQ(M->FileName(), Dir / "doc.bin");
  EXPECT_EQ(M->DataSize(), 5);
  EXPECT_FALSE(M->Modified());
  EXPECT_FALSE(M->ReadOnlyFile());
  EXPECT_TRUE(FileExists(M->WorkFileName()));
  M->SetInCharField(true);
  ASSERT_TRUE(M->TypeChar('J'));
  EXPECT_EQ(All(), "Jello");
  EXPECT_EQ(LoadBytes(Dir / "doc.bin"), "hello");
  // Overwriting copies nothing yet (a large file stays quick to edit); a change of size
  // makes the work copy, with the bytes overwritten before it.
  EXPECT_EQ(LoadBytes(M->WorkFileName()), "");
  ASSERT_TRUE(M->AppendBuffer("!"));
  EXPECT_EQ(LoadBytes(M->WorkFileName()), "Jello!");
  EXPECT_EQ(LoadBytes(Dir / "doc.bin"), "hello");
  std::string Work = M->WorkFileName();
  M.reset();
  EXPECT_FALSE(FileExists(Work));
}

TEST_F(HexModelTest, ReleasedSourceIsReadAgainWhenNeeded) {
  Load("abc");
  M->ReleaseSource();
  SaveBytes(Dir / "doc.bin", "xyz!");
  EXPECT_EQ(All(), "xyz!");
  // With bytes overwritten the file is kept: the changes rest on it.
  M->SetInCharField(true);
  ASSERT_TRUE(M->TypeChar('Q'));
  M->ReleaseSource();
  EXPECT_EQ(All(), "Qyz!");
  // Gone before the first change of size: the change fails, nothing else is lost.
  Load("abc");
  M->ReleaseSource();
  DeleteFile(Dir / "doc.bin");
  EXPECT_THROW(M->AppendBuffer("d"), Exception);
}

TEST_F(HexModelTest, UnreadableFileIsNotLoadedAndPreviousDocumentStays) {
  Load("abc");
  EXPECT_FALSE(M->LoadFromFile(Dir / "missing.bin"));
  EXPECT_EQ(M->FileName(), Dir / "doc.bin");
  EXPECT_EQ(All(), "abc");
}

TEST_F(HexModelTest, RoundTripsEmptyOneByteAndLargeFiles) {
  std::string Large(300000, '\0');
  for (std::size_t i = 0; i < Large.size(); ++i) Large[i] = static_cast<char>(i * 7 + i / 256);
  for (const std::string& Data : {std::string(), std::string(1, '\xFF'), Large}) {
    Load(Data);
    EXPECT_EQ(M->DataSize(), static_cast<int>(Data.size()));
    ASSERT_TRUE(M->SaveToFile(Dir / "out.bin"));
    EXPECT_EQ(LoadBytes(Dir / "out.bin"), Data);
    EXPECT_EQ(M->FileName(), Dir / "out.bin");
  }
  // Bytes across the read window's edges.
  Load(Large);
  for (int Off : {0, 32767, 32768, 65535, 65536, 98304, 299999})
    EXPECT_EQ(M->GetByte(Off), static_cast<unsigned char>(Large[Off])) << Off;
}

TEST_F(HexModelTest, SaveUnderOwnNameKeepsBackupOfOldContent) {
  Load("old");
  M->SetInCharField(true);
  ASSERT_TRUE(M->TypeChar('n'));
  ASSERT_TRUE(M->SaveToFile(Dir / "doc.bin"));
  EXPECT_EQ(LoadBytes(Dir / "doc.bin"), "nld");
  EXPECT_EQ(LoadBytes(Dir / "doc.bak"), "old");
  EXPECT_FALSE(M->Modified());
  EXPECT_FALSE(M->ByteChanged(0));
  EXPECT_EQ(M->UndoDescription(), "No Undo");
  EXPECT_FALSE(FileExists(Dir / "doc.bin.~zx"));
  EXPECT_FALSE(FileExists(Dir / "doc.bin.~zxold"));
}

TEST_F(HexModelTest, DocumentNamedLikeItsBackupIsNotCopiedOntoItself) {
  SaveBytes(Dir / "x.bak", "old");
  ASSERT_TRUE(M->LoadFromFile(Dir / "x.bak"));
  M->SetInCharField(true);
  ASSERT_TRUE(M->TypeChar('n'));
  ASSERT_TRUE(M->SaveToFile(Dir / "x.bak"));
  EXPECT_EQ(LoadBytes(Dir / "x.bak"), "nld");
}

TEST_F(HexModelTest, UnchangedDocumentSavedOntoItselfStaysWhole) {
  Load("same bytes");
  ASSERT_TRUE(M->SaveToFile(Dir / "doc.bin"));
  EXPECT_EQ(LoadBytes(Dir / "doc.bin"), "same bytes");
  EXPECT_FALSE(FileExists(Dir / "doc.bak"));
  // Saved elsewhere before any change: copied from the file itself.
  ASSERT_TRUE(M->SaveToFile(Dir / "copy.bin"));
  EXPECT_EQ(LoadBytes(Dir / "copy.bin"), "same bytes");
  EXPECT_EQ(M->FileName(), Dir / "copy.bin");
}

TEST_F(HexModelTest, FileOf2GBIsRefusedAndPreviousDocumentStays) {
  Load("abc");
  {
    TFileStream Big(Dir / "big.bin", fmCreate);
    Big.SetSize(std::int64_t(0x80000000));  // sparse: nothing is written
  }
  EXPECT_FALSE(M->LoadFromFile(Dir / "big.bin"));
  EXPECT_NE(M->LastError().find("2 GB"), std::string::npos) << M->LastError();
  EXPECT_EQ(M->FileName(), Dir / "doc.bin");
  EXPECT_EQ(All(), "abc");
  EXPECT_FALSE(M->LoadFromFile(Dir / "missing.bin"));
  EXPECT_NE(M->LastError().find("missing.bin"), std::string::npos) << M->LastError();
}

TEST_F(HexModelTest, FailedSaveLeavesTargetAndStateAlone) {
  Load("data");
  M->SetInCharField(true);
  M->TypeChar('D');
  EXPECT_FALSE(M->SaveToFile(Dir / "no-such-folder\\x.bin"));
  EXPECT_TRUE(M->Modified());
  EXPECT_TRUE(M->ByteChanged(0));
  // A read-only target is refused, not replaced.
  SaveBytes(Dir / "ro.bin", "keep");
  FileSetAttr(Dir / "ro.bin", faReadOnly);
  EXPECT_FALSE(M->SaveToFile(Dir / "ro.bin"));
  FileSetAttr(Dir / "ro.bin", 0);
  EXPECT_EQ(LoadBytes(Dir / "ro.bin"), "keep");
  EXPECT_EQ(All(), "Data");
}

TEST_F(HexModelTest, EmptyDocumentTypingAppendsAndSaves) {
  M->CreateEmptyFile("Untitled");
  EXPECT_EQ(M->FileName(), "Untitled");
  EXPECT_EQ(M->DataSize(), 0);
  EXPECT_FALSE(M->DeleteSelection());
  EXPECT_FALSE(M->Seek(0, 0, false));
  ASSERT_TRUE(M->TypeNibble('4'));
  ASSERT_TRUE(M->TypeNibble('1'));
  M->SetInCharField(true);
  ASSERT_TRUE(M->TypeChar('B'));
  EXPECT_EQ(All(), "AB");
  EXPECT_EQ(M->CursorOffset(), 2);
  ASSERT_TRUE(M->SaveToFile(Dir / "new.bin"));
  EXPECT_EQ(LoadBytes(Dir / "new.bin"), "AB");
  // Saving an untouched empty document writes an empty file.
  M->CreateEmptyFile("Noname");
  ASSERT_TRUE(M->SaveToFile(Dir / "empty.bin"));
  EXPECT_EQ(LoadBytes(Dir / "empty.bin"), "");
}

struct TEditCase {
  const char* Name;
  std::string Start;
  bool Insert;
  bool CharField;
  int Cursor;
  std::string Keys;  // characters typed; '<' backspace, '#' delete, '^' ctrl+delete
  std::string Bytes;
  int Caret;
};

TEST_F(HexModelTest, EditTable) {
  const TEditCase Cases[] = {
      {"overwrite char", "abc", false, true, 1, "X", "aXc", 2},
      {"overwrite at last byte appends next", "abc", false, true, 2, "YZ", "abYZ", 4},
      {"insert char", "abc", true, true, 1, "XY", "aXYbc", 3},
      {"overwrite nibbles", std::string("\x00\x00", 2), false, false, 0, "A5", std::string("\xA5\x00", 2), 1},
      {"insert nibble adds byte", "\x11", true, false, 0, "7", std::string("\x70\x11", 2), 0},
      {"insert two nibbles", "\x11", true, false, 0, "7f", std::string("\x7F\x11", 2), 1},
      {"backspace insert", "abcd", true, true, 2, "<", "acd", 1},
      {"backspace at start", "abcd", true, true, 0, "<", "abcd", 0},
      {"backspace overwrite moves only", "abcd", false, true, 2, "<", "abcd", 1},
      {"delete insert", "abcd", true, true, 1, "#", "acd", 1},
      {"delete overwrite nothing", "abcd", false, true, 1, "#", "abcd", 1},
      {"ctrl delete overwrite", "abcd", false, true, 1, "^", "acd", 1},
      {"ctrl delete last byte", "abcd", false, true, 3, "^", "abc", 2},
      {"refused control char", "abc", false, true, 0, "\x01", "abc", 0},
      {"refused non hex", "abc", false, false, 0, "g", "abc", 0},
  };
  for (const TEditCase& C : Cases) {
    SCOPED_TRACE(C.Name);
    Load(C.Start);
    M->SetAllowInsertMode(true);
    if (M->InsertMode() != C.Insert) M->ToggleInsertMode();
    M->SetInCharField(C.CharField);
    M->MoveTo(C.Cursor, 0, false);
    for (char K : C.Keys) {
      if (K == '<') M->Backspace();
      else if (K == '#') M->DeleteKey(false);
      else if (K == '^') M->DeleteKey(true);
      else if (C.CharField) M->TypeChar(K);
      else M->TypeNibble(K);
    }
    EXPECT_EQ(All(), C.Bytes);
    EXPECT_EQ(M->CursorOffset(), C.Caret);
    // Undo takes every change back, to the cursor and the unmodified state.
    while (M->Undo()) {
    }
    EXPECT_EQ(All(), C.Start);
    if (C.Bytes != C.Start) EXPECT_EQ(M->CursorOffset(), C.Cursor);
    EXPECT_FALSE(M->Modified());
    EXPECT_EQ(M->UndoDescription(), "No Undo");
  }
}

TEST_F(HexModelTest, UndoOfBufferOperationsRestoresBytesSelectionAndChangedBits) {
  Load("0123456789");
  M->Select(2, 5);
  ASSERT_TRUE(M->ReplaceSelection("ab"));  // shorter
  ASSERT_TRUE(M->InsertBuffer(0, "XYZ"));
  ASSERT_TRUE(M->AppendBuffer("!"));
  M->Select(1, 3);
  ASSERT_TRUE(M->DeleteSelection());
  M->SetInCharField(true);
  M->MoveTo(4, 0, false);
  ASSERT_TRUE(M->TypeChar('q'));
  EXPECT_TRUE(M->ByteChanged(4));
  ASSERT_TRUE(M->Undo());  // the typed byte
  EXPECT_FALSE(M->ByteChanged(4));
  EXPECT_EQ(All(), "X1ab6789!");
  ASSERT_TRUE(M->Undo());  // the deletion comes back, selected as it was
  EXPECT_EQ(All(), "XYZ01ab6789!");
  EXPECT_EQ(M->SelectionStart(), 1);
  EXPECT_EQ(M->SelectionEnd(), 3);
  EXPECT_EQ(M->UndoDescription(), "Append buffer");
  ASSERT_TRUE(M->Undo());
  EXPECT_EQ(All(), "XYZ01ab6789");
  ASSERT_TRUE(M->Undo());
  EXPECT_EQ(All(), "01ab6789");
  ASSERT_TRUE(M->Undo());  // the longer run that was replaced
  EXPECT_EQ(All(), "0123456789");
  EXPECT_FALSE(M->Modified());
  EXPECT_FALSE(M->Undo());
  // Saving ends the journal.
  ASSERT_TRUE(M->TypeChar('x'));
  ASSERT_TRUE(M->SaveToFile(Dir / "doc.bin"));
  EXPECT_FALSE(M->Undo());
}

TEST_F(HexModelTest, SwapNibblesPutsFirstCellOnLowNibble) {
  Load(std::string(1, '\0'));
  M->SwapNibbles = true;
  M->TypeNibble('1');
  M->TypeNibble('2');
  EXPECT_EQ(M->GetByte(0), 0x21);
}

TEST_F(HexModelTest, ChangedBitsAndModified) {
  Load("abcd");
  M->SetInCharField(true);
  M->MoveTo(2, 0, false);
  M->TypeChar('x');
  EXPECT_TRUE(M->ByteChanged(2));
  EXPECT_FALSE(M->ByteChanged(1));
  EXPECT_TRUE(M->Modified());
  M->SetModified(false);
  EXPECT_FALSE(M->ByteChanged(2));
  EXPECT_FALSE(M->UndoPossible());
}

TEST_F(HexModelTest, NoSizeChangeForbidsSizeChanges) {
  Load("abcd");
  M->SetAllowInsertMode(true);
  M->SetNoSizeChange(true);
  M->ToggleInsertMode();
  EXPECT_FALSE(M->EffectiveInsertMode());
  EXPECT_FALSE(M->DeleteSelection());
  EXPECT_FALSE(M->InsertBuffer(0, "x"));
  EXPECT_FALSE(M->AppendBuffer("x"));
  M->SetInCharField(true);
  M->MoveTo(3, 0, false);
  M->TypeChar('Z');
  M->TypeChar('Y');  // the cursor cannot pass the last byte
  EXPECT_EQ(All(), "abcY");
  // A longer replacement is cut to the selection.
  M->Select(0, 1);
  ASSERT_TRUE(M->ReplaceSelection("12345"));
  EXPECT_EQ(All(), "12cY");
  // A shorter one shrinks the selection first.
  M->Select(0, 2);
  ASSERT_TRUE(M->ReplaceSelection("Q"));
  EXPECT_EQ(All(), "Q2cY");
}

TEST_F(HexModelTest, BufferOperations) {
  Load("abcdef");
  M->MoveTo(2, 0, false);
  ASSERT_TRUE(M->InsertBuffer(2, "XY"));
  EXPECT_EQ(All(), "abXYcdef");
  EXPECT_EQ(M->SelectionStart(), 2);
  EXPECT_EQ(M->SelectionEnd(), 3);
  ASSERT_TRUE(M->AppendBuffer("!!"));
  EXPECT_EQ(All(), "abXYcdef!!");
  EXPECT_EQ(M->CursorOffset(), 8);
  EXPECT_EQ(M->SelectionStart(), 8);
  EXPECT_EQ(M->SelectionEnd(), 9);
  M->Select(2, 3);
  ASSERT_TRUE(M->ReplaceSelection("123"));
  EXPECT_EQ(All(), "ab123cdef!!");
  M->Select(0, 10);
  ASSERT_TRUE(M->DeleteSelection());
  EXPECT_EQ(M->DataSize(), 0);
  EXPECT_EQ(M->CursorOffset(), 0);
  EXPECT_FALSE(M->InsertBuffer(5, "x"));
  EXPECT_FALSE(M->DeleteBytes(0, 1));
}

TEST_F(HexModelTest, LargeInsertAndDeleteMoveDataInBlocks) {
  std::string Large(200000, '\0');
  for (std::size_t i = 0; i < Large.size(); ++i) Large[i] = static_cast<char>(i % 251);
  Load(Large);
  ASSERT_TRUE(M->InsertBuffer(10, std::string(70000, 'Z')));
  std::string Expect = Large;
  Expect.insert(10, std::string(70000, 'Z'));
  EXPECT_EQ(All(), Expect);
  ASSERT_TRUE(M->DeleteBytes(5, 100000));
  Expect.erase(5, 100000);
  EXPECT_EQ(All(), Expect);
  EXPECT_EQ(M->GetByte(M->DataSize() - 1), static_cast<unsigned char>(Expect.back()));
}

TEST_F(HexModelTest, SelectionSettersAndShiftSelection) {
  Load("0123456789");
  M->SetSelStart(7);
  EXPECT_FALSE(M->HasSelection());
  M->SetSelEnd(3);
  EXPECT_EQ(M->SelectionStart(), 3);
  EXPECT_EQ(M->SelectionEnd(), 7);
  EXPECT_EQ(M->GetSelStart(), 7);
  EXPECT_EQ(M->GetSelEnd(), 3);
  EXPECT_EQ(M->CursorOffset(), 3);
  EXPECT_THROW(M->SetSelStart(10), Exception);
  EXPECT_THROW(M->SetSelEnd(-1), Exception);
  M->MoveTo(5, 0, false);
  EXPECT_FALSE(M->HasSelection());
  M->SetInCharField(true);
  M->MoveRight(true);
  M->MoveRight(true);
  EXPECT_EQ(M->SelectionStart(), 5);
  EXPECT_EQ(M->SelectionEnd(), 7);
  M->MoveLeft(false);
  EXPECT_FALSE(M->HasSelection());
}

TEST_F(HexModelTest, SeekOriginsAndClamping) {
  Load("0123456789");
  EXPECT_TRUE(M->Seek(4, 0, true));
  EXPECT_EQ(M->CursorOffset(), 4);
  EXPECT_TRUE(M->Seek(2, 1, true));
  EXPECT_EQ(M->CursorOffset(), 6);
  EXPECT_TRUE(M->Seek(0, 2, true));
  EXPECT_EQ(M->CursorOffset(), 9);
  EXPECT_FALSE(M->Seek(10, 0, true));
  EXPECT_EQ(M->CursorOffset(), 9);
  EXPECT_TRUE(M->Seek(-5, 0, false));
  EXPECT_EQ(M->CursorOffset(), 0);
  EXPECT_TRUE(M->Seek(100, 0, false));
  EXPECT_EQ(M->CursorOffset(), 9);
}

TEST_F(HexModelTest, MarkersAndBytesPerLine) {
  Load(std::string(40, 'a'));
  M->MoveTo(3, 0, false);
  M->SetMarker(2, M->RowOf(35));
  ASSERT_TRUE(M->GotoMarker(2));
  EXPECT_EQ(M->CursorOffset(), 35);
  EXPECT_FALSE(M->GotoMarker(5));
  EXPECT_THROW(M->SetMarker(10, 0), Exception);
  EXPECT_THROW(M->SetBytesPerLine(0), Exception);
  EXPECT_THROW(M->SetBytesPerLine(257), Exception);
  M->SetBytesPerLine(256);
  EXPECT_EQ(M->BytesPerLine(), 256);
  EXPECT_EQ(M->CursorOffset(), 35);
}

TEST_F(HexModelTest, FindCases) {
  Load("Hello, hello WORLD");
  EXPECT_EQ(M->Find("hello", 0, 1000, false, false), 7);
  EXPECT_EQ(M->Find("hello", 0, 1000, false, true), 0);
  EXPECT_EQ(M->Find("world", 0, 17, false, true), 13);
  EXPECT_EQ(M->Find("WORLD", 0, 16, false, false), -1);  // the range ends inside it
  EXPECT_EQ(M->Find("H", 0, 0, false, false), 0);
  EXPECT_EQ(M->Find("D", 17, 17, false, false), 17);
  EXPECT_EQ(M->Find("xyz", 0, 17, false, false), -1);
  EXPECT_EQ(M->Find("", 0, 17, false, false), -1);
  EXPECT_EQ(M->Find("Hello, hello WORLD!", 0, 17, false, false), -1);
  EXPECT_EQ(M->Find("lo", 4, 17, false, false), 10);
  // Restart after a partial match finds overlapping occurrences.
  Load("aaab");
  EXPECT_EQ(M->Find("aab", 0, 3, false, false), 1);
  EXPECT_EQ(M->Find(std::string("\x61\x61", 2), 1, 3, false, false), 1);
  // Cyrillic case folding by the 1251 table.
  Load("\xC0\xC1\xC2");
  EXPECT_EQ(M->Find("\xE1\xE2", 0, 2, false, true), 1);
  // Translated search text: EBCDIC "A" is 0xC1.
  Load("\x40\xC1\xC2");
  M->Translation = ttEBCDIC;
  EXPECT_EQ(M->Find("AB", 0, 2, true, false), 1);
  EXPECT_EQ(M->Find("AB", 0, 2, false, false), -1);
  M->CreateEmptyFile("x");
  EXPECT_EQ(M->Find("a", 0, 0, false, false), -1);
}

TEST_F(HexModelTest, FindAcrossReadWindow) {
  std::string Data(150000, 'x');
  Data.replace(65534, 4, "NEED");
  Data.replace(149996, 4, "TAIL");
  Load(Data);
  EXPECT_EQ(M->Find("NEED", 0, 149999, false, false), 65534);
  EXPECT_EQ(M->Find("TAIL", 0, 149999, false, false), 149996);
}

TEST_F(HexModelTest, DisplayAndEntryTranslations) {
  EXPECT_EQ(HexDisplayChar(0xC0, ttASCII, true, '.'), '.');
  EXPECT_EQ(HexDisplayChar(0xC1, ttEBCDIC, true, '.'), 'A');
  EXPECT_EQ(HexDisplayChar(0x00, ttEBCDIC, false, '.'), '.');
  EXPECT_EQ(HexDisplayChar(0x4F, ttEBCDIC, true, '.'), '\xFE');
  EXPECT_EQ(HexDisplayChar(0x05, ttAnsi, true, '*'), '*');
  EXPECT_EQ(HexDisplayChar(0x05, ttAnsi, false, '*'), '\x05');
  EXPECT_EQ(HexDisplayChar(0x80, ttMac, true, '.'), '\xC4');
  EXPECT_EQ(HexDisplayChar(0x80, ttDos8, true, '.'), '\xC0');  // 866 "А"
  EXPECT_EQ(HexEntryByte('&', ttEBCDIC), 0x50);
  EXPECT_EQ(HexEntryByte(0xFE, ttEBCDIC), 0x4F);
  EXPECT_EQ(HexEntryByte('^', ttEBCDIC), 0);
  EXPECT_EQ(HexEntryByte(0xC0, ttASCII), 0);
  EXPECT_EQ(HexEntryByte(0xC0, ttDos8), 0x80);
  EXPECT_EQ(HexEntryByte(0x1F, ttAnsi), 0);
  // The Mac table is a permutation: every byte goes there and back.
  for (int b = 128; b < 256; ++b)
    EXPECT_EQ(HexEntryByte(static_cast<unsigned char>(HexDisplayChar(b, ttMac, true, '.')), ttMac), b);
}

TEST_F(HexModelTest, UndoJournalRecordsAndTrims) {
  Load("abc");
  M->SetInCharField(true);
  M->MoveTo(1, 0, false);
  M->TypeChar('Z');
  EXPECT_EQ(M->UndoDescription(), "Byte changed");
  std::string J = M->UndoJournal();
  ASSERT_EQ(J.size(), 38u);
  EXPECT_EQ(J[0], 0);   // kind
  EXPECT_EQ(J[2], 0);   // not modified before
  EXPECT_EQ(J[3], 1);   // cursor
  EXPECT_EQ(J[8], 1);   // character field
  EXPECT_EQ(J[21], 1);  // position
  EXPECT_EQ(J[33], 'b');
  EXPECT_EQ(J[34], 38);
  M->Select(0, 1);
  M->DeleteSelection();
  EXPECT_EQ(M->UndoDescription(), "Byte(s) removed");
  EXPECT_EQ(M->UndoJournal().size(), 38u + 33 + 2 + 4);
  for (int i = 0; i < 98; ++i) M->AppendBuffer("x");
  EXPECT_EQ(M->UndoCount(), 100);
  EXPECT_EQ(M->UndoJournal()[0], 0);
  M->AppendBuffer("y");  // the 101st change drops the oldest record
  EXPECT_EQ(M->UndoCount(), 100);
  EXPECT_EQ(M->UndoJournal()[0], 1);
  EXPECT_EQ(M->UndoJournal().size(), 39u + 99 * 38);
  EXPECT_EQ(M->UndoDescription(), "Append buffer");
}

TEST_F(HexModelTest, OffsetTexts) {
  Load(std::string(17, 'a'));
  EXPECT_EQ(M->OffsetWidth(odHex), 5);  // last row starts at 0x10
  EXPECT_EQ(THexModel::OffsetText(16, odHex, 5, ':', false), "0x10:");
  EXPECT_EQ(THexModel::OffsetText(0, odHex, 5, ':', false), "0x00:");
  EXPECT_EQ(THexModel::OffsetText(8, odOctal, 5, ':', false), "o 10:");
  EXPECT_EQ(THexModel::OffsetText(16, odDec, 3, ':', false), "16:");
  EXPECT_EQ(THexModel::OffsetText(0, odDec, 3, ':', false), " 0:");
  EXPECT_EQ(THexModel::OffsetText(0, odHex, 4, ':', true), "0x0");
  EXPECT_EQ(THexModel::OffsetText(0, odDec, 2, ':', true), ":");
}

TEST_F(HexModelTest, StateChangesAreReported) {
  int Calls = 0;
  M->OnStateChanged = [&] { ++Calls; };
  Load("ab");
  int After = Calls;
  M->ToggleInsertMode();
  EXPECT_GT(Calls, After);
  After = Calls;
  M->SetReadOnlyFile(true);
  EXPECT_GT(Calls, After);
  After = Calls;
  M->SetReadOnlyFile(false);
  EXPECT_EQ(Calls, After);
  EXPECT_TRUE(M->ReadOnlyFile());
}

}  // namespace
