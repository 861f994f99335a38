// Form resources: parsing the text, and building components from it.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "classlib/core/collection.h"
#include "classlib/core/component.h"
#include "classlib/core/font.h"
#include "classlib/core/form_reader.h"
#include "classlib/core/strings.h"

namespace {

const char* const kEveryKind = R"(object Form1: TForm
  Caption = 'Файлы and ''quotes'''
  Hint = 'one' + #13#10 +
    'two'#1071
  Left = -12
  Mask = $FF
  Ratio = 1.5e2
  Visible = False
  Font.Style = [fsBold, fsItalic]
  Empty = []
  OnClick = Button1Click
  Lines.Strings = (
    'first'
    'второй'
    42)
  Panels = <
    item
      Width = 250
    end
    item
      Text = 'x'
      Width = 50
    end>
  object Panel1: TPanel
    object Button1: TButton
      Caption = '&OK'
    end
  end
  object Timer1: TTimer
  end
end
)";

TEST(FormParser, ReadsEveryKindOfValue) {
  TFormObject F = ParseFormText(kEveryKind, "Form1");
  EXPECT_EQ(F.Name, "Form1");
  EXPECT_EQ(F.ClassName, "TForm");
  ASSERT_EQ(F.Properties.size(), 11u);
  auto Prop = [&](size_t I) -> const TFormProperty& { return F.Properties[I]; };
  EXPECT_EQ(Prop(0).Value.Kind, TFormValueKind::String);
  EXPECT_EQ(Prop(0).Value.Text, "\xD4\xE0\xE9\xEB\xFB and 'quotes'");  // 1251
  EXPECT_EQ(Prop(1).Value.Text, "one\r\ntwo\xDF");
  EXPECT_EQ(Prop(1).Line, 3);
  EXPECT_EQ(Prop(2).Value.Kind, TFormValueKind::Integer);
  EXPECT_EQ(Prop(2).Value.Text, "-12");
  EXPECT_EQ(Prop(2).Line, 5);
  EXPECT_EQ(Prop(3).Value.Text, "255");
  EXPECT_EQ(Prop(4).Value.Kind, TFormValueKind::Float);
  EXPECT_EQ(Prop(5).Value.Kind, TFormValueKind::Ident);
  EXPECT_EQ(Prop(6).Name, "Font.Style");
  EXPECT_EQ(FormValueText(Prop(6).Value), "[fsBold,fsItalic]");
  EXPECT_EQ(FormValueText(Prop(7).Value), "[]");
  EXPECT_EQ(Prop(8).Value.Text, "Button1Click");
  EXPECT_EQ(Prop(9).Value.Kind, TFormValueKind::StringList);
  EXPECT_EQ(FormValueText(Prop(9).Value), "first\r\n\xE2\xF2\xEE\xF0\xEE\xE9\r\n42\r\n");
  const TFormValue& Panels = Prop(10).Value;
  ASSERT_EQ(Panels.Kind, TFormValueKind::Collection);
  ASSERT_EQ(Panels.CollectionItems.size(), 2u);
  EXPECT_EQ(Panels.CollectionItems[1][0].Name, "Text");
  EXPECT_EQ(Panels.CollectionItems[1][1].Value.Text, "50");
  ASSERT_EQ(F.Children.size(), 2u);
  EXPECT_EQ(F.Children[0].Children[0].Name, "Button1");
  EXPECT_EQ(F.Children[0].Children[0].Line, 25);
  EXPECT_EQ(F.Children[1].ClassName, "TTimer");
}

struct TParseErrorCase {
  const char* Text;
  int Line;
  const char* Name;
  const char* What;
};

