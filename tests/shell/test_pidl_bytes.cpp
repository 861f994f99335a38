// Item-ID list bytes and the locator's stored form: walking, joining, malformed lists.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

#include "classlib/core/exception.h"
#include "classlib/core/sys_utils.h"
#include "shell/core/pidl_bytes.h"
#include "shell/core/pt_shell_strings.h"

namespace {

// A terminated list of items with the given payloads.
TPidlBytes MakeList(std::initializer_list<std::string> Payloads) {
  TPidlBytes R;
  for (const std::string& P : Payloads) {
    size_t Cb = P.size() + 2;
    R.push_back(uint8_t(Cb));
    R.push_back(uint8_t(Cb >> 8));
    R.insert(R.end(), P.begin(), P.end());
  }
  R.push_back(0);
  R.push_back(0);
  return R;
}

TEST(PidlBytes, WalkCountsWholeItemsAndStopsAtFaults) {
  struct Case {
    const char* Name;
    TPidlBytes Bytes;
    size_t Limit;
    size_t ItemsSize;
    int Count;
    bool Terminated;
  };
  const Case Cases[] = {
      {"empty list", {0, 0}, PidlNoLimit, 0, 0, true},
      {"two items", MakeList({"abc", "de"}), PidlNoLimit, 9, 2, true},
      {"count 1 cannot hold itself", {4, 0, 'a', 'b', 1, 0, 0, 0}, PidlNoLimit, 4, 1, false},
      {"item passes the limit", {4, 0, 'a', 'b', 9, 0, 'x', 'y'}, 8, 4, 1, false},
      {"terminator cut by the limit", {4, 0, 'a', 'b', 0, 0}, 5, 4, 1, false},
      {"nothing fits", {0, 0}, 1, 0, 0, false},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Name);
    TPidlWalk W = WalkPidl(C.Bytes.data(), C.Limit);
    EXPECT_EQ(W.ItemsSize, C.ItemsSize);
    EXPECT_EQ(W.Count, C.Count);
    EXPECT_EQ(W.Terminated, C.Terminated);
  }
  TPidlWalk Nil = WalkPidl(nullptr);
  EXPECT_EQ(Nil.Count, 0);
  EXPECT_EQ(Nil.ItemsSize, 0u);
}

TEST(PidlBytes, ItemsPrefixesJoinAndEquality) {
  TPidlBytes A = MakeList({"abc", "de", "f"});
  EXPECT_EQ(PidlItemOffset(A.data(), 0), 0);
  EXPECT_EQ(PidlItemOffset(A.data(), 2), 9);
  EXPECT_EQ(PidlItemOffset(A.data(), 3), -1);
  EXPECT_EQ(PidlItemOffset(A.data(), -1), -1);
  EXPECT_EQ(PidlItemOffset(nullptr, 0), -1);
  EXPECT_EQ(PidlPrefixSize(A.data(), 2), 9u);
  EXPECT_EQ(PidlPrefixSize(A.data(), 10), 12u);

  TPidlBytes B = MakeList({"xy"});
  EXPECT_EQ(JoinPidlBytes(A.data(), B.data()), MakeList({"abc", "de", "f", "xy"}));
  EXPECT_EQ(JoinPidlBytes(nullptr, B.data()), B);
  EXPECT_EQ(JoinPidlBytes(nullptr, nullptr), TPidlBytes({0, 0}));
  // A copy of a malformed list keeps its whole items and ends properly.
  TPidlBytes Bad = {4, 0, 'a', 'b', 1, 0, 7, 7};
  EXPECT_EQ(PidlToBytes(Bad.data()), MakeList({"ab"}));

  EXPECT_TRUE(PidlBytesEqual(nullptr, MakeList({}).data()));
  EXPECT_TRUE(PidlBytesEqual(A.data(), MakeList({"abc", "de", "f"}).data()));
  EXPECT_FALSE(PidlBytesEqual(A.data(), MakeList({"abc", "de", "g"}).data()));
  EXPECT_FALSE(PidlBytesEqual(A.data(), MakeList({"abc", "de"}).data()));
}

