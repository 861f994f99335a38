#include "ui/rx_rich_edit.h"

#include <richole.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "classlib/core/code_page.h"
#include "classlib/core/exception.h"
#include "classlib/core/sys_utils.h"
#include "classlib/win/application.h"
#include "classlib/win/graphics.h"
#include "classlib/win/wide_string.h"
#include "ui/core/line_breaks.h"

template <> const TTypeInfo* TypeInfoOf<TRichStreamFormat>() {
  static const TTypeInfo Info = EnumTypeInfo("TRichStreamFormat", {"sfDefault", "sfRichText", "sfPlainText"});
  return &Info;
}
template <> const TTypeInfo* TypeInfoOf<TRichStreamMode>() {
  static const TTypeInfo Info =
      EnumTypeInfo("TRichStreamMode", {"smSelection", "smPlainRtf", "smNoObjects", "smUnicode"});
  return &Info;
}
template <> const TTypeInfo* TypeInfoOf<TRichLangOption>() {
  static const TTypeInfo Info = EnumTypeInfo(
      "TRichLangOption", {"rlAutoKeyboard", "rlAutoFont", "rlImeCancelComplete", "rlImeAlwaysSendNotify"});
  return &Info;
}

// ---------------------------------------------------------------------------------------
// The library and its level.

int RichEditLevel() {
  static const int Level = [] {
    UINT OldMode = SetErrorMode(SEM_NOOPENFILEERRORBOX | SEM_FAILCRITICALERRORS);
    auto Loaded = [](const wchar_t* Name) {
      HMODULE M = LoadLibraryW(Name);
      return reinterpret_cast<UINT_PTR>(M) >= 32;
    };
    int L = 1;
    if (Loaded(L"RICHED20.DLL")) {
      L = 2;
      OSVERSIONINFOW V{};
      V.dwOSVersionInfoSize = sizeof V;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
      if (GetVersionExW(&V) && V.dwPlatformId == VER_PLATFORM_WIN32_NT && V.dwMajorVersion >= 5) L = 3;
#pragma GCC diagnostic pop
    } else {
      Loaded(L"RICHED32.DLL");
    }
    SetErrorMode(OldMode);
    for (const wchar_t* F : {L"Embedded Object", L"Link Source", L"Rich Text Format", L"Rich Text Format Without Objects"})
      RegisterClipboardFormatW(F);
    return L;
  }();
  return Level;
}

namespace {

// The window is a wide rich edit from level 2 on: its text is exchanged in UTF-16 and the
// program's 1251 text is converted here. The old library's window is ANSI.
bool WideWindow() { return RichEditLevel() >= 2; }

const char* LineEnd() { return RichEditLevel() == 1 ? "\r\n" : "\r"; }

struct TConversionFormat {
  std::string Extension;
  TConversionClass Class;
  bool PlainText;
};

std::vector<TConversionFormat>& ConversionFormats() {
  static std::vector<TConversionFormat> List;
  return List;
}

const TConversionFormat* FindConversionFormat(const std::string& FileName) {
  std::string Ext = LowerCase(ExtractFileExt(FileName));
  if (!Ext.empty() && Ext[0] == '.') Ext.erase(0, 1);
  auto& List = ConversionFormats();
  // The most recently registered entry first.
  for (auto I = List.rbegin(); I != List.rend(); ++I)
    if (I->Extension == Ext) return &*I;
  return nullptr;
}

// The state of one EM_STREAMIN or EM_STREAMOUT.
struct TStreamContext {
  TConversion* Conversion;
  TStream* Stream;
  // Plain text in the program's code page exchanged with a wide window as UTF-16.
  bool ConvertCodePage;
  // Plain text: line breaks normalised on the way in.
  bool Text;
  // UTF-16 text: units are 2 bytes (the stream's own Unicode, or ours after conversion).
  bool Unicode;
  TLineBreakNormalizer Breaks;
  std::string Pending;  // converted bytes not yet handed over
  std::string OddByte;  // the first half of a UTF-16 unit read without its second
};

DWORD CALLBACK StreamIn(DWORD_PTR Cookie, LPBYTE Buffer, LONG Size, LONG* Done) {
  auto* C = reinterpret_cast<TStreamContext*>(Cookie);
  *Done = 0;
  try {
    // What the previous call converted but could not hand over goes first.
    while (C->Pending.size() < static_cast<std::size_t>(Size)) {
      // Each byte read may become up to 4 bytes (a CR becomes CR LF, each a UTF-16 unit).
      int Want = std::max<LONG>(Size / 4, 2);
      std::string Raw(Want, '\0');
      int Got = C->Conversion->ConvertReadStream(C->Stream, Raw.data(), Want);
      if (Got <= 0) break;
      Raw.resize(Got);
      if (!C->Text) {
        C->Pending += Raw;
      } else if (C->ConvertCodePage) {
        std::u16string Units = Cp1251ToUtf16(Raw), Out;
        C->Breaks.Convert(Units.data(), Units.size(), Out);
        C->Pending.append(reinterpret_cast<const char*>(Out.data()), Out.size() * 2);
      } else if (C->Unicode) {
        // A unit split between two reads waits for its second half.
        Raw.insert(0, C->OddByte);
        C->OddByte.clear();
        std::size_t Whole = Raw.size() & ~std::size_t(1);
        std::u16string Units(Whole / 2, u'\0'), Out;
        std::memcpy(Units.data(), Raw.data(), Whole);
        C->Breaks.Convert(Units.data(), Units.size(), Out);
        C->Pending.append(reinterpret_cast<const char*>(Out.data()), Out.size() * 2);
        C->OddByte = Raw.substr(Whole);
      } else {
        std::string Out;
        C->Breaks.Convert(Raw.data(), Raw.size(), Out);
        C->Pending += Out;
      }
    }
    std::size_t N = std::min<std::size_t>(C->Pending.size(), Size);
    std::size_t Unit = C->Unicode ? 2 : 1;
    // A UTF-16 unit is never cut in two.
    if (C->Unicode && N % 2 && N < C->Pending.size()) --N;
    // Nor is a CR LF: the control would take its halves for two breaks.
    if (C->Text && N < C->Pending.size() && N > Unit && C->Pending[N - Unit] == '\r' &&
        (Unit == 1 || C->Pending[N - 1] == 0))
      N -= Unit;
    std::memcpy(Buffer, C->Pending.data(), N);
    C->Pending.erase(0, N);
    *Done = static_cast<LONG>(N);
    return 0;
  } catch (...) {
    return 1;
  }
}

DWORD CALLBACK StreamOut(DWORD_PTR Cookie, LPBYTE Buffer, LONG Size, LONG* Done) {
  auto* C = reinterpret_cast<TStreamContext*>(Cookie);
  *Done = 0;
  try {
    if (C->ConvertCodePage) {
      C->Pending.append(reinterpret_cast<const char*>(Buffer), Size);
      std::size_t Whole = C->Pending.size() & ~std::size_t(1);
      std::u16string Units(Whole / 2, u'\0');
      std::memcpy(Units.data(), C->Pending.data(), Whole);
      C->Pending.erase(0, Whole);
      std::string Bytes = Utf16ToCp1251(Units);
      if (!Bytes.empty() &&
          C->Conversion->ConvertWriteStream(C->Stream, Bytes.data(), int(Bytes.size())) != int(Bytes.size()))
        return 1;
      *Done = Size;
    } else {
      *Done = C->Conversion->ConvertWriteStream(C->Stream, reinterpret_cast<const char*>(Buffer), Size);
    }
    return 0;
  } catch (...) {
    return 1;
  }
}

// Text to and from the window, in its own character type.
std::wstring WideOf(const std::string& S) { return ToWide(S); }

}  // namespace

