// Property storage: the text form of every kind, nested objects, string lists, collections
// and component references, through a registry-like store and through an INI file.
#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>

#include "classlib/core/collection.h"
#include "classlib/core/component.h"
#include "classlib/core/exception.h"
#include "classlib/core/font.h"
#include "classlib/core/ini_file.h"
#include "classlib/core/strings.h"
#include "classlib/core/sys_utils.h"
#include "mem_storage.h"
#include "storage/core/placement_record.h"
#include "storage/core/props_storage.h"
#include "tests/classlib/temp_folder.h"

namespace {

class TColumn : public TCollectionItem {
public:
  static const TClassInfo* StaticClassInfo() {
    static const TClassInfo Info = TClassBuilder<TColumn, TCollectionItem>("TColumn")
                                       .Prop("Caption", &TColumn::Caption)
                                       .Prop("Width", &TColumn::Width)
                                       .Build();
    return &Info;
  }
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  using TCollectionItem::TCollectionItem;
  std::string Caption;
  int Width = 50;
};

// A control with a published property of every kind the storage knows.
class TSampleControl : public TComponent {
public:
  static const TClassInfo* StaticClassInfo() {
    static const TClassInfo Info =
        TClassBuilder<TSampleControl, TComponent>("TSampleControl")
            .Prop("Checked", &TSampleControl::Checked)
            .Prop("Caption", &TSampleControl::Caption)
            .Prop("Count", &TSampleControl::Count)
            .Prop("Big", &TSampleControl::Big)
            .Prop("Color", &TSampleControl::Color)
            .Prop("Ratio", &TSampleControl::Ratio)
            .Prop("Scale", &TSampleControl::Scale)
            .Prop("Letter", &TSampleControl::Letter)
            .Prop("Styles", &TSampleControl::Styles)
            .Prop("Pitch", &TSampleControl::Pitch)
            .Prop("Font", &TSampleControl::Font, &TSampleControl::SetFont)
            .Prop("Lines", &TSampleControl::Lines, &TSampleControl::SetLines)
            .Prop("Columns", &TSampleControl::Columns, nullptr)
            .Prop("Buddy", &TSampleControl::Buddy, &TSampleControl::SetBuddy)
            .Prop("Data", &TSampleControl::Data)
            .Prop("OnClick", &TSampleControl::OnClick)
            .Build();
    return &Info;
  }
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  explicit TSampleControl(TComponent* AOwner) : TComponent(AOwner), FColumns(TColumn::StaticClassInfo(), this) {}

  bool Checked = false;
  std::string Caption;
  int Count = 0;
  unsigned Big = 0;
  TColor Color = clBtnFace;
  double Ratio = 0;
  float Scale = 0;
  char Letter = 'a';
  TFontStyles Styles;
  TFontPitch Pitch = fpDefault;
  TBytes Data;
  TNotifyEvent OnClick;

