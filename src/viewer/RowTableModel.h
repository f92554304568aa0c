#pragma once

#include "monitor/KeyTable.h"
#include "monitor/RowText.h"

#include <QAbstractTableModel>

#include <map>
#include <vector>

namespace viewer {

class TrafficModel;

// The key table as the window's table shows it: the monitor's cells (every
// wire text escaped), the value with its unit where a scan told it, and the
// flags in colour. Rows keep their place between refreshes, so a selection
// and a sort survive them.
class RowTableModel : public QAbstractTableModel {
public:
    // What Qt::UserRole gives: a number for the numeric columns, so that
    // they sort as numbers.
    static constexpr int SortRole = Qt::UserRole;

    // Background colours of the flags; conflict shows over mismatch over stale.
    static const QColor kStale;
    static const QColor kConflict;
    static const QColor kMismatch;

    using QAbstractTableModel::QAbstractTableModel;

    void refresh(const TrafficModel& traffic, monitor::Clock::time_point now);
    void clear();

    const monitor::CcmKey& keyAt(int row) const { return rows_[row].key; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    struct Shown {
        monitor::CcmKey key;
        std::array<QString, monitor::kColumns> cells;
        std::array<double, monitor::kColumns> sortKeys{};
        monitor::RowFlags flags;
    };

    static Shown Show(const monitor::Row& row, const monitor::RowFlags& flags,
                      const std::string& unit, monitor::Clock::time_point now);
    void removeGone(const std::map<monitor::CcmKey, monitor::Row>& rows);

    std::vector<Shown> rows_;
    std::map<monitor::CcmKey, int> index_;
};

} // namespace viewer
