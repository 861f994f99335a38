#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "classlib/core/exception.h"
#include "classlib/core/list.h"
#include "classlib/core/stream.h"
#include "classlib/core/strings.h"
#include "temp_folder.h"

namespace {

std::vector<std::string> Lines(const TStrings& L) {
  std::vector<std::string> V;
  for (int I = 0; I < L.Count(); ++I) V.push_back(L[I]);
  return V;
}

void Fill(TStringList& L, const std::vector<std::string>& V) {
  for (const std::string& S : V) L.Add(S);
}

std::string ErrorOf(const std::function<void()>& F) {
  try {
    F();
  } catch (const Exception& E) {
    return E.Message();
  }
  return "<no error>";
}

}  // namespace

TEST(StringList, EditingAndObjects) {
  TStringList L;
  TObject A, B;
  L.Add("one");
  L.AddObject("two", &A);
  L.Insert(0, "zero");
  L.InsertObject(3, "three", &B);
  EXPECT_EQ(Lines(L), (std::vector<std::string>{"zero", "one", "two", "three"}));
  EXPECT_EQ(L.Objects(2), &A);
  EXPECT_EQ(L.IndexOfObject(&B), 3);
  EXPECT_EQ(L.IndexOf("TWO"), 2);  // case-insensitive by default
  L.Move(3, 0);
  L.Exchange(1, 3);
  EXPECT_EQ(Lines(L), (std::vector<std::string>{"three", "two", "one", "zero"}));
  EXPECT_EQ(L.Objects(0), &B);
  EXPECT_EQ(L.Objects(1), &A);
  L.SetStrings(1, "TWO");
  EXPECT_EQ(L.Objects(1), &A);  // replacing the text keeps the object
  L.Delete(0);
  EXPECT_EQ(L.Count(), 3);
  L.Clear();
  EXPECT_EQ(L.Count(), 0);
}

TEST(StringList, IndexOutOfBounds) {
  TStringList L;
  Fill(L, {"a", "b"});
  std::vector<std::pair<std::function<void()>, int>> Cases = {
      {[&] { L.Strings(-1); }, -1},      {[&] { L.Strings(2); }, 2},        {[&] { L.Objects(5); }, 5},
      {[&] { L.Delete(2); }, 2},         {[&] { L.Insert(3, "x"); }, 3},   {[&] { L.SetStrings(9, "x"); }, 9},
      {[&] { L.Move(0, 2); }, 2},        {[&] { L.Exchange(-1, 0); }, -1}, {[&] { L.SetObjects(2, nullptr); }, 2},
  };
  for (auto& [F, Index] : Cases) {
    EXPECT_EQ(ErrorOf(F), "List index out of bounds (" + std::to_string(Index) + ")");
    EXPECT_EQ(Lines(L), (std::vector<std::string>{"a", "b"}));  // nothing lost
  }
  EXPECT_THROW(L.Strings(2), EStringListError);
}

TEST(StringList, SortedWithDuplicates) {
  struct Case {
    TDuplicates Dup;
    std::vector<std::string> Expected;
    bool Raises;
  } Cases[] = {
      {dupIgnore, {"a", "B", "c"}, false},
      {dupAccept, {"a", "b", "B", "c"}, false},  // before its equals
      {dupError, {"a", "B", "c"}, true},
  };
  for (const Case& C : Cases) {
    TStringList L;
    L.SetSorted(true);
    L.SetDuplicates(C.Dup);
    Fill(L, {"c", "a", "B"});
    if (C.Raises) {
      EXPECT_EQ(ErrorOf([&] { L.Add("b"); }), "String list does not allow duplicates");
    } else {
      int I = L.Add("b");
      EXPECT_EQ(L.Strings(I).size(), 1u);
    }
    EXPECT_EQ(Lines(L), C.Expected) << C.Dup;
    int Index = -1;
    EXPECT_TRUE(L.Find("B", Index));
    EXPECT_EQ(Index, 1);
    EXPECT_FALSE(L.Find("bb", Index));
    EXPECT_EQ(Index, C.Dup == dupAccept ? 3 : 2);
  }
}

