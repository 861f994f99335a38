#include "tools/core/kb_crypt.h"

#include <chrono>
#include <cstring>
#include <memory>

#include "classlib/core/exception.h"
#include "classlib/core/stream.h"
#include "classlib/core/strings.h"
#include "classlib/core/sys_utils.h"
#include "tools/core/lzss_pack.h"

// ---------------------------------------------------------------------------------------
// The generator and the block cipher

std::uint32_t TCryptCipher::Random(std::uint32_t Below) {
  Seed = Seed * 134775813u + 1u;
  return static_cast<std::uint32_t>((std::uint64_t(Seed) * Below) >> 32);
}

namespace {

std::uint32_t PieceWord(const std::string& Password, std::size_t From) {
  unsigned char B[4] = {};
  for (std::size_t i = 0; i < 4 && From + i < Password.size(); ++i) B[i] = static_cast<unsigned char>(Password[From + i]);
  return B[0] | (B[1] << 8) | (B[2] << 16) | (std::uint32_t(B[3]) << 24);
}

std::uint8_t XorOfBytes(std::uint32_t W) { return static_cast<std::uint8_t>(W ^ (W >> 8) ^ (W >> 16) ^ (W >> 24)); }

}  // namespace

void TCryptCipher::DeriveKeys(const std::string& Password, std::uint32_t RandomSeed, std::uint32_t& Salt,
                              unsigned char Keys[16]) {
  W0 = PieceWord(Password, 0);
  W2 = PieceWord(Password, 4);
  W1 = PieceWord(Password, 8);
  Seed = RandomSeed;
  Salt = Random(4294967294u);
  Seed = W0;
  for (int i = 0; i < 4; ++i) Keys[i] = static_cast<unsigned char>(Random(255));
  Seed = W2;
  for (int i = 4; i < 8; ++i) Keys[i] = static_cast<unsigned char>(Random(255));
  Seed = W1;
  for (int i = 8; i < 16; ++i) Keys[i] = static_cast<unsigned char>(Random(255));
  Seed = W0;
}

void TCryptCipher::DrawPermutation(int Count) {
  FPerm.resize(static_cast<std::size_t>(Count));
  for (int i = 0; i < Count; ++i) FPerm[i] = Random(static_cast<std::uint32_t>(Count - 1)) + 1;
}

void TCryptCipher::Encipher(unsigned char* Buffer, int Count) {
  if (Count < 1) return;
  DrawPermutation(Count);
  for (int i = 0; i < Count; ++i) {
    unsigned char C = static_cast<unsigned char>(Random(255));
    Buffer[i] = static_cast<unsigned char>(C ^ Buffer[i] ^ XorOfBytes(W2));
    W2 = (Buffer[i] + W2 + W1) * static_cast<std::uint32_t>(MultKey) + static_cast<std::uint32_t>(AddKey);
  }
  for (int i = 0; i < Count; ++i) std::swap(Buffer[i], Buffer[FPerm[i] - 1]);
}

void TCryptCipher::Decipher(unsigned char* Buffer, int Count) {
  if (Count < 1) return;
  DrawPermutation(Count);
  for (int i = Count - 1; i >= 0; --i) std::swap(Buffer[i], Buffer[FPerm[i] - 1]);
  for (int i = 0; i < Count; ++i) {
    unsigned char E = Buffer[i];
    unsigned char C = static_cast<unsigned char>(Random(255));
    Buffer[i] = static_cast<unsigned char>(C ^ E ^ XorOfBytes(W2));
    W2 = (E + W2 + W1) * static_cast<std::uint32_t>(MultKey) + static_cast<std::uint32_t>(AddKey);
  }
}

// ---------------------------------------------------------------------------------------
// Files

