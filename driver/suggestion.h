#pragma once

#include <optional>
#include <span>
#include <string_view>

namespace driver {

// The known option a mistyped one most likely meant: within two letters of
// it (a letter wrong, missing, extra, or two swapped), or of as much of it as
// was typed ("--stric", "--copy"), and close enough for its length that a
// short slip does not stand for a different word. Nothing when none is, or
// when two are equally close.
std::optional<std::string_view> closest_option(std::string_view given, std::span<const std::string_view> known);

} // namespace driver
