#include "html/frame_viewer.h"

#include <algorithm>

#include "classlib/core/exception.h"
#include "classlib/core/stream.h"
#include "classlib/core/sys_utils.h"
#include "classlib/win/graphics.h"
#include "html/core/html_parser.h"

namespace {

void SplitAt(const std::string& Name, std::string& File, std::string& Dest, bool KeepHash) {
  std::size_t hash = Name.find('#');
  if (hash == std::string::npos) {
    File = Name;
    Dest.clear();
  } else {
    File = Name.substr(0, hash);
    Dest = Name.substr(KeepHash ? hash : hash + 1);
  }
}

bool ReadWhole(const std::string& File, std::string& Text) {
  try {
    TFileStream f(File, fmOpenRead | fmShareDenyWrite);
    Text.resize(std::size_t(f.Size()));
    if (!Text.empty()) f.ReadBuffer(&Text[0], std::int64_t(Text.size()));
    return true;
  } catch (const Exception&) {
    return false;
  }
}

std::string EscapeHtml(const std::string& S) {
  std::string r;
  for (char c : S) switch (c) {
      case '&': r += "&amp;"; break;
      case '<': r += "&lt;"; break;
      case '>': r += "&gt;"; break;
      case '"': r += "&quot;"; break;
      default: r += c;
    }
  return r;
}

bool IsImageExt(const std::string& Ext) {
  std::string e = LowerCase(Ext);
  return e == ".gif" || e == ".jpg" || e == ".jpeg" || e == ".bmp" || e == ".png";
}

}  // namespace

// ---- panels

const TClassInfo* TFrameBase::StaticClassInfo() {
  static const TClassInfo Info = TClassBuilder<TFrameBase, TWinControl>("TFrameBase").Build();
  return &Info;
}

TFrameBase::TFrameBase(TComponent* AOwner, TFrameViewer* AViewer, TFrameSet* AMasterSet, TFrameNode* ANode)
    : TWinControl(AOwner), Viewer(AViewer), MasterSet(AMasterSet), Node(ANode) {
  if (Node) Node->Tag = this;
}

const TClassInfo* TFrame::StaticClassInfo() {
  static const TClassInfo Info = TClassBuilder<TFrame, TFrameBase>("TFrame").Build();
  return &Info;
}

TFrame::TFrame(TComponent* AOwner, TFrameViewer* AViewer, TFrameSet* AMasterSet, TFrameNode* ANode)
    : TFrameBase(AOwner, AViewer, AMasterSet, ANode) {}

TFrame::~TFrame() = default;

THTMLViewer* TFrame::EnsureViewer() {
  if (!HtmlViewer) {
    HtmlViewer = new THTMLViewer(this);
    HtmlViewer->SetParent(this);
    HtmlViewer->SetAlign(alClient);
    Viewer->SetupViewer(HtmlViewer, this);
  }
  HtmlViewer->SetVisible(true);
  return HtmlViewer;
}

void TFrame::DropFrameSet() {
  if (!FrameSet) return;
  Viewer->ViewerEntered(nullptr);
  delete FrameSet;
  FrameSet = nullptr;
  Node->Children.clear();
}

void TFrame::ShowError(const std::string& Name) {
  THTMLViewer* v = EnsureViewer();
  v->LoadFromString("<p><img src=\"qw%&amp;.bmp\" alt=\"Error\"> Can't load " + EscapeHtml(Name));
}

std::string TFrame::CurrentName() const {
  if (!History.Entries.empty()) return History.Entries[std::size_t(History.Index)].Name;
  return Destination.empty() ? Source : Source + "#" + Destination;
}

