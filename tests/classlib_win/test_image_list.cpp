// Image lists: adding, drawing with overlays and background colours, the shell's shared
// system lists.
#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>

#include "classlib/win/bitmap.h"
#include "classlib/win/icon.h"
#include "classlib/win/image_list.h"

namespace {

// A strip of Count square images of Size, each filled with its colour.
std::unique_ptr<TBitmap> Strip(int Size, std::initializer_list<TColor> Colors) {
  auto B = std::make_unique<TBitmap>();
  B->SetPixelFormat(pf24bit);
  B->SetSize(Size * int(Colors.size()), Size);
  int X = 0;
  for (TColor C : Colors) {
    B->Canvas()->Brush()->SetColor(C);
    B->Canvas()->FillRect(Bounds(X, 0, Size, Size));
    X += Size;
  }
  return B;
}

TEST(ImageList, AddsSlicesAndDrawsByIndex) {
  TImageList List(nullptr);
  List.SetWidth(8);
  List.SetHeight(8);
  auto Images = Strip(8, {clRed, clLime, clBlue});
  EXPECT_EQ(List.Add(Images.get(), nullptr), 0);
  EXPECT_EQ(List.Count(), 3);
  TBitmap Target;
  Target.SetSize(30, 10);
  List.Draw(Target.Canvas(), 0, 0, 1);
  List.Draw(Target.Canvas(), 10, 0, 2);
  List.Draw(Target.Canvas(), 20, 0, 7);  // no such image: nothing drawn
  EXPECT_EQ(Target.Canvas()->Pixels(4, 4), clLime);
  EXPECT_EQ(Target.Canvas()->Pixels(14, 4), clBlue);
  EXPECT_EQ(Target.Canvas()->Pixels(24, 4), clWhite);
  List.Delete(0);
  EXPECT_EQ(List.Count(), 2);
  EXPECT_THROW(List.Delete(5), EInvalidOperation);
  List.Clear();
  EXPECT_EQ(List.Count(), 0);
}

TEST(ImageList, MaskedImagesOverlaysAndBackground) {
  TImageList List(nullptr);
  List.SetWidth(8);
  List.SetHeight(8);
  // Image 0: red; image 1: a blue dot on fuchsia, fuchsia being the mask colour.
  auto Base = Strip(8, {clRed});
  auto Dot = Strip(8, {clFuchsia});
  Dot->Canvas()->Brush()->SetColor(clBlue);
  Dot->Canvas()->FillRect(Rect(3, 3, 5, 5));
  ASSERT_EQ(List.Add(Base.get(), nullptr), 0);
  ASSERT_EQ(List.AddMasked(Dot.get(), clFuchsia), 1);
  EXPECT_EQ(Dot->Canvas()->Pixels(0, 0), clFuchsia);  // the caller's bitmap is left alone

  TBitmap Target;
  Target.SetSize(30, 10);
  List.Draw(Target.Canvas(), 0, 0, 1);
  EXPECT_EQ(Target.Canvas()->Pixels(0, 0), clWhite);  // masked: the background shows
  EXPECT_EQ(Target.Canvas()->Pixels(4, 4), clBlue);

  ASSERT_TRUE(List.Overlay(1, 0));  // image 1 becomes overlay image 1
  List.DrawOverlay(Target.Canvas(), 10, 0, 0, 0);
  EXPECT_EQ(Target.Canvas()->Pixels(10, 0), clRed);
  EXPECT_EQ(Target.Canvas()->Pixels(14, 4), clBlue);
  EXPECT_FALSE(List.Overlay(1, 15));

  List.SetBkColor(clYellow);
  List.Draw(Target.Canvas(), 20, 0, 1);
  EXPECT_EQ(Target.Canvas()->Pixels(20, 0), clYellow);
}

TEST(ImageList, IconsAndChangeNotifications) {
  TImageList List(nullptr);
  int Changes = 0, Linked = 0;
  List.OnChange = [&](TObject*) { ++Changes; };
  int Link = List.RegisterChanges([&](TObject*) { ++Linked; });
  TIcon Icon;
  Icon.LoadFromResourceID(nullptr, int(reinterpret_cast<uintptr_t>(IDI_WARNING)));
  List.SetWidth(32);
  List.SetHeight(32);
  EXPECT_EQ(List.AddIcon(&Icon), 0);
  EXPECT_EQ(Changes, 3);
  EXPECT_EQ(Linked, 3);
  List.UnRegisterChanges(Link);
  List.SetWidth(16);  // a new size empties the list
  EXPECT_EQ(List.Count(), 0);
  EXPECT_EQ(Changes, 4);
  EXPECT_EQ(Linked, 3);
}

TEST(ImageList, TheShellsSystemListIsSharedNotDestroyed) {
  SHFILEINFOW Info{};
  auto System = reinterpret_cast<HIMAGELIST>(
      SHGetFileInfoW(L"C:\\", 0, &Info, sizeof Info, SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
  ASSERT_NE(System, nullptr);
  int Count = ImageList_GetImageCount(System);
  ASSERT_GT(Count, 0);
  {
    auto* List = new TImageList(nullptr);
    List->SetShareImages(true);
    List->SetHandle(System);
    EXPECT_EQ(List->Width(), GetSystemMetrics(SM_CXSMICON));
    EXPECT_EQ(List->Count(), Count);
    TBitmap Target;
    Target.SetSize(16, 16);
    List->Draw(Target.Canvas(), 0, 0, Info.iIcon);
    delete List;
  }
  EXPECT_EQ(ImageList_GetImageCount(System), Count);  // still alive
}

}  // namespace
