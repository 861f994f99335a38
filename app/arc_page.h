// The archive pages of the two panels: an archive listed in a report list, its entries
// extracted into the other panel's folder, viewed and run; a staging list of files handed
// to an external packer; the page's keys and buttons. Each side has its own archive and
// its own reader, so that the two pages never extract through each other's reader.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "classlib/core/component.h"
#include "classlib/core/stream.h"
#include "classlib/win/controls.h"
#include "shell/com_ptr.h"

class TMainForm;
class TListView;
class TTravik;
class TUnBase;
class TForm2;
class TArcForm;
class TPageControl;
class TTabSheet;
class TPTShellList;

class TArcPage : public TComponent {
public:
  explicit TArcPage(TMainForm* Form);
  ~TArcPage() override;

  TTravik* Travik1 = nullptr;  // the lister, shared by both pages
  TForm2* Form2 = nullptr;     // extraction progress, for the whole run
  TArcForm* ArcForm = nullptr;  // add to archive with an external packer, for the whole run
  TListView* CurrentView = nullptr;  // the list the lister fills
  bool ArchiveSideLeft = true;  // whose selection the add-to-archive dialog packs

  // The side of an archive list (LAView: left).
  bool IsLeft(const TListView* View) const;
  const std::string& ArchiveName(bool Left) const { return Side(Left).ArchiveName; }
  bool NewArchive(bool Left) const { return Side(Left).NewArchive; }
  TUnBase* Reader(bool Left) const { return Side(Left).Reader; }

  // Lists the archive on View's page and shows that page; the side's reader follows the
  // archive's kind (none for a kind no reader extracts).
  void OpenArchiveInPanel(TListView* View, const std::string& FileName);
  void Travik1Read(TObject* Sender, int Offset, int Filenum);

  // The page's commands; Left names the side.
  void ExtractSelected(bool Left);
  void ViewEntry(bool Left);
  void RunEntry(bool Left);
  void OpenEntry(bool Left);  // row double-click: opened without the progress window
  void OpenArchive(bool Left);
  void CreateArchive(bool Left);
  // Files join the side's staging list (while it is one) with their sizes.
  void StageFiles(bool Left, const std::vector<std::string>& Paths);
  // What the side's list takes drops through: files dragged onto a staging list join it.
  IDropTarget* DropTarget(bool Left) const;
  void SaveArchive(bool Left);
  void ViewKeyDown(bool Left, uint16_t& Key, TShiftState Shift);

  // The folder that entries opened from the pages go to: a new one under the program's
  // "Temp" for this run, emptied with Temp when the program closes.
  std::string TempFolder();

  // Asked in place of the dialogs; tests answer here.
  std::function<bool()> ConfirmExtract;                                   // TExtrDial
  std::function<bool(std::string& FileName)> AskArchiveName;             // AOpen
  std::function<bool(std::string& FileName, int& FilterIndex)> AskSaveName;  // ASave
  std::function<void(TStream* Stream)> ShowStream;                        // the text viewer

private:
  struct TSide {
    TListView* View = nullptr;
    TPageControl* Pages = nullptr;
    TTabSheet *Files = nullptr, *Text = nullptr, *Arc = nullptr;
    TPTShellList *Own = nullptr, *Other = nullptr;
    std::string ArchiveName;
    bool NewArchive = true;
    TUnBase* Reader = nullptr;
    TComPtr<IDropTarget> Drop;
  };
  TSide& Side(bool Left) { return Left ? FLeft : FRight; }
  const TSide& Side(bool Left) const { return Left ? FLeft : FRight; }
  void Bind(bool Left, const char* Extract, const char* View, const char* Run, const char* Save,
            const char* Open, const char* Create);
  TUnBase* MakeReader(int ArcType);
  // Prepares the side's reader for a run; nullptr (and a message) when there is none.
  TUnBase* StartRun(bool Left);
  // Extracts the row's entry into Dir; false when the run failed or was cancelled.
  bool ExtractRow(TUnBase* Reader, const std::string& Entry, const std::string& Dir, bool StoredDirs);
  void OpenExtracted(bool Left, bool Progress);
  // The one next-volume handler of the lister and the readers; remembers a volume refused.
  void NextVolume(TObject* Sender, std::string& Dir, std::string& FN, const std::string& VolumeID, bool FExists,
                  bool& Cancel);
  void ShowErrors();
  void SelectByMask(bool Left, bool Select);

  TMainForm* FForm;
  TSide FLeft, FRight;
  std::string FTemp;
  int FTempCount = 0;
  std::vector<std::string> FErrors;
  std::map<std::string, std::string> FNamedVolumes;  // within a command: volume wanted -> named
  std::string FRefused;   // the volume the user did not give, which stopped the run
  std::string FBegun;     // the output the reader is writing, until its end is reported
  size_t FBegunErrors = 0;  // errors told before the current entry began
};

// Lists an archive on one of the main window's archive pages (LAView or RAView), as the
// panels' keys and double-clicks open archives.
void OpenArchiveInPanel(TListView* ListView, const std::string& FileName);
