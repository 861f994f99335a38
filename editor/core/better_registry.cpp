#include "editor/core/better_registry.h"

namespace {

TRegistryBackend* Backend = nullptr;

std::string Upper(const std::string& S) {
  std::string r = S;
  for (char& c : r)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  return r;
}

std::vector<std::string> SplitPath(const std::string& Path) {
  std::vector<std::string> parts;
  std::size_t i = 0;
  while (i <= Path.size()) {
    std::size_t j = Path.find('\\', i);
    if (j == std::string::npos) j = Path.size();
    if (j > i) parts.push_back(Path.substr(i, j - i));
    i = j + 1;
  }
  return parts;
}

std::string JoinPath(const std::vector<std::string>& Parts) {
  std::string s;
  for (const std::string& p : Parts) {
    if (!s.empty()) s += '\\';
    s += p;
  }
  return s;
}

}  // namespace

void SetRegistryBackend(TRegistryBackend* Value) { Backend = Value; }
TRegistryBackend* GetRegistryBackend() { return Backend; }

// ---------------------------------------------------------------------------------------

TMemoryRegistry::TKey* TMemoryRegistry::Find(TRegRootKey Root, const std::string& Path, bool Create) {
  auto r = FRoots.find(Root);
  if (r == FRoots.end()) {
    if (!Create) {
      // Predefined roots always exist, even empty.
      if (Root != RegCurrentUser && Root != RegLocalMachine) return nullptr;
    }
    r = FRoots.emplace(Root, TKey{}).first;
  }
  TKey* k = &r->second;
  for (const std::string& part : SplitPath(Path)) {
    auto it = k->SubKeys.find(Upper(part));
    if (it == k->SubKeys.end()) {
      if (!Create) return nullptr;
      it = k->SubKeys.emplace(Upper(part), TKey{part, {}, {}}).first;
    }
    k = &it->second;
  }
  return k;
}

bool TMemoryRegistry::KeyExists(TRegRootKey Root, const std::string& Path) {
  return Find(Root, Path, false) != nullptr;
}

bool TMemoryRegistry::CreateKey(TRegRootKey Root, const std::string& Path) {
  return Find(Root, Path, true) != nullptr;
}

bool TMemoryRegistry::ValueExists(TRegRootKey Root, const std::string& Path, const std::string& Name) {
  TKey* k = Find(Root, Path, false);
  return k && k->Values.count(Upper(Name)) > 0;
}

bool TMemoryRegistry::ReadInteger(TRegRootKey Root, const std::string& Path, const std::string& Name,
                                  std::int32_t& Value) {
  TKey* k = Find(Root, Path, false);
  if (!k) return false;
  auto v = k->Values.find(Upper(Name));
  if (v == k->Values.end() || v->second.Type != vtInteger) return false;
  Value = v->second.Int;
  return true;
}

bool TMemoryRegistry::ReadString(TRegRootKey Root, const std::string& Path, const std::string& Name,
                                 std::string& Value) {
  TKey* k = Find(Root, Path, false);
  if (!k) return false;
  auto v = k->Values.find(Upper(Name));
  if (v == k->Values.end() || v->second.Type != vtString) return false;
  Value = v->second.Str;
  return true;
}

bool TMemoryRegistry::WriteInteger(TRegRootKey Root, const std::string& Path, const std::string& Name,
                                   std::int32_t Value) {
  TKey* k = Find(Root, Path, false);
  if (!k) return false;
  TValue& v = k->Values[Upper(Name)];
  v = TValue{vtInteger, Value, {}};
  return true;
}

bool TMemoryRegistry::WriteString(TRegRootKey Root, const std::string& Path, const std::string& Name,
                                  const std::string& Value) {
  TKey* k = Find(Root, Path, false);
  if (!k) return false;
  k->Values[Upper(Name)] = TValue{vtString, 0, Value};
  return true;
}

bool TMemoryRegistry::WriteBinary(TRegRootKey Root, const std::string& Path, const std::string& Name,
                                  const std::string& Bytes) {
  TKey* k = Find(Root, Path, false);
  if (!k) return false;
  k->Values[Upper(Name)] = TValue{vtBinary, 0, Bytes};
  return true;
}

bool TMemoryRegistry::GetKeyNames(TRegRootKey Root, const std::string& Path, std::vector<std::string>& Names) {
  TKey* k = Find(Root, Path, false);
  if (!k) return false;
  Names.clear();
  for (auto& [upper, sub] : k->SubKeys) Names.push_back(sub.Name);
  return true;
}

bool TMemoryRegistry::DeleteKey(TRegRootKey Root, const std::string& Path) {
  std::vector<std::string> parts = SplitPath(Path);
  if (parts.empty()) return false;
  std::string last = parts.back();
  parts.pop_back();
  TKey* parent = Find(Root, JoinPath(parts), false);
  return parent && parent->SubKeys.erase(Upper(last)) > 0;
}

// ---------------------------------------------------------------------------------------

void TBetterRegistry::SetRootKey(TRegRootKey Value) {
  CloseKey();
  FRootKey = Value;
}

std::string TBetterRegistry::Resolve(const std::string& Key) const {
  if (!Key.empty() && Key[0] == '\\') return JoinPath(SplitPath(Key));
  std::vector<std::string> parts = FOpen ? SplitPath(FCurrentPath) : std::vector<std::string>{};
  for (std::string& p : SplitPath(Key)) parts.push_back(std::move(p));
  return JoinPath(parts);
}

bool TBetterRegistry::OpenKey(const std::string& Key, bool CanCreate) {
  if (!Backend) return false;
  std::string path = Resolve(Key);
  bool ok = CanCreate ? Backend->CreateKey(FRootKey, path) : Backend->KeyExists(FRootKey, path);
  if (!ok) return false;
  FCurrentPath = path;
  FOpen = true;
  FReadOnly = false;
  return true;
}

bool TBetterRegistry::OpenKeyReadOnly(const std::string& Key) {
  if (!Backend) return false;
  std::string path = Resolve(Key);
  if (!Backend->KeyExists(FRootKey, path)) return false;
  FCurrentPath = path;
  FOpen = true;
  FReadOnly = true;
  return true;
}

void TBetterRegistry::CloseKey() {
  FOpen = false;
  FReadOnly = false;
  FCurrentPath.clear();
}

bool TBetterRegistry::KeyExists(const std::string& Key) {
  return Backend && Backend->KeyExists(FRootKey, Resolve(Key));
}

bool TBetterRegistry::ValueExists(const std::string& Name) {
  return Backend && FOpen && Backend->ValueExists(FRootKey, FCurrentPath, Name);
}

bool TBetterRegistry::ReadInteger(const std::string& Name, std::int32_t& Value) {
  return Backend && FOpen && Backend->ReadInteger(FRootKey, FCurrentPath, Name, Value);
}

bool TBetterRegistry::ReadString(const std::string& Name, std::string& Value) {
  return Backend && FOpen && Backend->ReadString(FRootKey, FCurrentPath, Name, Value);
}

bool TBetterRegistry::WriteInteger(const std::string& Name, std::int32_t Value) {
  return Backend && FOpen && !FReadOnly && Backend->WriteInteger(FRootKey, FCurrentPath, Name, Value);
}

bool TBetterRegistry::WriteString(const std::string& Name, const std::string& Value) {
  return Backend && FOpen && !FReadOnly && Backend->WriteString(FRootKey, FCurrentPath, Name, Value);
}

bool TBetterRegistry::GetKeyNames(std::vector<std::string>& Names) {
  Names.clear();
  return Backend && FOpen && Backend->GetKeyNames(FRootKey, FCurrentPath, Names);
}
