// Export rows of every observation class, compared letter for letter with the layouts that
// analysis scripts read: heading and value rows, tab and comma forms, trailing separators.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <random>

#include "obs/DataDocument.h"
#include "obs/DibObs.h"
#include "obs/ExportFormat.h"
#include "obs/InterestPointObs.h"
#include "obs/IonCalibration.h"
#include "obs/IonObs.h"
#include "obs/LogEntry.h"
#include "obs/RawADObs.h"
#include "obs/SampRulesIon.h"
#include "obs/SampRulesRawAD.h"
#include "obs/SampRulesWire.h"
#include "obs/ScanObs.h"
#include "obs/TextExport.h"
#include "obs/VidSeqObs.h"
#include "obs/WireCalibration.h"
#include "obs/WireObs.h"
#include "support/TestEnv.h"

namespace {

using namespace ExportFlags;

constexpr unsigned kAll =
    kData | kCalculations | kTitle | kDate | kTime | kClockTime | kProbePosition | kSamplePosition;
constexpr unsigned kValues = kData | kCalculations | kTitle;

std::string Row(const CVelmObs& obs, const CDataDocument* doc, unsigned options) {
    std::string text;
    obs.Export(text, doc, options);
    return text;
}

class ExportRowsTest : public CVelmTest {
  protected:
    // A CDP calibration whose gains are 1 after rho and SG: X current density is the X
    // quadrature difference, Y the Y quadrature difference.
    CWireCalibration* AddCalibration(int64_t at) {
        auto cal = std::make_unique<CWireCalibration>();
        cal->SetTime(at, 0);
        cal->XXuAperV = cal->YYuAperV = 100.0 * 50000.0;
        cal->srcpos = CDVector4(1, 2, 3, 4);
        CWireCalibration* raw = cal.get();
        doc.AddObs(std::move(cal));
        return raw;
    }
    CWireObs* AddPoint(int64_t at, uint16_t ms) {
        auto obs = std::make_unique<CWireObs>();
        obs->SetTime(at, ms);
        obs->probePosition = CDVector4(10, 20.25, -3, 0);
        obs->samplePosition = CDVector4(1, 2, 3, 4.44);
        obs->reading = CDVector4(0.05, 0.1, 0, -0.05);
        CWireObs* raw = obs.get();
        doc.AddObs(std::move(obs));
        return raw;
    }
    // Gradient probe "K+" number 2: points A, B and the move-only C; A-B and A-C; two
    // repetitions; the reference is subtracted.
    CSampRulesIon* AddIonRules(int64_t at) {
        auto rules = std::make_unique<CSampRulesIon>();
        rules->SetTime(at, 0);
        rules->name = "K+";
        rules->index = 2;
        rules->pathReps = 2;
        rules->useRef = 1;
        rules->bathAfter = 1;
        for (const char* name : {"A", "B", "C"}) {
            auto p = std::make_unique<CSampPointIon>();
            p->name = name;
            rules->points.push_back(std::move(p));
        }
        rules->points[1]->offset = CDVector4(10, 0, 0, 0);
        rules->points[2]->adChan = -1;
        for (auto [name, first, second] : {std::tuple{"AB", 0, 1}, std::tuple{"AC", 0, 2}}) {
            auto c = std::make_unique<CGradCalcIon>();
            c->name = name;
            c->first = first;
            c->second = second;
            rules->calcs.push_back(std::move(c));
        }
        CSampRulesIon* raw = rules.get();
        doc.AddObs(std::move(rules));
        return raw;
    }
    CIonObs* AddIonPoint(int64_t at, uint16_t index) {
        auto obs = std::make_unique<CIonObs>();
        obs->SetTime(at, 0);
        obs->name = "K+";
        obs->index = index;
        obs->da0 = 0.5;
        obs->da1 = -0.25;
        obs->SetShape(3, 2);
        obs->values = {1, 2, 0, 3, 5, 0};
        obs->refValues = {0.5, 0.5, 0, 1, 1, 0};
        CIonObs* raw = obs.get();
        doc.AddObs(std::move(obs));
        return raw;
    }

