// The class and published-property registry: every kind by name, as typed values and as
// text; declared order with inherited properties first; errors that change nothing;
// handlers, component references and fields bound by name.
#include <gtest/gtest.h>

#include <clocale>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "classlib/core/collection.h"
#include "classlib/core/component.h"
#include "classlib/core/font.h"
#include "classlib/core/strings.h"
#include "classlib/core/typinfo.h"

namespace {

enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };
enum TSampleOption { soFirst, soSecond, soThird };
using TSampleOptions = TSet<TSampleOption>;
// A key event: the handler may change the key.
using TKeyEvent = std::function<void(TObject* Sender, int& Key)>;

}  // namespace

template <> const TTypeInfo* TypeInfoOf<TAlign>() {
  static const TTypeInfo Info =
      EnumTypeInfo("TAlign", {"alNone", "alTop", "alBottom", "alLeft", "alRight", "alClient"});
  return &Info;
}
template <> const TTypeInfo* TypeInfoOf<TSampleOption>() {
  static const TTypeInfo Info = EnumTypeInfo("TSampleOption", {"soFirst", "soSecond", "soThird"});
  return &Info;
}

namespace {

class TSampleItem : public TCollectionItem {
public:
  static const TClassInfo* StaticClassInfo() {
    static const TClassInfo Info = TClassBuilder<TSampleItem, TCollectionItem>("TSampleItem")
                                       .Prop("Text", &TSampleItem::Text)
                                       .Prop("Width", &TSampleItem::Width)
                                       .Build();
    return &Info;
  }
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  using TCollectionItem::TCollectionItem;
  std::string Text;
  int Width = 50;
};

class TBaseSample : public TComponent {
public:
  static const TClassInfo* StaticClassInfo() {
    static const TClassInfo Info = TClassBuilder<TBaseSample, TComponent>("TBaseSample")
                                       .Prop("Count", &TBaseSample::Count, &TBaseSample::SetCount)
                                       .Prop("Color", &TBaseSample::Color)
                                       .Build();
    return &Info;
  }
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  using TComponent::TComponent;

  int Count() const { return FCount; }
  void SetCount(int Value) { FCount = Value; }
  TColor Color = clBtnFace;

private:
  int FCount = 0;
};

// A published property of every kind.
class TSample : public TBaseSample {
public:
  static const TClassInfo* StaticClassInfo() {
    static const TClassInfo Info =
        TClassBuilder<TSample, TBaseSample>("TSample")
            .Prop("Letter", &TSample::Letter)
            .Prop("Caption", &TSample::Caption)
            .Prop("Align", &TSample::Align)
            .Prop("Enabled", &TSample::Enabled)
            .Prop("Options", &TSample::Options)
            .Prop("Scale", &TSample::Scale)
            .Prop("Ratio", &TSample::Ratio)
            .Prop("Precise", &TSample::Precise)
            .Prop("Price", &TSample::Price).Type(FloatTypeInfo(ftCurr))
            .Prop("Font", &TSample::Font, &TSample::SetFont)
            .Prop("Lines", &TSample::Lines, &TSample::SetLines)
            .Prop("Items", &TSample::Items, &TSample::SetItems)
            .Prop("Buddy", &TSample::Buddy, &TSample::SetBuddy)
            .Prop("Version", [](const TSample&) { return std::string("1.0"); }, nullptr)
            .Prop("OnClick", &TSample::OnClick)
            .Prop("OnKey", &TSample::OnKey)
            .Prop("Data", &TSample::Data)
            .Build();
    return &Info;
  }
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }

  explicit TSample(TComponent* AOwner)
      : TBaseSample(AOwner), FItems(TSampleItem::StaticClassInfo(), this) {}

  char Letter = 'a';
  std::string Caption;
  TAlign Align = alNone;
  bool Enabled = true;
  TSampleOptions Options{soSecond};
  float Scale = 1.5f;
  double Ratio = 0.25;
  long double Precise = 0;
  long double Price = 0;
  TNotifyEvent OnClick;
  TKeyEvent OnKey;
  TBytes Data;

