#include "classlib/core/strings.h"

#include <memory>

#include "classlib/core/exception.h"
#include "classlib/core/quick_sort.h"
#include "classlib/core/stream.h"
#include "classlib/core/sys_utils.h"
#include "classlib/core/typinfo.h"

namespace {

// Restores the update count however the block ends.
class TUpdateBlock {
public:
  explicit TUpdateBlock(TStrings* S) : FS(S) { FS->BeginUpdate(); }
  ~TUpdateBlock() { FS->EndUpdate(); }
  TUpdateBlock(const TUpdateBlock&) = delete;
  TUpdateBlock& operator=(const TUpdateBlock&) = delete;

private:
  TStrings* FS;
};

constexpr const char* kSortedListError = "Operation not allowed on sorted string list";

}  // namespace

// ---------------------------------------------------------------------------------------
// TStrings

const TClassInfo* TStrings::StaticClassInfo() {
  static const TClassInfo Info = TClassBuilder<TStrings, TPersistent>("TStrings").Build();
  return &Info;
}

const TClassInfo* TStringList::StaticClassInfo() {
  static const TClassInfo Info = TClassBuilder<TStringList, TStrings>("TStringList").Build();
  return &Info;
}

void TStrings::Error(const char* Msg, int Data) {
  std::string M = Msg;
  std::size_t P = M.find("%d");
  if (P != std::string::npos) M.replace(P, 2, std::to_string(Data));
  throw EStringListError(M);
}

int TStrings::Add(const std::string& S) {
  int Result = GetCount();
  Insert(Result, S);
  return Result;
}

int TStrings::AddObject(const std::string& S, TObject* AObject) {
  int Result = Add(S);
  PutObject(Result, AObject);
  return Result;
}

void TStrings::AddStrings(const TStrings* Strings) {
  TUpdateBlock U(this);
  for (int I = 0; I < Strings->Count(); ++I) AddObject(Strings->Get(I), Strings->GetObjectAt(I));
}

void TStrings::Assign(const TPersistent* Source) {
  if (auto* S = dynamic_cast<const TStrings*>(Source)) {
    if (S == this) return;
    TUpdateBlock U(this);
    Clear();
    FDelimiter = S->FDelimiter;
    FQuoteChar = S->FQuoteChar;
    AddStrings(S);
    return;
  }
  TPersistent::Assign(Source);
}

void TStrings::BeginUpdate() {
  // Notified while the count is still 0, so that OnChanging fires.
  if (FUpdateCount == 0) SetUpdateState(true);
  ++FUpdateCount;
}

void TStrings::EndUpdate() {
  if (FUpdateCount > 0 && --FUpdateCount == 0) SetUpdateState(false);
}

void TStrings::Exchange(int Index1, int Index2) {
  TUpdateBlock U(this);
  std::string S1 = Get(Index1), S2 = Get(Index2);
  TObject* O1 = GetObjectAt(Index1);
  TObject* O2 = GetObjectAt(Index2);
  Put(Index1, S2);
  PutObject(Index1, O2);
  Put(Index2, S1);
  PutObject(Index2, O1);
}

void TStrings::InsertObject(int Index, const std::string& S, TObject* AObject) {
  Insert(Index, S);
  PutObject(Index, AObject);
}

void TStrings::Move(int CurIndex, int NewIndex) {
  if (CurIndex == NewIndex) return;
  TUpdateBlock U(this);
  std::string S = Get(CurIndex);
  TObject* O = GetObjectAt(CurIndex);
  if (NewIndex < 0 || NewIndex >= GetCount()) Error("List index out of bounds (%d)", NewIndex);
  Delete(CurIndex);
  InsertObject(NewIndex, S, O);
}

int TStrings::IndexOf(const std::string& S) const {
  for (int I = 0; I < GetCount(); ++I)
    if (CompareStrings(Get(I), S) == 0) return I;
  return -1;
}

int TStrings::IndexOfName(const std::string& Name) const {
  for (int I = 0; I < GetCount(); ++I) {
    std::string S = Get(I);
    std::size_t P = S.find('=');
    if (P != std::string::npos && CompareStrings(S.substr(0, P), Name) == 0) return I;
  }
  return -1;
}

int TStrings::IndexOfObject(const TObject* AObject) const {
  for (int I = 0; I < GetCount(); ++I)
    if (GetObjectAt(I) == AObject) return I;
  return -1;
}

bool TStrings::Equals(const TStrings* Strings) const {
  if (GetCount() != Strings->GetCount()) return false;
  for (int I = 0; I < GetCount(); ++I)
    if (Get(I) != Strings->Get(I)) return false;
  return true;
}

