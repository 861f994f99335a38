// The list box of text lines the program's small list windows use (user menu, fast-bar
// list): a plain TListBox under the name their form resources give it.
#pragma once

#include "classlib/win/std_ctrls.h"

class TTextListBox : public TListBox {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  explicit TTextListBox(TComponent* AOwner) : TListBox(AOwner) {}
};

// Makes TTextListBox known to form resources (once; later calls do nothing).
void RegisterTextListBox();
