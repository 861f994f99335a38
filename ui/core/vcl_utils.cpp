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

namespace {

// Separators are the control characters and the blank; bytes above 127 (Cyrillic) are text.
bool IsSeparator(char C) { return C != '\0' && static_cast<unsigned char>(C) <= 32; }

}  // namespace

std::vector<std::string> CommandLineWords(const std::string& CmdLine) {
  std::vector<std::string> Words;
  std::size_t I = 0, N = CmdLine.size();
  for (;;) {
    for (;;) {
      while (I < N && IsSeparator(CmdLine[I])) ++I;
      if (I + 1 < N && CmdLine[I] == '"' && CmdLine[I + 1] == '"' && (I + 2 == N || IsSeparator(CmdLine[I + 2])))
        I += 2;
      else
        break;
    }
    if (I >= N) break;
    std::string Word;
    while (I < N && !IsSeparator(CmdLine[I])) {
      if (CmdLine[I] == '"') {
        ++I;
        while (I < N && CmdLine[I] != '"') Word += CmdLine[I++];
        if (I < N) ++I;
      } else {
        Word += CmdLine[I++];
      }
    }
    Words.push_back(std::move(Word));
  }
  return Words;
}

void SplitCommandLine(const std::string& CmdLine, std::string& ExeName, std::string& Params) {
  std::vector<std::string> Words = CommandLineWords(CmdLine);
  ExeName.clear();
  Params.clear();
  for (std::size_t I = 0; I < Words.size(); ++I) {
    if (I == 0) {
      ExeName = Words[0];
      continue;
    }
    if (!Params.empty()) Params += ' ';
    if (Words[I].find(' ') != std::string::npos) Params += '"' + Words[I] + '"';
    else Params += Words[I];
  }
}

std::string MinimizeText(const std::string& Text, const std::function<int(const std::string&)>& TextWidth,
                         int MaxWidth) {
  std::string Result = Text;
  std::size_t Keep = Text.size();
  while (TextWidth(Result) > MaxWidth) {
    if (Keep == 0) return "...";
    --Keep;
    Result = Text.substr(0, Keep) + "...";
  }
  return Result;
}
