#include "ui/ani_cursor.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "classlib/win/graphics.h"
#include "ui/core/gif_codec.h"
#include "ui/icon_list.h"

namespace {

// More colours than a 16-colour strip may hold: each pixel takes the nearest of the
// standard 16 VGA colours.
void ToVgaColors(const uint8_t* Bgr, int Width, int Height, TGIFColorTable& Table, std::vector<uint8_t>& Pixels) {
  static const uint8_t Vga[16][3] = {{0, 0, 0},       {128, 0, 0},   {0, 128, 0},   {128, 128, 0},
                                     {0, 0, 128},     {128, 0, 128}, {0, 128, 128}, {192, 192, 192},
                                     {128, 128, 128}, {255, 0, 0},   {0, 255, 0},   {255, 255, 0},
                                     {0, 0, 255},     {255, 0, 255}, {0, 255, 255}, {255, 255, 255}};
  Table = TGIFColorTable();
  Table.Count = 16;
  std::memcpy(Table.Colors, Vga, sizeof Vga);
  Pixels.resize(size_t(Width) * Height);
  for (size_t P = 0; P < Pixels.size(); ++P) {
    int B = Bgr[P * 3], G = Bgr[P * 3 + 1], R = Bgr[P * 3 + 2];
    int Best = 0, BestDist = INT32_MAX;
    for (int I = 0; I < 16; ++I) {
      int DR = R - Vga[I][0], DG = G - Vga[I][1], DB = B - Vga[I][2];
      int Dist = DR * DR + DG * DG + DB * DB;
      if (Dist < BestDist) BestDist = Dist, Best = I;
    }
    Pixels[P] = uint8_t(Best);
  }
}

}  // namespace

// ---------------------------------------------------------------------------------------
// TIconFrame

const TClassInfo* TIconFrame::StaticClassInfo() {
  static const TClassInfo Info = TClassBuilder<TIconFrame, TPersistent>("TIconFrame").Build();
  return &Info;
}

TIconFrame::~TIconFrame() = default;

void TIconFrame::Assign(const TPersistent* Source) {
  const TIconFrame* F = dynamic_cast<const TIconFrame*>(Source);
  if (F == nullptr) return TPersistent::Assign(Source);
  if (F == this) return;
  FIcon->Assign(F->FIcon.get());
  FIsIcon = F->FIsIcon;
  FTagName = F->FTagName;
  FHeaderSize = F->FHeaderSize;
  FHotSpot = F->FHotSpot;
  FJiffRate = F->FJiffRate;
  FSeq = F->FSeq;
}

// ---------------------------------------------------------------------------------------
// TAnimatedCursorImage

const TClassInfo* TAnimatedCursorImage::StaticClassInfo() {
  static const TClassInfo Info =
      TClassBuilder<TAnimatedCursorImage, TPersistent>("TAnimatedCursorImage").Build();
  return &Info;
}

TAnimatedCursorImage::~TAnimatedCursorImage() = default;

void TAnimatedCursorImage::Clear() {
  FFrames.clear();
  FHeader = TAniHeader();
  FTitle.clear();
  FAuthor.clear();
  FMaxColors = 0;
}

TIconFrame* TAnimatedCursorImage::Frames(int Index) const {
  if (Index < 0 || Index >= Count()) throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
  return FFrames[size_t(Index)].get();
}

void TAnimatedCursorImage::Assign(const TPersistent* Source) {
  const TAnimatedCursorImage* S = dynamic_cast<const TAnimatedCursorImage*>(Source);
  if (S == nullptr) return TPersistent::Assign(Source);
  if (S == this) return;
  std::vector<std::unique_ptr<TIconFrame>> Copy;
  for (const auto& F : S->FFrames) {
    Copy.push_back(std::make_unique<TIconFrame>());
    Copy.back()->Assign(F.get());
  }
  FFrames = std::move(Copy);
  FHeader = S->FHeader;
  FTitle = S->FTitle;
  FAuthor = S->FAuthor;
  FMaxColors = S->FMaxColors;
}

