// File encryption of the file manager: a file is enciphered into another, or deciphered back,
// with a password of up to 12 characters and two numeric keys, optionally LZSS-compressed
// first. It is a legacy scrambling format kept so that old files still open, not strong
// encryption.
//
// Encrypted file: an 8-byte header enciphered as one block (the payload size XOR the CRC of
// the enciphered key bytes XOR a salt, then the salt, both 32-bit little-endian), then the
// payload enciphered in blocks of 32768 bytes. Every draw comes from the runtime's linear
// congruential generator (S := S * 134775813 + 1; a draw below n is the high half of S * n),
// bit for bit, because the format depends on it.
//
// The result is written beside its target under a fresh name and put in place only when
// complete: a failure (a short write, a wrong password) never touches the input and leaves
// no partial output.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "classlib/core/component.h"

class TStream;

// The generator and the block cipher on their own.
class TCryptCipher {
public:
  std::uint32_t Seed = 0;
  std::uint32_t W0 = 0, W1 = 0, W2 = 0;
  std::int32_t MultKey = 9742;
  std::int32_t AddKey = 9817;

  std::uint32_t Random(std::uint32_t Below);
  // The key words from the password, the salt (one draw after seeding with RandomSeed), and
  // the 16 key bytes: 4 drawn after seeding with W0, 4 with W2, 8 with W1; then W0 again.
  void DeriveKeys(const std::string& Password, std::uint32_t RandomSeed, std::uint32_t& Salt,
                  unsigned char Keys[16]);
  void Encipher(unsigned char* Buffer, int Count);
  void Decipher(unsigned char* Buffer, int Count);

private:
  std::vector<std::uint32_t> FPerm;
  void DrawPermutation(int Count);
};

class TCryptLib : public TComponent {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  explicit TCryptLib(TComponent* AOwner);

  static constexpr int BlockSize = 32768;

  const std::string& Infile() const { return FInfile; }
  void SetInfile(const std::string& Value) { FInfile = Value; }
  const std::string& Outfile() const { return FOutfile; }
  void SetOutfile(const std::string& Value) { FOutfile = Value; }
  const std::string& Password() const { return FPassword; }
  // 13 characters or more empty the password and raise "TCryptLib.Password is too long".
  void SetPassword(const std::string& Value);
  bool Compression() const { return FCompression; }
  void SetCompression(bool Value) { FCompression = Value; }
  // 0 and -1 are refused: the key becomes 1 and "TCryptLib.AddKey is too big" (or MultKey)
  // is raised.
  std::int32_t AddKey() const { return FAddKey; }
  void SetAddKey(std::int32_t Value);
  std::int32_t MultKey() const { return FMultKey; }
  void SetMultKey(std::int32_t Value);

  // Infile into Outfile (which may be Infile itself: it is then replaced). Failures raise;
  // the input stays as it was and no partial output is left. A wrong password or wrong keys
  // fire OnBadPassword and write nothing.
  void CryptEncryptFile();
  void CryptDecryptFile();

  TNotifyEvent OnBadPassword;
  // The clock seed of the salt's draw; tests set a fixed one.
  std::function<std::uint32_t()> RandomSeed;
  // Writes a block to a file; tests replace it to make a write come up short. Returns the
  // bytes written.
  std::function<int(TStream& Out, const void* Buffer, int Count)> WriteBlock;

private:
  std::string FInfile, FOutfile;
  std::string FPassword = "583027";
  bool FCompression = true;
  std::int32_t FAddKey = 9817;
  std::int32_t FMultKey = 9742;
};
