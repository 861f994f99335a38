// Routines the file manager's windows share.
#pragma once

#include <windows.h>

#include <string>

// Runs or opens FileName through the shell with its default action, owned by the main
// window; the three strings go to the shell whole. The result is the shell's (above 32 on
// success); the shell reports its own failures.
HINSTANCE ExecuteFile(const std::string& FileName, const std::string& Params, const std::string& DefaultDir,
                      int ShowCmd);
