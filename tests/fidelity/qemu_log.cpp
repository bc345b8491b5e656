#include "qemu_log.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <optional>
#include <sstream>
#include <unordered_map>

namespace fidelity {
namespace {

std::optional<std::uint64_t> hex_number(std::string_view text) {
  if (text.starts_with("0x")) {
    text.remove_prefix(2);
  }
  std::uint64_t number = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number, 16);
  if (error != std::errc{} || end == text.data()) {
    return std::nullopt;
  }
  return number;
}

std::string_view trim(std::string_view text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) {
    return {};
  }
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// A translated block: the guest code from `first` up to, not including, `end`.
struct Translation {
  std::uint64_t first = 0;
  std::uint64_t end = 0;
  std::optional<Costs> costs; // worked out on its first execution in a run
};

Costs costs_between(const std::vector<Instruction> &program, std::uint64_t first, std::uint64_t end) {
  const auto by_address = [](const Instruction &instruction, std::uint64_t address) {
    return instruction.address < address;
  };
  Costs sum;
  for (auto it = std::lower_bound(program.begin(), program.end(), first, by_address);
       it != program.end() && it->address < end; ++it) {
    sum += it->costs;
  }
  return sum;
}

// "0x00400530:  a9bd7bfd  stp ..." gives 0x400530; qemu's fallback without a
// disassembler, "0x00400530:  OBJD-T: a9bd7bfdb203e7e0", gives the whole
// block's bytes at once.
struct InAsmLine {
  std::uint64_t address = 0;
  std::uint64_t raw_bytes = 0;
};

std::optional<InAsmLine> in_asm_line(std::string_view line) {
  const auto colon = line.find(':');
  if (!line.starts_with("0x") || colon == std::string_view::npos) {
    return std::nullopt;
  }
  const auto address = hex_number(line.substr(0, colon));
  if (!address) {
    return std::nullopt;
  }
  InAsmLine parsed{.address = *address, .raw_bytes = 0};
  const std::string_view rest = trim(line.substr(colon + 1));
  if (rest.starts_with("OBJD-")) {
    const std::string_view hex = trim(rest.substr(rest.find(':') + 1));
    parsed.raw_bytes = static_cast<std::uint64_t>(std::count_if(
                           hex.begin(), hex.end(),
                           [](char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; })) /
                       2;
  }
  return parsed;
}

// "Trace 0: 0x7f9093a00100 [0000000001009331/0000000000400600/00000001/00000200] _start":
// the guest address is the second figure in the brackets.
std::optional<std::uint64_t> traced_address(std::string_view line) {
  const auto open = line.find('[');
  if (open == std::string_view::npos) {
    return std::nullopt;
  }
  const auto slash = line.find('/', open);
  if (slash == std::string_view::npos) {
    return std::nullopt;
  }
  return hex_number(line.substr(slash + 1, line.find('/', slash + 1) - slash - 1));
}

std::string hex(std::uint64_t address) {
  std::ostringstream out;
  out << "0x" << std::hex << address;
  return out.str();
}

bool contains(const std::vector<std::uint64_t> &addresses, std::uint64_t address) {
  return std::find(addresses.begin(), addresses.end(), address) != addresses.end();
}

} // namespace

std::vector<Instruction> read_disassembly(std::istream &objdump, Architecture architecture) {
  std::vector<Instruction> program;
  bool in_workload = false;
  std::string line;
  while (std::getline(objdump, line)) {
    const std::string_view text = line;
    // "0000000000400760 <workload::run_block_1(unsigned int)>:" opens a function.
    if (const auto open = text.find(" <"); open != std::string_view::npos && text.ends_with(">:")) {
      in_workload = text.substr(open + 2).starts_with("workload::");
      continue;
    }
    // "  400760:\tfadd\td0, d0, d1"
    const auto colon = text.find(":\t");
    if (colon == std::string_view::npos) {
      continue;
    }
    const auto address = hex_number(trim(text.substr(0, colon)));
    const std::string_view instruction = trim(text.substr(colon + 2));
    if (!address || instruction.empty() || instruction.starts_with(".") || instruction.starts_with("...")) {
      continue;
    }
    const auto space = instruction.find_first_of(" \t");
    const std::string_view mnemonic = instruction.substr(0, space);
    const std::string_view operands = space == std::string_view::npos ? "" : trim(instruction.substr(space));
    Costs costs = instruction_costs(architecture, mnemonic, operands);
    if (!in_workload) {
      costs.fused = 0;
    }
    program.push_back({.address = *address, .costs = costs});
  }
  std::sort(program.begin(), program.end(),
            [](const Instruction &a, const Instruction &b) { return a.address < b.address; });
  return program;
}