void TFrame::Load(const std::string& Name, const TViewPosition* Pos) {
  std::string file, dest;
  SplitFileName(Name, file, dest);
  DropFrameSet();
  std::string text;
  bool haveText = false;
  if (Viewer->OnFileRequest) {
    std::string other;
    if (Viewer->OnFileRequest(Viewer, file, other)) file = other;
  }
  if (Viewer->OnBufferRequest && Viewer->OnBufferRequest(Viewer, file, text)) haveText = true;
  if (!haveText && Viewer->OnStringsRequest) {
    TStrings* lines = nullptr;
    if (Viewer->OnStringsRequest(Viewer, file, lines) && lines) {
      text = lines->Text();
      haveText = true;
    }
  }
  if (!haveText && Viewer->OnStreamRequest) {
    TStream* stream = nullptr;
    if (Viewer->OnStreamRequest(Viewer, file, stream) && stream) {
      try {
        stream->SetPosition(0);
        text.resize(std::size_t(std::max<std::int64_t>(0, stream->Size())));
        if (!text.empty()) stream->ReadBuffer(text.data(), std::int64_t(text.size()));
        haveText = true;
      } catch (const Exception&) {
        ShowError(file);
        return;
      }
    }
  }
  std::string ext = LowerCase(ExtractFileExt(file));
  if (!haveText && (file.empty() || !FileExists(file))) {
    ShowError(file);
    return;
  }
  if (!haveText && !IsImageExt(ext) && ext != ".txt") {
    if (!ReadWhole(file, text)) {
      ShowError(file);
      return;
    }
  }
  if (!IsImageExt(ext) && ext != ".txt" && THtmlParser::IsFrameSetDocument(text.data(), text.size())) {
    // A frameset document in this frame: its frames nest inside, to a limit (a document
    // that includes itself would go on for ever).
    if (Node->DocumentDepth() + 1 >= TFrameViewer::MaxFrameDepth) {
      ShowError(file);
      return;
    }
    auto setNode = std::make_unique<TFrameNode>(true);
    TSectionList scratch(nullptr);
    THtmlParser parser(scratch);
    try {
      parser.ParseFrameSet(text.data(), text.size(), *setNode);
    } catch (const EParseError&) {
    }
    TFrameNode* sn = Node->Add(std::move(setNode));
    if (HtmlViewer) HtmlViewer->SetVisible(false);
    FrameSet = new TSubFrameSet(this, Viewer, MasterSet, sn);
    FrameSet->SetParent(this);
    FrameSet->SetAlign(alClient);
    FrameSet->SetBounds(0, 0, Width(), Height());
    FrameSet->Build(file, parser.BaseHref);
    FrameSet->LayoutChildren();
    return;
  }
  THTMLViewer* v = EnsureViewer();
  try {
    if (IsImageExt(ext)) v->LoadImageFile(file);
    else if (ext == ".txt") v->LoadTextFile(file);
    else if (haveText) v->LoadFromString(text);
    else v->LoadFromFile(dest.empty() ? file : file + "#" + dest);
  } catch (const EInOutError&) {
    ShowError(file);
    return;
  } catch (const Exception&) {
    // The page shows what could be read.
  }
  if (Pos && Pos->Section >= 0) v->SetPosition(*Pos);
}

void TFrame::LoadLink(const std::string& Name) {
  TViewPosition before{-1, 0};
  if (HtmlViewer && !FrameSet) before = HtmlViewer->GetPosition();
  if (TFrameSet* set = Viewer->CurrentFrameSet())
    for (TFrame* f : set->Frames()) f->History.DropForward();
  Load(Name);
  History.Record(Name, before, NextFrameSeq());
  Viewer->FrameHistoryStep(this);
}

void TFrame::GoHistory(int Index) {
  if (Index < 0 || Index >= int(History.Entries.size())) return;
  if (HtmlViewer && !FrameSet && History.Index < int(History.Entries.size()))
    History.Entries[std::size_t(History.Index)].Position = HtmlViewer->GetPosition();
  History.Index = Index;
  TFrameHistoryEntry e = History.Entries[std::size_t(Index)];
  Load(e.Name, &e.Position);
  Viewer->FrameHistoryStep(this);
}

void TFrame::Resize() {
  TFrameBase::Resize();
  if (FrameSet) FrameSet->SetBounds(0, 0, Width(), Height());
}

// ---- frame sets

const TClassInfo* TSubFrameSet::StaticClassInfo() {
  static const TClassInfo Info = TClassBuilder<TSubFrameSet, TFrameBase>("TSubFrameSet").Build();
  return &Info;
}

TSubFrameSet::TSubFrameSet(TComponent* AOwner, TFrameViewer* AViewer, TFrameSet* AMasterSet, TFrameNode* ANode)
    : TFrameBase(AOwner, AViewer, AMasterSet, ANode) {}

