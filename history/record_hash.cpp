#include "history/record_hash.h"

#include <nettle/sha2.h>

namespace history {

RecordHash record_hash(std::string_view text) {
  sha256_ctx context;
  sha256_init(&context);
  // An empty view may hold no pointer at all, which no copy may be handed.
  if (!text.empty()) {
    sha256_update(&context, text.size(), reinterpret_cast<const std::uint8_t *>(text.data()));
  }
  RecordHash hash;
  sha256_digest(&context, hash.size(), hash.data());
  return hash;
}

} // namespace history
