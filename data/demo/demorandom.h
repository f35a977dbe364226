#pragma once

#include <cstdint>

namespace vela::demo {

// A small random source with its own arithmetic, so the same seed gives the
// same demo data on every machine and library version.
class DemoRandom {
  public:
    explicit DemoRandom(std::uint64_t seed) : state_(seed) {}

    std::uint64_t next() {
        // splitmix64
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }

    // A whole number in [lo, hi].
    int between(int lo, int hi) { return lo + int(next() % std::uint64_t(hi - lo + 1)); }

    // A number in [0, 1).
    double unit() { return double(next() >> 11) * (1.0 / 9007199254740992.0); }

    bool chance(double p) { return unit() < p; }

    template <typename List>
    const auto& pick(const List& list) {
        return list[size_t(next() % list.size())];
    }

  private:
    std::uint64_t state_;
};

}  // namespace vela::demo
