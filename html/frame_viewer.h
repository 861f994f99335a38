// TFrameViewer: shows a document that may be a frameset. A tree of panels follows the
// FRAMESET and FRAME tags (TFrameSet at the top, TSubFrameSet for nested FRAMESETs, TFrame
// for each FRAME with its own THTMLViewer); links find their frame by target; a history of
// top documents and each frame's own history step back and forward in the order the steps
// were made. A document that is not a frameset is shown in a frame set of one frame.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "classlib/win/controls.h"
#include "html/core/frame_model.h"
#include "html/html_viewer.h"

class TFrameViewer;
class TFrameSet;
class TSubFrameSet;

class TFrameBase : public TWinControl {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  TFrameBase(TComponent* AOwner, TFrameViewer* AViewer, TFrameSet* AMasterSet, TFrameNode* ANode);
  TFrameViewer* Viewer;
  TFrameSet* MasterSet;  // the top frame set of the document (itself for a TFrameSet)
  TFrameNode* Node;
};

class TFrame : public TFrameBase {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  TFrame(TComponent* AOwner, TFrameViewer* AViewer, TFrameSet* AMasterSet, TFrameNode* ANode);
  ~TFrame() override;

  std::string Source;       // the resolved SRC
  std::string Destination;  // after "#"
  THTMLViewer* HtmlViewer = nullptr;  // made on first load
  TSubFrameSet* FrameSet = nullptr;   // a frameset document shown in this frame
  TFrameHistory History;

  // Loads Name (file, "#" and destination), then scrolls to Pos when one is given.
  void Load(const std::string& Name, const TViewPosition* Pos = nullptr);
  // A link loaded into this frame: a step of its own history.
  void LoadLink(const std::string& Name);
  // Shows entry Index of its own history.
  void GoHistory(int Index);
  // The file shown (with its destination).
  std::string CurrentName() const;

protected:
  void Resize() override;

private:
  THTMLViewer* EnsureViewer();
  void ShowError(const std::string& Name);
  void DropFrameSet();
};

class TSubFrameSet : public TFrameBase {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  TSubFrameSet(TComponent* AOwner, TFrameViewer* AViewer, TFrameSet* AMasterSet, TFrameNode* ANode);
  std::vector<TFrameBase*> Children;
  // Makes the child panels of the node's children; frame sources are resolved against
  // DocFile's folder or the document's base.
  void Build(const std::string& DocFile, const std::string& DocBase);
  void LayoutChildren();
  // Sizes of the rows and columns in pixels (after layout).
  std::vector<int> RowSizes, ColSizes;
  // Where the border between neighbours lies: column (Vertical) or row boundary Index; false
  // when the point is on no border that may be dragged.
  bool BorderAt(int X, int Y, bool& Vertical, int& Index) const;
  // Moves boundary Index by Delta pixels (each neighbour keeps at least 8).
  void DragBorder(bool Vertical, int Index, int Delta);

protected:
  void Resize() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;

private:
  bool FDragging = false, FDragVertical = false;
  int FDragIndex = 0, FDragFrom = 0;
  bool FSized = false;
};

class TFrameSet : public TSubFrameSet {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  TFrameSet(TFrameViewer* AViewer, std::unique_ptr<TFrameNode> ARoot);
  ~TFrameSet() override;
  std::unique_ptr<TFrameNode> Root;
  std::string CurrentFile, Title, Base, BaseTarget;
  bool Single = false;  // a document that is not a frameset, in one frame
  // Every frame at every level, in document order.
  std::vector<TFrame*> Frames() const;
};

class TFrameViewer : public TWinControl {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  // Frameset documents inside frames nest no deeper than this; deeper ones show the error page.
  static constexpr int MaxFrameDepth = 8;

  explicit TFrameViewer(TComponent* AOwner);
  ~TFrameViewer() override;

  // A missing file raises EInOutError "Can't locate file: " + name and changes nothing.
  void LoadFromFile(const std::string& Name);
  void Clear();
  void Reload();
  void GoBack();
  void GoFwd();
  bool Find(const std::string& Text, bool MatchCase);
  // Pages of the active frame on the default printer, or on the given device.
  int Print(int FromPage, int ToPage);
  int PrintTo(TPrintDevice& Device, int FromPage, int ToPage);
  std::string HTMLExpandFilename(const std::string& Name);

  bool BackButtonEnabled() const;
  bool FwdButtonEnabled() const;
  bool Busy() const { return FProcessing || FBusy; }
  TFrameSet* CurrentFrameSet() const { return FCurrent.get(); }
  const std::string& CurrentFile() const;
  const std::string& DocumentTitle() const;
  // The viewer that last had the focus (the only one of a single frame).
  THTMLViewer* ActiveViewer() const;
  int HistoryIndex() const { return FHistoryIndex; }
  int HistoryCount() const { return int(FHistory.size()); }

