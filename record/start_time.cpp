#include "record/start_time.h"

#include <algorithm>

namespace record {

StartTime::StartTime(std::string_view text) {
  const std::size_t size = std::min(text.size(), most_bytes);
  std::copy_n(text.begin(), size, bytes_.begin());
  size_ = static_cast<std::uint8_t>(size);
}

} // namespace record
