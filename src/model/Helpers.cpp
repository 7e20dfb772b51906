#include "model/Helpers.h"

#include "model/Declare.h"
#include "platform/Exception.h"
#include "platform/Registry.h"
#include "platform/TickCount.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QRegularExpression>
#include <QTimer>

#include <algorithm>
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

// Sleeps until an event arrives or the time is up, then processes what came.
void ProcessEventsWithin(uint32_t milliseconds)
{
    const int bounded = static_cast<int>(std::min<uint32_t>(milliseconds, INT_MAX));
    if (!QAbstractEventDispatcher::instance()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(bounded));
        return;
    }
    QTimer deadline;
    deadline.setSingleShot(true);
    deadline.setTimerType(Qt::PreciseTimer);
    deadline.start(bounded);
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
    const uint32_t start = platform::GetTickCount();
    // The count moves in whole milliseconds, so the wait may have begun just
    // before a tick: one tick more makes sure the full time has passed.
    const uint32_t ticks = milliseconds > 0 ? static_cast<uint32_t>(milliseconds) + 1 : 0;
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    // Unsigned subtraction gives the time passed across the count's wrap.
    for (uint32_t passed = platform::GetTickCount() - start; passed < ticks; passed = platform::GetTickCount() - start)
        ProcessEventsWithin(ticks - passed);
}

} // namespace model
