// The series pages of the three graphs: rows, initial settings, the option
// dialogs they open and the notifications they raise, driven headless.
#include "support/ScriptedInteraction.h"
#include "support/TestSupport.h"
#include "ui/ColorSelector.h"
#include "ui/GraphSeriesFrame.h"
#include "ui/MarkerSelector.h"
#include "ui/SeriesOptionForm.h"
#include "ui/SkewTGraphFrame.h"
#include "ui/SkewTSeriesFrame.h"
#include "ui/SkewTSeriesOptionForm.h"
#include "ui/SpinLetterFrame.h"
#include "ui/StandardGraphFrame.h"
#include "ui/TimeGraphFrame.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>
#include <optional>

namespace {
const QColor Red(255, 0, 0);
const QColor Blue(0, 0, 255);
const QColor Black(0, 0, 0);
const QColor Lime(0, 255, 0);
const QColor Green(0, 128, 0);

constexpr int LeftPaneWidth = 190;

void ShowAndWait(QWidget &page)
{
    page.resize(LeftPaneWidth, page.sizeHint().height());
    page.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&page));
}

struct TSeriesChange
{
    int32_t Channel = 0;
    int32_t Axis = 0;
    TMarkerDefinition Marker;
};

// Records the page's notifications.
void Record(TfraChannelGraph &page, std::vector<TSeriesChange> &changes)
{
    page.OnSeriesChanged = [&changes](int32_t channel, int32_t axis,
                                      const TMarkerDefinition &marker) {
        changes.push_back({channel, axis, marker});
    };
}

void CheckInitialRows(const TfraChannelGraph &page, const char *name)
{
    struct TRow
    {
        TDataMarker Shape;
        int32_t Size;
        QColor Color;
        int32_t Width;
    };
    const TRow rows[10] = {{dmNone, 7, Red, 3},      {dmNone, 7, Blue, 3},
                           {dmCircle, 7, Black, 1},  {dmCircle, 7, Lime, 1},
                           {dmSquare, 7, Blue, 1},   {dmSquare, 7, Red, 1},
                           {dmSquare, 7, Black, 1},  {dmNone, 7, Lime, 3},
                           {dmTriangle, 7, Blue, 1}, {dmTriangle, 10, Red, 1}};
    for (int32_t channel = 1; channel <= 10; ++channel) {
        const TfraGraphSeries &row = page.Series(channel);
        const TMarkerDefinition &marker = row.MarkerDefinition();
        const TRow &expected = rows[channel - 1];
        SCOPED_TRACE(std::string(name) + " row " + std::to_string(channel));
        EXPECT_EQ(row.objectName(), QStringLiteral("fraGraphSeries%1").arg(channel));
        EXPECT_EQ(row.ChannelNumber(), channel);
        EXPECT_EQ(row.lblChannel->text(), QString::number(channel));
        EXPECT_EQ(row.lblFunction->text(), QStringLiteral("Type"));
        EXPECT_EQ(row.AxisNumber(), 1);
        EXPECT_EQ(row.lblAxis->text(), QStringLiteral("A"));
        EXPECT_EQ(marker.Shape(), expected.Shape);
        EXPECT_EQ(marker.Size(), expected.Size);
        EXPECT_EQ(marker.MarkerBrush().color(), expected.Color);
        EXPECT_EQ(marker.MarkerPen().color(), expected.Color);
        EXPECT_EQ(marker.LinePen().color(), expected.Color);
        EXPECT_EQ(marker.LinePen().width(), expected.Width);
        EXPECT_EQ(marker.LinePen().style(), Qt::SolidLine);
        EXPECT_EQ(marker.MarkerPen().width(), 1);
    }
}

// Every label shows its whole text inside the page.
void CheckCaptionsReadable(QWidget &page)
{
    for (QLabel *label : page.findChildren<QLabel *>()) {
        if (!label->isVisibleTo(&page) || label->text().isEmpty())
            continue;
        SCOPED_TRACE(label->objectName().toStdString() + " \"" + label->text().toStdString() +
                     "\"");
        EXPECT_GE(label->contentsRect().width(),
                  label->fontMetrics().horizontalAdvance(label->text()));
        EXPECT_GE(label->contentsRect().height(), label->fontMetrics().height());
        const QRect onPage(label->mapTo(&page, QPoint(0, 0)), label->size());
        EXPECT_TRUE(page.rect().contains(onPage));
    }
}
} // namespace

