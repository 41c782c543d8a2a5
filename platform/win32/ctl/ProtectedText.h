#pragma once
// The rich edit's protected text: sorted, disjoint byte spans that follow the text through every edit.

#include <algorithm>
#include <cstddef>
#include <utility>
#include <vector>

namespace xj::ctl {

class ProtectedText {
 public:
  enum class State { None, All, Mixed };

  void Clear() { FSpans.clear(); }

  // Marks [from, to) protected, or not; touching spans join.
  void Set(size_t from, size_t to, bool on) {
    if (from >= to) return;
    std::vector<std::pair<size_t, size_t>> out;
    for (auto [a, b] : FSpans) {
      if (b <= from || a >= to) {
        out.push_back({ a, b });
        continue;
      }
      if (a < from) out.push_back({ a, from });
      if (b > to) out.push_back({ to, b });
    }
    if (on) out.push_back({ from, to });
    std::sort(out.begin(), out.end());
    FSpans.clear();
    for (auto s : out)
      if (!FSpans.empty() && FSpans.back().second >= s.first)
        FSpans.back().second = std::max(FSpans.back().second, s.second);
      else
        FSpans.push_back(s);
  }

  // Whether replacing [from, to) changes protected text: a deletion that overlaps it, or an insertion
  // strictly inside it (text added at either end of a span is not protected).
  bool Touches(size_t from, size_t to) const {
    for (auto [a, b] : FSpans)
      if (from == to ? (a < from && from < b) : (a < to && from < b)) return true;
    return false;
  }

  // [from, to) all protected, none of it, or partly; an empty range asks about the text around it.
  State StateOf(size_t from, size_t to) const {
    if (from == to) return Touches(from, to) ? State::All : State::None;
    size_t covered = 0;
    for (auto [a, b] : FSpans) covered += std::min(b, to) > std::max(a, from) ? std::min(b, to) - std::max(a, from) : 0;
    return covered == 0 ? State::None : covered == to - from ? State::All : State::Mixed;
  }

  // `removed` bytes at `from` became `inserted` bytes: spans after the change move, spans inside it lose
  // what went, and text inserted at a span's end stays outside it.
  void Follow(size_t from, size_t removed, size_t inserted) {
    const size_t end = from + removed;
    auto start = [&](size_t p) { return p < from ? p : p >= end ? p - removed + inserted : from + inserted; };
    auto stop = [&](size_t p) { return p <= from ? p : p >= end ? p - removed + inserted : from; };
    std::vector<std::pair<size_t, size_t>> out;
    for (auto [a, b] : FSpans) {
      const size_t na = start(a), nb = stop(b);
      if (na < nb) out.push_back({ na, nb });
    }
    FSpans = std::move(out);
  }

  const std::vector<std::pair<size_t, size_t>>& Spans() const { return FSpans; }

 private:
  std::vector<std::pair<size_t, size_t>> FSpans;
};

}  // namespace xj::ctl
