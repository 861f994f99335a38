#include <gtest/gtest.h>

#include <string>

#include "html/core/attribute_list.h"
#include "html/core/free_list.h"
#include "html/core/html_support.h"
#include "html/core/indent_manager_basic.h"

namespace {

TEST(HtmlSupport, UrlToDosPath) {
  EXPECT_EQ(UrlToDosPath("FILE:///C|/Docs/Index.HTM"), "c:\\docs\\index.htm");
  EXPECT_EQ(UrlToDosPath("file://C|/a/b.htm"), "c:\\a\\b.htm");
  EXPECT_EQ(UrlToDosPath("C:\\Docs\\Index.HTM"), "C:\\Docs\\Index.HTM");
  EXPECT_EQ(UrlToDosPath("Pics/A.GIF"), "pics\\a.gif");
  EXPECT_EQ(ExpandServerRoot("/pics/a.gif", "d:\\www"), "d:\\www\\pics\\a.gif");
  EXPECT_EQ(ExpandServerRoot("pics/a.gif", "d:\\www"), "pics\\a.gif");
  EXPECT_EQ(ExpandServerRoot("", "d:\\www"), "");
}

TEST(HtmlSupport, SmallHelpers) {
  EXPECT_EQ(TrimBlanks("\t\r\n a b \x01"), "a b");
  EXPECT_EQ(TrimBlanks("  "), "");
  EXPECT_EQ(TrimBlanks("\xA0x\xA0"), "\xA0x\xA0");
  EXPECT_EQ(SmallerOf(-3, 2), -3);
  EXPECT_EQ(LargerOf(-3, 2), 2);

  TUrlTarget ut;
  ut.Assign("a.htm", nullptr);
  ut.Assign(nullptr, "_top");
  EXPECT_EQ(ut.URL, "a.htm");
  EXPECT_EQ(ut.Target, "_top");
  ut.Clear();
  EXPECT_EQ(ut.URL + ut.Target, "");
}

TEST(HtmlSupport, SelTextCountSkipsPlaceholders) {
  SelTextCount c;
  std::string s = "ab\x04" "c\x02";
  c.AddText(s.data(), static_cast<int>(s.size()));
  c.AddTextCR("xy", 2);
  EXPECT_EQ(c.Finish(), 3 + 2 + 2);
}

// An item that reports its own destruction.
class TCounted : public TObject {
public:
  explicit TCounted(int& Freed) : FFreed(Freed) {}
  ~TCounted() override { ++FFreed; }

private:
  int& FFreed;
};

TEST(HtmlSupport, FreeListOwnsItsItems) {
  int freed = 0;
  {
    TFreeList list;
    list.Add(new TCounted(freed));
    list.Add(new TCounted(freed));
    list.Clear();
    EXPECT_EQ(freed, 2);
    EXPECT_EQ(list.Count(), 0);
    list.Add(new TCounted(freed));
  }
  EXPECT_EQ(freed, 3);
}

TEST(HtmlSupport, AttributeListFindsTheFirst) {
  TAttributeList list;
  list.AddAttribute(new TAttribute(7, 1, "one"));
  list.AddAttribute(new TAttribute(9, 2, "two"));
  list.AddAttribute(new TAttribute(7, 3, "three"));
  TAttribute* a = nullptr;
  ASSERT_TRUE(list.Find(7, a));
  EXPECT_EQ(a->Name, "one");
  EXPECT_FALSE(list.Find(8, a));
}

TEST(HtmlSupport, IndentManager) {
  IndentManagerBasic im;
  im.SetEdges(10, 500);
  EXPECT_EQ(im.LeftEdgeAt(0), 10);
  EXPECT_EQ(im.RightEdgeAt(0), 500);
  EXPECT_EQ(im.AllFloatsBottom(), 0);

  im.AddFloat(0, 100, 50, 1);   // left image rows 0..49
  im.AddFloat(20, 80, 100, 3);  // right image rows 20..119
  EXPECT_EQ(im.LeftEdgeAt(49), 110);
  EXPECT_EQ(im.LeftEdgeAt(50), 10);
  EXPECT_EQ(im.RightEdgeAt(19), 500);
  EXPECT_EQ(im.RightEdgeAt(20), 420);
  im.AddFloat(10, 30, 10, 1);  // stacks beside the first one
  EXPECT_EQ(im.LeftEdgeAt(15), 140);
  EXPECT_EQ(im.AllFloatsBottom(), 120);
  int l, r;
  im.SideFloatsBottom(l, r);
  EXPECT_EQ(l, 51);
  EXPECT_EQ(r, 121);

  im.Clear();
  im.SetEdges(0, 300);
  im.SetListLevel(5, 2);
  ASSERT_EQ(im.L.Count(), 2);
  EXPECT_EQ(im.LeftEdgeAt(5), 70);
  EXPECT_EQ(static_cast<IndentRec*>(im.L[0])->X, 35);
  EXPECT_EQ(static_cast<IndentRec*>(im.L[1])->Level, 2);
  im.SetListLevel(40, 1);
  EXPECT_EQ(im.LeftEdgeAt(40), 35);
  EXPECT_EQ(static_cast<IndentRec*>(im.L[1])->Bottom, 39);
  EXPECT_EQ(static_cast<IndentRec*>(im.L[1])->Level, 0);
  EXPECT_EQ(im.AllFloatsBottom(), 39);  // the closed level now counts as a float
  im.SideFloatsBottom(l, r);
  EXPECT_EQ(r, 0);

  // Inside a list, the floats beyond the list's own indent decide where they end.
  im.Clear();
  im.SetEdges(0, 300);
  EXPECT_EQ(im.LeftFloatsEndY(), 1);
  im.SetListLevel(0, 1);
  im.AddFloat(10, 100, 40, 1);
  EXPECT_EQ(im.LeftEdgeAt(10), 135);
  EXPECT_EQ(im.LeftFloatsEndY(), 51);
}

}  // namespace

TEST(HtmlSupport, AllocateBlock) {
  for (std::size_t size : {std::size_t(0), std::size_t(100), std::size_t(65280), std::size_t(1) << 20}) {
    auto rec = AllocateBlock(size);
    ASSERT_NE(rec->Ptr, nullptr);
    EXPECT_EQ(rec->Size, size);
    if (size) static_cast<unsigned char*>(rec->Ptr)[size - 1] = 1;  // the whole block is ours
    DeallocateBlock(rec);
    EXPECT_EQ(rec, nullptr);
  }
}
