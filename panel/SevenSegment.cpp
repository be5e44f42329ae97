#include "panel/SevenSegment.h"

#include <array>

namespace SevenSegment {
namespace {

// The pieces a glyph is made of: the seven segments a-g and the longer shapes
// that replace several of them. Coordinates are in segment lengths from the
// cell origin, y downward.
enum class Piece { A, B, C, D, E, F, G, RightSide, Frame, LowerLoop, UpperLoop };

struct PieceShape {
    SegmentStroke::Kind kind;
    double x1, y1, x2, y2;
};

using enum Piece;
constexpr auto kLine = SegmentStroke::Kind::Line;
constexpr auto kRect = SegmentStroke::Kind::Rectangle;

constexpr std::array<PieceShape, 11> kPieces { {
    { kLine, 0, 0, 1, 0 }, // a, top
    { kLine, 1, 0, 1, 1 }, // b, upper right
    { kLine, 1, 1, 1, 2 }, // c, lower right
    { kLine, 0, 2, 1, 2 }, // d, bottom
    { kLine, 0, 1, 0, 2 }, // e, lower left
    { kLine, 0, 0, 0, 1 }, // f, upper left
    { kLine, 0, 1, 1, 1 }, // g, middle
    { kLine, 1, 0, 1, 2 }, // b and c as one line
    { kRect, 0, 0, 1, 2 }, // the whole outline
    { kRect, 0, 1, 1, 2 }, // lower loop
    { kRect, 0, 0, 1, 1 }, // upper loop
} };

struct GlyphPieces {
    int count;
    std::array<Piece, 5> pieces;
};

// Outline rectangles first where whole loops are lit, then the lines.
constexpr std::array<GlyphPieces, 10> kGlyphs { {
    { 1, { Frame } }, // 0
    { 1, { RightSide } }, // 1
    { 5, { A, G, D, B, E } }, // 2
    { 4, { A, G, D, RightSide } }, // 3
    { 3, { F, G, RightSide } }, // 4
    { 5, { A, G, D, F, C } }, // 5
    { 3, { LowerLoop, F, A } }, // 6
    { 2, { A, RightSide } }, // 7
    { 2, { Frame, G } }, // 8
    { 3, { UpperLoop, C, D } }, // 9
} };

void AppendGlyph(QList<SegmentStroke>& strokes, QChar digit, QPointF origin, double length)
{
    if (digit < u'0' || digit > u'9')
        return;
    const GlyphPieces& glyph = kGlyphs[static_cast<std::size_t>(digit.unicode() - u'0')];
    for (int i = 0; i < glyph.count; ++i) {
        const PieceShape& shape
            = kPieces[static_cast<std::size_t>(glyph.pieces[static_cast<std::size_t>(i)])];
        strokes.append({ shape.kind, origin + QPointF(shape.x1, shape.y1) * length,
            origin + QPointF(shape.x2, shape.y2) * length });
    }
}

} // namespace

QList<SegmentStroke> Glyph(QChar digit, QPointF origin, double segmentLength)
{
    QList<SegmentStroke> strokes;
    AppendGlyph(strokes, digit, origin, segmentLength);
    return strokes;
}

void AppendRow(
    QList<SegmentStroke>& strokes, QStringView text, const DisplayGeometry& geometry, double rowTop)
{
    const double length = geometry.segmentLength;
    double x = geometry.firstX;
    for (const QChar c : text) {
        if (c == u' ') {
            x += geometry.pitch;
        } else if (c == u'.' || c == u',') {
            const QPointF dot(x - geometry.dotOffset, rowTop + 2 * length);
            strokes.append({ SegmentStroke::Kind::Dot, dot, dot });
        } else if (c >= u'0' && c <= u'9') {
            AppendGlyph(strokes, c, QPointF(x, rowTop), length);
            x += geometry.pitch;
        }
    }
}

QList<SegmentStroke> Row(QStringView text, const DisplayGeometry& geometry, double rowTop)
{
    QList<SegmentStroke> strokes;
    AppendRow(strokes, text, geometry, rowTop);
    return strokes;
}

} // namespace SevenSegment
