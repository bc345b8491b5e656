// What reading a file of records costs, by the shape of what it holds: junk
// braces (what `yes '{'` makes), one object of very many keys, objects
// nested past the limit line after line, a very long string, many small
// JSON texts, many small texts each with a faulty copy and warning, and
// real-looking records as the program writes them; each at
// 1, 4 and 16 MiB. Beside the time, two counters per input byte: the time,
// and the most heap the reading held at once beyond the text itself. Both
// stay flat as the input grows when the cost grows with the input alone; a
// cost that grows faster shows as a counter that grows with the size.

#include "bench/fleet_records.h"
#include "record/record_reader.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <map>
#include <new>
#include <string>
#include <utility>

namespace {

// The heap in use and the most of it at once since the last reset, counted
// by the program's own operator new and delete below.
std::size_t heap_in_use = 0;
std::size_t heap_peak = 0;

// Each block carries its size before it, in a header that keeps malloc's
// alignment.
constexpr std::size_t header = 16;

void *counted_allocation(std::size_t size) {
  void *block = std::malloc(size + header);
  if (block == nullptr) {
    throw std::bad_alloc();
  }
  *static_cast<std::size_t *>(block) = size;
  heap_in_use += size;
  heap_peak = heap_in_use > heap_peak ? heap_in_use : heap_peak;
  return static_cast<char *>(block) + header;
}

void counted_release(void *pointer) noexcept {
  if (pointer != nullptr) {
    void *block = static_cast<char *>(pointer) - header;
    heap_in_use -= *static_cast<std::size_t *>(block);
    std::free(block);
  }
}

enum class Shape {
  junk_braces,
  wide_object,
  deep_nesting,
  long_string,
  many_small_texts,
  faulty_elements,
  real_records
};

const std::pair<Shape, const char *> shapes[] = {
    {Shape::junk_braces, "junk_braces"},           {Shape::wide_object, "wide_object"},
    {Shape::deep_nesting, "deep_nesting"},         {Shape::long_string, "long_string"},
    {Shape::many_small_texts, "many_small_texts"}, {Shape::faulty_elements, "faulty_elements"},
    {Shape::real_records, "real_records"}};

std::string repeated(const std::string &piece, std::size_t bytes) {
  std::string text;
  text.reserve(bytes + piece.size());
  while (text.size() < bytes) {
    text += piece;
  }
  return text;
}

// About `bytes` of text of the shape.
std::string text_of(Shape shape, std::size_t bytes) {
  switch (shape) {
  case Shape::junk_braces:
    return repeated("{\n", bytes);
  case Shape::wide_object: {
    std::string text = "{";
    for (std::size_t key = 0; text.size() < bytes; ++key) {
      text += "\"key" + std::to_string(key) + "\": " + std::to_string(key) + ", ";
    }
    return text + "\"schema_version\": 1}\n";
  }
  case Shape::deep_nesting: {
    std::string line;
    for (int level = 0; level < 40; ++level) {
      line += "{\"a\":";
    }
    return repeated(line + "1" + std::string(40, '}') + "\n", bytes);
  }
  case Shape::long_string:
    return "{\"machine\": {\"host_name\": \"" + std::string(bytes, 'h') + "\"}}\n";
  case Shape::many_small_texts:
    return repeated("{}\n", bytes);
  case Shape::faulty_elements:
    return repeated("{\"passes\": [{\"copies\": [1]}], \"warnings\": [1]}\n", bytes);
  case Shape::real_records:
    // A host's records are about 2 KiB each.
    return bench::synthetic_fleet(bytes / 2048 / 4 + 1, 4, 1).records;
  }
  return {};
}

void read_shape(benchmark::State &state, Shape shape) {
  const std::string text = text_of(shape, static_cast<std::size_t>(state.range(0)) * 1024 * 1024);
  std::size_t runs = 0;
  std::size_t problems = 0;
  const record::TextHandler count = [&](const record::TextRead &read) {
    ++(read.run != nullptr ? runs : problems);
  };
  const record::Text file("bench.json");
  std::size_t peak = 0;
  for (auto _ : state) {
    heap_peak = heap_in_use;
    const std::size_t before = heap_in_use;
    benchmark::DoNotOptimize(record::read_records(text, file, count));
    peak = std::max(peak, heap_peak - before);
  }
  const auto bytes = static_cast<double>(text.size());
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(text.size()));
  // Shown as a time, "16.8ns" a byte.
  state.counters["time_per_byte"] =
      benchmark::Counter(bytes, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
  state.counters["peak_heap_per_byte"] = static_cast<double>(peak) / bytes;
  state.counters["runs"] = static_cast<double>(runs / state.iterations());
  state.counters["problems"] = static_cast<double>(problems / state.iterations());
}

} // namespace

void *operator new(std::size_t size) { return counted_allocation(size); }
void *operator new[](std::size_t size) { return counted_allocation(size); }
void operator delete(void *pointer) noexcept { counted_release(pointer); }
void operator delete[](void *pointer) noexcept { counted_release(pointer); }
void operator delete(void *pointer, std::size_t) noexcept { counted_release(pointer); }
void operator delete[](void *pointer, std::size_t) noexcept { counted_release(pointer); }

int main(int argc, char **argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
    return 1;
  }
  for (const auto &[shape, name] : shapes) {
    benchmark::RegisterBenchmark((std::string("read_records/") + name).c_str(),
                                 [shape = shape](benchmark::State &state) { read_shape(state, shape); })
        ->Arg(1)
        ->Arg(4)
        ->Arg(16)
        ->Unit(benchmark::kMillisecond);
  }
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
