#pragma once

// Marks the stretch of a benchmark whose instructions callgrind counts on their own: zero()
// before it and dump(name) after it leave the costs of that stretch, of every thread, in a file
// of their own (callgrind.out.PID.N, "Trigger: Client Request: NAME"), apart from the making of
// the feeds and the rest of the run. Outside valgrind, or built without valgrind's headers,
// both do nothing.
#if __has_include(<valgrind/callgrind.h>)
#include <valgrind/callgrind.h>
#define VLX_BENCH_CALLGRIND 1
#endif

namespace Callgrind {

inline bool running()
{
#ifdef VLX_BENCH_CALLGRIND
    return RUNNING_ON_VALGRIND != 0;
#else
    return false;
#endif
}

inline void zero()
{
#ifdef VLX_BENCH_CALLGRIND
    CALLGRIND_ZERO_STATS;
#endif
}

inline void dump([[maybe_unused]] const char *name)
{
#ifdef VLX_BENCH_CALLGRIND
    CALLGRIND_DUMP_STATS_AT(name);
#endif
}

} // namespace Callgrind
