#include "classlib/core/typinfo.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <map>
#include <mutex>

#include "classlib/core/component.h"
#include "classlib/core/strings.h"

namespace {

char UpCase(char C) { return (C >= 'a' && C <= 'z') ? char(C - 'a' + 'A') : C; }

std::string_view TrimBlanks(std::string_view S) {
  while (!S.empty() && (S.front() == ' ' || S.front() == '\t')) S.remove_prefix(1);
  while (!S.empty() && (S.back() == ' ' || S.back() == '\t')) S.remove_suffix(1);
  return S;
}

std::string Quoted(std::string_view S) { return "'" + std::string(S) + "'"; }

std::string DescribeProp(const TObject* Instance, const TPropInfo* Prop) {
  return (Instance != nullptr ? Instance->ClassName() + "." : std::string()) + Prop->Name();
}

bool ParseInteger(std::string_view Text, int64_t& Value) {
  std::string_view S = TrimBlanks(Text);
  bool Negative = false;
  if (!S.empty() && (S.front() == '-' || S.front() == '+')) {
    Negative = S.front() == '-';
    S.remove_prefix(1);
  }
  int Base = 10;
  if (!S.empty() && S.front() == '$') {
    Base = 16;
    S.remove_prefix(1);
  } else if (S.size() > 2 && S[0] == '0' && (S[1] == 'x' || S[1] == 'X')) {
    Base = 16;
    S.remove_prefix(2);
  }
  if (S.empty() || S.front() == '-' || S.front() == '+') return false;
  uint64_t Magnitude = 0;
  auto [End, Error] = std::from_chars(S.data(), S.data() + S.size(), Magnitude, Base);
  if (Error != std::errc() || End != S.data() + S.size()) return false;
  if (Magnitude > uint64_t(1) << 40) return false;  // beyond any 32-bit type either way
  Value = Negative ? -int64_t(Magnitude) : int64_t(Magnitude);
  return true;
}

std::string HexBytes(const TBytes& Bytes) {
  static const char Digits[] = "0123456789ABCDEF";
  std::string Result;
  Result.reserve(Bytes.size() * 2);
  for (uint8_t B : Bytes) {
    Result += Digits[B >> 4];
    Result += Digits[B & 15];
  }
  return Result;
}

bool ParseHexBytes(std::string_view Text, TBytes& Bytes) {
  std::string Digits;
  for (char C : Text) {
    if (C == ' ' || C == '\t' || C == '\r' || C == '\n') continue;
    if (!std::isxdigit(static_cast<unsigned char>(C))) return false;
    Digits += C;
  }
  if (Digits.size() % 2 != 0) return false;
  Bytes.clear();
  for (size_t I = 0; I < Digits.size(); I += 2) {
    uint8_t B = 0;
    std::from_chars(Digits.data() + I, Digits.data() + I + 2, B, 16);
    Bytes.push_back(B);
  }
  return true;
}

int64_t OrdRangeValue(const TTypeInfo* Type, int32_t Value) {
  return Type->OrdType == otULong ? int64_t(uint32_t(Value)) : int64_t(Value);
}

template <class T>
TTypeInfo IntegerInfo(const char* Name, TOrdType OrdType) {
  return IntegerTypeInfo(Name, OrdType, std::numeric_limits<T>::min(), std::numeric_limits<T>::max());
}

TTypeInfo FloatInfo(const char* Name, TFloatType FloatType) {
  TTypeInfo Info;
  Info.Kind = tkFloat;
  Info.Name = Name;
  Info.FloatType = FloatType;
  return Info;
}

// ---- the class registry ----

struct TRegistry {
  std::mutex Lock;
  std::vector<const TClassInfo*> Classes;
  std::map<int, TFindGlobalComponent> GlobalFinders;
  int NextFinderId = 1;
};

TRegistry& Registry() {
  static TRegistry* Instance = new TRegistry;  // outlives every static destructor that may ask
  return *Instance;
}

// ---- name resolution along the owner chain ----

TPersistent* OwnerOf(const TObject* Object) {
  auto* Persistent = dynamic_cast<const TPersistent*>(Object);
  return Persistent != nullptr ? Persistent->GetOwner() : nullptr;
}

// A component by name as seen from Instance: among the components of the instance and of
// its owners, nearest first; a dotted name is root.component, the root found the same way
// or through the global resolvers.
TComponent* ResolveComponent(const TObject* Instance, std::string_view Name) {
  size_t Dot = Name.find('.');
  if (Dot != std::string_view::npos) {
    TComponent* Root = ResolveComponent(Instance, Name.substr(0, Dot));
    if (Root == nullptr) Root = FindGlobalComponent(Name.substr(0, Dot));
    return Root != nullptr ? Root->FindComponent(Name.substr(Dot + 1)) : nullptr;
  }
  for (const TObject* Level = Instance; Level != nullptr; Level = OwnerOf(Level)) {
    if (auto* Component = dynamic_cast<const TComponent*>(Level)) {
      if (TComponent* Found = Component->FindComponent(Name)) return Found;
      if (SameIdent(Component->Name(), Name)) return const_cast<TComponent*>(Component);
    }
  }
  return nullptr;
}

std::string ComponentRefText(const TObject* Instance, const TComponent* Ref) {
  if (Ref == nullptr) return {};
  if (ResolveComponent(Instance, Ref->Name()) == Ref || Ref->Owner() == nullptr ||
      Ref->Owner()->Name().empty())
    return Ref->Name();
  return Ref->Owner()->Name() + "." + Ref->Name();
}

bool IsComponentClass(const TClassInfo* Class) {
  return Class != nullptr && Class->InheritsFrom(TComponent::StaticClassInfo());
}

}  // namespace

