#include "devices/DeliveryManager.h"

#include "devices/DeliverySlave.h"
#include "foundation/WrapperClasses.h"

TDeliveryManager::TDeliveryManager(const QString &outboxFolder, TDeliveryTiming timing,
                                   QObject *owner)
    : TThreadedDeviceMaster(owner), FOutbox(outboxFolder), FTiming(std::move(timing))
{
    FOutbox.Tidy();
    for (const QString &name : FOutbox.Pending())
        FState.Files.push_back(TDeliveryFileState{.Name = name});
    FState.SettingsProblem = QStringLiteral("the delivery is not set up");
    Initialise();
}

TDeliveryManager::~TDeliveryManager() = default;

std::unique_ptr<TThreadedDeviceSlave>
TDeliveryManager::CreateSlave(TThreadedDeviceMessageQueue &commands,
                              TThreadedDeviceMessageQueue &results)
{
    auto slave = std::make_unique<TDeliverySlave>(commands, results, FOutbox.Folder(), FTiming);
    slave->setObjectName(QStringLiteral("DeliverySlave"));
    return slave;
}

void TDeliveryManager::Configure(const TDeliverySettings &settings)
{
    FSettings = settings;
    PostCommand(TDeliverySlave::dcConfigure, std::make_unique<TDeliverySettingsWrapper>(settings));
}

bool TDeliveryManager::Enqueue(const QString &name, const QByteArray &bytes)
{
    const bool put = FOutbox.Put(name, bytes);
    PostCommand(TDeliverySlave::dcWake, std::make_unique<TStringWrapper>(name));
    return put;
}

QString TDeliveryManager::Summary(const std::function<QString(const QString &)> &label) const
{
    return DeliverySummary(FState, FTiming.Clock(), label);
}

void TDeliveryManager::ProcessResults()
{
    bool changed = false;
    while (DeliverOneResult([&](const TThreadedDeviceMessage &message) {
        const auto *state = dynamic_cast<const TDeliveryStateWrapper *>(message.Data());
        if (message.Code() == TDeliverySlave::drState && state) {
            FState = state->Value;
            changed = true;
        }
    })) {
    }
    // Only the latest of the states that piled up is shown.
    if (changed && OnStateChanged)
        OnStateChanged();
}
