// The portable half of the archive pages: the date text of a listed entry, the external
// packers and the command lines handed to them, and the names of staged files.
#pragma once

#include <string>
#include <vector>

#include "classlib/core/sys_utils.h"

// The order of day, month and year in the user's short dates (the locale's LOCALE_IDATE).
enum class TDateOrder { MonthDayYear = 0, DayMonthYear = 1, YearMonthDay = 2 };

// An entry's date as the archive page shows it: month, day and two-digit year joined by
// Sep in the user's order, then hours and minutes ("03/07/99 14:05", "07.03.99 14:05").
// A fixed month-first order would make 11 December read as 12 November where days come
// first, beside the panels' own dates.
std::string ArcEntryDateText(TDateTime Date, char Sep, TDateOrder Order = TDateOrder::MonthDayYear);

// The external packers, in the order of the save dialog's filter (index 1 first) and of
// the add-to-archive dialog's list (row 0 first).
struct TPacker {
  const char* Label;    // "rar"
  const char* Pattern;  // "*.rar"
  const char* Program;  // "rar.exe"
};
constexpr int PackerCount = 16;
extern const TPacker Packers[PackerCount];

// The program and command word of a packer by row (0-based); a row outside the table
// gives rar's. The command word is "a ", or "-a " for pkzip and bsa.
std::string PackerProgram(int Row);
std::string PackerCommandWord(int Row);
// The save dialog's filter: "rar|*.rar|arj|*.arj|...".
std::string PackerFilter();

// Name in double quotes, so that blanks and the shell's special characters reach the
// packer as part of one argument. A name that itself holds a double quote cannot be
// passed safely: false.
bool QuoteArgument(const std::string& Name, std::string& Quoted);

// The parameters of a packer run: command word, archive, then Extra (when not empty) and
// every file, each name quoted. False, with Bad the offending name, when a name cannot be
// quoted; nothing is to be run then.
bool PackerParameters(int Row, const std::string& Archive, const std::string& Extra,
                      const std::vector<std::string>& Files, std::string& Params, std::string& Bad);

// A file of Folder: Folder + "\" + Name, without the "\" after a drive root ("C:\").
std::string JoinFolderName(const std::string& Folder, const std::string& Name);
