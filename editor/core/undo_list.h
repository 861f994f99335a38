// The editor's undo and redo lists: one record per change, newest last.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <string>

// A text position: 1-based column and line.
struct TmwPoint {
  int X = 1;
  int Y = 1;
  friend bool operator==(const TmwPoint&, const TmwPoint&) = default;
};

// Line first, then column.
inline bool PointBefore(const TmwPoint& A, const TmwPoint& B) {
  return A.Y < B.Y || (A.Y == B.Y && A.X < B.X);
}

enum TChangeReason : std::uint8_t {
  crInsert = 0,           // typing, paste, SetSelText
  crDragDropInsert = 1,   // the insertion half of a drag-and-drop move
  crDelete = 2,           // selection deleted or replaced, cut, character deletes
  crDeleteAfterCursor = 3,  // word, end-of-line and line deletes: undo puts the caret back
  crDragDropDelete = 4,   // the deletion half of a drag-and-drop move
  crLineBreak = 5,
  crNothing = 6,          // only returned for an empty list
};

// One change. ChangeStartPos/ChangeEndPos are the caret points of the change, ordered.
// TextStart..TextEnd is the text that the change left behind: applying the record puts
// ChangeText in its place, which reverts the change exactly (trimmed blanks and padding
// included).
struct TUndoRecord {
  std::string ChangeText;
  TChangeReason ChangeReason = crNothing;
  TmwPoint ChangeStartPos;
  TmwPoint ChangeEndPos;
  TmwPoint TextStart;
  TmwPoint TextEnd;
};

class TUndoList {
public:
  TUndoList() = default;
  TUndoList(const TUndoList&) = delete;
  TUndoList& operator=(const TUndoList&) = delete;

  // Records a change as the editor's commands describe it: an insertion (reasons 0 and 1)
  // of the text now between the two points, whose previous text was Text; or a deletion
  // (other reasons) of Text at the earlier point.
  void AddChange(TChangeReason Reason, TmwPoint PosA, TmwPoint PosB, const std::string& Text);
  // Records a fully described change; the caret points are ordered here.
  void AddChange(TUndoRecord Record);
  // Removes the newest record and returns its reason (crNothing when empty).
  TChangeReason GetChange(TmwPoint& StartPos, TmwPoint& EndPos, std::string& Text);
  TChangeReason GetChange(TUndoRecord& Record);
  TChangeReason PeekReason() const;
  const TUndoRecord* Peek() const { return FItems.empty() ? nullptr : &FItems.back(); }

  int Count() const { return static_cast<int>(FItems.size()); }
  void Clear() { FItems.clear(); }
  int MaxUndo() const { return FMaxUndo; }
  // Drops the oldest records down to Value; negative values are ignored.
  void SetMaxUndo(int Value);

  // Fired after every AddChange: the editor marks itself modified and fires its OnChange.
  std::function<void()> OnAdded;

private:
  std::deque<TUndoRecord> FItems;
  int FMaxUndo = 10;
};
