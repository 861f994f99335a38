#include "editor/core/edit_list.h"

#include "classlib/core/exception.h"
#include "classlib/core/stream.h"

namespace {

const std::string EmptyLine;

// Closes the update bracket even when an event handler throws.
class TUpdateBracket {
public:
  explicit TUpdateBracket(TStrings& List) : FList(List) { FList.BeginUpdate(); }
  ~TUpdateBracket() { FList.EndUpdate(); }

private:
  TStrings& FList;
};

}  // namespace

const TClassInfo* TmwEditList::StaticClassInfo() {
  static const TClassInfo Info = TClassBuilder<TmwEditList, TStrings>("TmwEditList").Build();
  return &Info;
}

void TmwEditList::CheckIndex(int Index, int Limit) const {
  if (Index < 0 || Index >= Limit)
    throw EStringListError("List index out of bounds (" + std::to_string(Index) + ")");
}

std::string TmwEditList::Get(int Index) const {
  CheckIndex(Index, GetCount());
  return FLines[Index].Text;
}

const std::string& TmwEditList::LineOrEmpty(int Index) const {
  return Index >= 0 && Index < GetCount() ? FLines[Index].Text : EmptyLine;
}

int TmwEditList::Add(const std::string& S) {
  TUpdateBracket b(*this);
  FLines.push_back({S, 0});
  int index = GetCount() - 1;
  if (OnAdded) OnAdded(this);
  return index;
}

void TmwEditList::Insert(int Index, const std::string& S) {
  CheckIndex(Index, GetCount() + 1);
  TUpdateBracket b(*this);
  FLines.insert(FLines.begin() + Index, TLine{S, 0});
  if (OnInserted) OnInserted(Index);
}

void TmwEditList::Delete(int Index) {
  CheckIndex(Index, GetCount());
  TUpdateBracket b(*this);
  FLines.erase(FLines.begin() + Index);
  if (OnDeleted) OnDeleted(Index);
}

void TmwEditList::InsertLines(int Index, const std::vector<std::string>& Lines) {
  CheckIndex(Index, GetCount() + 1);
  if (Lines.empty()) return;
  TUpdateBracket b(*this);
  std::vector<TLine> block;
  block.reserve(Lines.size());
  for (const std::string& s : Lines) block.push_back({s, 0});
  FLines.insert(FLines.begin() + Index, std::make_move_iterator(block.begin()), std::make_move_iterator(block.end()));
  if (OnInserted) OnInserted(Index);
}

void TmwEditList::DeleteLines(int Index, int Count) {
  if (Count <= 0) return;
  CheckIndex(Index, GetCount());
  CheckIndex(Index + Count - 1, GetCount());
  TUpdateBracket b(*this);
  FLines.erase(FLines.begin() + Index, FLines.begin() + Index + Count);
  if (OnDeleted) OnDeleted(Index);
}

void TmwEditList::Put(int Index, const std::string& S) {
  CheckIndex(Index, GetCount());
  TUpdateBracket b(*this);
  FLines[Index].Text = S;
  if (OnPutted) OnPutted(Index);
}

void TmwEditList::Clear() {
  FTrailingLineBreak = true;
  if (FLines.empty()) return;
  TUpdateBracket b(*this);
  FLines.clear();
}

std::string TmwEditList::GetText() const {
  std::size_t n = 0;
  for (const TLine& l : FLines) n += l.Text.size() + 2;
  std::string s;
  s.reserve(n);
  for (std::size_t i = 0; i < FLines.size(); ++i) {
    s += FLines[i].Text;
    if (i + 1 < FLines.size() || FTrailingLineBreak) s += "\r\n";
  }
  return s;
}

void TmwEditList::SetText(const std::string& Value) {
  TUpdateBracket b(*this);
  FLines.clear();
  FTrailingLineBreak = Value.empty() || Value.back() == '\r' || Value.back() == '\n';
  std::size_t i = 0, n = Value.size();
  while (i < n) {
    std::size_t j = i;
    while (j < n && Value[j] != '\r' && Value[j] != '\n') ++j;
    FLines.push_back({Value.substr(i, j - i), 0});
    if (j < n && Value[j] == '\r') ++j;
    if (j < n && Value[j] == '\n') ++j;
    i = j;
  }
  if (OnTextSet) OnTextSet(this);
}

void TmwEditList::Assign(const TPersistent* Source) {
  if (auto* src = dynamic_cast<const TStrings*>(Source)) {
    if (src == this) return;
    auto* list = dynamic_cast<const TmwEditList*>(src);
    SetText(list ? list->GetText() : src->Text());
    return;
  }
  TStrings::Assign(Source);
}

void TmwEditList::LoadFromStream(TStream* Stream) {
  std::int64_t size = Stream->Size() - Stream->Position();
  std::string s(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
  if (!s.empty()) Stream->ReadBuffer(s.data(), s.size());
  SetText(s);
}

void TmwEditList::SaveToStream(TStream* Stream) {
  std::string s = GetText();
  Stream->WriteBuffer(s.data(), s.size());
}

TmwRange TmwEditList::GetRange(int Index) const {
  CheckIndex(Index, GetCount());
  return FLines[Index].Range;
}

void TmwEditList::SetRange(int Index, TmwRange Value) {
  CheckIndex(Index, GetCount());
  FLines[Index].Range = Value;
}

void TmwEditList::SetUpdateState(bool Updating) {
  if (Updating) {
    if (OnChanging) OnChanging(this);
  } else if (OnChange) {
    OnChange(this);
  }
}
