#pragma once

// Compiler barriers that keep the workload's work in the compiled program.
//
// Nothing the workload computes is ever read, so an optimizer is entitled to
// delete its loops, merge its stores and fold its arithmetic. These barriers
// emit no instructions; they only tell the compiler that a value is needed
// and may have changed, which is enough to keep every operation and store in
// place without the extra memory traffic that volatile variables would add.

#include <atomic>
#include <cstdint>

#if defined(__GNUC__) || defined(__clang__)
#define MEGAWHETS_GNU_ASM 1
#endif

// A procedure whose every call must be a real call and return: never
// inlined, cloned, or replaced by what the compiler can infer of its effects.
#if defined(__clang__)
#define MEGAWHETS_REAL_CALL __attribute__((noinline))
#elif defined(__GNUC__)
#define MEGAWHETS_REAL_CALL __attribute__((noinline, noipa))
#elif defined(_MSC_VER)
#define MEGAWHETS_REAL_CALL __declspec(noinline)
#else
#define MEGAWHETS_REAL_CALL
#endif

namespace workload {

// The value in `v` is consumed and replaced by something the compiler cannot
// know, so the computation that produced it must run and nothing computed
// from it can be folded. Doubles stay in floating-point registers: each
// architecture names its own register class, and one whose letter has not
// been checked in the disassembly gets a memory operand, which is safe but
// adds a store and a load the workload does not contain.
inline void opaque(double &v) noexcept {
#if defined(MEGAWHETS_GNU_ASM) && (defined(__x86_64__) || (defined(__i386__) && defined(__SSE2__)))
  asm volatile("" : "+x"(v));
#elif defined(MEGAWHETS_GNU_ASM) && defined(__aarch64__)
  asm volatile("" : "+w"(v));
#elif defined(MEGAWHETS_GNU_ASM) && defined(__arm__) && defined(__ARM_FP) && (__ARM_FP & 8)
  // VFP with double precision: "w" is a d register.
  asm volatile("" : "+w"(v));
#elif defined(MEGAWHETS_GNU_ASM) && defined(__riscv) && defined(__riscv_flen) && __riscv_flen >= 64
  asm volatile("" : "+f"(v));
#elif defined(MEGAWHETS_GNU_ASM) && defined(__powerpc64__) && !defined(_SOFT_FLOAT)
  asm volatile("" : "+d"(v));
#elif defined(MEGAWHETS_GNU_ASM) && defined(__s390x__) && !defined(__s390_soft_float__)
  // Here "d" would be a general register; "f" is a floating-point one.
  asm volatile("" : "+f"(v));
#elif defined(MEGAWHETS_GNU_ASM)
  asm volatile("" : "+m"(v));
#else
  // Without GNU asm a round trip through a volatile is the only portable
  // way; it costs a store and a load but keeps the work.
  volatile double sink = v;
  v = sink;
#endif
}

inline void opaque(std::uint32_t &v) noexcept {
#if defined(MEGAWHETS_GNU_ASM)
  asm volatile("" : "+r"(v));
#else
  volatile std::uint32_t sink = v;
  v = sink;
#endif
}

// The object in memory may have been read and rewritten, so stores to it
// before this point must happen, and later reads must load it again.
template <class Object> inline void opaque_in_memory(Object &object) noexcept {
#if defined(MEGAWHETS_GNU_ASM)
  asm volatile("" : "+m"(object));
#else
  (void)object;
  std::atomic_signal_fence(std::memory_order_seq_cst);
#endif
}

// Every store made so far is observed and any memory may have changed.
inline void observe_all_memory() noexcept {
#if defined(MEGAWHETS_GNU_ASM)
  asm volatile("" ::: "memory");
#else
  std::atomic_signal_fence(std::memory_order_seq_cst);
#endif
}

} // namespace workload
