#include "app/Prompts.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>

QtPrompts::QtPrompts(QWidget* window)
    : m_window(window)
{
}

void QtPrompts::tell(const QString& text, Title title, Tone tone)
{
    const QString caption
        = title == Title::Window ? m_window->windowTitle() : QApplication::applicationName();
    const QMessageBox::Icon icon
        = tone == Tone::Warning ? QMessageBox::Warning : QMessageBox::NoIcon;
    QMessageBox box(icon, caption, text, QMessageBox::Ok, m_window);
    box.exec();
}

bool QtPrompts::ask(const QString& question)
{
    QMessageBox box(QMessageBox::Question, QApplication::applicationName(), question,
        QMessageBox::Yes | QMessageBox::No, m_window);
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

QString QtPrompts::openFileName(const QString& folder, const QString& filter)
{
    return QFileDialog::getOpenFileName(m_window, QString(), folder, filter);
}

QString QtPrompts::saveFileName(const QString& start, const QString& filter)
{
    return QFileDialog::getSaveFileName(
        m_window, QString(), start, filter, nullptr, QFileDialog::DontConfirmOverwrite);
}

bool QtPrompts::choosePrinter(QPrinter& printer)
{
    QPrintDialog dialog(&printer, m_window);
    return dialog.exec() == QDialog::Accepted;
}