// ---------------------------------------------------------------------------------------
// Identifiers

bool SameIdent(std::string_view A, std::string_view B) {
  if (A.size() != B.size()) return false;
  for (size_t I = 0; I < A.size(); ++I)
    if (UpCase(A[I]) != UpCase(B[I])) return false;
  return true;
}

bool IsValidIdent(std::string_view Ident) {
  if (Ident.empty()) return false;
  for (size_t I = 0; I < Ident.size(); ++I) {
    char C = Ident[I];
    bool Letter = (C >= 'A' && C <= 'Z') || (C >= 'a' && C <= 'z') || C == '_';
    if (!Letter && !(I > 0 && C >= '0' && C <= '9')) return false;
  }
  return true;
}

// ---------------------------------------------------------------------------------------
// Type information

const std::string& TTypeInfo::TypeName() const {
  if (Kind == tkClass && ClassRef != nullptr) return ClassRef()->Name;
  return Name;
}

TTypeInfo EnumTypeInfo(std::string Name, std::vector<std::string> Identifiers) {
  TTypeInfo Info;
  Info.Kind = tkEnumeration;
  Info.Name = std::move(Name);
  Info.OrdType = Identifiers.size() <= 256 ? otUByte : otUWord;
  Info.MinValue = 0;
  Info.MaxValue = int64_t(Identifiers.size()) - 1;
  Info.EnumNames = std::move(Identifiers);
  return Info;
}

TTypeInfo IntegerTypeInfo(std::string Name, TOrdType OrdType, int64_t MinValue, int64_t MaxValue,
                          TIntToIdent ToIdent, TIdentToInt FromIdent) {
  TTypeInfo Info;
  Info.Kind = tkInteger;
  Info.Name = std::move(Name);
  Info.OrdType = OrdType;
  Info.MinValue = MinValue;
  Info.MaxValue = MaxValue;
  Info.IntToIdent = ToIdent;
  Info.IdentToInt = FromIdent;
  return Info;
}

TTypeInfo MakeSetTypeInfo(const TTypeInfo* Element) {
  if (Element->Kind != tkEnumeration || Element->MinValue < 0 || Element->MaxValue > 31)
    throw EPropertyError("A set needs an enumeration of at most 32 members: " + Element->Name);
  TTypeInfo Info;
  Info.Kind = tkSet;
  Info.Name = "set of " + Element->Name;
  Info.OrdType = otULong;
  Info.CompType = Element;
  return Info;
}

TTypeInfo MakeClassTypeInfo(const TClassInfo* (*ClassRef)()) {
  TTypeInfo Info;
  Info.Kind = tkClass;
  Info.ClassRef = ClassRef;
  return Info;
}

TTypeInfo MakeMethodTypeInfo(const std::type_info& Signature) {
  TTypeInfo Info;
  Info.Kind = tkMethod;
  Info.Name = Signature == typeid(void(TObject*)) ? "TNotifyEvent" : "TMethod";
  Info.Signature = &Signature;
  return Info;
}

template <> const TTypeInfo* TypeInfoOf<bool>() {
  static const TTypeInfo Info = EnumTypeInfo("Boolean", {"False", "True"});
  return &Info;
}
template <> const TTypeInfo* TypeInfoOf<char>() {
  static const TTypeInfo Info = [] {
    TTypeInfo I = IntegerTypeInfo("Char", otUByte, 0, 255);
    I.Kind = tkChar;
    return I;
  }();
  return &Info;
}
template <> const TTypeInfo* TypeInfoOf<signed char>() {
  static const TTypeInfo Info = IntegerInfo<signed char>("ShortInt", otSByte);
  return &Info;
}
template <> const TTypeInfo* TypeInfoOf<unsigned char>() {
  static const TTypeInfo Info = IntegerInfo<unsigned char>("Byte", otUByte);
  return &Info;
}
template <> const TTypeInfo* TypeInfoOf<short>() {
  static const TTypeInfo Info = IntegerInfo<short>("SmallInt", otSWord);
  return &Info;
}
template <> const TTypeInfo* TypeInfoOf<unsigned short>() {
  static const TTypeInfo Info = IntegerInfo<unsigned short>("Word", otUWord);
  return &Info;
}
template <> const TTypeInfo* TypeInfoOf<int>() {
  static const TTypeInfo Info = IntegerInfo<int32_t>("Integer", otSLong);
  return &Info;
}
template <> const TTypeInfo* TypeInfoOf<unsigned>() {
  static const TTypeInfo Info = IntegerInfo<uint32_t>("Cardinal", otULong);
  return &Info;
}
template <> const TTypeInfo* TypeInfoOf<float>() { return FloatTypeInfo(ftSingle); }
template <> const TTypeInfo* TypeInfoOf<double>() { return FloatTypeInfo(ftDouble); }
template <> const TTypeInfo* TypeInfoOf<long double>() { return FloatTypeInfo(ftExtended); }
template <> const TTypeInfo* TypeInfoOf<std::string>() {
  static const TTypeInfo Info = [] {
    TTypeInfo I;
    I.Kind = tkString;
    I.Name = "string";
    return I;
  }();
  return &Info;
}
template <> const TTypeInfo* TypeInfoOf<TBytes>() {
  static const TTypeInfo Info = [] {
    TTypeInfo I;
    I.Kind = tkBinary;
    I.Name = "TBytes";
    return I;
  }();
  return &Info;
}