  TFont* Font() const { return &FFont; }
  void SetFont(TFont* Value) { FFont.Assign(Value); }
  TStringList* Lines() const { return &FLines; }
  void SetLines(TStringList* Value) { FLines.Assign(Value); }
  TCollection* Items() const { return &FItems; }
  void SetItems(TCollection* Value) { FItems.Assign(Value); }
  TSample* Buddy() const { return FBuddy; }
  void SetBuddy(TSample* Value) {
    if (FBuddy != nullptr) FBuddy->RemoveFreeNotification(this);
    FBuddy = Value;
    if (FBuddy != nullptr) FBuddy->FreeNotification(this);
  }

protected:
  void Notification(TComponent* AComponent, TOperation Operation) override {
    TBaseSample::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FBuddy) FBuddy = nullptr;
  }

private:
  mutable TFont FFont;
  mutable TStringList FLines;
  mutable TCollection FItems;
  TSample* FBuddy = nullptr;
};

// A form: handlers by name, a component field, and an event of its own.
class TSampleForm : public TComponent {
public:
  static const TClassInfo* StaticClassInfo() {
    static const TClassInfo Info = TClassBuilder<TSampleForm, TComponent>("TSampleForm")
                                       .Prop("OnShow", &TSampleForm::OnShow)
                                       .Handler("ButtonClick", &TSampleForm::ButtonClick)
                                       .Handler("OtherClick", &TSampleForm::OtherClick)
                                       .Handler("KeyDown", &TSampleForm::KeyDown)
                                       .Handler("FormShow", &TSampleForm::FormShow)
                                       .Field("Button1", &TSampleForm::Button1)
                                       .Field("Font1", &TSampleForm::Font1)
                                       .Build();
    return &Info;
  }
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  using TComponent::TComponent;

  void ButtonClick(TObject* Sender) { Clicks.push_back("ButtonClick:" + SenderName(Sender)); }
  void OtherClick(TObject* Sender) { Clicks.push_back("OtherClick:" + SenderName(Sender)); }
  void KeyDown(TObject*, int& Key) { Key = Key == 13 ? 0 : Key; }
  void FormShow(TObject*) { Clicks.push_back("FormShow"); }

  TNotifyEvent OnShow;
  TSample* Button1 = nullptr;
  TSample* Font1 = nullptr;  // a field of the wrong class for a TFont holder: never bound wrongly
  std::vector<std::string> Clicks;

private:
  static std::string SenderName(TObject* Sender) {
    auto* C = dynamic_cast<TComponent*>(Sender);
    return C != nullptr ? C->Name() : std::string("?");
  }
};

// Every property's text, for checking that a failed write changed nothing.
std::map<std::string, std::string> Snapshot(const TObject* Object) {
  std::map<std::string, std::string> Result;
  for (const TPropInfo* Prop : GetPropList(Object)) Result[Prop->Name()] = GetPropText(Object, Prop);
  Result["Font.Style"] = GetPropText(Object, "Font.Style");
  Result["Font.Name"] = GetPropText(Object, "Font.Name");
  return Result;
}

std::vector<std::string> Names(const std::vector<const TPropInfo*>& List) {
  std::vector<std::string> Result;
  for (const TPropInfo* Prop : List) Result.push_back(Prop->Name());
  return Result;
}

class PropertyRegistry : public ::testing::Test {
protected:
  TSampleForm Form{nullptr};
  TSample* Sample = new TSample(&Form);
  TSample* Other = new TSample(&Form);

  void SetUp() override {
    Form.SetName("Form1");
    Sample->SetName("Sample");
    Other->SetName("Other");
  }
};

