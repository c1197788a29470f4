#pragma once
// The etch and rinse bath mover: a carriage with an etch cup and a rinse cup under the probe,
// which brings either cup under the probe and raises it so that the tip dips in. The
// "Etch-Rinse Control" bar shows its sensors and offers the single steps, two automatic
// sequences that also move the probe to a stored position, and a setup; this class holds all
// of their behaviour, the bar only shows it.
//
// A probe tip is a few microns wide, so every move here checks the carriage first: a move
// whose sensors disagree is not made, and an automatic sequence ends at the first step that
// does not arrive, before the probe is moved or a cup raised under it.

#include <cstdint>
#include <memory>
#include <string>

#include "hw/BathPort.h"
#include "platform/Vector4.h"

class CMsWcmc;

// The carriage's sensor status s = (~input) & 0x0F.
struct SBathStatus {
    bool known = false;  // false while the port cannot be read
    uint8_t bits = 0;

    static SBathStatus FromInput(uint8_t input) { return {true, uint8_t(~input & 0x0F)}; }
    bool Raised() const { return bits & kBathRaised; }
    bool Lowered() const { return bits & kBathLowered; }
    bool EtchCup() const { return bits & kBathEtchCup; }
    bool RinseCup() const { return bits & kBathRinseCup; }
    bool CupInPlace() const { return EtchCup() || RinseCup(); }
    // Raised and lowered at once, or both cups in place: a stuck or unplugged sensor.
    bool Contradictory() const { return (Raised() && Lowered()) || (EtchCup() && RinseCup()); }
    // The two green lamps: raised with the etch cup, raised with the rinse cup.
    bool InEtchBath() const { return Raised() && EtchCup(); }
    bool InRinseBath() const { return Raised() && RinseCup(); }
};

// The single steps and the two baths of the automatic sequences.
enum class EBathStep { Up, Down, Etch, Rinse };
enum class EBath { None, Etch, Rinse };

// What the bar shows of the bath mover; the defaults do nothing, so it also runs without one.
class CBathMoverView {
  public:
    virtual ~CBathMoverView() = default;
    // Lamps, button states and the stored positions, from Status().
    virtual void ShowStatus() {}
    // A note in the main window's status line.
    virtual void ShowHint(const std::string&) {}
    // The probe stage moved: its position display follows.
    virtual void ShowProbePosition() {}
    // Starts or stops the 50 ms timer that calls Poll() while a raise is pending.
    virtual void RunPollTimer(bool) {}
    // The busy cursor while a step waits for its sensor.
    virtual void ShowBusy(bool) {}
};

class CBathMover {
  public:
    static constexpr const char* kCaption = "Etch Rinse Control";
    static constexpr const char* kControlKey = "Etch-Rinse Control";
    static constexpr const char* kRinseKey = "Rinse Position";
    static constexpr const char* kEtchKey = "Etch Position";
    static constexpr double kDefaultTimeout = 15.0;
    static constexpr double kDefaultStatusPeriod = 2.5;
    static constexpr double kMinSeconds = 1.0, kMaxSeconds = 60.0;
    // Port 0 is the simulated carriage; real addresses start above the PC's system devices.
    static constexpr int kSimulatedPort = 0;
    static constexpr int kMinPortAddress = 0x100;
    static constexpr int kMaxPortAddress = 0xFFFF;
    // How often the sensors are read while a step or a raise waits.
    static constexpr uint64_t kPollMs = 50;
    // How close the probe must come to a bath position before a cup is raised under it.
    static constexpr double kArrivalToleranceUm = 1.0;

    // `probe` is the stage moved to the stored positions; `defaultPort` the port used when
    // velm.ini names none (the A/D board's digital port). Settings are not read here.
    CBathMover(CMsWcmc& probe, int defaultPort);
    ~CBathMover();
    CBathMover(const CBathMover&) = delete;
    CBathMover& operator=(const CBathMover&) = delete;

    int port;
    double timeout = kDefaultTimeout;            // seconds allowed for each carriage move
    double statusPeriod = kDefaultStatusPeriod;  // seconds between lamp refreshes
    CDVector4 rinsePosition;
    CDVector4 etchPosition;

