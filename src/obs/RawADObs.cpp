#include "obs/RawADObs.h"

#include <algorithm>
#include <new>

#include "platform/Format.h"
#include "platform/Services.h"

size_t CRawADObs::StoredValueCount() const {
    if (rules.average)
        return rules.ChannelCount() > 0 ? static_cast<size_t>(rules.ChannelCount()) : 0;
    return rules.BurstNum > 0 ? static_cast<size_t>(rules.BurstNum) : 0;
}

void CRawADObs::Serialize(CArchive& ar) {
    CVelmObs::Serialize(ar);
    if (ar.IsLoading()) FreeData();
    rules.Serialize(ar);
    if (ar.Failed()) return;
    const size_t n = StoredValueCount();
    if (ar.IsStoring()) {
        const size_t have = std::min(n, values.size());
        ar.Doubles(values.data(), have);
        for (size_t i = have; i < n; ++i)
            ar.WriteDouble(0.0);
        return;
    }
    if (n == 0 || !ar.CanHold(n, 8)) return;
    try {
        values.assign(n, 0.0);
    } catch (const std::bad_alloc&) {
        Prompt().Message("Cannot allocate buffer for raw A/D values - aborting Serialization.",
                         EPromptIcon::Stop);
        ar.Fail(EArchiveError::Reported);
        return;
    }
    ar.Doubles(values.data(), n);
}

void CRawADObs::FreeData() {
    values.clear();
    values.shrink_to_fit();
}

void CRawADObs::Describe(std::string& text, const CDataDocument* document, unsigned options) const {
    CVelmObs::Describe(text, document, options);
    if (options & DetailFlags::kType) {
        if (SignedIndex() >= 1)
            StrAppendf(text, "Raw A/D Obs %d:  ", SignedIndex());
        else
            text += "Raw A/D Obs:  ";
    }
    if (!WantsData(options) || values.empty()) return;
    if (rules.average) {
        const size_t n = std::min(values.size(), StoredValueCount());
        for (size_t c = 0; c < n; ++c)
            StrAppendf(text, "%8.2lf, ", values[c]);
    } else {
        StrAppendf(text, "Burst of %ld samples from %d channels", static_cast<long>(rules.BurstNum),
                   rules.ChannelCount());
    }
}

int CRawADObs::GetValue(double& value, int code, const CDataDocument*,
                        const SValueQuery* query) const {
    value = 0.0;
    if (code != ValueCode::kChannel || !rules.average) return 0;
    const SValueQuery defaults;
    const int slot = (query ? query->rawADChannel : defaults.rawADChannel) - rules.FirstChan;
    if (slot < 0 || slot >= rules.ChannelCount() || static_cast<size_t>(slot) >= values.size())
        return 0;
    value = values[static_cast<size_t>(slot)];
    return 5;
}
