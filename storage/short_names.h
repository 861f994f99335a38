// Long and short (8.3) names of existing files and folders.
#pragma once

#include <string>

// The long name of the single entry Name designates (its 8.3 name when the long one is
// empty); "" when there is no such entry.
std::string ShortToLongFileName(const std::string& Name);
// The 8.3 name (the long name when the system keeps no 8.3 name); "" when not found.
std::string LongToShortFileName(const std::string& Name);
// A whole path, component by component; the drive ("C:") stays as it is, and a component
// that does not exist becomes "".
std::string ShortToLongPath(const std::string& Path);
std::string LongToShortPath(const std::string& Path);
