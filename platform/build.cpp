#include "platform/build.h"

#include "platform/build_settings.h"

#include <string_view>
#include <vector>

namespace platform {
namespace {

#define MEGAWHETS_TEXT(x) #x
#define MEGAWHETS_EXPANDED_TEXT(x) MEGAWHETS_TEXT(x)

// The compiler that compiled this file, from its own predefined macros. clang
// also defines the GNU macros, so it is asked first.
#if defined(__clang__)
constexpr std::string_view compiler = "clang++";
constexpr std::string_view compiler_version = MEGAWHETS_EXPANDED_TEXT(__clang_major__) "." MEGAWHETS_EXPANDED_TEXT(
    __clang_minor__) "." MEGAWHETS_EXPANDED_TEXT(__clang_patchlevel__);
#elif defined(__GNUC__)
constexpr std::string_view compiler = "g++";
constexpr std::string_view compiler_version = MEGAWHETS_EXPANDED_TEXT(__GNUC__) "." MEGAWHETS_EXPANDED_TEXT(
    __GNUC_MINOR__) "." MEGAWHETS_EXPANDED_TEXT(__GNUC_PATCHLEVEL__);
#elif defined(_MSC_VER)
constexpr std::string_view compiler = "MSVC";
constexpr std::string_view compiler_version = MEGAWHETS_EXPANDED_TEXT(_MSC_FULL_VER);
#else
constexpr std::string_view compiler = "";
constexpr std::string_view compiler_version = "";
#endif

constexpr std::string_view architecture =
#if defined(__x86_64__) || defined(_M_X64)
    "x86-64";
#elif defined(__i386__) || defined(_M_IX86)
    "x86";
#elif defined(__aarch64__) || defined(_M_ARM64)
    "aarch64";
#elif defined(__arm__) && defined(__ARM_PCS_VFP)
    "armhf";
#elif defined(__arm__)
        "armel";
#elif defined(__riscv) && __riscv_xlen == 64
        "riscv64";
#elif defined(__powerpc64__) && defined(__LITTLE_ENDIAN__)
        "ppc64le";
#elif defined(__powerpc64__)
        "ppc64";
#elif defined(__s390x__)
        "s390x";
#else
        "";
#endif

// Set only for the test programs that do more work than they count.
#if defined(MEGAWHETS_TEST_DRAG_PERCENT)
constexpr unsigned drag_percent = MEGAWHETS_TEST_DRAG_PERCENT;
#else
constexpr unsigned drag_percent = 0;
#endif

} // namespace

std::string program_version() { return "megawhets " + std::string(this_build().version); }

Build this_build() {
  return {.version = MEGAWHETS_VERSION,
          .compiler = compiler,
          .compiler_version = compiler_version,
          .code_flags = MEGAWHETS_CODE_FLAGS,
          .architecture = architecture,
          .drag_percent = drag_percent};
}

std::string build_description() {
  const Build build = this_build();
  const std::string compiler_and_version =
      build.compiler_version.empty() ? std::string(build.compiler)
                                     : std::string(build.compiler) + " " + std::string(build.compiler_version);
  const std::string drag = build.drag_percent == 0 ? "" : "drag " + std::to_string(build.drag_percent) + " %";
  std::string description;
  for (const std::string_view part :
       {std::string_view(compiler_and_version), build.code_flags, build.architecture, std::string_view(drag)}) {
    if (part.empty()) {
      continue;
    }
    if (!description.empty()) {
      description += ", ";
    }
    description += part;
  }
  return description;
}

} // namespace platform
