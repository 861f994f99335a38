#include "editor/core/edit_model.h"

#include <algorithm>
#include <cassert>

namespace {

std::string TrimRightBlanks(std::string S) {
  while (!S.empty() && static_cast<unsigned char>(S.back()) <= 32) S.pop_back();
  return S;
}

std::string PadTo(std::string S, int Length) {
  if (static_cast<int>(S.size()) < Length) S.append(Length - S.size(), ' ');
  return S;
}

// Characters from a 1-based column on; empty past the end.
std::string From(const std::string& S, int Column) {
  return Column - 1 < static_cast<int>(S.size()) ? S.substr(std::max(Column - 1, 0)) : std::string();
}

// Characters before a 1-based column.
std::string Before(const std::string& S, int Column) {
  return S.substr(0, std::clamp(Column - 1, 0, static_cast<int>(S.size())));
}

// Splits at CR LF, CR or LF; always at least one line.
std::vector<std::string> SplitLines(const std::string& S) {
  std::vector<std::string> lines;
  std::size_t i = 0, n = S.size();
  for (;;) {
    std::size_t j = i;
    while (j < n && S[j] != '\r' && S[j] != '\n') ++j;
    lines.push_back(S.substr(i, j - i));
    if (j >= n) break;
    if (S[j] == '\r' && j + 1 < n && S[j + 1] == '\n') ++j;
    i = j + 1;
  }
  return lines;
}

// The position after inserting Text at P.
TmwPoint PosAfter(TmwPoint P, const std::string& Text) {
  std::vector<std::string> pieces = SplitLines(Text);
  if (pieces.size() == 1) return {P.X + static_cast<int>(pieces[0].size()), P.Y};
  return {static_cast<int>(pieces.back().size()) + 1, P.Y + static_cast<int>(pieces.size()) - 1};
}

// A flat offset (lines joined by one separator character) as a position.
TmwPoint OffsetToPos(const std::vector<std::string>& Lines, int FirstLine, std::size_t Offset) {
  for (std::size_t i = 0; i < Lines.size(); ++i) {
    if (Offset <= Lines[i].size()) return {static_cast<int>(Offset) + 1, FirstLine + static_cast<int>(i)};
    Offset -= Lines[i].size() + 1;
  }
  return {static_cast<int>(Lines.back().size()) + 1, FirstLine + static_cast<int>(Lines.size()) - 1};
}

std::string JoinFlat(const std::vector<std::string>& Lines) {
  std::string s;
  for (std::size_t i = 0; i < Lines.size(); ++i) {
    if (i) s += '\n';
    s += Lines[i];
  }
  return s;
}

}  // namespace

// The paint lock, released even when a command throws.
class TPaintLockGuard {
public:
  explicit TPaintLockGuard(TmwEditModel& Model) : FModel(Model) { FModel.BeginUpdate(); }
  ~TPaintLockGuard() { FModel.EndUpdate(); }

private:
  TmwEditModel& FModel;
};

class TmwEditModel::TInternalEdit {
public:
  explicit TInternalEdit(TmwEditModel& Model) : FModel(Model) { ++FModel.FInternalEdit; }
  ~TInternalEdit() { --FModel.FInternalEdit; }

private:
  TmwEditModel& FModel;
};

// ---------------------------------------------------------------------------------------
// Marks

void TMark::Changed() {
  if (TmwEditModel* e = GetEdit()) e->Invalidate();
}

void TMark::SetLine(int Value) {
  FLine = Value;
  Changed();
}

void TMark::SetImageIndex(int Value) {
  FImage = Value;
  Changed();
}

void TMark::SetVisible(bool Value) {
  FVisible = Value;
  Changed();
}

void TMark::SetInternalImage(bool Value) {
  FInternalImage = Value;
  Changed();
}

TmwEditModel* TMark::GetEdit() {
  if (FEdit && !FEdit->Marks().Contains(this)) FEdit = nullptr;
  return FEdit;
}

bool TMarkList::Contains(const TMark* Mark) const {
  for (const auto& m : FItems)
    if (m.get() == Mark) return true;
  return false;
}

void TMarkList::Add(std::unique_ptr<TMark> Mark) {
  FItems.push_back(std::move(Mark));
  if (OnChange) OnChange(this);
}

void TMarkList::Remove(TMark* Mark) {
  auto it = std::find_if(FItems.begin(), FItems.end(), [Mark](const auto& m) { return m.get() == Mark; });
  if (it == FItems.end()) return;
  std::unique_ptr<TMark> gone = std::move(*it);
  FItems.erase(it);
  if (OnChange) OnChange(this);
}

void TMarkList::Clear() {
  if (FItems.empty()) return;
  FItems.clear();
  if (OnChange) OnChange(this);
}

const TClassInfo* TmwBookMarkOpt::StaticClassInfo() {
  static const TClassInfo Info = TClassBuilder<TmwBookMarkOpt, TPersistent>("TmwBookMarkOpt")
                                     .Prop("EnableKeys", &TmwBookMarkOpt::EnableKeys)
                                     .Prop("GlyphsVisible", &TmwBookMarkOpt::GlyphsVisible,
                                           &TmwBookMarkOpt::SetGlyphsVisible)
                                     .Prop("LeftMargin", &TmwBookMarkOpt::LeftMargin, &TmwBookMarkOpt::SetLeftMargin)
                                     .Prop("Xoffset", &TmwBookMarkOpt::Xoffset, &TmwBookMarkOpt::SetXoffset)
                                     .Build();
  return &Info;
}

void TmwBookMarkOpt::SetGlyphsVisible(bool Value) {
  if (FGlyphsVisible == Value) return;
  FGlyphsVisible = Value;
  FOwner->Invalidate();
}

void TmwBookMarkOpt::SetLeftMargin(int Value) {
  if (FLeftMargin == Value) return;
  FLeftMargin = Value;
  FOwner->Invalidate();
}

void TmwBookMarkOpt::SetXoffset(int Value) {
  if (FXoffset == Value) return;
  FXoffset = Value;
  FOwner->Invalidate();
}

// ---------------------------------------------------------------------------------------
// Construction

TmwEditModel::TmwEditModel() : FLines(std::make_unique<TmwEditList>()), FKeystrokes(std::make_unique<TmwKeyStrokes>(this)) {
  FLines->OnAdded = [this](TmwEditList* s) { ListAdded(s); };
  FLines->OnDeleted = [this](int i) { ListInsertedOrDeleted(i); };
  FLines->OnInserted = [this](int i) { ListInsertedOrDeleted(i); };
  FLines->OnPutted = [this](int i) { ListPutted(i); };
  FLines->OnTextSet = [this](TmwEditList* s) { ListTextSet(s); };
  FLines->OnChanging = [this](TmwEditList* s) { ListChanging(s); };
  FLines->OnChange = [this](TmwEditList* s) { ListChange(s); };
  FUndoList.OnAdded = [this] { UndoAdded(); };
  FRedoList.OnAdded = [this] { UndoAdded(); };
  FMarks.OnChange = [this](TObject*) { Invalidate(); };
  {
    TInternalEdit g(*this);
    FLines->Add("");
  }
  SetDefaultKeystrokes();
}

