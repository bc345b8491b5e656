#pragma once

#include <cstdint>
#include <span>

// The history's tables, version by version. A file's version is kept in
// SQLite's user_version; the application_id marks the file as a history.
namespace history {

// "MWHS": a file with another id, other than an empty one, is not a
// history, and is left alone.
inline constexpr std::int64_t history_application_id = 0x4d574853;

// Step i takes a history of version i to version i + 1; an empty file is
// version 0. Each step is fixed SQL, and steps are never edited once
// released: a change to the tables is a new step, so that every history
// ever written comes up to this program's version.
std::span<const char *const> schema_steps();

inline std::int64_t schema_version() { return static_cast<std::int64_t>(schema_steps().size()); }

} // namespace history