int TConversion::ConvertReadStream(TStream* Stream, char* Buffer, int Count) { return Stream->Read(Buffer, Count); }

int TConversion::ConvertWriteStream(TStream* Stream, const char* Buffer, int Count) {
  return Stream->Write(Buffer, Count);
}

void RegisterConversionFormat(const std::string& Extension, TConversionClass ConversionClass, bool PlainText) {
  ConversionFormats().push_back({LowerCase(Extension), std::move(ConversionClass), PlainText});
}

// ---------------------------------------------------------------------------------------
// TRichEditStrings

TRichEditStrings::~TRichEditStrings() = default;

HWND TRichEditStrings::Wnd() const { return FRichEdit->Handle(); }

int TRichEditStrings::GetCount() const {
  HWND W = Wnd();
  int N = int(SendMessageW(W, EM_GETLINECOUNT, 0, 0));
  LRESULT Last = SendMessageW(W, EM_LINEINDEX, N - 1, 0);
  if (N > 0 && SendMessageW(W, EM_LINELENGTH, Last, 0) == 0) --N;
  return N;
}

std::string TRichEditStrings::Get(int Index) const {
  HWND W = Wnd();
  LRESULT First = SendMessageW(W, EM_LINEINDEX, Index, 0);
  if (Index < 0 || First < 0) return {};
  // Sized from the line itself, with room for its break: a line is never cut.
  std::size_t Len = std::size_t(SendMessageW(W, EM_LINELENGTH, First, 0)) + 3;
  std::string S;
  if (WideWindow()) {
    // A text range of the line's own length: EM_GETLINE's buffer size is a 16-bit count.
    std::size_t LineLen = Len - 3;
    std::wstring Buf(LineLen + 1, L'\0');
    TEXTRANGEW R{{LONG(First), LONG(First + LineLen)}, Buf.data()};
    LRESULT N = SendMessageW(W, EM_GETTEXTRANGE, 0, reinterpret_cast<LPARAM>(&R));
    S = FromWide(std::wstring_view(Buf.data(), std::size_t(std::clamp<LRESULT>(N, 0, LRESULT(LineLen)))));
    return S;
  } else {
    std::string Buf(std::max<std::size_t>(Len, 2), '\0');
    *reinterpret_cast<WORD*>(Buf.data()) = WORD(std::min<std::size_t>(Buf.size(), 0xFFFF));
    LRESULT N = SendMessageA(W, EM_GETLINE, Index, reinterpret_cast<LPARAM>(Buf.data()));
    S.assign(Buf.data(), std::size_t(std::max<LRESULT>(N, 0)));
  }
  if (S.size() >= 2 && S.compare(S.size() - 2, 2, "\r\n") == 0) S.resize(S.size() - 2);
  else if (RichEditLevel() >= 2 && !S.empty() && S.back() == '\r') S.pop_back();
  return S;
}

void TRichEditStrings::Put(int Index, const std::string& S) {
  if (Index < 0) return;
  HWND W = Wnd();
  LRESULT First = SendMessageW(W, EM_LINEINDEX, Index, 0);
  if (First < 0) return;
  LRESULT Len = SendMessageW(W, EM_LINELENGTH, First, 0);
  CHARRANGE R{LONG(First), LONG(First + Len)};
  SendMessageW(W, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&R));
  FRichEdit->FModifying = true;
  struct TReset {
    bool& F;
    ~TReset() { F = false; }
  } Reset{FRichEdit->FModifying};
  SendMessageW(W, EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(WideOf(S).c_str()));
}

void TRichEditStrings::Insert(int Index, const std::string& S) {
  if (Index < 0) return;
  HWND W = Wnd();
  LRESULT At = SendMessageW(W, EM_LINEINDEX, Index, 0);
  std::string Str;
  if (At >= 0) {
    Str = S + LineEnd();
  } else {
    LRESULT Prev = SendMessageW(W, EM_LINEINDEX, Index - 1, 0);
    if (Index == 0 || Prev < 0) return;
    LRESULT Len = SendMessageW(W, EM_LINELENGTH, Prev, 0);
    if (Len == 0) return;
    At = Prev + Len;
    Str = LineEnd() + S;
  }
  CHARRANGE R{LONG(At), LONG(At)};
  SendMessageW(W, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&R));
  FRichEdit->FModifying = true;
  struct TReset {
    bool& F;
    ~TReset() { F = false; }
  } Reset{FRichEdit->FModifying};
  SendMessageW(W, EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(WideOf(Str).c_str()));
  CHARRANGE After{0, 0};
  SendMessageW(W, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&After));
  if (RichEditLevel() == 1 && After.cpMax != LONG(At + Str.size()))
    throw EOutOfResources("RichEdit line insertion error");
}

void TRichEditStrings::Delete(int Index) {
  if (Index < 0) return;
  HWND W = Wnd();
  LRESULT Start = SendMessageW(W, EM_LINEINDEX, Index, 0);
  if (Start < 0) return;
  LRESULT End = SendMessageW(W, EM_LINEINDEX, Index + 1, 0);
  if (End < 0) End = Start + SendMessageW(W, EM_LINELENGTH, Start, 0);
  CHARRANGE R{LONG(Start), LONG(End)};
  SendMessageW(W, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&R));
  FRichEdit->FModifying = true;
  struct TReset {
    bool& F;
    ~TReset() { F = false; }
  } Reset{FRichEdit->FModifying};
  SendMessageW(W, EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(L""));
}

void TRichEditStrings::Clear() { FRichEdit->Clear(); }

void TRichEditStrings::SetUpdateState(bool Updating) {
  if (FRichEdit->HandleAllocated() && FRichEdit->Showing())
    SendMessageW(FRichEdit->Handle(), WM_SETREDRAW, !Updating, 0);
  if (!Updating && FRichEdit->HandleAllocated()) {
    FRichEdit->Invalidate();
    FRichEdit->Change();
  }
}

void TRichEditStrings::LoadFromStream(TStream* Stream) {
  HWND W = Wnd();
  bool Rtf = FFormat == sfRichText || (FFormat == sfDefault && !FRichEdit->PlainText());
  bool Unicode = FMode.Contains(smUnicode) && RichEditLevel() >= 2;
  WPARAM Flags = 0;
  if (FMode.Contains(smSelection)) Flags |= SFF_SELECTION;
  if (Rtf && FMode.Contains(smPlainRtf)) Flags |= SFF_PLAINRTF;
  std::unique_ptr<TConversion> Own;
  TConversion* Conv = FConverter.get();
  if (Conv == nullptr) Conv = (Own = std::make_unique<TConversion>()).get();
  std::int64_t Position = Stream->Position();

  auto Run = [&](bool AsRtf, WPARAM Extra) {
    TStreamContext C{Conv, Stream, !AsRtf && !Unicode && WideWindow(), !AsRtf, !AsRtf && (Unicode || WideWindow()), {}, {}, {}};
    WPARAM F = (AsRtf ? SF_RTF : SF_TEXT) | Extra;
    if (!AsRtf && C.Unicode) F |= SF_UNICODE;
    EDITSTREAM ES{reinterpret_cast<DWORD_PTR>(&C), 0, StreamIn};
    SendMessageW(W, EM_STREAMIN, F, reinterpret_cast<LPARAM>(&ES));
    return ES.dwError == 0;
  };
  bool Ok;
  if (Rtf) {
    // What is not rich text loads as text. The control may take a text that does not
    // start as rich text for an empty document without a complaint: such a text is not
    // offered to it as rich text at all.
    char Head[5] = {};
    int Got = Conv == Own.get() ? Stream->Read(Head, 5) : 5;
    Stream->SetPosition(Position);
    bool LooksRtf = Got < 5 || std::memcmp(Head, "{\\rtf", 5) == 0 || std::memcmp(Head, "{\\urt", 5) == 0 || Conv != Own.get();
    Ok = LooksRtf && Run(true, Flags);
    if (!Ok) {
      Stream->SetPosition(Position);
      Ok = Run(false, 0);
    }
  } else {
    Ok = Run(false, Flags);
    if (!Ok) {
      Stream->SetPosition(Position);
      Ok = Run(true, 0);
    }
  }
  if (!Ok) throw EOutOfResources("Failed to Load Stream");
  FRichEdit->SetSelection(0, 0, true);
}

