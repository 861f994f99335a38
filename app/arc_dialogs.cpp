#include "app/arc_dialogs.h"

#include <windows.h>

#include "app/core/arc_commands.h"
#include "app/core/lng_strings.h"
#include "app/help_form.h"
#include "app/main_form.h"
#include "archive/core/arc_base.h"
#include "archive/core/arc_globals.h"
#include "classlib/core/sys_utils.h"
#include "classlib/win/dialogs.h"
#include "shell/pt_shell_list.h"

namespace {

std::string Lng(const char* Key) {
  std::string Text;
  GetLngString(Key, Text);
  return Text;
}

// A text of the language file, Default where the file lacks it or cannot be read: these
// are asked and told in the middle of a reader's run.
std::string LngOr(const char* Key, const char* Default) {
  std::string Text;
  try {
    GetLngString(Key, Text);
  } catch (const Exception&) {
    return Default;
  }
  return Text.empty() || Text == LngNotFound ? Default : Text;
}

void ShowText(const std::string& Text) { MessageDlg(Text, mtInformation, TMsgDlgButtons{mbOK}, 0); }

// The captions of a dialog from the language file, read once: the storage never writes
// back into the language file.
void LoadCaptions(TFormStorage* Storage) {
  Storage->SetIniFileName(LngFileName());
  Storage->RestoreFormPlacement();
  Storage->SetActive(false);
}

}  // namespace

std::string NextVolumeRefusedText(const std::string& FN) {
  return LngOr("No_volume", "Stopped: the next volume was not given:") + " " + FN;
}

void AskNextVolume(TObject* Sender, std::string& Dir, std::string& FN, const std::string&, bool FExists,
                   bool& Cancel) {
  if (FExists) return;
  TOpenDialog D(nullptr);
  D.SetTitle(LngOr("Next_volume", "Next volume:") + " " + FN);
  D.SetInitialDir(Dir);
  D.SetFileName(FN);
  std::string All;
  try {
    GetLngMask("All", All);
  } catch (const Exception&) {
    All.clear();
  }
  if (All.empty() || All == LngNotFound) All = "All files (*.*)|*.*";
  D.SetFilter(FN + "|" + FN + "|" + All);
  D.SetOptions(TOpenOptions{ofHideReadOnly, ofEnableSizing, ofFileMustExist, ofPathMustExist, ofNoChangeDir});
  if (D.Execute() && !D.FileName().empty()) {
    // A whole path: the engine splits it into Dir and FN.
    FN = D.FileName();
    return;
  }
  Cancel = true;
  // The reader stops where it is; what it was writing is removed by whoever runs it.
  if (auto* Reader = dynamic_cast<TAwkMain*>(Sender)) Reader->Cancel = true;
}

std::vector<std::string> SelectedPaths(TPTShellList* List, std::vector<bool>* Folders) {
  std::vector<std::string> Paths;
  if (List == nullptr) return Paths;
  for (int I = 0; I < List->Items()->Count(); ++I) {
    if (!List->Items()->Item(I)->Selected()) continue;
    TPTShListData* D = List->GetItemData(I);
    if (D == nullptr) continue;
    std::string P = D->GetPath();
    if (P.empty()) continue;  // not a file-system object (a printer, the control panel)
    Paths.push_back(P);
    if (Folders) Folders->push_back(D->IsFolder());
  }
  return Paths;
}

// ---- TZipForm -------------------------------------------------------------------------------

const TClassInfo* TZipForm::StaticClassInfo() {
  static const TClassInfo Info = TClassBuilder<TZipForm, TForm>("TZipForm")
                                     .Handler("FormCreate", &TZipForm::FormCreate)
                                     .Handler("BitBtn1Click", &TZipForm::BitBtn1Click)
                                     .Handler("BitBtn2Click", &TZipForm::BitBtn2Click)
                                     .Field("Animate1", &TZipForm::Animate1)
                                     .Field("Label1", &TZipForm::Label1)
                                     .Field("Label2", &TZipForm::Label2)
                                     .Field("Edit1", &TZipForm::Edit1)
                                     .Field("Edit2", &TZipForm::Edit2)
                                     .Field("Prog", &TZipForm::Prog)
                                     .Field("BitBtn1", &TZipForm::BitBtn1)
                                     .Field("BitBtn2", &TZipForm::BitBtn2)
                                     .Field("ZipLang", &TZipForm::ZipLang)
                                     .Build();
  return &Info;
}

