#include "platform/AlsaSequencer.h"
#include "platform/MidiParser.h"
#include "platform/Realtime.h"

#include <algorithm>
#include <cerrno>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace platform {

namespace {

void IgnoreAlsaError(const char *, int, const char *, int, const char *, ...) {}

// Enough for any short message; system-exclusive data bypasses the coder.
constexpr std::size_t CodecBufferSize = 256;
// Large blocks go out in pieces, as a kernel pool of modest size accepts them.
constexpr std::size_t SysexChunk = 256;

constexpr int SystemClient = SND_SEQ_CLIENT_SYSTEM;
const std::string ThroughClient = "Midi Through";

// Other programs see our connections under the program's name.
const char *ClientName()
{
    return program_invocation_short_name;
}

struct ClientInfo {
    snd_seq_client_info_t *info = nullptr;
    ClientInfo() { snd_seq_client_info_malloc(&info); }
    ~ClientInfo() { snd_seq_client_info_free(info); }
};

struct PortInfo {
    snd_seq_port_info_t *info = nullptr;
    PortInfo() { snd_seq_port_info_malloc(&info); }
    ~PortInfo() { snd_seq_port_info_free(info); }
};

// One connection to the sequencer with one port of ours, as each open device
// has: events for different devices never meet in one queue.
class AlsaConnection {
public:
    AlsaConnection(std::shared_ptr<AlsaOwnClients> own) : own_(std::move(own)) {}
    ~AlsaConnection()
    {
        if (!seq_)
            return;
        own_->Remove(snd_seq_client_id(seq_));
        snd_seq_close(seq_); // takes our port and its subscription with it
    }
    AlsaConnection(const AlsaConnection &) = delete;
    AlsaConnection &operator=(const AlsaConnection &) = delete;

    MMRESULT Open(int streams, int mode, const char *portName, unsigned int capabilities)
    {
        if (snd_seq_open(&seq_, "default", streams, mode) < 0) {
            seq_ = nullptr;
            return MMSYSERR_NODRIVER;
        }
        own_->Add(snd_seq_client_id(seq_));
        snd_seq_set_client_name(seq_, ClientName());
        port_ = snd_seq_create_simple_port(seq_, portName, capabilities,
                                           SND_SEQ_PORT_TYPE_MIDI_GENERIC | SND_SEQ_PORT_TYPE_APPLICATION);
        return port_ < 0 ? MMSYSERR_ERROR : MMSYSERR_NOERROR;
    }

    static MMRESULT ConnectResult(int error)
    {
        if (error >= 0)
            return MMSYSERR_NOERROR;
        return error == -EBUSY ? MMSYSERR_ALLOCATED : MMSYSERR_ERROR;
    }

    snd_seq_t *Seq() const { return seq_; }
    int Port() const { return port_; }

private:
    std::shared_ptr<AlsaOwnClients> own_;
    snd_seq_t *seq_ = nullptr;
    int port_ = -1;
};

class AlsaOutputPort final : public MidiOutputPort, private MidiParser::Listener {
public:
    explicit AlsaOutputPort(std::shared_ptr<AlsaOwnClients> own) : connection_(std::move(own)) {}

    MMRESULT Open(const AlsaPortAddress &target)
    {
        if (!codec_.Ready())
            return MMSYSERR_NOMEM;
        const unsigned int capabilities = SND_SEQ_PORT_CAP_READ | SND_SEQ_PORT_CAP_SUBS_READ;
        if (const MMRESULT result = connection_.Open(SND_SEQ_OPEN_OUTPUT, 0, "out", capabilities))
            return result;
        return AlsaConnection::ConnectResult(
            snd_seq_connect_to(connection_.Seq(), connection_.Port(), target.client, target.port));
    }

    MMRESULT SendShort(const uint8_t *bytes, std::size_t count) override
    {
        for (snd_seq_event_t &event : codec_.Encode(bytes, count))
            if (!Output(event))
                return MMSYSERR_ERROR;
        return MMSYSERR_NOERROR;
    }

    MMRESULT SendLong(const uint8_t *bytes, std::size_t count) override
    {
        failed_ = false;
        parser_.Push(bytes, count, *this);
        return failed_ ? MMSYSERR_ERROR : MMSYSERR_NOERROR;
    }

private:
    bool Output(snd_seq_event_t &event)
    {
        snd_seq_ev_set_source(&event, connection_.Port());
        snd_seq_ev_set_subs(&event);
        snd_seq_ev_set_direct(&event);
        return snd_seq_event_output_direct(connection_.Seq(), &event) >= 0;
    }

    void ShortMessage(uint32_t packed) override
    {
        const auto bytes = UnpackShortMessage(packed);
        if (SendShort(bytes.data(), bytes.size()) != MMSYSERR_NOERROR)
            failed_ = true;
    }

