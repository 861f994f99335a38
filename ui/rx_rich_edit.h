// The rich edit control over the platform's rich edit library: its options, find and
// replace dialogs, a line store that lives in the window, streaming of rich and plain text
// through exchangeable conversion objects, and the character and paragraph attributes.
#pragma once

#include <windows.h>
#include <richedit.h>

#include <functional>
#include <memory>
#include <string>

#include "classlib/core/font.h"
#include "classlib/core/stream.h"
#include "classlib/core/strings.h"
#include "classlib/core/typinfo.h"
#include "classlib/win/dialogs.h"
#include "classlib/win/std_ctrls.h"

class TRxCustomRichEdit;

// 1: the old library only; 2: the newer one; 3: the newer one on a newer platform. Decided
// once per process, when first asked (loading the library and registering the clipboard
// formats).
int RichEditLevel();

enum TRichStreamFormat { sfDefault, sfRichText, sfPlainText };
template <> const TTypeInfo* TypeInfoOf<TRichStreamFormat>();
enum TRichStreamMode { smSelection, smPlainRtf, smNoObjects, smUnicode };
template <> const TTypeInfo* TypeInfoOf<TRichStreamMode>();
using TRichStreamModes = TSet<TRichStreamMode>;
enum TRichLangOption { rlAutoKeyboard, rlAutoFont, rlImeCancelComplete, rlImeAlwaysSendNotify };
template <> const TTypeInfo* TypeInfoOf<TRichLangOption>();
using TRichLangOptions = TSet<TRichLangOption>;
enum TRichSelection { stText, stObject, stMultiChar, stMultiObject };
using TRichSelectionType = TSet<TRichSelection>;
enum TRichSearchType { stWholeWord, stMatchCase, stBackward };
using TRichSearchTypes = TSet<TRichSearchType>;
enum TRxAttributeType { atDefaultText, atSelected, atWord };
enum TRxAlignment { paLeftJustify, paRightJustify, paCenter, paJustify };
enum TRxNumbering { nsNone, nsBullet, nsArabicNumbers, nsLoCaseLetter, nsUpCaseLetter, nsLoCaseRoman, nsUpCaseRoman };

// Moves bytes between a stream and the control; a descendant may translate them.
class TConversion : public TObject {
public:
  // Up to Count bytes from Stream into Buffer: the number read.
  virtual int ConvertReadStream(TStream* Stream, char* Buffer, int Count);
  // Count bytes of Buffer to Stream: the number written.
  virtual int ConvertWriteStream(TStream* Stream, const char* Buffer, int Count);
};
using TConversionClass = std::function<std::unique_ptr<TConversion>()>;

// Files with this extension (lower case, no dot) load and save through objects of the
// class, as plain text or as rich text.
void RegisterConversionFormat(const std::string& Extension, TConversionClass ConversionClass, bool PlainText);

// The control's lines: every operation goes to the window.
class TRichEditStrings : public TStrings {
public:
  explicit TRichEditStrings(TRxCustomRichEdit* RichEdit) : FRichEdit(RichEdit) {}
  ~TRichEditStrings() override;

  void Clear() override;
  void Delete(int Index) override;
  void Insert(int Index, const std::string& S) override;
  // The whole text (or the selection, with smSelection), from the position to the end.
  void LoadFromStream(TStream* Stream) override;
  void SaveToStream(TStream* Stream) override;
  // Through the converter registered for the file's extension, when there is one.
  void LoadFromFile(const std::string& FileName);
  void SaveToFile(const std::string& FileName);

  TRichStreamFormat Format() const { return FFormat; }
  void SetFormat(TRichStreamFormat Value) { FFormat = Value; }
  TRichStreamModes Mode() const { return FMode; }
  void SetMode(TRichStreamModes Value) { FMode = Value; }
  TConversion* Converter() const { return FConverter.get(); }
  void SetConverter(std::unique_ptr<TConversion> Value) { FConverter = std::move(Value); }

protected:
  std::string Get(int Index) const override;
  int GetCount() const override;
  void Put(int Index, const std::string& S) override;
  void SetUpdateState(bool Updating) override;

private:
  HWND Wnd() const;
  TRxCustomRichEdit* FRichEdit;
  TRichStreamFormat FFormat = sfDefault;
  TRichStreamModes FMode;
  std::unique_ptr<TConversion> FConverter;
};

