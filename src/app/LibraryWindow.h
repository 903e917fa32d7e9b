#pragma once
// The preset library ("预置库" / "Preset library"): a window beside the main one that lists the preset
// files of a folder, or the programs stored in the unit, each with a small picture of its curves;
// compares the selected one with the current program (the fields that differ, and one block's
// response overlaid on the current one); and loads, saves, renames, deletes and reports presets.
//
// The folder is remembered with the program's settings and watched: files added, changed or removed
// elsewhere show up by themselves. Files are read and curves computed off the UI thread
// (LibraryScanner). A program of the unit is read into a side buffer of the window's own by a
// stored-program request: the current program, the last-sent image, the undo history and the pages
// stay as they are, and no edit goes to the unit.
#include <QPointer>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>
#include <optional>

#include "app/LibraryModel.h"
#include "app/LibraryReport.h"
#include "model/Blocks.h"

class QComboBox;
class QFileSystemWatcher;
class QLabel;
class QPushButton;
class QSplitter;
class QTimer;
class QTreeView;
class QUrl;

namespace pavo {

class LibraryComparePanel;
class LibraryGraph;
class LibraryScanner;
class PavoDlg;

class LibraryWindow : public QWidget {
    Q_OBJECT
public:
    explicit LibraryWindow(PavoDlg& main);
    ~LibraryWindow() override;

    void ApplyLanguage();
    // Opens beside the main window (and raises it when already open).
    void ShowBesideMain();

    // The folder listed (the one remembered, or MusicFile under the current directory).
    QString folder() const { return folder_; }
    void SetFolder(const QString& folder);
    void ChooseFolder();
    void SetSource(LibraryModel::Source source);
    bool UnitSourceEnabled() const;

    // The actions, on the selected entry.
    void Load();
    void SaveCurrentAs();
    void RenameSelected();
    void DeleteSelected();
    void OpenFolder();
    void WriteReportOfSelection();
    void ExportCurve(const QString& format);  // "png", "svg" or "csv"
    // The same without asking where.
    bool WriteReportTo(const QString& path);
    bool ExportCurveTo(const QString& path, const QString& format);

    // Selects a file's row (a bank's program with `program` 1..21) or a program of the unit.
    bool SelectFile(const QString& path, int program = 0);
    bool SelectUnitProgram(int program);
    LibraryEntry SelectedEntry() const;
    void SetGraphBlock(int block);
    int graphBlock() const;

    // The side buffer of a unit program: null until it has been read.
    std::shared_ptr<const ProgramImage> UnitProgram(int program) const;
    int readingProgram() const { return reading_; }

    // What tests and the benchmark look at and wait for.
    LibraryModel& model() const { return *model_; }
    QTreeView& list() const { return *list_; }
    LibraryComparePanel& compare() const { return *compare_; }
    LibraryGraph& graph() const { return *graph_; }
    LibraryScanner& scanner() const { return *scanner_; }
    QComboBox& sourceBox() const { return *sourceBox_; }
    QPushButton& loadButton() const { return *load_; }
    QPushButton& saveAsButton() const { return *saveAs_; }
    QPushButton& renameButton() const { return *rename_; }
    QPushButton& deleteButton() const { return *delete_; }
    QPushButton& reportButton() const { return *report_; }
    QString statusText() const;
    bool ScanRunning() const { return scanRunning_; }
    // Re-reads the folder now (the watch does this by itself).
    void Rescan();
    // Looks at the unit and the current program now (a timer does this while the window shows).
    void Poll();

    // Questions the window asks; tests answer them without a modal loop.
    std::function<QString(const QString& title, const QString& label, const QString& initial)> askText;
    std::function<bool(const QUrl& url)> openUrl;

protected:
    void showEvent(QShowEvent* e) override;
    void hideEvent(QHideEvent* e) override;

private:
    class Events;
    struct EntryImages {
        ProgramImage image{};
        std::optional<SystemRecord> system;
        bool systemTaken = false;  // loading it takes the system record (a bank)
        QString source;            // for the report
    };

    void CreateWidgets();
    void OnScanned(int scan, std::vector<ScannedFile> files, bool last);
    void OnCurves(std::vector<FileCurves> curves);
    void OnStoredProgram(int number);
    void OnLinkChanged();
    void WatchFiles();
    void ShowSelection();
    void ShowGraph();
    void UpdateActions();
    void RequestRead(int program);
    std::optional<EntryImages> ImagesOf(const LibraryEntry& entry, QString* why = nullptr) const;
    void CurrentRecords(ProgramImage& image, SystemRecord& system) const;
    QString AskName(const QString& title, const QString& label, const QString& initial);
    bool Busy() const;
    QString SelectedFilePath() const;
    void SelectAfterScan(const QString& path);

    PavoDlg& main_;
    std::unique_ptr<Events> events_;
    LibraryModel* model_;
    LibraryScanner* scanner_;
    QFileSystemWatcher* watcher_;
    QTimer* rescanTimer_;
    QTimer* pollTimer_;

    QLabel* sourceLabel_;
    QComboBox* sourceBox_;
    QLabel* folderLabel_;
    QPushButton* chooseFolder_;
    QPushButton* openFolder_;
    QTreeView* list_;
    LibraryComparePanel* compare_;
    QLabel* blockLabel_;
    QComboBox* blockBox_;
    QLabel* exportLabel_;
    std::array<QPushButton*, 3> export_{};
    LibraryGraph* graph_;
    QPushButton* load_;
    QPushButton* saveAs_;
    QPushButton* rename_;
    QPushButton* delete_;
    QPushButton* report_;
    QLabel* status_;
    QSplitter* splitter_;

    QString folder_;
    int scan_ = 0;
    bool appending_ = false;  // the scan fills an empty list as it goes
    bool scanRunning_ = false;
    bool refreshPosted_ = false;
    std::vector<ScannedFile> collected_;
    QString selectAfterScan_;
    int selectAfterScanProgram_ = 0;

    // Programs of the unit read into the side buffer, by number; the one in flight and the one wanted next.
    std::array<std::shared_ptr<const ProgramImage>, kProgramCount> side_{};
    std::array<uint64_t, kProgramCount> sideReading_{};  // which read each copy is
    uint64_t reads_ = 0;
    int reading_ = 0;
    int wanted_ = 0;
    bool connected_ = false;
    std::array<ProgramName, kProgramCount> unitNames_{};

    // The current records last compared, to see edits made meanwhile.
    ProgramImage shownCurrent_{};
    SystemRecord shownSystem_{};
};

}  // namespace pavo
