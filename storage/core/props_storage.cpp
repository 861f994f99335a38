#include "storage/core/props_storage.h"

#include <exception>
#include <map>

#include "classlib/core/collection.h"
#include "classlib/core/component.h"
#include "classlib/core/exception.h"
#include "classlib/core/strings.h"
#include "classlib/core/sys_utils.h"
#include "storage/core/str_utils.h"

namespace {

// Published properties, and binary ones (a folder's item-ID list) kept as hexadecimal text.
constexpr TTypeKinds kStoredKinds = tkProperties + TTypeKinds{tkBinary};

std::string BytesText(const TBytes& Bytes) {
  static const char Digits[] = "0123456789ABCDEF";
  std::string Text;
  for (uint8_t B : Bytes) {
    Text += Digits[B >> 4];
    Text += Digits[B & 15];
  }
  return Text;
}

// False, with Bytes untouched, for text that is not pairs of hexadecimal digits.
bool TextToBytes(const std::string& Text, TBytes& Bytes) {
  if (Text.size() % 2 != 0) return false;
  TBytes Out;
  for (size_t I = 0; I < Text.size(); I += 2) {
    auto Digit = [](char C) {
      return C >= '0' && C <= '9' ? C - '0' : C >= 'A' && C <= 'F' ? C - 'A' + 10 : C >= 'a' && C <= 'f' ? C - 'a' + 10 : -1;
    };
    int Hi = Digit(Text[I]), Lo = Digit(Text[I + 1]);
    if (Hi < 0 || Lo < 0) return false;
    Out.push_back(uint8_t(Hi * 16 + Lo));
  }
  Bytes = std::move(Out);
  return true;
}

}  // namespace

namespace {

const char* const sCount = "Count";
const char* const sItem = "Item%d";
const char* const sNull = "(null)";
// The default that tells a missing key from any value a storage can hold.
const std::string kMissing("\x01\x02missing\x02\x01");
// Object properties nest this deep at most: an object graph with a cycle ends here.
constexpr int kMaxLevel = 16;

bool IsComponentType(const TPropInfo* PropInfo) {
  const TClassInfo* Class = PropInfo->PropType()->ClassType();
  return Class != nullptr && Class->InheritsFrom(TComponent::StaticClassInfo());
}

std::string OrdText(const TPropInfo* PropInfo, int32_t Value) {
  if (PropInfo->PropType()->OrdType == otULong) return IntToStr(static_cast<int64_t>(static_cast<uint32_t>(Value)));
  return IntToStr(Value);
}

std::string SetText(const TTypeInfo* SetType, int32_t Value) {
  const TTypeInfo* Element = SetType->CompType;
  std::string Result = "[";
  for (int I = 0; I < 32; ++I)
    if (static_cast<uint32_t>(Value) & (uint32_t(1) << I)) {
      if (Result.size() > 1) Result += ',';
      Result += GetEnumName(Element, I);
    }
  return Result + "]";
}

int32_t TextToSet(const TTypeInfo* SetType, const std::string& Text) {
  static const TCharSet Delims{' ', ',', '[', ']'};
  const TTypeInfo* Element = SetType->CompType;
  uint32_t Bits = 0;
  for (int I = 1, N = WordCount(Text, Delims); I <= N; ++I) {
    int32_t Value = GetEnumValue(Element, ExtractWord(I, Text, Delims));
    if (Value >= 0 && Value <= 31) Bits |= uint32_t(1) << Value;
  }
  return static_cast<int32_t>(Bits);
}

// The name a component is known by in another root's storage: "Root.Name".
std::string ComponentRootName(const TComponent* Root) {
  if (!Root->Name().empty()) return Root->Name();
  std::string Name = Root->ClassName();
  if (!Name.empty() && (Name[0] == 'T' || Name[0] == 't')) Name.erase(0, 1);
  return Name;
}

}  // namespace

// ---------------------------------------------------------------------------------------
// TPropInfoList

TPropInfoList::TPropInfoList(const TObject* AObject, TTypeKinds Filter) {
  if (AObject != nullptr) FList = GetPropList(AObject, Filter, true);
}

const TPropInfo* TPropInfoList::Find(std::string_view AName) const {
  for (const TPropInfo* Prop : FList)
    if (SameIdent(Prop->Name(), AName)) return Prop;
  return nullptr;
}

