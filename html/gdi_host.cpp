#include "html/gdi_host.h"

#include <algorithm>
#include <string>
#include <vector>

#include "classlib/win/graphics.h"
#include "classlib/win/wide_string.h"

namespace {

COLORREF Rgb(TColor Color) { return COLORREF(ColorToRGB(Color) & 0xFFFFFF); }

// A window control for a form element. Its text crosses the Win32 boundary in UTF-16.
class TWinControl : public THtmlControl {
public:
  TWinControl(THtmlControlKind AKind, HWND Parent) : Kind(AKind) {
    const wchar_t* cls = L"EDIT";
    DWORD style = WS_CHILD | WS_TABSTOP, ex = 0;
    switch (Kind) {
      case THtmlControlKind::Edit: style |= ES_AUTOHSCROLL | WS_BORDER; ex = WS_EX_CLIENTEDGE; break;
      case THtmlControlKind::Password: style |= ES_AUTOHSCROLL | ES_PASSWORD | WS_BORDER; ex = WS_EX_CLIENTEDGE; break;
      case THtmlControlKind::Memo:
        style |= ES_MULTILINE | ES_AUTOVSCROLL | WS_VSCROLL | ES_WANTRETURN | WS_BORDER;
        ex = WS_EX_CLIENTEDGE;
        break;
      case THtmlControlKind::CheckBox: cls = L"BUTTON"; style |= BS_AUTOCHECKBOX; break;
      case THtmlControlKind::Radio: cls = L"BUTTON"; style |= BS_AUTORADIOBUTTON; break;
      case THtmlControlKind::Submit:
      case THtmlControlKind::Reset:
      case THtmlControlKind::Button: cls = L"BUTTON"; style |= BS_PUSHBUTTON; break;
      case THtmlControlKind::ComboBox: cls = L"COMBOBOX"; style |= CBS_DROPDOWNLIST | WS_VSCROLL; break;
      case THtmlControlKind::ListBox:
        cls = L"LISTBOX";
        style |= LBS_NOTIFY | LBS_EXTENDEDSEL | WS_VSCROLL | WS_BORDER;
        ex = WS_EX_CLIENTEDGE;
        break;
    }
    Wnd = CreateWindowExW(ex, cls, L"", style, 0, 0, 10, 10, Parent, nullptr, GetModuleHandleW(nullptr), nullptr);
  }
  ~TWinControl() override {
    if (Wnd) DestroyWindow(Wnd);
  }
  void SetBounds(int Left, int Top, int Width, int Height) override {
    if (Kind == THtmlControlKind::ComboBox) Height += 150;  // room for the dropped list
    SetWindowPos(Wnd, nullptr, Left, Top, Width, Height, SWP_NOZORDER | SWP_NOACTIVATE);
  }
  void SetVisible(bool Value) override { ShowWindow(Wnd, Value ? SW_SHOWNA : SW_HIDE); }
  bool Visible() const override { return IsWindowVisible(Wnd) != FALSE; }
  void SetText(const std::string& Value) override { SetWindowTextW(Wnd, ToWide(Value).c_str()); }
  std::string Text() const override {
    int n = GetWindowTextLengthW(Wnd);
    std::wstring w(std::size_t(n) + 1, L'\0');
    GetWindowTextW(Wnd, w.data(), n + 1);
    w.resize(std::size_t(n));
    return FromWide(w);
  }
  void SetChecked(bool Value) override { SendMessageW(Wnd, BM_SETCHECK, Value ? BST_CHECKED : BST_UNCHECKED, 0); }
  bool Checked() const override { return SendMessageW(Wnd, BM_GETCHECK, 0, 0) == BST_CHECKED; }
  void ClearItems() override { SendMessageW(Wnd, IsList() ? LB_RESETCONTENT : CB_RESETCONTENT, 0, 0); }
  void AddItem(const std::string& Value) override {
    std::wstring w = ToWide(Value);
    SendMessageW(Wnd, IsList() ? LB_ADDSTRING : CB_ADDSTRING, 0, LPARAM(w.c_str()));
  }
  int ItemCount() const override { return int(SendMessageW(Wnd, IsList() ? LB_GETCOUNT : CB_GETCOUNT, 0, 0)); }
  void SetSelected(int Index, bool Value) override {
    if (IsList()) SendMessageW(Wnd, LB_SETSEL, Value, LPARAM(Index));
    else if (Value) SendMessageW(Wnd, CB_SETCURSEL, WPARAM(Index), 0);
  }
  bool Selected(int Index) const override {
    if (IsList()) return SendMessageW(Wnd, LB_GETSEL, WPARAM(Index), 0) > 0;
    return SendMessageW(Wnd, CB_GETCURSEL, 0, 0) == Index;
  }

