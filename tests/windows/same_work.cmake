# Every function of the workload in megawhets.exe must hold the same
# double-precision additions, subtractions, multiplications and divisions as
# the same function built for Linux, which the callgrind check proves does
# all of its work; and the same integer additions and subtractions, calls and
# stores, which are the whole work of the blocks without floating point.
# Callgrind cannot run under Wine; this is its stand-in.
# Run with -DWINDOWS_PROGRAM=... -DLINUX_WORKLOAD=...

cmake_minimum_required(VERSION 3.25)

find_program(LINUX_OBJDUMP objdump REQUIRED)
find_program(WINDOWS_OBJDUMP x86_64-w64-mingw32-objdump REQUIRED)

# Sets <prefix>_functions to the functions of the workload in `disassembly`
# and <prefix>_<function> to "mnemonic=count" for each arithmetic mnemonic.
function(count_arithmetic disassembly prefix)
  string(REPLACE "\n" ";" lines "${disassembly}")
  set(functions "")
  set(current "")
  foreach(line IN LISTS lines)
    if(line MATCHES "^[0-9a-f]+ <(_ZN8workload[^>]*)>:$")
      set(current ${CMAKE_MATCH_1})
      list(APPEND functions ${current})
      set(counts_${current} "")
    elseif(line MATCHES "^[0-9a-f]+ <")
      set(current "")
    elseif(current AND line MATCHES "\t(v?(add|sub|mul|div)[sp]d)[ \t]")
      list(APPEND counts_${current} ${CMAKE_MATCH_1})
    elseif(current AND line MATCHES "%rsp")
      # The two systems' calling conventions lay out the stack differently.
    elseif(current AND line MATCHES "\t(call|add|sub)[lq]?[ \t]")
      list(APPEND counts_${current} ${CMAKE_MATCH_1})
    elseif(current AND line MATCHES "\tmov[a-z]* +[^ ]*,[^,(]*\\([^)]*\\)( *#.*)?$")
      list(APPEND counts_${current} store)
    endif()
  endforeach()
  foreach(function IN LISTS functions)
    set(summary "")
    foreach(mnemonic IN ITEMS addsd subsd mulsd divsd addpd subpd mulpd divpd vaddsd vsubsd vmulsd vdivsd
                              add sub call store)
      set(all ${counts_${function}})
      list(FILTER all INCLUDE REGEX "^${mnemonic}$")
      list(LENGTH all n)
      if(n GREATER 0)
        list(APPEND summary "${mnemonic}=${n}")
      endif()
    endforeach()
    set(${prefix}_${function} "${summary}" PARENT_SCOPE)
  endforeach()
  set(${prefix}_functions ${functions} PARENT_SCOPE)
endfunction()

execute_process(COMMAND ${LINUX_OBJDUMP} -d --no-show-raw-insn "${LINUX_WORKLOAD}"
                OUTPUT_VARIABLE linux_disassembly RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "objdump cannot read ${LINUX_WORKLOAD}")
endif()
count_arithmetic("${linux_disassembly}" linux)
list(LENGTH linux_functions function_count)
if(function_count LESS 13)
  message(FATAL_ERROR "only ${function_count} workload functions in ${LINUX_WORKLOAD}: ${linux_functions}")
endif()

set(failures "")
foreach(function IN LISTS linux_functions)
  execute_process(COMMAND ${WINDOWS_OBJDUMP} -d --no-show-raw-insn --disassemble=${function} "${WINDOWS_PROGRAM}"
                  OUTPUT_VARIABLE windows_disassembly)
  count_arithmetic("${windows_disassembly}" windows)
  if(NOT function IN_LIST windows_functions)
    list(APPEND failures "${function}: not in the .exe")
    continue()
  endif()
  message(STATUS "${function}: Linux ${linux_${function}}; Windows ${windows_${function}}")
  if(NOT "${linux_${function}}" STREQUAL "${windows_${function}}")
    list(APPEND failures "${function}: Linux [${linux_${function}}], Windows [${windows_${function}}]")
  endif()
endforeach()
if(failures)
  list(JOIN failures "\n  " failures)
  message(FATAL_ERROR "the .exe's workload differs from Linux's:\n  ${failures}")
endif()
