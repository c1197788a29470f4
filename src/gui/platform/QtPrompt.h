#pragma once
// CPrompt shown as Qt message boxes, parented to the active window.

#include "platform/Prompt.h"

class CQtPrompt : public CPrompt {
  public:
    EPromptAnswer Show(const std::string& text, const std::string& caption, EPromptButtons buttons,
                       EPromptIcon icon) override;
};