  THtmlControlKind Kind;
  HWND Wnd;

private:
  bool IsList() const { return Kind == THtmlControlKind::ListBox; }
};

}  // namespace

TGdiHost::TGdiHost(HDC DC, HWND Parent) : FDC(DC), FParent(Parent) {
  FOldFont = GetCurrentObject(FDC, OBJ_FONT);
  SetBkMode(FDC, TRANSPARENT);
  SetTextAlign(FDC, TA_LEFT | TA_TOP | TA_NOUPDATECP);
}

TGdiHost::~TGdiHost() {
  while (FClipDepth > 0) PopClip();
  SelectObject(FDC, FOldFont);
}

THtmlFontMetrics TGdiHost::FontMetrics(const TFont& Font) {
  SelectObject(FDC, FontHandle(Font));
  TEXTMETRICW tm{};
  GetTextMetricsW(FDC, &tm);
  THtmlFontMetrics m;
  m.Height = tm.tmHeight;
  m.Ascent = tm.tmAscent;
  m.Descent = tm.tmDescent;
  m.ExternalLeading = tm.tmExternalLeading;
  m.Overhang = tm.tmOverhang;
  m.AveCharWidth = tm.tmAveCharWidth;
  return m;
}

int TGdiHost::TextWidth(const TFont& Font, std::string_view Text) {
  if (Text.empty()) return 0;
  SelectObject(FDC, FontHandle(Font));
  std::wstring w = ToWide(Text);
  SIZE size{};
  GetTextExtentPoint32W(FDC, w.c_str(), int(w.size()), &size);
  return size.cx;
}

bool TGdiHost::Monochrome() const {
  return GetDeviceCaps(FDC, BITSPIXEL) * GetDeviceCaps(FDC, PLANES) == 1;
}

void TGdiHost::DrawText(const TFont& Font, int X, int Y, std::string_view Text) {
  SelectObject(FDC, FontHandle(Font));
  SetTextColor(FDC, Rgb(Font.Color()));
  std::wstring w = ToWide(Text);
  if (w.empty()) return;
  // Each character at the advance that TextWidth measures: the layout places the next run
  // of text (a link, a bold word) where this one ends by that measure, and some platforms
  // draw a string narrower than they measure it, which left gaps before every such run.
  std::vector<INT> ends(w.size()), advances(w.size());
  SIZE size{};
  if (!GetTextExtentExPointW(FDC, w.c_str(), int(w.size()), 0, nullptr, ends.data(), &size)) {
    TextOutW(FDC, X, Y, w.c_str(), int(w.size()));
    return;
  }
  for (std::size_t i = 0; i < w.size(); ++i) advances[i] = ends[i] - (i > 0 ? ends[i - 1] : 0);
  ExtTextOutW(FDC, X, Y, 0, nullptr, w.c_str(), UINT(w.size()), advances.data());
}

void TGdiHost::FillRect(const THtmlRect& R, TColor Color) {
  HBRUSH brush = CreateSolidBrush(Rgb(Color));
  RECT r = {R.Left, R.Top, R.Right, R.Bottom};
  ::FillRect(FDC, &r, brush);
  DeleteObject(brush);
}

// Both end points are drawn.
void TGdiHost::DrawLine(int X1, int Y1, int X2, int Y2, TColor Color) {
  HPEN pen = CreatePen(PS_SOLID, 1, Rgb(Color));
  HGDIOBJ old = SelectObject(FDC, pen);
  MoveToEx(FDC, X1, Y1, nullptr);
  LineTo(FDC, X2, Y2);
  SetPixelV(FDC, X2, Y2, Rgb(Color));
  SelectObject(FDC, old);
  DeleteObject(pen);
}

