#pragma once

#include <compare>
#include <cstdint>
#include <string>
#include <string_view>

// Text that many records share (a processor's model, a compiler, its flags,
// a host's name), kept once however many records give it, so that a
// million records cost their figures and not a million copies of the same
// words.
namespace record {

// A handle on text kept for the life of the program: four bytes, copied
// freely, never dangling. Two handles are equal exactly when their texts
// are. The texts are kept in one store for the whole program, which only
// grows, by the texts it is given: the same text given twice is kept once.
// The store serves one thread at a time.
class Text {
public:
  Text() = default; // ""
  explicit Text(std::string_view text);

  std::string_view view() const;
  std::string str() const { return std::string(view()); }
  bool empty() const { return index_ == 0; }

  friend bool operator==(Text a, Text b) { return a.index_ == b.index_; }
  friend bool operator==(Text a, std::string_view b) { return a.view() == b; }
  friend std::strong_ordering operator<=>(Text a, Text b) {
    return a.index_ == b.index_ ? std::strong_ordering::equal : a.view() <=> b.view();
  }

private:
  std::uint32_t index_ = 0; // into the store; 0 is ""
};

} // namespace record
