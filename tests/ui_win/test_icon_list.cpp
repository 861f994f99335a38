// TIconList: an owning list of icon copies, its change reports, index errors and the
// "Icons" stream.
#include <gtest/gtest.h>

#include <memory>

#include "classlib/core/exception.h"
#include "classlib/core/stream.h"
#include "classlib/core/strings.h"
#include "classlib/core/typinfo.h"
#include "ui/icon_list.h"

namespace {

std::unique_ptr<TIcon> SystemIcon(LPCWSTR Id) {
  auto Icon = std::make_unique<TIcon>();
  Icon->SetHandle(CopyIcon(LoadIconW(nullptr, Id)));
  return Icon;
}

struct IconList : ::testing::Test {
  void SetUp() override {
    List.OnChange = [this](TObject* Sender) {
      EXPECT_EQ(Sender, &List);
      ++Changes;
    };
    A = SystemIcon(IDI_APPLICATION);
    B = SystemIcon(IDI_WARNING);
    ASSERT_FALSE(A->Empty());
    ASSERT_FALSE(B->Empty());
  }
  TIconList List;
  int Changes = 0;
  std::unique_ptr<TIcon> A, B;
};

}  // namespace

TEST_F(IconList, AddAndInsertKeepCopies) {
  EXPECT_EQ(List.Add(A.get()), 0);
  EXPECT_EQ(List.Add(nullptr), 1);
  List.Insert(0, B.get());
  EXPECT_EQ(Changes, 3);
  ASSERT_EQ(List.Count(), 3);
  // Copies, not the caller's objects.
  EXPECT_NE(List.Icons(0), B.get());
  EXPECT_NE(List.Icons(1), A.get());
  EXPECT_FALSE(List.Icons(0)->Empty());
  EXPECT_FALSE(List.Icons(1)->Empty());
  EXPECT_TRUE(List.Icons(2)->Empty());  // none gives an empty icon
  A.reset();
  EXPECT_FALSE(List.Icons(1)->Empty());
  EXPECT_EQ(List.IndexOf(List.Icons(2)), 2);
  EXPECT_EQ(List.IndexOf(B.get()), -1);
}

TEST_F(IconList, DeleteExchangeMoveAndClear) {
  List.Add(A.get());
  List.Add(B.get());
  List.Add(nullptr);
  TIcon* I0 = List.Icons(0);
  TIcon* I1 = List.Icons(1);
  TIcon* I2 = List.Icons(2);
  Changes = 0;
  List.Exchange(0, 2);
  EXPECT_EQ(List.Icons(0), I2);
  EXPECT_EQ(List.Icons(2), I0);
  List.Move(0, 2);  // I1 I0 I2
  EXPECT_EQ(List.Icons(0), I1);
  EXPECT_EQ(List.Icons(1), I0);
  EXPECT_EQ(List.Icons(2), I2);
  List.Delete(1);
  ASSERT_EQ(List.Count(), 2);
  EXPECT_EQ(List.IndexOf(I0), -1);
  EXPECT_EQ(Changes, 3);
  List.Clear();
  EXPECT_EQ(List.Count(), 0);
  EXPECT_EQ(Changes, 4);
}

TEST_F(IconList, BadIndexesRaiseAndLeaveTheListAlone) {
  List.Add(A.get());
  Changes = 0;
  EXPECT_THROW(List.Icons(1), EListError);
  EXPECT_THROW(List.Icons(-1), EListError);
  EXPECT_THROW(List.Delete(1), EListError);
  EXPECT_THROW(List.Exchange(0, 1), EListError);
  EXPECT_THROW(List.Move(-1, 0), EListError);
  EXPECT_THROW(List.Insert(2, B.get()), EListError);
  EXPECT_THROW(List.SetIcons(2, B.get()), EListError);
  EXPECT_EQ(List.Count(), 1);
  EXPECT_EQ(Changes, 0);
}

TEST_F(IconList, WritingAnEntryCopiesIntoItOrAppends) {
  List.Add(A.get());
  TIcon* Held = List.Icons(0);
  Changes = 0;
  List.SetIcons(0, B.get());
  EXPECT_EQ(List.Icons(0), Held);  // the held object stays, with the new picture
  EXPECT_NE(Held->Handle(), B->Handle());
  EXPECT_FALSE(Held->Empty());
  EXPECT_EQ(Changes, 1);
  List.SetIcons(1, A.get());  // Index == Count grows the list
  EXPECT_EQ(List.Count(), 2);
  EXPECT_FALSE(List.Icons(1)->Empty());
  EXPECT_EQ(Changes, 2);
}

