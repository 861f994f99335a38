#include "classlib/win/picture.h"

#include <mutex>
#include <vector>

#include "classlib/core/stream.h"
#include "classlib/core/sys_utils.h"
#include "classlib/win/bitmap.h"
#include "classlib/win/icon.h"
#include "classlib/win/jpeg_image.h"

namespace {

struct TFileFormat {
  std::string Extension;  // lower case, without the dot
  std::string Description;
  const TClassInfo* Class;
};

struct TClipFormat {
  UINT Format;
  const TClassInfo* Class;
};

// The formats every picture knows, listed here rather than registered by static
// constructors (which a static library would drop).
struct TFormatTable {
  std::mutex Lock;
  std::vector<TFileFormat> Files{
      {"bmp", "Bitmaps", TBitmap::StaticClassInfo()},
      {"ico", "Icons", TIcon::StaticClassInfo()},
      {"jpg", "JPEG Image File", TJPEGImage::StaticClassInfo()},
      {"jpeg", "JPEG Image File", TJPEGImage::StaticClassInfo()},
  };
  std::vector<TClipFormat> Clips{{CF_DIB, TBitmap::StaticClassInfo()}, {CF_BITMAP, TBitmap::StaticClassInfo()}};
};

TFormatTable& Formats() {
  static TFormatTable R;
  return R;
}

std::string NormalExt(const std::string& Extension) {
  std::string E = Extension;
  if (!E.empty() && E[0] == '.') E.erase(0, 1);
  return AnsiLowerCase(E);
}

}  // namespace

const TClassInfo* TPicture::StaticClassInfo() {
  static const TClassInfo Info =
      TClassBuilder<TPicture, TPersistent>("TPicture").Prop("Data", &TPicture::Data, &TPicture::SetData).Build();
  return &Info;
}

TPicture::TPicture() = default;
TPicture::~TPicture() = default;

void TPicture::Changed() {
  if (OnChange) OnChange(this);
}

void TPicture::Take(std::unique_ptr<TGraphic> Graphic) {
  FGraphic = std::move(Graphic);
  if (FGraphic) FGraphic->OnChange = [this](TObject*) { Changed(); };
  Changed();
}

std::unique_ptr<TGraphic> TPicture::NewGraphic(const TClassInfo* GraphicClass) {
  if (GraphicClass == nullptr || !GraphicClass->CanCreateInstance())
    throw EInvalidGraphic("Cannot create a graphic of this class");
  std::unique_ptr<TPersistent> Obj(GraphicClass->CreateInstance());
  auto* G = dynamic_cast<TGraphic*>(Obj.get());
  if (G == nullptr) throw EInvalidGraphic(GraphicClass->Name + " is not a graphic class");
  Obj.release();
  return std::unique_ptr<TGraphic>(G);
}

void TPicture::SetGraphic(const TGraphic* Value) {
  if (Value == FGraphic.get()) return;
  if (Value == nullptr) {
    Take(nullptr);
    return;
  }
  std::unique_ptr<TGraphic> Copy = NewGraphic(Value->ClassInfo());
  Copy->Assign(Value);
  Take(std::move(Copy));
}

TBitmap* TPicture::Bitmap() {
  if (auto* B = dynamic_cast<TBitmap*>(FGraphic.get())) return B;
  Take(std::make_unique<TBitmap>());
  return static_cast<TBitmap*>(FGraphic.get());
}

TIcon* TPicture::Icon() {
  if (auto* I = dynamic_cast<TIcon*>(FGraphic.get())) return I;
  Take(std::make_unique<TIcon>());
  return static_cast<TIcon*>(FGraphic.get());
}

int TPicture::Width() const { return FGraphic ? FGraphic->Width() : 0; }
int TPicture::Height() const { return FGraphic ? FGraphic->Height() : 0; }

void TPicture::LoadFromFile(const std::string& FileName) {
  std::string Ext = ExtractFileExt(FileName);
  const TClassInfo* Class = FileFormatClass(Ext);
  if (Class == nullptr) throw EInvalidGraphic("Unknown picture file extension (" + Ext + ")");
  std::unique_ptr<TGraphic> New = NewGraphic(Class);
  New->LoadFromFile(FileName);
  Take(std::move(New));
}

void TPicture::SaveToFile(const std::string& FileName) {
  if (FGraphic) FGraphic->SaveToFile(FileName);
}

void TPicture::LoadFromStream(TStream* Stream, const TClassInfo* GraphicClass) {
  std::unique_ptr<TGraphic> New = NewGraphic(GraphicClass);
  New->LoadFromStream(Stream);
  Take(std::move(New));
}

void TPicture::LoadFromClipboardFormat(UINT Format, HANDLE Data) {
  const TClassInfo* Class = ClipboardFormatClass(Format);
  if (Class == nullptr) throw EInvalidGraphic("Unsupported clipboard format");
  std::unique_ptr<TGraphic> New = NewGraphic(Class);
  New->LoadFromClipboardFormat(Format, Data);
  Take(std::move(New));
}

