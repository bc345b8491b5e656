#include "instruction_kinds.h"

#include <algorithm>
#include <initializer_list>
#include <sstream>
#include <string>

namespace fidelity {

Architecture this_architecture() {
#if defined(__x86_64__)
  return Architecture::x86_64;
#elif defined(__aarch64__)
  return Architecture::aarch64;
#elif defined(__arm__)
  return Architecture::arm;
#elif defined(__riscv)
  return Architecture::riscv64;
#elif defined(__powerpc64__)
  return Architecture::ppc64;
#elif defined(__s390x__)
  return Architecture::s390x;
#else
#error "the qemu fidelity check does not know this architecture's instructions"
#endif
}

namespace {

bool starts_with_any(std::string_view text, std::initializer_list<std::string_view> prefixes) {
  return std::any_of(prefixes.begin(), prefixes.end(),
                     [text](std::string_view prefix) { return text.starts_with(prefix); });
}

bool is_any(std::string_view text, std::initializer_list<std::string_view> words) {
  return std::find(words.begin(), words.end(), text) != words.end();
}

// The operands without objdump's comments and <symbol> annotations, whose
// parentheses and commas would read as memory operands.
std::string bare_operands(std::string_view operands, char comment) {
  std::string bare;
  int in_symbol = 0;
  for (const char c : operands) {
    if (c == comment && in_symbol == 0) {
      break;
    }
    in_symbol += c == '<' ? 1 : 0;
    if (in_symbol == 0) {
      bare += c;
    }
    in_symbol -= c == '>' && in_symbol > 0 ? 1 : 0;
  }
  return bare;
}

// The mnemonics of an architecture's double operations; fused multiply-adds
// are known by the beginnings of theirs.
struct DoubleOperations {
  std::initializer_list<std::string_view> additions;
  std::initializer_list<std::string_view> multiplications;
  std::initializer_list<std::string_view> divisions;
  std::initializer_list<std::string_view> fused;
};

Costs double_operation(std::string_view mnemonic, const DoubleOperations &names) {
  return {.additions = is_any(mnemonic, names.additions) ? 1U : 0U,
          .multiplications = is_any(mnemonic, names.multiplications) ? 1U : 0U,
          .divisions = is_any(mnemonic, names.divisions) ? 1U : 0U,
          .fused = starts_with_any(mnemonic, names.fused) ? 1U : 0U};
}

Costs x86_64(std::string_view mnemonic, const std::string &operands) {
  Costs costs = double_operation(
      mnemonic, {.additions = {"addsd", "subsd", "vaddsd", "vsubsd", "addpd", "subpd", "vaddpd", "vsubpd"},
                 .multiplications = {"mulsd", "vmulsd", "mulpd", "vmulpd"},
                 .divisions = {"divsd", "vdivsd", "divpd", "vdivpd"},
                 .fused = {"vfmadd", "vfmsub", "vfnmadd", "vfnmsub"}});
  if (mnemonic.starts_with("push") || mnemonic.starts_with("call")) {
    costs.stores = 1;
  } else if (mnemonic.starts_with("pop") || mnemonic.starts_with("ret")) {
    costs.loads = 1;
  }
  if (mnemonic.starts_with("lea") || mnemonic.starts_with("nop")) {
    return costs;
  }
  // AT&T order: the last operand is the destination. A memory source is a
  // load; a memory destination is a store, and a load too unless the
  // instruction only writes it (a move) or only reads it (a comparison).
  int depth = 0;
  std::size_t last_start = 0;
  for (std::size_t i = 0; i < operands.size(); ++i) {
    depth += operands[i] == '(' ? 1 : operands[i] == ')' ? -1 : 0;
    if (operands[i] == ',' && depth == 0) {
      last_start = i + 1;
    }
  }
  const bool memory_source = operands.find('(') < last_start;
  const bool memory_destination = operands.find('(', last_start) != std::string::npos;
  const bool only_reads =
      starts_with_any(mnemonic, {"cmp", "test", "ucomis", "comis", "bt", "jmp", "call", "push"}) ||
      costs.additions + costs.multiplications + costs.divisions + costs.fused > 0;
  const bool only_writes = starts_with_any(mnemonic, {"mov", "vmov", "set", "stos"}) && !memory_source;
  costs.loads += memory_source || (memory_destination && !only_writes) ? 1 : 0;
  costs.stores += memory_destination && !only_reads ? 1 : 0;
  return costs;
}

Costs aarch64(std::string_view mnemonic, const std::string &operands) {
  // Only scalar operations on d registers are double ones.
  if (operands.starts_with("d")) {
    const Costs operation = double_operation(mnemonic, {.additions = {"fadd", "fsub"},
                                                        .multiplications = {"fmul", "fnmul"},
                                                        .divisions = {"fdiv"},
                                                        .fused = {}});
    if (operation.additions + operation.multiplications + operation.divisions > 0) {
      return operation;
    }
  }
  // Fused whatever their registers, single or vector.
  if (is_any(mnemonic, {"fmadd", "fmsub", "fnmadd", "fnmsub", "fmla", "fmls"})) {
    return {.fused = 1};
  }
  // A pair moves two values, as two single loads or stores would.
  const std::uint64_t values = starts_with_any(mnemonic, {"ldp", "stp", "ldnp", "stnp"}) ? 2 : 1;
  return {.loads = mnemonic.starts_with("ld") ? values : 0,
          .stores = mnemonic.starts_with("st") ? values : 0};
}

// The registers in an ARM register list such as "{r4, r5, lr}" or
// "{d8-d11}": as many values as a load or store multiple moves.
std::uint64_t listed_registers(const std::string &operands) {
  const auto open = operands.find('{');
  const auto close = operands.find('}', open);
  if (open == std::string::npos || close == std::string::npos) {
    return 1;
  }
  std::uint64_t count = 0;
  std::istringstream list(operands.substr(open + 1, close - open - 1));
  for (std::string item; std::getline(list, item, ',');) {
    const auto number = [&item](std::size_t from) {
      const auto digit = item.find_first_of("0123456789", from);
      return digit == std::string::npos ? 0UL : std::stoul(item.substr(digit));
    };
    const auto dash = item.find('-');
    count += dash == std::string::npos ? 1 : number(dash) - number(0) + 1;
  }
  return count;
}

Costs arm(std::string_view mnemonic, const std::string &operands) {
  if (mnemonic.ends_with(".f64")) {
    const std::string_view operation = mnemonic.substr(0, mnemonic.size() - 4);
    if (starts_with_any(operation, {"vadd", "vsub"})) {
      return {.additions = 1};
    }
    // A multiply-accumulate that rounds the product before adding it: the
    // same bits as a multiplication followed by an addition.
    if (starts_with_any(operation, {"vmla", "vmls", "vnmla", "vnmls"})) {
      return {.additions = 1, .multiplications = 1};
    }
    if (starts_with_any(operation, {"vmul", "vnmul"})) {
      return {.multiplications = 1};
    }
    if (operation.starts_with("vdiv")) {
      return {.divisions = 1};
    }
    if (starts_with_any(operation, {"vfma", "vfms", "vfnma", "vfnms"})) {
      return {.fused = 1};
    }
  }
  const bool multiple =
      starts_with_any(mnemonic, {"ldm", "stm", "push", "pop", "vldm", "vstm", "vpush", "vpop"});
  const std::uint64_t values = multiple                                      ? listed_registers(operands)
                               : starts_with_any(mnemonic, {"ldrd", "strd"}) ? 2
                                                                             : 1;
  return {.loads =
              starts_with_any(mnemonic, {"ldr", "ldm", "pop", "vldr", "vldm", "vpop", "vld"}) ? values : 0,
          .stores =
              starts_with_any(mnemonic, {"str", "stm", "push", "vstr", "vstm", "vpush", "vst"}) ? values : 0};
}

Costs riscv64(std::string_view mnemonic) {
  if (mnemonic.starts_with("c.")) {
    mnemonic.remove_prefix(2);
  }
  Costs costs = double_operation(mnemonic, {.additions = {"fadd.d", "fsub.d"},
                                            .multiplications = {"fmul.d"},
                                            .divisions = {"fdiv.d"},
                                            .fused = {"fmadd", "fmsub", "fnmadd", "fnmsub"}});
  const bool atomic = mnemonic.starts_with("amo");
  costs.loads = atomic || mnemonic.starts_with("lr.") ||
                        is_any(mnemonic, {"lb", "lh", "lw", "ld", "lbu", "lhu", "lwu", "flw", "fld", "ldsp",
                                          "lwsp", "fldsp"})
                    ? 1
                    : 0;
  costs.stores = atomic || mnemonic.starts_with("sc.") ||
                         is_any(mnemonic, {"sb", "sh", "sw", "sd", "fsw", "fsd", "sdsp", "swsp", "fsdsp"})
                     ? 1
                     : 0;
  return costs;
}

Costs ppc64(std::string_view mnemonic) {
  if (mnemonic.ends_with('.')) {
    mnemonic.remove_suffix(1);
  }
  Costs costs =
      double_operation(mnemonic, {.additions = {"fadd", "fsub", "xsadddp", "xssubdp"},
                                  .multiplications = {"fmul", "xsmuldp"},
                                  .divisions = {"fdiv", "xsdivdp"},
                                  .fused = {"fmadd", "fmsub", "fnmadd", "fnmsub", "xsmadd", "xsmsub",
                                            "xsnmadd", "xsnmsub", "xvmadd", "xvmsub", "xvnmadd", "xvnmsub"}});
  // "li", "lis" and "lwsync" begin with an l but do not read memory.
  costs.loads = starts_with_any(mnemonic, {"lbz", "lha", "lhz", "lhb", "lwz", "lwa", "lwb", "ld", "lfd",
                                           "lfs", "lxs", "lxv", "lmw", "lq"})
                    ? 1
                    : 0;
  costs.stores = mnemonic.starts_with("st") ? 1 : 0;
  return costs;
}

Costs s390x(std::string_view mnemonic, const std::string &operands) {
  // The RX forms (adb, mdb, ...) take their second operand from memory.
  Costs operation = double_operation(
      mnemonic, {.additions = {"adbr", "adb", "sdbr", "sdb", "wfadb", "wfsdb", "vfadb", "vfsdb"},
                 .multiplications = {"mdbr", "mdb", "wfmdb", "vfmdb"},
                 .divisions = {"ddbr", "ddb", "wfddb", "vfddb"},
                 .fused = {"madb", "msdb", "maeb", "mseb", "wfma", "wfms", "vfma", "vfms", "wfnm", "vfnm"}});
  const bool memory = operands.find('(') != std::string::npos;
  if (memory && !is_any(mnemonic, {"la", "lay", "pfd"})) {
    // Stores, and moves of an immediate into memory (mvi, mvhi, mvghi).
    const bool store = mnemonic.starts_with("st") || mnemonic == "mvi" || mnemonic.starts_with("mvh") ||
                       mnemonic.starts_with("mvgh");
    const bool move = mnemonic == "mvc";
    operation.loads = store ? 0 : 1;
    operation.stores = store || move ? 1 : 0;
  }
  return operation;
}

} // namespace

Costs instruction_costs(Architecture architecture, std::string_view mnemonic, std::string_view operands) {
  const std::string bare = bare_operands(operands, architecture == Architecture::arm ? '@' : '#');
  Costs costs;
  switch (architecture) {
  case Architecture::x86_64:
    costs = x86_64(mnemonic, bare);
    break;
  case Architecture::aarch64:
    costs = aarch64(mnemonic, bare);
    break;
  case Architecture::arm:
    costs = arm(mnemonic, bare);
    break;
  case Architecture::riscv64:
    costs = riscv64(mnemonic);
    break;
  case Architecture::ppc64:
    costs = ppc64(mnemonic);
    break;
  case Architecture::s390x:
    costs = s390x(mnemonic, bare);
    break;
  }
  costs.instructions = 1;
  return costs;
}

} // namespace fidelity
