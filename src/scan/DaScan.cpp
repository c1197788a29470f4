#include "scan/DaScan.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <new>
#include <utility>

#include "hw/AdBoard.h"
#include "hw/Devices.h"
#include "obs/ObsDoc.h"
#include "obs/RawADObs.h"
#include "obs/SampRulesRawAD.h"
#include "obs/SampRulesWire.h"
#include "obs/WireCalibration.h"
#include "obs/WireObs.h"
#include "platform/Format.h"
#include "platform/Services.h"
#include "platform/StationBusy.h"
#include "tech/Acquisition.h"
#include "tech/Station.h"

namespace {

void Tell(const std::string& text) {
    Prompt().Message(text, EPromptIcon::Exclamation);
}

}  // namespace

// ---- SDaScanPlan --------------------------------------------------------------------------------

SDaScanPlan SDaScanPlan::FromDocument(const CObsDoc& doc) {
    SDaScanPlan plan;
    plan.channel = doc.daChannel;
    plan.start = doc.daStart;
    plan.end = doc.daEnd;
    // Fewer than two points have no step between them.
    plan.points = std::max(doc.daPoints, 2);
    plan.automatic = doc.daIncrement != kDaManualIncrement;
    plan.interval = std::isfinite(doc.daInterval) && doc.daInterval > 0.0 ? doc.daInterval : 0.0;
    plan.recordRawAD = doc.daRecordRawAD;
    plan.recordCDP = doc.daRecordCDP;
    plan.reset = doc.daReset != 0;
    plan.resetVolts = doc.daResetVolts;
    plan.cycle = doc.daCycle != 0;
    plan.times = std::max(doc.daTimes, 1);
    return plan;
}

double SDaScanPlan::Volts(double from, double to, int i) const {
    const int last = std::max(points, 2) - 1;
    if (i >= last) return to;
    return from + (to - from) * static_cast<double>(i) / static_cast<double>(last);
}

std::string SDaScanPlan::Description() const {
    std::string text = StrPrintf("of Channel %d from %.3lfV to %.3lfV in %d steps, %d %s", channel,
                                 start, end, points, times, cycle ? "Cycles" : "Scans");
    if (automatic)
        StrAppendf(text, ", Auto Increment at %.1lf second intervals", interval);
    else
        text += ", Manual Increment";
    return text;
}

// ---- CDaScan ------------------------------------------------------------------------------------

double FirstChannelValue(const CRawADObs& obs) {
    if (obs.values.empty()) return 0.0;
    if (obs.rules.average) return obs.values.front();
    double sum = 0.0;
    for (double v : obs.values)
        sum += v;
    return sum / static_cast<double>(obs.values.size());
}

CDaScan::CDaScan(CObsDoc& doc, CStation& station, const SDaScanPlan& plan)
    : doc(doc), station(station), plan(plan) {
    this->plan.points = std::max(this->plan.points, 2);
    this->plan.times = std::max(this->plan.times, 1);
    if (!(this->plan.interval >= 0.0)) this->plan.interval = 0.0;
}

bool CDaScan::CheckStation(const CStation& station, const SDaScanPlan& plan) {
    std::string missing;
    if (!station.Devices())
        missing = "The D/A output scan needs the station's A/D board.";
    else if (plan.channel != 0 && plan.channel != 1)
        missing = StrPrintf(
            "The board has no D/A Channel %d: a D/A output scan steps channel 0 "
            "or 1.",
            plan.channel);
    else if (plan.recordCDP && !station.wireRules)
        missing = "Failed reading CDP Sampling setup in D/A Output Scan";
    else if (plan.recordCDP && !station.wireCalibration)
        missing = "Failed reading CDP Calibration in D/A Output Scan";
    else if (plan.recordRawAD && !station.rawADRules)
        missing = "Failed reading Raw A/D Sampling setup in D/A Output Scan";
    if (!missing.empty()) Tell(missing);
    return missing.empty();
}

