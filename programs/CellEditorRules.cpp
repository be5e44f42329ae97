#include "programs/CellEditorRules.h"

#include "core/Numbers.h"
#include "programs/TableRules.h"

namespace CellEditorRules {
namespace {

constexpr int kEtpOutputColumn = 5;

double TypedNumber(const QString& text)
{
    return Numbers::LeadingNumber(Numbers::FutComma(text));
}

bool Above(double value, float limit)
{
    return static_cast<float>(value) > limit;
}

QString LimitText(float limit)
{
    return Numbers::ShortestForm(limit);
}

QString VoltageMessage(const TableLimits& limits, const Captions& c)
{
    return c.voltage + c.mustBe + QStringLiteral(" 1 - ") + LimitText(limits.uvl) + u' ' + c.and_
        + QStringLiteral(" 1 ") + c.digitOfPrecision;
}

QString CurrentMessage(const TableLimits& limits, const Captions& c)
{
    return c.current + c.mustBe + QStringLiteral(" 0.01 - ") + LimitText(limits.ucl) + u' ' + c.and_
        + QStringLiteral(" 2 ") + c.digitOfPrecision;
}

// The smallest current the model's format shows ("0.01" or "0.1"), or nothing
// when the limit is below it.
std::optional<QString> SmallestCurrent(const TableLimits& limits)
{
    const QString smallest
        = limits.currScale >= 100 ? QStringLiteral("0.01") : QStringLiteral("0.1");
    if (Above(Numbers::LeadingNumber(smallest), limits.ucl))
        return std::nullopt;
    return smallest;
}

enum class Rule { Voltage, Current, Minute, Second, None };

Rule RuleOf(const ProgramTable& table, int column, const Captions& c)
{
    const QString header = table.headerText(column).trimmed();
    if (header == c.voltage)
        return Rule::Voltage;
    if (header == c.current)
        return Rule::Current;
    if (header == c.minute)
        return Rule::Minute;
    if (header == c.second)
        return Rule::Second;
    return Rule::None;
}

CommitResult Finish(ProgramTable& table, int row, int column, CommitResult result,
    const QString& text, QStringView picture)
{
    result.cellText = Numbers::FormatNumber(TypedNumber(text), picture);
    table.setCell(row, column, result.cellText);
    return result;
}

// One column's check: the value's range, its message, its replacements.
struct Check {
    bool below;
    bool above;
    QString message;
    QString maximum;
    QString minimum;
    QString picture;
    bool relay;
};

CommitResult Apply(
    ProgramTable& table, int row, int column, const QString& editorText, const Check& check)
{
    CommitResult result;
    QString text = editorText;
    if (check.below || check.above) {
        result.message = check.message;
        text = check.above ? check.maximum : check.minimum;
        result.editorText = text;
        result.relayEditor = check.relay;
    }
    return Finish(table, row, column, result, text, check.picture);
}

Check VoltageCheck(double x, const TableLimits& limits, const Captions& c, QString minimum)
{
    return { x < 1 && !Above(x, limits.uvl), Above(x, limits.uvl), VoltageMessage(limits, c),
        LimitText(limits.uvl), std::move(minimum), QStringLiteral("00.0"), true };
}

Check CurrentCheck(double x, const TableLimits& limits, const Captions& c, QString minimum)
{
    // A current too small for the model's format would be stored as zero.
    const double shown = Numbers::LeadingNumber(Numbers::FormatNumber(x, limits.currFormat));
    const bool above = Above(x, limits.ucl);
    return { !above && (x <= 0 || shown <= 0), above, CurrentMessage(limits, c),
        LimitText(limits.ucl), std::move(minimum), limits.currFormat, true };
}

} // namespace

std::optional<QString> MirrorKeyRelease(
    TableKind kind, int column, const QString& editorText, const QString& currFormat)
{
    const double typed = TypedNumber(editorText);
    const double plain = Numbers::LeadingNumber(editorText);
    if (kind == TableKind::Ipm) {
        // "Save To PS" and "Set" send what the mirror wrote, unchecked by a
        // commit: "12,5" must stay 12.5 here as it does in the program table.
        if (column == 2)
            return Numbers::FormatNumber(typed, u"00.0");
        if (column == 3)
            return Numbers::FormatNumber(typed, currFormat);
        return std::nullopt;
    }
    switch (column) {
    case 1:
        return Numbers::FormatNumber(typed, u"0.0");
    case 2:
        return Numbers::FormatNumber(typed, currFormat);
    case 3:
    case 4:
        return Numbers::FormatNumber(plain, u"00");
    default:
        return std::nullopt;
    }
}

std::optional<CellPos> MoveEditorByArrow(int tab, int row, int column, int rowCount,
    int columnCount, const QStringList& headers, int key, const Captions& captions)
{
    if (row < 1 || row >= rowCount || column < 1 || column >= columnCount)
        return std::nullopt;
    const int lastEditable = tab == 1 ? columnCount - 2 : columnCount - 1;
    const int firstEditable = tab == 2 ? 2 : 1;
    const bool rowBelow = row + 1 < rowCount;
    switch (key) {
    case Qt::Key_Left:
        if (headers.value(column).trimmed() != captions.voltage) {
            // Never onto the fixed first column.
            if (column - 1 >= 1)
                return CellPos { row, column - 1 };
            return std::nullopt;
        }
        if (row >= 2)
            return CellPos { row - 1, lastEditable };
        return std::nullopt;
    case Qt::Key_Up:
        if (row >= 2)
            return CellPos { row - 1, column };
        return std::nullopt;
    case Qt::Key_Right:
        if (column >= lastEditable) {
            if (rowBelow)
                return CellPos { row + 1, firstEditable };
            return std::nullopt;
        }
        return CellPos { row, column + 1 };
    case Qt::Key_Down:
        if (rowBelow)
            return CellPos { row + 1, column };
        return std::nullopt;
    default:
        return std::nullopt;
    }
}

std::optional<CommitResult> CommitEtpCell(ProgramTable& etp, int row, int column,
    const QString& editorText, const TableLimits& limits, const Captions& captions)
{
    if (row < 1 || row >= etp.rows())
        return std::nullopt;
    const double x = TypedNumber(editorText);
    const bool timed = TableRules::RowSeconds(etp, row) > 0;
    switch (RuleOf(etp, column, captions)) {
    case Rule::Voltage: {
        // A supply limited below 1 V cannot take the usual 1 V floor.
        const bool oneVoltFits = !Above(1.0, limits.uvl);
        const QString minimum
            = timed && oneVoltFits ? QStringLiteral("01.0") : QStringLiteral("00.0");
        return Apply(etp, row, column, editorText, VoltageCheck(x, limits, captions, minimum));
    }
    case Rule::Current: {
        const std::optional<QString> smallest = SmallestCurrent(limits);
        const QString minimum = timed && smallest ? *smallest : QStringLiteral("000");
        return Apply(etp, row, column, editorText, CurrentCheck(x, limits, captions, minimum));
    }
    case Rule::Minute:
        return Apply(etp, row, column, editorText,
            { x<0, x> 99, captions.minute + captions.mustBe + QStringLiteral(" 0 - 99."),
                QStringLiteral("99"), QStringLiteral("00"), QStringLiteral("00"), false });
    case Rule::Second:
        return Apply(etp, row, column, editorText,
            { x<0, x> 59, captions.second + captions.mustBe + QStringLiteral(" 0 - 59."),
                QStringLiteral("59"), QStringLiteral("00"), QStringLiteral("00"), false });
    case Rule::None:
        break;
    }
    return std::nullopt;
}

std::optional<CommitResult> CommitIpmCell(ProgramTable& ipm, int row, int column,
    const QString& editorText, const TableLimits& limits, const Captions& captions)
{
    if (row < 1 || row >= ipm.rows())
        return std::nullopt;
    const double x = TypedNumber(editorText);
    switch (RuleOf(ipm, column, captions)) {
    case Rule::Voltage: {
        const QString minimum = Above(1.0, limits.uvl) ? QStringLiteral("0") : QStringLiteral("1");
        return Apply(ipm, row, column, editorText, VoltageCheck(x, limits, captions, minimum));
    }
    case Rule::Current: {
        const QString minimum = SmallestCurrent(limits).value_or(QStringLiteral("0"));
        return Apply(ipm, row, column, editorText, CurrentCheck(x, limits, captions, minimum));
    }
    default:
        return std::nullopt;
    }
}

EtpFocusLoss OnEtpEditorFocusLost(
    const QString& focusName, int column, const QString& editorText, const TableLimits& limits)
{
    if (focusName == QLatin1String("CmdRunStop") || focusName == QLatin1String("Toolbar2"))
        return {};
    // The decimal comma counts here as everywhere else: "12,5" stays 12.5.
    const double x = TypedNumber(editorText);
    EtpFocusLoss loss;
    loss.runCheck = true;
    switch (column) {
    case 1:
        if (x <= 0)
            loss.cellText = QStringLiteral("00.0");
        else if (Above(x, limits.uvl))
            loss.cellText = Numbers::FormatSingle(limits.uvl, u"00.0");
        else if (x < 1)
            loss.cellText = QStringLiteral("01.0");
        else
            loss.cellText = Numbers::FormatNumber(x, u"00.0");
        break;
    case 2:
        if (x <= 0)
            loss.cellText = limits.currFormat;
        else if (Above(x, limits.ucl))
            loss.cellText = Numbers::FormatSingle(limits.ucl, limits.currFormat);
        else
            loss.cellText = Numbers::FormatNumber(x, limits.currFormat);
        break;
    case 3:
        loss.cellText = x <= 0 ? QStringLiteral("00")
            : x > 99           ? QStringLiteral("99")
                               : Numbers::FormatNumber(x, u"00");
        break;
    case 4:
        loss.cellText = x <= 0 ? QStringLiteral("00")
            : x > 59           ? QStringLiteral("59")
                               : Numbers::FormatNumber(x, u"00");
        break;
    default:
        break;
    }
    return loss;
}

namespace {

bool IsPresetActionButton(const QString& name)
{
    return name == QLatin1String("CmdRunStop") || name == QLatin1String("CmdRS")
        || name == QLatin1String("CmdSS");
}

} // namespace

bool IpmKeyReleaseHidesEditor(const QString& activeName)
{
    return IsPresetActionButton(activeName);
}

IpmFocusLoss OnIpmEditorFocusLost(
    const QString& focusName, const QString& cellText, const QString& editorText)
{
    if (IsPresetActionButton(focusName))
        return IpmFocusLoss::HideOnly;
    if (focusName == QLatin1String("TextM"))
        return IpmFocusLoss::KeepEditor;
    return cellText != editorText ? IpmFocusLoss::CommitThenHide : IpmFocusLoss::HideOnly;
}

EditorLayout LayEditor(const ProgramTable& table, bool programRunning, int visibleTab, int row,
    int column, const QRect& cellTwips)
{
    EditorLayout layout;
    if (programRunning)
        return layout;
    if (table.kind() == TableKind::Etp && column == kEtpOutputColumn) {
        layout.hide = true;
        return layout;
    }
    layout.text = table.cell(row, column);
    if (visibleTab != table.tab())
        return layout;
    const bool presets = table.kind() == TableKind::Ipm;
    const int inset = presets ? 15 : 0;
    const int heightCut = table.kind() == TableKind::Etp ? 30 : 15;
    layout.rectTwips = QRect(cellTwips.left() + inset, cellTwips.top() + 15,
        cellTwips.width() - inset, cellTwips.height() - heightCut);
    layout.show = table.rows() >= 2;
    return layout;
}

} // namespace CellEditorRules