void TSubFrameSet::Build(const std::string& DocFile, const std::string& DocBase) {
  for (auto& child : Node->Children) {
    if (child->IsSet) {
      auto* sub = new TSubFrameSet(this, Viewer, MasterSet, child.get());
      sub->SetParent(this);
      Children.push_back(sub);
      sub->Build(DocFile, DocBase);
      continue;
    }
    auto* frame = new TFrame(this, Viewer, MasterSet, child.get());
    frame->SetParent(this);
    Children.push_back(frame);
    std::string file, dest;
    SplitFileName(UrlToDosPath(TrimBlanks(child->Source)), file, dest);
    if (!Viewer->HasRequestEvents() && !file.empty()) {
      file = ExpandServerRoot(file, Viewer->ServerRoot());
      if (!(file.size() >= 2 && file[1] == ':')) {
        if (SameText(DocBase, "DosPath")) file = ExpandFileName(file);
        else if (!DocBase.empty()) file = ExpandFileName(IncludeTrailingBackslash(UrlToDosPath(DocBase)) + file);
        else file = ExpandFileName(ExtractFilePath(DocFile) + file);
      }
    }
    frame->Source = file;
    frame->Destination = dest;
  }
  LayoutChildren();
  // Sources load once every panel has its place.
  for (TFrameBase* c : Children)
    if (auto* frame = dynamic_cast<TFrame*>(c)) {
      std::string name = frame->Destination.empty() ? frame->Source : frame->Source + "#" + frame->Destination;
      frame->History.Record(name, {-1, 0}, NextFrameSeq());
      frame->Load(name);
    }
}

void TSubFrameSet::LayoutChildren() {
  int w = std::max(ClientWidth(), 0), h = std::max(ClientHeight(), 0);
  int b = Node->BorderWidth;
  if (!FSized) {
    int nc = int(FrameSizes(Node->Cols, w).size()), nr = int(FrameSizes(Node->Rows, h).size());
    ColSizes = FrameSizes(Node->Cols, std::max(w - b * (nc - 1), 0));
    RowSizes = FrameSizes(Node->Rows, std::max(h - b * (nr - 1), 0));
  }
  int nc = int(ColSizes.size());
  for (int k = 0; k < int(Children.size()); ++k) {
    int r = k / nc, c = k % nc;
    TFrameBase* child = Children[std::size_t(k)];
    if (r >= int(RowSizes.size())) {
      child->SetVisible(false);
      continue;
    }
    int x = 0, y = 0;
    for (int i = 0; i < c; ++i) x += ColSizes[std::size_t(i)] + b;
    for (int i = 0; i < r; ++i) y += RowSizes[std::size_t(i)] + b;
    child->SetBounds(x, y, ColSizes[std::size_t(c)], RowSizes[std::size_t(r)]);
    child->SetVisible(true);
    if (auto* sub = dynamic_cast<TSubFrameSet*>(child)) sub->LayoutChildren();
  }
}

void TSubFrameSet::Resize() {
  TFrameBase::Resize();
  FSized = false;
  LayoutChildren();
}

bool TSubFrameSet::BorderAt(int X, int Y, bool& Vertical, int& Index) const {
  int b = std::max(Node->BorderWidth, 1);
  int nc = int(ColSizes.size());
  auto resizable = [&](bool Vert, int I) {
    for (int k = 0; k < int(Children.size()); ++k) {
      int r = k / std::max(nc, 1), c = k % std::max(nc, 1);
      bool touches = Vert ? (c == I || c == I + 1) : (r == I || r == I + 1);
      if (touches && Children[std::size_t(k)]->Node && !Children[std::size_t(k)]->Node->IsSet &&
          Children[std::size_t(k)]->Node->NoReSize)
        return false;
    }
    return true;
  };
  int x = 0;
  for (int i = 0; i + 1 < nc; ++i) {
    x += ColSizes[std::size_t(i)];
    if (X >= x - 1 && X < x + b + 1) {
      Vertical = true;
      Index = i;
      return resizable(true, i);
    }
    x += Node->BorderWidth;
  }
  int y = 0;
  for (int i = 0; i + 1 < int(RowSizes.size()); ++i) {
    y += RowSizes[std::size_t(i)];
    if (Y >= y - 1 && Y < y + b + 1) {
      Vertical = false;
      Index = i;
      return resizable(false, i);
    }
    y += Node->BorderWidth;
  }
  return false;
}

void TSubFrameSet::DragBorder(bool Vertical, int Index, int Delta) {
  std::vector<int>& sizes = Vertical ? ColSizes : RowSizes;
  if (Index < 0 || Index + 1 >= int(sizes.size())) return;
  const int minimum = 8;
  int& a = sizes[std::size_t(Index)];
  int& b = sizes[std::size_t(Index + 1)];
  Delta = std::clamp(Delta, minimum - a, b - minimum);
  if (a + Delta < minimum || b - Delta < minimum) return;
  a += Delta;
  b -= Delta;
  FSized = true;
  LayoutChildren();
}

void TSubFrameSet::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TFrameBase::MouseDown(Button, Shift, X, Y);
  bool vertical;
  int index;
  if (Button == mbLeft && BorderAt(X, Y, vertical, index)) {
    FDragging = true;
    FDragVertical = vertical;
    FDragIndex = index;
    FDragFrom = vertical ? X : Y;
    SetCapture(Handle());
  }
}