TZipForm::TZipForm(TComponent* AOwner) : TForm(AOwner) {
  RegisterStorageClasses();
  Zip = new TZip(this);
  Zip->SetProgressNotify(Five);
  Zip->SetDefaultExt("ZIP");
  Zip->SetCompressMethod(cmDeflate);
  Zip->SetSwitch(swAdd);
  Zip->FileAttribute()->SetftDirectory(false);
  Zip->OnProgress = [this](TObject*, const std::string&, uint8_t Percent) {
    if (Prog) Prog->SetPosition(Percent);
  };
  Zip->OnError = [this](TObject*, const std::string& FN, const std::string& MsgEx, const std::string&, int ECode) {
    std::string Text = ArcErrorText(ECode);
    if (!FN.empty()) Text += ": " + FN;
    if (!MsgEx.empty()) Text += " (" + MsgEx + ")";
    Errors.push_back(Text);
  };
  Tell = ShowText;
}

void TZipForm::FormCreate(TObject*) { LoadCaptions(ZipLang); }

bool TZipForm::Pack() {
  const std::string Name = Trim(Edit1->Text());
  if (Name.empty()) {
    Tell(Lng("Input_filename"));
    return false;
  }
  const std::string Dir = MainForm->PathInfo->Caption();
  TPTShellList* Source = AnsiSameText(Dir, MainForm->LF->Folder()->GetPath()) ? MainForm->LF : MainForm->RF;
  std::vector<bool> IsFolder;
  const std::vector<std::string> Paths = SelectedPaths(Source, &IsFolder);
  if (Paths.empty()) {
    Tell(Lng("No_files_selected"));
    return false;
  }
  Zip->SetArchiveFile(ExtractFileDrive(Name).empty() ? JoinFolderName(Dir, Name) : Name);
  Zip->SetPassword(Edit2->Text());
  Zip->SetDefaultDir(Dir);
  Errors.clear();
  // Files go in by their own names. A folder goes in under its own name with everything
  // under it; the files go apart from the folders, as a file name searched through
  // sub-folders would also take files of the same name from below the selected ones.
  TStringList Files;
  std::vector<std::string> Folders;
  for (size_t I = 0; I < Paths.size(); ++I) {
    if (IsFolder[I])
      Folders.push_back(Paths[I]);
    else
      Files.Add(Paths[I]);
  }
  if (Files.Count() > 0) {
    Zip->SetRecurseDirs(false);
    Zip->SetFileSpec(&Files);
    Zip->Execute();
  }
  if (!Folders.empty() && !Zip->Cancel) {
    TStringList Specs;
    for (const std::string& F : Folders) Specs.Add(F);
    Zip->SetRecurseDirs(true);
    Zip->SetFileSpec(&Specs);
    Zip->Execute();
  }
  if (!Errors.empty()) {
    std::string Text;
    for (const std::string& E : Errors) Text += (Text.empty() ? "" : "\n") + E;
    Tell(Text);
  }
  return true;
}

void TZipForm::BitBtn1Click(TObject*) {
  try {
    if (Pack()) SetModalResult(mrOk);
  } catch (const std::exception& E) {
    Tell(E.what());
  }
}

void TZipForm::BitBtn2Click(TObject*) {
  Zip->SetCancel(true);
  SetModalResult(mrCancel);
}

// ---- TArcForm -------------------------------------------------------------------------------