    CDataDocument doc;
};

TEST_F(ExportRowsTest, CdpPointRowsInTabAndCommaFormsEndWithTheirSeparator) {
    AddCalibration(kTestEpoch);
    CWireObs* point = AddPoint(kTestEpoch + 3723, 250);

    EXPECT_EQ(Row(*point, &doc, kAll | kTab | kHeading),
              "Month\tDay\tYear\tHours\tMinutes\tSeconds\tX_microns\tY_microns\tZ_microns\t"
              "W_microns\tSampleX\tSampleY\tSampleZ\tSampleW\tCurrentDensityObs\txInPh\txQuad\t"
              "YInPh\tYQuad\tX_uA/sq.cm.\tY_uA/sq.cm.\tTotal_uA/sq.cm.\tAngle\t");
    EXPECT_EQ(Row(*point, &doc, kAll | kTab),
              "12\t05\t07\t13\t02\t03\t10.0\t20.2\t-3.0\t0.0\t1.0\t2.0\t3.0\t4.4\t"
              "CurrentDensityObs\t1.000000\t2.000000\t0.000000\t-1.000000\t0.100000\t-0.050000\t"
              "0.111803\t333.434949\t");
    // The number label of value rows is the command's: Export leaves it out.
    EXPECT_EQ(Row(*point, &doc, kAll | kComma | kNumberLabel),
              "12,05,07,13,02,03,10.0,20.2,-3.0,0.0,1.0,2.0,3.0,4.4,CurrentDensityObs,1.000000,"
              "2.000000,0.000000,-1.000000,0.100000,-0.050000,0.111803,333.434949,");
    // The date goes out only with clock times.
    EXPECT_EQ(Row(*point, &doc, kDate | kTitle | kComma | kMinutesFrom), "CurrentDensityObs,");

    auto reference = std::make_unique<CWireReference>();
    reference->SetTime(kTestEpoch + 1, 0);
    reference->reading = CDVector4(0, 0.002, 0, 0);
    EXPECT_EQ(Row(*reference, &doc, kValues | kComma),
              "CurrentDensityReference,0.000000,0.040000,0.000000,0.000000,0.002000,0.000000,"
              "0.002000,0.000000,");
}

TEST_F(ExportRowsTest, CdpPointEarlierThanEveryCalibrationHasNoDataCells) {
    CWireObs* early = AddPoint(kTestEpoch - 10, 0);
    AddCalibration(kTestEpoch);
    EXPECT_EQ(Row(*early, &doc, kValues | kProbePosition | kTab),
              "10.0\t20.2\t-3.0\t0.0\tCurrentDensityObs\t");
    EXPECT_EQ(Row(*early, nullptr, kValues | kTab), "CurrentDensityObs\t");
    // Its heading still names the columns of the class.
    EXPECT_EQ(Row(*early, &doc, kData | kHeading | kTab), "xInPh\txQuad\tYInPh\tYQuad\t");
}

TEST_F(ExportRowsTest, ElapsedTimeCountsFromTheDocumentsReferenceTime) {
    AddCalibration(kTestEpoch);
    CWireObs* point = AddPoint(kTestEpoch + 3723, 250);
    ASSERT_EQ(doc.referenceTime, kTestEpoch);
    EXPECT_EQ(Row(*point, &doc, kTime | kHoursFrom | kTab), "1.034236\t");
    EXPECT_EQ(Row(*point, &doc, kTime | kMinutesFrom | kComma), "62.054167,");
    EXPECT_EQ(Row(*point, &doc, kTime | kSecondsFrom | kComma), "3723.250000,");
    EXPECT_EQ(Row(*point, &doc, kTime | kHoursFrom | kHeading | kTab), "Hrs_From\t");
    EXPECT_EQ(Row(*point, &doc, kTime | kMinutesFrom | kHeading | kComma), "Min_From,");
    EXPECT_EQ(Row(*point, &doc, kTime | kSecondsFrom | kHeading | kComma), "Sec_From,");
    doc.referenceTime = kTestEpoch + 7200;
    EXPECT_EQ(Row(*point, &doc, kTime | kSecondsFrom | kComma), "-3476.750000,");
}

TEST_F(ExportRowsTest, GradientRowsNameEveryValueAndGiveTheGradients) {
    AddIonRules(kTestEpoch);
    CIonObs* point = AddIonPoint(kTestEpoch + 5, 2);
    EXPECT_EQ(Row(*point, &doc, kValues | kTab | kHeading),
              "K+Gradient2\tDA0(V)\tDA1(V)\tnReps\tnPoints\tA(1)mV\tB(1)mV\tC(1)mV\tA(2)mV\t"
              "B(2)mV\tC(2)mV\tRefA(1)mV\tRefB(1)mV\tRefC(1)mV\tRefA(2)mV\tRefB(2)mV\tRefC(2)mV\t"
              "numReps\tnumdV\tAvgABuV\tAvgACuV\t");
    EXPECT_EQ(Row(*point, &doc, kValues | kTab),
              "K+Gradient2\t0.500000\t-0.250000\t2\t3\t1\t2\t0\t3\t5\t0\t0.5\t0.5\t0\t1\t1\t0\t2\t"
              "2\t1.5\t-1.25\t");

    // With concentrations through a complete calibration (10 to the tip value); the move-only
    // point reads nothing and stays 0.
    auto cal = std::make_unique<CIonCalibration>();
    cal->SetTime(kTestEpoch, 0);
    cal->name = "K+";
    cal->index = 2;
    cal->cal1 = cal->cal2 = 1;
    cal->slope = 1.0;
    doc.AddObs(std::move(cal));
    EXPECT_EQ(Row(*point, &doc, kValues | kConcentrations | kComma | kHeading),
              "K+Gradient2,DA0(V),DA1(V),nReps,nPoints,A(1)Conc,B(1)Conc,C(1)Conc,A(2)Conc,"
              "B(2)Conc,C(2)Conc,RefA(1)Conc,RefB(1)Conc,RefC(1)Conc,RefA(2)Conc,RefB(2)Conc,"
              "RefC(2)Conc,numReps,numdV,AvgABdConc,AvgACdConc,");
    EXPECT_EQ(Row(*point, &doc, kValues | kConcentrations | kComma),
              "K+Gradient2,0.500000,-0.250000,2,3,10,100,0,1000,100000,0,3.16228,3.16228,0,10,10,"
              "0,2,2,49545,-498.419,");

    // A point without its rules in the document has only its title.
    CIonObs* other = AddIonPoint(kTestEpoch + 6, 0xFFFF);
    EXPECT_EQ(Row(*other, &doc, kValues | kTab), "K+Gradient\t");
    // Without rules the headings use the names new points get.
    EXPECT_EQ(Row(*other, &doc, kData | kHeading | kComma),
              "DA0(V),DA1(V),nReps,nPoints,Sample1(1)mV,Sample2(1)mV,Sample3(1)mV,Sample1(2)mV,"
              "Sample2(2)mV,Sample3(2)mV,RefSample1(1)mV,RefSample2(1)mV,RefSample3(1)mV,"
              "RefSample1(2)mV,RefSample2(2)mV,RefSample3(2)mV,");

    auto reference = std::make_unique<CIonReference>();
    reference->SetTime(kTestEpoch + 7, 0);
    reference->name = "K+";
    reference->index = 2;
    reference->da0 = 0.1;
    reference->da1 = 0.2;
    reference->SetShape(3, 1);
    reference->values = {0.5, 0.25, 0};
    EXPECT_EQ(Row(*reference, &doc, kValues | kTab | kHeading),
              "K+GradientRef2\tBathOffset0\tBathOffset1\tnReps\tnPoints\tA(1)mV\tB(1)mV\tC(1)mV\t"
              "numReps\tnumdV\tAvgABuV\tAvgACuV\t");
    EXPECT_EQ(Row(*reference, &doc, kValues | kComma),
              "K+GradientRef2,0.100000,0.200000,1,3,0.500000,0.250000,0.000000,1,2,-0.25,-0.5,");
}

TEST_F(ExportRowsTest, GradientCalculationsThatCannotBeMadeLeaveAnEmptyCell) {
    CSampRulesIon* rules = AddIonRules(kTestEpoch);
    rules->calcs[0]->second = 7;  // no such point
    doc.RebuildRegister();
    CIonObs* point = AddIonPoint(kTestEpoch + 5, 2);
    EXPECT_EQ(Row(*point, &doc, kCalculations | kComma), "2,2,,-1.25,");
}

TEST_F(ExportRowsTest, RawADRowsAndBurstBlocks) {
    CRawADObs average;
    average.index = 3;
    average.rules.FirstChan = 2;
    average.rules.LastChan = 4;
    average.values = {0.1, -0.2, 0.3};
    EXPECT_EQ(Row(average, &doc, kValues | kTab | kHeading), "RawADObs3\tCh2(V)\tCh3(V)\tCh4(V)\t");
    EXPECT_EQ(Row(average, &doc, kValues | kTab), "RawADObs3\t0.100000\t-0.200000\t0.300000\t");
    average.index = 0;
    EXPECT_EQ(Row(average, &doc, kTitle | kComma), "RawADObs,");

    CRawADObs burst;
    burst.rules.average = 0;
    burst.rules.FirstChan = 0;
    burst.rules.LastChan = 1;
    burst.rules.BurstNum = 3;
    burst.values = {1, 10, 2, 20, 3, 30};
    // The samples go into the block, not into the row.
    EXPECT_EQ(Row(burst, &doc, kValues | kComma), "RawADObs,");
    const std::string table =
        "Ch0,Ch1,\n1.000000,10.000000,\n2.000000,20.000000,\n"
        "3.000000,30.000000,\n";
    const std::string lines =
        "Ch0\n1.000000\n2.000000\n3.000000\nCh1\n10.000000\n20.000000\n"
        "30.000000\n";
    std::string text;
    ExportBurstBlock(burst, text, kComma, false);
    EXPECT_EQ(text, table);
    text.clear();
    ExportBurstBlock(burst, text, kComma, true);
    EXPECT_EQ(text, lines);

    burst.rules.interleave = 0;
    burst.values = {1, 2, 3, 10, 20, 30};
    text.clear();
    ExportBurstBlock(burst, text, kComma, false);
    EXPECT_EQ(text, table);

    // A record holding fewer values than the rules describe writes only complete samples.
    burst.values = {1, 10, 2};
    text.clear();
    ExportBurstBlock(burst, text, kComma, false);
    EXPECT_EQ(text, "Ch0,Ch1,\n");
    burst.rules.interleave = 1;
    text.clear();
    ExportBurstBlock(burst, text, kComma, false);
    EXPECT_EQ(text, "Ch0,Ch1,\n1.000000,10.000000,\n");
    burst.rules.LastChan = -5;
    text.clear();
    ExportBurstBlock(burst, text, kComma, false);
    EXPECT_EQ(text, "");
}

TEST_F(ExportRowsTest, ImagesScansSequencesInterestPointsAndNotes) {
    CDibObs dib;
    dib.fileName = "/data/images/image001.bmp";
    EXPECT_EQ(Row(dib, &doc, kValues | kTab | kHeading), "DIBObs\tFilename\t");
    EXPECT_EQ(Row(dib, &doc, kValues | kTab), "DIBObs\t/data/images/image001.bmp\t");

    CScanObs scan;
    scan.fileName = "/data/s0001/scan001.scn";
    EXPECT_EQ(Row(scan, &doc, kValues | kComma | kHeading), "ScanObs,Filename,");
    EXPECT_EQ(Row(scan, &doc, kValues | kComma), "ScanObs,/data/s0001/scan001.scn,");

    CVidSeqObs seq;
    seq.fileName = "/data/V1205001/v1205001.vsq";
    seq.steps = CIVector4(3, 2, 1, 1);
    EXPECT_EQ(Row(seq, &doc, kTitle | kCalculations | kComma | kHeading),
              "VidSeqObs,Filename,Xsteps,Ysteps,Zsteps,Wsteps,");
    EXPECT_EQ(Row(seq, &doc, kData | kComma), "/data/V1205001/v1205001.vsq,3,2,1,1,");

    // The interest point's last cell ends the row: no separator after it.
    CInterestPointObs point;
    point.probePosition = CDVector4(1, 2.5, -3.125, 0);
    EXPECT_EQ(Row(point, &doc, kTitle | kTab | kHeading), "InterestPoint\tX\tY\tZ\tW");
    EXPECT_EQ(Row(point, &doc, kTitle | kTab), "InterestPoint\t1.00\t2.50\t-3.12\t0.00");
    EXPECT_EQ(Row(point, &doc, kComma), "1.00,2.50,-3.12,0.00");

    CLogEntry log;
    log.text = "line one\r\nline two";
    EXPECT_EQ(Row(log, &doc, kValues | kTab | kHeading), "LogEntry\t");
    EXPECT_EQ(Row(log, &doc, kValues | kTab), "LogEntry\tline one  line two");
    EXPECT_EQ(Row(log, &doc, kTitle | kTab), "LogEntry\t");
}

TEST_F(ExportRowsTest, RulesAndCalibrationsWriteTheirSettings) {
    CSampRulesWire wireRules;
    EXPECT_EQ(Row(wireRules, &doc, kTitle | kComma | kHeading),
              "CurDensSampRules,WaitPeriod,SamplePeriod,RefPeriod,FirstChan,");
    // The wait goes out in milliseconds.
    EXPECT_EQ(Row(wireRules, &doc, kTitle | kTab),
              "CurDensSampRules\t20.000000\t0.500000\t3.000000\t0\t");

    CWireCalibration* cal = AddCalibration(kTestEpoch);
    cal->XXphase = 0.5;
    EXPECT_EQ(Row(*cal, &doc, kTitle | kComma | kHeading),
              "CDPCalibration,XXphase,XXuAperV,XYphase,XYuAperV,YXphase,YXuAperV,YYphase,YYuAperV,"
              "Resistivity,SystemGain,Xmicrons,Ymicrons,XnanoAmps,YnanoAmps,Xsource,Ysource,"
              "Zsource,Wsource,");
    EXPECT_EQ(Row(*cal, &doc, kTitle | kComma),
              "CDPCalibration,28.647889,1.000000,0.000000,0.000000,0.000000,0.000000,0.000000,"
              "1.000000,100.000000,50000.000000,150.000000,150.000000,60.000000,60.000000,"
              "1.000000,2.000000,3.000000,4.000000,");

    CSampRulesIon* ionRules = AddIonRules(kTestEpoch);
    ionRules->points.resize(1);
    ionRules->points[0]->offset = CDVector4(1, 2, 3, 4);
    EXPECT_EQ(Row(*ionRules, &doc, kTitle | kComma | kHeading),
              "K+IonSampRules2,Rotation,Tilt,PathReps,DA0up,DA0AD,DA1up,DA1AD,BathBefore,"
              "BathAfter,BathWait,BathAvg,PointName,dX,dY,dZ,dW,WaitSec,AvgSec,A/D,D/A,DIO,Port,"
              "DataA,DataS");
    EXPECT_EQ(Row(*ionRules, &doc, kTitle | kTab),
              "K+IonSampRules2\t0.000000\t0.000000\t2\tyes\t5\tno\t7\tNone\tAfter\t1.000000\t"
              "0.500000\tA\t1.000000\t2.000000\t3.000000\t4.000000\t1.000000\t0.500000\t4\t0\t0\t"
              "888\t0\t0\t");

    CIonCalibration ionCal;
    ionCal.name = "K+";
    ionCal.index = 2;
    ionCal.volts2 = 59.0;
    ionCal.slope = ionCal.intercept = 59.0;
    EXPECT_EQ(Row(ionCal, &doc, kTitle | kComma | kHeading),
              "K+IonCalibration,Conc1,Conc2,Conc3,Vconc1,Vconc2,Vconc3,Use3,sampPeriod,"
              "LoGainADChan,HiGainADChan,DAChan,NernstSlope,NernstIntercept");
    EXPECT_EQ(Row(ionCal, &doc, kTitle | kComma),
              "K+IonCalibration,0.100000,1.000000,10.000000,0.000000,59.000000,0.000000,0,"
              "3.000000,1,0,0,59.000000,59.000000");
    EXPECT_EQ(Row(ionCal, &doc, kTitle | kTab),
              "K+IonCalibration\t0.100000\t1.000000\t10.000000\t0.000000\t59.000000\t0.000000\t0\t"
              "3.000000\t1\t0\t0\t59.000000\t59.000000\t");

    CSampRulesRawAD rawRules;
    EXPECT_EQ(Row(rawRules, &doc, kTitle | kComma | kHeading),
              "RawADSampRules,FirstChan,LastChan,WaitSec,AvgSec,BurstNum,BurstFreq,Method1,"
              "Method2,");
    EXPECT_EQ(Row(rawRules, &doc, kTitle | kTab),
              "RawADSampRules\t4\t4\t0.020000\t0.200000\t100\t100.000000\tAverage\tInterleave\t");
    rawRules.index = 1;
    rawRules.average = 0;
    rawRules.interleave = 0;
    EXPECT_EQ(Row(rawRules, &doc, kTitle | kComma),
              "RawADSampRules1,4,4,0.020000,0.200000,100,100.000000,Burst,Sequential,");
}

TEST_F(ExportRowsTest, TheListViewCopyHasEveryColumnButTheNumber) {
    AddCalibration(kTestEpoch);
    CWireObs* point = AddPoint(kTestEpoch + 3723, 250);
    EXPECT_EQ(ObservationExportRow(*point, &doc),
              "12\t05\t07\t13\t02\t03\t10.0\t20.2\t-3.0\t0.0\t1.0\t2.0\t3.0\t4.4\t"
              "CurrentDensityObs\t1.000000\t2.000000\t0.000000\t-1.000000\t0.100000\t-0.050000\t"
              "0.111803\t333.434949\t");
}

// The fast number formatting stands in for printf; it must give the very same bytes.
TEST(ExportFormat, NumbersAreThoseOfPrintf) {
    std::mt19937_64 random(12345);
    std::uniform_real_distribution<double> spread(-1.0, 1.0);
    std::uniform_int_distribution<int> exponent(-12, 18);
    char expected[512];
    auto check = [&](double v) {
        for (int precision : {1, 2, 6}) {
            std::string got;
            AppendFixed(got, v, precision);
            std::snprintf(expected, sizeof expected, "%.*lf", precision, v);
            ASSERT_EQ(got, expected) << precision;
        }
    };
    for (int i = 0; i < 20000; ++i)
        check(spread(random) * std::pow(10.0, exponent(random)));
    // Exact halves round to even, as printf does.
    for (double v : {0.0, -0.0, 20.25, -3.125, 0.0078125, 2.5e-7, 1e300, -1e-300, 123456789.5,
                     HUGE_VAL, -HUGE_VAL, std::nan("")})
        check(v);
    std::string ints;
    AppendInt(ints, -2147483648L);
    AppendInt(ints, 0);
    EXPECT_EQ(ints, "-21474836480");
}

// Runs of times share one breakdown of their local hour; daylight-saving changes (also those of
// half an hour) must still give the times localtime gives.
TEST(ExportFormat, LocalTimesMatchTheSystemAcrossDaylightSavingChanges) {
    const std::string saved = std::getenv("TZ") ? std::getenv("TZ") : "";
    for (const char* zone : {"America/New_York", "Australia/Adelaide", "Australia/Lord_Howe"}) {
        setenv("TZ", zone, 1);
        tzset();
        // The changes of 2007, found by their change of UTC offset.
        std::vector<int64_t> changes;
        for (int64_t t = 1167609600; t < 1199145600; t += 900)
            if (CClock::LocalTime(t).tm_gmtoff != CClock::LocalTime(t + 900).tm_gmtoff)
                changes.push_back(t);
        ASSERT_EQ(changes.size(), 2u) << zone;
        CLocalTimeCache cache;
        for (int64_t change : changes) {
            for (int64_t t = change - 5000; t < change + 8000; t += 7) {
                const std::tm& got = cache.At(t);
                const std::tm want = CClock::LocalTime(t);
                ASSERT_EQ(got.tm_hour, want.tm_hour) << zone << " " << t;
                ASSERT_EQ(got.tm_min, want.tm_min) << zone << " " << t;
                ASSERT_EQ(got.tm_sec, want.tm_sec) << zone << " " << t;
                ASSERT_EQ(got.tm_mday, want.tm_mday) << zone << " " << t;
            }
        }
    }
    setenv("TZ", saved.empty() ? "UTC" : saved.c_str(), 1);
    tzset();
}

}  // namespace
