// The in-place sort behind TList and TStringList. It works on indices, so that a compare
// function may look items up by index while the list is being sorted, and it never
// leaves the range even when the compare function is inconsistent.
#pragma once

// Compare(I, J) < 0 when item I sorts before item J; Exchange(I, J) swaps two items.
template <class Compare, class Exchange>
void QuickSortIndices(int L, int R, Compare&& Cmp, Exchange&& Exch) {
  while (L < R) {
    int I = L, J = R, P = L + (R - L) / 2;
    do {
      while (I < R && Cmp(I, P) < 0) ++I;
      while (J > L && Cmp(J, P) > 0) --J;
      if (I <= J) {
        if (I != J) {
          Exch(I, J);
          if (P == I) P = J;
          else if (P == J) P = I;
        }
        ++I;
        --J;
      }
    } while (I <= J);
    // Recurse into the smaller part and loop on the larger, so the depth stays small.
    if (J - L < R - I) {
      if (L < J) QuickSortIndices(L, J, Cmp, Exch);
      L = I;
    } else {
      if (I < R) QuickSortIndices(I, R, Cmp, Exch);
      R = J;
    }
  }
}
