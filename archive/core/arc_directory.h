// The header walks of the lister, one per archive kind: where the first header is, how
// one header step reads an entry and finds the next header, and which fields it fills.
// All numbers are little-endian unless a kind says otherwise.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "archive/core/arc_type.h"

class TTravik;

class TArcDirWalker {
public:
  explicit TArcDirWalker(TTravik& Owner) : T(Owner) {}
  virtual ~TArcDirWalker() = default;
  // Sets the fixed header length, the cursor of the first header and the end limit; may
  // read the archive comment. A fault it reports leaves nothing to walk.
  virtual void SetUp() = 0;
  // One header: T.Header holds the fixed part read at T.HeaderPos - 1. Sets the cursor to
  // the next header, or ends the walk.
  virtual void Step() = 0;

protected:
  TTravik& T;
};

// The walker of a kind; nullptr for kinds with nothing to list (atUnsupported).
std::unique_ptr<TArcDirWalker> MakeArcDirWalker(TArcType Kind, TTravik& Owner);

// The method text of an entry (the lister's table). Flags: the ZIP general-purpose flags
// or the ARJ file type; Attr: the entry's attributes (ZIP, RAR folders).
std::string CompressMethodNameOf(TArcType Kind, uint16_t MethodID, uint32_t Flags, uint32_t Attr);
