#include "storage/SupplyList.h"

#include "storage/OvoltaDatabase.h"
#include "storage/TextLimits.h"

namespace {

const QString kSelectRow = QStringLiteral(
    "SELECT rowid, \"Location\", \"Description\" FROM \"MultiPS\" WHERE \"AddressID\" = ?1 "
    "ORDER BY rowid LIMIT 1");

} // namespace

SupplyList::Labels SupplyList::labels(const QString& address) const
{
    Labels labels;
    SqlStatement query = m_db.sql().prepare(kSelectRow);
    query.bindText(1, address);
    if (query.step() != SqlStatement::Step::Row)
        return labels;
    labels.found = true;
    labels.location = query.text(1);
    labels.description = query.text(2);
    return labels;
}

Outcome<SupplyList::Stored> SupplyList::StoreLocation(const QString& address, const QString& text)
{
    return store(address, QStringLiteral("Location"), text);
}

Outcome<SupplyList::Stored> SupplyList::StoreDescription(
    const QString& address, const QString& text)
{
    return store(address, QStringLiteral("Description"), text);
}

Outcome<SupplyList::Stored> SupplyList::store(
    const QString& address, const QString& column, const QString& text)
{
    SqlStatement find = m_db.sql().prepare(kSelectRow);
    find.bindText(1, address);
    if (find.step() != SqlStatement::Step::Row)
        return Failure { find.error() };
    const qint64 rowid = find.integer(0);
    find.reset();

    Stored stored;
    QString value = text;
    if (const std::optional<int> size = m_db.declaredSize(QStringLiteral("MultiPS"), column)) {
        value = TextLimits::CutToLength(text, *size);
        stored.cut = value.size() < text.size();
    }
    const QString quoted = SqlDatabase::quoteIdentifier(column);
    SqlStatement update = m_db.sql().prepare(QStringLiteral("UPDATE \"MultiPS\" SET ") + quoted
        + QStringLiteral(" = ?1 WHERE rowid = ?2"));
    update.bindTextOrNull(1, value).bindInt(2, rowid);
    if (!update.run())
        return Failure { update.error() };

    SqlStatement readBack = m_db.sql().prepare(
        QStringLiteral("SELECT ") + quoted + QStringLiteral(" FROM \"MultiPS\" WHERE rowid = ?1"));
    readBack.bindInt(1, rowid);
    if (readBack.step() != SqlStatement::Step::Row)
        return Failure { readBack.error() };
    stored.text = readBack.text(0);
    return stored;
}
