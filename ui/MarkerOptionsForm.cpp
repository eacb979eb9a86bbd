#include "ui/MarkerOptionsForm.h"

#include "foundation/Errors.h"
#include "graphs/Canvas.h"
#include "ui/ColorSelector.h"
#include "ui/ModalInteraction.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>

namespace {
const QString ShapeNone = QStringLiteral("None");
const QString ShapeCircle = QStringLiteral("Circle");
const QString ShapeTriangle = QStringLiteral("Triangle");
const QString ShapeSquare = QStringLiteral("Square");
const QString StyleNone = QStringLiteral("None");
const QString StyleSolid = QStringLiteral("Solid");
const QString StyleDash = QStringLiteral("Dash");
const QString StyleDot = QStringLiteral("Dot");

QString StyleText(Qt::PenStyle style)
{
    switch (style) {
    case Qt::SolidLine:
        return StyleSolid;
    case Qt::DashLine:
        return StyleDash;
    case Qt::DotLine:
        return StyleDot;
    case Qt::NoPen:
        return StyleNone;
    default:
        return QString();
    }
}

// Shows the text, as the current item when it is one: an editable combo box
// whose text names an item other than the current one picks that item when
// its text field loses focus, and reports it as the operator's choice.
void ShowComboText(QComboBox *combo, const QString &text)
{
    const int index = combo->findText(text);
    if (index >= 0)
        combo->setCurrentIndex(index);
    combo->setEditText(text);
}

QLabel *NewCaption(const QString &text, QWidget *parent)
{
    return new QLabel(text, parent);
}
} // namespace

QPoint FitOnScreen(QPoint topLeft, QSize size, const QRect &available)
{
    int x = topLeft.x(), y = topLeft.y();
    if (available.isValid()) {
        const int rightLimit = available.x() + available.width() - size.width();
        const int bottomLimit = available.y() + available.height() - size.height();
        x = std::max(std::min(x, rightLimit), available.x());
        y = std::max(std::min(y, bottomLimit), available.y());
    }
    return QPoint(x, y);
}

