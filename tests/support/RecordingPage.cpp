#include "tests/support/RecordingPage.h"

RecordingPage::RecordingPage(double widthMm, double heightMm)
    : m_width(widthMm)
    , m_height(heightMm)
{
}

void RecordingPage::setFont(double pointSize, bool bold)
{
    m_size = pointSize;
    m_bold = bold;
}

double RecordingPage::textWidthMm(const QString& text) const
{
    return 2.0 * static_cast<double>(text.size()) * m_size / 10.0;
}

double RecordingPage::textHeightMm(const QString&) const
{
    return 0.4 * m_size;
}

void RecordingPage::text(double x, double y, const QString& text)
{
    m_texts.push_back({ x, y, text, m_size, m_bold });
}

void RecordingPage::line(double x1, double y1, double x2, double y2, int width, const QColor& color)
{
    m_lines.push_back({ x1, y1, x2, y2, width, color, false });
}

void RecordingPage::rect(double x1, double y1, double x2, double y2, int width, const QColor& color)
{
    m_lines.push_back({ x1, y1, x2, y2, width, color, true });
}

const RecordingPage::Text* RecordingPage::find(const QString& text) const
{
    for (const Text& t : m_texts) {
        if (t.text == text)
            return &t;
    }
    return nullptr;
}
