#include <windows.h>

#include "editor/win_clipboard.h"

#include "classlib/win/clipboard.h"

bool TWinClipboard::HasText() { return Clipboard()->HasFormat(CF_TEXT); }

std::string TWinClipboard::GetText() { return Clipboard()->AsText(); }

void TWinClipboard::SetText(const std::string& Value) { Clipboard()->SetAsText(Value); }
