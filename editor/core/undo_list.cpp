#include "editor/core/undo_list.h"

#include <utility>

void TUndoList::AddChange(TChangeReason Reason, TmwPoint PosA, TmwPoint PosB, const std::string& Text) {
  TUndoRecord r;
  r.ChangeReason = Reason;
  r.ChangeText = Text;
  r.ChangeStartPos = PosA;
  r.ChangeEndPos = PosB;
  // Equal points: the second one given counts as the start, which is the same point.
  TmwPoint s = PointBefore(PosA, PosB) ? PosA : PosB;
  TmwPoint e = PointBefore(PosA, PosB) ? PosB : PosA;
  r.TextStart = s;
  r.TextEnd = (Reason == crInsert || Reason == crDragDropInsert) ? e : s;
  AddChange(std::move(r));
}

void TUndoList::AddChange(TUndoRecord Record) {
  if (PointBefore(Record.ChangeEndPos, Record.ChangeStartPos)) std::swap(Record.ChangeStartPos, Record.ChangeEndPos);
  if (FMaxUndo > 0) {
    while (static_cast<int>(FItems.size()) >= FMaxUndo) FItems.pop_front();
    FItems.push_back(std::move(Record));
  } else {
    // A limit of 0 keeps no history at all; the change still counts as a modification.
    FItems.clear();
  }
  if (OnAdded) OnAdded();
}

TChangeReason TUndoList::GetChange(TUndoRecord& Record) {
  if (FItems.empty()) return crNothing;
  Record = std::move(FItems.back());
  FItems.pop_back();
  return Record.ChangeReason;
}

TChangeReason TUndoList::GetChange(TmwPoint& StartPos, TmwPoint& EndPos, std::string& Text) {
  TUndoRecord r;
  TChangeReason reason = GetChange(r);
  if (reason != crNothing) {
    StartPos = r.ChangeStartPos;
    EndPos = r.ChangeEndPos;
    Text = std::move(r.ChangeText);
  }
  return reason;
}

TChangeReason TUndoList::PeekReason() const {
  return FItems.empty() ? crNothing : FItems.back().ChangeReason;
}

void TUndoList::SetMaxUndo(int Value) {
  if (Value < 0) return;
  while (static_cast<int>(FItems.size()) > Value) FItems.pop_front();
  FMaxUndo = Value;
}
