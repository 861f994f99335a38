// The document model that the parser fills: a section list (the document, itself a cell)
// of blocks — text sections, spaces, rules, list items, preformatted lines, tables and page
// breaks — with the document's colours, forms and image maps. Fonts are descriptions (the
// host makes real fonts); form control windows come from the host.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "classlib/core/color.h"
#include "classlib/core/font.h"
#include "html/core/attribute_list.h"
#include "html/core/gif_anim.h"
#include "html/core/free_list.h"
#include "html/core/html_host.h"
#include "html/core/html_support.h"
#include "html/core/indent_manager_basic.h"
#include "html/core/map_item.h"

class TSectionList;
class TSection;
class ThtmlForm;
class TFormControlObj;

// Style bits that B, I, U, S and their kin set.
enum : int { hsBold = 1, hsItalic = 2, hsUnderline = 4, hsStrikeOut = 8 };

// A font of the document: a TFont with its size before the document's scaling and whether
// it follows the fixed-pitch font.
class TMyFont : public TFont {
public:
  int NominalSize = 12;
  bool FixedPitch = false;
  void AssignFont(const TMyFont& Source);
  // NominalSize := Size; the font's size scaled by the document's FontSize / 12.
  void SetNormalSize(const TSectionList& Document, int Size);
  void UpdateFont(const TSectionList& Document, TColor Color);
  // Adds the styles of the hs* bits.
  void AddStyles(int Styles);
};

class TSectionBase : public TObject {
public:
  TSectionList* Document = nullptr;
  int BlockHeight = 0, CoverHeight = 0, Top = 0, FirstPos = 0, PosCount = 0;
  virtual void UpdateHeight() {}
  // Layout at document Y inside the indent manager's edges: sets the block's height, raises
  // MaxWidth to the width it needs and advances Curs over its character positions.
  virtual int DrawLogic(THtmlHost& Host, int Y, IndentManagerBasic& Indents, int& MaxWidth, int& Curs);
  // Draws at (X, Y) (the cell's left edge and the block's top on the target); returns the
  // Y below the block.
  virtual int Draw(THtmlHost& Host, const THtmlRect& Clip, IndentManagerBasic& Indents, int X, int Y);
  virtual void MinMaxWidth(THtmlHost& Host, int& Min, int& Max);
  // One line per block (and nested lines for cells), for tests and diagnostics.
  virtual void Dump(std::string& Out, int Indent) const = 0;
};

class TCell : public TFreeList {
public:
  explicit TCell(TSectionList* ADocument) : Document(ADocument) {}
  TSectionList* Document;
  int Top = 0, FirstPos = 0, PosCount = 0;
  IndentManagerBasic Indents;
  bool HasBgColor = false;
  TColor BgColor = clWhite;
  // Appends and attaches a block; an empty preformatted line gets one blank.
  void Add(TSectionBase* Block);
  TSectionBase* Block(int Index) const { return static_cast<TSectionBase*>(Items(Index)); }
  void Dump(std::string& Out, int Indent) const;
  // Lays the blocks out one below the other in Width; returns the height (floats included).
  int LayOut(THtmlHost& Host, int Y, int Width, int& MaxWidth, int& Curs);
  int Draw(THtmlHost& Host, const THtmlRect& Clip, int Width, int X, int Y);
  void MinMaxWidth(THtmlHost& Host, int& Min, int& Max);
  int Width = 0;  // of the last layout
};

class TFontObj : public TObject {
public:
  int Offset = 0;
  TMyFont Font;
  int ScriptPos = 0;  // 0 normal, 1 subscript, 2 superscript
  TUrlTarget Link;
};

enum TImageAlign { iaTop, iaMiddle, iaBottom, iaLeft, iaRight };

