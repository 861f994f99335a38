// Run-time type information: the class registry by name and the published-property
// registry, through which form resources, the settings storage and language captions read
// and write any property of any object by name, as typed values or as text.
//
// A class declares, in its header,
//   static const TClassInfo* StaticClassInfo();
//   const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
// and registers itself in its own unit:
//
//   const TClassInfo* TFont::StaticClassInfo() {
//     static const TClassInfo Info = TClassBuilder<TFont, TPersistent>("TFont")
//         .Prop("Charset", &TFont::Charset, &TFont::SetCharset).Type(FontCharsetTypeInfo())
//         .Prop("Color", &TFont::Color, &TFont::SetColor)
//         .Build();
//     return &Info;
//   }
//
// Getters are const member functions, data members or callables taking `const C&`; setters
// are member functions, data members, callables taking `(C&, value)`, or nullptr for a
// read-only property; Prop(name, &C::Member) reads and writes a data member. The kind
// follows from the value's C++ type: integers (and integer-like enums such as TColor),
// bool, char, std::string, float/double/long double, TSet<E>, enums, pointers to TObject
// descendants, std::function events, and TBytes. A form class adds its event handlers and
// component fields by name:
//         .Handler("Button1Click", &TMainForm::Button1Click)
//         .Field("Button1", &TMainForm::Button1)
#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
#include <typeinfo>
#include <utility>
#include <vector>

#include "classlib/core/exception.h"
#include "classlib/core/object.h"

class TComponent;
class TCollection;
class TCollectionItem;

// ---------------------------------------------------------------------------------------
// Sets of up to 32 enumeration members (the values of E must lie in 0..31).

template <class E>
class TSet {
public:
  using Element = E;

  constexpr TSet() = default;
  constexpr TSet(std::initializer_list<E> Elements) {
    for (E Item : Elements) FBits |= Bit(Item);
  }
  static constexpr TSet FromBits(uint32_t Bits) {
    TSet Result;
    Result.FBits = Bits;
    return Result;
  }
  constexpr uint32_t Bits() const { return FBits; }
  constexpr bool Contains(E Item) const { return (FBits & Bit(Item)) != 0; }
  constexpr bool Empty() const { return FBits == 0; }
  constexpr TSet& Include(E Item) {
    FBits |= Bit(Item);
    return *this;
  }
  constexpr TSet& Exclude(E Item) {
    FBits &= ~Bit(Item);
    return *this;
  }
  constexpr TSet& operator<<(E Item) { return Include(Item); }
  constexpr TSet& operator>>(E Item) { return Exclude(Item); }
  friend constexpr TSet operator+(TSet A, TSet B) { return FromBits(A.FBits | B.FBits); }
  friend constexpr TSet operator-(TSet A, TSet B) { return FromBits(A.FBits & ~B.FBits); }
  friend constexpr TSet operator*(TSet A, TSet B) { return FromBits(A.FBits & B.FBits); }
  friend constexpr bool operator==(TSet A, TSet B) { return A.FBits == B.FBits; }

private:
  static constexpr uint32_t Bit(E Item) { return uint32_t(1) << static_cast<unsigned>(Item); }
  uint32_t FBits = 0;
};

// ---------------------------------------------------------------------------------------
// Events and bytes.

using TNotifyEvent = std::function<void(TObject* Sender)>;
using TBytes = std::vector<uint8_t>;

// ---------------------------------------------------------------------------------------
// Type information.

enum TTypeKind {
  tkUnknown,
  tkInteger,      // integers, colours and other integer types with identifiers
  tkChar,         // one byte character
  tkEnumeration,  // identifiers; Boolean is False/True
  tkFloat,        // with its TFloatType
  tkString,
  tkSet,          // of up to 32 enumeration members
  tkClass,        // an object: recursed into, or a component reference
  tkMethod,       // an event
  tkBinary        // bytes streamed as a block (not a published property of the platform)
};
using TTypeKinds = TSet<TTypeKind>;

inline constexpr TTypeKinds tkAny{tkInteger, tkChar,  tkEnumeration, tkFloat, tkString,
                                  tkSet,     tkClass, tkMethod,      tkBinary};
inline constexpr TTypeKinds tkMethods{tkMethod};
// What the platform's published-property lists hold: every kind with a type except events;
// binary data is a defined property, reachable by name but not listed here.
inline constexpr TTypeKinds tkProperties = tkAny - tkMethods - TTypeKinds{tkBinary};

enum TOrdType { otSByte, otUByte, otSWord, otUWord, otSLong, otULong };
// Significant digits when written as text: 7, 15, 18, 18 and 19.
enum TFloatType { ftSingle, ftDouble, ftExtended, ftComp, ftCurr };

