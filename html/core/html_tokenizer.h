// THtmlTokenizer: turns an HTML document into the symbols that the document parser reads.
// A single-pass reader with one character of look-ahead (Ch) and one pushed-back source
// character. Line ends fold to #13, tabs to blanks; comments and declarations vanish.
// #26 (also a 0x1A byte in the data) is the end of input; once there, every further read
// stays there, so no scanner can run past its source.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "classlib/core/exception.h"
#include "html/core/attribute_list.h"

class TStream;
class TStrings;

ZX_EXCEPTION(EParseError, Exception);

// Tag start symbols in table order, then the end symbols of the first 48 tags, then the
// attribute symbols (SELECTED is both a tag and an attribute), then the rest. The values
// fit the byte of TAttribute::Which.
enum Symb : std::uint8_t {
  HtmlSy, TitleSy, BodySy, HeadSy, BSy, ISy, HeadingSy, EmSy, StrongSy, USy, CiteSy,
  VarSy, TTSy, CodeSy, KbdSy, SampSy, OLSy, ULSy, DirSy, MenuSy, DLSy, ASy, AddressSy,
  BlockQuoteSy, PreSy, CenterSy, TableSy, TDSy, THSy, CaptionSy, FormSy, TextAreaSy,
  SelectSy, OptionSy, FontSy, SubSy, SupSy, BigSy, SmallSy, PSy, MapSy, FrameSetSy,
  NoFramesSy, ScriptSy, DivSy, SSy, StrikeSy, TRSy, LISy, BRSy, HRSy, DDSy, DTSy, ImageSy,
  BaseSy, ButtonSy, InputSy, SelectedSy, BaseFontSy, AreaSy, FrameSy, PageSy,

  HtmlEndSy, TitleEndSy, BodyEndSy, HeadEndSy, BEndSy, IEndSy, HeadingEndSy, EmEndSy,
  StrongEndSy, UEndSy, CiteEndSy, VarEndSy, TTEndSy, CodeEndSy, KbdEndSy, SampEndSy,
  OLEndSy, ULEndSy, DirEndSy, MenuEndSy, DLEndSy, AEndSy, AddressEndSy, BlockQuoteEndSy,
  PreEndSy, CenterEndSy, TableEndSy, TDEndSy, THEndSy, CaptionEndSy, FormEndSy,
  TextAreaEndSy, SelectEndSy, OptionEndSy, FontEndSy, SubEndSy, SupEndSy, BigEndSy,
  SmallEndSy, PEndSy, MapEndSy, FrameSetEndSy, NoFramesEndSy, ScriptEndSy, DivEndSy,
  SEndSy, StrikeEndSy, TREndSy,

  HrefSy, NameSy, SrcSy, AltSy, AlignSy, TextAttrSy, BGColorSy, LinkSy, BackgroundSy,
  ColSpanSy, RowSpanSy, BorderSy, CellPaddingSy, CellSpacingSy, VAlignSy, WidthSy,
  StartSy, ValueSy, TypeSy, CheckBoxSy, RadioSy, MethodSy, ActionSy, CheckedSy, SizeSy,
  MaxLengthSy, ColsSy, RowsSy, MultipleSy, FaceSy, ColorSy, TranspSy, ClearSy, IsMapSy,
  BorderColorSy, UseMapSy, ShapeSy, CoordsSy, NoHrefSy, HeightSy, PlainSy, TargetSy,
  NoResizeSy, ScrollingSy, HSpaceSy, LanguageSy, FrameBorderSy, MarginWidthSy,
  MarginHeightSy,

  UnknownSy,      // a tag whose name is not in the table
  UnknownAttrSy,  // an attribute whose name is not in the table
  TextSy,         // LCToken holds a text run or a decoded entity
  OtherChar,      // LCToken holds one character that is no text
  EofSy,
  EolSy           // a line end, from the TEXTAREA and SCRIPT scanners only
};

class THtmlTokenizer {
public:
  static constexpr char EofChar = 26;
  static constexpr char EolChar = 13;
  static constexpr std::size_t MaxTokenLength = 150;
  static constexpr std::size_t MaxTextRun = 100;

  THtmlTokenizer();
  ~THtmlTokenizer();
  THtmlTokenizer(const THtmlTokenizer&) = delete;
  THtmlTokenizer& operator=(const THtmlTokenizer&) = delete;

  // Choosing a source clears the pushed-back character and the script flag; the reader is
  // then started with GetCh and NextSymbol. A file that cannot be opened or read raises
  // EInOutError. The buffer, the strings and the stream must outlive the reading.
  void SetFileSource(const std::string& FileName);
  void SetBufferSource(const char* Buffer, std::size_t Size);
  void SetStringsSource(const TStrings* Strings);
  void SetStreamSource(TStream* Stream);

  // Reads the next symbol into Sy (and LCToken, Attributes, HeadingLevel).
  void NextSymbol();
  // Advances one character, skipping comments and declarations; EParseError when the
  // input ends inside one.
  void GetCh();
  void SkipWhiteSpace();
  // The contents of a TEXTAREA: text, EolSy, TextAreaEndSy, or UnknownSy for any other
  // tag (its text as LCToken, so that it stays part of the contents).
  void NextTextAreaSymbol();
  // Reads TEXTAREA contents up to and past its closing tag, handing each line to AddLine.
  void ReadTextAreaContent(const std::function<void(const std::string& Line)>& AddLine);
  // The contents of a SCRIPT: text, EolSy, ScriptEndSy, or UnknownSy for any other "<".
  void NextScriptSymbol();

  char Ch = EofChar;
  char UCh = EofChar;
  Symb Sy = EofSy;
  std::string LCToken;
  // The attributes of the last tag that keeps them (see KeepsAttributes).
  TAttributeList Attributes;
  int HeadingLevel = 0;  // 1..6 after H1..H6 (or their end tags), else 0
  bool InPre = false;    // set by the parser: text runs keep blanks and line ends
  bool InScript = false; // set by the parser while it collects a script: "<!" is text

  static bool KeepsAttributes(Symb Sy);

  class TSource;  // the input in one of the four forms

private:
  char ReadSourceChar();
  void NextCh();
  void SkipComment();
  void ReadTag();
  bool ReadAttribute(Symb& Which, int& Value, std::string& Name);
  std::string ReadEntity();
  bool ReadTextRun();
  void ReadContentText();
  void AddToken(char C);

  std::unique_ptr<TSource> FSource;
  int FPushBack = -1;  // a raw source character, -1 when empty
  bool FInComment = false;
};
