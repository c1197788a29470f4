#pragma once
// "Watch Raw A/D Values": a raw A/D acquisition with the station's rules at every tick, each
// channel's volts ("Ch4: 1.250   ...  Volts"; a burst shows each channel's mean) and one trace
// per channel, drawn on one axis ("Join") or each in a band of its own ("Split").

#include <string>
#include <vector>

#include "tech/watch/Watch.h"

class CRawADObs;

// The mean of each channel of `obs` (averages as they are; a burst's samples per channel).
std::vector<double> RawADChannelMeans(const CRawADObs& obs);

class CRawADWatch : public CWatch {
  public:
    static constexpr const char* kTitle = "Watch Raw A/D Values";
    explicit CRawADWatch(CStation& station);

    std::string Title() const override { return kTitle; }
    double SamplingTime() const override;

    // "Ch%d: %.3lf   " per channel and "  Volts"; "" before a tick.
    std::string ValuesText() const;
    const std::vector<double>& Values() const { return values; }
    int FirstChannel() const { return firstChannel; }

    // "Split" / "Join".
    void SetSplit(bool split);
    bool IsSplit() const { return Plot().split; }
    std::string SplitButtonText() const { return IsSplit() ? "Join" : "Split"; }

  protected:
    bool Acquire(CObsList& taken) override;
    void LoadSettings() override;
    void SaveSettings() const override;
    std::string RangeMessage(double low, double high) const override;

  private:
    std::vector<double> values;
    int firstChannel = 0;
};
