#include "html/core/indent_manager_basic.h"

IndentRec* IndentManagerBasic::AddRec(TFreeList& List, int X, int Top, int Bottom, int Level) {
  IndentRec* rec = new IndentRec;
  rec->X = X;
  rec->Top = Top;
  rec->Bottom = Bottom;
  rec->Level = Level;
  List.Add(rec);
  return rec;
}

void IndentManagerBasic::SetEdges(int Left, int Right) {
  LeftEdge = Left;
  RightEdge = Right;
  Level = 0;
}

void IndentManagerBasic::Clear() {
  L.Clear();
  R.Clear();
}

void IndentManagerBasic::AddFloat(int Y, int Width, int Height, int Align) {
  if (Align == 1)
    AddRec(L, LeftEdgeAt(Y) - LeftEdge + Width, Y, Y + Height, 0);
  else if (Align == 3)
    AddRec(R, RightEdgeAt(Y) - RightEdge - Width, Y, Y + Height, 0);
}

int IndentManagerBasic::LeftEdgeAt(int Y) const {
  int x = 0;
  for (int i = 0; i < L.Count(); ++i) {
    const IndentRec* rec = Rec(L, i);
    if (rec->Top <= Y && Y < rec->Bottom && rec->X > x) x = rec->X;
  }
  return LeftEdge + x;
}

int IndentManagerBasic::RightEdgeAt(int Y) const {
  int x = 0;
  for (int i = 0; i < R.Count(); ++i) {
    const IndentRec* rec = Rec(R, i);
    if (rec->Top <= Y && Y < rec->Bottom && rec->X < x) x = rec->X;
  }
  return RightEdge + x;
}

int IndentManagerBasic::AllFloatsBottom() const {
  int bottom = 0;
  for (const TFreeList* side : {&L, &R})
    for (int i = 0; i < side->Count(); ++i) {
      const IndentRec* rec = Rec(*side, i);
      if (rec->Level == 0 && rec->Bottom > bottom) bottom = rec->Bottom;
    }
  return bottom;
}

void IndentManagerBasic::SideFloatsBottom(int& LeftY, int& RightY) const {
  auto lowest = [](const TFreeList& side) {
    int y = 0;
    for (int i = 0; i < side.Count(); ++i) {
      const IndentRec* rec = Rec(side, i);
      if (rec->Level == 0 && rec->Bottom + 1 > y) y = rec->Bottom + 1;
    }
    return y;
  };
  LeftY = lowest(L);
  RightY = lowest(R);
}

int IndentManagerBasic::LeftFloatsEndY() const {
  int x0 = 0;
  for (int i = L.Count() - 1; i >= 0; --i)
    if (Rec(L, i)->Level == Level) {
      x0 = Rec(L, i)->X;
      break;
    }
  int y = 1;
  for (int i = 0; i < L.Count(); ++i) {
    const IndentRec* rec = Rec(L, i);
    if (rec->X > x0 && rec->Bottom + 1 > y) y = rec->Bottom + 1;
  }
  return y;
}

void IndentManagerBasic::SetListLevel(int Y, int NewLevel) {
  if (NewLevel > Level) {
    for (int lev = Level + 1; lev <= NewLevel; ++lev)
      AddRec(L, LeftEdgeAt(Y) - LeftEdge + 35, Y, 9999999, lev);
  } else if (NewLevel < Level) {
    for (int i = 0; i < L.Count(); ++i) {
      IndentRec* rec = Rec(L, i);
      if (rec->Level > NewLevel) {
        rec->Level = 0;
        rec->Bottom = Y - 1;
      }
    }
  }
  Level = NewLevel;
}
