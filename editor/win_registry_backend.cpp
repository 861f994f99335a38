#include <windows.h>

#include "editor/win_registry_backend.h"

#include <exception>

#include "classlib/core/strings.h"
#include "classlib/win/registry.h"

namespace {

HKEY RootHandle(TRegRootKey Root) { return reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(static_cast<LONG>(Root))); }

// Opens the key for reading (or writing) in a fresh registry object; never throws.
bool Open(TRegistry& Reg, TRegRootKey Root, const std::string& Path, bool Write) {
  Reg.SetRootKey(RootHandle(Root));
  return Write ? Reg.OpenKey("\\" + Path, false) : Reg.OpenKeyReadOnly("\\" + Path);
}

}  // namespace

bool TWinRegistryBackend::KeyExists(TRegRootKey Root, const std::string& Path) {
  try {
    TRegistry reg(KEY_READ);
    return Open(reg, Root, Path, false);
  } catch (const std::exception&) {
    return false;
  }
}

bool TWinRegistryBackend::CreateKey(TRegRootKey Root, const std::string& Path) {
  try {
    TRegistry reg;
    reg.SetRootKey(RootHandle(Root));
    return reg.OpenKey("\\" + Path, true);
  } catch (const std::exception&) {
    return false;
  }
}

bool TWinRegistryBackend::ValueExists(TRegRootKey Root, const std::string& Path, const std::string& Name) {
  try {
    TRegistry reg(KEY_READ);
    return Open(reg, Root, Path, false) && reg.ValueExists(Name);
  } catch (const std::exception&) {
    return false;
  }
}

bool TWinRegistryBackend::ReadInteger(TRegRootKey Root, const std::string& Path, const std::string& Name,
                                      std::int32_t& Value) {
  try {
    TRegistry reg(KEY_READ);
    if (!Open(reg, Root, Path, false) || reg.GetDataType(Name) != rdInteger) return false;
    Value = reg.ReadInteger(Name);
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

bool TWinRegistryBackend::ReadString(TRegRootKey Root, const std::string& Path, const std::string& Name,
                                     std::string& Value) {
  try {
    TRegistry reg(KEY_READ);
    if (!Open(reg, Root, Path, false)) return false;
    TRegDataType type = reg.GetDataType(Name);
    if (type != rdString && type != rdExpandString) return false;
    Value = reg.ReadString(Name);
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

bool TWinRegistryBackend::WriteInteger(TRegRootKey Root, const std::string& Path, const std::string& Name,
                                       std::int32_t Value) {
  try {
    TRegistry reg;
    if (!Open(reg, Root, Path, true)) return false;
    reg.WriteInteger(Name, Value);
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

bool TWinRegistryBackend::WriteString(TRegRootKey Root, const std::string& Path, const std::string& Name,
                                      const std::string& Value) {
  try {
    TRegistry reg;
    if (!Open(reg, Root, Path, true)) return false;
    reg.WriteString(Name, Value);
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

bool TWinRegistryBackend::GetKeyNames(TRegRootKey Root, const std::string& Path, std::vector<std::string>& Names) {
  try {
    TRegistry reg(KEY_READ);
    if (!Open(reg, Root, Path, false)) return false;
    TStringList list;
    reg.GetKeyNames(&list);
    Names.clear();
    for (int i = 0; i < list.Count(); ++i) Names.push_back(list[i]);
    return true;
  } catch (const std::exception&) {
    return false;
  }
}
