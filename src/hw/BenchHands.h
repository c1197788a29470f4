#pragma once
// The user's hands at the bench. A few steps of a measurement are done by hand, not by the
// program: switching the calibration source's current on or off, and dipping the gradient
// probe into a beaker of standard solution. The program asks the user to do them and waits for
// an OK. On a real station that is all there is to it; on a virtual bench nobody can reach the
// switch or the beaker, so a procedure that has just been told "done" passes the news on here,
// and the bench's model changes as the real bench would have.
//
// A real board has no hands: CAdBoard::Hands() is null and the procedures carry on unchanged.
// On the Simulated Station the hands are its own: a change is seen by the next reading and is
// written to velm.ini at once, so the next run of the desktop program or of velm-tool starts
// with the source and the beaker as they were left. The "Simulated Station" dialog and
// `velm-tool sim source on|off`, `velm-tool sim solution N` set the same state by hand.
//
// Call it right after the user has confirmed the step (never before: a cancelled question
// leaves the bench as it was):
//
//     if (Prompt().Ask(..."Calibration source current is ON"...) == EPromptAnswer::Ok) {
//         if (CBenchHands* hands = board.Hands()) hands->SetSourceCurrent(true);
//         ... sample the detector ...
//     }
//
// Where the procedures call it:
// - SetSourceCurrent(false): the CDP calibration's Reference Observation, once the user has
//   confirmed "Calibration source current is OFF"; Find Z Plane's "Turn vibration on and
//   current off".
// - SetSourceCurrent(true): Sample X PSD / Sample Y PSD once the user has confirmed "Calibration
//   source current is ON"; Find Z Plane's "Turn current on".
// - PlaceInSolution(k), k = 1, 2, 3: a standard solution's button ("Solution 1" ...) of the
//   ISP/PVP calibration, before the bath offset is zeroed and the solution is sampled.
// - PlaceInSolution(kSampleBath): the ISP/PVP calibration dialog has closed; the probe is back
//   over the sample.

class CBenchHands {
  public:
    // Where the gradient probe's tip is when it is in no beaker: in the sample's bath.
    static constexpr int kSampleBath = 0;
    static constexpr int kSolutionCount = 3;

    virtual ~CBenchHands() = default;

    // The calibration source's current switch.
    virtual void SetSourceCurrent(bool on) = 0;
    virtual bool SourceCurrent() const = 0;

    // Puts the gradient probe's tip into standard solution 1..3, or back into the sample's bath
    // (kSampleBath). False, and nothing changes, for any other number.
    virtual bool PlaceInSolution(int solution) = 0;
    virtual int Solution() const = 0;
};
