#pragma once
// "Simulated Station" (System menu, while the A/D board is the Simulated Station): every
// parameter of the virtual bench, the calibration source's switch and the beaker. The widgets
// are made from CSimStationLogic's field list and named after the fields; OK takes the entries
// only when the logic accepts them all.

#include <QDialog>

#include "hw/sim/SimStationLogic.h"

class CAdBoard;

class CSimStationDialog : public QDialog {
    Q_OBJECT
  public:
    CSimStationDialog(CAdBoard& board, QWidget* parent = nullptr);

    CSimStationLogic& Logic() { return logic; }
    void accept() override;

  private:
    // The widgets' contents into the logic's field texts.
    void ToLogic();

    CAdBoard& board;
    CSimStationLogic logic;
};
