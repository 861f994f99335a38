// The hex editor control in a window: its grid of offsets, nibbles and characters, keys
// and clicks that move the cursor and edit bytes, scrolling through a large file, the
// state-change message, and property checks.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "classlib/core/code_page.h"
#include "classlib/core/exception.h"
#include "classlib/core/stream.h"
#include "classlib/core/sys_utils.h"
#include "classlib/win/forms.h"
#include "classlib/win/print_target.h"
#include "classlib/win/wide_string.h"
#include "tests/classlib/temp_folder.h"
#include "tests/tools/file_bytes.h"
#include "tests/support/form_test.h"
#include "tests/support/screenshot.h"
#include "tests/support/wait_for.h"
#include "tools/hex_editor.h"

namespace {

class HexEditorWindow : public ::testing::Test {
protected:
  void SetUp() override {
    Form.reset(CreateForm<TForm>(nullptr));
    Form->SetBounds(40, 40, 640, 360);
    HE = new THexEditor(Form.get());
    HE->SetParent(Form.get());
    HE->SetAlign(alClient);
    Form->Show();
    PumpMessages();
    HE->SetFocus();
    PumpMessages();
  }

  void Load(const std::string& Data) {
    HE->Model()->ReleaseSource();  // the file shown is held while it is shown
    SaveBytes(Dir / "doc.bin", Data);
    ASSERT_TRUE(HE->LoadFromFile(Dir / "doc.bin"));
    PumpMessages();
  }

  std::string All() { return HE->Model()->ReadBytes(0, HE->DataSize()); }

  void Type(const std::string& Text) {
    for (unsigned char C : Text) SendMessageW(HE->Handle(), WM_CHAR, Cp1251ToUnicode(C), 1);
  }

  void Click(int Col, int Row, WPARAM Flags = 0) {
    TRect R = HE->CellRect(Col, Row);
    LPARAM P = MAKELPARAM((R.Left + R.Right) / 2, (R.Top + R.Bottom) / 2);
    SendMessageW(HE->Handle(), WM_LBUTTONDOWN, MK_LBUTTON | Flags, P);
    SendMessageW(HE->Handle(), WM_LBUTTONUP, Flags, P);
    PumpMessages();
  }