const TTypeInfo* FloatTypeInfo(TFloatType FloatType) {
  static const TTypeInfo Infos[] = {FloatInfo("Single", ftSingle), FloatInfo("Double", ftDouble),
                                    FloatInfo("Extended", ftExtended), FloatInfo("Comp", ftComp),
                                    FloatInfo("Currency", ftCurr)};
  return &Infos[FloatType];
}

std::string GetEnumName(const TTypeInfo* Type, int32_t Value) {
  if (Type->Kind == tkEnumeration && Value >= Type->MinValue && Value <= Type->MaxValue)
    return Type->EnumNames[size_t(Value - Type->MinValue)];
  return {};
}

int32_t GetEnumValue(const TTypeInfo* Type, std::string_view Ident) {
  if (Type->Kind == tkEnumeration)
    for (size_t I = 0; I < Type->EnumNames.size(); ++I)
      if (SameIdent(Type->EnumNames[I], Ident)) return int32_t(Type->MinValue + int64_t(I));
  return -1;
}

std::string SetToString(const TTypeInfo* SetType, int32_t Value, bool Brackets) {
  const TTypeInfo* Element = SetType->Kind == tkSet ? SetType->CompType : SetType;
  std::string Result;
  for (int I = 0; I < 32; ++I)
    if ((uint32_t(Value) >> I) & 1) {
      if (!Result.empty()) Result += ',';
      std::string Name = GetEnumName(Element, I);
      Result += Name.empty() ? std::to_string(I) : Name;
    }
  return Brackets ? "[" + Result + "]" : Result;
}

int32_t StringToSet(const TTypeInfo* SetType, std::string_view Text) {
  const TTypeInfo* Element = SetType->Kind == tkSet ? SetType->CompType : SetType;
  std::string_view S = TrimBlanks(Text);
  if (!S.empty() && S.front() == '[') {
    if (S.back() != ']') throw EConvertError("Invalid set value: " + Quoted(Text));
    S = TrimBlanks(S.substr(1, S.size() - 2));
  }
  uint32_t Bits = 0;
  while (!S.empty()) {
    size_t Comma = S.find(',');
    std::string_view Ident = TrimBlanks(S.substr(0, Comma));
    int32_t Value = GetEnumValue(Element, Ident);
    if (Value < 0 || Value > 31)
      throw EConvertError("Invalid set element " + Quoted(Ident) + " of " + Element->Name);
    Bits |= uint32_t(1) << Value;
    if (Comma == std::string_view::npos) break;
    S.remove_prefix(Comma + 1);
    if (TrimBlanks(S).empty()) throw EConvertError("Invalid set value: " + Quoted(Text));
  }
  return int32_t(Bits);
}

// General format: fixed unless the value needs more integer digits than the precision or is
// below 0.0001; scientific as 1.5E20, 1E-5. Currency is exact to its four decimals.
std::string FloatToPropText(long double Value, TFloatType FloatType) {
  if (std::isnan(Value)) return "NAN";
  if (std::isinf(Value)) return Value < 0 ? "-INF" : "INF";
  if (FloatType == ftCurr) {
    long double Scaled = std::round(Value * 10000.0L);
    if (std::fabs(Scaled) < 9.2e18L) {
      long long Units = static_cast<long long>(Scaled);
      std::string Sign = Units < 0 ? "-" : "";
      unsigned long long Abs = Units < 0 ? 0ULL - static_cast<unsigned long long>(Units)
                                         : static_cast<unsigned long long>(Units);
      std::string Result = Sign + std::to_string(Abs / 10000);
      std::string Fraction = std::to_string(Abs % 10000);
      Fraction.insert(0, 4 - Fraction.size(), '0');
      while (!Fraction.empty() && Fraction.back() == '0') Fraction.pop_back();
      return Fraction.empty() ? Result : Result + "." + Fraction;
    }
  }
  static const int DigitsOf[] = {7, 15, 18, 18, 19};
  int Precision = DigitsOf[FloatType];
  if (Value == 0) return "0";
  char Buffer[64];
  auto Converted =
      std::to_chars(Buffer, Buffer + sizeof Buffer, Value, std::chars_format::scientific, Precision - 1);
  std::string_view Sci(Buffer, size_t(Converted.ptr - Buffer));
  bool Negative = Sci.front() == '-';
  if (Negative) Sci.remove_prefix(1);
  size_t E = Sci.find('e');
  std::string Digits;
  // (Some libraries format long double through printf, with the locale's separator.)
  for (char C : Sci.substr(0, E))
    if (C >= '0' && C <= '9') Digits += C;
  int Exponent = std::stoi(std::string(Sci.substr(E + 1))) + 1;  // integer digits
  while (Digits.size() > 1 && Digits.back() == '0') Digits.pop_back();
  std::string Result = Negative ? "-" : "";
  if (Exponent > Precision || Exponent < -3) {
    Result += Digits[0];
    if (Digits.size() > 1) Result += "." + Digits.substr(1);
    Result += "E" + std::to_string(Exponent - 1);
  } else if (Exponent <= 0) {
    Result += "0." + std::string(size_t(-Exponent), '0') + Digits;
  } else {
    if (Digits.size() < size_t(Exponent)) Digits.append(size_t(Exponent) - Digits.size(), '0');
    Result += Digits.substr(0, size_t(Exponent));
    if (Digits.size() > size_t(Exponent)) Result += "." + Digits.substr(size_t(Exponent));
  }
  return Result;
}

