#include "app/LibraryModel.h"

#include <QApplication>
#include <QPalette>
#include <QSet>

#include "model/DataConver.h"
#include "platform/Language.h"
#include "platform/ProgramNameText.h"

namespace pavo {

namespace {

QString NameText(const ProgramName& name) {
    return ProgramNameText(name.data(), name.size());
}

QString NumberAndName(int program, const ProgramName& name) {
    return QString::fromStdString(ProgramNumberText(program)) + QStringLiteral("  ") + NameText(name);
}

QString ModifiedText(qint64 ms) {
    // The same short, sortable form in both languages; the locale's long forms do not fit the column.
    return QDateTime::fromMSecsSinceEpoch(ms).toString(QStringLiteral("yyyy-MM-dd HH:mm"));
}

}  // namespace

QString RefusalText(const PresetSummary& s) {
    switch (s.refusal) {
        case Refusal::None:
            return {};
        case Refusal::Unreadable:
            return Bilingual("不能读取", "cannot be read");
        case Refusal::TooShort:
            return Bilingual("文件太短：%1 字节，应为 %2", "too short: %1 bytes of %2")
                .arg(s.size)
                .arg(PresetFileSize(s.kind));
        case Refusal::OutOfRange: {
            const FieldInfo& f = *s.fault.field;
            QString where = QString::fromStdString(f.path);
            if (s.fault.program) where = Bilingual("程序 %1: ", "Program %1: ").arg(s.fault.program) + where;
            return Bilingual("%1 为 %2，范围 %3..%4", "%1 is %2, allowed %3..%4")
                .arg(where)
                .arg(s.fault.code)
                .arg(f.min)
                .arg(f.max);
        }
    }
    return {};
}

LibraryModel::LibraryModel(QObject* parent) : QAbstractItemModel(parent) {}

int LibraryModel::FileRow::Children() const {
    return file.summary.kind == PresetKind::Bank ? static_cast<int>(file.summary.names.size()) : 0;
}

void LibraryModel::Reindex() {
    rowOfId_.clear();
    for (size_t r = 0; r < files_.size(); ++r) rowOfId_[files_[r].id] = static_cast<int>(r);
}

int LibraryModel::RowOfId(quint64 id) const {
    const auto it = rowOfId_.find(id);
    return it == rowOfId_.end() ? -1 : it->second;
}

// ---- Files ----

void LibraryModel::TakeCachedCurves(FileRow& row) {
    const auto it = cache_.find(row.file.path);
    if (it != cache_.end() && it->second.size == row.file.size &&
        it->second.modifiedMs == row.file.modifiedMs) {
        row.curves = it->second.curves;
        row.curvesAsked = true;
    }
}

void LibraryModel::AskCurves(FileRow& row) {
    if (row.curvesAsked || row.file.summary.names.empty() || !askCurves) return;
    row.curvesAsked = true;
    askCurves({row.file.path, row.file.size, row.file.modifiedMs}, row.file.summary.kind);
}

void LibraryModel::ClearFiles() {
    if (source_ == Source::Folder) beginResetModel();
    files_.clear();
    cache_.clear();
    Reindex();
    if (source_ == Source::Folder) endResetModel();
}

void LibraryModel::AppendFiles(std::vector<ScannedFile> files) {
    if (files.empty()) return;
    const bool shown = source_ == Source::Folder;
    const int first = static_cast<int>(files_.size());
    if (shown) beginInsertRows({}, first, first + static_cast<int>(files.size()) - 1);
    for (ScannedFile& f : files) {
        FileRow row;
        row.id = nextId_++;
        row.file = std::move(f);
        TakeCachedCurves(row);
        files_.push_back(std::move(row));
    }
    Reindex();
    if (shown) endInsertRows();
    for (int r = first; r < static_cast<int>(files_.size()); ++r) AskCurves(files_[r]);
}

void LibraryModel::SetFiles(std::vector<ScannedFile> files) {
    const bool shown = source_ == Source::Folder;
    // Both lists are in name order (LibraryScanner's); walk them together.
    auto before = [](const ScannedFile& a, const ScannedFile& b) {
        const int c = a.name.compare(b.name, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a.name < b.name;
    };
    size_t j = 0;
    int r = 0;
    while (r < static_cast<int>(files_.size()) || j < files.size()) {
        const bool haveOld = r < static_cast<int>(files_.size());
        const bool haveNew = j < files.size();
        if (haveOld && (!haveNew || before(files_[r].file, files[j]))) {
            // Gone.
            if (shown) beginRemoveRows({}, r, r);
            files_.erase(files_.begin() + r);
            Reindex();
            if (shown) endRemoveRows();
            continue;
        }
        if (haveNew && (!haveOld || before(files[j], files_[r].file))) {
            FileRow row;
            row.id = nextId_++;
            row.file = std::move(files[j++]);
            TakeCachedCurves(row);
            if (shown) beginInsertRows({}, r, r);
            files_.insert(files_.begin() + r, std::move(row));
            Reindex();
            if (shown) endInsertRows();
            AskCurves(files_[r]);
            ++r;
            continue;
        }
        // The same file: update it if it changed.
        FileRow& row = files_[r];
        ScannedFile& f = files[j++];
        const PresetSummary& was = row.file.summary;
        const bool changed =
            row.file.size != f.size || row.file.modifiedMs != f.modifiedMs ||
            was.refusal != f.summary.refusal || was.names != f.summary.names ||
            was.fault.field != f.summary.fault.field || was.fault.code != f.summary.fault.code ||
            was.fault.program != f.summary.fault.program || was.headerProgram != f.summary.headerProgram;
        if (changed) {
            const bool newTimes = row.file.size != f.size || row.file.modifiedMs != f.modifiedMs;
            const int oldChildren = row.Children();
            const int newChildren =
                f.summary.kind == PresetKind::Bank ? static_cast<int>(f.summary.names.size()) : 0;
            const QModelIndex parentIndex = shown ? index(r, 0) : QModelIndex();
            if (newChildren < oldChildren) {
                if (shown) beginRemoveRows(parentIndex, newChildren, oldChildren - 1);
                row.file = std::move(f);
                if (shown) endRemoveRows();
            } else if (newChildren > oldChildren) {
                if (shown) beginInsertRows(parentIndex, oldChildren, newChildren - 1);
                row.file = std::move(f);
                if (shown) endInsertRows();
            } else {
                row.file = std::move(f);
            }
            if (newTimes) {
                row.curves.reset();
                row.curvesAsked = false;
                TakeCachedCurves(row);
            }
            ChangedRow(r);
            AskCurves(row);
        }
        ++r;
    }
    // The cache keeps the files still listed.
    QSet<QString> listed;
    for (const FileRow& row : files_) listed.insert(row.file.path);
    for (auto it = cache_.begin(); it != cache_.end();)
        it = listed.contains(it->first) ? std::next(it) : cache_.erase(it);
}

void LibraryModel::ChangedRow(int r) {
    if (source_ != Source::Folder) return;
    emit dataChanged(index(r, 0), index(r, ColumnCount - 1));
    const int children = files_[r].Children();
    if (children > 0) {
        const QModelIndex parentIndex = index(r, 0);
        emit dataChanged(index(0, 0, parentIndex), index(children - 1, ColumnCount - 1, parentIndex));
    }
}

void LibraryModel::SetCurves(const FileCurves& curves) {
    if (curves.key.unitProgram) return;
    auto list = std::make_shared<const std::vector<ThumbnailCurves>>(curves.programs);
    cache_[curves.key.path] = {curves.key.size, curves.key.modifiedMs, list};
    for (size_t r = 0; r < files_.size(); ++r) {
        FileRow& row = files_[r];
        if (row.file.path != curves.key.path) continue;
        if (row.file.size != curves.key.size || row.file.modifiedMs != curves.key.modifiedMs)
            return;  // stale
        row.curves = list;
        if (source_ == Source::Folder) {
            emit dataChanged(index(int(r), ColumnCurve), index(int(r), ColumnCurve), {CurvesRole});
            if (const int children = row.Children())
                emit dataChanged(index(0, ColumnCurve, index(int(r), 0)),
                                 index(children - 1, ColumnCurve, index(int(r), 0)), {CurvesRole});
        }
        return;
    }
}

int LibraryModel::filesWithoutCurves() const {
    int n = 0;
    for (const FileRow& row : files_) n += !row.curves && !row.file.summary.names.empty();
    return n;
}

// ---- The unit ----

void LibraryModel::SetSource(Source source) {
    if (source == source_) return;
    beginResetModel();
    source_ = source;
    endResetModel();
}

void LibraryModel::SetUnitNames(const std::array<ProgramName, kProgramCount>& names) {
    for (int n = 0; n < kProgramCount; ++n) {
        if (unit_[n].name == names[n]) continue;
        unit_[n].name = names[n];
        if (source_ == Source::Unit) emit dataChanged(index(n, 0), index(n, ColumnCount - 1));
    }
}

void LibraryModel::SetUnitReading(int program, bool reading) {
    if (program < 1 || program > kProgramCount) return;
    unit_[program - 1].reading = reading;
    if (source_ == Source::Unit) emit dataChanged(index(program - 1, 0), index(program - 1, ColumnCount - 1));
}

void LibraryModel::SetUnitCurves(int program, ProgramCurveList curves) {
    if (program < 1 || program > kProgramCount) return;
    UnitRow& row = unit_[program - 1];
    row.read = row.read || curves != nullptr;
    row.curves = std::move(curves);
    if (source_ == Source::Unit) emit dataChanged(index(program - 1, 0), index(program - 1, ColumnCount - 1));
}

// ---- Lookups ----

bool LibraryModel::IsFileRow(const QModelIndex& i) const {
    return i.isValid() && source_ == Source::Folder && i.internalId() == 0;
}

const ScannedFile* LibraryModel::FileAt(const QModelIndex& i) const {
    if (!i.isValid() || source_ != Source::Folder) return nullptr;
    const int r = i.internalId() == 0 ? i.row() : RowOfId(i.internalId());
    return r >= 0 && r < static_cast<int>(files_.size()) ? &files_[r].file : nullptr;
}

LibraryEntry LibraryModel::EntryAt(const QModelIndex& i) const {
    LibraryEntry e;
    if (!i.isValid()) return e;
    if (source_ == Source::Unit) {
        e.kind = LibraryEntry::Kind::UnitProgram;
        e.program = i.row() + 1;
        e.loadable = true;
        e.comparable = true;
        return e;
    }
    const ScannedFile* f = FileAt(i);
    if (!f) return e;
    e.path = f->path;
    e.loadable = f->summary.Loadable();
    e.comparable = f->summary.Loadable() || f->summary.refusal == Refusal::OutOfRange;
    if (i.internalId() != 0) {
        e.kind = LibraryEntry::Kind::BankProgram;
        e.program = i.row() + 1;
    } else if (f->summary.kind == PresetKind::Bank) {
        e.kind = LibraryEntry::Kind::BankFile;
        e.program = f->summary.headerProgram;
    } else {
        e.kind = LibraryEntry::Kind::ProgramFile;
    }
    return e;
}

QModelIndex LibraryModel::IndexOfFile(const QString& path, int program) const {
    if (source_ != Source::Folder) return {};
    for (size_t r = 0; r < files_.size(); ++r) {
        if (files_[r].file.path != path) continue;
        const QModelIndex top = index(static_cast<int>(r), 0);
        return program > 0 && program <= files_[r].Children() ? index(program - 1, 0, top) : top;
    }
    return {};
}

QModelIndex LibraryModel::IndexOfUnitProgram(int program) const {
    if (source_ != Source::Unit || program < 1 || program > kProgramCount) return {};
    return index(program - 1, 0);
}

// ---- QAbstractItemModel ----

QModelIndex LibraryModel::index(int row, int column, const QModelIndex& parent) const {
    if (row < 0 || column < 0 || column >= ColumnCount) return {};
    if (source_ == Source::Unit)
        return !parent.isValid() && row < kProgramCount ? createIndex(row, column, quintptr(0))
                                                        : QModelIndex();
    if (!parent.isValid())
        return row < static_cast<int>(files_.size()) ? createIndex(row, column, quintptr(0)) : QModelIndex();
    if (!IsFileRow(parent)) return {};
    const FileRow& f = files_[parent.row()];
    return row < f.Children() ? createIndex(row, column, static_cast<quintptr>(f.id)) : QModelIndex();
}

QModelIndex LibraryModel::parent(const QModelIndex& child) const {
    if (!child.isValid() || child.internalId() == 0 || source_ != Source::Folder) return {};
    const int r = RowOfId(child.internalId());
    return r < 0 ? QModelIndex() : createIndex(r, 0, quintptr(0));
}

int LibraryModel::rowCount(const QModelIndex& parent) const {
    if (parent.column() > 0) return 0;
    if (source_ == Source::Unit) return parent.isValid() ? 0 : kProgramCount;
    if (!parent.isValid()) return static_cast<int>(files_.size());
    return IsFileRow(parent) ? files_[parent.row()].Children() : 0;
}

int LibraryModel::columnCount(const QModelIndex&) const {
    return ColumnCount;
}

Qt::ItemFlags LibraryModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (index.internalId() != 0 || source_ == Source::Unit) flags |= Qt::ItemNeverHasChildren;
    return flags;
}

QVariant LibraryModel::data(const QModelIndex& i, int role) const {
    if (!i.isValid()) return {};
    if (source_ == Source::Unit) return UnitData(i.row() + 1, i.column(), role);
    if (i.internalId() == 0) {
        if (i.row() >= static_cast<int>(files_.size())) return {};
        auto& row = const_cast<FileRow&>(files_[i.row()]);
        if (role == CurvesRole) const_cast<LibraryModel*>(this)->AskCurves(row);
        return FileData(row, 0, i.column(), role);
    }
    const int r = RowOfId(i.internalId());
    if (r < 0) return {};
    return FileData(files_[r], i.row() + 1, i.column(), role);
}

QVariant LibraryModel::FileData(const FileRow& row, int program, int column, int role) const {
    const PresetSummary& s = row.file.summary;
    const bool bank = s.kind == PresetKind::Bank;
    if (role == Qt::ForegroundRole && !s.Loadable())
        return QApplication::palette().color(QPalette::Disabled, QPalette::Text);
    if (role == Qt::ToolTipRole && !s.Loadable())
        return Bilingual("不能载入：", "Cannot be loaded: ") + RefusalText(s);
    if (role == CurvesRole) {
        if (!row.curves) return QVariant::fromValue<const void*>(nullptr);
        // A bank's own row shows the program its import makes current.
        const int n = bank ? (program ? program : s.headerProgram) : 1;
        const bool have = n >= 1 && n <= static_cast<int>(row.curves->size());
        return QVariant::fromValue<const void*>(have ? &(*row.curves)[n - 1] : nullptr);
    }
    if (role != Qt::DisplayRole) return {};
    switch (column) {
        case ColumnName:
            if (program) return NumberAndName(program, s.names[program - 1]);
            if (!bank) return s.names.empty() ? QString() : NameText(s.names[0]);
            return s.names.empty()
                       ? QString()
                       : Bilingual("程序库（%1 个程序）", "bank of %1 programs").arg(s.names.size());
        case ColumnFile:
            return program ? QString() : row.file.name;
        case ColumnModified:
            return program ? QString() : ModifiedText(row.file.modifiedMs);
        case ColumnNote:
            if (!s.Loadable()) {
                if (program && s.fault.program && s.fault.program != program)
                    return Bilingual("文件不能载入", "file refused");
                return program && !s.fault.program ? Bilingual("文件不能载入", "file refused")
                                                   : RefusalText(s);
            }
            if (bank && !program)
                return s.headerProgram ? Bilingual("载入程序 %1", "loads program %1")
                                             .arg(QString::fromStdString(ProgramNumberText(s.headerProgram)))
                                       : Bilingual("保留当前程序", "keeps the current program");
            return {};
        default:
            return {};
    }
}

QVariant LibraryModel::UnitData(int program, int column, int role) const {
    const UnitRow& row = unit_[program - 1];
    if (role == CurvesRole)
        return QVariant::fromValue<const void*>(row.curves && !row.curves->empty() ? &row.curves->front()
                                                                                   : nullptr);
    if (role != Qt::DisplayRole) return {};
    switch (column) {
        case ColumnName:
            return NumberAndName(program, row.name);
        case ColumnFile:
            return Bilingual("设备", "unit");
        case ColumnNote:
            if (row.reading) return Bilingual("正在读取…", "reading…");
            return row.read ? QString() : Bilingual("选中时读取", "read when selected");
        default:
            return {};
    }
}

QVariant LibraryModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    switch (section) {
        case ColumnCurve:
            return Bilingual("曲线", "Curve");
        case ColumnName:
            return Bilingual("程序名称", "Program");
        case ColumnFile:
            return Bilingual("文件", "File");
        case ColumnModified:
            return Bilingual("修改时间", "Modified");
        case ColumnNote:
            return Bilingual("备注", "Note");
        default:
            return {};
    }
}

void LibraryModel::Relabel() {
    emit headerDataChanged(Qt::Horizontal, 0, ColumnCount - 1);
    emit layoutChanged();
}

}  // namespace pavo
