// The schedule's running costs: heap allocations and time per non-firing tick and per
// arm/disarm cycle, through the main window's handlers on the memory backends.
//
//   brellix_tick_bench [ticks [cycles]]   allocations and nanoseconds per tick and per cycle
//   brellix_tick_bench --ticks-only N     N ticks and nothing else (for instruction counting)
//   brellix_tick_bench --cycles-only N    N arm/disarm cycles and nothing else (likewise)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "platform/memory/memory_forms.h"
#include "platform/memory/memory_os.h"
#include "scheduler/schedule.h"
#include "ui/main_window.h"
#include "ui/main_window_design.h"

namespace {

std::size_t g_allocations = 0;

}  // namespace

void* operator new(std::size_t size) {
    ++g_allocations;
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    ++g_allocations;
    return std::malloc(size ? size : 1);
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept { return operator new(size, tag); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace {

using namespace brellix;

struct Bench {
    platform::MemoryOs os;
    platform::MemoryForms forms;
    scheduler::Schedule schedule;
    ui::MainWindowState frmState;
    ui::MainWindow frm{forms, os, schedule, frmState};

    Bench() {
        forms.Load(ui::MainWindowSpec(), frm);
        forms.Show();
        // Far from the default target, 3:15:45 AM: no tick of a run fires.
        os.localTime = {10, 0, 0, 0};
        frm.Arm();
    }

    void Advance333() {
        os.tickMilliseconds += 333;
        os.systemMilliseconds += 333;
        platform::LocalTimeOfDay& t = os.localTime;
        t.millisecond += 333;
        t.second += t.millisecond / 1000;
        t.millisecond %= 1000;
        t.minute += t.second / 60;
        t.second %= 60;
        t.hour += t.minute / 60;
        t.minute %= 60;
        // Long runs stay in the afternoon, away from the target, as if the clock were set back.
        if (t.hour == 22) t.hour = 10;
    }

    void Ticks(long count) {
        for (long i = 0; i < count; ++i) {
            Advance333();
            forms.TimerTick(ui::control::ScheduleTimer);
        }
    }

    void Cycles(long count) {
        for (long i = 0; i < count; ++i) {
            frm.Disarm();
            frm.Arm();
        }
    }
};

struct Measure {
    std::size_t allocations;
    double nanoseconds;
};

template <typename Run>
Measure Measured(long count, Run run) {
    const std::size_t allocationsBefore = g_allocations;
    const auto start = std::chrono::steady_clock::now();
    run();
    const auto elapsed = std::chrono::steady_clock::now() - start;
    return {g_allocations - allocationsBefore,
            std::chrono::duration<double, std::nano>(elapsed).count() / static_cast<double>(count)};
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--ticks-only") == 0) {
        Bench bench;
        bench.Ticks(std::atol(argv[2]));
        return bench.os.sessionEnds.empty() ? 0 : 1;
    }
    if (argc == 3 && std::strcmp(argv[1], "--cycles-only") == 0) {
        Bench bench;
        bench.Cycles(std::atol(argv[2]));
        return 0;
    }
    const long ticks = argc > 1 ? std::atol(argv[1]) : 10'000;
    const long cycles = argc > 2 ? std::atol(argv[2]) : 10'000;
    if (ticks <= 0 || cycles <= 0) {
        std::fprintf(stderr, "usage: %s [ticks [cycles]] | --ticks-only N | --cycles-only N\n", argv[0]);
        return 2;
    }

    Bench bench;
    const Measure tick = Measured(ticks, [&] { bench.Ticks(ticks); });
    if (!bench.os.sessionEnds.empty()) {
        std::fprintf(stderr, "a tick fired: the run is not one of non-firing ticks\n");
        return 1;
    }
    const Measure cycle = Measured(cycles, [&] { bench.Cycles(cycles); });

    std::printf("non-firing ticks:   %ld, %zu allocations, %.3f per tick, %.1f ns per tick\n", ticks, tick.allocations,
                static_cast<double>(tick.allocations) / static_cast<double>(ticks), tick.nanoseconds);
    std::printf("arm/disarm cycles:  %ld, %zu allocations, %.3f per cycle, %.1f ns per cycle\n", cycles,
                cycle.allocations, static_cast<double>(cycle.allocations) / static_cast<double>(cycles),
                cycle.nanoseconds);
    return tick.allocations == 0 ? 0 : 1;
}
