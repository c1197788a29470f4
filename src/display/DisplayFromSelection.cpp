#include "display/DisplayFromSelection.h"

#include <algorithm>

#include "obs/DataDocument.h"
#include "obs/DibObs.h"
#include "obs/IonObs.h"
#include "obs/LinkedFile.h"
#include "obs/RawADObs.h"
#include "obs/WireObs.h"

std::vector<std::unique_ptr<CDispLayer>> LayersForSelection(CDataDocument& doc,
                                                            const std::string& docPath,
                                                            size_t first, size_t last,
                                                            const COpticalSystem& active,
                                                            const CDibObs* grabbed) {
    std::vector<std::unique_ptr<CDispLayer>> layers;
    const size_t count = doc.GetObsCount();
    if (count == 0 || first > last || first >= count) return layers;
    last = std::min(last, count - 1);

    const CDibObs* image = nullptr;
    int quantity = 0, method = kMethodVector;
    bool havePoint = false;
    double minX = 0, maxX = 0, minY = 0, maxY = 0;
    for (size_t i = first; i <= last; ++i) {
        const CVelmObs* obs = doc.GetObsAt(i);
        if (auto* dib = dynamic_cast<const CDibObs*>(obs)) {
            image = dib;  // the list is in time order: the last one is the newest
            continue;
        }
        int q = 0, m = kMethodVector;
        if (dynamic_cast<const CWireObs*>(obs))
            q = ValueCode::kVector2D;
        else if (dynamic_cast<const CIonObs*>(obs))
            q = ValueCode::kXYVector;
        else if (dynamic_cast<const CRawADObs*>(obs))
            q = ValueCode::kChannel, m = kMethodCircle;
        if (q == 0) continue;
        if (quantity == 0) quantity = q, method = m;
        const CDVector4 at = obs->probePosition - obs->samplePosition;
        if (!havePoint) {
            minX = maxX = at.x;
            minY = maxY = at.y;
            havePoint = true;
        }
        minX = std::min(minX, at.x), maxX = std::max(maxX, at.x);
        minY = std::min(minY, at.y), maxY = std::max(maxY, at.y);
    }

    if (grabbed) image = grabbed;
    COpticalSystem system = active;
    if (image) {
        auto layer = std::make_unique<CImageDispLayer>();
        layer->LoadSettings();
        const std::string resolved = ResolveLinkedFile(image->fileName, docPath);
        layer->source = resolved.empty() ? image->fileName : resolved;
        layer->offset = CDVector4();
        layer->blend = kBlendCopy;
        layer->opticalSystem = active;
        system = layer->opticalSystem;
        layers.push_back(std::move(layer));
    }
    auto data = std::make_unique<CDataDispLayer>();
    data->LoadSettings();
    data->source = docPath;
    data->sourceDoc = &doc;
    data->opticalSystem = system;
    if (quantity != 0) {
        data->quantity = quantity;
        data->method = method;
    }
    data->timeRange[0] = doc.GetObsAt(first)->time;
    data->timeRange[1] = doc.GetObsAt(last)->time;
    data->timeRange[2] = data->timeRange[3] = 0;
    data->timeRangeText = CDataDispLayer::TimeRangeText(data->timeRange[0], data->timeRange[1]);
    if (image)
        data->offset = image->probePosition - image->samplePosition;
    else if (havePoint)
        data->offset = CDVector4((minX + maxX) / 2, (minY + maxY) / 2, 0, 0);
    layers.push_back(std::move(data));
    return layers;
}

bool SelectionHasImage(const CDataDocument& doc, size_t first, size_t last) {
    for (size_t i = first; i <= last && i < doc.GetObsCount(); ++i)
        if (dynamic_cast<const CDibObs*>(doc.GetObsAt(i))) return true;
    return false;
}