bool PropTextToInt(std::string_view Text, int64_t& Value) { return ParseInteger(Text, Value); }

// "." is the separator whatever the locale; the digits go through strtold, which keeps all
// of an Extended's precision (some libraries' from_chars reads long double as a double).
bool PropTextToFloat(std::string_view Text, long double& Value) {
  std::string_view S = TrimBlanks(Text);
  std::string Digits;
  size_t I = 0;
  if (I < S.size() && (S[I] == '+' || S[I] == '-')) Digits += S[I++];
  std::string_view Rest = S.substr(I);
  auto Is = [&](const char* Word) { return SameIdent(Rest, Word); };
  if (Is("INF") || Is("NAN")) {
    Value = Is("NAN") ? std::numeric_limits<long double>::quiet_NaN()
                      : std::numeric_limits<long double>::infinity();
    if (!Digits.empty() && Digits[0] == '-') Value = -Value;
    return true;
  }
  const char* Point = std::localeconv()->decimal_point;
  size_t Mantissa = 0;
  while (I < S.size() && std::isdigit(static_cast<unsigned char>(S[I]))) Digits += S[I++], ++Mantissa;
  if (I < S.size() && S[I] == '.') {
    Digits += Point;
    ++I;
    while (I < S.size() && std::isdigit(static_cast<unsigned char>(S[I]))) Digits += S[I++], ++Mantissa;
  }
  if (Mantissa == 0) return false;
  if (I < S.size() && (S[I] == 'e' || S[I] == 'E')) {
    Digits += 'e';
    ++I;
    if (I < S.size() && (S[I] == '+' || S[I] == '-')) Digits += S[I++];
    size_t ExponentDigits = 0;
    while (I < S.size() && std::isdigit(static_cast<unsigned char>(S[I]))) Digits += S[I++], ++ExponentDigits;
    if (ExponentDigits == 0) return false;
  }
  if (I != S.size()) return false;
  char* End = nullptr;
  long double Parsed = std::strtold(Digits.c_str(), &End);
  if (End != Digits.c_str() + Digits.size()) return false;
  Value = Parsed;
  return true;
}

// ---------------------------------------------------------------------------------------
// TPropInfo

void TPropInfo::Check(const TObject* Instance, TValueCategory Category, bool Write) const {
  static const char* const Names[] = {"an ordinal", "a float", "a string",
                                      "an object",  "an event", "a binary"};
  if (Instance == nullptr) throw EPropertyError("Property " + FName + " of no object");
  if (FCategory != Category)
    throw EPropertyError("Property " + DescribeProp(Instance, this) + " is not " + Names[Category] +
                         " property");
  if (Write && !FWritable)
    throw EPropertyError("Property " + DescribeProp(Instance, this) + " is read-only");
}

void TPropInfo::WrongInstance(const TObject* Instance) const {
  throw EPropertyError("Property " + FName + " does not belong to class " + Instance->ClassName());
}

void TPropInfo::WrongValue(const TObject* Value) const {
  throw EPropertyError("Property " + FName + " cannot hold a " + Value->ClassName() +
                       " (it takes a " + FType->TypeName() + ")");
}

void TPropInfo::WrongHandler(const THandlerInfo* Handler) const {
  throw EPropertyError("Handler " + Handler->Name() + " does not fit the event " + FName);
}

int32_t TPropInfo::GetOrd(const TObject* Instance) const {
  Check(Instance, vcOrdinal, false);
  return DoGetOrd(Instance);
}

void TPropInfo::SetOrd(TObject* Instance, int32_t Value) const {
  Check(Instance, vcOrdinal, true);
  bool InRange = true;
  if (FType->Kind == tkSet) {
    int64_t Members = FType->CompType->MaxValue + 1;
    InRange = Members >= 32 || (uint32_t(Value) >> Members) == 0;
  } else if (FType->Kind == tkInteger || FType->Kind == tkChar || FType->Kind == tkEnumeration) {
    int64_t V = OrdRangeValue(FType, Value);
    InRange = V >= FType->MinValue && V <= FType->MaxValue;
  }
  if (!InRange)
    throw EConvertError("Value " + std::to_string(Value) + " is out of range for property " +
                        DescribeProp(Instance, this));
  DoSetOrd(Instance, Value);
}

std::string TPropInfo::GetStr(const TObject* Instance) const {
  Check(Instance, vcString, false);
  return DoGetStr(Instance);
}

