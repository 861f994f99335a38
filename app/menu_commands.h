// Commands of the main window's menus that work on both panels or on the current file:
// add to ZIP, swap panels (the window's own swap, also on Ctrl+U), compare folders, the file listing, and the folder bookmarks of
// the path combos.
#pragma once

#include <string>

#include "classlib/core/component.h"

class TMainForm;
class TPTShellList;
class TPopupMenu;

class TMenuCommands : public TComponent {
public:
  // Binds the menu items of Form (found by name) to the commands.
  explicit TMenuCommands(TMainForm* Form);

  void AddtoZIP1Click();
  // Marks what differs between the panels' folders: the left panel selects its files with
  // no equal file on the right (same name, any case; same size in bytes), the right
  // panel selects its files that have one. Both selections are cleared first. False,
  // with the message shown, when both show the same folder.
  bool CompareFolders();
  // Writes the listing of the panel the path label shows into FileName: a header line,
  // then a line per item as the list shows it. Raises when the file cannot be written.
  void WriteFileListing(const std::string& FileName);
  void FileListingClick();
  // A bookmark of the side's folder in its combo's menu.
  void AddBookmark(bool Left);

private:
  void BindBookmarks(TPopupMenu* Menu, bool Left);
  TMainForm* FForm;
};
