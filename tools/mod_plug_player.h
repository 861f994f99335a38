// TModPlugPlayer: a panel that hosts a player instance of the tracker-module library
// "npmod32.dll" (loaded from the program's folder when first needed). The library paints
// its VU meter and spectrum into the panel and tells the panel when a module has ended.
#pragma once

#include <windows.h>

#include <string>

#include "classlib/win/ext_ctrls.h"

class TModPlugPlayer : public TPanel {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  explicit TModPlugPlayer(TComponent* AOwner);
  ~TModPlugPlayer() override;

  // Destroys an instance first, then creates one from the panel's properties. Without the
  // library there is no instance: the other calls then do nothing.
  void Init();
  void Deinit();
  // Loads SongName; true when the library reports a module ready. Fires OnLoad always.
  bool Load();
  void Play();
  void Stop();
  // True from Play until Stop or the end of the module.
  bool IsPlaying() const { return FPlaying; }
  // In tenths of a second, 16 bits; 0 without an instance.
  unsigned GetMaxPosition();
  unsigned GetCurrentPosition();
  bool HasInstance() const { return FInstance != nullptr; }
  // The parameter string Init hands to the library.
  std::string Params() const;

  bool SpectrumHide() const { return FSpectrumHide; }
  void SetSpectrumHide(bool Value) { FSpectrumHide = Value; }
  bool LoopSong() const { return FLoopSong; }
  void SetLoopSong(bool Value) { FLoopSong = Value; }
  bool SpectrumStereo() const { return FSpectrumStereo; }
  void SetSpectrumStereo(bool Value) { FSpectrumStereo = Value; }
  const std::string& SongName() const { return FSongName; }
  void SetSongName(const std::string& Value) { FSongName = Value; }
  bool Seek() const { return FSeek; }
  void SetSeek(bool Value) { FSeek = Value; }
  const std::string& BackColor() const { return FBackColor; }
  void SetBackColor(const std::string& Value) { FBackColor = Value; }
  const std::string& VUColor() const { return FVUColor; }
  void SetVUColor(const std::string& Value) { FVUColor = Value; }
  const std::string& SPColor() const { return FSPColor; }
  void SetSPColor(const std::string& Value) { FSPColor = Value; }
  const std::string& VUColorTop() const { return FVUColorTop; }
  void SetVUColorTop(const std::string& Value) { FVUColorTop = Value; }
  const std::string& SPColorTop() const { return FSPColorTop; }
  void SetSPColorTop(const std::string& Value) { FSPColorTop = Value; }
  // The library's version; 0 without the library.
  int DllVersion() const;

  TNotifyEvent OnLoad, OnDeinit, OnInit, OnStop;

  void WndProc(TMessage& Message) override;

protected:
  void CreateWnd() override;

private:
  void* FInstance = nullptr;
  bool FPlaying = false;
  bool FSpectrumHide = false, FLoopSong = false, FSpectrumStereo = false, FSeek = false;
  std::string FSongName;
  std::string FBackColor = "000000", FVUColor = "00FF00", FSPColor = "FF0000", FVUColorTop = "FF0000",
              FSPColorTop = "FFFF00";
};

void RegisterModPlugPlayer();
