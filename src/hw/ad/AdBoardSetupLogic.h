#pragma once
// The working values and checks of the "A/D Board Setup" dialog, free of any GUI toolkit so
// that tests drive it; the Qt dialog only binds its widgets to these fields.

#include <string>
#include <vector>

class CAdBoard;

class CAdBoardSetupLogic {
  public:
    static constexpr const char* kTitle = "A/D Board Setup";
    static constexpr const char* kBaseLabel = "Base Address (hex):";

    // Fills the entries from the board: hexadecimal base, port and value.
    explicit CAdBoardSetupLogic(const CAdBoard& board);

    // The type list in the order the dialog shows it.
    static std::vector<std::string> TypeList();

    // The dialog caption and base-field label for the chosen type: Measurement Computing
    // PCI/PCM boards are addressed by board ID, National Instruments boards by device ID.
    std::string Title() const;
    std::string BaseLabel() const;

    // Checks every entry; shows a message about the first bad one and returns false, so the
    // dialog stays open for a correction.
    bool CheckEntries();
    // What OK does: takes the entries into the board (with the device-ID and unsupported-board
    // warnings), resets the D/A values, programs the board and saves its settings.
    void Apply(CAdBoard& board);

    // A whole entry as a hexadecimal number (an optional 0x, blanks around) up to `max`.
    static bool ParseHex(const std::string& text, unsigned max, unsigned& value);
    // A whole entry as a finite number.
    static bool ParseNumber(const std::string& text, double& value);

    // The entries, as the dialog's fields hold them.
    std::string typeName;
    std::string baseText;
    bool initOn = false;
    std::string portText;
    std::string valueText;
    std::string adRangeText;
    std::string daRangeText;
    std::string freqText;
};