void TGdiHost::DrawPicture(const THtmlPicture& Picture, int X, int Y, int W, int H) {
  if (Picture.Width <= 0 || Picture.Height <= 0 || W <= 0 || H <= 0) return;
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bi.bmiHeader.biWidth = Picture.Width;
  bi.bmiHeader.biHeight = -Picture.Height;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  if (!Picture.HasTransparency()) {
    SetStretchBltMode(FDC, COLORONCOLOR);
    StretchDIBits(FDC, X, Y, W, H, 0, 0, Picture.Width, Picture.Height, Picture.Pixels.data(), &bi, DIB_RGB_COLORS,
                  SRCCOPY);
    return;
  }
  if (Monochrome()) return;  // a mask on a one-bit device would print as a black box
  // Transparent pixels: blend a premultiplied copy over what is drawn already.
  void* bits = nullptr;
  HBITMAP dib = CreateDIBSection(FDC, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!dib) return;
  auto* out = static_cast<std::uint32_t*>(bits);
  for (std::size_t i = 0; i < Picture.Pixels.size(); ++i) {
    std::uint32_t p = Picture.Pixels[i], a = p >> 24;
    std::uint32_t r = (p >> 16 & 0xFF) * a / 255, g = (p >> 8 & 0xFF) * a / 255, b = (p & 0xFF) * a / 255;
    out[i] = a << 24 | r << 16 | g << 8 | b;
  }
  HDC mem = CreateCompatibleDC(FDC);
  HGDIOBJ old = SelectObject(mem, dib);
  BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  GdiAlphaBlend(FDC, X, Y, W, H, mem, 0, 0, Picture.Width, Picture.Height, blend);
  SelectObject(mem, old);
  DeleteDC(mem);
  DeleteObject(dib);
}

void TGdiHost::PushClip(const THtmlRect& R) {
  SaveDC(FDC);
  ++FClipDepth;
  IntersectClipRect(FDC, R.Left, R.Top, R.Right, R.Bottom);
}

void TGdiHost::PopClip() {
  if (FClipDepth == 0) return;
  --FClipDepth;
  RestoreDC(FDC, -1);
  SetBkMode(FDC, TRANSPARENT);
}

std::unique_ptr<THtmlControl> TGdiHost::CreateControl(THtmlControlKind Kind) {
  auto c = std::make_unique<TWinControl>(Kind, FParent);
  if (!c->Wnd) return nullptr;
  SendMessageW(c->Wnd, WM_SETFONT, WPARAM(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
  return c;
}

// ---- printing

TGdiPrintDevice::TGdiPrintDevice(std::wstring PrinterName)
    : FTarget(std::make_unique<TSpoolerPrintTarget>(std::move(PrinterName))) {}

TGdiPrintDevice::TGdiPrintDevice(std::unique_ptr<TPrintTarget> Target) : FTarget(std::move(Target)) {}

TGdiPrintDevice::~TGdiPrintDevice() { DeleteContext(); }

bool TGdiPrintDevice::CreateContext(bool Information) {
  FHost.reset();
  return FTarget->CreateContext(Information);
}

void TGdiPrintDevice::DeleteContext() {
  FHost.reset();
  FTarget->DeleteContext();
}

int TGdiPrintDevice::StartDoc(const std::string& Title, const std::function<bool()>& Aborted) {
  return FTarget->StartDoc(Title, Aborted);
}

int TGdiPrintDevice::StartPage() {
  FHost.reset();
  return FTarget->StartPage();
}

int TGdiPrintDevice::EndPage() {
  FHost.reset();
  return FTarget->EndPage();
}

int TGdiPrintDevice::EndDoc() {
  FHost.reset();
  return FTarget->EndDoc();
}

int TGdiPrintDevice::AbortDoc() {
  FHost.reset();
  return FTarget->AbortDoc();
}

THtmlHost& TGdiPrintDevice::Canvas() {
  HDC dc = FTarget->DC();
  if (!dc) throw EPrinter(SPrinterInvalid);
  if (!FHost || FHost->DC() != dc) FHost = std::make_unique<TGdiHost>(dc);
  return *FHost;
}

TEmfPrintDevice::TEmfPrintDevice(int PageWidth, int PageHeight)
    : TGdiPrintDevice(std::make_unique<TEmfPrintTarget>(PageWidth, PageHeight)) {}
