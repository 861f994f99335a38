#include "tools/mp3_form.h"

#include "classlib/core/typinfo.h"

TMP3Form* MP3Form = nullptr;

const TClassInfo* TMP3Form::StaticClassInfo() {
  static const TClassInfo Info = TClassBuilder<TMP3Form, TForm>("TMP3Form")
                                     .Handler("FormKeyDown", &TMP3Form::FormKeyDown)
                                     .Field("Memo1", &TMP3Form::Memo1)
                                     .Build();
  return &Info;
}

void TMP3Form::FormKeyDown(TObject*, uint16_t& Key, TShiftState) {
  if (Key == VK_ESCAPE) {
    Close();
    Key = 0;
  }
}