void TRichEditStrings::SaveToStream(TStream* Stream) {
  HWND W = Wnd();
  bool Rtf = FFormat == sfRichText || (FFormat == sfDefault && !FRichEdit->PlainText());
  bool Unicode = FMode.Contains(smUnicode) && RichEditLevel() >= 2;
  WPARAM F;
  if (Rtf) {
    F = FMode.Contains(smNoObjects) ? SF_RTFNOOBJS : SF_RTF;
    if (FMode.Contains(smPlainRtf)) F |= SFF_PLAINRTF;
  } else {
    F = SF_TEXT;
    if (Unicode || WideWindow()) F |= SF_UNICODE;
  }
  if (FMode.Contains(smSelection)) F |= SFF_SELECTION;
  std::unique_ptr<TConversion> Own;
  TConversion* Conv = FConverter.get();
  if (Conv == nullptr) Conv = (Own = std::make_unique<TConversion>()).get();
  TStreamContext C{Conv, Stream, !Rtf && !Unicode && WideWindow(), !Rtf, false, {}, {}, {}};
  EDITSTREAM ES{reinterpret_cast<DWORD_PTR>(&C), 0, StreamOut};
  SendMessageW(W, EM_STREAMOUT, F, reinterpret_cast<LPARAM>(&ES));
  if (ES.dwError != 0) throw EOutOfResources("Failed to Save Stream");
}

void TRichEditStrings::LoadFromFile(const std::string& FileName) {
  const TConversionFormat* Entry = FindConversionFormat(FileName);
  TRichStreamFormat Saved = FFormat;
  if (Entry != nullptr) {
    if (!FConverter) FConverter = Entry->Class();
    FFormat = Entry->PlainText ? sfPlainText : sfRichText;
  }
  struct TRestore {
    TRichStreamFormat& F;
    TRichStreamFormat V;
    ~TRestore() { F = V; }
  } Restore{FFormat, Saved};
  TStrings::LoadFromFile(FileName);
}

void TRichEditStrings::SaveToFile(const std::string& FileName) {
  const TConversionFormat* Entry = FindConversionFormat(FileName);
  TRichStreamFormat Saved = FFormat;
  if (Entry != nullptr) {
    if (!FConverter) FConverter = Entry->Class();
    FFormat = Entry->PlainText ? sfPlainText : sfRichText;
  }
  struct TRestore {
    TRichStreamFormat& F;
    TRichStreamFormat V;
    ~TRestore() { F = V; }
  } Restore{FFormat, Saved};
  TStrings::SaveToFile(FileName);
}

// ---------------------------------------------------------------------------------------
// TRxTextAttributes

namespace {

constexpr int kTwips = 20;

DWORD ScopeOf(TRxAttributeType Type) {
  switch (Type) {
    case atSelected: return SCF_SELECTION;
    case atWord: return SCF_SELECTION | SCF_WORD;
    default: return SCF_DEFAULT;
  }
}

}  // namespace

bool TRxTextAttributes::GetFormat(CHARFORMAT2W& F) const {
  std::memset(&F, 0, sizeof F);
  F.cbSize = sizeof F;
  if (!FRichEdit->HandleAllocated()) return false;
  // The default format is read with 0; the others with the selection flag.
  SendMessageW(FRichEdit->Handle(), EM_GETCHARFORMAT, FType == atDefaultText ? SCF_DEFAULT : SCF_SELECTION,
               reinterpret_cast<LPARAM>(&F));
  return true;
}

void TRxTextAttributes::SetFormat(CHARFORMAT2W& F) const {
  if (!FRichEdit->HandleAllocated()) return;
  SendMessageW(FRichEdit->Handle(), EM_SETCHARFORMAT, ScopeOf(FType), reinterpret_cast<LPARAM>(&F));
}

namespace {

CHARFORMAT2W NewCharFormat(DWORD Mask) {
  CHARFORMAT2W F;
  std::memset(&F, 0, sizeof F);
  F.cbSize = sizeof F;
  F.dwMask = Mask;
  return F;
}

// At most 31 characters, so that the 32-character field keeps its terminator.
void CopyFaceName(WCHAR (&Field)[LF_FACESIZE], const std::string& Name) {
  std::wstring W = ToWide(Name);
  std::size_t N = std::min<std::size_t>(W.size(), LF_FACESIZE - 1);
  std::memcpy(Field, W.data(), N * sizeof(WCHAR));
  Field[N] = 0;
}

}  // namespace

TFontCharset TRxTextAttributes::Charset() const {
  CHARFORMAT2W F;
  return GetFormat(F) ? F.bCharSet : 0;
}

void TRxTextAttributes::SetCharset(TFontCharset Value) {
  CHARFORMAT2W F = NewCharFormat(CFM_CHARSET);
  F.bCharSet = Value;
  SetFormat(F);
}

TColor TRxTextAttributes::Color() const {
  CHARFORMAT2W F;
  if (!GetFormat(F)) return TColor(0);
  if (F.dwEffects & CFE_AUTOCOLOR) return clWindowText;
  return TColor(F.crTextColor);
}

void TRxTextAttributes::SetColor(TColor Value) {
  CHARFORMAT2W F = NewCharFormat(CFM_COLOR);
  if (Value == clWindowText || Value == clDefault) F.dwEffects = CFE_AUTOCOLOR;
  else F.crTextColor = COLORREF(ColorToRGB(Value));
  SetFormat(F);
}

std::string TRxTextAttributes::Name() const {
  CHARFORMAT2W F;
  if (!GetFormat(F)) return {};
  return FromWideBuf(F.szFaceName, LF_FACESIZE);
}

void TRxTextAttributes::SetName(const std::string& Value) {
  CHARFORMAT2W F = NewCharFormat(CFM_FACE);
  CopyFaceName(F.szFaceName, Value);
  SetFormat(F);
}

TFontStyles TRxTextAttributes::Style() const {
  CHARFORMAT2W F;
  TFontStyles S;
  if (!GetFormat(F)) return S;
  if (F.dwEffects & CFE_BOLD) S << fsBold;
  if (F.dwEffects & CFE_ITALIC) S << fsItalic;
  if (F.dwEffects & CFE_UNDERLINE) S << fsUnderline;
  if (F.dwEffects & CFE_STRIKEOUT) S << fsStrikeOut;
  return S;
}

namespace {

DWORD EffectsOf(TFontStyles S) {
  return (S.Contains(fsBold) ? CFE_BOLD : 0) | (S.Contains(fsItalic) ? CFE_ITALIC : 0) |
         (S.Contains(fsUnderline) ? CFE_UNDERLINE : 0) | (S.Contains(fsStrikeOut) ? CFE_STRIKEOUT : 0);
}

BYTE PitchBitsOf(TFontPitch P) { return P == fpVariable ? VARIABLE_PITCH : P == fpFixed ? FIXED_PITCH : 0; }

}  // namespace