namespace {

// Temporary files of one run, deleted unless kept.
class TTempFiles {
public:
  ~TTempFiles() {
    for (const std::string& N : FNames) DeleteFile(N);
  }
  // A name in Folder that no file has yet; the file is made at once, so that the next call
  // picks another.
  std::string Make(const std::string& Folder, const std::string& Base) {
    std::string Name = Folder + Base;
    for (int i = 1; FileExists(Name) || DirectoryExists(Name); ++i) Name = Folder + Base + IntToStr(i);
    TFileStream Create(Name, fmCreate);
    FNames.push_back(Name);
    return Name;
  }
  void Drop(const std::string& Name) {
    DeleteFile(Name);
    Keep(Name);
  }
  void Keep(const std::string& Name) {
    for (auto It = FNames.begin(); It != FNames.end(); ++It)
      if (*It == Name) {
        FNames.erase(It);
        return;
      }
  }

private:
  std::vector<std::string> FNames;
};

// Puts the complete file Temp in Target's place; the old Target goes only after Temp took
// its name.
void PutInPlace(TTempFiles& Temps, const std::string& Temp, const std::string& Target) {
  if (!FileExists(Target)) {
    if (!RenameFile(Temp, Target)) throw EFCreateError("Cannot create file " + Target);
    Temps.Keep(Temp);
    return;
  }
  std::string Old = Temps.Make(ExtractFilePath(Target), "___.~old");
  DeleteFile(Old);
  if (!RenameFile(Target, Old)) throw EFCreateError("Cannot replace file " + Target);
  if (!RenameFile(Temp, Target)) {
    RenameFile(Old, Target);
    Temps.Keep(Old);
    throw EFCreateError("Cannot replace file " + Target);
  }
  Temps.Keep(Temp);
}

std::uint32_t ClockSeed() {
  return static_cast<std::uint32_t>(std::chrono::system_clock::now().time_since_epoch().count());
}

// LZSS from one file into another.
void Code(bool Encode, const std::string& From, const std::string& To,
          const std::function<int(TStream&, const void*, int)>& WriteBlock) {
  if (!LzssInit()) throw Exception("TCryptLib: LZH init error");
  TFileStream In(From, fmOpenRead | fmShareDenyWrite);
  TFileStream Out(To, fmCreate);
  auto Read = [&](void* Buffer, std::int32_t Capacity) -> std::int32_t { return In.Read(Buffer, Capacity); };
  auto Write = [&](const void* Buffer, std::int32_t Count) {
    if (WriteBlock(Out, Buffer, Count) != Count) throw EWriteError("Cannot write " + To);
  };
  bool Ok = Encode ? LzssEncode(Read, Write) : LzssDecode(Read, Write);
  LzssDone();
  if (!Ok) throw Exception("TCryptLib: LZH init error");
}

bool SameName(const std::string& A, const std::string& B) { return A == B || SameFile(A, B); }

}  // namespace

const TClassInfo* TCryptLib::StaticClassInfo() {
  static const TClassInfo Info = TClassBuilder<TCryptLib, TComponent>("TCryptLib")
                                     .Prop("Infile", &TCryptLib::Infile, &TCryptLib::SetInfile)
                                     .Prop("Outfile", &TCryptLib::Outfile, &TCryptLib::SetOutfile)
                                     .Prop("Password", &TCryptLib::Password, &TCryptLib::SetPassword)
                                     .Prop("Compression", &TCryptLib::Compression, &TCryptLib::SetCompression)
                                     .Prop("AddKey", &TCryptLib::AddKey, &TCryptLib::SetAddKey)
                                     .Prop("MultKey", &TCryptLib::MultKey, &TCryptLib::SetMultKey)
                                     .Prop("OnBadPassword", &TCryptLib::OnBadPassword)
                                     .Build();
  return &Info;
}

TCryptLib::TCryptLib(TComponent* AOwner) : TComponent(AOwner) {
  RandomSeed = ClockSeed;
  WriteBlock = [](TStream& Out, const void* Buffer, int Count) { return Out.Write(Buffer, Count); };
}

void TCryptLib::SetPassword(const std::string& Value) {
  if (Value.size() >= 13) {
    FPassword.clear();
    throw Exception("TCryptLib.Password is too long");
  }
  FPassword = Value;
}

void TCryptLib::SetAddKey(std::int32_t Value) {
  if (Value == 0 || Value == -1) {
    FAddKey = 1;
    throw Exception("TCryptLib.AddKey is too big");
  }
  FAddKey = Value;
}

void TCryptLib::SetMultKey(std::int32_t Value) {
  if (Value == 0 || Value == -1) {
    FMultKey = 1;
    throw Exception("TCryptLib.MultKey is too big");
  }
  FMultKey = Value;
}