  TFont* Font() const { return &FFont; }
  void SetFont(TFont* Value) { FFont.Assign(Value); }
  TStrings* Lines() const { return &FLines; }
  void SetLines(TStrings* Value) { FLines.Assign(Value); }
  TCollection* Columns() const { return &FColumns; }
  TComponent* Buddy() const { return FBuddy; }
  void SetBuddy(TComponent* Value) { FBuddy = Value; }

private:
  mutable TFont FFont;
  mutable TStringList FLines;
  mutable TCollection FColumns;
  TComponent* FBuddy = nullptr;
};

struct TSampleForm {
  std::unique_ptr<TComponent> Form = std::make_unique<TComponent>(nullptr);
  TSampleControl* C1;
  TSampleControl* C2;
  TStringList Stored;
  TSampleForm() {
    Form->SetName("Form1");
    C1 = new TSampleControl(Form.get());
    C1->SetName("C1");
    C2 = new TSampleControl(Form.get());
    C2->SetName("C2");
  }
  void Bind(std::initializer_list<const char*> Lines) {
    Stored.Clear();
    for (const char* L : Lines) Stored.Add(L);
    UpdateStoredList(Form.get(), &Stored, true);
  }
};

// A property storage over a TCustomIniFile, with the access rules of the settings storage.
struct TStorageOver {
  TPropsStorage Storage;
  explicit TStorageOver(TCustomIniFile* Ini, const std::string& Section = "Form") {
    Storage.SetSection(Section);
    Storage.OnReadString = [Ini](const std::string& S, const std::string& K, const std::string& D) {
      return IniReadString(Ini, S, K, D);
    };
    Storage.OnWriteString = [Ini](const std::string& S, const std::string& K, const std::string& V) {
      IniWriteString(Ini, S, K, V);
    };
    Storage.OnEraseSection = [Ini](const std::string& S) { Ini->EraseSection(S); };
  }
};

void FillSample(TSampleControl* C) {
  C->Checked = true;
  C->Caption = "Caption with \"quotes\"";
  C->Count = -42;
  C->Big = 4000000000u;
  C->Color = clWindow;
  C->Ratio = 0.1;
  C->Scale = 1.5f;
  C->Letter = 'Z';
  C->Styles = {fsBold, fsItalic};
  C->Pitch = fpFixed;
  C->Font()->SetName("Courier New");
  C->Font()->SetSize(12);
  C->Font()->SetStyle({fsUnderline});
  C->Lines()->SetText("first\r\n  indented\r\n'quoted'\r\n");
  C->Columns()->Clear();
  for (int I = 0; I < 3; ++I) {
    auto* Col = static_cast<TColumn*>(C->Columns()->Add());
    Col->Caption = "Col" + IntToStr(I);
    Col->Width = 10 * (I + 1);
  }
}

void ExpectSample(TSampleControl* C) {
  EXPECT_TRUE(C->Checked);
  EXPECT_EQ(C->Caption, "Caption with \"quotes\"");
  EXPECT_EQ(C->Count, -42);
  EXPECT_EQ(C->Big, 4000000000u);
  EXPECT_EQ(C->Color, clWindow);
  EXPECT_DOUBLE_EQ(C->Ratio, 0.1);
  EXPECT_FLOAT_EQ(C->Scale, 1.5f);
  EXPECT_EQ(C->Letter, 'Z');
  EXPECT_TRUE(C->Styles == (TFontStyles{fsBold, fsItalic}));
  EXPECT_EQ(C->Pitch, fpFixed);
  EXPECT_EQ(C->Font()->Name(), "Courier New");
  EXPECT_EQ(C->Font()->Size(), 12);
  EXPECT_TRUE(C->Font()->Style() == TFontStyles{fsUnderline});
  EXPECT_EQ(C->Lines()->Text(), "first\r\n  indented\r\n'quoted'\r\n");
  ASSERT_EQ(C->Columns()->Count(), 3);
  EXPECT_EQ(static_cast<TColumn*>(C->Columns()->Items(2))->Caption, "Col2");
  EXPECT_EQ(static_cast<TColumn*>(C->Columns()->Items(2))->Width, 30);
}

const std::initializer_list<const char*> kAllProps = {
    "C1.Checked", "C1.Caption", "C1.Count",  "C1.Big",   "C1.Color",   "C1.Ratio", "C1.Scale",
    "C1.Letter",  "C1.Styles",  "C1.Pitch",  "C1.Font",  "C1.Lines",   "C1.Columns"};

}  // namespace

TEST(PropsStorage, EveryKindComesBackFromRegistryAndIniFile) {
  TTempFolder Dir;
  TMemStorage Reg;
  TIniFile Ini(Dir / "props.ini");
  for (TCustomIniFile* Store : {static_cast<TCustomIniFile*>(&Reg), static_cast<TCustomIniFile*>(&Ini)}) {
    SCOPED_TRACE(Store == &Reg ? "registry" : "ini");
    {
      TSampleForm F;
      FillSample(F.C1);
      F.Bind(kAllProps);
      TStorageOver(Store).Storage.StoreObjectsProps(F.Form.get(), &F.Stored);
    }
    TSampleForm F;
    F.Bind(kAllProps);
    TStorageOver(Store).Storage.LoadObjectsProps(F.Form.get(), &F.Stored);
    ExpectSample(F.C1);
  }
}

