// TMP3Info: reading tags byte for byte, the genre table, failures through Valid/Error/onError,
// and Save writing exactly the tag block and never over a file's audio data.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "classlib/core/stream.h"
#include "classlib/core/sys_utils.h"
#include "classlib/core/typinfo.h"
#include "tools/core/mp3_info.h"

namespace {

std::string ReadAll(const std::string& Name) {
  TFileStream F(Name, fmOpenRead | fmShareDenyNone);
  std::string S(size_t(F.Size()), '\0');
  if (!S.empty()) F.ReadBuffer(S.data(), int64_t(S.size()));
  return S;
}

void WriteAll(const std::string& Name, const std::string& Data) {
  TFileStream F(Name, fmCreate);
  if (!Data.empty()) F.WriteBuffer(Data.data(), int64_t(Data.size()));
}

// A 128-byte block from its fields, padded as the caller says.
std::string Block(std::string Title, std::string Artist, std::string Album, std::string Year,
                  std::string Comment, uint8_t Genre, char Pad = ' ') {
  std::string B(128, Pad);
  B.replace(0, 3, "TAG");
  B.replace(3, Title.size(), Title);
  B.replace(33, Artist.size(), Artist);
  B.replace(63, Album.size(), Album);
  B.replace(93, Year.size(), Year);
  B.replace(97, Comment.size(), Comment);
  B[127] = char(Genre);
  return B;
}

// Audio bytes that no tag write may touch.
const std::string Audio = [] {
  std::string S(3000, '\0');
  for (size_t i = 0; i < S.size(); ++i) S[i] = char(i * 31 + 7);
  return S;
}();

class MP3InfoTest : public ::testing::Test {
protected:
  void SetUp() override {
    const auto Stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    FDir = std::filesystem::temp_directory_path() / ("zxmp3_" + std::to_string(Stamp));
    std::filesystem::create_directories(FDir);
    Info = std::make_unique<TMP3Info>(nullptr);
    Info->onError = [this](TObject*) { ++Errors; };
    Info->onChangeFile = [this](TObject*) { ++FileChanges; };
    Info->onChange = [this](TObject*) { ++Changes; };
  }
  void TearDown() override {
    Info.reset();
    std::error_code Ec;
    for (auto& E : std::filesystem::directory_iterator(FDir, Ec))
      std::filesystem::permissions(E.path(), std::filesystem::perms::owner_all, Ec);
    std::filesystem::remove_all(FDir, Ec);
  }
  std::string Path(const std::string& Name) const { return (FDir / Name).string(); }
  std::string Make(const std::string& Name, const std::string& Data) {
    WriteAll(Path(Name), Data);
    return Path(Name);
  }

  std::filesystem::path FDir;
  std::unique_ptr<TMP3Info> Info;
  int Errors = 0, FileChanges = 0, Changes = 0;
};

}  // namespace

TEST_F(MP3InfoTest, ReadsTheFields) {
  std::string Title = "Song";
  Title.append(26, '\0');  // zero padding stays, blank padding goes
  const std::string F = Make("a.mp3", Audio + Block(Title, "\xC0\xF0\xF2\xE8\xF1\xF2  x", "Album", "1999",
                                                     "Comment text", 17));
  Info->SetFilename(F);
  EXPECT_TRUE(Info->Valid());
  EXPECT_EQ(FileChanges, 1);
  EXPECT_EQ(Errors, 0);
  EXPECT_EQ(Changes, 0);
  EXPECT_EQ(Info->Title(), Title);
  EXPECT_EQ(Info->Artist(), "\xC0\xF0\xF2\xE8\xF1\xF2  x");  // CP1251 bytes as they are
  EXPECT_EQ(Info->Album(), "Album");
  EXPECT_EQ(Info->Year(), "1999");
  EXPECT_EQ(Info->Comment(), "Comment text");
  EXPECT_EQ(Info->GenreID(), 17);
  EXPECT_EQ(Info->Genre(), "Rock");

  // "TAG" 128 bytes from the end is all it takes, even as the whole file.
  std::string Odd(128, '\xFF');
  Odd.replace(0, 3, "TAG");
  Info->SetFilename(Make("b.mp3", Odd));
  EXPECT_TRUE(Info->Valid());
  EXPECT_EQ(Info->Title(), std::string(30, '\xFF'));
  EXPECT_EQ(Info->Genre(), "Other");
}

