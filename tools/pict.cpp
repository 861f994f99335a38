#include "tools/pict.h"

#include <algorithm>

#include "classlib/core/typinfo.h"
#include "ui/gif_image.h"

TForm1* Form1 = nullptr;

const TClassInfo* TForm1::StaticClassInfo() {
  static const TClassInfo Info = TClassBuilder<TForm1, TForm>("TForm1")
                                     .Handler("FormCreate", &TForm1::FormCreate)
                                     .Handler("FormKeyDown", &TForm1::FormKeyDown)
                                     .Handler("Image1MouseDown", &TForm1::Image1MouseDown)
                                     .Field("ScrollBox1", &TForm1::ScrollBox1)
                                     .Field("Image1", &TForm1::Image1)
                                     .Build();
  return &Info;
}

void RegisterPictureForm() {
  static const bool Done = [] {
    RegisterClass(TScrollBox::StaticClassInfo());
    RegisterGIFImage();
    return true;
  }();
  (void)Done;
}

TForm1::TForm1(TComponent* AOwner) : TForm(AOwner) { RegisterPictureForm(); }

void TForm1::FormCreate(TObject*) { SetWindowState(wsMaximized); }

bool TForm1::ZoomIn() {
  const int W = Image1->Width(), H = Image1->Height();
  if (W * 2 > MaxSide || H * 2 > MaxSide || (W == 0 && H == 0)) return false;
  Image1->SetBounds(Image1->Left(), Image1->Top(), W * 2, H * 2);
  return true;
}

bool TForm1::ZoomOut() {
  const int W = Image1->Width(), H = Image1->Height();
  if (W / 2 < MinSide || H / 2 < MinSide) return false;
  Image1->SetBounds(Image1->Left(), Image1->Top(), W / 2, H / 2);
  return true;
}

void TForm1::FormKeyDown(TObject*, uint16_t& Key, TShiftState) {
  switch (Key) {
    case VK_ADD: ZoomIn(); break;
    case VK_SUBTRACT: ZoomOut(); break;
    case VK_ESCAPE: Close(); break;
  }
}

void TForm1::Image1MouseDown(TObject*, TMouseButton Button, TShiftState, int, int) {
  if (Button == mbLeft) ZoomIn();
  else if (Button == mbRight) ZoomOut();
}
