// Window and drawing helpers of the component library (the portable ones are in
// ui/core/vcl_utils.h).
#pragma once

#include <windows.h>

#include <cstddef>
#include <memory>
#include <string>

#include "classlib/win/bitmap.h"
#include "classlib/win/controls.h"
#include "classlib/win/icon.h"
#include "classlib/win/image_list.h"
#include "ui/core/vcl_utils.h"

inline int Max(int A, int B) { return A > B ? A : B; }
inline int Min(int A, int B) { return A < B ? A : B; }
inline int WidthOf(const TRect& R) { return R.Right - R.Left; }
inline int HeightOf(const TRect& R) { return R.Bottom - R.Top; }
// The colour's RGB value marked as relative to the selected palette.
int32_t PaletteColor(TColor Color);

// EResNotFound "Resource %s not found" (a number for an identifier made by MAKEINTRESOURCE).
[[noreturn]] void ResourceNotFound(const wchar_t* ResID);
// A bitmap resource of Module (0: one of the system's bitmaps); EResNotFound when missing.
std::unique_ptr<TBitmap> MakeModuleBitmap(HINSTANCE Module, const wchar_t* ResID);

// Paints on Canvas what lies behind a graphic control: its parent's background and paint,
// then each visible graphic sibling below it that it overlaps.
void CopyParentImage(TControl* Control, TCanvas* Dest);
// Part of Bitmap stretched into the destination; pixels of TransparentColor stay unpainted.
void StretchBitmapRectTransparent(TCanvas* Dest, int DstX, int DstY, int DstW, int DstH, const TRect& SrcRect,
                                  TBitmap* Bitmap, TColor TransparentColor);
// A grey embossed copy of a glyph for a disabled button on clBtnFace: the pixels of
// OutlineColor (with clNone: every pixel but the bottom-left background colour) become
// clBtnShadow over a clBtnHighlight copy one pixel down and right.
std::unique_ptr<TBitmap> CreateDisabledBitmap(TBitmap* Bitmap, TColor OutlineColor);
// An image of the list drawn as a two-tone disabled glyph through its mask.
void ImageListDrawDisabled(TImageList* Images, TCanvas* Canvas, int X, int Y, int Index, TColor HighlightColor,
                           TColor GrayColor, bool DrawHighlight);
// 8 x 8: Color1, with Color2 where x and y have the same parity.
std::unique_ptr<TBitmap> CreateTwoColorsBrushPattern(TColor Color1, TColor Color2);
// Tells the user that the function is not implemented, then aborts silently.
[[noreturn]] void NotImplemented();
// Removes one waiting message Msg of the window (a quit message taken is posted again).
void KillMessage(HWND Wnd, UINT Msg);
int PaletteEntries(HPALETTE Palette);
// A form in the middle of the screen, any other control in the middle of its parent.
void CenterControl(TControl* Control);
// Moves the window, size, z-order and activation kept, to the centre of the screen, and
// keeps it on the screen (a window larger than the screen goes to 0, 0).
void CenterWindow(HWND Wnd);
// Brings an enabled window to the front; with Restore a visible, not maximised window is
// restored first; then it gets the focus.
void SwitchToWindow(HWND Wnd, bool Restore);
// Text shortened with "..." to fit MaxWidth on the canvas.
std::string MinimizeText(const std::string& Text, TCanvas* Canvas, int MaxWidth);
// Zero-filled memory (nullptr below 1 byte); FreeMemo frees it and clears the pointer.
void* AllocMemo(long Size);
void FreeMemo(void*& Ptr);
bool CompareMem(const void* P1, const void* P2, std::size_t Length);
// The active window belongs to the calling thread.
bool IsForegroundTask();
// Waits MSecs milliseconds while the application handles its messages.
void Delay(long MSecs);

// The clipboard format "Morvane Icon": icons on the clipboard as .ico data.
UINT IconClipboardFormat();
// Registers the format with the picture class for icons (once).
void RegisterClipboardIconFormat();
// An icon from the clipboard's icon format, or nullptr when it holds none.
std::unique_ptr<TIcon> CreateIconFromClipboard();
