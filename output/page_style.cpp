#include "output/page_style.h"

namespace output {

// Only the fonts the reader's system has, so that the page loads nothing.
// Orange text is darker than orange marks: the marks' orange on white is
// too pale to read as text.
std::string_view page_style() {
  return R"css(
:root { --blue: #0072b2; --blue-text: #005a8c; --orange: #e69f00; --orange-text: #8a4b00;
  --orange-pale: #fde9c8; --slate: #4d5966; --green: #009e73; --green-text: #00664a; --grey: #c3c9cf; --ink: #1d232a; --rule: #e3e6e9; }
body { font: 15px/1.45 system-ui, -apple-system, "Segoe UI", Roboto, "DejaVu Sans", sans-serif;
  color: var(--ink); background: #fff; margin: 0 auto; max-width: 64rem; padding: 1rem 1.25rem 3rem; }
h1 { font-size: 1.5rem; margin: 0.5rem 0 0.25rem; }
h2 { font-size: 1.2rem; margin: 2rem 0 0.5rem; border-bottom: 1px solid var(--rule); padding-bottom: 0.2rem; }
h3 { font-size: 1rem; margin: 1.25rem 0 0.1rem; }
p { margin: 0.4rem 0; }
.summary { color: #3c4650; }
.verdicts { font-size: 1.05rem; }
.name { unicode-bidi: isolate; overflow-wrap: anywhere; }
svg.chart { display: block; width: 100%; height: auto; max-width: 880px; margin: 0.25rem 0; }
svg text { font: 12px system-ui, -apple-system, "Segoe UI", Roboto, "DejaVu Sans", sans-serif; fill: var(--ink); }
svg text.small { font-size: 11px; }
svg .axis line { stroke: var(--rule); }
svg .axis text, svg text.axis-caption, svg text.panel-title { fill: #5b6670; }
svg .panel-frame { fill: none; stroke: #aab2ba; stroke-width: 1; }
svg rect.base { fill: var(--slate); }
svg rect.faster { fill: var(--blue); }
svg rect.slower { fill: var(--orange); }
svg rect.unclear, svg rect.few, svg rect.unjudged, svg rect.none { fill: var(--grey); }
svg rect.ok { fill: var(--slate); }
svg rect.slow { fill: var(--orange); }
svg rect.fast { fill: var(--blue); }
svg rect.median { stroke: var(--ink); stroke-width: 0.8; }
svg .interval { stroke: var(--ink); stroke-width: 1.5; fill: none; }
svg .interval.range { stroke-dasharray: 3 2; }
svg .record { fill: var(--ink); fill-opacity: 0.8; stroke: #fff; stroke-width: 0.8; }
svg .record.warned { fill: #fff; fill-opacity: 1; stroke: var(--ink); stroke-width: 1.2; }
svg .base-line, svg .stratum-median { stroke: var(--ink); stroke-width: 1.5; stroke-dasharray: 5 3; }
svg .slow-band { fill: var(--orange-pale); }
svg .host { stroke-width: 1; }
svg .host.ok { fill: var(--slate); fill-opacity: 0.55; stroke: none; }
svg .host.slow { fill: var(--orange); stroke: #5c3200; }
svg .host.fast { fill: var(--blue); stroke: #00304d; }
svg .host.unjudged { fill: #fff; stroke: var(--slate); }
svg .leader { stroke: #7b858f; stroke-width: 0.8; }
svg text.slow, .slow-text { fill: var(--orange-text); color: var(--orange-text); }
svg text.fast, .fast-text { fill: var(--blue-text); color: var(--blue-text); }
svg text.slower { fill: var(--orange-text); }
svg text.faster { fill: var(--blue-text); }
svg text.base { font-weight: 600; }
.legend { list-style: none; padding: 0; margin: 0.25rem 0 0.75rem; display: flex; flex-wrap: wrap; gap: 0.2rem 1.25rem;
  font-size: 0.9rem; color: #3c4650; }
.legend svg { vertical-align: -0.2em; margin-right: 0.3rem; }
.chip { display: inline-block; padding: 0 0.45em; border-radius: 0.6em; font-weight: 600; }
.chip.slow { background: var(--orange-pale); color: var(--orange-text); }
.chip.fast { background: #d6eaf6; color: var(--blue-text); }
.chip.ok, .chip.unjudged { background: #eceff1; color: #3c4650; }
table { border-collapse: collapse; margin: 0.5rem 0; font-size: 0.88rem; }
th, td { padding: 0.2rem 0.6rem; border-bottom: 1px solid var(--rule); text-align: left; vertical-align: top; }
th { background: #f4f6f7; position: sticky; top: 0; }
td.num, th.num { text-align: right; font-variant-numeric: tabular-nums; white-space: nowrap; }
tr.slow td { background: var(--orange-pale); }
tr.fast td { background: #e4f1f9; }
tr.base td:first-child { font-weight: 600; }
.table-wrap { overflow-x: auto; }
details > summary { cursor: pointer; margin: 0.5rem 0; }
.notes, .excluded { font-size: 0.9rem; color: #3c4650; }
.closing { margin-top: 1.5rem; font-weight: 600; }
/* megawhets ab: A in slate and B in bluish green (apart from the verdicts' blue and orange, and from
   each other for every common colour blindness, by lightness too), each named beside its line. */
svg .trace { fill: none; stroke-width: 1.5; stroke-opacity: 0.8; }
svg .trace.program-a { stroke: var(--slate); }
svg .trace.program-b { stroke: var(--green); }
svg .slice.program-a { fill: var(--slate); }
svg .slice.program-b { fill: var(--green); }
svg text.program-a { fill: var(--slate); font-weight: 600; }
svg text.program-b { fill: var(--green-text); font-weight: 600; }
.chip.program-a { background: #e6e9ec; color: var(--slate); }
.chip.program-b { background: #d3efe6; color: var(--green-text); }
svg .round { fill: var(--ink); fill-opacity: 0.75; }
svg .round.off-scale { fill: #fff; stroke: var(--ink); stroke-width: 1.5; }
svg rect.band { stroke-width: 1; }
svg rect.band.faster { fill: #d6eaf6; stroke: var(--blue); }
svg rect.band.slower { fill: var(--orange-pale); stroke: var(--orange); }
svg rect.band.same, svg rect.band.undecided { fill: #eceff1; stroke: #7b858f; }
svg text.verdict-label.same, svg text.verdict-label.undecided { fill: #3c4650; }
svg .estimate { stroke: var(--ink); stroke-width: 1.5; }
svg .threshold { stroke: #7b858f; stroke-width: 1; stroke-dasharray: 4 3; }
svg rect.unpaired { fill: none; stroke: var(--ink); stroke-width: 1.2; stroke-dasharray: 3 2; }
.chip.faster { background: #d6eaf6; color: var(--blue-text); }
.chip.slower { background: var(--orange-pale); color: var(--orange-text); }
.chip.same, .chip.undecided, .chip.base { background: #eceff1; color: #3c4650; }
)css";
}

} // namespace output
