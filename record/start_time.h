#pragma once

#include <array>
#include <compare>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace record {

// A run's start time as its record gives it ("2026-12-08T17:00:45Z"), held
// within the run. Every run's start time is its own, so keeping it in the
// store of shared text (text.h), which only grows, would cost a history
// import or a comparison a few tens of bytes more for every record read;
// here it costs a fixed size, freed with the run. Its bytes are kept as they
// were, for the store and for telling runs apart.
class StartTime {
public:
  // The longest start time a run holds: as long as the reader takes
  // (record_reader.h's longest_start_time).
  static constexpr std::size_t most_bytes = 64;

  StartTime() = default; // ""
  // The text, which the reader has bounded; cut at most_bytes where a
  // caller gives more, never overrunning.
  explicit StartTime(std::string_view text);

  std::string_view view() const { return {bytes_.data(), size_}; }
  std::string str() const { return std::string(view()); }

  friend bool operator==(const StartTime &a, const StartTime &b) { return a.view() == b.view(); }
  friend std::strong_ordering operator<=>(const StartTime &a, const StartTime &b) { return a.view() <=> b.view(); }

private:
  std::array<char, most_bytes> bytes_{};
  std::uint8_t size_ = 0;
};

} // namespace record
