#include "html/core/frame_model.h"

#include <algorithm>
#include <cstdlib>

#include "classlib/core/sys_utils.h"

TFrameNode* TFrameNode::Add(std::unique_ptr<TFrameNode> Child) {
  Child->Parent = this;
  Children.push_back(std::move(Child));
  return Children.back().get();
}

int TFrameNode::DocumentDepth() const {
  int n = 0;
  for (const TFrameNode* p = Parent; p; p = p->Parent)
    if (!p->IsSet) ++n;
  return n;
}

std::vector<int> FrameSizes(const std::string& List, int Total) {
  Total = std::max(Total, 0);
  // Entries: kind 0 pixels, 1 percent, 2 star (weight).
  std::vector<std::pair<int, int>> entries;
  std::size_t pos = 0;
  while (pos <= List.size() && !List.empty()) {
    std::size_t comma = List.find(',', pos);
    if (comma == std::string::npos) comma = List.size();
    std::string e = Trim(List.substr(pos, comma - pos));
    pos = comma + 1;
    if (e.empty()) {
      if (comma == List.size()) break;
      continue;
    }
    long v = std::strtol(e.c_str(), nullptr, 10);
    if (e.back() == '*') entries.push_back({2, v > 0 ? int(std::min(v, 1000L)) : 1});
    else if (e.back() == '%') entries.push_back({1, int(std::clamp(v, 0L, 100L))});
    else entries.push_back({0, int(std::clamp(v, 0L, 100000L))});
    if (entries.size() >= 100) break;  // a frame set of more is not a layout
  }
  if (entries.empty()) return {Total};
  std::vector<int> sizes(entries.size(), 0);
  long long fixed = 0;
  int stars = 0;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (entries[i].first == 0) sizes[i] = entries[i].second;
    else if (entries[i].first == 1) sizes[i] = int((long long)Total * entries[i].second / 100);
    else stars += entries[i].second;
    if (entries[i].first != 2) fixed += sizes[i];
  }
  if (stars > 0 && fixed <= Total) {
    int rest = int(Total - fixed), given = 0, last = -1;
    for (std::size_t i = 0; i < entries.size(); ++i)
      if (entries[i].first == 2) {
        sizes[i] = int((long long)rest * entries[i].second / stars);
        given += sizes[i];
        last = int(i);
      }
    sizes[std::size_t(last)] += rest - given;
    return sizes;
  }
  // Too much or too little asked: scale the fixed entries to the total (stars get nothing).
  for (std::size_t i = 0; i < entries.size(); ++i)
    if (entries[i].first == 2) sizes[i] = 0;
  if (fixed <= 0) {
    int n = int(entries.size());
    for (int i = 0; i < n; ++i) sizes[std::size_t(i)] = Total / n + (i < Total % n ? 1 : 0);
    return sizes;
  }
  int given = 0, last = -1;
  for (std::size_t i = 0; i < entries.size(); ++i)
    if (entries[i].first != 2) {
      sizes[i] = int((long long)sizes[i] * Total / fixed);
      given += sizes[i];
      last = int(i);
    }
  sizes[std::size_t(last)] += Total - given;
  return sizes;
}

namespace {

TFrameNode* FindNamed(TFrameNode* Node, const std::string& Name) {
  if (!Node->IsSet && !Node->Name.empty() && SameText(Node->Name, Name)) return Node;
  for (auto& c : Node->Children)
    if (TFrameNode* f = FindNamed(c.get(), Name)) return f;
  return nullptr;
}

}  // namespace

TTargetResult ResolveTarget(TFrameNode* Top, TFrameNode* Clicked, const std::string& Target) {
  TTargetResult r;
  if (Target.empty() || SameText(Target, "_self")) {
    r.Kind = ttSelf;
    r.Node = Clicked;
  } else if (TFrameNode* named = FindNamed(Top, Target)) {
    r.Kind = ttNamed;
    r.Node = named;
  } else if (SameText(Target, "_top")) {
    r.Kind = ttTop;
    r.Node = Top;
  } else if (SameText(Target, "_parent")) {
    r.Kind = ttParent;
    TFrameNode* p = Clicked ? Clicked->Parent : nullptr;
    while (p && p != Top && p->IsSet) p = p->Parent;
    r.Node = p ? p : Top;
  }
  return r;
}

void CollectFrames(TFrameNode* Node, std::vector<TFrameNode*>& Frames) {
  if (!Node->IsSet) Frames.push_back(Node);
  for (auto& c : Node->Children) CollectFrames(c.get(), Frames);
}

void TFrameHistory::DropForward() {
  if (Index <= 0) return;
  Entries.erase(Entries.begin(), Entries.begin() + std::min<std::size_t>(std::size_t(Index), Entries.size()));
  Index = 0;
}

void TFrameHistory::Record(const std::string& Name, const TViewPosition& Left, std::uint64_t Seq) {
  if (!Entries.empty() && Index < int(Entries.size())) Entries[std::size_t(Index)].Position = Left;
  // The new entry's place is known once it is left.
  Entries.insert(Entries.begin(), TFrameHistoryEntry{Name, TViewPosition{-1, 0}, Seq});
  Index = 0;
}

std::uint64_t NextFrameSeq() {
  static std::uint64_t counter = 0;
  return counter++;
}

int PickBackStep(const std::vector<const TFrameHistory*>& Histories) {
  int best = -1;
  std::uint64_t bestSeq = 0;
  for (int i = 0; i < int(Histories.size()); ++i) {
    const TFrameHistory* h = Histories[std::size_t(i)];
    if (!h || !h->CanGoBack()) continue;
    std::uint64_t seq = h->Entries[std::size_t(h->Index)].Seq;
    if (best < 0 || seq > bestSeq) {
      best = i;
      bestSeq = seq;
    }
  }
  return best;
}

int PickForwardStep(const std::vector<const TFrameHistory*>& Histories) {
  int best = -1;
  std::uint64_t bestSeq = 0;
  for (int i = 0; i < int(Histories.size()); ++i) {
    const TFrameHistory* h = Histories[std::size_t(i)];
    if (!h || !h->CanGoForward()) continue;
    std::uint64_t seq = h->Entries[std::size_t(h->Index - 1)].Seq;
    if (best < 0 || seq < bestSeq) {
      best = i;
      bestSeq = seq;
    }
  }
  return best;
}
