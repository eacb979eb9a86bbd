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

void TFileManager::ContinueFile(const QString &fileName)
{
    PostCommand(TFileSlave::fcContinueFile, std::make_unique<TStringWrapper>(fileName));
}

void TFileManager::WriteLine(const QString &text)
{
    PostCommand(TFileSlave::fcWriteLine, std::make_unique<TStringWrapper>(text));
}

void TFileManager::ProcessResults()
{
    const auto text = [](const TThreadedDeviceMessage &message) {
        const auto *wrapper = dynamic_cast<const TStringWrapper *>(message.Data());
        return wrapper ? wrapper->Value : QString();
    };
    QString reported;
    while (DeliverOneResult([&](const TThreadedDeviceMessage &message) {
        if (message.Code() != TFileSlave::frError)
            return;
        reported = text(message);
        if (OnError)
            OnError(reported);
    })) {
        // The writer retries every second and reports each failure; those that
        // piled up while the operator was reading the message (a modal box
        // keeps later ticks out) say nothing new and are not shown again.
        while (const TThreadedDeviceMessage *next = PeekResult()) {
            if (next->Code() != TFileSlave::frError || text(*next) != reported)
                break;
            RemoveResult();
        }
    }
}
