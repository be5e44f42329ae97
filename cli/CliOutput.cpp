#include "cli/CliOutput.h"

#include <QIODevice>
#include <QJsonDocument>

CliOutput::CliOutput(QIODevice& out, QIODevice& err, bool json)
    : m_out(out)
    , m_err(err)
    , m_json(json)
{
}

bool CliOutput::result(const QString& plain, const QJsonObject& json)
{
    if (m_json)
        return write(m_out, QJsonDocument(json).toJson(QJsonDocument::Compact) + '\n');
    return text(plain);
}

bool CliOutput::text(const QString& plain)
{
    return m_json || write(m_out, plain.toUtf8() + '\n');
}

void CliOutput::message(const QString& text)
{
    note(QStringLiteral("ovolta-cli: ") + text);
}

void CliOutput::note(const QString& text)
{
    write(m_err, text.toUtf8() + '\n');
}

bool CliOutput::write(QIODevice& device, const QByteArray& bytes)
{
    return device.write(bytes) == bytes.size();
}
