// The options window. Its controls hold the current option values (other windows read them
// when they act), its form storage keeps them in the registry, and restoring them clicks
// each changed control, which applies it to the main window.
#pragma once

#include <functional>
#include <string>

#include "classlib/win/com_ctrls.h"
#include "classlib/win/dialogs.h"
#include "classlib/win/forms.h"
#include "classlib/win/std_ctrls.h"
#include "storage/form_placement.h"
#include "tools/core/cpuid.h"
#include "ui/color_button.h"
#include "ui/color_combo.h"

class TtsuWinMiner;

class TSettings : public TForm {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  explicit TSettings(TComponent* AOwner);

  // The processor information the system page shows.
  TCPUID* cpu = nullptr;

  TPageControl* PageControl1 = nullptr;
  TTabSheet* SysInfo = nullptr;
  TTabSheet* TabSheet2 = nullptr;
  TTabSheet* TabSheet3 = nullptr;
  TTabSheet* TabSheet5 = nullptr;
  TButton* BitBtn1 = nullptr;
  TButton* BitBtn2 = nullptr;
  TButton* BitBtn5 = nullptr;
  TButton* BitBtn6 = nullptr;
  // System information
  TLabel* Label7 = nullptr;
  TLabel* Label8 = nullptr;
  TLabel* Label9 = nullptr;
  TLabel* Label10 = nullptr;
  TLabel* Label11 = nullptr;
  TLabel* Label13 = nullptr;
  TLabel* Label14 = nullptr;
  TLabel* Label17 = nullptr;
  TLabel* Label18 = nullptr;
  TLabel* Label19 = nullptr;
  TLabel* Label20 = nullptr;
  TComboBox* DrCom = nullptr;
  TLabel* Label2 = nullptr;
  TLabel* Label3 = nullptr;
  TLabel* Label4 = nullptr;
  TLabel* Label5 = nullptr;
  TLabel* Label6 = nullptr;
  // Colours
  TComboBox* FileType = nullptr;
  TColorComboBox* ColorBox = nullptr;
  TCheckBox* Ital = nullptr;
  TCheckBox* Bold = nullptr;
  TButton* Button1 = nullptr;
  TButton* Button2 = nullptr;
  TButton* Button3 = nullptr;
  TColorButton* PanBut = nullptr;
  TButton* BitBtn3 = nullptr;
  TColorButton* ArcBut = nullptr;
  TColorButton* ForBut = nullptr;
  TButton* BitBtn4 = nullptr;
  TButton* SpeedButton3 = nullptr;
  TGroupBox* GroupBox7 = nullptr;
  // Interface
  TCheckBox* CheckBox1 = nullptr;
  TCheckBox* CheckBox2 = nullptr;
  TCheckBox* CheckBox3 = nullptr;
  TCheckBox* HideFiles = nullptr;
  TCheckBox* PathInCapt = nullptr;
  TCheckBox* CheckFast = nullptr;
  TCheckBox* MusBar = nullptr;
  TCheckBox* lTreec = nullptr;
  TCheckBox* rTreec = nullptr;
  TCheckBox* CheckBox5 = nullptr;
  TCheckBox* AssCheck = nullptr;
  TCheckBox* Recycle = nullptr;
  TRadioButton* RadioButton1 = nullptr;
  TRadioButton* RadioButton2 = nullptr;
  TRadioButton* Other = nullptr;
  TTrackBar* mp3Prior = nullptr;
  TLabel* mp3lab = nullptr;
  // Parameters
  TCheckBox* pMove = nullptr;
  TCheckBox* pCopy = nullptr;
  TCheckBox* pQuit = nullptr;
  TCheckBox* CheckBox6 = nullptr;
  TCheckBox* CheckDel = nullptr;
  TCheckBox* OpenLarge = nullptr;
  TCheckBox* CheckBox4 = nullptr;
  TCheckBox* AltCheck = nullptr;
  TEdit* AltEditor = nullptr;
  TCheckBox* Alt1Check = nullptr;
  TEdit* AltViewer = nullptr;
  TEdit* LeftFolder = nullptr;
  TEdit* RightFolder = nullptr;
  TEdit* scrSaver = nullptr;
  TEdit* CalcEdit = nullptr;
  TEdit* CalendEdit = nullptr;
  TEdit* CDEdit = nullptr;
  TEdit* RegiEdit = nullptr;
  TEdit* GameEdit = nullptr;
  // Non-visual
  TFontDialog* pFont = nullptr;
  TSaveDialog* pSave = nullptr;
  TOpenDialog* OpenDialog1 = nullptr;
  TOpenDialog* LangDialog = nullptr;
  TFormStorage* FormStorage1 = nullptr;
  TFormStorage* Lang2 = nullptr;
  // The game, hidden until the main window reveals it: new game, the field, hide it again.
  TButton* Sun = nullptr;
  TtsuWinMiner* Miner = nullptr;
  TButton* stop = nullptr;

