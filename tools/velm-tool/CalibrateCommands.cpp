// Calibrate command: the whole CDP calibration without a screen, on the board configured in
// velm.ini. Giving the command is the user's answer to every check the dialog would ask ("the
// source current is OFF", "... is ON", keep the reference, save the values); on the Simulated
// Station the source is switched through the same hands the dialog's confirmations use. The
// stages start at 0 in every run, so the source is where velm.ini's "srcpos" says.

#include <cstdio>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "CalibrateCommand.h"
#include "ToolCommand.h"
#include "ToolDocument.h"
#include "app/MainFrame.h"
#include "obs/ObsDoc.h"
#include "obs/WireCalibration.h"
#include "platform/Services.h"
#include "settings/Profile.h"
#include "tech/Station.h"
#include "tech/WireCalibrationSession.h"

namespace {

constexpr const char* kUsage =
    "calibrate cdp [--distance UM] [--current NA] [--rho R] [--sg G] [--x-axis X|Y|Z] "
    "[--y-axis X|Y|Z] [DOC.vpo] | calibrate ion --probe NAME [--type nernst|polarographic] "
    "[--solutions C1,C2[,C3]]";

int Usage(const char* why) {
    std::fprintf(stderr, "velm-tool calibrate: %s\nusage: velm-tool %s\n", why, kUsage);
    return 2;
}

// Shows every text on standard error as the terminal prompt does, and answers each question
// as the user who gave the command: yes.
class CAgreeingPrompt : public CPrompt {
  public:
    EPromptAnswer Show(const std::string& text, const std::string& caption, EPromptButtons buttons,
                       EPromptIcon icon) override {
        console.Show(text, caption, EPromptButtons::Ok, icon);
        switch (buttons) {
            case EPromptButtons::Ok:
            case EPromptButtons::OkCancel:
                return EPromptAnswer::Ok;
            default:
                return EPromptAnswer::Yes;
        }
    }

  private:
    CConsolePrompt console{false};
};

struct SOptions {
    std::vector<std::pair<EWireCalField, std::string>> fields;
    std::string xAxis, yAxis, file;
};

bool AxisId(const std::string& letter, EPsd psd, uint16_t& id) {
    if (letter.size() != 1 || letter[0] < 'X' || letter[0] > 'Z') return false;
    id = static_cast<uint16_t>((psd == EPsd::X ? kXVibAxisX : kYVibAxisX) + (letter[0] - 'X'));
    return true;
}

void PrintCalibrationLines() {
    for (const char* key :
         {"Line 0", "Line 1", "Line 2", "Line 3", "Line 4", "Line 5", "Reference"})
        std::printf("%s=%s\n", key,
                    Profile().GetProfileString(kWireCalibrationSection, key).c_str());
}

// Each step says why it failed (through the prompt) before it returns false.
bool RunSteps(CWireCalibrationSession& session) {
    if (!session.ReferenceObservation()) return false;
    for (EPsd psd : {EPsd::X, EPsd::Y})
        if (!session.Go(psd) || !session.Sample(psd)) return false;
    session.Ok();
    if (session.Keep()) return true;
    std::fprintf(stderr,
                 "velm-tool calibrate: the gains could not be computed; nothing was "
                 "kept.\n");
    return false;
}

}  // namespace

int RunCalibrateCdp(const std::vector<std::string>& args) {
    SOptions options;
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool takesValue = a == "--distance" || a == "--current" || a == "--rho" ||
                                a == "--sg" || a == "--x-axis" || a == "--y-axis";
        if (takesValue) {
            if (i + 1 >= args.size()) return Usage((a + " needs a value").c_str());
            const std::string& value = args[++i];
            if (a == "--distance") {
                options.fields.push_back({EWireCalField::XDistance, value});
                options.fields.push_back({EWireCalField::YDistance, value});
            } else if (a == "--current") {
                options.fields.push_back({EWireCalField::XCurrent, value});
                options.fields.push_back({EWireCalField::YCurrent, value});
            } else if (a == "--rho") {
                options.fields.push_back({EWireCalField::Resistivity, value});
            } else if (a == "--sg") {
                options.fields.push_back({EWireCalField::SystemGain, value});
            } else {
                (a == "--x-axis" ? options.xAxis : options.yAxis) = value;
            }
        } else if (!a.empty() && a[0] == '-') {
            return Usage(("unknown option '" + a + "'").c_str());
        } else if (options.file.empty()) {
            options.file = a;
        } else {
            return Usage("one document only");
        }
    }
    uint16_t xId = 0, yId = 0;
    if (!options.xAxis.empty() && !AxisId(options.xAxis, EPsd::X, xId))
        return Usage(("--x-axis must be X, Y or Z, not '" + options.xAxis + "'").c_str());
    if (!options.yAxis.empty() && !AxisId(options.yAxis, EPsd::Y, yId))
        return Usage(("--y-axis must be X, Y or Z, not '" + options.yAxis + "'").c_str());

    CAgreeingPrompt agreeing;
    CScopedServices services(nullptr, &agreeing);
    CMainFrame frame;
    CObsDoc doc;
    std::string message;
    if (!options.file.empty() && !OpenOrNewObsDoc(options.file, doc, "calibrate")) return 1;

    std::unique_ptr<CWireCalibration> calibration;
    try {
        calibration = CWireCalibration::NewFromSettings();
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "velm-tool calibrate: Insufficient Memory for CDP Calibration\n");
        return 1;
    }
    if (!options.file.empty()) calibration->document = &doc;
    CWireCalibrationSession session(frame.Devices(), frame.Station(), *calibration);
    for (const auto& [field, text] : options.fields)
        if (!session.SetField(field, text)) return 1;
    if (xId) session.SetAxis(EPsd::X, xId);
    if (yId) session.SetAxis(EPsd::Y, yId);

    const bool kept = RunSteps(session);
    if (kept) {
        session.CopyResultTo(*calibration);
        KeepWireCalibration(*calibration, frame.Station());
    }
    // Kept references are in the document even when a later step failed, as in the dialog.
    if (!options.file.empty() && (kept || doc.IsModified())) {
        if (kept) {
            doc.AddObs(std::move(calibration));
            doc.storedWireCal = 1;
        }
        if (!doc.SaveFile(options.file, message)) {
            std::fprintf(stderr, "velm-tool calibrate: %s\n", message.c_str());
            return 1;
        }
    }
    if (!kept) return 1;
    PrintCalibrationLines();
    if (Profile().WriteFailed()) return 1;
    return std::fflush(stdout) == 0 ? 0 : 1;
}

namespace {

int RunCalibrate(const std::vector<std::string>& args) {
    if (!args.empty() && args[0] == "cdp") return RunCalibrateCdp(args);
    if (!args.empty() && args[0] == "ion") return RunCalibrateIon(args);
    return Usage("calibrate 'cdp' or 'ion'");
}

CToolCommandRegistrar calibrateCommand(
    {"calibrate", kUsage,
     "cdp: the CDP calibration on the velm.ini board (reference with the source off, Go and "
     "Sample for each detector with it on, keep), printing the stored lines and appending the "
     "calibration (and the reference) to DOC when given; ion: calibrates gradient probe NAME "
     "against its standard solutions (the velm.ini ones, or C1,C2[,C3]), keeps it and prints "
     "its lines",
     RunCalibrate});

}  // namespace
