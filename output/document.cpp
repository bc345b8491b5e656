#include "output/document.h"

namespace output {

const std::vector<std::string> &lines_headed(const Document &document, std::string_view heading) {
  static const std::vector<std::string> none;
  for (const TitledList &list : document.lists) {
    if (list.heading == heading) {
      return list.lines;
    }
  }
  return none;
}

} // namespace output
