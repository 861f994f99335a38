// The clipboard: text, file lists (CF_HDROP), pictures and any registered format.
//
// Each call opens and closes the clipboard by itself; a caller that puts several formats
// on it at once brackets the calls with Open and Close, and the clipboard is emptied only
// by the first of them.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "classlib/core/exception.h"
#include "classlib/core/object.h"

class TStrings;

ZX_EXCEPTION(EClipboardException, Exception);

class TClipboard : public TPersistent {
public:
  TClipboard();
  ~TClipboard() override;

  // Nested: only the outermost pair opens and closes. Raises EClipboardException
  // "Cannot open clipboard" when another program holds it.
  void Open();
  void Close();
  void Clear();

  bool HasFormat(UINT Format) const;
  int FormatCount() const;
  UINT Formats(int Index) const;

  // Text goes in as Unicode (the system offers it in the other text formats too) and
  // comes out as 1251; empty when the clipboard holds no text.
  std::string AsText();
  void SetAsText(const std::string& Value);

  // Names of files and folders, as the shell's drag and drop passes them.
  void GetFiles(TStrings* Files);
  void SetFiles(const TStrings* Files);

  // Raw data of any format: a copy of the clipboard's block (empty when absent).
  std::vector<uint8_t> GetBuffer(UINT Format);
  void SetBuffer(UINT Format, const void* Buffer, int Size);
  // The clipboard's own handle of a format (valid until the clipboard changes), and a
  // handle the clipboard takes over.
  HANDLE GetAsHandle(UINT Format);
  void SetAsHandle(UINT Format, HANDLE Value);

  // A picture or graphic goes on the clipboard in its registered format.
  void Assign(const TPersistent* Source) override;

protected:
  // Into a picture (the first registered format on offer) or a bitmap.
  void AssignTo(TPersistent* Dest) const override;

private:
  void Adding();  // empties the clipboard once per Open bracket

  HWND FWindow = nullptr;
  int FOpenRefCount = 0;
  bool FEmptied = false;
};

// The program's clipboard object.
TClipboard* Clipboard();
