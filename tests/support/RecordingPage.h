#pragma once

#include "core/PrintPage.h"

#include <QColor>
#include <QString>
#include <algorithm>
#include <vector>

// A page that records what was drawn; text is 2 mm a character at size 10, 0.4 mm a point high.
class RecordingPage : public PrintPage {
public:
    struct Text {
        QString text;
        double x, y, size;
        bool bold;
    };
    struct Line {
        double x1, y1, x2, y2;
        int width;
        QColor color;
        bool isRect;
    };

    explicit RecordingPage(double widthMm = 190.0, double heightMm = 277.0)
        : m_width(widthMm)
        , m_height(heightMm)
    {
    }

    double widthMm() const override { return m_width; }
    double heightMm() const override { return m_height; }
    void setFont(double pointSize, bool bold) override { m_size = pointSize, m_bold = bold; }
    double textWidthMm(const QString& t) const override
    {
        return 2.0 * double(t.size()) * m_size / 10.0;
    }
    double textHeightMm(const QString&) const override { return 0.4 * m_size; }
    void text(double x, double y, const QString& t) override
    {
        m_texts.push_back({ t, x, y, m_size, m_bold });
    }
    void line(double x1, double y1, double x2, double y2, int width, const QColor& color) override
    {
        m_lines.push_back({ x1, y1, x2, y2, width, color, false });
    }
    void rect(double x1, double y1, double x2, double y2, int width, const QColor& color) override
    {
        m_lines.push_back({ x1, y1, x2, y2, width, color, true });
    }
    void endDocument() override { ++m_documentsEnded; }

    const std::vector<Text>& texts() const { return m_texts; }
    const std::vector<Line>& lines() const { return m_lines; }
    int documentsEnded() const { return m_documentsEnded; }
    const Text* find(const QString& text) const
    {
        const auto it = std::find_if(
            m_texts.begin(), m_texts.end(), [&](const Text& t) { return t.text == text; });
        return it == m_texts.end() ? nullptr : &*it;
    }

private:
    double m_width, m_height, m_size = 10.0;
    bool m_bold = false;
    std::vector<Text> m_texts;
    std::vector<Line> m_lines;
    int m_documentsEnded = 0;
};
