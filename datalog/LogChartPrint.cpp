#include "datalog/LogChartPrint.h"

#include "core/Numbers.h"
#include "datalog/ChartColours.h"
#include "datalog/SegmentClip.h"

#include <QColor>
#include <cmath>

namespace LogChartPrint {
namespace {

// Page layout in millimetres.
constexpr double kFrameLeft = 30.0;
constexpr double kFrameTop = 40.0;
constexpr double kFrameMargin = 80.0; // page width minus frame width
constexpr double kFrameHeight = 125.0;
constexpr double kPageMargin = 8.0;
constexpr double kRightTextMargin = 10.0;
constexpr double kMaxDescriptionWidth = 180.0;
constexpr int kDivisions = 10;

constexpr double kSmallFont = 10.0;
constexpr double kDescriptionFont = 14.0;

constexpr int kThinLine = 1;
constexpr int kRuleLine = 2;
constexpr int kTraceLine = 8;

const QColor kForeground { ChartColours::kPrintForeground };

QString TimeOfDay(const QTime& time)
{
    return time.toString(QStringLiteral("hh:mm:ss"));
}

QString ShortDate(const QLocale& locale, const QDate& date)
{
    return locale.toString(date, QLocale::ShortFormat);
}

bool IsReading(float value)
{
    return std::isfinite(value) && value >= 0.0f;
}

// Drops whole characters from the end until the text fits; a character outside
// the basic plane goes as one, never half of it.
QString ShortenedToWidth(const PrintPage& page, QString text, double maxWidth)
{
    while (!text.isEmpty() && page.textWidthMm(text) > maxWidth) {
        text.chop(1);
        if (!text.isEmpty() && text.back().isHighSurrogate())
            text.chop(1);
    }
    return text;
}

void PrintHeader(PrintPage& page, const LogPrintInputs& in)
{
    const double pw = page.widthMm();
    page.setFont(kSmallFont, false);
    const QString caption = in.captions.logDescription + QStringLiteral(" : ");
    const double captionWidth = page.textWidthMm(caption);
    page.text(8.0, 13.0, caption);

    page.setFont(kDescriptionFont, true);
    const bool stored = in.source == LogSource::Stored;
    const QString description
        = ShortenedToWidth(page, stored ? in.storedLogDesc : in.description, kMaxDescriptionWidth);
    if (!description.isEmpty()) {
        const double x = captionWidth + 10.0;
        page.text(x, 10.0, description);
        page.line(
            x - 1.0, 17.0, x + page.textWidthMm(description) + 1.0, 17.0, kRuleLine, kForeground);
    }

    page.setFont(kSmallFont, false);
    QString source;
    if (stored) {
        source = in.captions.logName + QStringLiteral(" : ") + in.storedLogName;
    } else {
        source = in.captions.address + QStringLiteral(" : ") + in.address;
        if (!in.location.isEmpty())
            source += QStringLiteral("  (") + in.location + u')';
    }
    page.text(8.0, 24.0, source);

    const QString sampling
        = QStringLiteral("Sampling Time: ") + QString::number(in.interval) + u'S';
    page.text(pw - page.textWidthMm(sampling) - kRightTextMargin, 24.0, sampling);

    for (const double y : { 30.0, 31.0, 180.0, 181.0 })
        page.line(kPageMargin, y, pw - kPageMargin, y, kRuleLine, kForeground);
}

void PrintLegendAndTime(PrintPage& page, const LogPrintInputs& in, const Clock& clock)
{
    struct Swatch {
        double x;
        QRgb colour;
        QString caption;
    };
    const Swatch swatches[] = { { 8.0, ChartColours::kPrintVolt, in.captions.voltage },
        { 48.0, ChartColours::kPrintCurr, in.captions.current },
        { 88.0, ChartColours::kPrintPower, in.captions.watt } };
    for (const Swatch& s : swatches) {
        page.line(s.x, 189.0, s.x + 15.0, 189.0, kTraceLine, QColor(s.colour));
        page.text(s.x + 17.0, 187.0, s.caption);
    }

    const QDateTime now = clock.now();
    const QString printed = ShortDate(in.locale, now.date()) + u' ' + TimeOfDay(now.time());
    QString line;
    if (in.source == LogSource::Stored) {
        line = QStringLiteral("Log Time: ") + ShortDate(in.locale, in.storedLogDate) + u' '
            + TimeOfDay(in.storedLogTime) + QStringLiteral("            Print Time: ") + printed;
    } else {
        line = QStringLiteral("Now Time: ") + printed;
    }
    page.text(page.widthMm() - page.textWidthMm(line) - kRightTextMargin, 187.0, line);
}

void PrintFrameAndGrid(PrintPage& page, const QRectF& frame)
{
    page.rect(frame.left(), frame.top(), frame.right(), frame.bottom(), kRuleLine, kForeground);
    const double gx = frame.width() / kDivisions;
    const double gy = frame.height() / kDivisions;
    for (int k = 1; k < kDivisions; ++k) {
        const double y = frame.top() + k * gy;
        const double x = frame.left() + k * gx;
        page.line(frame.left(), y, frame.right(), y, kThinLine, kForeground);
        page.line(x, frame.top(), x, frame.bottom(), kThinLine, kForeground);
    }
}

void PrintScaleLabels(PrintPage& page, const LogPrintInputs& in, const QRectF& frame)
{
    const ChartRanges& r = in.ranges;
    const double gx = frame.width() / kDivisions;
    const double gy = frame.height() / kDivisions;
    const QString currPicture = in.currFormat + u'A';
    page.setFont(kSmallFont, false);
    const auto rightAligned = [&page](const QString& text, double right, double centreY) {
        page.text(right - page.textWidthMm(text), centreY - page.textHeightMm(text) / 2.0, text);
    };
    for (int k = 0; k <= kDivisions; ++k) {
        const float step = static_cast<float>(k) / kDivisions;
        const double y = frame.bottom() - k * gy;
        rightAligned(
            Numbers::FormatSingle(r.ChartVMin + (r.ChartVMax - r.ChartVMin) * step, u"0.0V"),
            frame.left() - 2.0, y);
        rightAligned(
            Numbers::FormatSingle(r.ChartCMin + (r.ChartCMax - r.ChartCMin) * step, currPicture),
            frame.right() + 15.0, y);
        rightAligned(
            Numbers::FormatSingle(r.ChartWMin + (r.ChartWMax - r.ChartWMin) * step, u"0.0W"),
            frame.right() + 33.0, y);

        const double seconds
            = r.ChartTStart + (static_cast<double>(r.ChartTEnd) - r.ChartTStart) * k / kDivisions;
        const QString time = Numbers::FormatNumber(seconds, u"0S");
        page.text(
            frame.right() - k * gx - page.textWidthMm(time) / 2.0, frame.bottom() + 5.0, time);
    }
}

// Maps a value onto the frame's height: minimum on the bottom edge, maximum on top.
class FrameScale {
public:
    FrameScale(float min, float max, const QRectF& frame)
        : m_min(min)
        , m_span(static_cast<double>(max) - min)
        , m_frame(frame)
    {
    }
    bool usable() const { return std::isfinite(m_span) && m_span > 0.0; }
    double y(double value) const
    {
        return m_frame.bottom() - (value - m_min) * m_frame.height() / m_span;
    }

private:
    double m_min;
    double m_span;
    QRectF m_frame;
};

void PrintTraces(PrintPage& page, const LogPrintInputs& in, const QRectF& frame)
{
    const LogSamples* log = in.samples;
    const ChartRanges& r = in.ranges;
    const double start = r.ChartTStart;
    const double end = r.ChartTEnd;
    if (log == nullptr || in.source == LogSource::None || !(end > start))
        return;
    const double dt = in.interval;
    const double xPerSecond = frame.width() / (end - start);
    const auto x = [&](double age) { return frame.right() - (age - start) * xPerSecond; };
    const FrameScale volt(r.ChartVMin, r.ChartVMax, frame);
    const FrameScale curr(r.ChartCMin, r.ChartCMax, frame);
    const FrameScale power(r.ChartWMin, r.ChartWMax, frame);

    const auto draw = [&](double yi, double yj, double xi, double xj, QRgb colour) {
        if (const auto part = ClipSegmentToFrame(QLineF(xi, yi, xj, yj), frame))
            page.line(part->x1(), part->y1(), part->x2(), part->y2(), kTraceLine, QColor(colour));
    };

    for (int i = 0; i < LogSamples::kCount - 1; ++i) {
        const int j = i + 1;
        const float vi = log->volts[i];
        const float vj = log->volts[j];
        if (IsReading(vi) && IsReading(vj) && j * dt > start && i * dt < end) {
            const double xi = x(i * dt);
            const double xj = x(j * dt);
            if (volt.usable())
                draw(volt.y(vi), volt.y(vj), xi, xj, ChartColours::kPrintVolt);
            const float ai = log->amps[i];
            const float aj = log->amps[j];
            if (IsReading(ai) && IsReading(aj)) {
                if (curr.usable())
                    draw(curr.y(ai), curr.y(aj), xi, xj, ChartColours::kPrintCurr);
                if (power.usable()) {
                    draw(power.y(static_cast<double>(vi * ai)),
                        power.y(static_cast<double>(vj * aj)), xi, xj, ChartColours::kPrintPower);
                }
            }
        }
        if (LogSamples::isEndMark(vi) || i >= end - 1)
            break;
    }
}

} // namespace

QRectF ChartFrame(double pageWidthMm)
{
    return QRectF(kFrameLeft, kFrameTop, pageWidthMm - kFrameMargin, kFrameHeight);
}

void PrintLogChart(PrintPage& page, const LogPrintInputs& inputs, const Clock& clock)
{
    const QRectF frame = ChartFrame(page.widthMm());
    PrintHeader(page, inputs);
    PrintLegendAndTime(page, inputs, clock);
    PrintFrameAndGrid(page, frame);
    PrintScaleLabels(page, inputs, frame);
    PrintTraces(page, inputs, frame);
    page.endDocument();
}

std::optional<QLineF> ClipSegmentToFrame(const QLineF& segment, const QRectF& frame)
{
    return SegmentClip::ClipToRect(segment, frame);
}

} // namespace LogChartPrint
