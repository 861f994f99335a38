#include "ui/shaped_form.h"

#include "classlib/core/exception.h"
#include "classlib/win/bitmap.h"
#include "classlib/win/picture.h"

const TClassInfo* TdxfShapedForm::StaticClassInfo() {
  static const TClassInfo Info = TClassBuilder<TdxfShapedForm, TImage>("TdxfShapedForm")
                                     .Prop("Active", &TdxfShapedForm::Active, &TdxfShapedForm::SetActive)
                                     .Prop("CaptionColor", &TdxfShapedForm::CaptionColor, &TdxfShapedForm::SetCaptionColor)
                                     .Prop("AlwaysMove", &TdxfShapedForm::AlwaysMove, &TdxfShapedForm::SetAlwaysMove)
                                     .Build();
  return &Info;
}

void RegisterShapedForm() {
  static bool Done = false;
  if (Done) return;
  Done = true;
  RegisterClasses<TdxfShapedForm>();
}

TdxfShapedForm::TdxfShapedForm(TComponent* AOwner) : TImage(AOwner), FForm(dynamic_cast<TCustomForm*>(AOwner)) {
  if (FForm == nullptr) throw EComponentError("Owner should be a form");
  FSavedBorder = FForm->BorderStyle();
  SetBounds(0, 0, 105, 105);
  SetAutoSize(true);
}

void TdxfShapedForm::SetActive(bool Value) {
  FActive = Value;
  if (ComponentState().Contains(csDesigning) || ComponentState().Contains(csLoading)) return;
  if (Value) ApplyShape();
  else RestoreForm();
}

void TdxfShapedForm::Loaded() {
  TImage::Loaded();
  FSavedBorder = FForm->BorderStyle();
  if (FActive && !ComponentState().Contains(csDesigning)) ApplyShape();
}

std::vector<RECT> OpaqueRuns(HDC DC, int Width, int Height, COLORREF Transparent) {
  std::vector<RECT> Runs;
  for (int Y = 0; Y < Height; ++Y) {
    int Start = -1;
    for (int X = 0; X < Width; ++X) {
      bool Opaque = (GetPixel(DC, X, Y) & 0xFFFFFF) != (Transparent & 0xFFFFFF);
      if (Opaque && Start < 0) Start = X;
      else if (!Opaque && Start >= 0) {
        Runs.push_back(RECT{Start, Y, X, Y + 1});
        Start = -1;
      }
    }
    // A run that reaches the right edge keeps its pixels.
    if (Start >= 0) Runs.push_back(RECT{Start, Y, Width, Y + 1});
  }
  return Runs;
}

void TdxfShapedForm::ApplyShape() {
  TGraphic* G = Picture()->Graphic();
  if (G == nullptr || G->Empty()) return;
  FForm->SetBorderStyle(bsNone);
  // The picture's place in the form, through every parent up to the form.
  int OffX = Left(), OffY = Top();
  for (TWinControl* P = Parent(); P != nullptr && P != FForm; P = P->Parent()) {
    OffX += P->Left();
    OffY += P->Top();
  }
  TBitmap B;
  B.SetPixelFormat(pf24bit);
  B.SetSize(G->Width(), G->Height());
  B.Canvas()->Draw(0, 0, G);
  HDC DC = B.Canvas()->Handle();
  std::vector<RECT> Runs = OpaqueRuns(DC, B.Width(), B.Height(), GetPixel(DC, 0, 0));
  // As many polygons as there are runs: the buffer grows with the picture.
  std::vector<POINT> Points;
  std::vector<INT> Counts;
  Points.reserve(Runs.size() * 4);
  Counts.reserve(Runs.size());
  for (const RECT& R : Runs) {
    Points.push_back({R.left + OffX, R.top + OffY});
    Points.push_back({R.right + OffX, R.top + OffY});
    Points.push_back({R.right + OffX, R.bottom + OffY});
    Points.push_back({R.left + OffX, R.bottom + OffY});
    Counts.push_back(4);
  }
  HRGN Rgn = Counts.empty() ? CreateRectRgn(0, 0, 0, 0)
                            : CreatePolyPolygonRgn(Points.data(), Counts.data(), int(Counts.size()), WINDING);
  // The window owns the region from here on.
  if (SetWindowRgn(FForm->Handle(), Rgn, TRUE) == 0) DeleteObject(Rgn);
}

void TdxfShapedForm::RestoreForm() {
  if (!FForm->HandleAllocated()) return;
  // The border first: a new border may mean a new window, which gets the rectangle.
  FForm->SetBorderStyle(FSavedBorder);
  SetWindowRgn(FForm->Handle(), CreateRectRgn(0, 0, FForm->Width(), FForm->Height()), TRUE);
}

void TdxfShapedForm::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TImage::MouseDown(Button, Shift, X, Y);
  if (Button != mbLeft || !FActive) return;
  bool OnCaption = false;
  if (TGraphic* G = Picture()->Graphic(); G != nullptr && !G->Empty()) {
    TRect D = DestRect();
    TBitmap B;
    B.SetPixelFormat(pf24bit);
    B.SetSize(G->Width(), G->Height());
    B.Canvas()->Draw(0, 0, G);
    int PX = X - D.Left, PY = Y - D.Top;
    if (PX >= 0 && PY >= 0 && PX < B.Width() && PY < B.Height())
      OnCaption = (GetPixel(B.Canvas()->Handle(), PX, PY) & 0xFFFFFF) == (COLORREF(ColorToRGB(FCaptionColor)) & 0xFFFFFF);
  }
  if (OnCaption || FAlwaysMove) {
    ReleaseCapture();
    SendMessageW(FForm->Handle(), WM_SYSCOMMAND, SC_MOVE | HTCAPTION, 0);
  }
}
