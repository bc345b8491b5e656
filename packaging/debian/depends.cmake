# Read by cpack: sets the Debian package's Depends from the libraries the
# program needs and the newest version of each that it uses.
#
# The program's dynamic section names each library and the symbol versions
# it needs from it (objdump -p, "Version References"). A package that has a
# symbol version has every symbol version before it, so the lowest package
# version that provides the newest one is enough. The versions come from the
# build machine's symbols files, which map each symbol version to the package
# version that brought it; a cross target's libraries ship no such file, and
# the versions are the same on every architecture. A symbol version that the
# build machine's libraries lack (a target's own first one, as GLIBC_2.17 on
# arm64) came with the C library or GCC release it is named after; 32-bit
# ARM's CXXABI_ARM_1.3.3 came with GCC 4.4.
#
# Expects MEGAWHETS_PROGRAM_FILE and MEGAWHETS_OBJDUMP.

# Library soname -> Debian package, for every library the program may need;
# the dynamic loader (ld-linux-aarch64.so.1, ld64.so.2, ...) is the C
# library's too.
set(package_libc.so.6 libc6)
set(package_libm.so.6 libc6)
set(package_libstdc++.so.6 libstdc++6)
set(package_libgcc_s.so.1 libgcc-s1)
set(package_libsqlite3.so.0 libsqlite3-0) # the history's store, where the build has it
set(package_libnettle.so.8 libnettle8)     # and the hash it keeps each record by
set(symbols_dir /var/lib/dpkg/info)

execute_process(COMMAND ${MEGAWHETS_OBJDUMP} -p ${MEGAWHETS_PROGRAM_FILE}
                OUTPUT_VARIABLE headers RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${MEGAWHETS_OBJDUMP} cannot read ${MEGAWHETS_PROGRAM_FILE}")
endif()
string(REGEX MATCHALL "NEEDED +[^\n]+" needed "${headers}")
list(TRANSFORM needed REPLACE "NEEDED +" "")
string(REGEX MATCH "Version References:\n.*" references "${headers}")
string(REPLACE "\n" ";" references "${references}")

set(packages "")
foreach(library IN LISTS needed)
  if(library MATCHES "^ld")
    set(package_${library} libc6)
  endif()
  if(NOT DEFINED package_${library})
    message(FATAL_ERROR "the program needs ${library}, which no package is known for")
  endif()
  list(APPEND packages ${package_${library}})
endforeach()
list(REMOVE_DUPLICATES packages)
list(SORT packages)

# Per package, the newest version any of its libraries' symbol versions needs.
set(library "")
foreach(line IN LISTS references)
  if(line MATCHES "required from ([^:]+):")
    set(library ${CMAKE_MATCH_1})
  elseif(library AND line MATCHES "0x[0-9a-f]+ +0x[0-9a-f]+ +[0-9]+ +([A-Za-z_0-9.]+)$")
    set(node ${CMAKE_MATCH_1})
    set(package ${package_${library}})
    file(GLOB symbols_file ${symbols_dir}/${package}.symbols ${symbols_dir}/${package}:*.symbols)
    if(NOT symbols_file)
      message(FATAL_ERROR "no symbols file for ${package} in ${symbols_dir}")
    endif()
    list(GET symbols_file 0 symbols_file)
    file(STRINGS ${symbols_file} entry REGEX "^ ${node}@${node} ")
    if(entry)
      list(GET entry 0 entry)
      string(REGEX REPLACE "^ [^ ]+ ([^ ]+).*" "\\1" version "${entry}")
    elseif(node MATCHES "^(GLIBC|GCC)_([0-9.]+)$")
      set(version ${CMAKE_MATCH_2})
    elseif(node STREQUAL "CXXABI_ARM_1.3.3")
      # 32-bit ARM's own exception-handling entry points (__cxa_end_cleanup),
      # which every libstdc++6 for the architecture has had since GCC 4.4.
      set(version 4.4.0)
    else()
      message(FATAL_ERROR "${library}'s ${node} is in no symbols file of ${package}")
    endif()
    # A symbols file's version 0 is every version of the package (nettle's
    # NETTLE_8): it asks for none, as dpkg-shlibdeps reads it.
    if(NOT version STREQUAL "0" AND (NOT DEFINED version_${package} OR version_${package} VERSION_LESS version))
      set(version_${package} ${version})
    endif()
  endif()
endforeach()

# A library without symbol versions (SQLite) names in its package's symbols
# file the package version that brought each symbol, as NAME@Base VERSION:
# the newest among the symbols the program takes from it is what it needs.
execute_process(COMMAND ${MEGAWHETS_OBJDUMP} -T ${MEGAWHETS_PROGRAM_FILE} OUTPUT_VARIABLE dynamic_symbols)
string(REGEX MATCHALL "\\*UND\\*[^\n]* Base +[A-Za-z_0-9]+" unversioned "${dynamic_symbols}")
list(TRANSFORM unversioned REPLACE ".* Base +" "")
foreach(package IN LISTS packages)
  file(GLOB symbols_file ${symbols_dir}/${package}.symbols ${symbols_dir}/${package}:*.symbols)
  if(NOT symbols_file OR NOT unversioned)
    continue()
  endif()
  list(GET symbols_file 0 symbols_file)
  file(READ ${symbols_file} symbols)
  foreach(symbol IN LISTS unversioned)
    if(symbols MATCHES "\n ${symbol}@Base ([^ \n]+)")
      set(version ${CMAKE_MATCH_1})
      if(NOT version STREQUAL "0" AND (NOT DEFINED version_${package} OR version_${package} VERSION_LESS version))
        set(version_${package} ${version})
      endif()
    endif()
  endforeach()
endforeach()

set(depends "")
foreach(package IN LISTS packages)
  if(DEFINED version_${package})
    list(APPEND depends "${package} (>= ${version_${package}})")
  else()
    list(APPEND depends ${package})
  endif()
endforeach()
list(JOIN depends ", " CPACK_DEBIAN_PACKAGE_DEPENDS)
message(STATUS "Depends: ${CPACK_DEBIAN_PACKAGE_DEPENDS}")