std::vector<std::uint64_t> entry_points(std::istream &readelf, std::string_view name,
                                        Architecture architecture) {
  std::vector<std::uint64_t> entries;
  std::string line;
  while (std::getline(readelf, line)) {
    // "  1573: 00000000100009a0   176 FUNC    GLOBAL DEFAULT [<localentry>: 8]     5 main"
    std::istringstream words(line);
    std::vector<std::string> word;
    for (std::string each; words >> each;) {
      word.push_back(each);
    }
    if (word.size() < 8 || word.back() != name || word[3] != "FUNC") {
      continue;
    }
    auto value = hex_number(word[1]);
    if (!value) {
      continue;
    }
    if (architecture == Architecture::arm) {
      *value &= ~std::uint64_t{1};
    }
    entries.push_back(*value);
    if (const auto local = line.find("[<localentry>: "); local != std::string::npos) {
      std::uint64_t offset = 0;
      const std::string_view rest = std::string_view(line).substr(local + 15);
      std::from_chars(rest.data(), rest.data() + rest.size(), offset);
      entries.push_back(*value + offset);
    }
  }
  return entries;
}

LogRuns read_runs(std::istream &log, const std::vector<Instruction> &program, const Markers &markers) {
  LogRuns found;
  std::unordered_map<std::uint64_t, Translation> translations;
  std::optional<Translation> translating;
  std::optional<Costs> run;
  const auto finish_translation = [&] {
    if (translating) {
      translations[translating->first] = *translating;
      translating.reset();
    }
  };
  std::string line;
  while (std::getline(log, line) && found.problem.empty()) {
    const std::string_view text = line;
    if (text.starts_with("IN:")) {
      finish_translation();
      translating = Translation{};
      translating->first = ~std::uint64_t{0};
    } else if (translating && text.starts_with("0x")) {
      if (const auto parsed = in_asm_line(text)) {
        translating->first = std::min(translating->first, parsed->address);
        translating->end =
            std::max(translating->end, parsed->address + std::max<std::uint64_t>(parsed->raw_bytes, 1));
      }
    } else if (text.starts_with("Trace ")) {
      finish_translation();
      const auto address = traced_address(text);
      if (!address) {
        found.problem = "cannot read the address in: " + line;
      } else if (contains(markers.run_begins, *address)) {
        if (run) {
          found.problem = "a run begins at " + hex(*address) + " inside another";
        }
        run = Costs{};
      } else if (contains(markers.run_ends, *address)) {
        if (!run) {
          found.problem = "a run ends at " + hex(*address) + " that did not begin";
        } else {
          found.runs.push_back(*run);
          run.reset();
        }
      } else if (run) {
        const auto translation = translations.find(*address);
        if (translation == translations.end()) {
          found.problem = "the block at " + hex(*address) + " ran before its translation was logged";
        } else {
          Translation &block = translation->second;
          if (!block.costs) {
            block.costs = costs_between(program, block.first, block.end);
            if (block.costs->instructions == 0) {
              found.problem = "no instruction of the disassembly lies in the block at " + hex(*address);
            }
          }
          *run += *block.costs;
        }
      }
    } else {
      finish_translation();
    }
  }
  if (found.problem.empty() && run) {
    found.problem = "the log ends inside a run";
  }
  return found;
}

} // namespace fidelity