void TSubFrameSet::MouseMove(TShiftState Shift, int X, int Y) {
  TFrameBase::MouseMove(Shift, X, Y);
  if (FDragging) {
    int at = FDragVertical ? X : Y;
    DragBorder(FDragVertical, FDragIndex, at - FDragFrom);
    FDragFrom = at;
    return;
  }
  bool vertical;
  int index;
  SetCursor(BorderAt(X, Y, vertical, index) ? (vertical ? crHSplit : crVSplit) : crDefault);
}

void TSubFrameSet::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TFrameBase::MouseUp(Button, Shift, X, Y);
  if (FDragging) {
    FDragging = false;
    ReleaseCapture();
  }
}

const TClassInfo* TFrameSet::StaticClassInfo() {
  static const TClassInfo Info = TClassBuilder<TFrameSet, TSubFrameSet>("TFrameSet").Build();
  return &Info;
}

TFrameSet::TFrameSet(TFrameViewer* AViewer, std::unique_ptr<TFrameNode> ARoot)
    : TSubFrameSet(nullptr, AViewer, this, ARoot.get()), Root(std::move(ARoot)) {}

TFrameSet::~TFrameSet() {
  // The panels go before the nodes they stand for.
  DestroyComponents();
}

std::vector<TFrame*> TFrameSet::Frames() const {
  std::vector<TFrameNode*> nodes;
  CollectFrames(Root.get(), nodes);
  std::vector<TFrame*> frames;
  for (TFrameNode* n : nodes)
    if (n->Tag) frames.push_back(static_cast<TFrame*>(static_cast<TFrameBase*>(n->Tag)));
  return frames;
}

// ---- the frame viewer

const TClassInfo* TFrameViewer::StaticClassInfo() {
  static const TClassInfo Info =
      TClassBuilder<TFrameViewer, TWinControl>("TFrameViewer")
          .Prop("HistoryMaxCount", &TFrameViewer::HistoryMaxCount, &TFrameViewer::SetHistoryMaxCount)
          .Prop("ViewImages", &TFrameViewer::ViewImages, &TFrameViewer::SetViewImages)
          .Prop("NoSelect", &TFrameViewer::NoSelect, &TFrameViewer::SetNoSelect)
          .Prop("ImageCacheCount", &TFrameViewer::ImageCacheCount, &TFrameViewer::SetImageCacheCount)
          .Prop("DefBackground", &TFrameViewer::DefBackground, &TFrameViewer::SetDefBackground)
          .Prop("DefFontName", &TFrameViewer::DefFontName, &TFrameViewer::SetDefFontName)
          .Prop("DefPreFontName", &TFrameViewer::DefPreFontName, &TFrameViewer::SetDefPreFontName)
          .Prop("DefFontSize", &TFrameViewer::DefFontSize, &TFrameViewer::SetDefFontSize)
          .Prop("DefFontColor", &TFrameViewer::DefFontColor, &TFrameViewer::SetDefFontColor)
          .Prop("DefHotSpotColor", &TFrameViewer::DefHotSpotColor, &TFrameViewer::SetDefHotSpotColor)
          .Prop("ServerRoot", &TFrameViewer::ServerRoot, &TFrameViewer::SetServerRoot)
          .Build();
  return &Info;
}

TFrameViewer::TFrameViewer(TComponent* AOwner) : TWinControl(AOwner) {
  FWidth = FHeight = 150;
  FTabStop = true;
  Show(MakeSet(std::make_unique<TFrameNode>(true), std::string()));
}

TFrameViewer::~TFrameViewer() {
  FActive = nullptr;
  FHistory.clear();
  FCurrent.reset();
}

void TFrameViewer::SetProcessing(bool Value) {
  if (FProcessing == Value) return;
  FProcessing = Value;
  if (OnProcessing) OnProcessing(this, Value);
}

std::shared_ptr<TFrameSet> TFrameViewer::MakeSet(std::unique_ptr<TFrameNode> Root, const std::string& File) {
  auto set = std::make_shared<TFrameSet>(this, std::move(Root));
  set->SetVisible(false);
  set->SetParent(this);
  set->SetBounds(0, 0, ClientWidth(), ClientHeight());
  set->CurrentFile = File.empty() ? std::string() : ExpandFileName(File);
  return set;
}

