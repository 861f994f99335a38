// The rich edit control over the platform's library: lines, streaming, attributes,
// options and finding, on a shown form.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>

#include "classlib/core/code_page.h"
#include "classlib/core/exception.h"
#include "classlib/core/stream.h"
#include "classlib/core/sys_utils.h"
#include "classlib/win/application.h"
#include "classlib/win/forms.h"
#include "tests/support/dialog_watcher.h"
#include "tests/support/form_test.h"
#include "ui/rx_rich_edit.h"

namespace {

// 1251 bytes of UTF-8 source text.
std::string Ru(const char* Utf8) { return Utf8ToCp1251(Utf8); }

struct RichEdit : ::testing::Test {
  std::unique_ptr<TForm> Form{CreateForm<TForm>(nullptr)};
  TRxRichEdit* Edit = new TRxRichEdit(Form.get());
  void SetUp() override {
    Edit->SetParent(Form.get());
    Edit->SetBounds(0, 0, 400, 300);
    Form->SetBounds(50, 50, 420, 340);
    Form->Show();
    PumpMessages();
  }
  void TearDown() override { Form->Hide(); }
  // The whole text as plain text, lines ended by CR LF.
  std::string PlainOut() {
    TRichStreamFormat F = Edit->StreamFormat();
    Edit->SetStreamFormat(sfPlainText);
    TStringStream S;
    Edit->Lines()->SaveToStream(&S);
    Edit->SetStreamFormat(F);
    return S.DataString();
  }
  void LoadText(const std::string& Text, TRichStreamFormat Format = sfDefault) {
    TStringStream S(Text);
    Edit->SetStreamFormat(Format);
    Edit->Lines()->LoadFromStream(&S);
  }
};

// Hands the control at most a few bytes per read, so that every break meets a chunk end.
class TSmallReads : public TConversion {
public:
  int ConvertReadStream(TStream* Stream, char* Buffer, int Count) override {
    return TConversion::ConvertReadStream(Stream, Buffer, std::min(Count, 3));
  }
};

std::string CrLf(std::string S, char Break) {
  std::string Out;
  for (char C : S) Out += C == Break ? std::string("\r\n") : std::string(1, C);
  return Out;
}

}  // namespace

TEST_F(RichEdit, LevelAndWindowOfTheNewerLibrary) {
  EXPECT_GE(RichEditLevel(), 2);
  wchar_t Class[64] = {};
  GetClassNameW(Edit->Handle(), Class, 64);
  EXPECT_STREQ(Class, L"TRxRichEdit");
  EXPECT_TRUE(Edit->AutoURLDetect());
}

TEST_F(RichEdit, LargeLfTextKeepsEveryLine) {
  std::string Text;
  int N = 0;
  while (Text.size() < 5u * 1024 * 1024) Text += "line " + IntToStr(N++) + Ru(" строка текста для проверки загрузки") + "\n";
  Edit->SetWordWrap(false);
  LoadText(Text);
  EXPECT_EQ(Edit->Lines()->Count(), N);
  EXPECT_EQ(Edit->Lines()->Strings(N - 1), "line " + IntToStr(N - 1) + Ru(" строка текста для проверки загрузки"));
  EXPECT_TRUE(PlainOut() == CrLf(Text, '\n'));
  // Loading leaves the caret at the start.
  EXPECT_EQ(Edit->SelStart(), 0);
}

TEST_F(RichEdit, CrOnlyLinesReadInSmallChunks) {
  std::string Text = Ru("первая\rвторая\r\rчетвёртая\rпоследняя");
  Edit->Lines()->SetConverter(std::make_unique<TSmallReads>());
  LoadText(Text, sfPlainText);
  ASSERT_EQ(Edit->Lines()->Count(), 5);
  EXPECT_EQ(Edit->Lines()->Strings(2), "");
  EXPECT_EQ(Edit->Lines()->Strings(3), Ru("четвёртая"));
  EXPECT_EQ(PlainOut(), CrLf(Text, '\r'));
}