void TPropInfo::SetStr(TObject* Instance, const std::string& Value) const {
  Check(Instance, vcString, true);
  DoSetStr(Instance, Value);
}

long double TPropInfo::GetFloat(const TObject* Instance) const {
  Check(Instance, vcFloat, false);
  return DoGetFloat(Instance);
}

void TPropInfo::SetFloat(TObject* Instance, long double Value) const {
  Check(Instance, vcFloat, true);
  DoSetFloat(Instance, Value);
}

TObject* TPropInfo::GetObj(const TObject* Instance) const {
  Check(Instance, vcObject, false);
  return DoGetObj(Instance);
}

void TPropInfo::SetObj(TObject* Instance, TObject* Value) const {
  Check(Instance, vcObject, true);
  DoSetObj(Instance, Value);
}

TBytes TPropInfo::GetBytes(const TObject* Instance) const {
  Check(Instance, vcBinary, false);
  return DoGetBytes(Instance);
}

void TPropInfo::SetBytes(TObject* Instance, const TBytes& Value) const {
  Check(Instance, vcBinary, true);
  DoSetBytes(Instance, Value);
}

bool TPropInfo::HasHandler(const TObject* Instance) const {
  Check(Instance, vcMethod, false);
  return DoHasHandler(Instance);
}

std::string TPropInfo::GetHandlerName(const TObject* Instance) const {
  Check(Instance, vcMethod, false);
  return DoGetHandlerName(Instance);
}

void TPropInfo::SetHandler(TObject* Instance, TObject* Target, const THandlerInfo* Handler) const {
  Check(Instance, vcMethod, true);
  if (Handler != nullptr && (Target == nullptr || Handler->Signature() != *FType->Signature))
    WrongHandler(Handler);
  DoSetHandler(Instance, Target, Handler);
}

// ---------------------------------------------------------------------------------------
// TClassInfo

bool TClassInfo::InheritsFrom(const TClassInfo* Class) const {
  for (const TClassInfo* C = this; C != nullptr; C = C->Parent)
    if (C == Class) return true;
  return false;
}

const TPropInfo* TClassInfo::FindProperty(std::string_view PropName) const {
  for (const TPropInfo* Prop : FProps)
    if (SameIdent(Prop->Name(), PropName)) return Prop;
  return nullptr;
}

const THandlerInfo* TClassInfo::FindHandler(std::string_view HandlerName) const {
  for (const TClassInfo* C = this; C != nullptr; C = C->Parent)
    for (auto& Handler : C->FHandlers)
      if (SameIdent(Handler->Name(), HandlerName)) return Handler.get();
  return nullptr;
}

const TFieldInfo* TClassInfo::FindField(std::string_view FieldName) const {
  for (const TClassInfo* C = this; C != nullptr; C = C->Parent)
    for (auto& Field : C->FFields)
      if (SameIdent(Field->Name(), FieldName)) return Field.get();
  return nullptr;
}

std::vector<const TFieldInfo*> TClassInfo::Fields() const {
  std::vector<const TFieldInfo*> Result;
  if (Parent != nullptr) Result = Parent->Fields();
  for (auto& Field : FFields) Result.push_back(Field.get());
  return Result;
}

TComponent* TClassInfo::CreateComponent(TComponent* Owner) const {
  if (FNewComponent == nullptr)
    throw EInvalidOperation("Class " + Name + " cannot be created as a component");
  return FNewComponent(Owner);
}

TPersistent* TClassInfo::CreateInstance() const {
  if (FNewInstance == nullptr) throw EInvalidOperation("Class " + Name + " cannot be created alone");
  return FNewInstance();
}

TCollectionItem* TClassInfo::CreateCollectionItem(TCollection* Collection) const {
  if (FNewItem == nullptr)
    throw EInvalidOperation("Class " + Name + " cannot be created as a collection item");
  return FNewItem(Collection);
}

// ---------------------------------------------------------------------------------------
// The class registry

void RegisterClassInfo(const TClassInfo* Class) {
  TRegistry& R = Registry();
  std::lock_guard<std::mutex> Guard(R.Lock);
  for (const TClassInfo* Known : R.Classes)
    if (SameIdent(Known->Name, Class->Name)) {
      if (Known == Class) return;
      throw EInvalidOperation("A class named " + Class->Name + " already exists");
    }
  R.Classes.push_back(Class);
}

void UnRegisterClassInfo(const TClassInfo* Class) {
  TRegistry& R = Registry();
  std::lock_guard<std::mutex> Guard(R.Lock);
  R.Classes.erase(std::remove(R.Classes.begin(), R.Classes.end(), Class), R.Classes.end());
}

const TClassInfo* GetClass(std::string_view ClassName) {
  TRegistry& R = Registry();
  std::lock_guard<std::mutex> Guard(R.Lock);
  for (const TClassInfo* Known : R.Classes)
    if (SameIdent(Known->Name, ClassName)) return Known;
  return nullptr;
}

const TClassInfo* FindClass(std::string_view ClassName) {
  const TClassInfo* Class = GetClass(ClassName);
  if (Class == nullptr) throw EClassNotFound("Class " + std::string(ClassName) + " not found");
  return Class;
}

