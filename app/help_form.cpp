#include "app/help_form.h"

#include <windows.h>

#include <memory>

#include "app/core/help_topics.h"
#include "app/core/lng_strings.h"
#include "app/settings.h"
#include "app/shared_routines.h"
#include "classlib/core/exception.h"
#include "classlib/win/application.h"
#include "classlib/win/dialogs.h"
#include "storage/form_placement.h"

THelpForm* HelpForm = nullptr;
TAbout* About = nullptr;

namespace {

// Rounded corners instead of a frame; the window is moved by dragging its body.
void RoundWindow(TCustomForm* Form) {
  HRGN Rgn = CreateRoundRectRgn(0, 0, Form->Width() + 1, Form->Height() + 1, 24, 24);
  if (SetWindowRgn(Form->Handle(), Rgn, TRUE) == 0) DeleteObject(Rgn);
}

// Over the body (not a button) the window answers as its caption, so it can be dragged.
bool DragByBody(TCustomForm* Form, TMessage& Message) {
  if (Message.Msg != WM_NCHITTEST || Message.Result != HTCLIENT) return false;
  const TPoint P = Form->ScreenToClient(TPoint(static_cast<short>(LOWORD(Message.LParam)),
                                               static_cast<short>(HIWORD(Message.LParam))));
  for (int I = 0; I < Form->ComponentCount(); ++I) {
    auto* B = dynamic_cast<TREllipseButton*>(Form->Components(I));
    if (B == nullptr || !B->Visible()) continue;
    const TRect R = B->BoundsRect();
    if (P.X >= R.Left && P.X < R.Right && P.Y >= R.Top && P.Y < R.Bottom) return false;
  }
  Message.Result = HTCAPTION;
  return true;
}

}  // namespace

const TClassInfo* THelpForm::StaticClassInfo() {
  static const TClassInfo Info = TClassBuilder<THelpForm, TForm>("THelpForm")
                                 .Handler("REllipseButton1Click", &THelpForm::REllipseButton1Click)
                                 .Handler("REllipseButton2Click", &THelpForm::REllipseButton2Click)
                                 .Handler("REllipseButton3Click", &THelpForm::REllipseButton3Click)
                                 .Handler("FormKeyDown", &THelpForm::FormKeyDown)
                                 .Field("Label1", &THelpForm::Label1)
                                 .Field("REllipseButton1", &THelpForm::REllipseButton1)
                                 .Field("REllipseButton2", &THelpForm::REllipseButton2)
                                 .Field("REllipseButton3", &THelpForm::REllipseButton3)
                                 .Build();
  return &Info;
}

THelpForm::THelpForm(TComponent* AOwner) : TForm(AOwner) {
  RegisterEllipseButton();
  RegisterStorageClasses();
}

void THelpForm::InitWnd() {
  TForm::InitWnd();
  RoundWindow(this);
}

void THelpForm::WndProc(TMessage& Message) {
  TForm::WndProc(Message);
  DragByBody(this, Message);
}

void THelpForm::REllipseButton1Click(TObject*) { Close(); }

void THelpForm::REllipseButton2Click(TObject*) {
  ExecuteFile(ProgramFolder() + "zq.hlp", "", "", SW_SHOWNORMAL);
}

void THelpForm::REllipseButton3Click(TObject*) {
  Close();
  ShowAboutBox();
}

void THelpForm::FormKeyDown(TObject*, uint16_t& Key, TShiftState) {
  if (Key == VK_ESCAPE || Key == VK_RETURN) {
    Key = 0;
    Close();
  }
}

const TClassInfo* TAbout::StaticClassInfo() {
  static const TClassInfo Info = TClassBuilder<TAbout, TForm>("TAbout")
                                 .Handler("REllipseButton1Click", &TAbout::REllipseButton1Click)
                                 .Field("Label1", &TAbout::Label1)
                                 .Field("Label2", &TAbout::Label2)
                                 .Field("Label3", &TAbout::Label3)
                                 .Field("REllipseButton1", &TAbout::REllipseButton1)
                                 .Build();
  return &Info;
}

TAbout::TAbout(TComponent* AOwner) : TForm(AOwner) {
  RegisterEllipseButton();
  RegisterStorageClasses();
}

void TAbout::InitWnd() {
  TForm::InitWnd();
  RoundWindow(this);
}

void TAbout::WndProc(TMessage& Message) {
  TForm::WndProc(Message);
  DragByBody(this, Message);
}

void TAbout::REllipseButton1Click(TObject*) { Close(); }

void ShowHelpText(const std::string& Text) {
  if (HelpForm == nullptr) HelpForm = CreateForm<THelpForm>(Application);
  HelpForm->Label1->SetCaption(Text);
  HelpForm->SetLeft(GetSystemMetrics(SM_CXSCREEN) / 2);
  HelpForm->SetTop(GetSystemMetrics(SM_CYSCREEN) / 2);
  HelpForm->Show();
}

void ShowAssistantTip(const char* Key) {
  if (Settings == nullptr || Settings->AssCheck == nullptr || !Settings->AssCheck->Checked()) return;
  std::string Tip;
  GetLngTip(Key, Tip);
  ShowHelpText(Tip);
}

void ShowLittleError() { ShowHelpText(LittleErrorText()); }

void ShowHelpTopic(int Topic) {
  try {
    std::string Text;
    if (!ReadHelpTopic(Topic, Text)) return;
    ShowHelpText(Text);
  } catch (const std::exception&) {
    std::string Message;
    try {
      GetLngString("Help_not_found", Message);
    } catch (const std::exception&) {
      Message = LngNotFound;
    }
    MessageDlg(Message, mtInformation, TMsgDlgButtons{mbOK}, 0);
  }
}

void ShowAboutBox() {
  if (About != nullptr) {
    About->ShowModal();
    return;
  }
  std::unique_ptr<TAbout> Box(CreateForm<TAbout>(Application));
  UseLanguageFile(Box.get(), true);
  Box->ShowModal();
}
