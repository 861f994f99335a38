#include "tools/view_form.h"

#include "app/core/zemb_rout.h"
#include "classlib/core/typinfo.h"

const TClassInfo* TViewForm::StaticClassInfo() {
  static const TClassInfo Info = TClassBuilder<TViewForm, TForm>("TViewForm")
                                     .Handler("FormKeyDown", &TViewForm::FormKeyDown)
                                     .Handler("FormClose", &TViewForm::FormClose)
                                     .Field("TextView", &TViewForm::TextView)
                                     .Build();
  return &Info;
}

void TViewForm::SetTitle(const std::string& Value) { FTitle = Value; }

void TViewForm::Loaded(const std::string& Name) {
  SetCaption(Name);
  SetTitle(Name);
  TextView->SetReadOnly(true);
  TextView->SetModified(false);
}

void TViewForm::LoadFile(const std::string& FileName, bool DosText) {
  TextView->Lines()->Clear();
  if (DosText) {
    TFileStream File(FileName, fmOpenRead | fmShareDenyWrite);
    std::string Text(size_t(File.Size()), '\0');
    if (!Text.empty()) File.ReadBuffer(Text.data(), int64_t(Text.size()));
    TMemoryStream Converted;
    // The pseudo-graphics become look-alikes, as the file manager shows DOS text everywhere.
    const std::string Windows = DosToWin(Text);
    if (!Windows.empty()) Converted.WriteBuffer(Windows.data(), int64_t(Windows.size()));
    Converted.SetPosition(0);
    TextView->Lines()->LoadFromStream(&Converted);
  } else {
    TextView->Lines()->LoadFromFile(FileName);
  }
  Loaded(FileName);
}

void TViewForm::LoadStream(TStream* Stream) {
  TextView->Lines()->LoadFromStream(Stream);
  Loaded(" ");
}

void TViewForm::FormKeyDown(TObject*, uint16_t& Key, TShiftState) {
  if (Key == VK_ESCAPE) {
    Close();
    Key = 0;
  }
}

void TViewForm::FormClose(TObject*, TCloseAction& Action) {
  // Each file gets its own viewer: a closed one is of no further use.
  Action = caFree;
}
