#include "classlib/core/list.h"

#include <algorithm>
#include <string>

#include "classlib/core/exception.h"
#include "classlib/core/quick_sort.h"

void TList::Error(const char* Msg, int Data) {
  std::string M = Msg;
  M.replace(M.find("%d"), 2, std::to_string(Data));
  throw EListError(M);
}

void TList::Check(int Index) const {
  if (Index < 0 || Index >= Count()) Error("List index out of bounds (%d)", Index);
}

int TList::Add(void* Item) {
  FList.push_back(Item);
  return Count() - 1;
}

void TList::Insert(int Index, void* Item) {
  if (Index < 0 || Index > Count()) Error("List index out of bounds (%d)", Index);
  FList.insert(FList.begin() + Index, Item);
}

void TList::Delete(int Index) {
  Check(Index);
  FList.erase(FList.begin() + Index);
}

int TList::Remove(void* Item) {
  int I = IndexOf(Item);
  if (I >= 0) Delete(I);
  return I;
}

int TList::IndexOf(void* Item) const {
  auto It = std::find(FList.begin(), FList.end(), Item);
  return It == FList.end() ? -1 : static_cast<int>(It - FList.begin());
}

void* TList::Extract(void* Item) {
  int I = IndexOf(Item);
  if (I < 0) return nullptr;
  Delete(I);
  return Item;
}

void TList::Clear() {
  FList.clear();
  FList.shrink_to_fit();
}

void TList::Exchange(int Index1, int Index2) {
  Check(Index1);
  Check(Index2);
  std::swap(FList[Index1], FList[Index2]);
}

void TList::Move(int CurIndex, int NewIndex) {
  if (CurIndex == NewIndex) return;
  Check(CurIndex);
  Check(NewIndex);
  void* Item = FList[CurIndex];
  FList.erase(FList.begin() + CurIndex);
  FList.insert(FList.begin() + NewIndex, Item);
}

void TList::Pack() { FList.erase(std::remove(FList.begin(), FList.end(), nullptr), FList.end()); }

void TList::Sort(const TListSortCompare& Compare) {
  if (Count() < 2) return;
  QuickSortIndices(
      0, Count() - 1, [&](int I, int J) { return Compare(FList[I], FList[J]); },
      [&](int I, int J) { std::swap(FList[I], FList[J]); });
}

void* TList::Items(int Index) const {
  Check(Index);
  return FList[Index];
}

void TList::SetItems(int Index, void* Item) {
  Check(Index);
  FList[Index] = Item;
}

void TList::SetCount(int NewCount) {
  if (NewCount < 0) Error("List count out of bounds (%d)", NewCount);
  FList.resize(NewCount, nullptr);
}

void TList::SetCapacity(int NewCapacity) {
  if (NewCapacity < Count()) Error("List capacity out of bounds (%d)", NewCapacity);
  if (NewCapacity > Capacity()) FList.reserve(NewCapacity);
  else FList.shrink_to_fit();
}