void TAnimatedCursorImage::LoadFromStream(TStream* Stream) {
  int64_t Left = Stream->Size() - Stream->Position();
  if (Left < 0 || Left > INT32_MAX) throw EReadError("Stream read error");
  std::vector<uint8_t> Data(static_cast<size_t>(Left));
  Stream->ReadBuffer(Data.data(), Left);
  TAniFileData File;
  AniReadFile(Data.data(), Data.size(), File);
  // Icons are made before anything is replaced, so a failure leaves the image whole.
  std::vector<std::unique_ptr<TIconFrame>> Frames;
  for (const TAniFrameData& D : File.Frames) {
    auto F = std::make_unique<TIconFrame>();
    TStringStream Icon(std::string(D.IconData.begin(), D.IconData.end()));
    try {
      F->FIcon->LoadFromStream(&Icon);
    } catch (const EInvalidGraphic&) {
      throw EReadError("Stream read error");
    }
    F->FIsIcon = D.IsIcon;
    F->FTagName = D.ChunkId;
    F->FHeaderSize = D.ChunkSize;
    F->FHotSpot = D.IsIcon ? TPoint{F->FIcon->Width() / 2, F->FIcon->Height() / 2} : TPoint{D.HotSpotX, D.HotSpotY};
    F->FJiffRate = D.JiffRate;
    F->FSeq = D.Sequence;
    Frames.push_back(std::move(F));
  }
  Clear();
  FFrames = std::move(Frames);
  FHeader = File.Header;
  FTitle = File.Title;
  FAuthor = File.Author;
  FMaxColors = File.MaxColors;
}

void TAnimatedCursorImage::LoadFromFile(const std::string& FileName) {
  TFileStream Stream(FileName, fmOpenRead | fmShareDenyNone);
  LoadFromStream(&Stream);
}

void TAnimatedCursorImage::AssignToBitmap(TBitmap* Bitmap, TColor BackColor, bool DecreaseColors, bool Vertical) const {
  int W = 0, H = 0;
  if (!FFrames.empty()) {
    W = FFrames[0]->Icon()->Width();
    H = FFrames[0]->Icon()->Height();
  }
  int N = Count();
  TBitmap Strip;
  Strip.SetPixelFormat(pf24bit);
  Strip.SetSize(Vertical ? W : W * N, Vertical ? H * N : H);
  Strip.Canvas()->Brush()->SetColor(BackColor);
  Strip.Canvas()->FillRect(TRect{0, 0, Strip.Width(), Strip.Height()});
  for (int I = 0; I < N; ++I)
    Strip.Canvas()->Draw(Vertical ? 0 : I * W, Vertical ? I * H : 0, FFrames[size_t(I)]->Icon());
  if (DecreaseColors && Strip.Width() > 0 && Strip.Height() > 0) {
    // The GIF codec's reduction: exact colours up to 256, else a colour cube.
    int SW = Strip.Width(), SH = Strip.Height();
    std::vector<uint8_t> Bgr(size_t(SW) * SH * 3);
    for (int Y = 0; Y < SH; ++Y) std::memcpy(&Bgr[size_t(Y) * SW * 3], Strip.ScanLine(Y), size_t(SW) * 3);
    TGIFFrameData Frame;
    std::vector<uint8_t> Pixels;
    GIFReduceColors(Bgr.data(), SW, SH, Frame.Table, Pixels);
    int Limit = std::max<int>(FMaxColors, 16);
    if (Frame.Table.Count > Limit) ToVgaColors(Bgr.data(), SW, SH, Frame.Table, Pixels);
    Frame.Width = SW;
    Frame.Height = SH;
    Frame.TableBits = GIFTableBits(Frame.Table.Count);
    std::vector<uint8_t> Bmp = GIFFrameToBmp(Frame, Pixels);
    TStringStream S(std::string(Bmp.begin(), Bmp.end()));
    Bitmap->LoadFromStream(&S);
    return;
  }
  Bitmap->Assign(&Strip);
}

void TAnimatedCursorImage::AssignTo(TPersistent* Dest) const {
  if (auto* Icon = dynamic_cast<TIcon*>(Dest)) {
    Icon->Assign(FFrames.empty() ? nullptr : FFrames[0]->Icon());
  } else if (auto* Bitmap = dynamic_cast<TBitmap*>(Dest)) {
    AssignToBitmap(Bitmap, Bitmap->Canvas()->Brush()->Color(), true, false);
  } else if (auto* List = dynamic_cast<TIconList*>(Dest)) {
    List->BeginUpdate();
    try {
      List->Clear();
      for (const auto& F : FFrames) List->Add(F->Icon());
    } catch (...) {
      List->EndUpdate();
      throw;
    }
    List->EndUpdate();
  } else {
    TPersistent::AssignTo(Dest);
  }
}