TEST(LocatorRecord, StoredFormRoundTrips) {
  // The recycle bin (special folder 10) is two bytes.
  TLocatorRecord Bin;
  Bin.Kind = 1;
  Bin.SpecialFolder = 10;
  EXPECT_EQ(EncodeLocatorRecord(Bin), TPidlBytes({1, 10}));

  TLocatorRecord L;
  L.IdList = MakeList({"C:\\", "Work"});
  TPidlBytes Data = EncodeLocatorRecord(L);
  ASSERT_EQ(Data.size(), 5 + L.IdList.size());
  EXPECT_EQ(Data[0], 0);
  EXPECT_EQ(Data[1], L.IdList.size());
  EXPECT_EQ(Data[2] | Data[3] | Data[4], 0);
  TLocatorRecord Back = DecodeLocatorRecord(Data.data(), Data.size());
  EXPECT_EQ(Back.Kind, 0);
  EXPECT_EQ(Back.IdList, L.IdList);

  // Any non-zero kind is a special folder.
  TLocatorRecord S = DecodeLocatorRecord(TPidlBytes({7, 5}).data(), 2);
  EXPECT_EQ(S.Kind, 1);
  EXPECT_EQ(S.SpecialFolder, 5);
}

TEST(LocatorRecord, MalformedDataRaisesOrIsMended) {
  const TPidlBytes Truncated[] = {
      {}, {1}, {0, 2, 0, 0}, {0, 6, 0, 0, 0, 4, 0, 'a', 'b', 0},
      {0, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0},  // a count far beyond the data
  };
  for (const TPidlBytes& T : Truncated) {
    SCOPED_TRACE(T.size());
    EXPECT_THROW(DecodeLocatorRecord(T.data(), T.size()), EReadError);
  }
  // The desktop: a bare terminator, a zero count, or a list whose first count is 1.
  const TPidlBytes Desktop[] = {{0, 2, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 0}, {0, 4, 0, 0, 0, 1, 0, 9, 9}};
  for (const TPidlBytes& D : Desktop) {
    TLocatorRecord R = DecodeLocatorRecord(D.data(), D.size());
    EXPECT_EQ(R.Kind, 0);
    EXPECT_TRUE(R.IdList.empty());
  }
  // An unterminated list keeps its items and gets a terminator.
  TPidlBytes NoEnd = {0, 4, 0, 0, 0, 4, 0, 'a', 'b'};
  EXPECT_EQ(DecodeLocatorRecord(NoEnd.data(), NoEnd.size()).IdList, MakeList({"ab"}));
}

TEST(ShellStrings, AddTrailingCharAndAppendNextChar) {
  EXPECT_EQ(AddTrailingChar("C:", '\\'), "C:\\");
  EXPECT_EQ(AddTrailingChar("C:\\", '\\'), "C:\\");
  EXPECT_EQ(AddTrailingChar("", '\\'), "");

  std::string R;
  int I = 1;
  AppendNextChar(I, "\xCF\xE0", R);  // Cyrillic letters are single bytes in 1251
  EXPECT_EQ(I, 2);
  EXPECT_EQ(R, "\xCF");
  AppendNextChar(I, "\xCF\xE0", R);
  AppendNextChar(I, "\xCF\xE0", R);  // past the end: nothing appended
  EXPECT_EQ(R, "\xCF\xE0");
  EXPECT_EQ(I, 4);
}

TEST(ShellStrings, SizeToTextRoundsUpToKilobytes) {
  char Saved = ThousandSeparator;
  ThousandSeparator = ',';
  const std::pair<uint64_t, const char*> Cases[] = {
      {0, "0KB"}, {1, "1KB"}, {1024, "1KB"}, {1025, "2KB"}, {1048576, "1,024KB"},
      {uint64_t(5) << 32, "20,971,520KB"}};
  for (auto [Bytes, Text] : Cases) EXPECT_EQ(SizeToText(Bytes), Text) << Bytes;
  ThousandSeparator = Saved;
}

}  // namespace
