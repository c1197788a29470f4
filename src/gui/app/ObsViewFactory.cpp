#include "gui/app/ObsViewFactory.h"

#include <QFontDatabase>
#include <QListWidget>

#include "gui/app/DocumentWindow.h"
#include "gui/platform/QtText.h"
#include "obs/ObsDoc.h"

namespace {
// A plain list of the observations' descriptions, one line each.
class CObsListPlaceholder : public QListWidget {
  public:
    explicit CObsListPlaceholder(CObsDocWindow& window) : QListWidget(&window), window(window) {
        setObjectName("obsView");
        setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
        setSelectionMode(QAbstractItemView::ContiguousSelection);
        setUniformItemSizes(true);
        connect(&window, &CDocumentWindow::DocumentChanged, this, &CObsListPlaceholder::Refill);
        Refill();
    }

  private:
    void Refill() {
        CObsDoc& doc = window.Document();
        clear();
        for (size_t i = 0; i < doc.GetObsCount(); ++i) {
            const CVelmObs* obs = doc.GetObsAt(i);
            if (!obs) continue;
            std::string text;
            obs->Describe(text, &doc, DetailFlags::kDefault);
            auto* item = new QListWidgetItem(ToQ(text), this);
            SRgb c = obs->GetColor();
            item->setForeground(QColor(c.r, c.g, c.b));
        }
    }

    CObsDocWindow& window;
};
}  // namespace

QWidget* CreateObsView(CObsDocWindow& window) {
    return new CObsListPlaceholder(window);
}