TEST_F(PropertyRegistry, ListsPropertiesInDeclaredOrderInheritedFirst) {
  const std::vector<std::string> All = {
      "Name",  "Tag",   "Count",   "Color", "Letter", "Caption", "Align",   "Enabled",
      "Options", "Scale", "Ratio", "Precise", "Price", "Font",   "Lines",   "Items",
      "Buddy", "Version", "OnClick", "OnKey", "Data"};
  EXPECT_EQ(Names(GetPropList(Sample)), All);

  // The storage's filter: no events, no binary data.
  std::vector<std::string> Stored = Names(GetPropList(Sample, tkProperties));
  EXPECT_EQ(Stored.size(), All.size() - 3);
  EXPECT_EQ(Stored.back(), "Version");
  EXPECT_EQ(Names(GetPropList(Sample, TTypeKinds{tkMethod})),
            (std::vector<std::string>{"OnClick", "OnKey"}));
  EXPECT_EQ(Names(GetPropList(Sample, TTypeKinds{tkClass})),
            (std::vector<std::string>{"Font", "Lines", "Items", "Buddy"}));
  std::vector<std::string> Sorted = Names(GetPropList(Sample, tkAny, true));
  EXPECT_EQ(Sorted.front(), "Align");
  EXPECT_EQ(Sorted.back(), "Version");

  // Kinds follow the C++ types.
  const std::pair<const char*, TTypeKind> Kinds[] = {
      {"Tag", tkInteger},     {"Color", tkInteger},  {"Letter", tkChar},  {"Caption", tkString},
      {"Align", tkEnumeration}, {"Enabled", tkEnumeration}, {"Options", tkSet},
      {"Scale", tkFloat},     {"Font", tkClass},     {"Buddy", tkClass},  {"OnKey", tkMethod},
      {"Data", tkBinary}};
  for (auto& [Name, Kind] : Kinds) EXPECT_EQ(PropType(Sample, Name), Kind) << Name;

  // Found case-insensitively, under the declared spelling.
  ASSERT_NE(GetPropInfo(Sample, "caPTION"), nullptr);
  EXPECT_EQ(GetPropInfo(Sample, "caPTION")->Name(), "Caption");
  EXPECT_EQ(GetPropInfo(Sample, "Nope"), nullptr);
  EXPECT_FALSE(IsPublishedProp(Sample, "Nope"));
  EXPECT_FALSE(GetPropInfo(Sample, "Version")->IsWritable());
}

TEST_F(PropertyRegistry, ReadsAndWritesEveryKindAsText) {
  Form.Clicks.clear();
  struct TCase {
    const char* Name;
    const char* Text;
    const char* Expected;
  };
  const TCase Cases[] = {
      {"Tag", "42", "42"},
      {"Count", "-7", "-7"},
      {"Count", "$10", "16"},
      {"Color", "clRed", "clRed"},
      {"Color", "255", "clRed"},
      {"Color", "12345", "12345"},
      {"Color", "-2147483633", "clBtnFace"},
      {"Color", "CLBTNFACE", "clBtnFace"},
      {"Letter", "x", "x"},
      {"Letter", "#65", "A"},
      {"Caption", " Hello, \xEC\xE8\xF0 ", " Hello, \xEC\xE8\xF0 "},
      {"Align", "alClient", "alClient"},
      {"Align", "ALTOP", "alTop"},
      {"Enabled", "false", "False"},
      {"Enabled", "True", "True"},
      {"Options", "[soThird, soFirst]", "[soFirst,soThird]"},
      {"Options", "[]", "[]"},
      {"Scale", "0.1", "0.1"},
      {"Scale", "3.14159265", "3.141593"},
      {"Ratio", "0.1", "0.1"},
      {"Ratio", "1E20", "1E20"},
      {"Ratio", "123456789012345678", "1.23456789012346E17"},
      {"Ratio", "0.00001", "1E-5"},
      {"Ratio", "0.0001", "0.0001"},
      {"Ratio", "-2.5", "-2.5"},
      {"Ratio", "100", "100"},
      {"Precise", "3.14159265358979324", "3.14159265358979324"},
      {"Price", "12.3456", "12.3456"},
      {"Price", "-1.5", "-1.5"},
      {"Font.Style", "[fsItalic,fsBold]", "[fsBold,fsItalic]"},
      {"Font.Name", "Arial", "Arial"},
      {"Lines", "one\r\ntwo", "one\r\ntwo\r\n"},
      {"Buddy", "Other", "Other"},
      {"Buddy", "", ""},
      {"OnClick", "ButtonClick", "ButtonClick"},
      {"OnClick", "otherclick", "OtherClick"},
      {"OnClick", "", ""},
      {"Data", "00ff10", "00FF10"},
      {"Data", "", ""},
      {"Name", "Renamed", "Renamed"},
  };
  for (const TCase& Case : Cases) {
    SetPropText(Sample, Case.Name, Case.Text);
    EXPECT_EQ(GetPropText(Sample, Case.Name), Case.Expected) << Case.Name << " = " << Case.Text;
  }
  EXPECT_EQ(Sample->Color, clBtnFace);
  EXPECT_EQ(static_cast<int32_t>(clBtnFace), static_cast<int32_t>(0x8000000F));
  EXPECT_EQ(Sample->Price, 1.5L * -1);
  EXPECT_EQ(Sample->Lines()->Count(), 2);
  EXPECT_EQ(Sample->Font()->Style(), (TFontStyles{fsBold, fsItalic}));
}