  // The priority the music player runs at (0 idle .. 6 time-critical).
  int PlayerPriority() const { return FPlayerPriority; }

  void FormCreate(TObject* Sender);
  void FormShow(TObject* Sender);
  void FormPaint(TObject* Sender);
  void DrComChange(TObject* Sender);
  void CheckBox1Click(TObject* Sender);
  // "Обычное меню": the platform's own menus instead of the drawn ones, at once.
  void CheckBox5Click(TObject* Sender);
  // The assistant and the recycle-bin windows, shown or hidden with their options.
  void AssCheckClick(TObject* Sender);
  void RecycleClick(TObject* Sender);
  void CheckBox2Click(TObject* Sender);
  void CheckBox3Click(TObject* Sender);
  void HideFilesClick(TObject* Sender);
  void lTreecClick(TObject* Sender);
  void rTreecClick(TObject* Sender);
  void PanButClick(TObject* Sender);
  void BitBtn3Click(TObject* Sender);
  void PathInCaptClick(TObject* Sender);
  void CheckFastClick(TObject* Sender);
  void MusBarClick(TObject* Sender);
  void RadioButton1Click(TObject* Sender);
  void RadioButton2Click(TObject* Sender);
  void OtherClick(TObject* Sender);
  void mp3PriorChange(TObject* Sender);
  void ArcButClick(TObject* Sender);
  void BitBtn4Click(TObject* Sender);
  void ForButClick(TObject* Sender);
  void SpeedButton2Click(TObject* Sender);
  void FileTypeChange(TObject* Sender);
  void Button1Click(TObject* Sender);
  void Button2Click(TObject* Sender);
  void Button3Click(TObject* Sender);
  void BitBtn1Click(TObject* Sender);
  void BitBtn2Click(TObject* Sender);
  void BitBtn5Click(TObject* Sender);
  void BitBtn6Click(TObject* Sender);
  void SunClick(TObject* Sender);
  void stopClick(TObject* Sender);
  void MinerGameOver(TObject* Sender);
  // Shows or hides the game's three controls.
  void ShowGame(bool Show);
  // Shows a short message; tests catch it.
  std::function<void(const std::string&)> Tell;

  // Makes LanguageFile the texts of every window: copied over program folder +
  // "ini\zq.lng" (never leaving it missing), then every language storage re-reads it.
  // False, with nothing changed, when the file is missing or the copy fails.
  bool SwitchLanguage(const std::string& LanguageFile, bool English);

private:
  int FPlayerPriority = 3;
};

// The drive type's name as the information page shows it.
std::string DriveTypeName(UINT Type);

// Gives the message boxes the captions and button texts of the language file (section
// "MsgDlg"); the English ones where the file lacks a text or cannot be read. The day and
// month names of dates follow the file too (ApplyDateNames).
void ApplyDialogTexts();

extern TSettings* Settings;