TmwEditModel::~TmwEditModel() {
  if (FHighLighter) FHighLighter->AttachedEdits().RemoveEditor(this);
  FLines->OnAdded = nullptr;
  FLines->OnDeleted = nullptr;
  FLines->OnInserted = nullptr;
  FLines->OnPutted = nullptr;
  FLines->OnTextSet = nullptr;
  FLines->OnChanging = nullptr;
  FLines->OnChange = nullptr;
  FMarks.OnChange = nullptr;
}

// ---------------------------------------------------------------------------------------
// Paint lock and window

void TmwEditModel::BeginUpdate() { ++FPaintLock; }

void TmwEditModel::EndUpdate() {
  if (FPaintLock > 0 && --FPaintLock == 0 && FHost && FHost->HandleAllocated()) {
    FHost->UpdateScrollBars();
    FHost->Invalidate();
    FHost->UpdateCaret();
  }
}

void TmwEditModel::Invalidate() {
  if (FPaintLock == 0 && FHost && FHost->HandleAllocated()) FHost->Invalidate();
}

// ---------------------------------------------------------------------------------------
// Text

std::string TmwEditModel::GetLinesText() const { return FLines->GetText(); }

void TmwEditModel::SetLinesText(const std::string& Value) {
  FLines->SetText(Value);
  SetCaretY(FCaretY);
  Invalidate();
}

void TmwEditModel::SetLines(const TStrings* Value) {
  if (Value)
    FLines->Assign(Value);
  else
    FLines->SetText(std::string());
  SetCaretY(FCaretY);
  Invalidate();
}

void TmwEditModel::ClearAll() {
  TPaintLockGuard lock(*this);
  FBlockBegin = FBlockEnd = TmwPoint{1, 1};
  {
    TInternalEdit g(*this);
    FLines->Clear();
    FLines->Add("");
  }
  ClearUndoHistory();
  RemoveAllBookmarks();
  FCaretX = FCaretY = 1;
  SetTopLine(1);
  SetLeftChar(1);
}

std::string TmwEditModel::LineText() const { return Line(FCaretY); }

void TmwEditModel::SetLineText(const std::string& Value) {
  if (FCaretY >= 1 && FCaretY <= FLines->Count()) FLines->Put(FCaretY - 1, Value);
}

int TmwEditModel::LeftSpaces(const std::string& Text) {
  int n = 0;
  while (n < static_cast<int>(Text.size()) && static_cast<unsigned char>(Text[n]) <= 32) ++n;
  return n;
}

void TmwEditModel::EnsureLine() {
  if (FLines->Count() > 0) return;
  TInternalEdit g(*this);
  FLines->Add("");
}

TmwPoint TmwEditModel::ClampToText(TmwPoint P) const {
  P.Y = std::clamp(P.Y, 1, LastLine());
  P.X = std::clamp(P.X, 1, LineLength(P.Y) + 1);
  return P;
}

std::string TmwEditModel::TextBetween(TmwPoint A, TmwPoint B) const {
  if (PointBefore(B, A)) std::swap(A, B);
  A.Y = std::clamp(A.Y, 1, LastLine());
  B.Y = std::clamp(B.Y, 1, LastLine());
  if (A.Y == B.Y) {
    const std::string& s = Line(A.Y);
    int from = std::clamp(A.X - 1, 0, static_cast<int>(s.size()));
    int to = std::clamp(B.X - 1, from, static_cast<int>(s.size()));
    return s.substr(from, to - from);
  }
  std::string r = From(Line(A.Y), A.X);
  for (int y = A.Y + 1; y < B.Y; ++y) {
    r += "\r\n";
    r += Line(y);
  }
  r += "\r\n";
  r += Before(Line(B.Y), B.X);
  return r;
}

bool TmwEditModel::IsWordChar(char C) const {
  unsigned char c = static_cast<unsigned char>(C);
  if (FHighLighter) return FHighLighter->GetIdentChars()[c];
  return c >= 33;
}

// ---------------------------------------------------------------------------------------
// The text changes

TmwEditModel::TTextChange TmwEditModel::ReplaceLines(int First, int OldCount, std::vector<std::string> NewLines) {
  EnsureLine();
  if (NewLines.empty()) NewLines.emplace_back();
  First = std::clamp(First, 1, FLines->Count());
  OldCount = std::clamp(OldCount, 1, FLines->Count() - First + 1);
  std::vector<std::string> oldLines;
  oldLines.reserve(OldCount);
  for (int i = 0; i < OldCount; ++i) oldLines.push_back(FLines->Get(First - 1 + i));

  TTextChange change;
  std::string oldFlat = JoinFlat(oldLines), newFlat = JoinFlat(NewLines);
  if (oldFlat == newFlat) return change;
  std::size_t p = 0, limit = std::min(oldFlat.size(), newFlat.size());
  while (p < limit && oldFlat[p] == newFlat[p]) ++p;
  std::size_t q = 0;
  while (q < limit - p && oldFlat[oldFlat.size() - 1 - q] == newFlat[newFlat.size() - 1 - q]) ++q;
  change.Changed = true;
  change.Start = OffsetToPos(oldLines, First, p);
  change.NewEnd = OffsetToPos(NewLines, First, newFlat.size() - q);
  for (char c : oldFlat.substr(p, oldFlat.size() - q - p)) {
    if (c == '\n')
      change.OldText += "\r\n";
    else
      change.OldText += c;
  }

  // Touch only the lines that differ, so that the ranges rescan no more than needed.
  int m = OldCount, n = static_cast<int>(NewLines.size());
  int lead = 0;
  while (lead < m && lead < n && oldLines[lead] == NewLines[lead]) ++lead;
  int trail = 0;
  while (trail < m - lead && trail < n - lead && oldLines[m - 1 - trail] == NewLines[n - 1 - trail]) ++trail;
  TInternalEdit g(*this);
  FLines->BeginUpdate();
  try {
    int oldMid = m - lead - trail, newMid = n - lead - trail;
    int at = First - 1 + lead;
    int common = std::min(oldMid, newMid);
    for (int k = 0; k < common; ++k) FLines->Put(at + k, NewLines[lead + k]);
    if (newMid > common)
      FLines->InsertLines(at + common, std::vector<std::string>(NewLines.begin() + lead + common,
                                                                NewLines.begin() + lead + newMid));
    if (oldMid > common) FLines->DeleteLines(at + common, oldMid - common);
  } catch (...) {
    FLines->EndUpdate();
    throw;
  }
  FLines->EndUpdate();
  return change;
}

