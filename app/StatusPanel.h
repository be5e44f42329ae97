#pragma once

#include <QLabel>

// A status bar panel. Its text can be as long as a supply description: what
// does not fit ends in "…" and the whole text shows in the tool-tip. The panel
// asks for the room of a few dozen characters at most and needs that of a few;
// the window's size never follows its text.
class StatusPanel : public QLabel {
    Q_OBJECT

public:
    explicit StatusPanel(QWidget* parent = nullptr);

    // The text and, for when it is cut, its tool-tip.
    void setPanelText(const QString& text);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QSize capped(QSize natural, int characters) const;
};
