#include "ui/ModalInteraction.h"

#include "ui/QtModalInteraction.h"

namespace {
TModalInteraction *GInstalled = nullptr;

TModalInteraction &DefaultInteraction()
{
    static TQtModalInteraction Instance;
    return Instance;
}
} // namespace

void TModalInteraction::ShowError(const QString &text, QWidget *parent)
{
    ShowMessage(mkError, QString(), text, parent);
}

void TModalInteraction::ShowInformation(const QString &text, QWidget *parent)
{
    ShowMessage(mkInformation, QString(), text, parent);
}

bool TModalInteraction::Ask(const QString &text, QWidget *parent)
{
    return ShowMessage(mkQuestion, QString(), text, parent);
}

bool TModalInteraction::Confirm(const QString &text, QWidget *parent)
{
    return ShowMessage(mkConfirmation, QString(), text, parent);
}

TModalInteraction &ModalInteraction()
{
    return GInstalled ? *GInstalled : DefaultInteraction();
}

TModalInteraction *InstallModalInteraction(TModalInteraction *interaction)
{
    TModalInteraction *previous = GInstalled;
    GInstalled = interaction;
    return previous;
}