TMarkerOptionsForm::TMarkerOptionsForm(QWidget *parent)
    : QDialog(parent), FPreview(PreviewWidth, PreviewHeight, QImage::Format_RGB32)
{
    setWindowTitle(QStringLiteral("Data Series"));
    FPreview.fill(Qt::white);

    grpMarker = new QGroupBox(QStringLiteral("Marker"), this);
    grpMarker->setObjectName(QStringLiteral("grpMarker"));
    cmbMarkerShape = NewListOnlyCombo(
        grpMarker, {ShapeNone, ShapeCircle, ShapeTriangle, ShapeSquare}, ShapeCircle);
    cmbMarkerShape->setObjectName(QStringLiteral("cmbMarkerShape"));
    cselMarker = new TColorSelector(grpMarker);
    cselMarker->setObjectName(QStringLiteral("cselMarker"));
    speMarkerSize = new QSpinBox(grpMarker);
    speMarkerSize->setObjectName(QStringLiteral("speMarkerSize"));
    speMarkerSize->setRange(1, 25);
    speMarkerSize->setValue(5);
    auto *markerGrid = new QGridLayout(grpMarker);
    markerGrid->addWidget(NewCaption(QStringLiteral("Shape:"), grpMarker), 0, 0);
    markerGrid->addWidget(cmbMarkerShape, 0, 1);
    markerGrid->addWidget(NewCaption(QStringLiteral("Color:"), grpMarker), 1, 0);
    markerGrid->addWidget(cselMarker, 1, 1, Qt::AlignLeft | Qt::AlignVCenter);
    markerGrid->addWidget(NewCaption(QStringLiteral("Size:"), grpMarker), 2, 0);
    markerGrid->addWidget(speMarkerSize, 2, 1);
    markerGrid->setColumnStretch(1, 1);

    grpLine = new QGroupBox(QStringLiteral("Line"), this);
    grpLine->setObjectName(QStringLiteral("grpLine"));
    cmbLineStyle = NewListOnlyCombo(grpLine, {StyleNone, StyleSolid}, StyleSolid);
    cmbLineStyle->setObjectName(QStringLiteral("cmbLineStyle"));
    speLineWidth = new QSpinBox(grpLine);
    speLineWidth->setObjectName(QStringLiteral("speLineWidth"));
    speLineWidth->setRange(1, 10);
    speLineWidth->setValue(1);
    auto *lineGrid = new QGridLayout(grpLine);
    lineGrid->addWidget(NewCaption(QStringLiteral("Style:"), grpLine), 0, 0);
    lineGrid->addWidget(cmbLineStyle, 0, 1);
    lineGrid->addWidget(NewCaption(QStringLiteral("Width:"), grpLine), 1, 0);
    lineGrid->addWidget(speLineWidth, 1, 1);
    lineGrid->setColumnStretch(1, 1);

    imgMarker = new QLabel(this);
    imgMarker->setObjectName(QStringLiteral("imgMarker"));
    imgMarker->setFixedSize(PreviewWidth, PreviewHeight);
    imgMarker->setPixmap(QPixmap::fromImage(FPreview));

    btnOK = new QPushButton(QStringLiteral("OK"), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnOK->setDefault(true);
    btnCancel = new QPushButton(QStringLiteral("Cancel"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);

    connect(cmbMarkerShape, &QComboBox::textActivated, this,
            [this](const QString &text) { ShapeChosen(text); });
    connect(cmbLineStyle, &QComboBox::textActivated, this,
            [this](const QString &text) { StyleChosen(text); });
    cselMarker->OnSelectColor = [this] { ColorChosen(); };
    connect(speMarkerSize, &QSpinBox::valueChanged, this,
            [this](int value) { SizeChanged(value); });
    connect(speLineWidth, &QSpinBox::valueChanged, this,
            [this](int value) { WidthChanged(value); });

    FGroups = new QVBoxLayout;
    FGroups->addWidget(grpMarker);
    FGroups->addWidget(grpLine);

    auto *bottom = new QHBoxLayout;
    bottom->addWidget(imgMarker, 0, Qt::AlignVCenter);
    bottom->addStretch(1);
    bottom->addWidget(btnOK);
    bottom->addWidget(btnCancel);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(FGroups);
    layout->addLayout(bottom);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

TMarkerOptionsForm::~TMarkerOptionsForm()
{
    // The controls outlive the dialog's own members by a moment; focus
    // leaving them as they go must not reach the marker or the preview.
    for (QWidget *control : std::initializer_list<QWidget *>{cmbMarkerShape, cmbLineStyle,
                                                             speMarkerSize, speLineWidth})
        control->disconnect(this);
    cselMarker->OnSelectColor = nullptr;
}

QComboBox *TMarkerOptionsForm::NewListOnlyCombo(QWidget *parent, const QStringList &items,
                                                const QString &text)
{
    // Editable so that it can show a style it does not offer (a dashed or
    // dotted pen), but the text field is read-only: only list items can be
    // chosen.
    auto *combo = new QComboBox(parent);
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->setCompleter(nullptr);
    combo->addItems(items);
    combo->lineEdit()->setReadOnly(true);
    combo->lineEdit()->installEventFilter(this);
    ShowComboText(combo, text);
    return combo;
}

bool TMarkerOptionsForm::eventFilter(QObject *watched, QEvent *event)
{
    // A click on the read-only text opens the list, as on a list-only box.
    if (event->type() == QEvent::MouseButtonPress) {
        for (QComboBox *combo : {cmbMarkerShape, cmbLineStyle}) {
            if (combo && watched == combo->lineEdit() && combo->isEnabled()) {
                combo->showPopup();
                return true;
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TMarkerOptionsForm::AddGroup(QWidget *group)
{
    FGroups->addWidget(group);
}

int TMarkerOptionsForm::ExecuteAt(QPoint screenPosition)
{
    adjustSize();
    QScreen *screen = QGuiApplication::screenAt(screenPosition);
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    const QRect available = screen ? screen->availableGeometry() : QRect();
    move(FitOnScreen(screenPosition, frameGeometry().size(), available));
    return ModalInteraction().ExecuteDialog(*this);
}

void TMarkerOptionsForm::showEvent(QShowEvent *event)
{
    // A window the system restores keeps what the operator has set so far.
    if (!event->spontaneous())
        LoadControls();
    QDialog::showEvent(event);
}

void TMarkerOptionsForm::LoadControls()
{
    {
        // Filling the controls is not an edit: nothing may reach the marker.
        const QSignalBlocker sizeBlock(speMarkerSize);
        const QSignalBlocker widthBlock(speLineWidth);
        speMarkerSize->setValue(FMarker.Size());
        cselMarker->SetColor(FMarker.MarkerBrush().color());
        speLineWidth->setValue(FMarker.LinePen().width());
        ShowComboText(cmbMarkerShape, FMarker.ShapeName());
        QString style = StyleText(FMarker.LinePen().style());
        if (style.isEmpty()) {
            style = StyleSolid;
            FMarker.LinePen().setStyle(Qt::SolidLine);
        }
        ShowComboText(cmbLineStyle, style);
    }
    Redraw();
}

void TMarkerOptionsForm::ShapeChosen(const QString &text)
{
    TDataMarker shape = dmCircle;
    if (text == ShapeNone)
        shape = dmNone;
    else if (text == ShapeSquare)
        shape = dmSquare;
    else if (text == ShapeTriangle)
        shape = dmTriangle;
    else if (text != ShapeCircle)
        ShowComboText(cmbMarkerShape, ShapeCircle);
    FMarker.SetShape(shape);
    Redraw();
}

void TMarkerOptionsForm::StyleChosen(const QString &text)
{
    Qt::PenStyle style = Qt::SolidLine;
    if (text == StyleNone)
        style = Qt::NoPen;
    else if (text == StyleDash)
        style = Qt::DashLine;
    else if (text == StyleDot)
        style = Qt::DotLine;
    else if (text != StyleSolid)
        ShowComboText(cmbLineStyle, StyleSolid);
    FMarker.LinePen().setStyle(style);
    Redraw();
}

void TMarkerOptionsForm::ColorChosen()
{
    const QColor color = cselMarker->Color();
    FMarker.MarkerBrush().setColor(color);
    FMarker.LinePen().setColor(color);
    FMarker.MarkerPen().setColor(color);
    Redraw();
}

void TMarkerOptionsForm::WidthChanged(int value)
{
    FMarker.LinePen().setWidth(std::clamp(value, 0, 10));
    Redraw();
}

void TMarkerOptionsForm::SizeChanged(int value)
{
    FMarker.SetSize(std::clamp(value, 0, 50));
    Redraw();
}

void TMarkerOptionsForm::Redraw()
{
    {
        TCanvas canvas(FPreview);
        canvas.FillRect(0, 0, FPreview.width(), FPreview.height());
        try {
            FMarker.DrawLegendSample(canvas, PreviewPoint);
        } catch (const EVentrelError &) {
            // A marker too large for pixel arithmetic has no sample to show;
            // the preview stays blank rather than take the dialog down.
        }
    }
    imgMarker->setPixmap(QPixmap::fromImage(FPreview));
}