TEST(FormParser, MalformedTextNamesFormLineAndName) {
  const TParseErrorCase Cases[] = {
      {"object F: TForm\n  Caption = 'open\nend\n", 2, "", "unterminated string"},
      {"object F: TForm\n  object B: TBox\n  end\n", 4, "F", "missing \"end\""},
      {"object : TForm\nend\n", 1, ":", "component name expected"},
      {"object F: TForm\n  Style = [a b]\nend\n", 2, "b", "\",\" expected"},
      {"object F: TForm\n  Caption = '\xE4\xB8\xAD'\nend\n", 2, "U+4E2D", "not in code page 1251"},
      {"object F: TForm\n  Caption = #20013\nend\n", 2, "#20013", "not in code page 1251"},
      {"object F: TForm\n  Width = 12ab\nend\n", 2, "12a", "malformed number"},
      {"object F: TForm\n  Width = 99999999999\nend\n", 2, "99999999999", "out of range"},
      {"object F: TForm\n  Width =\nend\n", 3, "end", "value expected"},
      {"object F: TForm\n  Panels = <\n    item\n      Width = 1\n  >\nend\n", 5, ">", "property name expected"},
      {"object F: TForm\nend\nobject G: TForm\nend\n", 3, "object", "text after the end"},
      {"object F: TForm\n  Caption = 'a' +\nend\n", 3, "", "string expected after +"},
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.Text);
    try {
      ParseFormText(C.Text, "TestForm");
      ADD_FAILURE() << "no error";
    } catch (const EFormError& E) {
      EXPECT_EQ(E.Form, "TestForm");
      EXPECT_EQ(E.Line, C.Line);
      EXPECT_EQ(E.Name, C.Name);
      EXPECT_NE(E.Message().find(C.What), std::string::npos) << E.Message();
      EXPECT_NE(E.Message().find("TestForm"), std::string::npos) << E.Message();
      EXPECT_NE(E.Message().find("line " + std::to_string(C.Line)), std::string::npos) << E.Message();
    }
  }
}

// ---------------------------------------------------------------------------------------
// Reading components.

enum TTestKind { tkdOne, tkdTwo, tkdThree };

std::vector<std::string> LoadLog;

class TTestItem : public TCollectionItem {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  explicit TTestItem(TCollection* C) : TCollectionItem(C) {}
  int Width = 0;
  std::string Text;
};

class TTestForm;

class TTestBox : public TComponent {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  explicit TTestBox(TComponent* Owner) : TComponent(Owner), Panels(TTestItem::StaticClassInfo(), this) {}

  bool HasParent() const override { return true; }
  void SetParentComponent(TComponent* P) override;
  void Loaded() override {
    TComponent::Loaded();
    LoadLog.push_back(Name());
  }

  TComponent* ParentBox = nullptr;
  int Width = 0;
  bool Visible = true;
  double Ratio = 0;
  std::string Caption;
  TTestKind Kind = tkdOne;
  TColor Color = clBlack;
  TFont Font;
  TStringList Items;
  TCollection Panels;
  TTestBox* Buddy = nullptr;
  TNotifyEvent OnClick;
  std::function<void(TObject*, int&)> OnCount;
};

class TTestForm : public TComponent {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  explicit TTestForm(TComponent* Owner) : TComponent(Owner) {}
  void Loaded() override {
    TComponent::Loaded();
    LoadLog.push_back(Name());
  }
  void BoxClick(TObject* Sender) { Clicked = Sender; }
  void BoxCount(TObject*, int& N) { N += 10; }
  std::string Caption;
  TNotifyEvent OnCreate;
  TObject* Clicked = nullptr;
  TTestBox* Outer = nullptr;
  TTestBox* Inner = nullptr;
};

// A form class that wants a component the text may not have.
class TFieldForm : public TTestForm {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  using TTestForm::TTestForm;
  TTestBox* Missing = nullptr;
};

// A component that holds no others.
class TTestPlain : public TComponent {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  using TComponent::TComponent;
};

void TTestBox::SetParentComponent(TComponent* P) {
  if (dynamic_cast<TTestBox*>(P) == nullptr && dynamic_cast<TTestForm*>(P) == nullptr)
    throw EComponentError("a box goes into a box or a form");
  ParentBox = P;
}

}  // namespace

