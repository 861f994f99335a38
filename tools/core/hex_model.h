// The hex editor's document, without a window: the private work file that is edited in
// place, the 64 KB read window on it, the cursor (byte, nibble, field), the selection,
// markers, changed bits, the undo journal, find, the display and entry translations, and
// loading and saving. The grid control (THexEditor) lays this out and paints it.
//
// The user's file is never edited directly. It is read in place, with bytes overwritten
// kept beside it, until the first change of size copies it to the work file: a large file
// opens at once and its bytes can be changed at once. Saving copies the work file back
// through a temporary file beside the target, so that a failed save leaves the old file
// whole.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

class TFileStream;
class TStream;
class TMemoryStream;

enum TTranslationType { ttAnsi, ttDos8, ttASCII, ttMac, ttEBCDIC };
enum TOffsetDisplayStyle { odHex, odDec, odOctal, odNone };

// Undo record kinds; their names are the undo description.
enum THexUndoKind : std::uint8_t {
  ukByteChange = 0,
  ukRemove = 1,
  ukInsertBuffer = 2,
  ukReplace = 3,
  ukAppendBuffer = 4,
  ukNibbleInsert = 5,
  ukNibbleDelete = 6,
  ukConvert = 7
};

// File byte to shown character, and typed character to file byte (0 = refused).
char HexDisplayChar(unsigned char B, TTranslationType T, bool MaskWhiteSpaces, char MaskChar);
unsigned char HexEntryByte(unsigned char C, TTranslationType T);
// A search text in the entry direction (ttDos8 and ttASCII through the OEM code page).
std::string HexTranslateBuffer(const std::string& S, TTranslationType T);

class THexModel {
public:
  static constexpr int BufferSize = 65536;
  static constexpr int MaxUndo = 100;
  static constexpr int UndoHeaderSize = 33;

  // WorkFileName: the private copy; deleted with the model.
  explicit THexModel(std::string WorkFileName);
  ~THexModel();
  THexModel(const THexModel&) = delete;
  THexModel& operator=(const THexModel&) = delete;

  // TempFolder + 8 upper-case hex digits of Tick + ".MPHT"; the next tick is tried while
  // a file of that name exists or the name was given out before in this process. The
  // name is taken at once by creating the (empty) file, so that two editors made in the
  // same tick never share one.
  static std::string NewWorkFileName(const std::string& TempFolder, std::uint32_t Tick);

  // Loading and saving. False when the file cannot be read or written; the previous
  // document then stays (load) or the target file is unchanged (save), and LastError
  // says why.
  bool LoadFromFile(const std::string& FileName);
  bool SaveToFile(const std::string& FileName);
  void CreateEmptyFile(const std::string& Name);
  bool HasDocument() const { return FWork != nullptr || !FSourceName.empty(); }
  // Lets go of the user's file while nothing of it was changed (the window that shows it
  // is closed); it is opened again when a byte is read.
  void ReleaseSource();
  const std::string& LastError() const { return FLastError; }
  // Offsets are 32-bit: larger files are refused.
  static constexpr std::int64_t MaxFileSize = 0x7FFFFFFF - BufferSize;

  int DataSize();
  unsigned char GetByte(int Offset);
  // Up to Count bytes from Offset (fewer at the end).
  std::string ReadBytes(int Offset, int Count);

  const std::string& FileName() const { return FFileName; }
  const std::string& WorkFileName() const { return FWorkFileName; }
  bool ReadOnlyFile() const { return FReadOnlyFile; }
  void SetReadOnlyFile(bool Value);
  bool Modified() const { return FModified; }
  void SetModified(bool Value);
  bool ByteChanged(int Offset) const;

  // Properties that the model's rules depend on.
  int BytesPerLine() const { return FBytesPerLine; }
  void SetBytesPerLine(int Value);  // 1..256, else "Invalid BytesPerLine argument"
  TTranslationType Translation = ttAnsi;
  bool SwapNibbles = false;
  bool MaskWhiteSpaces = true;
  char MaskChar = '.';
  bool CreateBackup = true;
  std::string BackupExtension = ".bak";
  bool NoSizeChange() const { return FNoSizeChange; }
  void SetNoSizeChange(bool Value);
  bool AllowInsertMode() const { return FAllowInsertMode && !FNoSizeChange; }
  void SetAllowInsertMode(bool Value) { FAllowInsertMode = Value; }
  // Insert mode as toggled, and whether it is in effect.
  bool InsertMode() const { return FInsertMode; }
  bool EffectiveInsertMode() const { return FInsertMode && AllowInsertMode(); }
  void ToggleInsertMode();

  // Cursor: the byte (DataSize is the append position), the nibble cell within it (0 =
  // the first cell, the high nibble unless SwapNibbles) and the field.
  int CursorOffset() const { return FCursor; }
  int CursorNibble() const { return FNibble; }
  bool InCharField() const { return FInCharField; }
  int GetCursorPos();  // clamped to 0..DataSize-1
  // Moves the cursor; Extend grows the selection from where the cursor stood, otherwise
  // the selection is cleared. The target is clamped to the data (and the append position
  // while the size may change).
  void MoveTo(int Offset, int Nibble, bool Extend);
  void SetInCharField(bool Value);
  void ToggleField() { SetInCharField(!FInCharField); }
  void MoveLeft(bool Extend);
  void MoveRight(bool Extend);
  bool Seek(int Offset, int Origin, bool FailIfOutside);

