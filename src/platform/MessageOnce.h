#pragma once
// One message per cause until it changes. Something that runs again and again (a timer tick,
// every read of a board) and fails the same way each time shows its message once, not once per
// run: the same text is shown again only after the cause has changed, that is after the
// operation succeeded (Clear) or failed another way (another text).
//
// A timer owns one and reports through it:
//
//     if (board.SetDA(channel, volts))
//         failures.Clear();
//     else
//         failures.Show(StrPrintf("D/A Channel %d could not be set ...", channel));
//
// Where failures are reported from deep inside an operation (a board's library errors), the
// operation brackets itself with BeginAttempt()/EndAttempt(ok): an attempt that succeeded
// without reporting anything ends the cause.

#include <string>

#include "platform/Prompt.h"

class CMessageOnce {
  public:
    // Shows `text` (through Prompt()) unless it is the message of the cause still standing.
    // True when it was shown.
    bool Show(const std::string& text, EPromptIcon icon = EPromptIcon::Exclamation,
              const std::string& caption = std::string());
    // The cause has gone: the next message is shown whatever it says.
    void Clear();

    void BeginAttempt() { reportedInAttempt = false; }
    void EndAttempt(bool succeeded) {
        if (succeeded && !reportedInAttempt) Clear();
    }

  private:
    std::string standing;
    bool hasStanding = false;
    bool reportedInAttempt = false;
};