void TRxTextAttributes::SetStyle(TFontStyles Value) {
  CHARFORMAT2W F = NewCharFormat(CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_STRIKEOUT);
  F.dwEffects = EffectsOf(Value);
  SetFormat(F);
}

int TRxTextAttributes::Size() const {
  CHARFORMAT2W F;
  return GetFormat(F) ? F.yHeight / kTwips : 0;
}

void TRxTextAttributes::SetSize(int Value) {
  CHARFORMAT2W F = NewCharFormat(CFM_SIZE);
  F.yHeight = Value * kTwips;
  SetFormat(F);
}

TFontPitch TRxTextAttributes::Pitch() const {
  CHARFORMAT2W F;
  if (!GetFormat(F)) return fpDefault;
  switch (F.bPitchAndFamily & 3) {
    case FIXED_PITCH: return fpFixed;
    case VARIABLE_PITCH: return fpVariable;
    default: return fpDefault;
  }
}

void TRxTextAttributes::SetPitch(TFontPitch Value) {
  CHARFORMAT2W F;
  GetFormat(F);
  F.dwMask = CFM_FACE;  // the pitch travels with the face
  F.bPitchAndFamily = PitchBitsOf(Value);
  SetFormat(F);
}

void TRxTextAttributes::Assign(const TPersistent* Source) {
  if (auto* Font = dynamic_cast<const TFont*>(Source)) {
    CHARFORMAT2W F = NewCharFormat(CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_STRIKEOUT | CFM_SIZE | CFM_COLOR |
                                   CFM_FACE | CFM_CHARSET);
    CopyFaceName(F.szFaceName, Font->Name());
    F.yHeight = Font->Size() * kTwips;
    F.dwEffects = EffectsOf(Font->Style());
    if (Font->Color() == clWindowText || Font->Color() == clDefault) F.dwEffects |= CFE_AUTOCOLOR;
    else F.crTextColor = COLORREF(ColorToRGB(Font->Color()));
    F.bPitchAndFamily = PitchBitsOf(Font->Pitch());
    F.bCharSet = Font->Charset();
    F.dwMask |= CFM_WEIGHT;
    F.wWeight = Font->Style().Contains(fsBold) ? FW_BOLD : FW_NORMAL;
    SetFormat(F);
    return;
  }
  if (auto* Other = dynamic_cast<const TRxTextAttributes*>(Source)) {
    CHARFORMAT2W F;
    if (Other->GetFormat(F)) SetFormat(F);
    return;
  }
  TPersistent::Assign(Source);
}

void TRxTextAttributes::AssignTo(TPersistent* Dest) const {
  if (auto* Font = dynamic_cast<TFont*>(Dest)) {
    Font->SetColor(Color());
    Font->SetName(Name());
    Font->SetCharset(Charset());
    Font->SetStyle(Style());
    Font->SetSize(Size());
    Font->SetPitch(Pitch());
    return;
  }
  TPersistent::AssignTo(Dest);
}

// ---------------------------------------------------------------------------------------
// TRxParaAttributes

bool TRxParaAttributes::GetFormat(PARAFORMAT2& F) const {
  std::memset(&F, 0, sizeof F);
  F.cbSize = sizeof F;
  if (!FRichEdit->HandleAllocated()) return false;
  SendMessageW(FRichEdit->Handle(), EM_GETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&F));
  return true;
}

void TRxParaAttributes::SetFormat(PARAFORMAT2& F) const {
  if (!FRichEdit->HandleAllocated()) return;
  SendMessageW(FRichEdit->Handle(), EM_SETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&F));
}

namespace {

PARAFORMAT2 NewParaFormat(DWORD Mask) {
  PARAFORMAT2 F;
  std::memset(&F, 0, sizeof F);
  F.cbSize = sizeof F;
  F.dwMask = Mask;
  return F;
}

}  // namespace

TRxAlignment TRxParaAttributes::Alignment() const {
  PARAFORMAT2 F;
  if (!GetFormat(F) || F.wAlignment < 1 || F.wAlignment > 4) return paLeftJustify;
  return TRxAlignment(F.wAlignment - 1);
}

void TRxParaAttributes::SetAlignment(TRxAlignment Value) {
  PARAFORMAT2 F = NewParaFormat(PFM_ALIGNMENT);
  F.wAlignment = WORD(Value + 1);
  SetFormat(F);
}

int TRxParaAttributes::FirstIndent() const {
  PARAFORMAT2 F;
  return GetFormat(F) ? F.dxStartIndent / kTwips : 0;
}

void TRxParaAttributes::SetFirstIndent(int Value) {
  PARAFORMAT2 F = NewParaFormat(PFM_STARTINDENT);
  F.dxStartIndent = Value * kTwips;
  SetFormat(F);
}

int TRxParaAttributes::LeftIndent() const {
  PARAFORMAT2 F;
  return GetFormat(F) ? F.dxOffset / kTwips : 0;
}

void TRxParaAttributes::SetLeftIndent(int Value) {
  PARAFORMAT2 F = NewParaFormat(PFM_OFFSET);
  F.dxOffset = Value * kTwips;
  SetFormat(F);
}

int TRxParaAttributes::RightIndent() const {
  PARAFORMAT2 F;
  return GetFormat(F) ? F.dxRightIndent / kTwips : 0;
}

void TRxParaAttributes::SetRightIndent(int Value) {
  PARAFORMAT2 F = NewParaFormat(PFM_RIGHTINDENT);
  F.dxRightIndent = Value * kTwips;
  SetFormat(F);
}

TRxNumbering TRxParaAttributes::Numbering() const {
  PARAFORMAT2 F;
  if (!GetFormat(F)) return nsNone;
  if (RichEditLevel() == 1 && F.wNumbering != 0) return nsBullet;
  return F.wNumbering <= nsUpCaseRoman ? TRxNumbering(F.wNumbering) : nsBullet;
}

void TRxParaAttributes::SetNumbering(TRxNumbering Value) {
  if (RichEditLevel() == 1 && Value != nsNone) Value = nsBullet;
  if (Value == nsNone) SetLeftIndent(0);
  else if (LeftIndent() < 10) SetLeftIndent(10);
  PARAFORMAT2 F = NewParaFormat(PFM_NUMBERING);
  F.wNumbering = WORD(Value);
  SetFormat(F);
}

namespace {

void CheckTabIndex(int Index) {
  if (Index < 0 || Index >= MAX_TAB_STOPS) throw EListError(Format("Tab index out of bounds (%d)", {Index}));
}

}  // namespace

int TRxParaAttributes::Tab(int Index) const {
  CheckTabIndex(Index);
  PARAFORMAT2 F;
  return GetFormat(F) ? F.rgxTabs[Index] / kTwips : 0;
}

void TRxParaAttributes::SetTab(int Index, int Value) {
  CheckTabIndex(Index);
  PARAFORMAT2 F;
  if (!GetFormat(F)) return;
  F.dwMask = PFM_TABSTOPS;
  F.rgxTabs[Index] = Value * kTwips;
  // Every tab up to this one counts, the earlier ones included.
  F.cTabCount = SHORT(std::max<int>(F.cTabCount, Index + 1));
  SetFormat(F);
}

int TRxParaAttributes::TabCount() const {
  PARAFORMAT2 F;
  return GetFormat(F) ? F.cTabCount : 0;
}

