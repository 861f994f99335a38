// Helpers shared by the editor tests: a small highlighter with block comments, a clipboard
// in memory, and an editor filled with lines.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "editor/core/custom_highlighter.h"
#include "editor/core/edit_model.h"

// Scans "/*" ... "*/" block comments across lines; everything else is one token per
// character. Range 1 is plain text, 2 inside a comment.
class TTestHighlighter : public TmwCustomHighLighter {
public:
  explicit TTestHighlighter(TComponent* AOwner = nullptr) : TmwCustomHighLighter(AOwner) {
    FComment.SetStyle({fsItalic});
    FComment.OnChange = [this](TObject* s) { DefHighlightChange(s); };
    FPlain.OnChange = [this](TObject* s) { DefHighlightChange(s); };
  }
  std::string GetLanguageName() const override { return "Test"; }
  int GetAttribCount() const override { return 2; }
  TmwHighLightAttributes* GetAttribute(int Index) const override {
    return Index == 0 ? &FComment : Index == 1 ? &FPlain : nullptr;
  }
  bool GetEol() const override { return FEol; }
  TmwRange GetRange() const override { return FRange; }
  std::string GetToken() const override { return FLine->substr(FTokenPos, FRun - FTokenPos); }
  int GetTokenPos() const override { return static_cast<int>(FTokenPos); }
  void SetCanvas(TmwCanvas* Canvas) override { FCanvas = Canvas; }
  void SetLine(const std::string& NewValue) override {
    FLine = &NewValue;
    FRun = 0;
    FEol = false;
    ++SetLineCalls;
    Next();
  }
  void SetRange(TmwRange Value) override { FRange = Value; }
  void ResetRange() override { FRange = 1; }
  void Next() override {
    FTokenPos = FRun;
    const std::string& s = *FLine;
    if (FRun >= s.size()) {
      FEol = true;
      return;
    }
    bool comment = FRange == 2;
    if (!comment && s.compare(FRun, 2, "/*") == 0) {
      FRange = 2;
      FRun += 2;
      comment = true;
    }
    if (comment) {
      std::size_t close = s.find("*/", FRun);
      if (close == std::string::npos) {
        FRun = s.size();
      } else {
        FRun = close + 2;
        FRange = 1;
      }
    } else {
      ++FRun;
    }
    if (FCanvas) (comment ? FComment : FPlain).ApplyTo(*FCanvas);
  }

  int SetLineCalls = 0;

private:
  mutable TmwHighLightAttributes FComment{"comment"};
  mutable TmwHighLightAttributes FPlain{"plain"};
  const std::string* FLine = nullptr;
  std::size_t FRun = 0, FTokenPos = 0;
  bool FEol = true;
  TmwRange FRange = 1;
  TmwCanvas* FCanvas = nullptr;
};

class TTestClipboard : public TmwClipboard {
public:
  bool HasText() override { return HasTextFormat; }
  std::string GetText() override { return Text; }
  void SetText(const std::string& Value) override {
    Text = Value;
    HasTextFormat = true;
  }
  std::string Text;
  bool HasTextFormat = false;
};

class TTestHost : public TmwEditHost {
public:
  bool HandleAllocated() const override { return true; }
  void Invalidate() override { ++Invalidates; }
  void UpdateScrollBars() override { ++ScrollBarUpdates; }
  void UpdateCaret() override {}
  int Invalidates = 0;
  int ScrollBarUpdates = 0;
};

// The lines of an editor.
inline std::vector<std::string> LinesOf(const TmwEditModel& E) {
  std::vector<std::string> v;
  for (int i = 0; i < E.Lines()->Count(); ++i) v.push_back(E.Lines()->Get(i));
  return v;
}

// Sets the text from lines (joined with CR LF) and puts the caret at (X, Y).
inline void Fill(TmwEditModel& E, const std::vector<std::string>& Lines, int X = 1, int Y = 1) {
  std::string text;
  for (const std::string& l : Lines) text += l + "\r\n";
  E.SetLinesText(text);
  E.SetCaretXY({X, Y});
}
