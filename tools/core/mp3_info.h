// TMP3Info: the ID3v1 tag in the last 128 bytes of an MP3 file, read when Filename is set
// and written back by Save.
//
// Block layout: "TAG" at 0, title at 3 (30 bytes), artist at 33 (30), album at 63 (30),
// year at 93 (4), comment at 97 (30), genre number at 127. Text is taken byte for byte;
// reading drops trailing blanks only, writing pads with blanks.
#pragma once

#include <cstdint>
#include <string>

#include "classlib/core/component.h"

class TMP3Info : public TComponent {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }

  explicit TMP3Info(TComponent* AOwner);

  // The genre names, by genre number 0..114 (the program's own list).
  static constexpr int GenreCount = 115;
  static const char* GenreName(int ID);  // "" outside 0..114

  const std::string& Filename() const { return FFilename; }
  // Stores the name and reads its tag. A missing file or one without a tag (a file shorter
  // than 128 bytes among them) is reported through Valid, Error and onError; a file that
  // cannot be read raises EInOutError. Reading opens the file read-only.
  void SetFilename(const std::string& Value);

  const std::string& Artist() const { return FArtist; }
  void SetArtist(const std::string& Value);  // keeps the first 30 characters
  const std::string& Title() const { return FTitle; }
  void SetTitle(const std::string& Value);
  const std::string& Album() const { return FAlbum; }
  void SetAlbum(const std::string& Value);
  const std::string& Comment() const { return FComment; }
  void SetComment(const std::string& Value);
  const std::string& Year() const { return FYear; }
  void SetYear(const std::string& Value);  // keeps the first 4 characters

  // The name of the genre of the last tag read; setting GenreID does not change it.
  const std::string& Genre() const { return FGenre; }
  uint8_t GenreID() const { return FGenreID; }
  void SetGenreID(uint8_t Value);

  bool Valid() const { return FValid; }
  const std::string& Error() const { return FError; }

  // Writes the tag over the last 128 bytes of Filename. Refused (Valid false, Error,
  // onError, nothing written) unless the last read succeeded and the file still ends in a
  // tag; an input/output failure raises EInOutError.
  void Save();

  TNotifyEvent onChangeFile;  // a tag was read
  TNotifyEvent onChange;      // a text or the genre number was set
  TNotifyEvent onError;       // a failure; its text is in Error

private:
  void ReadTag();
  void Fail(const std::string& Text);
  void Changed();

  std::string FFilename;
  std::string FArtist, FTitle, FAlbum, FComment, FYear, FGenre;
  uint8_t FGenreID = 12;
  bool FValid = false;
  std::string FError;
  std::string FMarker;  // the first three bytes of the last block read
};
