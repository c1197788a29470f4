#include "platform/Clock.h"

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
    // Hand the idle hook a turn at most every 20 ms, and sleep in slices so that it gets them.
    constexpr uint64_t kIdleEveryMs = 20;
    uint64_t lastIdle = Ticks();
    for (;;) {
        uint64_t now = Ticks();
        if (now >= tick) return;
        uint64_t remaining = tick - now;
        if (remaining > 2) {
            if (now - lastIdle >= kIdleEveryMs) {
                RunIdleHook();
                lastIdle = Ticks();
                continue;
            }
            uint64_t sleepMs = std::min<uint64_t>(remaining - 1, kIdleEveryMs);
            std::this_thread::sleep_for(milliseconds(sleepMs));
        } else if (remaining == 2) {
            std::this_thread::sleep_for(microseconds(500));
        } else {
            // Last millisecond: spin so the deadline is met exactly.
            std::this_thread::yield();
        }
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
