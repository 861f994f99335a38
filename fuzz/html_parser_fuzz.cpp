// The parser over arbitrary bytes into a document on the fixed-metrics host, then its layout
// and drawing: it must end (or raise the open-comment error) with a model that dumps, lays
// out and draws, never reading past the data.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "html/core/fixed_metrics_host.h"
#include "html/core/frame_model.h"
#include "html/core/html_parser.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
  char* copy = static_cast<char*>(std::malloc(Size ? Size : 1));
  if (Size) std::memcpy(copy, Data, Size);
  TFixedMetricsHost host;
  TSectionList doc(&host);
  THtmlParser parser(doc);
  parser.OnScript = [](const std::string&, const std::string&) {};
  try {
    parser.ParseHTMLBuffer(copy, Size);
  } catch (const EParseError&) {
  }
  std::string dump = doc.Dump();
  // Laid out and drawn at a page width and at a width where nothing fits.
  for (int width : {600, 1}) {
    doc.LayOut(host, width);
    doc.DrawDocument(host, {0, 0, width, 100000});
    host.Log.clear();
  }
  (void)THtmlParser::IsFrameSetDocument(copy, Size);
  // The same bytes as a frameset document: its tree, and the sizes of every set's rows and
  // columns, which must fill the space given.
  {
    TSectionList scratch(nullptr);
    THtmlParser frames(scratch);
    TFrameNode top(true);
    try {
      frames.ParseFrameSet(copy, Size, top);
    } catch (const EParseError&) {
    }
    std::vector<TFrameNode*> stack{&top};
    while (!stack.empty()) {
      TFrameNode* n = stack.back();
      stack.pop_back();
      for (const std::string* list : {&n->Rows, &n->Cols}) {
        std::vector<int> sizes = FrameSizes(*list, 500);
        long long sum = 0;
        for (int v : sizes) {
          if (v < 0) std::abort();
          sum += v;
        }
        if (sum != 500) std::abort();
      }
      for (auto& c : n->Children) stack.push_back(c.get());
    }
  }
  // Reparse into the same document after clearing it, as a viewer does on reload.
  doc.Clear();
  try {
    parser.ParseHTMLBuffer(copy, Size);
  } catch (const EParseError&) {
  }
  if (doc.Dump() != dump) std::abort();
  std::free(copy);
  return 0;
}
