// Image lists: adding, drawing with overlays and background colours, the shell's shared
// system lists.
#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>

#include "classlib/win/bitmap.h"
#include "classlib/win/com_ctrls.h"
#include "classlib/win/forms.h"
#include "classlib/win/icon.h"
#include "classlib/win/image_list.h"
#include "classlib/win/list_view.h"
#include "classlib/win/menus.h"
#include "classlib/win/tree_view.h"
#include "tests/support/form_test.h"

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

// The colour at (4, 4) of a menu item's image; clNone when the item shows none.
TColor MenuImagePixel(TMenu* Menu, int Index) {
  MENUITEMINFOW MI{};
  MI.cbSize = sizeof MI;
  MI.fMask = MIIM_BITMAP;
  GetMenuItemInfoW(Menu->Handle(), Index, TRUE, &MI);
  if (MI.hbmpItem == nullptr) return clNone;
  HDC DC = CreateCompatibleDC(nullptr);
  HGDIOBJ Old = SelectObject(DC, MI.hbmpItem);
  COLORREF C = GetPixel(DC, 4, 4);
  SelectObject(DC, Old);
  DeleteDC(DC);
  return TColor(C);
}

// List views, tree views, tool bars and menus show an image list: they follow its changes
// and let go of it when it is freed, whoever owns it.
TEST(ImageList, ControlsFollowTheirListsAndLetGoWhenFreed) {
  std::unique_ptr<TForm> F(CreateForm<TForm>(nullptr));
  auto* View = new TListView(F.get());
  View->SetParent(F.get());
  auto* Tree = new TTreeView(F.get());
  Tree->SetParent(F.get());
  auto* Bar = new TToolBar(F.get());
  Bar->SetParent(F.get());
  auto* Button = new TToolButton(F.get());
  Button->SetParent(Bar);
  Button->SetImageIndex(1);
  auto* Menu = new TPopupMenu(F.get());
  auto* Item = new TMenuItem(F.get());
  Item->SetCaption("Open");
  Item->SetImageIndex(1);
  Menu->Items()->Add(Item);
  F->HandleNeeded();

  for (TComponent* ListOwner : {static_cast<TComponent*>(nullptr), static_cast<TComponent*>(F.get())}) {
    auto* List = new TImageList(ListOwner);
    List->SetWidth(8);
    List->SetHeight(8);
    auto Images = Strip(8, {clRed, clLime});
    List->Add(Images.get(), nullptr);
    View->SetSmallImages(List);
    View->SetStateImages(List);
    Tree->SetImages(List);
    Bar->SetImages(List);
    Menu->SetImages(List);
    auto ViewList = [&](int Which) {
      return reinterpret_cast<HIMAGELIST>(SendMessageW(View->Handle(), LVM_GETIMAGELIST, Which, 0));
    };
    auto TreeList = [&] {
      return reinterpret_cast<HIMAGELIST>(SendMessageW(Tree->Handle(), TVM_GETIMAGELIST, TVSIL_NORMAL, 0));
    };
    EXPECT_EQ(ViewList(LVSIL_SMALL), List->Handle());
    EXPECT_EQ(ViewList(LVSIL_STATE), List->Handle());
    EXPECT_EQ(TreeList(), List->Handle());
    EXPECT_EQ(MenuImagePixel(Menu, 0), clLime);
    TBitmap Face;
    Face.SetSize(Button->Width(), Button->Height());
    Button->PaintTo(Face.Canvas()->Handle());
    EXPECT_EQ(Face.Canvas()->Pixels(Button->Width() / 2, Button->Height() / 2), clLime);

    // A new image size gives the list a new handle: the controls take it.
    List->SetWidth(16);
    List->SetHeight(16);
    auto Big = Strip(16, {clBlue, clYellow});
    List->Add(Big.get(), nullptr);
    EXPECT_EQ(ViewList(LVSIL_SMALL), List->Handle());
    EXPECT_EQ(TreeList(), List->Handle());
    EXPECT_EQ(MenuImagePixel(Menu, 0), clYellow);

    delete List;
    EXPECT_EQ(View->SmallImages(), nullptr);
    EXPECT_EQ(View->StateImages(), nullptr);
    EXPECT_EQ(ViewList(LVSIL_SMALL), nullptr);
    EXPECT_EQ(Tree->Images(), nullptr);
    EXPECT_EQ(TreeList(), nullptr);
    EXPECT_EQ(Bar->Images(), nullptr);
    EXPECT_EQ(Menu->Images(), nullptr);
    EXPECT_EQ(MenuImagePixel(Menu, 0), clNone);
  }
  // A list still held when the controls go is left alone (and told nothing more).
  auto* Kept = new TImageList(nullptr);
  View->SetLargeImages(Kept);
  F.reset();
  Kept->SetWidth(24);
  delete Kept;
}

TEST(ImageList, AListViewSharesTheSystemListItWasGiven) {
  SHFILEINFOW Info{};
  auto System = reinterpret_cast<HIMAGELIST>(
      SHGetFileInfoW(L"C:\\", 0, &Info, sizeof Info, SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
  ASSERT_NE(System, nullptr);
  int Count = ImageList_GetImageCount(System);
  {
    std::unique_ptr<TForm> F(CreateForm<TForm>(nullptr));
    auto* Small = new TImageList(F.get());
    Small->SetShareImages(true);
    Small->SetHandle(System);
    auto* View = new TListView(F.get());
    View->SetParent(F.get());
    F->HandleNeeded();
    View->SetSmallImages(Small);
    View->SetViewStyle(vsReport);  // a new window takes the list again
    EXPECT_EQ(reinterpret_cast<HIMAGELIST>(SendMessageW(View->Handle(), LVM_GETIMAGELIST, LVSIL_SMALL, 0)), System);
  }
  EXPECT_EQ(ImageList_GetImageCount(System), Count);  // neither the view nor the list destroyed it
}

}  // namespace