    void SysexBlock(const std::vector<uint8_t> &block, bool /*complete*/) override
    {
        for (std::size_t done = 0; done < block.size(); done += SysexChunk) {
            snd_seq_event_t event;
            snd_seq_ev_clear(&event);
            const std::size_t part = std::min(SysexChunk, block.size() - done);
            snd_seq_ev_set_sysex(&event, part, const_cast<uint8_t *>(block.data() + done));
            if (!Output(event))
                failed_ = true;
        }
    }

    AlsaConnection connection_;
    AlsaMidiCodec codec_;
    MidiParser parser_;
    bool failed_ = false;
};

// Reads the events sent to our subscribed port on a thread of its own,
// waiting on the sequencer and on a pipe that tells it to end.
class AlsaInputPort final : public MidiInputPort {
public:
    explicit AlsaInputPort(std::shared_ptr<AlsaOwnClients> own) : connection_(std::move(own)) {}

    ~AlsaInputPort() override
    {
        if (thread_.joinable()) {
            const char stop = 1;
            [[maybe_unused]] const ssize_t written = write(wake_[1], &stop, 1);
            thread_.join();
        }
        for (int fd : wake_)
            if (fd >= 0)
                close(fd);
    }

    MMRESULT Open(const AlsaPortAddress &source, MidiByteSink &sink)
    {
        if (!codec_.Ready() || pipe2(wake_, O_CLOEXEC | O_NONBLOCK) != 0)
            return MMSYSERR_NOMEM;
        const unsigned int capabilities = SND_SEQ_PORT_CAP_WRITE | SND_SEQ_PORT_CAP_SUBS_WRITE;
        if (const MMRESULT result = connection_.Open(SND_SEQ_OPEN_INPUT, SND_SEQ_NONBLOCK, "in", capabilities))
            return result;
        const MMRESULT result = AlsaConnection::ConnectResult(
            snd_seq_connect_from(connection_.Seq(), connection_.Port(), source.client, source.port));
        if (result == MMSYSERR_NOERROR)
            thread_ = std::thread([this, &sink] { Run(sink); });
        return result;
    }

private:
    void Run(MidiByteSink &sink)
    {
        // MIDI thru goes out from here as events arrive.
        NameThisThread("hn-alsa-in");
        RequestRealtime(TimekeepingPriority);
        snd_seq_t *seq = connection_.Seq();
        const int count = snd_seq_poll_descriptors_count(seq, POLLIN);
        std::vector<pollfd> fds(static_cast<std::size_t>(count) + 1);
        fds[0] = {wake_[0], POLLIN, 0};
        snd_seq_poll_descriptors(seq, fds.data() + 1, static_cast<unsigned int>(count), POLLIN);
        for (;;) {
            if (poll(fds.data(), fds.size(), -1) < 0) {
                if (errno == EINTR)
                    continue;
                return;
            }
            if (fds[0].revents)
                return;
            Drain(seq, sink);
        }
    }

    void Drain(snd_seq_t *seq, MidiByteSink &sink)
    {
        for (;;) {
            snd_seq_event_t *event = nullptr;
            const int result = snd_seq_event_input(seq, &event);
            if (result == -ENOSPC)
                continue; // events were lost in an overrun; go on with the next
            if (result < 0 || !event)
                return;
            const auto bytes = codec_.Decode(*event);
            if (!bytes.empty())
                sink.Receive(bytes.data(), bytes.size());
        }
    }

    AlsaConnection connection_;
    AlsaMidiCodec codec_;
    int wake_[2] = {-1, -1};
    std::thread thread_;
};

} // namespace

void SilenceAlsaErrors()
{
    static std::once_flag once;
    std::call_once(once, [] { snd_lib_error_set_handler(IgnoreAlsaError); });
}

// ---------------------------------------------------------------------------

AlsaMidiCodec::AlsaMidiCodec()
{
    if (snd_midi_event_new(CodecBufferSize, &encoder_) < 0)
        encoder_ = nullptr;
    if (snd_midi_event_new(CodecBufferSize, &decoder_) < 0)
        decoder_ = nullptr;
    if (decoder_)
        snd_midi_event_no_status(decoder_, 1); // else repeated status bytes vanish
}

AlsaMidiCodec::~AlsaMidiCodec()
{
    if (encoder_)
        snd_midi_event_free(encoder_);
    if (decoder_)
        snd_midi_event_free(decoder_);
}

std::vector<snd_seq_event_t> AlsaMidiCodec::Encode(const uint8_t *bytes, std::size_t count)
{
    std::vector<snd_seq_event_t> events;
    for (std::size_t i = 0; i < count; ++i) {
        snd_seq_event_t event;
        snd_seq_ev_clear(&event);
        if (snd_midi_event_encode_byte(encoder_, bytes[i], &event) == 1 && event.type != SND_SEQ_EVENT_NONE)
            events.push_back(event);
    }
    return events;
}

