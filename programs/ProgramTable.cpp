#include "programs/ProgramTable.h"

#include <QBrush>
#include <algorithm>

namespace {

constexpr int kEtpOutputColumn = 5;
constexpr int kIpmSelectColumn = 0;

// The columns of the timed programs.
enum StepColumn { kStep, kVoltage, kCurrent, kMinute, kSecond };
// The columns of the preset table after Select.
enum PresetColumn { kPreset = 1, kPresetVoltage, kPresetCurrent };

struct Column {
    QString Captions::*caption;
    int widthTwips;
};

std::vector<Column> ColumnsOf(TableKind kind)
{
    switch (kind) {
    case TableKind::Itp:
        return { { &Captions::step, 1000 }, { &Captions::voltage, 1400 },
            { &Captions::current, 1400 }, { &Captions::minute, 1100 },
            { &Captions::second, 1100 } };
    case TableKind::Etp:
        return { { &Captions::step, 900 }, { &Captions::voltage, 1000 },
            { &Captions::current, 1000 }, { &Captions::minute, 1000 }, { &Captions::second, 1000 },
            { &Captions::outputOn, 1080 } };
    case TableKind::Ipm:
        return { { &Captions::select, 1100 }, { &Captions::preset, 1100 },
            { &Captions::voltage, 1700 }, { &Captions::current, 1700 } };
    }
    return {};
}

} // namespace

ProgramTable::ProgramTable(TableKind kind, const Captions& captions, QObject* parent)
    : QAbstractTableModel(parent)
    , m_kind(kind)
{
    QStringList header;
    for (const Column& c : ColumnsOf(kind)) {
        header << captions.*(c.caption);
        m_widths.push_back(c.widthTwips);
    }
    m_cells.push_back(header);
    m_colours.emplace_back(m_widths.size(), CellColour::Normal);
    m_outputs.push_back(true);
}

int ProgramTable::columnWidthTwips(int column) const
{
    if (column < 0 || column >= columns())
        return 0;
    return m_widths[static_cast<std::size_t>(column)];
}

bool ProgramTable::contains(int row, int column) const
{
    return row >= 0 && row < rows() && column >= 0 && column < columns();
}

QString ProgramTable::cell(int row, int column) const
{
    if (!contains(row, column))
        return {};
    return m_cells[static_cast<std::size_t>(row)][column];
}

void ProgramTable::setCell(int row, int column, const QString& text)
{
    if (!contains(row, column))
        return;
    QString& current = m_cells[static_cast<std::size_t>(row)][column];
    if (current == text)
        return;
    current = text;
    emitCellChanged(row, column, { Qt::DisplayRole, Qt::EditRole });
}

