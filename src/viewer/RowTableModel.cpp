#include "viewer/RowTableModel.h"

#include <array>

#include "monitor/TerminalText.h"
#include "viewer/TrafficModel.h"

#include <QColor>

namespace viewer {

const QColor RowTableModel::kStale(0xc8, 0xc8, 0xc8);
const QColor RowTableModel::kConflict(0xff, 0xb0, 0xb0);
const QColor RowTableModel::kMismatch(0xff, 0xe8, 0x90);

namespace {

constexpr std::array kTitles{"種別", "部屋", "区画",   "番号", "優先度", "値",     "<IP>", "送信元",
                             "経過", "間隔", "受信数", "毎秒", "欠落",   "初受信", "状態"};
// A column the row text gains needs its title here too.
static_assert(kTitles.size() == monitor::kColumns);

double Seconds(std::optional<monitor::Clock::duration> duration)
{
    return duration ? std::chrono::duration<double>(*duration).count() : -1.0;
}

} // namespace

RowTableModel::Shown RowTableModel::Show(const monitor::Row& row, const monitor::RowFlags& flags,
                                         const std::string& unit, monitor::Clock::time_point now)
{
    monitor::Cells cells = monitor::RowCells(row, flags, now);
    if (!unit.empty()) {
        cells[monitor::Value] += ' ';
        cells[monitor::Value] += monitor::Escaped(unit);
    }
    Shown shown{row.key, {}, {}, flags};
    for (std::size_t c = 0; c < monitor::kColumns; ++c)
        shown.cells[c] = QString::fromStdString(cells[c]);
    shown.sortKeys[monitor::Room] = row.key.room;
    shown.sortKeys[monitor::Region] = row.key.region;
    shown.sortKeys[monitor::Order] = row.key.order;
    shown.sortKeys[monitor::Priority] = row.priority;
    shown.sortKeys[monitor::Value] = shown.cells[monitor::Value].section(' ', 0, 0).toDouble();
    shown.sortKeys[monitor::Age] = Seconds(now > row.last ? now - row.last : now - now);
    shown.sortKeys[monitor::Interval] = Seconds(row.interval);
    shown.sortKeys[monitor::Datagrams] = static_cast<double>(row.updates);
    shown.sortKeys[monitor::Rate] = row.rate().value_or(-1.0);
    shown.sortKeys[monitor::Missed] = static_cast<double>(row.missed);
    return shown;
}

void RowTableModel::refresh(const TrafficModel& traffic, monitor::Clock::time_point now)
{
    const auto& rows = traffic.table().rows();
    removeGone(rows);
    std::vector<Shown> added;
    for (const auto& [key, row] : rows) {
        Shown shown = Show(row, traffic.table().flags(row, now), traffic.unit(key), now);
        if (const auto found = index_.find(key); found != index_.end())
            rows_[found->second] = std::move(shown);
        else
            added.push_back(std::move(shown));
    }
    if (!rows_.empty())
        emit dataChanged(index(0, 0), index(int(rows_.size()) - 1, int(monitor::kColumns) - 1));
    if (added.empty())
        return;
    beginInsertRows({}, int(rows_.size()), int(rows_.size() + added.size()) - 1);
    for (Shown& shown : added) {
        index_[shown.key] = int(rows_.size());
        rows_.push_back(std::move(shown));
    }
    endInsertRows();
}

void RowTableModel::removeGone(const std::map<monitor::CcmKey, monitor::Row>& rows)
{
    // From the back, so the indices still to visit stay valid.
    for (int r = int(rows_.size()) - 1; r >= 0; --r) {
        if (rows.contains(rows_[r].key))
            continue;
        beginRemoveRows({}, r, r);
        rows_.erase(rows_.begin() + r);
        endRemoveRows();
    }
    if (index_.size() == rows_.size())
        return;
    index_.clear();
    for (int r = 0; r < int(rows_.size()); ++r)
        index_[rows_[r].key] = r;
}

void RowTableModel::clear()
{
    beginResetModel();
    rows_.clear();
    index_.clear();
    endResetModel();
}

int RowTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(rows_.size());
}

int RowTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(monitor::kColumns);
}

QVariant RowTableModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    const Shown& shown = rows_[index.row()];
    const int column = index.column();
    switch (role) {
    case Qt::DisplayRole:
        return shown.cells[column];
    case SortRole:
        if (column == monitor::Type || column == monitor::Ip || column == monitor::Source ||
            column == monitor::Flags)
            return shown.cells[column];
        return shown.sortKeys[column];
    case Qt::BackgroundRole:
        if (shown.flags.conflict)
            return kConflict;
        if (shown.flags.mismatch)
            return kMismatch;
        if (shown.flags.stale)
            return kStale;
        return {};
    default:
        return {};
    }
}

QVariant RowTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    return QString::fromUtf8(kTitles[section]);
}

} // namespace viewer
