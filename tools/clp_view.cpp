#include "tools/clp_view.h"

#include "classlib/core/exception.h"
#include "classlib/core/strings.h"
#include "classlib/core/typinfo.h"
#include "classlib/win/clipboard.h"

TCLPView* CLPView = nullptr;

const TClassInfo* TCLPView::StaticClassInfo() {
  static const TClassInfo Info = TClassBuilder<TCLPView, TForm>("TCLPView")
                                     .Handler("FormShow", &TCLPView::FormShow)
                                     .Handler("FormKeyDown", &TCLPView::FormKeyDown)
                                     .Field("Memo1", &TCLPView::Memo1)
                                     .Field("Image1", &TCLPView::Image1)
                                     .Build();
  return &Info;
}

void TCLPView::UpdateView() {
  bool Picture = false;
  std::string Text;
  try {
    TClipboard* C = Clipboard();
    if (C->HasFormat(CF_BITMAP) || C->HasFormat(CF_DIB)) {
      Image1->Picture()->Assign(C);
      Picture = true;
    } else if (C->HasFormat(CF_HDROP)) {
      TStringList Files;
      C->GetFiles(&Files);
      Text = Files.Text();
    } else if (C->HasFormat(CF_UNICODETEXT) || C->HasFormat(CF_TEXT)) {
      Text = C->AsText();
    }
  } catch (const Exception& E) {
    // Another program may hold the clipboard open: say so, try again on the next change.
    Text = E.Message();
    Picture = false;
  }
  Image1->SetVisible(Picture);
  Memo1->SetVisible(!Picture);
  if (!Picture) {
    Image1->Picture()->Assign(nullptr);
    Memo1->SetText(Text);
  }
}

void TCLPView::FormShow(TObject*) { UpdateView(); }

void TCLPView::FormKeyDown(TObject*, uint16_t& Key, TShiftState) {
  if (Key == VK_ESCAPE) {
    Close();
    Key = 0;
  }
}

void TCLPView::CreateWnd() {
  TForm::CreateWnd();
  AddClipboardFormatListener(Handle());
}

void TCLPView::DestroyWnd() {
  if (HandleAllocated()) RemoveClipboardFormatListener(Handle());
  TForm::DestroyWnd();
}

void TCLPView::WndProc(TMessage& Message) {
  if (Message.Msg == WM_CLIPBOARDUPDATE) {
    if (Visible()) UpdateView();
    Message.Result = 0;
    return;
  }
  TForm::WndProc(Message);
}
