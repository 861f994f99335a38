#include "ui/gif_image.h"

#include <algorithm>
#include <cstring>

#include "classlib/core/stream.h"
#include "classlib/win/picture.h"

bool GIFLoadCorrupted = true;
UINT CF_GIF = 0;

namespace {

TColor TableColor(const TGIFColorTable& T, int Index) {
  return TColor(T.Colors[Index][0] | (T.Colors[Index][1] << 8) | (T.Colors[Index][2] << 16));
}

// The first entry of the table with the colour's RGB value; -1 when none.
int FindColor(const TGIFColorTable& T, TColor Color) {
  if (Color == clNone) return -1;
  int32_t Rgb = ColorToRGB(Color) & 0xFFFFFF;
  for (int I = 0; I < T.Count; ++I)
    if (TableColor(T, I) == Rgb) return I;
  return -1;
}

// Format errors of the portable code become the graphic's own.
template <class F>
void Guarded(F&& Body) {
  try {
    Body();
  } catch (const EGIFError& E) {
    throw EInvalidGraphic(E.Message());
  }
}

}  // namespace

// ---------------------------------------------------------------------------------------
// TGIFFrame

const TClassInfo* TGIFFrame::StaticClassInfo() {
  static const TClassInfo Info = TClassBuilder<TGIFFrame, TPersistent>("TGIFFrame").Build();
  return &Info;
}

TGIFFrame::TGIFFrame(TGIFImage* AOwner) : FOwner(AOwner) {}
TGIFFrame::~TGIFFrame() = default;

void TGIFFrame::Changed() {
  if (FOwner) FOwner->Changed();
}

int TGIFFrame::Width() const {
  if (FBitmap) return FBitmap->Width();
  return HasData() ? FData.Width : 0;
}

int TGIFFrame::Height() const {
  if (FBitmap) return FBitmap->Height();
  return HasData() ? FData.Height : 0;
}

void TGIFFrame::SetOrigin(TPoint Value) {
  FData.Left = std::clamp(Value.X, 0, 0xFFFF);
  FData.Top = std::clamp(Value.Y, 0, 0xFFFF);
  Changed();
}

void TGIFFrame::SetAnimateInterval(int Value) {
  FData.Interval = std::clamp(Value, 0, 0xFFFF);
  Changed();
}

void TGIFFrame::SetDisposalMethod(int Value) {
  FData.Disposal = Value & 7;
  Changed();
}

void TGIFFrame::SetTransparentColor(TColor Value) {
  FTransparentColor = Value;
  FData.TransparentIndex = HasData() ? FindColor(FData.Table, Value) : -1;
  if (FBitmap) {
    FBitmap->SetTransparentColor(Value == clNone ? clDefault : Value);
  }
  Changed();
}

TBitmap* TGIFFrame::Bitmap() {
  if (FBitmap || !HasData()) return FBitmap.get();
  auto B = std::make_unique<TBitmap>();
  if (FData.Width > 0 && FData.Height > 0) {
    std::vector<uint8_t> Bmp;
    Guarded([&] {
      TProgressEvent Progress = FOwner ? FOwner->OnProgress : TProgressEvent();
      TGIFProgress Report;
      if (Progress)
        Report = [&](int Stage, int Percent) { Progress(FOwner, TProgressStage(Stage), Percent, ""); };
      try {
        std::vector<uint8_t> Pixels = GIFDecodeFrame(FData, GIFLoadCorrupted, Report);
        Bmp = GIFFrameToBmp(FData, Pixels);
      } catch (const Exception& E) {
        if (Progress) Progress(FOwner, psEnding, 0, E.Message());
        throw;
      }
    });
    TMemoryStream S;
    S.WriteBuffer(Bmp.data(), int64_t(Bmp.size()));
    S.SetPosition(0);
    B->LoadFromStream(&S);
  }
  if (FTransparentColor != clNone) B->SetTransparentColor(FTransparentColor);
  FBitmap = std::move(B);
  return FBitmap.get();
}

void TGIFFrame::Assign(const TPersistent* Source) {
  if (Source == this) return;
  if (auto* F = dynamic_cast<const TGIFFrame*>(Source)) {
    FData = F->FData;
    FTransparentColor = F->FTransparentColor;
    FBitmap.reset();
    if (F->FBitmap) {
      FBitmap = std::make_unique<TBitmap>();
      FBitmap->Assign(F->FBitmap.get());
    }
    Changed();
    return;
  }
  if (auto* G = dynamic_cast<const TGraphic*>(Source)) {
    auto B = std::make_unique<TBitmap>();
    B->Assign(G);
    FData = TGIFFrameData();
    FTransparentColor = TColor(clNone);
    if (auto* SrcBmp = dynamic_cast<const TBitmap*>(G); SrcBmp && G->Transparent())
      FTransparentColor = const_cast<TBitmap*>(SrcBmp)->TransparentColor();
    FBitmap = std::move(B);
    Changed();
    return;
  }
  TPersistent::Assign(Source);
}

