// THtmlViewerCore: what the HTML viewer control does without a window: loading documents,
// text files and pictures, layout at the control's width, the scroll position, anchors,
// the history of visited documents, links, find and word selection, and the printed pages.
// The window (THTMLViewer) keeps its geometry here, paints the document and turns mouse,
// key and scroll messages into these calls.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "classlib/core/color.h"
#include "classlib/core/font.h"
#include "html/core/html_model.h"

class TStrings;
class TStream;

// The place shown at the top of the window: the index of the document's block there and
// how far the window top lies into it. Both are full integers, so that long documents and
// tall blocks come back to the right place.
struct TViewPosition {
  int Section = 0;
  int Offset = 0;
  bool operator==(const TViewPosition& O) const { return Section == O.Section && Offset == O.Offset; }
  bool operator!=(const TViewPosition& O) const { return !(*this == O); }
};

enum TViewFileType { vfHTML = 0, vfText = 1, vfImage = 2 };

struct TViewHistoryEntry {
  std::string Name, Title;
  TViewPosition Position;
  int FileType = vfHTML;
};

// The document kind that a link's extension asks for: an HTML page, a picture, or nothing.
enum TLinkKind { lkNone, lkHTML, lkImage };
// Splits a name to load at its first "#" into the file and the destination after it; a
// file whose own name holds "#" is taken whole when only the whole name exists.
void SplitFileName(const std::string& Name, std::string& File, std::string& Dest);
TLinkKind LinkKindOfExtension(const std::string& Ext);

// Draws a laid-out print copy page after page into Area of the canvas, the document's left
// edge at Area.Left + Indent. Each page runs from where the last one ended down to the first
// line or table that Area's bottom would cut (or a page break). Pages before FromPage are
// measured, not drawn. BeginPage comes before each drawn page and EndPage after it (true
// stops the job). Returns the last page drawn, 0 when none was.
int PrintPages(TSectionList& Copy, THtmlHost& Canvas, const THtmlRect& Area, int Indent, int FromPage, int ToPage,
               const std::function<void(int Page)>& BeginPage, const std::function<bool(int Page)>& EndPage);

// The scroll step of a selection dragged above (PointerY < 0) or below (PointerY >=
// PanelHeight) the panel: a line, or eight lines when more than 15 pixels away; 0 inside.
int AutoScrollDelta(int PointerY, int PanelHeight, int SmallChange);

// The number of unused pictures the shared image cache keeps (0..20).
void SetImageCacheLimit(int Count);

class THtmlViewerCore {
public:
  explicit THtmlViewerCore(THtmlHost& Host);
  virtual ~THtmlViewerCore();

  // ---- settings handed to every document
  std::string DefFontName = "Times New Roman", DefPreFontName = "Courier New";
  int DefFontSize = 12;
  TColor DefFontColor = clBtnText, DefHotSpotColor = clBlue, DefBackground = clBtnFace;
  TFontCharset CharSet = DEFAULT_CHARSET;
  bool ViewImages = true;
  bool NoSelect = false;
  int MarginWidth = 10, MarginHeight = 5;
  std::string ServerRoot;
  // The request of a picture's data; the document's folder is asked when it is empty.
  std::function<bool(const std::string& Source, std::vector<std::uint8_t>& Data)> OnImageRequest;
  std::function<void(const std::string& Action, const std::string& Method, const std::vector<std::string>& Results)>
      OnFormSubmit;
  std::function<void(const std::string& Text, const std::string& Language)> OnScript;

  // ---- geometry, kept by the window
  int ViewWidth = 0;         // the whole control
  int ScrollBarWidth = 0;    // of the vertical bar when it may show, else 0
  int PanelWidth = 0, PanelHeight = 0;  // the area the document is drawn in
  bool ScrollBarMarginTwice = true;     // the bottom margin counts too (a vertical bar may show)

  // ---- events
  std::function<void(bool ProcessingOn)> OnProcessing;
  std::function<void()> OnHistoryChange;
  std::function<void(const std::string& URL, bool& Handled)> OnHotSpotClick;
  // The document changed its height or width (scroll bars to set up), moved (scroll bar
  // position) or needs painting.
  std::function<void()> OnLaidOut;
  std::function<void(int OldY, int NewY)> OnScrolled;
  std::function<void()> OnInvalidate;
  // The hourglass while loading: true shows it, false restores the cursor.
  std::function<void(bool Busy)> OnBusyCursor;

  // ---- loading; each is ignored while Processing
  // A missing file raises EInOutError "Can't locate file: " + name and leaves the shown
  // document as it was. A page that cannot be read to its end shows what was read and
  // the error passes out; Processing and the cursor are restored on every path.
  void LoadFromFile(const std::string& Name);
  void LoadTextFile(const std::string& Name);
  void LoadImageFile(const std::string& Name);
  void LoadFromBuffer(const char* Buffer, std::size_t Size);
  void LoadFromString(const std::string& Html) { LoadFromBuffer(Html.data(), Html.size()); }
  // Type vfHTML or vfText.
  void LoadFromStrings(const TStrings* Strings, int Type = vfHTML);
  void LoadFromStream(TStream* Stream);
  // Clears the document (not while Processing).
  void Clear();
  // Lays the document out again at the present width, keeping the reader's place.
  void Relayout();
  // Reads the shown document again with the present fonts and settings, keeping the place.
  void Refresh();