  // ---- properties handed to every frame's viewer
  int HistoryMaxCount() const { return FHistoryMaxCount; }
  void SetHistoryMaxCount(int Value);
  bool ViewImages() const { return FViewImages; }
  void SetViewImages(bool Value);
  bool NoSelect() const { return FNoSelect; }
  void SetNoSelect(bool Value);
  int ImageCacheCount() const { return FImageCacheCount; }
  void SetImageCacheCount(int Value);
  TColor DefBackground() const { return FDefBackground; }
  void SetDefBackground(TColor Value);
  const std::string& DefFontName() const { return FDefFontName; }
  void SetDefFontName(const std::string& Value);
  const std::string& DefPreFontName() const { return FDefPreFontName; }
  void SetDefPreFontName(const std::string& Value);
  int DefFontSize() const { return FDefFontSize; }
  void SetDefFontSize(int Value);
  TColor DefFontColor() const { return FDefFontColor; }
  void SetDefFontColor(TColor Value);
  TColor DefHotSpotColor() const { return FDefHotSpotColor; }
  void SetDefHotSpotColor(TColor Value);
  const std::string& ServerRoot() const { return FServerRoot; }
  void SetServerRoot(const std::string& Value);
  double PrintMarginLeft = 2.0, PrintMarginRight = 2.0, PrintMarginTop = 2.0, PrintMarginBottom = 2.0;

  // ---- events
  std::function<void(TObject* Sender, const std::string& Target, const std::string& URL)> OnHotSpotTargetCovered;
  std::function<void(TObject* Sender, const std::string& Target, const std::string& URL, bool& Handled)>
      OnHotSpotTargetClick;
  std::function<void(TObject* Sender, const std::string& Target, const std::string& URL)> OnBlankWindowRequest;
  TNotifyEvent OnHistoryChange;
  std::function<void(TObject* Sender, bool ProcessingOn)> OnProcessing;
  // A document asked for by a frame: a file name to load instead (true when answered).
  std::function<bool(TObject* Sender, const std::string& Source, std::string& NewName)> OnFileRequest;
  // The document's text itself (true when answered).
  std::function<bool(TObject* Sender, const std::string& Source, std::string& Text)> OnBufferRequest;
  // The document as lines, or in a stream read from its start (true when answered); the
  // handler keeps the list or stream, which need live only until the call returns.
  std::function<bool(TObject* Sender, const std::string& Source, TStrings*& Strings)> OnStringsRequest;
  std::function<bool(TObject* Sender, const std::string& Source, TStream*& Stream)> OnStreamRequest;
  THTMLPrintEvent OnPrintHeader, OnPrintFooter;

  // ---- used by the frames
  void SetupViewer(THTMLViewer* V, TFrame* Frame);
  void LinkClicked(TFrame* Frame, const std::string& URL, bool& Handled);
  void FrameHistoryStep(TFrame* Frame);
  void ViewerEntered(THTMLViewer* V) { FActive = V; }
  bool HasRequestEvents() const {
    return OnFileRequest || OnBufferRequest || OnStringsRequest || OnStreamRequest;
  }

protected:
  void Resize() override;

private:
  struct THistoryEntry {
    std::string Name, Title;
    TViewPosition Position;
    std::shared_ptr<TFrameSet> Set;
  };
  void SetProcessing(bool Value);
  // Loads Name as the new top document; Record adds the old one to the history.
  void LoadTop(const std::string& Name, bool Record);
  std::shared_ptr<TFrameSet> MakeSet(std::unique_ptr<TFrameNode> Root, const std::string& File);
  void Show(const std::shared_ptr<TFrameSet>& Set);
  void AddFrameSetHistory(const std::shared_ptr<TFrameSet>& Old, const std::string& OldFile,
                          const std::string& OldTitle, const TViewPosition& OldPos);
  void ShowHistory(int Index);
  TViewPosition SinglePosition() const;
  std::string ActiveTarget(TFrame* Frame) const;
  template <typename F> void ForEachViewer(F Action);

  std::shared_ptr<TFrameSet> FCurrent;
  std::vector<THistoryEntry> FHistory;
  int FHistoryIndex = 0;
  int FHistoryMaxCount = 0;
  bool FProcessing = false, FBusy = false;
  THTMLViewer* FActive = nullptr;
  std::string FURL, FTarget;

  bool FViewImages = true, FNoSelect = false;
  int FImageCacheCount = 5;
  TColor FDefBackground = clBtnFace, FDefFontColor = clBtnText, FDefHotSpotColor = clBlue;
  std::string FDefFontName = "Times New Roman", FDefPreFontName = "Courier New";
  int FDefFontSize = 12;
  std::string FServerRoot;
};

void RegisterFrameViewerClasses();
