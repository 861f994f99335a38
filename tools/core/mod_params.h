// The parameter string that the tracker-module panel hands to its player library when it
// creates an instance, and the library's reading of it.
//
// The string is a run of key and value pairs separated by "|", the last value without a
// trailing separator: "bgcolor|#000000|vucolor|#00FF00|...|hidden|false|Title|Mod|width|169|
// height|49|loop|false". Colours are six hexadecimal digits RRGGBB after "#".
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

struct TModPlugSettings {
  std::string BackColor = "000000";
  std::string VUColor = "00FF00";
  std::string SPColor = "FF0000";
  std::string VUColorTop = "FF0000";
  std::string SPColorTop = "FFFF00";
  bool SpectrumHide = false;
  bool LoopSong = false;
  bool SpectrumStereo = false;
  std::string Caption;
  int Width = 169;
  int Height = 49;
};

// True for exactly six hexadecimal digits: a colour the library can read.
bool IsModColor(const std::string& Text);

// The panel's parameter string. A colour that is not six hexadecimal digits is left out
// (the background then falls back to "000000"); a "|" in the caption would split the
// string, so it is dropped from the title.
std::string ModPlugParams(const TModPlugSettings& Settings);

// The key and value pairs of a parameter string, in order; a key without a value gets "".
std::vector<std::pair<std::string, std::string>> SplitModPlugParams(const std::string& Params);

// "#RRGGBB" (or "RRGGBB") to 0x00BBGGRR; Default when it is not a colour.
uint32_t ModColorValue(const std::string& Text, uint32_t Default);