TEST_F(RichEdit, RtfLoadsWithItsLinesAndFormatting) {
  std::string Rtf =
      "{\\rtf1\\ansi\\ansicpg1251\\deff0{\\fonttbl{\\f0\\fcharset204 Arial;}}"
      "{\\colortbl;\\red255\\green0\\blue0;}"
      "\\f0\\fs20 " + Ru("Обычный") + "\\par\n{\\b " + Ru("Жирный") + "}\\par\n{\\cf1 " + Ru("Красный") + "}\\par\n}";
  LoadText(Rtf);
  ASSERT_EQ(Edit->Lines()->Count(), 3);
  EXPECT_EQ(Edit->Lines()->Strings(0), Ru("Обычный"));
  EXPECT_EQ(Edit->Lines()->Strings(1), Ru("Жирный"));
  EXPECT_EQ(Edit->Lines()->Strings(2), Ru("Красный"));
  Edit->SetSelection(9, 10, false);
  EXPECT_TRUE(Edit->SelAttributes()->Style().Contains(fsBold));
  Edit->SetSelection(16, 17, false);
  EXPECT_EQ(Edit->SelAttributes()->Color(), TColor(0x0000FF));
  // Saved as rich text and loaded again: the same lines and the same bold.
  TStringStream S;
  Edit->SetStreamFormat(sfRichText);
  Edit->Lines()->SaveToStream(&S);
  EXPECT_EQ(S.DataString().substr(0, 5), "{\\rtf");
  Edit->Clear();
  S.SetPosition(0);
  Edit->Lines()->LoadFromStream(&S);
  EXPECT_EQ(Edit->Lines()->Strings(1), Ru("Жирный"));
  Edit->SetSelection(9, 10, false);
  EXPECT_TRUE(Edit->SelAttributes()->Style().Contains(fsBold));
}

TEST_F(RichEdit, LongLineComesBackWhole) {
  Edit->SetWordWrap(false);
  std::string Long(100000, 'x');
  for (std::size_t I = 0; I < Long.size(); I += 1000) Long[I] = char('a' + I / 1000 % 26);
  LoadText("first\n" + Long + "\nlast", sfPlainText);
  ASSERT_EQ(Edit->Lines()->Count(), 3);
  EXPECT_TRUE(Edit->Lines()->Strings(1) == Long);
  EXPECT_EQ(Edit->Lines()->Strings(2), "last");
}

TEST_F(RichEdit, LineOperations) {
  Edit->SetWordWrap(false);
  TRichEditStrings* L = Edit->Lines();
  L->Add("one");
  L->Add(Ru("два"));
  L->Add("three");
  ASSERT_EQ(L->Count(), 3);
  // The text ends with a break: the control's empty last line is not counted.
  EXPECT_EQ(Edit->Text(), "one\r\n" + Ru("два") + "\r\nthree\r\n");
  L->Insert(1, "inserted");
  L->SetStrings(2, "changed");
  L->Delete(0);
  EXPECT_EQ(L->Count(), 3);
  EXPECT_EQ(L->Strings(0), "inserted");
  EXPECT_EQ(L->Strings(1), "changed");
  // Out of range and negative indexes change nothing.
  L->Delete(-1);
  L->Delete(10);
  L->SetStrings(10, "x");
  L->Insert(-1, "x");
  L->Insert(10, "x");
  EXPECT_EQ(L->Count(), 3);
  EXPECT_EQ(L->Strings(-1), "");
}

TEST_F(RichEdit, AppendingAfterAnEmptyLastLineDoesNothing) {
  Edit->SetText("a\r\r");
  int Before = Edit->Lines()->Count();
  Edit->Lines()->Insert(Before + 1, "x");
  EXPECT_EQ(Edit->Lines()->Count(), Before);
}

TEST_F(RichEdit, CharacterAttributesRoundTrip) {
  Edit->SetText(Ru("Текст для атрибутов"));
  Edit->SetSelection(0, 5, false);
  TRxTextAttributes* A = Edit->SelAttributes();
  A->SetStyle({fsBold, fsItalic});
  A->SetColor(TColor(0x00AA3311));
  A->SetName("Courier New");
  A->SetSize(14);
  Edit->SetSelection(1, 3, false);
  EXPECT_EQ(A->Style(), (TFontStyles{fsBold, fsItalic}));
  EXPECT_EQ(A->Color(), TColor(0x00AA3311));
  EXPECT_EQ(A->Name(), "Courier New");
  EXPECT_EQ(A->Size(), 14);
  // Text in the automatic colour reads as the window text colour.
  A->SetColor(clWindowText);
  EXPECT_EQ(A->Color(), clWindowText);
  // A face name longer than the record's field keeps its first 31 characters.
  std::string LongFace(40, 'F');
  A->SetName(LongFace);
  EXPECT_EQ(A->Name(), LongFace.substr(0, 31));
  // To and from a font.
  TFont F;
  F.SetName("Arial");
  F.SetSize(11);
  F.SetStyle({fsUnderline});
  F.SetColor(TColor(0x00123456));
  A->Assign(&F);
  TFont Back;
  Back.Assign(A);
  EXPECT_EQ(Back.Name(), "Arial");
  EXPECT_EQ(Back.Size(), 11);
  EXPECT_EQ(Back.Style(), TFontStyles{fsUnderline});
  EXPECT_EQ(Back.Color(), TColor(0x00123456));
}

