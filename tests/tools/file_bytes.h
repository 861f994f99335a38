// Whole files as byte strings, for the accessories' tests.
#pragma once

#include <string>

#include "classlib/core/stream.h"
#include "classlib/core/sys_utils.h"

inline void SaveBytes(const std::string& Name, const std::string& Data) {
  TFileStream F(Name, fmCreate);
  if (!Data.empty()) F.WriteBuffer(Data.data(), static_cast<std::int64_t>(Data.size()));
}

inline std::string LoadBytes(const std::string& Name) {
  TFileStream F(Name, fmOpenRead | fmShareDenyNone);
  std::string S(static_cast<std::size_t>(F.Size()), '\0');
  if (!S.empty()) F.ReadBuffer(S.data(), static_cast<std::int64_t>(S.size()));
  return S;
}