template <> const TTypeInfo* TypeInfoOf<TTestKind>() {
  static const TTypeInfo Info = EnumTypeInfo("TTestKind", {"tkdOne", "tkdTwo", "tkdThree"});
  return &Info;
}

namespace {

const TClassInfo* TTestItem::StaticClassInfo() {
  static const TClassInfo Info = TClassBuilder<TTestItem, TCollectionItem>("TTestItem")
                                     .Prop("Width", &TTestItem::Width)
                                     .Prop("Text", &TTestItem::Text)
                                     .Build();
  return &Info;
}

const TClassInfo* TTestBox::StaticClassInfo() {
  static const TClassInfo Info =
      TClassBuilder<TTestBox, TComponent>("TTestBox")
          .Prop("Width", &TTestBox::Width)
          .Prop("Visible", &TTestBox::Visible)
          .Prop("Ratio", &TTestBox::Ratio)
          .Prop("Caption", &TTestBox::Caption)
          .Prop("Kind", &TTestBox::Kind)
          .Prop("Color", &TTestBox::Color)
          .Prop("Font", [](const TTestBox& B) { return const_cast<TFont*>(&B.Font); }, nullptr)
          .Prop("Items", [](const TTestBox& B) { return const_cast<TStringList*>(&B.Items); }, nullptr)
          .Prop("Panels", [](const TTestBox& B) { return const_cast<TCollection*>(&B.Panels); }, nullptr)
          .Prop("Buddy", &TTestBox::Buddy)
          .Prop("OnClick", &TTestBox::OnClick)
          .Prop("OnCount", &TTestBox::OnCount)
          .Build();
  return &Info;
}

const TClassInfo* TTestForm::StaticClassInfo() {
  static const TClassInfo Info = TClassBuilder<TTestForm, TComponent>("TTestForm")
                                     .Prop("Caption", &TTestForm::Caption)
                                     .Prop("OnCreate", &TTestForm::OnCreate)
                                     .Handler("BoxClick", &TTestForm::BoxClick)
                                     .Handler("BoxCount", &TTestForm::BoxCount)
                                     .Field("Outer", &TTestForm::Outer)
                                     .Field("Inner", &TTestForm::Inner)
                                     .Build();
  return &Info;
}

const TClassInfo* TFieldForm::StaticClassInfo() {
  static const TClassInfo Info =
      TClassBuilder<TFieldForm, TTestForm>("TFieldForm").Field("Missing", &TFieldForm::Missing).Build();
  return &Info;
}

const TClassInfo* TTestPlain::StaticClassInfo() {
  static const TClassInfo Info = TClassBuilder<TTestPlain, TComponent>("TTestPlain").Build();
  return &Info;
}

void RegisterTestClasses() {
  static bool Done = (RegisterClasses<TTestBox, TTestPlain, TTestItem>(), true);
  (void)Done;
}

const char* const kBoxes = R"(object TestForm: TTestForm
  Caption = 'Окно'
  OnCreate = BoxClick
  object Outer: TTestBox
    Width = 250
    Visible = False
    Ratio = 0.25
    Kind = tkdThree
    Color = clRed
    Font.Name = 'Arial'
    Font.Style = [fsBold, fsItalic]
    Buddy = Inner
    OnClick = BoxClick
    OnCount = BoxCount
    Items.Strings = (
      'a'
      'Файлы')
    Panels = <
      item
        Width = 250
      end
      item
        Width = 50
        Text = 'two'
      end>
    object Inner: TTestBox
      Caption = 'inner'
      Color = $00408000
    end
  end
end
)";

