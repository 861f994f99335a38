#include "app/arc_page.h"

#include <windows.h>

#include "app/arc_dialogs.h"
#include "app/core/arc_commands.h"
#include "app/core/lng_strings.h"
#include "app/core/masks.h"
#include "app/core/zemb_rout.h"
#include "app/file_drop.h"
#include "app/help_form.h"
#include "app/main_form.h"
#include "app/openers.h"
#include "app/settings.h"
#include "app/shared_routines.h"
#include "archive/arc_win.h"
#include "archive/core/travik.h"
#include "archive/core/un_arc.h"
#include "archive/core/un_arj.h"
#include "archive/core/un_gzip.h"
#include "archive/core/un_lha.h"
#include "archive/core/un_tar.h"
#include "archive/core/un_zip.h"
#include "archive/core/un_zoo.h"
#include "archive/core/uu_code.h"
#include "archive/un_cab.h"
#include "archive/un_rar.h"
#include "classlib/core/sys_utils.h"
#include "classlib/win/application.h"
#include "classlib/win/dialogs.h"
#include "classlib/win/wide_string.h"
#include "shell/pt_shell_list.h"
#include "storage/core/file_utils.h"

#ifdef DeleteFile
#undef DeleteFile
#endif

namespace {

std::string Lng(const char* Key) {
  std::string Text;
  GetLngString(Key, Text);
  return Text;
}

// The system's date separator: the first character of the user's setting, "." without one.
char SystemDateSeparator() {
  wchar_t Buf[8] = {};
  if (GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDATE, Buf, 8) > 0 && Buf[0] != 0) {
    std::string S = FromWide(Buf);
    if (!S.empty()) return S[0];
  }
  return '.';
}

// The user's order of day, month and year; month first without a setting.
TDateOrder SystemDateOrder() {
  wchar_t Buf[4] = {};
  if (GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_IDATE, Buf, 4) > 0 && Buf[0] >= L'0' && Buf[0] <= L'2')
    return static_cast<TDateOrder>(Buf[0] - L'0');
  return TDateOrder::MonthDayYear;
}

constexpr int64_t LargeEntry = 1048576;

}  // namespace

TArcPage::TArcPage(TMainForm* Form) : TComponent(Form), FForm(Form) {
  FLeft.View = Form->LAView;
  FLeft.Pages = Form->LPages;
  FLeft.Files = Form->LFiles;
  FLeft.Text = Form->LEditPage;
  FLeft.Arc = Form->LARc;
  FLeft.Own = Form->LF;
  FLeft.Other = Form->RF;
  FRight.View = Form->RAView;
  FRight.Pages = Form->RPages;
  FRight.Files = Form->RFiles;
  FRight.Text = Form->REditPage;
  FRight.Arc = Form->RArc;
  FRight.Own = Form->RF;
  FRight.Other = Form->LF;

  Travik1 = new TTravik(this);
  Travik1->OnRead = [this](TObject* S, int Offset, int Filenum) { Travik1Read(S, Offset, Filenum); };
  Travik1->OnError = [this](TObject*, const std::string& FN, const std::string&, const std::string&, int ECode) {
    FErrors.push_back(ArcErrorText(ECode) + (FN.empty() ? "" : ": " + FN));
  };
  Travik1->OnNextVolume = [this](TObject* Sender, std::string& Dir, std::string& FN, const std::string& VolumeID,
                                 bool FExists, bool& Cancel) { NextVolume(Sender, Dir, FN, VolumeID, FExists, Cancel); };
  Form2 = CreateForm<TForm2>(this);
  ArcForm = CreateForm<TArcForm>(this);

  for (bool Left : {true, false}) {
    TListView* View = Side(Left).View;
    View->SetMultiSelect(true);
    View->OnDblClick = [this, Left](TObject*) { OpenEntry(Left); };
    View->OnKeyDown = [this, Left](TObject*, uint16_t& Key, TShiftState Shift) { ViewKeyDown(Left, Key, Shift); };
    AssignSystemImageLists(this, View);
    Side(Left).Drop =
        RegisterFileDrop(View->Handle(), [this, Left](const std::vector<std::string>& Paths) { StageFiles(Left, Paths); });
  }
  Bind(true, "SpeedButton64", "SpeedButton65", "SpeedButton66", "SpeedButton87", "SpeedButton67", "SpeedButton68");
  Bind(false, "SpeedButton74", "SpeedButton75", "SpeedButton76", "SpeedButton88", "SpeedButton77", "SpeedButton78");

  ConfirmExtract = [this] {
    std::unique_ptr<TExtrDial> D(CreateForm<TExtrDial>(Application));
    UseLanguageFile(D.get(), true);
    D->Animate1->SetActive(true);
    return D->ShowModal() == mrOk;
  };
  AskArchiveName = [](std::string& FileName) {
    TOpenDialog D(nullptr);
    D.SetFilter(
        "ZIP|*.zip|Zoo|*.zoo|LZH|*.lzh|arj|*.arj|arc|*.arc|CAB|*.cab|GZip|*.gz|TAR|*.tar|"
        "All archives|*.zip;*.zoo;*.lzh;*.arj;*.arc;*.cab;*.gz;*.tar");
    if (!D.Execute()) return false;
    FileName = D.FileName();
    return true;
  };
  AskSaveName = [](std::string& FileName, int& FilterIndex) {
    TSaveDialog D(nullptr);
    D.SetFilter(PackerFilter());
    D.SetFileName("NewArc");
    if (!D.Execute()) return false;
    FileName = D.FileName();
    FilterIndex = D.FilterIndex();
    return true;
  };
  // A viewer of its own for each entry, as for files.
  ShowStream = [](TStream* Stream) { ViewStream(Stream); };
}

