// TGdiHost: the HTML host over a GDI device context (a window, a memory bitmap, a printer
// or a metafile). Form controls are child windows of Parent.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "classlib/win/print_target.h"
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

// Print devices over the class library's print targets, drawing through a GDI host on the
// target's current context (the page being made, or the measuring context between pages).

class TGdiPrintDevice : public TPrintDevice {
public:
  // A printer of the platform's spooler (the default printer when Name is empty): a job on
  // a machine without that printer fails with a clear error.
  explicit TGdiPrintDevice(std::wstring PrinterName = std::wstring());
  ~TGdiPrintDevice() override;
  bool CreateContext(bool Information) override;
  void DeleteContext() override;
  int StartDoc(const std::string& Title, const std::function<bool()>& Aborted) override;
  int StartPage() override;
  int EndPage() override;
  int EndDoc() override;
  int AbortDoc() override;
  int PageWidth() override { return FTarget->PageWidth(); }
  int PageHeight() override { return FTarget->PageHeight(); }
  THtmlHost& Canvas() override;

protected:
  explicit TGdiPrintDevice(std::unique_ptr<TPrintTarget> Target);
  std::unique_ptr<TPrintTarget> FTarget;

private:
  // The host lets go of a context before the target changes or deletes it.
  std::unique_ptr<TGdiHost> FHost;
};

// Each page recorded as an enhanced metafile of the given size (in pixels at the reference
// device's resolution): print preview, and print jobs where there is no printer.
class TEmfPrintDevice : public TGdiPrintDevice {
public:
  TEmfPrintDevice(int PageWidth, int PageHeight);
  // The finished pages, owned by the device.
  const std::vector<HENHMETAFILE>& Pages() const { return Emf().Pages(); }
  const std::string& Title() const { return Emf().Title(); }

private:
  const TEmfPrintTarget& Emf() const { return static_cast<const TEmfPrintTarget&>(*FTarget); }
};