// Identifier maps of an integer type (TColor: clRed, clBtnFace...).
using TIntToIdent = bool (*)(int32_t Value, std::string& Ident);
using TIdentToInt = bool (*)(std::string_view Ident, int32_t& Value);

struct TTypeInfo {
  TTypeKind Kind = tkUnknown;
  std::string Name;
  // tkInteger, tkChar, tkEnumeration
  TOrdType OrdType = otSLong;
  int64_t MinValue = 0;
  int64_t MaxValue = 0;
  std::vector<std::string> EnumNames;  // tkEnumeration: identifiers of MinValue..MaxValue
  TIntToIdent IntToIdent = nullptr;    // tkInteger, optional
  TIdentToInt IdentToInt = nullptr;
  const TTypeInfo* CompType = nullptr;  // tkSet: the member enumeration
  TFloatType FloatType = ftDouble;      // tkFloat
  const TClassInfo* (*ClassRef)() = nullptr;  // tkClass (resolved lazily: classes may refer to each other)
  const std::type_info* Signature = nullptr;  // tkMethod: the handler's function type

  const std::string& TypeName() const;
  const TClassInfo* ClassType() const { return ClassRef != nullptr ? ClassRef() : nullptr; }
};

TTypeInfo EnumTypeInfo(std::string Name, std::vector<std::string> Identifiers);
TTypeInfo IntegerTypeInfo(std::string Name, TOrdType OrdType, int64_t MinValue, int64_t MaxValue,
                          TIntToIdent ToIdent = nullptr, TIdentToInt FromIdent = nullptr);

// The type information of a value type. Specialise it for each enumeration and each
// integer type with identifiers, declaring the specialisation next to the type:
//   template <> const TTypeInfo* TypeInfoOf<TFontPitch>();
// and defining it in the unit:
//   template <> const TTypeInfo* TypeInfoOf<TFontPitch>() {
//     static const TTypeInfo Info = EnumTypeInfo("TFontPitch", {"fpDefault", "fpVariable", "fpFixed"});
//     return &Info;
//   }
template <class T>
const TTypeInfo* TypeInfoOf();
template <> const TTypeInfo* TypeInfoOf<bool>();
template <> const TTypeInfo* TypeInfoOf<char>();
template <> const TTypeInfo* TypeInfoOf<signed char>();
template <> const TTypeInfo* TypeInfoOf<unsigned char>();
template <> const TTypeInfo* TypeInfoOf<short>();
template <> const TTypeInfo* TypeInfoOf<unsigned short>();
template <> const TTypeInfo* TypeInfoOf<int>();
template <> const TTypeInfo* TypeInfoOf<unsigned>();
template <> const TTypeInfo* TypeInfoOf<float>();
template <> const TTypeInfo* TypeInfoOf<double>();
template <> const TTypeInfo* TypeInfoOf<long double>();
template <> const TTypeInfo* TypeInfoOf<std::string>();
template <> const TTypeInfo* TypeInfoOf<TBytes>();

// Float types by name, for properties whose C++ type does not say it (Comp, Currency).
const TTypeInfo* FloatTypeInfo(TFloatType FloatType);

TTypeInfo MakeSetTypeInfo(const TTypeInfo* Element);
TTypeInfo MakeClassTypeInfo(const TClassInfo* (*ClassRef)());
TTypeInfo MakeMethodTypeInfo(const std::type_info& Signature);

namespace typinfo_detail {
template <class T> struct IsSet : std::false_type {};
template <class E> struct IsSet<TSet<E>> : std::true_type {};
template <class T> struct FunctionSig : std::false_type {};
template <class S> struct FunctionSig<std::function<S>> : std::true_type { using Sig = S; };
template <class T> constexpr bool IsObjectPtr() {
  if constexpr (std::is_pointer_v<T>)
    return std::is_base_of_v<TObject, std::remove_cv_t<std::remove_pointer_t<T>>>;
  else
    return false;
}
template <class T>
constexpr bool IsOrdinal = std::is_integral_v<T> || std::is_enum_v<T> || IsSet<T>::value;

template <class E> const TTypeInfo* SetTypeInfoOf() {
  static const TTypeInfo Info = MakeSetTypeInfo(TypeInfoOf<E>());
  return &Info;
}
template <class C> const TTypeInfo* ClassTypeInfoOf() {
  static const TTypeInfo Info = MakeClassTypeInfo(&C::StaticClassInfo);
  return &Info;
}
template <class Sig> const TTypeInfo* MethodTypeInfoOf() {
  static const TTypeInfo Info = MakeMethodTypeInfo(typeid(Sig));
  return &Info;
}
}  // namespace typinfo_detail