class TImageObj : public TObject {
public:
  TImageObj(TSection* ASection, int AOffset, const TAttributeList& Attributes);
  TSection* Section;
  int Offset;
  int SpecWidth = -1, SpecHeight = -1;  // -1: not given
  bool WidthIsPercent = false;
  std::string Source, Alt, UseMap;
  bool IsMap = false;
  TImageAlign ImageAlign = iaBottom;
  int HSpace = 5;         // beside a float
  int BorderWidth = -1;  // -1: not given
  TUrlTarget Link;       // the link the image stands in
  TFormControlObj* ImageButton = nullptr;  // an INPUT TYPE=IMAGE: a click submits its form
  int ImageWidth = 0, ImageHeight = 0;  // laid-out size
  int FloatX = 0, FloatY = 0;           // where a floating image was placed, from the edge
  bool Floating() const { return ImageAlign == iaLeft || ImageAlign == iaRight; }
  bool Transparent = false;  // TRANSP: the bottom-left pixel's colour is transparent
  bool Fetched = false;
  std::shared_ptr<THtmlPicture> Picture;  // nullptr: not to be had; the ALT box is shown
  std::unique_ptr<TGifAnimImage> Anim;    // an animated GIF, this image's own copy
  ~TImageObj() override;
  // Fetches the picture on first use, then sizes the image for an available width: WIDTH
  // and HEIGHT, the picture's natural size scaled to the one given, or a box for ALT.
  void SetSize(THtmlHost& Host, int AvailableWidth);
  void Draw(THtmlHost& Host, int X, int Y);
};

// Form controls: the object keeps the submission state; its window comes from the host.
enum TFormControlType { fcText, fcPassword, fcHidden, fcSubmit, fcReset, fcCheckBox, fcRadio, fcImage, fcListBox, fcCombo, fcTextArea };

class TFormControlObj : public TObject {
public:
  TFormControlObj(TSectionList* ADocument, ThtmlForm* AForm, TFormControlType AType, const TAttributeList& Attributes);
  TFormControlType Type;
  int Offset = 0;
  TSectionList* Document;
  ThtmlForm* OwnerForm;
  std::string Value, Name;
  bool OnBaseline = false;
  bool Shown = false;
  bool InitiallyChecked = false;
  int SizeInChars = 20;                   // edits
  int VisibleRows = -1;                   // list boxes: SIZE, -1 when absent
  int LongestOption = 0;
  int Rows = 0, Cols = 0;                 // text areas
  bool Multiple = false;
  struct TOption {
    std::string Text, Value;
    bool HasValue = false, Selected = false;
  };
  std::vector<TOption> Options;
  std::vector<std::string> InitialLines;  // text areas
  std::unique_ptr<THtmlControl> Window;   // none for hidden fields and image buttons
  // Image buttons: the last click on the picture, and the point the next submission sends
  // (-1: none; sent once).
  int ClickX = -1, ClickY = -1;
  mutable int SendX = -1, SendY = -1;

  int Width = 0, Height = 0;              // sized from the font's "A"
  void SizeFromFont(THtmlHost& Host, const TFont& Font);
  void AddOption(const std::string& Text, const std::string* OptionValue, bool Selected);
  void AddLine(const std::string& Line) { InitialLines.push_back(Line); }
  void RestoreInitial();
  // The Index-th "name=value" string this control adds to a submission; false past the last.
  bool SubmitString(int Index, std::string& S) const;
  // A click on the window: submit and reset buttons act on their form, a radio button
  // unchecks the others of its name; an image button submits the point last clicked.
  void Click();
};

class ThtmlForm : public TObject {
public:
  ThtmlForm(TSectionList* ADocument, const TAttributeList* Attributes);
  TSectionList* Document;
  std::string Method = "Get", Action;
  std::vector<TFormControlObj*> Controls;  // owned by the form
  int VisibleCount = 0;
  ~ThtmlForm() override;
  void AddControl(TFormControlObj* Control);
  void ResetAll();
  // Hands the form's strings (and the button's, when given) to the document's OnFormSubmit.
  void Submit(const std::string& ButtonString);
  // Enter in the only visible control of a form submits it; true when the key was used.
  bool EditKeyDown(TFormControlObj* Edit, int Key);
  void UncheckOtherRadios(TFormControlObj* Clicked);
};

