#include "sim/PtySupply.h"

#include <QDir>
#include <QSocketNotifier>
#include <QTimer>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace {

QString systemError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

// One trace line per command: bytes that are not printable are shown as \xHH.
QByteArray escaped(const QByteArray& line)
{
    QByteArray text;
    for (const char c : line) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte <= 0x7e && c != '\\')
            text += c;
        else
            text += "\\x" + QByteArray::number(byte, 16).rightJustified(2, '0');
    }
    return text;
}

} // namespace

PtySupply::PtySupply(
    const Clock& clock, VirtualSupply& supply, const QString& dataDir, int port, QObject* parent)
    : QObject(parent)
    , m_clock(clock)
    , m_supply(supply)
    , m_dataDir(dataDir)
    , m_port(port)
{
}

PtySupply::~PtySupply()
{
    stop();
}

QString PtySupply::linkPath() const
{
    return QDir(m_dataDir).filePath(QStringLiteral("ports/Com%1").arg(m_port));
}

bool PtySupply::setTrace(const QString& path, QString* error)
{
    auto trace = std::make_unique<QFile>(path);
    if (!trace->open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text)) {
        *error
            = QStringLiteral("cannot write the trace file %1: %2").arg(path, trace->errorString());
        return false;
    }
    m_trace = std::move(trace);
    return true;
}

bool PtySupply::start(QString* error)
{
    const QString portsDir = QDir(m_dataDir).filePath(QStringLiteral("ports"));
    if (!QDir().mkpath(portsDir) || !QFileInfo(portsDir).isDir()) {
        if (error)
            *error = QStringLiteral("cannot create the folder %1").arg(portsDir);
        return false;
    }
    if (!openTerminal(error))
        return false;
    if (!makeLink(error)) {
        closeTerminal();
        return false;
    }
    return true;
}

void PtySupply::stop()
{
    if (!isRunning())
        return;
    const QByteArray link = QFile::encodeName(linkPath());
    char target[512] = {};
    const ssize_t size = ::readlink(link.constData(), target, sizeof target - 1);
    // Another instance may have taken the name over; leave its link alone.
    if (size > 0 && QFile::decodeName(QByteArray(target, size)) == m_slavePath)
        ::unlink(link.constData());
    closeTerminal();
}

bool PtySupply::replug(QString* error)
{
    stop();
    return start(error);
}

bool PtySupply::openTerminal(QString* error)
{
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0) {
        if (error)
            *error = QStringLiteral("cannot open a pseudo-terminal: %1").arg(systemError());
        return false;
    }
    char name[128] = {};
    if (::grantpt(master) != 0 || ::unlockpt(master) != 0
        || ::ptsname_r(master, name, sizeof name) != 0) {
        if (error)
            *error = QStringLiteral("cannot set up the pseudo-terminal: %1").arg(systemError());
        ::close(master);
        return false;
    }
    const int slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    termios settings {};
    if (slave < 0 || ::tcgetattr(slave, &settings) != 0) {
        if (error)
            *error
                = QStringLiteral("cannot open %1: %2").arg(QFile::decodeName(name), systemError());
        if (slave >= 0)
            ::close(slave);
        ::close(master);
        return false;
    }
    ::cfmakeraw(&settings);
    ::cfsetispeed(&settings, B9600);
    ::cfsetospeed(&settings, B9600);
    ::tcsetattr(slave, TCSANOW, &settings);
    ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
    ::fcntl(master, F_SETFD, FD_CLOEXEC);

    m_master = master;
    m_slave = slave;
    m_slavePath = QFile::decodeName(name);
    ++m_generation;
    m_lines.clear();
    m_notifier = std::make_unique<QSocketNotifier>(m_master, QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &PtySupply::readMaster);
    return true;
}

bool PtySupply::makeLink(QString* error)
{
    const QByteArray link = QFile::encodeName(linkPath());
    struct stat status { };
    if (::lstat(link.constData(), &status) == 0) {
        if (!S_ISLNK(status.st_mode)) {
            *error
                = QStringLiteral("%1 exists and is not a link; not replacing it").arg(linkPath());
            return false;
        }
        // A link left behind by an earlier run.
        if (::unlink(link.constData()) != 0) {
            if (error)
                *error = QStringLiteral("cannot remove the old link %1: %2")
                             .arg(linkPath(), systemError());
            return false;
        }
    }
    if (::symlink(QFile::encodeName(m_slavePath).constData(), link.constData()) != 0) {
        if (error)
            *error = QStringLiteral("cannot create the link %1: %2").arg(linkPath(), systemError());
        return false;
    }
    return true;
}

void PtySupply::closeTerminal()
{
    m_notifier.reset();
    if (m_slave >= 0)
        ::close(m_slave);
    if (m_master >= 0)
        ::close(m_master);
    m_master = m_slave = -1;
    m_slavePath.clear();
}

void PtySupply::readMaster()
{
    char buffer[512];
    for (;;) {
        const ssize_t count = ::read(m_master, buffer, sizeof buffer);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            break;
        for (const QByteArray& line : m_lines.feed(QByteArray(buffer, count)))
            handleLine(line);
        // A handler may have closed the terminal (replug from a slot).
        if (m_master < 0)
            break;
    }
}

void PtySupply::handleLine(const QByteArray& line)
{
    traceLine(line);
    Q_EMIT lineReceived(line);
    if (m_unplugged)
        return;
    const quint64 generation = m_generation;
    for (const VirtualSupply::ReplyPiece& piece : m_supply.respond(line)) {
        if (piece.delayMs <= 0) {
            writeMaster(piece.bytes);
            continue;
        }
        const QByteArray bytes = piece.bytes;
        QTimer::singleShot(piece.delayMs, this, [this, generation, bytes]() {
            if (generation == m_generation)
                writeMaster(bytes);
        });
    }
}

void PtySupply::writeMaster(const QByteArray& bytes)
{
    qsizetype done = 0;
    while (m_master >= 0 && done < bytes.size()) {
        const ssize_t count
            = ::write(m_master, bytes.constData() + done, static_cast<size_t>(bytes.size() - done));
        if (count < 0 && errno == EINTR)
            continue;
        // A full line with nobody reading: the rest is lost, as on a real cable.
        if (count <= 0)
            return;
        done += count;
    }
}

void PtySupply::traceLine(const QByteArray& line)
{
    if (!m_trace)
        return;
    m_trace->write(QByteArray::number(m_clock.monotonicMs()) + ' ' + escaped(line) + '\n');
    m_trace->flush();
}
