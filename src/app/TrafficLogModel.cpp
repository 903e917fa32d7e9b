#include "app/TrafficLogModel.h"

#include <QBrush>
#include <QColor>
#include <QFontDatabase>

#include "platform/Language.h"

namespace pavo {

namespace {

// Errors stand out; written and read frames differ a little.
bool IsTrouble(const TrafficLine& line) {
    return line.direction == "--" || line.text.rfind("NACK", 0) == 0 ||
           line.text.find("refused") != std::string::npos;
}

QString ShownHex(const std::string& hex) {
    const size_t shown = TrafficLogModel::kShownHexBytes * 3 - 1;
    if (hex.size() <= shown) return QString::fromStdString(hex);
    const size_t bytes = (hex.size() + 1) / 3;
    return QString::fromStdString(hex.substr(0, shown)) + QStringLiteral(" … (%1 bytes)").arg(bytes);
}

}  // namespace

void TrafficLogModel::Append(std::vector<TrafficLine> lines) {
    if (lines.empty()) return;
    if (paused_) {
        for (TrafficLine& l : lines) waiting_.push_back(std::move(l));
        // The waiting lines are bounded like the shown ones: the oldest go first.
        if (waiting_.size() > limit_)
            waiting_.erase(waiting_.begin(), waiting_.end() - static_cast<long>(limit_));
        return;
    }
    const int first = static_cast<int>(lines_.size());
    beginInsertRows({}, first, first + static_cast<int>(lines.size()) - 1);
    for (TrafficLine& l : lines) lines_.push_back(std::move(l));
    endInsertRows();
    Trim();
}

void TrafficLogModel::Clear() {
    beginResetModel();
    lines_.clear();
    waiting_.clear();
    endResetModel();
}

void TrafficLogModel::SetPaused(bool paused) {
    if (paused == paused_) return;
    paused_ = paused;
    if (!paused_) Append(std::exchange(waiting_, {}));
}

void TrafficLogModel::SetLimit(size_t limit) {
    limit_ = std::max<size_t>(limit, 1);
    Trim();
    if (waiting_.size() > limit_)
        waiting_.erase(waiting_.begin(), waiting_.end() - static_cast<long>(limit_));
}

void TrafficLogModel::Trim() {
    if (lines_.size() <= limit_) return;
    // Drop a tenth more than needed, so a full log does not remove rows on every new line.
    const size_t drop = std::min(lines_.size(), lines_.size() - limit_ + limit_ / 10);
    beginRemoveRows({}, 0, static_cast<int>(drop) - 1);
    lines_.erase(lines_.begin(), lines_.begin() + static_cast<long>(drop));
    endRemoveRows();
}

int TrafficLogModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(lines_.size());
}

int TrafficLogModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant TrafficLogModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) return {};
    const TrafficLine& line = Line(index.row());
    switch (role) {
        case Qt::DisplayRole:
            switch (index.column()) {
                case ColumnTime:
                    return QString::fromStdString(line.time);
                case ColumnDirection:
                    return QString::fromStdString(line.direction);
                case ColumnHex:
                    return ShownHex(line.hex);
                case ColumnText:
                    return QString::fromStdString(line.text);
            }
            return {};
        case Qt::ToolTipRole:
            return index.column() == ColumnText ? QString::fromStdString(line.text) : QVariant();
        case Qt::FontRole: {
            static const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
            return index.column() == ColumnHex ? fixed : QVariant();
        }
        case Qt::ForegroundRole: {
            static const QBrush trouble(QColor(0xC0, 0x20, 0x20)), read(QColor(0x20, 0x50, 0x90));
            if (IsTrouble(line)) return trouble;
            if (line.direction == "RX") return read;
            return {};
        }
        case StatusPollRole:
            return line.statusPoll;
    }
    return {};
}

QVariant TrafficLogModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    switch (section) {
        case ColumnTime:
            return Bilingual("时间", "Time");
        case ColumnDirection:
            return Bilingual("方向", "Dir");
        case ColumnHex:
            return Bilingual("数据", "Bytes");
        case ColumnText:
            return Bilingual("内容", "Meaning");
    }
    return {};
}

void TrafficLogModel::Relabel() {
    emit headerDataChanged(Qt::Horizontal, 0, ColumnCount - 1);
}

void TrafficLogFilter::SetHidePolls(bool hide) {
    if (hide == hidePolls_) return;
    hidePolls_ = hide;
    invalidateFilter();
}

bool TrafficLogFilter::filterAcceptsRow(int row, const QModelIndex& parent) const {
    if (!hidePolls_) return true;
    return !sourceModel()->index(row, 0, parent).data(TrafficLogModel::StatusPollRole).toBool();
}

}  // namespace pavo
