#include "ui/tool_edit.h"

#include <shellapi.h>

#include <algorithm>

#include "classlib/core/sys_utils.h"
#include "classlib/win/forms.h"
#include "classlib/win/graphics.h"
#include "classlib/win/wide_string.h"
#include "storage/core/file_utils.h"
#include "storage/browse_folder_dlg.h"
#include "storage/short_names.h"
#include "ui/core/vcl_utils.h"

template <> const TTypeInfo* TypeInfoOf<TGlyphKind>() {
  static const TTypeInfo Info = EnumTypeInfo("TGlyphKind", {"gkCustom", "gkDefault", "gkDropDown", "gkEllipsis"});
  return &Info;
}
template <> const TTypeInfo* TypeInfoOf<TFileDialogKind>() {
  static const TTypeInfo Info =
      EnumTypeInfo("TFileDialogKind", {"dkOpen", "dkSave", "dkOpenPicture", "dkSavePicture"});
  return &Info;
}
template <> const TTypeInfo* TypeInfoOf<TFileEditStyle>() {
  static const TTypeInfo Info = EnumTypeInfo("TFileEditStyle", {"fsEdit", "fsComboBox"});
  return &Info;
}
template <> const TTypeInfo* TypeInfoOf<TDirDialogKind>() {
  static const TTypeInfo Info = EnumTypeInfo("TDirDialogKind", {"dkVCL", "dkWin32"});
  return &Info;
}

// ---------------------------------------------------------------------------------------
// TRxSpeedButton

const TClassInfo* TRxSpeedButton::StaticClassInfo() {
  static const TClassInfo Info = TClassBuilder<TRxSpeedButton, TGraphicControl>("TRxSpeedButton")
                                     .Prop("Glyph", &TRxSpeedButton::Glyph, &TRxSpeedButton::SetGlyph)
                                     .Prop("NumGlyphs", &TRxSpeedButton::NumGlyphs, &TRxSpeedButton::SetNumGlyphs)
                                     .Prop("Flat", &TRxSpeedButton::Flat, &TRxSpeedButton::SetFlat)
                                     .Prop("ModalResult", &TRxSpeedButton::ModalResult, &TRxSpeedButton::SetModalResult)
                                     .Prop("OnClick", &TRxSpeedButton::OnClick)
                                     .Build();
  return &Info;
}

TRxSpeedButton::TRxSpeedButton(TComponent* AOwner) : TGraphicControl(AOwner), FGlyph(std::make_unique<TBitmap>()) {
  FWidth = 25;
  FHeight = 25;
}

TRxSpeedButton::~TRxSpeedButton() = default;

void TRxSpeedButton::SetGlyph(TBitmap* Value) {
  if (Value != nullptr) FGlyph->Assign(Value);
  else FGlyph->Assign(nullptr);
  Invalidate();
}

void TRxSpeedButton::SetNumGlyphs(int Value) {
  FNumGlyphs = std::clamp(Value, 1, 5);
  Invalidate();
}

void TRxSpeedButton::SetFlat(bool Value) {
  FFlat = Value;
  Invalidate();
}

void TRxSpeedButton::EnabledChanged() {
  FPressed = false;
  FTracking = false;
  Invalidate();
}

void TRxSpeedButton::Click() {
  if (FModalResult != 0)
    if (TCustomForm* F = GetParentForm(this)) F->SetModalResult(TModalResult(FModalResult));
  TGraphicControl::Click();
}

void TRxSpeedButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TGraphicControl::MouseDown(Button, Shift, X, Y);
  if (Button != mbLeft || !Enabled()) return;
  FTracking = true;
  FPressed = true;
  Invalidate();
}

void TRxSpeedButton::MouseMove(TShiftState Shift, int X, int Y) {
  TGraphicControl::MouseMove(Shift, X, Y);
  if (!FTracking) return;
  bool Inside = X >= 0 && Y >= 0 && X < Width() && Y < Height();
  if (Inside != FPressed) {
    FPressed = Inside;
    Invalidate();
  }
}

void TRxSpeedButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (FTracking) {
    FTracking = false;
    FPressed = false;
    Invalidate();
  }
  TGraphicControl::MouseUp(Button, Shift, X, Y);
}

void TRxSpeedButton::Paint() {
  TCanvas* C = Canvas();
  TRect R(0, 0, Width(), Height());
  C->Brush()->SetColor(clBtnFace);
  C->FillRect(R);
  if (!FFlat || FPressed) {
    RECT E = R;
    DrawEdge(C->Handle(), &E, FPressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
  }
  if (FGlyph->Empty()) return;
  // The images lie side by side: up, disabled, down (when there are that many).
  int Count = std::min(FNumGlyphs, std::max(FGlyph->Width(), 1));
  int GW = FGlyph->Width() / Count, GH = FGlyph->Height();
  int Index = !Enabled() && Count > 1 ? 1 : FPressed && Count > 2 ? 2 : 0;
  int X = (Width() - GW) / 2 + (FPressed ? 1 : 0), Y = (Height() - GH) / 2 + (FPressed ? 1 : 0);
  TBitmap Part;
  Part.SetSize(GW, GH);
  BitBlt(Part.Canvas()->Handle(), 0, 0, GW, GH, FGlyph->Canvas()->Handle(), Index * GW, 0, SRCCOPY);
  Part.SetTransparent(true);
  Part.SetTransparentColor(FGlyph->TransparentColor());
  if (!Enabled() && Count == 1) {
    // One image only: drawn grey, shape kept.
    for (int PY = 0; PY < GH; ++PY)
      for (int PX = 0; PX < GW; ++PX) {
        COLORREF P = GetPixel(Part.Canvas()->Handle(), PX, PY);
        if ((P & 0xFFFFFF) != (COLORREF(ColorToRGB(Part.TransparentColor())) & 0xFFFFFF))
          SetPixel(Part.Canvas()->Handle(), PX, PY, COLORREF(ColorToRGB(clBtnShadow)));
      }
  }
  C->Draw(X, Y, &Part);
}

// ---------------------------------------------------------------------------------------
// TEditButton

const TClassInfo* TEditButton::StaticClassInfo() {
  static const TClassInfo Info = TClassBuilder<TEditButton, TRxSpeedButton>("TEditButton").Build();
  return &Info;
}

TEditButton::TEditButton(TComponent* AOwner) : TRxSpeedButton(AOwner) { SetParentShowHint(true); }

void TEditButton::Paint() {
  TRxSpeedButton::Paint();
  if (FPressed) return;
  TCanvas* C = Canvas();
  C->Pen()->SetColor(clBtnFace);
  C->MoveTo(0, 0);
  C->LineTo(0, Height() - 1);
  C->Pen()->SetColor(clBtnHighlight);
  C->MoveTo(1, 1);
  C->LineTo(1, Height() - 2);
}

void TEditButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  auto* Edit = dynamic_cast<TCustomComboEdit*>(Owner());
  FNoAction = false;
  if (Button == mbLeft && Edit != nullptr && Edit->PopupVisible()) {
    // This press closes the popup; the click that follows does nothing more.
    FNoAction = true;
    Edit->PopupCloseUp(false);
  }
  TRxSpeedButton::MouseDown(Button, Shift, X, Y);
}

void TEditButton::Click() {
  if (FNoAction) {
    FNoAction = false;
    return;
  }
  TRxSpeedButton::Click();
}

// ---------------------------------------------------------------------------------------
// TCustomComboEdit

