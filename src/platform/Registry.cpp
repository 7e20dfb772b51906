#include "platform/Registry.h"

#include "platform/Exception.h"
#include "platform/RegularFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QUrl>

#include <sys/stat.h>
#include <time.h>

#include <algorithm>
#include <utility>

namespace platform {

namespace {

bool HasControlCharacter(const QString &text)
{
    return std::any_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x20; });
}

QString RootName(HKEY root)
{
    return root == HKEY_LOCAL_MACHINE ? "HKEY_LOCAL_MACHINE" : "HKEY_CURRENT_USER";
}

Exception CannotOpen(const QString &fileName, const QString &why)
{
    return Exception(QStringLiteral("Le fichier de registre « %1 » ne peut pas être ouvert : %2.").arg(fileName, why));
}

RegDocument LoadRegistryFile(const QString &fileName)
{
    const TFileRead read = ReadRegularFile(fileName);
    switch (read.Result) {
    case TFileRead::Read:
        return ParseRegFile(read.Bytes, fileName);
    case TFileRead::Missing:
        return {};
    case TFileRead::NotRegular:
        throw CannotOpen(fileName, QStringLiteral("ce n'est pas un fichier ordinaire"));
    case TFileRead::TooLarge:
    case TFileRead::Failed:
        break;
    }
    throw CannotOpen(fileName, read.Error);
}

void SaveRegistryFile(const QString &fileName, const RegDocument &document)
{
    const QString folder = QFileInfo(fileName).absolutePath();
    if (!QDir().mkpath(folder))
        throw Exception(QStringLiteral("Le dossier « %1 » ne peut pas être créé.").arg(folder));
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly) || file.write(FormatRegFile(document)) < 0 || !file.commit())
        throw Exception(QStringLiteral("Le fichier de registre « %1 » ne peut pas être enregistré : %2.")
                            .arg(fileName, file.errorString()));
}

// http_proxy as "host:port": "http://host:3128/", "host:3128" or "host"
// (port 80). Anything the version check could not use as an HTTP proxy gives
// nothing.
QString ProxyFromEnvironment()
{
    QString text = qEnvironmentVariable("http_proxy").trimmed();
    if (text.isEmpty())
        text = qEnvironmentVariable("HTTP_PROXY").trimmed();
    if (text.isEmpty())
        return {};
    if (!text.contains(QLatin1String("://")))
        text.prepend(QLatin1String("http://"));
    const QUrl url(text, QUrl::StrictMode);
    if (!url.isValid() || url.scheme() != QLatin1String("http") || url.host().isEmpty() || url.host().contains(':'))
        return {};
    return url.host() + ':' + QString::number(url.port(80));
}

// The 8-bit interface hands text over as one byte per character.
int AnsiSize(const RegValue &value)
{
    const bool text = value.Type == REG_SZ || value.Type == REG_EXPAND_SZ;
    return static_cast<int>(text ? (value.Data.size() + 1) / 2 : value.Data.size());
}

Exception ReadFailed(const QString &name)
{
    return Exception(QStringLiteral("Echec à l'obtention des données pour '%1'").arg(name));
}

Exception WrongType(const QString &name)
{
    return Exception(QStringLiteral("Type de données incorrect pour '%1'").arg(name));
}

// The cause, when known, goes on a line of its own under the message.
Exception WriteFailed(const QString &name, const QString &cause)
{
    QString message = QStringLiteral("Echec à la définition des données pour '%1'").arg(name);
    if (!cause.isEmpty())
        message += '\n' + cause;
    return Exception(message);
}

} // namespace

QString RegistryFileName()
{
    const QString named = qEnvironmentVariable("HARMONOVA_REGISTRY");
    if (!named.isEmpty())
        return named;
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (config.isEmpty() || QDir::isRelativePath(config))
        config = QDir::homePath() + QStringLiteral("/.config");
    return config + QStringLiteral("/harmonova/registry.reg");
}

QString TRegistry::FullPath(const QString &key) const
{
    const bool relative = !key.startsWith('\\') && HasCurrentKey();
    QStringList parts = relative ? keyPath_.split('\\') : QStringList{RootName(RootKey)};
    parts += key.split('\\', Qt::SkipEmptyParts);
    return parts.join('\\');
}