void TFrameViewer::Show(const std::shared_ptr<TFrameSet>& Set) {
  if (FCurrent == Set) return;
  if (FCurrent) FCurrent->SetVisible(false);
  FCurrent = Set;
  FActive = nullptr;
  FCurrent->SetBounds(0, 0, ClientWidth(), ClientHeight());
  FCurrent->SetVisible(true);
  FCurrent->LayoutChildren();
}

void TFrameViewer::Resize() {
  TWinControl::Resize();
  if (FCurrent) FCurrent->SetBounds(0, 0, ClientWidth(), ClientHeight());
}

const std::string& TFrameViewer::CurrentFile() const { return FCurrent->CurrentFile; }

const std::string& TFrameViewer::DocumentTitle() const {
  if (FCurrent->Single) {
    std::vector<TFrame*> frames = FCurrent->Frames();
    if (!frames.empty() && frames[0]->HtmlViewer) return frames[0]->HtmlViewer->DocumentTitle();
  }
  return FCurrent->Title;
}

THTMLViewer* TFrameViewer::ActiveViewer() const {
  std::vector<TFrame*> frames = FCurrent->Frames();
  THTMLViewer* first = nullptr;
  for (TFrame* f : frames) {
    if (!f->HtmlViewer || f->FrameSet) continue;
    if (f->HtmlViewer == FActive) return FActive;
    if (!first) first = f->HtmlViewer;
  }
  return first;
}

TViewPosition TFrameViewer::SinglePosition() const {
  if (FCurrent && FCurrent->Single) {
    std::vector<TFrame*> frames = FCurrent->Frames();
    if (frames.size() == 1 && frames[0]->HtmlViewer) return frames[0]->HtmlViewer->GetPosition();
  }
  return {};
}

void TFrameViewer::LoadFromFile(const std::string& Name) {
  if (Busy()) return;
  std::string file, dest;
  SplitFileName(Name, file, dest);
  if (!FileExists(file)) throw EInOutError("Can't locate file: " + file, 2);
  LoadTop(Name, true);
}

void TFrameViewer::LoadTop(const std::string& Name, bool Record) {
  std::string file, dest;
  SplitFileName(Name, file, dest);
  std::string text;
  if (!FileExists(file) || !ReadWhole(file, text)) throw EInOutError("Can't locate file: " + file, 2);
  struct TRestore {
    TFrameViewer& V;
    bool Was;
    ~TRestore() { V.SetProcessing(Was); }
  } restore{*this, FProcessing};
  SetProcessing(true);
  std::shared_ptr<TFrameSet> old = FCurrent;
  std::string oldFile = old->CurrentFile, oldTitle = DocumentTitle();
  TViewPosition oldPos = SinglePosition();
  if (!THtmlParser::IsFrameSetDocument(text.data(), text.size())) {
    if (FCurrent->Single) {
      TFrame* frame = FCurrent->Frames().front();
      frame->History = TFrameHistory();
      frame->History.Record(Name, {-1, 0}, NextFrameSeq());
      frame->Load(Name);
      FCurrent->CurrentFile = ExpandFileName(file);
    } else {
      auto root = std::make_unique<TFrameNode>(true);
      TFrameNode* f = root->Add(std::make_unique<TFrameNode>(false));
      f->Source = ExpandFileName(file) + (dest.empty() ? std::string() : "#" + dest);
      auto set = MakeSet(std::move(root), file);
      set->Single = true;
      Show(set);
      set->Build(file, std::string());
    }
    FCurrent->Title.clear();
  } else {
    auto root = std::make_unique<TFrameNode>(true);
    TSectionList scratch(nullptr);
    THtmlParser parser(scratch);
    try {
      parser.ParseFrameSet(text.data(), text.size(), *root);
    } catch (const EParseError&) {
    }
    auto set = MakeSet(std::move(root), file);
    set->Title = parser.Title;
    set->Base = parser.BaseHref;
    set->BaseTarget = parser.BaseTarget;
    Show(set);
    set->Build(file, parser.BaseHref);
  }
  if (Record) AddFrameSetHistory(old, oldFile, oldTitle, oldPos);
}

