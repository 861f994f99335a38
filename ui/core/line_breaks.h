// Line breaks of text streamed into the rich edit control: every CR, LF and CR LF becomes
// CR LF. The state crosses chunk boundaries, so that a CR ending one chunk and an LF
// starting the next still make one break, and a lone CR at a chunk's end keeps its break.
#pragma once

#include <cstddef>
#include <string>

class TLineBreakNormalizer {
public:
  // Appends the normalised characters of In to Out; at most twice Count characters.
  template <class C>
  void Convert(const C* In, std::size_t Count, std::basic_string<C>& Out) {
    for (std::size_t I = 0; I < Count; ++I) {
      C Ch = In[I];
      if (Ch == C('\n')) {
        if (!FAfterCR) {
          Out.push_back(C('\r'));
          Out.push_back(C('\n'));
        }
        FAfterCR = false;
      } else if (Ch == C('\r')) {
        Out.push_back(C('\r'));
        Out.push_back(C('\n'));
        FAfterCR = true;
      } else {
        Out.push_back(Ch);
        FAfterCR = false;
      }
    }
  }
  void Reset() { FAfterCR = false; }

private:
  bool FAfterCR = false;
};