void TCryptLib::CryptEncryptFile() {
  std::string Target = SameName(FInfile, FOutfile) ? FInfile : FOutfile;
  std::string Folder = ExtractFilePath(FOutfile);
  TTempFiles Temps;
  std::string Source = FInfile;
  if (FCompression) {
    std::string Packed = Temps.Make(Folder, "___.~~-");
    Code(true, FInfile, Packed, WriteBlock);
    Source = Packed;
  }
  std::string Result = Temps.Make(Folder, "___.~--");
  {
    TFileStream In(Source, fmOpenRead | fmShareDenyWrite);
    TFileStream Out(Result, fmCreate);
    auto Write = [&](const unsigned char* Buffer, int Count) {
      if (WriteBlock(Out, Buffer, Count) != Count) throw EWriteError("Cannot write " + Target);
    };
    TCryptCipher Cipher;
    Cipher.MultKey = FMultKey;
    Cipher.AddKey = FAddKey;
    std::uint32_t Salt;
    unsigned char Keys[16];
    Cipher.DeriveKeys(FPassword, RandomSeed(), Salt, Keys);
    Cipher.Encipher(Keys, 16);
    auto Size = static_cast<std::uint32_t>(In.Size());
    std::uint32_t H0 = Size ^ Crc32Buf(Keys, 15) ^ Salt;
    unsigned char Header[8];
    for (int i = 0; i < 4; ++i) {
      Header[i] = static_cast<unsigned char>(H0 >> (8 * i));
      Header[4 + i] = static_cast<unsigned char>(Salt >> (8 * i));
    }
    Cipher.Encipher(Header, 8);
    Write(Header, 8);
    std::vector<unsigned char> Block(BlockSize);
    for (;;) {
      int N = In.Read(Block.data(), BlockSize);
      if (N < 0) throw EReadError("Cannot read " + Source);
      if (N == 0) break;
      Cipher.Encipher(Block.data(), N);
      Write(Block.data(), N);
    }
  }
  PutInPlace(Temps, Result, Target);
}

void TCryptLib::CryptDecryptFile() {
  std::string Target = SameName(FInfile, FOutfile) ? FInfile : FOutfile;
  std::string Folder = ExtractFilePath(FOutfile);
  TTempFiles Temps;
  std::string Result = Temps.Make(Folder, "___.~--");
  {
    TFileStream In(FInfile, fmOpenRead | fmShareDenyWrite);
    std::int64_t FileSize = In.Size();
    if (FileSize < 8) throw Exception(FInfile + " is not an encrypted file");
    TCryptCipher Cipher;
    Cipher.MultKey = FMultKey;
    Cipher.AddKey = FAddKey;
    std::uint32_t Salt;
    unsigned char Keys[16];
    Cipher.DeriveKeys(FPassword, RandomSeed(), Salt, Keys);
    Cipher.Encipher(Keys, 16);
    auto Size = static_cast<std::uint32_t>(FileSize - 8);
    unsigned char Header[8];
    In.ReadBuffer(Header, 8);
    Cipher.Decipher(Header, 8);
    std::uint32_t H0 = Header[0] | (Header[1] << 8) | (Header[2] << 16) | (std::uint32_t(Header[3]) << 24);
    Salt = Header[4] | (Header[5] << 8) | (Header[6] << 16) | (std::uint32_t(Header[7]) << 24);
    if ((Crc32Buf(Keys, 15) ^ Salt ^ Size) != H0) {
      // Wrong password or keys: nothing is written, the input stays.
      if (OnBadPassword) OnBadPassword(this);
      return;
    }
    TFileStream Out(Result, fmCreate);
    std::vector<unsigned char> Block(BlockSize);
    for (;;) {
      int N = In.Read(Block.data(), BlockSize);
      if (N < 0) throw EReadError("Cannot read " + FInfile);
      if (N == 0) break;
      Cipher.Decipher(Block.data(), N);
      if (WriteBlock(Out, Block.data(), N) != N) throw EWriteError("Cannot write " + Target);
    }
  }
  if (FCompression) {
    std::string Expanded = Temps.Make(Folder, "___.~~-");
    Code(false, Result, Expanded, WriteBlock);
    Temps.Drop(Result);
    Result = Expanded;
  }
  PutInPlace(Temps, Result, Target);
}
