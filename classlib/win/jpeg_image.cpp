#include "classlib/win/jpeg_image.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include <jpeglib.h>
#include <jerror.h>

#include "classlib/core/stream.h"
#include "classlib/win/bitmap.h"

namespace {

// libjpeg reports fatal errors through error_exit, which must not return: it jumps back
// to the decoding call. No C++ object with a destructor lives in the frames it crosses.
struct TJpegError {
  jpeg_error_mgr Mgr;
  std::jmp_buf Jump;
  char Message[JMSG_LENGTH_MAX];
  bool CutShort;
};

void ErrorExit(j_common_ptr Info) {
  auto* E = reinterpret_cast<TJpegError*>(Info->err);
  Info->err->format_message(Info, E->Message);
  std::longjmp(E->Jump, 1);
}

void EmitMessage(j_common_ptr Info, int Level) {
  auto* E = reinterpret_cast<TJpegError*>(Info->err);
  // A warning that the data ended early: the rest of the picture would be made up.
  if (Level < 0 && Info->err->msg_code == JWRN_JPEG_EOF) E->CutShort = true;
}

void OutputMessage(j_common_ptr) {}

void InitError(TJpegError& E) {
  jpeg_std_error(&E.Mgr);
  E.Mgr.error_exit = ErrorExit;
  E.Mgr.emit_message = EmitMessage;
  E.Mgr.output_message = OutputMessage;
  E.Message[0] = 0;
  E.CutShort = false;
}

struct TDecoded {
  int Width = 0;
  int Height = 0;
  bool Gray = false;
  std::vector<uint8_t> Bgr;  // rows top-down, 3 bytes a pixel, unpadded
};

const int64_t MaxPixels = int64_t(1) << 27;  // 128 megapixels: far beyond any real photo

// Returns false with E.Message set on failure.
bool Decode(const uint8_t* Data, size_t Size, TDecoded* Out, TJpegError& E) {
  jpeg_decompress_struct D;
  InitError(E);
  D.err = &E.Mgr;
  uint8_t* volatile CmykRow = nullptr;  // volatile: still right after a jump back
  if (setjmp(E.Jump) != 0) {
    std::free(CmykRow);
    jpeg_destroy_decompress(&D);
    return false;
  }
  jpeg_create_decompress(&D);
  jpeg_mem_src(&D, const_cast<unsigned char*>(Data), static_cast<unsigned long>(Size));
  jpeg_read_header(&D, TRUE);
  bool Cmyk = D.jpeg_color_space == JCS_CMYK || D.jpeg_color_space == JCS_YCCK;
  Out->Gray = D.jpeg_color_space == JCS_GRAYSCALE;
  D.out_color_space = Cmyk ? JCS_CMYK : JCS_EXT_BGR;
  jpeg_start_decompress(&D);
  if (int64_t(D.output_width) * D.output_height > MaxPixels) {
    std::snprintf(E.Message, sizeof E.Message, "JPEG image is too large (%ux%u)", D.output_width, D.output_height);
    jpeg_destroy_decompress(&D);
    return false;
  }
  Out->Width = int(D.output_width);
  Out->Height = int(D.output_height);
  size_t RowBytes = size_t(D.output_width) * D.output_components;
  try {
    Out->Bgr.resize(size_t(D.output_width) * 3 * D.output_height);
  } catch (const std::bad_alloc&) {
    std::snprintf(E.Message, sizeof E.Message, "Out of memory for the JPEG image");
    jpeg_destroy_decompress(&D);
    return false;
  }
  std::vector<uint8_t>& Rows = Out->Bgr;
  if (Cmyk) {
    CmykRow = static_cast<uint8_t*>(std::malloc(RowBytes));  // freed below; no destructor here
    if (CmykRow == nullptr) {
      std::snprintf(E.Message, sizeof E.Message, "Out of memory for the JPEG image");
      jpeg_destroy_decompress(&D);
      return false;
    }
  }
  while (D.output_scanline < D.output_height) {
    uint8_t* Dst = &Rows[size_t(D.output_scanline) * D.output_width * 3];
    JSAMPROW Row = Cmyk ? CmykRow : Dst;
    if (jpeg_read_scanlines(&D, &Row, 1) != 1) break;
    if (Cmyk) {
      // Adobe writes CMYK inverted; so do nearly all files in the wild.
      bool Inverted = D.saw_Adobe_marker;
      for (unsigned X = 0; X < D.output_width; ++X) {
        int C = CmykRow[X * 4], M = CmykRow[X * 4 + 1], Y = CmykRow[X * 4 + 2], K = CmykRow[X * 4 + 3];
        if (!Inverted) C = 255 - C, M = 255 - M, Y = 255 - Y, K = 255 - K;
        Dst[X * 3] = uint8_t(Y * K / 255);
        Dst[X * 3 + 1] = uint8_t(M * K / 255);
        Dst[X * 3 + 2] = uint8_t(C * K / 255);
      }
    }
  }
  std::free(CmykRow);
  CmykRow = nullptr;
  jpeg_finish_decompress(&D);
  jpeg_destroy_decompress(&D);
  if (E.CutShort) {
    std::snprintf(E.Message, sizeof E.Message, "JPEG image is cut short");
    return false;
  }
  return true;
}

// Rows top-down, 3 bytes a pixel (BGR), unpadded.
bool Encode(const uint8_t* Bgr, int Width, int Height, int Quality, unsigned char** Out, unsigned long* OutSize,
            TJpegError& E) {
  jpeg_compress_struct C;
  InitError(E);
  C.err = &E.Mgr;
  if (setjmp(E.Jump) != 0) {
    jpeg_destroy_compress(&C);
    return false;
  }
  jpeg_create_compress(&C);
  jpeg_mem_dest(&C, Out, OutSize);
  C.image_width = JDIMENSION(Width);
  C.image_height = JDIMENSION(Height);
  C.input_components = 3;
  C.in_color_space = JCS_EXT_BGR;
  jpeg_set_defaults(&C);
  jpeg_set_quality(&C, Quality, TRUE);
  jpeg_start_compress(&C, TRUE);
  while (C.next_scanline < C.image_height) {
    JSAMPROW Row = const_cast<uint8_t*>(Bgr + size_t(C.next_scanline) * Width * 3);
    jpeg_write_scanlines(&C, &Row, 1);
  }
  jpeg_finish_compress(&C);
  jpeg_destroy_compress(&C);
  return true;
}

std::unique_ptr<TBitmap> ToBitmap(const TDecoded& D) {
  auto B = std::make_unique<TBitmap>();
  B->SetPixelFormat(pf24bit);
  B->SetSize(D.Width, D.Height);
  for (int Y = 0; Y < D.Height; ++Y)
    std::memcpy(B->ScanLine(Y), &D.Bgr[size_t(Y) * D.Width * 3], size_t(D.Width) * 3);
  return B;
}

}  // namespace

