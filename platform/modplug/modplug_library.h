// The tracker-module library "npmod32.dll" (next to zembrix.exe): player instances that
// load a module file (MOD, S3M, XM, IT and the other formats libopenmpt reads), play it
// through the wave mapper at 44100 Hz stereo, and paint a VU meter and a spectrum into the
// window they are given.
//
// Parameters of ModPlug_CreateEx: "key|value" pairs separated by "|":
//   bgcolor, vucolor, vucolorhi, spcolor, spcolorhi   "#RRGGBB" colours of the display
//   hidden     "true": no display          Title   the display's name
//   width, height  the display's size in pixels
//   loop       "true": the module repeats for ever
//   controls   "stereo": one spectrum per channel
//   wavefile   a file that receives the samples (raw signed 16-bit little-endian stereo at
//              44100 Hz) in place of the sound device, as fast as they are made
// Positions are tenths of a second from the start of the module, at most 65535.
// When a module stops at its end, or cannot play at all (no module, no sound device), the
// instance posts ModPlugEndMessage (WParam 0, LParam the instance) to its window.
// Entry points use the stdcall convention; file names are in code page 1251. An instance
// is used from the thread that created it; the display is painted on that thread.
#pragma once

#include <windows.h>

#define MODPLUG_CALL __stdcall

constexpr UINT ModPlugEndMessage = WM_APP + 0x3060;

extern "C" {
void* MODPLUG_CALL ModPlug_CreateEx(const char* Params);
void MODPLUG_CALL ModPlug_SetWindow(void* Instance, HWND Window);
void MODPLUG_CALL ModPlug_Load(void* Instance, const char* FileName);
int MODPLUG_CALL ModPlug_IsReady(void* Instance);
void MODPLUG_CALL ModPlug_Play(void* Instance);
void MODPLUG_CALL ModPlug_Stop(void* Instance);
void MODPLUG_CALL ModPlug_Destroy(void* Instance);
int MODPLUG_CALL ModPlug_GetMaxPosition(void* Instance);
int MODPLUG_CALL ModPlug_GetCurrentPosition(void* Instance);
// libopenmpt's version: major * 0x1000000 + minor * 0x10000 + patch.
int MODPLUG_CALL ModPlug_GetVersion();
}
