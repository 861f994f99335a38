// The ZIP writer: adds files to a new or existing archive (deflated or stored, optionally
// with the traditional cipher), moves files into it, deletes entries and lists them.
//
// Every change builds a complete new archive in a temporary file beside the old one;
// the old archive is replaced only when the new one is whole, and never lost: when the
// replacement fails, both files stay and the error is reported. Entries kept from the
// old archive are copied byte for byte (local header, data, data descriptor, and the
// central record with its extra field and comment), and the central directory is written
// from the records kept in memory. New entries are compressed straight into the new
// archive, so their data are written once.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "archive/core/arc_base.h"

class TZip : public TCompBase {
public:
  explicit TZip(TComponent* AOwner);
  ~TZip() override;
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }

  // A name without an extension gets DefaultExt.
  void SetArchiveFile(const std::string& Value) override;
  // Always atZIP: the value given is ignored.
  void SetArcType(TArcType Value) override;
  const std::string& DefaultExt() const { return FDefaultExt; }
  // Blank gives "ZIP"; a set ArchiveFile is applied again.
  void SetDefaultExt(const std::string& Value);
  TDeflateType DeflateType() const { return FDeflateType; }
  // dtDeflateF: level 2, dtDeflateN: 7, dtDeflateX: 9; dtDeflateS keeps the level.
  void SetDeflateType(TDeflateType Value);
  int DeflateLevel() const { return FLevel; }
  const std::string& Password() const { return FPassword; }
  void SetPassword(const std::string& Value) { FPassword = Value; }
  bool RecurseDirs() const { return FRecurseDirs; }
  void SetRecurseDirs(bool Value) { FRecurseDirs = Value; }
  // FileSpec is the writer's list of file masks (TCompBase::FileSpecList).
  TStringList* FileSpec() const { return FileSpecList(); }
  void SetFileSpec(TStrings* Value) { SetFileSpecList(Value); }

  TOnNonWriteableArchive OnNonWriteableArchive;
  TOnRecurseDir OnRecurseDir;

  // Runs Switch on ArchiveFile: swAdd, swMove (add, then delete the sources stored),
  // swDelete (the entries FileSpec matches), swRead (OnRead for every entry). True when
  // an archive was written, removed or listed. Errors are reported through OnError;
  // a few (a write failing, a folder that cannot be searched) are raised after the run
  // has cleaned up, the old archive untouched.
  bool Execute() override;

  // Listing (swRead): the end record, then the central headers (Central) or the local
  // headers from the first entry on. FN gets the entry's name.
  bool ReadFirstHeader(std::string& FN, TStream* Stream, bool Central) override;
  bool ReadHeader(std::string& FN, TStream* Stream, bool Central) override;
  // The entry fields of the header read last.
  void FillEntryInfo() override;

  struct TRun;  // the state of one Execute

private:
  bool RunUpdate(TRun& R);
  void LoadOldArchive(TRun& R);
  void AddFileMask(TRun& R, const std::string& Spec);
  void SearchFolder(TRun& R, const std::string& Folder, const std::string& Mask, int Depth);
  void AddFile(TRun& R, const std::string& Path, const TSearchRec& Rec);
  void WriteEntryData(TRun& R, TFileStream& Src, int64_t& Size, uint32_t& Crc, bool Encrypt, uint16_t& Method);
  // -1: nothing to write; 0: every entry went, and the archive with them; 1: write.
  int DeleteEntries(TRun& R);
  void CopyOldEntries(TRun& R);
  // The entries added in this run, after the kept ones, with their offsets moved there.
  void AppendAddedEntries(TRun& R);
  void WriteCentralDirectory(TRun& R);
  bool ReplaceArchive(TRun& R);
  void AfterReplace(TRun& R);

  std::string FDefaultExt = "ZIP";
  TDeflateType FDeflateType = dtDeflateN;
  int FLevel = 7;
  std::string FPassword;
  bool FRecurseDirs = false;

  // The header read last by ReadHeader.
  uint8_t FHeader[46] = {};
  bool FHeaderCentral = true;
  std::string FStoredName;
  int64_t FHeaderPos = 0;   // of the next header
  int64_t FFirstLocal = 0;
};

// Renames a file without replacing one. Replaceable so that tests can make the
// replacement of an archive fail.
extern std::function<bool(const std::string& OldName, const std::string& NewName)> ZipRenameFile;
