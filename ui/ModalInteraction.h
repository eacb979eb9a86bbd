#pragma once
// Every message box, file dialog, print dialog, colour dialog and modal
// window of the program goes through one TModalInteraction. The program
// installs the real Qt implementation; tests install a scripted one that
// answers without blocking, so every handler can be driven headless.
#include <QColor>
#include <QString>
#include <cstdint>
#include <optional>

class QDialog;
class QPrinter;
class QWidget;

// The kinds of message box the program shows.
enum TMessageKind : uint8_t
{
    mkError = 0,        // error symbol, OK only
    mkInformation = 1,  // plain box, OK only
    mkConfirmation = 2, // question with Yes and No, No being the default
    mkQuestion = 3      // question with Yes and No, Yes being the default
};

enum TFileDialogKind : uint8_t
{
    fdOpen = 0,
    fdSave = 1
};

// What a file dialog is asked to show. Filter keeps the "Description|*.EXT"
// pair form the commands use; the Qt implementation translates it.
struct TFileDialogRequest
{
    TFileDialogKind Kind = fdOpen;
    QString Title;
    QString Filter;
    QString DefaultExt;
    QString FileName;        // proposed name, may be empty
    int32_t FilterIndex = 1; // the filter shown first, 1-based
};

// What the operator chose in a file dialog: the name as typed or picked, and
// the filter selected when it was confirmed (1-based).
struct TFileDialogChoice
{
    QString FileName;
    int32_t FilterIndex = 1;
};

class TModalInteraction
{
  public:
    virtual ~TModalInteraction() = default;

    // Shows a message box of the given kind; true when the operator answered
    // OK or Yes. An empty caption lets the implementation choose its own.
    virtual bool ShowMessage(TMessageKind kind, const QString &caption, const QString &text,
                             QWidget *parent) = 0;
    // The name and filter the operator chose; nothing on cancel. Default
    // extensions, existence and overwrite checks are the caller's
    // (TOpenDialog, TSaveDialog), so they behave the same under every
    // implementation.
    virtual std::optional<TFileDialogChoice> GetFileName(const TFileDialogRequest &request,
                                                         QWidget *parent) = 0;
    // Lets the operator configure the printer; false on cancel.
    virtual bool SetupPrinter(QPrinter &printer, QWidget *parent) = 0;
    // The chosen colour, nothing on cancel.
    virtual std::optional<QColor> SelectColor(const QColor &initial, QWidget *parent) = 0;
    // Shows the dialog modally and returns its result code (QDialog::Accepted
    // or QDialog::Rejected, or any value the dialog set with done()).
    virtual int ExecuteDialog(QDialog &dialog) = 0;

    // The three message boxes by name.
    void ShowError(const QString &text, QWidget *parent = nullptr);
    void ShowInformation(const QString &text, QWidget *parent = nullptr);
    bool Confirm(const QString &text, QWidget *parent = nullptr);
    // A question whose default answer is Yes.
    bool Ask(const QString &text, QWidget *parent = nullptr);
};

// The installed instance. Until something is installed this is the real Qt
// implementation.
TModalInteraction &ModalInteraction();
// Installs an instance the caller keeps alive (nullptr puts the Qt
// implementation back) and returns the one installed before.
TModalInteraction *InstallModalInteraction(TModalInteraction *interaction);