TEST(SeriesPages, RowsStartWithTheGraphsInitialSeries)
{
    TfraStandardGraph standard;
    TfraTimeGraph time;
    CheckInitialRows(standard, "standard");
    CheckInitialRows(time, "time");
    EXPECT_EQ(standard.lblChannelTitle->text(), QStringLiteral("Ch"));
    EXPECT_EQ(standard.lblFunctionTitle->text(), QStringLiteral("Function"));
    EXPECT_EQ(standard.lblAxisTitle->text(), QStringLiteral("Axis"));

    TfraSkewTGraph skewT;
    EXPECT_EQ(skewT.fraTemperatureSeries->lblFunction->text(), QStringLiteral("Temperature"));
    EXPECT_EQ(skewT.fraDewpointSeries->lblFunction->text(), QStringLiteral("Dewpoint"));
    for (const auto &[marker, color] :
         {std::pair{&skewT.TemperatureMarker(), Red}, std::pair{&skewT.DewpointMarker(), Blue}}) {
        EXPECT_EQ(marker->Shape(), dmNone);
        EXPECT_EQ(marker->Size(), 15);
        EXPECT_EQ(marker->MarkerBrush().color(), color);
        EXPECT_EQ(marker->LinePen().color(), color);
        EXPECT_EQ(marker->LinePen().width(), 1);
        EXPECT_EQ(marker->LinePen().style(), Qt::SolidLine);
    }
}

TEST(SeriesPages, RowLookupOutsideOneToTenIsRefused)
{
    TfraStandardGraph standard;
    TfraTimeGraph time;
    for (int32_t bad : {0, 11, -1}) {
        try {
            standard.Series(bad);
            ADD_FAILURE() << "standard row " << bad;
        } catch (const EStdGraphInvalidSeriesFrameError &e) {
            EXPECT_EQ(e.Message(), QStringLiteral("SeriesFrame index %1 is invalid").arg(bad));
        }
        try {
            time.Series(bad);
            ADD_FAILURE() << "time row " << bad;
        } catch (const ETimeGraphInvalidSeriesFrameError &e) {
            EXPECT_EQ(e.Message(),
                      QStringLiteral("Time: SeriesFrame index %1 is invalid").arg(bad));
        }
    }
}

TEST(SeriesPages, ChoosingAxisCForChannelFourReportsAxisThree)
{
    TfraStandardGraph page;
    std::vector<TSeriesChange> changes;
    Record(page, changes);
    ShowAndWait(page);
    TfraGraphSeries &row = page.Series(4);

    TScriptedInteraction script;
    QString letterShown;
    int sizeShown = 0;
    QPoint shownAt;
    script.ExpectDialog(QDialog::Rejected, [&](QDialog &dialog) {
        auto &options = static_cast<TfrmSeriesOptions &>(dialog);
        letterShown = options.fraLetter->edtLetter->text();
        sizeShown = options.speMarkerSize->value();
        shownAt = options.pos();
        QTest::mouseClick(options.fraLetter->btnUp, Qt::LeftButton);
        QTest::mouseClick(options.fraLetter->btnUp, Qt::LeftButton);
        QTest::mouseClick(options.btnOK, Qt::LeftButton);
    });
    QTest::mousePress(row.lblAxis, Qt::LeftButton, {}, QPoint(3, 4));
    ASSERT_EQ(script.Requests().size(), 1u);
    EXPECT_EQ(script.Requests()[0].DialogClass, QStringLiteral("TfrmSeriesOptions"));
    EXPECT_EQ(script.Requests()[0].Caption, QStringLiteral("Data Series"));
    EXPECT_EQ(letterShown, QStringLiteral("A"));
    EXPECT_EQ(sizeShown, 7);
    EXPECT_EQ(shownAt, row.lblAxis->mapToGlobal(QPoint(3, 4)));

    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(changes[0].Channel, 4);
    EXPECT_EQ(changes[0].Axis, 3);
    EXPECT_EQ(changes[0].Marker, row.MarkerDefinition());
    EXPECT_EQ(row.AxisNumber(), 3);
    EXPECT_EQ(row.lblAxis->text(), QStringLiteral("C"));
    // Other rows are untouched.
    EXPECT_EQ(page.Series(3).AxisNumber(), 1);

    // The preview and the empty part of the options open the same dialog,
    // starting from the row's current axis.
    script.ExpectDialog(QDialog::Accepted, [&](QDialog &dialog) {
        auto &options = static_cast<TfrmSeriesOptions &>(dialog);
        letterShown = options.fraLetter->edtLetter->text();
        options.fraLetter->Down();
    });
    QTest::mousePress(row.mselMarker, Qt::LeftButton, {}, QPoint(15, 10));
    EXPECT_EQ(letterShown, QStringLiteral("C"));
    ASSERT_EQ(changes.size(), 2u);
    EXPECT_EQ(changes[1].Axis, 2);
    script.ExpectDialog(QDialog::Accepted);
    QTest::mousePress(row.tsOptions, Qt::LeftButton, {}, QPoint(row.tsOptions->width() - 2, 2));
    EXPECT_EQ(changes.size(), 3u);
}

