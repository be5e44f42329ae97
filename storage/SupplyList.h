#pragma once

#include "core/Outcome.h"

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

    struct Stored {
        QString text; // the value read back after storing ("" for Null)
        bool cut = false; // the text was longer than the column and was cut
    };

    explicit SupplyList(OvoltaDatabase& db)
        : m_db(db)
    {
    }

    Labels labels(const QString& address) const;

    // Stores the box text for the address: cut to the column's declared size,
    // Null when empty, then read back. The caller shows the text in the box and
    // the status panel and puts the caret at the end when it was cut. Fails
    // with the engine's message, or without one when the address has no row.
    Outcome<Stored> StoreLocation(const QString& address, const QString& text);
    Outcome<Stored> StoreDescription(const QString& address, const QString& text);

private:
    Outcome<Stored> store(const QString& address, const QString& column, const QString& text);

    OvoltaDatabase& m_db;
};