void TPropInfoList::Delete(int Index) {
  if (Index < 0 || Index >= Count()) throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
  FList.erase(FList.begin() + Index);
}

// ---------------------------------------------------------------------------------------
// Stored-properties lines

bool ParseStoredItem(const std::string& Item, std::string& CompName, std::string& PropName) {
  CompName.clear();
  PropName.clear();
  size_t Dot = Item.find('.');
  if (Dot == std::string::npos) return false;
  CompName = Trim(std::string_view(Item).substr(0, Dot));
  PropName = Trim(std::string_view(Item).substr(Dot + 1));
  return !CompName.empty() && !PropName.empty();
}

std::string CreateStoredItem(const std::string& CompName, const std::string& PropName) {
  if (CompName.empty() || PropName.empty()) return {};
  return CompName + "." + PropName;
}

std::string ReplaceComponentName(const std::string& Item, const std::string& CompName) {
  std::string OldName, PropName;
  if (!ParseStoredItem(Item, OldName, PropName)) return {};
  return CreateStoredItem(CompName, PropName);
}

void UpdateStoredList(TComponent* AForm, TStrings* AStoredList, bool FromForm) {
  if (AStoredList == nullptr) return;
  for (int I = AStoredList->Count() - 1; I >= 0; --I) {
    std::string CompName, PropName;
    if (!ParseStoredItem(AStoredList->Strings(I), CompName, PropName)) {
      AStoredList->Delete(I);
      continue;
    }
    if (FromForm) {
      TComponent* Component = AForm != nullptr ? AForm->FindComponent(CompName) : nullptr;
      if (Component == nullptr)
        AStoredList->Delete(I);
      else
        AStoredList->SetObjects(I, Component);
    } else {
      auto* Component = dynamic_cast<TComponent*>(AStoredList->Objects(I));
      std::string Line = Component != nullptr ? ReplaceComponentName(AStoredList->Strings(I), Component->Name()) : "";
      if (Line.empty())
        AStoredList->Delete(I);
      else
        AStoredList->SetStrings(I, Line);
    }
  }
}

// ---------------------------------------------------------------------------------------
// TPropsStorage: callbacks

std::string TPropsStorage::ReadString(const std::string& ASection, const std::string& Item,
                                      const std::string& Default) {
  return OnReadString ? OnReadString(ASection, Item, Default) : std::string();
}

void TPropsStorage::WriteString(const std::string& ASection, const std::string& Item, const std::string& Value) {
  if (OnWriteString) OnWriteString(ASection, Item, Value);
}

void TPropsStorage::EraseSection(const std::string& ASection) {
  if (OnEraseSection) OnEraseSection(ASection);
}

std::string TPropsStorage::GetItemName(const std::string& APropName) { return FPrefix + APropName; }

std::unique_ptr<TPropsStorage> TPropsStorage::CreateStorage() { return std::make_unique<TPropsStorage>(); }

std::unique_ptr<TPropsStorage> TPropsStorage::NestedStorage(TObject* Object, const std::string& APrefix,
                                                            const std::string& ASection) {
  std::unique_ptr<TPropsStorage> Storage = CreateStorage();
  Storage->FObject = Object;
  Storage->FOwner = FOwner;
  Storage->FPrefix = APrefix;
  Storage->FSection = ASection;
  Storage->FLevel = FLevel + 1;
  Storage->OnReadString = OnReadString;
  Storage->OnWriteString = OnWriteString;
  Storage->OnEraseSection = OnEraseSection;
  return Storage;
}

// ---------------------------------------------------------------------------------------
// TPropsStorage: one property

