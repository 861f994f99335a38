// Names of archive entries and volumes: wildcard matching, the safe output path of an
// entry, and the numbering of multi-volume archives.
#pragma once

#include <cstdint>
#include <string>

// True when S holds '*' or '?'.
bool HasWildcards(const std::string& S);

// Symmetric wildcard match: '*' and '?' count on either side, letters compare without
// case. With NamesOnly the folder parts are ignored. A name without '.' matches "*.*".
bool MatchFileSpec(const std::string& Name, const std::string& Spec, bool NamesOnly);

// The output path of an entry: ExtractDir (taken as it stands, with or without trailing
// '\') followed by the stored folders (with UseStoredDirs) and the name. Whatever the
// stored name holds, the result lies inside ExtractDir: a drive or UNC prefix and every
// empty, "." and ".." part are dropped, ':', control characters and the other characters
// Windows refuses become '_', trailing dots and blanks of a part go, and device names (CON,
// NUL.txt, COM1...) get a leading '_'. Empty when nothing of the name is left.
std::string SafeExtractPath(const std::string& ExtractDir, const std::string& Name, bool UseStoredDirs);

// The volume of a multi-volume archive: the letter of its extension (255 for none) and the
// number the next volume gets.
struct TVolumeState {
  uint8_t VolumeLetter = 255;
  int32_t VolumeNumber = 0;
};

// Reads the extension of Name ("A01": letter 'A', next number 2; "099": next 100). An ARJ
// archive whose extension starts with "A" but is no number ("ARJ") gets 1.
void ParseVolumeExt(TVolumeState& V, const std::string& Name, bool IsArj);
// The extension of the current number: "A02", "002", "100"; empty when it is negative.
std::string VolumeExt(const TVolumeState& V);
// Name with VolumeExt in place of everything from the first '.' of its name part; then the
// number goes up by one. Empty for an empty Name or a negative number.
std::string MakeNextVolumeName(TVolumeState& V, const std::string& Name);

// Whether S is well-formed UTF-8 with at least one byte above 0x7F.
bool IsNonAsciiUtf8(const std::string& S);
// UTF-8 in 1251; what 1251 lacks and what is malformed become '_', a character no file
// name may hold anyway.
std::string Utf8NameToAnsi(const std::string& S);
// A stored name of a format without a code-page mark (tar, made on Unix or on DOS) in
// 1251 with '\' separators: UTF-8 when it is well-formed non-ASCII UTF-8, which Unix
// tools write and DOS names almost never are; otherwise the DOS code page.
std::string ArchiveNameToAnsi(const std::string& Stored);
// A stored name of a format that records the system it was made on (LHA, ZOO, RAR before
// 5): made on Unix, read as ArchiveNameToAnsi does, since Unix tools write the bytes of
// their UTF-8 names; made elsewhere, the DOS code page.
std::string HostNameToAnsi(const std::string& Stored, bool FromUnix);
// A cabinet's name: UTF-8 when its attributes carry the UTF-8 flag (0x80), else the DOS
// code page.
std::string CabNameToAnsi(const std::string& Stored, uint32_t Attr);

// The next volume of a RAR set named the newer way: "name.part2.rar" after
// "name.part1.rar", "x.part010.rar" after "x.part009.rar" (any case). Empty for a name of
// the older way ("name.rar", then "name.r00").
std::string NextRarPartName(const std::string& Name);
