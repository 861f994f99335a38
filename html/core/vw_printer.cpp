#include "html/core/vw_printer.h"

#include <functional>

const char* const SPrinterNotPrinting = "Printer is not currently printing";
const char* const SPrinterPrinting = "Printing in progress";
const char* const SPrinterInvalid = "Printer selected is not valid";
const char* const SPrinterJobFailed = "The printer did not accept the print job";

TvwPrinter::TvwPrinter(std::unique_ptr<TPrintDevice> Device) : FDevice(std::move(Device)) {}

TvwPrinter::~TvwPrinter() {
  try {
    if (FPrinting) EndDoc();
  } catch (const Exception&) {
  }
  FPrinting = false;
  SetState(0);
}

void TvwPrinter::SetState(int Value) {
  if (Value == FState) return;
  switch (Value) {
    case 0:
      if (FPrinting) return;
      FDevice->DeleteContext();
      break;
    case 1:
      if (FState == 2) return;
      if (!FDevice->CreateContext(true)) throw EPrinter(SPrinterInvalid);
      break;
    case 2:
      if (FState != 0) FDevice->DeleteContext();
      FState = 0;
      if (!FDevice->CreateContext(false)) throw EPrinter(SPrinterInvalid);
      break;
  }
  FState = Value;
}

void TvwPrinter::RequirePrinting() const {
  if (!FPrinting) throw EPrinter(SPrinterNotPrinting);
}

// A refused StartDoc or page must not pass for a printed job.
void TvwPrinter::Check(int Result) {
  if (Result > 0) return;
  if (FPrinting) {
    FDevice->AbortDoc();
    FPrinting = false;
    FAborted = true;
    FPageNumber = 0;
  }
  throw EPrinter(SPrinterJobFailed);
}

void TvwPrinter::BeginDoc() {
  if (FPrinting) throw EPrinter(SPrinterPrinting);
  SetState(2);
  FAborted = false;
  FPageNumber = 1;
  if (FDevice->StartDoc(Title.substr(0, MaxTitle), [this] { return FAborted; }) <= 0) {
    FPageNumber = 0;
    throw EPrinter(SPrinterJobFailed);
  }
  FPrinting = true;
  Check(FDevice->StartPage());
}

void TvwPrinter::NewPage() {
  RequirePrinting();
  Check(FDevice->EndPage());
  Check(FDevice->StartPage());
  ++FPageNumber;
}

void TvwPrinter::EndDoc() {
  RequirePrinting();
  if (!FAborted) {
    FDevice->EndPage();
    FDevice->EndDoc();
  }
  FPrinting = false;
  FAborted = false;
  FPageNumber = 0;
}

void TvwPrinter::Abort() {
  RequirePrinting();
  FDevice->AbortDoc();
  FAborted = true;
  EndDoc();
}

int TvwPrinter::PageWidth() {
  if (FState == 0) SetState(1);
  return FDevice->PageWidth();
}

int TvwPrinter::PageHeight() {
  if (FState == 0) SetState(1);
  return FDevice->PageHeight();
}

THtmlHost& TvwPrinter::Canvas() {
  if (FState == 0) SetState(1);
  return FDevice->Canvas();
}
