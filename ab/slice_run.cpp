#include "ab/slice_run.h"

#include "platform/interrupts.h"
#include "text/printable.h"

#include <algorithm>

namespace ab {
namespace {

using std::chrono::milliseconds;

// How long one wait for output lasts at most, so that an interrupt is seen
// within it even where a signal cannot cut a wait short.
constexpr milliseconds longest_wait{100};

// The program's first prompt: it has passed its self-check and waits for
// its counts.
constexpr std::string_view first_prompt = "Number of inner loops";

// How long a program that has closed its streams may take to end.
constexpr milliseconds lingering{10000};

struct Running {
  platform::StartedProgram program{};
  platform::ProgramOutput output{};
  ProgramSlice *slice = nullptr;
  std::size_t report_seen = 0; // standard error's bytes before the counts were written
  bool start_seen = false;     // its report has shown that the pass began
};

// Keeps the report's first part and its end, where the context line and
// warnings are.
void bound_report(std::string &report) {
  if (report.size() > largest_report_kept) {
    const std::size_t half = largest_report_kept / 2;
    report = report.substr(0, half) + "\n...\n" + report.substr(report.size() - half);
  }
}

// A program run only to keep a processor busy: its figures are never read.
struct Filler {
  platform::StartedProgram program{};
  platform::ProgramOutput output{};
};

class Slices {
public:
  Slices(std::span<const SliceRequest> requests, std::vector<ProgramSlice> &slices)
      : requests_(requests.begin(), requests.end()), fillers_(requests.size()) {
    running_.resize(requests.size());
    for (std::size_t i = 0; i < requests.size(); ++i) {
      running_[i].slice = &slices[i];
    }
  }
  Slices(const Slices &) = delete;
  Slices &operator=(const Slices &) = delete;

  // However the slices end, no program is left running.
  ~Slices() {
    for (Running &each : running_) {
      platform::end_program(each.program);
    }
    end_fillers();
  }

  bool start(std::span<const SliceRequest> requests) {
    for (std::size_t i = 0; i < requests.size(); ++i) {
      std::string failure;
      if (!platform::start_program(requests[i].path, {"--json", "-"}, requests[i].processor,
                                   running_[i].program, failure)) {
        running_[i].slice->start_failure = failure;
        return fail(i, SliceFailure::not_started);
      }
    }
    return true;
  }

  // Until every program has asked for its counts, or one ended or failed
  // to.
  bool await_prompts(milliseconds longest) {
    const auto give_up = Clock::now() + longest;
    for (;;) {
      bool all_asked = true;
      for (std::size_t i = 0; i < running_.size(); ++i) {
        const Running &each = running_[i];
        if (each.output.error.find(first_prompt) != std::string::npos) {
          continue;
        }
        all_asked = false;
        if (platform::output_ended(each.program) || each.output.error.size() > largest_report_kept ||
            each.output.output.size() > largest_record_text) {
          return fail(i, SliceFailure::no_prompt);
        }
      }
      if (all_asked) {
        return true;
      }
      if (Clock::now() > give_up) {
        for (std::size_t i = 0; i < running_.size(); ++i) {
          if (running_[i].output.error.find(first_prompt) == std::string::npos) {
            return fail(i, SliceFailure::no_prompt_in_time, longest);
          }
        }
      }
      if (!collect()) {
        return false;
      }
    }
  }

  // One write each, back to back, so that the programs start within
  // microseconds of each other; the passes' start is when each answers.
  bool release(const pass::Counts &counts) {
    const std::string line = std::to_string(counts.inner) + " " + std::to_string(counts.outer) + "\n";
    counts_line_ = line;
    for (Running &each : running_) {
      each.report_seen = each.output.error.size();
      // Until its report shows the pass began; a program silent after its
      // counts began no later than its counts were sent.
      each.slice->started = Clock::now();
    }
    for (std::size_t i = 0; i < running_.size(); ++i) {
      if (!platform::write_to_program(running_[i].program, line)) {
        return fail(i, SliceFailure::stopped_reading_counts);
      }
      platform::close_program_input(running_[i].program);
    }
    return true;
  }

  bool await_ends(milliseconds longest) {
    const auto give_up = Clock::now() + longest;
    for (;;) {
      bool all_ended = true;
      for (std::size_t i = 0; i < running_.size(); ++i) {
        Running &each = running_[i];
        if (each.output.output.size() > largest_record_text) {
          return fail(i, SliceFailure::too_much_output);
        }
        bound_report(each.output.error);
        all_ended = all_ended && platform::output_ended(each.program);
      }
      if (all_ended) {
        end_fillers();
        return true;
      }
      keep_processors_busy();
      if (Clock::now() > give_up) {
        return fail(unfinished(), SliceFailure::no_end_in_time, longest);
      }
      if (!collect()) {
        return false;
      }
    }
  }

