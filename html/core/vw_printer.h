// TvwPrinter: the HTML viewer's print job: page numbering, the job title, aborting. The
// device behind it (a printer, an EMF or memory target) does the platform work, so that a
// job can run where there is no printer.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "classlib/core/exception.h"
#include "html/core/html_host.h"

ZX_EXCEPTION(EPrinter, Exception);

extern const char* const SPrinterNotPrinting;   // "Printer is not currently printing"
extern const char* const SPrinterPrinting;      // "Printing in progress"
extern const char* const SPrinterInvalid;       // "Printer selected is not valid"
extern const char* const SPrinterJobFailed;     // the device refused to start the job or a page

// What a job needs of a device. Results follow the platform: above 0 is success.
class TPrintDevice {
public:
  virtual ~TPrintDevice() = default;
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
  virtual int PageWidth() = 0;   // pixels
  virtual int PageHeight() = 0;
  virtual THtmlHost& Canvas() = 0;
};

class TvwPrinter {
public:
  static constexpr std::size_t MaxTitle = 31;

  explicit TvwPrinter(std::unique_ptr<TPrintDevice> Device);
  ~TvwPrinter();

  std::string Title;
  int PageNumber() const { return FPageNumber; }
  bool Printing() const { return FPrinting; }
  bool Aborted() const { return FAborted; }
  int State() const { return FState; }  // 0 no context, 1 information context, 2 device context

  // Starts a job on page 1; EPrinter during a job or when the device refuses.
  void BeginDoc();
  void NewPage();
  // Ends the job; after Abort the device's job is not ended a second time.
  void EndDoc();
  void Abort();
  int PageWidth();
  int PageHeight();
  THtmlHost& Canvas();

private:
  void SetState(int Value);
  void RequirePrinting() const;
  void Check(int Result);

  std::unique_ptr<TPrintDevice> FDevice;
  int FState = 0;
  int FPageNumber = 0;
  bool FPrinting = false;
  bool FAborted = false;
};