// The type information of a property's C++ value type.
template <class T>
const TTypeInfo* PropTypeInfo() {
  using namespace typinfo_detail;
  if constexpr (IsSet<T>::value)
    return SetTypeInfoOf<typename T::Element>();
  else if constexpr (IsObjectPtr<T>())
    return ClassTypeInfoOf<std::remove_cv_t<std::remove_pointer_t<T>>>();
  else if constexpr (FunctionSig<T>::value)
    return MethodTypeInfoOf<typename FunctionSig<T>::Sig>();
  else
    return TypeInfoOf<T>();
}

// ---------------------------------------------------------------------------------------
// Event handlers: a class's table of methods by name (a form's "Button1Click"), and the
// binding that lets an event property read back the name of the handler it holds.

class THandlerInfo {
public:
  THandlerInfo(std::string Name, const std::type_info& Signature)
      : FName(std::move(Name)), FSignature(&Signature) {}
  virtual ~THandlerInfo() = default;
  const std::string& Name() const { return FName; }
  const std::type_info& Signature() const { return *FSignature; }

private:
  std::string FName;
  const std::type_info* FSignature;
};

template <class Sig> class THandlerImpl;
template <class R, class... A>
class THandlerImpl<R(A...)> final : public THandlerInfo {
public:
  using TInvoker = std::function<R(TObject* Target, A...)>;
  THandlerImpl(std::string Name, TInvoker Invoker)
      : THandlerInfo(std::move(Name), typeid(R(A...))), FInvoke(std::move(Invoker)) {}
  R Invoke(TObject* Target, A... Args) const { return FInvoke(Target, std::forward<A>(Args)...); }

private:
  TInvoker FInvoke;
};

// What an event holds when bound by name: the handler's object and its table entry.
template <class Sig> struct TBoundHandler;
template <class R, class... A>
struct TBoundHandler<R(A...)> {
  TObject* Target;
  const THandlerImpl<R(A...)>* Handler;
  R operator()(A... Args) const { return Handler->Invoke(Target, std::forward<A>(Args)...); }
};

// ---------------------------------------------------------------------------------------
// Published properties.

class TPropInfo {
public:
  enum TValueCategory { vcOrdinal, vcFloat, vcString, vcObject, vcMethod, vcBinary };

  TPropInfo(std::string Name, const TTypeInfo* Type, TValueCategory Category, bool Writable)
      : FName(std::move(Name)), FType(Type), FCategory(Category), FWritable(Writable) {}
  virtual ~TPropInfo() = default;
  TPropInfo(const TPropInfo&) = delete;
  TPropInfo& operator=(const TPropInfo&) = delete;

  const std::string& Name() const { return FName; }
  const TTypeInfo* PropType() const { return FType; }
  TTypeKind Kind() const { return FType->Kind; }
  TValueCategory Category() const { return FCategory; }
  bool IsWritable() const { return FWritable; }

  // Typed access. Each raises EPropertyError for a property of another kind, a read-only
  // property, or an instance of another class; SetOrd range-checks the value
  // (EConvertError). Ordinals: the integer, the character code, the enumeration's ordinal,
  // or the set's bits.
  int32_t GetOrd(const TObject* Instance) const;
  void SetOrd(TObject* Instance, int32_t Value) const;
  std::string GetStr(const TObject* Instance) const;
  void SetStr(TObject* Instance, const std::string& Value) const;
  long double GetFloat(const TObject* Instance) const;
  void SetFloat(TObject* Instance, long double Value) const;
  TObject* GetObj(const TObject* Instance) const;
  void SetObj(TObject* Instance, TObject* Value) const;
  TBytes GetBytes(const TObject* Instance) const;
  void SetBytes(TObject* Instance, const TBytes& Value) const;
  // Events: whether one is assigned, the name of the handler bound by name (empty when
  // none, or when the event was assigned directly in code), binding a handler of Target
  // (nullptr clears the event).
  bool HasHandler(const TObject* Instance) const;
  std::string GetHandlerName(const TObject* Instance) const;
  void SetHandler(TObject* Instance, TObject* Target, const THandlerInfo* Handler) const;

protected:
  virtual int32_t DoGetOrd(const TObject*) const { return 0; }
  virtual void DoSetOrd(TObject*, int32_t) const {}
  virtual std::string DoGetStr(const TObject*) const { return {}; }
  virtual void DoSetStr(TObject*, const std::string&) const {}
  virtual long double DoGetFloat(const TObject*) const { return 0; }
  virtual void DoSetFloat(TObject*, long double) const {}
  virtual TObject* DoGetObj(const TObject*) const { return nullptr; }
  virtual void DoSetObj(TObject*, TObject*) const {}
  virtual TBytes DoGetBytes(const TObject*) const { return {}; }
  virtual void DoSetBytes(TObject*, const TBytes&) const {}
  virtual bool DoHasHandler(const TObject*) const { return false; }
  virtual std::string DoGetHandlerName(const TObject*) const { return {}; }
  virtual void DoSetHandler(TObject*, TObject*, const THandlerInfo*) const {}

