#pragma once
// Time for the whole station: millisecond ticks for settling waits and averaging windows, and
// wall-clock stamps for observations and dates. Everything that waits or stamps goes through
// the current CClock, so tests can run hours of scan time in milliseconds with CSimClock.

#include <cstdint>
#include <ctime>
#include <functional>
#include <string>

// A wall-clock moment: seconds since 1970-01-01 00:00:00 UTC plus the milliseconds of that second.
struct CTimeStamp {
    int64_t seconds = 0;
    uint16_t milliseconds = 0;
};

class CClock {
  public:
    virtual ~CClock() = default;

    // Monotonic millisecond tick counter (1000 ticks per second).
    virtual uint64_t Ticks() = 0;
    // Returns once Ticks() >= tick. Calls the idle hook now and then while it waits.
    virtual void WaitUntil(uint64_t tick) = 0;
    // The wall-clock time now.
    virtual CTimeStamp Now() = 0;

    // Waits `ticks` milliseconds from now ("wait one tick" is WaitTicks(1)).
    void WaitTicks(uint64_t ticks) { WaitUntil(Ticks() + ticks); }

    // Run while a wait lasts longer than a few milliseconds, so that the GUI keeps repainting
    // during settling waits and averaging windows. Empty by default.
    void SetIdleHook(std::function<void()> hook) { idleHook = std::move(hook); }
    // True while the idle hook runs: whatever runs now (a repaint, a timer) runs inside a
    // wait of somebody else's.
    bool InsideWait() const { return inIdleHook; }

    // Local-time helpers (the system time zone), shared by descriptions, exports and dates.
    static std::tm LocalTime(int64_t seconds);
    // strftime of `seconds` in local time; a format that produces nothing gives "".
    static std::string FormatLocal(int64_t seconds, const char* strftimeFormat);

  protected:
    void RunIdleHook();

  private:
    std::function<void()> idleHook;
    bool inIdleHook = false;
};

// The real clock: ticks of the monotonic system clock. Waits sleep until about one millisecond
// before the deadline and spin only the last stretch, exact to the millisecond without burning
// a core for the length of an averaging window.
class CRealClock : public CClock {
  public:
    uint64_t Ticks() override;
    void WaitUntil(uint64_t tick) override;
    CTimeStamp Now() override;
};

// A clock for tests and simulations: time stands still until someone waits, and a wait
// advances it to the deadline at once.
class CSimClock : public CClock {
  public:
    // Starts at tick `startTick` and wall time `startWall`.
    explicit CSimClock(uint64_t startTick = 1000000, CTimeStamp startWall = {1196856000, 0});

    uint64_t Ticks() override;
    void WaitUntil(uint64_t tick) override;
    CTimeStamp Now() override;

    // Moves time forward by `ms` milliseconds (ticks and wall clock together).
    void Advance(uint64_t ms);
    // Sets the wall clock without touching the tick counter.
    void SetWallTime(CTimeStamp wall);

    // When non-zero, every Ticks() call also advances time by this many milliseconds. Lets code
    // that polls the tick counter in a loop make progress under simulation.
    uint64_t advancePerTicksCall = 0;
    // Number of WaitUntil calls so far (tests use it to check that a wait happened).
    uint64_t waits = 0;

  private:
    uint64_t tick;
    int64_t wallMs;  // wall time in milliseconds since 1970
};