void TRxParaAttributes::Assign(const TPersistent* Source) {
  if (auto* Other = dynamic_cast<const TRxParaAttributes*>(Source)) {
    PARAFORMAT2 F;
    if (Other->GetFormat(F)) SetFormat(F);
    return;
  }
  TPersistent::Assign(Source);
}

// ---------------------------------------------------------------------------------------
// TRxCustomRichEdit

const TClassInfo* TRxCustomRichEdit::StaticClassInfo() {
  static const TClassInfo Info =
      TClassBuilder<TRxCustomRichEdit, TCustomEdit>("TRxCustomRichEdit")
          .Prop("Lines", &TRxCustomRichEdit::Lines, &TRxCustomRichEdit::SetLines)
          .Prop("AllowObjects", &TRxCustomRichEdit::AllowObjects, &TRxCustomRichEdit::SetAllowObjects)
          .Prop("AutoURLDetect", &TRxCustomRichEdit::AutoURLDetect, &TRxCustomRichEdit::SetAutoURLDetect)
          .Prop("HideScrollBars", &TRxCustomRichEdit::HideScrollBars, &TRxCustomRichEdit::SetHideScrollBars)
          .Prop("HideSelection", &TRxCustomRichEdit::HideSelection, &TRxCustomRichEdit::SetHideSelection)
          .Prop("LangOptions", &TRxCustomRichEdit::LangOptions, &TRxCustomRichEdit::SetLangOptions)
          .Prop("MaxLength", &TRxCustomRichEdit::MaxLength, &TRxCustomRichEdit::SetMaxLength)
          .Prop("PlainText", &TRxCustomRichEdit::PlainText, &TRxCustomRichEdit::SetPlainText)
          .Prop("ScrollBars", &TRxCustomRichEdit::ScrollBars, &TRxCustomRichEdit::SetScrollBars)
          .Prop("SelectionBar", &TRxCustomRichEdit::SelectionBar, &TRxCustomRichEdit::SetSelectionBar)
          .Prop("StreamFormat", &TRxCustomRichEdit::StreamFormat, &TRxCustomRichEdit::SetStreamFormat)
          .Prop("StreamMode", &TRxCustomRichEdit::StreamMode, &TRxCustomRichEdit::SetStreamMode)
          .Prop("Title", &TRxCustomRichEdit::Title, &TRxCustomRichEdit::SetTitle)
          .Prop("UndoLimit", &TRxCustomRichEdit::UndoLimit, &TRxCustomRichEdit::SetUndoLimit)
          .Prop("WantTabs", &TRxCustomRichEdit::WantTabs, &TRxCustomRichEdit::SetWantTabs)
          .Prop("WantReturns", &TRxCustomRichEdit::WantReturns, &TRxCustomRichEdit::SetWantReturns)
          .Prop("WordSelection", &TRxCustomRichEdit::WordSelection, &TRxCustomRichEdit::SetWordSelection)
          .Prop("WordWrap", &TRxCustomRichEdit::WordWrap, &TRxCustomRichEdit::SetWordWrap)
          .Prop("OnSelectionChange", &TRxCustomRichEdit::OnSelectionChange)
          .Prop("OnProtectChange", &TRxCustomRichEdit::OnProtectChange)
          .Prop("OnResizeRequest", &TRxCustomRichEdit::OnResizeRequest)
          .Prop("OnTextNotFound", &TRxCustomRichEdit::OnTextNotFound)
          .Prop("OnCloseFindDialog", &TRxCustomRichEdit::OnCloseFindDialog)
          .Prop("OnURLClick", &TRxCustomRichEdit::OnURLClick)
          .Build();
  return &Info;
}

const TClassInfo* TRxRichEdit::StaticClassInfo() {
  static const TClassInfo Info = TClassBuilder<TRxRichEdit, TRxCustomRichEdit>("TRxRichEdit").Build();
  return &Info;
}

void RegisterRxRichEdit() {
  static bool Done = false;
  if (Done) return;
  Done = true;
  RegisterClasses<TRxRichEdit>();
}

TRxCustomRichEdit::TRxCustomRichEdit(TComponent* AOwner)
    : TCustomEdit(AOwner),
      FLines(std::make_unique<TRichEditStrings>(this)),
      FDefAttributes(std::make_unique<TRxTextAttributes>(this, atDefaultText)),
      FSelAttributes(std::make_unique<TRxTextAttributes>(this, atSelected)),
      FWordAttributes(std::make_unique<TRxTextAttributes>(this, atWord)),
      FParagraph(std::make_unique<TRxParaAttributes>(this)) {
  RichEditLevel();
  FWidth = 185;
  FHeight = 89;
}

TRxCustomRichEdit::~TRxCustomRichEdit() = default;

void TRxCustomRichEdit::CreateParams(TCreateParams& P) {
  TCustomEdit::CreateParams(P);
  P.SysClass = RichEditLevel() == 1 ? L"RICHEDIT" : L"RichEdit20W";
  P.Style &= ~(WS_HSCROLL | WS_VSCROLL | ES_AUTOHSCROLL | ES_READONLY);
  P.Style |= ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL | WS_CLIPCHILDREN | WS_CLIPSIBLINGS | ES_SAVESEL;
  if (ReadOnly()) P.Style |= ES_READONLY;
  if (FScrollBars == ssVertical || FScrollBars == ssBoth) P.Style |= WS_VSCROLL;
  if ((FScrollBars == ssHorizontal || FScrollBars == ssBoth) && !FWordWrap) P.Style |= WS_HSCROLL;
  if (!FWordWrap) P.Style |= ES_AUTOHSCROLL;
  if (!FHideScrollBars) P.Style |= ES_DISABLENOSCROLL;
  if (FSelectionBar) P.Style |= ES_SELECTIONBAR;
  if (!FHideSelection) P.Style |= ES_NOHIDESEL;
  if (!FAllowObjects) P.Style |= ES_NOOLEDRAGDROP;
}

void TRxCustomRichEdit::CreateWnd() {
  TCustomEdit::CreateWnd();
  // The control's own default font is kept until ours is assigned in InitWnd.
}

void TRxCustomRichEdit::InitWnd() {
  HWND W = FHandle;
  if (FPlainText && RichEditLevel() >= 2)
    SendMessageW(W, EM_SETTEXTMODE, TM_PLAINTEXT | (FUndoLimit < 2 ? TM_SINGLELEVELUNDO : TM_MULTILEVELUNDO), 0);
  SendMessageW(W, EM_EXLIMITTEXT, 0, FMaxLength == 0 ? 0xFFFFFF : FMaxLength);
  if (RichEditLevel() >= 2) {
    SendMessageW(W, EM_AUTOURLDETECT, FAutoURLDetect, 0);
    FUndoLimit = int(SendMessageW(W, EM_SETUNDOLIMIT, FUndoLimit, 0));
    SendMessageW(W, EM_SETLANGOPTIONS, 0, FLangOptions.Bits());
  }
  SendMessageW(W, EM_SETOPTIONS, FWordSelection ? ECOOP_OR : ECOOP_AND,
               FWordSelection ? ECO_AUTOWORDSELECTION : ~ECO_AUTOWORDSELECTION);
  SendMessageW(W, EM_SETBKGNDCOLOR, 0, ColorToRGB(Color()));
  FDefAttributes->Assign(Font());
  SendMessageW(W, EM_SETEVENTMASK, 0, ENM_CHANGE | ENM_SELCHANGE | ENM_REQUESTRESIZE | ENM_PROTECTED | ENM_LINK);
  if (FMemStream) {
    // The content of the window this one replaces.
    FMemStream->SetPosition(0);
    TRichStreamFormat F = StreamFormat();
    TRichStreamModes M = StreamMode();
    SetStreamFormat(sfRichText);
    SetStreamMode({});
    std::unique_ptr<TMemoryStream> S = std::move(FMemStream);
    FLines->LoadFromStream(S.get());
    SetStreamFormat(F);
    SetStreamMode(M);
  }
  UpdateHostNames();
}

