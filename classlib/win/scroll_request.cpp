#include "classlib/win/scroll_request.h"

bool ScrollRequestTarget(HWND Wnd, int Bar, int Code, int Current, int Page, int First, int Last, int& Value) {
  switch (Code) {
    case SB_LINEUP: Value = Current - 1; return true;
    case SB_LINEDOWN: Value = Current + 1; return true;
    case SB_PAGEUP: Value = Current - Page; return true;
    case SB_PAGEDOWN: Value = Current + Page; return true;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: {
      SCROLLINFO Si{};
      Si.cbSize = sizeof Si;
      Si.fMask = SIF_TRACKPOS;
      GetScrollInfo(Wnd, Bar, &Si);
      Value = Si.nTrackPos;
      return true;
    }
    case SB_TOP: Value = First; return true;
    case SB_BOTTOM: Value = Last; return true;
    default: return false;
  }
}