TArcPage::~TArcPage() {
  for (bool Left : {true, false}) {
    TSide& S = Side(Left);
    if (S.Drop) RevokeFileDrop(S.View->HandleAllocated() ? S.View->Handle() : nullptr, S.Drop);
    if (S.View != nullptr) FreeSystemImageLists(S.View);
  }
}

IDropTarget* TArcPage::DropTarget(bool Left) const { return Side(Left).Drop.Get(); }

void TArcPage::Bind(bool Left, const char* Extract, const char* View, const char* Run, const char* Save,
                    const char* Open, const char* Create) {
  auto On = [this](const char* Name, std::function<void()> Work) {
    if (auto* C = dynamic_cast<TControl*>(FForm->FindComponent(Name))) C->OnClick = [Work](TObject*) { Work(); };
  };
  On(Extract, [this, Left] { ExtractSelected(Left); });
  On(View, [this, Left] { ViewEntry(Left); });
  On(Run, [this, Left] { RunEntry(Left); });
  On(Save, [this, Left] { SaveArchive(Left); });
  On(Open, [this, Left] { OpenArchive(Left); });
  On(Create, [this, Left] { CreateArchive(Left); });
}

bool TArcPage::IsLeft(const TListView* View) const { return View == FLeft.View; }

TUnBase* TArcPage::MakeReader(int ArcType) {
  switch (ReaderForArcType(ArcType)) {
    case rdARC: return new TUnARC(this);
    case rdARJ: return new TUnARJ(this);
    case rdCAB: return new TUnCAB(this);
    case rdGZip: return new TUnGZIP(this);
    case rdLHA: return new TUnLHA(this);
    case rdRAR: return new TUnRAR(this);
    case rdTAR: return new TUnTAR(this);
    case rdUUE: return new TUUDecode(this);
    case rdZIP: {
      auto* Z = new TUnZIP(this);
      Z->SetZipCmntBufSize(Travik1->ZipCmntBufSize());
      return Z;
    }
    case rdZOO: return new TUnZOO(this);
    case rdNone: break;
  }
  return nullptr;
}