  TTempFolder Dir;
  std::unique_ptr<TForm> Form;
  THexEditor* HE = nullptr;
};

TEST_F(HexEditorWindow, GridOfOffsetsNibblesAndCharacters) {
  // A fresh control holds an empty document: one row with the bare offset prefix.
  EXPECT_EQ(HE->FileName(), "Untitled");
  EXPECT_EQ(HE->RowCount(), 1);
  EXPECT_EQ(HE->CellText(0, 0), "0x0");

  std::string Data = "ABCDEFGHIJKLMNOP\xC1";
  Load(Data);
  EXPECT_EQ(HE->ColCount(), 51);
  EXPECT_EQ(HE->RowCount(), 2);
  EXPECT_EQ(HE->CellText(0, 0), "0x00:");
  EXPECT_EQ(HE->CellText(0, 1), "0x10:");
  EXPECT_EQ(HE->CellText(2, 1), "C");  // 0xC1: high nibble first
  EXPECT_EQ(HE->CellText(3, 1), "1");
  EXPECT_EQ(HE->CellText(4, 1), "");   // no 18th byte
  EXPECT_EQ(HE->CellText(35, 0), "A");
  EXPECT_EQ(HE->CellText(35, 1), "\xC1");
  HE->SetSwapNibbles(true);
  EXPECT_EQ(HE->CellText(2, 1), "1");
  HE->SetSwapNibbles(false);

  // The last nibble of each group is twice as wide: a gap after every BytesPerColumn bytes.
  int W = HE->CharWidth();
  EXPECT_EQ(HE->ColWidth(2), W);
  EXPECT_EQ(HE->ColWidth(9), 2 * W);
  EXPECT_EQ(HE->ColWidth(8), W);
  HE->SetBytesPerColumn(2);
  EXPECT_EQ(HE->ColWidth(5), 2 * W);

  struct {
    TOffsetDisplayStyle Style;
    const char* Row1;
  } Offsets[] = {{odHex, "0x10:"}, {odDec, "16:"}, {odOctal, "o 20:"}, {odNone, " "}};
  for (auto& C : Offsets) {
    HE->SetOffsetDisplay(C.Style);
    EXPECT_EQ(HE->CellText(0, 1), C.Row1) << C.Style;
  }
  HE->SetOffsetDisplay(odHex);

  struct {
    TTranslationType T;
    unsigned char Byte;
    const char* Shown;
  } Shown[] = {{ttAnsi, 0xC0, "\xC0"}, {ttASCII, 0xC0, "."},     {ttEBCDIC, 0xC1, "A"},
               {ttEBCDIC, 0x00, "."},  {ttDos8, 0x80, "\xC0"}, {ttAnsi, 0x09, "."}};
  for (auto& C : Shown) {
    Load(std::string(1, static_cast<char>(C.Byte)));
    HE->SetTranslation(C.T);
    EXPECT_EQ(HE->CellText(35, 0), C.Shown) << C.T << " " << int(C.Byte);
  }
  HE->SetTranslation(ttAnsi);
}

TEST_F(HexEditorWindow, KeysMoveTheCursorAndEditBytes) {
  Load(std::string(40, '\0'));
  Type("41");
  EXPECT_EQ(All().substr(0, 2), std::string("A\0", 2));
  EXPECT_EQ(HE->GetCursorPos(), 1);
  EXPECT_EQ(HE->CursorCol(), 4);
  PressKey(VK_TAB);  // to the twin in the character field
  EXPECT_EQ(HE->CursorCol(), 36);
  Type("Bz");
  EXPECT_EQ(All().substr(0, 4), std::string("ABz\0", 4));
  EXPECT_TRUE(HE->Modified());
  EXPECT_TRUE(HE->Model()->ByteChanged(2));
  PressKey(VK_TAB, {ssShift});
  EXPECT_EQ(HE->CursorCol(), 8);

  PressKey(VK_DOWN);
  EXPECT_EQ(HE->GetCursorPos(), 19);
  PressKey(VK_END);
  EXPECT_EQ(HE->GetCursorPos(), 31);
  PressKey(VK_HOME);
  EXPECT_EQ(HE->GetCursorPos(), 16);
  PressKey(VK_RIGHT, {ssShift});
  PressKey(VK_RIGHT, {ssShift});
  PressKey(VK_RIGHT, {ssShift});
  EXPECT_EQ(HE->Model()->SelectionStart(), 16);
  EXPECT_EQ(HE->Model()->SelectionEnd(), 17);
  PressKey(VK_LEFT);
  EXPECT_FALSE(HE->Model()->HasSelection());

  // Markers: Ctrl+Shift+digit sets one on the cursor's row, Ctrl+digit goes back to it.
  PressKey('3', {ssCtrl, ssShift});
  EXPECT_EQ(HE->Model()->Marker(3), 1);
  EXPECT_EQ(HE->CellText(1, 1), "3");
  PressKey(VK_HOME, {ssCtrl});
  EXPECT_EQ(HE->GetCursorPos(), 0);
  PressKey('3', {ssCtrl});
  EXPECT_EQ(HE->CursorRow(), 1);
  PressKey('5', {ssCtrl});  // unset: stays
  EXPECT_EQ(HE->CursorRow(), 1);

  // Insert mode only where allowed; then the first nibble inserts a byte.
  PressKey(VK_HOME, {ssCtrl});
  PressKey(VK_INSERT);
  EXPECT_FALSE(HE->InsertMode());
  PressKey(VK_INSERT);
  HE->SetAllowInsertMode(true);
  PressKey(VK_INSERT);
  EXPECT_TRUE(HE->InsertMode());
  EXPECT_EQ(HE->CaretStyle(), csLeftLine);
  Type("7");
  EXPECT_EQ(HE->DataSize(), 41);
  EXPECT_EQ(All().substr(0, 2), "pA");

  // Undo takes the changes back one by one.
  while (HE->Undo()) {
  }
  EXPECT_EQ(All(), std::string(40, '\0'));
  EXPECT_FALSE(HE->Modified());
}

TEST_F(HexEditorWindow, ClicksPickCellsAndShiftClicksSelect) {
  Load(std::string(64, 'x'));
  Click(36, 2);  // the character of byte 33
  EXPECT_EQ(HE->GetCursorPos(), 33);
  EXPECT_TRUE(HE->Model()->InCharField());
  Click(7, 1, MK_SHIFT);  // the low nibble of byte 18
  EXPECT_EQ(HE->Model()->SelectionStart(), 18);
  EXPECT_EQ(HE->Model()->SelectionEnd(), 33);
  EXPECT_FALSE(HE->Model()->InCharField());
  EXPECT_EQ(HE->Model()->CursorNibble(), 1);
  Click(0, 0);  // the offset column moves nothing
  EXPECT_EQ(HE->GetCursorPos(), 18);
}

TEST_F(HexEditorWindow, LargeFileScrollsToItsEndAndBack) {
  std::string Data(1 << 20, '\0');
  for (std::size_t i = 0; i < Data.size(); ++i) Data[i] = static_cast<char>(i / 4096);
  Load(Data);
  EXPECT_EQ(HE->RowCount(), 65536);
  PressKey(VK_END, {ssCtrl});
  EXPECT_EQ(HE->GetCursorPos(), (1 << 20) - 1);
  EXPECT_EQ(HE->TopRow(), 65536 - HE->VisibleRowCount());
  EXPECT_GT(HE->CellRect(HE->CursorCol(), HE->CursorRow()).Width(), 0);
  EXPECT_EQ(HE->CellText(0, 65535), "0xFFFF0:");
  EXPECT_EQ(HE->CellText(2, 65535), "F");
  PressKey(VK_PRIOR);
  EXPECT_EQ(HE->CursorRow(), 65535 - HE->VisibleRowCount());
  SendMessageW(HE->Handle(), WM_VSCROLL, SB_TOP, 0);
  EXPECT_EQ(HE->TopRow(), 0);
  SendMessageW(HE->Handle(), WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA), 0);
  EXPECT_EQ(HE->TopRow(), 3);
}

