// Print jobs' devices: a printer of the platform's spooler, or pages recorded as enhanced
// metafiles (print preview, tests, and jobs where there is no printer).
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "classlib/core/exception.h"

// Results follow the platform: above 0 is success.
class TPrintTarget {
public:
  virtual ~TPrintTarget() = default;
  // An information context (Information true: measuring only) or a device context for a
  // job; false when the device cannot make one.
  virtual bool CreateContext(bool Information) = 0;
  virtual void DeleteContext() = 0;
  // Aborted is asked while the job spools; true stops it.
  virtual int StartDoc(const std::string& Title, const std::function<bool()>& Aborted) = 0;
  virtual int StartPage() = 0;
  virtual int EndPage() = 0;
  virtual int EndDoc() = 0;
  virtual int AbortDoc() = 0;
  virtual int PageWidth() = 0;  // pixels
  virtual int PageHeight() = 0;
  // What to draw on: the page being made, else the context for measuring (nullptr when
  // there is none).
  virtual HDC DC() const = 0;
};

// Whether the spooler has a default printer: without one every job to it fails, and the
// caller can say why instead of passing on the device error.
bool HasDefaultPrinter();

// A printer of the spooler (the default printer when Name is empty): a job on a machine
// without that printer fails with a clear error.
class TSpoolerPrintTarget : public TPrintTarget {
public:
  explicit TSpoolerPrintTarget(std::wstring PrinterName = std::wstring());
  ~TSpoolerPrintTarget() override;
  bool CreateContext(bool Information) override;
  void DeleteContext() override;
  int StartDoc(const std::string& Title, const std::function<bool()>& Aborted) override;
  int StartPage() override;
  int EndPage() override;
  int EndDoc() override;
  int AbortDoc() override;
  int PageWidth() override;
  int PageHeight() override;
  HDC DC() const override { return FDC; }

private:
  std::wstring FName;
  HDC FDC = nullptr;
};

// Each page an enhanced metafile of the given size, in pixels at the screen's resolution.
class TEmfPrintTarget : public TPrintTarget {
public:
  TEmfPrintTarget(int PageWidth, int PageHeight);
  ~TEmfPrintTarget() override;
  bool CreateContext(bool Information) override;
  void DeleteContext() override;
  int StartDoc(const std::string& Title, const std::function<bool()>& Aborted) override;
  int StartPage() override;
  int EndPage() override;
  int EndDoc() override;
  int AbortDoc() override;
  int PageWidth() override { return FWidth; }
  int PageHeight() override { return FHeight; }
  HDC DC() const override { return FPage != nullptr ? FPage : FInfo; }
  // The finished pages, owned by the target.
  const std::vector<HENHMETAFILE>& Pages() const { return FPages; }
  const std::string& Title() const { return FTitle; }

private:
  void ClearPages();
  int FWidth, FHeight;
  HDC FInfo = nullptr;  // the screen, for measuring between pages
  HDC FPage = nullptr;  // the metafile of the page being drawn
  std::vector<HENHMETAFILE> FPages;
  std::string FTitle;
};

// A print job the device refused or could not start; the message says why.
ZX_EXCEPTION(EPrintError, Exception);

// Runs one job on Target: makes its device context, starts the document named Title,
// asks Layout for the number of pages once the context can be measured (at least one
// page is printed), and has DrawPage draw each page (numbered from 0) on the page's
// context. The number of pages printed. EPrintError with the reason when the device
// refuses; on any failure, DrawPage's too, a started job is aborted and the context
// freed before the exception goes on.
int RunPrintJob(TPrintTarget& Target, const std::string& Title, const std::function<int()>& Layout,
                const std::function<void(HDC DC, int Page)>& DrawPage);