void TRxCustomRichEdit::DestroyWnd() {
  if (FHandle != nullptr && FRecreating) {
    FMemStream = std::make_unique<TMemoryStream>();
    TRichStreamFormat F = StreamFormat();
    TRichStreamModes M = StreamMode();
    SetStreamFormat(FPlainText ? sfPlainText : sfRichText);
    SetStreamMode({});
    try {
      FLines->SaveToStream(FMemStream.get());
    } catch (const Exception&) {
      FMemStream.reset();
    }
    SetStreamFormat(F);
    SetStreamMode(M);
  }
  TCustomEdit::DestroyWnd();
}

void TRxCustomRichEdit::ColorChanged() {
  TCustomEdit::ColorChanged();
  if (HandleAllocated()) SendMessageW(FHandle, EM_SETBKGNDCOLOR, 0, ColorToRGB(Color()));
}

void TRxCustomRichEdit::FontChanged() {
  TCustomEdit::FontChanged();
  if (HandleAllocated()) FDefAttributes->Assign(Font());
}

void TRxCustomRichEdit::SetEventMask(DWORD Mask, bool On) {
  if (!HandleAllocated()) return;
  DWORD Cur = DWORD(SendMessageW(FHandle, EM_GETEVENTMASK, 0, 0));
  SendMessageW(FHandle, EM_SETEVENTMASK, 0, On ? (Cur | Mask) : (Cur & ~Mask));
}

void TRxCustomRichEdit::SetAllowObjects(bool Value) {
  if (FAllowObjects == Value) return;
  FAllowObjects = Value;
  RecreateWnd();
}

bool TRxCustomRichEdit::AutoURLDetect() const {
  if (FHandle != nullptr && RichEditLevel() >= 2 && !ComponentState().Contains(csDesigning))
    return SendMessageW(FHandle, EM_GETAUTOURLDETECT, 0, 0) != 0;
  return FAutoURLDetect;
}

void TRxCustomRichEdit::SetAutoURLDetect(bool Value) {
  if (FAutoURLDetect == Value) return;
  FAutoURLDetect = Value;
  if (HandleAllocated() && RichEditLevel() >= 2) SendMessageW(FHandle, EM_AUTOURLDETECT, Value, 0);
}

void TRxCustomRichEdit::SetHideScrollBars(bool Value) {
  if (FHideScrollBars == Value) return;
  FHideScrollBars = Value;
  RecreateWnd();
}

void TRxCustomRichEdit::SetHideSelection(bool Value) {
  if (FHideSelection == Value) return;
  FHideSelection = Value;
  if (HandleAllocated()) SendMessageW(FHandle, EM_HIDESELECTION, Value, TRUE);
}

TRichLangOptions TRxCustomRichEdit::LangOptions() const {
  if (FHandle != nullptr && RichEditLevel() >= 2 && !ComponentState().Contains(csDesigning))
    return TRichLangOptions::FromBits(uint32_t(SendMessageW(FHandle, EM_GETLANGOPTIONS, 0, 0)) & 0xF);
  return FLangOptions;
}

void TRxCustomRichEdit::SetLangOptions(TRichLangOptions Value) {
  FLangOptions = Value;
  if (HandleAllocated() && RichEditLevel() >= 2) SendMessageW(FHandle, EM_SETLANGOPTIONS, 0, Value.Bits());
}

void TRxCustomRichEdit::SetMaxLength(int Value) {
  FMaxLength = Value;
  if (HandleAllocated()) SendMessageW(FHandle, EM_EXLIMITTEXT, 0, Value == 0 ? 0xFFFFFF : Value);
}

void TRxCustomRichEdit::SetPlainText(bool Value) {
  if (FPlainText == Value) return;
  if (!HandleAllocated() || RichEditLevel() < 2) {
    FPlainText = Value;
    return;
  }
  // The control changes its text mode only while empty: the text goes out and back in.
  TRichStreamFormat F = StreamFormat();
  TRichStreamModes M = StreamMode();
  TMemoryStream S;
  SetStreamFormat(Value || ComponentState().Contains(csDesigning) ? sfPlainText : sfRichText);
  SetStreamMode({});
  FLines->SaveToStream(&S);
  SetEventMask(ENM_CHANGE, false);
  SendMessageW(FHandle, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
  SendMessageW(FHandle, EM_SETTEXTMODE,
               (Value ? TM_PLAINTEXT : TM_RICHTEXT) | (FUndoLimit < 2 ? TM_SINGLELEVELUNDO : TM_MULTILEVELUNDO), 0);
  FPlainText = Value;
  SetEventMask(ENM_CHANGE, true);
  S.SetPosition(0);
  FLines->LoadFromStream(&S);
  SetStreamFormat(F);
  SetStreamMode(M);
}

void TRxCustomRichEdit::SetScrollBars(TScrollStyle Value) {
  if (FScrollBars == Value) return;
  FScrollBars = Value;
  RecreateWnd();
}

void TRxCustomRichEdit::SetSelectionBar(bool Value) {
  if (FSelectionBar == Value) return;
  FSelectionBar = Value;
  RecreateWnd();
}

void TRxCustomRichEdit::SetWordWrap(bool Value) {
  if (FWordWrap == Value) return;
  FWordWrap = Value;
  RecreateWnd();
}

void TRxCustomRichEdit::SetTitle(const std::string& Value) {
  if (FTitle == Value) return;
  FTitle = Value;
  UpdateHostNames();
}

void TRxCustomRichEdit::UpdateHostNames() {
  if (!HandleAllocated()) return;
  IRichEditOle* Ole = nullptr;
  if (!SendMessageW(FHandle, EM_GETOLEINTERFACE, 0, reinterpret_cast<LPARAM>(&Ole)) || Ole == nullptr) return;
  std::string App = Application != nullptr ? Trim(Application->Title()) : std::string();
  if (App.empty() && Application != nullptr) App = ExtractFileName(Application->ExeName());
  std::string Doc = Trim(FTitle).empty() ? App : FTitle;
  Ole->SetHostNames(App.c_str(), Doc.c_str());
  Ole->Release();
}

void TRxCustomRichEdit::SetUndoLimit(int Value) {
  if (FUndoLimit == Value) return;
  FUndoLimit = Value;
  if (HandleAllocated() && RichEditLevel() >= 2) FUndoLimit = int(SendMessageW(FHandle, EM_SETUNDOLIMIT, Value, 0));
}

bool TRxCustomRichEdit::WordSelection() const {
  if (FHandle != nullptr) return (SendMessageW(FHandle, EM_GETOPTIONS, 0, 0) & ECO_AUTOWORDSELECTION) != 0;
  return FWordSelection;
}

void TRxCustomRichEdit::SetWordSelection(bool Value) {
  FWordSelection = Value;
  if (!HandleAllocated()) return;
  LRESULT Options = SendMessageW(FHandle, EM_GETOPTIONS, 0, 0);
  Options = Value ? (Options | ECO_AUTOWORDSELECTION) : (Options & ~LRESULT(ECO_AUTOWORDSELECTION));
  SendMessageW(FHandle, EM_SETOPTIONS, ECOOP_SET, Options);
}

TPoint TRxCustomRichEdit::CaretPos() {
  CHARRANGE R = GetSelection();
  int Line = int(SendMessageW(Handle(), EM_EXLINEFROMCHAR, 0, R.cpMin));
  int First = int(SendMessageW(FHandle, EM_LINEINDEX, Line, 0));
  return TPoint(R.cpMin - First, Line);
}

bool TRxCustomRichEdit::Undo() { return SendMessageW(Handle(), WM_UNDO, 0, 0) != 0; }

bool TRxCustomRichEdit::Redo() { return SendMessageW(Handle(), EM_REDO, 0, 0) != 0; }

bool TRxCustomRichEdit::CanRedo() { return RichEditLevel() >= 2 && SendMessageW(Handle(), EM_CANREDO, 0, 0) != 0; }

void TRxCustomRichEdit::SetSelection(int StartPos, int EndPos, bool ScrollCaret) {
  CHARRANGE R{StartPos, EndPos};
  SendMessageW(Handle(), EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&R));
  if (ScrollCaret) SendMessageW(FHandle, EM_SCROLLCARET, 0, 0);
}