void TPropsStorage::StoreAnyProperty(const TPropInfo* PropInfo) {
  if (PropInfo == nullptr || FObject == nullptr) return;
  const TTypeInfo* Type = PropInfo->PropType();
  std::string Text;
  switch (PropInfo->Kind()) {
    case tkInteger:
      Text = OrdText(PropInfo, PropInfo->GetOrd(FObject));
      break;
    case tkChar:
      Text = std::string(1, static_cast<char>(PropInfo->GetOrd(FObject)));
      break;
    case tkEnumeration:
      Text = GetEnumName(Type, PropInfo->GetOrd(FObject));
      break;
    case tkFloat:
      Text = FloatToPropText(PropInfo->GetFloat(FObject), Type->FloatType);
      break;
    case tkString:
      Text = PropInfo->GetStr(FObject);
      break;
    case tkSet:
      Text = SetText(Type, PropInfo->GetOrd(FObject));
      break;
    case tkBinary:
      Text = BytesText(PropInfo->GetBytes(FObject));
      break;
    case tkClass: {
      if (IsComponentType(PropInfo)) {
        Text = StoreComponentProperty(PropInfo);
        break;
      }
      if (FLevel >= kMaxLevel) return;
      TObject* Object = PropInfo->GetObj(FObject);
      if (Object == nullptr) return;
      if (auto* Strings = dynamic_cast<TStrings*>(Object))
        StoreStringsProperty(PropInfo, Strings);
      else if (auto* Collection = dynamic_cast<TCollection*>(Object))
        StoreCollectionProperty(PropInfo, Collection);
      NestedStorage(Object, FPrefix + PropInfo->Name(), FSection)->StoreProperties();
      return;
    }
    default:
      return;
  }
  Text = Trim(Text);
  // Empty bytes are a value too (the desktop's item-ID list).
  if (!Text.empty() || PropInfo->Kind() == tkString || PropInfo->Kind() == tkBinary)
    WriteString(FSection, GetItemName(PropInfo->Name()), Text);
}

void TPropsStorage::LoadAnyProperty(const TPropInfo* PropInfo) {
  if (PropInfo == nullptr || FObject == nullptr) return;
  try {
    const TTypeInfo* Type = PropInfo->PropType();
    std::string Default;
    switch (PropInfo->Kind()) {
      case tkInteger: Default = OrdText(PropInfo, PropInfo->GetOrd(FObject)); break;
      case tkChar: Default = std::string(1, static_cast<char>(PropInfo->GetOrd(FObject))); break;
      case tkEnumeration: Default = GetEnumName(Type, PropInfo->GetOrd(FObject)); break;
      case tkFloat: Default = FloatToPropText(PropInfo->GetFloat(FObject), Type->FloatType); break;
      case tkString: Default = PropInfo->GetStr(FObject); break;
      case tkSet: Default = SetText(Type, PropInfo->GetOrd(FObject)); break;
      case tkBinary: Default = BytesText(PropInfo->GetBytes(FObject)); break;
      case tkClass: break;
      default: return;
    }
    std::string Text;
    if (!Default.empty() || PropInfo->Kind() == tkString || PropInfo->Kind() == tkClass ||
        PropInfo->Kind() == tkBinary)
      Text = Trim(ReadString(FSection, GetItemName(PropInfo->Name()), Default));
    ApplyText(PropInfo, Text);
  } catch (const std::exception&) {
    // A value that cannot be read or applied leaves the property as it was.
  }
}

void TPropsStorage::ApplyText(const TPropInfo* PropInfo, const std::string& Text) {
  const TTypeInfo* Type = PropInfo->PropType();
  switch (PropInfo->Kind()) {
    case tkInteger: {
      int64_t Value;
      if (!TryStrToInt64(Text, Value)) return;
      if (Type->OrdType == otULong ? Value < 0 || Value > UINT32_MAX : Value < INT32_MIN || Value > INT32_MAX) return;
      PropInfo->SetOrd(FObject, static_cast<int32_t>(static_cast<uint32_t>(Value)));
      return;
    }
    case tkChar:
      if (!Text.empty()) PropInfo->SetOrd(FObject, static_cast<unsigned char>(Text[0]));
      return;
    case tkEnumeration: {
      int32_t Value = GetEnumValue(Type, Text);
      if (Value >= 0) PropInfo->SetOrd(FObject, Value);
      return;
    }
    case tkFloat: {
      long double Value;
      if (PropTextToFloat(Text, Value)) PropInfo->SetFloat(FObject, Value);
      return;
    }
    case tkString:
      PropInfo->SetStr(FObject, Text);
      return;
    case tkSet:
      PropInfo->SetOrd(FObject, TextToSet(Type, Text));
      return;
    case tkBinary: {
      TBytes Bytes;
      if (TextToBytes(Text, Bytes)) PropInfo->SetBytes(FObject, Bytes);
      return;
    }
    case tkClass: {
      if (IsComponentType(PropInfo)) {
        LoadComponentProperty(PropInfo, Text);
        return;
      }
      if (FLevel >= kMaxLevel) return;
      TObject* Object = PropInfo->GetObj(FObject);
      if (Object == nullptr) return;
      if (auto* Strings = dynamic_cast<TStrings*>(Object))
        LoadStringsProperty(PropInfo, Strings);
      else if (auto* Collection = dynamic_cast<TCollection*>(Object))
        LoadCollectionProperty(PropInfo, Collection);
      NestedStorage(Object, FPrefix + PropInfo->Name(), FSection)->LoadProperties();
      return;
    }
    default:
      return;
  }
}

