// Decryption of RAR 2.9-4.x entries: AES-128 in CBC mode with the key and IV derived from
// the password (UTF-16LE) and the entry's 8-byte salt by 2^18 rounds of SHA-1.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

class TSha1 {
public:
  void Update(const uint8_t* Data, size_t Len);
  // The digest of what was hashed so far; the object can go on hashing.
  void Digest(uint8_t Out[20]) const;

private:
  void Transform(const uint8_t Block[64]);
  uint32_t FState[5] = {0x67452301, 0xEFCDAB89, 0x98BADCFE, 0x10325476, 0xC3D2E1F0};
  uint8_t FBuf[64] = {};
  uint64_t FLen = 0;
};

class TAes128Decryptor {
public:
  void SetKey(const uint8_t Key[16]);
  void DecryptBlock(const uint8_t In[16], uint8_t Out[16]) const;

private:
  uint8_t FRoundKeys[176] = {};
};

// The key and IV of an entry.
void Rar3DeriveKey(const std::u16string& Password, const uint8_t Salt[8], uint8_t Key[16], uint8_t Iv[16]);

// AES-128-CBC over whole 16-byte blocks, carrying the chaining value from call to call.
class TRar3Decryptor {
public:
  TRar3Decryptor(const std::u16string& Password, const uint8_t Salt[8]);
  // Len must be a multiple of 16; decrypts in place.
  void Decrypt(uint8_t* Data, size_t Len);

private:
  TAes128Decryptor FAes;
  uint8_t FChain[16];
};