CHARRANGE TRxCustomRichEdit::GetSelection() {
  CHARRANGE R{0, 0};
  SendMessageW(Handle(), EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&R));
  return R;
}

int TRxCustomRichEdit::SelStart() { return GetSelection().cpMin; }

void TRxCustomRichEdit::SetSelStart(int Value) { SetSelection(Value, Value, false); }

int TRxCustomRichEdit::SelLength() {
  CHARRANGE R = GetSelection();
  return R.cpMax - R.cpMin;
}

void TRxCustomRichEdit::SetSelLength(int Value) {
  CHARRANGE R = GetSelection();
  SetSelection(R.cpMin, R.cpMin + Value, true);
}

std::string TRxCustomRichEdit::SelText() {
  CHARRANGE R = GetSelection();
  if (R.cpMax <= R.cpMin) return {};
  std::wstring Buf(std::size_t(R.cpMax - R.cpMin) + 1, L'\0');
  LRESULT N = SendMessageW(FHandle, EM_GETSELTEXT, 0, reinterpret_cast<LPARAM>(Buf.data()));
  return FromWide(std::wstring_view(Buf.data(), std::size_t(std::max<LRESULT>(N, 0))));
}

void TRxCustomRichEdit::SetSelText(const std::string& Value) {
  SendMessageW(Handle(), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(ToWide(Value).c_str()));
}

int TRxCustomRichEdit::GetSelTextBuf(char* Buffer, int BufSize) {
  if (Buffer == nullptr || BufSize <= 0) return 0;
  std::string S = SelText();
  int N = std::min<int>(int(S.size()), BufSize - 1);
  std::memcpy(Buffer, S.data(), N);
  Buffer[N] = '\0';
  return N;
}

TRichSelectionType TRxCustomRichEdit::SelectionType() {
  TRichSelectionType T;
  if (!HandleAllocated()) return T;
  LRESULT V = SendMessageW(FHandle, EM_SELECTIONTYPE, 0, 0);
  if (V & SEL_TEXT) T << stText;
  if (V & SEL_OBJECT) T << stObject;
  if (V & SEL_MULTICHAR) T << stMultiChar;
  if (V & SEL_MULTIOBJECT) T << stMultiObject;
  return T;
}

TPoint TRxCustomRichEdit::CharPos(int Index) {
  TPoint P(0, 0);
  if (!HandleAllocated()) return P;
  if (RichEditLevel() == 2) {
    LRESULT R = SendMessageW(FHandle, EM_POSFROMCHAR, Index, 0);
    P = TPoint(short(LOWORD(R)), short(HIWORD(R)));
  } else {
    POINTL Pt{0, 0};
    SendMessageW(FHandle, EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&Pt), Index);
    P = TPoint(Pt.x, Pt.y);
  }
  return P;
}

int TRxCustomRichEdit::LineFromChar(int Index) { return int(SendMessageW(Handle(), EM_EXLINEFROMCHAR, 0, Index)); }

int TRxCustomRichEdit::FindText(const std::string& SearchStr, int StartPos, int Length, TRichSearchTypes Options) {
  // Searched here rather than by the control, whose comparison without case does not
  // fold Cyrillic letters: the program's own 1251 case tables decide.
  if (SearchStr.empty() || Length <= 0) return -1;
  int TextLen = int(SendMessageW(Handle(), WM_GETTEXTLENGTH, 0, 0));
  StartPos = std::clamp(StartPos, 0, TextLen);
  int End = std::clamp(StartPos + Length, StartPos, TextLen);
  std::wstring Buf(std::size_t(End - StartPos) + 1, L'\0');
  TEXTRANGEW R{{StartPos, End}, Buf.data()};
  LRESULT Got = SendMessageW(FHandle, EM_GETTEXTRANGE, 0, reinterpret_cast<LPARAM>(&R));
  Buf.resize(std::size_t(std::max<LRESULT>(Got, 0)));
  bool Case = Options.Contains(stMatchCase);
  std::string Text = FromWide(Buf), What = SearchStr;
  if (!Case) {
    Text = AnsiUpperCase(Text);
    What = AnsiUpperCase(What);
  }
  auto IsWordChar = [&](std::size_t I) { return I < Buf.size() && (IsCharAlphaNumericW(Buf[I]) || Buf[I] == L'_'); };
  auto Whole = [&](std::size_t At) {
    return (At == 0 || !IsWordChar(At - 1)) && !IsWordChar(At + What.size());
  };
  if (Options.Contains(stBackward)) {
    std::size_t At = Text.size() >= What.size() ? Text.size() - What.size() : std::string::npos;
    for (At = Text.rfind(What, At); At != std::string::npos; At = At == 0 ? std::string::npos : Text.rfind(What, At - 1))
      if (!Options.Contains(stWholeWord) || Whole(At)) return StartPos + int(At);
  } else {
    for (std::size_t At = Text.find(What); At != std::string::npos; At = Text.find(What, At + 1))
      if (!Options.Contains(stWholeWord) || Whole(At)) return StartPos + int(At);
  }
  return -1;
}

void TRxCustomRichEdit::PrepareFindDialog(TFindDialog* Dialog, const std::string& FindText) {
  if (!FindText.empty()) Dialog->SetFindText(FindText);
  // The old control searches forward only.
  if (RichEditLevel() == 1) Dialog->SetOptions(Dialog->Options() + TFindOptions{frDown, frHideUpDown});
  Dialog->OnFind = [this](TObject* Sender) { FindDialogFind(Sender); };
  Dialog->OnClose = [this](TObject* Sender) { CloseFindDialog(static_cast<TFindDialog*>(Sender)); };
}

TFindDialog* TRxCustomRichEdit::FindDialog(const std::string& FindText) {
  if (FFindDialog == nullptr) {
    FFindDialog = new TFindDialog(this);
    if (FReplaceDialog != nullptr) FFindDialog->SetFindText(FReplaceDialog->FindText());
  }
  PrepareFindDialog(FFindDialog, FindText);
  FFindDialog->Execute();
  return FFindDialog;
}

TReplaceDialog* TRxCustomRichEdit::ReplaceDialog(const std::string& FindText, const std::string& ReplaceText) {
  if (FReplaceDialog == nullptr) {
    FReplaceDialog = new TReplaceDialog(this);
    if (FFindDialog != nullptr) FReplaceDialog->SetFindText(FFindDialog->FindText());
  }
  PrepareFindDialog(FReplaceDialog, FindText);
  if (!ReplaceText.empty()) FReplaceDialog->SetReplaceText(ReplaceText);
  FReplaceDialog->OnReplace = [this](TObject* Sender) { ReplaceDialogReplace(Sender); };
  FReplaceDialog->Execute();
  return FReplaceDialog;
}