TEST_F(PropertyRegistry, TypedAccessForTheSettingsStorage) {
  // Ordinals: integers, characters, enumerations, sets.
  SetOrdProp(Sample, "Count", 12);
  EXPECT_EQ(Sample->Count(), 12);
  SetOrdProp(Sample, "Letter", 'Z');
  EXPECT_EQ(Sample->Letter, 'Z');
  SetOrdProp(Sample, "Align", alRight);
  EXPECT_EQ(GetEnumProp(Sample, "Align"), "alRight");
  SetEnumProp(Sample, "Enabled", "FALSE");
  EXPECT_FALSE(Sample->Enabled);
  EXPECT_EQ(GetOrdProp(Sample, "Enabled"), 0);
  SetSetProp(Sample, "Options", "[soSecond,soThird]");
  EXPECT_EQ(GetOrdProp(Sample, "Options"), 6);
  EXPECT_EQ(GetSetProp(Sample, "Options", false), "soSecond,soThird");

  // Enumeration names and ranges, set members.
  const TTypeInfo* Align = GetPropInfo(Sample, "Align")->PropType();
  EXPECT_EQ(Align->Name, "TAlign");
  EXPECT_EQ(Align->MinValue, 0);
  EXPECT_EQ(Align->MaxValue, 5);
  EXPECT_EQ(GetEnumName(Align, 3), "alLeft");
  EXPECT_EQ(GetEnumValue(Align, "ALBOTTOM"), 2);
  EXPECT_EQ(GetEnumValue(Align, "alMiddle"), -1);
  const TTypeInfo* Options = GetPropInfo(Sample, "Options")->PropType();
  ASSERT_NE(Options->CompType, nullptr);
  EXPECT_EQ(Options->CompType->EnumNames, (std::vector<std::string>{"soFirst", "soSecond", "soThird"}));
  EXPECT_EQ(GetEnumName(GetPropInfo(Sample, "Enabled")->PropType(), 1), "True");

  // Floats with their float type.
  const std::pair<const char*, TFloatType> FloatTypes[] = {
      {"Scale", ftSingle}, {"Ratio", ftDouble}, {"Precise", ftExtended}, {"Price", ftCurr}};
  for (auto& [Name, Type] : FloatTypes)
    EXPECT_EQ(GetPropInfo(Sample, Name)->PropType()->FloatType, Type) << Name;
  SetFloatProp(Sample, "Ratio", 2.75L);
  EXPECT_EQ(GetFloatProp(Sample, "Ratio"), 2.75L);
  EXPECT_EQ(FloatToPropText(2.5L, ftSingle), "2.5");

  // Strings.
  SetStrProp(Sample, "Caption", "text");
  EXPECT_EQ(GetStrProp(Sample, "caption"), "text");

  // Objects: the class of the property and the object it holds.
  EXPECT_EQ(GetObjectPropClass(Sample, "Font"), TFont::StaticClassInfo());
  EXPECT_EQ(GetObjectPropClass(Sample, "Buddy"), TSample::StaticClassInfo());
  EXPECT_EQ(GetObjectPropClass(Sample, "Lines"), TStringList::StaticClassInfo());
  EXPECT_TRUE(GetObjectPropClass(Sample, "Lines")->InheritsFrom(TStrings::StaticClassInfo()));
  EXPECT_EQ(GetObjectProp(Sample, "Font"), Sample->Font());
  EXPECT_EQ(GetObjectProp(Sample, "Lines"), Sample->Lines());
  TCollection* Items = dynamic_cast<TCollection*>(GetObjectProp(Sample, "Items"));
  ASSERT_NE(Items, nullptr);
  EXPECT_EQ(Items->ItemClass(), TSampleItem::StaticClassInfo());

  TFont Bold;
  Bold.SetStyle({fsBold});
  SetObjectProp(Sample, "Font", &Bold);  // the setter assigns
  EXPECT_EQ(Sample->Font()->Style(), TFontStyles{fsBold});
  TStringList Source;
  Source.Add("x");
  SetObjectProp(Sample, "Lines", &Source);
  EXPECT_EQ(Sample->Lines()->Text(), "x\r\n");
  SetObjectProp(Sample, "Buddy", Other);
  EXPECT_EQ(Sample->Buddy(), Other);
  EXPECT_THROW(SetObjectProp(Sample, "Font", &Source), EPropertyError);
  EXPECT_EQ(Sample->Font()->Style(), TFontStyles{fsBold});

  // Binary data.
  SetBinaryProp(Sample, "Data", TBytes{1, 2, 0xFE});
  EXPECT_EQ(GetPropText(Sample, "Data"), "0102FE");
  EXPECT_EQ(GetBinaryProp(Sample, "Data"), (TBytes{1, 2, 0xFE}));
}