TEST(StringList, SortedOrderAndCaseSensitivity) {
  TStringList L;
  // яблоко Ель ёж apple Apple Жук 10
  Fill(L, {"\xFF\xE1\xEB\xEE\xEA\xEE", "\xC5\xEB\xFC", "\xB8\xE6", "apple", "Apple", "\xC6\xF3\xEA", "10"});
  L.SetSorted(true);
  std::vector<std::string> V = Lines(L);
  EXPECT_EQ(V[0], "10");
  EXPECT_EQ(std::vector<std::string>(V.begin() + 3, V.end()),
            (std::vector<std::string>{"\xC5\xEB\xFC", "\xB8\xE6", "\xC6\xF3\xEA", "\xFF\xE1\xEB\xEE\xEA\xEE"}));
  EXPECT_EQ(L.IndexOf("\xC5\xCB\xDC"), 3);  // ЕЛЬ finds Ель

  L.SetCaseSensitive(true);  // sorts again, lower case first
  EXPECT_EQ(L[1], "apple");
  EXPECT_EQ(L[2], "Apple");
  EXPECT_EQ(L.IndexOf("Apple"), 2);
  EXPECT_EQ(L.IndexOf("APPLE"), -1);
  L.SetDuplicates(dupError);
  EXPECT_NO_THROW(L.Add("APPLE"));
  EXPECT_EQ(L.IndexOf("APPLE"), 3);

  // A sorted list refuses what would break its order, and loses nothing.
  const std::vector<std::string> Before = Lines(L);
  for (auto F : std::vector<std::function<void()>>{[&] { L.Insert(0, "x"); }, [&] { L.Move(0, 1); },
                                                   [&] { L.Exchange(0, 1); }, [&] { L.SetStrings(0, "z"); }})
    EXPECT_EQ(ErrorOf(F), "Operation not allowed on sorted string list");
  EXPECT_EQ(Lines(L), Before);
}

TEST(StringList, CustomSort) {
  TStringList L;
  Fill(L, {"ccc", "a", "bb", "dddd", "", "ee"});
  L.CustomSort([](TStringList* List, int I, int J) {
    return static_cast<int>(List->Strings(I).size()) - static_cast<int>(List->Strings(J).size());
  });
  std::vector<std::string> V = Lines(L);
  for (std::size_t I = 1; I < V.size(); ++I) EXPECT_LE(V[I - 1].size(), V[I].size());
  // An inconsistent compare function still leaves every line in place.
  TStringList M;
  for (int I = 0; I < 200; ++I) M.Add(std::to_string(I));
  int Calls = 0;
  M.CustomSort([&](TStringList*, int, int) { return (++Calls % 3) - 1; });
  EXPECT_EQ(M.Count(), 200);
  M.SetSorted(true);
  for (int I = 0; I < 200; ++I) EXPECT_GE(M.IndexOf(std::to_string(I)), 0);
}

TEST(StringList, NamesAndValues) {
  TStringList L;
  Fill(L, {"a=1", "Key=x=y", "plain", "=empty name"});
  EXPECT_EQ(L.Names(0), "a");
  EXPECT_EQ(L.Names(2), "");
  EXPECT_EQ(L.Values("KEY"), "x=y");
  EXPECT_EQ(L.Values("plain"), "");
  EXPECT_EQ(L.ValueFromIndex(2), "");  // no "=": no value
  EXPECT_EQ(L.IndexOfName("A"), 0);
  L.SetValues("a", "2");
  L.SetValues("new", "3");
  L.SetValues("key", "");
  EXPECT_EQ(Lines(L), (std::vector<std::string>{"a=2", "plain", "=empty name", "new=3"}));
  L.SetValueFromIndex(0, "9");
  EXPECT_EQ(L[0], "a=9");
}

TEST(StringList, CommaAndDelimitedText) {
  TStringList L;
  Fill(L, {"a", "b c", "d,e", "f\"g", "", "\xCF\xF0\xE8"});
  EXPECT_EQ(L.CommaText(), "a,\"b c\",\"d,e\",\"f\"\"g\",,\xCF\xF0\xE8");
  TStringList R;
  R.SetCommaText(L.CommaText());
  EXPECT_EQ(Lines(R), Lines(L));

  struct Case {
    const char* Text;
    std::vector<std::string> Items;
  } Cases[] = {
      {"a, b ,\"c d\",,\"e\"\"f\"", {"a", "b", "c d", "", "e\"f"}},
      {"a b", {"a", "b"}},
      {"\"x\",", {"x", ""}},
      {"", {}},
      {"\"\"", {""}},
      {"  \"unterminated", {"unterminated"}},
      {"\"a\"b", {"a", "b"}},
  };
  for (const Case& C : Cases) {
    R.SetCommaText(C.Text);
    EXPECT_EQ(Lines(R), C.Items) << C.Text;
  }
  R.Clear();
  R.Add("");
  EXPECT_EQ(R.CommaText(), "\"\"");

  TStringList D;
  D.SetDelimiter(';');
  D.SetQuoteChar('\'');
  Fill(D, {"a b", "c;d", "e", "it's"});
  EXPECT_EQ(D.DelimitedText(), "'a b';'c;d';e;'it''s'");
  TStringList E;
  E.Assign(&D);  // takes the delimiter and quote too
  E.SetDelimitedText(D.DelimitedText());
  EXPECT_EQ(Lines(E), Lines(D));
}