TEST(SeriesPages, CancelChangesNothingEvenAfterThePreviewChanged)
{
    TfraTimeGraph page;
    std::vector<TSeriesChange> changes;
    Record(page, changes);
    ShowAndWait(page);
    TfraGraphSeries &row = page.Series(5);
    const TMarkerDefinition before = row.MarkerDefinition();
    const QImage pictureBefore = row.mselMarker->Picture();

    TScriptedInteraction script;
    bool previewChanged = false;
    script.ExpectDialog(QDialog::Accepted, [&](QDialog &dialog) {
        auto &options = static_cast<TfrmSeriesOptions &>(dialog);
        const QImage preview = options.Preview();
        options.ShapeChosen(QStringLiteral("Triangle"));
        options.speMarkerSize->setValue(20);
        options.speLineWidth->setValue(6);
        options.StyleChosen(QStringLiteral("None"));
        QTest::mouseClick(options.cselMarker, Qt::LeftButton, {}, QPoint(7, 7));
        options.fraLetter->Up();
        previewChanged = options.Preview() != preview;
        QTest::mouseClick(options.btnCancel, Qt::LeftButton);
    });
    script.ExpectColor(Green);
    row.OpenSeriesOptions(QPoint(10, 10));
    EXPECT_EQ(script.PendingAnswers(), 0u);
    EXPECT_TRUE(previewChanged);
    EXPECT_TRUE(changes.empty());
    EXPECT_EQ(row.MarkerDefinition(), before);
    EXPECT_EQ(row.AxisNumber(), 1);
    EXPECT_EQ(row.lblAxis->text(), QStringLiteral("A"));
    EXPECT_EQ(row.mselMarker->Picture(), pictureBefore);

    // Opening again starts from the row, not from the cancelled edits.
    script.ExpectDialog(QDialog::Rejected, [&](QDialog &dialog) {
        auto &options = static_cast<TfrmSeriesOptions &>(dialog);
        EXPECT_EQ(options.MarkerDefinition(), before);
        EXPECT_EQ(options.GetAxisNumber(), 1);
    });
    row.OpenSeriesOptions(QPoint(10, 10));
    EXPECT_TRUE(changes.empty());
}

TEST(SeriesPages, ColourPickReachesFillOutlineAndLineOfTheSeries)
{
    TfraStandardGraph page;
    std::vector<TSeriesChange> changes;
    Record(page, changes);
    ShowAndWait(page);

    TScriptedInteraction script;
    script.ExpectDialog(QDialog::Accepted, [&](QDialog &dialog) {
        QTest::mouseClick(static_cast<TfrmSeriesOptions &>(dialog).cselMarker, Qt::LeftButton, {},
                          QPoint(7, 7));
    });
    script.ExpectColor(Green);
    page.Series(7).OpenSeriesOptions(QPoint(10, 10));
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(changes[0].Channel, 7);
    EXPECT_EQ(changes[0].Axis, 1);
    const TMarkerDefinition *reported = &changes[0].Marker;
    for (const TMarkerDefinition *marker : {reported, &page.Series(7).MarkerDefinition()}) {
        EXPECT_EQ(marker->MarkerBrush().color(), Green);
        EXPECT_EQ(marker->MarkerPen().color(), Green);
        EXPECT_EQ(marker->LinePen().color(), Green);
        EXPECT_EQ(marker->Shape(), dmSquare);
    }
    // The row's preview shows the new colour.
    EXPECT_EQ(page.Series(7).mselMarker->Picture().pixelColor(15, 10), Green);
}

