// THTMLViewer: the window that shows one HTML document, text file or picture. The work
// without a window (loading, layout, history, links, find, pages) is THtmlViewerCore's;
// this unit gives it a paint panel drawn through an off-screen bitmap of the update
// rectangle, 32-bit scroll bars, the focus border, keys, the mouse (links, selection,
// auto-scroll) and printing on a print device.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "classlib/win/controls.h"
#include "classlib/win/std_ctrls.h"
#include "html/core/html_viewer_core.h"
#include "html/core/vw_printer.h"
#include "html/gdi_host.h"

class THTMLViewer;

enum THTMLBorderStyle { htFocused, htNone, htSingle };

// A scroll bar that keeps its own position, range and page as full integers: positions
// past 65,535 work, and the thumb's track position is read with GetScrollInfo.
class T32ScrollBar : public TWinControl {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  T32ScrollBar(TComponent* AOwner, bool AVertical);

  bool Vertical() const { return FVertical; }
  int Position() const { return FPosition; }
  int Max() const { return FMax; }
  int PageSize() const { return FPage; }
  int SmallChange = 16;
  int LargeChange = 16;
  // Range 0..Max, one call to the window and only when something changed.
  void SetParams(int APosition, int AMax, int APage);
  void SetPosition(int Value) { SetParams(Value, FMax, FPage); }
  // SB_* code and, for thumb moves, the 32-bit track position.
  std::function<void(int Code, int TrackPos)> OnScroll;

protected:
  void CreateParams(TCreateParams& Params) override;
  void InitWnd() override;
  void WndProc(TMessage& Message) override;

private:
  bool FVertical;
  int FPosition = 0, FMax = 0, FPage = 0;
};

// The drawing surface of the viewer.
class TPaintPanel : public TWinControl {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  explicit TPaintPanel(THTMLViewer* AViewer);
  bool EraseNeeded = false;

protected:
  void WndProc(TMessage& Message) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void DblClick() override;

private:
  THTMLViewer* FViewer;
};

using THTMLPrintEvent =
    std::function<void(TObject* Sender, THtmlHost& Canvas, int PageNumber, int Width, int Height, bool& Done)>;

class THTMLViewer : public TWinControl {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  explicit THTMLViewer(TComponent* AOwner);
  ~THTMLViewer() override;

  THtmlViewerCore& Core() { return *FCore; }
  TPaintPanel* PaintPanel() const { return FPanel; }
  T32ScrollBar* VScrollBar() const { return FVBar; }
  T32ScrollBar* HScrollBar() const { return FHBar; }

  // ---- loading (ignored while Processing; a missing file raises EInOutError)
  void LoadFromFile(const std::string& Name);
  void LoadTextFile(const std::string& Name);
  void LoadImageFile(const std::string& Name);
  void LoadFromString(const std::string& Html);
  void LoadFromStrings(const TStrings* Strings, int Type = vfHTML);
  void LoadFromBuffer(const char* Buffer, std::size_t Size);
  void LoadFromStream(TStream* Stream);
  virtual void Clear();

  // ---- state
  const std::string& CurrentFile() const { return FCore->CurrentFile(); }
  const std::string& DocumentTitle() const { return FCore->DocumentTitle(); }
  std::string Base() const { return FCore->Base(); }
  void SetBase(const std::string& Value) { FCore->SetBase(Value); }
  const std::string& BaseTarget() const { return FCore->BaseTarget(); }
  const std::string& LinkTarget() const { return FCore->Target; }
  const std::string& URL() const { return FCore->URL; }
  bool Processing() const { return FCore->Processing(); }
  int Position() const { return FCore->Position(); }
  void SetPosition(int Value);
  TViewPosition GetPosition() const { return FCore->GetPosition(); }
  void SetPosition(const TViewPosition& P);
  bool PositionTo(const std::string& Dest);
  int SelLength() const { return FCore->SelLength(); }
  void SetSelLength(int Value) { FCore->SetSelLength(Value); }
  std::string SelText() const { return FCore->SelText(); }
  bool Find(const std::string& Text, bool MatchCase);
  std::string HTMLExpandFilename(const std::string& Name) const { return FCore->HTMLExpandFilename(Name); }

  // ---- history
  const std::vector<TViewHistoryEntry>& History() const { return FCore->History(); }
  int HistoryIndex() const { return FCore->HistoryIndex(); }
  void SetHistoryIndex(int Index) { FCore->SetHistoryIndex(Index); }
  int HistoryMaxCount() const { return FCore->HistoryMaxCount(); }
  void SetHistoryMaxCount(int Value) { FCore->SetHistoryMaxCount(Value); }
  void ClearHistory() { FCore->ClearHistory(); }

