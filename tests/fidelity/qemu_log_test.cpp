// The qemu checker's reading of a log, on excerpts of what qemu-user 7.2
// writes with -d in_asm,exec,nochain, beside the objdump and readelf lines
// of the same code: one case for each way an architecture differs.

#include "qemu_log.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace {

using namespace fidelity;

struct LogCase {
  const char *name;
  Architecture architecture;
  const char *symbols;     // readelf -sW
  const char *disassembly; // objdump -d -C --no-show-raw-insn
  const char *log;
  Costs run; // the one run between the markers
};

void PrintTo(const LogCase &log_case, std::ostream *out) { *out << log_case.name; }

const LogCase cases[] = {
    {"FusedMultiplyAddCountsOnlyInTheWorkload",
     Architecture::aarch64,
     R"(  1700: 0000000000400700     4 FUNC    GLOBAL DEFAULT    6 megawhets_probe_run_begins
  1701: 0000000000400710     4 FUNC    GLOBAL DEFAULT    6 megawhets_probe_run_ends
)",
     R"(0000000000400700 <megawhets_probe_run_begins>:
  400700:	ret

0000000000400710 <megawhets_probe_run_ends>:
  400710:	ret

0000000000400720 <workload::mix_pair(double const&, double const&, double&)>:
  400720:	ldp	d0, d1, [x0]
  400724:	fmadd	d0, d0, d1, d2
  400728:	str	d0, [x2]
  40072c:	ret

0000000000400730 <__exp>:
  400730:	fmadd	d0, d0, d1, d2
  400734:	ret
)",
     R"(----------------
IN: megawhets_probe_run_begins
0x00400700:  d65f03c0  ret

Trace 0: 0x7f9093a00100 [0000000001009331/0000000000400700/00000001/00000200] megawhets_probe_run_begins
----------------
IN: workload::mix_pair
0x00400720:  6d400400  ldp      d0, d1, [x0]
0x00400724:  1f410800  fmadd    d0, d0, d1, d2
0x00400728:  fd000040  str      d0, [x2]
0x0040072c:  d65f03c0  ret

Trace 0: 0x7f9093a00200 [0000000001009331/0000000000400720/00000001/00000200] workload::mix_pair
----------------
IN: __exp
0x00400730:  1f410800  fmadd    d0, d0, d1, d2
0x00400734:  d65f03c0  ret

Trace 0: 0x7f9093a00300 [0000000001009331/0000000000400730/00000001/00000200] __exp
----------------
IN: megawhets_probe_run_ends
0x00400710:  d65f03c0  ret

Trace 0: 0x7f9093a00400 [0000000001009331/0000000000400710/00000001/00000200] megawhets_probe_run_ends
)",
     {.instructions = 6, .loads = 2, .stores = 1, .fused = 1}},

    {"ThumbSymbolsHaveBitZeroSet",
     Architecture::arm,
     R"(  3585: 0001048d     2 FUNC    GLOBAL DEFAULT    6 megawhets_probe_run_begins
  3586: 00010491     2 FUNC    GLOBAL DEFAULT    6 megawhets_probe_run_ends
)",
     R"(0001048c <megawhets_probe_run_begins>:
   1048c:	bx	lr

00010490 <megawhets_probe_run_ends>:
   10490:	bx	lr

00010494 <workload::run_block_4(unsigned int)>:
   10494:	adds	r3, #1
   10496:	cmp	r3, r0
   10498:	bcc.n	10494 <workload::run_block_4(unsigned int)>
)",
     R"(Trace 0: 0x7fe2a80000c0 [00800480/0001048c/00000000/00000200] megawhets_probe_run_begins
----------------
IN: workload::run_block_4
0x00010494:  3301       adds     r3, #1
0x00010496:  4283       cmp      r3, r0
0x00010498:  d3fc       blo      #0x10494

Trace 0: 0x7fe2a8000100 [00800480/00010494/00000000/00000200] workload::run_block_4
Trace 0: 0x7fe2a8000100 [00800480/00010494/00000000/00000200] workload::run_block_4
Trace 0: 0x7fe2a8000200 [00800480/00010490/00000000/00000200] megawhets_probe_run_ends
)",
     {.instructions = 6}},

    {"VmlaIsAMultiplicationAndAnAddition",
     Architecture::arm,
     R"(  3585: 0001048d     2 FUNC    GLOBAL DEFAULT    6 megawhets_probe_run_begins
  3586: 00010491     2 FUNC    GLOBAL DEFAULT    6 megawhets_probe_run_ends
)",
     R"(0001164c <workload::mix_pair(double const&, double const&, double&)>:
   1167e:	vmla.f64	d7, d6, d5
   11682:	vdiv.f64	d7, d7, d4
   11686:	vstr	d7, [r2]
   1168a:	vpop	{d8-d9}
   1168e:	bx	lr
)",
     R"(Trace 0: 0x7fe2a80000c0 [00800480/0001048c/00000000/00000200] megawhets_probe_run_begins
