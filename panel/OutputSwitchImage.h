#pragma once

#include <QLabel>

// `ImageOnOff`, the picture of the output switch. The window gives it the
// picture and the output state it shows; it reports Space pressed while it has
// the keyboard focus, which stands for a click, and draws a focus frame then.
// Screen readers see a toggle button named by its accessible name, checked
// and valued "On" while the output is on.
class OutputSwitchImage : public QLabel {
    Q_OBJECT

public:
    explicit OutputSwitchImage(QWidget* parent = nullptr);

    void setOutputOn(bool on);
    bool outputOn() const { return m_on; }

Q_SIGNALS:
    void keyClicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    bool m_on = true;
};
