// A stand-in for an external packer: writes the command line it was started with to
// "args.txt" beside itself and ends, so that tests can see what a packer is given.
#include <windows.h>

#include <string>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  wchar_t Self[MAX_PATH] = {};
  DWORD N = GetModuleFileNameW(nullptr, Self, MAX_PATH);
  std::wstring Dir(Self, N);
  Dir.resize(Dir.find_last_of(L'\\') + 1);
  const std::wstring Line = GetCommandLineW();
  // Written under another name first, so that a reader never sees half of it.
  const std::wstring Part = Dir + L"args.tmp", Done = Dir + L"args.txt";
  HANDLE F = CreateFileW(Part.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (F == INVALID_HANDLE_VALUE) return 1;
  DWORD Written = 0;
  WriteFile(F, Line.data(), DWORD(Line.size() * sizeof(wchar_t)), &Written, nullptr);
  CloseHandle(F);
  return MoveFileW(Part.c_str(), Done.c_str()) ? 0 : 1;
}
