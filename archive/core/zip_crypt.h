// Traditional ZIP encryption: three keys driven by the CRC-32 table, a 12-byte header
// before the entry data whose last byte checks the password.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

struct TZipKeys {
  uint32_t Key0 = 0x12345678;
  uint32_t Key1 = 0x23456789;
  uint32_t Key2 = 0x34567890;
};

// One set of keys for the process: the reader and the writer never run at the same time.
extern thread_local TZipKeys ZipKeys;  // each thread decrypts its own entry

constexpr int ZipCryptHeaderSize = 12;

void InitKeys(const std::string& Password);
uint32_t UpdateKeys(uint8_t C);
uint8_t DecryptByte();
uint8_t EncryptByte(uint8_t C);
// Whole blocks in place with the current keys (the readers' input and the writer's output).
void DecryptBuffer(void* Buf, size_t Len);
void EncryptBuffer(void* Buf, size_t Len);

// Ten random bytes and the two high bytes of CheckValue, encrypted with Password; the keys
// then stand ready to encrypt the entry's data.
void MakeCryptHeader(const std::string& Password, uint32_t CheckValue, uint8_t Header[ZipCryptHeaderSize]);

// Buf holds 2 * Len bytes, the encrypted header in its second half; the decrypted header
// goes to the first half so that further passwords can be tried on the same buffer. The
// check byte is the high byte of the DOS time when bit 3 of Flags is set, else the high
// byte of Crc. After True the keys stand ready to decrypt the entry's data.
bool CheckCryptHeader(uint8_t* Buf, int Len, uint16_t Flags, uint32_t Crc, uint32_t Time,
                      const std::string& Password);

// Bytes from the system's random source, or from the source a test pinned.
void ArcRandomBytes(void* Buf, size_t Len);
// Replaces the random source (nullptr: the system's again), so that a test can make
// encryption headers reproducible.
using TArcRandomSource = void (*)(void* Buf, size_t Len);
void SetArcRandomSource(TArcRandomSource Source);

class TZipCommon;

// The ZIP reader's search for the password of an encrypted entry. Buf holds the entry's
// 12-byte encryption header in its second half (24 bytes in all). Tried in turn: LastGood
// (the last password that passed in this run), every line of the reader's Passwords, then
// up to three answers of OnGetPassword (TryAgain False ends them; a right answer goes to
// the head of Passwords, a wrong one reports "Invalid password"). True when one passed:
// LastGood holds it and the keys stand ready for the entry's data.
bool TryZipPasswords(TZipCommon& Reader, uint8_t Buf[2 * ZipCryptHeaderSize], uint16_t Flags, uint32_t Crc,
                     uint32_t Time, std::string& LastGood);
