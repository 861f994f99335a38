#include "tools/core/mp3_info.h"

#include <algorithm>
#include <cstring>

#include "classlib/core/sys_utils.h"

namespace {

constexpr int TagSize = 128;
constexpr uint8_t DefaultGenre = 12;  // "Other"

// The program's own list: "Folk/Rock" at 81 and nothing between "Swing" and "Bebob".
const char* const GenreNames[] = {
    "Blues", "Classic Rock", "Country", "Dance", "Disco", "Funk", "Grunge", "Hip-Hop", "Jazz",
    "Metal", "New Age", "Oldies", "Other", "Pop", "R&B", "Rap", "Reggae", "Rock", "Techno",
    "Industrial", "Alternative", "Ska", "Death Metal", "Pranks", "Soundtrack", "Euro-Techno",
    "Ambient", "Trip-Hop", "Vocal", "Jazz+Funk", "Fusion", "Trance", "Classical",
    "Instrumental", "Acid", "House", "Game", "Sound Clip", "Gospel", "Noise", "AlternRock",
    "Bass", "Soul", "Punk", "Space", "Meditative", "Instrumental Pop", "Instrumental Rock",
    "Ethnic", "Gothic", "Darkwave", "Techno-Industrial", "Electronic", "Pop-Folk", "Eurodance",
    "Dream", "Southern Rock", "Comedy", "Cult", "Gangsta", "Top 40", "Christian Rap",
    "Pop/Funk", "Jungle", "Native American", "Cabaret", "New Wave", "Psychadelic", "Rave",
    "Showtunes", "Trailer", "Lo-Fi", "Tribal", "Acid Punk", "Acid Jazz", "Polka", "Retro",
    "Musical", "Rock & Roll", "Hard Rock", "Folk", "Folk/Rock", "National Folk", "Swing",
    "Bebob", "Latin", "Revival", "Celtic", "Bluegrass", "Avantgarde", "Gothic Rock",
    "Progressive Rock", "Psychedelic Rock", "Symphonic Rock", "Slow Rock", "Big Band",
    "Chorus", "Easy Listening", "Acoustic", "Humour", "Speech", "Chanson", "Opera",
    "Chamber Music", "Sonata", "Symphony", "Booty Bass", "Primus", "Porn Groove", "Satire",
    "Slow Jam", "Club", "Tango", "Samba", "Folklore"};
static_assert(sizeof(GenreNames) / sizeof(GenreNames[0]) == TMP3Info::GenreCount);

[[noreturn]] void RaiseInOut(int Code) {
  std::string Text = SysErrorMessage(Code);
  if (Text.empty()) Text = "I/O error " + std::to_string(Code);
  throw EInOutError(Text, Code);
}

constexpr int ErrorHandleEof = 38;  // reached the end of the file

// The tagged file, open for the length of one read or write.
class TTagFile {
public:
  TTagFile(const std::string& Name, unsigned Mode) : FHandle(FileOpen(Name, Mode)) {
    if (FHandle == INVALID_FILE_HANDLE) RaiseInOut(GetLastOSError());
  }
  ~TTagFile() { FileClose(FHandle); }
  TTagFile(const TTagFile&) = delete;
  TTagFile& operator=(const TTagFile&) = delete;

  // Positions the file at its last 128 bytes and returns that offset; -1 (and the file
  // left where it was) when the file is too short to hold a tag.
  int64_t SeekTag() {
    const int64_t Size = FileSeek(FHandle, 0, soFromEnd);
    if (Size < 0) RaiseInOut(GetLastOSError());
    if (Size < TagSize) return -1;
    Seek(Size - TagSize);
    return Size - TagSize;
  }
  void Seek(int64_t Pos) {
    if (FileSeek(FHandle, Pos, soFromBeginning) != Pos) RaiseInOut(GetLastOSError());
  }
  void Read(void* Buffer, int Count) {
    const int n = FileRead(FHandle, Buffer, Count);
    if (n < 0) RaiseInOut(GetLastOSError());
    if (n != Count) RaiseInOut(ErrorHandleEof);
  }
  void Write(const void* Buffer, int Count) {
    const int n = FileWrite(FHandle, Buffer, Count);
    if (n < 0) RaiseInOut(GetLastOSError());
    if (n != Count) RaiseInOut(112);  // the disk is full
  }

private:
  THandle FHandle;
};

// The field's bytes without trailing blanks; zeros and other padding stay.
std::string Field(const uint8_t* Block, int Offset, int Size) {
  int n = Size;
  while (n > 0 && Block[Offset + n - 1] == ' ') --n;
  return std::string(reinterpret_cast<const char*>(Block + Offset), n);
}

void PutField(uint8_t* Block, int Offset, const std::string& Text, size_t Size) {
  std::memcpy(Block + Offset, Text.data(), std::min(Text.size(), Size));
}

}  // namespace

TMP3Info::TMP3Info(TComponent* AOwner) : TComponent(AOwner) {}

