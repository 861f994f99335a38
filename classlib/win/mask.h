// TMaskEdit: an edit box whose text follows an edit mask "mask;keep literals;blank":
// in the mask, "0" is a digit that must be given, "9" a digit that may be left blank,
// "L"/"l" a letter, "A"/"a" a letter or digit, "C"/"c" any character, "\" makes the next
// character a literal, "!" (leading blanks) and ">"/"<" are taken as given; other
// characters are literals. Typing fills the positions in order over the literals; the
// text always keeps its literals, with the blank character where nothing was typed.
#pragma once

#include "classlib/win/std_ctrls.h"

class TMaskEdit : public TCustomEdit {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  explicit TMaskEdit(TComponent* AOwner);

  const std::string& EditMask() const { return FEditMask; }
  void SetEditMask(const std::string& Value);
  // The text with its blanks and literals (as the mask keeps them).
  std::string EditText() const { return Text(); }
  // Types one character at the caret as a key press would; false when the mask refuses it.
  bool TypeChar(char C);

  void WndProc(TMessage& Message) override;

protected:
  void InitWnd() override;

private:
  struct TSlot {
    char Kind;  // 0 literal, else the mask character
    char Literal;
  };
  bool Fits(const TSlot& S, char C) const;
  int NextSlot(int Pos) const;  // the first editable position at or after Pos, -1 none
  int PrevSlot(int Pos) const;  // the last editable position before Pos, -1 none
  std::string EmptyText() const;
  std::string FEditMask;
  std::vector<TSlot> FSlots;
  char FBlank = '_';
};

void RegisterMaskEdit();
