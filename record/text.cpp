#include "record/text.h"

#include <cstring>
#include <deque>
#include <functional>
#include <limits>
#include <memory>
#include <stdexcept>
#include <vector>

namespace record {
namespace {

// Every text once: its bytes in large blocks, a view of each by its index,
// and an open-addressed table of the indices by the texts' hashes, kept at
// most half full. A text costs its bytes, 16 bytes of view and 8 of table,
// rather than a string's 32 and a node of a hash set besides.
class Store {
public:
  Store() : views_{std::string_view()}, table_(1024, 0) {}

  std::uint32_t index_of(std::string_view text) {
    if (text.empty()) {
      return 0;
    }
    const std::size_t hash = std::hash<std::string_view>{}(text);
    std::size_t slot = hash & (table_.size() - 1);
    for (; table_[slot] != 0; slot = (slot + 1) & (table_.size() - 1)) {
      if (views_[table_[slot]] == text) {
        return table_[slot];
      }
    }
    if (views_.size() == std::numeric_limits<std::uint32_t>::max()) {
      throw std::length_error("more distinct texts than the records' store can hold");
    }
    const auto index = static_cast<std::uint32_t>(views_.size());
    views_.push_back(kept(text));
    table_[slot] = index;
    if (views_.size() * 2 > table_.size()) {
      grow();
    }
    return index;
  }

  std::string_view view(std::uint32_t index) const { return views_[index]; }

private:
  static constexpr std::size_t block_size = 64 * 1024;

  // A copy of the text that never moves: in the current block, or on its
  // own when it would take much of one.
  std::string_view kept(std::string_view text) {
    if (text.size() > block_size / 4) {
      large_.push_back(std::make_unique<char[]>(text.size()));
      std::memcpy(large_.back().get(), text.data(), text.size());
      return {large_.back().get(), text.size()};
    }
    if (blocks_.empty() || block_left_ < text.size()) {
      blocks_.push_back(std::make_unique<char[]>(block_size));
      block_left_ = block_size;
    }
    char *at = blocks_.back().get() + (block_size - block_left_);
    std::memcpy(at, text.data(), text.size());
    block_left_ -= text.size();
    return {at, text.size()};
  }

  void grow() {
    std::vector<std::uint32_t> table(table_.size() * 2, 0);
    for (std::uint32_t index = 1; index < views_.size(); ++index) {
      std::size_t slot = std::hash<std::string_view>{}(views_[index]) & (table.size() - 1);
      while (table[slot] != 0) {
        slot = (slot + 1) & (table.size() - 1);
      }
      table[slot] = index;
    }
    table_ = std::move(table);
  }

  std::deque<std::string_view> views_;
  std::vector<std::uint32_t> table_;
  std::vector<std::unique_ptr<char[]>> blocks_{};
  std::vector<std::unique_ptr<char[]>> large_{}; // a text that would take much of a block, on its own
  std::size_t block_left_ = 0;
};

// Made on first use and never destroyed, so that a handle is good until the
// program ends, whatever else is destroyed before it.
Store &store() {
  static Store *const the_store = new Store;
  return *the_store;
}

} // namespace

Text::Text(std::string_view text) : index_(store().index_of(text)) {}

std::string_view Text::view() const { return store().view(index_); }

} // namespace record