TmwEditModel::TTextChange TmwEditModel::ReplaceExact(TmwPoint A, TmwPoint B, const std::string& Value) {
  EnsureLine();
  A = ClampToText(A);
  B = ClampToText(B);
  if (PointBefore(B, A)) std::swap(A, B);
  std::vector<std::string> lines = SplitLines(Before(Line(A.Y), A.X) + Value + From(Line(B.Y), B.X));
  BookmarksForReplace(A.Y, B.Y, static_cast<int>(SplitLines(Value).size()) - 1);
  return ReplaceLines(A.Y, B.Y - A.Y + 1, std::move(lines));
}

TmwEditModel::TTextChange TmwEditModel::RawReplace(TmwPoint BlockBegin, TmwPoint BlockEnd, const std::string& Value) {
  TPaintLockGuard lock(*this);
  EnsureLine();
  if (PointBefore(BlockEnd, BlockBegin)) std::swap(BlockBegin, BlockEnd);
  BlockBegin.Y = std::clamp(BlockBegin.Y, 1, LastLine());
  BlockEnd.Y = std::clamp(BlockEnd.Y, 1, LastLine());
  BlockBegin.X = std::max(BlockBegin.X, 1);
  BlockEnd.X = std::max(BlockEnd.X, 1);
  bool remove = !(BlockBegin == BlockEnd);
  TmwPoint at;
  int first, last;
  std::string base;
  if (remove) {
    at = BlockBegin;
    first = BlockBegin.Y;
    last = BlockEnd.Y;
    base = TrimRightBlanks(Before(Line(first), at.X) + From(Line(last), BlockEnd.X));
  } else {
    at = {FCaretX, std::clamp(FCaretY, 1, LastLine())};
    first = last = at.Y;
    base = Line(first);
  }
  std::vector<std::string> lines;
  TmwPoint caret = at;
  int breaks = 0;
  if (Value.empty()) {
    lines.push_back(base);
  } else {
    std::vector<std::string> pieces = SplitLines(Value);
    breaks = static_cast<int>(pieces.size()) - 1;
    std::string head = PadTo(Before(base, at.X), at.X - 1);
    std::string rest = From(base, at.X);
    if (breaks == 0) {
      caret.X = at.X + static_cast<int>(pieces[0].size());
      lines.push_back(head + pieces[0] + rest);
    } else {
      lines.push_back(head + pieces[0]);
      for (int i = 1; i < breaks; ++i) lines.push_back(pieces[i]);
      caret = {static_cast<int>(pieces.back().size()) + 1, at.Y + breaks};
      lines.push_back(pieces.back() + rest);
    }
  }
  BookmarksForReplace(first, last, breaks);
  TTextChange change = ReplaceLines(first, last - first + 1, std::move(lines));
  SetCaretY(caret.Y);
  SetCaretX(caret.X);
  SetBlockBegin(GetCaretXY());
  return change;
}

void TmwEditModel::RecordChange(TChangeReason Reason, TmwPoint PosA, TmwPoint PosB, const TTextChange& Change) {
  if (!Change.Changed) return;
  FRedoList.Clear();
  TUndoRecord r;
  r.ChangeText = Change.OldText;
  r.ChangeReason = Reason;
  r.ChangeStartPos = PosA;
  r.ChangeEndPos = PosB;
  r.TextStart = Change.Start;
  r.TextEnd = Change.NewEnd;
  FUndoList.AddChange(std::move(r));
}

void TmwEditModel::UndoAdded() {
  FModified = true;
  if (OnChange) OnChange(this);
}

void TmwEditModel::ClearUndoHistory() {
  FUndoList.Clear();
  FRedoList.Clear();
}

// ---------------------------------------------------------------------------------------
// Undo and redo. A record's caret points are ordered so that, for every reason, undo puts
// the caret where it was before the change and redo where it was after it: insertions and
// line breaks record (before, after), deletions (after, before).

void TmwEditModel::ApplyRecord(const TUndoRecord& Record, bool IsUndo) {
  TmwPoint a = ClampToText(Record.TextStart), b = ClampToText(Record.TextEnd);
  if (PointBefore(b, a)) std::swap(a, b);
  std::string replaced = TextBetween(a, b);
  ReplaceExact(a, b, Record.ChangeText);
  TUndoRecord inverse = Record;
  inverse.ChangeText = std::move(replaced);
  inverse.TextStart = a;
  inverse.TextEnd = PosAfter(a, Record.ChangeText);
  bool insertion = Record.ChangeReason == crInsert || Record.ChangeReason == crDragDropInsert ||
                   Record.ChangeReason == crLineBreak;
  TmwPoint caret = (insertion == IsUndo) ? Record.ChangeStartPos : Record.ChangeEndPos;
  (IsUndo ? FRedoList : FUndoList).AddChange(std::move(inverse));
  SetCaretXY(caret);
  SetBlockBegin(GetCaretXY());
}

void TmwEditModel::UndoRedo(bool IsUndo) {
  TUndoList& from = IsUndo ? FUndoList : FRedoList;
  if (from.Count() == 0) return;
  TPaintLockGuard lock(*this);
  TUndoRecord r;
  from.GetChange(r);
  ApplyRecord(r, IsUndo);
  // A drag-and-drop move is one step: its deletion and insertion go together.
  TChangeReason partner = IsUndo ? crDragDropDelete : crDragDropInsert;
  TChangeReason self = IsUndo ? crDragDropInsert : crDragDropDelete;
  if (r.ChangeReason == self && from.PeekReason() == partner) {
    from.GetChange(r);
    ApplyRecord(r, IsUndo);
  }
}

void TmwEditModel::Undo() { UndoRedo(true); }
void TmwEditModel::Redo() { UndoRedo(false); }

void TmwEditModel::SetMaxUndo(int Value) {
  if (Value < 0) return;
  FUndoList.SetMaxUndo(Value);
  FRedoList.SetMaxUndo(Value);
}

// ---------------------------------------------------------------------------------------
// Caret, block, scrolling

void TmwEditModel::SetCaretX(int Value) {
  if (Value < 1) Value = 1;
  int len = LineLength(FCaretY);
  if (FScrollPastEOL) {
    Value = std::min(Value, std::max(FMaxLeftChar - FCharsInWindow, len + 1));
  } else {
    Value = std::min(Value, len + 1);
    if (FCharsInWindow > 0) {
      if (Value >= FLeftChar + FCharsInWindow)
        SetLeftChar(Value + 1 - FCharsInWindow);
      else if (Value < FLeftChar)
        SetLeftChar(Value);
    }
  }
  FCaretX = Value;
  if (FPaintLock == 0 && FHost) FHost->UpdateCaret();
}

