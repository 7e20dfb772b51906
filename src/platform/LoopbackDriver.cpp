// The loopback driver: one output that records what it gets (in memory and,
// when HARMONOVA_MIDI_LOG names a file, one line a message) and one input fed
// in-process or from the file or FIFO named by HARMONOVA_MIDI_INPUT. Tests,
// benchmarks and checks from outside drive the whole program through it.
#include "platform/MidiApi.h"
#include "platform/MidiDriver.h"
#include "platform/Realtime.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <mutex>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

const char *const OutputName = "Loopback Out";
const char *const InputName = "Loopback In";

std::string Environment(const char *name)
{
    const char *value = std::getenv(name);
    return value ? value : "";
}

// Reads raw MIDI bytes on its own thread and hands them to the sink: bytes
// fed in-process, and those of the input file once started. One eventfd
// wakes the thread for fed bytes, a start and the end, so it never sleeps
// on a timer and a close is prompt.
class LoopbackInput final : public MidiInputPort {
public:
    LoopbackInput(MidiByteSink &sink, std::string path) : sink_(sink), path_(std::move(path))
    {
        wake_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
        if (wake_ >= 0)
            thread_ = std::thread([this] { Run(); });
    }

    ~LoopbackInput() override
    {
        {
            std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        Wake();
        if (thread_.joinable())
            thread_.join();
        if (wake_ >= 0)
            close(wake_);
    }

    bool Ready() const { return thread_.joinable(); }

    void Start() override
    {
        std::lock_guard lock(mutex_);
        started_ = true;
        Wake();
    }

    void Stop() override
    {
        std::lock_guard lock(mutex_);
        started_ = false;
    }

    bool Feed(const std::vector<uint8_t> &bytes)
    {
        std::lock_guard lock(mutex_);
        if (!started_ || stopping_)
            return false;
        fed_.push_back(bytes);
        Wake();
        return true;
    }

private:
    void Wake()
    {
        const uint64_t one = 1;
        [[maybe_unused]] const ssize_t written = write(wake_, &one, sizeof one);
    }

    void Run()
    {
        // MIDI thru goes out from here as events arrive.
        NameThisThread("hn-loopback-in");
        RequestRealtime(TimekeepingPriority);
        Source source;
        for (;;) {
            bool started = false;
            {
                std::lock_guard lock(mutex_);
                if (stopping_)
                    break;
                started = started_;
            }
            if (started)
                source.OpenOnce(path_);
            pollfd fds[2] = {{wake_, POLLIN, 0}, {source.fd, POLLIN, 0}};
            if (poll(fds, source.fd >= 0 ? 2 : 1, -1) < 0)
                continue; // interrupted by a signal
            if (fds[0].revents) {
                uint64_t count = 0;
                [[maybe_unused]] const ssize_t drained = read(wake_, &count, sizeof count);
            }
            DeliverFed();
            if (source.fd >= 0 && fds[1].revents)
                source.ReadInto(sink_);
        }
    }

    void DeliverFed()
    {
        std::deque<std::vector<uint8_t>> fed;
        {
            std::lock_guard lock(mutex_);
            fed.swap(fed_);
        }
        for (const auto &bytes : fed)
            sink_.Receive(bytes.data(), bytes.size());
    }

    // The input file: read to its end once; a FIFO is reopened at every end
    // to wait for its next writer.
    struct Source {
        int fd = -1;
        bool fifo = false;
        bool finished = false;

        ~Source()
        {
            if (fd >= 0)
                close(fd);
        }

        void OpenOnce(const std::string &path)
        {
            if (fd >= 0 || finished)
                return;
            if (path.empty()) {
                finished = true;
                return;
            }
            // Non-blocking: a FIFO without a writer must not hold up the thread.
            fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
            struct stat info {};
            if (fd < 0 || fstat(fd, &info) != 0) {
                finished = true; // nothing to read from; fed bytes still come
                return;
            }
            fifo = S_ISFIFO(info.st_mode);
        }

        void ReadInto(MidiByteSink &sink)
        {
            uint8_t buffer[4096];
            const ssize_t count = read(fd, buffer, sizeof buffer);
            if (count > 0) {
                sink.Receive(buffer, static_cast<std::size_t>(count));
                return;
            }
            if (count < 0 && (errno == EAGAIN || errno == EINTR))
                return;
            close(fd);
            fd = -1;
            finished = !fifo;
        }
    };

    MidiByteSink &sink_;
    const std::string path_;
    int wake_ = -1;
    std::thread thread_;
    std::mutex mutex_;
    std::deque<std::vector<uint8_t>> fed_;
    bool started_ = false;
    bool stopping_ = false;
};

class LoopbackDriver final : public MidiDriver, public std::enable_shared_from_this<LoopbackDriver> {
public:
    LoopbackDriver() : start_(std::chrono::steady_clock::now())
    {
        const std::string logName = Environment("HARMONOVA_MIDI_LOG");
        if (!logName.empty())
            log_ = std::fopen(logName.c_str(), "ae");
    }

    ~LoopbackDriver() override
    {
        if (log_)
            std::fclose(log_);
    }

    std::vector<MidiPortInfo> Outputs() override { return {MidiPortInfo{OutputName}}; }
    std::vector<MidiPortInfo> Inputs() override { return {MidiPortInfo{InputName}}; }