CellColour ProgramTable::colour(int row, int column) const
{
    if (!contains(row, column))
        return CellColour::Normal;
    return m_colours[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
}

void ProgramTable::setColour(int row, int column, CellColour colour)
{
    if (!contains(row, column))
        return;
    CellColour& current
        = m_colours[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
    if (current == colour)
        return;
    current = colour;
    emitCellChanged(row, column, { Qt::ForegroundRole });
}

void ProgramTable::addRow(const QStringList& cells)
{
    QStringList row = cells.mid(0, columns());
    while (row.size() < columns())
        row << QString();
    const int modelRow = dataRows();
    beginInsertRows(QModelIndex(), modelRow, modelRow);
    m_cells.push_back(row);
    m_colours.emplace_back(m_widths.size(), CellColour::Normal);
    endInsertRows();
}

void ProgramTable::setRowCount(int rowsWithHeader)
{
    const int wanted = std::max(1, rowsWithHeader);
    if (wanted < rows()) {
        beginRemoveRows(QModelIndex(), wanted - 1, dataRows() - 1);
        m_cells.resize(static_cast<std::size_t>(wanted));
        m_colours.resize(static_cast<std::size_t>(wanted));
        endRemoveRows();
    } else if (wanted > rows()) {
        QStringList empty;
        for (int c = 0; c < columns(); ++c)
            empty << QString();
        beginInsertRows(QModelIndex(), dataRows(), wanted - 2);
        m_cells.resize(static_cast<std::size_t>(wanted), empty);
        m_colours.resize(static_cast<std::size_t>(wanted),
            std::vector<CellColour>(m_widths.size(), CellColour::Normal));
        endInsertRows();
    }
}

ProgramStep ProgramTable::step(int row) const
{
    return { cell(row, kStep), cell(row, kVoltage), cell(row, kCurrent), cell(row, kMinute),
        cell(row, kSecond), outputOn(row) };
}

std::vector<ProgramStep> ProgramTable::steps() const
{
    std::vector<ProgramStep> all;
    for (int row = 1; row < rows(); ++row)
        all.push_back(step(row));
    return all;
}

void ProgramTable::setSteps(const std::vector<ProgramStep>& steps)
{
    setRowCount(static_cast<int>(steps.size()) + 1);
    int row = 1;
    for (const ProgramStep& s : steps) {
        setCell(row, kStep, s.step);
        setCell(row, kVoltage, s.voltage);
        setCell(row, kCurrent, s.current);
        setCell(row, kMinute, s.minute);
        setCell(row, kSecond, s.second);
        if (s.outputOn)
            setOutputOn(row, *s.outputOn);
        ++row;
    }
}

PresetRow ProgramTable::preset(int row) const
{
    return { cell(row, kPreset), cell(row, kPresetVoltage), cell(row, kPresetCurrent) };
}

std::vector<PresetRow> ProgramTable::presets() const
{
    std::vector<PresetRow> all;
    for (int row = 1; row < rows(); ++row)
        all.push_back(preset(row));
    return all;
}

void ProgramTable::setPresets(const std::vector<PresetRow>& presets)
{
    setRowCount(static_cast<int>(presets.size()) + 1);
    int row = 1;
    for (const PresetRow& p : presets) {
        setCell(row, kPreset, p.preset);
        setCell(row, kPresetVoltage, p.voltage);
        setCell(row, kPresetCurrent, p.current);
        ++row;
    }
}

bool ProgramTable::outputOn(int row) const
{
    if (row < 1)
        return false;
    const auto k = static_cast<std::size_t>(row);
    return k < m_outputs.size() ? m_outputs[k] : true;
}

void ProgramTable::setOutputOn(int row, bool on)
{
    if (row < 1 || outputOn(row) == on)
        return;
    const auto k = static_cast<std::size_t>(row);
    if (k >= m_outputs.size())
        m_outputs.resize(k + 1, true);
    m_outputs[k] = on;
    if (m_kind == TableKind::Etp && row < rows())
        emitCellChanged(row, kEtpOutputColumn, { Qt::CheckStateRole });
}

void ProgramTable::setAllOutputsOn()
{
    for (int k = 1; k < static_cast<int>(m_outputs.size()); ++k)
        setOutputOn(k, true);
}

void ProgramTable::setSelectedPreset(int preset)
{
    if (preset < 0 || preset == m_selectedPreset)
        return;
    const int previous = m_selectedPreset;
    m_selectedPreset = preset;
    if (m_kind != TableKind::Ipm)
        return;
    for (const int row : { previous, preset }) {
        if (row >= 1 && row < rows())
            emitCellChanged(row, kIpmSelectColumn, { Qt::CheckStateRole });
    }
}

void ProgramTable::setCheckIndicatorsShown(bool shown)
{
    if (shown == m_checkIndicators)
        return;
    m_checkIndicators = shown;
    const int column = m_kind == TableKind::Etp ? kEtpOutputColumn : kIpmSelectColumn;
    if (dataRows() > 0 && column < columns())
        Q_EMIT dataChanged(index(0, column), index(dataRows() - 1, column), { Qt::CheckStateRole });
}

bool ProgramTable::isOutputColumn(int column) const
{
    return m_checkIndicators && m_kind == TableKind::Etp && column == kEtpOutputColumn;
}

bool ProgramTable::isSelectColumn(int column) const
{
    return m_checkIndicators && m_kind == TableKind::Ipm && column == kIpmSelectColumn;
}

void ProgramTable::emitCellChanged(int row, int column, const QList<int>& roles)
{
    if (row == 0) {
        Q_EMIT headerDataChanged(Qt::Horizontal, column, column);
        return;
    }
    const QModelIndex at = index(row - 1, column);
    Q_EMIT dataChanged(at, at, roles);
}

int ProgramTable::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : dataRows();
}

int ProgramTable::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : columns();
}

QVariant ProgramTable::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    const int row = index.row() + 1;
    const int column = index.column();
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return cell(row, column);
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(Qt::Alignment(Qt::AlignCenter));
    case Qt::ForegroundRole:
        switch (colour(row, column)) {
        case CellColour::Green:
            return QBrush(kGreen);
        case CellColour::DarkRed:
            return QBrush(kDarkRed);
        case CellColour::Normal:
            return {};
        }
        return {};
    case Qt::CheckStateRole:
        if (isOutputColumn(column))
            return outputOn(row) ? Qt::Checked : Qt::Unchecked;
        if (isSelectColumn(column))
            return m_selectedPreset == row ? Qt::Checked : Qt::Unchecked;
        return {};
    default:
        return {};
    }
}

bool ProgramTable::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || index.row() >= dataRows())
        return false;
    const int row = index.row() + 1;
    if (role == Qt::CheckStateRole && isOutputColumn(index.column())) {
        setOutputOn(row, value.toInt() == Qt::Checked);
        return true;
    }
    if (role == Qt::CheckStateRole && isSelectColumn(index.column())) {
        if (value.toInt() == Qt::Checked)
            setSelectedPreset(row);
        return true;
    }
    if (role == Qt::EditRole) {
        setCell(row, index.column(), value.toString());
        return true;
    }
    return false;
}

QVariant ProgramTable::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal)
        return QAbstractTableModel::headerData(section, orientation, role);
    if (role == Qt::DisplayRole)
        return headerText(section);
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::Alignment(Qt::AlignCenter));
    return {};
}

Qt::ItemFlags ProgramTable::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (isOutputColumn(index.column()) || isSelectColumn(index.column()))
        f |= Qt::ItemIsUserCheckable;
    return f;
}
