#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Text from records (host names, labels, file names) made safe for the page.
namespace output {

// The text as a reader should see it, in valid UTF-8: bytes that are not
// UTF-8 become U+FFFD as a browser would decode them, and control
// characters become the Unicode picture of themselves (U+2400 to U+2421),
// so that two names which differ only by one stay apart to the eye.
std::string readable_text(std::string_view text);

// readable_text with the five characters HTML gives a meaning written as
// references: safe as element text and inside a quoted attribute.
std::string html_text(std::string_view text);

// ` name="value"`, the value escaped by html_text.
std::string html_attribute(std::string_view name, std::string_view value);

// html_text of at most most_characters characters, the last of them an
// ellipsis where the text was longer: for a name in a column of fixed width,
// beside a title that holds it whole.
std::string shortened_html_text(std::string_view text, std::size_t most_characters);

// The characters readable_text gives, to estimate how wide a label is.
std::size_t character_count(std::string_view text);

} // namespace output
