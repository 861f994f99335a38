// A tiny tracker module for player tests, made in memory.
#pragma once

#include <string>

// A four-channel "M.K." module: one looped square-wave sample, played on the first row, and
// a pattern break on row Rows - 1 (1..64) that ends the song after Rows rows (speed 6,
// 125 BPM: 0.12 s a row).
inline std::string MakeTinyMod(int Rows) {
  std::string M(20, '\0');
  M.replace(0, 4, "tiny");
  const int SampleWords = 16;
  for (int s = 0; s < 31; ++s) {
    std::string H(30, '\0');
    if (s == 0) {
      H.replace(0, 6, "square");
      H[22] = 0, H[23] = char(SampleWords);  // length in words, big-endian
      H[25] = 64;                             // volume
      H[26] = 0, H[27] = 0;                   // loop start
      H[28] = 0, H[29] = char(SampleWords);   // loop length
    }
    M += H;
  }
  M += char(1);  // song length: one order
  M += char(127);
  std::string Orders(128, '\0');
  M += Orders;
  M += "M.K.";
  std::string Pattern(64 * 4 * 4, '\0');
  const int Period = 214;  // C-3
  char* Note = &Pattern[0];
  Note[0] = char(0x00 | (Period >> 8));  // sample 1: high nibble 0
  Note[1] = char(Period & 0xFF);
  Note[2] = char(0x10);  // sample 1 low nibble, no effect
  char* Break = &Pattern[(Rows - 1) * 16 + 4];  // row Rows-1, channel 2: D00
  Break[2] = 0x0D;
  Break[3] = 0x00;
  M += Pattern;
  for (int i = 0; i < SampleWords * 2; ++i) M += char(i < SampleWords ? 100 : -100);
  return M;
}