  [[noreturn]] void WrongInstance(const TObject* Instance) const;
  [[noreturn]] void WrongValue(const TObject* Value) const;
  [[noreturn]] void WrongHandler(const THandlerInfo* Handler) const;

private:
  template <class, class> friend class TClassBuilder;
  void Check(const TObject* Instance, TValueCategory Category, bool Write) const;

  std::string FName;
  const TTypeInfo* FType;
  TValueCategory FCategory;
  bool FWritable;
};

namespace typinfo_detail {
template <class T> int32_t ToOrd(const T& Value) {
  if constexpr (IsSet<T>::value)
    return static_cast<int32_t>(Value.Bits());
  else if constexpr (std::is_same_v<T, char>)
    return static_cast<unsigned char>(Value);
  else
    return static_cast<int32_t>(Value);
}
template <class T> T FromOrd(int32_t Value) {
  if constexpr (IsSet<T>::value)
    return T::FromBits(static_cast<uint32_t>(Value));
  else if constexpr (std::is_same_v<T, bool>)
    return Value != 0;
  else
    return static_cast<T>(Value);
}
}  // namespace typinfo_detail

// The property of class C whose value type is T.
template <class C, class T>
class TPropImpl final : public TPropInfo {
public:
  using TGetter = std::function<T(const C&)>;
  using TSetter = std::function<void(C&, const T&)>;

  TPropImpl(std::string Name, const TTypeInfo* Type, TGetter Getter, TSetter Setter)
      : TPropInfo(std::move(Name), Type, CategoryOf(), static_cast<bool>(Setter)),
        FGet(std::move(Getter)), FSet(std::move(Setter)) {}

  static constexpr TValueCategory CategoryOf() {
    using namespace typinfo_detail;
    if constexpr (IsOrdinal<T>) return vcOrdinal;
    else if constexpr (std::is_floating_point_v<T>) return vcFloat;
    else if constexpr (std::is_same_v<T, std::string>) return vcString;
    else if constexpr (IsObjectPtr<T>()) return vcObject;
    else if constexpr (FunctionSig<T>::value) return vcMethod;
    else if constexpr (std::is_same_v<T, TBytes>) return vcBinary;
    else static_assert(sizeof(T) == 0, "a published property of an unsupported type");
  }

protected:
  int32_t DoGetOrd(const TObject* I) const override {
    if constexpr (typinfo_detail::IsOrdinal<T>) return typinfo_detail::ToOrd(FGet(In(I)));
    else return TPropInfo::DoGetOrd(I);
  }
  void DoSetOrd(TObject* I, int32_t V) const override {
    if constexpr (typinfo_detail::IsOrdinal<T>) FSet(In(I), typinfo_detail::FromOrd<T>(V));
  }
  long double DoGetFloat(const TObject* I) const override {
    if constexpr (std::is_floating_point_v<T>) return FGet(In(I));
    else return TPropInfo::DoGetFloat(I);
  }
  void DoSetFloat(TObject* I, long double V) const override {
    if constexpr (std::is_floating_point_v<T>) FSet(In(I), static_cast<T>(V));
  }
  std::string DoGetStr(const TObject* I) const override {
    if constexpr (std::is_same_v<T, std::string>) return FGet(In(I));
    else return TPropInfo::DoGetStr(I);
  }
  void DoSetStr(TObject* I, const std::string& V) const override {
    if constexpr (std::is_same_v<T, std::string>) FSet(In(I), V);
  }
  TObject* DoGetObj(const TObject* I) const override {
    if constexpr (typinfo_detail::IsObjectPtr<T>())
      return const_cast<std::remove_cv_t<std::remove_pointer_t<T>>*>(FGet(In(I)));
    else
      return TPropInfo::DoGetObj(I);
  }
  void DoSetObj(TObject* I, TObject* V) const override {
    if constexpr (typinfo_detail::IsObjectPtr<T>()) {
      T Typed = nullptr;
      if (V != nullptr && (Typed = dynamic_cast<T>(V)) == nullptr) WrongValue(V);
      FSet(In(I), Typed);
    }
  }
  TBytes DoGetBytes(const TObject* I) const override {
    if constexpr (std::is_same_v<T, TBytes>) return FGet(In(I));
    else return TPropInfo::DoGetBytes(I);
  }
  void DoSetBytes(TObject* I, const TBytes& V) const override {
    if constexpr (std::is_same_v<T, TBytes>) FSet(In(I), V);
  }
  bool DoHasHandler(const TObject* I) const override {
    if constexpr (typinfo_detail::FunctionSig<T>::value) return static_cast<bool>(FGet(In(I)));
    else return false;
  }
  std::string DoGetHandlerName(const TObject* I) const override {
    if constexpr (typinfo_detail::FunctionSig<T>::value) {
      using Bound = TBoundHandler<typename typinfo_detail::FunctionSig<T>::Sig>;
      T Event = FGet(In(I));
      if (const Bound* B = Event.template target<Bound>()) return B->Handler->Name();
    }
    return {};
  }
  void DoSetHandler(TObject* I, TObject* Target, const THandlerInfo* Handler) const override {
    if constexpr (typinfo_detail::FunctionSig<T>::value) {
      using Sig = typename typinfo_detail::FunctionSig<T>::Sig;
      if (Handler == nullptr) {
        FSet(In(I), T());
        return;
      }
      auto* Typed = dynamic_cast<const THandlerImpl<Sig>*>(Handler);
      if (Typed == nullptr) WrongHandler(Handler);
      FSet(In(I), T(TBoundHandler<Sig>{Target, Typed}));
    }
  }

private:
  const C& In(const TObject* I) const {
    if (auto* P = dynamic_cast<const C*>(I)) return *P;
    WrongInstance(I);
  }
  C& In(TObject* I) const {
    if (auto* P = dynamic_cast<C*>(I)) return *P;
    WrongInstance(I);
  }