TEST_F(PropertyRegistry, IntegerSetByNameIgnoresMissingPropertiesOnRequest) {
  EXPECT_TRUE(TrySetOrdProp(Sample, "count", 99));
  EXPECT_EQ(Sample->Count(), 99);
  EXPECT_FALSE(TrySetOrdProp(Sample, "Max", 5));       // no such property
  EXPECT_FALSE(TrySetOrdProp(Sample, "Caption", 5));   // not an integer
  EXPECT_FALSE(TrySetOrdProp(nullptr, "Count", 5));
  EXPECT_THROW(SetOrdProp(Sample, "Max", 5), EPropertyError);
}

TEST_F(PropertyRegistry, UnknownNamesAndMalformedValuesChangeNothing) {
  SetPropText(Sample, "Buddy", "Other");
  SetPropText(Sample, "OnClick", "ButtonClick");
  SetPropText(Sample, "Data", "ABCD");
  struct TCase {
    const char* Name;
    const char* Text;
    bool ConvertError;  // else EPropertyError
  };
  const TCase Cases[] = {
      {"Nope", "1", false},
      {"Font.Nope", "1", false},
      {"Nope.Name", "1", false},
      {"Count.Name", "1", false},  // not an object
      {"Count", "12x", true},
      {"Count", "", true},
      {"Count", "99999999999", true},
      {"Tag", "1.5", true},
      {"Color", "clNotAColour", true},
      {"Letter", "ab", true},
      {"Letter", "", true},
      {"Letter", "#300", true},
      {"Align", "alMiddle", true},
      {"Enabled", "yes", true},
      {"Options", "[soFirst,soFourth]", true},
      {"Options", "[soFirst", true},
      {"Options", "[soFirst,]", true},
      {"Scale", "1,5", true},
      {"Ratio", "abc", true},
      {"Ratio", "", true},
      {"Price", "1e", true},
      {"Buddy", "Ghost", false},
      {"Font", "Arial", false},  // an object has no text of its own
      {"Version", "2.0", false},  // read-only
      {"OnClick", "NoSuchHandler", false},
      {"OnKey", "ButtonClick", false},  // another signature
      {"Data", "ABC", true},
      {"Data", "0G", true},
      {"Font.Style", "[fsBold,fsHuge]", true},
      {"Font.Charset", "300", true},
      {"Name", "1abc", false},  // EComponentError, which is not a property error
  };
  auto Before = Snapshot(Sample);
  for (const TCase& Case : Cases) {
    try {
      SetPropText(Sample, Case.Name, Case.Text);
      ADD_FAILURE() << Case.Name << " = '" << Case.Text << "' was accepted";
    } catch (const EConvertError& E) {
      EXPECT_TRUE(Case.ConvertError) << Case.Name << ": " << E.Message();
      EXPECT_FALSE(E.Message().empty());
    } catch (const EPropertyError& E) {
      EXPECT_FALSE(Case.ConvertError) << Case.Name << ": " << E.Message();
    } catch (const EComponentError&) {
      EXPECT_STREQ(Case.Name, "Name");
    }
    EXPECT_EQ(Snapshot(Sample), Before) << Case.Name << " = '" << Case.Text << "'";
  }
  // Typed writes are range-checked the same way.
  EXPECT_THROW(SetOrdProp(Sample, "Align", 6), EConvertError);
  EXPECT_THROW(SetOrdProp(Sample, "Options", 1 << 3), EConvertError);
  EXPECT_THROW(SetOrdProp(Sample, "Letter", 256), EConvertError);
  EXPECT_THROW(GetStrProp(Sample, "Count"), EPropertyError);
  EXPECT_THROW(SetStrProp(Sample, "Version", "x"), EPropertyError);
  EXPECT_THROW(GetEnumProp(Sample, "Options"), EPropertyError);
  EXPECT_THROW(GetFloatProp(Sample, "Caption"), EPropertyError);
  EXPECT_EQ(Snapshot(Sample), Before);

  try {
    SetPropText(Sample, "Nope", "1");
  } catch (const EPropertyError& E) {
    EXPECT_EQ(E.Message(), "Property TSample.Nope does not exist");
  }
  try {
    SetPropText(Sample, "Count", "12x");
  } catch (const EConvertError& E) {
    EXPECT_EQ(E.Message(), "'12x' is not a valid integer value (property TSample.Count)");
  }
}

