#pragma once
// The preset library's list: the preset files of a folder (a ".dat" with its 21 programs beneath it),
// or the 21 programs stored in the unit. Columns: the thumbnail, the program's name, the file, its
// time, and a note (why a file is refused, which program a bank loads, whether a program of the unit
// has been read). Refused entries are drawn grey.
//
// A rescan merges into the rows shown: rows of files that are gone are removed, new files inserted,
// changed ones updated, so the selection and the open banks stay where they are.
#include <QAbstractItemModel>
#include <QDateTime>
#include <array>
#include <functional>
#include <map>
#include <memory>
#include <unordered_map>
#include <vector>

#include "app/LibraryScanner.h"
#include "library/PresetSummary.h"
#include "library/ProgramCurves.h"
#include "model/Blocks.h"

namespace pavo {

using ProgramCurveList = std::shared_ptr<const std::vector<ThumbnailCurves>>;

// What a row stands for.
struct LibraryEntry {
    enum class Kind { None, ProgramFile, BankFile, BankProgram, UnitProgram };
    Kind kind = Kind::None;
    QString path;     // files
    int program = 0;  // BankProgram and UnitProgram: 1..21; BankFile: the program the header names (or 0)
    bool loadable = false;
    bool comparable =
        false;  // the bytes are there to compare (a refused file with its codes out of range is)
};

class LibraryModel : public QAbstractItemModel {
    Q_OBJECT
public:
    enum Column { ColumnCurve, ColumnName, ColumnFile, ColumnModified, ColumnNote, ColumnCount };
    static constexpr int CurvesRole = Qt::UserRole + 1;  // const ThumbnailCurves* (null: none yet)
    enum class Source { Folder, Unit };

    explicit LibraryModel(QObject* parent = nullptr);

    // The folder's files as a scan found them (all of them, in name order): merged into the rows.
    void SetFiles(std::vector<ScannedFile> files);
    // Appends files of a first scan as they come (the rows were empty).
    void AppendFiles(std::vector<ScannedFile> files);
    void ClearFiles();
    // Curves computed for a file or a program of the unit; ignored when the file has changed since.
    void SetCurves(const FileCurves& curves);

    // The unit's programs: names from the full read; a program read into the side buffer.
    void SetSource(Source source);
    Source source() const { return source_; }
    void SetUnitNames(const std::array<ProgramName, kProgramCount>& names);
    void SetUnitReading(int program, bool reading);
    void SetUnitCurves(int program, ProgramCurveList curves);

    LibraryEntry EntryAt(const QModelIndex& index) const;
    QModelIndex IndexOfFile(const QString& path, int program = 0) const;
    QModelIndex IndexOfUnitProgram(int program) const;
    const ScannedFile* FileAt(const QModelIndex& index) const;
    int fileCount() const { return static_cast<int>(files_.size()); }
    // Files still without thumbnail curves (and that have programs to draw).
    int filesWithoutCurves() const;

    // Asked for a file's curves when it has none and is not being computed (set by the window).
    std::function<void(const CurvesKey& key, PresetKind kind)> askCurves;
    void Relabel();  // the UI language changed

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    struct FileRow {
        quint64 id = 0;  // stays with the file while it is listed: its programs' rows point to it
        ScannedFile file;
        ProgramCurveList curves;  // by stored program for a bank
        bool curvesAsked = false;
        int Children() const;
    };
    struct UnitRow {
        ProgramName name{};
        ProgramCurveList curves;
        bool reading = false;
        bool read = false;
    };

    bool IsFileRow(const QModelIndex& index) const;
    int RowOfId(quint64 id) const;
    void Reindex();
    void AskCurves(FileRow& row);
    void TakeCachedCurves(FileRow& row);
    QVariant FileData(const FileRow& row, int program, int column, int role) const;
    QVariant UnitData(int program, int column, int role) const;
    void ChangedRow(int row);

    Source source_ = Source::Folder;
    std::vector<FileRow> files_;
    std::unordered_map<quint64, int> rowOfId_;
    quint64 nextId_ = 1;
    std::array<UnitRow, kProgramCount> unit_{};
    // Thumbnail curves of files by path, as long as the file keeps its size and time.
    struct Cached {
        qint64 size = 0, modifiedMs = 0;
        ProgramCurveList curves;
    };
    std::map<QString, Cached> cache_;
};

// Why a file is refused, in the UI language ("too short: 1000 bytes of 2778").
QString RefusalText(const PresetSummary& summary);

}  // namespace pavo
