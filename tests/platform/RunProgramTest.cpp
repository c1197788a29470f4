#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "platform/RunProgram.h"
#include "support/TestEnv.h"

TEST(RunProgram, SplitsLikeAShellButExpandsNothing) {
    std::vector<std::string> w;
    ASSERT_TRUE(
        SplitCommandLine("  gnumeric --sheet 'my data' \"a \\\"b\\\"\" x\\ y $HOME `id` ;", w));
    EXPECT_EQ(w, (std::vector<std::string>{"gnumeric", "--sheet", "my data", "a \"b\"", "x y",
                                           "$HOME", "`id`", ";"}));
    std::string error;
    EXPECT_FALSE(SplitCommandLine("open 'unterminated", w, &error));
    EXPECT_FALSE(error.empty());
    ASSERT_TRUE(SplitCommandLine("", w));
    EXPECT_TRUE(w.empty());
}

TEST(RunProgram, HandsTheFileOverAsOneArgumentWithoutAShell) {
    CTempDir dir;
    std::string out = dir.File("out.txt");
    // A file name full of shell syntax arrives as it is, and nothing of it is run.
    std::string evil = dir.File("x; touch INJECTED; $(touch INJECTED2).txt");
    std::string script = dir.File("record.sh");
    WriteFileText(script, "#!/bin/sh\nprintf '%s|' \"$@\" > \"" + out + ".tmp\"\nmv \"" + out +
                              ".tmp\" \"" + out + "\"\n");
    std::filesystem::permissions(script, std::filesystem::perms::owner_all);
    SStartResult r = StartProgram("'" + script + "' --flag", {evil});
    ASSERT_TRUE(r.ok) << r.reason;
    for (int i = 0; i < 500 && !std::filesystem::exists(out); ++i)
        ::usleep(10000);
    EXPECT_EQ(ReadFileText(out), "--flag|" + evil + "|");
    EXPECT_FALSE(std::filesystem::exists(dir.File("INJECTED")));
    EXPECT_FALSE(std::filesystem::exists("INJECTED2"));
}

TEST(RunProgram, MissingProgramsGiveTheStationsReasons) {
    SStartResult r = StartProgram("/no/such/program", {"file.txt"});
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.reason, "File was not found.");
    EXPECT_EQ(StartProgram("", {}).reason, "File was not found.");
    EXPECT_EQ(StartFailureReason(12345), "Unknown.");
}
