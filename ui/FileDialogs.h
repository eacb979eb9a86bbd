#pragma once
// The file and print dialog objects the windows keep. Commands set Filter,
// DefaultExt and FileName, call Execute and read FileName back; the dialogs
// themselves are shown through the installed TModalInteraction.
#include "ui/ModalInteraction.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>

class QPrinter;
class QWidget;

// The filter of plain text files: run logs, reports, soundings.
inline const QString TextFileFilter = QStringLiteral("Text files (*.txt)|*.TXT");
// The filter of the comma-separated exports.
inline const QString CsvFileFilter = QStringLiteral("CSV files (*.csv)|*.CSV");

// Translates a filter of "Description|*.EXT[;*.EXT2]|..." pairs into Qt name
// filters. Matching stays case-insensitive as the pairs were meant: the
// patterns of the description and of the pattern field are both listed.
QStringList FilterToNameFilters(const QString &filter);
// Appends "." + defaultExt when the file part of path has no extension.
QString AddDefaultExt(const QString &path, const QString &defaultExt);
// The extension, in lower case and without the dot, of the first pattern of
// filter pair `index` (1-based) when that pattern names one ("*.PNG" gives
// "png"); empty for "*", "*.*" and the like, or no such pair.
QString FilterExtension(const QString &filter, int32_t index);

class TFileDialog
{
  public:
    virtual ~TFileDialog() = default;

    const QString &Title() const { return FTitle; }
    void SetTitle(const QString &value) { FTitle = value; }
    const QString &Filter() const { return FFilter; }
    void SetFilter(const QString &value) { FFilter = value; }
    // Without the dot ("txt").
    const QString &DefaultExt() const { return FDefaultExt; }
    void SetDefaultExt(const QString &value);
    // The proposed name before Execute, the chosen path after a confirmed
    // Execute; a cancelled Execute leaves it as it was.
    const QString &FileName() const { return FFileName; }
    void SetFileName(const QString &value) { FFileName = value; }
    // The filter shown first (1-based); after a confirmed Execute, the one
    // the operator chose.
    int32_t FilterIndex() const { return FFilterIndex; }
    void SetFilterIndex(int32_t value) { FFilterIndex = value; }

    // Shows the dialog; true when the operator chose a file.
    virtual bool Execute(QWidget *parent = nullptr) = 0;

  protected:
    TFileDialogRequest Request(TFileDialogKind kind) const;
    // The extension a name typed without one gets: that of the chosen
    // filter, else DefaultExt.
    QString ExtensionFor(const TFileDialogChoice &choice) const;
    QString FFileName;
    int32_t FFilterIndex = 1;

  private:
    QString FTitle;
    QString FFilter;
    QString FDefaultExt;
};

class TOpenDialog : public TFileDialog
{
  public:
    // When set (the default), a name that is not an existing file is refused
    // with a message and the dialog is shown again.
    bool FileMustExist() const { return FFileMustExist; }
    void SetFileMustExist(bool value) { FFileMustExist = value; }

    bool Execute(QWidget *parent = nullptr) override;

  private:
    bool FFileMustExist = true;
};

class TSaveDialog : public TFileDialog
{
  public:
    // When set (the default), choosing an existing file asks before
    // replacing it; No shows the dialog again.
    bool OverwritePrompt() const { return FOverwritePrompt; }
    void SetOverwritePrompt(bool value) { FOverwritePrompt = value; }

    bool Execute(QWidget *parent = nullptr) override;

  private:
    bool FOverwritePrompt = true;
};

// Keeps one printer so that the operator's choices carry over between jobs.
class TPrintDialog
{
  public:
    TPrintDialog();
    ~TPrintDialog();
    TPrintDialog(const TPrintDialog &) = delete;
    TPrintDialog &operator=(const TPrintDialog &) = delete;

    // The configured printer, or nullptr when the operator cancelled.
    QPrinter *Execute(QWidget *parent = nullptr);
    QPrinter &Printer() { return *FPrinter; }

  private:
    std::unique_ptr<QPrinter> FPrinter;
};
