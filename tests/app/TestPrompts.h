#pragma once

#include "app/Prompts.h"

#include <QString>
#include <functional>
#include <memory>

// The window's prompts with the file dialogs answered by the test (the chosen
// path, empty or unset: cancelled); message boxes and the print dialog stay real.
class TestPrompts : public Prompts {
public:
    // The real dialogs show over window.
    void showOver(QWidget* window) { m_real = std::make_unique<QtPrompts>(window); }

    std::function<QString(const QString& start)> saveFile; // given a name or a path
    std::function<QString(const QString& folder)> openFile;

    void tell(const QString& text, Title title, Tone tone) override
    {
        m_real->tell(text, title, tone);
    }
    bool ask(const QString& question) override { return m_real->ask(question); }
    QString openFileName(const QString& folder, const QString&) override
    {
        return openFile ? openFile(folder) : QString();
    }
    QString saveFileName(const QString& start, const QString&) override
    {
        return saveFile ? saveFile(start) : QString();
    }
    bool choosePrinter(QPrinter& printer) override { return m_real->choosePrinter(printer); }

private:
    std::unique_ptr<Prompts> m_real;
};
