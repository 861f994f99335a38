// The cabinets make_cabs.py writes at build time, and the manifest that tells what each
// holds: the first cabinet of every archive (or set), its files as a reader gives them,
// and the damaged ones every reader must refuse.
#pragma once

#include <gtest/gtest.h>

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "corpus_util.h"

struct TGenFile {
  std::string Name;  // in 1251, as the readers give it
  size_t Size = 0;
  uint32_t Crc = 0;
};

struct TGenArchive {
  std::string First;  // the first cabinet's file name
  int Cabinets = 1;
  std::vector<TGenFile> Files;
};

struct TGenBad {
  std::string Name, Reason;
};

inline std::string GenCabDir() { return SlashToBackslash(ZX_CABS_DIR) + "\\"; }
inline std::string GenCab(const std::string& Name) { return GenCabDir() + Name; }

struct TGenManifest {
  std::vector<TGenArchive> Archives;
  std::vector<TGenBad> Bad;
  const TGenArchive* Find(const std::string& First) const {
    for (const TGenArchive& a : Archives)
      if (a.First == First) return &a;
    ADD_FAILURE() << "no generated archive " << First;
    return nullptr;
  }
};

inline std::string FromHex(const std::string& Hex) {
  std::string s;
  for (size_t i = 0; i + 1 < Hex.size(); i += 2) s += char(std::stoi(Hex.substr(i, 2), nullptr, 16));
  return s;
}

inline const TGenManifest& GenManifest() {
  static const TGenManifest M = [] {
    TGenManifest m;
    const TByteVec raw = ReadWholeFile(GenCab("cabs.txt"));
    if (raw.empty()) ADD_FAILURE() << "no manifest in " << GenCabDir() << " (make_cabs.py)";
    std::istringstream in(std::string(raw.begin(), raw.end()));
    std::string kind;
    while (in >> kind) {
      if (kind == "archive") {
        TGenArchive a;
        in >> a.First >> a.Cabinets;
        m.Archives.push_back(a);
      } else if (kind == "file" && !m.Archives.empty()) {
        std::string hex, crc;
        TGenFile f;
        in >> hex >> f.Size >> crc;
        f.Name = FromHex(hex);
        f.Crc = static_cast<uint32_t>(std::stoul(crc, nullptr, 16));
        m.Archives.back().Files.push_back(f);
      } else if (kind == "bad") {
        TGenBad b;
        in >> b.Name;
        std::getline(in, b.Reason);
        m.Bad.push_back(b);
      }
    }
    return m;
  }();
  return M;
}

// Runs Work on a thread of its own and waits for it to finish; a run that never ends fails
// the test instead of blocking the suite (its thread is left behind, with what it holds).
// True when the work finished.
inline bool RunGuarded(std::function<void()> Work, int CapSeconds = 120) {
  struct TState {
    std::mutex M;
    std::condition_variable Done;
    bool Finished = false;
  };
  auto state = std::make_shared<TState>();
  auto work = std::make_shared<std::function<void()>>(std::move(Work));
  std::thread([state, work] {
    (*work)();
    std::lock_guard<std::mutex> lock(state->M);
    state->Finished = true;
    state->Done.notify_all();
  }).detach();
  std::unique_lock<std::mutex> lock(state->M);
  if (state->Done.wait_for(lock, std::chrono::seconds(CapSeconds), [&] { return state->Finished; })) return true;
  ADD_FAILURE() << "the run did not end";
  return false;
}
