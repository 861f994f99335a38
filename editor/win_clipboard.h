// The platform's clipboard behind the editor model's clipboard interface: plain text
// (CF_TEXT).
#pragma once

#include "editor/core/edit_model.h"

class TWinClipboard : public TmwClipboard {
public:
  bool HasText() override;
  std::string GetText() override;
  // Raises EClipboardException when another program holds the clipboard; a cut then
  // deletes nothing.
  void SetText(const std::string& Value) override;
};
