#pragma once

#include <string>

// What the program needs to know of the system it runs on, kept apart from
// everything else so that each operating system has one file of its own.
namespace driver {

bool standard_output_is_terminal();

// Takes the character type locale from the environment (and only that, so
// numbers keep their decimal point) and says whether it encodes UTF-8.
bool character_locale_is_utf8();

} // namespace driver
