// Small helpers shared by the HTML reader, the document model and the viewers: link
// targets, the selection character counter, and string routines.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

inline int SmallerOf(int A, int B) { return A < B ? A : B; }
inline int LargerOf(int A, int B) { return A > B ? A : B; }

// A letter (any cased letter of code page 1251, Cyrillic with "Ё" and "Ч" included) or a
// digit: what a double click selects.
bool IsWordChar(char C);
// S without leading and trailing characters up to blank (#32 and below).
std::string TrimBlanks(std::string_view S);
// A file URL as a DOS path: only text that holds "/" changes; it is lower-cased, its
// "file:///" (else "file://") is dropped, "|" becomes ":" and "/" becomes "\".
std::string UrlToDosPath(std::string_view S);
// UrlToDosPath(URL), with Root put in front when the result begins at the root ("\").
std::string ExpandServerRoot(std::string_view URL, std::string_view Root);

class TUrlTarget {
public:
  std::string URL;
  std::string Target;
  // Copies each one that is given (not nullptr).
  void Assign(const char* AURL, const char* ATarget);
  void Clear();
};

// Counts the characters of a selection; the selection copier derives from it. The layout's
// placeholders for images (#4) and form controls (#2) are no characters of the text.
class SelTextCount {
public:
  virtual ~SelTextCount() = default;
  virtual void AddText(const char* P, int Size);
  // The text followed by CR LF.
  void AddTextCR(const char* P, int Size);
  virtual int Finish();

protected:
  int Leng = 0;
};

// A large block of memory for pixel and text buffers. A block that cannot be had raises the
// silent EAbort: the operation that wanted it stops without a message box.
struct AllocRec {
  void* Ptr = nullptr;
  std::size_t Size = 0;
  std::unique_ptr<unsigned char[]> Data;
};
std::unique_ptr<AllocRec> AllocateBlock(std::size_t Size);
// Frees the block (the record with it).
inline void DeallocateBlock(std::unique_ptr<AllocRec>& Rec) { Rec.reset(); }

// The program's palette for screens of 256 colours, from the system palette's 256 entries
// (0xRRGGBB): from index 10, a cube of the levels 55, 115, 165, 205, 235 and 255 for red,
// green and blue without white (215 colours), then 24 greys from 135 to 250 in steps of 5;
// the system's other entries stay.
std::vector<std::uint32_t> ScreenPaletteColors(const std::vector<std::uint32_t>& System);

