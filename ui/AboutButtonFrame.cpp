#include "ui/AboutButtonFrame.h"

#include "ui/AboutForm.h"
#include "ui/ModalInteraction.h"

#include <QHBoxLayout>
#include <QPushButton>

namespace {
TfrmAbout *SharedAboutForm = nullptr;
} // namespace

void TfraAboutButton::SetSharedAboutForm(TfrmAbout *form)
{
    SharedAboutForm = form;
}

TfraAboutButton::TfraAboutButton(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("fraAboutButton"));
    FAbout = new QPushButton(QStringLiteral("About"), this);
    FAbout->setObjectName(QStringLiteral("btnAbout"));
    connect(FAbout, &QPushButton::clicked, this, [this] { btnAboutClick(); });

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addStretch(1);
    layout->addWidget(FAbout);
    layout->addStretch(1);
}

void TfraAboutButton::btnAboutClick()
{
    if (SharedAboutForm) {
        ModalInteraction().ExecuteDialog(*SharedAboutForm);
        return;
    }
    TfrmAbout about(window());
    ModalInteraction().ExecuteDialog(about);
}
