// The assistant: a small stay-on-top window with an animated picture that plays in bursts
// and, when clicked, says a word of help. Layout: "ass_form.zfm".
#pragma once

#include <string>

#include "classlib/win/ext_ctrls.h"
#include "classlib/win/forms.h"
#include "classlib/win/timer.h"
#include "storage/form_placement.h"

class TGIFImage;

class TAssForm : public TForm {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  explicit TAssForm(TComponent* AOwner);

  TImage* AssGif = nullptr;
  TTimer* Timer1 = nullptr;       // switches the animation on and off
  TTimer* FrameTimer = nullptr;   // steps the frames while it plays
  TFormPlacement* FormPlacement1 = nullptr;

  // "Assistant\Ass.gif" in the program folder.
  static std::string PictureFileName();
  // Why the picture could not be loaded; empty when it was. Shown when the window is.
  const std::string& PictureError() const { return FPictureError; }
  bool Animating() const { return FAnimating; }

  void FormCreate(TObject* Sender);
  void FormShow(TObject* Sender);
  void AssGifChange(TObject* Sender);
  void Timer1Timer(TObject* Sender);
  void FrameTimerTimer(TObject* Sender);
  void AssGifClick(TObject* Sender);

private:
  TGIFImage* Gif() const;
  std::string FPictureError;
  bool FErrorShown = false;
  bool FAnimating = false;
  bool FFirstTick = true;
};

extern TAssForm* AssForm;
