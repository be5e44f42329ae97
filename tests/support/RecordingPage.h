#pragma once

#include "core/PrintPage.h"

#include <QColor>
#include <QString>
#include <vector>

// A page that remembers what was drawn, so layout rules are tested as numbers.
// Text widths are 2 mm per character at size 10, scaled with the font size;
// heights are 0.4 mm per point.
class RecordingPage : public PrintPage {
public:
    struct Text {
        double x, y;
        QString text;
        double size;
        bool bold;
    };
    struct Line {
        double x1, y1, x2, y2;
        int width;
        QColor color;
        bool isRect;
    };

    explicit RecordingPage(double widthMm = 190.0, double heightMm = 277.0);

    double widthMm() const override { return m_width; }
    double heightMm() const override { return m_height; }
    void setFont(double pointSize, bool bold) override;
    double textWidthMm(const QString& text) const override;
    double textHeightMm(const QString& text) const override;
    void text(double x, double y, const QString& text) override;
    void line(double x1, double y1, double x2, double y2, int width, const QColor& color) override;
    void rect(double x1, double y1, double x2, double y2, int width, const QColor& color) override;
    void endDocument() override { ++m_documentsEnded; }

    const std::vector<Text>& texts() const { return m_texts; }
    const std::vector<Line>& lines() const { return m_lines; }
    int documentsEnded() const { return m_documentsEnded; }
    // The first recorded text equal to text, or nullptr.
    const Text* find(const QString& text) const;

private:
    double m_width;
    double m_height;
    double m_size = 10.0;
    bool m_bold = false;
    std::vector<Text> m_texts;
    std::vector<Line> m_lines;
    int m_documentsEnded = 0;
};
