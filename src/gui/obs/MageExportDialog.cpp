#include "gui/obs/MageExportDialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "gui/platform/QtText.h"

CMageExportDialog::CMageExportDialog(CMageExportLogic& logic, QWidget* parent)
    : QDialog(parent), logic(logic) {
    setObjectName("mageExportDialog");
    setWindowTitle(CMageExportLogic::kCaption);
    auto* layout = new QVBoxLayout(this);
    auto* form = new QGridLayout;
    layout->addLayout(form);

    auto* from = new QPushButton(tr("Observations From:"), this);
    from->setObjectName("observationsFrom");
    form->addWidget(from, 0, 0);
    rangeLabel = new QLabel(ToQ(logic.RangeText()), this);
    rangeLabel->setObjectName("range");
    form->addWidget(rangeLabel, 0, 1, 1, 3);
    form->addWidget(new QLabel(tr("Output to file:"), this), 1, 0);
    outputEdit = new QLineEdit(ToQ(logic.outputPath), this);
    outputEdit->setObjectName("outputPath");
    form->addWidget(outputEdit, 1, 1, 1, 3);

    includeContour = new QCheckBox(tr("Include Contour"), this);
    includeContour->setObjectName("includeContour");
    includeContour->setChecked(logic.includeContour);
    form->addWidget(includeContour, 2, 0);
    contour = new QComboBox(this);
    contour->setObjectName("contour");
    for (const auto& name : logic.contours)
        contour->addItem(ToQ(name));
    form->addWidget(contour, 2, 1);
    contourOn = new QCheckBox(tr("On"), this);
    contourOn->setObjectName("contourOn");
    contourOn->setChecked(logic.contourOn);
    form->addWidget(contourOn, 2, 2);

    text = new QPlainTextEdit(ToQ(logic.text), this);
    text->setObjectName("text");
    form->addWidget(text, 3, 0, 1, 4);
    thinline = new QCheckBox(tr("Thinline"), this);
    thinline->setObjectName("thinline");
    thinline->setChecked(logic.thinline);
    form->addWidget(thinline, 4, 0);
    perspective = new QCheckBox(tr("Perspective"), this);
    perspective->setObjectName("perspective");
    perspective->setChecked(logic.perspective);
    form->addWidget(perspective, 4, 1);

    const char* axes[3] = {"X", "Y", "Z"};
    form->addWidget(new QLabel(tr("Scale"), this), 5, 0);
    form->addWidget(new QLabel(tr("Angle"), this), 6, 0);
    for (int i = 0; i < 3; ++i) {
        scaleEdits[i] = new QLineEdit(ToQ(logic.scale[i]), this);
        scaleEdits[i]->setObjectName(QString("scale%1").arg(axes[i]));
        form->addWidget(scaleEdits[i], 5, i + 1);
        angleEdits[i] = new QLineEdit(ToQ(logic.angle[i]), this);
        angleEdits[i]->setObjectName(QString("angle%1").arg(axes[i]));
        form->addWidget(angleEdits[i], 6, i + 1);
    }

    auto* calcBox = new QGroupBox(tr("Calculate from:"), this);
    auto* calcLayout = new QVBoxLayout(calcBox);
    calculateFrom = new QButtonGroup(this);
    auto* fromContour = new QRadioButton(tr("Contour"), this);
    fromContour->setObjectName("fromContour");
    auto* fromSamples = new QRadioButton(tr("Samples"), this);
    fromSamples->setObjectName("fromSamples");
    calculateFrom->addButton(fromContour, 1);
    calculateFrom->addButton(fromSamples, 0);
    (logic.fromContour ? fromContour : fromSamples)->setChecked(true);
    calcLayout->addWidget(fromContour);
    calcLayout->addWidget(fromSamples);
    layout->addWidget(calcBox);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &CMageExportDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CMageExportDialog::reject);
    layout->addWidget(buttons);
    connect(from, &QPushButton::clicked, this, [this] {
        if (this->logic.ObservationsFrom()) rangeLabel->setText(ToQ(this->logic.RangeText()));
    });
}

void CMageExportDialog::accept() {
    logic.outputPath = FromQ(outputEdit->text());
    logic.includeContour = includeContour->isChecked();
    logic.contour = contour->currentIndex();
    logic.contourOn = contourOn->isChecked();
    logic.text = FromQ(text->toPlainText());
    logic.thinline = thinline->isChecked();
    logic.perspective = perspective->isChecked();
    for (int i = 0; i < 3; ++i) {
        logic.scale[i] = FromQ(scaleEdits[i]->text());
        logic.angle[i] = FromQ(angleEdits[i]->text());
    }
    logic.fromContour = calculateFrom->checkedId() == 1;
    if (!logic.Ok()) return;
    QDialog::accept();
}
