#pragma once
// A modal interaction for tests: installs itself for its lifetime, records
// every request and answers from a prepared script, in order. A request the
// script did not expect, or of another kind than the next prepared answer,
// fails the current test with a description of both and is answered
// negatively (OK for a message, No, cancel, rejected). Answers left unused
// when the object goes out of scope fail the test too.
#include "ui/ModalInteraction.h"

#include <QColor>
#include <QString>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <vector>

class QDialog;
class QPrinter;

enum TInteractionKind : uint8_t
{
    ikError,
    ikInformation,
    ikConfirmation,
    ikOpenFile,
    ikSaveFile,
    ikPrint,
    ikColor,
    ikDialog
};

QString InteractionKindName(TInteractionKind kind);

// One request as the code under test made it.
struct TInteractionRequest
{
    TInteractionKind Kind = ikError;
    QString Caption;         // message caption, file dialog title, dialog window title
    QString Text;            // message text
    QString Filter;          // file dialogs: the filter as given
    QString DefaultExt;      // file dialogs
    QString FileName;        // file dialogs: the proposed name
    int32_t FilterIndex = 0; // file dialogs: the filter shown first
    QColor Color;            // colour dialog: the initial colour
    QString DialogClass;     // modal dialogs: the class name of the dialog
};

class TScriptedInteraction : public TModalInteraction
{
  public:
    // Installs itself; the previous instance comes back on destruction.
    TScriptedInteraction();
    ~TScriptedInteraction() override;
    TScriptedInteraction(const TScriptedInteraction &) = delete;
    TScriptedInteraction &operator=(const TScriptedInteraction &) = delete;

    // Prepared answers, consumed in order.
    void ExpectError();
    // The box stays up while whileShown runs; it may run the event loop, as
    // a real modal box does, and any message requested meanwhile is one
    // shown on top of this box.
    void ExpectError(std::function<void()> whileShown);
    void ExpectInformation();
    void ExpectConfirmation(bool yes);
    void ExpectOpenFile(std::optional<QString> chosen); // nullopt: cancel
    // nullopt: cancel; filterIndex: the filter the operator picked (1-based).
    void ExpectSaveFile(std::optional<QString> chosen, int32_t filterIndex = 1);
    // Accepting calls setup on the printer (for example to print to a PDF file).
    void ExpectPrint(std::function<void(QPrinter &)> setup);
    void ExpectPrintCancel();
    void ExpectColor(std::optional<QColor> chosen); // nullopt: cancel
    // The dialog is shown (not modally) and action runs on it, as the
    // operator would work the open dialog; if the dialog is still open
    // afterwards it is closed with result. The dialog's own result is
    // returned.
    void ExpectDialog(int result, std::function<void(QDialog &)> action = {});

    const std::vector<TInteractionRequest> &Requests() const { return FRequests; }
    size_t PendingAnswers() const { return FAnswers.size(); }
    // Forgets the requests and the unused answers.
    void Reset();

    bool ShowMessage(TMessageKind kind, const QString &caption, const QString &text,
                     QWidget *parent) override;
    std::optional<TFileDialogChoice> GetFileName(const TFileDialogRequest &request,
                                                 QWidget *parent) override;
    bool SetupPrinter(QPrinter &printer, QWidget *parent) override;
    std::optional<QColor> SelectColor(const QColor &initial, QWidget *parent) override;
    int ExecuteDialog(QDialog &dialog) override;

  private:
    struct TAnswer
    {
        explicit TAnswer(TInteractionKind kind) : Kind(kind) {}
        TInteractionKind Kind;
        bool Positive = true;
        std::optional<QString> FileName;
        int32_t FilterIndex = 1;
        std::optional<QColor> Color;
        std::function<void(QPrinter &)> PrinterSetup;
        int DialogResult = 0;
        std::function<void(QDialog &)> DialogAction;
        std::function<void()> WhileShown;
    };

    // Records the request and takes the next answer when it matches.
    std::optional<TAnswer> Take(const TInteractionRequest &request);

    std::vector<TInteractionRequest> FRequests;
    std::deque<TAnswer> FAnswers;
    TModalInteraction *FPrevious = nullptr;
};

// A modal interaction that refuses every request by failing the current test:
// the test programs install one for their whole run, so a dialog that no
// test scripted can never block.
class TRefusingInteraction : public TModalInteraction
{
  public:
    bool ShowMessage(TMessageKind kind, const QString &caption, const QString &text,
                     QWidget *parent) override;
    std::optional<TFileDialogChoice> GetFileName(const TFileDialogRequest &request,
                                                 QWidget *parent) override;
    bool SetupPrinter(QPrinter &printer, QWidget *parent) override;
    std::optional<QColor> SelectColor(const QColor &initial, QWidget *parent) override;
    int ExecuteDialog(QDialog &dialog) override;
};
