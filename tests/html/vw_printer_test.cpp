#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "html/core/fixed_metrics_host.h"
#include "html/core/vw_printer.h"

namespace {

// A device that keeps a log of what the job asked of it.
class TLogDevice : public TPrintDevice {
public:
  std::vector<std::string>* Log;
  int StartDocResult = 1, StartPageResult = 1;
  bool Valid = true;
  std::function<bool()> AbortCheck;
  TFixedMetricsHost Host;
  explicit TLogDevice(std::vector<std::string>* ALog) : Log(ALog) {}
  bool CreateContext(bool Information) override {
    Log->push_back(Information ? "ic" : "dc");
    return Valid;
  }
  void DeleteContext() override { Log->push_back("delete"); }
  int StartDoc(const std::string& Title, const std::function<bool()>& Aborted) override {
    Log->push_back("startdoc " + Title);
    AbortCheck = Aborted;
    return StartDocResult;
  }
  int StartPage() override {
    Log->push_back("startpage");
    return StartPageResult;
  }
  int EndPage() override {
    Log->push_back("endpage");
    return 1;
  }
  int EndDoc() override {
    Log->push_back("enddoc");
    return 1;
  }
  int AbortDoc() override {
    Log->push_back("abortdoc");
    return 1;
  }
  int PageWidth() override { return 4800; }
  int PageHeight() override { return 6600; }
  THtmlHost& Canvas() override { return Host; }
};

std::string Join(const std::vector<std::string>& Log) {
  std::string s;
  for (const auto& l : Log) s += (s.empty() ? "" : ", ") + l;
  return s;
}

}  // namespace

TEST(VwPrinter, AJobWithPages) {
  std::vector<std::string> log;
  auto device = std::make_unique<TLogDevice>(&log);
  TLogDevice* dev = device.get();
  TvwPrinter printer(std::move(device));
  printer.Title = "A title that is much longer than thirty-one characters";
  EXPECT_EQ(printer.PageWidth(), 4800);  // makes an information context, kept for the job
  EXPECT_EQ(printer.State(), 1);
  printer.BeginDoc();
  EXPECT_EQ(printer.PageNumber(), 1);
  EXPECT_FALSE(dev->AbortCheck());
  printer.NewPage();
  EXPECT_EQ(printer.PageNumber(), 2);
  printer.Canvas().DrawText(TFont(), 0, 0, "x");
  printer.EndDoc();
  EXPECT_EQ(printer.PageNumber(), 0);
  EXPECT_FALSE(printer.Printing());
  EXPECT_EQ(Join(log), "ic, delete, dc, startdoc A title that is much longer tha, startpage, endpage, startpage, "
                       "endpage, enddoc");
}

TEST(VwPrinter, AbortEndsOnceAndMisuseRaises) {
  std::vector<std::string> log;
  auto device = std::make_unique<TLogDevice>(&log);
  TLogDevice* dev = device.get();
  TvwPrinter printer(std::move(device));
  EXPECT_THROW(printer.EndDoc(), EPrinter);
  EXPECT_THROW(printer.NewPage(), EPrinter);
  printer.BeginDoc();
  EXPECT_THROW(printer.BeginDoc(), EPrinter);
  printer.Abort();
  EXPECT_TRUE(dev->AbortCheck != nullptr);
  EXPECT_FALSE(printer.Printing());
  EXPECT_THROW(printer.EndDoc(), EPrinter);
  EXPECT_EQ(Join(log), "dc, startdoc , startpage, abortdoc");
}

TEST(VwPrinter, RefusedJobsRaise) {
  struct {
    int StartDoc, StartPage;
    bool Valid;
    const char* Log;
  } cases[] = {
      {0, 1, true, "dc, startdoc "},
      {-1, 1, true, "dc, startdoc "},
      {1, 0, true, "dc, startdoc , startpage, abortdoc"},
      {1, 1, false, "dc"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> log;
    auto device = std::make_unique<TLogDevice>(&log);
    device->StartDocResult = c.StartDoc;
    device->StartPageResult = c.StartPage;
    device->Valid = c.Valid;
    TvwPrinter printer(std::move(device));
    EXPECT_THROW(printer.BeginDoc(), EPrinter) << c.Log;
    EXPECT_FALSE(printer.Printing()) << c.Log;
    EXPECT_EQ(printer.PageNumber(), 0) << c.Log;
    log.erase(std::remove(log.begin(), log.end(), "delete"), log.end());
    EXPECT_EQ(Join(log), c.Log);
  }
}