void TGIFFrame::EncodeBitmap(TGIFFileData& File) {
  if (HasData()) return;
  if (!FBitmap || FBitmap->Empty()) throw EInvalidGraphic(SGIFNoData);
  TBitmap* B = FBitmap.get();
  const int W = B->Width(), H = B->Height();
  int Bits = 0;
  switch (B->PixelFormat()) {
    case pf1bit: Bits = 1; break;
    case pf4bit: Bits = 4; break;
    case pf8bit: Bits = 8; break;
    default: break;
  }
  TGIFColorTable Table;
  std::vector<uint8_t> Pixels(size_t(W) * H);
  if (Bits != 0) {
    RGBQUAD Colors[256];
    UINT N = GetDIBColorTable(B->Canvas()->Handle(), 0, 256, Colors);
    Table.Count = int(std::min<UINT>(N, 256u));
    for (int I = 0; I < Table.Count; ++I) {
      Table.Colors[I][0] = Colors[I].rgbRed;
      Table.Colors[I][1] = Colors[I].rgbGreen;
      Table.Colors[I][2] = Colors[I].rgbBlue;
    }
    for (int Y = 0; Y < H; ++Y) {
      const uint8_t* Row = static_cast<const uint8_t*>(B->ScanLine(Y));
      for (int X = 0; X < W; ++X) {
        uint8_t V = Bits == 8 ? Row[X] : Bits == 4 ? uint8_t((Row[X / 2] >> (X % 2 ? 0 : 4)) & 15)
                                                   : uint8_t((Row[X / 8] >> (7 - X % 8)) & 1);
        Pixels[size_t(Y) * W + X] = V;
      }
    }
  } else {
    TBitmap Copy;
    Copy.Assign(B);
    Copy.SetPixelFormat(pf24bit);
    std::vector<uint8_t> Bgr(size_t(W) * H * 3);
    for (int Y = 0; Y < H; ++Y) std::memcpy(&Bgr[size_t(Y) * W * 3], Copy.ScanLine(Y), size_t(W) * 3);
    GIFReduceColors(Bgr.data(), W, H, Table, Pixels);
    Bits = 8;
  }
  if (Table.Count == 0) {  // a palette the system would not give: black and white
    Table.Count = 2;
    std::memset(Table.Colors[1], 255, 3);
  }
  Guarded([&] { FData.Lzw = GIFEncodePixels(Pixels.data(), W, H, Bits); });
  FData.Width = W;
  FData.Height = H;
  FData.Table = Table;
  FData.TableBits = GIFTableBits(Table.Count);
  FData.Interlaced = false;
  if (File.Table.Count == 0) {
    File.Table = Table;
    File.TableBits = FData.TableBits;
    FData.LocalTable = false;
  } else {
    FData.LocalTable = !(File.Table == Table);
    if (!FData.LocalTable) FData.TableBits = File.TableBits;
  }
  FData.TransparentIndex = FindColor(Table, FTransparentColor);
  File.ScreenWidth = std::max(File.ScreenWidth, FData.Left + W);
  File.ScreenHeight = std::max(File.ScreenHeight, FData.Top + H);
}

// ---------------------------------------------------------------------------------------
// TGIFImage

const TClassInfo* TGIFImage::StaticClassInfo() {
  static const TClassInfo Info = TClassBuilder<TGIFImage, TGraphic>("TGIFImage").Build();
  return &Info;
}

TGIFImage::TGIFImage() { SetTransparent(true); }
TGIFImage::~TGIFImage() = default;

bool TGIFImage::Empty() const {
  if (FFrames.empty() || FFrameIndex < 0) return true;
  const TGIFFrame* F = FFrames[size_t(FFrameIndex)].get();
  return !F->FBitmap && !F->HasData();
}

void TGIFImage::SetWidth(int) { throw EInvalidGraphic(SGIFCannotResize); }
void TGIFImage::SetHeight(int) { throw EInvalidGraphic(SGIFCannotResize); }

TGIFFrame* TGIFImage::Frames(int Index) const {
  if (Index < 0 || Index >= Count()) throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
  return FFrames[size_t(Index)].get();
}

