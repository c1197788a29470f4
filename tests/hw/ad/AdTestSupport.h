#pragma once
// Shared pieces of the board-layer tests: a fixture with scripted ports installed, and ports
// whose conversions take simulated time.

#include <cstdint>
#include <set>

#include "hw/AdBoard.h"
#include "platform/PortIo.h"
#include "support/TestEnv.h"

// Ports where reading one of `slowPorts` takes one millisecond of simulated time, like a
// conversion on a real board; without it a paced loop would never see its window end.
class CTimedPorts : public CScriptedPortIo {
  public:
    explicit CTimedPorts(CSimClock& clock) : clock(clock) {}
    uint8_t In8(uint16_t port) override {
        uint8_t value = CScriptedPortIo::In8(port);
        if (slowPorts.count(port)) clock.Advance(1);
        return value;
    }
    std::set<uint16_t> slowPorts;

  private:
    CSimClock& clock;
};

class CAdTest : public CVelmTest {
  protected:
    CAdTest() : ports(clock), scopedPorts(&ports) {}

    // A board of `type` at `base`, programmed, with the port log cleared afterwards.
    void Configure(CAdBoard& board, int type, int base) {
        board.type = type;
        board.base = base;
        board.Init();
        ports.log.clear();
    }

    CTimedPorts ports;
    CScopedPortIo scopedPorts;
};

using PortWrites = std::vector<std::pair<uint16_t, uint16_t>>;
