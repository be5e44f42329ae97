#pragma once

#include <QString>

class QPrinter;
class QWidget;

// Everything that stops to ask the user: OK-only messages, yes/no questions,
// the file dialogs and the print dialog. The controllers reach the user only
// through it, so that the one place showing real dialogs can be swapped.
class Prompts {
public:
    // Whose name a message box carries: the application's, or the window's
    // own title (which names the supply's rating).
    enum class Title { Application, Window };
    enum class Tone { Plain, Warning };

    virtual ~Prompts() = default;

    // An OK-only message.
    virtual void tell(
        const QString& text, Title title = Title::Application, Tone tone = Tone::Plain)
        = 0;
    // A yes/no question; No is the default answer.
    virtual bool ask(const QString& question) = 0;
    // A file to read, or empty when the user cancelled.
    virtual QString openFileName(const QString& folder, const QString& filter) = 0;
    // A file to write, starting from start (a name or a path), or empty when the
    // user cancelled. The dialog asks no overwrite question of its own.
    virtual QString saveFileName(const QString& start, const QString& filter) = 0;
    // The print dialog on printer; false when the user cancelled.
    virtual bool choosePrinter(QPrinter& printer) = 0;
};

// The real Qt dialogs, over the given window.
class QtPrompts : public Prompts {
public:
    explicit QtPrompts(QWidget* window);

    void tell(const QString& text, Title title, Tone tone) override;
    bool ask(const QString& question) override;
    QString openFileName(const QString& folder, const QString& filter) override;
    QString saveFileName(const QString& start, const QString& filter) override;
    bool choosePrinter(QPrinter& printer) override;

private:
    QWidget* m_window;
};