std::vector<uint8_t> AlsaMidiCodec::Decode(const snd_seq_event_t &event)
{
    if (event.type == SND_SEQ_EVENT_SYSEX) {
        const auto *data = static_cast<const uint8_t *>(event.data.ext.ptr);
        return {data, data + event.data.ext.len};
    }
    unsigned char buffer[CodecBufferSize];
    const long length = snd_midi_event_decode(decoder_, buffer, sizeof buffer, &event);
    if (length <= 0)
        return {};
    return {buffer, buffer + length};
}

// ---------------------------------------------------------------------------

void AlsaOwnClients::Add(int client)
{
    std::lock_guard lock(mutex_);
    clients_.insert(client);
}

void AlsaOwnClients::Remove(int client)
{
    std::lock_guard lock(mutex_);
    const auto it = clients_.find(client);
    if (it != clients_.end())
        clients_.erase(it);
}

bool AlsaOwnClients::Contains(int client)
{
    std::lock_guard lock(mutex_);
    return clients_.count(client) > 0;
}

// ---------------------------------------------------------------------------

AlsaSequencer::AlsaSequencer()
{
    SilenceAlsaErrors();
}

AlsaSequencer::~AlsaSequencer()
{
    if (lister_)
        snd_seq_close(lister_);
}

snd_seq_t *AlsaSequencer::Lister()
{
    // Tried again on every listing: the sequencer may appear while the
    // program runs (a module loaded, a device plugged in).
    if (!lister_ && snd_seq_open(&lister_, "default", SND_SEQ_OPEN_DUPLEX, SND_SEQ_NONBLOCK) < 0)
        lister_ = nullptr;
    if (lister_ && !own_->Contains(snd_seq_client_id(lister_))) {
        snd_seq_set_client_name(lister_, ClientName());
        own_->Add(snd_seq_client_id(lister_));
    }
    return lister_;
}

std::vector<AlsaPortAddress> AlsaSequencer::List(unsigned int capabilities)
{
    std::lock_guard lock(mutex_);
    std::vector<AlsaPortAddress> ports;
    snd_seq_t *seq = Lister();
    if (!seq)
        return ports;
    ClientInfo client;
    PortInfo port;
    snd_seq_client_info_set_client(client.info, -1);
    while (snd_seq_query_next_client(seq, client.info) >= 0) {
        const int clientId = snd_seq_client_info_get_client(client.info);
        const std::string clientName = snd_seq_client_info_get_name(client.info);
        if (clientId == SystemClient || clientName == ThroughClient || own_->Contains(clientId))
            continue;
        snd_seq_port_info_set_client(port.info, clientId);
        snd_seq_port_info_set_port(port.info, -1);
        while (snd_seq_query_next_port(seq, port.info) >= 0) {
            const unsigned int offered = snd_seq_port_info_get_capability(port.info);
            if ((offered & capabilities) != capabilities || (offered & SND_SEQ_PORT_CAP_NO_EXPORT))
                continue;
            ports.push_back({clientId, snd_seq_port_info_get_port(port.info),
                             clientName + ":" + snd_seq_port_info_get_name(port.info)});
        }
    }
    std::sort(ports.begin(), ports.end(), [](const AlsaPortAddress &a, const AlsaPortAddress &b) {
        return a.client != b.client ? a.client < b.client : a.port < b.port;
    });
    return ports;
}

std::vector<AlsaPortAddress> AlsaSequencer::Outputs()
{
    return List(SND_SEQ_PORT_CAP_WRITE | SND_SEQ_PORT_CAP_SUBS_WRITE);
}

std::vector<AlsaPortAddress> AlsaSequencer::Inputs()
{
    return List(SND_SEQ_PORT_CAP_READ | SND_SEQ_PORT_CAP_SUBS_READ);
}

MMRESULT AlsaSequencer::OpenOutput(const AlsaPortAddress &target, std::unique_ptr<MidiOutputPort> &port)
{
    auto output = std::make_unique<AlsaOutputPort>(own_);
    if (const MMRESULT result = output->Open(target))
        return result;
    port = std::move(output);
    return MMSYSERR_NOERROR;
}

MMRESULT AlsaSequencer::OpenInput(const AlsaPortAddress &source, MidiByteSink &sink,
                                  std::unique_ptr<MidiInputPort> &port)
{
    auto input = std::make_unique<AlsaInputPort>(own_);
    if (const MMRESULT result = input->Open(source, sink))
        return result;
    port = std::move(input);
    return MMSYSERR_NOERROR;
}

} // namespace platform