bool TRegistry::OpenKey(const QString &key, bool canCreate)
{
    openFailure_.clear();
    if (HasControlCharacter(key))
        return false;
    const QString path = FullPath(key);
    const QString fileName = RegistryFileName();
    try {
        RegDocument document = Read(fileName);
        for (const Change &change : kept_)
            if (change.FileName == fileName)
                Apply(change, document);
        if (!document.Find(path)) {
            if (!canCreate)
                return false;
            const Change created{Change::Create, fileName, path, {}, {}};
            if (updating_)
                kept_.append(created);
            else
                Store({created});
            Apply(created, document);
        }
        fileName_ = fileName;
        environmentProxy_ = ProxyFromEnvironment();
        Attach(document, path);
        return true;
    } catch (const Exception &e) {
        openFailure_ = e.Message();
        return false;
    }
}

std::optional<TRegistry::FileStamp> TRegistry::StampOf(const QString &fileName)
{
    struct stat info;
    if (stat(QFile::encodeName(fileName).constData(), &info) != 0)
        return std::nullopt;
    const auto nanoseconds = [](const timespec &t) { return qint64(t.tv_sec) * 1000000000 + t.tv_nsec; };
    return FileStamp{info.st_dev, info.st_ino, info.st_size, nanoseconds(info.st_mtim), nanoseconds(info.st_ctim)};
}

// The file system keeps times in coarse ticks, so two writes in place within
// one tick leave the same time behind. Only a file whose last write is well
// in the past is told apart from its next version by its stamp.
bool TRegistry::FileStamp::Settled() const
{
    timespec now;
    clock_gettime(CLOCK_REALTIME, &now);
    constexpr qint64 Margin = 100'000'000; // ns, many ticks
    return qint64(now.tv_sec) * 1'000'000'000 + now.tv_nsec - Modified > Margin;
}

// The file is stamped before and after it is read: a file that changed
// meanwhile, or may still change unseen, is not remembered.
RegDocument TRegistry::Read(const QString &fileName)
{
    const std::optional<FileStamp> stamp = StampOf(fileName);
    if (stamp && snapshot_ && snapshot_->FileName == fileName && snapshot_->Stamp == *stamp)
        return snapshot_->Document;
    snapshot_.reset();
    RegDocument document = LoadRegistryFile(fileName);
    if (stamp && stamp->Settled() && StampOf(fileName) == stamp)
        snapshot_ = Snapshot{fileName, *stamp, document};
    return document;
}

void TRegistry::CloseKey()
{
    keyPath_.clear();
    key_ = {};
    presented_.clear();
}

void TRegistry::Attach(const RegDocument &document, const QString &path)
{
    keyPath_ = path;
    key_ = *document.Find(path);
    openFailure_.clear();
    presented_.clear();
    const bool internetSettings =
        path.compare(RootName(HKEY_CURRENT_USER) + '\\' + InternetSettingsKey, Qt::CaseInsensitive) == 0;
    if (internetSettings && !environmentProxy_.isEmpty() && !key_.Find(QStringLiteral("ProxyServer"))) {
        presented_.append({QStringLiteral("ProxyEnable"), REG_DWORD, DwordData(1)});
        presented_.append({QStringLiteral("ProxyServer"), REG_SZ, StringData("http=" + environmentProxy_)});
    }
}

const RegValue *TRegistry::Find(const QString &name) const
{
    if (!HasCurrentKey())
        return nullptr;
    if (const RegValue *stored = key_.Find(name))
        return stored;
    const auto shown = std::find_if(presented_.begin(), presented_.end(), [&](const RegValue &value) {
        return value.Name.compare(name, Qt::CaseInsensitive) == 0;
    });
    return shown == presented_.end() ? nullptr : &*shown;
}

TRegDataType TRegistry::GetDataType(const QString &name) const
{
    const RegValue *value = Find(name);
    switch (value ? value->Type : REG_NONE) {
    case REG_SZ:
        return rdString;
    case REG_EXPAND_SZ:
        return rdExpandString;
    case REG_DWORD:
        return rdInteger;
    case REG_BINARY:
        return rdBinary;
    default:
        return rdUnknown;
    }
}

