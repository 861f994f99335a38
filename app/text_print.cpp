#include "app/text_print.h"

#include <algorithm>

#include "classlib/win/dialogs.h"
#include "classlib/win/graphics.h"
#include "classlib/win/wide_string.h"

int PrintTextLines(TPrintTarget& Target, const std::vector<std::string>& Lines, const TFont& Font,
                   const std::string& Title) {
  if (!Target.CreateContext(false)) throw ETextPrintError("Printer selected is not valid");
  int Pages = 0;
  bool Started = false;
  try {
    if (Target.StartDoc(Title, nullptr) <= 0) throw ETextPrintError("The printer refused the print job");
    Started = true;
    // The font's point size on the device.
    HDC Measure = Target.DC();
    TFont F;
    F.Assign(&Font);
    F.SetHeight(-MulDiv(Font.Size(), GetDeviceCaps(Measure, LOGPIXELSY), 72));
    HGDIOBJ Old = SelectObject(Measure, FontHandle(F));
    TEXTMETRICW TM{};
    GetTextMetricsW(Measure, &TM);
    SelectObject(Measure, Old);
    const int PW = Target.PageWidth(), PH = Target.PageHeight();
    const int MarginX = PW / 20, MarginY = PH / 20;
    const int LineH = std::max<int>(1, TM.tmHeight + TM.tmExternalLeading);
    const int PerPage = std::max(1, (PH - 2 * MarginY) / LineH);
    const int Total = std::max<int>(1, (int(Lines.size()) + PerPage - 1) / PerPage);
    for (int Page = 0; Page < Total; ++Page) {
      if (Target.StartPage() <= 0) throw ETextPrintError("The printer refused a page");
      HDC DC = Target.DC();
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
      if (Target.EndPage() <= 0) throw ETextPrintError("The printer refused a page");
      ++Pages;
    }
    if (Target.EndDoc() <= 0) throw ETextPrintError("The printer refused to finish the print job");
  } catch (...) {
    if (Started) Target.AbortDoc();
    Target.DeleteContext();
    throw;
  }
  Target.DeleteContext();
  return Pages;
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
