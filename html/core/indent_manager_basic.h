// The left and right margins of a block of text around floating images and list levels.
#pragma once

#include "html/core/free_list.h"

class IndentRec : public TObject {
public:
  int X = 0;       // indent relative to the edge
  int Top = 0;     // the pixel rows it covers: Top <= Y < Bottom
  int Bottom = 0;
  int Level = 0;   // 0 for a floating block, else the list level
};

class IndentManagerBasic : public TObject {
public:
  TFreeList L, R;  // the records of the left and of the right side
  int Level = 0;
  int LeftEdge = 0, RightEdge = 0;

  void SetEdges(int Left, int Right);
  void Clear();
  // Align 1 floats on the left, 3 on the right.
  void AddFloat(int Y, int Width, int Height, int Align);
  int LeftEdgeAt(int Y) const;
  int RightEdgeAt(int Y) const;
  int AllFloatsBottom() const;
  // 1 below the lowest float of each side (0 for a side without one), for BR CLEAR.
  void SideFloatsBottom(int& LeftY, int& RightY) const;
  int LeftFloatsEndY() const;
  void SetListLevel(int Y, int NewLevel);

private:
  static IndentRec* Rec(const TFreeList& List, int Index) {
    return static_cast<IndentRec*>(List.Items(Index));
  }
  static IndentRec* AddRec(TFreeList& List, int X, int Top, int Bottom, int Level);
};