// Character format of the default text, the selection or the word at the caret.
class TRxTextAttributes : public TPersistent {
public:
  TRxTextAttributes(TRxCustomRichEdit* RichEdit, TRxAttributeType AttributeType)
      : FRichEdit(RichEdit), FType(AttributeType) {}
  // From a TFont or another TRxTextAttributes.
  void Assign(const TPersistent* Source) override;

  TFontCharset Charset() const;
  void SetCharset(TFontCharset Value);
  TColor Color() const;
  void SetColor(TColor Value);
  std::string Name() const;
  void SetName(const std::string& Value);
  TFontStyles Style() const;
  void SetStyle(TFontStyles Value);
  int Size() const;
  void SetSize(int Value);
  TFontPitch Pitch() const;
  void SetPitch(TFontPitch Value);

protected:
  void AssignTo(TPersistent* Dest) const override;

private:
  bool GetFormat(CHARFORMAT2W& Format) const;
  void SetFormat(CHARFORMAT2W& Format) const;
  TRxCustomRichEdit* FRichEdit;
  TRxAttributeType FType;
};

// Paragraph format of the selected paragraphs.
class TRxParaAttributes : public TPersistent {
public:
  explicit TRxParaAttributes(TRxCustomRichEdit* RichEdit) : FRichEdit(RichEdit) {}
  void Assign(const TPersistent* Source) override;

  TRxAlignment Alignment() const;
  void SetAlignment(TRxAlignment Value);
  // Points.
  int FirstIndent() const;
  void SetFirstIndent(int Value);
  int LeftIndent() const;
  void SetLeftIndent(int Value);
  int RightIndent() const;
  void SetRightIndent(int Value);
  TRxNumbering Numbering() const;
  void SetNumbering(TRxNumbering Value);
  // Tab stops 0 to 31, in points; TabCount the number set.
  int Tab(int Index) const;
  void SetTab(int Index, int Value);
  int TabCount() const;

private:
  bool GetFormat(PARAFORMAT2& Format) const;
  void SetFormat(PARAFORMAT2& Format) const;
  TRxCustomRichEdit* FRichEdit;
};

using TRichEditProtectChange = std::function<void(TObject* Sender, int StartPos, int EndPos, bool& AllowChange)>;
using TRichEditResizeEvent = std::function<void(TObject* Sender, const TRect& Rect)>;
using TRichEditFindErrorEvent = std::function<void(TObject* Sender, const std::string& FindText)>;
using TRichEditFindCloseEvent = std::function<void(TObject* Sender, TFindDialog* Dialog)>;
using TRichEditURLClickEvent = std::function<void(TObject* Sender, const std::string& URLText, TMouseButton Button)>;

class TRxCustomRichEdit : public TCustomEdit {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  explicit TRxCustomRichEdit(TComponent* AOwner);
  ~TRxCustomRichEdit() override;

  TRichEditStrings* Lines() const { return FLines.get(); }
  void SetLines(TStrings* Value) { FLines->Assign(Value); }
  TRxTextAttributes* DefAttributes() const { return FDefAttributes.get(); }
  TRxTextAttributes* SelAttributes() const { return FSelAttributes.get(); }
  TRxTextAttributes* WordAttributes() const { return FWordAttributes.get(); }
  TRxParaAttributes* Paragraph() const { return FParagraph.get(); }

  bool AllowObjects() const { return FAllowObjects; }
  void SetAllowObjects(bool Value);
  bool AutoURLDetect() const;
  void SetAutoURLDetect(bool Value);
  bool HideScrollBars() const { return FHideScrollBars; }
  void SetHideScrollBars(bool Value);
  bool HideSelection() const { return FHideSelection; }
  void SetHideSelection(bool Value);
  TRichLangOptions LangOptions() const;
  void SetLangOptions(TRichLangOptions Value);
  int MaxLength() const { return FMaxLength; }
  void SetMaxLength(int Value);
  bool PlainText() const { return FPlainText; }
  void SetPlainText(bool Value);
  TScrollStyle ScrollBars() const { return FScrollBars; }
  void SetScrollBars(TScrollStyle Value);
  bool SelectionBar() const { return FSelectionBar; }
  void SetSelectionBar(bool Value);
  TRichStreamFormat StreamFormat() const { return FLines->Format(); }
  void SetStreamFormat(TRichStreamFormat Value) { FLines->SetFormat(Value); }
  TRichStreamModes StreamMode() const { return FLines->Mode(); }
  void SetStreamMode(TRichStreamModes Value) { FLines->SetMode(Value); }
  const std::string& Title() const { return FTitle; }
  void SetTitle(const std::string& Value);
  int UndoLimit() const { return FUndoLimit; }
  void SetUndoLimit(int Value);
  bool WantTabs() const { return FWantTabs; }
  void SetWantTabs(bool Value) { FWantTabs = Value; }
  bool WantReturns() const { return FWantReturns; }
  void SetWantReturns(bool Value) { FWantReturns = Value; }
  bool WordSelection() const;
  void SetWordSelection(bool Value);
  bool WordWrap() const { return FWordWrap; }
  void SetWordWrap(bool Value);

