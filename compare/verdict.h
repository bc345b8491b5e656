#pragma once

// What a comparison says of each thing it judged, as a type: every output
// shows it through one table of words, classes and colours
// (output/verdict_style.h), never by reading text, so that a group
// or a host named like a verdict stays a name.
namespace compare {

enum class Verdict {
  none,             // nothing was judged: a fleet's groups when they are not its hosts
  base,             // the group the others are judged against
  faster,           // significantly faster than the base
  slower,           // significantly slower than the base
  no_change,        // no significant change: "~"
  too_few,          // fewer records on a side than are ever judged: "n<4"
  too_few_to_tell,  // no outcome of groups of these sizes could be significant at the level asked
  only_ties_differ, // significant, but only values both groups share tell them apart: no shift
  ok,               // a host within its stratum
  slow,             // a host below its stratum, apart from it and by enough to matter
  fast,             // the mirror of slow
  unjudged,         // a host of a stratum too small to judge
  same,             // megawhets ab: the interval holds 0 and lies within the threshold
  undecided,        // megawhets ab: the interval holds 0 and reaches past the threshold
};

} // namespace compare