int RegisterFindGlobalComponentProc(TFindGlobalComponent Proc) {
  TRegistry& R = Registry();
  std::lock_guard<std::mutex> Guard(R.Lock);
  int Id = R.NextFinderId++;
  R.GlobalFinders.emplace(Id, std::move(Proc));
  return Id;
}

void UnRegisterFindGlobalComponentProc(int Id) {
  TRegistry& R = Registry();
  std::lock_guard<std::mutex> Guard(R.Lock);
  R.GlobalFinders.erase(Id);
}

TComponent* FindGlobalComponent(std::string_view Name) {
  std::vector<TFindGlobalComponent> Finders;
  {
    TRegistry& R = Registry();
    std::lock_guard<std::mutex> Guard(R.Lock);
    for (auto& Entry : R.GlobalFinders) Finders.push_back(Entry.second);
  }
  for (auto& Finder : Finders)
    if (TComponent* Found = Finder(Name)) return Found;
  return nullptr;
}

// ---------------------------------------------------------------------------------------
// Property access

const TPropInfo* GetPropInfo(const TClassInfo* Class, std::string_view Name) {
  return Class != nullptr ? Class->FindProperty(Name) : nullptr;
}

const TPropInfo* GetPropInfo(const TObject* Instance, std::string_view Name) {
  return Instance != nullptr ? Instance->ClassInfo()->FindProperty(Name) : nullptr;
}

const TPropInfo* FindPropInfo(const TObject* Instance, std::string_view Name) {
  if (Instance == nullptr) throw EPropertyError("Property " + std::string(Name) + " of no object");
  const TPropInfo* Prop = Instance->ClassInfo()->FindProperty(Name);
  if (Prop == nullptr)
    throw EPropertyError("Property " + Instance->ClassName() + "." + std::string(Name) +
                         " does not exist");
  return Prop;
}

std::vector<const TPropInfo*> GetPropList(const TClassInfo* Class, TTypeKinds Kinds, bool Sorted) {
  std::vector<const TPropInfo*> Result;
  if (Class == nullptr) return Result;
  for (const TPropInfo* Prop : Class->Properties())
    if (Kinds.Contains(Prop->Kind())) Result.push_back(Prop);
  if (Sorted)
    std::stable_sort(Result.begin(), Result.end(), [](const TPropInfo* A, const TPropInfo* B) {
      const std::string &X = A->Name(), &Y = B->Name();
      return std::lexicographical_compare(X.begin(), X.end(), Y.begin(), Y.end(),
                                          [](char P, char Q) { return UpCase(P) < UpCase(Q); });
    });
  return Result;
}

std::vector<const TPropInfo*> GetPropList(const TObject* Instance, TTypeKinds Kinds, bool Sorted) {
  return GetPropList(Instance != nullptr ? Instance->ClassInfo() : nullptr, Kinds, Sorted);
}

bool IsPublishedProp(const TObject* Instance, std::string_view Name) {
  return GetPropInfo(Instance, Name) != nullptr;
}

TTypeKind PropType(const TObject* Instance, std::string_view Name) {
  return FindPropInfo(Instance, Name)->Kind();
}

bool PropIsType(const TObject* Instance, std::string_view Name, TTypeKind Kind) {
  return PropType(Instance, Name) == Kind;
}

int32_t GetOrdProp(const TObject* Instance, const TPropInfo* Prop) { return Prop->GetOrd(Instance); }
int32_t GetOrdProp(const TObject* Instance, std::string_view Name) {
  return FindPropInfo(Instance, Name)->GetOrd(Instance);
}
void SetOrdProp(TObject* Instance, const TPropInfo* Prop, int32_t Value) { Prop->SetOrd(Instance, Value); }
void SetOrdProp(TObject* Instance, std::string_view Name, int32_t Value) {
  FindPropInfo(Instance, Name)->SetOrd(Instance, Value);
}

bool TrySetOrdProp(TObject* Instance, std::string_view Name, int32_t Value) {
  const TPropInfo* Prop = GetPropInfo(Instance, Name);
  if (Prop == nullptr || Prop->Kind() != tkInteger || !Prop->IsWritable()) return false;
  Prop->SetOrd(Instance, Value);
  return true;
}

static const TPropInfo* FindPropOfKind(const TObject* Instance, std::string_view Name, TTypeKind Kind,
                                       const char* What) {
  const TPropInfo* Prop = FindPropInfo(Instance, Name);
  if (Prop->Kind() != Kind)
    throw EPropertyError("Property " + DescribeProp(Instance, Prop) + " is not " + What);
  return Prop;
}

std::string GetEnumProp(const TObject* Instance, std::string_view Name) {
  const TPropInfo* Prop = FindPropOfKind(Instance, Name, tkEnumeration, "an enumeration");
  return GetEnumName(Prop->PropType(), Prop->GetOrd(Instance));
}

void SetEnumProp(TObject* Instance, std::string_view Name, std::string_view Ident) {
  const TPropInfo* Prop = FindPropOfKind(Instance, Name, tkEnumeration, "an enumeration");
  int32_t Value = GetEnumValue(Prop->PropType(), TrimBlanks(Ident));
  if (Value < 0)
    throw EConvertError("Invalid value " + Quoted(Ident) + " for property " + DescribeProp(Instance, Prop));
  Prop->SetOrd(Instance, Value);
}