TEST_F(PropertyRegistry, BindsEventHandlersByName) {
  SetPropText(Sample, "OnClick", "ButtonClick");
  SetPropText(Other, "OnClick", "OtherClick");
  ASSERT_TRUE(Sample->OnClick);
  Sample->OnClick(Sample);
  Other->OnClick(Other);
  EXPECT_EQ(Form.Clicks, (std::vector<std::string>{"ButtonClick:Sample", "OtherClick:Other"}));
  EXPECT_EQ(GetEventHandlerName(Sample, "OnClick"), "ButtonClick");

  // Any signature: the key handler changes the key through its reference.
  SetEventHandler(Sample, "OnKey", "KeyDown");
  int Key = 13;
  Sample->OnKey(Sample, Key);
  EXPECT_EQ(Key, 0);
  EXPECT_EQ(GetPropText(Sample, "OnKey"), "KeyDown");

  // The form's own events find the form's handlers too.
  SetPropText(&Form, "OnShow", "FormShow");
  Form.OnShow(&Form);
  EXPECT_EQ(Form.Clicks.back(), "FormShow");

  // An event assigned in code has no handler name; clearing by text empties it.
  Sample->OnClick = [](TObject*) {};
  EXPECT_EQ(GetPropText(Sample, "OnClick"), "");
  EXPECT_TRUE(GetPropInfo(Sample, "OnClick")->HasHandler(Sample));
  SetPropText(Sample, "OnClick", "");
  EXPECT_FALSE(Sample->OnClick);

  // The handler table itself.
  TObject* Target = nullptr;
  const THandlerInfo* Handler = FindHandler(Sample, "keydown", Target);
  ASSERT_NE(Handler, nullptr);
  EXPECT_EQ(Target, &Form);
  EXPECT_EQ(Handler->Name(), "KeyDown");
  EXPECT_TRUE(Handler->Signature() == typeid(void(TObject*, int&)));
  EXPECT_EQ(FindHandler(Sample, "Missing", Target), nullptr);
}

TEST_F(PropertyRegistry, ResolvesComponentReferencesByName) {
  TComponent Root2(nullptr);
  Root2.SetName("Form2");
  auto* Far = new TSample(&Root2);
  Far->SetName("Far");
  int Id = RegisterFindGlobalComponentProc(
      [&](std::string_view Name) -> TComponent* { return SameIdent(Name, "Form2") ? &Root2 : nullptr; });

  SetPropText(Sample, "Buddy", "other");
  EXPECT_EQ(Sample->Buddy(), Other);
  SetPropText(Sample, "Buddy", "Form2.Far");
  EXPECT_EQ(Sample->Buddy(), Far);
  EXPECT_EQ(GetPropText(Sample, "Buddy"), "Form2.Far");
  // The sample's own form is found by name, but it is no TSample.
  EXPECT_THROW(SetPropText(Sample, "Buddy", "Form1"), EPropertyError);
  EXPECT_EQ(Sample->Buddy(), Far);

  // The referenced component goes: the holder hears of it and lets go.
  delete Far;
  EXPECT_EQ(Sample->Buddy(), nullptr);
  EXPECT_EQ(GetPropText(Sample, "Buddy"), "");
  EXPECT_THROW(SetPropText(Sample, "Buddy", "Form2.Far"), EPropertyError);
  UnRegisterFindGlobalComponentProc(Id);
  EXPECT_THROW(SetPropText(Sample, "Buddy", "Form2.Anything"), EPropertyError);
}

