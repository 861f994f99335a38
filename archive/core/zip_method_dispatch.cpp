#include "archive/core/zip_method_dispatch.h"

#include <memory>
#include <new>
#include <vector>

#include "archive/core/arc_base.h"
#include "archive/core/entry_io.h"
#include "archive/core/explode.h"
#include "archive/core/inflate.h"
#include "archive/core/unreduce.h"
#include "archive/core/unshrink.h"
#include "archive/core/zip_crypt.h"

// The decoders' buffers and tables, made once per reader and kept with its running state:
// its entries run one at a time, and an archive of many small files should not pay for
// them per entry. (Not thread-local: MinGW may free a thread's storage before running the
// destructors of its thread-local objects.)
struct TZipDecoderState {
  TBitInput In;
  TDecodeWindow Out;
  std::unique_ptr<TInflater> Inflater;
  std::unique_ptr<TUnshrinker> Unshrinker;
  std::unique_ptr<TUnreducer> Unreducer;
  std::unique_ptr<TExploder> Exploder;
};

namespace {

TZipDecoderState& State() {
  TArcEngineState& E = ArcEngineNow();
  if (!E.ZipDecoders) E.ZipDecoders = std::make_shared<TZipDecoderState>();
  return *E.ZipDecoders;
}

template <class T>
T* Tables(std::unique_ptr<T>& P) {
  if (!P) P.reset(new (std::nothrow) T);
  return P.get();
}

// Decrypts every block as it is read.
class TDecryptSource : public TByteSource {
public:
  explicit TDecryptSource(TByteSource& Inner) : FInner(Inner) {}
  size_t Read(uint8_t* Buf, size_t Size) override {
    size_t N = FInner.Read(Buf, Size);
    DecryptBuffer(Buf, N);
    return N;
  }

private:
  TByteSource& FInner;
};

}  // namespace

void ZipMethodDispatch(TUnBase& R, const TZipMethodEntry& E, bool Encrypted, int64_t* Consumed) {
  int64_t Remaining = E.PackedSize - (Encrypted ? 12 : 0);
  if (Remaining < 0) Remaining = 0;
  R.ProgressStep = R.ProgressStepFor(Remaining);
  R.Engine.Crc32Val = 0xFFFFFFFF;
  if (Consumed) *Consumed = 0;

  const uint16_t M = E.Method;
  if (M == 7 || M > 8) R.RaiseArchiveError(R.FileName, "", "0", errUnsupportedMethod);

  TEntrySource File(R.ArcFile, Remaining, R.ProgressStepPercent);
  File.CancelFlag = &R.Cancel;
  TDecryptSource Decrypted(File);
  TByteSource& Src = Encrypted ? static_cast<TByteSource&>(Decrypted) : File;
  TEntrySink Sink(R.OutFile, 32);

  if (M == 0) {
    std::vector<uint8_t> Buf(32768);
    for (;;) {
      size_t N = Src.Read(Buf.data(), Buf.size());
      if (N == 0) break;
      if (!Sink.Write(Buf.data(), N)) R.RaiseArchiveError(R.FileName, "", "0", errWritingFile);
    }
    if (Consumed) *Consumed = File.Done();
    return;
  }
  // Nothing to decode: an empty entry makes no output and no complaint, whatever its method.
  if (E.UnpackedSize == 0 && Remaining == 0) return;

  TZipDecoderState& S = State();
  S.In.Reset(&Src);
  S.Out.Reset(&Sink);
  TDecodeResult Res;
  switch (M) {
    case 1: {
      TUnshrinker* U = Tables(S.Unshrinker);
      if (!U) return;  // no memory for the tables: the entry ends without output
      Res = U->Run(S.In, S.Out);
      break;
    }
    case 2: case 3: case 4: case 5: {
      TUnreducer* U = Tables(S.Unreducer);
      if (!U) return;
      Res = U->Run(S.In, S.Out, M - 1, uint64_t(E.UnpackedSize));
      break;
    }
    case 6: {
      TExploder* X = Tables(S.Exploder);
      if (!X) return;
      Res = X->Run(S.In, S.Out, E.Flags, uint64_t(E.UnpackedSize));
      break;
    }
    default: {
      TInflater* I = Tables(S.Inflater);
      if (!I) R.RaiseArchiveError(R.FileName, "", "0", errOutOfMemory);
      Res = I->Run(S.In, S.Out, &R.Cancel);
      break;
    }
  }
  // What the window holds goes out also after an error: the CRC then tells the damage.
  bool Flushed = Res == TDecodeResult::WriteError ? false : S.Out.Finish();
  if (Consumed) *Consumed = int64_t(S.In.Fetched() - S.In.UnusedBytes());
  S.In.Reset(nullptr);
  S.Out.Reset(nullptr);
  if (!Flushed) R.RaiseArchiveError(R.FileName, "", "0", errWritingFile);

  const std::string& FN = R.FileName;
  switch (Res) {
    case TDecodeResult::Ok:
      if (M >= 2 && !R.Cancel) ArcReportProgress(100);
      break;
    case TDecodeResult::Truncated:
    case TDecodeResult::BadData:
      R.ReportArchiveError(FN, "", "0", errBadBlock);
      break;
    case TDecodeResult::StoredLength:
      // A damaged stored block: the rest of the run would only produce garbage.
      R.ReportArchiveError(FN, "", "0", errBadBlock);
      R.SetCancel(true);
      break;
    case TDecodeResult::InvalidCode:
      R.ReportArchiveError(FN, "", "0", errInvalidCode);
      break;
    case TDecodeResult::StackOverflow:
      R.ReportArchiveError(FN, "", "0", errStackOverflow);
      break;
    case TDecodeResult::BadLengths:
      R.RaiseArchiveError(FN, "", "0", errBadLengths);
    case TDecodeResult::IncompleteCodeSet:
      R.RaiseArchiveError(FN, "", "0", errIncompleteCodeSet);
    case TDecodeResult::AmbiguousTree:
      R.RaiseArchiveError(FN, "", "0", errAmbiguousTree);
    default:
      R.RaiseArchiveError(FN, "", "0", errBadBlock);
  }
}
