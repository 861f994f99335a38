#include "archive/core/un_tar.h"

#include "archive/core/entry_io.h"
#include "archive/core/tar_header.h"

const TClassInfo* TUnTAR::StaticClassInfo() {
  static const TClassInfo Info = [] {
    TClassBuilder<TUnTAR, TUnBase> B("TUnTAR");
    return PublishReaderProps(B).Build();
  }();
  return &Info;
}

void TUnTAR::ExtractIt() {
  FPos = ArcStartOffset > 0 ? ArcStartOffset - 1 : 0;
  RunExtraction({atTAR});
}

TEntryStep TUnTAR::ReadEntryHeader(TArcEntry& A) {
  TArcFileInput In(ArcFile);
  TTarEntry E;
  const TTarStep Step = TarNextEntry(In, FPos, E);
  if (Step == tsEnd) return esEnd;
  A.Name = ArchiveNameToAnsi(E.H.Name);
  if (Step != tsEntry) {
    // Not a header, or cut short: the archive is damaged here, and nothing after it can
    // be trusted.
    A.Error = Step == tsTruncated ? errReadingFile : errBadFileHeader;
    return esBroken;
  }
  if (E.Next <= FPos) return esEnd;
  FPos = E.Next;
  // Links and devices make no file; empty files do.
  A.Kind = E.IsDirectory ? ekFolder : TarIsFile(E.H.Type) ? ekFile : ekOther;
  A.PackedSize = A.UnpackedSize = E.H.Size;
  A.CrcKind = 0;
  A.Date = ConvertDate(E.H.MTime);
  A.DataPos = E.DataPos;
  return esEntry;
}
