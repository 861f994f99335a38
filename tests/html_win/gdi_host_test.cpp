#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>

#include "html/gdi_host.h"
#include "tests/html_win/bitmap_target.h"
#include "tests/support/png_writer.h"
#include "tests/support/screenshot.h"

namespace {

void SetFont(TFont& F, const char* Name, int Size) {
  F.SetName(Name);
  F.SetSize(Size);
  F.SetColor(clBlack);
}

}  // namespace

TEST(GdiHost, MeasuresAndDraws) {
  TBitmapTarget target(300, 140);
  {
    TGdiHost host(target.DC);
    TFont arial;
    SetFont(arial, "Arial", 12);
    THtmlFontMetrics m = host.FontMetrics(arial);
    EXPECT_GT(m.Height, 10);
    EXPECT_EQ(m.Height, m.Ascent + m.Descent);
    int a = host.TextWidth(arial, "A");
    EXPECT_GT(a, 0);
    EXPECT_EQ(host.TextWidth(arial, "AAAA"), 4 * a);
    EXPECT_EQ(host.TextWidth(arial, ""), 0);
    EXPECT_GT(host.TextWidth(arial, "\xCF\xF0\xE8\xE2\xE5\xF2"), 0);  // Cyrillic measures as letters

    host.FillRect({10, 10, 20, 20}, TColor(0x0000FF));
    host.DrawLine(30, 10, 30, 19, clBlack);
    host.DrawText(arial, 40, 5, "Hello \xCF\xF0\xE8\xE2\xE5\xF2");
    THtmlPicture pic(2, 1);
    pic.Pixels = {0xFFFF0000u, 0x00000000u};
    host.FillRect({10, 40, 30, 50}, TColor(0x00FF00));
    host.DrawPicture(pic, 10, 40, 20, 10);
    host.PushClip({100, 40, 110, 50});
    host.FillRect({90, 30, 130, 60}, clBlack);
    host.PopClip();
    DrawFormControlFrame(host, 10, 70, 90, 92, false);
    DrawBevel3D(host, clWhite, false, 100, 70, 180, 92, true);
    WrapTextRect(host, arial, 190, 60, 290, 130, "Alt text that wraps at blanks inside its box");
  }
  EXPECT_EQ(target.Pixel(15, 15), 0xFF0000u);  // the GDI's colour order: red
  EXPECT_EQ(target.Pixel(30, 10), 0u);
  EXPECT_EQ(target.Pixel(30, 19), 0u);
  EXPECT_GT(target.Inked(40, 5, 200, 30), 20);
  EXPECT_EQ(target.Pixel(12, 45), 0xFF0000u);  // the picture's opaque half: red
  EXPECT_EQ(target.Pixel(25, 45), 0x00FF00u);  // its transparent half shows what was under
  EXPECT_EQ(target.Pixel(105, 45), 0u);
  EXPECT_EQ(target.Pixel(95, 45), 0xFFFFFFu);  // outside the clip
  EXPECT_GT(target.Inked(190, 60, 290, 130), 40);
  target.Save("html_gdi_host.png");
}

TEST(GdiHost, FormControlWindows) {
  HWND parent = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 300, 200, nullptr, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(parent, nullptr);
  HDC dc = GetDC(parent);
  {
    TGdiHost host(dc, parent);
    auto edit = host.CreateControl(THtmlControlKind::Edit);
    ASSERT_NE(edit, nullptr);
    edit->SetText("\xCF\xF0\xE8\xE2\xE5\xF2");
    EXPECT_EQ(edit->Text(), "\xCF\xF0\xE8\xE2\xE5\xF2");
    edit->SetBounds(5, 5, 100, 20);
    edit->SetVisible(true);
    EXPECT_TRUE(edit->Visible() || !IsWindowVisible(parent));
    auto combo = host.CreateControl(THtmlControlKind::ComboBox);
    combo->AddItem("one");
    combo->AddItem("two");
    combo->SetSelected(1, true);
    EXPECT_EQ(combo->ItemCount(), 2);
    EXPECT_TRUE(combo->Selected(1));
    EXPECT_FALSE(combo->Selected(0));
    auto list = host.CreateControl(THtmlControlKind::ListBox);
    list->AddItem("a");
    list->AddItem("b");
    list->SetSelected(0, true);
    list->SetSelected(1, true);
    EXPECT_TRUE(list->Selected(0));
    EXPECT_TRUE(list->Selected(1));
    auto check = host.CreateControl(THtmlControlKind::CheckBox);
    check->SetChecked(true);
    EXPECT_TRUE(check->Checked());
  }
  ReleaseDC(parent, dc);
  DestroyWindow(parent);
}

