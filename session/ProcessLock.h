#pragma once

#include <QString>

#include <memory>
#include <optional>

class QLockFile;

// One process at a time on a resource (a serial device, a data folder): a lock
// file in the user's runtime folder, named after the resource. A lock left
// behind by a process that has died is taken over; a live holder keeps it for
// as long as it runs, however long that is.
//
//     ProcessLock lock(QFileInfo(folder).canonicalFilePath());
//     if (!lock.tryLock()) { show lock.holderText(); exit 1; }
class ProcessLock {
public:
    struct Holder {
        qint64 pid = 0;
        QString program; // the holder's executable name, "ovolta-panel"
    };

    // folder: where the lock files live; the user's runtime folder when empty.
    explicit ProcessLock(const QString& key, const QString& folder = {});
    ~ProcessLock();

    bool tryLock();
    void unlock();
    bool isLocked() const;
    // Who holds it, after tryLock failed.
    std::optional<Holder> holder() const;
    // A live process holds it: read from the lock file, without taking it, so
    // that looking never keeps the holder's rival out.
    bool heldByAnother() const;
    // "ovolta-panel (pid 1234)", or "another program" when the file says nothing.
    QString holderText() const;

    static QString RuntimeFolder();

private:
    std::unique_ptr<QLockFile> m_file;
};