// ---------------------------------------------------------------------------------------
// Component references

std::string TPropsStorage::StoreComponentProperty(const TPropInfo* PropInfo) {
  auto* Component = dynamic_cast<TComponent*>(PropInfo->GetObj(FObject));
  if (Component == nullptr) return sNull;
  std::string Result = Component->Name();
  if (Component->Owner() != nullptr && Component->Owner() != FOwner)
    Result = ComponentRootName(Component->Owner()) + "." + Result;
  return Result;
}

void TPropsStorage::LoadComponentProperty(const TPropInfo* PropInfo, const std::string& Text) {
  if (Text.empty()) return;
  if (SameText(Text, sNull)) {
    PropInfo->SetObj(FObject, nullptr);
    return;
  }
  TComponent* Root = FOwner;
  std::string Name = Text;
  size_t Dot = Text.find('.');
  if (Dot != std::string::npos) {
    Root = FindGlobalComponent(Trim(std::string_view(Text).substr(0, Dot)));
    Name = Trim(std::string_view(Text).substr(Dot + 1));
  }
  if (Root != nullptr) PropInfo->SetObj(FObject, Root->FindComponent(Name));
}

// ---------------------------------------------------------------------------------------
// String lists

void TPropsStorage::StoreStringsProperty(const TPropInfo* PropInfo, TStrings* Strings) {
  std::string Sub = FSection + "." + GetItemName(PropInfo->Name());
  EraseSection(Sub);
  // Count=0 is written too, so that a list emptied by the user comes back empty.
  WriteString(Sub, sCount, IntToStr(Strings->Count()));
  for (int I = 0; I < Strings->Count(); ++I) WriteString(Sub, Format(sItem, {I}), Strings->Strings(I));
}

void TPropsStorage::LoadStringsProperty(const TPropInfo* PropInfo, TStrings* Strings) {
  std::string Sub = FSection + "." + GetItemName(PropInfo->Name());
  std::string CountText = Trim(ReadString(Sub, sCount, ""));
  int Count;
  if (CountText.empty() || !TryStrToInt(CountText, Count) || Count < 0) return;
  std::vector<std::string> Lines;
  for (int I = 0; I < Count; ++I) {
    std::string Line = ReadString(Sub, Format(sItem, {I}), kMissing);
    if (Line == kMissing) break;  // a damaged count: keep what is there
    Lines.push_back(std::move(Line));
  }
  Strings->BeginUpdate();
  try {
    Strings->Clear();
    for (const std::string& Line : Lines) Strings->Add(Line);
  } catch (...) {
    Strings->EndUpdate();
    throw;
  }
  Strings->EndUpdate();
}

// ---------------------------------------------------------------------------------------
// Collections

void TPropsStorage::StoreCollectionProperty(const TPropInfo* PropInfo, TCollection* Collection) {
  std::string Key = GetItemName(PropInfo->Name());
  std::string Sub = FSection + "." + Key;
  EraseSection(Sub);
  // The count key carries the prefix: two components' collections of one name must not
  // share it.
  WriteString(FSection, Key + "." + sCount, IntToStr(Collection->Count()));
  for (int I = 0; I < Collection->Count(); ++I)
    NestedStorage(Collection->Items(I), Format(sItem, {I}) + "_", Sub)->StoreProperties();
}