int TRegistry::GetDataSize(const QString &name) const
{
    const RegValue *value = Find(name);
    return value ? AnsiSize(*value) : -1;
}

int TRegistry::ReadInteger(const QString &name) const
{
    const RegValue *value = Find(name);
    if (!value || AnsiSize(*value) > 4)
        throw ReadFailed(name);
    if (value->Type != REG_DWORD)
        throw WrongType(name);
    return static_cast<int32_t>(DwordOfData(value->Data));
}

QString TRegistry::ReadString(const QString &name) const
{
    const RegValue *value = Find(name);
    if (!value || value->Data.isEmpty())
        return {};
    if (value->Type != REG_SZ && value->Type != REG_EXPAND_SZ)
        throw WrongType(name);
    const QString text = TextOfData(value->Data);
    const qsizetype end = text.indexOf(QChar(0));
    return end < 0 ? text : text.first(end);
}

void TRegistry::WriteInteger(const QString &name, int value)
{
    Write(name, REG_DWORD, DwordData(static_cast<uint32_t>(value)));
}

void TRegistry::WriteString(const QString &name, const QString &value)
{
    Write(name, REG_SZ, StringData(value));
}

void TRegistry::WriteExpandString(const QString &name, const QString &value)
{
    Write(name, REG_EXPAND_SZ, StringData(value));
}

void TRegistry::BeginUpdate()
{
    updating_ = true;
}

void TRegistry::EndUpdate()
{
    updating_ = false;
    Store(std::exchange(kept_, {}));
}

void TRegistry::Write(const QString &name, uint32_t type, const QByteArray &data)
{
    if (HasControlCharacter(name))
        throw WriteFailed(name, {});
    Change change{Change::Set, fileName_, keyPath_, openFailure_, {name, type, data, {}}};
    if (!updating_) {
        Store({change});
        return;
    }
    if (HasCurrentKey())
        key_.Set(change.Value);
    kept_.append(change);
}

bool TRegistry::DeleteValue(const QString &name)
{
    if (!HasCurrentKey())
        return false;
    if (updating_) {
        if (!key_.Remove(name))
            return false;
        kept_.append({Change::Delete, fileName_, keyPath_, {}, {name, REG_NONE, {}, {}}});
        return true;
    }
    try {
        RegDocument document = Read(fileName_);
        RegKey *key = document.Find(keyPath_);
        if (!key || !key->Remove(name))
            return false;
        SaveRegistryFile(fileName_, document);
        Attach(document, keyPath_);
        return true;
    } catch (const Exception &) {
        return false;
    }
}

void TRegistry::Apply(const Change &change, RegDocument &document)
{
    switch (change.What) {
    case Change::Create:
        document.Add(change.Path);
        break;
    case Change::Set:
        document.Add(change.Path).Set(change.Value);
        break;
    case Change::Delete:
        if (RegKey *key = document.Find(change.Path))
            key->Remove(change.Value.Name);
        break;
    }
}

// Each file named is read afresh, changed and replaced once. A failure names
// the first value the failed changes write, as a single write would.
void TRegistry::Store(const QList<Change> &changes)
{
    const auto unopened =
        std::find_if(changes.begin(), changes.end(), [](const Change &change) { return change.Path.isEmpty(); });
    if (unopened != changes.end())
        throw WriteFailed(unopened->Value.Name, unopened->Failure);
    for (auto first = changes.begin(); first != changes.end();) {
        const QString fileName = first->FileName;
        const auto end =
            std::find_if(first, changes.end(), [&](const Change &change) { return change.FileName != fileName; });
        try {
            RegDocument document = Read(fileName);
            std::for_each(first, end, [&](const Change &change) { Apply(change, document); });
            SaveRegistryFile(fileName, document);
            if (HasCurrentKey() && fileName == fileName_ && document.Find(keyPath_))
                Attach(document, keyPath_);
        } catch (const Exception &e) {
            const auto named =
                std::find_if(first, end, [](const Change &change) { return change.What != Change::Create; });
            if (named == end)
                throw;
            throw WriteFailed(named->Value.Name, e.Message());
        }
        first = end;
    }
}

} // namespace platform