const TClassInfo* TCustomComboEdit::StaticClassInfo() {
  static const TClassInfo Info =
      TClassBuilder<TCustomComboEdit, TCustomEdit>("TCustomComboEdit")
          .Prop("ButtonWidth", &TCustomComboEdit::ButtonWidth, &TCustomComboEdit::SetButtonWidth)
          .Prop("Glyph", &TCustomComboEdit::Glyph, &TCustomComboEdit::SetGlyph)
          .Prop("NumGlyphs", &TCustomComboEdit::NumGlyphs, &TCustomComboEdit::SetNumGlyphs)
          .Prop("GlyphKind", &TCustomComboEdit::GlyphKind, &TCustomComboEdit::SetGlyphKind)
          .Prop("ClickKey", &TCustomComboEdit::ClickKey, &TCustomComboEdit::SetClickKey)
          .Prop("DirectInput", &TCustomComboEdit::DirectInput, &TCustomComboEdit::SetDirectInput)
          .Prop("ReadOnly", &TCustomComboEdit::ReadOnly, &TCustomComboEdit::SetReadOnly)
          .Prop("Alignment", &TCustomComboEdit::Alignment, &TCustomComboEdit::SetAlignment)
          .Prop("OnButtonClick", &TCustomComboEdit::OnButtonClick)
          .Build();
  return &Info;
}

TCustomComboEdit::TCustomComboEdit(TComponent* AOwner) : TCustomEdit(AOwner) {
  FHeight = 21;
  FBtnControl = new TWinControl(this);
  FBtnControl->SetBounds(0, 0, 21, 17);
  FBtnControl->SetParent(this);
  FButton = new TEditButton(this);
  FButton->SetBounds(0, 0, 21, 17);
  FButton->SetParent(FBtnControl);
  FButton->OnClick = [this](TObject*) { DoClick(); };
}

TCustomComboEdit::~TCustomComboEdit() = default;

void TCustomComboEdit::CreateParams(TCreateParams& P) {
  TCustomEdit::CreateParams(P);
  // Multi-line, so that the formatting rectangle leaves room for the button.
  P.Style |= ES_MULTILINE | WS_CLIPCHILDREN;
  P.Style &= ~(ES_READONLY | ES_RIGHT | ES_CENTER);
  if (EditReadOnly()) P.Style |= ES_READONLY;
  if (FAlignment == taRightJustify) P.Style |= ES_RIGHT;
  else if (FAlignment == taCenter) P.Style |= ES_CENTER;
}

void TCustomComboEdit::InitWnd() {
  TCustomEdit::InitWnd();
  Resize();
}

int TCustomComboEdit::TextHeight() {
  HDC DC = GetDC(nullptr);
  TEXTMETRICW Sys, Own;
  GetTextMetricsW(DC, &Sys);
  HGDIOBJ Old = SelectObject(DC, FontHandle(*Font()));
  GetTextMetricsW(DC, &Own);
  SelectObject(DC, Old);
  ReleaseDC(nullptr, DC);
  return std::min(Sys.tmHeight, Own.tmHeight);
}

void TCustomComboEdit::UpdateEditRect() {
  if (!HandleAllocated()) return;
  int W = FBtnControl->Visible() ? FBtnControl->Width() : 0;
  RECT R{0, 0, ClientWidth() - W - 2, ClientHeight() + 1};
  SendMessageW(FHandle, EM_SETRECTNP, 0, reinterpret_cast<LPARAM>(&R));
}

void TCustomComboEdit::Resize() {
  TCustomEdit::Resize();
  if (FUpdating) return;
  FUpdating = true;
  struct TDone {
    bool& F;
    ~TDone() { F = false; }
  } Done{FUpdating};
  int MinHeight = 4 * GetSystemMetrics(SM_CYBORDER) + TextHeight() + 1;
  if (Height() < MinHeight) SetHeight(MinHeight);
  int W = FBtnControl->Width();
  // Inside the client edge of the edit's single border.
  FBtnControl->SetBounds(Width() - W - 4, 0, W, std::max(Height() - 4, 0));
  FButton->SetBounds(0, 0, W, FBtnControl->Height());
  UpdateEditRect();
}

