#pragma once

#include <QJsonObject>
#include <QString>

class QIODevice;

// Where results go: a plain line for people, or one JSON object per line
// (JSON Lines) with --json. Messages go to the error stream.
class CliOutput {
public:
    CliOutput(QIODevice& out, QIODevice& err, bool json);

    // False when the output is gone (a closed pipe): the caller ends.
    bool result(const QString& plain, const QJsonObject& json);
    // Plain text only (it has no JSON form): ignored with --json.
    bool text(const QString& plain);
    // "ovolta-cli: text" on the error stream.
    void message(const QString& text);
    // Text as it is on the error stream.
    void note(const QString& text);
    bool json() const { return m_json; }

private:
    bool write(QIODevice& device, const QByteArray& bytes);

    QIODevice& m_out;
    QIODevice& m_err;
    bool m_json;
};
