// TGdiHost: the HTML host over a GDI device context (a window, a memory bitmap, a printer
// or a metafile). Form controls are child windows of Parent.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "html/core/html_host.h"
#include "html/core/vw_printer.h"

class TGdiHost : public THtmlHost {
public:
  // Parent receives the form control windows (none may be made without one).
  TGdiHost(HDC DC, HWND Parent = nullptr);
  ~TGdiHost() override;

  HDC DC() const { return FDC; }
  HWND Parent() const { return FParent; }
  void SetParent(HWND Value) { FParent = Value; }

  THtmlFontMetrics FontMetrics(const TFont& Font) override;
  int TextWidth(const TFont& Font, std::string_view Text) override;
  bool Monochrome() const override;
  void DrawText(const TFont& Font, int X, int Y, std::string_view Text) override;
  void FillRect(const THtmlRect& R, TColor Color) override;
  void DrawLine(int X1, int Y1, int X2, int Y2, TColor Color) override;
  void DrawPicture(const THtmlPicture& Picture, int X, int Y, int W, int H) override;
  void PushClip(const THtmlRect& R) override;
  void PopClip() override;
  std::unique_ptr<THtmlControl> CreateControl(THtmlControlKind Kind) override;

private:
  HDC FDC;
  HWND FParent;
  HGDIOBJ FOldFont;
  int FClipDepth = 0;
};

// A print device on a printer of the platform's spooler (the default printer when Name is
// empty): a job on a machine without that printer fails with a clear error.

class TGdiPrintDevice : public TPrintDevice {
public:
  explicit TGdiPrintDevice(std::wstring PrinterName = std::wstring());
  ~TGdiPrintDevice() override;
  bool CreateContext(bool Information) override;
  void DeleteContext() override;
  int StartDoc(const std::string& Title, const std::function<bool()>& Aborted) override;
  int StartPage() override;
  int EndPage() override;
  int EndDoc() override;
  int AbortDoc() override;
  int PageWidth() override;
  int PageHeight() override;
  THtmlHost& Canvas() override;

private:
  std::wstring FName;
  HDC FDC = nullptr;
  std::unique_ptr<TGdiHost> FHost;
};

// A print device that records each page as an enhanced metafile of the given size (in
// pixels at the reference device's resolution): print preview, and print jobs where there
// is no printer.
class TEmfPrintDevice : public TPrintDevice {
public:
  TEmfPrintDevice(int PageWidth, int PageHeight);
  ~TEmfPrintDevice() override;
  bool CreateContext(bool Information) override;
  void DeleteContext() override;
  int StartDoc(const std::string& Title, const std::function<bool()>& Aborted) override;
  int StartPage() override;
  int EndPage() override;
  int EndDoc() override;
  int AbortDoc() override;
  int PageWidth() override { return FWidth; }
  int PageHeight() override { return FHeight; }
  THtmlHost& Canvas() override;
  // The finished pages, owned by the device.
  const std::vector<HENHMETAFILE>& Pages() const { return FPages; }
  const std::string& Title() const { return FTitle; }

private:
  void ClearPages();
  int FWidth, FHeight;
  HDC FInfo = nullptr;  // the screen, for measuring between pages
  HDC FPage = nullptr;  // the metafile of the page being drawn
  std::unique_ptr<TGdiHost> FHost;
  std::vector<HENHMETAFILE> FPages;
  std::string FTitle;
};
