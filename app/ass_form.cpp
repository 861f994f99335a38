#include "app/ass_form.h"

#include <algorithm>

#include "app/core/lng_strings.h"
#include "app/help_form.h"
#include "classlib/core/sys_utils.h"
#include "classlib/win/dialogs.h"
#include "ui/gif_image.h"

TAssForm* AssForm = nullptr;

const TClassInfo* TAssForm::StaticClassInfo() {
  static const TClassInfo Info = TClassBuilder<TAssForm, TForm>("TAssForm")
                                 .Handler("FormCreate", &TAssForm::FormCreate)
                                 .Handler("FormShow", &TAssForm::FormShow)
                                 .Handler("Timer1Timer", &TAssForm::Timer1Timer)
                                 .Handler("FrameTimerTimer", &TAssForm::FrameTimerTimer)
                                 .Handler("AssGifClick", &TAssForm::AssGifClick)
                                 .Field("AssGif", &TAssForm::AssGif)
                                 .Field("Timer1", &TAssForm::Timer1)
                                 .Field("FrameTimer", &TAssForm::FrameTimer)
                                 .Field("FormPlacement1", &TAssForm::FormPlacement1)
                                 .Build();
  return &Info;
}

TAssForm::TAssForm(TComponent* AOwner) : TForm(AOwner) {
  RegisterStorageClasses();
  RegisterGIFImage();
}

std::string TAssForm::PictureFileName() { return ProgramFolder() + "Assistant\\Ass.gif"; }

TGIFImage* TAssForm::Gif() const { return dynamic_cast<TGIFImage*>(AssGif->Picture()->Graphic()); }

// The window is made at start-up whether or not the assistant is wanted: a missing picture
// is only noted here, and told when the window is shown.
void TAssForm::FormCreate(TObject*) {
  const std::string Name = PictureFileName();
  if (!FileExists(Name)) {
    FPictureError = "Assistant files not found";
  } else {
    try {
      AssGif->Picture()->LoadFromFile(Name);
      AssGifChange(this);
    } catch (const std::exception& E) {
      FPictureError = "Assistant files not found: " + std::string(E.what());
    }
  }
}

void TAssForm::FormShow(TObject*) {
  if (FPictureError.empty() || FErrorShown) return;
  FErrorShown = true;
  MessageDlg(FPictureError, mtWarning, TMsgDlgButtons{mbOK}, 0);
}

void TAssForm::AssGifChange(TObject*) {
  TGraphic* G = AssGif->Picture()->Graphic();
  if (G == nullptr) return;
  AssGif->SetBounds(0, 0, G->Width(), G->Height());
  SetClientWidth(G->Width() + 1);
  SetClientHeight(G->Height() + 15);
}

void TAssForm::Timer1Timer(TObject*) {
  FAnimating = !FAnimating;
  if (FFirstTick) {
    FFirstTick = false;
    Timer1->SetInterval(3000);
  }
  TGIFImage* G = Gif();
  if (G == nullptr || G->Count() < 2) return;
  if (FAnimating) {
    FrameTimerTimer(this);
  } else {
    FrameTimer->SetEnabled(false);
    G->SetFrameIndex(0);
    AssGif->Invalidate();
  }
}

void TAssForm::FrameTimerTimer(TObject*) {
  TGIFImage* G = Gif();
  if (G == nullptr || G->Count() < 2 || !FAnimating) {
    FrameTimer->SetEnabled(false);
    return;
  }
  const int Next = (G->FrameIndex() + 1) % G->Count();
  G->SetFrameIndex(Next);
  AssGif->Invalidate();
  // A frame without a delay is shown for 50 ms.
  const int Delay = G->Frames(Next)->AnimateInterval();
  FrameTimer->SetInterval(static_cast<unsigned>(Delay > 0 ? Delay : 50));
  FrameTimer->SetEnabled(true);
}

void TAssForm::AssGifClick(TObject*) {
  std::string Text;
  GetLngString("Assist", Text);
  ShowHelpText(Text);
}
