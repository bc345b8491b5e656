# nlohmann-json (Debian: nlohmann-json3-dev), header-only, for the files that
# read and write JSON. They link megawhets_nlohmann_json privately, so no
# other file sees its large headers and the rest compiles as fast as before.
add_library(megawhets_nlohmann_json INTERFACE)

set(MEGAWHETS_NLOHMANN_JSON_DIR /usr/include/nlohmann CACHE PATH
    "The build machine's nlohmann-json headers, for a compiler that does not search /usr/include")

set(nlohmann_json_include_dir "")
if(MINGW)
  # mingw-w64 searches no /usr/include, and all of it would put Linux's C
  # headers before Windows' own: a folder of the build's holds only a link
  # to nlohmann's headers.
  set(nlohmann_json_include_dir ${PROJECT_BINARY_DIR}/nlohmann_json_include)
  file(MAKE_DIRECTORY ${nlohmann_json_include_dir})
  file(CREATE_LINK ${MEGAWHETS_NLOHMANN_JSON_DIR} ${nlohmann_json_include_dir}/nlohmann SYMBOLIC)
  target_include_directories(megawhets_nlohmann_json SYSTEM INTERFACE ${nlohmann_json_include_dir})
endif()

# A missing package is named here rather than as a compiler error later.
include(CheckIncludeFileCXX)
set(CMAKE_REQUIRED_INCLUDES ${nlohmann_json_include_dir})
check_include_file_cxx(nlohmann/json.hpp MEGAWHETS_HAVE_NLOHMANN_JSON)
unset(CMAKE_REQUIRED_INCLUDES)
if(NOT MEGAWHETS_HAVE_NLOHMANN_JSON)
  message(FATAL_ERROR "${CMAKE_CXX_COMPILER} finds no nlohmann/json.hpp, which the run record's JSON needs: "
                      "install nlohmann-json3-dev (apt-get install nlohmann-json3-dev)")
endif()
