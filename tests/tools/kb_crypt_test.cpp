// File encryption: known answers of the format, round trips across the block size with and
// without compression, wrong passwords and keys, in-place encryption, and failures that must
// leave the input whole and no partial output behind.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "classlib/core/exception.h"
#include "classlib/core/stream.h"
#include "classlib/core/sys_utils.h"
#include "tests/classlib/temp_folder.h"
#include "tests/tools/file_bytes.h"
#include "tools/core/kb_crypt.h"

namespace {

std::string Hex(const std::string& S) {
  static const char D[] = "0123456789abcdef";
  std::string R;
  for (unsigned char C : S) {
    R += D[C >> 4];
    R += D[C & 15];
  }
  return R;
}

std::string Sample(std::size_t N) {
  std::string S(N, '\0');
  for (std::size_t i = 0; i < N; ++i) S[i] = static_cast<char>((i * 31) ^ (i >> 7) ^ (i % 5 == 0 ? 0 : 'a'));
  return S;
}

struct CryptTest : ::testing::Test {
  TTempFolder Dir;
  TCryptLib CL{nullptr};
  int BadPassword = 0;

  CryptTest() {
    CL.OnBadPassword = [this](TObject*) { ++BadPassword; };
  }

  // The names in the folder, to see that no temporary file stays.
  std::vector<std::string> Names() {
    std::vector<std::string> R;
    SearchFolder(R);
    return R;
  }
  void SearchFolder(std::vector<std::string>& R) {
    TSearchRec F;
    if (FindFirst(Dir / "*", faAnyFile, F) == 0) {
      do
        if (F.Name != "." && F.Name != "..") R.push_back(F.Name);
      while (FindNext(F) == 0);
      FindClose(F);
    }
    std::sort(R.begin(), R.end());
  }

