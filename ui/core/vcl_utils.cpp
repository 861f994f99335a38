#include "ui/core/vcl_utils.h"

#include <iterator>

#include "classlib/core/typinfo.h"

namespace {

enum TProgressProp { ppMax, ppMin, ppProgress };

struct TProgressRow {
  const char* ClassName;
  const char* PropNames[3];  // maximum, minimum, position
};

// Matched by class name, so that the rows need not link the classes they name.
const TProgressRow kProgressList[] = {
    {"TProgressBar", {"Max", "Min", "Position"}},
    {"TGauge", {"MaxValue", "MinValue", "Progress"}},
};

bool DescendsFrom(const TClassInfo* Class, const char* Name) {
  for (; Class != nullptr; Class = Class->Parent)
    if (Class->Name == Name) return true;
  return false;
}

bool SetProgressProp(TObject* Control, TProgressProp Prop, int32_t Value) {
  if (Control == nullptr) return false;
  const TClassInfo* Class = Control->ClassInfo();
  // The most recently listed class first.
  for (auto Row = std::rbegin(kProgressList); Row != std::rend(kProgressList); ++Row)
    if (DescendsFrom(Class, Row->ClassName)) return TrySetOrdProp(Control, Row->PropNames[Prop], Value);
  return false;
}

}  // namespace

std::string ResStr(const std::string& Text) { return Text; }

bool SetProgressMax(TObject* Control, int32_t MaxValue) { return SetProgressProp(Control, ppMax, MaxValue); }

bool SetProgressMin(TObject* Control, int32_t MinValue) { return SetProgressProp(Control, ppMin, MinValue); }

bool SetProgressValue(TObject* Control, int32_t ProgressValue) {
  return SetProgressProp(Control, ppProgress, ProgressValue);
}