void TCustomComboEdit::FontChanged() {
  TCustomEdit::FontChanged();
  Resize();
}

void TCustomComboEdit::EnabledChanged() {
  TCustomEdit::EnabledChanged();
  FButton->SetEnabled(Enabled());
}

int TCustomComboEdit::ButtonWidth() const { return FBtnControl->Visible() ? FButton->Width() : 0; }

void TCustomComboEdit::SetButtonWidth(int Value) {
  if (Value < 2) {
    // Too narrow to press: hidden, and the click key does nothing.
    FBtnControl->SetVisible(false);
    FBtnControl->SetWidth(0);
  } else {
    FBtnControl->SetVisible(true);
    FBtnControl->SetWidth(Value);
    FButton->SetWidth(Value);
  }
  Resize();
}

void TCustomComboEdit::SetGlyph(TBitmap* Value) {
  FButton->SetGlyph(Value);
  FGlyphKind = gkCustom;
}

void TCustomComboEdit::SetNumGlyphs(int Value) {
  if (FGlyphKind == gkDropDown || FGlyphKind == gkEllipsis) FButton->SetNumGlyphs(1);
  else if (FGlyphKind == gkDefault) FButton->SetNumGlyphs(FDefNumGlyphs);
  else FButton->SetNumGlyphs(Value);
}

void TCustomComboEdit::SetGlyphKind(TGlyphKind Value) {
  if (FGlyphKind == Value) return;
  FGlyphKind = Value;
  RecreateGlyph();
}

void TCustomComboEdit::RecreateGlyph() {
  switch (FGlyphKind) {
    case gkDefault: {
      bool Destroy = false;
      TBitmap* B = GetDefaultBitmap(Destroy);
      std::unique_ptr<TBitmap> Own(Destroy ? B : nullptr);
      if (B == nullptr) break;
      FButton->SetGlyph(B);
      FButton->SetNumGlyphs(FDefNumGlyphs);
      SetButtonWidth(std::max(B->Width() / FDefNumGlyphs + 6, FButton->Width()));
      break;
    }
    case gkDropDown: {
      TBitmap B;
      B.LoadFromResourceID(nullptr, 32738 /* the combo box arrow */);
      FButton->SetGlyph(&B);
      FButton->SetNumGlyphs(1);
      SetButtonWidth(GetSystemMetrics(SM_CXVSCROLL));
      break;
    }
    case gkEllipsis: {
      // Three dots of 2 x 2 pixels, in a row of height 4.
      int W = std::max(1, FButton->Width() - 6);
      int D = std::min(std::max(1, (FButton->Width() - 6) / 2), 3);
      int X0 = ((FButton->Width() - 6) - 2 * D) / 2;
      TBitmap B;
      B.SetPixelFormat(pf24bit);
      B.SetSize(W, 4);
      TCanvas* C = B.Canvas();
      C->Brush()->SetColor(clWhite);
      C->FillRect(TRect(0, 0, W, 4));
      C->Brush()->SetColor(clBlack);
      for (int X : {X0, X0 + D + 2, X0 + 2 * D + 4}) C->FillRect(TRect(X, 1, X + 2, 3));
      B.SetTransparentColor(clWhite);
      FButton->SetGlyph(&B);
      FButton->Glyph()->SetTransparentColor(clWhite);
      FButton->SetNumGlyphs(1);
      break;
    }
    case gkCustom: break;
  }
}

void TCustomComboEdit::SetDirectInput(bool Value) {
  FDirectInput = Value;
  if (HandleAllocated()) SendMessageW(FHandle, EM_SETREADONLY, EditReadOnly(), 0);
}

void TCustomComboEdit::SetReadOnly(bool Value) {
  TCustomEdit::SetReadOnly(Value);
  if (HandleAllocated()) SendMessageW(FHandle, EM_SETREADONLY, EditReadOnly(), 0);
}

