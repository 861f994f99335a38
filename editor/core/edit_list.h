// The editor's line store: the text as a list of lines, each with the highlighter's scanner
// state at its start, reporting every change to the editor that owns it.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "classlib/core/strings.h"
#include "editor/core/custom_highlighter.h"

class TmwEditList : public TStrings {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }

  TmwEditList() = default;

  std::string Get(int Index) const override;
  int GetCount() const override { return static_cast<int>(FLines.size()); }
  // The line at Index, or an empty text when there is no such line; no copy.
  const std::string& LineOrEmpty(int Index) const;

  int Add(const std::string& S) override;
  void Insert(int Index, const std::string& S) override;
  void Delete(int Index) override;
  void Put(int Index, const std::string& S) override;
  // Block changes, for large pastes and their undo: one OnInserted / OnDeleted with the
  // first index serves the whole block.
  void InsertLines(int Index, const std::vector<std::string>& Lines);
  void DeleteLines(int Index, int Count);
  // Removes every line without a line event (the store's change events fire).
  void Clear() override;

  // The lines joined by CR LF, with one after the last line only when the text that was
  // set ended with a line break (or was empty), so that a file comes back as it was read.
  std::string GetText() const;
  // Replaces the whole text: splits at CR LF, CR or LF; a final line break opens no
  // further line.
  void SetText(const std::string& Value);
  // Whether GetText ends the last line with a line break.
  bool TrailingLineBreak() const { return FTrailingLineBreak; }
  void SetTrailingLineBreak(bool Value) { FTrailingLineBreak = Value; }
  // From other strings: the whole text is replaced, as by SetText.
  void Assign(const TPersistent* Source) override;
  void LoadFromStream(TStream* Stream) override;
  // Writes GetText: the last line keeps or lacks its line break as it was read.
  void SaveToStream(TStream* Stream) override;

  TmwRange GetRange(int Index) const;
  void SetRange(int Index, TmwRange Value);

  // Line events, fired after the change and before the update bracket closes.
  std::function<void(TmwEditList* Sender)> OnAdded;
  std::function<void(int Index)> OnDeleted;
  std::function<void(int Index)> OnInserted;
  std::function<void(TmwEditList* Sender)> OnTextSet;
  std::function<void(int Index)> OnPutted;
  // Around every change (the outermost update bracket only).
  std::function<void(TmwEditList* Sender)> OnChanging;
  std::function<void(TmwEditList* Sender)> OnChange;

protected:
  void SetUpdateState(bool Updating) override;

private:
  struct TLine {
    std::string Text;
    TmwRange Range = 0;  // a new line's range is 0, which no scanner state equals
  };
  void CheckIndex(int Index, int Limit) const;
  std::vector<TLine> FLines;
  bool FTrailingLineBreak = true;  // a new text ends with a line break
};
