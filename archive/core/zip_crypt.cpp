#ifdef _WIN32
#define _CRT_RAND_S  // rand_s: the system's cryptographic generator
#endif
#include "archive/core/zip_crypt.h"

#include <atomic>

#include <cstdlib>
#include <random>

#include "archive/core/arc_base.h"
#include "archive/core/arc_globals.h"

thread_local TZipKeys ZipKeys;

uint32_t UpdateKeys(uint8_t C) {
  ZipKeys.Key0 = UpdateCrc32Byte(C, ZipKeys.Key0);
  ZipKeys.Key1 = (ZipKeys.Key1 + (ZipKeys.Key0 & 0xFF)) * 134775813u + 1;
  ZipKeys.Key2 = UpdateCrc32Byte(uint8_t(ZipKeys.Key1 >> 24), ZipKeys.Key2);
  return ZipKeys.Key2;
}

void InitKeys(const std::string& Password) {
  ZipKeys = TZipKeys{};
  for (char c : Password) UpdateKeys(static_cast<uint8_t>(c));
}

uint8_t DecryptByte() {
  uint32_t t = (ZipKeys.Key2 & 0xFFFF) | 2;
  return static_cast<uint8_t>((t * (t ^ 1)) >> 8);
}

uint8_t EncryptByte(uint8_t C) {
  uint8_t r = DecryptByte() ^ C;
  UpdateKeys(C);
  return r;
}

void DecryptBuffer(void* Buf, size_t Len) {
  uint8_t* p = static_cast<uint8_t*>(Buf);
  for (size_t i = 0; i < Len; ++i) {
    p[i] ^= DecryptByte();
    UpdateKeys(p[i]);
  }
}

void EncryptBuffer(void* Buf, size_t Len) {
  uint8_t* p = static_cast<uint8_t*>(Buf);
  for (size_t i = 0; i < Len; ++i) p[i] = EncryptByte(p[i]);
}

namespace {
std::atomic<TArcRandomSource> PinnedRandom{nullptr};
}

void SetArcRandomSource(TArcRandomSource Source) { PinnedRandom = Source; }

void ArcRandomBytes(void* Buf, size_t Len) {
  if (TArcRandomSource Pinned = PinnedRandom.load()) {
    Pinned(Buf, Len);
    return;
  }
  uint8_t* p = static_cast<uint8_t*>(Buf);
#ifdef _WIN32
  while (Len > 0) {
    unsigned int v = 0;
    if (rand_s(&v) != 0) throw Exception("No random source");
    for (int k = 0; k < 4 && Len > 0; ++k, --Len) *p++ = static_cast<uint8_t>(v >> (8 * k));
  }
#else
  std::random_device rd;
  while (Len > 0) {
    unsigned int v = rd();
    for (int k = 0; k < 4 && Len > 0; ++k, --Len) *p++ = static_cast<uint8_t>(v >> (8 * k));
  }
#endif
}

void MakeCryptHeader(const std::string& Password, uint32_t CheckValue, uint8_t Header[ZipCryptHeaderSize]) {
  InitKeys(Password);
  ArcRandomBytes(Header, ZipCryptHeaderSize - 2);
  Header[10] = static_cast<uint8_t>(CheckValue >> 16);
  Header[11] = static_cast<uint8_t>(CheckValue >> 24);
  EncryptBuffer(Header, ZipCryptHeaderSize);
}

bool CheckCryptHeader(uint8_t* Buf, int Len, uint16_t Flags, uint32_t Crc, uint32_t Time,
                      const std::string& Password) {
  if (Password.empty() || Len <= 0) return false;
  InitKeys(Password);
  for (int i = 0; i < Len; ++i) {
    uint8_t c = Buf[Len + i] ^ DecryptByte();
    UpdateKeys(c);
    Buf[i] = c;
  }
  uint8_t check = (Flags & 8) ? static_cast<uint8_t>((Time & 0xFFFF) >> 8) : static_cast<uint8_t>(Crc >> 24);
  return Buf[Len - 1] == check;
}

bool TryZipPasswords(TZipCommon& Reader, uint8_t Buf[2 * ZipCryptHeaderSize], uint16_t Flags, uint32_t Crc,
                     uint32_t Time, std::string& LastGood) {
  auto passes = [&](const std::string& Password) {
    return CheckCryptHeader(Buf, ZipCryptHeaderSize, Flags, Crc, Time, Password);
  };
  if (passes(LastGood)) return true;
  TStringList* list = Reader.Passwords();
  for (int i = 0; list && i < list->Count(); ++i) {
    const std::string line = list->Strings(i);
    if (passes(line)) {
      LastGood = line;
      return true;
    }
  }
  if (!Reader.OnGetPassword) return false;
  for (int attempt = 0; attempt < 3; ++attempt) {
    std::string password;
    bool tryAgain = true;
    Reader.OnGetPassword(&Reader, Reader.FileName, password, tryAgain);
    if (!tryAgain) break;
    if (passes(password)) {
      if (list) list->Insert(0, password);
      LastGood = password;
      return true;
    }
    Reader.ReportArchiveError(Reader.FileName, "", "0", errInvalidPassword);
  }
  return false;
}