void TmwEditModel::SetCaretY(int Value) {
  FCaretY = std::clamp(Value, 1, LastLine());
  if (!FScrollPastEOL)
    SetCaretX(FCaretX);
  else if (FPaintLock == 0 && FHost)
    FHost->UpdateCaret();
}

void TmwEditModel::SetCaretXY(TmwPoint Value) {
  TPaintLockGuard lock(*this);
  SetCaretY(Value.Y);
  SetCaretX(Value.X);
}

void TmwEditModel::CaretToCharOffset(int Offset) {
  int sum = 0, y = 1;
  for (; y < LastLine(); ++y) {
    int next = LineLength(y) + 2;
    if (sum + next >= Offset) break;
    sum += next;
  }
  TPaintLockGuard lock(*this);
  SetCaretY(y);
  SetCaretX(Offset - sum);
}

TmwPoint TmwEditModel::GetBlockBegin() const { return PointBefore(FBlockEnd, FBlockBegin) ? FBlockEnd : FBlockBegin; }
TmwPoint TmwEditModel::GetBlockEnd() const { return PointBefore(FBlockEnd, FBlockBegin) ? FBlockBegin : FBlockEnd; }

// Columns may run past the end of a line, up to the maximum line width or, on a longer
// line, to its end, so that a selection can always cover the whole text.
void TmwEditModel::SetBlockBegin(TmwPoint Value) {
  Value.Y = std::clamp(Value.Y, 1, LastLine());
  Value.X = std::clamp(Value.X, 1, std::max(FMaxLeftChar, LineLength(Value.Y) + 1));
  bool had = SelAvail();
  FBlockBegin = FBlockEnd = Value;
  if (had) Invalidate();
}

void TmwEditModel::SetBlockEnd(TmwPoint Value) {
  Value.Y = std::clamp(Value.Y, 1, LastLine());
  Value.X = std::clamp(Value.X, 1, std::max(FMaxLeftChar, LineLength(Value.Y) + 1));
  FBlockEnd = Value;
  Invalidate();
}

std::string TmwEditModel::GetSelText() const {
  if (!SelAvail()) return std::string();
  return TextBetween(GetBlockBegin(), GetBlockEnd());
}

void TmwEditModel::SelectAll() {
  TPaintLockGuard lock(*this);
  SetBlockBegin({1, 1});
  TmwPoint end{LineLength(LastLine()) + 1, LastLine()};
  if (FLines->Count() > 0) SetBlockEnd(end);
  SetCaretXY(end);
}

void TmwEditModel::SelectWordAt(TmwPoint P) {
  P.Y = std::clamp(P.Y, 1, LastLine());
  const std::string& s = Line(P.Y);
  int len = static_cast<int>(s.size());
  if (len == 0) return;
  int i = std::clamp(P.X, 1, len) - 1;  // 0-based
  if (!IsWordChar(s[i])) {
    int j = i - 1;
    while (j >= 0 && !IsWordChar(s[j])) --j;
    if (j < 0) {
      j = i + 1;
      while (j < len && !IsWordChar(s[j])) ++j;
      if (j >= len) return;
    }
    i = j;
  }
  int first = i, last = i;
  while (first > 0 && IsWordChar(s[first - 1])) --first;
  while (last + 1 < len && IsWordChar(s[last + 1])) ++last;
  TPaintLockGuard lock(*this);
  SetBlockBegin({first + 1, P.Y});
  SetBlockEnd({std::min(last + 2, std::max(FMaxLeftChar, len + 1)), P.Y});
  SetCaretXY(FBlockEnd);
}

void TmwEditModel::DropSelection(TmwPoint D, bool Copy) {
  if (FReadOnly || !SelAvail()) return;
  TmwPoint b = GetBlockBegin(), e = GetBlockEnd();
  if (!PointBefore(D, b) && !PointBefore(e, D)) return;
  TPaintLockGuard lock(*this);
  std::string text = GetSelText();
  if (!Copy) {
    TTextChange removal = RawReplace(b, e, std::string());
    RecordChange(crDragDropDelete, b, e, removal);
    // The same text position, in the text left after the removal.
    if (!PointBefore(D, e)) {
      if (D.Y == e.Y)
        D = {b.X + (D.X - e.X), b.Y};
      else
        D.Y -= e.Y - b.Y;
    }
  }
  // The drop point may lie past its line's end: the line is padded up to it.
  bool scrollPastEOL = FScrollPastEOL;
  FScrollPastEOL = true;
  struct TRestore {
    bool& Flag;
    bool Value;
    ~TRestore() { Flag = Value; }
  } restore{FScrollPastEOL, scrollPastEOL};
  FBlockBegin = FBlockEnd = D;
  SetCaretXY(D);
  TTextChange insertion = RawReplace(D, D, text);
  RecordChange(crDragDropInsert, D, GetCaretXY(), insertion);
}

void TmwEditModel::SetTopLine(int Value) {
  Value = std::clamp(Value, 1, LastLine());
  if (Value == FTopLine) return;
  FTopLine = Value;
  if (FPaintLock == 0 && FHost && FHost->HandleAllocated()) {
    FHost->UpdateScrollBars();
    FHost->Invalidate();
  }
}

void TmwEditModel::SetLeftChar(int Value) {
  Value = std::clamp(Value, 1, std::max(1, FMaxLeftChar - FCharsInWindow));
  if (Value == FLeftChar) return;
  FLeftChar = Value;
  if (FPaintLock == 0 && FHost && FHost->HandleAllocated()) {
    FHost->UpdateScrollBars();
    FHost->Invalidate();
  }
}

void TmwEditModel::SetWindowSize(int CharsInWindow, int LinesInWindow) {
  FCharsInWindow = std::max(CharsInWindow, 0);
  FLinesInWindow = std::max(LinesInWindow, 0);
}

void TmwEditModel::EnsureCursorPosVisible() {
  TPaintLockGuard lock(*this);
  if (FCaretX < FLeftChar)
    SetLeftChar(FCaretX);
  else if (FCaretX >= FLeftChar + FCharsInWindow && FCharsInWindow > 0)
    SetLeftChar(FCaretX - FCharsInWindow + 1);
  if (FCaretY < FTopLine)
    SetTopLine(FCaretY);
  else if (FLinesInWindow > 0 && FCaretY > FTopLine + FLinesInWindow - 1)
    SetTopLine(FCaretY - FLinesInWindow + 1);
}

