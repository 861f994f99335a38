#include "html/core/html_viewer_core.h"

#include <algorithm>

#include "classlib/core/exception.h"
#include "classlib/core/stream.h"
#include "classlib/core/strings.h"
#include "classlib/core/sys_utils.h"
#include "html/core/html_parser.h"
#include "html/core/image_loader.h"

TLinkKind LinkKindOfExtension(const std::string& Ext) {
  std::string e = UpperCase(Ext.substr(0, 5));
  if (e == ".HTM" || e == ".HTML") return lkHTML;
  if (e == ".BMP" || e == ".GIF" || e == ".JPG" || e == ".JPEG" || e == ".PNG") return lkImage;
  return lkNone;
}

int AutoScrollDelta(int PointerY, int PanelHeight, int SmallChange) {
  if (PointerY < 0) return PointerY < -15 ? -8 * SmallChange : -SmallChange;
  if (PointerY >= PanelHeight) return PointerY - PanelHeight > 15 ? 8 * SmallChange : SmallChange;
  return 0;
}

void SetImageCacheLimit(int Count) { ImageCache().SetCacheLimit(Count); }

namespace {

// Splits a name at the first "#": the file before it, the destination after it.
void SplitDest(const std::string& Name, std::string& File, std::string& Dest, bool KeepHash) {
  std::size_t hash = Name.find('#');
  if (hash == std::string::npos) {
    File = Name;
    Dest.clear();
  } else {
    File = Name.substr(0, hash);
    Dest = Name.substr(KeepHash ? hash : hash + 1);
  }
}

}  // namespace

void SplitFileName(const std::string& Name, std::string& File, std::string& Dest) {
  SplitDest(Name, File, Dest, false);
  if (!Dest.empty() && !FileExists(File) && FileExists(Name)) {
    File = Name;
    Dest.clear();
  }
}

THtmlViewerCore::THtmlViewerCore(THtmlHost& Host)
    : FHost(Host), FDoc(std::make_unique<TSectionList>(&Host)), FNames(std::make_unique<TStringList>()) {
  FNames->SetSorted(true);
  FNames->SetDuplicates(dupIgnore);
  InitDocument();
}

THtmlViewerCore::~THtmlViewerCore() { ReleaseBackground(); }

void THtmlViewerCore::SetProcessing(bool Value) {
  if (FProcessing == Value) return;
  FProcessing = Value;
  if (OnProcessing) OnProcessing(Value);
}

void THtmlViewerCore::InitDocument() {
  ReleaseBackground();
  FDoc->Clear();
  FDoc->SetFonts(DefFontName, DefPreFontName, std::max(DefFontSize, 6), DefFontColor, DefHotSpotColor, DefBackground);
  FDoc->Charset = CharSet;
  FDoc->ViewImages = ViewImages;
  FDoc->OnImageRequest = OnImageRequest;
  if (OnFormSubmit)
    FDoc->OnFormSubmit = [this](const std::string& Action, const std::vector<std::string>& Fields,
                                const std::string& Method) { OnFormSubmit(Action, Method, Fields); };
  else
    FDoc->OnFormSubmit = nullptr;
  FDoc->SelStart = FDoc->SelEnd = -1;
  FDoc->ScrollY = 0;
  FNames->Clear();
  CaretPos = 0;
  SelAnchor = -1;
}

void THtmlViewerCore::Parse(const std::function<void(THtmlParser&)>& Reader) {
  THtmlParser parser(*FDoc, FNames.get());
  parser.OnScript = OnScript;
  try {
    Reader(parser);
  } catch (...) {
    // What was read stays on show.
    FTitle = parser.Title;
    FBase = !parser.BaseHref.empty() ? parser.BaseHref : FBaseEx;
    FBaseTarget = parser.BaseTarget;
    throw;
  }
  FTitle = parser.Title;
  FBase = !parser.BaseHref.empty() ? parser.BaseHref : FBaseEx;
  FBaseTarget = parser.BaseTarget;
}

void THtmlViewerCore::LayOut() {
  int width = std::max(ViewWidth - 2 * MarginWidth - ScrollBarWidth, 10);
  FDoc->BaseFolder = FCurrentFile.empty() ? std::string() : ExtractFilePath(FCurrentFile);
  int height = FDoc->LayOut(FHost, width);
  FMaxVertical = height + (ScrollBarMarginTwice ? 2 : 1) * MarginHeight;
  FScrollWidth = std::max(FDoc->MaxWidth, width);
  if (OnLaidOut) OnLaidOut();
}

