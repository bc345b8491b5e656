#include "history/record_hash.h"

#include <algorithm>
#include <cstring>

// x86-64's SHA extensions, where the processor has them: a record is hashed
// in a fifth of the time, which is most of what storing it costs.
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define MEGAWHETS_SHA_EXTENSIONS 1
#include <cpuid.h>
#include <immintrin.h>
#else
#define MEGAWHETS_SHA_EXTENSIONS 0
#endif

namespace history {
namespace {

// FIPS 180-4, section 4.2.2: the first 32 bits of the fractional parts of
// the cube roots of the first 64 primes.
constexpr std::uint32_t round_constants[64] = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2};

constexpr std::uint32_t rotated_right(std::uint32_t value, int bits) {
  return (value >> bits) | (value << (32 - bits));
}

#if MEGAWHETS_SHA_EXTENSIONS
// SHA-NI, SSSE3 and SSE4.1, which every processor with the first has, asked
// of the processor itself (CPUID leaves 7 and 1).
bool has_sha_extensions() {
  unsigned a = 0, b = 0, c = 0, d = 0;
  if (__get_cpuid_count(7, 0, &a, &b, &c, &d) == 0 || (b & (1U << 29)) == 0) {
    return false;
  }
  return __get_cpuid(1, &a, &b, &c, &d) != 0 && (c & (1U << 9)) != 0 && (c & (1U << 19)) != 0;
}

const bool sha_extensions = has_sha_extensions();

// The same compression as Sha256::compress below, four rounds to an
// instruction pair. The extensions keep the state as ABEF and CDGH.
__attribute__((target("sha,sse4.1"))) void compress_with_extensions(std::uint32_t state[8],
                                                                   const std::uint8_t *block) {
  const __m128i big_endian = _mm_set_epi64x(0x0c0d0e0f08090a0bLL, 0x0405060700010203LL);
  __m128i dcba = _mm_shuffle_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i *>(&state[0])), 0xB1);
  __m128i hgfe = _mm_shuffle_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i *>(&state[4])), 0x1B);
  __m128i abef = _mm_alignr_epi8(dcba, hgfe, 8);
  __m128i cdgh = _mm_blend_epi16(hgfe, dcba, 0xF0);
  const __m128i abef_before = abef;
  const __m128i cdgh_before = cdgh;
  __m128i words[4];
  for (int group = 0; group < 16; ++group) {
    __m128i &w = words[group % 4];
    if (group < 4) {
      w = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i *>(block + 16 * group)), big_endian);
    } else {
      const __m128i &last = words[(group + 3) % 4];
      const __m128i &before_last = words[(group + 2) % 4];
      w = _mm_sha256msg2_epu32(
          _mm_add_epi32(_mm_sha256msg1_epu32(w, words[(group + 1) % 4]), _mm_alignr_epi8(last, before_last, 4)),
          last);
    }
    __m128i scheduled =
        _mm_add_epi32(w, _mm_loadu_si128(reinterpret_cast<const __m128i *>(&round_constants[4 * group])));
    cdgh = _mm_sha256rnds2_epu32(cdgh, abef, scheduled);
    scheduled = _mm_shuffle_epi32(scheduled, 0x0E);
    abef = _mm_sha256rnds2_epu32(abef, cdgh, scheduled);
  }
  abef = _mm_add_epi32(abef, abef_before);
  cdgh = _mm_add_epi32(cdgh, cdgh_before);
  const __m128i feba = _mm_shuffle_epi32(abef, 0x1B);
  const __m128i dchg = _mm_shuffle_epi32(cdgh, 0xB1);
  _mm_storeu_si128(reinterpret_cast<__m128i *>(&state[0]), _mm_blend_epi16(feba, dchg, 0xF0));
  _mm_storeu_si128(reinterpret_cast<__m128i *>(&state[4]), _mm_alignr_epi8(dchg, feba, 8));
}
#endif

class Sha256 {
public:
  explicit Sha256(bool extensions) : extensions_(extensions) {}

