#include "tools/pict.h"

#include <algorithm>

#include "classlib/core/typinfo.h"
#include "storage/form_placement.h"
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

TForm1::TForm1(TComponent* AOwner) : TForm(AOwner) {
  RegisterPictureForm();
  RegisterStorageClasses();
}

void TForm1::FormCreate(TObject*) {
  SetWindowState(wsMaximized);
  // A new picture, a zoom and a new window size each place the picture anew.
  TPicture* P = Image1->Picture();
  P->OnChange = [this, Image = P->OnChange](TObject* Sender) {
    if (Image) Image(Sender);
    PlacePicture();
  };
  ScrollBox1->OnResize = [this](TObject*) { PlacePicture(); };
  PlacePicture();
}

void TForm1::PlacePicture() {
  // Scroll bars that come or go resize the box while it is placed: place it once more then.
  if (FPlacing) {
    FPlaceAgain = true;
    return;
  }
  FPlacing = true;
  for (int Pass = 0; Pass < 3; ++Pass) {
    FPlaceAgain = false;
    const TRect Client = ScrollBox1->ClientRect();
    const int W = Image1->Width(), H = Image1->Height();
    const bool FitsX = W <= Client.Width(), FitsY = H <= Client.Height();
    // Centred on a side where it fits (nothing to scroll there); from the start of the
    // scrolled content where it does not.
    ScrollBox1->ScrollTo(FitsX ? 0 : ScrollBox1->HorzPosition(), FitsY ? 0 : ScrollBox1->VertPosition());
    const int X = FitsX ? (Client.Width() - W) / 2 : -ScrollBox1->HorzPosition();
    const int Y = FitsY ? (Client.Height() - H) / 2 : -ScrollBox1->VertPosition();
    if (X != Image1->Left() || Y != Image1->Top()) Image1->SetBounds(X, Y, W, H);
    if (!FPlaceAgain) break;
  }
  FPlacing = false;
}

bool TForm1::ZoomIn() {
  const int W = Image1->Width(), H = Image1->Height();
  if (W * 2 > MaxSide || H * 2 > MaxSide || (W == 0 && H == 0)) return false;
  Image1->SetBounds(Image1->Left(), Image1->Top(), W * 2, H * 2);
  PlacePicture();
  return true;
}

bool TForm1::ZoomOut() {
  const int W = Image1->Width(), H = Image1->Height();
  if (W / 2 < MinSide || H / 2 < MinSide) return false;
  Image1->SetBounds(Image1->Left(), Image1->Top(), W / 2, H / 2);
  PlacePicture();
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
