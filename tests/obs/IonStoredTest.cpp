// The gradient probe's stored classes: the calibration's line through the standard solutions
// and its conversions, the lines of a probe's section in velm.ini, the rules' record and their
// acquisition time.

#include <gtest/gtest.h>

#include <cmath>

#include "obs/IonCalibration.h"
#include "obs/IonObs.h"
#include "obs/ObsTestUtil.h"
#include "obs/SampRulesIon.h"
#include "support/TestEnv.h"

namespace {

class IonStoredTest : public CVelmTest {
  protected:
    std::string Line(const char* key) {
        return profile.GetProfileString("K ISP/PVP Probe", key, "(missing)");
    }
    // Whether velm.ini holds `line` as it stands (a value read back loses its leading blanks).
    bool FileHasLine(const std::string& line) {
        return ReadFileText(profile.Path()).find("\n" + line + "\n") != std::string::npos;
    }
};

CIonCalibration Sampled(uint16_t type, std::initializer_list<std::pair<double, double>> pairs) {
    CIonCalibration c;
    c.name = "K";
    c.type = type;
    double* concs[3] = {&c.conc1, &c.conc2, &c.conc3};
    double* volts[3] = {&c.volts1, &c.volts2, &c.volts3};
    int* flags[3] = {&c.cal1, &c.cal2, &c.cal3};
    int i = 0;
    for (auto [conc, value] : pairs) {
        *concs[i] = conc;
        *volts[i] = value;
        *flags[i] = 1;
        ++i;
    }
    c.use3 = i == 3;
    return c;
}

// Rules "K": points A (0,0,0,0) and B (10,0,0,0) on port 378, one calculation A-B, a bath
// update before the path.
void MakeRulesK(CSampRulesIon& r) {
    r.name = "K";
    r.bathBefore = 1;
    for (auto [name, x] : {std::pair{"A", 0.0}, std::pair{"B", 10.0}}) {
        auto p = std::make_unique<CSampPointIon>();
        p->name = name;
        p->offset = CDVector4(x, 0, 0, 0);
        p->port = 0x378;
        r.points.push_back(std::move(p));
    }
    auto calc = std::make_unique<CGradCalcIon>();
    calc->name = "Gradient1";
    r.calcs.push_back(std::move(calc));
}

TEST_F(IonStoredTest, FitsGiveTheLineThroughTheSolutionsAndConvertReadsItBack) {
    CIonCalibration two = Sampled(kIonNernst, {{0.1, 0.0}, {1.0, 59.0}});
    ASSERT_TRUE(two.Fit());
    EXPECT_DOUBLE_EQ(two.slope, 59.0);
    EXPECT_DOUBLE_EQ(two.intercept, 59.0);
    EXPECT_DOUBLE_EQ(two.Convert(118.0), 10.0);

    CIonCalibration three = Sampled(kIonNernst, {{0.1, 0.0}, {1.0, 58.0}, {10.0, 118.0}});
    ASSERT_TRUE(three.Fit());
    EXPECT_DOUBLE_EQ(three.slope, 59.0);
    EXPECT_EQ(three.intercept, 58.666666666666664);
    EXPECT_NEAR(three.Convert(100.0), 5.0183965, 1e-7);
    three.logScale = 1;
    EXPECT_NEAR(three.Convert(100.0), 2.2994350, 1e-7);

    // The standard curve gives the reading of a concentration; a reading gives it back.
    CIonCalibration polar = Sampled(kIonPolarographic, {{0.0, 5.0}, {21.0, 110.0}});
    ASSERT_TRUE(polar.Fit());
    EXPECT_DOUBLE_EQ(polar.slope, 5.0);
    EXPECT_DOUBLE_EQ(polar.intercept, 5.0);
    EXPECT_DOUBLE_EQ(polar.Convert(110.0), 21.0);

    // Tip values: 0.5 V on the main amplifier over a 0.3 V bath offset, gains 100 and 10.
    EXPECT_DOUBLE_EQ(two.TipValue(0.5, 0.3), 30.5);
    EXPECT_DOUBLE_EQ(polar.TipValue(0.5, 0.3), 305.0);
}

TEST_F(IonStoredTest, SolutionsThatGiveNoLineLeaveSlopeAndInterceptAlone) {
    auto unchanged = [](CIonCalibration c) {
        c.slope = 12.0;
        c.intercept = 34.0;
        const bool fitted = c.Fit();
        return !fitted && c.slope == 12.0 && c.intercept == 34.0;
    };
    EXPECT_TRUE(unchanged(Sampled(kIonNernst, {{1.0, 0.0}, {1.0, 59.0}})));  // equal concentrations
    EXPECT_TRUE(unchanged(Sampled(kIonNernst, {{0.1, 59.0}, {1.0, 59.0}})));  // equal readings
    EXPECT_TRUE(unchanged(Sampled(kIonNernst, {{0.1, 0.0}, {1.0, 59.0}, {0.0, 90.0}})));  // log 0
    EXPECT_TRUE(unchanged(Sampled(kIonNernst, {{-1.0, 0.0}, {1.0, 59.0}})));
    EXPECT_TRUE(unchanged(Sampled(kIonNernst, {{0.1, 7.0}, {1.0, 7.0}, {10.0, 7.0}})));  // slope 0
    CIonCalibration notSampled = Sampled(kIonNernst, {{0.1, 0.0}, {1.0, 59.0}});
    notSampled.use3 = 1;
    EXPECT_TRUE(unchanged(notSampled));

    // A complete calibration whose slope is 0 converts nothing, and gives no concentrations.
    CIonCalibration flat = Sampled(kIonNernst, {{0.1, 0.0}, {1.0, 59.0}});
    flat.slope = 0.0;
    EXPECT_TRUE(flat.IsComplete());
    EXPECT_FALSE(flat.IsUsable());
    EXPECT_EQ(flat.Convert(118.0), 118.0);
    CSampRulesIon rules;
    MakeRulesK(rules);
    rules.applyCal = 1;
    CIonObs obs;
    obs.name = "K";
    obs.SetShape(2, 1);
    obs.values = {59.0, 61.0};
    SValueQuery query;
    query.ionRules = &rules;
    query.ionCalibration = &flat;
    double v = 0.0;
    EXPECT_EQ(obs.GetValue(v, ValueCode::kXCurrentDensity, nullptr, &query), 0);
}

TEST_F(IonStoredTest, CalibrationLinesAreWrittenAndReadInTheProbesSection) {
    CIonCalibration c = Sampled(kIonNernst, {{0.1, 0.0}, {1.0, 59.0}});
    c.loGainAdChan = 5;
    c.hiGainAdChan = 4;
    ASSERT_TRUE(c.Fit());
    ASSERT_TRUE(c.SaveSettings());
    EXPECT_EQ(Line("A/D Board Parameters"), "loGA/D:5  hiGA/D:4  D/A: 0");
    EXPECT_EQ(Line("Calibration 0"),
              "Conc: lo=0.1000000000  med=1.0000000000  hi=10.0000000000    Volts: c1=0.000000  "
              "c2=59.000000  c3=0.000000  (use3=0)");
    EXPECT_EQ(Line("Calibration 1"),
              "Period=3.000000 sec  Slope=59.000000  Calibrated:  c1=1  c2=1  c3=0");
    EXPECT_EQ(Line("Calibration 2"),
              "Type=1482  OutputGain=100.000000  Intercept=59.000000  AutoBath=1  "
              "PreampGain=10.000000");

    CIonCalibration back;
    back.name = "k";  // sections match without letter case
    std::string problems;
    ASSERT_TRUE(back.LoadSettings(&problems));
    EXPECT_EQ(problems, "");
    back.name = "K";
    EXPECT_TRUE(back.SameValues(c));

    CIonCalibration none;
    none.name = "Na";
    EXPECT_FALSE(none.LoadSettings());
}

TEST_F(IonStoredTest, OlderAndDamagedCalibrationLinesAreReadAsFarAsTheyGo) {
    WriteFileText(profile.Path(),
                  "[K ISP/PVP Probe]\r\n"
                  "A/D Board Parameters=A/D:6  D/A: 1\r\n"
                  "Calibration 0=Conc: lo=0.1  med=1  hi=10    Volts: c1=1  c2=60  c3=0  "
                  "(use3=0)\r\n"
                  "Calibration 1=Period=2.0 sec  Slope=59.0  Calibrated:  c1=1  c2=1  c3=0  "
                  "Type=1483\r\n"
                  "Calibration 2=Type=1482  OutputGain=0  Intercept=nan  AutoBath=0  "
                  "PreampGain=20\r\n");
    CIonCalibration c;
    c.name = "K";
    std::string problems;
    ASSERT_TRUE(c.LoadSettings(&problems));
    // One channel served both amplifiers.
    EXPECT_EQ(c.loGainAdChan, 6);
    EXPECT_EQ(c.hiGainAdChan, 6);
    EXPECT_EQ(c.daChan, 1);
    EXPECT_EQ(c.volts2, 60.0);
    EXPECT_EQ(c.samplePeriod, 2.0);
    EXPECT_EQ(c.type, kIonNernst);  // "Calibration 2" holds the type
    // A gain of 0 would divide every tip value by 0; a slope-less intercept is no number.
    EXPECT_EQ(c.outputGain, 100.0);
    EXPECT_EQ(c.intercept, 0.0);
    EXPECT_EQ(problems,
              "\n  [K ISP/PVP Probe] Calibration 2=Type=1482  OutputGain=0  Intercept=nan  "
              "AutoBath=0  PreampGain=20");
}

TEST_F(IonStoredTest, RulesLinesAreWrittenAsStationsAlwaysWroteThem) {
    CSampRulesIon r;
    MakeRulesK(r);
    ASSERT_TRUE(r.SaveSettings());
    EXPECT_EQ(Line("Sampling Rules 0"), "rot=0.000000  tilt=0.000000  PathReps=1  ApplyCal=0");
    EXPECT_EQ(Line("Sampling Rules 1"), "useref=0  move=1049  csys=1470  npoints=2  ncalcs=1");
    // The labels stand over other fields than they name.
    EXPECT_EQ(Line("Sampling Rules 2"),
              "bath: wait=1.000000  avg=0.500000  da0on=1  da0ad=0  da1on=5  da1ad=7  before=1  "
              "after=0");
    EXPECT_EQ(Line("Sample Name 1"), "A");
    EXPECT_TRUE(FileHasLine("Sample Point 1=     0.0      0.0      0.0      0.0      1.00    0.50  "
                            "4+0 (0:378>0)  1000.000000  10.000000"));
    EXPECT_TRUE(FileHasLine("Sample Point 2=    10.0      0.0      0.0      0.0      1.00    0.50  "
                            "4+0 (0:378>0)  1000.000000  10.000000"));
    EXPECT_EQ(Line("Calculation Name 1"), "Gradient1");
    EXPECT_EQ(Line("Calculation 1"), "Point 0 - Point 1");

    r.points[1]->io = 1;
    r.points[1]->dataS = 2;
    r.points[1]->dataA = 1;
    r.bathWait = -2.5;  // reference rules keep their mark to themselves
    ASSERT_TRUE(r.SaveSettings());
    EXPECT_TRUE(FileHasLine("Sample Point 2=    10.0      0.0      0.0      0.0      1.00    0.50  "
                            "4+0 (1:378>201)  1000.000000  10.000000"));

    CSampRulesIon back;
    back.name = "K";
    ASSERT_TRUE(back.LoadSettings());
    EXPECT_EQ(back.bathWait, 2.5);
    r.bathWait = 2.5;
    EXPECT_TRUE(back.SameRules(r));
    EXPECT_EQ(back.points[1]->dataS, 2);
    EXPECT_EQ(back.points[1]->dataA, 1);
}

TEST_F(IonStoredTest, DamagedRulesLinesCannotHangOrBreakTheWalk) {
    WriteFileText(profile.Path(),
                  "[K ISP/PVP Probe]\n"
                  "Sampling Rules 0=rot=10  tilt=0  PathReps=40000  ApplyCal=1\n"
                  "Sampling Rules 1=useref=0  move=1049  csys=1470  npoints=2000000000  ncalcs=1\n"
                  "[Na ISP/PVP Probe]\n"
                  "Sampling Rules 0=rot=0  tilt=0  PathReps=2  ApplyCal=0\n"
                  "Sampling Rules 1=useref=1  move=1048  csys=1471  npoints=2  ncalcs=2\n"
                  "Sample Point 1=1 2 3 4    0.5  0.25  9+0 (0:378>0)  1000  10\n"
                  "Sample Point 2=1 2 3 4    0.5  0.25  4+0 (0:378>1FFFF)  1000  10\n"
                  "Calculation 1=Point 0 - Point 1\n"
                  "Calculation 2=Point 0 - Point 2\n");
    CSampRulesIon k;
    k.name = "K";
    std::string problems;
    ASSERT_TRUE(k.LoadSettings(&problems));
    EXPECT_EQ(k.rot, 10.0);
    EXPECT_EQ(k.pathReps, 1);  // 40000 repetitions cannot be stored
    EXPECT_TRUE(k.points.empty());
    EXPECT_TRUE(k.calcs.empty());

    CSampRulesIon na;
    na.name = "Na";
    problems.clear();
    ASSERT_TRUE(na.LoadSettings(&problems));
    EXPECT_EQ(na.csys, kCoordRelative);
    ASSERT_EQ(na.points.size(), 2u);
    // A channel beyond the board and a data value beyond a byte are refused whole.
    EXPECT_EQ(na.points[0]->offset, CDVector4());
    EXPECT_EQ(na.points[1]->dataA, 0);
    ASSERT_EQ(na.calcs.size(), 1u);  // no point 2: the calculation is dropped
    EXPECT_EQ(problems,
              "\n  [Na ISP/PVP Probe] Sample Point 1=1 2 3 4    0.5  0.25  9+0 (0:378>0)  1000  10"
              "\n  [Na ISP/PVP Probe] Sample Point 2=1 2 3 4    0.5  0.25  4+0 (0:378>1FFFF)  "
              "1000  10"
              "\n  [Na ISP/PVP Probe] Calculation 2=Point 0 - Point 2");
}

TEST_F(IonStoredTest, PointDefaultsAreReadInBothForms) {
    CSampPointIon p;
    p.wait = 2.0;
    p.adChan = 6;
    p.io = 1;
    p.dataA = 0x0F;
    p.dataS = 0xA0;
    p.adGain = 500.0;
    ASSERT_TRUE(SaveIonPointDefaults("K", p));
    EXPECT_EQ(Line("Sample Point Rules"),
              "wait=2.000000  avg=0.500000  adChan=6  daChan=0  io=1  port=378  dataA=F  dataS=A0");
    CSampPointIon back;
    ASSERT_TRUE(LoadIonPointDefaults("K", back));
    EXPECT_TRUE(back.SameAs(p));

    profile.WriteProfileString("K ISP/PVP Probe", "Sample Point Rules",
                               "wait=1  avg=1  adChan=5  daChan=1  io=1  port=300  data=A00F");
    CSampPointIon old;
    ASSERT_TRUE(LoadIonPointDefaults("K", old));
    EXPECT_EQ(old.port, 0x300);
    EXPECT_EQ(old.dataA, 0x0F);
    EXPECT_EQ(old.dataS, 0xA0);
}

TEST_F(IonStoredTest, TheRulesRecordHasTheStationsLayout) {
    CSampRulesIon r;
    MakeRulesK(r);
    r.SetTime(5, 0);
    const std::string bytes = StoreObject(r);
    const size_t tag = NewClass("CSampRulesIon").size();
    const std::string body = bytes.substr(tag);
    EXPECT_EQ(body.substr(72, 2), B({1}) + "K");
    EXPECT_EQ(body.substr(90, 12), B({1, 0, 0, 0, 1, 0, 0, 0, 5, 0, 7, 0}));
    EXPECT_EQ(body.substr(102, 8), LeDouble(1.0));
    EXPECT_EQ(body.substr(118, 10), B({0, 0, 0, 0, 1, 0, 0x19, 0x04, 0xBE, 0x05}));
    const std::string firstPoint = B({2, 0}) + NewClass("CSampPointIon");
    EXPECT_EQ(body.substr(128, firstPoint.size()), firstPoint);
    const size_t second = 128 + firstPoint.size() + 94;
    // The second point names its class by number (high bit set).
    EXPECT_EQ(static_cast<unsigned char>(body[second + 1]) & 0x80, 0x80);
    const std::string calcs = B({1, 0}) + NewClass("CGradCalcIon") + B({9}) + "Gradient1" +
                              B({0, 0, 1, 0});
    EXPECT_EQ(body.substr(body.size() - calcs.size()), calcs);
    EXPECT_EQ(body.size(), second + 2 + 94 + calcs.size());
}

TEST_F(IonStoredTest, AcquisitionTimeCountsBathMovesWaitsAndTheWayBack) {
    CSampRulesIon r;
    MakeRulesK(r);
    // A tracking move at 500 um/s.
    auto tracking = [](const CDVector4& from, const CDVector4& to, int mode) {
        EXPECT_EQ(mode, kMoveTrack);
        return std::fabs(to.x - from.x) / 500.0;
    };
    EXPECT_DOUBLE_EQ(r.EstimateTime(tracking), 4.54);
    // Reference rules wait as long as point rules do.
    r.bathWait = -1.0;
    EXPECT_DOUBLE_EQ(r.EstimateTime(tracking), 4.54);
    r.pathReps = 3;
    r.bathAfter = 1;
    EXPECT_DOUBLE_EQ(r.EstimateTime(tracking), 3 * 3.04 + 3.0);
    // "KorbeRead" points are not moved to, waited for or read.
    r.points[1]->name = "KorbeRead1";
    r.pathReps = 1;
    EXPECT_DOUBLE_EQ(r.EstimateTime(tracking), 1.5 + 3.0);
}

TEST_F(IonStoredTest, TheReferenceIsKeptAsNumberedValuesPerRepetition) {
    CIonReference ref;
    ref.name = "K";
    ref.da0 = 0.59;
    ref.SetShape(2, 2);
    ref.values = {59.0, 61.442168, 58.5, 60.0};
    ASSERT_TRUE(ref.SaveSettings());
    EXPECT_EQ(Line("Reference"), "da0=0.590000  da1=0.000000  numPoints=2  numReps=2");
    EXPECT_EQ(Line("Reference 1"), "001:59.000000  002:61.442168");
    EXPECT_EQ(Line("Reference 2"), "001:58.500000  002:60.000000");

    profile.WriteProfileString("K ISP/PVP Probe", "Reference 2", "002:7.5  oops");
    CIonReference back;
    back.name = "K";
    std::string problems;
    ASSERT_TRUE(back.LoadSettings(&problems));
    EXPECT_EQ(back.values, (std::vector<double>{59.0, 61.442168, 0.0, 7.5}));
    EXPECT_EQ(problems, "\n  [K ISP/PVP Probe] Reference 2=002:7.5  oops");

    // A count no path can have is refused before anything is allocated.
    profile.WriteProfileString("K ISP/PVP Probe", "Reference",
                               "da0=0  da1=0  numPoints=1000  numReps=30000");
    CIonReference huge;
    huge.name = "K";
    EXPECT_FALSE(huge.LoadSettings());
    EXPECT_TRUE(huge.values.empty());
}

}  // namespace