const TClassInfo* TJPEGImage::StaticClassInfo() {
  static const TClassInfo Info = TClassBuilder<TJPEGImage, TGraphic>("TJPEGImage").Build();
  return &Info;
}

TJPEGImage::TJPEGImage() = default;
TJPEGImage::~TJPEGImage() = default;

int TJPEGImage::Width() const { return FBitmap ? FBitmap->Width() : 0; }
int TJPEGImage::Height() const { return FBitmap ? FBitmap->Height() : 0; }

void TJPEGImage::SetWidth(int Value) {
  if (Value != Width()) throw EInvalidGraphicOperation("Cannot change the size of a JPEG image");
}

void TJPEGImage::SetHeight(int Value) {
  if (Value != Height()) throw EInvalidGraphicOperation("Cannot change the size of a JPEG image");
}

void TJPEGImage::SetCompressionQuality(int Value) {
  if (Value < 1 || Value > 100) throw EJPEG("JPEG quality must lie between 1 and 100");
  FQuality = Value;
}

void TJPEGImage::Assign(const TPersistent* Source) {
  if (Source == this) return;
  if (Source == nullptr) {
    FData.clear();
    FBitmap.reset();
    FGrayscale = false;
    Changed();
    return;
  }
  if (auto* J = dynamic_cast<const TJPEGImage*>(Source)) {
    std::unique_ptr<TBitmap> B;
    if (J->FBitmap) {
      B = std::make_unique<TBitmap>();
      B->Assign(J->FBitmap.get());
    }
    FData = J->FData;
    FBitmap = std::move(B);
    FQuality = J->FQuality;
    FGrayscale = J->FGrayscale;
    Changed();
    return;
  }
  if (auto* G = dynamic_cast<const TGraphic*>(Source)) {
    auto B = std::make_unique<TBitmap>();
    B->Assign(G);
    if (B->Empty()) {
      FBitmap.reset();
    } else {
      B->SetPixelFormat(pf24bit);
      FBitmap = std::move(B);
    }
    FData.clear();  // compressed when saved
    FGrayscale = false;
    Changed();
    return;
  }
  TGraphic::Assign(Source);
}

void TJPEGImage::AssignTo(TPersistent* Dest) const {
  if (auto* B = dynamic_cast<TBitmap*>(Dest)) {
    if (FBitmap)
      B->Assign(FBitmap.get());
    else
      B->Assign(nullptr);
    return;
  }
  TGraphic::AssignTo(Dest);
}

void TJPEGImage::LoadFromStream(TStream* Stream) {
  int64_t Avail = Stream->Size() - Stream->Position();
  if (Avail <= 0) throw EJPEG("JPEG image is empty");
  if (Avail > (int64_t(256) << 20)) throw EJPEG("JPEG data is too large");
  std::vector<uint8_t> Data(static_cast<size_t>(Avail));
  Stream->ReadBuffer(Data.data(), Avail);
  TDecoded D;
  TJpegError E;
  if (!Decode(Data.data(), Data.size(), &D, E)) throw EJPEG(std::string("JPEG error: ") + E.Message);
  FBitmap = ToBitmap(D);
  FData = std::move(Data);
  FGrayscale = D.Gray;
  Changed();
}

void TJPEGImage::JPEGNeeded() {
  if (!FData.empty() || !FBitmap) return;
  int W = FBitmap->Width(), H = FBitmap->Height();
  std::vector<uint8_t> Bgr(size_t(W) * H * 3);
  for (int Y = 0; Y < H; ++Y) std::memcpy(&Bgr[size_t(Y) * W * 3], FBitmap->ScanLine(Y), size_t(W) * 3);
  unsigned char* Out = nullptr;
  unsigned long Size = 0;
  TJpegError E;
  bool Ok = Encode(Bgr.data(), W, H, FQuality, &Out, &Size, E);
  if (Ok) FData.assign(Out, Out + Size);
  std::free(Out);
  if (!Ok) throw EJPEG(std::string("JPEG error: ") + E.Message);
}

void TJPEGImage::SaveToStream(TStream* Stream) {
  JPEGNeeded();
  if (!FData.empty()) Stream->WriteBuffer(FData.data(), int64_t(FData.size()));
}

void TJPEGImage::Draw(TCanvas* ACanvas, const TRect& Rect) {
  if (FBitmap) ACanvas->StretchDraw(Rect, FBitmap.get());
}
