#include "shell/drop_menu.h"

#include <ole2.h>
#include <shlobj.h>

#include "classlib/win/wide_string.h"
#include "shell/com_ptr.h"

std::function<TDropMenuTexts()> DropMenuTexts;
std::function<UINT(HMENU Menu)> DropMenuAnswer;

namespace {

std::wstring EntryText(const std::string& Text, const wchar_t* English) {
  return Text.empty() ? std::wstring(English) : ToWide(Text);
}

bool Exists(const std::wstring& Path) { return GetFileAttributesW(Path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// "C:\a\b" gives "b"; a drive root "C:\" gives "C".
std::wstring LinkBaseName(std::wstring Path) {
  while (Path.size() > 1 && (Path.back() == L'\\' || Path.back() == L'/')) Path.pop_back();
  size_t Slash = Path.find_last_of(L"\\/");
  std::wstring Name = Slash == std::wstring::npos ? Path : Path.substr(Slash + 1);
  if (!Name.empty() && Name.back() == L':') Name.pop_back();
  return Name;
}

std::wstring ParentOf(const std::wstring& Path) {
  size_t Slash = Path.find_last_of(L'\\');
  if (Slash == std::wstring::npos) return {};
  return Path.substr(0, Slash < 3 ? Slash + 1 : Slash);
}

HRESULT SaveShortcut(const std::wstring& Target, const std::wstring& Name) {
  TComPtr<IShellLinkW> Link;
  HRESULT Hr = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(Link.Out()));
  if (SUCCEEDED(Hr)) Hr = Link->SetPath(Target.c_str());
  if (SUCCEEDED(Hr)) Hr = Link->SetWorkingDirectory(ParentOf(Target).c_str());
  TComPtr<IPersistFile> File;
  if (SUCCEEDED(Hr)) Hr = Link.As(File);
  if (SUCCEEDED(Hr)) Hr = File->Save(Name.c_str(), TRUE);
  return Hr;
}

}  // namespace

TDropMenuTexts CurrentDropMenuTexts() {
  if (DropMenuTexts) {
    try {
      return DropMenuTexts();
    } catch (...) {
      // An unreadable language file leaves the texts in English rather than empty.
    }
  }
  return {};
}

std::wstring MadeName(const std::string& Pattern, const wchar_t* English, const std::wstring& Name, int Number) {
  std::wstring P = ToWide(Pattern);
  if (P.find(L"%s") == std::wstring::npos || P.find_first_of(L"\\/:*?\"<>|") != std::wstring::npos) P = English;
  std::wstring R;
  for (size_t I = 0; I < P.size(); ++I) {
    if (P[I] == L'%' && I + 1 < P.size() && (P[I + 1] == L's' || P[I + 1] == L'd')) {
      R += P[++I] == L's' ? Name : std::to_wstring(Number);
    } else {
      R += P[I];
    }
  }
  return R;
}

HMENU CreateDropMenu(DWORD Allowed, DWORD Default) {
  HMENU Menu = CreatePopupMenu();
  if (Menu == nullptr) return nullptr;
  const TDropMenuTexts Texts = CurrentDropMenuTexts();
  const struct {
    DWORD Effect;
    const std::string& Text;
    const wchar_t* English;
  } Entries[] = {
      {DROPEFFECT_COPY, Texts.Copy, L"&Copy Here"},
      {DROPEFFECT_MOVE, Texts.Move, L"&Move Here"},
      {DROPEFFECT_LINK, Texts.Link, L"Create &Shortcuts Here"},
  };
  for (const auto& E : Entries)
    if ((Allowed & E.Effect) != 0) AppendMenuW(Menu, MF_STRING, E.Effect, EntryText(E.Text, E.English).c_str());
  AppendMenuW(Menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(Menu, MF_STRING, DropMenuCancelId, EntryText(Texts.Cancel, L"Cancel").c_str());
  if (Default == DROPEFFECT_COPY || Default == DROPEFFECT_MOVE || Default == DROPEFFECT_LINK)
    if ((Allowed & Default) != 0) SetMenuDefaultItem(Menu, Default, FALSE);
  return Menu;
}

DWORD AskDropEffect(HWND Owner, POINTL Point, DWORD Allowed, DWORD Default) {
  Allowed &= DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
  if (Allowed == 0) return DROPEFFECT_NONE;
  HMENU Menu = CreateDropMenu(Allowed, Default);
  if (Menu == nullptr) return DROPEFFECT_NONE;
  UINT Id = 0;
  if (DropMenuAnswer) {
    Id = DropMenuAnswer(Menu);
  } else if (Owner != nullptr) {
    // The menu closes on a click elsewhere only when its owner is in front.
    SetForegroundWindow(Owner);
    Id = UINT(TrackPopupMenu(Menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_LEFTALIGN | TPM_TOPALIGN, Point.x, Point.y,
                             0, Owner, nullptr));
    PostMessageW(Owner, WM_NULL, 0, 0);
  }
  DestroyMenu(Menu);
  // Only an entry that was offered counts.
  return (Id == DROPEFFECT_COPY || Id == DROPEFFECT_MOVE || Id == DROPEFFECT_LINK) && (Allowed & Id) != 0
             ? DWORD(Id)
             : DWORD(DROPEFFECT_NONE);
}

HRESULT CreateShortcutIn(const std::wstring& Folder, const std::wstring& Target) {
  if (Folder.empty()) return HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND);
  std::wstring Base = Folder.back() == L'\\' ? Folder : Folder + L'\\';
  std::wstring Stem = Base + MadeName(CurrentDropMenuTexts().ShortcutName, L"Shortcut to %s", LinkBaseName(Target));
  std::wstring Name = Stem + L".lnk";
  for (int N = 2; Exists(Name); ++N) Name = Stem + L" (" + std::to_wstring(N) + L").lnk";
  return SaveShortcut(Target, Name);
}

HRESULT CreateShortcutsIn(const std::wstring& Folder, const std::vector<std::wstring>& Targets) {
  if (Folder.empty()) return HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND);
  HRESULT First = S_OK;
  for (const std::wstring& Target : Targets) {
    HRESULT Hr = CreateShortcutIn(Folder, Target);
    if (FAILED(Hr) && SUCCEEDED(First)) First = Hr;
  }
  return First;
}