TEST(SeriesPages, PrimaryPressureRowIsTheVerticalAxisInBold)
{
    TfraStandardGraph page;
    ShowAndWait(page);
    TfraGraphSeries &row = page.Series(2);
    const int regularWeight = row.lblChannel->font().weight();

    row.SetChannelType(ctPressure);
    EXPECT_EQ(row.lblFunction->text(), QStringLiteral("Pressure"));
    EXPECT_EQ(row.pctlSeriesOptions->currentWidget(), row.tsOptions);
    row.SetPrimary(true);
    EXPECT_EQ(row.pctlSeriesOptions->currentWidget(), row.tsVerticalAxisLabel);
    EXPECT_EQ(row.lblVerticalAxis->text(), QStringLiteral("Vertical Axis"));
    EXPECT_TRUE(row.lblVerticalAxis->isVisible());
    EXPECT_FALSE(row.lblAxis->isVisible());
    EXPECT_FALSE(row.mselMarker->isVisible());
    EXPECT_TRUE(row.lblChannel->font().bold());
    EXPECT_TRUE(row.lblFunction->font().bold());
    // Bold only: the size still follows the page.
    EXPECT_EQ(row.lblFunction->font().pixelSize(), page.font().pixelSize());
    // No options: a press on the label opens nothing (the test program
    // refuses any dialog).
    QTest::mousePress(row.lblVerticalAxis, Qt::LeftButton, {}, QPoint(3, 3));

    // The order of the two calls does not matter.
    TfraGraphSeries &other = page.Series(3);
    other.SetPrimary(true);
    EXPECT_EQ(other.pctlSeriesOptions->currentWidget(), other.tsOptions);
    other.SetChannelType(ctPressure);
    EXPECT_EQ(other.pctlSeriesOptions->currentWidget(), other.tsVerticalAxisLabel);

    // A primary temperature channel is bold but keeps its options.
    other.SetChannelType(ctTemperature);
    EXPECT_EQ(other.pctlSeriesOptions->currentWidget(), other.tsOptions);
    EXPECT_TRUE(other.lblFunction->font().bold());

    row.SetPrimary(false);
    EXPECT_EQ(row.pctlSeriesOptions->currentWidget(), row.tsOptions);
    EXPECT_FALSE(row.lblChannel->font().bold());
    EXPECT_FALSE(row.lblFunction->font().bold());
    EXPECT_EQ(row.lblChannel->font().weight(), regularWeight);
}

TEST(SeriesPages, UnusedChannelRowIsGreyedWithoutOptions)
{
    TfraStandardGraph page;
    ShowAndWait(page);
    TfraGraphSeries &row = page.Series(9);
    row.SetChannelType(ctUnused);
    row.Disable();
    EXPECT_EQ(row.lblFunction->text(), QStringLiteral("Unused"));
    EXPECT_FALSE(row.isEnabled());
    EXPECT_FALSE(row.lblChannel->isEnabled());
    EXPECT_FALSE(row.lblFunction->isEnabled());
    EXPECT_FALSE(row.pctlSeriesOptions->isVisible());
    EXPECT_FALSE(row.mselMarker->isVisible());
    // The columns stay where they were.
    EXPECT_EQ(row.lblFunction->width(), page.Series(8).lblFunction->width());
    // Nothing to press: no dialog opens.
    QTest::mousePress(&row, Qt::LeftButton, {}, QPoint(row.width() - 20, 10));

    row.SetChannelType(ctHumidity);
    row.Enable();
    EXPECT_TRUE(row.isEnabled());
    EXPECT_TRUE(row.lblFunction->isEnabled());
    EXPECT_TRUE(row.pctlSeriesOptions->isVisible());
    EXPECT_TRUE(row.mselMarker->isVisible());
    TScriptedInteraction script;
    script.ExpectDialog(QDialog::Rejected);
    QTest::mousePress(row.lblAxis, Qt::LeftButton, {}, QPoint(3, 3));
    EXPECT_EQ(script.PendingAnswers(), 0u);
}