void THtmlViewerCore::BuildImagePage(const std::string& FileName) {
  // The picture's name goes into the model as it stands: no entity or "#" in it is read.
  TMyFont font;
  font.SetName(FDoc->FontName);
  font.SetColor(FDoc->FontColor);
  font.SetNormalSize(*FDoc, 12);
  auto* section = new TSection(FDoc.get(), 1, font, nullptr, 0, 0, 0);
  TAttributeList attrs;
  attrs.AddAttribute(new TAttribute(SrcSy, 0, FileName));
  section->AddImage(attrs, nullptr);
  FDoc->Add(section);
}

void THtmlViewerCore::LoadFile(const std::string& Name, int Type) {
  std::string file, dest;
  SplitFileName(Name, file, dest);
  if (!FileExists(file)) throw EInOutError("Can't locate file: " + file, 2);
  std::string oldFile = FCurrentFile;
  const int oldY = Position();
  struct TRestore {
    THtmlViewerCore& V;
    ~TRestore() {
      V.SetProcessing(false);
      if (V.OnBusyCursor) V.OnBusyCursor(false);
      if (V.OnInvalidate) V.OnInvalidate();
    }
  } restore{*this};
  if (OnBusyCursor) OnBusyCursor(true);
  SetProcessing(true);
  InitDocument();
  ImageCache().AgeAndPurge();
  FCurrentFile = ExpandFileName(file);
  FFileType = Type;
  FSource.clear();
  FSourceKind = -1;
  auto finish = [&] {
    LayOut();
    if (dest.empty()) {
      if (!SameText(FCurrentFile, oldFile)) {
        SetPosition(0);
        SetHScroll(0);
      } else {
        SetPosition(oldY);  // the same file again: the same place, within the new height
      }
    } else {
      PositionTo(dest);
    }
  };
  try {
    if (Type == vfImage) {
      FTitle.clear();
      FBase = FBaseEx;
      FBaseTarget.clear();
      BuildImagePage(FCurrentFile);
    } else {
      TStringList lines;
      if (Type == vfText) {
        lines.LoadFromFile(FCurrentFile);
        Parse([&](THtmlParser& p) { p.ParseTextStrings(&lines); });
      } else {
        TFileStream stream(FCurrentFile, fmOpenRead | fmShareDenyWrite);
        FSource.resize(std::size_t(stream.Size()));
        if (!FSource.empty()) stream.ReadBuffer(&FSource[0], std::int64_t(FSource.size()));
        Parse([&](THtmlParser& p) { p.ParseHTMLBuffer(FSource.data(), FSource.size()); });
      }
    }
  } catch (...) {
    finish();
    throw;
  }
  FSourceKind = Type;
  finish();
}

void THtmlViewerCore::LoadWithHistory(const std::string& Name, int Type) {
  if (Name.empty() || FProcessing) return;
  std::string oldFile = FCurrentFile, oldTitle = FTitle;
  int oldType = FFileType;
  TViewPosition oldPos = GetPosition();
  try {
    LoadFile(Name, Type);
  } catch (const EInOutError&) {
    throw;  // nothing changed
  } catch (...) {
    if (!SameText(oldFile, FCurrentFile) || oldType != FFileType) AddHistory(oldFile, oldTitle, oldType, oldPos);
    throw;
  }
  if (!SameText(oldFile, FCurrentFile) || oldType != FFileType) AddHistory(oldFile, oldTitle, oldType, oldPos);
}

void THtmlViewerCore::LoadFromFile(const std::string& Name) { LoadWithHistory(Name, vfHTML); }
void THtmlViewerCore::LoadTextFile(const std::string& Name) { LoadWithHistory(Name, vfText); }
void THtmlViewerCore::LoadImageFile(const std::string& Name) { LoadWithHistory(Name, vfImage); }

void THtmlViewerCore::LoadMemory(int Type, const std::function<void(THtmlParser&)>& Reader) {
  if (FProcessing) return;
  struct TRestore {
    THtmlViewerCore& V;
    ~TRestore() {
      V.SetProcessing(false);
      if (V.OnInvalidate) V.OnInvalidate();
    }
  } restore{*this};
  SetProcessing(true);
  InitDocument();
  ImageCache().AgeAndPurge();
  FCurrentFile.clear();
  FFileType = Type;
  FSourceKind = -1;
  auto finish = [&] {
    LayOut();
    SetPosition(0);
    SetHScroll(0);
  };
  try {
    Parse(Reader);
  } catch (...) {
    finish();
    throw;
  }
  FSourceKind = Type;
  finish();
}

