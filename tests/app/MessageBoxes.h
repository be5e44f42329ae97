#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QScopedValueRollback>
#include <QStringList>
#include <QTimer>

#include <functional>
#include <utility>

// Answers the message boxes shown while it lives with the given buttons in order, then with
// `answer` (else OK, else No), and keeps their texts; a missing button is noted in the texts.
// Other dialogs are noted by class in `dialogs` and handed to `onDialog`, else rejected.
class MessageBoxes {
public:
    using Button = QMessageBox::StandardButton;

    explicit MessageBoxes(QList<Button> answers = {})
        : m_answers(std::move(answers))
    {
        m_timer.setInterval(0);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { answerActive(); });
        m_timer.start();
    }

    void clear()
    {
        texts.clear();
        dialogs.clear();
        buttons = {};
        allOkOnly = true;
    }

    QStringList texts;
    QMessageBox::StandardButtons buttons; // of the latest box
    bool allOkOnly = true;
    Button answer = QMessageBox::Ok;
    std::function<void()> whileOpen; // runs while each box is open
    QStringList dialogs;
    std::function<void(QDialog&)> onDialog;

private:
    void answerActive()
    {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible() || m_answering)
            return;
        auto* box = qobject_cast<QMessageBox*>(modal);
        if (auto* dialog = qobject_cast<QDialog*>(modal); dialog && !box) {
            dialogs << QString::fromLatin1(dialog->metaObject()->className());
            onDialog ? onDialog(*dialog) : dialog->reject();
            return;
        }
        if (!box)
            return;
        texts << box->text();
        if (whileOpen) {
            const QScopedValueRollback answering(m_answering, true);
            whileOpen();
        }
        buttons = box->standardButtons();
        allOkOnly = allOkOnly && buttons == QMessageBox::Ok;
        QAbstractButton* button = nullptr;
        for (const Button wanted : { answer, QMessageBox::Ok, QMessageBox::No })
            button = button ? button : box->button(wanted);
        if (!m_answers.isEmpty())
            button = box->button(m_answers.takeFirst());
        if (!button) {
            texts << QStringLiteral("<no such button>");
            button = box->buttons().constFirst();
        }
        button->click();
    }

    QList<Button> m_answers;
    QTimer m_timer;
    bool m_answering = false;
};
