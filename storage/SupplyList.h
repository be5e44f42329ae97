#pragma once

#include <QString>

class OvoltaDatabase;

// Location and description remembered per bus address ("00" to "31").
class SupplyList {
public:
    struct Labels {
        bool found = false; // the address has a row
        QString location; // Null reads as empty
        QString description;
    };

    struct StoreResult {
        bool found = false; // false: no row for the address, nothing stored
        QString stored; // the value read back after storing ("" for Null)
        bool cut = false; // the text was longer than the column and was cut
        QString error; // the engine's message when storing failed
    };

    explicit SupplyList(OvoltaDatabase& db)
        : m_db(db)
    {
    }

    Labels labels(const QString& address) const;

    // Stores the box text for the address: cut to the column's declared size,
    // Null when empty, then read back. The caller shows `stored` in the box and
    // the status panel and puts the caret at the end when `cut`.
    StoreResult StoreLocation(const QString& address, const QString& text);
    StoreResult StoreDescription(const QString& address, const QString& text);

private:
    StoreResult store(const QString& address, const QString& column, const QString& text);

    OvoltaDatabase& m_db;
};