void TCustomComboEdit::SetAlignment(TAlignment Value) {
  if (FAlignment == Value) return;
  FAlignment = Value;
  RecreateWnd();
}

void TCustomComboEdit::DoClick() {
  if (TCustomEdit::ReadOnly() && !FAlwaysEnable) return;
  if (OnButtonClick) OnButtonClick(this);
  ButtonClick();
}

void TCustomComboEdit::KeyDown(uint16_t& Key, TShiftState Shift) {
  TCustomEdit::KeyDown(Key, Shift);
  if (Key != 0 && FClickKey != scNone && ShortCut(Key, Shift) == FClickKey && FBtnControl->Visible() &&
      FButton->Width() > 0) {
    Key = 0;
    DoClick();
  }
}

void TCustomComboEdit::KeyPress(char& Key) {
  TCustomEdit::KeyPress(Key);
  // Enter and Esc went to the form as dialog keys; the edit itself takes neither.
  if (Key == '\r' || Key == '\x1b') Key = 0;
}

void TCustomComboEdit::WndProc(TMessage& M) {
  switch (M.Msg) {
    case WM_GETDLGCODE:
      TCustomEdit::WndProc(M);
      // A single-line edit for the form: Enter and Esc are the form's dialog keys.
      if (M.WParam == VK_RETURN || M.WParam == VK_ESCAPE) M.Result &= ~LRESULT(DLGC_WANTALLKEYS);
      return;
    case WM_PASTE:
    case WM_CUT:
      if (EditReadOnly()) return;
      break;
    case WM_SETFOCUS: {
      TCustomEdit::WndProc(M);
      // A caret as high as the text, wider for a bold font.
      CreateCaret(FHandle, nullptr, Font()->Style().Contains(fsBold) ? 2 : 1, TextHeight());
      ShowCaret(FHandle);
      return;
    }
    case WM_SIZE:
      TCustomEdit::WndProc(M);
      UpdateEditRect();
      return;
  }
  TCustomEdit::WndProc(M);
}

// ---------------------------------------------------------------------------------------
// TFileDirEdit

const TClassInfo* TFileDirEdit::StaticClassInfo() {
  static const TClassInfo Info = TClassBuilder<TFileDirEdit, TCustomComboEdit>("TFileDirEdit")
                                     .Prop("AcceptFiles", &TFileDirEdit::AcceptFiles, &TFileDirEdit::SetAcceptFiles)
                                     .Prop("OnDropFiles", &TFileDirEdit::OnDropFiles)
                                     .Prop("OnBeforeDialog", &TFileDirEdit::OnBeforeDialog)
                                     .Prop("OnAfterDialog", &TFileDirEdit::OnAfterDialog)
                                     .Build();
  return &Info;
}

TFileDirEdit::TFileDirEdit(TComponent* AOwner) : TCustomComboEdit(AOwner) {}

namespace {

// The file edits' glyph: a folder, 14 x 12 in 16 colours; the corner colour is clear.
const char* const kFolderGlyph[12] = {
    "..............", "..kkkk........", ".kwyyyk.......", "kwyyyyykkkkkk.", "kyyyyyyyyyyyk.", "kyyyyyyyyyyyk.",
    "kyyyyyyyyyyyk.", "kyyyyyyyyyyyk.", "kyyyyyyyyyyyk.", "kyyyyyyyyyyyk.", "kkkkkkkkkkkkk.", "..............",
};

TBitmap* FolderGlyph() {
  static std::unique_ptr<TBitmap> Glyph = [] {
    auto B = std::make_unique<TBitmap>();
    B->SetPixelFormat(pf4bit);
    B->SetSize(14, 12);
    for (int Y = 0; Y < 12; ++Y)
      for (int X = 0; X < 14; ++X) {
        TColor C = clOlive;
        switch (kFolderGlyph[Y][X]) {
          case 'k': C = clBlack; break;
          case 'w': C = clWhite; break;
          case 'y': C = clYellow; break;
        }
        SetPixel(B->Canvas()->Handle(), X, Y, COLORREF(ColorToRGB(C)));
      }
    return B;
  }();
  return Glyph.get();
}

}  // namespace