TEST_F(PropertyRegistry, BindsComponentFieldsByName) {
  EXPECT_EQ(Form.Button1, nullptr);
  auto* Button = new TSample(&Form);
  Button->SetName("Button1");
  EXPECT_EQ(Form.Button1, Button);
  Button->SetName("Button2");
  EXPECT_EQ(Form.Button1, nullptr);
  Button->SetName("button1");
  EXPECT_EQ(Form.Button1, Button);
  delete Button;
  EXPECT_EQ(Form.Button1, nullptr);

  // A component of another class never lands in the field.
  auto* Plain = new TComponent(&Form);
  Plain->SetName("Font1");
  EXPECT_EQ(Form.Font1, nullptr);
  ASSERT_NE(TSampleForm::StaticClassInfo()->FindField("FONT1"), nullptr);
  EXPECT_EQ(TSampleForm::StaticClassInfo()->FindField("FONT1")->FieldClass(), TSample::StaticClassInfo());
  EXPECT_EQ(TSampleForm::StaticClassInfo()->Fields().size(), 2u);
}

TEST(ClassRegistry, FindsClassesByNameAndCreatesComponents) {
  RegisterClasses<TSample, TSampleForm>();
  RegisterClass(TSample::StaticClassInfo());  // again: no harm
  EXPECT_EQ(FindClass("tsample"), TSample::StaticClassInfo());
  EXPECT_EQ(GetClass("TSampleForm"), TSampleForm::StaticClassInfo());
  EXPECT_EQ(GetClass("TNothing"), nullptr);
  EXPECT_THROW(FindClass("TNothing"), EClassNotFound);

  TSampleForm Owner(nullptr);
  const TClassInfo* Class = FindClass("TSample");
  ASSERT_TRUE(Class->CanCreateComponent());
  TComponent* Made = Class->CreateComponent(&Owner);
  EXPECT_EQ(Made->Owner(), &Owner);
  EXPECT_EQ(Made->ClassName(), "TSample");
  EXPECT_TRUE(Made->InheritsFrom(TBaseSample::StaticClassInfo()));
  EXPECT_FALSE(Made->InheritsFrom(TSampleForm::StaticClassInfo()));
  SetPropText(Made, "Caption", "made by name");
  EXPECT_EQ(dynamic_cast<TSample*>(Made)->Caption, "made by name");

  // Other factories: a plain persistent, a collection item, none for abstract classes.
  EXPECT_TRUE(TFont::StaticClassInfo()->CanCreateInstance());
  std::unique_ptr<TPersistent> Font(TFont::StaticClassInfo()->CreateInstance());
  EXPECT_EQ(Font->ClassName(), "TFont");
  EXPECT_TRUE(TSampleItem::StaticClassInfo()->CanCreateCollectionItem());
  EXPECT_FALSE(TStrings::StaticClassInfo()->CanCreateInstance());  // abstract
  EXPECT_THROW(TFont::StaticClassInfo()->CreateComponent(&Owner), EInvalidOperation);
}

TEST(ClassRegistry, RefusesASecondClassOfTheSameName) {
  static const TClassInfo Impostor = TClassBuilder<TSample, TBaseSample>("TSample").Build();
  RegisterClass(TSample::StaticClassInfo());
  EXPECT_THROW(RegisterClassInfo(&Impostor), EInvalidOperation);
  UnRegisterClassInfo(TSample::StaticClassInfo());
  EXPECT_EQ(GetClass("TSample"), nullptr);
  RegisterClassInfo(&Impostor);
  EXPECT_EQ(GetClass("TSample"), &Impostor);
  // Registering only what is missing leaves a taken name to its class.
  UnRegisterClassInfo(TSampleForm::StaticClassInfo());
  EXPECT_NO_THROW((RegisterMissingClasses<TSample, TSampleForm>()));
  EXPECT_EQ(GetClass("TSample"), &Impostor);
  EXPECT_EQ(GetClass("TSampleForm"), TSampleForm::StaticClassInfo());
  UnRegisterClassInfo(&Impostor);
}