void THtmlViewerCore::LoadFromBuffer(const char* Buffer, std::size_t Size) {
  if (FProcessing) return;
  FSource.assign(Buffer, Size);
  LoadMemory(vfHTML, [&](THtmlParser& p) { p.ParseHTMLBuffer(FSource.data(), FSource.size()); });
}

void THtmlViewerCore::LoadFromStrings(const TStrings* Strings, int Type) {
  if (FProcessing || !Strings) return;
  if (Type != vfText) {
    std::string text = Strings->Text();
    LoadFromBuffer(text.data(), text.size());
    return;
  }
  FSource.clear();
  FTextLines = Strings->Text();
  LoadMemory(vfText, [&](THtmlParser& p) { p.ParseTextStrings(Strings); });
}

void THtmlViewerCore::LoadFromStream(TStream* Stream) {
  if (FProcessing || !Stream) return;
  std::string text(std::size_t(std::max<std::int64_t>(Stream->Size(), 0)), '\0');
  Stream->SetPosition(0);
  if (!text.empty()) Stream->ReadBuffer(&text[0], std::int64_t(text.size()));
  LoadFromBuffer(text.data(), text.size());
}

void THtmlViewerCore::Clear() {
  if (FProcessing) return;
  InitDocument();
  FBase.clear();
  FCurrentFile.clear();
  FBaseTarget.clear();
  FTitle.clear();
  FSource.clear();
  FSourceKind = -1;
  FDoc->Height = 0;
  FMaxVertical = 0;
  FScrollWidth = 0;
  FHScroll = 0;
  if (OnLaidOut) OnLaidOut();
  if (OnInvalidate) OnInvalidate();
}

void THtmlViewerCore::Relayout() {
  if (FProcessing) return;
  TViewPosition pos = GetPosition();
  SetProcessing(true);
  struct TRestore {
    THtmlViewerCore& V;
    ~TRestore() { V.SetProcessing(false); }
  } restore{*this};
  FDoc->SetFonts(DefFontName, DefPreFontName, std::max(DefFontSize, 6), DefFontColor, DefHotSpotColor,
                 FDoc->Background);
  FDoc->Charset = CharSet;
  FDoc->ViewImages = ViewImages;
  LayOut();
  SetPosition(pos);
  SetHScroll(FHScroll);
  if (OnInvalidate) OnInvalidate();
}

void THtmlViewerCore::Refresh() {
  if (FProcessing || FDoc->Count() == 0) return;
  TViewPosition pos = GetPosition();
  if (!FCurrentFile.empty()) {
    LoadFile(FCurrentFile, FFileType);
  } else if (FSourceKind == vfHTML) {
    std::string source = FSource;
    LoadFromBuffer(source.data(), source.size());
  } else if (FSourceKind == vfText) {
    TStringList lines;
    lines.SetText(FTextLines);
    LoadFromStrings(&lines, vfText);
  }
  SetPosition(pos);
}

// ---- scrolling

int THtmlViewerCore::MaxPosition() const { return std::max(0, FMaxVertical - PanelHeight); }

void THtmlViewerCore::SetPosition(int Y) {
  int y = std::clamp(Y, 0, MaxPosition());
  int old = FDoc->ScrollY;
  FDoc->ScrollY = y;
  if (OnScrolled) OnScrolled(old, y);
}

void THtmlViewerCore::SetHScroll(int X) {
  int range = FScrollWidth + 2 * MarginWidth;
  FHScroll = std::clamp(X, 0, std::max(0, range - PanelWidth));
}

TViewPosition THtmlViewerCore::GetPosition() const {
  TViewPosition p;
  int top = Position() - MarginHeight;  // in the document's own rows
  for (int i = 0; i < FDoc->Count(); ++i) {
    TSectionBase* b = FDoc->Block(i);
    if (top < b->Top + b->BlockHeight || i == FDoc->Count() - 1) {
      p.Section = i;
      p.Offset = top - b->Top;
      return p;
    }
  }
  return p;
}