void TmwEditModel::SetInsertMode(bool Value) {
  if (FInsertMode == Value) return;
  FInsertMode = Value;
  if (FHost) FHost->UpdateCaret();
}

void TmwEditModel::SetScrollPastEOL(bool Value) {
  if (FScrollPastEOL == Value) return;
  FScrollPastEOL = Value;
  if (!Value) SetCaretX(FCaretX);
}

// ---------------------------------------------------------------------------------------
// Clipboard

void TmwEditModel::SetSelText(const std::string& Value) {
  if (!SelAvail() && Value.empty()) return;
  TPaintLockGuard lock(*this);
  TmwPoint b = SelAvail() ? GetBlockBegin() : GetCaretXY();
  TmwPoint e = SelAvail() ? GetBlockEnd() : GetCaretXY();
  TTextChange change = RawReplace(b, e, Value);
  RecordChange(crInsert, PointBefore(b, GetCaretXY()) ? b : GetCaretXY(), GetCaretXY(), change);
}

void TmwEditModel::CopyToClipboard() {
  if (SelAvail() && FClipboard) FClipboard->SetText(GetSelText());
}

void TmwEditModel::CutToClipboard() {
  if (!SelAvail() || !FClipboard) return;
  FClipboard->SetText(GetSelText());
  // A read-only text is copied but never changed.
  if (FReadOnly) return;
  TPaintLockGuard lock(*this);
  TmwPoint b = GetBlockBegin(), e = GetBlockEnd();
  TTextChange change = RawReplace(b, e, std::string());
  RecordChange(crDelete, b, e, change);
}

void TmwEditModel::PasteFromClipboard() {
  if (FReadOnly || !FClipboard || !FClipboard->HasText()) return;
  std::string text = FClipboard->GetText();
  TPaintLockGuard lock(*this);
  TmwPoint b = SelAvail() ? GetBlockBegin() : GetCaretXY();
  TmwPoint e = SelAvail() ? GetBlockEnd() : GetCaretXY();
  TTextChange change = RawReplace(b, e, text);
  RecordChange(crInsert, b, GetCaretXY(), change);
}

// ---------------------------------------------------------------------------------------
// Highlighter and ranges

void TmwEditModel::SetHighLighter(TmwCustomHighLighter* Value) {
  if (Value == FHighLighter) return;
  if (FHighLighter) FHighLighter->AttachedEdits().RemoveEditor(this);
  FHighLighter = Value;
  if (FHighLighter) {
    FHighLighter->AttachedEdits().AddEditor(this);
    // Another highlighter's states mean nothing to this one.
    ScanAll();
  }
  Invalidate();
}

void TmwEditModel::HighlighterDestroyed(TmwCustomHighLighter* Sender) {
  if (FHighLighter != Sender) return;
  FHighLighter = nullptr;
  Invalidate();
}

void TmwEditModel::ScanLine(int Index) {
  const std::string& s = FLines->LineOrEmpty(Index);
  FHighLighter->SetLine(s);
  // Every token takes at least one character; the bound only guards against a scanner
  // that would never reach the end of the line.
  std::size_t guard = 2 * s.size() + 16;
  while (!FHighLighter->GetEol() && guard-- > 0) FHighLighter->Next();
  assert(FHighLighter->GetRange() != 0 && "a scanner state must never be 0");
}

void TmwEditModel::Rescan(int Start) {
  if (!FHighLighter || Start >= FLines->Count() - 1) return;
  ScanLine(Start);
  for (int i = Start + 1; i < FLines->Count(); ++i) {
    TmwRange r = FHighLighter->GetRange();
    if (FLines->GetRange(i) == r) break;
    FLines->SetRange(i, r);
    ScanLine(i);
  }
}

void TmwEditModel::ScanAll() {
  if (!FHighLighter || FLines->Count() == 0) return;
  FHighLighter->ResetRange();
  assert(FHighLighter->GetRange() != 0 && "a scanner state must never be 0");
  FLines->SetRange(0, FHighLighter->GetRange());
  for (int i = 0; i + 1 < FLines->Count(); ++i) {
    ScanLine(i);
    FLines->SetRange(i + 1, FHighLighter->GetRange());
  }
}

void TmwEditModel::ListAdded(TmwEditList*) {
  if (!FHighLighter) return;
  int n = FLines->Count();
  if (n < 2) {
    FHighLighter->ResetRange();
    FLines->SetRange(0, FHighLighter->GetRange());
  } else {
    FHighLighter->SetRange(FLines->GetRange(n - 2));
    ScanLine(n - 2);
    FLines->SetRange(n - 1, FHighLighter->GetRange());
  }
}

void TmwEditModel::ListInsertedOrDeleted(int Index) {
  if (FHighLighter) {
    int n = FLines->Count();
    if (n < 2) {
      if (n == 1) {
        FHighLighter->ResetRange();
        FLines->SetRange(0, FHighLighter->GetRange());
      }
    } else if (Index < 1) {
      FHighLighter->ResetRange();
      FLines->SetRange(0, FHighLighter->GetRange());
      Rescan(0);
    } else {
      FHighLighter->SetRange(FLines->GetRange(std::min(Index, n) - 1));
      Rescan(std::min(Index, n) - 1);
    }
  }
  if (FHost && FHost->HandleAllocated()) FHost->UpdateScrollBars();
}

void TmwEditModel::ListPutted(int Index) {
  if (!FHighLighter) return;
  FHighLighter->SetRange(FLines->GetRange(Index));
  Rescan(Index);
}

void TmwEditModel::ListTextSet(TmwEditList*) {
  FBlockBegin = FBlockEnd = TmwPoint{1, 1};
  FLeftChar = FTopLine = 1;
  RemoveAllBookmarks();
  ClearUndoHistory();
  ScanAll();
}

// A change that the model did not make itself leaves the recorded positions meaningless.
void TmwEditModel::ListChanging(TmwEditList*) {
  if (FInternalEdit == 0) ClearUndoHistory();
}

void TmwEditModel::ListChange(TmwEditList*) {
  if (FInternalEdit == 0) {
    FCaretY = std::clamp(FCaretY, 1, LastLine());
    FBlockBegin = FBlockEnd = GetCaretXY();
  }
  if (FPaintLock == 0 && FHost && FHost->HandleAllocated()) {
    FHost->UpdateScrollBars();
    FHost->Invalidate();
  }
}

// ---------------------------------------------------------------------------------------
// Bookmarks

void TmwEditModel::MoveBookmarks(int FromLine, int Delta) {
  bool moved = false;
  for (int i = 0; i < FMarks.Count(); ++i) {
    TMark* m = FMarks.Items(i);
    if (m->FLine >= FromLine) {
      m->FLine = std::max(m->FLine + Delta, 1);
      moved = true;
    }
  }
  if (moved) Invalidate();
}

