// Either language file copied over "INI\zq.lng" gives every window that loads its captions
// from it all of its texts in that language.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>

#include "app/arc_dialogs.h"
#include "app/core/lng_strings.h"
#include "app/editor_page.h"
#include "app/f2_menu.h"
#include "app/help_form.h"
#include "app/fast_list.h"
#include "app/html_page.h"
#include "app/main_form.h"
#include "app/settings.h"
#include "app/small_dialogs.h"
#include "classlib/core/ini_file.h"
#include "classlib/core/stream.h"
#include "classlib/core/sys_utils.h"
#include "classlib/core/typinfo.h"
#include "classlib/win/menus.h"
#include "classlib/win/registry.h"
#include "tests/classlib/temp_folder.h"
#include "tests/support/form_test.h"
#include "tests/support/main_window_fixture.h"
#include "tests/support/screenshot.h"

namespace {

const std::string Langs = std::string(ZX_TEST_DATA) + "/../../resources/langs/";

// Each stored text of the form's language storage is the language file's text.
void ExpectCaptionsFrom(TForm* Form, TFormStorage* Lang, const std::string& Language) {
  SCOPED_TRACE(Form->ClassInfo()->Name + " in " + Language);
  Lang->SetIniFileName(LngFileName());
  Lang->RestoreFormPlacement();
  TIniFile File(LngFileName());
  TStrings* Props = Lang->StoredProps();
  ASSERT_GT(Props->Count(), 0);
  for (int I = 0; I < Props->Count(); ++I) {
    const std::string Line = Props->Strings(I);
    const auto Dot = Line.find('.');
    TComponent* C = Form->FindComponent(Line.substr(0, Dot));
    ASSERT_NE(C, nullptr) << Line;
    const std::string Prop = Line.substr(Dot + 1);
    const std::string Key = Line.substr(0, Dot) + "_" + Prop;
    if (Prop == "Items" || Prop == "ColorNames") {
      // A list has a section of its own: Count, then Item0, Item1, ...
      const std::string List = Lang->IniSection() + "." + Key;
      auto* Items = dynamic_cast<TStrings*>(GetObjectProp(C, Prop));
      ASSERT_NE(Items, nullptr) << Line;
      ASSERT_GT(File.ReadInteger(List, "Count", 0), 0) << Line;
      ASSERT_EQ(Items->Count(), File.ReadInteger(List, "Count", 0)) << Line;
      for (int J = 0; J < Items->Count(); ++J)
        EXPECT_EQ(Items->Strings(J), File.ReadString(List, "Item" + std::to_string(J), "-+-")) << Line;
      continue;
    }
    const std::string Want = File.ReadString(Lang->IniSection(), Key, "-+-");
    ASSERT_NE(Want, "-+-") << Line;
    if (Prop == "Color")
      EXPECT_EQ(std::to_string(GetOrdProp(C, Prop)), Want) << Line;
    else
      EXPECT_EQ(GetStrProp(C, Prop), Want) << Line;
  }
  // The window's own caption, where the file names it.
  const std::string Caption = File.ReadString(Lang->IniSection(), Form->Name() + "_Caption", "-+-");
  if (Caption != "-+-") EXPECT_EQ(Form->Caption(), Caption);
}

class LanguageSwitch : public MainWindowFixture, public ::testing::WithParamInterface<const char*> {
protected:
  void SetUp() override {
    MainWindowFixture::SetUp();
    ASSERT_TRUE(CreateDir(Dir / "INI"));
    TMemoryStream S;
    S.LoadFromFile(Langs + GetParam() + ".zq.lng");
    S.SaveToFile(LngFileName());
  }
};

TEST_P(LanguageSwitch, EveryCaptionComesFromTheFile) {
  CreateMainForm();
  ExpectCaptionsFrom(MainForm, MainForm->Lang, GetParam());
  ExpectCaptionsFrom(Settings, Settings->Lang2, GetParam());
  // The file-type list in the language still has a row chosen.
  EXPECT_EQ(Settings->FileType->ItemIndex(), 0);
  // The colour list shows the colours by the language's names, and still by their colours.
  TStrings* Colours = Settings->ColorBox->Items();
  ASSERT_EQ(Colours->Count(), 16);
  const std::string Names = std::string("Settings.") + "ColorBox_ColorNames";
  EXPECT_EQ(Colours->Strings(9), TIniFile(LngFileName()).ReadString(Names, "Item9", "-+-"));
  EXPECT_EQ(TColor(int32_t(reinterpret_cast<intptr_t>(Colours->Objects(9)))), clRed);
  const TColor Chosen = Settings->ColorBox->ColorValue();
  Settings->Lang2->RestoreFormPlacement();  // a second restore, as at a language switch
  EXPECT_EQ(Settings->ColorBox->ColorValue(), Chosen);
  std::unique_ptr<TF2Menu> Menu(CreateForm<TF2Menu>(nullptr));
  ExpectCaptionsFrom(Menu.get(), Menu->FormStorage1, GetParam());
  std::unique_ptr<TFastList> Fast(CreateForm<TFastList>(nullptr));
  ExpectCaptionsFrom(Fast.get(), Fast->FormStorage1, GetParam());
  std::unique_ptr<TMoveForm> Move(CreateForm<TMoveForm>(nullptr));
  ExpectCaptionsFrom(Move.get(), Move->Langc, GetParam());
  // The small dialogs and windows whose language storage has no field of its own.
  std::unique_ptr<TForm> Small[] = {std::unique_ptr<TForm>(CreateForm<TCPY>(nullptr)),
                                    std::unique_ptr<TForm>(CreateForm<TExtrDial>(nullptr)),
                                    std::unique_ptr<TForm>(CreateForm<TForm2>(nullptr)),
                                    std::unique_ptr<TForm>(CreateForm<TAbout>(nullptr))};
  for (const auto& F : Small) {
    auto* Lang = dynamic_cast<TFormStorage*>(F->FindComponent("Lang"));
    ASSERT_NE(Lang, nullptr) << F->Name();
    ExpectCaptionsFrom(F.get(), Lang, GetParam());
  }
  // The HTML page's buttons are made in code; their hints come from the file all the same,
  // and follow every later restore of the main window's texts.
  ASSERT_NE(MainForm->HtmlPage, nullptr);
  TToolButton* Back = MainForm->HtmlPage->ToolButton11;
  EXPECT_EQ(Back->Hint(), TIniFile(LngFileName()).ReadString("MainForm", "ToolButton11_Hint", "-+-"));
  TIniFile(LngFileName()).WriteString("MainForm", "ToolButton11_Hint", "Back again");
  MainForm->Lang->RestoreFormPlacement();
  EXPECT_EQ(Back->Hint(), "Back again");
  // So are the editor page's buttons and menus, made in code too.
  ASSERT_NE(MainForm->EditorPage, nullptr);
  TIniFile File(LngFileName());
  for (const char* Name : {"ToolButton6", "ToolButton12", "SpeedButton55"}) {
    auto* B = dynamic_cast<TToolButton*>(MainForm->EditorPage->FindComponent(Name));
    ASSERT_NE(B, nullptr) << Name;
    EXPECT_EQ(B->Hint(), File.ReadString("MainForm", std::string(Name) + "_Hint", "-+-")) << Name;
  }
  for (const char* Name : {"SynPlain", "LowerCase1", "InsertDate1"}) {
    auto* M = dynamic_cast<TMenuItem*>(MainForm->EditorPage->FindComponent(Name));
    ASSERT_NE(M, nullptr) << Name;
    EXPECT_EQ(M->Caption(), File.ReadString("MainForm", std::string(Name) + "_Caption", "-+-")) << Name;
  }
  File.WriteString("MainForm", "ToolButton6_Hint", "Open again");
  MainForm->Lang->RestoreFormPlacement();
  EXPECT_EQ(dynamic_cast<TToolButton*>(MainForm->EditorPage->FindComponent("ToolButton6"))->Hint(), "Open again");
  // The main window in the language, to look at: whole captions, nothing left empty.
  MainForm->SetWindowState(wsNormal);
  MainForm->SetBounds(0, 0, 800, 600);
  MainForm->Show();
  PumpMessages();
  EXPECT_GT(SaveWindowPng(MainForm->Handle(), ScreenshotPath("main-window-" + std::string(GetParam()) + ".png")), 0);
}

// An input left empty, or a screen saver never chosen, gets the assistant's hint in the
// language, and only while the user wants the assistant.
TEST_P(LanguageSwitch, AssistantHintsForWhatIsLeftEmpty) {
  CreateMainForm();
  TIniFile File(LngFileName());
  Settings->scrSaver->SetText("");
  MainForm->AskText = [](const std::string&, const std::string&, std::string& Value) {
    Value = " ";
    return true;
  };
  const struct {
    void (TMainForm::*Command)(TObject*);
    const char* Tip;
  } Rows[] = {{&TMainForm::SpeedButton25Click, "Screen_saver"}, {&TMainForm::N4Click, "Edit_file"}};
  for (const auto& R : Rows) {
    SCOPED_TRACE(R.Tip);
    Settings->AssCheck->SetChecked(false);
    if (HelpForm != nullptr) HelpForm->Hide();
    (MainForm->*R.Command)(nullptr);
    EXPECT_TRUE(HelpForm == nullptr || !HelpForm->Visible());
    Settings->AssCheck->SetChecked(true);
    (MainForm->*R.Command)(nullptr);
    ASSERT_NE(HelpForm, nullptr);
    EXPECT_TRUE(HelpForm->Visible());
    const std::string Want = File.ReadString("Tips", R.Tip, "-+-");
    ASSERT_NE(Want, "-+-");
    EXPECT_EQ(HelpForm->Label1->Caption(), Want);
    HelpForm->Hide();
  }
  Settings->AssCheck->SetChecked(false);
}

INSTANTIATE_TEST_SUITE_P(Languages, LanguageSwitch, ::testing::Values("Russian", "English"));

}  // namespace