TEST_F(RichEdit, ParagraphAttributesRoundTrip) {
  Edit->SetText("para one\rpara two");
  Edit->SetSelection(0, 0, false);
  TRxParaAttributes* P = Edit->Paragraph();
  for (TRxAlignment A : {paRightJustify, paCenter, paLeftJustify}) {
    P->SetAlignment(A);
    EXPECT_EQ(P->Alignment(), A);
  }
  P->SetFirstIndent(12);
  P->SetRightIndent(7);
  P->SetLeftIndent(4);
  EXPECT_EQ(P->FirstIndent(), 12);
  EXPECT_EQ(P->RightIndent(), 7);
  EXPECT_EQ(P->LeftIndent(), 4);
  // Bullets raise a small indent to 10 points; removing them sets it to 0.
  P->SetNumbering(nsBullet);
  EXPECT_EQ(P->Numbering(), nsBullet);
  EXPECT_EQ(P->LeftIndent(), 10);
  P->SetNumbering(nsNone);
  EXPECT_EQ(P->LeftIndent(), 0);
  // Setting a tab past the last one keeps the earlier tabs.
  P->SetTab(0, 36);
  P->SetTab(2, 108);
  EXPECT_EQ(P->TabCount(), 3);
  EXPECT_EQ(P->Tab(0), 36);
  EXPECT_EQ(P->Tab(2), 108);
  EXPECT_THROW(P->SetTab(32, 1), EListError);
  // The second paragraph kept its own format.
  Edit->SetSelection(12, 12, false);
  EXPECT_EQ(P->FirstIndent(), 0);
}

TEST_F(RichEdit, AttributesWithoutAWindowAreEmpty) {
  auto Lone = std::make_unique<TRxRichEdit>(nullptr);
  Lone->SelAttributes()->SetSize(30);
  EXPECT_EQ(Lone->SelAttributes()->Size(), 0);
  EXPECT_EQ(Lone->Paragraph()->LeftIndent(), 0);
  EXPECT_FALSE(Lone->HandleAllocated());
}

TEST_F(RichEdit, PlainTextOnAndOffKeepsTheContent) {
  Edit->SetText(Ru("Строка один\rСтрока два"));
  Edit->SetSelection(0, 6, false);
  Edit->SelAttributes()->SetStyle({fsBold});
  Edit->SetPlainText(true);
  EXPECT_TRUE(Edit->PlainText());
  EXPECT_EQ(Edit->Lines()->Strings(1), Ru("Строка два"));
  Edit->SetPlainText(false);
  EXPECT_EQ(Edit->Lines()->Count(), 2);
  EXPECT_EQ(Edit->Lines()->Strings(0), Ru("Строка один"));
}

TEST_F(RichEdit, OptionsThatRecreateTheWindowKeepTheText) {
  Edit->SetText(Ru("сохранится"));
  Edit->SetSelection(0, 3, false);
  Edit->SelAttributes()->SetStyle({fsBold});
  HWND Before = Edit->Handle();
  Edit->SetSelectionBar(false);
  EXPECT_NE(Edit->Handle(), Before);
  EXPECT_EQ(Edit->Text(), Ru("сохранится"));
  Edit->SetSelection(1, 2, false);
  EXPECT_TRUE(Edit->SelAttributes()->Style().Contains(fsBold));
  EXPECT_EQ(GetWindowLongW(Edit->Handle(), GWL_STYLE) & ES_SELECTIONBAR, 0);
}

