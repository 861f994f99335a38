// The portable half of the routines the file manager's windows share: file kinds by
// extension, small string helpers, the Cyrillic code-page tables, the DOS-or-Windows guess
// for text files, picture fitting, command lines and new file names.
#pragma once

#include <string>
#include <string_view>

// File kinds by extension (".jpeg", ".Jpeg" alike; a name without a dot is none of them).
bool IsPictureFile(std::string_view FileName);
bool IsExecutableFile(std::string_view FileName);
bool IsTextFile(std::string_view FileName);
bool IsHtmlFile(std::string_view FileName);
bool IsArchiveFile(std::string_view FileName);
bool IsMusicFile(std::string_view FileName);

// N >= 0 drops the first N characters, N < 0 the last -N; dropping more than there are
// gives an empty result.
void CutString(const std::string& S, int N, std::string& Result);
// True when the shorter text (ASCII case folded) is the start of the other, and when
// either is empty.
bool SameTextStart(std::string_view A, std::string_view B);
// True when Name begins with Text (ASCII case folded) and Text is not empty: the one-way
// test by which quick find selects.
bool NameStartsWith(std::string_view Name, std::string_view Text);

// The ending of a count of files in the copy and move questions, after the number:
// ") file" or ") files"; in Russian the form that the number takes (1 and 21 "файл",
// 2-4 and 22 "файла", 5-20 and 25 "файлов").
std::string FilesEnding(int Count, bool English);
// The question of the copy or move confirmation: Question + " (" + Count + the ending,
// in Russian when the question is (it holds Cyrillic letters), else in English.
std::string FilesQuestion(const std::string& Question, int Count);

// Cyrillic code pages. Bytes below 0x80 never change; each result has the input's length.
// DOS 866 to Windows 1251, the pseudo-graphics drawn with look-alikes ("-", "+", "L"...).
unsigned char DosToWinChar(unsigned char C);
std::string DosToWin(std::string_view S);
void WinToKoi8(const std::string& S, std::string& R);
void Koi8ToWin(const std::string& S, std::string& R);
void DosToKoi8(const std::string& S, std::string& R);
void Koi8ToDos(const std::string& S, std::string& R);
// The guess whether a text file is Windows (true) or DOS text: among its first bytes (up
// to 1023) the DOS letter 0xAE ("о") is more frequent than 0xFE ("ю" in Windows) only in
// DOS text. Empty and one-byte files count as Windows text. A missing file raises.
bool IsWindowsText(const std::string& FileName);

// The size a picture of W x H is shown at on a page of PageW x PageH (the page's height
// less its 33-pixel tool bar is the room): its own size when it fits, else scaled into
// the room by the smaller of the two ratios (700 x 100 on 600 x 433 gives 600 x 85).
struct TPictureSize {
  int Width;
  int Height;
  bool Stretch;  // false: natural size
};
TPictureSize FitPictureSize(int W, int H, int PageW, int PageH);

// The extraction reader that serves an archive of each kind. Kinds that no reader extracts
// (BH, PAK, the ZIP 2.50 forms) and the error kinds give rdNone: the panel then has no
// reader, so that no later extraction runs the reader of an earlier archive.
enum TArcReader { rdNone, rdARC, rdARJ, rdCAB, rdGZip, rdLHA, rdRAR, rdTAR, rdUUE, rdZIP, rdZOO };
TArcReader ReaderForArcType(int ArcType);

// A command line split the way the command line reads it: the program is the first word,
// or the text between the first pair of quotes; the arguments are the rest with the blanks
// before them dropped.
struct TCommandLine {
  std::string Program;
  std::string Params;
};
TCommandLine SplitCommandLine(std::string_view Line);

class TObject;

// Copies (or moves) FileName of SourceFolder to NewName in TargetFolder, driving Progress
// (a progress control or nullptr). A move deletes the source only after the copy is whole
// (the target has the source's size). False with Error set when anything was not done: a
// new name that would leave the folder, a copy that failed (the source then stays, and
// an old target too), or a source that could not be deleted after its copy.
bool CopyWithNewNameFile(const std::string& SourceFolder, const std::string& TargetFolder,
                         const std::string& FileName, const std::string& NewName, bool Move, TObject* Progress,
                         std::string& Error);

// Whether Name can be the new name of a file in a given folder: not empty, and no "\",
// "/", ":" or ".." that would put it elsewhere, no wildcards or other characters that
// file names cannot hold.
bool IsPlainFileName(std::string_view Name);
