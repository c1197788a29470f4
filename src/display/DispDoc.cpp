#include "display/DispDoc.h"

#include <algorithm>
#include <map>

#include "display/DisplayFrame.h"
#include "display/SourceDocuments.h"
#include "obs/DataDocument.h"
#include "obs/LinkedFile.h"

namespace {
// The smallest stored layer: an object tag and an empty source string.
constexpr uint64_t kMinLayerBytes = 2 + 1;
}  // namespace

CDispDoc::CDispDoc() = default;
CDispDoc::~CDispDoc() = default;

void CDispDoc::Serialize(CArchive& ar) {
    ar.DWord(listWidth);
    ar.DWord(listLines);
    ar.Word(windowWidth);
    ar.Word(windowHeight);
    if (ar.IsStoring()) {
        ar.WriteCount(layers.size());
        for (const auto& layer : layers)
            ar.WriteObject(layer.get());
        return;
    }
    layers.clear();
    const uint64_t count = ar.ReadCount();
    if (!ar.CanHold(count, kMinLayerBytes)) return;
    for (uint64_t i = 0; i < count && !ar.Failed(); ++i) {
        std::unique_ptr<CSerializable> object = ar.ReadOwnedObject(IsDisplayLayer);
        if (object) layers.emplace_back(static_cast<CDispLayer*>(object.release()));
    }
    if (ar.Failed()) layers.clear();
}

std::string CDispDoc::SaveToBytes() {
    CArchive ar;
    Serialize(ar);
    return ar.TakeBytes();
}

EArchiveError CDispDoc::LoadFromBytes(std::string_view bytes) {
    CArchive ar(bytes);
    Serialize(ar);
    return ar.Error();
}

bool CDispDoc::LoadFile(const std::string& path, std::string& message) {
    if (!ReadArchiveFile(
            path,
            [this](CArchive& ar) {
                Serialize(ar);
                if (ar.Failed()) layers.clear();
            },
            message))
        return false;
    pathName = path;
    modified = false;
    selected = layers.empty() ? 0 : 1;
    return true;
}

bool CDispDoc::SaveFile(const std::string& path, std::string& message) {
    if (!WriteArchiveFile(
            path, [this](CArchive& ar) { Serialize(ar); }, message))
        return false;
    pathName = path;
    modified = false;
    return true;
}

void CDispDoc::OpenSources(std::string& problems) {
    // One read per file, shared by every layer that draws from it.
    std::map<std::string, std::shared_ptr<CDataDocument>> opened;
    for (auto& layer : layers) {
        if (layer->source.empty()) continue;
        const std::string path =
            pathName.empty() ? layer->source : ResolveLinkedFile(layer->source, pathName);
        const std::string& use = path.empty() ? layer->source : path;
        if (auto* image = dynamic_cast<CImageDispLayer*>(layer.get())) {
            image->image = CBitmapImage();
            if (!IsLayerImagePath(use)) {
                image->imageProblem = "not a bitmap";
            } else {
                const SBmpStatus status = ReadBmpFile(use, image->image);
                image->imageProblem = status.Ok() ? "" : status.detail;
            }
            if (!image->imageProblem.empty())
                problems += layer->source + ": " + image->imageProblem + "\n";
        } else if (auto* data = dynamic_cast<CDataDispLayer*>(layer.get())) {
            data->sourceDoc = nullptr;
            data->ownedSource.reset();
            if (!IsSourceDocumentPath(use)) {
                problems += layer->source + ": not an observation or scan document\n";
                continue;
            }
            if (findOpenDocument) data->sourceDoc = findOpenDocument(use);
            if (data->sourceDoc) continue;
            auto& shared = opened[use];
            if (!shared) {
                std::string message;
                shared = OpenSourceDocument(use, message);
                if (!shared) {
                    problems += layer->source + ": " + message + "\n";
                    continue;
                }
            }
            data->ownedSource = shared;
            data->sourceDoc = shared.get();
        }
    }
}

void CDispDoc::ShareOpticalSystem(const COpticalSystem& active) {
    const COpticalSystem* system = &active;
    for (const auto& layer : layers)
        if (auto* image = dynamic_cast<const CImageDispLayer*>(layer.get())) {
            system = &image->opticalSystem;
            break;
        }
    for (auto& layer : layers)
        if (auto* data = dynamic_cast<CDataDispLayer*>(layer.get())) data->opticalSystem = *system;
}

