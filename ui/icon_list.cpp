#include "ui/icon_list.h"

#include <cstdint>
#include <string>
#include <utility>

#include "classlib/core/exception.h"

namespace {

class TUpdateGuard {
public:
  explicit TUpdateGuard(TIconList& List) : FList(List) { FList.BeginUpdate(); }
  ~TUpdateGuard() { FList.EndUpdate(); }
  TUpdateGuard(const TUpdateGuard&) = delete;
  TUpdateGuard& operator=(const TUpdateGuard&) = delete;

private:
  TIconList& FList;
};

void WriteInt(TStream* Stream, int32_t Value) {
  uint8_t B[4] = {uint8_t(Value), uint8_t(Value >> 8), uint8_t(Value >> 16), uint8_t(Value >> 24)};
  Stream->WriteBuffer(B, 4);
}

int32_t ReadInt(TStream* Stream) {
  uint8_t B[4];
  Stream->ReadBuffer(B, 4);
  return int32_t(uint32_t(B[0]) | uint32_t(B[1]) << 8 | uint32_t(B[2]) << 16 | uint32_t(B[3]) << 24);
}

}  // namespace

const TClassInfo* TIconList::StaticClassInfo() {
  static const TClassInfo Info = TClassBuilder<TIconList, TPersistent>("TIconList")
                                     .Prop("Icons", &TIconList::GetData, &TIconList::SetData)
                                     .Build();
  return &Info;
}

TIconList::~TIconList() {
  // Icons are freed without reporting to a list that is going away.
  OnChange = nullptr;
  for (auto& Icon : FList)
    if (Icon) Icon->OnChange = nullptr;
}

void TIconList::Changed() {
  if (FUpdateCount == 0 && OnChange) OnChange(this);
}

void TIconList::EndUpdate() {
  if (FUpdateCount == 0) return;
  if (--FUpdateCount == 0) Changed();
}

void TIconList::CheckIndex(int Index, int Limit) const {
  if (Index < 0 || Index > Limit)
    throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
}

std::unique_ptr<TIcon> TIconList::NewIcon(const TIcon* Source) {
  auto Icon = std::make_unique<TIcon>();
  if (Source != nullptr) Icon->Assign(Source);
  Icon->OnChange = [this](TObject*) { Changed(); };
  return Icon;
}

TIcon* TIconList::Icons(int Index) const {
  CheckIndex(Index, Count() - 1);
  return FList[Index].get();
}

void TIconList::SetIcons(int Index, const TIcon* Value) {
  CheckIndex(Index, Count());
  TUpdateGuard Guard(*this);
  if (Index == Count()) FList.emplace_back();
  if (!FList[Index])
    FList[Index] = NewIcon(Value);
  else if (FList[Index].get() != Value)
    FList[Index]->Assign(Value);
}

int TIconList::Add(const TIcon* Icon) {
  int Index = Count();
  Insert(Index, Icon);
  return Index;
}

void TIconList::Insert(int Index, const TIcon* Icon) {
  CheckIndex(Index, Count());
  FList.insert(FList.begin() + Index, NewIcon(Icon));
  Changed();
}

int TIconList::AddResource(HINSTANCE Instance, const std::string& ResName) {
  int Index = Count();
  InsertResource(Index, Instance, ResName);
  return Index;
}

void TIconList::InsertResource(int Index, HINSTANCE Instance, const std::string& ResName) {
  CheckIndex(Index, Count());
  auto Icon = NewIcon(nullptr);
  Icon->LoadFromResourceName(Instance, ResName);
  FList.insert(FList.begin() + Index, std::move(Icon));
  Changed();
}

void TIconList::Delete(int Index) {
  CheckIndex(Index, Count() - 1);
  FList.erase(FList.begin() + Index);
  Changed();
}

void TIconList::Clear() {
  TUpdateGuard Guard(*this);
  for (int I = Count() - 1; I >= 0; --I) Delete(I);
}

void TIconList::Exchange(int Index1, int Index2) {
  CheckIndex(Index1, Count() - 1);
  CheckIndex(Index2, Count() - 1);
  std::swap(FList[Index1], FList[Index2]);
  Changed();
}

void TIconList::Move(int CurIndex, int NewIndex) {
  CheckIndex(CurIndex, Count() - 1);
  CheckIndex(NewIndex, Count() - 1);
  if (CurIndex == NewIndex) return;
  auto Icon = std::move(FList[CurIndex]);
  FList.erase(FList.begin() + CurIndex);
  FList.insert(FList.begin() + NewIndex, std::move(Icon));
  Changed();
}

int TIconList::IndexOf(const TIcon* Icon) const {
  for (int I = 0; I < Count(); ++I)
    if (FList[I].get() == Icon) return I;
  return -1;
}

void TIconList::Assign(const TPersistent* Source) {
  if (Source == this) return;  // clearing first would free the icons being copied
  if (Source == nullptr) {
    Clear();
    return;
  }
  if (auto* List = dynamic_cast<const TIconList*>(Source)) {
    TUpdateGuard Guard(*this);
    Clear();
    for (const auto& Icon : List->FList) Add(Icon.get());
    return;
  }
  if (auto* Icon = dynamic_cast<const TIcon*>(Source)) {
    TUpdateGuard Guard(*this);
    Clear();
    Add(Icon);
    return;
  }
  TPersistent::Assign(Source);
}

void TIconList::SaveToStream(TStream* Stream) const {
  WriteInt(Stream, Count());
  for (const auto& Icon : FList) {
    if (!Icon || Icon->Empty()) {
      WriteInt(Stream, 0);
      continue;
    }
    TMemoryStream Data;
    Icon->SaveToStream(&Data);
    WriteInt(Stream, static_cast<int32_t>(Data.Size()));
    Stream->WriteBuffer(Data.Memory(), Data.Size());
  }
}

void TIconList::LoadFromStream(TStream* Stream) {
  TUpdateGuard Guard(*this);
  Clear();
  int32_t N = ReadInt(Stream);
  for (int32_t I = 0; I < N; ++I) {
    int32_t Size = ReadInt(Stream);
    if (Size < 1) {
      FList.emplace_back();
      continue;
    }
    // A size beyond the stream's end is a damaged stream, not an allocation to attempt.
    if (Size > Stream->Size() - Stream->Position()) throw EReadError("Stream read error");
    TMemoryStream Data;
    Data.SetSize(Size);
    Stream->ReadBuffer(Data.Memory(), Size);
    Data.SetPosition(0);
    auto Icon = NewIcon(nullptr);
    Icon->LoadFromStream(&Data);
    FList.push_back(std::move(Icon));
  }
}

TBytes TIconList::GetData() const {
  if (FList.empty()) return {};
  TMemoryStream Data;
  SaveToStream(&Data);
  auto* P = static_cast<const uint8_t*>(Data.Memory());
  return TBytes(P, P + Data.Size());
}

void TIconList::SetData(const TBytes& Value) {
  if (Value.empty()) {
    Clear();
    return;
  }
  TMemoryStream Data;
  Data.WriteBuffer(Value.data(), static_cast<int64_t>(Value.size()));
  Data.SetPosition(0);
  LoadFromStream(&Data);
}
