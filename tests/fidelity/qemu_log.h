#pragma once

#include "costs.h"
#include "instruction_kinds.h"

#include <cstdint>
#include <istream>
#include <string>
#include <string_view>
#include <vector>

// Counts what a program executed under qemu-user from the log that
// `-d in_asm,exec,nochain` writes: in_asm shows each translated block's guest
// instructions when it is translated, and with nochain every execution of a
// translated block is logged as a Trace line. Each instruction's kind comes
// from objdump's disassembly of the program, so the count does not depend on
// qemu's own disassembler, which on some targets prints only raw bytes.
namespace fidelity {

struct Instruction {
  std::uint64_t address = 0;
  // Of this one instruction; a fused multiply-add is counted only in the
  // workload's own functions, since the C library's log and exp may use them.
  Costs costs;
};

// From `objdump -d -C --no-show-raw-insn`, in address order.
std::vector<Instruction> read_disassembly(std::istream &objdump, Architecture architecture);

// Where execution enters the function `name`, from `readelf -sW`. A Thumb
// function's symbol has bit 0 set, which the address it runs from has not; a
// ppc64 function that sets up its TOC pointer is called at its local entry,
// past that set-up, as well as at its symbol.
std::vector<std::uint64_t> entry_points(std::istream &readelf, std::string_view name,
                                        Architecture architecture);

struct Markers {
  std::vector<std::uint64_t> run_begins;
  std::vector<std::uint64_t> run_ends;
};

struct LogRuns {
  // What ran between each entry into a begin marker and the next entry into
  // an end marker (the markers' own code left out), callees included.
  std::vector<Costs> runs;
  // Empty unless the log could not be read as such runs.
  std::string problem;
};

LogRuns read_runs(std::istream &log, const std::vector<Instruction> &program, const Markers &markers);

} // namespace fidelity
