#pragma once

#include "platform/MidiApi.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// Every case starts with a freshly chosen driver and none of the MIDI
// environment variables but the driver's, and leaves the loopback behind.
class MidiDriverTest : public testing::Test {
protected:
    void SetUp() override
    {
        unsetenv("HARMONOVA_MIDI_LOG");
        unsetenv("HARMONOVA_MIDI_INPUT");
        UseDriver("loopback");
    }

    void TearDown() override
    {
        unsetenv("HARMONOVA_MIDI_LOG");
        unsetenv("HARMONOVA_MIDI_INPUT");
        UseDriver("loopback");
    }

    // nullptr: the desktop driver (synthesizer and ALSA).
    static void UseDriver(const char *name)
    {
        if (name)
            setenv("HARMONOVA_MIDI", name, 1);
        else
            unsetenv("HARMONOVA_MIDI");
        platform::MidiDriverResetForTest();
    }
};

// What a callback was told, with a copy of a returned buffer's bytes taken
// at the time (the buffer may be refilled later).
struct Notice {
    uint32_t msg = 0;
    uintptr_t param1 = 0;
    uintptr_t param2 = 0;
    std::thread::id thread;
    std::vector<uint8_t> data;
    uint32_t flags = 0;
};

class CallbackLog {
public:
    static void Callback(void * /*handle*/, uint32_t msg, uintptr_t instance, uintptr_t param1, uintptr_t param2)
    {
        auto *log = reinterpret_cast<CallbackLog *>(instance);
        Notice notice{msg, param1, param2, std::this_thread::get_id(), {}, 0};
        if (msg == platform::MIM_LONGDATA || msg == platform::MIM_LONGERROR || msg == platform::MOM_DONE) {
            const auto *header = reinterpret_cast<const platform::MIDIHDR *>(param1);
            const uint32_t length = msg == platform::MOM_DONE ? header->dwBufferLength : header->dwBytesRecorded;
            notice.data.assign(header->lpData, header->lpData + length);
            notice.flags = header->dwFlags;
        }
        std::lock_guard lock(log->mutex_);
        log->notices_.push_back(std::move(notice));
        log->changed_.notify_all();
    }

    uintptr_t Instance() { return reinterpret_cast<uintptr_t>(this); }

    // The notices of the kinds asked for, once count of them arrived (or
    // after a generous wait, so a fault fails the test instead of hanging it).
    std::vector<Notice> WaitFor(std::size_t count, std::vector<uint32_t> kinds = DataKinds())
    {
        std::unique_lock lock(mutex_);
        changed_.wait_for(lock, std::chrono::seconds(10), [&] { return Of(kinds).size() >= count; });
        return Of(kinds);
    }

    std::vector<Notice> All()
    {
        std::lock_guard lock(mutex_);
        return notices_;
    }

    static std::vector<uint32_t> DataKinds()
    {
        return {platform::MIM_DATA, platform::MIM_LONGDATA, platform::MIM_LONGERROR};
    }

private:
    std::vector<Notice> Of(const std::vector<uint32_t> &kinds) const
    {
        std::vector<Notice> found;
        for (const Notice &notice : notices_)
            for (uint32_t kind : kinds)
                if (notice.msg == kind)
                    found.push_back(notice);
        return found;
    }

    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<Notice> notices_;
};

// A system-exclusive buffer as a program hands it to a driver.
struct SysexBuffer {
    explicit SysexBuffer(uint32_t size) : bytes(size)
    {
        header.lpData = bytes.data();
        header.dwBufferLength = size;
    }
    std::vector<char> bytes;
    platform::MIDIHDR header;
};
