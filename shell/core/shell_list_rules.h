// Rules of the shell list that need no shell: the name-filter patterns, the shared column
// widths, the sort column of a header click, the drag auto-scroll step, the change-refresh
// delay and the names a rename may give.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class TStream;

// ---------------------------------------------------------------------------------------
// Name filter

// The non-empty pieces of a ";"-separated filter text, in order.
std::vector<std::string> SplitFileFilter(std::string_view Text);
// Whether a fill must collect the matching names at all: the folder has a path and the
// filter is neither empty nor one of the patterns that take everything.
bool FilterNeedsNames(std::string_view FolderPath, std::string_view FilterText);
// Pattern matching on one long file name, without case, as the file system reads "*" and
// "?" (a trailing ".*" or "." also takes a name without extension). The directory search
// also matches generated short names, so its results are checked again with this.
bool MatchesFilePattern(std::string_view Name, std::string_view Pattern);

// ---------------------------------------------------------------------------------------
// Column widths shared by all lists

// The Explorer's "DirectoryCols" record: at most 22 bytes, the first four 16-bit words
// being the widths of the name, size, type and modified columns.
struct TDirectoryCols {
  static constexpr int Capacity = 22;
  uint8_t Bytes[Capacity] = {};
  int Size = 0;  // 0: no record
};
// The defaults (200, 60, 100, 120, then 50) with the size 10.
TDirectoryCols DefaultDirectoryCols();
// Data read from the registry over Base; data longer than 22 bytes is refused (Base is
// returned unchanged).
TDirectoryCols OverlayDirectoryCols(const TDirectoryCols& Base, const uint8_t* Data, int Size);
// The four widths of a record.
std::vector<int> DirectoryColsWidths(const TDirectoryCols& Record);
// Both records exist and hold the same size and 16-bit words.
bool SameDirectoryCols(const TDirectoryCols& A, const TDirectoryCols& B);

// The shared width stream: a 32-bit count, then that many 32-bit widths.
void SaveColumnWidths(TStream& Stream, const std::vector<int>& Widths);
// The widths to give the first columns of a list of ColumnCount columns: at most as many
// as stored and as the list has, fewer when the stream is cut short.
std::vector<int> LoadColumnWidths(TStream& Stream, int ColumnCount);

// ---------------------------------------------------------------------------------------
// Sorting, scrolling, refreshing, renaming

// SortColumn after a click on the 0-based column: the current sort column reverses,
// any other sorts ascending on it.
int NextSortColumn(int SortColumn, int ClickedIndex);

// One auto-scroll step of a drag at a client point: -1 a line left/up, 1 right/down, 0 none.
struct TAutoScrollStep {
  int Horizontal = 0;
  int Vertical = 0;
};
inline constexpr uint32_t AutoScrollInterval = 100;  // ms between two steps
inline constexpr int AutoScrollMarginX = 26;
inline constexpr int AutoScrollMarginY = 20;
TAutoScrollStep AutoScrollStepAt(int X, int Y, int ClientWidth, int ClientHeight);
// Whether the next step is due (the tick counter may wrap).
bool AutoScrollDue(uint32_t LastStep, uint32_t Now);

// The delay of the refresh after a change notification.
inline unsigned RefreshDelay(bool HasFocus) { return HasFocus ? 400 : 2000; }

// Why a new name is refused; empty when it may be given. A name is one entry of the
// folder: no path separators or wildcard characters, not "." or "..", not empty once the
// trailing blanks and dots the file system drops are gone, at most 259 characters.
std::string NewNameProblem(std::string_view Name);
