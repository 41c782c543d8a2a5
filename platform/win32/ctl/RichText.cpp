// The runs of formats: a sorted vector of starts, so finding the run at a position is a binary search
// and an edit moves only the runs after it (none when typing at the end of a long document).

#include "platform/win32/ctl/RichText.h"

#include <algorithm>

namespace xj::ctl {

void RunList::Reset(size_t length, uint32_t value) {
  FRuns.assign(1, Run { 0, value });
  FLength = length;
}

size_t RunList::IndexAt(size_t pos) const {
  auto it = std::upper_bound(FRuns.begin(), FRuns.end(), pos, [](size_t p, const Run& r) { return p < r.start; });
  return (size_t)(it - FRuns.begin()) - 1;  // the first run starts at 0, so there is always one before
}

void RunList::MergeAt(size_t index) {
  if (index + 1 < FRuns.size() && FRuns[index + 1].value == FRuns[index].value)
    FRuns.erase(FRuns.begin() + (long)index + 1);
  if (index > 0 && index < FRuns.size() && FRuns[index - 1].value == FRuns[index].value)
    FRuns.erase(FRuns.begin() + (long)index);
}

void RunList::Set(size_t from, size_t to, uint32_t value) {
  to = std::min(to, FLength);
  if (from == FLength) {  // a run of no bytes at the end: the format of an empty last paragraph
    if (FRuns.back().start != FLength) FRuns.push_back(Run { FLength, value });
    FRuns.back().value = value;
    MergeAt(FRuns.size() - 1);
    return;
  }
  if (from >= to) return;
  const bool tail = to < FLength;
  const uint32_t after = tail ? At(to) : 0;
  auto first = std::lower_bound(FRuns.begin(), FRuns.end(), from, [](const Run& r, size_t p) { return r.start < p; });
  auto last = std::upper_bound(first, FRuns.end(), to, [](size_t p, const Run& r) { return p < r.start; });
  const size_t at = (size_t)(first - FRuns.begin());
  std::vector<Run> put { Run { from, value } };
  if (tail) put.push_back(Run { to, after });
  FRuns.erase(first, last);
  FRuns.insert(FRuns.begin() + (long)at, put.begin(), put.end());
  if (tail) MergeAt(at + 1);
  MergeAt(at);
}

void RunList::Append(size_t count, uint32_t value) {
  if (count == 0) return;
  if (FLength == 0)
    FRuns.assign(1, Run { 0, value });
  else if (FRuns.back().value != value)
    FRuns.push_back(Run { FLength, value });
  FLength += count;
}

void RunList::Follow(size_t from, size_t removed, size_t inserted, bool stickRight) {
  from = std::min(from, FLength);
  removed = std::min(removed, FLength - from);
  const size_t end = from + removed, length = FLength - removed + inserted;
  // Runs starting in [from, end] lose their text but the last, which goes on after the insertion; the
  // run at 0 stays there, so an insertion at the very start takes the first format.
  auto byStart = [](const Run& r, size_t p) { return r.start < p; };
  auto i = std::lower_bound(FRuns.begin() + 1, FRuns.end(), from, byStart);
  auto k = std::upper_bound(i, FRuns.end(), end, [](size_t p, const Run& r) { return p < r.start; });
  for (auto j = k; j != FRuns.end(); ++j) j->start = j->start - removed + inserted;
  size_t at = (size_t)(i - FRuns.begin());
  if (k != i) {
    (k - 1)->start = from + inserted;
    FRuns.erase(i, k - 1);
    if (FRuns[at].start > length || (FRuns[at].start == length && at + 1 < FRuns.size())) {
      FRuns.erase(FRuns.begin() + (long)at);
    } else if (length > 0 && FRuns[at].start == FRuns[at - 1].start) {  // the first run lost all it held
      FRuns.erase(FRuns.begin() + (long)at - 1);
      MergeAt(at - 1);
    } else {
      MergeAt(at);
    }
  }
  FLength = length;
  if (length == 0) FRuns.resize(1);  // nothing left: the first run's value is what comes next
  if (stickRight && inserted > 0 && from + inserted < length) Set(from, from + inserted, At(from + inserted));
}

std::vector<RunList::Run> RunList::Slice(size_t from, size_t to) const {
  std::vector<Run> out;
  to = std::min(to, FLength);
  if (from >= to) return { Run { 0, At(from) } };
  for (size_t i = IndexAt(from); i < FRuns.size() && FRuns[i].start < to; ++i)
    out.push_back(Run { std::max(FRuns[i].start, from) - from, FRuns[i].value });
  return out;
}

void RunList::Replace(uint32_t from, uint32_t to) {
  std::vector<Run> out;
  for (Run r : FRuns) {
    if (r.value == from) r.value = to;
    if (out.empty() || out.back().value != r.value) out.push_back(r);
  }
  FRuns = std::move(out);
}

void RunList::Visit(size_t from, size_t to, const std::function<void(size_t, size_t, uint32_t)>& f) const {
  to = std::min(to, FLength);
  for (size_t i = IndexAt(from); i < FRuns.size() && FRuns[i].start < to; ++i)
    f(std::max(FRuns[i].start, from), std::min(EndOf(i), to), FRuns[i].value);
}

RichText::RichText() {
  defaultChar = chars.Intern(CharFormat {});
  Reset(0);
}

void RichText::Reset(size_t length) {
  charRuns.Reset(length, defaultChar);
  paraRuns.Reset(length, paras.Intern(ParaFormat {}));
}

uint32_t RichText::TypingFormat(size_t caret) const {
  if (FCaretFormat >= 0 && FCaretAt == caret) return (uint32_t)FCaretFormat;
  return charRuns.At(caret > 0 ? caret - 1 : 0);
}

bool RichText::Protected(size_t from, size_t to) const {
  if (from == to) return from > 0 && from < charRuns.Length() && CharAt(from - 1).protect && CharAt(from).protect;
  bool any = false;
  charRuns.Visit(from, to, [&](size_t, size_t, uint32_t v) { any = any || chars[v].protect; });
  return any;
}

namespace {

// The span of a followed by that of b, whose text starts `length` bytes on.
std::vector<RunList::Run> Join(std::vector<RunList::Run> a, const std::vector<RunList::Run>& b, size_t length) {
  for (RunList::Run r : b) a.push_back(RunList::Run { r.start + length, r.value });
  return a;
}

}  // namespace

void RichText::Edited(size_t from, size_t removed, size_t inserted, uint64_t step, bool undoing) {
  const FormatSpan gone = Cut(from, from + removed);
  uint32_t typed = removed > 0 ? charRuns.At(from) : TypingFormat(from);
  const bool inside = from + removed < charRuns.Length() && CharAt(from + removed).protect;
  if (chars[typed].protect && !inside) {
    CharFormat open = chars[typed];
    open.protect = false;
    typed = chars.Intern(open);
  }
  Follow(from, removed, inserted);
  FCaretFormat = -1;
  if (undoing) {
    Put(from, FUndoLength, FUndoFormats);
    FUndoAt = from;
    FUndoLength = removed;
    FUndoFormats = gone;
    return;
  }
  charRuns.Set(from, from + inserted, typed);
  if (step != FStep) {
    FStep = step;
    FUndoAt = from;
    FUndoLength = removed;
    FUndoFormats = gone;
  } else if (removed > 0 && from < FUndoAt) {  // Backspace goes on leftwards
    FUndoFormats.chars = Join(gone.chars, FUndoFormats.chars, removed);
    FUndoFormats.paras = Join(gone.paras, FUndoFormats.paras, removed);
    FUndoAt = from;
    FUndoLength += removed;
  } else if (removed > 0) {  // Delete goes on rightwards
    FUndoFormats.chars = Join(FUndoFormats.chars, gone.chars, FUndoLength);
    FUndoFormats.paras = Join(FUndoFormats.paras, gone.paras, FUndoLength);
    FUndoLength += removed;
  }
}

void RichText::Keep(size_t from, size_t to, uint64_t step) {
  FStep = step;
  FUndoAt = from;
  FUndoLength = to - from;
  FUndoFormats = Cut(from, to);
}

void RichText::Put(size_t at, size_t length, const FormatSpan& span) {
  const auto put = [&](RunList& runs, const std::vector<RunList::Run>& list) {
    for (size_t i = 0; i < list.size(); ++i)
      runs.Set(at + list[i].start, at + (i + 1 < list.size() ? list[i + 1].start : length), list[i].value);
  };
  put(charRuns, span.chars);
  put(paraRuns, span.paras);
}

namespace {

// Each piece of [from, to) of `runs` in the value f makes of it.
template <class T, class F>
void Remap(RunList& runs, FormatTable<T>& table, size_t from, size_t to, const F& f) {
  std::vector<std::pair<size_t, size_t>> spans;
  std::vector<uint32_t> values;
  runs.Visit(from, to, [&](size_t a, size_t b, uint32_t v) {
    spans.emplace_back(a, b);
    values.push_back(table.Intern(f(table[v])));
  });
  for (size_t i = 0; i < spans.size(); ++i) runs.Set(spans[i].first, spans[i].second, values[i]);
}

}  // namespace

void RichText::Restyle(size_t from, size_t to, const std::function<CharFormat(const CharFormat&)>& f) {
  Remap(charRuns, chars, from, to, f);
}

void RichText::Reshape(size_t from, size_t to, const std::function<ParaFormat(const ParaFormat&)>& f) {
  Remap(paraRuns, paras, from, to, f);
}

void RichText::SetDefault(const CharFormat& f) {
  const uint32_t id = chars.Intern(f);
  charRuns.Replace(defaultChar, id);
  for (RunList::Run& r : FUndoFormats.chars)  // text an undo brings back follows too
    if (r.value == defaultChar) r.value = id;
  defaultChar = id;
}

RichDocument Excerpt(const RichText& rich, std::string text, size_t from) {
  RichDocument doc;
  const size_t to = from + text.size();
  doc.text = std::move(text);
  doc.rich.defaultChar = doc.rich.chars.Intern(rich.chars[rich.defaultChar]);
  const auto copy = [&](const auto& table, const RunList& runs, auto& into, RunList& out) {
    const std::vector<RunList::Run> slice = runs.Slice(from, to);
    for (size_t i = 0; i < slice.size(); ++i) {
      const size_t end = i + 1 < slice.size() ? slice[i + 1].start : to - from;
      out.Append(end - slice[i].start, into.Intern(table[slice[i].value]));
    }
    if (slice.size() == 1 && to == from) out.Reset(0, into.Intern(table[slice[0].value]));
  };
  doc.rich.charRuns.Reset(0, doc.rich.defaultChar);
  copy(rich.chars, rich.charRuns, doc.rich.chars, doc.rich.charRuns);
  doc.rich.paraRuns.Reset(0, doc.rich.paras.Intern(ParaFormat {}));
  copy(rich.paras, rich.paraRuns, doc.rich.paras, doc.rich.paraRuns);
  return doc;
}

void PasteFormats(RichText& into, size_t at, const RichDocument& doc) {
  const size_t n = doc.text.size();
  const auto put = [&](const RunList& runs, auto& from, auto& table, RunList& out) {
    const std::vector<RunList::Run>& list = runs.Runs();
    for (size_t i = 0; i < list.size(); ++i)
      out.Set(at + list[i].start, at + std::min(n, runs.EndOf(i)), table.Intern(from[list[i].value]));
  };
  put(doc.rich.charRuns, doc.rich.chars, into.chars, into.charRuns);
  put(doc.rich.paraRuns, doc.rich.paras, into.paras, into.paraRuns);
}

namespace {

// Letters count on past z as aa, ab, ... ; Roman numerals go to 3999, decimal past it.
std::string Letters(int n, char a) {
  std::string out;
  for (; n > 0; n = (n - 1) / 26) out.insert(out.begin(), (char)(a + (n - 1) % 26));
  return out;
}

std::string Roman(int n, bool upper) {
  static constexpr std::pair<int, const char*> kParts[] = { { 1000, "m" }, { 900, "cm" }, { 500, "d" }, { 400, "cd" },
                                                            { 100, "c" },  { 90, "xc" },  { 50, "l" },  { 40, "xl" },
                                                            { 10, "x" },   { 9, "ix" },   { 5, "v" },   { 4, "iv" },
                                                            { 1, "i" } };
  if (n <= 0 || n > 3999) return std::to_string(n);
  std::string out;
  for (const auto& [value, letters] : kParts)
    for (; n >= value; n -= value) out += letters;
  if (upper) std::transform(out.begin(), out.end(), out.begin(), [](char c) { return (char)(c - 'a' + 'A'); });
  return out;
}

}  // namespace

std::string NumberText(const ParaFormat& p, int n) {
  std::string number;
  switch (p.numbering) {
    case Numbering::None:
    case Numbering::Bullet:
      return "";
    case Numbering::Decimal:
      number = std::to_string(n);
      break;
    case Numbering::LowerLetter:
    case Numbering::UpperLetter:
      number = n > 0 ? Letters(n, p.numbering == Numbering::LowerLetter ? 'a' : 'A') : std::to_string(n);
      break;
    case Numbering::LowerRoman:
    case Numbering::UpperRoman:
      number = Roman(n, p.numbering == Numbering::UpperRoman);
      break;
  }
  static constexpr const char* kBefore[] = { "", "(", "", "", "" };
  static constexpr const char* kAfter[] = { ")", ")", ".", "", "" };
  const int style = (int)p.numberStyle;
  return p.numberStyle == NumberStyle::Hidden ? "" : kBefore[style] + number + kAfter[style];
}

}  // namespace xj::ctl
