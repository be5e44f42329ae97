#include "session/ProcessLock.h"

#include <QCryptographicHash>
#include <QDir>
#include <QLockFile>
#include <QStandardPaths>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <csignal>
#endif

namespace {

// File names have at most 255 bytes; QLockFile adds a suffix for its own use.
constexpr qsizetype kLongestEscapedKey = 200;

} // namespace

ProcessLock::ProcessLock(const QString& key, const QString& folder)
{
    const QString dir = folder.isEmpty() ? RuntimeFolder() : folder;
    // The key as a file name: every character outside letters and digits
    // escaped; a key too long for a file name (a deep folder) goes by its hash.
    QByteArray escaped = key.toUtf8().toPercentEncoding();
    if (escaped.size() > kLongestEscapedKey)
        escaped = QCryptographicHash::hash(key.toUtf8(), QCryptographicHash::Sha256).toHex();
    const QString name = QStringLiteral("ovolta-%1.lock").arg(QString::fromLatin1(escaped));
    m_file = std::make_unique<QLockFile>(QDir(dir).filePath(name));
    // Only a dead holder makes a lock stale, never its age: a recording may run for days.
    m_file->setStaleLockTime(0);
}

ProcessLock::~ProcessLock() = default;

bool ProcessLock::tryLock()
{
    return m_file->isLocked() || m_file->tryLock(0);
}

void ProcessLock::unlock()
{
    if (m_file->isLocked())
        m_file->unlock();
}

bool ProcessLock::isLocked() const
{
    return m_file->isLocked();
}

std::optional<ProcessLock::Holder> ProcessLock::holder() const
{
    Holder holder;
    QString host;
    if (!m_file->getLockInfo(&holder.pid, &host, &holder.program))
        return std::nullopt;
    return holder;
}

bool ProcessLock::heldByAnother() const
{
    if (m_file->isLocked())
        return false;
    const std::optional<Holder> h = holder();
    if (!h || h->pid <= 0)
        return false;
#ifdef Q_OS_UNIX
    // Signal 0 only asks whether the process is there.
    return ::kill(static_cast<pid_t>(h->pid), 0) == 0 || errno == EPERM;
#else
    return true;
#endif
}

QString ProcessLock::holderText() const
{
    const std::optional<Holder> h = holder();
    if (!h)
        return QStringLiteral("another program");
    return QStringLiteral("%1 (pid %2)")
        .arg(h->program.isEmpty() ? QStringLiteral("another program") : h->program)
        .arg(h->pid);
}

QString ProcessLock::RuntimeFolder()
{
#ifdef Q_OS_UNIX
    // Without a session's runtime folder Qt would warn on every call and make
    // one up; the temporary folder serves every user alike.
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR"))
        return QDir::tempPath();
#endif
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    return folder.isEmpty() ? QDir::tempPath() : folder;
}
