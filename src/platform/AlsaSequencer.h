#pragma once

// The ALSA sequencer's MIDI ports as devices of the MIDI driver API.
#include "platform/MidiDriver.h"

#include <alsa/asoundlib.h>

#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace platform {

// Turns MIDI bytes into sequencer events and back. Both directions keep
// state (running status), so each open port has its own.
class AlsaMidiCodec {
public:
    AlsaMidiCodec();
    ~AlsaMidiCodec();
    AlsaMidiCodec(const AlsaMidiCodec &) = delete;
    AlsaMidiCodec &operator=(const AlsaMidiCodec &) = delete;

    bool Ready() const { return encoder_ && decoder_; }
    // One event for every complete short message in the bytes; a message
    // left incomplete is finished by the next call.
    std::vector<snd_seq_event_t> Encode(const uint8_t *bytes, std::size_t count);
    // The bytes an event stands for, always with its status byte; none for
    // events that carry no MIDI message (port announcements and the like).
    std::vector<uint8_t> Decode(const snd_seq_event_t &event);

private:
    snd_midi_event_t *encoder_ = nullptr;
    snd_midi_event_t *decoder_ = nullptr;
};

// A port of another client, known to users by its stable name (client and
// port names, no numbers, which change from one session to the next).
struct AlsaPortAddress {
    int client = 0;
    int port = 0;
    std::string name;
};

// Client numbers of this process's own sequencer connections, which the
// listing leaves out.
class AlsaOwnClients {
public:
    void Add(int client);
    void Remove(int client);
    bool Contains(int client);

private:
    std::mutex mutex_;
    std::multiset<int> clients_;
};

class AlsaSequencer {
public:
    AlsaSequencer();
    ~AlsaSequencer();
    AlsaSequencer(const AlsaSequencer &) = delete;
    AlsaSequencer &operator=(const AlsaSequencer &) = delete;

    // Ports other programs and devices offer, sorted by client and port
    // number; empty when there is no sequencer.
    std::vector<AlsaPortAddress> Outputs();
    std::vector<AlsaPortAddress> Inputs();

    MMRESULT OpenOutput(const AlsaPortAddress &target, std::unique_ptr<MidiOutputPort> &port);
    MMRESULT OpenInput(const AlsaPortAddress &source, MidiByteSink &sink, std::unique_ptr<MidiInputPort> &port);

private:
    std::vector<AlsaPortAddress> List(unsigned int capabilities);
    snd_seq_t *Lister();

    std::mutex mutex_;
    snd_seq_t *lister_ = nullptr; // opened on the first listing that finds a sequencer
    std::shared_ptr<AlsaOwnClients> own_ = std::make_shared<AlsaOwnClients>();
};

} // namespace platform