  TGetter FGet;
  TSetter FSet;
};

// ---------------------------------------------------------------------------------------
// Component fields: a form's "Button1" member, set when a component of that name joins the
// form and cleared when it leaves or is renamed.

class TFieldInfo {
public:
  explicit TFieldInfo(std::string Name) : FName(std::move(Name)) {}
  virtual ~TFieldInfo() = default;
  const std::string& Name() const { return FName; }
  virtual const TClassInfo* FieldClass() const = 0;
  virtual TComponent* Get(const TObject* Instance) const = 0;
  // False, and nothing set, when Value is not of the field's class.
  virtual bool Set(TObject* Instance, TComponent* Value) const = 0;

private:
  std::string FName;
};

template <class C, class T>
class TFieldImpl final : public TFieldInfo {
public:
  TFieldImpl(std::string Name, T* C::*Field) : TFieldInfo(std::move(Name)), FField(Field) {}
  const TClassInfo* FieldClass() const override { return T::StaticClassInfo(); }
  TComponent* Get(const TObject* Instance) const override {
    return dynamic_cast<const C&>(*Instance).*FField;
  }
  bool Set(TObject* Instance, TComponent* Value) const override {
    T* Typed = Value != nullptr ? dynamic_cast<T*>(Value) : nullptr;
    if (Value != nullptr && Typed == nullptr) return false;
    dynamic_cast<C&>(*Instance).*FField = Typed;
    return true;
  }

private:
  T* C::*FField;
};

// ---------------------------------------------------------------------------------------
// Classes.

struct TClassInfo {
  std::string Name;
  const TClassInfo* Parent = nullptr;

  TClassInfo() = default;
  TClassInfo(TClassInfo&&) = default;
  TClassInfo& operator=(TClassInfo&&) = default;

  bool InheritsFrom(const TClassInfo* Class) const;
  // Published properties, the ancestors' first, each class's in declared order.
  const std::vector<const TPropInfo*>& Properties() const { return FProps; }
  // By name, case-insensitively; nullptr when there is none.
  const TPropInfo* FindProperty(std::string_view PropName) const;
  // A handler of this class or of an ancestor, by name, case-insensitively.
  const THandlerInfo* FindHandler(std::string_view HandlerName) const;
  // A component field of this class or of an ancestor, by name, case-insensitively.
  const TFieldInfo* FindField(std::string_view FieldName) const;
  // The component fields of this class and its ancestors, the ancestors' first.
  std::vector<const TFieldInfo*> Fields() const;

