#include "storage/SqlTransaction.h"

#include "storage/SqlDatabase.h"

SqlTransaction::SqlTransaction(SqlDatabase& db)
    : m_db(db)
{
    m_active = m_db.exec(QStringLiteral("BEGIN IMMEDIATE"));
    if (!m_active)
        m_error = m_db.lastError();
}

SqlTransaction::~SqlTransaction()
{
    if (m_active)
        m_db.exec(QStringLiteral("ROLLBACK"));
}

bool SqlTransaction::commit()
{
    if (!m_active)
        return false;
    if (!m_db.exec(QStringLiteral("COMMIT"))) {
        m_error = m_db.lastError();
        return false;
    }
    m_active = false;
    return true;
}