void TPicture::SaveToClipboardFormat(UINT& Format, HANDLE& Data) {
  if (!FGraphic) throw EInvalidGraphic("Cannot put an empty picture on the clipboard");
  Format = ClipboardFormatOf(FGraphic->ClassInfo());
  FGraphic->SaveToClipboardFormat(Format, Data);
}

void TPicture::Assign(const TPersistent* Source) {
  if (Source == this) return;
  if (Source == nullptr) {
    SetGraphic(nullptr);
    return;
  }
  if (auto* P = dynamic_cast<const TPicture*>(Source)) {
    SetGraphic(P->FGraphic.get());
    return;
  }
  if (auto* G = dynamic_cast<const TGraphic*>(Source)) {
    SetGraphic(G);
    return;
  }
  TPersistent::Assign(Source);
}

TBytes TPicture::Data() const {
  if (!FGraphic) return {};
  const std::string& Name = FGraphic->ClassInfo()->Name;
  TMemoryStream M;
  uint8_t Len = uint8_t(std::min<size_t>(Name.size(), 255));
  M.WriteBuffer(&Len, 1);
  M.WriteBuffer(Name.data(), Len);
  FGraphic->SaveToStream(&M);
  auto* P = static_cast<const uint8_t*>(M.Memory());
  return TBytes(P, P + M.Size());
}

void TPicture::SetData(const TBytes& Value) {
  if (Value.empty()) {
    SetGraphic(nullptr);
    return;
  }
  size_t Len = Value[0];
  if (1 + Len > Value.size()) throw EInvalidGraphic("Picture data is not valid: the class name is cut short");
  std::string Name(Value.begin() + 1, Value.begin() + 1 + Len);
  const TClassInfo* Class = nullptr;
  {
    TFormatTable& R = Formats();
    std::lock_guard<std::mutex> Guard(R.Lock);
    for (auto& F : R.Files)
      if (SameText(F.Class->Name, Name)) Class = F.Class;
    for (auto& C : R.Clips)
      if (SameText(C.Class->Name, Name)) Class = C.Class;
  }
  if (Class == nullptr) Class = GetClass(Name);
  if (Class == nullptr) throw EInvalidGraphic("Picture data names an unknown graphic class " + Name);
  TMemoryStream M;
  M.WriteBuffer(Value.data() + 1 + Len, int64_t(Value.size() - 1 - Len));
  M.SetPosition(0);
  LoadFromStream(&M, Class);
}

void TPicture::RegisterFileFormat(const std::string& Extension, const std::string& Description,
                                  const TClassInfo* GraphicClass) {
  TFormatTable& R = Formats();
  std::lock_guard<std::mutex> Guard(R.Lock);
  std::string Ext = NormalExt(Extension);
  for (auto& F : R.Files)
    if (F.Extension == Ext) {
      F.Description = Description;
      F.Class = GraphicClass;
      return;
    }
  R.Files.push_back({Ext, Description, GraphicClass});
}

void TPicture::RegisterClipboardFormat(UINT Format, const TClassInfo* GraphicClass) {
  TFormatTable& R = Formats();
  std::lock_guard<std::mutex> Guard(R.Lock);
  for (auto& C : R.Clips)
    if (C.Format == Format) {
      C.Class = GraphicClass;
      return;
    }
  R.Clips.push_back({Format, GraphicClass});
}

void TPicture::UnregisterGraphicClass(const TClassInfo* GraphicClass) {
  TFormatTable& R = Formats();
  std::lock_guard<std::mutex> Guard(R.Lock);
  std::erase_if(R.Files, [&](const TFileFormat& F) { return F.Class == GraphicClass; });
  std::erase_if(R.Clips, [&](const TClipFormat& C) { return C.Class == GraphicClass; });
}

const TClassInfo* TPicture::FileFormatClass(const std::string& Extension) {
  TFormatTable& R = Formats();
  std::lock_guard<std::mutex> Guard(R.Lock);
  std::string Ext = NormalExt(Extension);
  for (auto& F : R.Files)
    if (F.Extension == Ext) return F.Class;
  return nullptr;
}

const TClassInfo* TPicture::ClipboardFormatClass(UINT Format) {
  TFormatTable& R = Formats();
  std::lock_guard<std::mutex> Guard(R.Lock);
  for (auto& C : R.Clips)
    if (C.Format == Format) return C.Class;
  return nullptr;
}

UINT TPicture::ClipboardFormatOf(const TClassInfo* GraphicClass) {
  TFormatTable& R = Formats();
  std::lock_guard<std::mutex> Guard(R.Lock);
  for (auto& C : R.Clips)
    if (C.Class == GraphicClass) return C.Format;
  return 0;
}

std::vector<UINT> TPicture::ClipboardFormats() {
  TFormatTable& R = Formats();
  std::lock_guard<std::mutex> Guard(R.Lock);
  std::vector<UINT> Result;
  for (auto& C : R.Clips) Result.push_back(C.Format);
  return Result;
}
