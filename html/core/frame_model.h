// What the frame viewer knows without windows: the tree of FRAMESET and FRAME tags of a
// frameset document, the sizes that ROWS and COLS give, link targets between frames, and
// the two-level history's choice of which frame steps back or forward.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "html/core/html_viewer_core.h"

// One FRAMESET (IsSet) or FRAME. A frame whose document is itself a frameset holds that
// frameset as its one child once it is loaded.
class TFrameNode {
public:
  explicit TFrameNode(bool AIsSet) : IsSet(AIsSet) {}
  bool IsSet;
  TFrameNode* Parent = nullptr;
  std::vector<std::unique_ptr<TFrameNode>> Children;
  TFrameNode* Add(std::unique_ptr<TFrameNode> Child);
  // How many frames stand above this node: the depth of frameset documents inside frames.
  int DocumentDepth() const;

  // FRAMESET
  std::string Rows, Cols;
  int BorderWidth = 4;
  bool FrameBorder = true;
  // FRAME
  std::string Source;       // as written (SRC)
  std::string Name;         // NAME
  int MarginWidth = 10, MarginHeight = 5;
  bool NoScroll = false, NoReSize = false;
  // Anything the windows side keeps with the node (its panel).
  void* Tag = nullptr;
};

// Sizes of the entries of a ROWS or COLS list within Total pixels: pixel entries first, then
// percentages, then "*" entries share what is left by their weights ("2*" counts twice).
// When what is asked does not add up to Total, the pixel and percentage entries are scaled
// to it. An empty list gives one entry of Total.
std::vector<int> FrameSizes(const std::string& List, int Total);

// Where a link's target sends the document. Top is the document's top frame set, Clicked
// the frame whose viewer was clicked.
enum TTargetKind { ttSelf, ttNamed, ttTop, ttParent, ttUnknown };
struct TTargetResult {
  TTargetKind Kind = ttUnknown;
  TFrameNode* Node = nullptr;  // the frame or frame set that loads the link
};
// Frame names are compared without regard to case. An empty target or "_self" is the
// clicked frame; a known name is that frame; "_top" the top set; "_parent" the nearest
// frame or top set above the clicked frame's set; any other name is unknown (no node).
TTargetResult ResolveTarget(TFrameNode* Top, TFrameNode* Clicked, const std::string& Target);
// Every FRAME below Node, in document order.
void CollectFrames(TFrameNode* Node, std::vector<TFrameNode*>& Frames);

// One frame's own history: entry 0 the newest, Index the one shown. Each entry carries the
// sequence number of the step that made it, from one counter for all frames, so that steps
// are undone across frames in the order they were made.
struct TFrameHistoryEntry {
  std::string Name;
  TViewPosition Position;
  std::uint64_t Seq = 0;
};
class TFrameHistory {
public:
  std::vector<TFrameHistoryEntry> Entries;
  int Index = 0;
  bool CanGoBack() const { return Index <= int(Entries.size()) - 2; }
  bool CanGoForward() const { return Index >= 1; }
  // Drops the entries newer than the shown one.
  void DropForward();
  // A step to Name: the shown entry keeps the place being left, the new entry goes on top
  // (its place, Section -1, is not known until it is left).
  void Record(const std::string& Name, const TViewPosition& Left, std::uint64_t Seq);
};
// The next sequence number (it never runs out).
std::uint64_t NextFrameSeq();
// Of the histories given, the one whose step back undoes the latest step (the largest
// sequence number at its shown entry), or -1 when none can step back.
int PickBackStep(const std::vector<const TFrameHistory*>& Histories);
// The one whose step forward redoes the earliest undone step, or -1.
int PickForwardStep(const std::vector<const TFrameHistory*>& Histories);
