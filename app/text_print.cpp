#include "app/text_print.h"

#include <algorithm>

#include "classlib/win/dialogs.h"
#include "classlib/win/graphics.h"
#include "classlib/win/wide_string.h"

int PrintTextLines(TPrintTarget& Target, const std::vector<std::string>& Lines, const TFont& Font,
                   const std::string& Title) {
  TFont F;
  int PW = 0, PH = 0, MarginX = 0, MarginY = 0, LineH = 1, PerPage = 1;
  auto Layout = [&] {
    // The font's point size on the device.
    HDC Measure = Target.DC();
    F.Assign(&Font);
    F.SetHeight(-MulDiv(Font.Size(), GetDeviceCaps(Measure, LOGPIXELSY), 72));
    HGDIOBJ Old = SelectObject(Measure, FontHandle(F));
    TEXTMETRICW TM{};
    GetTextMetricsW(Measure, &TM);
    SelectObject(Measure, Old);
    PW = Target.PageWidth();
    PH = Target.PageHeight();
    MarginX = PW / 20;
    MarginY = PH / 20;
    LineH = std::max<int>(1, TM.tmHeight + TM.tmExternalLeading);
    PerPage = std::max(1, (PH - 2 * MarginY) / LineH);
    return std::max<int>(1, (int(Lines.size()) + PerPage - 1) / PerPage);
  };
  auto DrawPage = [&](HDC DC, int Page) {
    HGDIOBJ OldFont = SelectObject(DC, FontHandle(F));
    SetBkMode(DC, TRANSPARENT);
    SetTextColor(DC, ColorToRGB(Font.Color()));
    const RECT Clip{MarginX, MarginY, PW - MarginX, PH - MarginY};
    int Y = MarginY;
    const size_t End = std::min(Lines.size(), size_t(Page + 1) * size_t(PerPage));
    for (size_t I = size_t(Page) * size_t(PerPage); I < End; ++I, Y += LineH) {
      // Tabs as the screen shows them: to the next multiple of eight characters.
      std::string L;
      for (char C : Lines[I]) {
        if (C == '\t')
          L.append(8 - L.size() % 8, ' ');
        else
          L += C;
      }
      std::wstring W = ToWide(L);
      ExtTextOutW(DC, MarginX, Y, ETO_CLIPPED, &Clip, W.c_str(), UINT(W.size()), nullptr);
    }
    SelectObject(DC, OldFont);
  };
  return RunPrintJob(Target, Title, Layout, DrawPage);
}

std::unique_ptr<TPrintTarget> ChosenPrinter(const TPrintDialog& Dialog) {
  std::wstring Name;
  if (HGLOBAL Names = Dialog.DevNames()) {
    if (auto* N = static_cast<DEVNAMES*>(GlobalLock(Names))) {
      Name = reinterpret_cast<const wchar_t*>(N) + N->wDeviceOffset;
      GlobalUnlock(Names);
    }
  }
  return std::make_unique<TSpoolerPrintTarget>(Name);
}