TEST_F(MP3InfoTest, GenreNumbers) {
  struct {
    uint8_t Byte;
    uint8_t ID;
    const char* Name;
  } Cases[] = {
      {0, 0, "Blues"},       {12, 12, "Other"},     {80, 80, "Folk"},
      {81, 81, "Folk/Rock"}, {83, 83, "Swing"},     {84, 84, "Bebob"},
      {114, 114, "Folklore"}, {115, 12, "Other"},   {255, 12, "Other"},
  };
  for (auto& C : Cases) {
    Info->SetFilename(Make("g.mp3", Audio + Block("", "", "", "", "", C.Byte)));
    EXPECT_EQ(Info->GenreID(), C.ID) << int(C.Byte);
    EXPECT_EQ(Info->Genre(), C.Name) << int(C.Byte);
  }
  EXPECT_STREQ(TMP3Info::GenreName(115), "");
  EXPECT_STREQ(TMP3Info::GenreName(-1), "");
}

TEST_F(MP3InfoTest, SettersTruncateAndNotify) {
  EXPECT_EQ(Info->GenreID(), 12);
  Info->SetArtist(std::string(40, 'a'));
  EXPECT_EQ(Info->Artist(), std::string(30, 'a'));
  Info->SetTitle(std::string(31, 't'));
  EXPECT_EQ(Info->Title().size(), 30u);
  Info->SetAlbum("short");
  EXPECT_EQ(Info->Album(), "short");
  Info->SetComment(std::string(35, 'c'));
  EXPECT_EQ(Info->Comment().size(), 30u);
  Info->SetYear("20245");
  EXPECT_EQ(Info->Year(), "2024");
  Info->SetGenreID(81);
  EXPECT_EQ(Changes, 6);
  EXPECT_EQ(Info->Genre(), "");  // the genre name follows reads only

  Info->SetFilename(Make("a.mp3", Audio + Block("", "", "", "", "", 0)));
  EXPECT_EQ(Info->Genre(), "Blues");
  Info->SetGenreID(81);
  EXPECT_EQ(Info->Genre(), "Blues");
  Info->SetFilename(Info->Filename());
  EXPECT_EQ(Info->Genre(), "Blues");  // the file was not saved
}

TEST_F(MP3InfoTest, ReadFailures) {
  Info->SetFilename(Make("good.mp3", Audio + Block("Kept", "", "", "", "", 1)));
  ASSERT_TRUE(Info->Valid());

  Info->SetFilename(Path("missing.mp3"));
  EXPECT_FALSE(Info->Valid());
  EXPECT_EQ(Info->Error(), "File doesn`t exist !");
  EXPECT_EQ(Errors, 1);

  Info->SetFilename(Make("plain.mp3", Audio + std::string(128, 'x')));
  EXPECT_FALSE(Info->Valid());
  EXPECT_EQ(Info->Error(), "Wrong file format !");
  EXPECT_EQ(Errors, 2);
  EXPECT_EQ(Info->Title(), "Kept");  // the texts stay as they were

  // Shorter than a tag (empty, one byte short): no tag, and nothing left valid to save.
  for (const std::string& Data : {std::string(), std::string("TAG short"), "TAG" + std::string(124, ' ')}) {
    Info->SetFilename(Make("good2.mp3", Audio + Block("", "", "", "", "", 1)));
    ASSERT_TRUE(Info->Valid());
    const int ErrorsBefore = Errors;
    const std::string Short = Make("short.mp3", Data);
    EXPECT_NO_THROW(Info->SetFilename(Short));
    EXPECT_FALSE(Info->Valid());
    EXPECT_EQ(Info->Error(), "Wrong file format !");
    EXPECT_EQ(Errors, ErrorsBefore + 1);
    Info->Save();
    EXPECT_EQ(Info->Error(), "File doesn`t exist or is not valid !");
    EXPECT_EQ(ReadAll(Short), Data);
  }

  EXPECT_FALSE(Info->Valid());
  Info->SetFilename("");
  EXPECT_EQ(Info->Error(), "File doesn`t exist !");
}

