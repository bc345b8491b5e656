// Where the Windows build's standard output goes decides how the rule line is
// written: as characters to a console, as bytes everywhere else.

#include "driver/console.h"
#include "platform/terminal.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fcntl.h>
#include <io.h>
#include <string>
#include <windows.h>

namespace {

// Points the C stream's standard output at `handle` for the life of the
// object, as the system does for a program started with that handle.
class StandardOutputTo {
public:
  explicit StandardOutputTo(HANDLE handle) : saved_(_dup(_fileno(stdout))) {
    std::fflush(stdout);
    HANDLE copy = nullptr;
    DuplicateHandle(GetCurrentProcess(), handle, GetCurrentProcess(), &copy, 0, FALSE, DUPLICATE_SAME_ACCESS);
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(copy), _O_TEXT);
    _dup2(fd, _fileno(stdout));
    _close(fd);
  }
  ~StandardOutputTo() {
    std::fflush(stdout);
    _dup2(saved_, _fileno(stdout));
    _close(saved_);
  }
  StandardOutputTo(const StandardOutputTo &) = delete;
  StandardOutputTo &operator=(const StandardOutputTo &) = delete;

private:
  int saved_;
};

struct Handle {
  HANDLE value;
  ~Handle() { CloseHandle(value); }
};

TEST(WindowsConsole, OnlyAConsoleIsATerminal) {
  HANDLE read_end = nullptr;
  HANDLE write_end = nullptr;
  ASSERT_TRUE(CreatePipe(&read_end, &write_end, nullptr, 0));
  const Handle pipe_read{read_end};
  const Handle pipe_write{write_end};
  // The NUL device is a character device, which _isatty would take for a
  // terminal and so send it UTF-8.
  const Handle nul{CreateFileW(L"NUL", GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr)};
  ASSERT_NE(nul.value, INVALID_HANDLE_VALUE);
  for (const HANDLE handle : {pipe_write.value, nul.value}) {
    bool terminal = true;
    bool written = true;
    report::RuleStyle style = report::RuleStyle::utf8;
    {
      const StandardOutputTo redirected(handle);
      terminal = platform::is_terminal(stdout);
      written = platform::write_to_console(stdout, "\n\xE2\x95\x90");
      style = driver::rule_style_for_report();
    }
    EXPECT_FALSE(terminal);
    EXPECT_FALSE(written);
    EXPECT_EQ(style, report::RuleStyle::code_page_437);
  }
}

// A console shows the rule as U+2550 whatever its code page: the characters
// are handed to it, not bytes for it to decode.
TEST(WindowsConsole, TakesTheRuleAsCharactersWhateverItsCodePage) {
  // A console of the test's own, with a screen buffer to read back.
  FreeConsole();
  ASSERT_TRUE(AllocConsole());
  SetConsoleOutputCP(437);
  const Handle screen{CreateConsoleScreenBuffer(GENERIC_READ | GENERIC_WRITE,
                                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                                CONSOLE_TEXTMODE_BUFFER, nullptr)};
  ASSERT_NE(screen.value, INVALID_HANDLE_VALUE);
  DWORD mode = 0;
  if (GetConsoleMode(screen.value, &mode) == 0) {
    GTEST_SKIP() << "this Wine has no console to write to (it runs without a display)";
  }
  bool terminal = false;
  report::RuleStyle style = report::RuleStyle::code_page_437;
  {
    // GoogleTest reports on standard output, so nothing is checked in here.
    const StandardOutputTo redirected(screen.value);
    terminal = platform::is_terminal(stdout);
    style = driver::rule_style_for_report();
    std::fputs("Pass", stdout); // still buffered: the rule must come after it
    driver::write_rule_line(style);
  }
  EXPECT_TRUE(terminal);
  EXPECT_EQ(style, report::RuleStyle::utf8);
  // The rule starts on a new line, under what was written before it.
  wchar_t first_line[4] = {};
  wchar_t rule[52] = {};
  DWORD read = 0;
  ASSERT_TRUE(ReadConsoleOutputCharacterW(screen.value, first_line, 4, COORD{0, 0}, &read));
  ASSERT_TRUE(ReadConsoleOutputCharacterW(screen.value, rule, 52, COORD{0, 1}, &read));
  EXPECT_EQ(std::wstring(first_line, 4), L"Pass");
  EXPECT_EQ(std::wstring(rule, 52), std::wstring(51, L'\u2550') + L" ");
}

} // namespace