void THtmlViewerCore::SetPosition(const TViewPosition& P) {
  if (P.Section < 0 || P.Section >= FDoc->Count()) return;
  SetPosition(FDoc->Block(P.Section)->Top + P.Offset + MarginHeight);
}

bool THtmlViewerCore::PositionTo(std::string Dest) {
  if (Dest.empty()) return false;
  if (Dest[0] == '#') Dest.erase(0, 1);
  int index;
  if (Dest.empty() || !FNames->Find(UpperCase(Dest), index)) return false;
  auto* section = static_cast<TSectionBase*>(FNames->Objects(index));
  SetPosition(section->Top + MarginHeight);
  SetHScroll(0);
  if (OnInvalidate) OnInvalidate();
  return true;
}

// ---- history

void THtmlViewerCore::AddHistory(const std::string& OldName, const std::string& OldTitle, int OldType,
                                 const TViewPosition& OldPos) {
  if (FHistoryMaxCount == 0 || FCurrentFile.empty()) return;
  if (OldName == FCurrentFile && OldType == FFileType && OldPos == GetPosition()) return;
  if (!FHistory.empty() && !OldName.empty()) {
    TViewHistoryEntry& e = FHistory[std::size_t(FHistoryIndex)];
    e.Name = OldName;
    e.Title = OldTitle;
    e.Position = OldPos;
    e.FileType = OldType;
    FHistory.erase(FHistory.begin(), FHistory.begin() + FHistoryIndex);
  }
  FHistoryIndex = 0;
  FHistory.insert(FHistory.begin(), TViewHistoryEntry{FCurrentFile, FTitle, GetPosition(), FFileType});
  if (int(FHistory.size()) > FHistoryMaxCount) FHistory.erase(FHistory.begin() + FHistoryMaxCount);
  if (OnHistoryChange) OnHistoryChange();
}

void THtmlViewerCore::SetHistoryMaxCount(int Value) {
  if (Value < 0 || Value == FHistoryMaxCount) return;
  if (Value < FHistoryMaxCount) ClearHistory();
  FHistoryMaxCount = Value;
}

void THtmlViewerCore::ClearHistory() {
  bool had = !FHistory.empty();
  FHistory.clear();
  FHistoryIndex = 0;
  if (had && OnHistoryChange) OnHistoryChange();
}

void THtmlViewerCore::SetHistoryIndex(int Index) {
  if (FProcessing || Index < 0 || Index >= int(FHistory.size()) || Index == FHistoryIndex) return;
  // The place in the document being left is kept with its entry.
  if (FHistoryIndex < int(FHistory.size())) {
    TViewHistoryEntry& cur = FHistory[std::size_t(FHistoryIndex)];
    if (cur.Name == FCurrentFile) cur.Position = GetPosition();
  }
  TViewHistoryEntry e = FHistory[std::size_t(Index)];
  FHistoryIndex = Index;
  if (e.Name != FCurrentFile || e.FileType != FFileType) {
    try {
      LoadFile(e.Name, e.FileType);
    } catch (...) {
      if (OnHistoryChange) OnHistoryChange();
      throw;
    }
  }
  SetPosition(e.Position);
  if (OnInvalidate) OnInvalidate();
  if (OnHistoryChange) OnHistoryChange();
}

// ---- links

std::string THtmlViewerCore::HTMLExpandFilename(const std::string& Name) const {
  std::string s = ExpandServerRoot(TrimBlanks(Name), ServerRoot);
  if (!s.empty() && s[0] == '\\') return ExpandFileName(s);
  if (s.size() >= 2 && s[1] == ':') return s;
  if (SameText(FBase, "DosPath")) return s;
  if (FBase.empty()) {
    std::string folder = FCurrentFile.empty() ? IncludeTrailingBackslash(GetCurrentDir()) : ExtractFilePath(FCurrentFile);
    return ExpandFileName(folder + s);
  }
  return ExpandFileName(IncludeTrailingBackslash(UrlToDosPath(FBase)) + s);
}

