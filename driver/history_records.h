#pragma once

#include "record/record_reader.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace driver {

// Every record the RECORD arguments lead to, as compare reads them, each
// with its text as it was written, ending in a line break as --json ends
// it: what the history stores and export gives back. An argument that
// cannot be read gives one entry of its own, with an empty text.
void for_each_record_text(const std::vector<std::string> &arguments,
                          const std::function<void(std::string_view, const record::ReadRecord &)> &take);

// The records of one text, as a file holding it gives them, named "SOURCE,
// record N".
void for_each_record_text_in(std::string_view text, const std::string &source,
                             const std::function<void(std::string_view, const record::ReadRecord &)> &take);

} // namespace driver
