// The source editor's model: the line store with its ranges and undo history, the caret,
// the selection block, bookmarks, key bindings and the command processor. The editor
// control hosts one and paints it; everything here works without a window, which reaches
// the model only through TmwEditHost, and the clipboard through TmwClipboard.
//
// Positions are 1-based (column, line) in every operation here.
#pragma once

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "classlib/core/object.h"
#include "classlib/core/typinfo.h"
#include "editor/core/custom_highlighter.h"
#include "editor/core/edit_list.h"
#include "editor/core/key_strokes.h"
#include "editor/core/undo_list.h"

class TmwEditModel;

// The window that shows the model.
class TmwEditHost {
public:
  virtual ~TmwEditHost() = default;
  virtual bool HandleAllocated() const = 0;
  virtual void Invalidate() = 0;
  virtual void UpdateScrollBars() = 0;
  // The caret moved or changed shape: place it again.
  virtual void UpdateCaret() = 0;
};

// Plain text on the platform's clipboard.
class TmwClipboard {
public:
  virtual ~TmwClipboard() = default;
  virtual bool HasText() = 0;
  virtual std::string GetText() = 0;
  virtual void SetText(const std::string& Value) = 0;
};

// A mark in the gutter; bookmarks are marks with a number 0-9.
class TMark {
public:
  explicit TMark(TmwEditModel* AOwner) : FEdit(AOwner) {}
  virtual ~TMark() = default;

  int Line() const { return FLine; }
  virtual void SetLine(int Value);
  int Column() const { return FColumn; }
  virtual void SetColumn(int Value) { FColumn = Value; }
  int ImageIndex() const { return FImage; }
  virtual void SetImageIndex(int Value);
  bool Visible() const { return FVisible; }
  void SetVisible(bool Value);
  bool InternalImage() const { return FInternalImage; }
  void SetInternalImage(bool Value);
  int BookmarkNumber() const { return FBookmarkNumber; }
  void SetBookmarkNumber(int Value) { FBookmarkNumber = Value; }
  bool IsBookmark() const { return FBookmarkNumber >= 0; }
  // The owning editor; nullptr once the editor's mark list no longer holds the mark.
  virtual TmwEditModel* GetEdit();

private:
  friend class TmwEditModel;
  void Changed();
  int FLine = 1;
  int FColumn = 1;
  int FImage = 0;
  TmwEditModel* FEdit;
  bool FVisible = true;
  bool FInternalImage = true;
  int FBookmarkNumber = -1;
};

// The marks of an editor; owns them.
class TMarkList : public TObject {
public:
  int Count() const { return static_cast<int>(FItems.size()); }
  TMark* Items(int Index) const { return FItems.at(Index).get(); }
  bool Contains(const TMark* Mark) const;
  void Add(std::unique_ptr<TMark> Mark);
  // Removes the mark from the list and frees it.
  void Remove(TMark* Mark);
  void Clear();
  TNotifyEvent OnChange;

private:
  std::vector<std::unique_ptr<TMark>> FItems;
};

// Published by the editor control as its BookMarkOptions.
class TmwBookMarkOpt : public TPersistent {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }

  explicit TmwBookMarkOpt(TmwEditModel* AOwner) : FOwner(AOwner) {}
  bool EnableKeys = true;
  bool GlyphsVisible() const { return FGlyphsVisible; }
  void SetGlyphsVisible(bool Value);
  int LeftMargin() const { return FLeftMargin; }
  void SetLeftMargin(int Value);
  int Xoffset() const { return FXoffset; }
  void SetXoffset(int Value);

private:
  TmwEditModel* FOwner;
  bool FGlyphsVisible = true;
  int FLeftMargin = 2;
  int FXoffset = 12;
};

using TProcessCommandEvent =
    std::function<void(TObject* Sender, TmwEditorCommand& Command, char& AChar, void* Data)>;
using TPlaceMarkEvent = std::function<void(TObject* Sender, TMark*& Mark)>;

class TmwEditModel : public TPersistent, private TmwHighlighterClient {
public:
  TmwEditModel();
  ~TmwEditModel() override;

  // --- window and clipboard (neither owned)
  void SetHost(TmwEditHost* Host) { FHost = Host; }
  TmwEditHost* Host() const { return FHost; }
  void SetClipboard(TmwClipboard* Clipboard) { FClipboard = Clipboard; }

  // --- text
  TmwEditList* Lines() const { return FLines.get(); }
  int LineCount() const { return FLines->Count(); }
  // The lines joined by CR LF; the last one ends with a break only when the text
  // that was set did.
  std::string GetLinesText() const;
  // Replaces the whole text; the undo history, the selection and the bookmarks go with it.
  void SetLinesText(const std::string& Value);
  // Assigns other strings as the whole text, like SetLinesText; works before the control
  // has a window.
  void SetLines(const TStrings* Value);
  // Empties the text to one empty line with the caret at (1, 1).
  void ClearAll();
  // The caret line's text; setting it replaces that line (not recorded for undo).
  std::string LineText() const;
  void SetLineText(const std::string& Value);
  // Leading characters of code 32 or below.
  static int LeftSpaces(const std::string& Text);

