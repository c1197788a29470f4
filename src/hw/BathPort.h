#pragma once
// The etch and rinse carriage's one byte-wide port: four command bits pulsed out, four sensor
// bits read back. The carriage on a real I/O address goes through PortIo(); port 0 is a
// simulated carriage behind the very same bits, so the bar can be tried without hardware.

#include <cstdint>

// Command bits: a pulse is the value written, followed at once by 0.
inline constexpr uint8_t kBathRaise = 0x10;
inline constexpr uint8_t kBathLower = 0x20;
inline constexpr uint8_t kBathToEtch = 0x40;
inline constexpr uint8_t kBathToRinse = 0x80;

// Sensor bits of the status s = (~input) & 0x0F: a sensor that reads 0 is active.
inline constexpr uint8_t kBathRaised = 0x01;
inline constexpr uint8_t kBathLowered = 0x02;
inline constexpr uint8_t kBathEtchCup = 0x04;
inline constexpr uint8_t kBathRinseCup = 0x08;

class CBathPort {
  public:
    virtual ~CBathPort() = default;
    // The input byte: sensors in bits 0..3, each 0 while active.
    virtual uint8_t Read() = 0;
    virtual void Write(uint8_t value) = 0;
};

// The carriage on an I/O address. Access must have been acquired (PortIo().Acquire).
class CIoBathPort : public CBathPort {
  public:
    explicit CIoBathPort(uint16_t address) : address(address) {}
    uint8_t Read() override;
    void Write(uint8_t value) override;

  private:
    uint16_t address;
};

// A carriage that behaves like the real one, on the station's clock: a pulse starts a move,
// the sensor left behind goes inactive at once and the one reached becomes active when the
// move is over (1 s to raise or lower, 2 s to bring the other cup). Like the real carriage it
// swings its cups only while lowered, and ignores a command for where it already is or goes.
// It starts lowered with the rinse cup in place.
class CSimulatedCarriage : public CBathPort {
  public:
    static constexpr uint64_t kLiftMs = 1000;
    static constexpr uint64_t kCupMs = 2000;

    uint8_t Read() override;
    void Write(uint8_t value) override;

    // The sensor status s (active bits set), as the carriage stands now.
    uint8_t Sensors();

  private:
    enum class ELift { Lowered, Raised };
    enum class ECup { None, Etch, Rinse };

    void Settle();

    ELift lift = ELift::Lowered;
    bool liftMoving = false;
    uint64_t liftDoneAt = 0;
    ECup cup = ECup::Rinse;
    ECup cupTarget = ECup::Rinse;  // where the cups are or are going
    bool cupMoving = false;
    uint64_t cupDoneAt = 0;
};
