#pragma once
// The hand-over between the user-interface thread and the graph thread: a
// locked list of owned objects, the commands that go in, and the data-list
// deliveries and print images that come out.
//
// A buffer does not lock by itself: the caller brackets every access with
// Enter and Leave (or a TBufferLock) and holds the lock only for one push,
// pop or swap, never across decoding or drawing.
#include "foundation/RootObject.h"

#include <QImage>
#include <QMutex>
#include <QStringList>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>

template <class T> class TDataBuffer
{
  public:
    using TItems = std::deque<std::unique_ptr<T>>;

    TDataBuffer() = default;
    TDataBuffer(const TDataBuffer &) = delete;
    TDataBuffer &operator=(const TDataBuffer &) = delete;

    void Enter() { FLock.lock(); }
    void Leave() { FLock.unlock(); }

    void Add(std::unique_ptr<T> item) { FItems.push_back(std::move(item)); }
    // The oldest object, now owned by the caller; null when there is none.
    std::unique_ptr<T> Pop()
    {
        if (FItems.empty())
            return nullptr;
        std::unique_ptr<T> item = std::move(FItems.front());
        FItems.pop_front();
        return item;
    }
    // Installs `items` and returns what the buffer held, so that one side
    // takes everything at once and the other never waits for its processing.
    TItems SwapItems(TItems items)
    {
        FItems.swap(items);
        return items;
    }
    size_t Count() const { return FItems.size(); }

  private:
    QMutex FLock;
    TItems FItems;
};

// Enter for the lifetime of the guard.
template <class T> class TBufferLock
{
  public:
    explicit TBufferLock(TDataBuffer<T> &buffer) : FBuffer(buffer) { FBuffer.Enter(); }
    ~TBufferLock() { FBuffer.Leave(); }
    TBufferLock(const TBufferLock &) = delete;
    TBufferLock &operator=(const TBufferLock &) = delete;

  private:
    TDataBuffer<T> &FBuffer;
};

// Posts one object: Enter, Add, Leave.
template <class T> void PostToBuffer(TDataBuffer<T> &buffer, std::unique_ptr<T> item)
{
    TBufferLock<T> lock(buffer);
    buffer.Add(std::move(item));
}

// Takes everything the buffer holds, leaving it empty.
template <class T> typename TDataBuffer<T>::TItems TakeFromBuffer(TDataBuffer<T> &buffer)
{
    TBufferLock<T> lock(buffer);
    return buffer.SwapItems({});
}

// The commands of the graph thread.
enum TRawCommand : uint8_t
{
    rcFrame = 0,              // TKestrinResult: a decoded frame, live or replayed
    rcNewRun = 1,             // TDataParameters: a new run, everything cleared
    rcStandardParameters = 2, // TStandardGraphParameters
    rcSkewTParameters = 3,    // TSkewTGraphParameters
    rcTimeParameters = 4,     // TTimeGraphParameters
    rcLengthUnit = 5,         // TIntegerWrapper: a TLengthUnit ordinal
    rcPrintImage = 6,         // TIntegerWrapper: the TGraphType ordinal to print
    rcSoundingProducts = 7,   // TIntegerWrapper: TProductsRequest flags
    rcFlightSettings = 8,     // TFlightSettingsPacket: what the operator says of the flight
};
// How many kinds there are: one more than the last.
constexpr size_t RawCommandKinds = rcFlightSettings + 1;

// One command and its data, both owned by whoever holds the packet.
class TRawDataPacket : public TObject
{
  public:
    TRawDataPacket(uint8_t command, std::unique_ptr<TObject> data)
        : Command(command), Data(std::move(data))
    {
    }
    uint8_t Command;
    std::unique_ptr<TObject> Data;
};

enum TDataViewKind : uint8_t
{
    dvAppend = 0,   // rows to add under what the list shows
    dvHeadings = 1, // new heading lines; the list is emptied
    dvReplace = 2,  // headings and every row, replacing everything
};

// One delivery to the data list. TimeTexts and RowTexts have equal length.
class TDataViewPacket : public TObject
{
  public:
    explicit TDataViewPacket(uint8_t kind = dvAppend) : Kind(kind) {}
    uint8_t Kind;
    QStringList HeadingLines; // names and units for kinds 1 and 2
    QStringList TimeTexts;
    QStringList RowTexts;
};

// A finished print image and the TGraphType ordinal of the graph it shows.
class TPrintImage : public TObject
{
  public:
    TPrintImage(uint8_t graphType, QImage image) : GraphType(graphType), Image(std::move(image)) {}
    uint8_t GraphType;
    QImage Image;
};