TEST(PropsStorage, KeysAndTexts) {
  TMemStorage Reg;
  TSampleForm F;
  FillSample(F.C1);
  F.C1->Caption = "  Text  ";
  F.Bind(kAllProps);
  TStorageOver(&Reg).Storage.StoreObjectsProps(F.Form.get(), &F.Stored);
  struct {
    const char* Section;
    const char* Key;
    const char* Text;
  } Expected[] = {
      {"Form", "C1_Checked", "True"},
      {"Form", "C1_Caption", "Text"},  // trimmed
      {"Form", "C1_Count", "-42"},
      {"Form", "C1_Big", "4000000000"},
      {"Form", "C1_Color", "-2147483643"},  // a system colour is a negative number
      {"Form", "C1_Ratio", "0.1"},
      {"Form", "C1_Scale", "1.5"},
      {"Form", "C1_Letter", "Z"},
      {"Form", "C1_Styles", "[fsBold,fsItalic]"},
      {"Form", "C1_Pitch", "fpFixed"},
      {"Form", "C1_FontName", "Courier New"},
      {"Form", "C1_FontSize", "12"},
      {"Form", "C1_FontStyle", "[fsUnderline]"},
      {"Form", "C1_FontColor", "-2147483640"},
      {"Form.C1_Lines", "Count", "3"},
      {"Form.C1_Lines", "Item0", "first"},
      {"Form.C1_Lines", "Item1", "  indented"},  // list lines are not trimmed
      {"Form", "C1_Columns.Count", "3"},
      {"Form.C1_Columns", "Item1_Caption", "Col1"},
      {"Form.C1_Columns", "Item1_Width", "20"},
  };
  for (auto& E : Expected) EXPECT_EQ(Reg.ReadString(E.Section, E.Key, "<none>"), E.Text) << E.Key;
  EXPECT_FALSE(Reg.Has("Form", "C1_OnClick"));
}

TEST(PropsStorage, LoadingAcceptsTextsAndSkipsWhatDoesNotConvert) {
  struct {
    const char* Key;
    const char* Text;
    const char* Prop;
    const char* Expected;  // property text afterwards (GetPropText)
  } Cases[] = {
      {"C1_Checked", "true", "Checked", "True"},
      {"C1_Checked", "maybe", "Checked", "False"},
      {"C1_Styles", "fsItalic fsBold", "Styles", "[fsBold,fsItalic]"},
      {"C1_Styles", "[fsBold, fsNothing]", "Styles", "[fsBold]"},
      {"C1_Styles", "", "Styles", "[]"},
      {"C1_Pitch", "FPVARIABLE", "Pitch", "fpVariable"},
      {"C1_Pitch", "fpOther", "Pitch", "fpDefault"},
      {"C1_Count", "12", "Count", "12"},
      {"C1_Count", "$10", "Count", "16"},
      {"C1_Count", "12abc", "Count", "7"},  // a malformed integer changes nothing
      {"C1_Count", "", "Count", "7"},
      {"C1_Count", "99999999999", "Count", "7"},
      {"C1_Color", "-2147483643", "Color", "clWindow"},
      {"C1_Ratio", " 2.5 ", "Ratio", "2.5"},
      {"C1_Ratio", "2,5", "Ratio", "0"},
      {"C1_Letter", "xyz", "Letter", "x"},
      {"C1_Letter", "", "Letter", "a"},
      {"C1_Caption", "  \"Text\"  ", "Caption", "\"Text\""},
  };
  for (auto& C : Cases) {
    SCOPED_TRACE(std::string(C.Key) + "=" + C.Text);
    TMemStorage Reg;
    Reg.WriteString("Form", C.Key, C.Text);
    TSampleForm F;
    F.C1->Count = 7;
    F.Bind({"C1.Checked", "C1.Styles", "C1.Pitch", "C1.Count", "C1.Color", "C1.Ratio", "C1.Letter", "C1.Caption"});
    TStorageOver(&Reg).Storage.LoadObjectsProps(F.Form.get(), &F.Stored);
    EXPECT_EQ(GetPropText(F.C1, C.Prop), C.Expected);
  }
}

