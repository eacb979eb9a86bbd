// The series pages of the three graphs: rows, initial settings, the option
// dialogs they open and the notifications they raise, driven headless.
#include "foundation/CustomUtilities.h"
#include "support/ScriptedInteraction.h"
#include "ui/ColorSelector.h"
#include "ui/GraphSeriesFrame.h"
#include "ui/MainControlFrame.h"
#include "ui/MarkerSelector.h"
#include "ui/SeriesOptionForm.h"
#include "ui/SkewTGraphFrame.h"
#include "ui/SkewTSeriesFrame.h"
#include "ui/SkewTSeriesOptionForm.h"
#include "ui/SpinLetterFrame.h"
#include "ui/StandardGraphFrame.h"
#include "ui/TimeGraphFrame.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

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

void Record(TfraChannelGraph &page, std::vector<TSeriesChange> &changes)
{
    page.OnSeriesChanged = [&changes](int32_t channel, int32_t axis,
                                      const TMarkerDefinition &marker) {
        changes.push_back({channel, axis, marker});
    };
}

QPoint OnPage(const QWidget *widget, const QWidget &pane)
{
    return widget->mapTo(&pane, QPoint(0, 0));
}

// Every label of the page shows its whole text inside the pane.
void CheckCaptionsReadable(QWidget &page, QWidget &pane)
{
    int captions = 0;
    for (QLabel *label : page.findChildren<QLabel *>()) {
        if (!label->isVisibleTo(&pane) || label->text().isEmpty())
            continue;
        ++captions;
        SCOPED_TRACE(label->text().toStdString());
        EXPECT_GE(label->contentsRect().width(),
                  label->fontMetrics().horizontalAdvance(label->text()));
        EXPECT_GE(label->contentsRect().height(), label->fontMetrics().height());
        EXPECT_TRUE(pane.rect().contains(QRect(OnPage(label, pane), label->size())));
    }
    EXPECT_GT(captions, 0);
}
} // namespace

TEST(SeriesPages, RowsStartWithTheGraphsInitialSeries)
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
    TfraStandardGraph standard;
    TfraTimeGraph time;
    for (TfraChannelGraph *page :
         {static_cast<TfraChannelGraph *>(&standard), static_cast<TfraChannelGraph *>(&time)}) {
        for (int32_t channel = 1; channel <= 10; ++channel) {
            const TfraGraphSeries &row = page->Series(channel);
            const TMarkerDefinition &marker = row.MarkerDefinition();
            const TRow &expected = rows[channel - 1];
            SCOPED_TRACE(page->metaObject()->className() + std::to_string(channel));
            EXPECT_EQ(row.objectName(), QStringLiteral("fraGraphSeries%1").arg(channel));
            EXPECT_EQ(row.ChannelNumber(), channel);
            EXPECT_EQ(row.lblChannel->text(), QString::number(channel));
            EXPECT_EQ(row.lblAxis->text(), QStringLiteral("A"));
            EXPECT_EQ(marker.Shape(), expected.Shape);
            EXPECT_EQ(marker.Size(), expected.Size);
            EXPECT_EQ(marker.MarkerBrush().color(), expected.Color);
            EXPECT_EQ(marker.MarkerPen().color(), expected.Color);
            EXPECT_EQ(marker.LinePen().color(), expected.Color);
            EXPECT_EQ(marker.LinePen().width(), expected.Width);
            EXPECT_EQ(marker.LinePen().style(), Qt::SolidLine);
        }
    }

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
    for (int32_t bad : {0, 11}) {
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
    script.ExpectDialog(QDialog::Rejected, [&](QDialog &dialog) {
        auto &options = static_cast<TfrmSeriesOptions &>(dialog);
        EXPECT_EQ(options.fraLetter->edtLetter->text(), QStringLiteral("A"));
        EXPECT_EQ(options.speMarkerSize->value(), 7);
        EXPECT_EQ(options.pos(), row.lblAxis->mapToGlobal(QPoint(3, 4)));
        QTest::mouseClick(options.fraLetter->btnUp, Qt::LeftButton);
        QTest::mouseClick(options.fraLetter->btnUp, Qt::LeftButton);
        QTest::mouseClick(options.btnOK, Qt::LeftButton);
    });
    QTest::mousePress(row.lblAxis, Qt::LeftButton, {}, QPoint(3, 4));
    ASSERT_EQ(script.Requests().size(), 1u);
    EXPECT_EQ(script.Requests()[0].DialogClass, QStringLiteral("TfrmSeriesOptions"));
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(changes[0].Channel, 4);
    EXPECT_EQ(changes[0].Axis, 3);
    EXPECT_EQ(changes[0].Marker, row.MarkerDefinition());
    EXPECT_EQ(row.lblAxis->text(), QStringLiteral("C"));
    EXPECT_EQ(page.Series(3).AxisNumber(), 1);

    // The preview opens the same dialog, starting from the row's current
    // axis; a colour picked there reaches fill, outline and line.
    script.ExpectDialog(QDialog::Accepted, [&](QDialog &dialog) {
        auto &options = static_cast<TfrmSeriesOptions &>(dialog);
        options.fraLetter->Down();
        QTest::mouseClick(options.cselMarker, Qt::LeftButton, {}, QPoint(7, 7));
    });
    script.ExpectColor(Green);
    QTest::mousePress(row.mselMarker, Qt::LeftButton, {}, QPoint(15, 10));
    ASSERT_EQ(changes.size(), 2u);
    EXPECT_EQ(changes[1].Axis, 2);
    const TMarkerDefinition &marker = changes[1].Marker;
    EXPECT_EQ(marker.MarkerBrush().color(), Green);
    EXPECT_EQ(marker.MarkerPen().color(), Green);
    EXPECT_EQ(marker.LinePen().color(), Green);
    EXPECT_EQ(row.MarkerDefinition(), marker);
    EXPECT_EQ(row.mselMarker->Picture().pixelColor(15, 10), Green);
    script.ExpectDialog(QDialog::Accepted);
    QTest::mousePress(row.tsOptions, Qt::LeftButton, {}, QPoint(row.tsOptions->width() - 2, 2));
    EXPECT_EQ(changes.size(), 3u);
}

