// The media player over MCI: a sound file opens with its length in milliseconds; failures
// raise with the system's text and leave nothing open.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "classlib/core/stream.h"
#include "classlib/win/media_player.h"
#include "tests/classlib/temp_folder.h"

namespace {

// Samples of 8-bit mono silence at 8000 Hz (8000 to the second).
void WriteWav(const std::string& FileName, int Samples) {
  auto U32 = [](uint32_t V) { return std::string{char(V), char(V >> 8), char(V >> 16), char(V >> 24)}; };
  auto U16 = [](uint16_t V) { return std::string{char(V), char(V >> 8)}; };
  std::string S = "RIFF" + U32(36 + Samples) + "WAVEfmt " + U32(16) + U16(1) + U16(1) + U32(8000) + U32(8000) +
                  U16(1) + U16(8) + "data" + U32(Samples) + std::string(size_t(Samples), '\x80');
  TFileStream F(FileName, fmCreate);
  F.WriteBuffer(S.data(), int64_t(S.size()));
}

TEST(MediaPlayer, OpensASoundFileWithItsLength) {
  TTempFolder Dir;
  WriteWav(Dir / "half.wav", 4000);
  TMediaPlayer P(nullptr);
  EXPECT_EQ(P.Mode(), mpNotReady);
  EXPECT_EQ(P.Length(), 0);
  P.SetFileName(Dir / "half.wav");
  P.Open();
  EXPECT_TRUE(P.IsOpen());
  EXPECT_EQ(P.Length(), 500);
  EXPECT_EQ(P.Position(), 0);
  EXPECT_EQ(P.Mode(), mpStopped);
  // Opening again closes the first device.
  P.Open();
  EXPECT_EQ(P.Length(), 500);
  P.Close();
  EXPECT_FALSE(P.IsOpen());
}

TEST(MediaPlayer, FailuresRaiseAndLeaveNothingOpen) {
  TTempFolder Dir;
  TMediaPlayer P(nullptr);
  for (const std::string Name : {std::string(), Dir / "none.wav", Dir / "bad\".wav"}) {
    P.SetFileName(Name);
    EXPECT_THROW(P.Open(), EMCIDeviceError) << Name;
    EXPECT_FALSE(P.IsOpen()) << Name;
  }
  EXPECT_THROW(P.Play(), EMCIDeviceError);
}

}  // namespace