TEST(FormReader, BuildsNestedComponentsWithEveryKindOfProperty) {
  RegisterTestClasses();
  LoadLog.clear();
  TTestForm Form(nullptr);
  ReadFormText(&Form, kBoxes, "TestForm");
  EXPECT_EQ(Form.Name(), "TestForm");
  EXPECT_EQ(Form.Caption, "\xCE\xEA\xED\xEE");
  ASSERT_EQ(Form.ComponentCount(), 2);
  ASSERT_NE(Form.Outer, nullptr);  // fields bound by name
  ASSERT_NE(Form.Inner, nullptr);
  TTestBox& O = *Form.Outer;
  EXPECT_EQ(O.Owner(), &Form);
  EXPECT_EQ(Form.Inner->Owner(), &Form);
  EXPECT_EQ(O.ParentBox, &Form);
  EXPECT_EQ(Form.Inner->ParentBox, &O);
  EXPECT_EQ(O.Width, 250);
  EXPECT_FALSE(O.Visible);
  EXPECT_DOUBLE_EQ(O.Ratio, 0.25);
  EXPECT_EQ(O.Kind, tkdThree);
  EXPECT_EQ(O.Color, clRed);
  EXPECT_EQ(Form.Inner->Color, TColor(0x408000));
  EXPECT_EQ(O.Font.Name(), "Arial");
  EXPECT_TRUE(O.Font.Style() == (TFontStyles{fsBold, fsItalic}));
  EXPECT_EQ(O.Buddy, Form.Inner);  // a reference to a component read later
  ASSERT_EQ(O.Items.Count(), 2);
  EXPECT_EQ(O.Items[1], "\xD4\xE0\xE9\xEB\xFB");
  ASSERT_EQ(O.Panels.Count(), 2);
  EXPECT_EQ(static_cast<TTestItem*>(O.Panels.Items(0))->Width, 250);
  EXPECT_EQ(static_cast<TTestItem*>(O.Panels.Items(1))->Text, "two");
  // Handlers are the form's methods.
  ASSERT_TRUE(O.OnClick);
  O.OnClick(&O);
  EXPECT_EQ(Form.Clicked, &O);
  int N = 1;
  O.OnCount(&O, N);
  EXPECT_EQ(N, 11);
  EXPECT_EQ(GetEventHandlerName(&O, "OnClick"), "BoxClick");
  ASSERT_TRUE(Form.OnCreate);
  // Everything leaves the loading state, the form last.
  EXPECT_EQ(LoadLog, (std::vector<std::string>{"Outer", "Inner", "TestForm"}));
  EXPECT_FALSE(O.ComponentState().Contains(csLoading));
  EXPECT_FALSE(Form.ComponentState().Contains(csLoading));
}

struct TReadErrorCase {
  const char* Replace;  // a line of kBoxes ...
  const char* With;     // ... replaced by this
  int Line;
  const char* Name;
  const char* What;
};