  // The caret: X the column and Y the line, both 0-based.
  TPoint CaretPos();
  bool Undo();
  bool Redo();
  bool CanRedo();
  void SetSelection(int StartPos, int EndPos, bool ScrollCaret);
  CHARRANGE GetSelection();
  int SelStart();
  void SetSelStart(int Value);
  int SelLength();
  void SetSelLength(int Value);
  std::string SelText();
  void SetSelText(const std::string& Value);
  // At most BufSize - 1 characters of SelText and a terminating zero: the number copied.
  int GetSelTextBuf(char* Buffer, int BufSize);
  TRichSelectionType SelectionType();
  // The client position of the character at Index.
  TPoint CharPos(int Index);
  int LineFromChar(int Index);
  // The first match of SearchStr in the Length characters from StartPos (backward from
  // StartPos + Length with stBackward); -1 when there is none.
  int FindText(const std::string& SearchStr, int StartPos, int Length, TRichSearchTypes Options);

  // The dialogs, made on first use and kept; shown by these calls.
  TFindDialog* FindDialog(const std::string& FindText);
  TReplaceDialog* ReplaceDialog(const std::string& FindText, const std::string& ReplaceText);
  // The next match of the dialog's text by its options: true when found (and selected).
  bool FindNext(TFindDialog* Dialog, bool ShowNotFound);

  void WndProc(TMessage& Message) override;

  TRichEditProtectChange OnProtectChange;
  TRichEditResizeEvent OnResizeRequest;
  TNotifyEvent OnSelectionChange;
  TRichEditFindErrorEvent OnTextNotFound;
  TRichEditFindCloseEvent OnCloseFindDialog;
  TRichEditURLClickEvent OnURLClick;

protected:
  friend class TRichEditStrings;
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  void InitWnd() override;
  void ColorChanged() override;
  void FontChanged() override;
  virtual void TextNotFound(const std::string& FindText);
  virtual void RequestSize(const TRect& Rect);
  virtual void CloseFindDialog(TFindDialog* Dialog);
  void SetEventMask(DWORD Mask, bool On);

private:
  void PrepareFindDialog(TFindDialog* Dialog, const std::string& FindText);
  void FindDialogFind(TObject* Sender);
  void ReplaceDialogReplace(TObject* Sender);
  void AdjustFindDialogPosition(TFindDialog* Dialog);
  void UpdateHostNames();
  void ReplaceSel(TMessage& Message);
  std::unique_ptr<TRichEditStrings> FLines;
  std::unique_ptr<TRxTextAttributes> FDefAttributes, FSelAttributes, FWordAttributes;
  std::unique_ptr<TRxParaAttributes> FParagraph;
  bool FAllowObjects = true;
  bool FAutoURLDetect = true;
  bool FHideScrollBars = true;
  bool FHideSelection = true;
  TRichLangOptions FLangOptions{rlAutoFont};
  int FMaxLength = 0;
  bool FPlainText = false;
  TScrollStyle FScrollBars = ssBoth;
  bool FSelectionBar = true;
  std::string FTitle;
  int FUndoLimit = 100;
  bool FWantTabs = false;
  bool FWantReturns = true;
  bool FWordSelection = true;
  bool FWordWrap = true;
  bool FModifying = false;
  TFindDialog* FFindDialog = nullptr;
  TReplaceDialog* FReplaceDialog = nullptr;
  TFindDialog* FLastFind = nullptr;
  // The content kept across a re-creation of the window.
  std::unique_ptr<TMemoryStream> FMemStream;
};

class TRxRichEdit : public TRxCustomRichEdit {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  using TRxCustomRichEdit::TRxCustomRichEdit;
};

// Registers the control for form resources (once).
void RegisterRxRichEdit();
