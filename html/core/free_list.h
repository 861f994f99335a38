// TFreeList: a list that owns its items. Base of the attribute list, the indent records
// and the document model's lists and cells.
#pragma once

#include "classlib/core/list.h"
#include "classlib/core/object.h"

class TFreeList : public TList {
public:
  ~TFreeList() override;
  // Frees every item, then empties the list.
  void Clear();
  TObject* Item(int Index) const { return static_cast<TObject*>(Items(Index)); }
};