    MMRESULT OpenOutput(std::size_t index, std::unique_ptr<MidiOutputPort> &port) override;
    MMRESULT OpenInput(std::size_t index, MidiByteSink &sink, std::unique_ptr<MidiInputPort> &port) override;

    void Record(const uint8_t *bytes, std::size_t count)
    {
        std::lock_guard lock(mutex_);
        if (sent_.size() >= MaxRecorded)
            sent_.pop_front(); // a long run through the loopback must not grow without end
        sent_.emplace_back(bytes, bytes + count);
        WriteLogLine(bytes, count);
    }

    std::vector<std::vector<uint8_t>> Sent()
    {
        std::lock_guard lock(mutex_);
        return {sent_.begin(), sent_.end()};
    }

    void ClearSent()
    {
        std::lock_guard lock(mutex_);
        sent_.clear();
    }

    bool Feed(const std::vector<uint8_t> &bytes)
    {
        std::lock_guard lock(mutex_);
        return input_ && input_->Feed(bytes);
    }

    void Forget(LoopbackInput *input)
    {
        std::lock_guard lock(mutex_);
        if (input_ == input)
            input_ = nullptr;
    }

private:
    static constexpr std::size_t MaxRecorded = std::size_t{1} << 20;

    // Flushed at once: checks outside the program read the log while it runs.
    void WriteLogLine(const uint8_t *bytes, std::size_t count)
    {
        if (!log_)
            return;
        const std::chrono::duration<double, std::milli> elapsed = std::chrono::steady_clock::now() - start_;
        std::fprintf(log_, "%.3f", elapsed.count());
        for (std::size_t i = 0; i < count; ++i)
            std::fprintf(log_, " %02X", bytes[i]);
        std::fputc('\n', log_);
        std::fflush(log_);
    }

    const std::chrono::steady_clock::time_point start_;
    std::FILE *log_ = nullptr;
    std::mutex mutex_;
    std::deque<std::vector<uint8_t>> sent_;
    LoopbackInput *input_ = nullptr; // the open input, which Feed reaches
};

class LoopbackOutputPort final : public MidiOutputPort {
public:
    explicit LoopbackOutputPort(std::shared_ptr<LoopbackDriver> driver) : driver_(std::move(driver)) {}

    MMRESULT SendShort(const uint8_t *bytes, std::size_t count) override
    {
        driver_->Record(bytes, count);
        return MMSYSERR_NOERROR;
    }
    MMRESULT SendLong(const uint8_t *bytes, std::size_t count) override
    {
        driver_->Record(bytes, count);
        return MMSYSERR_NOERROR;
    }

private:
    std::shared_ptr<LoopbackDriver> driver_;
};

// Takes the input out of the driver's reach before it stops, so Feed never
// meets an input being destroyed.
class LoopbackInputPort final : public MidiInputPort {
public:
    LoopbackInputPort(std::shared_ptr<LoopbackDriver> driver, std::unique_ptr<LoopbackInput> input)
        : driver_(std::move(driver)), input_(std::move(input))
    {
    }
    ~LoopbackInputPort() override { driver_->Forget(input_.get()); }

    void Start() override { input_->Start(); }
    void Stop() override { input_->Stop(); }

private:
    std::shared_ptr<LoopbackDriver> driver_;
    std::unique_ptr<LoopbackInput> input_;
};

MMRESULT LoopbackDriver::OpenOutput(std::size_t index, std::unique_ptr<MidiOutputPort> &port)
{
    if (index != 0)
        return MMSYSERR_BADDEVICEID;
    // Any number of opens may share the output, as with a software synthesizer.
    port = std::make_unique<LoopbackOutputPort>(shared_from_this());
    return MMSYSERR_NOERROR;
}

MMRESULT LoopbackDriver::OpenInput(std::size_t index, MidiByteSink &sink, std::unique_ptr<MidiInputPort> &port)
{
    if (index != 0)
        return MMSYSERR_BADDEVICEID;
    std::lock_guard lock(mutex_);
    if (input_)
        return MMSYSERR_ALLOCATED;
    auto input = std::make_unique<LoopbackInput>(sink, Environment("HARMONOVA_MIDI_INPUT"));
    if (!input->Ready())
        return MMSYSERR_NOMEM;
    input_ = input.get();
    port = std::make_unique<LoopbackInputPort>(shared_from_this(), std::move(input));
    return MMSYSERR_NOERROR;
}

std::shared_ptr<LoopbackDriver> CurrentLoopback()
{
    return std::dynamic_pointer_cast<LoopbackDriver>(CurrentMidiDriver());
}

} // namespace

std::shared_ptr<MidiDriver> CreateLoopbackDriver()
{
    return std::make_shared<LoopbackDriver>();
}

namespace loopback {

std::vector<std::vector<uint8_t>> Sent()
{
    const auto driver = CurrentLoopback();
    return driver ? driver->Sent() : std::vector<std::vector<uint8_t>>{};
}

void ClearSent()
{
    if (const auto driver = CurrentLoopback())
        driver->ClearSent();
}

bool Feed(const std::vector<uint8_t> &bytes)
{
    const auto driver = CurrentLoopback();
    return driver && driver->Feed(bytes);
}

} // namespace loopback

} // namespace platform
