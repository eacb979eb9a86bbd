#include "devices/FileManager.h"

#include "devices/FileSlave.h"
#include "foundation/WrapperClasses.h"

TFileManager::TFileManager(QObject *owner) : TThreadedDeviceMaster(owner)
{
    Initialise();
}

TFileManager::~TFileManager() = default;

std::unique_ptr<TThreadedDeviceSlave>
TFileManager::CreateSlave(TThreadedDeviceMessageQueue &commands,
                          TThreadedDeviceMessageQueue &results)
{
    auto slave = std::make_unique<TFileSlave>(commands, results);
    slave->setObjectName(QStringLiteral("FileSlave"));
    return slave;
}

void TFileManager::NewFile(const QString &fileName)
{
    PostCommand(TFileSlave::fcNewFile, std::make_unique<TStringWrapper>(fileName));
}

void TFileManager::WriteLine(const QString &text)
{
    PostCommand(TFileSlave::fcWriteLine, std::make_unique<TStringWrapper>(text));
}

void TFileManager::ProcessResults()
{
    while (DeliverOneResult([this](const TThreadedDeviceMessage &message) {
        if (message.Code() != TFileSlave::frError || !OnError)
            return;
        const auto *text = dynamic_cast<const TStringWrapper *>(message.Data());
        OnError(text ? text->Value : QString());
    })) {
    }
}