bool TRxCustomRichEdit::FindNext(TFindDialog* Dialog, bool ShowNotFound) {
  CHARRANGE Sel = GetSelection();
  int TextLen = int(SendMessageW(FHandle, WM_GETTEXTLENGTH, 0, 0));
  TFindOptions O = Dialog->Options();
  TRichSearchTypes T;
  if (O.Contains(frMatchCase)) T << stMatchCase;
  if (O.Contains(frWholeWord)) T << stWholeWord;
  int Found;
  int Len = int(ToWide(Dialog->FindText()).size());
  if (O.Contains(frDown)) {
    Found = FindText(Dialog->FindText(), Sel.cpMax, std::max<int>(TextLen - int(Sel.cpMax), 0), T);
  } else {
    T << stBackward;
    Found = FindText(Dialog->FindText(), 0, Sel.cpMin, T);
  }
  if (Found >= 0) {
    SetSelection(Found, Found + Len, true);
    FLastFind = Dialog;
    AdjustFindDialogPosition(Dialog);
    return true;
  }
  if (ShowNotFound) TextNotFound(Dialog->FindText());
  return false;
}

void TRxCustomRichEdit::AdjustFindDialogPosition(TFindDialog* Dialog) {
  HWND D = Dialog->Handle();
  if (D == nullptr || !IsWindowVisible(D)) return;
  RECT DR;
  GetWindowRect(D, &DR);
  CHARRANGE Sel = GetSelection();
  TPoint P = CharPos(Sel.cpMin);
  POINT Top{P.X, P.Y};
  ::ClientToScreen(FHandle, &Top);
  CHARFORMAT2W F;
  std::memset(&F, 0, sizeof F);
  F.cbSize = sizeof F;
  SendMessageW(FHandle, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&F));
  HDC Screen = GetDC(nullptr);
  int LineHeight = std::max<int>(MulDiv(F.yHeight, GetDeviceCaps(Screen, LOGPIXELSY), 1440), 16);
  ReleaseDC(nullptr, Screen);
  RECT Text{Top.x, Top.y, Top.x + 1, Top.y + LineHeight};
  RECT Overlap;
  if (!IntersectRect(&Overlap, &DR, &Text)) return;
  const int Gap = 20;
  int Height = DR.bottom - DR.top;
  int NewTop;
  if (Text.top - Gap - Height >= 0) NewTop = Text.top - Gap - Height;
  else NewTop = std::min<int>(Text.bottom + Gap, GetSystemMetrics(SM_CYSCREEN) - Height);
  SetWindowPos(D, nullptr, DR.left, NewTop, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TRxCustomRichEdit::FindDialogFind(TObject* Sender) { FindNext(static_cast<TFindDialog*>(Sender), true); }

void TRxCustomRichEdit::ReplaceDialogReplace(TObject* Sender) {
  auto* D = static_cast<TReplaceDialog*>(Sender);
  auto SelectionMatches = [&] {
    std::string Sel = SelText();
    return D->Options().Contains(frMatchCase) ? Sel == D->FindText() : AnsiSameText(Sel, D->FindText());
  };
  if (D->Options().Contains(frReplaceAll)) {
    int Count = 0;
    SetSelection(0, 0, false);
    TFindOptions Saved = D->Options();
    D->SetOptions(Saved + TFindOptions{frDown});
    while (FindNext(D, false)) {
      SetSelText(D->ReplaceText());
      // Continue after the new text, which may contain the find text itself.
      CHARRANGE R = GetSelection();
      SetSelection(R.cpMax, R.cpMax, false);
      ++Count;
    }
    D->SetOptions(Saved);
    if (Count == 0) TextNotFound(D->FindText());
    return;
  }
  if (SelLength() > 0 && SelectionMatches()) {
    SetSelText(D->ReplaceText());
    CHARRANGE R = GetSelection();
    SetSelection(R.cpMax, R.cpMax, false);
  }
  FindNext(D, true);
}

void TRxCustomRichEdit::TextNotFound(const std::string& FindText) {
  if (OnTextNotFound) OnTextNotFound(this, FindText);
}

void TRxCustomRichEdit::RequestSize(const TRect& Rect) {
  if (OnResizeRequest) OnResizeRequest(this, Rect);
}

void TRxCustomRichEdit::CloseFindDialog(TFindDialog* Dialog) {
  if (OnCloseFindDialog) OnCloseFindDialog(this, Dialog);
}

void TRxCustomRichEdit::ReplaceSel(TMessage& M) {
  CHARRANGE Start = GetSelection();
  if (FUndoLimit >= 2 && RichEditLevel() >= 2 && !FModifying) M.WParam = TRUE;
  TCustomEdit::WndProc(M);
  if (!FModifying) {
    // The new text ends where the caret is left.
    CHARRANGE End = GetSelection();
    SetSelection(Start.cpMin, End.cpMax, true);
  }
}

void TRxCustomRichEdit::WndProc(TMessage& M) {
  switch (M.Msg) {
    case WM_GETDLGCODE:
      TCustomEdit::WndProc(M);
      // Tab and Enter go to the form unless the control wants them.
      if (!FWantTabs) M.Result &= ~LRESULT(DLGC_WANTTAB);
      if ((M.WParam == VK_TAB && !FWantTabs) || (M.WParam == VK_RETURN && !FWantReturns))
        M.Result &= ~LRESULT(DLGC_WANTALLKEYS);
      return;
    case EM_REPLACESEL:
      if (FHandle != nullptr) {
        ReplaceSel(M);
        return;
      }
      break;
    case CN_NOTIFY: {
      auto* H = reinterpret_cast<NMHDR*>(M.LParam);
      switch (H->code) {
        case EN_SELCHANGE:
          if (OnSelectionChange) OnSelectionChange(this);
          return;
        case EN_PROTECTED: {
          auto* P = reinterpret_cast<ENPROTECTED*>(M.LParam);
          bool Allow = true;
          if (OnProtectChange) OnProtectChange(this, P->chrg.cpMin, P->chrg.cpMax, Allow);
          M.Result = Allow ? 0 : 1;
          return;
        }
        case EN_REQUESTRESIZE: {
          auto* R = reinterpret_cast<REQRESIZE*>(M.LParam);
          RequestSize(TRect(R->rc.left, R->rc.top, R->rc.right, R->rc.bottom));
          return;
        }
        case EN_LINK: {
          auto* L = reinterpret_cast<ENLINK*>(M.LParam);
          TMouseButton B;
          if (L->msg == WM_LBUTTONDOWN) B = mbLeft;
          else if (L->msg == WM_RBUTTONDOWN) B = mbRight;
          else return;
          if (OnURLClick) {
            std::wstring Buf(std::size_t(std::max<LONG>(L->chrg.cpMax - L->chrg.cpMin, 0)) + 1, L'\0');
            TEXTRANGEW R{L->chrg, Buf.data()};
            LRESULT N = SendMessageW(FHandle, EM_GETTEXTRANGE, 0, reinterpret_cast<LPARAM>(&R));
            OnURLClick(this, FromWide(std::wstring_view(Buf.data(), std::size_t(std::max<LRESULT>(N, 0)))), B);
          }
          return;
        }
      }
      break;
    }
  }
  TCustomEdit::WndProc(M);
}