  // ---- state
  TSectionList& Document() { return *FDoc; }
  const std::string& CurrentFile() const { return FCurrentFile; }
  int FileType() const { return FFileType; }
  const std::string& DocumentTitle() const { return FTitle; }
  const std::string& Base() const { return FBase; }
  void SetBase(const std::string& Value) { FBase = FBaseEx = Value; }
  const std::string& BaseTarget() const { return FBaseTarget; }
  bool Processing() const { return FProcessing; }
  int MaxVertical() const { return FMaxVertical; }
  int ScrollWidth() const { return FScrollWidth; }
  int CaretPos = 0;
  int SelAnchor = -1;
  // The link under the pointer or last clicked.
  std::string URL, Target;

  // ---- scrolling: Position is the first pixel row shown, clamped to the document
  int Position() const { return FDoc->ScrollY; }
  void SetPosition(int Y);
  int HScroll() const { return FHScroll; }
  void SetHScroll(int X);
  int MaxPosition() const;
  TViewPosition GetPosition() const;
  void SetPosition(const TViewPosition& P);
  // Scrolls to a named anchor ("#" in front allowed); false when there is none.
  bool PositionTo(std::string Dest);

  // ---- history (entry 0 the newest)
  const std::vector<TViewHistoryEntry>& History() const { return FHistory; }
  int HistoryIndex() const { return FHistoryIndex; }
  int HistoryMaxCount() const { return FHistoryMaxCount; }
  void SetHistoryMaxCount(int Value);
  void ClearHistory();
  // Shows history entry Index (its file at its position) and makes it current.
  void SetHistoryIndex(int Index);

  // ---- links
  // The link's full local path: blanks trimmed, the server root expanded, and a relative
  // path taken from the base or the current file's folder.
  virtual std::string HTMLExpandFilename(const std::string& Name) const;
  // The link action of a click on URL: an anchor, another page, a picture, or nothing.
  void HotSpotClick(const std::string& ClickedURL);
  // The link at a point of the panel; false when none is there.
  // Control: an image button under the point (its click point recorded), else nullptr.
  bool LinkAt(int X, int Y, TUrlTarget& Link, TFormControlObj** Control = nullptr);

  // ---- selection, find
  // The character position at a point of the panel; -1 when none.
  int CharAt(int X, int Y);
  void MouseDownAt(int X, int Y);
  void ExtendSelectionTo(int X, int Y);
  // Selects the word under the point.
  void SelectWordAt(int X, int Y);
  int SelLength() const { return FDoc->SelEnd > FDoc->SelStart ? FDoc->GetSelLength() : 0; }
  // Only 0 is acted on: the selection collapses to its start.
  void SetSelLength(int Value);
  std::string SelText() const { return FDoc->GetSelText(); }
  // Finds Text from the caret on, selects it and scrolls it into view.
  bool Find(const std::string& Text, bool MatchCase);

  // ---- drawing
  // Draws the part of the document in Clip (panel coordinates) through Host.
  void Paint(THtmlHost& Target, const THtmlRect& Clip);

  // ---- printing
  // Parses the shown document again as a print copy (no windows, no animations).
  std::unique_ptr<TSectionList> CreatePrintCopy(THtmlHost& PrintHost) const;

  // Adds the history entry of a document that is about to be left (also used by a frame's
  // own load steps).
  void AddHistory(const std::string& OldName, const std::string& OldTitle, int OldType, const TViewPosition& OldPos);

protected:
  void LoadFile(const std::string& Name, int Type);
  void LoadWithHistory(const std::string& Name, int Type);
  void LoadMemory(int Type, const std::function<void(class THtmlParser&)>& Reader);
  void Parse(const std::function<void(class THtmlParser&)>& Reader);
  void SetProcessing(bool Value);
  void InitDocument();
  void LayOut();
  void BuildImagePage(const std::string& FileName);
  void ReleaseBackground();

  THtmlHost& FHost;
  std::unique_ptr<TSectionList> FDoc;
  std::unique_ptr<class TStringList> FNames;  // anchors, upper-cased, with their sections
  std::string FCurrentFile, FTitle, FBase, FBaseEx, FBaseTarget;
  int FFileType = vfHTML;
  bool FProcessing = false;
  int FMaxVertical = 0, FScrollWidth = 0, FHScroll = 0;
  std::vector<TViewHistoryEntry> FHistory;
  int FHistoryIndex = 0, FHistoryMaxCount = 0;
  // What the shown document was read from, for the print copy.
  std::string FSource, FTextLines;
  // The document's background picture, fetched on the first paint.
  bool FBgFetched = false;
  std::string FBgName;
  std::shared_ptr<THtmlPicture> FBgPicture;
  int FSourceKind = -1;  // -1 none, else a TViewFileType
};
