#include <gtest/gtest.h>

#include "platform/Prompt.h"
#include "platform/Services.h"

TEST(ScriptedPrompt, RecordsEverythingAndAnswersFromItsQueue) {
    CScriptedPrompt prompt;
    prompt.answers = {EPromptAnswer::No};
    EXPECT_EQ(prompt.Ask("Really?", EPromptButtons::YesNo), EPromptAnswer::No);
    // Queue empty: the first button, as Enter would.
    EXPECT_EQ(prompt.Ask("Again?", EPromptButtons::YesNoCancel), EPromptAnswer::Yes);
    EXPECT_EQ(prompt.Ask("Go?", EPromptButtons::OkCancel), EPromptAnswer::Ok);
    prompt.Message("Done", EPromptIcon::Stop, "Caption");
    ASSERT_EQ(prompt.shown.size(), 4u);
    EXPECT_EQ(prompt.shown[0].icon, EPromptIcon::Question);
    EXPECT_EQ(prompt.shown[3].caption, "Caption");
    EXPECT_EQ(prompt.shown[3].buttons, EPromptButtons::Ok);
    EXPECT_EQ(prompt.LastText(), "Done");
}

TEST(Services, ScopedServicesRestoreThePreviousOnes) {
    CScriptedPrompt outer, inner;
    CSimClock clock;
    CScopedServices a(&clock, &outer);
    {
        CScopedServices b(nullptr, &inner);
        Prompt().Message("inside");
        EXPECT_EQ(&Clock(), &clock);  // null keeps the current clock
    }
    Prompt().Message("outside");
    EXPECT_EQ(inner.Texts(), std::vector<std::string>{"inside"});
    EXPECT_EQ(outer.Texts(), std::vector<std::string>{"outside"});
}