TEST_F(MP3InfoTest, SaveWritesTheBlock) {
  const std::string F = Make("a.mp3", Audio + Block("Old title", "Old artist", "Old", "1970", "Old", 3, '\0'));
  Info->SetFilename(F);
  ASSERT_TRUE(Info->Valid());
  Info->SetTitle("New title");
  Info->SetArtist(std::string(40, 'A'));
  Info->SetAlbum("");
  Info->SetYear("2001");
  Info->SetComment("c");
  Info->SetGenreID(200);  // written as set; read back as "Other"
  Info->Save();
  EXPECT_EQ(Errors, 0);
  const std::string After = ReadAll(F);
  ASSERT_EQ(After.size(), Audio.size() + 128);
  EXPECT_EQ(After.substr(0, Audio.size()), Audio);
  EXPECT_EQ(After.substr(Audio.size()), Block("New title", std::string(30, 'A'), "", "2001", "c", 200));

  Info->SetFilename(F);
  EXPECT_EQ(Info->Title(), "New title");
  EXPECT_EQ(Info->Album(), "");
  EXPECT_EQ(Info->GenreID(), 12);
  EXPECT_EQ(Info->Genre(), "Other");
}

TEST_F(MP3InfoTest, SaveNeverWritesOverAudio) {
  // After a failed read.
  const std::string Plain = Audio + std::string(128, 'x');
  const std::string P = Make("plain.mp3", Plain);
  Info->SetFilename(P);
  Info->Save();
  EXPECT_EQ(Info->Error(), "File doesn`t exist or is not valid !");
  EXPECT_EQ(ReadAll(P), Plain);

  // The tag was stripped after it was read.
  const std::string F = Make("a.mp3", Audio + Block("T", "", "", "", "", 1));
  Info->SetFilename(F);
  ASSERT_TRUE(Info->Valid());
  WriteAll(F, Audio);
  Info->Save();
  EXPECT_FALSE(Info->Valid());
  EXPECT_EQ(Info->Error(), "Wrong file format !");
  EXPECT_EQ(ReadAll(F), Audio);

  // The file was deleted after it was read.
  Info->SetFilename(Make("b.mp3", Audio + Block("T", "", "", "", "", 1)));
  ASSERT_TRUE(Info->Valid());
  DeleteFile(Info->Filename());
  Info->Save();
  EXPECT_EQ(Info->Error(), "File doesn`t exist or is not valid !");
  EXPECT_FALSE(FileExists(Info->Filename()));
}

TEST_F(MP3InfoTest, ReadOnlyFiles) {
  const std::string Data = Audio + Block("Read only", "", "", "", "", 8);
  const std::string F = Make("ro.mp3", Data);
  ASSERT_EQ(FileSetAttr(F, faReadOnly), 0);
  Info->SetFilename(F);  // reading needs no write access
  EXPECT_TRUE(Info->Valid());
  EXPECT_EQ(Info->Title(), "Read only");
  EXPECT_EQ(Info->Genre(), "Jazz");
  Info->SetTitle("Changed");
  EXPECT_THROW(Info->Save(), EInOutError);
  FileSetAttr(F, faArchive);
  EXPECT_EQ(ReadAll(F), Data);
}

TEST_F(MP3InfoTest, PublishedProperties) {
  std::vector<std::string> Names;
  for (const TPropInfo* P : GetPropList(TMP3Info::StaticClassInfo()))
    if (TComponent::StaticClassInfo()->FindProperty(P->Name()) == nullptr)
      Names.push_back(P->Name());
  EXPECT_EQ(Names, (std::vector<std::string>{"Filename", "Artist", "Title", "Album", "Comment", "Year",
                                             "Genre", "GenreID", "Valid", "Error", "onChangeFile",
                                             "onChange", "onError"}));
  SetPropText(Info.get(), "GenreID", "12");
  SetPropText(Info.get(), "Year", "19999");
  EXPECT_EQ(GetPropText(Info.get(), "Year"), "1999");
  EXPECT_FALSE(FindPropInfo(Info.get(), "Genre")->IsWritable());
  EXPECT_FALSE(FindPropInfo(Info.get(), "Valid")->IsWritable());
  EXPECT_FALSE(FindPropInfo(Info.get(), "Error")->IsWritable());

  const std::string F = Make("a.mp3", Audio + Block("By name", "", "", "", "", 9));
  SetPropText(Info.get(), "Filename", F);
  EXPECT_EQ(GetPropText(Info.get(), "Title"), "By name");
  EXPECT_EQ(GetPropText(Info.get(), "Genre"), "Metal");
  EXPECT_EQ(GetPropText(Info.get(), "Valid"), "True");
}
