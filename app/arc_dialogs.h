// The archive dialogs: add the selection of a panel to a ZIP with our own writer
// (TZipForm) or hand it to an external packer (TArcForm), the question before extraction
// (TExtrDial), and the extraction progress window with its Cancel (TForm2).
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "archive/core/zip_writer.h"
#include "classlib/win/com_ctrls.h"
#include "classlib/win/forms.h"
#include "classlib/win/std_ctrls.h"
#include "storage/form_placement.h"

class TPTShellList;

// What every reader and lister of the program is given for the next volume of a set: a
// volume that lies where it is expected is taken without asking; a missing one is asked
// for with an open dialog that names it, starts in Dir and offers the expected name.
// Closing the dialog sets Cancel and stops the reader that asked (Sender).
void AskNextVolume(TObject* Sender, std::string& Dir, std::string& FN, const std::string& VolumeID, bool FExists,
                   bool& Cancel);
// What is told when the user did not give the volume FN.
std::string NextVolumeRefusedText(const std::string& FN);

// The paths of the items selected in List, in list order; Folders gets, for each one,
// whether it is a folder (when given).
std::vector<std::string> SelectedPaths(TPTShellList* List, std::vector<bool>* Folders = nullptr);

class TZipForm : public TForm {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  explicit TZipForm(TComponent* AOwner);

  TAnimate* Animate1 = nullptr;
  TLabel* Label1 = nullptr;
  TLabel* Label2 = nullptr;
  TEdit* Edit1 = nullptr;  // the archive's name, in the folder the path label shows
  TEdit* Edit2 = nullptr;  // the password; empty: not encrypted
  TProgressBar* Prog = nullptr;
  TButton* BitBtn1 = nullptr;
  TButton* BitBtn2 = nullptr;
  TFormStorage* ZipLang = nullptr;
  TZip* Zip = nullptr;

  void FormCreate(TObject* Sender);
  void BitBtn1Click(TObject* Sender);
  void BitBtn2Click(TObject* Sender);

  // Error texts of the run, as shown to the user.
  std::vector<std::string> Errors;
  // Shows a message; tests record it instead.
  std::function<void(const std::string&)> Tell;

private:
  bool Pack();
};

class TArcForm : public TForm {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  explicit TArcForm(TComponent* AOwner);

  TAnimate* Animate1 = nullptr;
  TLabel* Label1 = nullptr;
  TLabel* Label2 = nullptr;
  TLabel* Label3 = nullptr;
  TComboBox* ArcBox = nullptr;   // the packer
  TEdit* ArcName = nullptr;      // the archive
  TEdit* ArcParam = nullptr;     // further parameters for the packer, as typed
  TButton* BitBtn1 = nullptr;
  TButton* BitBtn2 = nullptr;
  TFormStorage* FormStorage1 = nullptr;

  // Which panel's selection is packed: the left one when set (the archive side flag).
  bool LeftSide = true;

  void FormCreate(TObject* Sender);
  void BitBtn1Click(TObject* Sender);
  void BitBtn2Click(TObject* Sender);
  void FormKeyDown(TObject* Sender, uint16_t& Key, TShiftState Shift);

  std::function<void(const std::string&)> Tell;
};

class TExtrDial : public TForm {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  explicit TExtrDial(TComponent* AOwner) : TForm(AOwner) { RegisterStorageClasses(); }

  TAnimate* Animate1 = nullptr;
  TLabel* Label1 = nullptr;
  TButton* BitBtn1 = nullptr;  // OK, the default: Enter extracts
  TButton* BitBtn2 = nullptr;

  void FormKeyDown(TObject* Sender, uint16_t& Key, TShiftState Shift);
};

class TAwkMain;

class TForm2 : public TForm {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  explicit TForm2(TComponent* AOwner) : TForm(AOwner) { RegisterStorageClasses(); }

  TAnimate* Animate1 = nullptr;
  TProgressBar* ProgressBar1 = nullptr;
  TButton* BitBtn1 = nullptr;  // Cancel

  // The reader running while the window is up; Cancel stops it.
  TAwkMain* Running = nullptr;

  void BitBtn1Click(TObject* Sender);
};
