#include "platform/rar/rar_crypt.h"

#include <cstring>

namespace {

uint32_t Rol(uint32_t X, int N) { return (X << N) | (X >> (32 - N)); }

const uint8_t SBox[256] = {
    0x63, 0x7c, 0x77, 0x7b, 0xf2, 0x6b, 0x6f, 0xc5, 0x30, 0x01, 0x67, 0x2b, 0xfe, 0xd7, 0xab, 0x76, 0xca, 0x82, 0xc9,
    0x7d, 0xfa, 0x59, 0x47, 0xf0, 0xad, 0xd4, 0xa2, 0xaf, 0x9c, 0xa4, 0x72, 0xc0, 0xb7, 0xfd, 0x93, 0x26, 0x36, 0x3f,
    0xf7, 0xcc, 0x34, 0xa5, 0xe5, 0xf1, 0x71, 0xd8, 0x31, 0x15, 0x04, 0xc7, 0x23, 0xc3, 0x18, 0x96, 0x05, 0x9a, 0x07,
    0x12, 0x80, 0xe2, 0xeb, 0x27, 0xb2, 0x75, 0x09, 0x83, 0x2c, 0x1a, 0x1b, 0x6e, 0x5a, 0xa0, 0x52, 0x3b, 0xd6, 0xb3,
    0x29, 0xe3, 0x2f, 0x84, 0x53, 0xd1, 0x00, 0xed, 0x20, 0xfc, 0xb1, 0x5b, 0x6a, 0xcb, 0xbe, 0x39, 0x4a, 0x4c, 0x58,
    0xcf, 0xd0, 0xef, 0xaa, 0xfb, 0x43, 0x4d, 0x33, 0x85, 0x45, 0xf9, 0x02, 0x7f, 0x50, 0x3c, 0x9f, 0xa8, 0x51, 0xa3,
    0x40, 0x8f, 0x92, 0x9d, 0x38, 0xf5, 0xbc, 0xb6, 0xda, 0x21, 0x10, 0xff, 0xf3, 0xd2, 0xcd, 0x0c, 0x13, 0xec, 0x5f,
    0x97, 0x44, 0x17, 0xc4, 0xa7, 0x7e, 0x3d, 0x64, 0x5d, 0x19, 0x73, 0x60, 0x81, 0x4f, 0xdc, 0x22, 0x2a, 0x90, 0x88,
    0x46, 0xee, 0xb8, 0x14, 0xde, 0x5e, 0x0b, 0xdb, 0xe0, 0x32, 0x3a, 0x0a, 0x49, 0x06, 0x24, 0x5c, 0xc2, 0xd3, 0xac,
    0x62, 0x91, 0x95, 0xe4, 0x79, 0xe7, 0xc8, 0x37, 0x6d, 0x8d, 0xd5, 0x4e, 0xa9, 0x6c, 0x56, 0xf4, 0xea, 0x65, 0x7a,
    0xae, 0x08, 0xba, 0x78, 0x25, 0x2e, 0x1c, 0xa6, 0xb4, 0xc6, 0xe8, 0xdd, 0x74, 0x1f, 0x4b, 0xbd, 0x8b, 0x8a, 0x70,
    0x3e, 0xb5, 0x66, 0x48, 0x03, 0xf6, 0x0e, 0x61, 0x35, 0x57, 0xb9, 0x86, 0xc1, 0x1d, 0x9e, 0xe1, 0xf8, 0x98, 0x11,
    0x69, 0xd9, 0x8e, 0x94, 0x9b, 0x1e, 0x87, 0xe9, 0xce, 0x55, 0x28, 0xdf, 0x8c, 0xa1, 0x89, 0x0d, 0xbf, 0xe6, 0x42,
    0x68, 0x41, 0x99, 0x2d, 0x0f, 0xb0, 0x54, 0xbb, 0x16};

struct TInvSBox {
  uint8_t T[256];
  TInvSBox() {
    for (int I = 0; I < 256; I++) T[SBox[I]] = uint8_t(I);
  }
};
const TInvSBox InvSBox;

uint8_t XTime(uint8_t X) { return uint8_t((X << 1) ^ ((X & 0x80) ? 0x1B : 0)); }
uint8_t Mul(uint8_t X, uint8_t Y) {
  uint8_t R = 0;
  while (Y) {
    if (Y & 1) R ^= X;
    X = XTime(X);
    Y >>= 1;
  }
  return R;
}

}  // namespace