----------------
IN: workload::mix_pair
0x0001167e:  ee06 7b05  vmla.f64 d7, d6, d5
0x00011682:  ee87 7b04  vdiv.f64 d7, d7, d4
0x00011686:  ed82 7b00  vstr     d7, [r2]
0x0001168a:  ecbd 8b04  vpop     {d8, d9}
0x0001168e:  4770       bx       lr

Trace 0: 0x7fe2a8000100 [00800480/0001167e/00000000/00000200] workload::mix_pair
Trace 0: 0x7fe2a8000200 [00800480/00010490/00000000/00000200] megawhets_probe_run_ends
)",
     {.instructions = 5, .loads = 2, .stores = 1, .additions = 1, .multiplications = 1, .divisions = 1}},

    {"Ppc64FunctionsAreEnteredAtTheirLocalEntry",
     Architecture::ppc64,
     R"(  1717: 0000000010000c40    32 FUNC    GLOBAL DEFAULT [<localentry>: 8]     5 megawhets_probe_run_begins
  1718: 0000000010000c60    32 FUNC    GLOBAL DEFAULT [<localentry>: 8]     5 megawhets_probe_run_ends
)",
     R"(0000000010000c80 <workload::mix_pair(double const&, double const&, double&)>:
    10000c80:	lfd     f0,0(r3)
    10000c84:	fadd    f0,f0,f0
    10000c88:	fmul    f0,f0,f0
    10000c8c:	stfd    f0,0(r5)
    10000c90:	blr
)",
     R"(Trace 0: 0x7f51c6800100 [0000000000000000/0000000010000c48/02806105/00000200] megawhets_probe_run_begins
----------------
IN: workload::mix_pair
0x10000c80:  c8030000  lfd      f0, 0(r3)
0x10000c84:  fc00002a  fadd     f0, f0, f0
0x10000c88:  fc000032  fmul     f0, f0, f0
0x10000c8c:  d8050000  stfd     f0, 0(r5)
0x10000c90:  4e800020  blr

Trace 0: 0x7f51c6800200 [0000000000000000/0000000010000c80/02806105/00000200] workload::mix_pair
Trace 0: 0x7f51c6800300 [0000000000000000/0000000010000c68/02806105/00000200] megawhets_probe_run_ends
)",
     {.instructions = 5, .loads = 1, .stores = 1, .additions = 1, .multiplications = 1}},

    {"RawBytesTakeTheirInstructionsFromObjdump",
     Architecture::riscv64,
     R"(  2001: 000000000001069e     2 FUNC    GLOBAL DEFAULT    7 megawhets_probe_run_begins
  2002: 00000000000106a0     2 FUNC    GLOBAL DEFAULT    7 megawhets_probe_run_ends
)",
     R"(0000000000010570 <workload::run_block_5(unsigned int)>:
   10570:	fsd	fa0,0(sp)
   10574:	fld	fa1,8(sp)
   10578:	fdiv.d	fa0,fa0,fa1
)",
     R"(Trace 0: 0x7f0c13e00100 [0000000000000000/000000000001069e/00207600/00000200] megawhets_probe_run_begins
----------------
IN: workload::run_block_5
0x0000000000010570:  OBJD-T: 27b0a10087350100

Trace 0: 0x7f0c13e00200 [0000000000000000/0000000000010570/00207600/00000200] workload::run_block_5
Trace 0: 0x7f0c13e00300 [0000000000000000/00000000000106a0/00207600/00000200] megawhets_probe_run_ends
)",
     {.instructions = 2, .loads = 1, .stores = 1}},
};

class QemuLog : public ::testing::TestWithParam<LogCase> {};

TEST_P(QemuLog, CountsWhatRanBetweenTheMarkers) {
  const LogCase &log_case = GetParam();
  std::istringstream disassembly(log_case.disassembly);
  const std::vector<Instruction> program = read_disassembly(disassembly, log_case.architecture);
  Markers markers;
  std::istringstream begins(log_case.symbols);
  markers.run_begins = entry_points(begins, "megawhets_probe_run_begins", log_case.architecture);
  std::istringstream ends(log_case.symbols);
  markers.run_ends = entry_points(ends, "megawhets_probe_run_ends", log_case.architecture);
  std::istringstream log(log_case.log);
  const LogRuns runs = read_runs(log, program, markers);
  ASSERT_EQ(runs.problem, "");
  ASSERT_EQ(runs.runs.size(), 1U);
  EXPECT_EQ(runs.runs[0], log_case.run);
}

INSTANTIATE_TEST_SUITE_P(Architectures, QemuLog, ::testing::ValuesIn(cases),
                         [](const ::testing::TestParamInfo<LogCase> &info) {
                           return std::string(info.param.name);
                         });

} // namespace
