#include "html/core/html_support.h"

#include <new>

#include "classlib/core/exception.h"
#include "classlib/core/sys_utils.h"

std::string TrimBlanks(std::string_view S) {
  std::size_t first = 0, last = S.size();
  while (first < last && static_cast<unsigned char>(S[first]) <= ' ') ++first;
  while (last > first && static_cast<unsigned char>(S[last - 1]) <= ' ') --last;
  return std::string(S.substr(first, last - first));
}

std::string UrlToDosPath(std::string_view S) {
  if (S.find('/') == std::string_view::npos) return std::string(S);
  std::string result = LowerCase(S);
  std::size_t at = result.find("file:///");
  if (at != std::string::npos) {
    result.erase(at, 8);
  } else if ((at = result.find("file://")) != std::string::npos) {
    result.erase(at, 7);
  }
  for (char& c : result) {
    if (c == '|') c = ':';
    else if (c == '/') c = '\\';
  }
  return result;
}

std::string ExpandServerRoot(std::string_view URL, std::string_view Root) {
  std::string result = UrlToDosPath(URL);
  if (!result.empty() && result[0] == '\\') result.insert(0, Root);
  return result;
}

void TUrlTarget::Assign(const char* AURL, const char* ATarget) {
  if (AURL) URL = AURL;
  if (ATarget) Target = ATarget;
}

void TUrlTarget::Clear() {
  URL.clear();
  Target.clear();
}

void SelTextCount::AddText(const char* P, int Size) {
  for (int i = 0; i < Size; ++i)
    if (P[i] != 2 && P[i] != 4) ++Leng;
}

void SelTextCount::AddTextCR(const char* P, int Size) {
  AddText(P, Size);
  AddText("\r\n", 2);
}

int SelTextCount::Finish() { return Leng; }

std::unique_ptr<AllocRec> AllocateBlock(std::size_t Size) {
  auto rec = std::make_unique<AllocRec>();
  rec->Data.reset(new (std::nothrow) unsigned char[Size ? Size : 1]);
  if (!rec->Data) throw EAbort("");
  rec->Ptr = rec->Data.get();
  rec->Size = Size;
  return rec;
}

bool IsWordChar(char C) {
  if (C >= '0' && C <= '9') return true;
  // Every cased letter of the code page has two forms.
  return AnsiUpperChar(C) != AnsiLowerChar(C);
}