  // Factories, filled in for classes that can be created that way.
  bool CanCreateComponent() const { return FNewComponent != nullptr; }
  TComponent* CreateComponent(TComponent* Owner) const;
  bool CanCreateInstance() const { return FNewInstance != nullptr; }
  TPersistent* CreateInstance() const;
  bool CanCreateCollectionItem() const { return FNewItem != nullptr; }
  TCollectionItem* CreateCollectionItem(TCollection* Collection) const;

private:
  template <class, class> friend class TClassBuilder;
  std::vector<std::unique_ptr<TPropInfo>> FOwnProps;
  std::vector<const TPropInfo*> FProps;
  std::vector<std::unique_ptr<THandlerInfo>> FHandlers;
  std::vector<std::unique_ptr<TFieldInfo>> FFields;
  TComponent* (*FNewComponent)(TComponent* Owner) = nullptr;
  TPersistent* (*FNewInstance)() = nullptr;
  TCollectionItem* (*FNewItem)(TCollection* Collection) = nullptr;
};

// Describes class C, derived from Base (void for TObject). See the top of this file.
template <class C, class Base>
class TClassBuilder {
public:
  explicit TClassBuilder(std::string Name) {
    FInfo.Name = std::move(Name);
    if constexpr (!std::is_void_v<Base>) {
      static_assert(std::is_base_of_v<Base, C>, "Base must be the class's parent");
      static_assert(&C::StaticClassInfo != &Base::StaticClassInfo,
                    "the class must declare its own StaticClassInfo()");
      FInfo.Parent = Base::StaticClassInfo();
      FInfo.FProps = FInfo.Parent->FProps;
    }
    if constexpr (!std::is_abstract_v<C>) {
      if constexpr (std::is_base_of_v<TComponent, C> && std::is_constructible_v<C, TComponent*>)
        FInfo.FNewComponent = [](TComponent* Owner) -> TComponent* { return new C(Owner); };
      else if constexpr (std::is_base_of_v<TCollectionItem, C> &&
                         std::is_constructible_v<C, TCollection*>)
        FInfo.FNewItem = [](TCollection* Collection) -> TCollectionItem* { return new C(Collection); };
      else if constexpr (std::is_base_of_v<TPersistent, C> && std::is_default_constructible_v<C>)
        FInfo.FNewInstance = []() -> TPersistent* { return new C(); };
    }
  }

  // A property read by Getter and written by Setter (nullptr: read-only).
  template <class G, class S>
  TClassBuilder& Prop(std::string Name, G Getter, S Setter) {
    using T = std::decay_t<std::invoke_result_t<G, const C&>>;
    typename TPropImpl<C, T>::TGetter Get = [Getter](const C& Self) -> T {
      return std::invoke(Getter, Self);
    };
    typename TPropImpl<C, T>::TSetter Set;
    if constexpr (std::is_member_object_pointer_v<S>)
      Set = [Setter](C& Self, const T& Value) { Self.*Setter = Value; };
    else if constexpr (!std::is_null_pointer_v<S>)
      Set = [Setter](C& Self, const T& Value) { std::invoke(Setter, Self, Value); };
    return Add(std::make_unique<TPropImpl<C, T>>(std::move(Name), PropTypeInfo<T>(), Get, Set));
  }

  // A property that reads and writes a data member directly.
  template <class M, class B>
    requires(!std::is_function_v<M>)
  TClassBuilder& Prop(std::string Name, M B::*Field) {
    return Prop(std::move(Name), Field, Field);
  }

  // Gives the last property another type of the same category: an integer type with
  // identifiers (FontCharsetTypeInfo()), or Comp/Currency (FloatTypeInfo(ftCurr)).
  TClassBuilder& Type(const TTypeInfo* Type);

  // An event handler of the class, found by name when an event is set by text.
  template <class F, class R, class... A>
  TClassBuilder& Handler(std::string Name, R (F::*Method)(A...)) {
    static_assert(std::is_base_of_v<F, C>, "the handler must be a method of the class");
    auto Invoker = [Method](TObject* Target, A... Args) -> R {
      return (dynamic_cast<F&>(*Target).*Method)(std::forward<A>(Args)...);
    };
    FInfo.FHandlers.push_back(std::make_unique<THandlerImpl<R(A...)>>(std::move(Name), Invoker));
    return *this;
  }

  // A member pointing at the owned component of that name (see TFieldInfo).
  template <class F, class T>
  TClassBuilder& Field(std::string Name, T* F::*Member) {
    static_assert(std::is_base_of_v<F, C> && std::is_base_of_v<TComponent, T>,
                  "a component field of the class");
    FInfo.FFields.push_back(std::make_unique<TFieldImpl<F, T>>(std::move(Name), Member));
    return *this;
  }

  TClassInfo Build() { return std::move(FInfo); }

private:
  TClassBuilder& Add(std::unique_ptr<TPropInfo> Prop);

  TClassInfo FInfo;
};

// ---------------------------------------------------------------------------------------
// The class registry: classes that form resources and component references name.

