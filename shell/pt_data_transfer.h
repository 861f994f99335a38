// OLE data transfer of shell items: the offered formats and their enumerator, the media
// ("Shell IDList Array", CF_HDROP, text, "Preferred DropEffect"), the data object that
// carries items of one folder (drags, Send To and the clipboard), and the drop source.
#pragma once

#include <windows.h>
#include <ole2.h>
#include <shlobj.h>

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "shell/pt_shell_utils.h"

// Owned FORMATETC records, each DVASPECT_CONTENT, index -1, TYMED_HGLOBAL.
class TPTFormatEtcList {
public:
  explicit TPTFormatEtcList(const std::vector<UINT>& Formats);
  ~TPTFormatEtcList();
  TPTFormatEtcList(const TPTFormatEtcList&) = delete;
  TPTFormatEtcList& operator=(const TPTFormatEtcList&) = delete;

  int Count() const { return int(FItems.size()); }
  const FORMATETC& Items(int Index) const { return FItems.at(size_t(Index)); }
  // S_OK, DV_E_TYMED (the format without a matching medium) or DV_E_FORMATETC.
  HRESULT QueryGetData(const FORMATETC& Format) const;

private:
  std::vector<FORMATETC> FItems;
};

// A copy of Source whose target device block is a copy too (free it with CoTaskMemFree).
FORMATETC CopyFormatEtc(const FORMATETC& Source);

// A new enumerator (one reference, the caller's) over List from position Start.
IEnumFORMATETC* CreateFormatEtcEnumerator(std::shared_ptr<const TPTFormatEtcList> List, size_t Start = 0);

// The media, S_OK or E_OUTOFMEMORY. Text: the characters and one zero. CF_HDROP: wide
// names sized from their lengths. "Shell IDList Array": the parent (nil: the desktop)
// and the children's relative lists.
HRESULT MakeTextMedium(const std::string& Text, HGLOBAL& Medium);
HRESULT MakeHDropMedium(const std::vector<std::wstring>& Paths, HGLOBAL& Medium);
HRESULT MakeIdListMedium(PCItemIDList Parent, const std::vector<PCItemIDList>& Children, HGLOBAL& Medium);
// A new movable block with the bytes of Block; 0 when it cannot be made.
HGLOBAL CopyHGlobal(HGLOBAL Block);

// The data object of some items of one folder: "Shell IDList Array", CF_HDROP and CF_TEXT
// (the items' parsing names, each followed by CR LF), and "Preferred DropEffect" (copy
// or move, so that a paste knows a cut from a copy). Each GetData hands out a new copy.
// Returns nil when no item is given.
TComPtr<IDataObject> CreateShellDataObject(PCItemIDList ParentList, const std::vector<PCItemIDList>& Children,
                                           DWORD PreferredEffect = DROPEFFECT_COPY);
// The clipboard takes a data object of the items; Effect DROPEFFECT_MOVE marks a cut.
HRESULT SetClipboardItems(PCItemIDList ParentList, const std::vector<PCItemIDList>& Children, DWORD Effect);

// The drop source of a drag started with one mouse button (0 left, 1 right, 2 middle):
// Escape or another button cancels, releasing the button drops.
class TDropSource_shlvtv : public TComObject<IDropSource> {
public:
  explicit TDropSource_shlvtv(int ButtonKind);

  HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL EscapePressed, DWORD KeyState) override;
  HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD Effect) override;

private:
  DWORD FButton;
};