void TFrameViewer::AddFrameSetHistory(const std::shared_ptr<TFrameSet>& Old, const std::string& OldFile,
                                      const std::string& OldTitle, const TViewPosition& OldPos) {
  if (FHistoryMaxCount < 1 || FCurrent->CurrentFile.empty()) return;
  if (!FHistory.empty()) {
    THistoryEntry& e = FHistory[std::size_t(FHistoryIndex)];
    e.Name = OldFile;
    e.Title = OldTitle;
    e.Position = OldPos;
    e.Set = Old;
    if (Old && Old != FCurrent)
      for (TFrame* f : Old->Frames()) f->History.DropForward();
    FHistory.erase(FHistory.begin(), FHistory.begin() + FHistoryIndex);
  }
  FHistoryIndex = 0;
  FHistory.insert(FHistory.begin(), THistoryEntry{FCurrent->CurrentFile, DocumentTitle(), {}, FCurrent});
  if (int(FHistory.size()) > FHistoryMaxCount) FHistory.erase(FHistory.begin() + FHistoryMaxCount);
  if (OnHistoryChange) OnHistoryChange(this);
}

void TFrameViewer::ShowHistory(int Index) {
  if (Index < 0 || Index >= int(FHistory.size()) || Index == FHistoryIndex) return;
  if (FHistoryIndex < int(FHistory.size()) && FCurrent->Single) FHistory[std::size_t(FHistoryIndex)].Position = SinglePosition();
  THistoryEntry e = FHistory[std::size_t(Index)];
  FHistoryIndex = Index;
  struct TRestore {
    TFrameViewer& V;
    ~TRestore() { V.SetProcessing(false); }
  } restore{*this};
  SetProcessing(true);
  if (e.Set && e.Set != FCurrent && SameText(e.Set->CurrentFile, e.Name)) {
    Show(e.Set);
  } else if (!e.Name.empty() && FileExists(e.Name)) {
    LoadTop(e.Name, false);
  }
  if (FCurrent->Single) {
    std::vector<TFrame*> frames = FCurrent->Frames();
    if (frames.size() == 1 && frames[0]->HtmlViewer) frames[0]->HtmlViewer->SetPosition(e.Position);
  }
  if (OnHistoryChange) OnHistoryChange(this);
}

void TFrameViewer::GoBack() {
  if (Busy()) return;
  std::vector<TFrame*> frames = FCurrent->Frames();
  std::vector<const TFrameHistory*> histories;
  for (TFrame* f : frames) histories.push_back(&f->History);
  int i = PickBackStep(histories);
  if (i >= 0) {
    struct TRestore {
      TFrameViewer& V;
      ~TRestore() { V.SetProcessing(false); }
    } restore{*this};
    SetProcessing(true);
    frames[std::size_t(i)]->GoHistory(frames[std::size_t(i)]->History.Index + 1);
  } else if (FHistoryIndex <= int(FHistory.size()) - 2) {
    ShowHistory(FHistoryIndex + 1);
  }
}

void TFrameViewer::GoFwd() {
  if (Busy()) return;
  std::vector<TFrame*> frames = FCurrent->Frames();
  std::vector<const TFrameHistory*> histories;
  for (TFrame* f : frames) histories.push_back(&f->History);
  int i = PickForwardStep(histories);
  if (i >= 0) {
    struct TRestore {
      TFrameViewer& V;
      ~TRestore() { V.SetProcessing(false); }
    } restore{*this};
    SetProcessing(true);
    frames[std::size_t(i)]->GoHistory(frames[std::size_t(i)]->History.Index - 1);
  } else if (FHistoryIndex >= 1) {
    ShowHistory(FHistoryIndex - 1);
  }
}

bool TFrameViewer::BackButtonEnabled() const {
  if (FHistoryIndex <= int(FHistory.size()) - 2) return true;
  for (TFrame* f : FCurrent->Frames())
    if (f->History.CanGoBack()) return true;
  return false;
}

bool TFrameViewer::FwdButtonEnabled() const {
  if (FHistoryIndex >= 1) return true;
  for (TFrame* f : FCurrent->Frames())
    if (f->History.CanGoForward()) return true;
  return false;
}

void TFrameViewer::FrameHistoryStep(TFrame*) {
  if (OnHistoryChange) OnHistoryChange(this);
}

void TFrameViewer::Clear() {
  if (Busy()) return;
  FHistory.clear();
  FHistoryIndex = 0;
  FActive = nullptr;
  auto empty = MakeSet(std::make_unique<TFrameNode>(true), std::string());
  Show(empty);
  if (OnHistoryChange) OnHistoryChange(this);
}

void TFrameViewer::Reload() {
  if (Busy()) return;
  struct TRestore {
    TFrameViewer& V;
    ~TRestore() { V.SetProcessing(false); }
  } restore{*this};
  SetProcessing(true);
  for (TFrame* f : FCurrent->Frames()) {
    if (f->FrameSet) continue;  // its own frames reload
    TViewPosition pos{-1, 0};
    if (f->HtmlViewer) pos = f->HtmlViewer->GetPosition();
    f->Load(f->CurrentName(), &pos);
  }
  FCurrent->LayoutChildren();
}

