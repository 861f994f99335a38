// Whole files as byte strings, for tests that make fixtures and compare results.
#pragma once

#include <cstdint>
#include <string>

#include "classlib/core/stream.h"

// Creates (replaces) FileName with exactly Bytes.
inline void WriteFileBytes(const std::string& FileName, const std::string& Bytes) {
  TFileStream F(FileName, fmCreate);
  if (!Bytes.empty()) F.WriteBuffer(Bytes.data(), int64_t(Bytes.size()));
}

// The whole of FileName; raises when it cannot be read.
inline std::string ReadFileBytes(const std::string& FileName) {
  TMemoryStream S;
  S.LoadFromFile(FileName);
  return std::string(static_cast<const char*>(S.Memory()), size_t(S.Size()));
}