// A replacement of lines BeginLine..EndLine: the lines joined onto BeginLine take their
// marks with them, later lines move up, and inserted line breaks move marks down.
void TmwEditModel::BookmarksForReplace(int BeginLine, int EndLine, int InsertedBreaks) {
  int removed = EndLine - BeginLine;
  for (int i = 0; i < FMarks.Count(); ++i) {
    TMark* m = FMarks.Items(i);
    if (removed > 0) {
      if (m->FLine > BeginLine && m->FLine < EndLine)
        m->FLine = BeginLine;
      else if (m->FLine >= EndLine)
        m->FLine -= removed;
    }
    if (InsertedBreaks > 0 && m->FLine >= BeginLine) m->FLine += InsertedBreaks;
  }
  if ((removed > 0 || InsertedBreaks > 0) && FMarks.Count() > 0) Invalidate();
}

void TmwEditModel::RemoveAllBookmarks() {
  for (int n = 0; n < 10; ++n) ClearBookmark(n);
}

TMark* TmwEditModel::Bookmark(int Number) const {
  return Number >= 0 && Number <= 9 ? FBookmarks[Number] : nullptr;
}

void TmwEditModel::SetBookmark(int Number, int X, int Y) {
  if (Number < 0 || Number > 9 || Y < 1 || Y > FLines->Count()) return;
  auto mark = std::make_unique<TMark>(this);
  mark->FLine = Y;
  mark->FColumn = X;
  mark->FImage = Number;
  mark->FBookmarkNumber = Number;
  mark->FVisible = true;
  mark->FInternalImage = !FHasBookmarkImages;
  TMark* handed = mark.get();
  // The handler may adjust the mark, or refuse it by clearing the pointer.
  if (OnPlaceBookmark) OnPlaceBookmark(this, handed);
  if (!handed) return;
  for (int n = 0; n < 10; ++n)
    if (FBookmarks[n] && FBookmarks[n]->FLine == Y) ClearBookmark(n);
  ClearBookmark(Number);
  FBookmarks[Number] = mark.get();
  FMarks.Add(std::move(mark));
}

void TmwEditModel::ClearBookmark(int Number) {
  if (Number < 0 || Number > 9 || !FBookmarks[Number]) return;
  TMark* m = FBookmarks[Number];
  FBookmarks[Number] = nullptr;
  FMarks.Remove(m);
}

void TmwEditModel::GotoBookmark(int Number) {
  TMark* m = Bookmark(Number);
  if (!m || m->FLine > FLines->Count()) return;
  SetCaretXY({m->FColumn, m->FLine});
  EnsureCursorPosVisible();
}

void TmwEditModel::SetMarkerCommand(int Number) {
  if (!FBookMarkOptions.EnableKeys) return;
  TMark* m = FBookmarks[Number];
  if (m && m->FLine == FCaretY) {
    ClearBookmark(Number);
  } else {
    ClearBookmark(Number);
    SetBookmark(Number, FCaretX, FCaretY);
  }
}

// ---------------------------------------------------------------------------------------
// Word positions

TmwPoint TmwEditModel::NextWordPos() {
  int x = FCaretX, y = FCaretY;
  const std::string* s = &Line(y);
  bool onCaretLine = true;
  if (x > static_cast<int>(s->size())) {
    if (y >= LastLine()) return GetCaretXY();
    ++y;
    s = &Line(y);
    if (TrimRightBlanks(*s).empty()) return {1, y};
    x = 1;
    onCaretLine = false;
  }
  int len = static_cast<int>(s->size());
  int i = x - 1;  // 0-based
  if (onCaretLine && i < len && IsWordChar((*s)[i])) {
    while (i < len && IsWordChar((*s)[i])) ++i;
    if (i >= len) return {len + 1, y};
  }
  while (i < len && !IsWordChar((*s)[i])) ++i;
  return {i + 1, y};
}

TmwPoint TmwEditModel::PrevWordPos() {
  int y = FCaretY;
  const std::string& s = Line(y);
  int x = std::min(FCaretX, static_cast<int>(s.size()) + 1);
  if (x <= 1) return y > 1 ? TmwPoint{LineLength(y - 1) + 1, y - 1} : TmwPoint{1, 1};
  int i = x - 2;  // 0-based index of the character left of the position
  if (!IsWordChar(s[i])) {
    while (i >= 0 && !IsWordChar(s[i])) --i;
    // No word left of the position on this line: the end of the previous line.
    if (i < 0) return y > 1 ? TmwPoint{LineLength(y - 1) + 1, y - 1} : TmwPoint{1, 1};
  }
  while (i > 0 && IsWordChar(s[i - 1])) --i;
  return {i + 1, y};
}

// ---------------------------------------------------------------------------------------
// Key bindings

void TmwEditModel::SetDefaultKeystrokes() { FKeystrokes->ResetDefaults(); }

void TmwEditModel::SetKeystrokes(const TmwKeyStrokes* Value) {
  if (Value)
    FKeystrokes->Assign(Value);
  else
    FKeystrokes->Clear();
}

bool TmwEditModel::KeyDown(std::uint16_t& Key, TShiftState Shift) {
  int i = FKeystrokes->FindKeyAndShift(Key, Shift);
  if (i < 0) return false;
  TmwEditorCommand cmd = FKeystrokes->Items(i)->Command();
  if (cmd == ecNone) return false;
  Key = 0;
  CommandProcessor(cmd, '\0', nullptr);
  return true;
}

void TmwEditModel::KeyPress(char Key) { CommandProcessor(ecChar, Key, nullptr); }

// ---------------------------------------------------------------------------------------
// The command processor

void TmwEditModel::DoOnProcessCommand(TmwEditorCommand& Command, char& AChar, void* Data) {
  if (Command < ecUserFirst) {
    if (OnProcessCommand) OnProcessCommand(this, Command, AChar, Data);
  } else if (OnProcessUserCommand) {
    OnProcessUserCommand(this, Command, AChar, Data);
  }
}

