#include "html/core/free_list.h"

TFreeList::~TFreeList() { Clear(); }

void TFreeList::Clear() {
  // Detach before freeing, so that an item's destructor never sees a dangling entry.
  for (int i = Count() - 1; i >= 0; --i) {
    TObject* item = Item(i);
    Delete(i);
    delete item;
  }
  TList::Clear();
}
