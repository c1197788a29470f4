#pragma once
// Every message box and question of the program goes through a CPrompt. The texts are the
// program's own and tests compare them letter for letter through CScriptedPrompt; the desktop
// program shows them with its Qt implementation, velm-tool on the terminal.

#include <deque>
#include <string>
#include <vector>

enum class EPromptButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class EPromptIcon { None, Information, Exclamation, Question, Stop };
enum class EPromptAnswer { Ok, Cancel, Yes, No };

// The application's short title, the caption of message boxes that name none.
inline constexpr const char* kAppShortTitle = "VELM for Windows";

class CPrompt {
  public:
    virtual ~CPrompt() = default;

    // Shows `text` with the buttons and icon and returns the button chosen. An empty caption
    // means the application's short title. Closing the box without a button answers Cancel
    // where Cancel is offered, otherwise No (Yes/No) or Ok.
    virtual EPromptAnswer Show(const std::string& text, const std::string& caption,
                               EPromptButtons buttons, EPromptIcon icon) = 0;

    // A message with an OK button.
    void Message(const std::string& text, EPromptIcon icon = EPromptIcon::None,
                 const std::string& caption = std::string()) {
        Show(text, caption, EPromptButtons::Ok, icon);
    }
    // A question; returns the answer.
    EPromptAnswer Ask(const std::string& text, EPromptButtons buttons,
                      EPromptIcon icon = EPromptIcon::Question,
                      const std::string& caption = std::string()) {
        return Show(text, caption, buttons, icon);
    }
};

// One shown message, as recorded by CScriptedPrompt.
struct SPromptRecord {
    std::string text;
    std::string caption;
    EPromptButtons buttons = EPromptButtons::Ok;
    EPromptIcon icon = EPromptIcon::None;
};

// Test double: records every message and answers from a queue. With the queue empty it answers
// the first button of the set (Ok or Yes), as a user pressing Enter would.
class CScriptedPrompt : public CPrompt {
  public:
    EPromptAnswer Show(const std::string& text, const std::string& caption, EPromptButtons buttons,
                       EPromptIcon icon) override;

    // Texts of the recorded messages, in order.
    std::vector<std::string> Texts() const;
    // The last recorded text, or "" when nothing was shown.
    std::string LastText() const;

    std::vector<SPromptRecord> shown;
    std::deque<EPromptAnswer> answers;
};

// Terminal prompt for command-line use: messages go to standard error; questions take the
// default answer given at construction when there is no terminal to ask.
class CConsolePrompt : public CPrompt {
  public:
    explicit CConsolePrompt(bool interactive = false) : interactive(interactive) {}
    EPromptAnswer Show(const std::string& text, const std::string& caption, EPromptButtons buttons,
                       EPromptIcon icon) override;

  private:
    bool interactive;
};