TEST(FormReader, EachKindOfErrorNamesFormLineAndName) {
  RegisterTestClasses();
  const TReadErrorCase Cases[] = {
      {"object Inner: TTestBox", "object Inner: TNoSuchBox", 26, "TNoSuchBox", "unknown class"},
      {"object Inner: TTestBox", "object Inner: TTestItem", 26, "TTestItem", "not a component class"},
      {"Width = 250\n    Visible", "Hieght = 250\n    Visible", 5, "Hieght", "unknown property"},
      {"Font.Name = 'Arial'", "Font.Nmae = 'Arial'", 10, "Font.Nmae", "unknown property"},
      {"Width = 250\n    Visible", "Width.X = 250\n    Visible", 5, "Width.X", "not an object property"},
      {"OnClick = BoxClick", "OnClick = BoxClik", 13, "BoxClik", "unknown handler"},
      {"OnClick = BoxClick", "OnClick = BoxCount", 13, "BoxCount", "does not fit OnClick"},
      {"OnClick = BoxClick", "OnClick = 'BoxClick'", 13, "OnClick", "handler name expected"},
      {"Buddy = Inner", "Buddy = Nobody", 12, "Nobody", "unknown component"},
      {"Visible = False", "Visible = Maybe", 6, "Visible", "invalid value"},
      {"Kind = tkdThree", "Kind = tkdFour", 8, "Kind", "invalid value"},
      {"Ratio = 0.25", "Ratio = [a]", 7, "Ratio", "invalid value"},
      {"Color = clRed", "Color = ('x')", 9, "Color", "not a string list"},
      {"Color = clRed", "Color = <>", 9, "Color", "not a collection"},
      {"Text = 'two'", "Txt = 'two'", 24, "Txt", "unknown property"},
      {"object Inner: TTestBox", "object Outer: TTestBox", 26, "Outer", "duplicate component name"},
      {"object TestForm: TTestForm", "object TestForm: TOtherForm", 1, "TOtherForm", "not of class TTestForm"},
  };
  for (const auto& C : Cases) {
    std::string Text = kBoxes;
    size_t At = Text.find(C.Replace);
    ASSERT_NE(At, std::string::npos) << C.Replace;
    Text.replace(At, std::strlen(C.Replace), C.With);
    SCOPED_TRACE(C.With);
    TTestForm Form(nullptr);
    try {
      ReadFormText(&Form, Text, "TestForm");
      ADD_FAILURE() << "no error";
    } catch (const EFormError& E) {
      EXPECT_EQ(E.Line, C.Line) << E.Message();
      EXPECT_EQ(E.Name, C.Name) << E.Message();
      EXPECT_NE(E.Message().find(C.What), std::string::npos) << E.Message();
      EXPECT_NE(E.Message().find("TestForm"), std::string::npos) << E.Message();
    }
    // Nothing half-read is left on the form.
    EXPECT_EQ(Form.ComponentCount(), 0);
  }
}

TEST(FormReader, PlacementAndFieldErrors) {
  RegisterTestClasses();
  {
    // A field of the form class without its component in the text.
    TFieldForm Form(nullptr);
    std::string Text = kBoxes;
    Text.replace(Text.find("TTestForm"), 9, "TFieldForm");
    try {
      ReadFormText(&Form, Text, "FieldForm");
      ADD_FAILURE() << "no error";
    } catch (const EFormError& E) {
      EXPECT_EQ(E.Name, "Missing");
      EXPECT_EQ(E.Line, 1);
    }
    EXPECT_EQ(Form.ComponentCount(), 0);
    EXPECT_EQ(Form.Outer, nullptr);  // the fields let go of the components taken back
  }
  {
    // A field whose component is of another class.
    TFieldForm Form(nullptr);
    std::string Text = kBoxes;
    Text.replace(Text.find("TTestForm"), 9, "TFieldForm");
    Text.replace(Text.rfind("end\n"), 0, "  object Missing: TTestPlain\n  end\n");
    try {
      ReadFormText(&Form, Text, "FieldForm");
      ADD_FAILURE() << "no error";
    } catch (const EFormError& E) {
      EXPECT_EQ(E.Name, "Missing");
      EXPECT_NE(E.Message().find("class does not fit"), std::string::npos) << E.Message();
    }
    EXPECT_EQ(Form.Missing, nullptr);
  }
  {
    // A component that its enclosing component cannot hold.
    TTestForm Form(nullptr);
    std::string Text = kBoxes;
    Text.replace(Text.find("  object Outer"), 0, "  object Plain: TTestPlain\n");
    Text.replace(Text.rfind("end\n"), 0, "end\n");
    try {
      ReadFormText(&Form, Text, "TestForm");
      ADD_FAILURE() << "no error";
    } catch (const EFormError& E) {
      EXPECT_EQ(E.Name, "Outer");
      EXPECT_EQ(E.Line, 5);
      EXPECT_NE(E.Message().find("TTestBox cannot be placed in TTestPlain"), std::string::npos) << E.Message();
    }
    EXPECT_EQ(Form.ComponentCount(), 0);
  }
}

}  // namespace