std::string GetSetProp(const TObject* Instance, std::string_view Name, bool Brackets) {
  const TPropInfo* Prop = FindPropOfKind(Instance, Name, tkSet, "a set");
  return SetToString(Prop->PropType(), Prop->GetOrd(Instance), Brackets);
}

void SetSetProp(TObject* Instance, std::string_view Name, std::string_view Text) {
  const TPropInfo* Prop = FindPropOfKind(Instance, Name, tkSet, "a set");
  Prop->SetOrd(Instance, StringToSet(Prop->PropType(), Text));
}

std::string GetStrProp(const TObject* Instance, const TPropInfo* Prop) { return Prop->GetStr(Instance); }
std::string GetStrProp(const TObject* Instance, std::string_view Name) {
  return FindPropInfo(Instance, Name)->GetStr(Instance);
}
void SetStrProp(TObject* Instance, const TPropInfo* Prop, const std::string& Value) {
  Prop->SetStr(Instance, Value);
}
void SetStrProp(TObject* Instance, std::string_view Name, const std::string& Value) {
  FindPropInfo(Instance, Name)->SetStr(Instance, Value);
}

long double GetFloatProp(const TObject* Instance, const TPropInfo* Prop) { return Prop->GetFloat(Instance); }
long double GetFloatProp(const TObject* Instance, std::string_view Name) {
  return FindPropInfo(Instance, Name)->GetFloat(Instance);
}
void SetFloatProp(TObject* Instance, const TPropInfo* Prop, long double Value) {
  Prop->SetFloat(Instance, Value);
}
void SetFloatProp(TObject* Instance, std::string_view Name, long double Value) {
  FindPropInfo(Instance, Name)->SetFloat(Instance, Value);
}

TObject* GetObjectProp(const TObject* Instance, const TPropInfo* Prop) { return Prop->GetObj(Instance); }
TObject* GetObjectProp(const TObject* Instance, std::string_view Name) {
  return FindPropInfo(Instance, Name)->GetObj(Instance);
}
void SetObjectProp(TObject* Instance, const TPropInfo* Prop, TObject* Value) {
  Prop->SetObj(Instance, Value);
}
void SetObjectProp(TObject* Instance, std::string_view Name, TObject* Value) {
  FindPropInfo(Instance, Name)->SetObj(Instance, Value);
}

const TClassInfo* GetObjectPropClass(const TPropInfo* Prop) { return Prop->PropType()->ClassType(); }
const TClassInfo* GetObjectPropClass(const TObject* Instance, std::string_view Name) {
  return FindPropOfKind(Instance, Name, tkClass, "an object")->PropType()->ClassType();
}

TBytes GetBinaryProp(const TObject* Instance, std::string_view Name) {
  return FindPropInfo(Instance, Name)->GetBytes(Instance);
}
void SetBinaryProp(TObject* Instance, std::string_view Name, const TBytes& Value) {
  FindPropInfo(Instance, Name)->SetBytes(Instance, Value);
}

const THandlerInfo* FindHandler(TObject* Instance, std::string_view HandlerName, TObject*& Target) {
  for (TObject* Level = Instance; Level != nullptr; Level = OwnerOf(Level))
    if (const THandlerInfo* Handler = Level->ClassInfo()->FindHandler(HandlerName)) {
      Target = Level;
      return Handler;
    }
  Target = nullptr;
  return nullptr;
}

std::string GetEventHandlerName(const TObject* Instance, std::string_view Name) {
  return FindPropInfo(Instance, Name)->GetHandlerName(Instance);
}

void SetEventHandler(TObject* Instance, const TPropInfo* Prop, std::string_view HandlerName) {
  std::string_view Wanted = TrimBlanks(HandlerName);
  if (Wanted.empty()) {
    Prop->SetHandler(Instance, nullptr, nullptr);
    return;
  }
  TObject* Target = nullptr;
  const THandlerInfo* Handler = FindHandler(Instance, Wanted, Target);
  if (Handler == nullptr)
    throw EPropertyError("Handler " + Quoted(Wanted) + " for " + DescribeProp(Instance, Prop) +
                         " not found");
  Prop->SetHandler(Instance, Target, Handler);
}

void SetEventHandler(TObject* Instance, std::string_view Name, std::string_view HandlerName) {
  SetEventHandler(Instance, FindPropInfo(Instance, Name), HandlerName);
}

// ---------------------------------------------------------------------------------------
// Text

std::string GetPropText(const TObject* Instance, const TPropInfo* Prop) {
  const TTypeInfo* Type = Prop->PropType();
  switch (Prop->Kind()) {
    case tkInteger: {
      int32_t Value = Prop->GetOrd(Instance);
      std::string Ident;
      if (Type->IntToIdent != nullptr && Type->IntToIdent(Value, Ident)) return Ident;
      return std::to_string(OrdRangeValue(Type, Value));
    }
    case tkChar:
      return std::string(1, char(Prop->GetOrd(Instance)));
    case tkEnumeration:
      return GetEnumName(Type, Prop->GetOrd(Instance));
    case tkSet:
      return SetToString(Type, Prop->GetOrd(Instance));
    case tkFloat:
      return FloatToPropText(Prop->GetFloat(Instance), Type->FloatType);
    case tkString:
      return Prop->GetStr(Instance);
    case tkClass: {
      TObject* Value = Prop->GetObj(Instance);
      if (auto* Strings = dynamic_cast<TStrings*>(Value)) return Strings->Text();
      if (auto* Ref = dynamic_cast<TComponent*>(Value); Ref != nullptr && IsComponentClass(Type->ClassType()))
        return ComponentRefText(Instance, Ref);
      return {};
    }
    case tkMethod:
      return Prop->GetHandlerName(Instance);
    case tkBinary:
      return HexBytes(Prop->GetBytes(Instance));
    default:
      return {};
  }
}

