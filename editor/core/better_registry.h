// Registry access for the highlighters' stored colours. The platform's registry sits behind
// TRegistryBackend (the Win32 side installs one at start-up); TMemoryRegistry keeps keys in
// memory for tests and for running without one. Key paths use "\" and compare
// case-insensitively, as the platform's do.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

// A root key, numbered as the platform numbers its predefined keys.
using TRegRootKey = std::uint32_t;
constexpr TRegRootKey RegCurrentUser = 0x80000001u;
constexpr TRegRootKey RegLocalMachine = 0x80000002u;

class TRegistryBackend {
public:
  virtual ~TRegistryBackend() = default;
  // Paths are relative to the root, without a leading "\"; "" is the root itself.
  virtual bool KeyExists(TRegRootKey Root, const std::string& Path) = 0;
  // Creates the key and any missing parents; true when it exists afterwards.
  virtual bool CreateKey(TRegRootKey Root, const std::string& Path) = 0;
  virtual bool ValueExists(TRegRootKey Root, const std::string& Path, const std::string& Name) = 0;
  // Reads are false when the value is missing or holds another type.
  virtual bool ReadInteger(TRegRootKey Root, const std::string& Path, const std::string& Name,
                           std::int32_t& Value) = 0;
  virtual bool ReadString(TRegRootKey Root, const std::string& Path, const std::string& Name,
                          std::string& Value) = 0;
  virtual bool WriteInteger(TRegRootKey Root, const std::string& Path, const std::string& Name,
                            std::int32_t Value) = 0;
  virtual bool WriteString(TRegRootKey Root, const std::string& Path, const std::string& Name,
                           const std::string& Value) = 0;
  virtual bool GetKeyNames(TRegRootKey Root, const std::string& Path, std::vector<std::string>& Names) = 0;
};

// The backend that TBetterRegistry uses; nullptr (the default) makes every key fail to
// open. Not owned.
void SetRegistryBackend(TRegistryBackend* Backend);
TRegistryBackend* GetRegistryBackend();

class TMemoryRegistry : public TRegistryBackend {
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
  // Stores bytes, for values of a type the readers do not expect.
  bool WriteBinary(TRegRootKey Root, const std::string& Path, const std::string& Name, const std::string& Bytes);
  bool DeleteKey(TRegRootKey Root, const std::string& Path);

private:
  enum TValueType { vtString, vtInteger, vtBinary };
  struct TValue {
    TValueType Type = vtBinary;
    std::int32_t Int = 0;
    std::string Str;
  };
  struct TKey {
    std::string Name;                       // as created
    std::map<std::string, TValue> Values;   // by upper-cased name
    std::map<std::string, TKey> SubKeys;    // by upper-cased name
  };
  TKey* Find(TRegRootKey Root, const std::string& Path, bool Create);
  std::map<TRegRootKey, TKey> FRoots;
};

// A registry key cursor: a root, the open key and its path.
class TBetterRegistry {
public:
  TBetterRegistry() = default;
  TRegRootKey RootKey() const { return FRootKey; }
  void SetRootKey(TRegRootKey Value);
  // The open key's path, without a leading "\"; empty when none is open.
  const std::string& CurrentPath() const { return FCurrentPath; }
  bool HasCurrentKey() const { return FOpen; }

  // A key that starts with "\" is absolute (under the root); any other is relative to the
  // open key, or to the root when none is open. On success the key becomes the open one.
  bool OpenKey(const std::string& Key, bool CanCreate);
  // The same with read access only: never creates anything.
  bool OpenKeyReadOnly(const std::string& Key);
  void CloseKey();

  bool KeyExists(const std::string& Key);
  bool ValueExists(const std::string& Name);
  // Each read is false when the value is missing or holds another type; the result is
  // then unchanged.
  bool ReadInteger(const std::string& Name, std::int32_t& Value);
  bool ReadString(const std::string& Name, std::string& Value);
  bool WriteInteger(const std::string& Name, std::int32_t Value);
  bool WriteString(const std::string& Name, const std::string& Value);
  bool GetKeyNames(std::vector<std::string>& Names);

private:
  std::string Resolve(const std::string& Key) const;
  TRegRootKey FRootKey = RegCurrentUser;
  std::string FCurrentPath;
  bool FOpen = false;
  bool FReadOnly = false;
};
