#include "driver/help_text.h"

#include <sstream>
#include <vector>

namespace driver {
namespace {

std::vector<std::string> lines_of(std::string_view text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = std::min(text.find('\n', start), text.size());
    lines.emplace_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

std::vector<std::string> words_of(std::string_view text) {
  std::vector<std::string> words;
  std::istringstream stream{std::string(text)};
  for (std::string word; stream >> word;) {
    words.push_back(word);
  }
  return words;
}

std::size_t indent_of(std::string_view line) {
  const std::size_t first = line.find_first_not_of(' ');
  return first == std::string_view::npos ? line.size() : first;
}

// The words after `first_line` (which the first line begins with), filled
// to `width`, each later line indented by `indent`.
std::string filled(const std::string &first_line, const std::vector<std::string> &words, std::size_t indent,
                   std::size_t width) {
  std::string text;
  std::string line = first_line;
  bool line_has_word = first_line.size() > indent_of(first_line) && first_line.back() != ' ';
  for (const std::string &word : words) {
    const bool fits = line.size() + (line_has_word ? 1 : 0) + word.size() <= width;
    if (!fits && line_has_word) {
      text += line + "\n";
      line = std::string(indent, ' ');
      line_has_word = false;
    }
    line += (line_has_word ? " " : "") + word;
    line_has_word = true;
  }
  return text + line + "\n";
}

// Where an option's description begins: after its name and two spaces.
std::size_t description_column(std::string_view line) {
  const std::size_t gap = line.find("  ", indent_of(line));
  return gap == std::string_view::npos ? std::string_view::npos : line.find_first_not_of(' ', gap);
}

bool is_option(std::string_view line) { return line.starts_with("  -"); }

bool is_prose(std::string_view line) { return !line.empty() && line.front() != ' '; }

} // namespace

std::string fitted_help(std::string_view text, std::size_t width) {
  const std::vector<std::string> lines = lines_of(text);
  std::string fitted;
  for (std::size_t i = 0; i < lines.size();) {
    const std::string &line = lines[i];
    if (is_prose(line) && !line.starts_with("Usage:")) {
      std::vector<std::string> words;
      for (; i < lines.size() && is_prose(lines[i]); ++i) {
        for (std::string &word : words_of(lines[i])) {
          words.push_back(std::move(word));
        }
      }
      fitted += filled("", words, 0, width);
    } else if (const std::size_t column = description_column(line);
               is_option(line) && column != std::string_view::npos) {
      std::vector<std::string> words = words_of(std::string_view(line).substr(column));
      for (++i; i < lines.size() && !lines[i].empty() && indent_of(lines[i]) >= column; ++i) {
        for (std::string &word : words_of(lines[i])) {
          words.push_back(std::move(word));
        }
      }
      fitted += filled(line.substr(0, column), words, column, width);
    } else {
      const std::size_t indent = indent_of(line);
      fitted += line.size() <= width ? line + "\n"
                                     : filled(std::string(indent, ' '), words_of(line), indent + 4, width);
      ++i;
    }
  }
  return fitted;
}

} // namespace driver