void RegisterClassInfo(const TClassInfo* Class);  // EInvalidOperation if the name is taken
void UnRegisterClassInfo(const TClassInfo* Class);
const TClassInfo* GetClass(std::string_view ClassName);   // nullptr when not registered
const TClassInfo* FindClass(std::string_view ClassName);  // EClassNotFound when not registered
template <class... T>
void RegisterClasses() {
  (RegisterClassInfo(T::StaticClassInfo()), ...);
}
// As RegisterClasses, skipping each class whose name is already registered (by another
// part of the program that uses it too).
template <class... T>
void RegisterMissingClasses() {
  ((GetClass(T::StaticClassInfo()->Name) == nullptr ? RegisterClassInfo(T::StaticClassInfo()) : void()), ...);
}
// windows.h #defines RegisterClass as RegisterClassW (or A): these overloads keep
// RegisterClass(TFoo::StaticClassInfo()) working whichever header comes first.
#ifndef RegisterClass
inline void RegisterClass(const TClassInfo* Class) { RegisterClassInfo(Class); }
#endif
#ifdef _WIN32
inline void RegisterClassW(const TClassInfo* Class) { RegisterClassInfo(Class); }
inline void RegisterClassA(const TClassInfo* Class) { RegisterClassInfo(Class); }
#endif

// Resolvers of "Form2.Button1" references: each maps a root name to a component.
using TFindGlobalComponent = std::function<TComponent*(std::string_view Name)>;
int RegisterFindGlobalComponentProc(TFindGlobalComponent Proc);  // returns an id
void UnRegisterFindGlobalComponentProc(int Id);
TComponent* FindGlobalComponent(std::string_view Name);

// ---------------------------------------------------------------------------------------
// Property access by object and name.

const TPropInfo* GetPropInfo(const TClassInfo* Class, std::string_view Name);   // nullptr if none
const TPropInfo* GetPropInfo(const TObject* Instance, std::string_view Name);   // nullptr if none
const TPropInfo* FindPropInfo(const TObject* Instance, std::string_view Name);  // EPropertyError
std::vector<const TPropInfo*> GetPropList(const TClassInfo* Class, TTypeKinds Kinds = tkAny,
                                          bool Sorted = false);
std::vector<const TPropInfo*> GetPropList(const TObject* Instance, TTypeKinds Kinds = tkAny,
                                          bool Sorted = false);
bool IsPublishedProp(const TObject* Instance, std::string_view Name);
TTypeKind PropType(const TObject* Instance, std::string_view Name);  // EPropertyError if none
bool PropIsType(const TObject* Instance, std::string_view Name, TTypeKind Kind);

// Ordinal properties: integer, char, enumeration, set.
int32_t GetOrdProp(const TObject* Instance, const TPropInfo* Prop);
int32_t GetOrdProp(const TObject* Instance, std::string_view Name);
void SetOrdProp(TObject* Instance, const TPropInfo* Prop, int32_t Value);
void SetOrdProp(TObject* Instance, std::string_view Name, int32_t Value);
// Sets an integer property where the object has one by that name; false (nothing done)
// when it has none.
bool TrySetOrdProp(TObject* Instance, std::string_view Name, int32_t Value);
std::string GetEnumProp(const TObject* Instance, std::string_view Name);
void SetEnumProp(TObject* Instance, std::string_view Name, std::string_view Ident);
std::string GetSetProp(const TObject* Instance, std::string_view Name, bool Brackets = true);
void SetSetProp(TObject* Instance, std::string_view Name, std::string_view Text);

std::string GetStrProp(const TObject* Instance, const TPropInfo* Prop);
std::string GetStrProp(const TObject* Instance, std::string_view Name);
void SetStrProp(TObject* Instance, const TPropInfo* Prop, const std::string& Value);
void SetStrProp(TObject* Instance, std::string_view Name, const std::string& Value);

long double GetFloatProp(const TObject* Instance, const TPropInfo* Prop);
long double GetFloatProp(const TObject* Instance, std::string_view Name);
void SetFloatProp(TObject* Instance, const TPropInfo* Prop, long double Value);
void SetFloatProp(TObject* Instance, std::string_view Name, long double Value);

TObject* GetObjectProp(const TObject* Instance, const TPropInfo* Prop);
TObject* GetObjectProp(const TObject* Instance, std::string_view Name);
void SetObjectProp(TObject* Instance, const TPropInfo* Prop, TObject* Value);
void SetObjectProp(TObject* Instance, std::string_view Name, TObject* Value);
const TClassInfo* GetObjectPropClass(const TPropInfo* Prop);
const TClassInfo* GetObjectPropClass(const TObject* Instance, std::string_view Name);