  // ---- printing: pages FromPage..ToPage on the default printer, or on the given device.
  // Returns the number of the last page printed (0: none, and the job was dropped).
  int Print(int FromPage, int ToPage);
  int PrintTo(TPrintDevice& Device, int FromPage, int ToPage);
  double PrintMarginLeft = 2.0, PrintMarginRight = 2.0, PrintMarginTop = 2.0, PrintMarginBottom = 2.0;

  // ---- properties
  TColor DefBackground() const { return FCore->DefBackground; }
  void SetDefBackground(TColor Value);
  THTMLBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(THTMLBorderStyle Value);
  const std::string& DefFontName() const { return FCore->DefFontName; }
  void SetDefFontName(const std::string& Value);
  const std::string& DefPreFontName() const { return FCore->DefPreFontName; }
  void SetDefPreFontName(const std::string& Value);
  int DefFontSize() const { return FCore->DefFontSize; }
  void SetDefFontSize(int Value);
  TColor DefFontColor() const { return FCore->DefFontColor; }
  void SetDefFontColor(TColor Value);
  TColor DefHotSpotColor() const { return FCore->DefHotSpotColor; }
  void SetDefHotSpotColor(TColor Value);
  TFontCharset CharSet() const { return FCore->CharSet; }
  void SetCharSet(TFontCharset Value);
  bool ViewImages() const { return FCore->ViewImages; }
  void SetViewImages(bool Value);
  bool NoSelect() const { return FCore->NoSelect; }
  void SetNoSelect(bool Value);
  int ImageCacheCount() const { return FImageCacheCount; }
  void SetImageCacheCount(int Value);
  TScrollStyle ScrollBars() const { return FScrollBars; }
  void SetScrollBars(TScrollStyle Value);
  int MarginWidth() const { return FCore->MarginWidth; }
  void SetMarginWidth(int Value);
  int MarginHeight() const { return FCore->MarginHeight; }
  void SetMarginHeight(int Value);
  const std::string& ServerRoot() const { return FCore->ServerRoot; }
  void SetServerRoot(const std::string& Value);

  // ---- events
  std::function<void(TObject* Sender, const std::string& SRC)> OnHotSpotCovered;
  std::function<void(TObject* Sender, const std::string& SRC, bool& Handled)> OnHotSpotClick;
  std::function<void(TObject* Sender, const std::string& Action, const std::string& Method,
                     const std::vector<std::string>& Results)>
      OnFormSubmit;
  TNotifyEvent OnHistoryChange;
  std::function<void(TObject* Sender, bool ProcessingOn)> OnProcessing;
  THTMLPrintEvent OnPrintHeader, OnPrintFooter;
  void SetOnFormSubmit(decltype(OnFormSubmit) Handler);
  void SetOnImageRequest(std::function<bool(const std::string& Source, std::vector<std::uint8_t>& Data)> Handler);

  // Mouse work of the paint panel, in its coordinates.
  void PanelMouseDown(int X, int Y);
  void PanelMouseMove(TShiftState Shift, int X, int Y);
  void PanelMouseUp(int X, int Y);
  void PanelDblClick();
  void PaintDocument(HDC DC, const RECT& R);

protected:
  void CreateParams(TCreateParams& Params) override;
  void InitWnd() override;
  void WndProc(TMessage& Message) override;
  void Resize() override;
  void KeyDown(uint16_t& Key, TShiftState Shift) override;
  bool WantsKey(uint16_t Key) override;
  void DoEnter() override;
  void DoExit() override;
  // The default link action; the frame viewer takes links over through OnHotSpotClick.
  virtual void HotSpotClick(const std::string& ClickedURL) { FCore->HotSpotClick(ClickedURL); }

private:
  void PrepareHost();
  void SetupScrollBars();
  void ScrollTo(int Y);
  void Scrolled(int OldY, int NewY);
  void DrawBorder();
  void AutoScrollStep();
  void StartAnimationTimer();
  // Reread: the document is read again (fonts changed), else only laid out again.
  void RelayoutKeepingPlace(bool Reread);
  template <typename F> void Loading(F Load);

  HDC FMeasureDC = nullptr;
  std::unique_ptr<TGdiHost> FHost;
  std::unique_ptr<THtmlViewerCore> FCore;
  TPaintPanel* FPanel = nullptr;
  T32ScrollBar* FVBar = nullptr;
  T32ScrollBar* FHBar = nullptr;
  THTMLBorderStyle FBorderStyle = htFocused;
  TScrollStyle FScrollBars = ssBoth;
  int FImageCacheCount = 5;
  int FLastWidth = -1;
  bool FLeftButtonDown = false, FMouseCaptured = false, FAutoScrollPending = false, FHotSpotClicked = false;
  int FMouseX = 0, FMouseY = 0;
  TCursor FSavedCursor = crDefault;
  // Deferred submission.
  std::string FSubmitAction, FSubmitMethod;
  std::vector<std::string> FSubmitResults;
};

void RegisterHtmlViewerClasses();
