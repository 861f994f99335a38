// TList: a list of untyped pointers. The list never owns what the pointers point to.
#pragma once

#include <functional>
#include <vector>

#include "classlib/core/object.h"

// Negative when Item1 sorts before Item2, zero when equal, positive after.
using TListSortCompare = std::function<int(void* Item1, void* Item2)>;

class TList : public TObject {
public:
  int Add(void* Item);  // the new index
  void Insert(int Index, void* Item);  // Index may be Count
  void Delete(int Index);
  int Remove(void* Item);  // the index it had, -1 when absent
  int IndexOf(void* Item) const;
  void* Extract(void* Item);  // removes the first occurrence; the item or nullptr
  void Clear();
  void Exchange(int Index1, int Index2);
  void Move(int CurIndex, int NewIndex);
  void Pack();  // removes every nullptr
  void Sort(const TListSortCompare& Compare);

  void* Items(int Index) const;
  void SetItems(int Index, void* Item);
  void* operator[](int Index) const { return Items(Index); }
  void* First() const { return Items(0); }
  void* Last() const { return Items(Count() - 1); }
  int Count() const { return static_cast<int>(FList.size()); }
  void SetCount(int NewCount);  // new slots are nullptr
  int Capacity() const { return static_cast<int>(FList.capacity()); }
  void SetCapacity(int NewCapacity);
  // The items as a block, for callers that walk them quickly.
  void* const* List() const { return FList.data(); }

private:
  [[noreturn]] static void Error(const char* Msg, int Data);
  void Check(int Index) const;
  std::vector<void*> FList;
};
