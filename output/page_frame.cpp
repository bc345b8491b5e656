#include "output/page_frame.h"

#include "output/html_text.h"
#include "output/page_style.h"

namespace output {
namespace {

// Nothing but the page's own stylesheet: no script, no font, no image, no
// frame, no form, from anywhere. Styles are allowed inline because the
// charts' marks take their colours from the one <style> element; every
// text from a record is escaped, so no record can add a rule of its own.
constexpr std::string_view content_security_policy =
    "default-src 'none'; style-src 'unsafe-inline'; base-uri 'none'; form-action 'none'";

} // namespace

std::string page_frame(std::string_view title, const std::string &body, std::string_view own_style) {
  return "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
         "<meta http-equiv=\"Content-Security-Policy\" content=\"" +
         std::string(content_security_policy) +
         "\">\n<meta name=\"referrer\" content=\"no-referrer\">\n"
         "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n<title>" +
         html_text(title) + "</title>\n<style>" + std::string(page_style()) + std::string(own_style) +
         "</style>\n</head>\n<body>\n" + body + "</body>\n</html>\n";
}

} // namespace output
