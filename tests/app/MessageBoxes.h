#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QList>
#include <QMessageBox>
#include <QScopedValueRollback>
#include <QStringList>
#include <QTimer>

#include <functional>
#include <utility>

// Answers the message boxes that come up while it lives, with the given
// buttons in order, and keeps their texts. A box beyond the given answers gets
// `answer` when it has that button, else OK, else No. A wanted button the box
// lacks is noted in the texts and the box's first button pressed instead. It
// polls from the event loop that the box itself runs. Any other dialog (print,
// file) is noted by class in `dialogs` and handed to `onDialog`, else rejected.
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

    // Forgets the boxes seen so far.
    void clear()
    {
        texts.clear();
        dialogs.clear();
        buttons = {};
        allOkOnly = true;
    }

    QStringList texts;
    // The buttons of the latest box.
    QMessageBox::StandardButtons buttons;
    // Every box so far offered OK alone.
    bool allOkOnly = true;
    // For the boxes beyond the given answers.
    Button answer = QMessageBox::Ok;
    // Runs while each box is open, before it is answered.
    std::function<void()> whileOpen;
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
        QAbstractButton* button
            = m_answers.isEmpty() ? fallback(*box) : box->button(m_answers.takeFirst());
        if (!button) {
            texts << QStringLiteral("<no such button>");
            button = box->buttons().constFirst();
        }
        button->click();
    }

    QAbstractButton* fallback(const QMessageBox& box) const
    {
        for (const Button wanted : { answer, QMessageBox::Ok, QMessageBox::No }) {
            if (QAbstractButton* button = box.button(wanted))
                return button;
        }
        return nullptr;
    }

    QList<Button> m_answers;
    QTimer m_timer;
    bool m_answering = false;
};