bool TFrameViewer::Find(const std::string& Text, bool MatchCase) {
  THTMLViewer* v = ActiveViewer();
  return v ? v->Find(Text, MatchCase) : false;
}

int TFrameViewer::Print(int FromPage, int ToPage) {
  THTMLViewer* v = ActiveViewer();
  if (!v) return 0;
  v->PrintMarginLeft = PrintMarginLeft;
  v->PrintMarginRight = PrintMarginRight;
  v->PrintMarginTop = PrintMarginTop;
  v->PrintMarginBottom = PrintMarginBottom;
  v->OnPrintHeader = OnPrintHeader;
  v->OnPrintFooter = OnPrintFooter;
  return v->Print(FromPage, ToPage);
}

int TFrameViewer::PrintTo(TPrintDevice& Device, int FromPage, int ToPage) {
  THTMLViewer* v = ActiveViewer();
  if (!v) return 0;
  v->PrintMarginLeft = PrintMarginLeft;
  v->PrintMarginRight = PrintMarginRight;
  v->PrintMarginTop = PrintMarginTop;
  v->PrintMarginBottom = PrintMarginBottom;
  v->OnPrintHeader = OnPrintHeader;
  v->OnPrintFooter = OnPrintFooter;
  return v->PrintTo(Device, FromPage, ToPage);
}

std::string TFrameViewer::HTMLExpandFilename(const std::string& Name) {
  std::string s = ExpandServerRoot(TrimBlanks(Name), FServerRoot);
  if (s.size() >= 2 && s[1] == ':') return s;
  THTMLViewer* v = ActiveViewer();
  std::string base = v ? v->Base() : std::string();
  if (base.empty()) base = FCurrent->Base;
  if (SameText(base, "DosPath")) return s;
  if (!base.empty()) return ExpandFileName(IncludeTrailingBackslash(UrlToDosPath(base)) + s);
  if (v) return v->HTMLExpandFilename(s);
  return ExpandFileName(ExtractFilePath(FCurrent->CurrentFile) + s);
}

std::string TFrameViewer::ActiveTarget(TFrame* Frame) const {
  THTMLViewer* v = Frame ? Frame->HtmlViewer : nullptr;
  if (v && !v->LinkTarget().empty()) return v->LinkTarget();
  if (v && !v->BaseTarget().empty()) return v->BaseTarget();
  return FCurrent->BaseTarget;
}

void TFrameViewer::LinkClicked(TFrame* Frame, const std::string& URL, bool& Handled) {
  Handled = true;
  if (Busy()) return;
  FURL = URL;
  FTarget = ActiveTarget(Frame);
  bool handled = false;
  if (OnHotSpotTargetClick) OnHotSpotTargetClick(this, FTarget, URL, handled);
  if (handled) return;
  TTargetResult r = ResolveTarget(FCurrent->Root.get(), Frame->Node, FTarget);
  if (r.Kind == ttUnknown || !r.Node) {
    if (OnBlankWindowRequest) OnBlankWindowRequest(this, FTarget, URL);
    return;
  }
  std::string name, dest;
  SplitAt(URL, name, dest, true);
  if (!name.empty() && !HasRequestEvents() && Frame->HtmlViewer) name = Frame->HtmlViewer->HTMLExpandFilename(name);
  if (name.empty()) {
    std::string d;
    SplitAt(Frame->CurrentName(), name, d, true);
  }
  std::string ext = ExtractFileExt(name);
  if (LinkKindOfExtension(ext) == lkNone && !SameText(ext, ".txt")) return;  // not a local page
  struct TRestore {
    TFrameViewer& V;
    ~TRestore() { V.SetProcessing(false); }
  } restore{*this};
  SetProcessing(true);
  TFrameNode* node = r.Node;
  if (!node->IsSet && FCurrent->Frames().size() == 1 && !SameText(name, FCurrent->CurrentFile))
    node = FCurrent->Root.get();
  if (!node->IsSet) {
    static_cast<TFrame*>(static_cast<TFrameBase*>(node->Tag))->LoadLink(name + dest);
  } else if (FileExists(name)) {
    LoadTop(name + dest, true);
  } else {
    Frame->LoadLink(name + dest);  // the frame shows that it cannot be loaded
  }
}

