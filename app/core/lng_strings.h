// Run-time texts in the user's language: messages, titles and prompts (section "String"),
// file-dialog filters ("Mask") and the assistant's hints ("Tips") of the language file,
// program folder + "INI\zq.lng". The file is read afresh on every lookup, so edits and a
// switched language take effect at once.
#pragma once

#include <string>

// What every lookup yields for a missing key or file; shown unchanged, so a missing text
// is visible on screen.
inline constexpr const char* LngNotFound = "-+-";

// The folder of the executable with its trailing "\"; the start-up sets it.
const std::string& ProgramFolder();
void SetProgramFolder(const std::string& Folder);
// The language file: ProgramFolder() + "INI\zq.lng".
std::string LngFileName();

// Text is "---" while the file is read; it keeps that only when the read raises, and the
// exception then passes on.
void GetLngString(const std::string& Key, std::string& Text);
void GetLngMask(const std::string& Key, std::string& Text);
void GetLngTip(const std::string& Key, std::string& Text);

// A message of section "String" with a built-in English text for a language file that
// lacks it (an older or a user's own) or cannot be read: for the program's own reports,
// which must say something sensible whatever file is in use.
std::string LngStringOr(const std::string& Key, const std::string& Default);

// The text of the little-error popup that ends a failed command: "Problem1", or the
// built-in English text when the language file lacks it or cannot be read.
std::string LittleErrorText();

// Gives date formatting the day and month names of the language file (section "String":
// ShortDayNames and LongDayNames, Sunday first, ShortMonthNames and LongMonthNames, each a
// comma-separated list), so that the calendar and dates in words speak the chosen
// language. A list that is missing or has the wrong count leaves the English names.
void ApplyDateNames();
