#include "classlib/win/icon.h"

#include <cstdlib>
#include <cstring>

#include "classlib/core/stream.h"
#include "classlib/win/bitmap.h"
#include "classlib/win/wide_string.h"

namespace {

[[noreturn]] void InvalidIcon(const char* Why) { throw EInvalidGraphic(std::string("Icon image is not valid: ") + Why); }

uint32_t Le32(const uint8_t* P) { return P[0] | P[1] << 8 | P[2] << 16 | uint32_t(P[3]) << 24; }
uint16_t Le16(const uint8_t* P) { return uint16_t(P[0] | P[1] << 8); }
void Put32(std::vector<uint8_t>& B, uint32_t V) {
  for (int I = 0; I < 4; ++I) B.push_back(uint8_t(V >> (8 * I)));
}
void Put16(std::vector<uint8_t>& B, uint16_t V) {
  B.push_back(uint8_t(V));
  B.push_back(uint8_t(V >> 8));
}

bool IconSize(HICON Icon, int& Width, int& Height) {
  ICONINFO Info{};
  if (!GetIconInfo(Icon, &Info)) return false;
  BITMAP Bm{};
  bool Ok = false;
  if (Info.hbmColor != nullptr && GetObjectW(Info.hbmColor, sizeof Bm, &Bm) != 0) {
    Width = Bm.bmWidth;
    Height = Bm.bmHeight;
    Ok = true;
  } else if (Info.hbmMask != nullptr && GetObjectW(Info.hbmMask, sizeof Bm, &Bm) != 0) {
    Width = Bm.bmWidth;
    Height = Bm.bmHeight / 2;  // a monochrome icon keeps both masks in one bitmap
    Ok = true;
  }
  if (Info.hbmColor != nullptr) DeleteObject(Info.hbmColor);
  if (Info.hbmMask != nullptr) DeleteObject(Info.hbmMask);
  return Ok;
}

// Checks one image of an .ico file before the system parses it.
void CheckImage(const uint8_t* P, uint32_t Size) {
  static const uint8_t Png[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  if (Size >= 8 && std::memcmp(P, Png, 8) == 0) return;  // the system's PNG reader checks the rest
  if (Size < 40 || Le32(P) < 40 || Le32(P) > Size) InvalidIcon("bad image header");
  int64_t W = int32_t(Le32(P + 4)), H = int32_t(Le32(P + 8));
  unsigned Bits = Le16(P + 14);
  uint32_t Compression = Le32(P + 16), ClrUsed = Le32(P + 32);
  if (W <= 0 || H <= 0 || W > 1024 || H > 2048) InvalidIcon("bad image size");
  if (Bits != 1 && Bits != 4 && Bits != 8 && Bits != 16 && Bits != 24 && Bits != 32) InvalidIcon("bad bit count");
  if (Compression != BI_RGB) InvalidIcon("compressed image");
  int64_t Colors = Bits <= 8 ? (ClrUsed != 0 ? ClrUsed : 1u << Bits) : 0;
  if (Colors > 256) InvalidIcon("too many colours");
  int64_t Rows = H / 2;  // colour image and mask, one above the other
  int64_t Need = Le32(P) + Colors * 4 + ((W * Bits + 31) / 32) * 4 * Rows + ((W + 31) / 32) * 4 * Rows;
  if (Need > Size) InvalidIcon("the image is cut short");
}

}  // namespace

const TClassInfo* TIcon::StaticClassInfo() {
  static const TClassInfo Info = TClassBuilder<TIcon, TGraphic>("TIcon").Build();
  return &Info;
}

TIcon::~TIcon() {
  if (FHandle != nullptr) DestroyIcon(FHandle);
}

void TIcon::Take(HICON Value, std::vector<uint8_t> Data) {
  int W = 0, H = 0;
  if (Value != nullptr && !IconSize(Value, W, H)) {
    W = GetSystemMetrics(SM_CXICON);
    H = GetSystemMetrics(SM_CYICON);
  }
  if (FHandle != nullptr && FHandle != Value) DestroyIcon(FHandle);
  FHandle = Value;
  FWidth = W;
  FHeight = H;
  FData = std::move(Data);
  Changed();
}

void TIcon::Assign(const TPersistent* Source) {
  if (Source == this) return;
  if (Source == nullptr) {
    Take(nullptr, {});
    return;
  }
  if (auto* I = dynamic_cast<const TIcon*>(Source)) {
    HICON Copy = I->FHandle != nullptr ? CopyIcon(I->FHandle) : nullptr;
    if (I->FHandle != nullptr && Copy == nullptr) throw EOutOfResources("Cannot copy the icon");
    Take(Copy, I->FData);
    return;
  }
  TGraphic::Assign(Source);
}

void TIcon::SetWidth(int Value) {
  if (Value != FWidth) throw EInvalidGraphicOperation("Cannot change the size of an icon");
}

void TIcon::SetHeight(int Value) {
  if (Value != FHeight) throw EInvalidGraphicOperation("Cannot change the size of an icon");
}

void TIcon::SetHandle(HICON Value) {
  if (Value == FHandle) return;
  Take(Value, {});
}

HICON TIcon::ReleaseHandle() {
  HICON H = FHandle;
  FHandle = nullptr;
  FWidth = FHeight = 0;
  FData.clear();
  Changed();
  return H;
}

void TIcon::Draw(TCanvas* ACanvas, const TRect& Rect) {
  if (FHandle == nullptr) return;
  DrawIconEx(ACanvas->Handle(), Rect.Left, Rect.Top, FHandle, Rect.Width(), Rect.Height(), 0, nullptr, DI_NORMAL);
}

void TIcon::LoadFromStream(TStream* Stream) {
  int64_t Avail = Stream->Size() - Stream->Position();
  if (Avail < 6) InvalidIcon("the header is cut short");
  if (Avail > (int64_t(64) << 20)) InvalidIcon("too large");
  std::vector<uint8_t> Data(static_cast<size_t>(Avail));
  Stream->ReadBuffer(Data.data(), Avail);
  const uint8_t* P = Data.data();
  if (Le16(P) != 0 || Le16(P + 2) != 1) InvalidIcon("no icon signature");
  unsigned Count = Le16(P + 4);
  if (Count == 0) InvalidIcon("no images");
  if (6 + int64_t(Count) * 16 > Avail) InvalidIcon("the directory is cut short");
  // The image nearest the system's icon size, then the one with the most colours.
  int Want = GetSystemMetrics(SM_CXICON);
  int Best = -1, BestDist = 0, BestBits = 0;
  for (unsigned I = 0; I < Count; ++I) {
    const uint8_t* E = P + 6 + I * 16;
    uint32_t Size = Le32(E + 8), Offset = Le32(E + 12);
    if (Offset < 6 + Count * 16 || Offset > Avail || Size > Avail - Offset) InvalidIcon("an image lies beyond the end");
    int W = E[0] == 0 ? 256 : E[0], H = E[1] == 0 ? 256 : E[1];
    int Bits = Le16(E + 6);
    if (Bits == 0 && Size >= 16 && Le32(P + Offset) >= 40) Bits = Le16(P + Offset + 14);
    if (Bits == 0) Bits = E[2] > 16 || E[2] == 0 ? 8 : 4;
    int Dist = std::abs(W - Want) + std::abs(H - Want);
    if (Best < 0 || Dist < BestDist || (Dist == BestDist && Bits > BestBits)) {
      Best = int(I);
      BestDist = Dist;
      BestBits = Bits;
    }
  }
  const uint8_t* E = P + 6 + Best * 16;
  uint32_t Size = Le32(E + 8), Offset = Le32(E + 12);
  CheckImage(P + Offset, Size);
  int W = E[0] == 0 ? 256 : E[0], H = E[1] == 0 ? 256 : E[1];
  HICON Icon = CreateIconFromResourceEx(const_cast<uint8_t*>(P + Offset), Size, TRUE, 0x00030000, W, H, LR_DEFAULTCOLOR);
  if (Icon == nullptr) InvalidIcon("the system cannot read the image");
  Take(Icon, std::move(Data));
}

void TIcon::SaveToStream(TStream* Stream) {
  if (FHandle == nullptr) return;
  if (!FData.empty()) {
    Stream->WriteBuffer(FData.data(), int64_t(FData.size()));
    return;
  }
  // An .ico of one 32-bit image with its mask, from the handle.
  ICONINFO Info{};
  if (!GetIconInfo(FHandle, &Info)) throw EInvalidGraphic("Icon image is not valid");
  int W = FWidth, H = FHeight;
  std::vector<uint8_t> Color(size_t(W) * H * 4), Mask(size_t((W + 31) / 32 * 4) * H);
  HDC DC = GetDC(nullptr);
  BITMAPINFO Bi{};
  Bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  Bi.bmiHeader.biWidth = W;
  Bi.bmiHeader.biHeight = H;
  Bi.bmiHeader.biPlanes = 1;
  Bi.bmiHeader.biBitCount = 32;
  bool Ok = true;
  if (Info.hbmColor != nullptr) {
    Ok = GetDIBits(DC, Info.hbmColor, 0, H, Color.data(), &Bi, DIB_RGB_COLORS) == H;
  }
  struct {
    BITMAPINFOHEADER Header;
    RGBQUAD Colors[2];
  } Mono{};
  Mono.Header = Bi.bmiHeader;
  Mono.Header.biBitCount = 1;
  Mono.Header.biHeight = Info.hbmColor != nullptr ? H : 2 * H;
  std::vector<uint8_t> MaskAll(Mask.size() * (Info.hbmColor != nullptr ? 1 : 2));
  if (Ok) Ok = GetDIBits(DC, Info.hbmMask, 0, Mono.Header.biHeight, MaskAll.data(),
                         reinterpret_cast<BITMAPINFO*>(&Mono), DIB_RGB_COLORS) == Mono.Header.biHeight;
  ReleaseDC(nullptr, DC);
  if (Info.hbmColor != nullptr) DeleteObject(Info.hbmColor);
  DeleteObject(Info.hbmMask);
  if (!Ok) throw EInvalidGraphic("Icon image is not valid");
  // A monochrome icon holds the AND mask above the XOR image (bottom-up: XOR rows first).
  size_t MaskStride = (W + 31) / 32 * 4;
  if (Info.hbmColor == nullptr) {
    for (int Y = 0; Y < H; ++Y)
      for (int X = 0; X < W; ++X) {
        bool On = (MaskAll[Y * MaskStride + X / 8] >> (7 - X % 8)) & 1;
        uint8_t V = On ? 255 : 0;
        uint8_t* Px = &Color[(size_t(Y) * W + X) * 4];
        Px[0] = Px[1] = Px[2] = V;
      }
    std::memcpy(Mask.data(), MaskAll.data() + Mask.size(), Mask.size());
  } else {
    Mask.assign(MaskAll.begin(), MaskAll.begin() + Mask.size());
  }
  std::vector<uint8_t> Out;
  Put16(Out, 0);
  Put16(Out, 1);
  Put16(Out, 1);
  Out.push_back(uint8_t(W >= 256 ? 0 : W));
  Out.push_back(uint8_t(H >= 256 ? 0 : H));
  Out.push_back(0);
  Out.push_back(0);
  Put16(Out, 1);
  Put16(Out, 32);
  Put32(Out, uint32_t(40 + Color.size() + Mask.size()));
  Put32(Out, 22);
  Put32(Out, 40);
  Put32(Out, uint32_t(W));
  Put32(Out, uint32_t(2 * H));
  Put16(Out, 1);
  Put16(Out, 32);
  for (int I = 0; I < 6; ++I) Put32(Out, 0);
  Out.insert(Out.end(), Color.begin(), Color.end());
  Out.insert(Out.end(), Mask.begin(), Mask.end());
  Stream->WriteBuffer(Out.data(), int64_t(Out.size()));
}

void TIcon::LoadFromResourceName(HINSTANCE Instance, const std::string& ResName) {
  HANDLE H = LoadImageW(Instance, ToWide(ResName).c_str(), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE);
  if (H == nullptr) throw EResNotFound("Resource " + ResName + " not found");
  Take(static_cast<HICON>(H), {});
}

void TIcon::LoadFromResourceID(HINSTANCE Instance, int ResID) {
  HICON H;
  if (Instance == nullptr) {
    // The system's icons are shared: keep a copy of our own.
    HICON Shared = LoadIconW(nullptr, MAKEINTRESOURCEW(ResID));
    H = Shared != nullptr ? CopyIcon(Shared) : nullptr;
  } else {
    H = static_cast<HICON>(LoadImageW(Instance, MAKEINTRESOURCEW(ResID), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE));
  }
  if (H == nullptr) throw EResNotFound("Resource " + std::to_string(ResID) + " not found");
  Take(H, {});
}

void TIcon::LoadFromClipboardFormat(UINT, HANDLE Data) {
  const void* P = Data != nullptr ? GlobalLock(Data) : nullptr;
  if (P == nullptr) InvalidIcon("no clipboard data");
  TMemoryStream M;
  try {
    M.WriteBuffer(P, int64_t(GlobalSize(Data)));
  } catch (...) {
    GlobalUnlock(Data);
    throw;
  }
  GlobalUnlock(Data);
  M.SetPosition(0);
  LoadFromStream(&M);
}

void TIcon::SaveToClipboardFormat(UINT& Format, HANDLE& Data) {
  if (Format == 0) throw EInvalidGraphic("Icons have no clipboard format of their own");
  TMemoryStream M;
  SaveToStream(&M);
  if (M.Size() == 0) throw EInvalidGraphic("Cannot put an empty icon on the clipboard");
  HGLOBAL G = GlobalAlloc(GMEM_MOVEABLE, SIZE_T(M.Size()));
  if (G == nullptr) throw EOutOfResources("Out of memory for the clipboard");
  std::memcpy(GlobalLock(G), M.Memory(), SIZE_T(M.Size()));
  GlobalUnlock(G);
  Data = G;
}
