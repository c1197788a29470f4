#pragma once
// Test fixture: a simulated clock, a scripted prompt and a scratch folder with its own
// velm.ini, installed for the length of one test.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/Clock.h"
#include "platform/Prompt.h"
#include "platform/Services.h"
#include "settings/Profile.h"

// A fresh empty folder, removed with everything in it when the object goes.
class CTempDir {
  public:
    CTempDir();
    ~CTempDir();
    CTempDir(const CTempDir&) = delete;
    CTempDir& operator=(const CTempDir&) = delete;
    const std::string& Path() const { return path; }
    std::string File(const std::string& name) const { return path + "/" + name; }

  private:
    std::string path;
};

std::string ReadFileText(const std::string& path);
void WriteFileText(const std::string& path, const std::string& text);

class CVelmTest : public ::testing::Test {
  protected:
    CVelmTest();
    ~CVelmTest() override;

    CTempDir dir;
    CSimClock clock;
    CScriptedPrompt prompt;
    CProfile profile;

  private:
    CScopedServices services;
    CScopedProfile scopedProfile;
};

// 2007-12-05 12:00:00 UTC, the default wall time of CSimClock in tests (TZ is UTC in tests).
inline constexpr int64_t kTestEpoch = 1196856000;