// Bytes (a folder's item-ID list) are kept as hexadecimal text; text that is not whole
// hexadecimal pairs leaves them as they were.
TEST(PropsStorage, BytesAsHexadecimalText) {
  {
    TMemStorage Reg;
    TSampleForm F;
    F.C1->Data = {0x00, 0xFF, 0x10};
    F.Bind({"C1.Data"});
    TStorageOver(&Reg).Storage.StoreObjectsProps(F.Form.get(), &F.Stored);
    EXPECT_EQ(Reg.ReadString("Form", "C1_Data", "?"), "00FF10");
  }
  const struct {
    const char* Text;
    TBytes Expected;
  } Cases[] = {
      {"0aFf", {0x0A, 0xFF}},
      {"", {}},
      {"123", {7}},
      {"0G", {7}},
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.Text);
    TMemStorage Reg;
    Reg.WriteString("Form", "C1_Data", C.Text);
    TSampleForm F;
    F.C1->Data = {7};
    F.Bind({"C1.Data"});
    TStorageOver(&Reg).Storage.LoadObjectsProps(F.Form.get(), &F.Stored);
    EXPECT_EQ(F.C1->Data, C.Expected);
  }
}

TEST(PropsStorage, FloatsUseAPointWhateverTheLocale) {
  TMemStorage Reg;
  char Saved = DecimalSeparator;
  DecimalSeparator = ',';
  {
    TSampleForm F;
    F.C1->Ratio = 1.25;
    F.Bind({"C1.Ratio"});
    TStorageOver(&Reg).Storage.StoreObjectsProps(F.Form.get(), &F.Stored);
  }
  EXPECT_EQ(Reg.ReadString("Form", "C1_Ratio", ""), "1.25");
  TSampleForm F;
  F.Bind({"C1.Ratio"});
  TStorageOver(&Reg).Storage.LoadObjectsProps(F.Form.get(), &F.Stored);
  DecimalSeparator = Saved;
  EXPECT_DOUBLE_EQ(F.C1->Ratio, 1.25);
}

TEST(PropsStorage, MissingKeysLeaveEverythingAsItIs) {
  TMemStorage Reg;
  TSampleForm F;
  FillSample(F.C1);
  F.Bind(kAllProps);
  TStorageOver(&Reg).Storage.LoadObjectsProps(F.Form.get(), &F.Stored);
  ExpectSample(F.C1);
  EXPECT_EQ(Reg.SectionCount(), 0);
}

TEST(PropsStorage, StoredListLines) {
  TSampleForm F;
  F.Stored.Add("C1.Caption");
  F.Stored.Add("C1.");
  F.Stored.Add(".Caption");
  F.Stored.Add("C1");
  F.Stored.Add("Missing.Caption");
  F.Stored.Add(" C2 . Checked ");
  UpdateStoredList(F.Form.get(), &F.Stored, true);
  ASSERT_EQ(F.Stored.Count(), 2);
  EXPECT_EQ(F.Stored[0], "C1.Caption");
  EXPECT_EQ(F.Stored.Objects(0), F.C1);
  EXPECT_EQ(F.Stored.Objects(1), F.C2);

  // A renamed component renames its lines; an unbound line goes.
  F.C2->SetName("Renamed");
  F.Stored.Add("C1.Checked");
  UpdateStoredList(F.Form.get(), &F.Stored, false);
  ASSERT_EQ(F.Stored.Count(), 2);
  EXPECT_EQ(F.Stored[1], "Renamed.Checked");

  std::string Comp, Prop;
  EXPECT_TRUE(ParseStoredItem(" A . B ", Comp, Prop));
  EXPECT_EQ(Comp + "|" + Prop, "A|B");
  EXPECT_TRUE(ParseStoredItem("A.B.C", Comp, Prop));
  EXPECT_EQ(Prop, "B.C");
  EXPECT_EQ(CreateStoredItem("A", ""), "");
  EXPECT_EQ(ReplaceComponentName("A.Caption", "B"), "B.Caption");
  EXPECT_EQ(ReplaceComponentName("A.", "B"), "");
}

TEST(PropsStorage, PropertyNamesAreMatchedWithoutCaseAndStoredAsDeclared) {
  TTempFolder Dir;
  TIniFile Ini(Dir / "a.ini");
  TSampleForm F;
  F.C1->Caption = "x";
  F.Bind({"C1.CAPTION", "C1.NoSuchProp"});
  TStorageOver(&Ini).Storage.StoreObjectsProps(F.Form.get(), &F.Stored);
  TStringList Keys;
  Ini.ReadSection("Form", &Keys);
  EXPECT_EQ(Keys.Text(), "C1_Caption\r\n");
}

