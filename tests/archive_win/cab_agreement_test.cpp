// The lister and the cabinet reader over every generated cabinet: the same files, names and
// sizes, and the same complaint about a damaged cabinet or set.
#include <gtest/gtest.h>

#include "archive/un_cab.h"
#include "generated_cabs.h"
#include "tests/archive/lister_test_util.h"

namespace {

struct TSeen {
  std::vector<std::pair<std::string, int64_t>> Files;  // name, size
  std::vector<int> Errors;
};

TSeen Listed(const std::string& Cab) {
  const TListing L = ListArchive(Cab, [](TTravik& T) {
    T.OnNextVolume = [](TObject*, std::string&, std::string&, const std::string&, bool, bool&) {};
  });
  TSeen S;
  for (const TListed& E : L.Entries) S.Files.emplace_back(E.Name, E.Unpacked);
  S.Errors = L.Errors;
  return S;
}

// What the reader extracted whole.
TSeen Extracted(const std::string& Cab) {
  TSeen S;
  auto Run = std::make_shared<std::pair<TTempDir, TReaderEvents>>();
  auto Reader = std::make_shared<TUnCAB>(nullptr);
  Reader->OnNextVolume = [](TObject*, std::string&, std::string&, const std::string&, bool, bool&) {};
  if (!RunGuarded([Run, Reader, Cab] { ExtractInto(*Reader, Run->second, Cab, Run->first.Path()); })) return S;
  const std::string Dir = Run->first.Path();
  for (const auto& E : Run->second.Ends)
    if (E.second) S.Files.emplace_back(E.first.substr(Dir.size()), int64_t(ReadWholeFile(E.first).size()));
  S.Errors = Run->second.Errors;
  return S;
}

TEST(CabAgreement, ListerAndReaderSeeTheSameFiles) {
  TKeepCurrentDir Keep;
  ASSERT_FALSE(GenManifest().Archives.empty());
  for (const TGenArchive& A : GenManifest().Archives) {
    SCOPED_TRACE(A.First);
    std::vector<std::pair<std::string, int64_t>> Want;
    for (const TGenFile& F : A.Files) Want.emplace_back(F.Name, int64_t(F.Size));
    const TSeen L = Listed(GenCab(A.First));
    EXPECT_TRUE(L.Errors.empty());
    EXPECT_EQ(L.Files, Want);
    const TSeen R = Extracted(GenCab(A.First));
    EXPECT_TRUE(R.Errors.empty());
    EXPECT_EQ(R.Files, L.Files);
  }
}

// A damaged cabinet or set: both tell the same error first (never an empty listing in
// silence), and the reader has nothing whole that the lister did not list.
TEST(CabAgreement, BothRefuseDamagedCabinetsAlike) {
  TKeepCurrentDir Keep;
  ASSERT_FALSE(GenManifest().Bad.empty());
  for (const TGenBad& B : GenManifest().Bad) {
    SCOPED_TRACE(B.Name + B.Reason);
    const TSeen L = Listed(GenCab(B.Name));
    const TSeen R = Extracted(GenCab(B.Name));
    ASSERT_FALSE(L.Errors.empty());
    ASSERT_FALSE(R.Errors.empty());
    EXPECT_EQ(L.Errors.front(), R.Errors.front());
    EXPECT_FALSE(L.Files.empty());
    for (const auto& F : R.Files) EXPECT_NE(std::find(L.Files.begin(), L.Files.end(), F), L.Files.end()) << F.first;
  }
}

}  // namespace
