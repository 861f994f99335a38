// Helpers of the lister tests: one run of TTravik over a file, with every event and the
// fields of every reported entry written down.
#pragma once

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "archive/core/travik.h"
#include "arc_test_util.h"
#include "classlib/core/sys_utils.h"

inline std::string ListerFixture(const std::string& Name) { return FixturePath("lister/" + Name); }

inline std::string DateText(TDateTime D) {
  int y, m, d, h, mi, s, ms;
  DecodeDate(D, y, m, d);
  DecodeTime(D, h, mi, s, ms);
  char b[32];
  snprintf(b, sizeof b, "%04d-%02d-%02d %02d:%02d:%02d", y, m, d, h, mi, s);
  return b;
}

struct TListed {
  std::string Name;
  int64_t Packed = 0, Unpacked = 0;
  uint32_t Crc = 0;
  std::string Method;
  std::string Date;
  int Filenum = 0;
  int Offset = 0;
  bool Encrypted = false;
  std::string Comment;
  std::string Volume;
  uint32_t Attr = 0;
};

struct TListing {
  bool Result = false;
  std::vector<TListed> Entries;
  std::vector<std::string> Names;   // OnReadFile
  std::vector<std::string> Events;  // in order
  std::vector<int> Errors;
  std::vector<std::string> ErrorMsgEx;
  int Totals = -1;
  int64_t TotalPacked = 0, TotalUnpacked = 0;
  uint8_t TotalRatio = 0;
  std::string ArchiveComment;  // as OnTotals saw it
};

// The time zone is pinned to UTC for the run, so Unix dates read as the fixtures were made.
inline TListing ListArchive(const std::string& Path, const std::function<void(TTravik&)>& Setup = {}) {
  const auto savedBias = ArcTimeZoneBias;
  ArcTimeZoneBias = [](int64_t) { return 0; };
  TListing L;
  TTravik T(nullptr);
  T.OnError = [&](TObject*, const std::string&, const std::string& MsgEx, const std::string&, int ECode) {
    L.Errors.push_back(ECode);
    L.ErrorMsgEx.push_back(MsgEx);
    L.Events.push_back("Error");
  };
  T.OnActivate = [&](TObject*) { L.Events.push_back("Activate"); };
  T.OnDeactivate = [&](TObject*) { L.Events.push_back("Deactivate"); };
  T.OnElapsedTime = [&](TObject*, float) { L.Events.push_back("ElapsedTime"); };
  T.OnReadFile = [&](TObject*, const std::string& N) {
    L.Names.push_back(N);
    L.Events.push_back("ReadFile");
  };
  T.OnReadBegin = [&](TObject*) { L.Events.push_back("ReadBegin"); };
  T.OnReadEnd = [&](TObject*) { L.Events.push_back("ReadEnd"); };
  T.OnRead = [&](TObject*, int Offset, int Filenum) {
    L.Events.push_back("Read");
    TListed e;
    e.Name = T.FileName;
    e.Packed = T.PackedSize;
    e.Unpacked = T.UnpackedSize;
    e.Crc = T.CRC;
    e.Method = T.CompressMethodName;
    e.Date = DateText(T.Date);
    e.Filenum = Filenum;
    e.Offset = Offset;
    e.Encrypted = T.Encrypted;
    e.Comment = T.EntryComment;
    e.Volume = T.VolumeID;
    e.Attr = T.ExternalAttr;
    L.Entries.push_back(e);
  };
  T.OnTotals = [&](TObject*, int N) {
    L.Events.push_back("Totals");
    L.Totals = N;
    L.TotalPacked = T.TotalPackedSize;
    L.TotalUnpacked = T.TotalUnpackedSize;
    L.TotalRatio = T.TotalRatio;
    L.ArchiveComment = T.ArchiveComment;
  };
  T.SetArchiveFile(Path);
  if (Setup) Setup(T);
  L.Result = T.Activate();
  ArcTimeZoneBias = savedBias;
  return L;
}

// The expected fields of one entry (name, packed, unpacked, CRC, method, date); AnyCrc and
// a null date are not compared.
constexpr uint32_t AnyCrc = 0xFFFFFFFF;
struct TExpect {
  const char* Name;
  int64_t Packed, Unpacked;
  uint32_t Crc;
  const char* Method;
  const char* Date;
};

#define EXPECT_LISTED(L, ...)                                                           \
  do {                                                                                  \
    const std::vector<TExpect> want_ = __VA_ARGS__;                                     \
    ASSERT_EQ((L).Entries.size(), want_.size());                                        \
    for (size_t i_ = 0; i_ < want_.size(); ++i_) {                                      \
      SCOPED_TRACE(want_[i_].Name);                                                     \
      EXPECT_EQ((L).Entries[i_].Name, want_[i_].Name);                                  \
      EXPECT_EQ((L).Entries[i_].Packed, want_[i_].Packed);                              \
      EXPECT_EQ((L).Entries[i_].Unpacked, want_[i_].Unpacked);                          \
      if (want_[i_].Crc != AnyCrc) {                                                    \
        EXPECT_EQ((L).Entries[i_].Crc, want_[i_].Crc);                                  \
      }                                                                                 \
      EXPECT_EQ((L).Entries[i_].Method, want_[i_].Method);                              \
      if (want_[i_].Date) {                                                             \
        EXPECT_EQ((L).Entries[i_].Date, want_[i_].Date);                                \
      }                                                                                 \
    }                                                                                   \
  } while (0)