TBitmap* TFileDirEdit::GetDefaultBitmap(bool& DestroyNeeded) {
  DestroyNeeded = false;
  return FolderGlyph();
}

void TFileDirEdit::SetAcceptFiles(bool Value) {
  FAcceptFiles = Value;
  if (HandleAllocated() && !ComponentState().Contains(csDesigning)) DragAcceptFiles(FHandle, Value);
}

void TFileDirEdit::InitWnd() {
  TCustomComboEdit::InitWnd();
  if (FAcceptFiles && !ComponentState().Contains(csDesigning)) DragAcceptFiles(FHandle, TRUE);
}

void TFileDirEdit::DestroyWnd() {
  if (FHandle != nullptr && FAcceptFiles) DragAcceptFiles(FHandle, FALSE);
  TCustomComboEdit::DestroyWnd();
}

void TFileDirEdit::DoBeforeDialog(std::string& Name, bool& Action) {
  if (OnBeforeDialog) OnBeforeDialog(this, Name, Action);
}

void TFileDirEdit::DoAfterDialog(std::string& Name, bool& Action) {
  if (OnAfterDialog) OnAfterDialog(this, Name, Action);
}

void TFileDirEdit::WndProc(TMessage& M) {
  if (M.Msg != WM_DROPFILES) {
    TCustomComboEdit::WndProc(M);
    return;
  }
  auto Drop = reinterpret_cast<HDROP>(M.WParam);
  M.Result = 0;
  struct TFinish {
    HDROP D;
    ~TFinish() { DragFinish(D); }
  } Finish{Drop};
  UINT Count = DragQueryFileW(Drop, 0xFFFFFFFF, nullptr, 0);
  if (Count == 0) return;
  ClearDroppedNames();
  for (UINT I = 0; I < Count; ++I) {
    wchar_t Name[256] = {};
    DragQueryFileW(Drop, I, Name, 256);
    TakeDroppedName(FromWideBuf(Name, 256));
    if (!FMultipleDirs) break;
  }
  if (OnDropFiles) OnDropFiles(this);
}

// ---------------------------------------------------------------------------------------
// TFilenameEdit

namespace {

const char* const kDefaultFilter = "\xC2\xF1\xE5 \xF4\xE0\xE9\xEB\xFB (*.*)|*.*";  // "Все файлы (*.*)|*.*"
const char* const kDefaultTitle = "\xD1\xEF\xE8\xF1\xEE\xEA";                   // "Список"

// A name given as a command line: the whole text when such a file exists, else its first word.
std::string NameOfText(const std::string& Text) {
  if (Text.empty() || FileExists(Text)) return Text;
  std::vector<std::string> Words = CommandLineWords(Text);
  return Words.empty() ? std::string() : Words[0];
}

std::string QuotedIfBlank(const std::string& Name) {
  if (Name.find(' ') != std::string::npos && (Name.empty() || Name[0] != '"')) return '"' + Name + '"';
  return Name;
}

}  // namespace

