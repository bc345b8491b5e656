#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace history {

// SHA-256 of a record's text, by which the store keeps each record once.
// Two texts that differ by a byte are two records; a shorter hash would let
// a record made to collide with another, or plain bad luck among millions,
// be dropped as a copy. A faster hash that is not cryptographic would let a
// hostile file be made whose records collide with the history's own, and so
// be dropped unseen; no one can make two texts of one SHA-256. Nettle's,
// which uses the processor's SHA extensions where it has them, took 1.7 to
// 2.2 microseconds for a record of 2,100 bytes on a busy build machine.
using RecordHash = std::array<std::uint8_t, 32>;

RecordHash record_hash(std::string_view text);

} // namespace history
