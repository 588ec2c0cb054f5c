#pragma once
// The generator's random numbers: a fixed algorithm (xoshiro256**) with its
// own range arithmetic, so that a seed gives the same data on every compiler
// and standard library (the std distributions differ between them).
#include <cstddef>
#include <cstdint>
#include <span>

namespace vornel::app::demo {

class DemoRandom {
 public:
  // `stream` tells apart generators made from one seed (one per department).
  explicit DemoRandom(std::uint64_t seed, std::uint64_t stream = 0) {
    std::uint64_t x = seed ^ (stream * 0x9E3779B97F4A7C15ull);
    for (std::uint64_t& word : state_) word = SplitMix(x);
  }

  std::uint64_t Next() {
    const std::uint64_t result = Rotate(state_[1] * 5, 7) * 9;
    const std::uint64_t t = state_[1] << 17;
    state_[2] ^= state_[0];
    state_[3] ^= state_[1];
    state_[1] ^= state_[2];
    state_[0] ^= state_[3];
    state_[2] ^= t;
    state_[3] = Rotate(state_[3], 45);
    return result;
  }

  // 0 .. n-1 (0 when n is 0).
  std::uint64_t Below(std::uint64_t n) { return n == 0 ? 0 : Next() % n; }
  // lo .. hi inclusive.
  int Between(int lo, int hi) {
    return hi <= lo ? lo : lo + static_cast<int>(Below(static_cast<std::uint64_t>(hi - lo) + 1));
  }
  // True `percent` times in a hundred.
  bool Chance(int percent) { return static_cast<int>(Below(100)) < percent; }
  template <typename T>
  const T& Pick(std::span<const T> items) {
    return items[Below(items.size())];
  }

 private:
  static std::uint64_t Rotate(std::uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }
  static std::uint64_t SplitMix(std::uint64_t& x) {
    std::uint64_t z = (x += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }

  std::uint64_t state_[4];
};

}  // namespace vornel::app::demo