void TStrings::LoadFromFile(const std::string& FileName) {
  TFileStream F(FileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(&F);
}

void TStrings::LoadFromStream(TStream* Stream) {
  std::int64_t Size = Stream->Size() - Stream->Position();
  std::string S(static_cast<std::size_t>(std::max<std::int64_t>(Size, 0)), '\0');
  if (!S.empty()) Stream->ReadBuffer(S.data(), S.size());
  SetText(S);
}

void TStrings::SaveToFile(const std::string& FileName) {
  TFileStream F(FileName, fmCreate);
  SaveToStream(&F);
}

void TStrings::SaveToStream(TStream* Stream) {
  std::string S = Text();
  Stream->WriteBuffer(S.data(), S.size());
}

std::string TStrings::Names(int Index) const {
  std::string S = Get(Index);
  std::size_t P = S.find('=');
  return P == std::string::npos ? "" : S.substr(0, P);
}

std::string TStrings::Values(const std::string& Name) const {
  int I = IndexOfName(Name);
  return I < 0 ? "" : ValueFromIndex(I);
}

void TStrings::SetValues(const std::string& Name, const std::string& Value) {
  int I = IndexOfName(Name);
  if (!Value.empty()) {
    if (I < 0) Add(Name + '=' + Value);
    else Put(I, Name + '=' + Value);
  } else if (I >= 0) {
    Delete(I);
  }
}

std::string TStrings::ValueFromIndex(int Index) const {
  std::string S = Get(Index);
  std::size_t P = S.find('=');
  return P == std::string::npos ? "" : S.substr(P + 1);
}

void TStrings::SetValueFromIndex(int Index, const std::string& Value) {
  if (Value.empty()) {
    Delete(Index);
    return;
  }
  std::string Name = Names(Index);
  Put(Index, Name + '=' + Value);
}

std::string TStrings::GetDelimited(char Delim, char Quote) const {
  int N = GetCount();
  if (N == 1 && Get(0).empty()) return std::string(2, Quote);
  std::string R;
  for (int I = 0; I < N; ++I) {
    std::string S = Get(I);
    bool NeedQuote = false;
    for (char C : S)
      if (static_cast<unsigned char>(C) <= ' ' || C == Quote || C == Delim) {
        NeedQuote = true;
        break;
      }
    if (I > 0) R += Delim;
    R += NeedQuote ? AnsiQuotedStr(S, Quote) : S;
  }
  return R;
}

void TStrings::SetDelimited(const std::string& Value, char Delim, char Quote) {
  TUpdateBlock U(this);
  Clear();
  const std::size_t N = Value.size();
  auto Blank = [&](std::size_t I) { return I < N && static_cast<unsigned char>(Value[I]) <= ' '; };
  std::size_t I = 0;
  while (Blank(I)) ++I;
  while (I < N) {
    std::string S;
    if (Value[I] == Quote) {
      // Up to the closing quote; a doubled quote is one quote character.
      ++I;
      while (I < N) {
        if (Value[I] == Quote) {
          if (I + 1 < N && Value[I + 1] == Quote) {
            S += Quote;
            I += 2;
            continue;
          }
          ++I;
          break;
        }
        S += Value[I++];
      }
    } else {
      std::size_t Start = I;
      while (I < N && !Blank(I) && Value[I] != Delim) ++I;
      S = Value.substr(Start, I - Start);
    }
    Add(S);
    while (Blank(I)) ++I;
    if (I < N && Value[I] == Delim) {
      if (I + 1 == N) Add("");  // a delimiter at the very end ends with an empty item
      ++I;
      while (Blank(I)) ++I;
    }
  }
}

std::string TStrings::CommaText() const { return GetDelimited(',', '"'); }
void TStrings::SetCommaText(const std::string& Value) { SetDelimited(Value, ',', '"'); }
std::string TStrings::DelimitedText() const { return GetDelimited(FDelimiter, FQuoteChar); }
void TStrings::SetDelimitedText(const std::string& Value) { SetDelimited(Value, FDelimiter, FQuoteChar); }

std::string TStrings::Text() const {
  std::string R;
  for (int I = 0; I < GetCount(); ++I) {
    R += Get(I);
    R += "\r\n";
  }
  return R;
}

void TStrings::SetText(const std::string& Value) {
  TUpdateBlock U(this);
  Clear();
  const std::size_t N = Value.size();
  std::size_t I = 0;
  while (I < N) {
    std::size_t Start = I;
    while (I < N && Value[I] != '\r' && Value[I] != '\n') ++I;
    Add(Value.substr(Start, I - Start));
    if (I < N && Value[I] == '\r') ++I;
    if (I < N && Value[I] == '\n') ++I;
  }
}

TObject* TStrings::GetObjectAt(int) const { return nullptr; }

void TStrings::Put(int Index, const std::string& S) {
  TObject* O = GetObjectAt(Index);
  Delete(Index);
  InsertObject(Index, S, O);
}

void TStrings::PutObject(int, TObject*) {}

void TStrings::SetUpdateState(bool) {}

int TStrings::CompareStrings(const std::string& S1, const std::string& S2) const { return AnsiCompareText(S1, S2); }

// ---------------------------------------------------------------------------------------
// TStringList

void TStringList::CheckIndex(int Index) const {
  if (Index < 0 || Index >= GetCount()) Error("List index out of bounds (%d)", Index);
}

int TStringList::Add(const std::string& S) { return AddObject(S, nullptr); }

int TStringList::AddObject(const std::string& S, TObject* AObject) {
  int Result;
  if (!FSorted) {
    Result = GetCount();
  } else if (Find(S, Result)) {
    switch (FDuplicates) {
      case dupIgnore: return Result;
      case dupError: Error("String list does not allow duplicates", 0);
      case dupAccept: break;
    }
  }
  InsertItem(Result, S, AObject);
  return Result;
}

void TStringList::Changed() {
  if (UpdateCount() == 0 && OnChange) OnChange(this);
}

void TStringList::Changing() {
  if (UpdateCount() == 0 && OnChanging) OnChanging(this);
}

void TStringList::Clear() {
  if (FList.empty()) return;
  Changing();
  FList.clear();
  FList.shrink_to_fit();
  Changed();
}

void TStringList::Delete(int Index) {
  CheckIndex(Index);
  Changing();
  FList.erase(FList.begin() + Index);
  Changed();
}

void TStringList::Exchange(int Index1, int Index2) {
  if (FSorted) Error(kSortedListError, 0);
  CheckIndex(Index1);
  CheckIndex(Index2);
  Changing();
  std::swap(FList[Index1], FList[Index2]);
  Changed();
}

void TStringList::Move(int CurIndex, int NewIndex) {
  // Checked before anything moves, so that a refused move loses no line.
  if (FSorted) Error(kSortedListError, 0);
  CheckIndex(CurIndex);
  CheckIndex(NewIndex);
  if (CurIndex == NewIndex) return;
  Changing();
  TStringItem Item = std::move(FList[CurIndex]);
  FList.erase(FList.begin() + CurIndex);
  FList.insert(FList.begin() + NewIndex, std::move(Item));
  Changed();
}

bool TStringList::Find(const std::string& S, int& Index) const {
  bool Result = false;
  int L = 0, H = GetCount() - 1;
  while (L <= H) {
    int I = L + (H - L) / 2;
    int C = CompareStrings(FList[I].FString, S);
    if (C < 0) {
      L = I + 1;
    } else {
      H = I - 1;
      if (C == 0) {
        Result = true;
        if (FDuplicates != dupAccept) L = I;
      }
    }
  }
  Index = L;
  return Result;
}

std::string TStringList::Get(int Index) const {
  CheckIndex(Index);
  return FList[Index].FString;
}

TObject* TStringList::GetObjectAt(int Index) const {
  CheckIndex(Index);
  return FList[Index].FObject;
}

int TStringList::IndexOf(const std::string& S) const {
  if (!FSorted) return TStrings::IndexOf(S);
  int I;
  return Find(S, I) ? I : -1;
}

void TStringList::Insert(int Index, const std::string& S) { InsertObject(Index, S, nullptr); }

void TStringList::InsertObject(int Index, const std::string& S, TObject* AObject) {
  if (FSorted) Error(kSortedListError, 0);
  if (Index < 0 || Index > GetCount()) Error("List index out of bounds (%d)", Index);
  InsertItem(Index, S, AObject);
}

void TStringList::InsertItem(int Index, const std::string& S, TObject* AObject) {
  Changing();
  FList.insert(FList.begin() + Index, TStringItem{S, AObject});
  Changed();
}

void TStringList::Put(int Index, const std::string& S) {
  if (FSorted) Error(kSortedListError, 0);
  CheckIndex(Index);
  Changing();
  FList[Index].FString = S;
  Changed();
}

void TStringList::PutObject(int Index, TObject* AObject) {
  CheckIndex(Index);
  Changing();
  FList[Index].FObject = AObject;
  Changed();
}

void TStringList::SetUpdateState(bool Updating) {
  if (Updating) Changing();
  else Changed();
}

void TStringList::Sort() {
  CustomSort([](TStringList* List, int I, int J) {
    return List->CompareStrings(List->FList[I].FString, List->FList[J].FString);
  });
}

void TStringList::CustomSort(const TStringListSortCompare& Compare) {
  // A sorted list keeps its own order; another order would break Find.
  if (FSorted || GetCount() < 2) return;
  Changing();
  QuickSortIndices(
      0, GetCount() - 1, [&](int I, int J) { return Compare(this, I, J); },
      [&](int I, int J) { std::swap(FList[I], FList[J]); });
  Changed();
}

void TStringList::SetSorted(bool Value) {
  if (FSorted == Value) return;
  if (Value) Sort();
  FSorted = Value;
}

void TStringList::SetCaseSensitive(bool Value) {
  if (FCaseSensitive == Value) return;
  FCaseSensitive = Value;
  if (FSorted) {
    // The order changes with the comparison: sort again, or Find would miss lines.
    FSorted = false;
    Sort();
    FSorted = true;
  }
}

int TStringList::CompareStrings(const std::string& S1, const std::string& S2) const {
  return FCaseSensitive ? AnsiCompareStr(S1, S2) : AnsiCompareText(S1, S2);
}