TEST(SeriesPages, SkewTRowsReportBothMarkersOnOkOnly)
{
    TfraSkewTGraph page;
    ShowAndWait(page);
    std::vector<std::pair<TMarkerDefinition, TMarkerDefinition>> changes;
    page.OnMarkersChanged = [&](const TMarkerDefinition &t, const TMarkerDefinition &d) {
        changes.emplace_back(t, d);
    };
    const TMarkerDefinition temperature = page.TemperatureMarker();

    TScriptedInteraction script;
    script.ExpectDialog(QDialog::Accepted, [&](QDialog &dialog) {
        auto &options = static_cast<TfrmSkewTSeriesOptions &>(dialog);
        EXPECT_EQ(options.MarkerDefinition().LinePen().color(), Blue);
        options.ShapeChosen(QStringLiteral("Circle"));
        options.speMarkerSize->setValue(9);
    });
    QTest::mousePress(page.fraDewpointSeries->mselMarker, Qt::LeftButton, {}, QPoint(15, 10));
    ASSERT_EQ(script.Requests().size(), 1u);
    EXPECT_EQ(script.Requests()[0].DialogClass, QStringLiteral("TfrmSkewTSeriesOptions"));
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(changes[0].first, temperature);
    EXPECT_EQ(changes[0].second.Shape(), dmCircle);
    EXPECT_EQ(changes[0].second.Size(), 9);
    EXPECT_EQ(page.DewpointMarker(), changes[0].second);

    script.ExpectDialog(QDialog::Rejected, [&](QDialog &dialog) {
        static_cast<TfrmSkewTSeriesOptions &>(dialog).ShapeChosen(QStringLiteral("Square"));
    });
    page.fraTemperatureSeries->OpenSeriesOptions(QPoint(5, 5));
    EXPECT_EQ(changes.size(), 1u);
    EXPECT_EQ(page.TemperatureMarker(), temperature);
}

TEST(SeriesPages, PagesFitTheLeftPaneWithEveryCaptionReadable)
{
    TfraStandardGraph standard;
    EXPECT_LE(standard.minimumSizeHint().width(), LeftPaneWidth);
    ShowAndWait(standard);
    // The longest type names, bold as for a primary channel.
    for (int32_t channel = 1; channel <= 10; ++channel) {
        TfraGraphSeries &row = standard.Series(channel);
        row.SetChannelType(channel % 2 ? ctParallelByte : ctTemperature);
        row.SetPrimary(true);
        row.SetAxis(channel % 3 + 1);
    }
    standard.Series(1).SetChannelType(ctUnavailable);
    standard.Series(2).SetChannelType(ctPressure);
    QCoreApplication::processEvents();
    CheckCaptionsReadable(standard);
    // The preview lies whole within the pane and the columns line up with
    // the title row.
    for (int32_t channel = 1; channel <= 10; ++channel) {
        const TfraGraphSeries &row = standard.Series(channel);
        SCOPED_TRACE(channel);
        if (row.mselMarker->isVisible()) {
            const QPoint at = row.mselMarker->mapTo(&standard, QPoint(0, 0));
            EXPECT_TRUE(standard.rect().contains(QRect(at, row.mselMarker->size())));
            EXPECT_EQ(row.lblAxis->mapTo(&standard, QPoint(0, 0)).x(),
                      standard.lblAxisTitle->mapTo(&standard, QPoint(0, 0)).x());
        }
        EXPECT_EQ(row.lblFunction->mapTo(&standard, QPoint(0, 0)).x(),
                  standard.lblFunctionTitle->mapTo(&standard, QPoint(0, 0)).x());
    }

    TfraSkewTGraph skewT;
    EXPECT_LE(skewT.minimumSizeHint().width(), LeftPaneWidth);
    ShowAndWait(skewT);
    CheckCaptionsReadable(skewT);
    const QPoint at = skewT.fraDewpointSeries->mselMarker->mapTo(&skewT, QPoint(0, 0));
    EXPECT_TRUE(skewT.rect().contains(QRect(at, QSize(40, 20))));
}