void TArcPage::OpenArchiveInPanel(TListView* View, const std::string& FileName) {
  THourGlass Busy;
  const bool Left = IsLeft(View);
  TSide& S = Side(Left);
  CurrentView = View;
  View->Items()->Clear();
  S.Pages->SetActivePage(S.Arc);
  FErrors.clear();
  FRefused.clear();
  FNamedVolumes.clear();
  View->Items()->BeginUpdate();
  Travik1->SetArchiveFile(FileName);
  Travik1->Activate();
  View->Items()->EndUpdate();
  S.ArchiveName = FileName;
  S.NewArchive = false;
  delete S.Reader;
  S.Reader = MakeReader(Travik1->ArcType());
  if (S.Reader != nullptr) {
    S.Reader->OnProgress = [this](TObject*, const std::string&, uint8_t Percent) {
      Form2->ProgressBar1->SetPosition(Percent);
    };
    S.Reader->OnError = [this](TObject*, const std::string& FN, const std::string& MsgEx, const std::string&,
                               int ECode) {
      std::string Text = ArcErrorText(ECode);
      if (!FN.empty()) Text += ": " + FN;
      if (!MsgEx.empty()) Text += " (" + MsgEx + ")";
      FErrors.push_back(Text);
    };
    S.Reader->OnNextVolume = [this](TObject* Sender, std::string& Dir, std::string& FN, const std::string& VolumeID,
                                    bool FExists, bool& Cancel) {
      NextVolume(Sender, Dir, FN, VolumeID, FExists, Cancel);
    };
    // Only an output file this run began is ever removed: a view writes to memory and
    // names the entry (a name that may stand for a user's file in the current folder),
    // and a reader may name a volume of the archive.
    S.Reader->OnBegin = [this](TObject* Sender, const std::string& FN, int, bool&) {
      FBegun = static_cast<TAwkMain*>(Sender)->Engine.OutputMode == omToFile ? FN : std::string();
      FBegunErrors = FErrors.size();
    };
    S.Reader->OnEnd = [this](TObject* Sender, const std::string& FN, bool Pass) {
      const bool Cancelled = static_cast<TAwkMain*>(Sender)->Cancel;
      // A check that fails is told, unless the entry's failure was told already (a
      // reader ends an entry it could not finish with a failed check too).
      if (!Pass && !Cancelled && FErrors.size() == FBegunErrors)
        FErrors.push_back(ArcErrorText(errCrcCheck) + ": " + ArcExtractFileName(FN));
      if (FN.empty() || FN != FBegun) return;
      // An entry ended by a Cancel is cut short: nothing of it is kept.
      if (Cancelled) DeleteFile(FN);
      FBegun.clear();
    };
  }
  ShowErrors();
}

void TArcPage::Travik1Read(TObject*, int Offset, int) {
  if (CurrentView == nullptr) return;
  TListItem* Item = CurrentView->Items()->Add();
  Item->SetData(reinterpret_cast<void*>(static_cast<intptr_t>(Offset)));
  Item->SetImageIndex(Travik1->EntryIconIndex());
  Item->SetCaption(Travik1->FileName);
  std::string Type;
  Travik1->ShellTypeName(Travik1->FileName, Type);
  Item->SubItems()->Add(std::to_string(Travik1->UnpackedSize));
  Item->SubItems()->Add(Type);
  Item->SubItems()->Add(ArcEntryDateText(Travik1->Date, SystemDateSeparator(), SystemDateOrder()));
}

void TArcPage::NextVolume(TObject* Sender, std::string& Dir, std::string& FN, const std::string& VolumeID, bool FExists,
                          bool& Cancel) {
  const std::string Wanted = FN;
  // A command extracts row by row, each row a run of its own: a volume the user named
  // once is not asked for again within the command.
  const std::string Key = AnsiUpperCase(Dir + FN);
  if (!FExists) {
    auto It = FNamedVolumes.find(Key);
    if (It != FNamedVolumes.end() && FileExists(It->second)) {
      FN = It->second;
      return;
    }
  }
  AskNextVolume(Sender, Dir, FN, VolumeID, FExists, Cancel);
  if (Cancel)
    FRefused = Wanted;
  else if (!FExists)
    FNamedVolumes[Key] = FN;
}

void TArcPage::ShowErrors() {
  // The volume the user would not give stopped the run: said first, whatever followed.
  if (!FRefused.empty()) FErrors.insert(FErrors.begin(), NextVolumeRefusedText(FRefused));
  FRefused.clear();
  if (FErrors.empty()) return;
  std::string Text;
  for (const std::string& E : FErrors) Text += (Text.empty() ? "" : "\n") + E;
  FErrors.clear();
  FForm->Ask(Text, mtError, TMsgDlgButtons{mbOK});
}

TUnBase* TArcPage::StartRun(bool Left) {
  TSide& S = Side(Left);
  FErrors.clear();
  FRefused.clear();
  FNamedVolumes.clear();
  FBegun.clear();
  if (S.Reader == nullptr) {
    FForm->Ask(ArcErrorText(errUnsupportedArcType) + ": " + S.ArchiveName, mtError, TMsgDlgButtons{mbOK});
    return nullptr;
  }
  Travik1->SetArchiveFile(S.ArchiveName);
  S.Reader->SetArchiveFile(S.ArchiveName);
  S.Reader->SetCancel(false);
  Form2->Running = S.Reader;
  return S.Reader;
}

bool TArcPage::ExtractRow(TUnBase* Reader, const std::string& Entry, const std::string& Dir, bool StoredDirs) {
  Reader->SetFileSpec(Entry);
  Reader->SetUseStoredDirs(StoredDirs);
  Reader->SetExtractDir(Dir);
  Reader->Extract();
  // A run broken off inside an entry may have left its start behind.
  if (Reader->Cancel && !FBegun.empty()) {
    DeleteFile(FBegun);
    FBegun.clear();
  }
  return !Reader->Cancel;
}

