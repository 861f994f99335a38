// The encryption dialog from its form resource: its starting texts, OK encrypting and
// decrypting through its component, a wrong password told and nothing written, keys that
// are no numbers refused before any file is touched.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>

#include "classlib/core/exception.h"
#include "classlib/core/ini_file.h"
#include "classlib/core/stream.h"
#include "classlib/core/sys_utils.h"
#include "app/core/lng_strings.h"
#include "tests/classlib/temp_folder.h"
#include "tests/tools/file_bytes.h"
#include "tests/support/form_test.h"
#include "tests/support/screenshot.h"
#include "tools/crypt_it.h"

namespace {

class CryptDialog : public ::testing::Test {
protected:
  void SetUp() override { Make(true); }

  void Make(bool Encrypt) {
    F.reset(CreateForm<TCryptForm>(nullptr));
    F->Say = [this](const std::string& Msg, TMsgDlgType) { Told.push_back(Msg); };
    F->Encrypt->SetChecked(Encrypt);
  }

  void Ok(const std::string& In, const std::string& Out, const std::string& Password) {
    F->fn->SetText(In);
    F->Edit3->SetText(Out);
    F->Edit2->SetText(Password);
    F->Button1Click(F->Button1);
  }

  TTempFolder Dir;
  std::unique_ptr<TCryptForm> F;
  std::vector<std::string> Told;
};

TEST_F(CryptDialog, StartsWithTheKeysFilledAndMasked) {
  EXPECT_EQ(F->Caption(), "Crypt dialog");
  EXPECT_EQ(F->Edit1->Text(), "9742");
  EXPECT_EQ(F->Edit4->Text(), "9817");
  EXPECT_EQ(F->Edit2->Text(), "");
  EXPECT_EQ(F->Edit2->PasswordChar(), '*');
  EXPECT_FALSE(F->Encrypt->Visible());
  EXPECT_NE(F->Label6->Caption().find("not strong encryption"), std::string::npos);
  EXPECT_TRUE(F->CL->Compression());
  F->fn->SetText(Dir / "doc.txt");
  F->Edit2->SetText("secret");
  F->Show();
  PumpMessages();
  // Masked on screen: the edit's window shows no characters of the password.
  wchar_t Mask = static_cast<wchar_t>(SendMessageW(F->Edit2->Handle(), EM_GETPASSWORDCHAR, 0, 0));
  EXPECT_EQ(Mask, L'*');
  EXPECT_GT(SaveWindowPng(F->Handle(), ScreenshotPath("crypt_dialog.png")), 1000);
}

TEST_F(CryptDialog, EncryptsAndDecryptsThroughOk) {
  std::string Data(40000, 'q');
  SaveBytes(Dir / "doc.txt", Data);
  Ok(Dir / "doc.txt", Dir / "doc.enc", "pass");
  EXPECT_EQ(F->ModalResult(), mrOk);
  EXPECT_NE(LoadBytes(Dir / "doc.enc"), Data);

  Make(false);
  Ok(Dir / "doc.enc", Dir / "doc.out", "wrong");
  EXPECT_EQ(Told.size(), 1u);  // the language file's "Incorrect_password"
  EXPECT_EQ(F->ModalResult(), mrNone);
  EXPECT_FALSE(FileExists(Dir / "doc.out"));
  Ok(Dir / "doc.enc", Dir / "doc.out", "pass");
  EXPECT_EQ(F->ModalResult(), mrOk);
  EXPECT_EQ(LoadBytes(Dir / "doc.out"), Data);
}

TEST_F(CryptDialog, BadKeysOrNamesAreRefusedBeforeAnyFileIsTouched) {
  SaveBytes(Dir / "doc.txt", "plain");
  F->Edit1->SetText("12a");
  EXPECT_THROW(Ok(Dir / "doc.txt", Dir / "doc.enc", ""), EConvertError);
  F->Edit1->SetText("9742");
  F->Edit4->SetText("0");
  EXPECT_THROW(Ok(Dir / "doc.txt", Dir / "doc.enc", ""), Exception);
  F->Edit4->SetText("9817");
  // A missing name is asked for in the program's language.
  const std::string OldFolder = ProgramFolder();
  TTempFolder Program;
  SetProgramFolder(Program.Path() + "\\");
  ASSERT_TRUE(CreateDir(Program / "INI"));
  TMemoryStream Lng;
  Lng.LoadFromFile(std::string(ZX_TEST_DATA) + "/../../resources/langs/Russian.zq.lng");
  Lng.SaveToFile(Program / "INI\\zq.lng");
  const std::string Asked = TIniFile(Program / "INI\\zq.lng").ReadString("String", "Input_filename", "?");
  ASSERT_NE(Asked, "?");
  for (const char* In : {"", "  "}) {
    try {
      Ok(In, Dir / "doc.enc", "");
      ADD_FAILURE() << "no error for input '" << In << "'";
    } catch (const Exception& E) {
      EXPECT_EQ(E.Message(), Asked);
    }
  }
  try {
    Ok(Dir / "doc.txt", "", "");
    ADD_FAILURE() << "no error without an output name";
  } catch (const Exception& E) {
    EXPECT_EQ(E.Message(), Asked);
  }
  SetProgramFolder(OldFolder);
  EXPECT_FALSE(FileExists(Dir / "doc.enc"));
  EXPECT_EQ(LoadBytes(Dir / "doc.txt"), "plain");
  EXPECT_EQ(F->ModalResult(), mrNone);
}

}  // namespace
