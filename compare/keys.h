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

// What a run has for the key, field by field, none where the record gives
// nothing (a null label, no host name): runs agree on a key when these are
// equal, so that no two values that differ can fall into one group however
// they are written.
using KeyFields = std::vector<std::optional<record::Text>>;
KeyFields key_fields(const record::RecordedRun &run, Key key);

// The fields of every key given, one after another: a group's identity.
KeyFields fields_of(const record::RecordedRun &run, const std::vector<Key> &keys);

// What a run has for the key, as a group's name shows it: a field from the
// record is quoted where it could be read otherwise (shown_field), and a
// missing one is a placeholder ("no label", "unknown host").
std::string key_value(const record::RecordedRun &run, Key key);

// The values of the keys, comma-separated: "alpha, gcc-13"; "all runs"
// without keys.
std::string group_name(const record::RecordedRun &run, const std::vector<Key> &keys);

// A text from a record as a name shows it: in double quotes, any quote in it
// doubled, when it is empty, begins or ends with a space, holds a comma, a
// semicolon or a double quote (which separate and quote the parts of a
// name), or reads as one of the placeholders a name uses for what is
// missing. Otherwise as it is. So a name reads back into its parts one way
// only.
std::string shown_field(std::string_view text);

// The placeholders a name uses, which shown_field quotes where a record
// holds them as text.
inline constexpr std::string_view placeholders[] = {"no label", "unknown host", "unknown processor",
                                                    "all runs", "one process"};

// What a host shares with its peers in a fleet: its processor, its build and
// its copies, which together set the rate it should reach. Its identity, and
// its name: "AMD EPYC 7763, 64 processors; g++ 12.2.0, -O2, x86-64; one
// process".
KeyFields stratum_fields(const record::RecordedRun &run);
std::string stratum_of(const record::RecordedRun &run);

// The keys, in the order above, on which the runs do not all agree.
std::vector<Key> differing_keys(const std::vector<const record::RecordedRun *> &runs);

} // namespace compare
