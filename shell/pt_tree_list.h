// Tree and list view bases of the shell controls: per-item fonts and colours through
// NM_CUSTOMDRAW, and one way to open a context menu (right click, the Applications key,
// Shift+F10, WM_CONTEXTMENU) with a hook that may swap the menu.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <functional>
#include <memory>

#include "classlib/win/graphics.h"
#include "classlib/win/list_view.h"
#include "classlib/win/menus.h"
#include "classlib/win/tree_view.h"

// One NM_CUSTOMDRAW notification as handlers see it: they change Font or Brush (which
// marks them changed) or set SkipDefault, and Apply hands that to the common control.
class TPTCustomDraw {
public:
  // Stages as DrawStage reports them.
  enum { dsOther = 0, dsPrePaint = 1, dsPostPaint = 2, dsItemPrePaint = 4, dsItemPostPaint = 5 };

  TPTCustomDraw(TFont* ATemplateFont, NMCUSTOMDRAW* ANotify, LRESULT* AResultPtr);
  virtual ~TPTCustomDraw();
  TPTCustomDraw(const TPTCustomDraw&) = delete;
  TPTCustomDraw& operator=(const TPTCustomDraw&) = delete;

  // Takes the next notification; Font and Brush are made again on first use.
  virtual void Init(NMCUSTOMDRAW* ANotify, LRESULT* AResultPtr);
  int DrawStage() const;
  // The font the item is drawn with: the control's font in the item's text colour.
  TFont* GetFont();
  // The item's background: solid, the context's background colour.
  TBrush* GetBrush();
  NMCUSTOMDRAW* NMCustomDraw() const { return FNMCustomDraw; }
  LRESULT* ResultPtr() const { return FResultPtr; }
  // Writes the result for the common control and selects a changed font.
  virtual void Apply() = 0;

  TFont* TemplateFont = nullptr;
  bool FontChanged = false;
  bool BrushChanged = false;
  bool NotifyItemDraw = false;  // at prepaint ask for item notifications
  bool SkipDefault = false;     // the handler painted the item itself

protected:
  virtual void CreateFont();
  virtual void CreateBrush();
  COLORREF StartTextColor() const;
  // Apply for a record that begins with NMCUSTOMDRAW; the text colours live at TextColor
  // and TextBkColor of the record.
  void ApplyTo(COLORREF& TextColor, COLORREF& TextBkColor);
  NMCUSTOMDRAW* FNMCustomDraw;
  LRESULT* FResultPtr;
  std::unique_ptr<TFont> FFont;
  std::unique_ptr<TBrush> FBrush;
};

class TPTTvCustomDraw : public TPTCustomDraw {
public:
  using TPTCustomDraw::TPTCustomDraw;
  NMTVCUSTOMDRAW* TvCustomDraw() const { return reinterpret_cast<NMTVCUSTOMDRAW*>(FNMCustomDraw); }
  void Apply() override;
};

class TPTLvCustomDraw : public TPTCustomDraw {
public:
  using TPTCustomDraw::TPTCustomDraw;
  NMLVCUSTOMDRAW* LvCustomDraw() const { return reinterpret_cast<NMLVCUSTOMDRAW*>(FNMCustomDraw); }
  void Apply() override;
};

using TPTTvCustomDrawEvent = std::function<void(TObject* aSender, TPTCustomDraw* aCD, TTreeNode* aNode)>;
using TPTLvCustomDrawEvent = std::function<void(TObject* aSender, TPTCustomDraw* aCD, TListItem* aItem)>;
using TPTTvGetPopupMenuEvent =
    std::function<void(TObject* aSender, TTreeNode* aNode, TPoint& aPoint, TPopupMenu*& aPopupMenu)>;
using TPTLvGetPopupMenuEvent =
    std::function<void(TObject* aSender, TListItem* aItem, TPoint& aPoint, TPopupMenu*& aPopupMenu)>;

class TPTCustomTreeView : public TCustomTreeView {
public:
  explicit TPTCustomTreeView(TComponent* AOwner);
  ~TPTCustomTreeView() override;

  // Opens the menu (PopupMenu, or what OnGetPopupMenu makes of it) for Node at a client
  // point; true when a menu was shown.
  virtual bool ShowContextMenu(TTreeNode* Node, TPoint P);
  // The menu of the selected node at the centre of its text, else PopupMenu at (0, 0).
  virtual void ShowContextMenuAtSelection();
  // The wrapper of the notification being painted (nullptr outside custom draw).
  TPTCustomDraw* CurrentCustomDraw() const { return FCustomDraw.get(); }

  void WndProc(TMessage& Message) override;

  TPTTvCustomDrawEvent OnCustomDraw;      // every stage
  TPTTvCustomDrawEvent OnCustomDrawItem;  // item prepaint
  TPTTvGetPopupMenuEvent OnGetPopupMenu;

protected:
  virtual std::unique_ptr<TPTCustomDraw> DoCustomDraw(NMTVCUSTOMDRAW& Draw, LRESULT& Result);
  virtual std::unique_ptr<TPTCustomDraw> CreateCustomDraw(NMTVCUSTOMDRAW& Draw, LRESULT& Result);
  virtual void GetPopupMenu(TTreeNode* Node, TPoint& P, TPopupMenu*& Menu);
  virtual void NodeDeleted(TTreeNode* Node) {}
  void CustomDraw(NMTVCUSTOMDRAW& Draw, LRESULT& Result) override;
  void Delete(TTreeNode* Node) override;
  void CreateParams(TCreateParams& Params) override;
  void KeyDown(uint16_t& Key, TShiftState Shift) override;
  void KeyUp(uint16_t& Key, TShiftState Shift) override;
  bool Designing() const { return ComponentState().Contains(csDesigning); }

  bool FRightClick = false;  // a right click has opened a menu: the system's must not follow

private:
  std::unique_ptr<TPTCustomDraw> FCustomDraw;
  bool FAppsKeyMenu = false;
};

class TPTCustomListView : public TCustomListView {
public:
  explicit TPTCustomListView(TComponent* AOwner);
  ~TPTCustomListView() override;

  virtual bool ShowContextMenu(TListItem* Item, TPoint P);
  // The menu of the focused selection at its item, else PopupMenu at (0, 0).
  virtual void ShowContextMenuAtSelection();
  TPTCustomDraw* CurrentCustomDraw() const { return FCustomDraw.get(); }
  bool Dragging() const { return FDragging; }

  void WndProc(TMessage& Message) override;

  TPTLvCustomDrawEvent OnCustomDraw;
  TPTLvCustomDrawEvent OnCustomDrawItem;
  TPTLvGetPopupMenuEvent OnGetPopupMenu;

protected:
  virtual std::unique_ptr<TPTCustomDraw> DoCustomDraw(NMLVCUSTOMDRAW& Draw, LRESULT& Result);
  virtual std::unique_ptr<TPTCustomDraw> CreateCustomDraw(NMLVCUSTOMDRAW& Draw, LRESULT& Result);
  virtual void GetPopupMenu(TListItem* Item, TPoint& P, TPopupMenu*& Menu);
  void CustomDraw(NMLVCUSTOMDRAW& Draw, LRESULT& Result) override;
  void KeyDown(uint16_t& Key, TShiftState Shift) override;
  void KeyUp(uint16_t& Key, TShiftState Shift) override;
  bool Designing() const { return ComponentState().Contains(csDesigning); }

  bool FRightClick = false;
  bool FDragging = false;

private:
  std::unique_ptr<TPTCustomDraw> FCustomDraw;
  bool FAppsKeyMenu = false;
};
