// Helpers of the LHA, ZOO, ARJ and ARC reader tests: the plain files the fixtures were
// made of, and a recorder of a reader's events.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "archive/core/arc_base.h"
#include "arc_test_util.h"

inline std::string OldFixture(const std::string& Name) { return FixturePath("oldfmt/" + Name); }
inline TByteVec Plain(const std::string& Name) { return ReadWholeFile(OldFixture("plain/" + Name)); }

struct TReaderEvents {
  std::vector<std::string> Begins;          // name as given to OnBegin
  std::vector<int> BeginRecNums;
  std::vector<std::pair<std::string, bool>> Ends;
  std::vector<int> Errors;                  // error ids in order
  std::vector<std::string> ErrorNames;
  int Activates = 0, Deactivates = 0;
  std::vector<int> Progress;
  bool ExtractAll = true;

  void Bind(TUnBase& R) {
    R.OnError = [this](TObject*, const std::string& FN, const std::string&, const std::string&, int ECode) {
      Errors.push_back(ECode);
      ErrorNames.push_back(FN);
    };
    R.OnBegin = [this](TObject*, const std::string& FN, int RecNum, bool& Extract) {
      Begins.push_back(FN);
      BeginRecNums.push_back(RecNum);
      Extract = ExtractAll;
    };
    R.OnEnd = [this](TObject*, const std::string& FN, bool Pass) { Ends.emplace_back(FN, Pass); };
    R.OnActivate = [this](TObject*) { Activates++; };
    R.OnDeactivate = [this](TObject*) { Deactivates++; };
    R.OnProgress = [this](TObject*, const std::string&, uint8_t P) { Progress.push_back(P); };
  }
  int FailedEnds() const {
    int N = 0;
    for (auto& E : Ends) N += !E.second;
    return N;
  }
};

// Runs Reader over Archive into Out; the events are recorded.
inline void ExtractInto(TUnBase& Reader, TReaderEvents& Ev, const std::string& Archive, const std::string& Out) {
  Ev.Bind(Reader);
  Reader.SetArchiveFile(Archive);
  Reader.SetExtractDir(Out);
  Reader.Extract();
}

// A copy of a fixture with Edit applied, written into Dir.
template <class F>
std::string EditedCopy(const std::string& Dir, const std::string& Fixture, const std::string& Name, F Edit) {
  TByteVec Data = ReadWholeFile(OldFixture(Fixture));
  Edit(Data);
  WriteWholeFile(Dir + Name, Data);
  return Dir + Name;
}
