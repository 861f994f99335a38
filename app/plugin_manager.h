// The plug-in manager: lists the ActiveX plug-ins registered for the program (the sub-keys
// of "\Software\Zembrix\ActiveX") and opens each checked one on a page of its own in the
// main window, the object embedded in an OLE container. Layout: "pm.zfm".
#pragma once

#include <string>

#include "classlib/win/check_list_box.h"
#include "classlib/win/com_ctrls.h"
#include "classlib/win/forms.h"
#include "classlib/win/std_ctrls.h"

class TPM : public TForm {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  explicit TPM(TComponent* AOwner);

  TLabel* Label1 = nullptr;
  TCheckListBox* Plugs = nullptr;
  TButton* Button2 = nullptr;  // OK
  TButton* Button3 = nullptr;  // Exit

  // The registry key of the plug-ins, under the current user.
  static const char* const PluginKey;
  // The OLE class a plug-in names (its value named like itself); empty when none.
  static std::string PluginClass(const std::string& Plugin);
  // The page control the plug-in pages go on: the main window's MainPage unless set.
  TPageControl* Pages() const;
  void SetPages(TPageControl* Value) { FPages = Value; }
  // Opens one plug-in on a new page and returns it; raises the OLE error when its object
  // cannot be made, and then adds no page.
  TTabSheet* OpenPlugin(const std::string& Plugin);

  void FormShow(TObject* Sender);
  void Button2Click(TObject* Sender);
  void Button3Click(TObject* Sender);

private:
  TPageControl* FPages = nullptr;
};

extern TPM* PM;