void THtmlViewerCore::HotSpotClick(const std::string& ClickedURL) {
  bool handled = false;
  if (OnHotSpotClick) OnHotSpotClick(ClickedURL, handled);
  if (handled) return;
  TViewPosition pos = GetPosition();
  if (!ClickedURL.empty() && ClickedURL[0] == '#') {
    if (PositionTo(ClickedURL)) AddHistory(FCurrentFile, FTitle, FFileType, pos);
    return;
  }
  std::string name, dest;
  SplitDest(ClickedURL, name, dest, true);
  name = HTMLExpandFilename(name);
  switch (LinkKindOfExtension(ExtractFileExt(name))) {
    case lkHTML:
      if (!SameText(name, FCurrentFile)) {
        LoadFromFile(name + dest);
      } else if (PositionTo(dest)) {
        AddHistory(FCurrentFile, FTitle, vfHTML, pos);
      }
      break;
    case lkImage: LoadImageFile(name); break;
    case lkNone: break;
  }
}

bool THtmlViewerCore::LinkAt(int X, int Y, TUrlTarget& Link, TFormControlObj** Control) {
  return FDoc->FindLinkAt(FHost, X - MarginWidth + FHScroll, Y + Position() - MarginHeight, Link, Control);
}

// ---- selection and find

int THtmlViewerCore::CharAt(int X, int Y) {
  return FDoc->FindCursor(FHost, X - MarginWidth + FHScroll, Y + Position() - MarginHeight);
}

void THtmlViewerCore::MouseDownAt(int X, int Y) {
  int pos = CharAt(X, Y);
  SelAnchor = pos;
  if (pos >= 0) {
    FDoc->SelStart = FDoc->SelEnd = pos;
    CaretPos = pos;
    if (OnInvalidate) OnInvalidate();
  }
}

void THtmlViewerCore::ExtendSelectionTo(int X, int Y) {
  if (SelAnchor < 0) return;
  int y = std::clamp(Y, 0, std::max(PanelHeight - 1, 0));
  int pos = CharAt(X, y);
  if (pos < 0 || pos == CaretPos || NoSelect) return;
  FDoc->SelStart = std::min(pos, SelAnchor);
  FDoc->SelEnd = std::max(pos, SelAnchor);
  CaretPos = pos;
  if (OnInvalidate) OnInvalidate();
}

void THtmlViewerCore::SelectWordAt(int X, int Y) {
  if (NoSelect || FProcessing) return;
  int pos = CharAt(X, Y);
  if (pos < 0) return;
  int start, end;
  if (!FDoc->WordAt(pos, start, end)) return;
  FDoc->SelStart = start;
  FDoc->SelEnd = end;
  CaretPos = end;
  if (OnInvalidate) OnInvalidate();
}

void THtmlViewerCore::SetSelLength(int Value) {
  if (Value != 0) return;
  FDoc->SelEnd = FDoc->SelStart;
  if (OnInvalidate) OnInvalidate();
}

bool THtmlViewerCore::Find(const std::string& Text, bool MatchCase) {
  if (Text.empty()) return false;
  int pos = FDoc->FindString(std::max(CaretPos, 0), Text, MatchCase);
  if (pos < 0) return false;
  FDoc->SelStart = pos;
  FDoc->SelEnd = pos + int(Text.size());
  CaretPos = FDoc->SelEnd;
  int x = 0, y = 0;
  if (FDoc->CursorToXY(FHost, pos, x, y)) {
    int top = y + MarginHeight;
    if (top < Position() || top > Position() + PanelHeight - 20) SetPosition(top - PanelHeight / 2);
  }
  if (OnInvalidate) OnInvalidate();
  return true;
}

// ---- drawing and printing

void THtmlViewerCore::ReleaseBackground() {
  if (FBgFetched && !FBgName.empty()) ImageCache().ReleaseImage(FBgName);
  FBgFetched = false;
  FBgName.clear();
  FBgPicture.reset();
}

void THtmlViewerCore::Paint(THtmlHost& Target, const THtmlRect& Clip) {
  if (!FBgFetched && !FDoc->BgImageName.empty() && FDoc->ViewImages && !FProcessing) {
    FBgFetched = true;
    FBgName = FDoc->BgImageName;
    int transparent = 0;
    FBgPicture = FDoc->GetImage(FBgName, transparent, nullptr);
  }
  if (FBgPicture && FBgPicture->Width > 0 && FBgPicture->Height > 0) {
    // Tiles stay put on the document as it scrolls.
    int w = FBgPicture->Width, h = FBgPicture->Height;
    int x0 = Clip.Left - ((Clip.Left + FHScroll) % w + w) % w;
    int y0 = Clip.Top - ((Clip.Top + Position()) % h + h) % h;
    for (int y = y0; y < Clip.Bottom; y += h)
      for (int x = x0; x < Clip.Right; x += w) Target.DrawPicture(*FBgPicture, x, y, w, h);
  } else {
    Target.FillRect(Clip, FDoc->Background);
  }
  if (FProcessing) return;
  FDoc->DrawDocument(Target, Clip, MarginWidth - FHScroll, MarginHeight);
}

