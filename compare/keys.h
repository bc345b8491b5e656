#pragma once

#include "compare/comparison.h"
#include "record/recorded_run.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace compare {

// Every key, in the order a group's name gives them.
inline constexpr Key all_keys[] = {Key::label, Key::host, Key::processor, Key::build, Key::copies};

// The name --by takes ("label", "host", "processor", "build", "copies").
std::string_view key_name(Key key);
std::optional<Key> key_named(std::string_view name);

// What a run has for the key, as a group's name shows it.
std::string key_value(const record::RecordedRun &run, Key key);

// What a host shares with its peers in a fleet: its processor, its build and
// its copies, which together set the rate it should reach.
std::string stratum_of(const record::RecordedRun &run);

// The keys, in the order above, on which the runs do not all agree.
std::vector<Key> differing_keys(const std::vector<const record::RecordedRun *> &runs);

} // namespace compare
