#pragma once

// The MIDI output component: selects one output device by number or by
// product name, opens and closes it, and sends short messages and
// system-exclusive blocks to it. Every failure is reported as an
// EmidioutputError carrying the driver's text, except in Open, which fails
// quietly.
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

class EmidioutputError : public platform::Exception {
public:
    using Exception::Exception;
};

// The driver's text for a result code, as an EmidioutputError carries it.
QString MidiOutputErrorText(platform::MMRESULT code);

class TMidiOutput : public QObject {
    Q_OBJECT
public:
    static constexpr uint8_t StateOpen = 0;
    static constexpr uint8_t StateClosed = 1;
    static constexpr int32_t MidiMapper = -1;

    explicit TMidiOutput(QObject *owner = nullptr);
    ~TMidiOutput() override;

    // -1 is the MIDI mapper. Refused while open; a number at or above the
    // device count (other than -1) is an "Invalid device ID". The number is
    // kept even when the driver then refuses to describe the device.
    int32_t DeviceID() const { return FDeviceID; }
    void setDeviceID(int32_t value);
    // Looks the name up on the mapper first, then on devices 0, 1, ... and
    // selects the first device that has it (exact, case-sensitive).
    QString ProductName() const { return FProductName; }
    void setProductName(const QString &value);
    // While set, setProductName does nothing, as while an owner restores a
    // stored definition that also names the device by number.
    void setLoading(bool loading) { FLoading = loading; }

    platform::HMIDIOUT DeviceHandle() const { return FDeviceHandle; } // nullptr while closed
    uint8_t State() const { return FState; }
    uint16_t Error() const { return FError; } // result of the last driver call
    uint32_t DriverVersion() const { return FDriverVersion; }
    uint8_t Technology() const { return FTechnology; }
    uint16_t Voices() const { return FVoices; }
    uint16_t Notes() const { return FNotes; }
    uint16_t ChannelMask() const { return FChannelMask; }
    uint32_t Support() const { return FSupport; }
    uint16_t DeviceCount() const { return FDeviceCount; } // taken once, at construction
    const TMidiControlBlock *ControlBlock() const { return FControlBlock; }

    // False, with the device closed, when anything fails; nothing is shown.
    // Callers close before opening again.
    virtual bool Open();
    // Why the last Open failed (the driver's text, mostly); empty after one
    // that succeeded.
    QString OpenFailure() const { return FOpenFailure; }
    // False when the device was not open; a driver refusal raises and leaves
    // the device open.
    virtual bool Close();
    // Raises "MIDI Output device not open" when closed; otherwise sends the
    // event's system-exclusive data, or its three bytes.
    virtual void SendEvent(const TMyMidiEvent &event);
    // Each argument is reduced modulo 256 before packing, so a caller's
    // note and channel arithmetic wraps like byte arithmetic. Does not test
    // the state: a closed device's refusal comes from the driver.
    virtual void SendShort(int StatusByte, int DataByte1, int DataByte2);
    // Copies the block; it is released once the driver reports it done
    // (Onmidioutput follows), or at once when the driver refuses it.
    virtual void SendSysex(const void *data, uint16_t length);

signals:
    // A system-exclusive block has been sent and its header released.
    void Onmidioutput(TMidiOutput *sender);

private:
    void Check(platform::MMRESULT result);
    void Describe(const platform::MIDIOUTCAPSA &caps);
    platform::MIDIOUTCAPSA QueryCaps(int32_t deviceId);
    void ReleaseControlBlock();
    void WindowProc(uint32_t msg, uintptr_t wParam, uintptr_t lParam);
    void LongMessageDone(platform::MIDIHDR *header);

    std::unique_ptr<platform::THiddenWindow> FWindowHandle;
    int32_t FDeviceID = 0;
    platform::HMIDIOUT FDeviceHandle = nullptr;
    uint8_t FState = StateClosed;
    TMidiControlBlock *FControlBlock = nullptr;
    uint16_t FError = 0;
    uint32_t FDriverVersion = 0;
    QString FProductName;
    uint8_t FTechnology = 0;
    uint16_t FVoices = 0;
    uint16_t FNotes = 0;
    uint16_t FChannelMask = 0;
    uint32_t FSupport = 0;
    uint16_t FDeviceCount = 0;
    bool FLoading = false;
    QString FOpenFailure;
    // Blocks handed to the driver and not yet reported done.
    std::vector<std::unique_ptr<TMyMidiHdr>> FSentHeaders;
};