const TClassInfo* TArcForm::StaticClassInfo() {
  static const TClassInfo Info = TClassBuilder<TArcForm, TForm>("TArcForm")
                                     .Handler("FormCreate", &TArcForm::FormCreate)
                                     .Handler("BitBtn1Click", &TArcForm::BitBtn1Click)
                                     .Handler("BitBtn2Click", &TArcForm::BitBtn2Click)
                                     .Handler("FormKeyDown", &TArcForm::FormKeyDown)
                                     .Field("Animate1", &TArcForm::Animate1)
                                     .Field("Label1", &TArcForm::Label1)
                                     .Field("Label2", &TArcForm::Label2)
                                     .Field("Label3", &TArcForm::Label3)
                                     .Field("ArcBox", &TArcForm::ArcBox)
                                     .Field("ArcName", &TArcForm::ArcName)
                                     .Field("ArcParam", &TArcForm::ArcParam)
                                     .Field("BitBtn1", &TArcForm::BitBtn1)
                                     .Field("BitBtn2", &TArcForm::BitBtn2)
                                     .Field("FormStorage1", &TArcForm::FormStorage1)
                                     .Build();
  return &Info;
}

TArcForm::TArcForm(TComponent* AOwner) : TForm(AOwner) {
  RegisterStorageClasses();
  Tell = ShowText;
}

void TArcForm::FormCreate(TObject*) {
  ArcName->SetText("archive");
  LoadCaptions(FormStorage1);
}

void TArcForm::BitBtn1Click(TObject*) {
  const std::string Name = Trim(ArcName->Text());
  if (Name.empty()) {
    Tell(Lng("Input_filename"));
    return;
  }
  const std::string Packer = Trim(ArcBox->Text());
  int Row = ArcBox->ItemIndex();
  if (Row < 0) Row = ArcBox->Items()->IndexOf(Packer);
  if (Packer.empty() || Row < 0 || Row >= PackerCount) {
    Tell(Lng("Select_archiver"));
    return;
  }
  const std::vector<std::string> Paths = SelectedPaths(LeftSide ? MainForm->LF : MainForm->RF);
  if (Paths.empty()) {
    Tell(Lng("No_files_selected"));
    return;
  }
  // The packer runs in the folder of the selection and is given the bare names.
  std::vector<std::string> Names;
  for (const std::string& P : Paths) Names.push_back(ExtractFileName(P));
  std::string Params, Bad;
  if (!PackerParameters(Row, Name, Trim(ArcParam->Text()), Names, Params, Bad)) {
    Tell(Lng("Bad_file_name") + " " + Bad);
    return;
  }
  MainForm->Launch(PackerProgram(Row), Params, ExtractFilePath(Paths.front()));
  SetModalResult(mrOk);
}

void TArcForm::BitBtn2Click(TObject*) { SetModalResult(mrCancel); }

void TArcForm::FormKeyDown(TObject*, uint16_t& Key, TShiftState Shift) {
  if (Key == VK_F1 && !Shift.Contains(ssShift) && !Shift.Contains(ssAlt) && !Shift.Contains(ssCtrl)) {
    Key = 0;
    ShowHelpTopic(13);
  }
}

// ---- TExtrDial, TForm2 ----------------------------------------------------------------------

const TClassInfo* TExtrDial::StaticClassInfo() {
  static const TClassInfo Info = TClassBuilder<TExtrDial, TForm>("TExtrDial")
                                     .Handler("FormKeyDown", &TExtrDial::FormKeyDown)
                                     .Field("Animate1", &TExtrDial::Animate1)
                                     .Field("Label1", &TExtrDial::Label1)
                                     .Field("BitBtn1", &TExtrDial::BitBtn1)
                                     .Field("BitBtn2", &TExtrDial::BitBtn2)
                                     .Build();
  return &Info;
}

void TExtrDial::FormKeyDown(TObject*, uint16_t&, TShiftState) {}

const TClassInfo* TForm2::StaticClassInfo() {
  static const TClassInfo Info = TClassBuilder<TForm2, TForm>("TForm2")
                                     .Handler("BitBtn1Click", &TForm2::BitBtn1Click)
                                     .Field("Animate1", &TForm2::Animate1)
                                     .Field("ProgressBar1", &TForm2::ProgressBar1)
                                     .Field("BitBtn1", &TForm2::BitBtn1)
                                     .Build();
  return &Info;
}

// The reader stops at its next block; its run removes the entry it was writing.
void TForm2::BitBtn1Click(TObject*) {
  if (Running != nullptr) Running->SetCancel(true);
  Hide();
}