void SetPropText(TObject* Instance, const TPropInfo* Prop, std::string_view Text) {
  const TTypeInfo* Type = Prop->PropType();
  auto Invalid = [&](const char* What) {
    return EConvertError(Quoted(Text) + " is not " + What + " (property " + DescribeProp(Instance, Prop) + ")");
  };
  if (Instance == nullptr) throw EPropertyError("Property " + Prop->Name() + " of no object");
  switch (Prop->Kind()) {
    case tkInteger: {
      int32_t Ident = 0;
      if (Type->IdentToInt != nullptr && Type->IdentToInt(TrimBlanks(Text), Ident)) {
        Prop->SetOrd(Instance, Ident);
        return;
      }
      int64_t Value = 0;
      if (!ParseInteger(Text, Value)) throw Invalid("a valid integer value");
      if (Value < Type->MinValue || Value > Type->MaxValue)
        throw EConvertError(Quoted(Text) + " is out of range for property " + DescribeProp(Instance, Prop));
      Prop->SetOrd(Instance, int32_t(uint32_t(uint64_t(Value))));
      return;
    }
    case tkChar: {
      if (Text.size() == 1) {
        Prop->SetOrd(Instance, static_cast<unsigned char>(Text[0]));
        return;
      }
      int64_t Code = 0;
      if (Text.size() > 1 && Text[0] == '#' && ParseInteger(Text.substr(1), Code) && Code >= 0 && Code <= 255) {
        Prop->SetOrd(Instance, int32_t(Code));
        return;
      }
      throw Invalid("a single character");
    }
    case tkEnumeration: {
      int32_t Value = GetEnumValue(Type, TrimBlanks(Text));
      if (Value < 0) throw Invalid(("an identifier of " + Type->Name).c_str());
      Prop->SetOrd(Instance, Value);
      return;
    }
    case tkSet:
      Prop->SetOrd(Instance, StringToSet(Type, Text));
      return;
    case tkFloat: {
      long double Value = 0;
      if (!PropTextToFloat(Text, Value)) throw Invalid("a valid floating point value");
      Prop->SetFloat(Instance, Value);
      return;
    }
    case tkString:
      Prop->SetStr(Instance, std::string(Text));
      return;
    case tkClass: {
      if (auto* Strings = dynamic_cast<TStrings*>(Prop->GetObj(Instance))) {
        Strings->SetText(std::string(Text));
        return;
      }
      std::string_view Name = TrimBlanks(Text);
      if (!IsComponentClass(Type->ClassType())) {
        if (!Name.empty())
          throw EPropertyError("Property " + DescribeProp(Instance, Prop) +
                               " is an object: set its own properties (" + Prop->Name() + ".Name)");
        return;
      }
      TComponent* Ref = nullptr;
      if (!Name.empty() && (Ref = ResolveComponent(Instance, Name)) == nullptr)
        throw EPropertyError("Component " + Quoted(Name) + " for " + DescribeProp(Instance, Prop) +
                             " not found");
      Prop->SetObj(Instance, Ref);
      return;
    }
    case tkMethod:
      SetEventHandler(Instance, Prop, Text);
      return;
    case tkBinary: {
      TBytes Bytes;
      if (!ParseHexBytes(Text, Bytes)) throw Invalid("hexadecimal data");
      Prop->SetBytes(Instance, Bytes);
      return;
    }
    default:
      throw EPropertyError("Property " + DescribeProp(Instance, Prop) + " has no text form");
  }
}

// "Font.Style": every name before the last one is an object property to step into.
static const TPropInfo* ResolvePath(const TObject*& Instance, std::string_view Path) {
  for (;;) {
    size_t Dot = Path.find('.');
    if (Dot == std::string_view::npos) return FindPropInfo(Instance, Path);
    const TPropInfo* Prop = FindPropInfo(Instance, Path.substr(0, Dot));
    if (Prop->Kind() != tkClass)
      throw EPropertyError("Property " + DescribeProp(Instance, Prop) + " is not an object");
    const TObject* Next = Prop->GetObj(Instance);
    if (Next == nullptr)
      throw EPropertyError("Property " + DescribeProp(Instance, Prop) + " holds no object");
    Instance = Next;
    Path.remove_prefix(Dot + 1);
  }
}

std::string GetPropText(const TObject* Instance, std::string_view Path) {
  const TPropInfo* Prop = ResolvePath(Instance, Path);
  return GetPropText(Instance, Prop);
}

void SetPropText(TObject* Instance, std::string_view Path, std::string_view Text) {
  const TObject* Target = Instance;
  const TPropInfo* Prop = ResolvePath(Target, Path);
  SetPropText(const_cast<TObject*>(Target), Prop, Text);
}
