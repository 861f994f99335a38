#include "app/text_list_box.h"

const TClassInfo* TTextListBox::StaticClassInfo() {
  static const TClassInfo Info = TClassBuilder<TTextListBox, TListBox>("TTextListBox").Build();
  return &Info;
}

void RegisterTextListBox() {
  RegisterMissingClasses<TTextListBox>();
}