  // --- caret
  int GetCaretX() const { return FCaretX; }
  int GetCaretY() const { return FCaretY; }
  void SetCaretX(int Value);
  void SetCaretY(int Value);
  TmwPoint GetCaretXY() const { return {FCaretX, FCaretY}; }
  // Line first, then column.
  void SetCaretXY(TmwPoint Value);
  // Moves the caret to a 1-based offset in the whole text, each line break counting 2.
  void CaretToCharOffset(int Offset);

  // --- selection
  // The ordered block: the earlier point is the begin.
  TmwPoint GetBlockBegin() const;
  TmwPoint GetBlockEnd() const;
  // Collapses the block at the (clamped) point.
  void SetBlockBegin(TmwPoint Value);
  // Moves only the end point (clamped).
  void SetBlockEnd(TmwPoint Value);
  bool SelAvail() const { return !(FBlockBegin == FBlockEnd); }
  std::string GetSelText() const;
  // Replaces the selection, or inserts at the caret; one undo step.
  void SetSelText(const std::string& Value);
  void SelectAll();
  // Selects the word at P (a double click): the run of word characters there, else the
  // nearest one to the left, else to the right; the caret goes to its end. Nothing happens
  // on an empty line or one without word characters.
  void SelectWordAt(TmwPoint P);
  // Drops the selected text at D, a position in the text as it stands: a move (one undo
  // step of a deletion and an insertion) or, with Copy, a copy (an insertion only). A drop
  // inside the selection, or without one, does nothing.
  void DropSelection(TmwPoint D, bool Copy);

  // --- clipboard
  void CopyToClipboard();
  void CutToClipboard();
  void PasteFromClipboard();

  // --- undo
  void Undo();
  void Redo();
  bool CanUndo() const { return FUndoList.Count() > 0; }
  bool CanRedo() const { return FRedoList.Count() > 0; }
  int MaxUndo() const { return FUndoList.MaxUndo(); }
  void SetMaxUndo(int Value);
  const TUndoList& UndoList() const { return FUndoList; }
  const TUndoList& RedoList() const { return FRedoList; }

  // --- highlighter (not owned; a destroyed highlighter detaches itself)
  TmwCustomHighLighter* HighLighter() const { return FHighLighter; }
  void SetHighLighter(TmwCustomHighLighter* Value);

  // --- key bindings
  TmwKeyStrokes* Keystrokes() const { return FKeystrokes.get(); }
  // Copies the given bindings; nullptr clears them.
  void SetKeystrokes(const TmwKeyStrokes* Value);
  virtual void SetDefaultKeystrokes();
  // Key down: true when a binding consumed the key (Key is then 0) and ran its command.
  bool KeyDown(std::uint16_t& Key, TShiftState Shift);
  // A typed character.
  void KeyPress(char Key);

  // --- commands
  virtual void CommandProcessor(TmwEditorCommand Command, char AChar, void* Data);
  virtual TmwPoint NextWordPos();
  virtual TmwPoint PrevWordPos();

  // --- bookmarks
  void SetBookmark(int Number, int X, int Y);
  void ClearBookmark(int Number);
  void GotoBookmark(int Number);
  // The bookmark's mark, or nullptr.
  TMark* Bookmark(int Number) const;
  TMarkList& Marks() { return FMarks; }
  TmwBookMarkOpt& BookMarkOptions() { return FBookMarkOptions; }
  // True when the editor draws its own bookmark glyphs (no image list assigned).
  bool HasBookmarkImages() const { return FHasBookmarkImages; }
  void SetHasBookmarkImages(bool Value) { FHasBookmarkImages = Value; }

  // --- modes and state
  bool Modified() const { return FModified; }
  void SetModified(bool Value) { FModified = Value; }
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool Value) { FReadOnly = Value; }
  bool InsertMode() const { return FInsertMode; }
  void SetInsertMode(bool Value);
  bool ScrollPastEOL() const { return FScrollPastEOL; }
  void SetScrollPastEOL(bool Value);

  // --- scrolling (the view sets the window's size in whole lines and columns)
  int TopLine() const { return FTopLine; }
  void SetTopLine(int Value);
  int LeftChar() const { return FLeftChar; }
  void SetLeftChar(int Value);
  int LinesInWindow() const { return FLinesInWindow; }
  int CharsInWindow() const { return FCharsInWindow; }
  void SetWindowSize(int CharsInWindow, int LinesInWindow);
  int MaxLeftChar() const { return FMaxLeftChar; }
  void EnsureCursorPosVisible();

  // --- paint lock: no repaint and no scroll-bar update while held
  void BeginUpdate();
  void EndUpdate();
  int PaintLock() const { return FPaintLock; }
  // Repaints now unless the paint lock is held.
  void Invalidate();

  TNotifyEvent OnChange;
  TPlaceMarkEvent OnPlaceBookmark;
  TProcessCommandEvent OnProcessCommand;
  TProcessCommandEvent OnProcessUserCommand;