EDaScanResult CDaScan::Run() {
    // The tracker, the watch windows and the scan timer stay away from the board until the
    // reset voltage is out.
    CStationBusy::CScope busy;
    pointsTaken = 0;
    if (!CheckStation(station, plan)) return EDaScanResult::NotStarted;
    board = &station.Devices()->AdBoard();

    const std::string description = plan.Description();
    doc.AddLogEntry("Begin D/A Output Scan " + description);
    if (doc.autoSave) {
        doc.SetModifiedFlag(true);
        if (saveDocument)
            saveDocument(doc);
        else if (!doc.GetPathName().empty())
            doc.OnSaveDocument(doc.GetPathName());
    }

    const std::string valueTitle =
        plan.recordCDP
            ? std::string("Total current density (uA/sq.cm.)")
            : StrPrintf("A/D Channel %d (V)", plan.recordRawAD ? station.rawADRules->FirstChan : 0);
    graph.Start(plan.channel, plan.start, plan.end, valueTitle);
    if (monitor) monitor->Begin(graph);

    bool going = true;
    int pass = 0;
    for (int r = 0; r < plan.times && going; ++r) {
        // Cycling goes up and back again; the exchange is of these copies only.
        double from = plan.start, to = plan.end;
        for (int half = 0; half < (plan.cycle ? 2 : 1) && going; ++half, ++pass) {
            for (int i = 0; i < plan.points && going; ++i)
                going = Point(pass, i, plan.Volts(from, to, i));
            std::swap(from, to);
        }
    }

    Finish();
    return going ? EDaScanResult::Completed : EDaScanResult::Stopped;
}

bool CDaScan::Point(int pass, int i, double volts) {
    if (!board->SetDA(plan.channel, volts)) {
        std::string text = board->SetDAFailureText(plan.channel, volts);
        if (board->HasDA()) StrAppendf(text, "\nA/D board: %s.", board->GetBoardName());
        Tell(text + "\nThe D/A output scan ends here.");
        return false;
    }
    if (monitor)
        monitor->Status(StrPrintf("Point %d of %d - %.3lf volts.", i + 1, plan.points, volts));
    if (plan.automatic) {
        if (UserTerminates() || !WaitInterval()) return false;
    } else if (Prompt().Ask(StrPrintf(kManualQuestion, i + 1, plan.points),
                            EPromptButtons::OkCancel, EPromptIcon::Question) != EPromptAnswer::Ok) {
        return false;
    }

    if (plan.recordRawAD) {
        CObsList taken = TakeRawADObservations(*station.rawADRules, *board, kRawADOutOfMemory);
        if (taken.empty()) return false;
        const double value = FirstChannelValue(static_cast<const CRawADObs&>(*taken.front()));
        // One acquisition counts once for automatic saving, at its last part.
        for (size_t k = 0; k < taken.size(); ++k)
            doc.AddObs(std::move(taken[k]), k + 1 == taken.size());
        if (!plan.recordCDP) {
            graph.Add(volts, value, pass);
            if (monitor) monitor->GraphChanged(graph);
        }
    }
    if (plan.recordCDP) {
        std::unique_ptr<CWireObs> obs;
        try {
            obs = std::make_unique<CWireObs>();
        } catch (const std::bad_alloc&) {
            Tell(kCdpOutOfMemory);
            return false;
        }
        if (!AcquireWirePoint(station.wireRules.get(), *obs, *board, station.wireReference.reading))
            return false;
        const double total = station.wireCalibration->ComputeCurrentDensity(*obs, true).z;
        doc.AddObs(std::move(obs));
        graph.Add(volts, total, pass);
        if (monitor) monitor->GraphChanged(graph);
    }
    ++pointsTaken;
    return true;
}

bool CDaScan::UserTerminates() {
    if (!escapePressed || !escapePressed()) return false;
    return Prompt().Ask(kTerminateQuestion, EPromptButtons::OkCancel, EPromptIcon::Question) ==
           EPromptAnswer::Ok;
}

bool CDaScan::WaitInterval() {
    // Waited in slices, so that Esc is seen during a long interval rather than after it; the
    // deadline stays where the interval put it.
    const uint64_t deadline = SettleDeadline(plan.interval);
    CClock& clock = Clock();
    while (clock.Ticks() < deadline) {
        clock.WaitUntil(std::min<uint64_t>(deadline, clock.Ticks() + kEscapeSliceMs));
        if (clock.Ticks() < deadline && UserTerminates()) return false;
    }
    return true;
}

void CDaScan::Finish() {
    if (monitor) monitor->End();
    doc.AddLogEntry("End D/A Output Scan " + plan.Description());
    // The reset voltage is a safe value for the preparation: put out however the scan ended.
    // A board without outputs has said so at the first point already.
    if (plan.reset && board->HasDA() && !board->SetDA(plan.channel, plan.resetVolts))
        Tell(board->SetDAFailureText(plan.channel, plan.resetVolts) +
             "\nThe output was not reset at the end of the D/A output scan.");
}