TBytes GetBinaryProp(const TObject* Instance, std::string_view Name);
void SetBinaryProp(TObject* Instance, std::string_view Name, const TBytes& Value);

// Events by handler name. The handler is looked up in the class tables of the instance and
// then of its owners (GetOwner), nearest first: a form's "Button1Click" serves its buttons.
std::string GetEventHandlerName(const TObject* Instance, std::string_view Name);
void SetEventHandler(TObject* Instance, const TPropInfo* Prop, std::string_view HandlerName);
void SetEventHandler(TObject* Instance, std::string_view Name, std::string_view HandlerName);
// The handler named HandlerName and the object that has it, along the owner chain.
const THandlerInfo* FindHandler(TObject* Instance, std::string_view HandlerName, TObject*& Target);

// Any property as text:
//   integer      decimal, or the type's identifier (clBtnFace); $hex is accepted
//   char         the character; #nn is accepted
//   enumeration  the identifier (False/True), matched case-insensitively
//   set          "[a,b]" in ascending order
//   float        general format with 7/15/18/18/19 significant digits, "." as separator
//   string       the text
//   class        a component reference: its name ("Form2.Button1" for a component of
//                another root), empty for none; a string list: its lines, each ended by
//                CR LF; other objects have no text of their own (empty) and are reached
//                through paths such as "Font.Name"
//   event        the handler's name, empty for none
//   binary       hexadecimal digits
// A malformed value raises EConvertError, an unknown name EPropertyError; neither changes
// anything. The name may be a path through object properties: "Font.Style".
std::string GetPropText(const TObject* Instance, const TPropInfo* Prop);
void SetPropText(TObject* Instance, const TPropInfo* Prop, std::string_view Text);
std::string GetPropText(const TObject* Instance, std::string_view Path);
void SetPropText(TObject* Instance, std::string_view Path, std::string_view Text);

// ---------------------------------------------------------------------------------------
// Type helpers.

std::string GetEnumName(const TTypeInfo* Type, int32_t Value);  // empty when out of range
int32_t GetEnumValue(const TTypeInfo* Type, std::string_view Ident);  // -1 when none
std::string SetToString(const TTypeInfo* SetType, int32_t Value, bool Brackets = true);
int32_t StringToSet(const TTypeInfo* SetType, std::string_view Text);  // EConvertError
std::string FloatToPropText(long double Value, TFloatType FloatType);
bool PropTextToFloat(std::string_view Text, long double& Value);
// Decimal, or hexadecimal after "$" or "0x", with an optional sign.
bool PropTextToInt(std::string_view Text, int64_t& Value);
bool IsValidIdent(std::string_view Ident);
bool SameIdent(std::string_view A, std::string_view B);  // ASCII, case-insensitive

// ---------------------------------------------------------------------------------------

template <class C, class Base>
TClassBuilder<C, Base>& TClassBuilder<C, Base>::Type(const TTypeInfo* Type) {
  if (FInfo.FOwnProps.empty()) throw EPropertyError("Type() must follow a property");
  TPropInfo& Last = *FInfo.FOwnProps.back();
  TPropInfo::TValueCategory Need;
  switch (Type->Kind) {
    case tkInteger: case tkChar: case tkEnumeration: case tkSet: Need = TPropInfo::vcOrdinal; break;
    case tkFloat: Need = TPropInfo::vcFloat; break;
    case tkString: Need = TPropInfo::vcString; break;
    case tkClass: Need = TPropInfo::vcObject; break;
    case tkMethod: Need = TPropInfo::vcMethod; break;
    case tkBinary: Need = TPropInfo::vcBinary; break;
    default: Need = TPropInfo::TValueCategory(-1);
  }
  if (Need != Last.FCategory)
    throw EPropertyError("Property " + Last.FName + " cannot take the type " + Type->TypeName());
  Last.FType = Type;
  return *this;
}

template <class C, class Base>
TClassBuilder<C, Base>& TClassBuilder<C, Base>::Add(std::unique_ptr<TPropInfo> Prop) {
  for (auto& Own : FInfo.FOwnProps)
    if (SameIdent(Own->Name(), Prop->Name()))
      throw EPropertyError("Property " + FInfo.Name + "." + Prop->Name() + " is declared twice");
  // A property redeclared by a descendant keeps the ancestor's place in the list.
  bool Replaced = false;
  for (auto& Inherited : FInfo.FProps)
    if (SameIdent(Inherited->Name(), Prop->Name())) {
      Inherited = Prop.get();
      Replaced = true;
      break;
    }
  if (!Replaced) FInfo.FProps.push_back(Prop.get());
  FInfo.FOwnProps.push_back(std::move(Prop));
  return *this;
}
