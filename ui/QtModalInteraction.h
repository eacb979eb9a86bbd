#pragma once
// The real modal interaction: Qt message boxes and standard dialogs.
#include "ui/ModalInteraction.h"

class TQtModalInteraction : public TModalInteraction
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