protected:
  virtual void DoOnProcessCommand(TmwEditorCommand& Command, char& AChar, void* Data);

private:
  // The exact effect of a change to the text: Start..NewEnd now holds what replaced OldText.
  struct TTextChange {
    bool Changed = false;
    TmwPoint Start;
    TmwPoint NewEnd;
    std::string OldText;
  };
  class TInternalEdit;

  // Text helpers; lines are 1-based, a missing line reads as empty.
  const std::string& Line(int Y) const { return FLines->LineOrEmpty(Y - 1); }
  int LineLength(int Y) const { return static_cast<int>(Line(Y).size()); }
  int LastLine() const { return FLines->Count() > 0 ? FLines->Count() : 1; }
  TmwPoint ClampToText(TmwPoint P) const;
  bool IsWordChar(char C) const;
  std::string TextBetween(TmwPoint A, TmwPoint B) const;

  // Replaces lines First..First+OldCount-1 (1-based) with NewLines; the only way the model
  // changes the text.
  TTextChange ReplaceLines(int First, int OldCount, std::vector<std::string> NewLines);
  // Replaces the text between two positions with Value exactly (undo and redo).
  TTextChange ReplaceExact(TmwPoint A, TmwPoint B, const std::string& Value);
  // The editor's own replacement: the block is deleted (joined line trimmed), Value is
  // inserted at the caret (short lines padded), bookmarks follow and the caret ends after
  // the inserted text.
  TTextChange RawReplace(TmwPoint BlockBegin, TmwPoint BlockEnd, const std::string& Value);
  // Records a new edit: drops the redo history.
  void RecordChange(TChangeReason Reason, TmwPoint PosA, TmwPoint PosB, const TTextChange& Change);
  void UndoRedo(bool IsUndo);
  void ApplyRecord(const TUndoRecord& Record, bool IsUndo);
  void ClearUndoHistory();

  void MoveBookmarks(int FromLine, int Delta);
  void BookmarksForReplace(int BeginLine, int EndLine, int InsertedBreaks);
  void RemoveAllBookmarks();

  // Commands.
  void MoveCaret(TmwEditorCommand Command, void* Data);
  void DeleteLastChar();
  void DeleteChar();
  void DeleteWord();
  void DeleteLastWord();
  void DeleteBOL();
  void DeleteEOL();
  void DeleteLine();
  void LineBreak(bool MoveCaret);
  void TypeChar(char C);
  void SetMarkerCommand(int Number);
  void EnsureLine();

  // Ranges.
  void ScanLine(int Index);
  void Rescan(int Start);
  void ScanAll();
  void ListAdded(TmwEditList* Sender);
  void ListInsertedOrDeleted(int Index);
  void ListPutted(int Index);
  void ListTextSet(TmwEditList* Sender);
  void ListChanging(TmwEditList* Sender);
  void ListChange(TmwEditList* Sender);
  void UndoAdded();

  void HighlighterInvalidate() override { Invalidate(); }
  void HighlighterDestroyed(TmwCustomHighLighter* Sender) override;

  std::unique_ptr<TmwEditList> FLines;
  TUndoList FUndoList;
  TUndoList FRedoList;
  std::unique_ptr<TmwKeyStrokes> FKeystrokes;
  TMarkList FMarks;
  std::array<TMark*, 10> FBookmarks{};
  TmwBookMarkOpt FBookMarkOptions{this};
  TmwEditHost* FHost = nullptr;
  TmwClipboard* FClipboard = nullptr;
  TmwCustomHighLighter* FHighLighter = nullptr;

  int FCaretX = 1;
  int FCaretY = 1;
  TmwPoint FBlockBegin;
  TmwPoint FBlockEnd;
  int FTopLine = 1;
  int FLeftChar = 1;
  int FLinesInWindow = 0;
  int FCharsInWindow = 10;
  int FMaxLeftChar = 1024;
  int FPaintLock = 0;
  int FInternalEdit = 0;  // > 0 while the model itself changes the line store
  bool FModified = false;
  bool FReadOnly = false;
  bool FInsertMode = true;
  bool FScrollPastEOL = true;
  bool FHasBookmarkImages = false;
};