void TGIFImage::SetFrameIndex(int Value) {
  if (FFrames.empty()) return;
  Value = std::clamp(Value, 0, Count() - 1);
  if (Value == FFrameIndex) return;
  FFrameIndex = Value;
  Changed();
}

void TGIFImage::SetBackgroundColor(TColor Value) {
  FBackgroundColor = Value;
  Changed();
}

void TGIFImage::SetLooping(bool Value) {
  FLooping = Value;
  Changed();
}

void TGIFImage::SetRepeatCount(int Value) {
  FRepeatCount = std::clamp(Value, 0, 0xFFFF);
  Changed();
}

void TGIFImage::Clear() {
  FFrames.clear();
  FFrameIndex = -1;
  FVersion = gvUnknown;
  FScreenWidth = FScreenHeight = 0;
  FColorResolution = FTableBits = 0;
  FTable = TGIFColorTable();
  FBackgroundColor = TColor(clNone);
  FLooping = false;
  FRepeatCount = 0;
  FCorrupted = false;
  FComment.Clear();
}

int TGIFImage::AddFrame(TGraphic* Value) {
  auto F = std::make_unique<TGIFFrame>(this);
  F->Assign(Value);
  FFrames.push_back(std::move(F));
  FFrameIndex = Count() - 1;
  if (FVersion == gvUnknown) FVersion = gv87a;
  if (Count() >= 2) FVersion = gv89a;
  TGIFFrame* Added = FFrames.back().get();
  FScreenWidth = std::max(FScreenWidth, Added->Origin().X + Added->Width());
  FScreenHeight = std::max(FScreenHeight, Added->Origin().Y + Added->Height());
  Changed();
  return FFrameIndex;
}

void TGIFImage::Assign(const TPersistent* Source) {
  if (Source == this) return;
  if (Source == nullptr) {
    Clear();
    Changed();
    return;
  }
  if (auto* G = dynamic_cast<const TGIFImage*>(Source)) {
    std::vector<std::unique_ptr<TGIFFrame>> Frames;
    for (const auto& F : G->FFrames) {
      Frames.push_back(std::make_unique<TGIFFrame>(this));
      Frames.back()->Assign(F.get());
    }
    FFrames = std::move(Frames);
    FFrameIndex = G->FFrameIndex;
    FVersion = G->FVersion;
    FScreenWidth = G->FScreenWidth;
    FScreenHeight = G->FScreenHeight;
    FColorResolution = G->FColorResolution;
    FTableBits = G->FTableBits;
    FTable = G->FTable;
    FBackgroundColor = G->FBackgroundColor;
    FLooping = G->FLooping;
    FRepeatCount = G->FRepeatCount;
    FCorrupted = G->FCorrupted;
    FComment.Assign(&G->FComment);
    SetTransparent(G->Transparent());
    Changed();
    return;
  }
  if (auto* G = dynamic_cast<const TGraphic*>(Source)) {
    Clear();
    AddFrame(const_cast<TGraphic*>(G));
    return;
  }
  TGraphic::Assign(Source);
}

void TGIFImage::LoadFromBytes(const uint8_t* Data, size_t Size) {
  TGIFFileData File;
  Guarded([&] { GIFReadFile(Data, Size, File, GIFLoadCorrupted); });
  // Read in full: only now is the image replaced.
  Clear();
  FVersion = File.Version;
  FScreenWidth = File.ScreenWidth;
  FScreenHeight = File.ScreenHeight;
  FColorResolution = File.ColorResolution;
  FTableBits = File.TableBits;
  FTable = File.Table;
  if (File.BackgroundIndex >= 0) FBackgroundColor = TableColor(File.Table, File.BackgroundIndex);
  FLooping = File.Looping;
  FRepeatCount = File.RepeatCount;
  FCorrupted = File.Corrupted;
  for (const std::string& Line : File.Comment) FComment.Add(Line);
  for (TGIFFrameData& D : File.Frames) {
    auto F = std::make_unique<TGIFFrame>(this);
    if (D.TransparentIndex >= 0) F->FTransparentColor = TableColor(D.Table, D.TransparentIndex);
    F->FData = std::move(D);
    FFrames.push_back(std::move(F));
  }
  if (!FFrames.empty()) FFrameIndex = 0;
  Changed();
}

void TGIFImage::LoadFromStream(TStream* Stream) {
  int64_t Avail = Stream->Size() - Stream->Position();
  if (Avail > (int64_t(256) << 20)) throw EInvalidGraphic(SGIFTooLarge);
  std::vector<uint8_t> Data(size_t(std::max<int64_t>(Avail, 0)));
  if (!Data.empty()) Stream->ReadBuffer(Data.data(), int64_t(Data.size()));
  LoadFromBytes(Data.data(), Data.size());
}

