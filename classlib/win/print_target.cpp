#include "classlib/win/print_target.h"

#include <winspool.h>

#include <algorithm>
#include <cwchar>

#include "classlib/win/wide_string.h"

namespace {

// The job of the abort procedure: one per process, as the spooler calls it without context.
std::function<bool()> CurrentAbortCheck;

BOOL CALLBACK AbortProc(HDC, int) {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return CurrentAbortCheck && CurrentAbortCheck() ? FALSE : TRUE;
}

}  // namespace

// ---- the spooler

bool HasDefaultPrinter() {
  DWORD size = 0;
  GetDefaultPrinterW(nullptr, &size);
  return size != 0;
}

TSpoolerPrintTarget::TSpoolerPrintTarget(std::wstring PrinterName) : FName(std::move(PrinterName)) {}

TSpoolerPrintTarget::~TSpoolerPrintTarget() { DeleteContext(); }

bool TSpoolerPrintTarget::CreateContext(bool Information) {
  DeleteContext();
  std::wstring name = FName;
  if (name.empty()) {
    DWORD size = 0;
    GetDefaultPrinterW(nullptr, &size);
    if (size == 0) return false;
    name.resize(size);
    if (!GetDefaultPrinterW(name.data(), &size)) return false;
    name.resize(std::wcslen(name.c_str()));
  }
  FDC = Information ? CreateICW(L"WINSPOOL", name.c_str(), nullptr, nullptr)
                    : CreateDCW(L"WINSPOOL", name.c_str(), nullptr, nullptr);
  return FDC != nullptr;
}

void TSpoolerPrintTarget::DeleteContext() {
  if (FDC) DeleteDC(FDC);
  FDC = nullptr;
}

int TSpoolerPrintTarget::StartDoc(const std::string& Title, const std::function<bool()>& Aborted) {
  if (!FDC) return 0;
  CurrentAbortCheck = Aborted;
  SetAbortProc(FDC, AbortProc);
  std::wstring title = ToWide(Title);
  DOCINFOW info{};
  info.cbSize = sizeof info;
  info.lpszDocName = title.c_str();
  return ::StartDocW(FDC, &info);
}

int TSpoolerPrintTarget::StartPage() { return FDC ? ::StartPage(FDC) : 0; }
int TSpoolerPrintTarget::EndPage() { return FDC ? ::EndPage(FDC) : 0; }
int TSpoolerPrintTarget::EndDoc() {
  CurrentAbortCheck = nullptr;
  return FDC ? ::EndDoc(FDC) : 0;
}
int TSpoolerPrintTarget::AbortDoc() {
  CurrentAbortCheck = nullptr;
  return FDC ? ::AbortDoc(FDC) : 0;
}
int TSpoolerPrintTarget::PageWidth() { return FDC ? GetDeviceCaps(FDC, HORZRES) : 0; }
int TSpoolerPrintTarget::PageHeight() { return FDC ? GetDeviceCaps(FDC, VERTRES) : 0; }

// ---- metafile pages

TEmfPrintTarget::TEmfPrintTarget(int PageWidth, int PageHeight) : FWidth(PageWidth), FHeight(PageHeight) {}

TEmfPrintTarget::~TEmfPrintTarget() {
  DeleteContext();
  ClearPages();
}

void TEmfPrintTarget::ClearPages() {
  for (HENHMETAFILE m : FPages) DeleteEnhMetaFile(m);
  FPages.clear();
}

bool TEmfPrintTarget::CreateContext(bool) {
  DeleteContext();
  FInfo = CreateCompatibleDC(nullptr);
  return FInfo != nullptr;
}

void TEmfPrintTarget::DeleteContext() {
  if (FPage) DeleteEnhMetaFile(CloseEnhMetaFile(FPage));
  FPage = nullptr;
  if (FInfo) DeleteDC(FInfo);
  FInfo = nullptr;
}

int TEmfPrintTarget::StartDoc(const std::string& Title, const std::function<bool()>&) {
  if (!FInfo) return 0;
  ClearPages();
  FTitle = Title;
  return 1;
}

int TEmfPrintTarget::StartPage() {
  if (!FInfo || FPage) return 0;
  // The frame in 0.01 mm from the reference device's pixels.
  int mmX = GetDeviceCaps(FInfo, HORZSIZE), mmY = GetDeviceCaps(FInfo, VERTSIZE);
  int pxX = GetDeviceCaps(FInfo, HORZRES), pxY = GetDeviceCaps(FInfo, VERTRES);
  RECT frame = {0, 0, MulDiv(FWidth, mmX * 100, pxX), MulDiv(FHeight, mmY * 100, pxY)};
  FPage = CreateEnhMetaFileW(FInfo, nullptr, &frame, nullptr);
  return FPage ? 1 : 0;
}

int TEmfPrintTarget::EndPage() {
  if (!FPage) return 0;
  HENHMETAFILE page = CloseEnhMetaFile(FPage);
  FPage = nullptr;
  if (!page) return 0;
  FPages.push_back(page);
  return 1;
}

int TEmfPrintTarget::EndDoc() { return FInfo ? 1 : 0; }

int TEmfPrintTarget::AbortDoc() {
  if (FPage) {
    DeleteEnhMetaFile(CloseEnhMetaFile(FPage));
    FPage = nullptr;
  }
  ClearPages();
  return 1;
}

int RunPrintJob(TPrintTarget& Target, const std::string& Title, const std::function<int()>& Layout,
                const std::function<void(HDC DC, int Page)>& DrawPage) {
  if (!Target.CreateContext(false)) throw EPrintError("Printer selected is not valid");
  int Pages = 0;
  bool Started = false;
  try {
    if (Target.StartDoc(Title, nullptr) <= 0) throw EPrintError("The printer refused the print job");
    Started = true;
    const int Total = std::max(1, Layout());
    for (int Page = 0; Page < Total; ++Page) {
      if (Target.StartPage() <= 0) throw EPrintError("The printer refused a page");
      DrawPage(Target.DC(), Page);
      if (Target.EndPage() <= 0) throw EPrintError("The printer refused a page");
      ++Pages;
    }
    if (Target.EndDoc() <= 0) throw EPrintError("The printer refused to finish the print job");
  } catch (...) {
    if (Started) Target.AbortDoc();
    Target.DeleteContext();
    throw;
  }
  Target.DeleteContext();
  return Pages;
}