// A descendant that redeclares an inherited property keeps its place in the list.
class TRedeclared : public TSample {
public:
  static const TClassInfo* StaticClassInfo() {
    static const TClassInfo Info =
        TClassBuilder<TRedeclared, TSample>("TRedeclared")
            .Prop("Tag", &TRedeclared::Tag, [](TRedeclared& Self, int32_t V) { Self.SetTag(V < 0 ? 0 : V); })
            .Prop("Extra", &TRedeclared::Extra)
            .Build();
    return &Info;
  }
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  using TSample::TSample;
  int Extra = 0;
};

TEST(ClassRegistry, RedeclaredPropertyKeepsItsPlace) {
  TRedeclared R(nullptr);
  std::vector<std::string> List = Names(GetPropList(&R));
  EXPECT_EQ(List[1], "Tag");
  EXPECT_EQ(List.back(), "Extra");
  EXPECT_EQ(List.size(), GetPropList(TSample::StaticClassInfo()).size() + 1);
  SetPropText(&R, "Tag", "-5");
  EXPECT_EQ(R.Tag(), 0);
}

TEST(FloatText, GeneralFormatByFloatType) {
  struct TCase {
    long double Value;
    TFloatType Type;
    const char* Text;
  };
  const TCase Cases[] = {
      {0, ftDouble, "0"},
      {1, ftDouble, "1"},
      {-0.5L, ftDouble, "-0.5"},
      {1.0L / 3, ftSingle, "0.3333333"},
      {1.0L / 3, ftDouble, "0.333333333333333"},
      {1.0L / 3, ftExtended, "0.333333333333333333"},
      {1234567, ftSingle, "1234567"},
      {12345678, ftSingle, "1.234568E7"},
      {1e14L, ftDouble, "100000000000000"},
      {1e15L, ftDouble, "1E15"},
      {1.5e-7L, ftDouble, "1.5E-7"},
      {123456789012345678.0L, ftComp, "123456789012345678"},
      {123456789.1234L, ftCurr, "123456789.1234"},
      {-0.0001L, ftCurr, "-0.0001"},
      {0.1L, ftCurr, "0.1"},
  };
  for (const TCase& Case : Cases) {
    EXPECT_EQ(FloatToPropText(Case.Value, Case.Type), Case.Text);
    long double Back = 0;
    ASSERT_TRUE(PropTextToFloat(Case.Text, Back)) << Case.Text;
  }
  long double V = 0;
  EXPECT_TRUE(PropTextToFloat(" +2.5e3 ", V));
  EXPECT_EQ(V, 2500);
  EXPECT_TRUE(PropTextToFloat(".5", V));
  EXPECT_EQ(V, 0.5);
  EXPECT_TRUE(PropTextToFloat("-INF", V));
  EXPECT_EQ(FloatToPropText(V, ftDouble), "-INF");
  for (const char* Bad : {"2,5", "--1", "", ".", "1e", "e5", "1.5.2", "0x10", "1 5", "infinity"})
    EXPECT_FALSE(PropTextToFloat(Bad, V)) << Bad;
}

// Float text keeps "." under a locale whose separator is ",".
TEST(FloatText, IndependentOfTheLocale) {
  std::string Saved = std::setlocale(LC_NUMERIC, nullptr);
  bool Switched = false;
  for (const char* Name : {"ru_RU.UTF-8", "ru_RU.utf8", "Russian_Russia.1251", "Russian"})
    if (std::setlocale(LC_NUMERIC, Name) != nullptr) {
      Switched = true;
      break;
    }
  if (!Switched) GTEST_SKIP() << "no locale with a decimal comma here";
  ASSERT_STREQ(std::localeconv()->decimal_point, ",");
  long double V = 0;
  bool Parsed = PropTextToFloat("1.25", V);
  std::string Text = FloatToPropText(2.5L, ftDouble);
  std::setlocale(LC_NUMERIC, Saved.c_str());
  EXPECT_TRUE(Parsed);
  EXPECT_EQ(V, 1.25L);
  EXPECT_EQ(Text, "2.5");
}

}  // namespace
