#pragma once
// Runs of a few bytes moved without a call: the rows of a face's pieces, a frame's sides and the slivers of
// background between controls are mostly shorter than what a call to memmove costs.

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace xj {

// N bytes, from the size of Word to twice it, as two moves of Word that may overlap each other; both are
// read before either is written, so the run may overlap its source as memmove's may.
template <class Word>
inline void MoveTwo(uint8_t* D, const uint8_t* S, size_t N) {
  Word a, b;
  std::memcpy(&a, S, sizeof a);
  std::memcpy(&b, S + N - sizeof b, sizeof b);
  std::memcpy(D, &a, sizeof a);
  std::memcpy(D + N - sizeof b, &b, sizeof b);
}

struct Bytes16 {
  uint64_t Lo, Hi;
};

// Up to 32 bytes by two moves of the widest size that fits; fewer than four go byte by byte, front to back.
inline void MoveShort(uint8_t* D, const uint8_t* S, size_t N) {
  if (N >= 16)
    MoveTwo<Bytes16>(D, S, N);
  else if (N >= 8)
    MoveTwo<uint64_t>(D, S, N);
  else if (N >= 4)
    MoveTwo<uint32_t>(D, S, N);
  else
    for (size_t i = 0; i < N; ++i) D[i] = S[i];
}

// Rows of N bytes each, Stride bytes apart on each side, the move chosen once for their length rather than
// again for every row: a piece of a face is mostly a narrow band many rows high.
inline void MoveRows(uint8_t* D, ptrdiff_t DStride, const uint8_t* S, ptrdiff_t SStride, int64_t Rows, size_t N) {
  auto each = [&](auto move) {
    for (int64_t y = 0; y < Rows; ++y, D += DStride, S += SStride) move(D, S);
  };
  if (N > 32)
    each([N](uint8_t* d, const uint8_t* s) { std::memmove(d, s, N); });
  else if (N >= 16)
    each([N](uint8_t* d, const uint8_t* s) { MoveTwo<Bytes16>(d, s, N); });
  else if (N >= 8)
    each([N](uint8_t* d, const uint8_t* s) { MoveTwo<uint64_t>(d, s, N); });
  else if (N >= 4)
    each([N](uint8_t* d, const uint8_t* s) { MoveTwo<uint32_t>(d, s, N); });
  else
    each([N](uint8_t* d, const uint8_t* s) { MoveShort(d, s, N); });
}

}  // namespace xj