  void Run(bool Encrypt, const std::string& In, const std::string& Out) {
    CL.SetInfile(In);
    CL.SetOutfile(Out);
    if (Encrypt)
      CL.CryptEncryptFile();
    else
      CL.CryptDecryptFile();
  }
};

// Known answers worked out from the format's definition (generator, key setup, block
// cipher, header), without compression and with the salt's seed fixed.
TEST_F(CryptTest, KnownAnswers) {
  struct {
    const char* Password;
    int Mult, Add;
    std::uint32_t Seed;
    std::string Data;
    const char* Encrypted;
  } Cases[] = {
      {"", 9742, 9817, 0, "", "ac4ce205bd95ae46"},
      {"583027", 9742, 9817, 12345, "Hello, world!", "1407693a2df72a7365d7e844fdd8b255f226913498"},
      {"abcdefgh", 9742, 9817, 7,
       std::string("\x00\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0a\x0b\x0c\x0d\x0e\x0f\x10\x11\x12\x13", 20),
       "85b35faaca473c58b833fbcdbafa6490ba042e96269dfaf0c400bcb3"},
      {"abcdefghijkl", 3, 5, 99, std::string(16, '\0'), "267d4d26271f396544745ea18a97770ef362bf15a81ad82a"},
  };
  CL.SetCompression(false);
  for (auto& C : Cases) {
    SCOPED_TRACE(C.Password);
    CL.SetPassword(C.Password);
    CL.SetMultKey(C.Mult);
    CL.SetAddKey(C.Add);
    CL.RandomSeed = [&] { return C.Seed; };
    SaveBytes(Dir / "plain", C.Data);
    Run(true, Dir / "plain", Dir / "enc");
    EXPECT_EQ(Hex(LoadBytes(Dir / "enc")), C.Encrypted);
    Run(false, Dir / "enc", Dir / "dec");
    EXPECT_EQ(LoadBytes(Dir / "dec"), C.Data);
  }
  EXPECT_EQ(BadPassword, 0);
}

TEST_F(CryptTest, KeyWordsComeFromFourCharacterPieces) {
  TCryptCipher C;
  std::uint32_t Salt;
  unsigned char Keys[16];
  C.DeriveKeys("abcdefgh", 1, Salt, Keys);
  EXPECT_EQ(C.W0, 0x64636261u);
  EXPECT_EQ(C.W2, 0x68676665u);
  EXPECT_EQ(C.W1, 0u);  // 8 characters: no third piece
  C.DeriveKeys("xy", 1, Salt, Keys);
  EXPECT_EQ(C.W0, 0x7978u);
  EXPECT_EQ(C.W2, 0u);
  // The generator: seed 0 gives 0 below any bound first, then 134775814 * 255 >> 32.
  C.Seed = 0;
  EXPECT_EQ(C.Random(1000), 0u);
  EXPECT_EQ(C.Random(255), 8u);
}

TEST_F(CryptTest, RoundTripsAcrossTheBlockSize) {
  for (bool Compression : {false, true}) {
    for (std::size_t N : {0, 1, 32767, 32768, 32769, 70000}) {
      SCOPED_TRACE(std::to_string(N) + (Compression ? " compressed" : ""));
      CL.SetCompression(Compression);
      std::string Data = Sample(N);
      SaveBytes(Dir / "plain", Data);
      Run(true, Dir / "plain", Dir / "enc");
      std::string Enc = LoadBytes(Dir / "enc");
      if (!Compression) EXPECT_EQ(Enc.size(), N + 8);
      if (N > 16) EXPECT_EQ(Enc.find(Data.substr(0, 16)), std::string::npos);
      Run(false, Dir / "enc", Dir / "dec");
      EXPECT_EQ(LoadBytes(Dir / "dec"), Data);
      EXPECT_EQ(LoadBytes(Dir / "plain"), Data);
    }
  }
  EXPECT_EQ(Names(), (std::vector<std::string>{"dec", "enc", "plain"}));
}

TEST_F(CryptTest, WrongPasswordOrKeysWriteNothing) {
  SaveBytes(Dir / "plain", Sample(1000));
  Run(true, Dir / "plain", Dir / "enc");
  std::string Enc = LoadBytes(Dir / "enc");
  struct {
    const char* Password;
    int Mult, Add;
  } Cases[] = {{"583028", 9742, 9817}, {"583027", 9743, 9817}, {"583027", 9742, 9818}, {"", 9742, 9817}};
  for (auto& C : Cases) {
    SCOPED_TRACE(C.Password);
    CL.SetPassword(C.Password);
    CL.SetMultKey(C.Mult);
    CL.SetAddKey(C.Add);
    BadPassword = 0;
    Run(false, Dir / "enc", Dir / "dec");
    EXPECT_EQ(BadPassword, 1);
    EXPECT_FALSE(FileExists(Dir / "dec"));
    // An output that was there stays as it was.
    SaveBytes(Dir / "old", "keep");
    Run(false, Dir / "enc", Dir / "old");
    EXPECT_EQ(LoadBytes(Dir / "old"), "keep");
    // In place: the encrypted file stays.
    Run(false, Dir / "enc", Dir / "enc");
    EXPECT_EQ(LoadBytes(Dir / "enc"), Enc);
    DeleteFile(Dir / "old");
  }
  EXPECT_EQ(Names(), (std::vector<std::string>{"enc", "plain"}));
}

TEST_F(CryptTest, EncryptingAFileOntoItselfReplacesItOnlyWhenDone) {
  for (bool Compression : {false, true}) {
    CL.SetCompression(Compression);
    std::string Data = Sample(50000);
    SaveBytes(Dir / "doc", Data);
    Run(true, Dir / "doc", Dir / "doc");
    EXPECT_NE(LoadBytes(Dir / "doc"), Data);
    Run(false, Dir / "doc", Dir / "doc");
    EXPECT_EQ(LoadBytes(Dir / "doc"), Data);
    EXPECT_EQ(Names(), std::vector<std::string>{"doc"});
  }
  // Files that happen to carry the old fixed temporary names are left alone.
  SaveBytes(Dir / "___.~~-", "mine");
  SaveBytes(Dir / "___.~--", "mine too");
  Run(true, Dir / "doc", Dir / "doc");
  Run(false, Dir / "doc", Dir / "doc");
  EXPECT_EQ(LoadBytes(Dir / "___.~~-"), "mine");
  EXPECT_EQ(LoadBytes(Dir / "___.~--"), "mine too");
}

TEST_F(CryptTest, FailedWriteLeavesTheInputAndNoPartialOutput) {
  std::string Data = Sample(100000);
  for (bool Compression : {false, true}) {
    for (bool SameName : {false, true}) {
      SCOPED_TRACE(std::string(Compression ? "compressed" : "plain") + (SameName ? " in place" : ""));
      CL.SetCompression(Compression);
      SaveBytes(Dir / "doc", Data);
      int Calls = 0;
      CL.WriteBlock = [&](TStream& Out, const void* Buffer, int Count) {
        // The disk fills up on the third block.
        return ++Calls == 3 ? Out.Write(Buffer, Count / 2) : Out.Write(Buffer, Count);
      };
      EXPECT_THROW(Run(true, Dir / "doc", SameName ? Dir / "doc" : Dir / "enc"), EWriteError);
      EXPECT_EQ(LoadBytes(Dir / "doc"), Data);
      EXPECT_EQ(Names(), std::vector<std::string>{"doc"});
      CL.WriteBlock = [](TStream& Out, const void* Buffer, int Count) { return Out.Write(Buffer, Count); };
    }
  }
}

TEST_F(CryptTest, ShortOrMissingInputIsAnError) {
  SaveBytes(Dir / "short", "1234567");
  try {
    Run(false, Dir / "short", Dir / "out");
    ADD_FAILURE() << "no error";
  } catch (const Exception& E) {
    EXPECT_NE(E.Message().find("not an encrypted file"), std::string::npos) << E.Message();
  }
  EXPECT_THROW(Run(true, Dir / "missing", Dir / "out"), Exception);
  EXPECT_THROW(Run(false, Dir / "missing", Dir / "out"), Exception);
  EXPECT_EQ(Names(), std::vector<std::string>{"short"});
}

TEST_F(CryptTest, SettersRefuseBadValues) {
  EXPECT_EQ(CL.Password(), "583027");
  EXPECT_TRUE(CL.Compression());
  CL.SetPassword("123456789012");
  EXPECT_EQ(CL.Password(), "123456789012");
  try {
    CL.SetPassword("1234567890123");
    ADD_FAILURE();
  } catch (const Exception& E) {
    EXPECT_EQ(E.Message(), "TCryptLib.Password is too long");
  }
  EXPECT_EQ(CL.Password(), "");
  for (int Bad : {0, -1}) {
    CL.SetMultKey(5);
    EXPECT_THROW(CL.SetMultKey(Bad), Exception);
    EXPECT_EQ(CL.MultKey(), 1);
    CL.SetAddKey(5);
    EXPECT_THROW(CL.SetAddKey(Bad), Exception);
    EXPECT_EQ(CL.AddKey(), 1);
  }
  CL.SetMultKey(-2);
  EXPECT_EQ(CL.MultKey(), -2);
}

}  // namespace
