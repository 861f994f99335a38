// How the source editor copes with a large file, in a window under the real message loop:
// opening a 10 MB C++ source with its highlighter, paging from the top to the end with a
// repaint per page, and typing 1,000 characters at its end with a repaint per character.
// Prints the times; run it under Wine (or Windows): bench_editor_win.exe [megabytes]
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "classlib/win/application.h"
#include "classlib/win/forms.h"
#include "editor/core/dcj_cpp_syn.h"
#include "editor/custom_edit.h"

namespace {

double Now() {
  static LARGE_INTEGER Frequency = [] {
    LARGE_INTEGER F;
    QueryPerformanceFrequency(&F);
    return F;
  }();
  LARGE_INTEGER T;
  QueryPerformanceCounter(&T);
  return static_cast<double>(T.QuadPart) / static_cast<double>(Frequency.QuadPart);
}

// A C++ text of about Bytes bytes: comments, keywords, strings, numbers, a block comment.
std::string SourceText(std::size_t Bytes) {
  static const char* const Lines[] = {
      "// Computes the running total of the samples read so far.",
      "static int total_of(const int* samples, unsigned count) {",
      "  int sum = 0; /* a block comment that goes on",
      "     over the next line */ for (unsigned i = 0; i < count; ++i)",
      "    sum += samples[i] * 42 + 0x1F;",
      "  return printf(\"%d items\\n\", sum), sum;",
      "}",
      "",
  };
  std::string S;
  S.reserve(Bytes + 128);
  for (std::size_t I = 0; S.size() < Bytes; ++I) {
    S += Lines[I % 8];
    S += "\r\n";
  }
  return S;
}

void Paint(TmwCustomEdit* E) { UpdateWindow(E->Handle()); }

}  // namespace

int main(int argc, char** argv) {
  std::size_t Megabytes = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 10;
  std::string Text = SourceText(Megabytes * 1024 * 1024);

  std::unique_ptr<TForm> Form(CreateForm<TForm>(nullptr));
  Form->SetBounds(0, 0, 800, 600);
  auto* Edit = new TmwCustomEdit(Form.get());
  Edit->SetParent(Form.get());
  Edit->SetAlign(alClient);
  TDcjCppSyn Cpp(nullptr);
  Cpp.KeyAttri()->SetForeground(clNavy);
  Cpp.CommentAttri()->SetForeground(clGreen);
  Edit->SetHighLighter(&Cpp);
  Form->Show();
  Application->ProcessMessages();
  Edit->SetFocus();

  double T0 = Now();
  Edit->SetLinesText(Text);
  Paint(Edit);
  double Open = Now() - T0;

  int Pages = 0;
  double Slowest = 0, Painting = 0;
  T0 = Now();
  while (Edit->GetCaretY() < Edit->LineCount()) {
    double P0 = Now();
    Edit->CommandProcessor(ecPageDown, 0, nullptr);
    Edit->EnsureCursorPosVisible();
    double P1 = Now();
    Paint(Edit);
    Painting += Now() - P1;
    Slowest = std::max(Slowest, Now() - P0);
    ++Pages;
  }
  double Paging = Now() - T0;

  Edit->CommandProcessor(ecEditorBottom, 0, nullptr);
  double SlowestKey = 0;
  T0 = Now();
  for (int I = 0; I < 1000; ++I) {
    double K0 = Now();
    SendMessageW(Edit->Handle(), WM_CHAR, 'a' + I % 26, 1);
    Paint(Edit);
    SlowestKey = std::max(SlowestKey, Now() - K0);
  }
  double Typing = Now() - T0;

  std::printf("text: %zu bytes, %d lines\n", Text.size(), Edit->LineCount());
  std::printf("open (set the text, scan it, first paint): %.3f s\n", Open);
  std::printf("page down to the end: %d pages in %.3f s, %.3f ms a page (%.3f ms of it painting), slowest %.3f ms\n",
              Pages, Paging, Pages ? 1000 * Paging / Pages : 0.0, Pages ? 1000 * Painting / Pages : 0.0,
              1000 * Slowest);
  std::printf("type 1000 characters at the end: %.3f s, %.3f ms a character, slowest %.3f ms\n", Typing, Typing,
              1000 * SlowestKey);
  Edit->SetHighLighter(nullptr);
  return 0;
}
