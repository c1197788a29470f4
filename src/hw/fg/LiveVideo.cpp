#include "hw/fg/LiveVideo.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdlib>

#include "hw/FgBoard.h"
#include "platform/Format.h"
#include "platform/NumberEntry.h"
#include "platform/Services.h"
#include "settings/Profile.h"

CLiveVideo::CLiveVideo(std::unique_ptr<CLiveFrameSource> source) : source(std::move(source)) {}

CLiveVideo::~CLiveVideo() {
    Stop();
}

bool CLiveVideo::Start(std::string& startError) {
    if (Running()) return true;
    if (!source) {
        startError = "There is no live video source.";
        return false;
    }
    if (!source->Begin(startError)) {
        source->End();
        return false;
    }
    begun = true;
    {
        std::lock_guard lock(mutex);
        stopping = false;
        failed = false;
        requested = true;  // the first frame at once
    }
    worker = std::thread(&CLiveVideo::Run, this);
    return true;
}

void CLiveVideo::Stop() {
    {
        std::lock_guard lock(mutex);
        stopping = true;
    }
    wake.notify_all();
    arrived.notify_all();
    if (worker.joinable()) worker.join();
    if (begun) {
        source->End();
        begun = false;
    }
}

void CLiveVideo::RequestFrame() {
    {
        std::lock_guard lock(mutex);
        if (requested || failed) return;
        requested = true;
    }
    wake.notify_one();
}

bool CLiveVideo::TakeFrame(CBitmapImage& frame) {
    std::lock_guard lock(mutex);
    if (!fresh) return false;
    frame = latest;
    fresh = false;
    return true;
}

bool CLiveVideo::GrabNext(CBitmapImage& frame, int timeoutMs, std::string& problem) {
    std::unique_lock lock(mutex);
    if (!worker.joinable() || stopping || failed) {
        problem = error ? *error : std::string("The live video is not running.");
        return false;
    }
    const uint64_t before = frames;
    if (!requested) {
        requested = true;
        wake.notify_one();
    }
    const bool came = arrived.wait_for(lock, std::chrono::milliseconds(std::max(timeoutMs, 0)),
                                       [&] { return frames > before || failed || stopping; });
    if (came && frames > before) {
        frame = latest;
        return true;
    }
    if (!came)
        problem = StrPrintf("The camera sent no frame within %d ms.", timeoutMs);
    else
        problem = error ? *error : std::string("The live video stopped.");
    return false;
}

std::optional<std::string> CLiveVideo::TakeError() {
    std::lock_guard lock(mutex);
    std::optional<std::string> out;
    out.swap(error);
    return out;
}

void CLiveVideo::SetInput(const SInputSignal& input) {
    std::lock_guard lock(mutex);
    pendingInput = input;
}

uint64_t CLiveVideo::FramesGrabbed() const {
    std::lock_guard lock(mutex);
    return frames;
}

void CLiveVideo::Run() {
    CBitmapImage frame;
    for (;;) {
        std::optional<SInputSignal> input;
        {
            std::unique_lock lock(mutex);
            wake.wait(lock, [&] { return stopping || requested; });
            if (stopping) return;
            requested = false;
            input.swap(pendingInput);
        }
        if (input) source->SetInput(*input);
        std::string problem;
        const bool ok = source->Next(frame, problem);
        std::lock_guard lock(mutex);
        if (!ok) {
            failed = true;
            error = problem.empty() ? std::string("Live Video Error") : problem;
            arrived.notify_all();
            return;
        }
        std::swap(latest, frame);
        fresh = true;
        ++frames;
        arrived.notify_all();
    }
}

std::optional<double> CLiveRateCounter::AddFrame(uint64_t tick) {
    if (!started) {
        started = true;
        since = tick;
        count = 0;
        return std::nullopt;
    }
    if (++count <= 10) return std::nullopt;
    const uint64_t elapsed = tick - since;
    const double rate = elapsed > 0 ? count * 1000.0 / static_cast<double>(elapsed) : 0.0;
    count = 0;
    since = tick;
    return rate;
}

CRefreshRateLogic::CRefreshRateLogic() {
    entry = StrPrintf("%g", StoredRate(4.0));
}

double CRefreshRateLogic::StoredRate(double missing) {
    static const char kMissing[] = "\x01missing";
    std::string text = Profile().GetProfileString(kFrameGrabberSection, "Live Refresh", kMissing);
    if (text == kMissing) return missing;
    char* end = nullptr;
    double rate = std::strtod(text.c_str(), &end);
    if (end == text.c_str() || !std::isfinite(rate) || rate < kMinRate || rate > kMaxRate)
        return 5.0;
    return rate;
}

int CRefreshRateLogic::IntervalMs(double rate) {
    if (!std::isfinite(rate) || rate <= 0.0) rate = 5.0;
    return std::max(1, static_cast<int>(std::trunc(1000.0 / rate)));
}

bool CRefreshRateLogic::Accept(double& rate) {
    const std::optional<double> parsed = ParseNumberEntry(entry);
    const double value = parsed.value_or(0.0);
    if (!parsed || value < kMinRate || value > kMaxRate) {
        Prompt().Message("Enter a refresh rate from 0.1 to 100 refreshes per second.",
                         EPromptIcon::Exclamation, kTitle);
        return false;
    }
    Profile().WriteLine(kFrameGrabberSection, "Live Refresh", "%lf", value);
    rate = value;
    return true;
}
