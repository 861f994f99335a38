// A temporary folder of the test's own under %TEMP%, and small helpers.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "classlib/win/wide_string.h"
#include "shell/drop_menu.h"
#include "shell/pt_shell_utils.h"

class TTempFolder {
public:
  explicit TTempFolder(const std::string& Name) {
    wchar_t Buf[MAX_PATH];
    GetTempPathW(MAX_PATH, Buf);
    FPath = FromWide(Buf) + Name + "_" + std::to_string(GetCurrentProcessId());
    RemoveTree(FPath);
    CreateDirectoryW(ToWide(FPath).c_str(), nullptr);
  }
  ~TTempFolder() { RemoveTree(FPath); }
  const std::string& Path() const { return FPath; }
  std::string operator/(const std::string& Name) const { return FPath + "\\" + Name; }

  std::string MakeFile(const std::string& Name, size_t Size) const {
    std::string P = *this / Name;
    HANDLE H = CreateFileW(ToWide(P).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    std::string Data(Size, 'x');
    DWORD Done = 0;
    if (Size != 0) WriteFile(H, Data.data(), DWORD(Size), &Done, nullptr);
    CloseHandle(H);
    return P;
  }
  std::string MakeFolder(const std::string& Name) const {
    std::string P = *this / Name;
    CreateDirectoryW(ToWide(P).c_str(), nullptr);
    return P;
  }

  // Removes a tree made by a test (only below its own folder).
  static void RemoveTree(const std::string& Path) {
    WIN32_FIND_DATAW D;
    HANDLE F = FindFirstFileW(ToWide(Path + "\\*").c_str(), &D);
    if (F != INVALID_HANDLE_VALUE) {
      do {
        std::string N = FromWide(D.cFileName);
        if (N == "." || N == "..") continue;
        std::string P = Path + "\\" + N;
        if (D.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
          RemoveTree(P);
        else
          DeleteFileW(ToWide(P).c_str());
      } while (FindNextFileW(F, &D));
      FindClose(F);
    }
    RemoveDirectoryW(ToWide(Path).c_str());
  }

private:
  std::string FPath;
};

inline TPidl ParsePath(const std::string& Path) {
  TPidl P;
  PathToPidl(Path, *P.Out());
  return P;
}

// Answers the drop menu in place of the user while it lives: each menu shown is noted as
// its entries ("&Copy Here*|-|Cancel": the default one marked "*", "-" a separator) and
// answered with Id.
struct TDropMenuAnswer {
  explicit TDropMenuAnswer(UINT AnId) : Id(AnId) {
    DropMenuAnswer = [this](HMENU Menu) {
      std::string Text;
      for (int I = 0; I < GetMenuItemCount(Menu); ++I) {
        wchar_t Buf[128] = {};
        MENUITEMINFOW Info{};
        Info.cbSize = sizeof Info;
        Info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_STRING;
        Info.dwTypeData = Buf;
        Info.cch = 128;
        GetMenuItemInfoW(Menu, UINT(I), TRUE, &Info);
        if (I > 0) Text += "|";
        Text += (Info.fType & MFT_SEPARATOR) != 0 ? "-" : FromWide(Buf) + ((Info.fState & MFS_DEFAULT) ? "*" : "");
      }
      Shown.push_back(Text);
      return Id;
    };
  }
  ~TDropMenuAnswer() { DropMenuAnswer = nullptr; }
  TDropMenuAnswer(const TDropMenuAnswer&) = delete;
  TDropMenuAnswer& operator=(const TDropMenuAnswer&) = delete;

  UINT Id;
  std::vector<std::string> Shown;
};
