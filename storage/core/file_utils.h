// Folder and file routines of the file manager: folder names, recursive creation and
// clearing of folders, a block copy that drives a progress control, sizes, attributes and
// file-name validity.
#pragma once

#include <cstdint>
#include <string>

class TObject;

// The name with a trailing "\": "" stays "", "C:" and "C:\" are unchanged, a single letter
// "c" becomes "c:\", anything else gets "\".
std::string NormalDir(const std::string& DirName);
// Drops one trailing "\" from a name longer than one character, except from a drive root
// ("C:\").
std::string RemoveBackSlash(const std::string& DirName);
bool DirExists(const std::string& Name);
// Creates the folder and every missing parent; failures are not reported.
void ForceDirectories(std::string Dir);
// The size of the first entry that a search for the name finds, -1 when none.
std::int64_t GetFileSizeByName(const std::string& FileName);
// True when the attributes can be read and hold every bit of Attr.
bool FileHasAttr(const std::string& FileName, int Attr);
// False for an empty name and for a name holding any of < > " [ ] |.
bool ValidFileName(const std::string& FileName);

// Copies FileName to Destination (an existing folder: the file of the same name in it),
// creating the target's folders and giving the target the source's date. The data goes to
// a temporary file beside the target, which replaces the target only when the copy is
// complete: a failed copy leaves no partial file and the old target as it was. Progress, a
// progress control or nullptr, goes from 0 to the size and back to 0. Raises EFOpenError
// "Cannot open file %s" (source), EFCreateError "Cannot create file %s" (target, also a
// read-only one, and "Cannot copy %s onto itself" when the target is the source, before
// anything is written), EReadError "Stream read error" or EWriteError "Stream write error".
void CopyFileWithProgress(const std::string& FileName, const std::string& Destination, TObject* Progress);

// Deletes every file under Path (read-only ones too) and empties its subfolders; with
// Delete, removes the emptied folders and Path itself (never a drive such as "C:").
// Entries whose names begin with "." are left alone. A link to a folder is removed as a
// link: what it points at is never touched. True when everything asked for was done;
// false, and nothing done, when Path is not a folder or is a bare drive ("C:").
bool ClearDir(const std::string& Path, bool Delete);
