// Calibrate command: a gradient probe's calibration from a terminal or a script. It runs the
// same calibration session as Technique > Calibration: each standard solution is sampled in
// turn (on the Simulated Station the tip is put into it through the bench's hands, as the
// solution's button does in the dialog), the values are kept without a question (the command
// line is the confirmation), saved in the probe's section of velm.ini and printed.

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ToolCommand.h"
#include "app/MainFrame.h"
#include "obs/IonCalibration.h"
#include "platform/NumberEntry.h"
#include "settings/Profile.h"
#include "tech/DialogFields.h"
#include "tech/IonCalibrationSession.h"
#include "tech/IonDialogs.h"
#include "tech/ProbeNames.h"
#include "tech/Station.h"
#include "CalibrateCommand.h"

namespace {

constexpr const char* kUsage =
    "calibrate ion --probe NAME [--type nernst|polarographic] [--solutions C1,C2[,C3]]";

int Usage(const std::string& why) {
    std::fprintf(stderr, "velm-tool calibrate: %s\nusage: velm-tool %s\n", why.c_str(), kUsage);
    return 2;
}

// "C1,C2" or "C1,C2,C3": two or three numbers.
std::optional<std::vector<double>> ParseSolutions(const std::string& text) {
    std::vector<double> values;
    size_t start = 0;
    for (;;) {
        const size_t comma = text.find(',', start);
        const std::optional<double> v =
            ParseNumberEntry(std::string_view(text).substr(start, comma - start));
        if (!v) return std::nullopt;
        values.push_back(*v);
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    if (values.size() < 2 || values.size() > 3) return std::nullopt;
    return values;
}

// The dialog without a screen: the fields as the command line gives them, each solution in
// use sampled in turn, and the values kept.
class CCommandLineCalibration : public CIonDialogs {
  public:
    std::optional<uint16_t> type;
    std::optional<std::vector<double>> solutions;
    std::string failure;

    bool SelectProbe(CSelectProbeLogic&) override { return false; }
    bool NewProbeName(CNewProbeNameLogic&) override { return false; }
    bool EditCalibration(CIonCalibrationEditLogic&) override { return false; }
    bool EditRules(CIonRulesLogic&) override { return false; }
    bool EditPoint(CIonPointLogic&) override { return false; }
    bool EditCalc(CGradCalcLogic&) override { return false; }

    bool Calibrate(CIonCalibrationSession& session) override {
        if (type) session.SetType(*type);
        if (solutions) {
            for (size_t i = 0; i < solutions->size(); ++i)
                session.conc[i] = FormatNumber((*solutions)[i]);
            session.SetUse3(solutions->size() == 3);
        }
        const int count = session.Use3() ? 3 : 2;
        for (int k = 1; k <= count; ++k) {
            if (!session.SampleSolution(k)) {
                failure = "solution " + std::to_string(k) + " could not be sampled.";
                return false;
            }
        }
        return session.Keep(failure);
    }
};

}  // namespace

int RunCalibrateIon(const std::vector<std::string>& args) {
    std::string probe;
    CCommandLineCalibration calibration;
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a != "--probe" && a != "--type" && a != "--solutions")
            return Usage("unknown argument '" + a + "'");
        if (i + 1 >= args.size()) return Usage(a + " needs a value");
        const std::string& value = args[++i];
        if (a == "--probe") {
            probe = value;
        } else if (a == "--type") {
            if (value == "nernst")
                calibration.type = kIonNernst;
            else if (value == "polarographic")
                calibration.type = kIonPolarographic;
            else
                return Usage("--type must be nernst or polarographic, not '" + value + "'");
        } else {
            calibration.solutions = ParseSolutions(value);
            if (!calibration.solutions)
                return Usage("--solutions must be two or three concentrations C1,C2[,C3], not '" +
                             value + "'");
        }
    }
    if (probe.empty()) return Usage("no probe named (--probe NAME)");

    CMainFrame frame;
    CStation& station = frame.Station();
    if (FindProbeName(station.probeNames, probe) < 0) {
        if (const std::string problem = NewProbeNameProblem(probe, station.probeNames);
            !problem.empty())
            return Usage(problem);
    }
    const CIonCalibration* kept = nullptr;
    {
        CScopedIonDialogs dialogs(&calibration);
        kept = CalibrateIonProbe(station, probe);
    }
    if (!kept) {
        if (!calibration.failure.empty())
            std::fprintf(stderr, "velm-tool calibrate: %s\n", calibration.failure.c_str());
        return 1;
    }
    const std::string section = IonProbeSection(kept->name);
    for (const char* key :
         {"A/D Board Parameters", "Calibration 0", "Calibration 1", "Calibration 2"}) {
        std::printf("%s=%s\n", key, Profile().GetProfileString(section, key).c_str());
    }
    if (Profile().WriteFailed()) return 1;
    return std::fflush(stdout) == 0 ? 0 : 1;
}