// Justification: 1 left, 2 centre, 3 right.
class TSection : public TSectionBase {
public:
  TSection(TSectionList* ADocument, int AAlignment, const TMyFont& Font, const TUrlTarget* Link, int AListLevel,
           int Styles, int Script);
  std::string Text;          // every character; #4 an image, #2 a form control
  TFreeList Fonts;           // TFontObj runs, the first at 0
  TFreeList Images;          // TImageObj in text order
  std::vector<TFormControlObj*> FormControls;  // owned by their forms
  int ListLevel = 0;
  int ItemNumber = 0;
  int ItemKind = 0;          // 0 none, 1 ordered, 2 bullet, 3 definition
  int Alignment = 1;
  int ClearMode = 0;         // BR CLEAR: 0 none, 1 left, 2 right, 3 all
  bool Plain = false;        // an unordered item without a bullet
  char NumberStyle = '1';    // ordered items: A a I i or decimal
  TMyFont StartFont;
  struct TextLine {
    int Start = 0, CharCount = 0;
    int SpaceAbove = 0, SpaceBelow = 0, TextHeight = 0, Descent = 0, CoverHeight = 0;
    int StartX = 0;  // from the cell's left edge
    int LineHeight() const { return SpaceAbove + TextHeight + SpaceBelow; }
  };
  std::vector<TextLine> Lines;
  bool Preformatted() const;
  int DrawLogic(THtmlHost& Host, int Y, IndentManagerBasic& Indents, int& MaxWidth, int& Curs) override;
  int Draw(THtmlHost& Host, const THtmlRect& Clip, IndentManagerBasic& Indents, int X, int Y) override;
  void MinMaxWidth(THtmlHost& Host, int& Min, int& Max) override;
  // How many characters from Start fit in Width (at least the ones measured to fit).
  int CountThatFits(THtmlHost& Host, int Width, int Count, int Start);
  // Width of Count characters from Start; Strip leaves trailing blanks out.
  int TextWidthOf(THtmlHost& Host, int Start, bool Strip, int Count);
  TFontObj* RunAt(int Offset) const;
  int NextBreak(int Offset) const;  // the next run start or object after Offset
  TImageObj* ImageAt(int Offset) const;
  TFormControlObj* ControlAt(int Offset) const;

  virtual void AddText(const std::string& S);
  void ChangeFont(const TMyFont& Font, int Styles, int Script);
  void ChangeLink(const TMyFont& Font, int Styles, int Script, const TUrlTarget* Link);
  TImageObj* AddImage(const TAttributeList& Attributes, const TUrlTarget* Link);
  TFormControlObj* AddFormControl(TFormControlType Type, ThtmlForm* Form, const TAttributeList& Attributes);
  void ProcessClear(const TAttributeList& Attributes);
  int FillIfEmpty();
  TFontObj* LastRun() const { return static_cast<TFontObj*>(Fonts.Items(Fonts.Count() - 1)); }
  void Dump(std::string& Out, int Indent) const override;

protected:
  virtual const char* KindName() const;
  void NewRun(const TMyFont& Font, int Styles, int Script, const TUrlTarget* Link);
};

class TPreFormated : public TSection {
public:
  using TSection::TSection;
  void AddText(const std::string& S) override;

protected:
  const char* KindName() const override { return "pre"; }
};

class TUListItem : public TSection {
public:
  using TSection::TSection;

protected:
  const char* KindName() const override;
};

class TParagraphSpace : public TSectionBase {
public:
  void UpdateHeight() override;
  void Dump(std::string& Out, int Indent) const override;
};

class THeadingSpace : public TSectionBase {
public:
  explicit THeadingSpace(int ALevel) : Level(ALevel) {}
  int Level;
  void UpdateHeight() override;
  void Dump(std::string& Out, int Indent) const override;
};

