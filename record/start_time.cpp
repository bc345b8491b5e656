#include "record/start_time.h"

#include <cstring>
#include <type_traits>

namespace record {
namespace {

// The characters a packed start time may hold, in the order of their bytes,
// each at its nibble: 0 is the end of the text.
constexpr std::string_view alphabet("\0-.0123456789:TZ", 16);
constexpr std::size_t most_packed = 32;

int code_of(char c) {
  const std::size_t at = alphabet.find(c, 1);
  return at == std::string_view::npos ? -1 : static_cast<int>(at);
}

} // namespace

StartTime::StartTime(std::string_view text) {
  bool packable = text.size() <= most_packed;
  for (std::size_t i = 0; packable && i < text.size(); ++i) {
    const int code = code_of(text[i]);
    packable = code > 0;
    if (packable) {
      packed_[i / 2] = static_cast<std::uint8_t>(packed_[i / 2] | (i % 2 == 0 ? code << 4 : code));
    }
  }
  if (!packable) {
    packed_ = {};
    packed_[1] = 1;
    const Text kept(text);
    static_assert(sizeof kept <= 12 && std::is_trivially_copyable_v<Text>);
    std::memcpy(&packed_[4], &kept, sizeof kept);
  }
}

std::string StartTime::str() const {
  if (shared()) {
    Text kept;
    std::memcpy(&kept, &packed_[4], sizeof kept);
    return kept.str();
  }
  std::string text;
  for (std::size_t i = 0; i < most_packed; ++i) {
    const int code = i % 2 == 0 ? packed_[i / 2] >> 4 : packed_[i / 2] & 0x0F;
    if (code == 0) {
      break;
    }
    text += alphabet[static_cast<std::size_t>(code)];
  }
  return text;
}

bool operator==(const StartTime &a, const StartTime &b) {
  // A text that packs is always packed, so a packed and a shared start time
  // differ; two shared ones are equal when their handles are.
  return a.packed_ == b.packed_;
}

std::strong_ordering operator<=>(const StartTime &a, const StartTime &b) {
  if (!a.shared() && !b.shared()) {
    const int order = std::memcmp(a.packed_.data(), b.packed_.data(), a.packed_.size());
    return order < 0 ? std::strong_ordering::less : order > 0 ? std::strong_ordering::greater : std::strong_ordering::equal;
  }
  return a.str() <=> b.str();
}

} // namespace record
