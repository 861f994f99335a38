#include "html/core/attribute_list.h"

bool TAttributeList::Find(std::uint8_t Which, TAttribute*& Result) const {
  for (int i = 0; i < Count(); ++i)
    if (Attribute(i)->Which == Which) {
      Result = Attribute(i);
      return true;
    }
  Result = nullptr;
  return false;
}