TEST(StringList, TextSplitsOnEveryLineBreak) {
  struct Case {
    std::string Text;
    std::vector<std::string> Lines;
  } Cases[] = {
      {"a\r\nb\nc\rd", {"a", "b", "c", "d"}},
      {"a\r\n", {"a"}},
      {"", {}},
      {"\r\n", {""}},
      {"a\n\nb", {"a", "", "b"}},
      {"a\n\rb", {"a", "", "b"}},
      {std::string("nul\0inside", 10), {std::string("nul\0inside", 10)}},
  };
  TStringList L;
  for (const Case& C : Cases) {
    L.SetText(C.Text);
    EXPECT_EQ(Lines(L), C.Lines);
  }
  L.SetText("x\ny");
  EXPECT_EQ(L.Text(), "x\r\ny\r\n");
}

TEST(StringList, ChangeEventsFireOncePerUpdate) {
  TStringList L;
  int Changing = 0, Changed = 0;
  L.OnChanging = [&](TObject* Sender) {
    EXPECT_EQ(Sender, &L);
    ++Changing;
  };
  L.OnChange = [&](TObject*) { ++Changed; };
  L.Add("a");
  EXPECT_EQ(Changing, 1);
  EXPECT_EQ(Changed, 1);
  L.BeginUpdate();
  L.BeginUpdate();
  L.Add("b");
  L.Add("c");
  L.Delete(0);
  L.EndUpdate();
  EXPECT_EQ(Changed, 1);
  L.EndUpdate();
  EXPECT_EQ(Changing, 2);
  EXPECT_EQ(Changed, 2);
  L.SetText("x\ny\nz");  // one change for the whole text
  EXPECT_EQ(Changed, 3);
}

TEST(StringList, FilesAndAssign) {
  TTempFolder T;
  const std::string Name = T / "\xF1\xEF\xE8\xF1\xEE\xEA.txt";  // список.txt
  TStringList L;
  Fill(L, {"\xCF\xF0\xE8\xE2\xE5\xF2", "", "  spaced  "});
  L.SaveToFile(Name);
  TMemoryStream M;
  M.LoadFromFile(Name);
  EXPECT_EQ(std::string(static_cast<const char*>(M.Memory()), M.Size()), "\xCF\xF0\xE8\xE2\xE5\xF2\r\n\r\n  spaced  \r\n");
  TStringList R;
  R.Add("old");
  R.LoadFromFile(Name);
  EXPECT_EQ(Lines(R), Lines(L));
  EXPECT_THROW(R.LoadFromFile(T / "none.txt"), EFOpenError);
  EXPECT_EQ(Lines(R), Lines(L));  // a failed load changes nothing

  TObject O;
  TStringList Src;
  Src.AddObject("x", &O);
  TStringList Dst;
  Dst.Add("gone");
  Dst.Assign(&Src);
  EXPECT_EQ(Lines(Dst), (std::vector<std::string>{"x"}));
  EXPECT_EQ(Dst.Objects(0), &O);
  Dst.AddStrings(&Src);
  EXPECT_EQ(Dst.Count(), 2);
  TPersistent Other;
  EXPECT_THROW(Dst.Assign(&Other), EConvertError);
}

TEST(List, PointersAndErrors) {
  int V[5] = {};
  TList L;
  for (int I = 0; I < 4; ++I) EXPECT_EQ(L.Add(&V[I]), I);
  L.Insert(0, nullptr);
  L.Add(nullptr);
  EXPECT_EQ(L.Count(), 6);
  L.Pack();
  EXPECT_EQ(L.Count(), 4);
  EXPECT_EQ(L.IndexOf(&V[2]), 2);
  EXPECT_EQ(L.Remove(&V[0]), 0);
  EXPECT_EQ(L.Remove(&V[4]), -1);
  L.Exchange(0, 2);  // V3 V2 V1
  L.Move(0, 2);      // V2 V1 V3
  EXPECT_EQ(L.Items(0), &V[2]);
  EXPECT_EQ(L.Last(), &V[3]);
  L.Sort([](void* A, void* B) { return static_cast<int>(static_cast<int*>(A) - static_cast<int*>(B)); });
  EXPECT_EQ(L.First(), &V[1]);
  EXPECT_EQ(L[2], &V[3]);
  L.SetCapacity(100);
  EXPECT_GE(L.Capacity(), 100);
  EXPECT_EQ(ErrorOf([&] { L.Items(3); }), "List index out of bounds (3)");
  EXPECT_EQ(ErrorOf([&] { L.Delete(-1); }), "List index out of bounds (-1)");
  EXPECT_EQ(ErrorOf([&] { L.Insert(5, nullptr); }), "List index out of bounds (5)");
  EXPECT_EQ(ErrorOf([&] { L.SetCapacity(1); }), "List capacity out of bounds (1)");
  EXPECT_THROW(L.SetCount(-1), EListError);
  EXPECT_EQ(L.Count(), 3);
  L.SetCount(5);
  EXPECT_EQ(L.Items(4), nullptr);
  L.Clear();
  EXPECT_EQ(L.Count(), 0);
}
