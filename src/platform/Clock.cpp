#include "platform/Clock.h"

#include <sys/prctl.h>

#include <algorithm>
#include <chrono>
#include <thread>

std::tm CClock::LocalTime(int64_t seconds) {
    std::time_t t = static_cast<std::time_t>(seconds);
    std::tm out{};
    if (localtime_r(&t, &out) == nullptr) out = std::tm{};
    return out;
}

std::string CClock::FormatLocal(int64_t seconds, const char* strftimeFormat) {
    std::tm tm = LocalTime(seconds);
    char buffer[512];
    size_t n = std::strftime(buffer, sizeof buffer, strftimeFormat, &tm);
    return std::string(buffer, n);
}

void CClock::RunIdleHook() {
    // A hook that itself waits (a repaint that reads the clock) must not recurse.
    if (!idleHook || inIdleHook) return;
    inIdleHook = true;
    idleHook();
    inIdleHook = false;
}

uint64_t CRealClock::Ticks() {
    using namespace std::chrono;
    return static_cast<uint64_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void CRealClock::WaitUntil(uint64_t tick) {
    using namespace std::chrono;
    // Ticks() >= tick exactly when the monotonic clock reaches tick milliseconds. Sleep until
    // shortly before that instant (the kernel wakes us a little late at worst), then spin the
    // last stretch: exact to the millisecond, yet a one-tick wait costs almost no CPU.
    static const bool tightTimers = [] {
        prctl(PR_SET_TIMERSLACK, 1000UL, 0, 0, 0);  // 1 us: wake-ups close to the asked time
        return true;
    }();
    (void)tightTimers;
    constexpr auto kSpinStretch = microseconds(150);
    constexpr auto kIdleEvery = milliseconds(20);
    const steady_clock::time_point deadline{milliseconds(tick)};
    auto lastIdle = steady_clock::now();
    for (;;) {
        auto now = steady_clock::now();
        if (now >= deadline) return;
        if (deadline - now > 2 * kIdleEvery && now - lastIdle >= kIdleEvery) {
            // Long waits hand the GUI a turn now and then so that it keeps repainting.
            RunIdleHook();
            lastIdle = steady_clock::now();
            continue;
        }
        auto wakeAt = deadline - kSpinStretch;
        if (wakeAt > now) {
            std::this_thread::sleep_until(std::min(wakeAt, now + kIdleEvery));
        }
        // else: spin
    }
}

CTimeStamp CRealClock::Now() {
    using namespace std::chrono;
    auto ms = duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
    CTimeStamp stamp;
    stamp.seconds = static_cast<int64_t>(ms / 1000);
    stamp.milliseconds = static_cast<uint16_t>(ms % 1000);
    return stamp;
}

CSimClock::CSimClock(uint64_t startTick, CTimeStamp startWall)
    : tick(startTick), wallMs(startWall.seconds * 1000 + startWall.milliseconds) {}

uint64_t CSimClock::Ticks() {
    uint64_t now = tick;
    if (advancePerTicksCall != 0) Advance(advancePerTicksCall);
    return now;
}

void CSimClock::WaitUntil(uint64_t target) {
    ++waits;
    if (target > tick) Advance(target - tick);
    RunIdleHook();
}

CTimeStamp CSimClock::Now() {
    CTimeStamp stamp;
    int64_t seconds = wallMs / 1000;
    int64_t ms = wallMs % 1000;
    if (ms < 0) {
        ms += 1000;
        --seconds;
    }
    stamp.seconds = seconds;
    stamp.milliseconds = static_cast<uint16_t>(ms);
    return stamp;
}

void CSimClock::Advance(uint64_t ms) {
    tick += ms;
    wallMs += static_cast<int64_t>(ms);
}

void CSimClock::SetWallTime(CTimeStamp wall) {
    wallMs = wall.seconds * 1000 + wall.milliseconds;
}