std::unique_ptr<TSectionList> THtmlViewerCore::CreatePrintCopy(THtmlHost& PrintHost) const {
  auto copy = std::make_unique<TSectionList>(&PrintHost);
  copy->Printing = true;
  copy->SetFonts(FDoc->FontName, FDoc->FixedFontName, FDoc->FontSize, FDoc->FontColor, FDoc->LinkColor, clWhite);
  copy->Charset = FDoc->Charset;
  copy->ViewImages = FDoc->ViewImages;
  copy->OnImageRequest = FDoc->OnImageRequest;
  copy->BaseFolder = FDoc->BaseFolder;
  THtmlParser parser(*copy);
  try {
    if (FSourceKind == vfHTML) {
      parser.ParseHTMLBuffer(FSource.data(), FSource.size());
    } else if (FSourceKind == vfText) {
      TStringList lines;
      if (FCurrentFile.empty()) lines.SetText(FTextLines);
      else lines.LoadFromFile(FCurrentFile);
      parser.ParseTextStrings(&lines);
    } else if (FFileType == vfImage && !FCurrentFile.empty()) {
      TMyFont font;
      font.SetName(copy->FontName);
      font.SetNormalSize(*copy, 12);
      auto* section = new TSection(copy.get(), 1, font, nullptr, 0, 0, 0);
      TAttributeList attrs;
      attrs.AddAttribute(new TAttribute(SrcSy, 0, FCurrentFile));
      section->AddImage(attrs, nullptr);
      copy->Add(section);
    }
  } catch (const EParseError&) {
    // The copy prints what the screen shows: what was read.
  }
  copy->SetBackground(clWhite);
  return copy;
}

namespace {

// Measures through another host and draws nothing: the pass that finds where a page ends.
class TMeasureHost : public THtmlHost {
public:
  explicit TMeasureHost(THtmlHost& AHost) : FHost(AHost) {}
  THtmlFontMetrics FontMetrics(const TFont& Font) override { return FHost.FontMetrics(Font); }
  int TextWidth(const TFont& Font, std::string_view Text) override { return FHost.TextWidth(Font, Text); }
  bool Monochrome() const override { return FHost.Monochrome(); }
  void DrawText(const TFont&, int, int, std::string_view) override {}
  void FillRect(const THtmlRect&, TColor) override {}
  void DrawLine(int, int, int, int, TColor) override {}
  void DrawPicture(const THtmlPicture&, int, int, int, int) override {}
  void PushClip(const THtmlRect&) override {}
  void PopClip() override {}
  std::unique_ptr<THtmlControl> CreateControl(THtmlControlKind) override { return nullptr; }

private:
  THtmlHost& FHost;
};

}  // namespace

int PrintPages(TSectionList& Copy, THtmlHost& Canvas, const THtmlRect& Area, int Indent, int FromPage, int ToPage,
               const std::function<void(int Page)>& BeginPage, const std::function<bool(int Page)>& EndPage) {
  if (Area.Height() <= 0 || Area.Width() <= 0) return 0;
  TMeasureHost measure(Canvas);
  int top = 0, last = 0;
  for (int page = 1; page <= ToPage && top < Copy.Height; ++page) {
    // First pass: where this page ends.
    Copy.ScrollY = top;
    Copy.PageHeight = Area.Height();
    Copy.PageBottom = Area.Bottom;
    Copy.DrawDocument(measure, Area, Area.Left + Indent, Area.Top);
    int bottom = Copy.PageBottom;
    if (bottom <= Area.Top) bottom = Area.Bottom;  // nothing fits: cut rather than stall
    if (page >= FromPage) {
      if (BeginPage) BeginPage(page);
      THtmlRect clip = Area;
      clip.Bottom = bottom;
      Canvas.PushClip(clip);
      Copy.PageBottom = bottom;
      Copy.DrawDocument(Canvas, clip, Area.Left + Indent, Area.Top);
      Canvas.PopClip();
      last = page;
      if (EndPage && EndPage(page)) break;
    }
    top += bottom - Area.Top;
  }
  return last;
}