const TClassInfo* TMP3Info::StaticClassInfo() {
  static const TClassInfo Info = TClassBuilder<TMP3Info, TComponent>("TMP3Info")
                                     .Prop("Filename", &TMP3Info::Filename, &TMP3Info::SetFilename)
                                     .Prop("Artist", &TMP3Info::Artist, &TMP3Info::SetArtist)
                                     .Prop("Title", &TMP3Info::Title, &TMP3Info::SetTitle)
                                     .Prop("Album", &TMP3Info::Album, &TMP3Info::SetAlbum)
                                     .Prop("Comment", &TMP3Info::Comment, &TMP3Info::SetComment)
                                     .Prop("Year", &TMP3Info::Year, &TMP3Info::SetYear)
                                     .Prop("Genre", &TMP3Info::Genre, nullptr)
                                     .Prop("GenreID", &TMP3Info::GenreID, &TMP3Info::SetGenreID)
                                     .Prop("Valid", &TMP3Info::Valid, nullptr)
                                     .Prop("Error", &TMP3Info::Error, nullptr)
                                     .Prop("onChangeFile", &TMP3Info::onChangeFile)
                                     .Prop("onChange", &TMP3Info::onChange)
                                     .Prop("onError", &TMP3Info::onError)
                                     .Build();
  return &Info;
}

const char* TMP3Info::GenreName(int ID) {
  return ID >= 0 && ID < GenreCount ? GenreNames[ID] : "";
}

void TMP3Info::SetFilename(const std::string& Value) {
  FFilename = Value;
  ReadTag();
}

void TMP3Info::Changed() {
  if (onChange) onChange(this);
}

void TMP3Info::SetArtist(const std::string& Value) {
  FArtist = Value.substr(0, 30);
  Changed();
}

void TMP3Info::SetTitle(const std::string& Value) {
  FTitle = Value.substr(0, 30);
  Changed();
}

void TMP3Info::SetAlbum(const std::string& Value) {
  FAlbum = Value.substr(0, 30);
  Changed();
}

void TMP3Info::SetComment(const std::string& Value) {
  FComment = Value.substr(0, 30);
  Changed();
}

void TMP3Info::SetYear(const std::string& Value) {
  FYear = Value.substr(0, 4);
  Changed();
}

void TMP3Info::SetGenreID(uint8_t Value) {
  FGenreID = Value;
  Changed();
}

void TMP3Info::Fail(const std::string& Text) {
  FValid = false;
  FError = Text;
  if (onError) onError(this);
}

void TMP3Info::ReadTag() {
  // Valid only once the whole block was read: a read that raises must not leave the
  // previous file's tag ready to be saved over this file's data.
  FValid = false;
  FMarker.clear();
  if (!FileExists(FFilename)) {
    Fail("File doesn`t exist !");
    return;
  }
  uint8_t Block[TagSize];
  {
    // Reading needs no write access: tags on read-only media must show too.
    TTagFile File(FFilename, fmOpenRead | fmShareDenyNone);
    if (File.SeekTag() < 0) {
      // Too short to end in a tag: a file without one, not an input/output failure.
      Fail("Wrong file format !");
      return;
    }
    File.Read(Block, TagSize);
  }
  FMarker.assign(reinterpret_cast<const char*>(Block), 3);
  if (FMarker != "TAG") {
    Fail("Wrong file format !");
    return;
  }
  FTitle = Field(Block, 3, 30);
  FArtist = Field(Block, 33, 30);
  FAlbum = Field(Block, 63, 30);
  FYear = Field(Block, 93, 4);
  FComment = Field(Block, 97, 30);
  FGenreID = Block[127] < GenreCount ? Block[127] : DefaultGenre;
  FGenre = GenreNames[FGenreID];
  FValid = true;
  if (onChangeFile) onChangeFile(this);
}

void TMP3Info::Save() {
  if (!FileExists(FFilename) || !FValid) {
    Fail("File doesn`t exist or is not valid !");
    return;
  }
  if (FMarker != "TAG") {
    Fail("Wrong file format !");
    return;
  }
  uint8_t Block[TagSize];
  std::memset(Block, ' ', TagSize);
  std::memcpy(Block, "TAG", 3);
  PutField(Block, 3, FTitle, 30);
  PutField(Block, 33, FArtist, 30);
  PutField(Block, 63, FAlbum, 30);
  PutField(Block, 93, FYear, 4);
  PutField(Block, 97, FComment, 30);
  Block[127] = FGenreID;

  TTagFile File(FFilename, fmOpenReadWrite);
  const int64_t Start = File.SeekTag();
  // The file may have been replaced or stripped of its tag since it was read: never write
  // over what is not a tag.
  char Marker[3] = {0, 0, 0};
  if (Start >= 0) File.Read(Marker, 3);
  if (Start < 0 || std::memcmp(Marker, "TAG", 3) != 0) {
    FMarker.assign(Marker, 3);
    Fail("Wrong file format !");
    return;
  }
  File.Seek(Start);
  File.Write(Block, TagSize);
}