TEST_F(RichEdit, OptionsReachTheWindow) {
  Edit->SetUndoLimit(1000);
  EXPECT_GT(Edit->UndoLimit(), 0);
  Edit->SetAutoURLDetect(false);
  EXPECT_FALSE(Edit->AutoURLDetect());
  Edit->SetWordSelection(false);
  EXPECT_FALSE(Edit->WordSelection());
  Edit->SetWordSelection(true);
  EXPECT_TRUE(Edit->WordSelection());
}

TEST_F(RichEdit, SelectionQueries) {
  Edit->SetText(Ru("ab\rвыбор"));
  Edit->SetSelection(3, 8, false);
  EXPECT_EQ(Edit->SelStart(), 3);
  EXPECT_EQ(Edit->SelLength(), 5);
  EXPECT_EQ(Edit->SelText(), Ru("выбор"));
  EXPECT_EQ(Edit->CaretPos(), TPoint(0, 1));
  EXPECT_EQ(Edit->LineFromChar(4), 1);
  EXPECT_TRUE(Edit->SelectionType().Contains(stText));
  // The buffer keeps room for its terminator.
  char Buf[4] = {'#', '#', '#', '#'};
  EXPECT_EQ(Edit->GetSelTextBuf(Buf, 4), 3);
  EXPECT_EQ(std::string(Buf), Ru("выб"));
  // Typed text replaces the selection and can be undone.
  Edit->SetSelText("X");
  EXPECT_EQ(Edit->Text(), "ab\r\nX");
  Edit->Undo();
  EXPECT_EQ(Edit->Text(), Ru("ab\r\nвыбор"));
}

TEST_F(RichEdit, FindAndReplaceCyrillicWithoutCase) {
  TDialogWatcher Watcher;
  Edit->SetText(Ru("Привет, мир. ПРИВЕТ снова, привет!"));
  EXPECT_EQ(Edit->FindText(Ru("привет"), 0, 40, {}), 0);
  EXPECT_EQ(Edit->FindText(Ru("привет"), 1, 40, {}), 13);
  EXPECT_EQ(Edit->FindText(Ru("привет"), 1, 40, {stMatchCase}), 27);
  EXPECT_EQ(Edit->FindText(Ru("нет"), 0, 40, {}), -1);

  std::string NotFound;
  Edit->OnTextNotFound = [&](TObject*, const std::string& Text) { NotFound = Text; };
  TFindDialog* F = Edit->FindDialog(Ru("ПРИВЕТ"));
  EXPECT_EQ(Edit->FindDialog(""), F);
  Edit->SetSelection(0, 0, false);
  ASSERT_TRUE(Edit->FindNext(F, true));
  EXPECT_EQ(Edit->SelStart(), 0);
  ASSERT_TRUE(Edit->FindNext(F, true));
  EXPECT_EQ(Edit->SelStart(), 13);
  F->CloseDialog();

  TReplaceDialog* R = Edit->ReplaceDialog(Ru("привет"), Ru("пока"));
  R->SetOptions(R->Options() + TFindOptions{frReplaceAll});
  R->OnReplace(R);
  EXPECT_EQ(Edit->Text(), Ru("пока, мир. пока снова, пока!"));
  R->SetOptions(R->Options() - TFindOptions{frReplaceAll});
  R->OnReplace(R);
  EXPECT_EQ(NotFound, Ru("привет"));
  R->CloseDialog();
}

TEST_F(RichEdit, FilesLoadByTheirExtensionsConverter) {
  std::string Dir = IncludeTrailingBackslash(GetCurrentDir());
  std::string Name = Dir + "rich_test.zxplain";
  {
    TFileStream F(Name, fmCreate);
    std::string Rtfish = "{\\rtf1 not read as rich text}";
    F.WriteBuffer(Rtfish.data(), Rtfish.size());
  }
  RegisterConversionFormat("ZXPLAIN", [] { return std::make_unique<TConversion>(); }, true);
  Edit->Lines()->LoadFromFile(Name);
  EXPECT_EQ(Edit->Text(), "{\\rtf1 not read as rich text}");
  EXPECT_EQ(Edit->StreamFormat(), sfDefault);
  DeleteFileA(Name.c_str());
  // A missing file is an error and leaves the text as it was.
  EXPECT_THROW(Edit->Lines()->LoadFromFile(Dir + "missing.zxplain"), EFOpenError);
  EXPECT_EQ(Edit->Text(), "{\\rtf1 not read as rich text}");
}
