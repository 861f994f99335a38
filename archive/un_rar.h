// The RAR reader: extracts RAR archives (also self-extracting, encrypted and in volumes)
// through the RAR extraction library "UnRAR", loaded by name at run time. The library
// reads and unpacks; the reader drives it entry by entry, supplies the password and the
// next volumes, reports progress and, for stream output, receives the data.
#pragma once

#include <exception>
#include <string>

#include "archive/core/arc_base.h"

// Binds the library (done on first use with "UnRAR"; again to switch). False when it
// cannot be loaded: every extraction then reports 25258 "Unrar.dll not found".
bool LoadRarLibrary(const std::string& Name = "UnRAR");
void FreeRarLibrary();
bool RarLibraryLoaded();

class TUnRAR : public TUnBase {
public:
  explicit TUnRAR(TComponent* AOwner) : TUnBase(AOwner) {}
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }

  // Emptied at the start of every run; OnGetPassword supplies it for encrypted entries.
  const std::string& Password() const { return FPassword; }
  void SetPassword(const std::string& Value) { FPassword = Value; }

  // The library's callbacks (through process-wide trampolines).
  int DataProc(const unsigned char* Addr, int Size);
  int VolumeProc(char* ArcName, int Mode);

protected:
  void ExtractIt() override;

private:
  void Run(void* Handle);
  // An exception of an event handler met inside a callback, raised again once the
  // library has returned (it cannot pass through the library's frames).
  void RaiseCallbackError();

  std::string FPassword;
  std::string FVolumeName;
  int64_t FUnpackedSize = 0;  // of the entry being unpacked
  int64_t FRemaining = 0;
  bool FWriteFailed = false;
  std::exception_ptr FCallbackError;
};