void TmwEditModel::CommandProcessor(TmwEditorCommand Command, char AChar, void* Data) {
  DoOnProcessCommand(Command, AChar, Data);
  if (Command == ecNone || Command >= ecUserFirst) return;
  TPaintLockGuard lock(*this);
  if ((Command >= ecLeft && Command <= ecGotoXY) || (Command >= ecSelLeft && Command <= ecSelGotoXY)) {
    MoveCaret(Command, Data);
    return;
  }
  if (Command >= ecDeleteLastChar && Command <= ecChar && FReadOnly) return;
  switch (Command) {
    case ecSelectAll: SelectAll(); break;
    case ecDeleteLastChar: DeleteLastChar(); break;
    case ecDeleteChar: DeleteChar(); break;
    case ecDeleteWord: DeleteWord(); break;
    case ecDeleteLastWord: DeleteLastWord(); break;
    case ecDeleteBOL: DeleteBOL(); break;
    case ecDeleteEOL: DeleteEOL(); break;
    case ecDeleteLine: DeleteLine(); break;
    case ecClearAll: ClearAll(); break;
    case ecLineBreak: LineBreak(true); break;
    case ecInsertLine: LineBreak(false); break;
    case ecChar: TypeChar(AChar); break;
    case ecUndo: Undo(); break;
    case ecRedo: Redo(); break;
    case ecCut:
      if (!FReadOnly && SelAvail()) CutToClipboard();
      break;
    case ecCopy: CopyToClipboard(); break;
    case ecPaste:
      if (!FReadOnly) PasteFromClipboard();
      break;
    case ecScrollUp:
      SetTopLine(FTopLine - 1);
      if (FTopLine + FLinesInWindow - 1 < FCaretY) SetCaretY(FTopLine + FLinesInWindow - 1);
      break;
    case ecScrollDown:
      SetTopLine(FTopLine + 1);
      if (FCaretY < FTopLine) SetCaretY(FTopLine);
      break;
    case ecScrollLeft:
      SetLeftChar(FLeftChar - 1);
      if (FLeftChar + FCharsInWindow < FCaretX) SetCaretX(FLeftChar + FCharsInWindow);
      break;
    case ecScrollRight:
      SetLeftChar(FLeftChar + 1);
      if (FCaretX < FLeftChar) SetCaretX(FLeftChar);
      break;
    case ecInsertMode: SetInsertMode(true); break;
    case ecOverwriteMode: SetInsertMode(false); break;
    case ecToggleMode: SetInsertMode(!FInsertMode); break;
    default:
      if (Command >= ecGotoMarker0 && Command <= ecGotoMarker9) {
        if (FBookMarkOptions.EnableKeys) GotoBookmark(Command - ecGotoMarker0);
      } else if (Command >= ecSetMarker0 && Command <= ecSetMarker9) {
        SetMarkerCommand(Command - ecSetMarker0);
      }
      break;
  }
}

void TmwEditModel::MoveCaret(TmwEditorCommand Command, void* Data) {
  bool select = Command > ecSelection;
  TmwEditorCommand move = select ? static_cast<TmwEditorCommand>(Command - ecSelection) : Command;
  int y = FCaretY;
  if (move == ecLeft || move == ecRight) {
    int x = move == ecLeft ? FCaretX - 1 : FCaretX + 1;
    int anchor = move == ecLeft ? x + 1 : x - 1;
    if (select) {
      if (!SelAvail()) SetBlockBegin({anchor, y});
      SetBlockEnd({x, y});
    } else {
      SetBlockBegin({x, y});
    }
    if (move == ecLeft) {
      if (FScrollPastEOL || x >= 1) {
        SetCaretX(x);
      } else if (y >= 2) {
        SetCaretY(y - 1);
        SetCaretX(LineLength(y - 1) + 1);
      }
    } else if (!FScrollPastEOL && x > LineLength(y) + 1) {
      if (y < FLines->Count()) {
        SetCaretX(1);
        SetCaretY(y + 1);
      }
    } else {
      SetCaretX(x);
    }
    return;
  }
  if (move == ecGotoXY && !Data) return;
  if (select && !SelAvail()) SetBlockBegin(GetCaretXY());
  switch (move) {
    case ecUp: SetCaretY(y - 1); break;
    case ecDown: SetCaretY(y + 1); break;
    case ecWordLeft: SetCaretXY(PrevWordPos()); break;
    case ecWordRight: SetCaretXY(NextWordPos()); break;
    case ecLineStart: SetCaretX(1); break;
    case ecLineEnd: SetCaretX(LineLength(y) + 1); break;
    case ecPageUp:
      SetTopLine(FTopLine - FLinesInWindow);
      SetCaretY(y - FLinesInWindow);
      break;
    case ecPageDown:
      SetTopLine(FTopLine + FLinesInWindow);
      SetCaretY(y + FLinesInWindow);
      break;
    case ecPageLeft:
      SetLeftChar(FLeftChar - FCharsInWindow);
      SetCaretX(FCaretX - FCharsInWindow);
      break;
    case ecPageRight:
      SetLeftChar(FLeftChar + FCharsInWindow);
      SetCaretX(FCaretX + FCharsInWindow);
      break;
    case ecPageTop: SetCaretY(FTopLine); break;
    case ecPageBottom: SetCaretY(FTopLine + FLinesInWindow - 1); break;
    case ecEditorTop:
      SetCaretX(1);
      SetCaretY(1);
      break;
    case ecEditorBottom:
      SetCaretY(LastLine());
      SetTopLine(LastLine() - FLinesInWindow + 1);
      SetCaretX(LineLength(LastLine()) + 1);
      SetLeftChar(1);
      break;
    case ecGotoXY: SetCaretXY(*static_cast<const TmwPoint*>(Data)); break;
  }
  if (select)
    SetBlockEnd(GetCaretXY());
  else
    SetBlockBegin(GetCaretXY());
}

// ---------------------------------------------------------------------------------------
// Edit commands

void TmwEditModel::DeleteLastChar() {
  TmwPoint before = GetCaretXY();
  if (SelAvail()) {
    TmwPoint b = GetBlockBegin(), e = GetBlockEnd();
    TTextChange change = RawReplace(b, e, std::string());
    RecordChange(crDelete, GetCaretXY(), e, change);
    return;
  }
  EnsureLine();
  int x = FCaretX, y = FCaretY;
  const std::string s = Line(y);
  int len = static_cast<int>(s.size());
  if (x > len + 1) {
    // Past the end only the caret moves: nothing to record.
    SetCaretX(x - 1);
    return;
  }
  if (x >= 2 && static_cast<unsigned char>(s[x - 2]) <= 32 && x - 1 == LeftSpaces(s)) {
    // Unindent to the indent of the nearest less-indented line above, or to column 1.
    int indent = LeftSpaces(s), target = 0;
    for (int i = y - 1; i >= 1; --i) {
      int l = LeftSpaces(Line(i));
      if (l < indent) {
        target = l;
        break;
      }
    }
    int removed = indent - target;
    TTextChange change = ReplaceLines(y, 1, {TrimRightBlanks(s.substr(removed))});
    SetCaretX(x - removed);
    RecordChange(crDelete, GetCaretXY(), before, change);
  } else if (x >= 2) {
    std::string t = s;
    t.erase(x - 2, 1);
    TTextChange change = ReplaceLines(y, 1, {TrimRightBlanks(t)});
    SetCaretX(x - 1);
    RecordChange(crDelete, GetCaretXY(), before, change);
  } else if (y >= 2) {
    std::string above = Line(y - 1);
    MoveBookmarks(y, -1);
    TTextChange change = ReplaceLines(y - 1, 2, {above + TrimRightBlanks(s)});
    SetCaretY(y - 1);
    SetCaretX(static_cast<int>(above.size()) + 1);
    RecordChange(crDelete, GetCaretXY(), before, change);
  }
}