void TFrameViewer::SetupViewer(THTMLViewer* V, TFrame* Frame) {
  V->SetTabStop(true);
  V->SetViewImages(FViewImages);
  V->SetImageCacheCount(FImageCacheCount);
  V->SetNoSelect(FNoSelect);
  V->SetDefBackground(FDefBackground);
  V->SetDefFontColor(FDefFontColor);
  V->SetDefHotSpotColor(FDefHotSpotColor);
  V->SetDefFontName(FDefFontName);
  V->SetDefPreFontName(FDefPreFontName);
  V->SetDefFontSize(FDefFontSize);
  V->SetServerRoot(FServerRoot);
  V->SetHistoryMaxCount(FHistoryMaxCount);
  V->SetCursor(Cursor());
  V->SetMarginWidth(Frame->Node->MarginWidth);
  V->SetMarginHeight(Frame->Node->MarginHeight);
  if (Frame->Node->NoScroll) V->SetScrollBars(ssNone);
  V->OnKeyDown = OnKeyDown;
  V->OnKeyPress = OnKeyPress;
  V->OnKeyUp = OnKeyUp;
  V->OnEnter = [this, V](TObject*) { FActive = V; };
  V->OnHotSpotClick = [this, Frame](TObject*, const std::string& URL, bool& Handled) {
    LinkClicked(Frame, URL, Handled);
  };
  V->OnHotSpotCovered = [this, V](TObject*, const std::string& URL) {
    if (OnHotSpotTargetCovered) OnHotSpotTargetCovered(this, V->LinkTarget(), URL);
  };
}

template <typename F> void TFrameViewer::ForEachViewer(F Action) {
  if (!FCurrent) return;
  for (TFrame* f : FCurrent->Frames())
    if (f->HtmlViewer) Action(f->HtmlViewer);
}

void TFrameViewer::SetHistoryMaxCount(int Value) {
  if (Busy() || Value < 0 || Value == FHistoryMaxCount) return;
  if (Value < FHistoryMaxCount) {
    FHistory.clear();
    FHistoryIndex = 0;
  }
  FHistoryMaxCount = Value;
  ForEachViewer([&](THTMLViewer* v) { v->SetHistoryMaxCount(Value); });
}

void TFrameViewer::SetViewImages(bool Value) {
  if (Busy()) return;
  FViewImages = Value;
  ForEachViewer([&](THTMLViewer* v) { v->SetViewImages(Value); });
}

void TFrameViewer::SetNoSelect(bool Value) {
  if (Busy()) return;
  FNoSelect = Value;
  ForEachViewer([&](THTMLViewer* v) { v->SetNoSelect(Value); });
}

void TFrameViewer::SetImageCacheCount(int Value) {
  if (Busy()) return;
  FImageCacheCount = std::clamp(Value, 0, 20);
  ForEachViewer([&](THTMLViewer* v) { v->SetImageCacheCount(FImageCacheCount); });
}

void TFrameViewer::SetDefBackground(TColor Value) {
  if (Busy()) return;
  FDefBackground = Value;
  ForEachViewer([&](THTMLViewer* v) { v->SetDefBackground(Value); });
}

void TFrameViewer::SetDefFontName(const std::string& Value) {
  if (Busy()) return;
  FDefFontName = Value;
  ForEachViewer([&](THTMLViewer* v) { v->SetDefFontName(Value); });
}

void TFrameViewer::SetDefPreFontName(const std::string& Value) {
  if (Busy()) return;
  FDefPreFontName = Value;
  ForEachViewer([&](THTMLViewer* v) { v->SetDefPreFontName(Value); });
}

void TFrameViewer::SetDefFontSize(int Value) {
  if (Busy()) return;
  FDefFontSize = std::max(Value, 6);
  ForEachViewer([&](THTMLViewer* v) { v->SetDefFontSize(FDefFontSize); });
}

void TFrameViewer::SetDefFontColor(TColor Value) {
  if (Busy()) return;
  FDefFontColor = Value;
  ForEachViewer([&](THTMLViewer* v) { v->SetDefFontColor(Value); });
}

void TFrameViewer::SetDefHotSpotColor(TColor Value) {
  if (Busy()) return;
  FDefHotSpotColor = Value;
  ForEachViewer([&](THTMLViewer* v) { v->SetDefHotSpotColor(Value); });
}

void TFrameViewer::SetServerRoot(const std::string& Value) {
  if (Busy()) return;
  std::string s = Trim(Value);
  if (!s.empty() && s.back() == '\\') s.pop_back();
  FServerRoot = s;
  ForEachViewer([&](THTMLViewer* v) { v->SetServerRoot(s); });
}

void RegisterFrameViewerClasses() {
  RegisterMissingClasses<TFrameViewer, THTMLViewer>();
}
