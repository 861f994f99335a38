// The attributes of one tag as the tokenizer read them.
#pragma once

#include <cstdint>
#include <string>

#include "html/core/free_list.h"

class TAttribute : public TObject {
public:
  TAttribute(std::uint8_t AWhich, int AValue, std::string AName)
      : Which(AWhich), Value(AValue), Name(std::move(AName)) {}
  std::uint8_t Which;  // the attribute's symbol (Symb of html_tokenizer.h)
  int Value;           // the value read as a number, else the attribute's default
  std::string Name;    // the value as text
};

class TAttributeList : public TFreeList {
public:
  void AddAttribute(TAttribute* Attribute) { Add(Attribute); }
  TAttribute* Attribute(int Index) const { return static_cast<TAttribute*>(Items(Index)); }
  // The first attribute with that symbol, in tag order; false and nullptr when absent.
  bool Find(std::uint8_t Which, TAttribute*& Attribute) const;
};