void TArcPage::ExtractSelected(bool Left) {
  TSide& S = Side(Left);
  if (S.View->Selected() == nullptr || S.NewArchive) return;
  if (!ConfirmExtract()) return;
  const std::string Dir = S.Other->Folder()->GetPath();
  if (Dir.empty() || !DirectoryExists(Dir)) {
    FForm->Ask(ArcErrorText(errInvalidDirectory), mtError, TMsgDlgButtons{mbOK});
    return;
  }
  TUnBase* Reader = StartRun(Left);
  if (Reader == nullptr) return;
  std::vector<std::string> Entries;
  for (int I = 0; I < S.View->Items()->Count(); ++I)
    if (S.View->Items()->Item(I)->Selected()) Entries.push_back(S.View->Items()->Item(I)->Caption());
  Form2->ProgressBar1->SetPosition(0);
  Form2->Show();
  try {
    THourGlass Busy;
    for (const std::string& E : Entries)
      if (!ExtractRow(Reader, E, Dir, true)) break;
  } catch (const std::exception&) {
    Form2->Hide();
    Form2->Running = nullptr;
    ShowLittleError();
    return;
  }
  Form2->Hide();
  Form2->Running = nullptr;
  if (Reader->Cancel) FErrors.clear();  // what a cancel breaks off is no error to tell
  ShowErrors();
}

void TArcPage::ViewEntry(bool Left) {
  TSide& S = Side(Left);
  TListItem* Row = S.View->Selected();
  if (Row == nullptr || S.NewArchive) return;
  TUnBase* Reader = StartRun(Left);
  if (Reader == nullptr) return;
  Form2->ProgressBar1->SetPosition(0);
  Form2->Show();
  try {
    TMemoryStream Stream;
    // The row's own path: the entry of that name, wherever the lister stopped.
    Reader->SetFileSpec(Row->Caption());
    Reader->SetUseStoredDirs(true);
    Reader->ExtractToStream(Row->Caption(), &Stream);
    Form2->Hide();
    Form2->Running = nullptr;
    if (Reader->Cancel || !FErrors.empty()) {
      ShowErrors();
      return;
    }
    if (Settings != nullptr && Settings->OpenLarge->Checked() && Stream.Size() > LargeEntry &&
        FForm->Ask(Lng("Open_file"), mtConfirmation, mbOKCancel) != mrOk)
      return;
    Stream.SetPosition(0);
    ShowStream(&Stream);
  } catch (const std::exception&) {
    Form2->Hide();
    Form2->Running = nullptr;
    ShowLittleError();
  }
}

std::string TArcPage::TempFolder() {
  // A folder of its own for every entry opened: two entries of one name, or one opened
  // twice while the first copy is still in use, never meet.
  const std::string Base = ProgramFolder() + "Temp";
  // The archive engine's folder maker, which tells whether it succeeded.
  bool (*const MakeDirs)(const std::string&) = ForceDirectories;
  if (!DirectoryExists(Base)) MakeDirs(Base);
  for (;;) {
    const std::string Dir = Base + "\\arc" + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(++FTempCount);
    if (!DirectoryExists(Dir) && MakeDirs(Dir)) return Dir;
    if (FTempCount > 100000) return "";
  }
}

// Extracts the selected row under its own name into a folder of its own and opens it
// through the shell. The copy stays until the program closes: the program opening it may
// read it long after it started.
void TArcPage::OpenExtracted(bool Left, bool Progress) {
  TSide& S = Side(Left);
  TListItem* Row = S.View->Selected();
  if (Row == nullptr || Row->Caption().empty() || S.NewArchive) return;
  const std::string Entry = Row->Caption();
  TUnBase* Reader = StartRun(Left);
  if (Reader == nullptr) return;
  const std::string Dir = TempFolder();
  if (Dir.empty()) return;
  if (Progress) {
    Form2->ProgressBar1->SetPosition(0);
    Form2->Show();
  }
  bool Done = false;
  try {
    THourGlass Busy;
    Done = ExtractRow(Reader, Entry, Dir, false);
  } catch (const std::exception&) {
    Form2->Hide();
    Form2->Running = nullptr;
    ShowLittleError();
    return;
  }
  Form2->Hide();
  Form2->Running = nullptr;
  const std::string File = Dir + "\\" + ArcExtractFileName(SlashToBackslash(Entry));
  if (!Done || !FErrors.empty() || !FileExists(File)) {
    ShowErrors();
    return;
  }
  FForm->Launch(File, "", Dir);
}

