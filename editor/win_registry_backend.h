// The platform's registry behind the highlighters' registry interface.
#pragma once

#include "editor/core/better_registry.h"

class TWinRegistryBackend : public TRegistryBackend {
public:
  bool KeyExists(TRegRootKey Root, const std::string& Path) override;
  bool CreateKey(TRegRootKey Root, const std::string& Path) override;
  bool ValueExists(TRegRootKey Root, const std::string& Path, const std::string& Name) override;
  bool ReadInteger(TRegRootKey Root, const std::string& Path, const std::string& Name,
                   std::int32_t& Value) override;
  bool ReadString(TRegRootKey Root, const std::string& Path, const std::string& Name,
                  std::string& Value) override;
  bool WriteInteger(TRegRootKey Root, const std::string& Path, const std::string& Name,
                    std::int32_t Value) override;
  bool WriteString(TRegRootKey Root, const std::string& Path, const std::string& Name,
                   const std::string& Value) override;
  bool GetKeyNames(TRegRootKey Root, const std::string& Path, std::vector<std::string>& Names) override;
};
