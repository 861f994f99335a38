// Helpers of the component library that need no window: resource texts, the range and
// position of any progress control set through its published properties, command lines
// and text shortening.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class TObject;

// The text unchanged: every text the library raises passes through here.
std::string ResStr(const std::string& Text);

// Set the maximum, minimum or position of a progress control: a TProgressBar ("Max",
// "Min", "Position"), a TGauge ("MaxValue", "MinValue", "Progress") or a descendant of
// either. False, and nothing set, for no control, another class or a missing property.
bool SetProgressMax(TObject* Control, int32_t MaxValue);
bool SetProgressMin(TObject* Control, int32_t MinValue);
bool SetProgressValue(TObject* Control, int32_t ProgressValue);

// The words of a command line: characters 1 to 32 separate words; a double-quoted stretch
// belongs to one word and loses its quotes; empty quoted pairs before a word are skipped.
std::vector<std::string> CommandLineWords(const std::string& CmdLine);
// The first word as the program, the other words joined by single blanks as the
// parameters (a word holding a blank between double quotes again).
void SplitCommandLine(const std::string& CmdLine, std::string& ExeName, std::string& Params);

// Text shortened from its end, with "..." appended, until TextWidth says it fits in
// MaxWidth; unchanged when it fits. When not even "..." fits, "..." is the result.
std::string MinimizeText(const std::string& Text, const std::function<int(const std::string&)>& TextWidth,
                         int MaxWidth);