TEST_F(IconList, EditingAHeldIconIsAChangeOfTheList) {
  List.Add(A.get());
  Changes = 0;
  List.Icons(0)->SetHandle(CopyIcon(B->Handle()));
  EXPECT_EQ(Changes, 1);
}

TEST_F(IconList, TenChangesInOneUpdateGiveOneReport) {
  List.BeginUpdate();
  List.BeginUpdate();
  for (int I = 0; I < 10; ++I) List.Add(A.get());
  List.EndUpdate();
  EXPECT_EQ(Changes, 0);
  List.EndUpdate();
  EXPECT_EQ(Changes, 1);
  List.EndUpdate();  // unbalanced: ignored
  EXPECT_EQ(Changes, 1);
  List.Add(A.get());
  EXPECT_EQ(Changes, 2);
}

TEST_F(IconList, AssignFromListIconOrNothing) {
  TIconList Other;
  Other.Add(A.get());
  Other.Add(B.get());
  List.Add(B.get());
  Changes = 0;
  List.Assign(&Other);
  ASSERT_EQ(List.Count(), 2);
  EXPECT_NE(List.Icons(0), Other.Icons(0));
  EXPECT_EQ(Changes, 1);
  List.Assign(&List);  // itself: nothing happens
  EXPECT_EQ(List.Count(), 2);
  EXPECT_FALSE(List.Icons(0)->Empty());
  List.Assign(A.get());  // a single icon replaces the whole list
  ASSERT_EQ(List.Count(), 1);
  EXPECT_FALSE(List.Icons(0)->Empty());
  List.Assign(nullptr);
  EXPECT_EQ(List.Count(), 0);
  TStringList NotIcons;
  EXPECT_THROW(List.Assign(&NotIcons), EConvertError);
}

TEST_F(IconList, StreamKeepsEmptyEntriesInPlace) {
  List.Add(A.get());
  List.Add(nullptr);
  List.Add(B.get());
  TMemoryStream S;
  List.SaveToStream(&S);
  // Count, then the empty middle entry's size of 0 right after the first icon.
  auto* P = static_cast<const uint8_t*>(S.Memory());
  EXPECT_EQ(P[0], 3);
  EXPECT_EQ(P[1] | P[2] | P[3], 0);
  int32_t Size0 = P[4] | P[5] << 8 | P[6] << 16 | P[7] << 24;
  ASSERT_GT(Size0, 0);
  const uint8_t* Mid = P + 8 + Size0;
  EXPECT_EQ(Mid[0] | Mid[1] | Mid[2] | Mid[3], 0);

  TIconList Copy;
  int CopyChanges = 0;
  Copy.OnChange = [&](TObject*) { ++CopyChanges; };
  Copy.Add(A.get());
  S.SetPosition(0);
  Copy.LoadFromStream(&S);
  EXPECT_EQ(CopyChanges, 2);  // the Add, then one for the whole load
  ASSERT_EQ(Copy.Count(), 3);
  ASSERT_NE(Copy.Icons(0), nullptr);
  EXPECT_EQ(Copy.Icons(0)->Width(), A->Width());
  EXPECT_EQ(Copy.Icons(1), nullptr);  // an empty entry reads as none
  ASSERT_NE(Copy.Icons(2), nullptr);
  EXPECT_FALSE(Copy.Icons(2)->Empty());
  // An empty entry can be written again.
  Copy.SetIcons(1, A.get());
  EXPECT_FALSE(Copy.Icons(1)->Empty());
}

TEST_F(IconList, IconsPropertyThroughTheRegistry) {
  EXPECT_TRUE(GetBinaryProp(&List, "Icons").empty());  // an empty list is not written
  List.Add(A.get());
  List.Add(B.get());
  TBytes Data = GetBinaryProp(&List, "Icons");
  ASSERT_FALSE(Data.empty());
  TIconList Copy;
  SetBinaryProp(&Copy, "Icons", Data);
  EXPECT_EQ(Copy.Count(), 2);
  EXPECT_EQ(GetBinaryProp(&Copy, "Icons"), Data);
}

TEST_F(IconList, DamagedStreamRaises) {
  TMemoryStream S;
  int32_t Head[2] = {1, 1 << 30};  // one entry claiming a gigabyte
  S.WriteBuffer(Head, sizeof Head);
  S.SetPosition(0);
  EXPECT_THROW(List.LoadFromStream(&S), EReadError);
  EXPECT_EQ(List.Count(), 0);
}
