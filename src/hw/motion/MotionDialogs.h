#pragma once
// The dialogs that motion operations open in the middle of their work: the two Z-minimum
// warnings and "Motion Control Setup". The desktop program installs its Qt dialogs here at
// start-up; tests and velm-tool install scripted answers. With nothing installed every
// warning answers as if closed (cancel: nothing moves) and setup changes nothing.

#include <deque>
#include <functional>
#include <string>
#include <vector>

class CMotionSetupLogic;

inline constexpr const char* kMotionWarningCaption = "!!! Motion System Warning !!!";
inline constexpr const char* kZMinimumViolationText = "Attempting to violate current Z Minimum!";
inline constexpr const char* kZMinimumAboveText =
    "Requested Z Minimum is Above Current Z Coordinate!";

// Answers of "Attempting to violate current Z Minimum!", in the order of its buttons.
enum class EZMinimumMoveAnswer { MoveAndResetZ, TruncateMove, CancelMove };
// Answers of "Requested Z Minimum is Above Current Z Coordinate!".
enum class EZMinimumSetAnswer { SetMinimumToCurrentZ, SetCurrentZToRequested, KeepMinimum };

struct SZMinimumViolation {
    double currentZ = 0.0;
    double requestedZ = 0.0;
    double minimumZ = 0.0;
};

struct SZMinimumAboveCurrent {
    double requestedMinimum = 0.0;
    double currentMinimum = 0.0;
    double currentZ = 0.0;
};

class CMotionDialogs {
  public:
    virtual ~CMotionDialogs() = default;
    virtual EZMinimumMoveAnswer AskZMinimumViolation(const SZMinimumViolation& values) = 0;
    virtual EZMinimumSetAnswer AskZMinimumAboveCurrent(const SZMinimumAboveCurrent& values) = 0;
    // Shows "Motion Control Setup" on the logic's values; true when closed with OK (the logic
    // has then accepted its entries).
    virtual bool EditMotionSetup(CMotionSetupLogic& logic) = 0;
};

CMotionDialogs& MotionDialogs();
void SetMotionDialogs(CMotionDialogs* dialogs);

class CScopedMotionDialogs {
  public:
    explicit CScopedMotionDialogs(CMotionDialogs* dialogs);
    ~CScopedMotionDialogs();
    CScopedMotionDialogs(const CScopedMotionDialogs&) = delete;
    CScopedMotionDialogs& operator=(const CScopedMotionDialogs&) = delete;

  private:
    CMotionDialogs* previous;
};

// Scripted dialogs for tests: record what was asked, answer from queues (empty queue: cancel),
// and edit the setup with a function of the test's choosing.
class CScriptedMotionDialogs : public CMotionDialogs {
  public:
    EZMinimumMoveAnswer AskZMinimumViolation(const SZMinimumViolation& values) override;
    EZMinimumSetAnswer AskZMinimumAboveCurrent(const SZMinimumAboveCurrent& values) override;
    bool EditMotionSetup(CMotionSetupLogic& logic) override;

    std::deque<EZMinimumMoveAnswer> moveAnswers;
    std::deque<EZMinimumSetAnswer> setAnswers;
    std::vector<SZMinimumViolation> violations;
    std::vector<SZMinimumAboveCurrent> aboveCurrent;
    // Changes the entries and returns whether OK was pressed; empty: Cancel.
    std::function<bool(CMotionSetupLogic&)> editSetup;
};