const TClassInfo* TFilenameEdit::StaticClassInfo() {
  static const TClassInfo Info =
      TClassBuilder<TFilenameEdit, TFileDirEdit>("TFilenameEdit")
          .Prop("DialogKind", &TFilenameEdit::DialogKind, &TFilenameEdit::SetDialogKind)
          .Prop("DefaultExt", &TFilenameEdit::DefaultExt, &TFilenameEdit::SetDefaultExt)
          .Prop("FileEditStyle", &TFilenameEdit::FileEditStyle, &TFilenameEdit::SetFileEditStyle)
          .Prop("FileName", &TFilenameEdit::FileName, &TFilenameEdit::SetFileName)
          .Prop("Filter", &TFilenameEdit::Filter, &TFilenameEdit::SetFilter)
          .Prop("FilterIndex", &TFilenameEdit::FilterIndex, &TFilenameEdit::SetFilterIndex)
          .Prop("InitialDir", &TFilenameEdit::InitialDir, &TFilenameEdit::SetInitialDir)
          .Prop("HistoryList", &TFilenameEdit::HistoryList, &TFilenameEdit::SetHistoryList)
          .Prop("DialogOptions", &TFilenameEdit::DialogOptions, &TFilenameEdit::SetDialogOptions)
          .Prop("DialogTitle", &TFilenameEdit::DialogTitle, &TFilenameEdit::SetDialogTitle)
          .Build();
  return &Info;
}

TFilenameEdit::TFilenameEdit(TComponent* AOwner)
    : TFileDirEdit(AOwner), FHistoryList(std::make_unique<TStringList>()) {
  CreateEditDialog(dkOpen);
  SetGlyphKind(gkDefault);
}

void TFilenameEdit::CreateEditDialog(TFileDialogKind Kind) {
  TOpenDialog* New = Kind == dkSave || Kind == dkSavePicture ? new TSaveDialog(this) : new TOpenDialog(this);
  if (FDialog != nullptr) {
    // The settings go over to the new dialog.
    New->SetDefaultExt(FDialog->DefaultExt());
    New->SetFileName(FDialog->FileName());
    New->SetFilter(FDialog->Filter());
    New->SetFilterIndex(FDialog->FilterIndex());
    New->SetInitialDir(FDialog->InitialDir());
    New->SetOptions(FDialog->Options());
    New->SetTitle(FDialog->Title());
    delete FDialog;
  } else {
    New->SetFilter(kDefaultFilter);
    New->SetTitle(kDefaultTitle);
    New->SetOptions({ofHideReadOnly});
  }
  FDialog = New;
  FDialogKind = Kind;
}

void TFilenameEdit::SetDialogKind(TFileDialogKind Value) {
  if (Value != FDialogKind) CreateEditDialog(Value);
}

std::string TFilenameEdit::FileName() const { return NameOfText(Text()); }

void TFilenameEdit::SetFileName(const std::string& Value) {
  if (!Value.empty() && !ValidFileName(NameOfText(Value))) throw EComboEditError("Invalid file name - " + Value);
  SetText(QuotedIfBlank(Value));
  if (HandleAllocated()) SendMessageW(FHandle, EM_EMPTYUNDOBUFFER, 0, 0);
}

std::string TFilenameEdit::GetLongName() { return ShortToLongFileName(FileName()); }

std::string TFilenameEdit::GetShortName() { return LongToShortFileName(FileName()); }

void TFilenameEdit::TakeDroppedName(const std::string& Name) {
  if (DialogFiles()->Count() == 0) SetFileName(Name);
  DialogFiles()->Add(Name);
}

void TFilenameEdit::ClearDroppedNames() { DialogFiles()->Clear(); }

bool TFilenameEdit::ExecuteDialog() {
  FDialog->SetHelpContext(0);
  UINT Old = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  bool Ok = false;
  try {
    Ok = FDialog->Execute();
  } catch (...) {
    SetErrorMode(Old);
    throw;
  }
  SetErrorMode(Old);
  return Ok;
}

void TFilenameEdit::ButtonClick() {
  std::string Name = FileName();
  bool Action = true;
  DoBeforeDialog(Name, Action);
  if (!Action) return;
  // An empty or invalid name still opens the dialog, with no name in it.
  std::string File;
  if (ValidFileName(Name)) {
    std::string Dir = ExtractFilePath(Name);
    if (!Dir.empty() && DirectoryExists(Dir)) FDialog->SetInitialDir(Dir);
    File = ExtractFileName(Name);
    if (!ValidFileName(File)) File.clear();
  }
  FDialog->SetFileName(File);
  Action = ExecuteDialog();
  if (Action) Name = FDialog->FileName();
  if (CanFocus()) SetFocus();
  DoAfterDialog(Name, Action);
  if (Action) {
    SetText(QuotedIfBlank(Name));
    FDialog->SetInitialDir(ExtractFilePath(Name));
  }
}