class THorzLine : public TSectionBase {
public:
  int Draw(THtmlHost& Host, const THtmlRect& Clip, IndentManagerBasic& Indents, int X, int Y) override;
  explicit THorzLine(const TAttributeList& Attributes);
  int RuleSize = 2, RuleWidth = -1;
  bool WidthIsPercent = false;
  TColor RuleColor = clBlack;
  bool HasColor = false;
  void UpdateHeight() override;
  void Dump(std::string& Out, int Indent) const override;
};

class TPage : public TSectionBase {
public:
  int Draw(THtmlHost& Host, const THtmlRect& Clip, IndentManagerBasic& Indents, int X, int Y) override;
  void Dump(std::string& Out, int Indent) const override;
};

class TCellObj : public TObject {
public:
  TCellObj(TSectionList* Document, const TAttributeList& Attributes, int AVAlign);
  int ColSpan = 1, RowSpan = 1;
  int SpecHeight = 0, SpecWidth = 0;
  bool WidthIsPercent = false;
  int VAlign = 1;  // 0 top, 1 middle, 2 bottom
  std::unique_ptr<TCell> Cell;
  // Layout: the spanned columns' and rows' sizes, the content's height, the VALIGN offset.
  int CellWidth = 0, SpanHeight = 0, ContentHeight = 0, VOffset = 0, CellTop = 0;
  bool Filler() const { return ColSpan == 0; }
};

class TCellList : public TFreeList {
public:
  bool HasRowBgColor = false;
  TColor RowBgColor = clWhite;
  void InitializeRow(const TAttributeList& Attributes);
  TCellObj* CellObj(int Index) const { return static_cast<TCellObj*>(Items(Index)); }
};

class ThtmlTable : public TSectionBase {
public:
  ThtmlTable(TSectionList* ADocument, const TAttributeList& Attributes, int AAlign);
  TFreeList Rows;  // TCellList
  std::unique_ptr<TCellObj> Caption;
  bool Border = false, CaptionOnTop = true, Float = false;
  int TableAlign = 1;
  int WidthAttr = 0;
  bool WidthIsPercent = false;
  int CellPadding = 2, CellSpacing = 3, HSpace = 5;
  bool HasBgColor = false, HasBorderColor = false, HasAbsCellWidths = false;
  TColor BgColor = clWhite, BorderColor = clBlack;
  TCellList* Row(int Index) const { return static_cast<TCellList*>(Rows.Items(Index)); }
  void Dump(std::string& Out, int Indent) const override;

  // The largest COLSPAN taken; wider spans are cut to it before their fillers are made.
  static constexpr int MaxColSpan = 1000;
  bool Initialized = false;
  int NumCols = 0;
  int TableWidth = 0, TableHeight = 0;
  int DrawX = 0;  // of the last layout, from the cell's left edge
  std::vector<int> Widths, RowHeights;
  TCell* EnclosingCell = nullptr;
  void Initialize();
  int DrawLogic(THtmlHost& Host, int Y, IndentManagerBasic& Indents, int& MaxWidth, int& Curs) override;
  int Draw(THtmlHost& Host, const THtmlRect& Clip, IndentManagerBasic& Indents, int X, int Y) override;
  void MinMaxWidth(THtmlHost& Host, int& Min, int& Max) override;

private:
  void GetMinMax(THtmlHost& Host, int TargetWidth, std::vector<int>& Mins, std::vector<int>& Maxs,
                 std::vector<int>& Percents);
  void FindWidths(const std::vector<int>& Mins, const std::vector<int>& Maxs, const std::vector<int>& Percents,
                  int Width, bool Stretch);
};