bool CDispDoc::DependsOn(const CDataDocument* document) const {
    if (!document) return false;
    return std::any_of(layers.begin(), layers.end(), [&](const auto& layer) {
        auto* data = dynamic_cast<const CDataDispLayer*>(layer.get());
        return data && data->sourceDoc == document;
    });
}

bool CDispDoc::RaiseUp() {
    if (!CanRaise()) return false;
    std::swap(layers[static_cast<size_t>(selected) - 1], layers[static_cast<size_t>(selected)]);
    ++selected;
    modified = true;
    return true;
}

bool CDispDoc::SendDown() {
    if (!CanLower()) return false;
    std::swap(layers[static_cast<size_t>(selected) - 1], layers[static_cast<size_t>(selected) - 2]);
    --selected;
    modified = true;
    return true;
}

bool CDispDoc::ToTop() {
    if (!CanRaise()) return false;
    auto it = layers.begin() + (selected - 1);
    std::rotate(it, it + 1, layers.end());
    selected = Count();
    modified = true;
    return true;
}

bool CDispDoc::ToBottom() {
    if (!CanLower()) return false;
    auto it = layers.begin() + (selected - 1);
    std::rotate(layers.begin(), it, it + 1);
    selected = 1;
    modified = true;
    return true;
}

bool CDispDoc::DeleteSelected() {
    if (!CanDelete()) return false;
    layers.erase(layers.begin() + (selected - 1));
    --selected;
    modified = true;
    return true;
}

void CDispDoc::Insert(std::unique_ptr<CDispLayer> layer) {
    if (!layer) return;
    if (selected >= 1 && selected <= Count()) {
        layers.insert(layers.begin() + (selected - 1), std::move(layer));
    } else {
        layers.push_back(std::move(layer));
        selected = Count();
    }
    modified = true;
}

int CDispDoc::RowAt(int y, int lineHeight) const {
    // Above the list's first line (where the division would round toward row 1) or past its
    // last row, no row is under the pointer.
    if (y < 10 || lineHeight <= 0) return 0;
    const int row = (y - 10) / lineHeight + 1;
    return row <= Count() ? row : 0;
}

std::vector<SPixelRect> CDispDoc::TileRects(int count, SPixelRect client, int lineHeight) {
    std::vector<SPixelRect> rects;
    if (count < 1) return rects;
    client.bottom -= lineHeight;
    const int width = client.right - client.left;
    const int h = (client.bottom - client.top) / count;
    for (int i = 0; i < count; ++i) {
        SPixelRect r;
        r.left = client.left + static_cast<int>(0.1 * width);
        r.right = client.right + static_cast<int>(-0.05 * width);
        r.top = client.top + i * h;
        r.bottom = client.top + i * h + h - 3 * lineHeight;
        // Too many graphs for the window: each keeps one line of height (they overlap) rather
        // than turning upside down.
        if (r.bottom < r.top + lineHeight) r.bottom = r.top + lineHeight;
        rects.push_back(r);
    }
    return rects;
}

void CDispDoc::TileGraphs(SPixelRect client, int lineHeight) {
    std::vector<CDataDispLayer*> graphs;
    for (auto& layer : layers)
        if (auto* data = dynamic_cast<CDataDispLayer*>(layer.get());
            data && data->method == kMethodValueGraph)
            graphs.push_back(data);
    const std::vector<SPixelRect> rects =
        TileRects(static_cast<int>(graphs.size()), client, lineHeight);
    for (size_t i = 0; i < graphs.size(); ++i) {
        const CDisplayFrame frame(windowWidth, windowHeight, graphs[i]->opticalSystem);
        double* w = graphs[i]->graphWindow;
        frame.ToWorld({static_cast<double>(rects[i].left), static_cast<double>(rects[i].top)}, w[0],
                      w[1]);
        frame.ToWorld({static_cast<double>(rects[i].right), static_cast<double>(rects[i].bottom)},
                      w[2], w[3]);
    }
    if (!graphs.empty()) modified = true;
}

std::string CDispDoc::ProposedName() const {
    if (layers.empty()) return "Display.vpd";
    std::string name = LinkedFileName(layers.front()->source);
    const size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0) name.resize(dot);
    if (name.empty()) name = "Display";
    return name + ".vpd";
}