// ---- SHA-1 ------------------------------------------------------------------------------

void TSha1::Transform(const uint8_t Block[64]) {
  uint32_t W[80];
  for (int I = 0; I < 16; I++)
    W[I] = uint32_t(Block[I * 4]) << 24 | uint32_t(Block[I * 4 + 1]) << 16 | uint32_t(Block[I * 4 + 2]) << 8 |
           Block[I * 4 + 3];
  for (int I = 16; I < 80; I++) W[I] = Rol(W[I - 3] ^ W[I - 8] ^ W[I - 14] ^ W[I - 16], 1);
  uint32_t A = FState[0], B = FState[1], C = FState[2], D = FState[3], E = FState[4];
  for (int I = 0; I < 80; I++) {
    uint32_t F, K;
    if (I < 20) {
      F = (B & C) | (~B & D);
      K = 0x5A827999;
    } else if (I < 40) {
      F = B ^ C ^ D;
      K = 0x6ED9EBA1;
    } else if (I < 60) {
      F = (B & C) | (B & D) | (C & D);
      K = 0x8F1BBCDC;
    } else {
      F = B ^ C ^ D;
      K = 0xCA62C1D6;
    }
    const uint32_t T = Rol(A, 5) + F + E + K + W[I];
    E = D;
    D = C;
    C = Rol(B, 30);
    B = A;
    A = T;
  }
  FState[0] += A;
  FState[1] += B;
  FState[2] += C;
  FState[3] += D;
  FState[4] += E;
}

void TSha1::Update(const uint8_t* Data, size_t Len) {
  size_t Used = size_t(FLen % 64);
  FLen += Len;
  while (Len > 0) {
    const size_t N = Len < 64 - Used ? Len : 64 - Used;
    memcpy(FBuf + Used, Data, N);
    Used += N;
    Data += N;
    Len -= N;
    if (Used == 64) {
      Transform(FBuf);
      Used = 0;
    }
  }
}

void TSha1::Digest(uint8_t Out[20]) const {
  TSha1 C = *this;
  const uint64_t Bits = FLen * 8;
  const uint8_t Pad = 0x80, Zero = 0;
  C.Update(&Pad, 1);
  while (C.FLen % 64 != 56) C.Update(&Zero, 1);
  uint8_t L[8];
  for (int I = 0; I < 8; I++) L[I] = uint8_t(Bits >> (56 - 8 * I));
  C.Update(L, 8);
  for (int I = 0; I < 5; I++)
    for (int J = 0; J < 4; J++) Out[I * 4 + J] = uint8_t(C.FState[I] >> (24 - 8 * J));
}

// ---- AES-128 decryption -------------------------------------------------------------------

void TAes128Decryptor::SetKey(const uint8_t Key[16]) {
  memcpy(FRoundKeys, Key, 16);
  uint8_t Rcon = 1;
  for (int I = 16; I < 176; I += 4) {
    uint8_t T[4];
    memcpy(T, FRoundKeys + I - 4, 4);
    if (I % 16 == 0) {
      const uint8_t First = T[0];
      T[0] = uint8_t(SBox[T[1]] ^ Rcon);
      T[1] = SBox[T[2]];
      T[2] = SBox[T[3]];
      T[3] = SBox[First];
      Rcon = XTime(Rcon);
    }
    for (int J = 0; J < 4; J++) FRoundKeys[I + J] = uint8_t(FRoundKeys[I - 16 + J] ^ T[J]);
  }
}