void TmwEditModel::DeleteChar() {
  if (SelAvail()) {
    DeleteLastChar();
    return;
  }
  EnsureLine();
  int x = FCaretX, y = FCaretY;
  const std::string s = Line(y);
  TTextChange change;
  if (x > static_cast<int>(s.size())) {
    if (y >= FLines->Count()) return;
    std::string joined = TrimRightBlanks(PadTo(s, x - 1) + Line(y + 1));
    MoveBookmarks(y + 1, -1);
    change = ReplaceLines(y, 2, {joined});
  } else {
    std::string t = s;
    t.erase(x - 1, 1);
    change = ReplaceLines(y, 1, {TrimRightBlanks(t)});
  }
  RecordChange(crDelete, GetCaretXY(), GetCaretXY(), change);
}

void TmwEditModel::DeleteWord() {
  TmwPoint p = NextWordPos(), caret = GetCaretXY();
  if (p == caret) return;
  TTextChange change = RawReplace(caret, p, std::string());
  SetCaretXY(caret);
  RecordChange(crDeleteAfterCursor, GetCaretXY(), caret, change);
}

void TmwEditModel::DeleteLastWord() {
  TmwPoint p = PrevWordPos(), caret = GetCaretXY();
  if (p == caret) return;
  TTextChange change = RawReplace(p, caret, std::string());
  SetCaretXY(GetCaretXY());
  RecordChange(crDeleteAfterCursor, GetCaretXY(), caret, change);
}

void TmwEditModel::DeleteBOL() {
  TmwPoint caret = GetCaretXY(), start{1, FCaretY};
  TTextChange change = RawReplace(start, caret, std::string());
  SetCaretXY(start);
  RecordChange(crDelete, start, caret, change);
}

void TmwEditModel::DeleteEOL() {
  TmwPoint caret = GetCaretXY();
  int len = LineLength(FCaretY);
  if (FCaretX > len) return;
  TTextChange change = RawReplace(caret, {len + 1, FCaretY}, std::string());
  SetCaretXY(caret);
  RecordChange(crDeleteAfterCursor, caret, caret, change);
}

void TmwEditModel::DeleteLine() {
  EnsureLine();
  SetBlockBegin(GetCaretXY());
  TmwPoint caret = GetCaretXY();
  int y = FCaretY, n = FLines->Count();
  TTextChange change;
  if (n == 1)
    change = ReplaceLines(1, 1, {std::string()});
  else if (y < n)
    change = ReplaceLines(y, 2, {Line(y + 1)});
  else
    change = ReplaceLines(y - 1, 2, {Line(y - 1)});
  // The marks below follow their lines up; a mark on the deleted line stays at its number.
  MoveBookmarks(y + 1, -1);
  for (int i = 0; i < FMarks.Count(); ++i) FMarks.Items(i)->FLine = std::min(FMarks.Items(i)->FLine, LastLine());
  SetCaretXY(caret);
  RecordChange(crDeleteAfterCursor, {1, y}, caret, change);
}

void TmwEditModel::LineBreak(bool MoveCaret) {
  EnsureLine();
  TmwPoint before = GetCaretXY();
  int x = FCaretX, y = FCaretY;
  const std::string s = Line(y);
  int len = static_cast<int>(s.size());
  std::vector<std::string> lines;
  TmwPoint after;
  if (len == 0) {
    int indent = 0;
    for (int i = y; i >= 1; --i)
      if (!Line(i).empty()) {
        indent = LeftSpaces(Line(i));
        break;
      }
    lines = {std::string(), s};
    after = {indent + 1, y + 1};
  } else if (x > len) {
    // The caret line itself is the nearest non-empty line: keep its indent.
    lines = {s, std::string()};
    after = {LeftSpaces(s) + 1, y + 1};
  } else if (x == 1) {
    lines = {std::string(), s};
    after = {1, y + 1};
  } else {
    int indent = LeftSpaces(s);
    if (x - 1 > indent) {
      lines = {TrimRightBlanks(s.substr(0, x - 1)), std::string(indent, ' ') + s.substr(x - 1)};
      after = {indent + 1, y + 1};
    } else {
      lines = {std::string(), s};
      after = {x, y + 1};
    }
  }
  if (!MoveCaret) after = before;
  TTextChange change = ReplaceLines(y, 1, std::move(lines));
  MoveBookmarks(after.Y, 1);
  SetCaretY(after.Y);
  SetCaretX(after.X);
  SetBlockBegin(GetCaretXY());
  RecordChange(crLineBreak, before, GetCaretXY(), change);
}

void TmwEditModel::TypeChar(char C) {
  unsigned char c = static_cast<unsigned char>(C);
  if (c < 32 || c == 127) return;
  if (SelAvail()) {
    TmwPoint b = GetBlockBegin(), e = GetBlockEnd();
    TTextChange change = RawReplace(b, e, std::string(1, C));
    RecordChange(crInsert, b, GetCaretXY(), change);
    return;
  }
  EnsureLine();
  // Typing may run past the end of the line whatever ScrollPastEOL says.
  bool scrollPastEOL = FScrollPastEOL;
  FScrollPastEOL = true;
  struct TRestore {
    bool& Flag;
    bool Value;
    ~TRestore() { Flag = Value; }
  } restore{FScrollPastEOL, scrollPastEOL};
  TmwPoint before = GetCaretXY();
  int x = FCaretX, y = FCaretY;
  std::string s = PadTo(Line(y), x - 1);
  if (FInsertMode || x - 1 >= static_cast<int>(s.size()))
    s.insert(s.begin() + (x - 1), C);
  else
    s[x - 1] = C;
  TTextChange change = ReplaceLines(y, 1, {TrimRightBlanks(s)});
  SetCaretX(x + 1);
  SetBlockBegin(GetCaretXY());
  RecordChange(crInsert, before, GetCaretXY(), change);
  if (FCharsInWindow > 0 && FCaretX >= FLeftChar + FCharsInWindow)
    SetLeftChar(FLeftChar + std::min(25, FCharsInWindow - 1));
}