    void SetView(CBathMoverView* newView) { view = newView ? newView : &noView; }

    // ---- Settings ("Mainframe Parameters") ------------------------------------------------
    // "Etch-Rinse Control", "Rinse Position", "Etch Position". Time-outs and periods outside
    // 1..60 s take their defaults; lines present but unreadable are named in one message.
    void LoadSettings();
    void SaveSettings() const;
    // The lamp refresh period of the status timer in milliseconds.
    int StatusPeriodMs() const { return static_cast<int>(statusPeriod * 1000); }
    // "(%.1lf,%.1lf, %.1lf,%.1lf)", as the bar shows a stored position.
    static std::string PositionText(const CDVector4& position);
    // Why `address` cannot be the carriage's port, or "" when it can (0 or 100..FFFF hex).
    static std::string PortAddressProblem(int address);

    // ---- Sensors ----------------------------------------------------------------------------
    // Reads the sensors (unknown while the port cannot be reached; PortProblem() says why).
    const SBathStatus& ReadStatus();
    const SBathStatus& Status() const { return status; }
    const std::string& PortProblem() const { return portProblem; }
    // Forgets the port, so the next read opens the one `port` names now (after a setup).
    void ResetPort();

    // ---- The bar's buttons -------------------------------------------------------------------
    // Whether a button makes sense with the last status read. While a raise is pending only
    // "Down" stays, which ends the pending sequence first.
    bool CanStep(EBathStep step) const;
    bool CanAuto(EBath bath) const;
    // "Get" takes the probe's position: only with a probe motion system.
    bool CanGet() const;

    // A single step: refused (only the lamps refresh) unless CanStep holds on a fresh read;
    // otherwise the pulse, then a wait for the sensor. False when refused or timed out (the
    // time-out has been shown).
    bool Step(EBathStep step);
    // The automatic sequence to a bath. True when the cup is raised or being raised.
    bool Auto(EBath bath);
    // One tick of the 50 ms timer while a raise is pending.
    void Poll();
    bool Pending() const { return pending != EBath::None; }
    EBath PendingBath() const { return pending; }
    // Seconds since the pending raise was commanded.
    double Elapsed() const;
    // "Get": the probe's position becomes the bath's position, saved at once.
    void GetPosition(EBath bath);

    // True while another acquisition holds the station (a settling wait, an averaging window,
    // a move) or the bath mover is inside one of its own steps: the timers skip their ticks
    // then, so the port is never read in the middle of another reading.
    bool StationBusy() const;

  private:
    enum class EStepResult { Done, Refused, TimedOut, NoPort };

    CBathPort* Port();
    EStepResult RunStep(EBathStep step);
    bool WaitFor(uint8_t bit);
    void EndPending();
    void Warn(const std::string& text) const;
    bool CheckSensors();

    CMsWcmc& probe;
    std::unique_ptr<CBathPort> bathPort;
    bool portOpened = false;
    std::string portProblem;
    SBathStatus status;
    EBath pending = EBath::None;
    uint64_t pendingStart = 0;
    bool inOperation = false;

    CBathMoverView noView;
    CBathMoverView* view = &noView;
};

// "Etch-Rinse Setup": the entries as typed and the checks of OK.
class CBathSetupLogic {
  public:
    static constexpr const char* kTitle = "Etch-Rinse Setup";

    explicit CBathSetupLogic(const CBathMover& mover);

    std::string portText;      // "Control I/O port:" (hexadecimal)
    std::string timeoutText;   // "Timeout period:"
    std::string statusText;    // "Status update period:"
    std::string rinseText[4];  // "Rinse Position:" X, Y, Z, W
    std::string etchText[4];   // "Etch Position:"

    // Checks every entry; false with the first bad one's message in `error` (the dialog then
    // stays open).
    bool Accept(std::string& error);
    // Takes the accepted entries into the mover, saves the three keys and opens the new port.
    void Apply(CBathMover& mover) const;

  private:
    int port = 0;
    double timeout = 0, statusPeriod = 0;
    CDVector4 rinse, etch;
};
