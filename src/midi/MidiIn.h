#pragma once

// The MIDI input component: selects one input device by number or by
// product name, opens it with the driver callback, keeps receive buffers
// for system-exclusive input, and hands received events to the
// user-interface thread. OnMidiInput tells that events are waiting; its
// handler reads them with ReadEvent. One notice may stand for many events,
// and events already announced are not announced again: a handler that
// leaves some waiting comes back for them itself, or takes them with the
// notice of the next event.
#include "midi/Circbuf.h"
#include "midi/MidiCallback.h"
#include "midi/Miditype.h"
#include "platform/Exception.h"
#include "platform/HiddenWindow.h"
#include "platform/MidiApi.h"

#include <QObject>
#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

class EMidiInputError : public platform::Exception {
public:
    using Exception::Exception;
};

class TMidiInput : public QObject {
    Q_OBJECT
public:
    static constexpr uint8_t StateOpen = 0;
    static constexpr uint8_t StateClosed = 1;
    static constexpr uint8_t StateConstructing = 2;

    // Selects device 0 when there is one, so ProductName names it.
    explicit TMidiInput(QObject *owner = nullptr);
    ~TMidiInput() override;

    // A number beyond the last device, or any number when there is no
    // device, is ignored without an error. Refused while open.
    uint16_t DeviceID() const { return FDeviceID; }
    void setDeviceID(uint16_t value);
    QString ProductName() const { return FProductName; }
    void setProductName(const QString &value);
    // While set, setProductName does nothing, as while an owner restores a
    // stored definition.
    void setLoading(bool loading) { FLoading = loading; }
    // Drops short messages and keeps system-exclusive blocks; takes effect
    // at once, even while open.
    bool SysexOnly() const { return FSysexOnly; }
    void setSysexOnly(bool value);
    // Events the buffer holds; used by the next Open that makes a buffer.
    // At most MaxEventBufferCapacity: a larger value makes Open fail.
    uint16_t Capacity() const { return FCapacity; }
    void setCapacity(uint16_t value) { FCapacity = value; }
    uint16_t SysexBufferSize() const { return FSysexBufferSize; }
    void setSysexBufferSize(uint16_t value);
    uint16_t SysexBufferCount() const { return FSysexBufferCount; }
    void setSysexBufferCount(uint16_t value);

    platform::HMIDIIN DeviceHandle() const { return FDeviceHandle; } // nullptr while closed
    uint8_t State() const { return FState; }
    uint16_t Error() const { return FError; } // result of the last driver call
    uint32_t DriverVersion() const { return FDriverVersion; }
    uint16_t ManufacturerID() const { return FManufacturerID; }
    uint16_t ProductID() const { return FProductID; }
    uint16_t DeviceCount() const { return FDeviceCount; } // taken once, at construction
    const TEventBuffer *Buffer() const { return FBuffer; }
    const TMidiControlBlock *ControlBlock() const { return FControlBlock; }

    // Leaves the device closed, with its buffer and control block released,
    // when anything fails; nothing is shown. Does nothing while open.
    void Open();
    // Events arrive only after Start. Nothing when closed.
    void Start();
    // Does nothing when closed.
    void Close();
    // MIDI thru ahead of the reader: while set, a short message goes out
    // again on this output device from the driver's thread as it arrives,
    // and ReadEvent's event then says Echoed. The others (system-exclusive
    // blocks, messages the device refused, all while none is set) are the
    // reader's to send on, and until the reader has handled them, which it
    // shows by reading again, none goes out ahead of them: the echoes keep
    // the order of arrival. nullptr: none.
    void setThruDevice(platform::HMIDIOUT device);
    // Events waiting; 0 when closed.
    uint16_t PendingCount() const;
    // Events lost since Open because the buffer was full; 0 when closed.
    uint32_t LostCount() const;
    // The oldest waiting event, or nullptr when closed or none waits. A
    // system-exclusive event's header goes back to the driver; when the
    // driver refuses it the event stays waiting and the refusal is raised.
    std::unique_ptr<TMyMidiEvent> ReadEvent();

signals:
    // Events are waiting (raised on the user-interface thread while open).
    void OnMidiInput(TMidiInput *sender);
    // Events were lost because the buffer was full (LostCount says how many;
    // short messages lost while a report is on its way share it). Input goes
    // on: the next events are stored as soon as the reader has made room.
    void OnOverflow(TMidiInput *sender);

private:
    void Check(platform::MMRESULT result);
    platform::MIDIINCAPSA QueryCaps(uint32_t deviceId);
    void OpenDevice();
    void CreateReceiveBuffers();
    void AddReceiveBuffers();
    void ReleaseReceiveBuffers();
    platform::MMRESULT GiveBack(platform::MIDIHDR *header);
    void EventLost(platform::MIDIHDR *sysexHeader);
    void AbandonOpen();
    void ReleaseSharedBlocks();
    void WindowProc(uint32_t msg, uintptr_t wParam, uintptr_t lParam);

    std::unique_ptr<platform::THiddenWindow> FWindowHandle;
    uint16_t FDeviceID = 0;
    platform::HMIDIIN FDeviceHandle = nullptr;
    uint8_t FState = StateConstructing;
    uint16_t FError = 0;
    bool FSysexOnly = false;
    uint32_t FDriverVersion = 0;
    QString FProductName;
    uint16_t FManufacturerID = 0;
    uint16_t FProductID = 0;
    uint16_t FCapacity = 1024;
    TEventBuffer *FBuffer = nullptr;
    uint16_t FDeviceCount = 0;
    uint16_t FSysexBufferSize = 4096;
    uint16_t FSysexBufferCount = 16;
    std::vector<std::unique_ptr<TMyMidiHdr>> FReceiveBuffers;
    TMidiControlBlock *FControlBlock = nullptr;
    uint32_t FSession = 0; // counts the opens
    bool FLoading = false;
    platform::HMIDIOUT FThruDevice = nullptr;
    bool FHoldingUnechoed = false; // the event read last was the reader's to send on
};