void TArcPage::RunEntry(bool Left) { OpenExtracted(Left, true); }
void TArcPage::OpenEntry(bool Left) { OpenExtracted(Left, false); }

void TArcPage::OpenArchive(bool Left) {
  TSide& S = Side(Left);
  S.View->Items()->Clear();
  std::string Name;
  if (AskArchiveName(Name) && !Name.empty()) OpenArchiveInPanel(S.View, Name);
}

void TArcPage::CreateArchive(bool Left) {
  TSide& S = Side(Left);
  S.View->Items()->Clear();
  S.NewArchive = true;
}

void TArcPage::StageFiles(bool Left, const std::vector<std::string>& Paths) {
  TSide& S = Side(Left);
  if (!S.NewArchive) return;
  for (const std::string& Path : Paths) {
    TListItem* Row = S.View->Items()->Add();
    Row->SetCaption(Path);
    Row->SubItems()->Add(std::to_string(GetFileSizeByName(Path)));
  }
}

void TArcPage::SaveArchive(bool Left) {
  TSide& S = Side(Left);
  if (!S.NewArchive) return;
  std::string Name;
  int Index = 1;
  if (!AskSaveName(Name, Index)) return;
  Name = Trim(Name);
  if (Name.empty()) {
    FForm->Ask(Lng("Input_filename"), mtInformation, TMsgDlgButtons{mbOK});
    return;
  }
  std::vector<std::string> Files;
  for (int I = 0; I < S.View->Items()->Count(); ++I) Files.push_back(S.View->Items()->Item(I)->Caption());
  if (Files.empty()) {
    FForm->Ask(Lng("No_files_selected"), mtInformation, TMsgDlgButtons{mbOK});
    return;
  }
  std::string Params, Bad;
  if (!PackerParameters(Index - 1, Name, "", Files, Params, Bad)) {
    FForm->Ask(Lng("Bad_file_name") + " " + Bad, mtError, TMsgDlgButtons{mbOK});
    return;
  }
  FForm->Launch(PackerProgram(Index - 1), Params, ExtractFilePath(Name));
}

void TArcPage::SelectByMask(bool Left, bool Select) {
  std::string Mask = "*.*";
  if (!FForm->AskText(Lng("Input_mask"), Lng("Input_mask_full"), Mask)) return;
  Mask = UpperCase(Trim(Mask));
  if (Mask.empty()) return;
  TListView* View = Side(Left).View;
  for (int I = 0; I < View->Items()->Count(); ++I) {
    TListItem* Row = View->Items()->Item(I);
    if (MatchesMask(UpperCase(Row->Caption()), Mask)) Row->SetSelected(Select);
  }
}

void TArcPage::ViewKeyDown(bool Left, uint16_t& Key, TShiftState Shift) {
  TSide& S = Side(Left);
  const bool None = !Shift.Contains(ssShift) && !Shift.Contains(ssCtrl) && !Shift.Contains(ssAlt);
  const bool Ctrl = Shift.Contains(ssCtrl);
  if (Key == VK_F1 && None) {
    ShowHelpTopic(5);
  } else if (Ctrl && Key >= '1' && Key <= '4') {
    S.View->SetViewStyle(TViewStyle(Key - '1'));
  } else if (Ctrl && (Key == '5' || Key == '7' || Key == '9')) {
    S.Pages->SetActivePage(Key == '5' ? S.Files : Key == '7' ? S.Text : S.Arc);
  } else if (Key == VK_ESCAPE || Key == VK_BACK) {
    S.Pages->SetActivePage(S.Files);
  } else if ((Key == VK_ADD || Key == VK_SUBTRACT) && None) {
    SelectByMask(Left, Key == VK_ADD);
  } else if (S.View->Selected() != nullptr) {
    if (Key == VK_F3)
      ViewEntry(Left);
    else if (Key == VK_F4 && Ctrl)
      SaveArchive(Left);
    else if (Key == VK_RETURN)
      RunEntry(Left);
    else if (Key == VK_F5)
      ExtractSelected(Left);
    else
      return;
  } else {
    return;
  }
  Key = 0;
}

void OpenArchiveInPanel(TListView* ListView, const std::string& FileName) {
  if (MainForm != nullptr && MainForm->ArcPage != nullptr) MainForm->ArcPage->OpenArchiveInPanel(ListView, FileName);
}