  void add(std::string_view text) {
    length_ += static_cast<std::uint64_t>(text.size());
    while (!text.empty()) {
      const std::size_t taken = std::min(text.size(), block_.size() - filled_);
      std::memcpy(block_.data() + filled_, text.data(), taken);
      filled_ += taken;
      text.remove_prefix(taken);
      if (filled_ == block_.size()) {
        compress();
      }
    }
  }

  RecordHash finish() {
    const std::uint64_t bits = length_ * 8U;
    block_[filled_++] = 0x80;
    if (filled_ > 56) {
      while (filled_ < 64) {
        block_[filled_++] = 0;
      }
      compress();
    }
    while (filled_ < 56) {
      block_[filled_++] = 0;
    }
    for (int i = 7; i >= 0; --i) {
      block_[filled_++] = static_cast<std::uint8_t>(bits >> (8 * i));
    }
    compress();
    RecordHash hash{};
    for (std::size_t i = 0; i < 8; ++i) {
      for (std::size_t b = 0; b < 4; ++b) {
        hash[4 * i + b] = static_cast<std::uint8_t>(state_[i] >> (24 - 8 * b));
      }
    }
    return hash;
  }

private:
  void compress() {
#if MEGAWHETS_SHA_EXTENSIONS
    if (extensions_) {
      compress_with_extensions(state_, block_.data());
      filled_ = 0;
      return;
    }
#endif
    std::uint32_t w[64];
    for (std::size_t i = 0; i < 16; ++i) {
      w[i] = static_cast<std::uint32_t>(block_[4 * i]) << 24 | static_cast<std::uint32_t>(block_[4 * i + 1]) << 16 |
             static_cast<std::uint32_t>(block_[4 * i + 2]) << 8 | static_cast<std::uint32_t>(block_[4 * i + 3]);
    }
    for (std::size_t i = 16; i < 64; ++i) {
      const std::uint32_t s0 = rotated_right(w[i - 15], 7) ^ rotated_right(w[i - 15], 18) ^ (w[i - 15] >> 3);
      const std::uint32_t s1 = rotated_right(w[i - 2], 17) ^ rotated_right(w[i - 2], 19) ^ (w[i - 2] >> 10);
      w[i] = w[i - 16] + s0 + w[i - 7] + s1;
    }
    std::uint32_t a = state_[0], b = state_[1], c = state_[2], d = state_[3];
    std::uint32_t e = state_[4], f = state_[5], g = state_[6], h = state_[7];
    for (std::size_t i = 0; i < 64; ++i) {
      const std::uint32_t s1 = rotated_right(e, 6) ^ rotated_right(e, 11) ^ rotated_right(e, 25);
      const std::uint32_t choice = (e & f) ^ (~e & g);
      const std::uint32_t t1 = h + s1 + choice + round_constants[i] + w[i];
      const std::uint32_t s0 = rotated_right(a, 2) ^ rotated_right(a, 13) ^ rotated_right(a, 22);
      const std::uint32_t majority = (a & b) ^ (a & c) ^ (b & c);
      const std::uint32_t t2 = s0 + majority;
      h = g;
      g = f;
      f = e;
      e = d + t1;
      d = c;
      c = b;
      b = a;
      a = t1 + t2;
    }
    const std::uint32_t added[8] = {a, b, c, d, e, f, g, h};
    for (std::size_t i = 0; i < 8; ++i) {
      state_[i] += added[i];
    }
    filled_ = 0;
  }

  // Section 5.3.3: the first 32 bits of the fractional parts of the square
  // roots of the first 8 primes.
  std::uint32_t state_[8] = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
                             0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};
  std::array<std::uint8_t, 64> block_{};
  std::size_t filled_ = 0;
  std::uint64_t length_ = 0;
  bool extensions_ = false;
};

} // namespace

RecordHash record_hash(std::string_view text) {
#if MEGAWHETS_SHA_EXTENSIONS
  Sha256 sha(sha_extensions);
#else
  Sha256 sha(false);
#endif
  sha.add(text);
  return sha.finish();
}

RecordHash record_hash_portably(std::string_view text) {
  Sha256 sha(false);
  sha.add(text);
  return sha.finish();
}

} // namespace history