TEST(PropsStorage, PropertyListsCheckTheirIndices) {
  TSampleForm F;
  TPropInfoList List(F.C1, tkProperties);
  ASSERT_GT(List.Count(), 1);
  EXPECT_NE(List.Find("caption"), nullptr);
  for (int Bad : {-1, List.Count()}) {
    EXPECT_THROW(List.Items(Bad), std::out_of_range) << Bad;
    EXPECT_THROW(List.Delete(Bad), EListError) << Bad;
  }
  const int Count = List.Count();
  List.Delete(0);
  EXPECT_EQ(List.Count(), Count - 1);
  EXPECT_EQ(TPropInfoList(nullptr, tkProperties).Count(), 0);
}

TEST(PropsStorage, StringLists) {
  TMemStorage Reg;
  {
    // An emptied list is stored as empty and comes back empty.
    TSampleForm F;
    F.Bind({"C1.Lines"});
    TStorageOver(&Reg).Storage.StoreObjectsProps(F.Form.get(), &F.Stored);
    EXPECT_EQ(Reg.ReadString("Form.C1_Lines", "Count", ""), "0");
    TSampleForm G;
    G.C1->Lines()->SetText("designed\r\n");
    G.Bind({"C1.Lines"});
    TStorageOver(&Reg).Storage.LoadObjectsProps(G.Form.get(), &G.Stored);
    EXPECT_EQ(G.C1->Lines()->Count(), 0);
  }
  struct {
    const char* Count;
    const char* Expected;
  } Cases[] = {
      {nullptr, "designed\r\n"},      // nothing stored
      {"abc", "designed\r\n"},        // a malformed count changes nothing
      {"-1", "designed\r\n"},
      {"2", "one\r\ntwo\r\n"},
      {"1000000000", "one\r\ntwo\r\n"},  // stops at the first missing item
  };
  for (auto& C : Cases) {
    SCOPED_TRACE(C.Count ? C.Count : "(none)");
    TMemStorage Store;
    if (C.Count) {
      Store.WriteString("Form.C1_Lines", "Count", C.Count);
      Store.WriteString("Form.C1_Lines", "Item0", "one");
      Store.WriteString("Form.C1_Lines", "Item1", "two");
    }
    TSampleForm G;
    G.C1->Lines()->SetText("designed\r\n");
    G.Bind({"C1.Lines"});
    TStorageOver(&Store).Storage.LoadObjectsProps(G.Form.get(), &G.Stored);
    EXPECT_EQ(G.C1->Lines()->Text(), C.Expected);
  }
}

TEST(PropsStorage, CollectionsOfTwoComponentsKeepTheirOwnCounts) {
  TMemStorage Reg;
  {
    TSampleForm F;
    FillSample(F.C1);  // three columns
    F.C2->Columns()->Add();
    F.Bind({"C1.Columns", "C2.Columns"});
    TStorageOver(&Reg).Storage.StoreObjectsProps(F.Form.get(), &F.Stored);
  }
  EXPECT_EQ(Reg.ReadString("Form", "C1_Columns.Count", ""), "3");
  EXPECT_EQ(Reg.ReadString("Form", "C2_Columns.Count", ""), "1");
  TSampleForm F;
  F.Bind({"C1.Columns", "C2.Columns"});
  TStorageOver(&Reg).Storage.LoadObjectsProps(F.Form.get(), &F.Stored);
  EXPECT_EQ(F.C1->Columns()->Count(), 3);
  EXPECT_EQ(F.C2->Columns()->Count(), 1);
}

