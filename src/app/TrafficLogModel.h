#pragma once
// The lines of the traffic log window: time, direction, hex and meaning, the newest last. The store
// is bounded (the oldest lines go first); while paused, new lines wait and the view stays still.
#include <QAbstractTableModel>
#include <QSortFilterProxyModel>
#include <deque>
#include <vector>

#include "protocol/TrafficText.h"

namespace pavo {

class TrafficLogModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { ColumnTime, ColumnDirection, ColumnHex, ColumnText, ColumnCount };
    static constexpr int StatusPollRole = Qt::UserRole;  // bool: a status poll or its reply
    static constexpr int kShownHexBytes = 20;            // longer frames are cut in the view (not in files)

    explicit TrafficLogModel(QObject* parent = nullptr) : QAbstractTableModel(parent) {}

    void Append(std::vector<TrafficLine> lines);
    void Clear();
    void SetPaused(bool paused);
    bool Paused() const { return paused_; }
    // The most lines kept; lowering it drops the oldest at once.
    void SetLimit(size_t limit);
    size_t Limit() const { return limit_; }

    const TrafficLine& Line(int row) const { return lines_[static_cast<size_t>(row)]; }
    size_t Waiting() const { return waiting_.size(); }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    void Relabel();  // the header texts follow the UI language

private:
    void Trim();

    std::deque<TrafficLine> lines_;
    std::vector<TrafficLine> waiting_;  // arrived while paused
    size_t limit_ = 50000;
    bool paused_ = false;
};

// Hides status polls and their replies when asked to.
class TrafficLogFilter : public QSortFilterProxyModel {
    Q_OBJECT
public:
    using QSortFilterProxyModel::QSortFilterProxyModel;
    void SetHidePolls(bool hide);
    bool HidePolls() const { return hidePolls_; }

protected:
    bool filterAcceptsRow(int row, const QModelIndex& parent) const override;

private:
    bool hidePolls_ = true;
};

}  // namespace pavo