void TGIFImage::SaveToStream(TStream* Stream) {
  if (FFrames.empty()) throw EInvalidGraphic(SGIFNoData);
  TGIFFileData File;
  File.Version = FVersion;
  File.ScreenWidth = FScreenWidth;
  File.ScreenHeight = FScreenHeight;
  File.ColorResolution = FColorResolution;
  File.TableBits = FTableBits;
  File.Table = FTable;
  File.Looping = FLooping;
  File.RepeatCount = FRepeatCount;
  for (int I = 0; I < FComment.Count(); ++I) File.Comment.push_back(FComment[I]);
  for (auto& F : FFrames) F->EncodeBitmap(File);  // may set the global table
  for (auto& F : FFrames) File.Frames.push_back(F->FData);
  File.BackgroundIndex = std::max(FindColor(File.Table, FBackgroundColor), 0);
  std::vector<uint8_t> Out;
  Guarded([&] { Out = GIFWriteFile(File); });
  // What encoding settled is the image's from now on.
  FVersion = File.Version;
  FScreenWidth = File.ScreenWidth;
  FScreenHeight = File.ScreenHeight;
  FTable = File.Table;
  FTableBits = File.TableBits;
  for (size_t I = 0; I < FFrames.size(); ++I) FFrames[I]->FData.Extensions = File.Frames[I].Extensions;
  Stream->WriteBuffer(Out.data(), int64_t(Out.size()));
}

void TGIFImage::ReadData(TStream* Stream) {
  int32_t Size = 0;
  Stream->ReadBuffer(&Size, 4);
  if (Size < 0 || Size > Stream->Size() - Stream->Position()) throw EReadError("Stream read error");
  std::vector<uint8_t> Data(static_cast<size_t>(Size));
  if (Size > 0) Stream->ReadBuffer(Data.data(), Size);
  LoadFromBytes(Data.data(), Data.size());
}

void TGIFImage::WriteData(TStream* Stream) {
  TMemoryStream S;
  SaveToStream(&S);
  int32_t Size = int32_t(S.Size());
  Stream->WriteBuffer(&Size, 4);
  S.SaveToStream(Stream);
}

void TGIFImage::LoadFromClipboardFormat(UINT Format, HANDLE Data) {
  if (Format != CF_GIF || CF_GIF == 0 || Data == nullptr) throw EInvalidGraphic("Unsupported clipboard format");
  SIZE_T Size = GlobalSize(Data);
  const void* P = GlobalLock(Data);
  if (P == nullptr) throw EInvalidGraphic("Unsupported clipboard format");
  std::vector<uint8_t> Bytes(static_cast<const uint8_t*>(P), static_cast<const uint8_t*>(P) + Size);
  GlobalUnlock(Data);
  LoadFromBytes(Bytes.data(), Bytes.size());
}

void TGIFImage::SaveToClipboardFormat(UINT& Format, HANDLE& Data) {
  TMemoryStream S;
  SaveToStream(&S);
  HGLOBAL G = GlobalAlloc(GMEM_MOVEABLE, SIZE_T(S.Size()));
  if (G == nullptr) throw EOutOfResources("Out of system resources");
  std::memcpy(GlobalLock(G), S.Memory(), size_t(S.Size()));
  GlobalUnlock(G);
  Format = CF_GIF;
  Data = G;
}

void TGIFImage::Draw(TCanvas* ACanvas, const TRect& Rect) {
  if (Empty()) return;
  TGIFFrame* F = FFrames[size_t(FFrameIndex)].get();
  TBitmap* B = F->Bitmap();
  if (B == nullptr || B->Empty()) return;
  bool Keyed = Transparent() && F->TransparentColor() != clNone;
  bool Was = B->Transparent();
  B->SetTransparent(Keyed);
  if (Keyed) B->SetTransparentColor(F->TransparentColor());
  ACanvas->StretchDraw(Rect, B);
  B->SetTransparent(Was);
}

void RegisterGIFImage() {
  static bool Done = false;
  if (Done) return;
  Done = true;
  CF_GIF = RegisterClipboardFormatW(L"GIF Image");
  RegisterClasses<TGIFFrame, TGIFImage>();
  TPicture::RegisterFileFormat("gif", "CompuServe GIF Image", TGIFImage::StaticClassInfo());
  if (CF_GIF != 0) TPicture::RegisterClipboardFormat(CF_GIF, TGIFImage::StaticClassInfo());
}