// An item counts as stored when any of its plain properties has a key.
bool TPropsStorage::ItemStored(const std::string& ASection, int Index, const TClassInfo* ItemClass) {
  bool HasPlain = false;
  for (const TPropInfo* Prop : GetPropList(ItemClass, tkProperties)) {
    if (Prop->Kind() == tkClass) continue;
    HasPlain = true;
    if (ReadString(ASection, Format(sItem, {Index}) + "_" + Prop->Name(), kMissing) != kMissing) return true;
  }
  return !HasPlain;
}

void TPropsStorage::LoadCollectionProperty(const TPropInfo* PropInfo, TCollection* Collection) {
  std::string Key = GetItemName(PropInfo->Name());
  std::string Sub = FSection + "." + Key;
  std::string CountText = Trim(ReadString(FSection, Key + "." + sCount, ""));
  // Earlier versions wrote the count without the prefix.
  if (CountText.empty()) CountText = Trim(ReadString(FSection, PropInfo->Name() + "." + sCount, ""));
  int Count = Collection->Count();
  if (!CountText.empty()) {
    int Stored;
    if (!TryStrToInt(CountText, Stored) || Stored < 0) return;
    // Only the items actually there count: a count that is damaged, or that another
    // component wrote under the old key, never makes items out of nothing.
    int Found = 0;
    while (Found < Stored && ItemStored(Sub, Found, Collection->ItemClass())) ++Found;
    if (Found == 0 && Stored > 0) return;
    Count = Found;
  }
  Collection->BeginUpdate();
  try {
    if (Count != Collection->Count()) {
      Collection->Clear();
      for (int I = 0; I < Count; ++I) Collection->Add();
    }
    for (int I = 0; I < Count; ++I)
      NestedStorage(Collection->Items(I), Format(sItem, {I}) + "_", Sub)->LoadProperties();
  } catch (...) {
    Collection->EndUpdate();
    throw;
  }
  Collection->EndUpdate();
}

// ---------------------------------------------------------------------------------------
// Whole objects

void TPropsStorage::StoreProperties() {
  TPropInfoList List(FObject, kStoredKinds);
  for (int I = 0; I < List.Count(); ++I) StoreAnyProperty(List.Items(I));
}

void TPropsStorage::LoadProperties() {
  TPropInfoList List(FObject, kStoredKinds);
  for (int I = 0; I < List.Count(); ++I) LoadAnyProperty(List.Items(I));
}

namespace {

// Walks the valid lines of a bound stored list with the property of each line.
template <class F>
void ForEachStoredProp(TPropsStorage& Storage, TComponent* AComponent, TStrings* StoredList, F Action) {
  UpdateStoredList(AComponent, StoredList, false);
  std::map<TComponent*, std::unique_ptr<TPropInfoList>> Lists;
  for (int I = 0; I < StoredList->Count(); ++I) {
    auto* Component = static_cast<TComponent*>(StoredList->Objects(I));
    auto& List = Lists[Component];
    if (!List) List = std::make_unique<TPropInfoList>(Component, kStoredKinds);
  }
  Storage.SetOwner(AComponent);
  try {
    for (int I = 0; I < StoredList->Count(); ++I) {
      std::string CompName, PropName;
      if (!ParseStoredItem(StoredList->Strings(I), CompName, PropName)) continue;
      auto* Component = static_cast<TComponent*>(StoredList->Objects(I));
      Storage.SetAObject(Component);
      Storage.SetPrefix(Component->Name() + "_");
      if (const TPropInfo* Prop = Lists[Component]->Find(PropName)) Action(Prop);
    }
  } catch (...) {
    Storage.SetOwner(nullptr);
    throw;
  }
  Storage.SetOwner(nullptr);
}

}  // namespace

void TPropsStorage::StoreObjectsProps(TComponent* AComponent, TStrings* StoredList) {
  if (StoredList == nullptr) return;
  std::exception_ptr First;
  ForEachStoredProp(*this, AComponent, StoredList, [&](const TPropInfo* Prop) {
    try {
      StoreAnyProperty(Prop);
    } catch (...) {
      if (!First) First = std::current_exception();
    }
  });
  if (First) std::rethrow_exception(First);
}

void TPropsStorage::LoadObjectsProps(TComponent* AComponent, TStrings* StoredList) {
  if (StoredList == nullptr) return;
  ForEachStoredProp(*this, AComponent, StoredList, [&](const TPropInfo* Prop) { LoadAnyProperty(Prop); });
}
