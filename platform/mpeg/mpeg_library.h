// The MPEG audio library "mpegdll.dll" (next to zembrix.exe): the entry points the MPEG
// player component loads by name, with the meaning of their arguments and results. It
// decodes MPEG-1/2/2.5 layer I-III audio and plays it through the wave mapper or a given
// wave device, or writes it to a PCM file. One stream at a time per process.
//
// Units and values:
//   positions and lengths  milliseconds from the start of the stream
//   Play(Start, End)       End 0 plays to the end of the stream
//   player modes           0 no stream, 1 stopped (open, not playing), 2 paused, 3 playing,
//                          4 ended (played to End or to the end; the end flag is set)
//   output devices         0 the wave mapper, 1 the wave device set by SetSndDevice,
//                          2 a PCM file: raw signed 16-bit little-endian samples,
//                          interleaved, at the stream's own rate and channel count
//   error codes            (LastError) 0 none, 1 decoder failure, 2 call not valid in this
//                          mode, 3 input stream error, 4 input stream is not seekable,
//                          5 output device failure
// Every entry point but LastError clears the error code first. Entry points and stream
// callbacks use the stdcall convention. Names are in code page 1251.
//
// Decoding runs on a thread of the library from Play until the end, Stop or Close. The
// stream callbacks of an Open "by callbacks" are called on that thread (and on the caller's
// thread within Open, Restart and Close); the byte given to Play is set to 1 there, with
// release ordering, when the stream has ended.
#pragma once

#include <cstdint>

#define MPEG_CALL __stdcall

enum : int {
  MpegModeNone = 0,
  MpegModeStopped = 1,
  MpegModePaused = 2,
  MpegModePlaying = 3,
  MpegModeEnded = 4,
};

enum : int {
  MpegOutWaveMapper = 0,
  MpegOutWaveDevice = 1,
  MpegOutPcmFile = 2,
};

enum : int {
  MpegErrNone = 0,
  MpegErrDecoder = 1,
  MpegErrMode = 2,
  MpegErrInput = 3,
  MpegErrNonSeekable = 4,
  MpegErrOutput = 5,
};

// Stream callbacks of Open with StreamFlag 1; User is Open's user value. Booleans are
// bytes (0 false, nonzero true).
//   open:    fills *Nonseekable and *Context for the other callbacks
//   restart: rewinds a stream that cannot seek; *Res false when it cannot
//   read:    up to Count bytes into Buffer, their number in *Read; *Res false on failure
//   seek:    moves by Offset from MoveMethod (0 start, 1 current, 2 end); *Res the new
//            position, -1 on failure
//   size:    *Res the stream's size in bytes, -1 when unknown
typedef void(MPEG_CALL* TMpegOpenProc)(void* User, uint8_t* Nonseekable, void** Context);
typedef void(MPEG_CALL* TMpegCloseProc)(void* User, void* Context);
typedef void(MPEG_CALL* TMpegRestartProc)(void* User, void* Context, uint8_t* Res);
typedef void(MPEG_CALL* TMpegReadProc)(void* User, void* Context, void* Buffer, int Count, int* Read, uint8_t* Res);
typedef void(MPEG_CALL* TMpegSeekProc)(void* User, void* Context, int Offset, int MoveMethod, int* Res);
typedef void(MPEG_CALL* TMpegSizeProc)(void* User, void* Context, int* Res);

extern "C" {
// True when the decoder is ready.
uint8_t MPEG_CALL init();
// Closes the stream and releases the decoder.
void MPEG_CALL deinit();
// Opens a stream by file name (StreamFlag 0) or through the callbacks (StreamFlag 1),
// closing one that was open. Reads the stream's first frame and, when it can seek, scans
// it for its exact length.
void MPEG_CALL Open(const char* Name, int StreamFlag, TMpegOpenProc OpenProc, TMpegCloseProc CloseProc,
                    TMpegRestartProc RestartProc, TMpegReadProc ReadProc, TMpegSeekProc SeekProc,
                    TMpegSizeProc SizeProc, void* User);
// 0 pauses a playing stream, 1 resumes a paused one.
void MPEG_CALL Pause(int Resume);
// Plays the open stream again from the start position of the last Play.
void MPEG_CALL Restart();
// Stops playing; the stream stays open.
void MPEG_CALL Stop();
// Thread priority of the decoding thread (-15, -2, -1, 0, 1, 2, 15).
void MPEG_CALL SetPriority(int Priority);
void MPEG_CALL SetOutputDevice(int Device, const char* FileName);
void MPEG_CALL SetSndDevice(int Device);
// Starts playing from Start to End (0: the end); nonzero on failure (see LastError).
int MPEG_CALL Play(int Start, int End, uint8_t* Ended);
void MPEG_CALL Close();
// Of the open stream: sampling rate in Hz, bit rate in kbit/s (of the first frame),
// channel mode (0 stereo, 1 joint stereo, 2 dual channel, 3 mono), layer 1..3.
int MPEG_CALL GetFrequency();
int MPEG_CALL GetBitrate();
int MPEG_CALL GetStereoMode();
int MPEG_CALL GetLayer();
int MPEG_CALL GetPlayerMode();
int MPEG_CALL GetCurrentPos();
int MPEG_CALL GetLength();
// An ended stream becomes a stopped one.
void MPEG_CALL ResetPlayerMode();
// Moves a playing or paused stream to Position.
void MPEG_CALL Seek(int Position);
int MPEG_CALL LastError();
}