TEST(SeriesPages, CancelChangesNothingEvenAfterThePreviewChanged)
{
    TfraTimeGraph page;
    std::vector<TSeriesChange> changes;
    Record(page, changes);
    TfraGraphSeries &row = page.Series(5);
    const TMarkerDefinition before = row.MarkerDefinition();

    TScriptedInteraction script;
    bool previewChanged = false;
    script.ExpectDialog(QDialog::Accepted, [&](QDialog &dialog) {
        auto &options = static_cast<TfrmSeriesOptions &>(dialog);
        const QImage preview = options.Preview();
        options.ShapeChosen(QStringLiteral("Triangle"));
        options.speLineWidth->setValue(6);
        QTest::mouseClick(options.cselMarker, Qt::LeftButton, {}, QPoint(7, 7));
        options.fraLetter->Up();
        previewChanged = options.Preview() != preview;
        QTest::mouseClick(options.btnCancel, Qt::LeftButton);
    });
    script.ExpectColor(Green);
    row.OpenSeriesOptions(QPoint(10, 10));
    EXPECT_TRUE(previewChanged);
    EXPECT_TRUE(changes.empty());
    EXPECT_EQ(row.MarkerDefinition(), before);
    EXPECT_EQ(row.lblAxis->text(), QStringLiteral("A"));

    // Opening again starts from the row, not from the cancelled edits.
    script.ExpectDialog(QDialog::Rejected, [&](QDialog &dialog) {
        auto &options = static_cast<TfrmSeriesOptions &>(dialog);
        EXPECT_EQ(options.MarkerDefinition(), before);
        EXPECT_EQ(options.GetAxisNumber(), 1);
    });
    row.OpenSeriesOptions(QPoint(10, 10));
    EXPECT_TRUE(changes.empty());
}