TEST_F(HexEditorWindow, StateChangesArriveThroughTheControlsMessage) {
  Load("abc");
  int Calls = 0;
  TObject* Sender = nullptr;
  HE->OnStateChanged = [&](TObject* S) {
    ++Calls;
    Sender = S;
  };
  Type("f");
  EXPECT_TRUE(WaitFor([&] { return Calls > 0; }));
  EXPECT_EQ(Sender, HE);
  // Only parameter 7 counts.
  Calls = 0;
  SendMessageW(HE->Handle(), THexEditor::WM_HEXSTATE, 1, 1);
  EXPECT_EQ(Calls, 0);
}

TEST_F(HexEditorWindow, BadPropertyValuesRaiseAndChangeNothing) {
  Load("0123456789");
  struct {
    const char* Text;
    std::function<void()> Set;
  } Cases[] = {
      {"Invalid BytesPerLine argument", [&] { HE->SetBytesPerLine(0); }},
      {"Invalid BytesPerLine argument", [&] { HE->SetBytesPerLine(257); }},
      {"Invalid SelStart", [&] { HE->SetSelStart(10); }},
      {"Invalid SelEnd", [&] { HE->SetSelEnd(-1); }},
      {"SetMarker : Invalid marker index", [&] { HE->SetMarker(10, 0); }},
  };
  for (auto& C : Cases) {
    try {
      C.Set();
      ADD_FAILURE() << "no exception: " << C.Text;
    } catch (const Exception& E) {
      EXPECT_EQ(E.Message(), C.Text);
    }
  }
  EXPECT_EQ(HE->BytesPerLine(), 16);
  HE->SetSelStart(2);
  HE->SetSelEnd(5);
  HE->SetBytesPerLine(4);  // the cursor stays on its byte, the selection stays
  EXPECT_EQ(HE->Model()->SelectionStart(), 2);
  EXPECT_EQ(HE->Model()->SelectionEnd(), 5);
  EXPECT_EQ(HE->CursorRow(), 1);
  EXPECT_EQ(HE->RowCount(), 3);
}

