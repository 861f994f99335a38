#include "classlib/win/mask.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "classlib/core/typinfo.h"

const TClassInfo* TMaskEdit::StaticClassInfo() {
  static const TClassInfo Info = TClassBuilder<TMaskEdit, TCustomEdit>("TMaskEdit")
                                     .Prop("EditMask", &TMaskEdit::EditMask, &TMaskEdit::SetEditMask)
                                     .Prop("MaxLength", &TMaskEdit::MaxLength, &TMaskEdit::SetMaxLength)
                                     .Prop("OnChange", &TMaskEdit::OnChange)
                                     .Build();
  return &Info;
}

void RegisterMaskEdit() {
  static const bool Done = (RegisterClass(TMaskEdit::StaticClassInfo()), true);
  (void)Done;
}

TMaskEdit::TMaskEdit(TComponent* AOwner) : TCustomEdit(AOwner) { SetBounds(0, 0, 121, 21); }

void TMaskEdit::SetEditMask(const std::string& Value) {
  FEditMask = Value;
  FSlots.clear();
  FBlank = '_';
  const size_t Semi = Value.find(';');
  const std::string Mask = Value.substr(0, Semi);
  if (Semi != std::string::npos) {
    const size_t Semi2 = Value.find(';', Semi + 1);
    if (Semi2 != std::string::npos && Semi2 + 1 < Value.size()) FBlank = Value[Semi2 + 1];
  }
  for (size_t i = 0; i < Mask.size(); ++i) {
    const char M = Mask[i];
    if (M == '!' || M == '>' || M == '<') continue;
    if (M == '\\' && i + 1 < Mask.size()) {
      FSlots.push_back({0, Mask[++i]});
    } else if (std::strchr("09LlAaCc#", M)) {
      FSlots.push_back({M, 0});
    } else {
      FSlots.push_back({0, M});
    }
  }
  if (!FSlots.empty() && Text().size() != FSlots.size()) SetText(EmptyText());
}

std::string TMaskEdit::EmptyText() const {
  std::string S;
  for (const TSlot& Slot : FSlots) S += Slot.Kind ? FBlank : Slot.Literal;
  return S;
}

bool TMaskEdit::Fits(const TSlot& S, char C) const {
  const unsigned char U = static_cast<unsigned char>(C);
  switch (S.Kind) {
    case '0': case '9': return std::isdigit(U) != 0;
    case '#': return std::isdigit(U) || C == '+' || C == '-';
    case 'L': case 'l': return std::isalpha(U) || U >= 0xC0;
    case 'A': case 'a': return std::isalnum(U) || U >= 0xC0;
    default: return U >= 0x20;
  }
}

int TMaskEdit::NextSlot(int Pos) const {
  for (int i = std::max(Pos, 0); i < int(FSlots.size()); ++i)
    if (FSlots[i].Kind) return i;
  return -1;
}

int TMaskEdit::PrevSlot(int Pos) const {
  for (int i = std::min<int>(Pos, int(FSlots.size())) - 1; i >= 0; --i)
    if (FSlots[i].Kind) return i;
  return -1;
}

bool TMaskEdit::TypeChar(char C) {
  if (FSlots.empty()) {
    SetSelText(std::string(1, C));
    return true;
  }
  if (ReadOnly()) return false;
  std::string S = Text();
  if (S.size() != FSlots.size()) S = EmptyText();
  const int Pos = NextSlot(SelStart());
  if (Pos < 0 || !Fits(FSlots[Pos], C)) return false;
  S[Pos] = C;
  SetText(S);
  const int Next = NextSlot(Pos + 1);
  SetSelStart(Next < 0 ? int(S.size()) : Next);
  SetSelLength(0);
  return true;
}

void TMaskEdit::InitWnd() {
  TCustomEdit::InitWnd();
  if (!FSlots.empty() && Text().size() != FSlots.size()) SetText(EmptyText());
}

void TMaskEdit::WndProc(TMessage& Message) {
  if (!FSlots.empty()) {
    switch (Message.Msg) {
      case WM_CHAR: {
        const WPARAM Ch = Message.WParam;
        if (Ch == VK_BACK) {
          std::string S = Text();
          const int Pos = PrevSlot(SelStart());
          if (Pos >= 0 && S.size() == FSlots.size() && !ReadOnly()) {
            S[Pos] = FBlank;
            SetText(S);
            SetSelStart(Pos);
          }
        } else if (Ch >= 0x20 && Ch != 0x7F) {
          // The window works in UTF-16; the mask's characters are 1251.
          char C = '?';
          const wchar_t W = wchar_t(Ch);
          WideCharToMultiByte(1251, 0, &W, 1, &C, 1, nullptr, nullptr);
          if (!TypeChar(C)) MessageBeep(0);
        }
        Message.Result = 0;
        return;
      }
      case WM_KEYDOWN:
        if (Message.WParam == VK_DELETE) {
          std::string S = Text();
          const int Pos = NextSlot(SelStart());
          if (Pos >= 0 && S.size() == FSlots.size() && !ReadOnly()) {
            S[Pos] = FBlank;
            SetText(S);
            SetSelStart(Pos);
          }
          Message.Result = 0;
          return;
        }
        break;
      case WM_PASTE:
      case WM_CUT:
      case WM_CLEAR:
        Message.Result = 0;  // only typing fills a mask
        return;
    }
  }
  TCustomEdit::WndProc(Message);
}
