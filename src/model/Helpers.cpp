#include "model/Helpers.h"

#include "model/Declare.h"
#include "platform/Exception.h"
#include "platform/Registry.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QRegularExpression>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <climits>
#include <thread>

namespace model {

namespace {

// Leading blanks and a sign are allowed, as in the standard conversion.
int StrToInt(const QString &text)
{
    static const QRegularExpression wholeNumber(QStringLiteral("^ *[+-]?[0-9]+$"));
    bool ok = false;
    const int number = wholeNumber.match(text).hasMatch() ? text.trimmed().toInt(&ok, 10) : 0;
    if (!ok)
        throw platform::Exception(QStringLiteral("'%1' n'est pas une valeur entière correcte").arg(text));
    return number;
}

// The "http=" entry runs up to the next ";" or the end of the text. Its host
// ends at the entry's first ":", and without one the whole entry is the host
// on port 80: nothing is taken from another protocol's entry.
void TakeHttpEntry(const QString &proxy, qsizetype at)
{
    const qsizetype start = at + 5;
    const qsizetype semicolon = proxy.indexOf(';', start);
    const QString entry = proxy.mid(start, semicolon < 0 ? -1 : semicolon - start);
    const qsizetype colon = entry.indexOf(':');
    ProxyHost = colon < 0 ? entry : entry.first(colon);
    ProxyPort = colon < 0 ? 80 : StrToInt(entry.mid(colon + 1));
}

using Clock = std::chrono::steady_clock;

// Raised by CancelDelays: a wait that sees it change returns.
std::atomic<uint64_t> DelaysCancelled{0};

// Qt's timers count whole milliseconds and may wake up to one late, so the
// event loop is left a little early and the last stretch (under three
// milliseconds) is slept out on the clock itself; a click that comes then
// waits no longer than that to be handled.
constexpr auto SleptOut = std::chrono::milliseconds(2);

// Sleeps until an event arrives or the time left is nearly up, then
// processes what came.
void ProcessEventsWithin(Clock::duration left)
{
    const int64_t early = std::chrono::duration_cast<std::chrono::milliseconds>(left - SleptOut).count();
    if (early <= 0 || !QAbstractEventDispatcher::instance()) {
        // Short slices, so that a cancel from another thread is seen soon.
        std::this_thread::sleep_for(std::min<Clock::duration>(left, std::chrono::milliseconds(10)));
        return;
    }
    QTimer deadline;
    deadline.setSingleShot(true);
    deadline.setTimerType(Qt::PreciseTimer);
    deadline.start(static_cast<int>(std::min<int64_t>(early, INT_MAX)));
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

} // namespace

void ReadProxySettings()
{
    ProxyEnabled = false;
    QString proxy;
    {
        platform::TRegistry registry;
        registry.RootKey = platform::HKEY_CURRENT_USER;
        registry.OpenKey(platform::InternetSettingsKey, true);
        if (registry.ValueExists("ProxyEnable"))
            ProxyEnabled = registry.ReadInteger("ProxyEnable") != 0;
        if (registry.ValueExists("ProxyServer"))
            proxy = registry.ReadString("ProxyServer");
    }
    const qsizetype at = proxy.indexOf(QLatin1String("http="), 0, Qt::CaseSensitive);
    if (at >= 0)
        TakeHttpEntry(proxy, at);
}

bool MidiOutConfigured()
{
    return !MidiIFOut.isEmpty();
}

void Delay(int milliseconds)
{
    // A deadline on the monotonic clock: neither the millisecond steps of the
    // tick count nor its wrap can stretch or end the wait.
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(std::max(milliseconds, 0));
    const uint64_t cancelled = DelaysCancelled.load();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    while (DelaysCancelled.load() == cancelled) {
        const Clock::duration left = deadline - Clock::now();
        if (left <= Clock::duration::zero())
            return;
        ProcessEventsWithin(left);
    }
}

bool ProcessEventsUntil(const std::function<bool()> &done)
{
    const uint64_t cancelled = DelaysCancelled.load();
    while (!done()) {
        if (DelaysCancelled.load() != cancelled)
            return false;
        if (QAbstractEventDispatcher::instance())
            QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
        else
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

void CancelDelays()
{
    ++DelaysCancelled;
    // A wait asleep in the event loop wakes up to see it.
    if (const QCoreApplication *application = QCoreApplication::instance())
        if (QAbstractEventDispatcher *dispatcher = QAbstractEventDispatcher::instance(application->thread()))
            dispatcher->wakeUp();
}

} // namespace model