// ---------------------------------------------------------------------------------------
// TDirectoryEdit

const TClassInfo* TDirectoryEdit::StaticClassInfo() {
  static const TClassInfo Info =
      TClassBuilder<TDirectoryEdit, TFileDirEdit>("TDirectoryEdit")
          .Prop("DialogOptions", &TDirectoryEdit::DialogOptions, &TDirectoryEdit::SetDialogOptions)
          .Prop("InitialDir", &TDirectoryEdit::InitialDir, &TDirectoryEdit::SetInitialDir)
          .Prop("DialogText", &TDirectoryEdit::DialogText, &TDirectoryEdit::SetDialogText)
          .Prop("DialogKind", &TDirectoryEdit::DialogKind, &TDirectoryEdit::SetDialogKind)
          .Prop("MultipleDirs", &TDirectoryEdit::MultipleDirs, &TDirectoryEdit::SetMultipleDirs)
          .Build();
  return &Info;
}

TDirectoryEdit::TDirectoryEdit(TComponent* AOwner) : TFileDirEdit(AOwner) { SetGlyphKind(gkDefault); }

namespace {

std::string MapDirs(const std::string& Text, bool Multiple, std::string (*Map)(const std::string&)) {
  if (!Multiple) return Map(Text);
  std::string Result;
  std::size_t Start = 0;
  while (Start <= Text.size()) {
    std::size_t End = Text.find(';', Start);
    if (End == std::string::npos) End = Text.size();
    std::string Part = Map(Text.substr(Start, End - Start));
    if (!Part.empty()) Result += (Result.empty() ? "" : ";") + Part;
    Start = End + 1;
  }
  return Result;
}

}  // namespace

std::string TDirectoryEdit::GetLongName() { return MapDirs(Text(), FMultipleDirs, ShortToLongPath); }

std::string TDirectoryEdit::GetShortName() { return MapDirs(Text(), FMultipleDirs, LongToShortPath); }

void TDirectoryEdit::TakeDroppedName(const std::string& Name) {
  std::string Dir = FileExists(Name) ? ExtractFilePath(Name) : Name;
  if (FMultipleDirs && !Text().empty()) SetText(Text() + ";" + Dir);
  else SetText(Dir);
}

bool TDirectoryEdit::ExecuteDialog(std::string& Name) {
  UINT Old = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  bool Ok = false;
  try {
    if (FDialogKind == dkWin32) Ok = BrowseDirectory(Name, FDialogText, 0);
    else Ok = SelectDirectory(Name, FOptions, 0);
  } catch (...) {
    SetErrorMode(Old);
    throw;
  }
  SetErrorMode(Old);
  return Ok;
}

void TDirectoryEdit::ButtonClick() {
  std::string Name = Text();
  bool Action = true;
  DoBeforeDialog(Name, Action);
  if (!Action) return;
  if (Name.empty()) Name = FInitialDir.empty() ? "\\" : FInitialDir;
  if (!DirectoryExists(Name)) Name = "\\";
  Action = ExecuteDialog(Name);
  if (CanFocus()) SetFocus();
  DoAfterDialog(Name, Action);
  if (!Action) return;
  SetSelLength(0);
  if (!Text().empty() && FMultipleDirs) SetText(Text() + ";" + Name);
  else SetText(Name);
  if (DirectoryExists(Name)) FInitialDir = Name;
}

void RegisterToolEdits() {
  static bool Done = false;
  if (Done) return;
  Done = true;
  RegisterClasses<TFilenameEdit, TDirectoryEdit, TRxSpeedButton>();
}