TEST_F(HexEditorWindow, SavesWhatWasTypedAndShowsIt) {
  std::string Data;
  for (int i = 0; i < 200; ++i) Data += static_cast<char>(i);
  Load(Data);
  HE->Model()->Select(20, 40);
  Type("FF");
  ASSERT_TRUE(HE->SaveToFile(Dir / "doc.bin"));
  EXPECT_EQ(LoadBytes(Dir / "doc.bin")[40], '\xFF');
  EXPECT_EQ(LoadBytes(Dir / "doc.bak"), Data);
  HE->Model()->Select(3, 9);
  Type("0");
  HE->Update();
  EXPECT_GT(SaveWindowPng(Form->Handle(), ScreenshotPath("hex_editor_control.png")), 1000);
}

}  // namespace

namespace {

int CALLBACK CollectText(HDC, HANDLETABLE*, const ENHMETARECORD* R, int, LPARAM P) {
  if (R->iType == EMR_EXTTEXTOUTW) {
    auto* T = reinterpret_cast<const EMREXTTEXTOUTW*>(R);
    const auto* Chars = reinterpret_cast<const wchar_t*>(reinterpret_cast<const BYTE*>(R) + T->emrtext.offString);
    reinterpret_cast<std::vector<std::string>*>(P)->push_back(FromWide(std::wstring(Chars, T->emrtext.nChars)));
  }
  return 1;
}

// The texts drawn on a metafile page, in drawing order.
std::vector<std::string> PageTexts(HENHMETAFILE Page) {
  std::vector<std::string> Texts;
  EnumEnhMetaFile(nullptr, Page, CollectText, &Texts, nullptr);
  return Texts;
}

}  // namespace

TEST_F(HexEditorWindow, PrintsWholeRowsPageByPage) {
  // 300 rows of 16 bytes and one byte more.
  std::string Data;
  for (int I = 0; I < 300 * 16 + 1; ++I) Data += char('A' + I % 26);
  Load(Data);
  THexToCanvas Printer(nullptr);
  Printer.SetHexEditor(HE);
  EXPECT_EQ(Printer.RowText(0).rfind("0x", 0), 0u);
  TEmfPrintTarget Pages(794, 1123);
  int N = Printer.Print(Pages);
  ASSERT_EQ(N, int(Pages.Pages().size()));
  ASSERT_GE(N, 3);
  // Every row once, in order, each page headed and numbered at its foot.
  int Row = 0;
  for (int P = 0; P < N; ++P) {
    std::vector<std::string> T = PageTexts(Pages.Pages()[size_t(P)]);
    ASSERT_GE(T.size(), 2u);
    EXPECT_EQ(T.front(), "Qolm HexEditor: " + HE->FileName());
    EXPECT_EQ(T.back(), " Page " + std::to_string(P + 1));
    for (size_t I = 1; I + 1 < T.size(); ++I, ++Row) EXPECT_EQ(T[I], Printer.RowText(Row)) << P << " " << I;
  }
  EXPECT_EQ(Row, 301);
  // The last row holds the one byte left.
  EXPECT_NE(Printer.RowText(300).find("51"), std::string::npos);  // byte 4800: "Q"
}

TEST_F(HexEditorWindow, PrintingWithoutAPrinterSaysSo) {
  Load("abc");
  THexToCanvas Printer(nullptr);
  Printer.SetHexEditor(HE);
  TSpoolerPrintTarget Missing(L"No such printer here");
  try {
    Printer.Print(Missing);
    FAIL() << "no error";
  } catch (const EPrintError& E) {
    EXPECT_STREQ(E.what(), "Printer selected is not valid");
  }
  EXPECT_EQ(All(), "abc");
}
