#pragma once
// Working values of the "Motion Control Setup" dialog: the entries as typed, their checks and
// the transfer of accepted values to the motion system. The Qt dialog binds its widgets to the
// public entries and calls Accept() on OK.

#include <array>
#include <string>

class CMsWcmc;

class CMotionSetupLogic {
  public:
    static constexpr const char* kTitle =
        "Motion Control Setup - National Instruments PCI-73x4 Interface";

    // Ranges the dialog accepts.
    static constexpr double kMinResolution = 0.1, kMaxResolution = 1000.0;  // steps/micron
    static constexpr double kMinSpeed = 0.01, kMaxSpeed = 10000.0;          // microns/sec
    static constexpr double kMinDistance = 0.1, kMaxDistance = 1000.0;      // microns
    static constexpr double kMaxZMinimum = 1.0e7;                           // |microns|
    static constexpr size_t kMaxBoardIdDigits = 8;

    explicit CMotionSetupLogic(const CMsWcmc& system);

    // Editable entries, per axis X, Y, Z, W.
    std::string name;
    std::string boardId;  // hexadecimal
    std::array<std::string, 4> resolution;
    std::array<std::string, 4> positiveMotion;
    std::array<std::string, 4> maxSpeed;
    std::array<std::string, 4> trackingSpeed;
    std::array<std::string, 4> accelDistance;
    bool zMinimumOn = false;
    std::string zMinimum;

    // Shown disabled: values kept as loaded.
    std::array<std::string, 4> minSpeed;
    std::array<std::string, 4> accelType;
    std::array<std::string, 4> encoderOn;
    std::array<std::string, 4> encoderResolution;
    std::array<std::string, 4> encoderBoard;
    std::array<std::string, 4> encoderPlusCtr;
    std::array<std::string, 4> encoderMinusCtr;
    std::array<std::string, 4> encoderTolerance;
    std::string encoderRetries;
    std::string speedReduction;
    bool pdmaBoard = false;
    std::string pdmaRate;

    // Checks every entry. On the first bad one tells the user why, names the entry in
    // `badEntry` (e.g. "maxSpeed.2") for the dialog to focus, and returns false.
    bool Accept();
    std::string badEntry;

    // Copies the accepted values into the system. A new Z minimum above the current Z goes
    // through the system's warning.
    void ApplyTo(CMsWcmc& system) const;

    // Numbers as the dialog shows them: as many digits as needed, no more.
    static std::string FormatNumber(double value);

  private:
    struct SValues {
        std::string name;
        int boardId = 0;
        double resolution[4] = {};
        int positiveMotion[4] = {};
        double maxSpeed[4] = {};
        double trackingSpeed[4] = {};
        double accelDistance[4] = {};
        bool zMinimumOn = false;
        double zMinimum = 0.0;
    };
    bool Fail(const std::string& entry, const std::string& message);
    bool ReadRange(const std::string& text, double lo, double hi, double& out) const;

    SValues accepted;
    bool isAccepted = false;
};