TEST(GdiPrintDevice, AMissingPrinterIsAClearError) {
  TvwPrinter printer(std::make_unique<TGdiPrintDevice>(L"No such printer here"));
  try {
    printer.BeginDoc();
    FAIL() << "a job started on a printer that does not exist";
  } catch (const EPrinter& e) {
    EXPECT_STREQ(e.what(), SPrinterInvalid);
  }
  EXPECT_FALSE(printer.Printing());
  EXPECT_THROW(printer.EndDoc(), EPrinter);
}

TEST(EmfPrintDevice, PagesOfAJob) {
  auto device = std::make_unique<TEmfPrintDevice>(300, 200);
  TEmfPrintDevice* emf = device.get();
  TvwPrinter printer(std::move(device));
  printer.Title = std::string(40, 'T');
  EXPECT_EQ(printer.PageWidth(), 300);
  printer.BeginDoc();
  TFont arial;
  SetFont(arial, "Arial", 20);
  printer.Canvas().FillRect({10, 10, 60, 60}, TColor(0x0000FF));
  printer.NewPage();
  printer.Canvas().DrawText(arial, 10, 10, "Page two");
  printer.EndDoc();
  ASSERT_EQ(emf->Pages().size(), 2u);
  EXPECT_EQ(emf->Title().size(), 31u);

  // The first page played back into a bitmap holds its red square.
  TBitmapTarget target(300, 200);
  RECT r = {0, 0, 300, 200};
  ASSERT_TRUE(PlayEnhMetaFile(target.DC, emf->Pages()[0], &r));
  EXPECT_EQ(target.Pixel(30, 30), 0xFF0000u);
  TBitmapTarget second(300, 200);
  ASSERT_TRUE(PlayEnhMetaFile(second.DC, emf->Pages()[1], &r));
  EXPECT_GT(second.Inked(0, 0, 300, 200), 50);

  // An aborted job keeps no pages.
  printer.BeginDoc();
  printer.Canvas().FillRect({0, 0, 10, 10}, clBlack);
  printer.Abort();
  EXPECT_TRUE(emf->Pages().empty());
}

// Text drawn in two runs (as before a link or a bold word) lands where the same text drawn
// in one run does: the second run starts where TextWidth says the first one ends.
TEST(GdiHost, TextSplitInRunsDrawsAsOneRun) {
  TFont f;
  SetFont(f, "Times New Roman", 12);
  for (const char* Line : {"AAA BBB CCC DDD EEE", "Paragraph with a link and bold.", "\xD1\xF2\xF0\xEE\xEA\xE0 \xE4\xE2\xE0 abc"}) {
    const std::string Text = Line;
    const std::size_t Cut = Text.find(' ', 5) + 1;
    TBitmapTarget one(600, 30), two(600, 30);
    {
      TGdiHost h(one.DC);
      h.DrawText(f, 0, 0, Text);
    }
    {
      TGdiHost h(two.DC);
      h.DrawText(f, 0, 0, Text.substr(0, Cut));
      h.DrawText(f, h.TextWidth(f, Text.substr(0, Cut)), 0, Text.substr(Cut));
    }
    int Differ = 0;
    for (int y = 0; y < 30; ++y)
      for (int x = 0; x < 600; ++x) Differ += one.Pixel(x, y) != two.Pixel(x, y);
    EXPECT_EQ(Differ, 0) << Line;
  }
}
