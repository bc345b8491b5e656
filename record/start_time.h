#pragma once

#include "record/text.h"

#include <array>
#include <compare>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace record {

// A run's start time as its record gives it ("2026-12-08T17:00:45Z"), held
// within the run in 16 bytes. Every run's start time is its own, so keeping
// it in the store of shared text (text.h), which only grows, would cost a
// history import a few tens of bytes more for every record read, and a
// comparison of a million records as many; holding the text whole in the run
// would cost a comparison 64 bytes a run. A start time as the program
// writes it is made of digits and "-.:TZ" only, four bits a character, and
// up to 32 characters fit; any other (an offset, a longer or hostile text) is
// kept among the shared texts, as every text was before. Its bytes are given
// back as they were, for the store and for telling runs apart, and start
// times are ordered as their texts are.
class StartTime {
public:
  StartTime() = default; // ""
  explicit StartTime(std::string_view text);

  std::string str() const;

  friend bool operator==(const StartTime &a, const StartTime &b);
  friend std::strong_ordering operator<=>(const StartTime &a, const StartTime &b);

private:
  // Packed: a character a nibble, high nibble first, 0 after the last, so
  // that the bytes order as the texts do. Otherwise packed_[0] is 0, which
  // begins no packed text but the empty one, packed_[1] is 1, and
  // packed_[4..7] hold the shared text's handle.
  bool shared() const { return packed_[0] == 0 && packed_[1] == 1; }

  std::array<std::uint8_t, 16> packed_{};
};

} // namespace record