  // Every program has closed its streams, which it does as it ends; one
  // that lingers is ended.
  void finish() {
    for (Running &each : running_) {
      platform::ProgramEnding ending = platform::wait_for_program(each.program, lingering);
      if (ending.ended_here && each.slice->failure == SliceFailure::none) {
        each.slice->failure = SliceFailure::lingered;
        each.slice->waited_limit = lingering;
      }
      keep(each, std::move(ending));
    }
  }

private:
  // Programs that run together end at different moments, and a processor
  // left idle would let the one still running go faster (the other
  // processor's share of a turbo budget, of a host core's units, of the
  // machine's other work), which would shrink the difference between them.
  // So each that has ended is followed, on its processor, by the same
  // program again, whose figures are thrown away, until all have ended.
  void keep_processors_busy() {
    if (running_.size() < 2) {
      return;
    }
    for (std::size_t i = 0; i < running_.size(); ++i) {
      Filler &filler = fillers_[i];
      if (!platform::output_ended(running_[i].program) ||
          (filler.program.process != -1 && !platform::output_ended(filler.program))) {
        continue;
      }
      platform::end_program(filler.program);
      filler.output = {};
      std::string failure;
      if (platform::start_program(requests_[i].path, {"--json", "-"}, requests_[i].processor, filler.program,
                                  failure)) {
        platform::write_to_program(filler.program, counts_line_);
        platform::close_program_input(filler.program);
      }
    }
  }

  void end_fillers() {
    for (Filler &filler : fillers_) {
      platform::end_program(filler.program);
    }
  }

  bool collect() {
    if (platform::interrupt_requested()) {
      for (Running &each : running_) {
        each.slice->interrupted = true;
      }
      stop_all();
      return false;
    }
    std::vector<platform::StartedProgram *> programs;
    std::vector<platform::ProgramOutput *> outputs;
    for (Running &each : running_) {
      programs.push_back(&each.program);
      outputs.push_back(&each.output);
    }
    // A filler's output is read only so that it never waits on a full pipe.
    for (Filler &filler : fillers_) {
      filler.output = {};
      programs.push_back(&filler.program);
      outputs.push_back(&filler.output);
    }
    const auto before = Clock::now();
    platform::collect_output(programs, outputs, longest_wait);
    // A program that has ended is done, though something it started may
    // hold its streams open: that is ended, and its streams close.
    for (platform::StartedProgram *program : programs) {
      if (!platform::output_ended(*program)) {
        platform::program_ended(*program);
      }
    }
    for (Running &each : running_) {
      if (!each.start_seen && each.report_seen > 0 && each.output.error.size() > each.report_seen) {
        each.start_seen = true;
        // Between the wait's start and now: the middle is the best guess.
        each.slice->started = before + (Clock::now() - before) / 2;
      }
    }
    return true;
  }

  std::size_t unfinished() const {
    for (std::size_t i = 0; i < running_.size(); ++i) {
      if (!platform::output_ended(running_[i].program)) {
        return i;
      }
    }
    return 0;
  }

  bool fail(std::size_t index, SliceFailure failure, milliseconds limit = {}) {
    running_[index].slice->failure = failure;
    running_[index].slice->waited_limit = limit;
    stop_all();
    return false;
  }

  // A program that had closed its streams has ended, or is about to: it
  // is given a moment, so that its own status is kept.
  void stop_all() {
    end_fillers();
    for (Running &each : running_) {
      keep(each, platform::wait_for_program(
                     each.program, platform::output_ended(each.program) ? lingering : milliseconds(0)));
    }
  }

  static void keep(Running &each, platform::ProgramEnding ending) {
    if (each.slice->ending.description.empty()) {
      each.slice->ending = std::move(ending);
      each.slice->ended = Clock::now();
      each.slice->record_text = std::move(each.output.output);
      each.slice->report = std::move(each.output.error);
      bound_report(each.slice->report);
    }
  }

  std::vector<SliceRequest> requests_;
  std::vector<Running> running_;
  std::vector<Filler> fillers_;
  std::string counts_line_{};
};

} // namespace

std::vector<ProgramSlice> run_slices(std::span<const SliceRequest> requests, const pass::Counts &counts,
                                     const SliceLimits &limits) {
  std::vector<ProgramSlice> slices(requests.size());
  Slices running(requests, slices);
  if (running.start(requests) && running.await_prompts(limits.prompt) && running.release(counts) &&
      running.await_ends(limits.run)) {
    running.finish();
  }
  return slices;
}

std::string last_words(const ProgramSlice &slice) {
  std::string_view report = slice.report;
  while (!report.empty() && (report.back() == '\n' || report.back() == '\r')) {
    report.remove_suffix(1);
  }
  const std::size_t line_start = report.find_last_of('\n');
  std::string_view line = line_start == std::string_view::npos ? report : report.substr(line_start + 1);
  if (line.size() > 200) {
    line = line.substr(0, 200);
  }
  return text::printable(line);
}

} // namespace ab
