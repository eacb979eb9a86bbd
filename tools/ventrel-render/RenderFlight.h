#pragma once
// One flight through the program's own pipeline without a window, and the
// table of everything ventrel-render can make of it. Every output is one
// entry of the table: its option, the file suffix it gets in --out-dir form,
// what it needs kept of the run, and the function that makes its bytes.
#include "foundation/Errors.h"
#include "pipeline/DataViewModel.h"
#include "pipeline/GraphPipeline.h"
#include "pipeline/GraphSettingsDocument.h"
#include "sounding/SoundingProducts.h"

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

VENTREL_DECLARE_ERROR(EUsageError, EVentrelError);

struct TRenderOptions
{
    QSize Size{800, 600};
    bool Print = false;
    bool Feet = false;
    bool Analysis = false;
    // The graphs drawn side by side, for a process that renders one flight.
    bool DrawSideBySide = false;
    // The parts of the station given on the command line: they override a
    // settings document's.
    TStationIdentity Station;
    // The station's surface observation (overrides a document's) and the
    // operator's release mark (a local date-time, days).
    std::optional<TSurfaceObservation> Surface;
    std::optional<double> Release;
    // Called with the settings as loaded (the station overridden), before the
    // flight runs; raises to refuse them.
    std::function<void(const TGraphSettings &settings)> CheckLoaded;
};

// What an output needs kept of the run (the pipeline's packets always are).
enum TOutputNeed : uint8_t
{
    onDataList = 1,      // the data list's header and rows
    onRecordedLines = 2, // the log lines as the program records them
    onStandardImage = 4,
    onSkewTImage = 8,
    onTimeImage = 16,
    onProducts = 32 // the sounding products of the ascent
};

// What a run leaves for the outputs to be made of.
struct TRenderedFlight
{
    QString Input;
    // As loaded, graphs at the requested screen size; its recorded lines are
    // used up by the run.
    TGraphSettings Settings;
    QStringList RecordedLines;
    TDataViewModel View;
    std::unique_ptr<TGraphPipeline> Pipeline; // its packets and graphs after the run
    std::array<QImage, 3> Images;             // screen or print images, by TGraphType
    qsizetype Frames = 0;
    std::optional<TSoundingProducts> Products;
};

struct TOutputKind
{
    QString Option; // without the dashes
    QString Suffix; // the file in --out-dir form: NAME + Suffix
    uint8_t Needs = 0;
    // The output's bytes for a file of that name (an image's format follows
    // the name's extension).
    std::function<QByteArray(const TRenderedFlight &flight, const QString &fileName)> Make;
    // What the output lacks of the station, as a message for the operator;
    // empty when it has what it needs (unset: it needs nothing).
    std::function<QString(const TStationIdentity &station)> MissingStation = {};
    // The other outputs of a call never depend on this one succeeding (the
    // BUFR, which ecCodes may refuse): they are written whatever becomes of
    // it, and its failure is reported after them.
    bool Independent = false;
};

// Makes every output of `kinds` (their files by `fileOf`) and writes those
// made; raises the failure of one that could not be made, after writing
// the others when only independent outputs failed.
void MakeAndWriteOutputs(const TRenderedFlight &flight,
                         const std::vector<std::pair<const TOutputKind *, QString>> &requested,
                         bool sideBySide);

// Every output, in the order they are listed and checked.
const std::vector<TOutputKind> &OutputKinds();

// "BMP" or "PNG" by the extension; EUsageError for any other.
QByteArray ImageFormat(const QString &fileName);

// Runs a run log or a graph settings document (told apart by content) through
// the pipeline, keeping what `needs` (TOutputNeed flags) asks for; graphs
// whose image is not needed are not drawn. Raises with the message for the
// operator on bad input or when a pipeline step failed.
TRenderedFlight RenderFlight(const QString &input, const TRenderOptions &options, uint8_t needs);

// A message on one line, whatever it holds.
QString OneLine(QString message);

struct TOutput
{
    QString FileName;
    QByteArray Bytes;
};

// Writes every output under a temporary name first and puts them in place
// only when all of them were written; EFileError otherwise.
void WriteOutputs(const std::vector<TOutput> &outputs);