TEST(PropsStorage, CollectionCountsAreBoundedByTheStoredItems) {
  struct {
    const char* Key;
    const char* Count;
    int Items;       // items written to the sub-section, Width 1, 2...
    int Expected;    // columns afterwards; the form has 2 of Width 50
    int FirstWidth;  // of the first column afterwards
  } Cases[] = {
      {"C1_Columns.Count", "4", 4, 4, 1},
      {"C1_Columns.Count", "1000000000", 3, 3, 1},
      {"C1_Columns.Count", "0", 0, 0, 0},
      {"C1_Columns.Count", "abc", 4, 2, 50},  // a malformed count changes nothing
      {"C1_Columns.Count", "5", 0, 2, 50},    // no item at all: damaged, left alone
      {"Columns.Count", "3", 3, 3, 1},        // written without the prefix by earlier versions
      {nullptr, nullptr, 4, 2, 1},            // no count: the items there are loaded
  };
  for (auto& C : Cases) {
    SCOPED_TRACE(std::string(C.Key ? C.Key : "") + "=" + (C.Count ? C.Count : ""));
    TMemStorage Reg;
    if (C.Key) Reg.WriteString("Form", C.Key, C.Count);
    for (int I = 0; I < C.Items; ++I) Reg.WriteString("Form.C1_Columns", Format("Item%d_Width", {I}), IntToStr(I + 1));
    TSampleForm F;
    F.C1->Columns()->Add();
    F.C1->Columns()->Add();
    F.Bind({"C1.Columns"});
    TStorageOver(&Reg).Storage.LoadObjectsProps(F.Form.get(), &F.Stored);
    ASSERT_EQ(F.C1->Columns()->Count(), C.Expected);
    if (C.Expected > 0) {
      EXPECT_EQ(static_cast<TColumn*>(F.C1->Columns()->Items(0))->Width, C.FirstWidth);
    }
  }
}

TEST(PropsStorage, ComponentReferences) {
  TSampleForm F;
  auto Other = std::make_unique<TComponent>(nullptr);
  Other->SetName("Form2");
  auto* Remote = new TComponent(Other.get());
  Remote->SetName("Edit1");
  int Finder = RegisterFindGlobalComponentProc([&](std::string_view Name) -> TComponent* {
    return SameText(Name, "Form2") ? Other.get() : nullptr;
  });
  struct {
    TComponent* Buddy;
    const char* Text;
  } Stores[] = {{nullptr, "(null)"}, {nullptr, nullptr}, {Remote, "Form2.Edit1"}};
  Stores[1].Buddy = F.C2;
  Stores[1].Text = "C2";
  for (auto& S : Stores) {
    TMemStorage Reg;
    F.C1->SetBuddy(S.Buddy);
    F.Bind({"C1.Buddy"});
    TStorageOver(&Reg).Storage.StoreObjectsProps(F.Form.get(), &F.Stored);
    EXPECT_EQ(Reg.ReadString("Form", "C1_Buddy", ""), S.Text);
    F.C1->SetBuddy(F.C1);
    TStorageOver(&Reg).Storage.LoadObjectsProps(F.Form.get(), &F.Stored);
    EXPECT_EQ(F.C1->Buddy(), S.Buddy) << S.Text;
  }
  struct {
    const char* Text;
    TComponent* Expected;
  } Loads[] = {
      {"(NULL)", nullptr},
      {"c2", F.C2},
      {"Form2.NoSuch", nullptr},  // the root exists, the component does not
      {"NoRoot.Edit1", F.C1},     // no root: unchanged
      {"", F.C1},
  };
  for (auto& L : Loads) {
    TMemStorage Reg;
    Reg.WriteString("Form", "C1_Buddy", L.Text);
    F.C1->SetBuddy(F.C1);
    F.Bind({"C1.Buddy"});
    TStorageOver(&Reg).Storage.LoadObjectsProps(F.Form.get(), &F.Stored);
    EXPECT_EQ(F.C1->Buddy(), L.Expected) << L.Text;
  }
  UnRegisterFindGlobalComponentProc(Finder);
}

TEST(PropsStorage, OneValueTheIniFileRefusesDoesNotLoseTheOthers) {
  TTempFolder Dir;
  TIniFile Ini(Dir / "a.ini");
  TSampleForm F;
  F.C1->Caption = "two\r\nlines";
  F.C1->Count = 5;
  F.C2->Caption = "after";
  F.Bind({"C1.Caption", "C1.Count", "C2.Caption"});
  EXPECT_THROW(TStorageOver(&Ini).Storage.StoreObjectsProps(F.Form.get(), &F.Stored), EIniFileException);
  EXPECT_EQ(Ini.ReadString("Form", "C1_Count", ""), "5");
  EXPECT_EQ(Ini.ReadString("Form", "C2_Caption", ""), "after");
  TStringList Keys;
  Ini.ReadSection("Form", &Keys);
  EXPECT_EQ(Keys.Count(), 2);
}