class TSectionList : public TCell {
public:
  explicit TSectionList(THtmlHost* AHost);
  ~TSectionList() override;
  THtmlHost* Host;
  bool ViewImages = true, Printing = false;
  std::string FontName = "Times New Roman", FixedFontName = "Courier New";
  int FontSize = 12;
  TColor FontColor = clBlack, LinkColor = clBlue, Background = clWhite;
  TFontCharset Charset = DEFAULT_CHARSET;
  std::string BgImageName;
  TFreeList Forms;  // ThtmlForm
  TFreeList Maps;   // TMapItem
  std::function<void(const std::string& Action, const std::vector<std::string>& Fields, const std::string& Method)>
      OnFormSubmit;
  // Image data by source name (nullptr or empty: none); without it, sources are files
  // under BaseFolder.
  std::function<bool(const std::string& Source, std::vector<std::uint8_t>& Data)> OnImageRequest;
  std::string BaseFolder;
  // A picture through the shared cache: the source in any spelling is fetched once.
  // Transparent: in 1 asks for the bottom-left colour as transparent.
  std::shared_ptr<THtmlPicture> GetImage(const std::string& Source, int& Transparent,
                                         std::unique_ptr<TGifAnimImage>* Anim);
  std::vector<TGifAnimImage*> AnimatedImages;  // shown by this document's images
  // Every animation back to its first frame and, unless printing, started at Now.
  void StartAnimations(std::uint32_t Now);
  // One tick of the document's 50 ms animation timer: the places of the pictures that
  // changed go into Invalid; true when there are any.
  bool AnimationStep(std::uint32_t Now, std::vector<THtmlRect>& Invalid);
  // Hit tests and the cursor, in document coordinates (X from the document's left edge).
  // The character position nearest the point (a click right of a character's middle is
  // after it); -1 below or above every line.
  int FindCursor(THtmlHost& Host, int X, int Y);
  // Where a position stands: the X before its character and the top of its line.
  bool CursorToXY(THtmlHost& Host, int Pos, int& X, int& Y);
  // The link under the point: a text link, an image's link (ISMAP adds "?x,y"), or an
  // image map's area. An image button under it records the point relative to its picture
  // and comes back in Control (true, with no link).
  bool FindLinkAt(THtmlHost& Host, int X, int Y, TUrlTarget& Link, TFormControlObj** Control = nullptr);
  int SelStart = 0, SelEnd = 0;
  // The selected text, sections ended by CR LF, without the placeholders of objects.
  std::string GetSelText() const;
  int GetSelLength() const;
  // Whether DrawDocument paints the background colour first (off for hosts that do).
  bool HasBgColorFill = false;
  // The first position at or after From where Pattern stands inside one text section, -1
  // when none. Without MatchCase, letters compare by the CP1251 case tables.
  int FindString(int From, const std::string& Pattern, bool MatchCase) const;
  void SetBackground(TColor Color) { Background = Color; }
  void SetBackgroundBitmap(const std::string& Name) { BgImageName = Name; }
  // Face names longer than a platform face field (31 characters) are cut.
  void SetFonts(const std::string& Name, const std::string& FixedName, int Size, TColor Color, TColor Link,
                TColor BgColor);
  void Clear();
  TMapItem* FindMap(const std::string& Name) const;
  // The whole model as indented lines.
  std::string Dump() const;
  // Lays the document out to Width; returns its height.
  int LayOut(THtmlHost& Host, int Width);
  // Draws the document scrolled by ScrollY into the clip rectangle of the target, its top
  // left corner (before scrolling) at (X, Y).
  void DrawDocument(THtmlHost& Host, const THtmlRect& Clip, int X = 0, int Y = 0);
  int ScrollY = 0;
  int Height = 0;
  int MaxWidth = 0;  // the width the content needs, of the last layout
  // Printing: the target Y where the page being drawn ends. Drawing moves it up to the top
  // of the first line or table that the page's bottom would cut, or to a page break.
  int PageBottom = 0;
  int PageHeight = 0;
  // The word (IsWordChar) around Pos within its section; false when Pos is not in one.
  bool WordAt(int Pos, int& Start, int& End) const;
};

// Colour names and "#rrggbb" (with or without "#") as a TColor; false for anything else.
bool ColorFromString(std::string S, TColor& Color);