void TAes128Decryptor::DecryptBlock(const uint8_t In[16], uint8_t Out[16]) const {
  uint8_t S[16];
  for (int I = 0; I < 16; I++) S[I] = uint8_t(In[I] ^ FRoundKeys[160 + I]);
  for (int Round = 9; Round >= 0; Round--) {
    // Inverse shift rows (the state is column-major: byte = row + 4 * column).
    uint8_t T[16];
    for (int R = 0; R < 4; R++)
      for (int C = 0; C < 4; C++) T[R + 4 * ((C + R) % 4)] = S[R + 4 * C];
    for (int I = 0; I < 16; I++) S[I] = uint8_t(InvSBox.T[T[I]] ^ FRoundKeys[Round * 16 + I]);
    if (Round == 0) break;
    for (int C = 0; C < 4; C++) {
      uint8_t* Col = S + 4 * C;
      const uint8_t A0 = Col[0], A1 = Col[1], A2 = Col[2], A3 = Col[3];
      Col[0] = uint8_t(Mul(A0, 14) ^ Mul(A1, 11) ^ Mul(A2, 13) ^ Mul(A3, 9));
      Col[1] = uint8_t(Mul(A0, 9) ^ Mul(A1, 14) ^ Mul(A2, 11) ^ Mul(A3, 13));
      Col[2] = uint8_t(Mul(A0, 13) ^ Mul(A1, 9) ^ Mul(A2, 14) ^ Mul(A3, 11));
      Col[3] = uint8_t(Mul(A0, 11) ^ Mul(A1, 13) ^ Mul(A2, 9) ^ Mul(A3, 14));
    }
  }
  memcpy(Out, S, 16);
}

// ---- RAR 2.9-4.x keys -----------------------------------------------------------------------

void Rar3DeriveKey(const std::u16string& Password, const uint8_t Salt[8], uint8_t Key[16], uint8_t Iv[16]) {
  constexpr uint32_t Rounds = 0x40000;
  uint8_t Raw[2 * 128 + 8];
  size_t Len = 0;
  for (size_t I = 0; I < Password.size() && I < 128; I++) {
    Raw[Len++] = uint8_t(Password[I]);
    Raw[Len++] = uint8_t(Password[I] >> 8);
  }
  memcpy(Raw + Len, Salt, 8);
  Len += 8;
  TSha1 H;
  for (uint32_t I = 0; I < Rounds; I++) {
    H.Update(Raw, Len);
    const uint8_t Num[3] = {uint8_t(I), uint8_t(I >> 8), uint8_t(I >> 16)};
    H.Update(Num, 3);
    if (I % (Rounds / 16) == 0) {
      uint8_t D[20];
      H.Digest(D);
      Iv[I / (Rounds / 16)] = D[19];
    }
  }
  uint8_t D[20];
  H.Digest(D);
  // The key is the first four digest words, each taken low byte first.
  for (int I = 0; I < 4; I++)
    for (int J = 0; J < 4; J++) Key[I * 4 + J] = D[I * 4 + 3 - J];
}

TRar3Decryptor::TRar3Decryptor(const std::u16string& Password, const uint8_t Salt[8]) {
  uint8_t Key[16];
  Rar3DeriveKey(Password, Salt, Key, FChain);
  FAes.SetKey(Key);
}

void TRar3Decryptor::Decrypt(uint8_t* Data, size_t Len) {
  for (size_t Off = 0; Off + 16 <= Len; Off += 16) {
    uint8_t Cipher[16], Plain[16];
    memcpy(Cipher, Data + Off, 16);
    FAes.DecryptBlock(Cipher, Plain);
    for (int I = 0; I < 16; I++) Data[Off + I] = uint8_t(Plain[I] ^ FChain[I]);
    memcpy(FChain, Cipher, 16);
  }
}