  // Selection (-1 when none).
  bool HasSelection() const { return FSelStart >= 0; }
  int SelectionStart() const { return FSelStart; }
  int SelectionEnd() const { return FSelEnd; }
  int SelectionAnchor() const { return FSelAnchor; }
  bool IsSelected(int Offset) const { return FSelStart >= 0 && Offset >= FSelStart && Offset <= FSelEnd; }
  void ClearSelection();
  int GetSelStart();  // the anchor, or the cursor's byte
  int GetSelEnd();    // the end away from the anchor, or the cursor's byte
  void SetSelStart(int Offset);  // "Invalid SelStart" outside the data
  void SetSelEnd(int Offset);    // "Invalid SelEnd" outside the data
  void Select(int From, int To);

  // Markers 0..9 hold rows, -1 = unset.
  void SetMarker(int Index, int Row);
  int Marker(int Index) const;
  bool GotoMarker(int Index);
  int RowOf(int Offset) const { return Offset / FBytesPerLine; }

  // Editing. Each returns false when the change is not allowed.
  bool TypeChar(char C);     // character field
  bool TypeNibble(char C);   // hex field: '0'..'9', 'a'..'f', 'A'..'F'
  bool Backspace();
  bool DeleteKey(bool Ctrl);
  bool DeleteSelection();
  bool DeleteBytes(int Offset, int Count);
  bool InsertBuffer(int Offset, const std::string& Data);
  bool AppendBuffer(const std::string& Data);
  bool ReplaceSelection(const std::string& Data);

  // The first offset where Data occurs within FromOffset..ToOffset, or -1.
  int Find(const std::string& Data, int FromOffset, int ToOffset, bool Translate, bool IgnoreCase);

  // Undo journal: written and trimmed to the last MaxUndo records. Undo takes the last
  // record back: the bytes, the cursor, the selection and Modified as they were before it.
  bool Undo();
  bool UndoPossible() const { return FUndoPossible; }
  const std::string& UndoDescription() const { return FUndoDescription; }
  int UndoCount() const { return FUndoCount; }
  std::string UndoJournal() const;
  static const char* UndoKindName(int Kind);

  // Offset column text of a row start; Width is OffsetWidth().
  int OffsetWidth(TOffsetDisplayStyle Style);
  static std::string OffsetText(int Offset, TOffsetDisplayStyle Style, int Width, char Separator, bool Empty);

  // Insert mode, selection, modified and read-only changes.
  std::function<void()> OnStateChanged;

private:
  bool MayChange(THexUndoKind Kind, int Count = 0, int Count2 = 0);
  void RecordUndo(THexUndoKind Kind, int Pos, int Count, int Count2, const std::string& Data);
  void ResetUndo();
  void StateChanged();
  void SetChanged(int Offset);
  void CutChanged(int Offset);
  void EnsureWork();
  static bool ChangesSize(int Kind, int Count, int Count2);
  void ApplyPatches(int Offset, unsigned char* Buffer, int Count) const;
  void CloseWork();
  TStream* Data();
  bool OpenSource(std::string& Error);
  void InvalidateBuffer();
  void WriteAt(int Offset, const std::string& Data);
  void MoveBlock(int From, int To, int Count);
  void RawDelete(int Offset, int Count);
  void RawInsert(int Offset, const std::string& Data);
  void SetByteAt(int Offset, unsigned char B, THexUndoKind Kind);
  bool InsertByteAt(int Offset, unsigned char B, THexUndoKind Kind);
  int MaxCursor();

  std::string FWorkFileName;
  std::unique_ptr<TFileStream> FWork;
  // The user's file, read in place until the first change of size, and the bytes
  // overwritten meanwhile.
  std::unique_ptr<TFileStream> FSource;
  std::string FSourceName;
  std::map<int, unsigned char> FPatches;
  std::string FLastError;
  std::unique_ptr<TMemoryStream> FJournal;
  std::vector<unsigned char> FBuffer;
  int FBufferStart = -1;
  int FBufferLen = 0;
  int FCachedSize = -1;
  std::string FFileName = "---";
  std::set<int> FChanged;
  int FMarkers[10];
  int FSelStart = -1, FSelAnchor = -1, FSelEnd = -1;
  int FCursor = 0;
  int FNibble = 0;
  bool FInCharField = false;
  bool FReadOnlyFile = false;
  bool FModified = false;
  bool FUndoPossible = false;
  std::string FUndoDescription = "No Undo";
  int FUndoCount = 0;
  int FBytesPerLine = 16;
  bool FNoSizeChange = false;
  bool FAllowInsertMode = false;
  bool FInsertMode = false;
};