TEST(SeriesPages, PrimaryPressureIsTheVerticalAxisAndUnusedRowsAreGreyed)
{
    TfraStandardGraph page;
    ShowAndWait(page);
    TfraGraphSeries &row = page.Series(2);
    row.SetChannelType(ctPressure);
    EXPECT_EQ(row.lblFunction->text(), QStringLiteral("Pressure"));
    EXPECT_EQ(row.pctlSeriesOptions->currentWidget(), row.tsOptions);
    row.SetPrimary(true);
    EXPECT_EQ(row.pctlSeriesOptions->currentWidget(), row.tsVerticalAxisLabel);
    EXPECT_EQ(row.lblVerticalAxis->text(), QStringLiteral("Vertical Axis"));
    EXPECT_FALSE(row.mselMarker->isVisible());
    EXPECT_TRUE(row.lblChannel->font().bold());
    EXPECT_TRUE(row.lblFunction->font().bold());
    EXPECT_EQ(row.lblFunction->font().pixelSize(), page.font().pixelSize());
    // No options to open (the test program refuses any dialog).
    QTest::mousePress(row.lblVerticalAxis, Qt::LeftButton, {}, QPoint(3, 3));

    // A primary channel of another type keeps its options.
    row.SetChannelType(ctTemperature);
    EXPECT_EQ(row.pctlSeriesOptions->currentWidget(), row.tsOptions);
    row.SetChannelType(ctPressure);
    row.SetPrimary(false);
    EXPECT_EQ(row.pctlSeriesOptions->currentWidget(), row.tsOptions);
    EXPECT_FALSE(row.lblChannel->font().bold());
    EXPECT_FALSE(row.lblFunction->font().bold());

    TfraGraphSeries &unused = page.Series(9);
    unused.SetChannelType(ctUnused);
    unused.Disable();
    EXPECT_EQ(unused.lblFunction->text(), QStringLiteral("Unused"));
    EXPECT_FALSE(unused.lblChannel->isEnabled());
    EXPECT_FALSE(unused.lblFunction->isEnabled());
    EXPECT_FALSE(unused.pctlSeriesOptions->isVisible());
    EXPECT_EQ(unused.lblFunction->width(), page.Series(8).lblFunction->width());
    QTest::mousePress(&unused, Qt::LeftButton, {}, QPoint(unused.width() - 20, 10));
    unused.Enable();
    EXPECT_TRUE(unused.lblFunction->isEnabled());
    EXPECT_TRUE(unused.mselMarker->isVisible());
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
        EXPECT_EQ(options.MarkerDefinition(), page.DewpointMarker());
        options.speMarkerSize->setValue(9);
    });
    QTest::mousePress(page.fraDewpointSeries->mselMarker, Qt::LeftButton, {}, QPoint(15, 10));
    ASSERT_EQ(script.Requests().size(), 1u);
    EXPECT_EQ(script.Requests()[0].DialogClass, QStringLiteral("TfrmSkewTSeriesOptions"));
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(changes[0].first, temperature);
    EXPECT_EQ(changes[0].second.Size(), 9);
    EXPECT_EQ(page.DewpointMarker(), changes[0].second);

    script.ExpectDialog(QDialog::Rejected);
    page.fraTemperatureSeries->OpenSeriesOptions(QPoint(5, 5));
    EXPECT_EQ(changes.size(), 1u);
}

TEST(SeriesPages, PagesFitTheLeftPaneWithEveryCaptionReadable)
{
    // On the main-control page, below the 94-pixel graph type panel, whatever
    // the application's font.
    const QFont saved = QApplication::font();
    for (const QFont &font : {saved, DefaultFont()}) {
        QApplication::setFont(font);
        QWidget pane;
        pane.setFixedSize(LeftPaneWidth, 648 - 94);
        auto *control = new TfraMainControl(&pane);
        control->resize(pane.size());
        control->SetSeriesFrame(gtStandard, std::make_unique<TfraStandardGraph>());
        control->SetSeriesFrame(gtSkewT, std::make_unique<TfraSkewTGraph>());
        auto &standard = static_cast<TfraStandardGraph &>(*control->SeriesFrame(gtStandard));
        // The longest type names, bold as for a primary channel.
        for (int32_t channel = 1; channel <= 10; ++channel) {
            TfraGraphSeries &row = standard.Series(channel);
            row.SetChannelType(channel % 2 ? ctParallelByte : ctTemperature);
            row.SetPrimary(true);
        }
        standard.Series(1).SetChannelType(ctUnavailable);
        standard.Series(2).SetChannelType(ctPressure);
        pane.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&pane));
        EXPECT_LE(control->minimumSizeHint().height(), pane.height());
        CheckCaptionsReadable(standard, pane);
        // Previews lie whole in the pane; columns line up with the title row.
        for (int32_t channel = 1; channel <= 10; ++channel) {
            const TfraGraphSeries &row = standard.Series(channel);
            SCOPED_TRACE(channel);
            if (row.mselMarker->isVisible()) {
                EXPECT_TRUE(pane.rect().contains(
                    QRect(OnPage(row.mselMarker, pane), row.mselMarker->size())));
                EXPECT_EQ(OnPage(row.lblAxis, pane).x(), OnPage(standard.lblAxisTitle, pane).x());
            }
            EXPECT_EQ(OnPage(row.lblFunction, pane).x(),
                      OnPage(standard.lblFunctionTitle, pane).x());
        }
        control->ShowSeriesPage(gtSkewT);
        QCoreApplication::processEvents();
        CheckCaptionsReadable(*control->SeriesFrame(gtSkewT), pane);
    }
    QApplication::setFont(saved);
}
