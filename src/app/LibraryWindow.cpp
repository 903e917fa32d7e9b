#include "app/LibraryWindow.h"

#include <algorithm>

#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QLabel>
#include <QMetaObject>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QSet>
#include <QSplitter>
#include <QStandardItemModel>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QTreeView>
#include <QUrl>
#include <QVBoxLayout>
#include <cstring>

#include "app/LibraryCompare.h"
#include "app/LibraryCurves.h"
#include "app/LibraryLoad.h"
#include "app/LibraryScanner.h"
#include "app/PavoDlg.h"
#include "app/Show_Dlg.h"
#include "model/DataConver.h"
#include "model/Model.h"
#include "model/PresetFiles.h"
#include "platform/FileDialog.h"
#include "platform/Language.h"
#include "platform/MessageBox.h"
#include "platform/ProgramNameText.h"
#include "platform/SettingsFile.h"
#include "protocol/CommandCodes.h"
#include "protocol/ProtocolHandler.h"
#include "unit/Unit.h"

namespace pavo {

namespace {

constexpr char kFolderKey[] = "library/folder";
constexpr int kRescanDelayMs = 150;  // a save is several changes of the folder: one rescan for them
constexpr int kFolderPollMs = 300;
constexpr int kMaxWatchedFiles = 2000;
const char* const kExportFormats[] = {"png", "svg", "csv"};

// The thumbnail column: the entry's curves drawn at paint time, at the view's pixel ratio.
class ThumbnailDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QStyleOptionViewItem plain = option;
        initStyleOption(&plain, index);
        plain.text.clear();
        QStyledItemDelegate::paint(p, plain, QModelIndex());
        const auto* curves =
            static_cast<const ThumbnailCurves*>(index.data(LibraryModel::CurvesRole).value<const void*>());
        // A bank's programs sit indented in a column of the same width: their pictures shrink to fit
        // rather than cover the name beside them.
        const qreal width = std::min<qreal>(kThumbnailWidth, option.rect.width() - 6);
        if (width < 8) return;
        const QRectF r(option.rect.left() + 3, option.rect.center().y() - kThumbnailHeight / 2.0 + 0.5, width,
                       kThumbnailHeight);
        p->save();
        p->setClipRect(option.rect);
        if (index.data(Qt::ForegroundRole).isValid()) p->setOpacity(0.45);  // a refused file
        if (curves) {
            PaintThumbnail(*p, r, *curves);
        } else {
            p->setRenderHint(QPainter::Antialiasing, true);
            p->setPen(QPen(option.palette.color(QPalette::Mid), 1, Qt::DotLine));
            p->setBrush(Qt::NoBrush);
            p->drawRoundedRect(r.adjusted(0.5, 0.5, -0.5, -0.5), 3, 3);
        }
        p->restore();
    }
    QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const override {
        return {kThumbnailWidth + 6, kThumbnailHeight + 4};
    }
};

QString DefaultFolder(const Model& m) {
    return QDir(QString::fromStdString(m.paths.currentDirectory)).filePath(QStringLiteral("MusicFile"));
}

QString ReadFileBytes(const QString& path, QByteArray& bytes, size_t size) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return Bilingual("不能读取", "cannot be read");
    bytes = f.read(static_cast<qint64>(size));
    return {};
}


}  // namespace

// The unit's reports the window needs, handed to its thread.
class LibraryWindow::Events : public UnitEvents {
public:
    explicit Events(LibraryWindow& w) : w_(&w) {}
    void StoredProgramReceived(int number) override {
        QMetaObject::invokeMethod(
            w_, [w = w_, number] { w->OnStoredProgram(number); }, Qt::QueuedConnection);
    }
    void DeviceFound() override {
        QMetaObject::invokeMethod(
            w_, [w = w_] { w->OnLinkChanged(); }, Qt::QueuedConnection);
    }
    void LinkFailed(const PortError&, bool) override {
        QMetaObject::invokeMethod(
            w_, [w = w_] { w->OnLinkChanged(); }, Qt::QueuedConnection);
    }

private:
    LibraryWindow* w_;
};

LibraryWindow::LibraryWindow(PavoDlg& main)
    : QWidget(&main, Qt::Window), main_(main), events_(std::make_unique<Events>(*this)) {
    setObjectName(QStringLiteral("LibraryWindow"));
    model_ = new LibraryModel(this);
    scanner_ = new LibraryScanner(this);
    watcher_ = new QFileSystemWatcher(this);
    rescanTimer_ = new QTimer(this);
    rescanTimer_->setSingleShot(true);
    rescanTimer_->setInterval(kRescanDelayMs);
    pollTimer_ = new QTimer(this);
    pollTimer_->setInterval(kFolderPollMs);

    askText = [this](const QString& title, const QString& label, const QString& initial) {
        bool ok = false;
        const QString text = QInputDialog::getText(this, title, label, QLineEdit::Normal, initial, &ok);
        return ok ? text : QString();
    };
    openUrl = [](const QUrl& url) { return QDesktopServices::openUrl(url); };

    CreateWidgets();

    model_->askCurves = [this](const CurvesKey& key, PresetKind kind) { scanner_->RequestCurves(key, kind); };
    scanner_->onScanned = [this](int scan, std::vector<ScannedFile> files, bool last) {
        OnScanned(scan, std::move(files), last);
    };
    scanner_->onCurves = [this](std::vector<FileCurves> curves) { OnCurves(std::move(curves)); };
    connect(watcher_, &QFileSystemWatcher::directoryChanged, rescanTimer_, qOverload<>(&QTimer::start));
    connect(watcher_, &QFileSystemWatcher::fileChanged, rescanTimer_, qOverload<>(&QTimer::start));
    connect(rescanTimer_, &QTimer::timeout, this, &LibraryWindow::Rescan);
    connect(pollTimer_, &QTimer::timeout, this, &LibraryWindow::Poll);

    main_.unit().AddListener(events_.get());
    resize(1180, 660);
    ApplyLanguage();
    connected_ = main_.Connected();
    Poll();
    const QString remembered = ProgramSettings().value(kFolderKey).toString();
    SetFolder(remembered.isEmpty() ? DefaultFolder(main_.unit().model()) : remembered);
}

LibraryWindow::~LibraryWindow() {
    // No report to this window from here on; what was queued goes with it.
    main_.unit().RemoveListener(events_.get());
}

void LibraryWindow::CreateWidgets() {
    sourceLabel_ = new QLabel(this);
    sourceBox_ = new QComboBox(this);
    sourceBox_->addItem(QString());
    sourceBox_->addItem(QString());
    folderLabel_ = new QLabel(this);
    folderLabel_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    folderLabel_->setMinimumWidth(120);
    folderLabel_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    chooseFolder_ = new QPushButton(this);
    openFolder_ = new QPushButton(this);
    auto* top = new QHBoxLayout;
    top->addWidget(sourceLabel_);
    top->addWidget(sourceBox_);
    top->addWidget(folderLabel_, 1);
    top->addWidget(chooseFolder_);
    top->addWidget(openFolder_);

    list_ = new QTreeView(this);
    list_->setModel(model_);
    list_->setItemDelegateForColumn(LibraryModel::ColumnCurve, new ThumbnailDelegate(list_));
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setUniformRowHeights(true);
    // Rows are as tall as a thumbnail: room for a note on two lines.
    list_->setWordWrap(true);
    list_->setAlternatingRowColors(true);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->setExpandsOnDoubleClick(false);  // a double-click loads
    list_->setDragEnabled(false);
    list_->header()->setStretchLastSection(true);
    list_->header()->resizeSection(LibraryModel::ColumnCurve, kThumbnailWidth + 26);
    // Narrow enough that the note (why a file is refused) stays in sight beside them.
    list_->header()->resizeSection(LibraryModel::ColumnName, 130);
    list_->header()->resizeSection(LibraryModel::ColumnFile, 130);
    // The time whole: measured on the list's font with the cell's margins.
    list_->header()->resizeSection(
        LibraryModel::ColumnModified,
        list_->fontMetrics().horizontalAdvance(QStringLiteral("0000-00-00 00:00")) + 20);

    compare_ = new LibraryComparePanel(this);
    blockLabel_ = new QLabel(this);
    blockBox_ = new QComboBox(this);
    for (int b = 0; b < kBlockCount; ++b) blockBox_->addItem(QString(), b);
    exportLabel_ = new QLabel(this);
    auto* graphBar = new QHBoxLayout;
    graphBar->addWidget(blockLabel_);
    graphBar->addWidget(blockBox_);
    graphBar->addStretch(1);
    graphBar->addWidget(exportLabel_);
    for (size_t i = 0; i < export_.size(); ++i) {
        export_[i] =
            new QPushButton(QString::fromLatin1(kExportFormats[i]).toUpper() + QStringLiteral("…"), this);
        graphBar->addWidget(export_[i]);
        connect(export_[i], &QPushButton::clicked, this,
                [this, i] { ExportCurve(QString::fromLatin1(kExportFormats[i])); });
    }
    graph_ = new LibraryGraph(this);
    auto* right = new QWidget(this);
    auto* rightLayout = new QVBoxLayout(right);
    rightLayout->setContentsMargins(0, 0, 0, 0);
    auto* rightSplit = new QSplitter(Qt::Vertical, right);
    rightSplit->addWidget(compare_);
    auto* graphPane = new QWidget(rightSplit);
    auto* graphLayout = new QVBoxLayout(graphPane);
    graphLayout->setContentsMargins(0, 0, 0, 0);
    graphLayout->addLayout(graphBar);
    graphLayout->addWidget(graph_, 1);
    rightSplit->addWidget(graphPane);
    rightSplit->setStretchFactor(0, 3);
    rightSplit->setStretchFactor(1, 2);
    rightLayout->addWidget(rightSplit);

    splitter_ = new QSplitter(Qt::Horizontal, this);
    splitter_->addWidget(list_);
    splitter_->addWidget(right);
    splitter_->setStretchFactor(0, 4);
    splitter_->setStretchFactor(1, 3);
    // The list wide enough for a refusal's note beside the time; the rest goes by the weights.
    splitter_->setSizes({700, 480});
    splitter_->setChildrenCollapsible(false);

    load_ = new QPushButton(this);
    load_->setDefault(true);
    saveAs_ = new QPushButton(this);
    rename_ = new QPushButton(this);
    delete_ = new QPushButton(this);
    report_ = new QPushButton(this);
    status_ = new QLabel(this);
    auto* bottom = new QHBoxLayout;
    for (QPushButton* b : {load_, saveAs_, rename_, delete_, report_}) bottom->addWidget(b);
    bottom->addWidget(status_, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(splitter_, 1);
    layout->addLayout(bottom);

    connect(sourceBox_, qOverload<int>(&QComboBox::activated), this,
            [this](int i) { SetSource(i == 1 ? LibraryModel::Source::Unit : LibraryModel::Source::Folder); });
    connect(chooseFolder_, &QPushButton::clicked, this, &LibraryWindow::ChooseFolder);
    connect(openFolder_, &QPushButton::clicked, this, &LibraryWindow::OpenFolder);
    connect(load_, &QPushButton::clicked, this, &LibraryWindow::Load);
    connect(saveAs_, &QPushButton::clicked, this, &LibraryWindow::SaveCurrentAs);
    connect(rename_, &QPushButton::clicked, this, &LibraryWindow::RenameSelected);
    connect(delete_, &QPushButton::clicked, this, &LibraryWindow::DeleteSelected);
    connect(report_, &QPushButton::clicked, this, &LibraryWindow::WriteReportOfSelection);
    connect(blockBox_, qOverload<int>(&QComboBox::currentIndexChanged), this, [this] { ShowGraph(); });
    connect(list_->selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this] {
        // A program of the unit is read afresh each time it is chosen: the stored one may have changed.
        const LibraryEntry e = SelectedEntry();
        if (e.kind == LibraryEntry::Kind::UnitProgram) RequestRead(e.program);
        ShowSelection();
    });
    connect(list_, &QTreeView::doubleClicked, this, [this](const QModelIndex& i) {
        if (model_->EntryAt(i).loadable) Load();
    });
    // Rows come and go with the folder: what is selected may change without a click. One refresh for
    // however many rows a rescan removes.
    auto refreshSoon = [this] {
        if (refreshPosted_) return;
        refreshPosted_ = true;
        QTimer::singleShot(0, this, [this] {
            refreshPosted_ = false;
            ShowSelection();
        });
    };
    connect(model_, &QAbstractItemModel::rowsRemoved, this, refreshSoon);
    connect(model_, &QAbstractItemModel::modelReset, this, refreshSoon);
}

void LibraryWindow::ApplyLanguage() {
    setWindowTitle(Bilingual("预置库", "Preset library"));
    sourceLabel_->setText(Bilingual("来源：", "Source:"));
    sourceBox_->setItemText(0, Bilingual("文件夹", "Folder"));
    sourceBox_->setItemText(1, Bilingual("设备", "The unit"));
    chooseFolder_->setText(Bilingual("选择文件夹…", "Choose folder…"));
    openFolder_->setText(Bilingual("打开文件夹", "Open folder"));
    blockLabel_->setText(Bilingual("曲线：", "Curve:"));
    for (int b = 0; b < kBlockCount; ++b) blockBox_->setItemText(b, EqBlockName(b));
    exportLabel_->setText(Bilingual("导出曲线：", "Export curve:"));
    load_->setText(Bilingual("载入", "Load"));
    saveAs_->setText(Bilingual("当前程序另存为…", "Save current as…"));
    rename_->setText(Bilingual("重命名…", "Rename…"));
    delete_->setText(Bilingual("删除", "Delete"));
    report_->setText(Bilingual("报告…", "Report…"));
    model_->Relabel();
    compare_->ApplyLanguage();
    ShowSelection();
}

void LibraryWindow::ShowBesideMain() {
    if (!isVisible()) {
        // To the right of the main window when the screen has room, else to its left, else over it.
        const QRect mainFrame = main_.frameGeometry();
        const QScreen* screen = main_.screen() ? main_.screen() : QGuiApplication::primaryScreen();
        const QRect avail = screen ? screen->availableGeometry() : QRect(0, 0, 1920, 1080);
        QPoint at(mainFrame.right() + 8, mainFrame.top());
        if (at.x() + width() > avail.right()) at.setX(std::max(avail.left(), mainFrame.left() - width() - 8));
        at.setY(std::clamp(at.y(), avail.top(), std::max(avail.top(), avail.bottom() - height())));
        move(at);
    }
    show();
    raise();
    activateWindow();
}

void LibraryWindow::showEvent(QShowEvent* e) {
    QWidget::showEvent(e);
    pollTimer_->start();
    Poll();
    Rescan();  // whatever changed while it was closed
}

void LibraryWindow::hideEvent(QHideEvent* e) {
    QWidget::hideEvent(e);
    pollTimer_->stop();
}

QString LibraryWindow::statusText() const {
    return status_->text();
}

// ---- The folder ----

void LibraryWindow::SetFolder(const QString& folder) {
    const QString absolute = QDir(folder).absolutePath();
    const bool changed = absolute != folder_;
    folder_ = absolute;
    if (changed && !folder_.isEmpty()) ProgramSettings().setValue(kFolderKey, folder_);
    folderLabel_->setText(QDir::toNativeSeparators(folder_));
    folderLabel_->setToolTip(QDir::toNativeSeparators(folder_));
    if (changed) {
        model_->ClearFiles();
        if (!watcher_->directories().isEmpty()) watcher_->removePaths(watcher_->directories());
        if (!watcher_->files().isEmpty()) watcher_->removePaths(watcher_->files());
        if (QFileInfo(folder_).isDir()) watcher_->addPath(folder_);
    }
    Rescan();
    UpdateActions();
}

void LibraryWindow::ChooseFolder() {
    const QString chosen = QFileDialog::getExistingDirectory(
        this, Bilingual("选择预置文件夹", "Choose the preset folder"), folder_);
    if (!chosen.isEmpty()) SetFolder(chosen);
}

void LibraryWindow::Rescan() {
    rescanTimer_->stop();
    if (!QFileInfo(folder_).isDir()) {
        model_->SetFiles({});
        scanRunning_ = false;
        status_->setText(Bilingual("文件夹不存在：%1", "The folder does not exist: %1")
                             .arg(QDir::toNativeSeparators(folder_)));
        return;
    }
    if (watcher_->directories().isEmpty()) watcher_->addPath(folder_);  // created since
    appending_ = model_->fileCount() == 0;
    collected_.clear();
    scanRunning_ = true;
    scan_ = scanner_->Scan(folder_);
}

void LibraryWindow::OnScanned(int scan, std::vector<ScannedFile> files, bool last) {
    if (scan != scan_) return;  // a newer scan replaces it
    if (appending_) {
        model_->AppendFiles(std::move(files));
    } else {
        for (ScannedFile& f : files) collected_.push_back(std::move(f));
        if (last) model_->SetFiles(std::move(collected_));
        collected_.clear();
    }
    if (!last) return;
    scanRunning_ = false;
    WatchFiles();
    if (!selectAfterScan_.isEmpty()) {
        SelectFile(selectAfterScan_, selectAfterScanProgram_);
        selectAfterScan_.clear();
    }
    status_->setText(Bilingual("%1 个预置文件", "%1 preset files").arg(model_->fileCount()));
    ShowSelection();
}

// Files rewritten in place change no directory entry: each file is watched too.
void LibraryWindow::WatchFiles() {
    if (model_->source() != LibraryModel::Source::Folder) return;
    QSet<QString> wanted;
    for (int r = 0; r < model_->fileCount() && r < kMaxWatchedFiles; ++r)
        if (const ScannedFile* f = model_->FileAt(model_->index(r, 0))) wanted.insert(f->path);
    const QStringList watchedList = watcher_->files();
    const QSet<QString> watched(watchedList.begin(), watchedList.end());
    QStringList gone, added;
    for (const QString& w : watchedList)
        if (!wanted.contains(w)) gone << w;
    for (const QString& w : wanted)
        if (!watched.contains(w)) added << w;
    if (!gone.isEmpty()) watcher_->removePaths(gone);
    if (!added.isEmpty()) watcher_->addPaths(added);
}

void LibraryWindow::OnCurves(std::vector<FileCurves> curves) {
    for (const FileCurves& c : curves) {
        if (c.key.unitProgram) {
            // Only the newest read of a program of the unit is shown.
            if (c.key.unitReading == sideReading_[c.key.unitProgram - 1])
                model_->SetUnitCurves(c.key.unitProgram,
                                      std::make_shared<const std::vector<ThumbnailCurves>>(c.programs));
            continue;
        }
        model_->SetCurves(c);
    }
}

// ---- The unit ----

bool LibraryWindow::UnitSourceEnabled() const {
    const auto* items = qobject_cast<const QStandardItemModel*>(sourceBox_->model());
    return items && items->item(1)->isEnabled();
}

void LibraryWindow::SetSource(LibraryModel::Source source) {
    if (source == LibraryModel::Source::Unit && !main_.Connected()) source = LibraryModel::Source::Folder;
    sourceBox_->setCurrentIndex(source == LibraryModel::Source::Unit ? 1 : 0);
    model_->SetSource(source);
    folderLabel_->setEnabled(source == LibraryModel::Source::Folder);
    chooseFolder_->setEnabled(source == LibraryModel::Source::Folder);
    if (source == LibraryModel::Source::Folder) WatchFiles();
    UpdateActions();
    ShowSelection();
}

// Off line the unit is no source; each new connection reads the programs again.
void LibraryWindow::OnLinkChanged() {
    const bool connected = main_.Connected();
    const bool wasConnected = connected_;
    connected_ = connected;
    if (auto* items = qobject_cast<QStandardItemModel*>(sourceBox_->model()))
        items->item(1)->setEnabled(connected);
    if (!connected || !wasConnected) {
        reading_ = wanted_ = 0;
        for (int n = 1; n <= kProgramCount; ++n) {
            side_[n - 1].reset();
            sideReading_[n - 1] = 0;
            model_->SetUnitReading(n, false);
            model_->SetUnitCurves(n, nullptr);
        }
    }
    if (!connected && model_->source() == LibraryModel::Source::Unit) SetSource(LibraryModel::Source::Folder);
    UpdateActions();
}

void LibraryWindow::RequestRead(int program) {
    if (!main_.Connected()) return;
    if (reading_) {
        wanted_ = program == reading_ ? 0 : program;
        return;
    }
    ProtocolHandler& handler = main_.unit().handler();
    if (!handler.WithSendLock([&] { return handler.QueueProgramRead(program); })) return;
    reading_ = program;
    model_->SetUnitReading(program, true);
    status_->setText(Bilingual("正在从设备读取程序 %1…", "Reading program %1 from the unit…")
                         .arg(QString::fromStdString(ProgramNumberText(program))));
}

void LibraryWindow::OnStoredProgram(int number) {
    if (number < 1 || number > kProgramCount || !main_.Connected()) return;
    // The receive path filed it in the bank; the side buffer takes a copy of its own.
    const Model& m = main_.unit().model();
    auto image = std::make_shared<ProgramImage>();
    m.Edit([&] { CopyRecord(*image, m.bank.Programs[number - 1]); });
    side_[number - 1] = image;
    sideReading_[number - 1] = ++reads_;
    scanner_->RequestCurves({QString(), 0, 0, number, reads_}, *image);
    if (number == reading_) {
        reading_ = 0;
        model_->SetUnitReading(number, false);
        status_->clear();
        if (wanted_) {
            const int next = wanted_;
            wanted_ = 0;
            RequestRead(next);
        }
    }
    const LibraryEntry e = SelectedEntry();
    if (e.kind == LibraryEntry::Kind::UnitProgram && e.program == number) ShowSelection();
}

std::shared_ptr<const ProgramImage> LibraryWindow::UnitProgram(int program) const {
    return program >= 1 && program <= kProgramCount ? side_[program - 1] : nullptr;
}

void LibraryWindow::Poll() {
    if (main_.Connected() != connected_ || UnitSourceEnabled() != connected_) OnLinkChanged();
    // The names come with the full read.
    const Model& m = main_.unit().model();
    std::array<ProgramName, kProgramCount> names{};
    m.Edit([&] {
        for (int n = 0; n < kProgramCount; ++n)
            std::memcpy(names[n].data(), m.bank.Programs[n].ProgramName, kProgramNameLength);
    });
    if (names != unitNames_) {
        unitNames_ = names;
        model_->SetUnitNames(names);
    }
    // Edits, imports and recalls since the comparison was shown.
    ProgramImage image;
    SystemRecord system;
    CurrentRecords(image, system);
    if (!SameRecord(image, shownCurrent_) || !SameRecord(system, shownSystem_)) ShowSelection();
    UpdateActions();
}

// ---- Selection, comparison, graph ----

LibraryEntry LibraryWindow::SelectedEntry() const {
    return model_->EntryAt(list_->selectionModel()->currentIndex());
}

bool LibraryWindow::SelectFile(const QString& path, int program) {
    if (model_->source() != LibraryModel::Source::Folder) SetSource(LibraryModel::Source::Folder);
    const QModelIndex i = model_->IndexOfFile(QFileInfo(path).absoluteFilePath(), program);
    if (!i.isValid()) return false;
    if (i.parent().isValid()) list_->expand(i.parent());
    list_->selectionModel()->setCurrentIndex(i,
                                             QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    list_->scrollTo(i);
    return true;
}

bool LibraryWindow::SelectUnitProgram(int program) {
    SetSource(LibraryModel::Source::Unit);
    const QModelIndex i = model_->IndexOfUnitProgram(program);
    if (!i.isValid()) return false;
    list_->selectionModel()->setCurrentIndex(i,
                                             QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    list_->scrollTo(i);
    return true;
}

void LibraryWindow::CurrentRecords(ProgramImage& image, SystemRecord& system) const {
    const Model& m = main_.unit().model();
    m.Edit([&] {
        CopyRecord(image, m.current);
        CopyRecord(system, m.system);
    });
}

std::optional<LibraryWindow::EntryImages> LibraryWindow::ImagesOf(const LibraryEntry& e, QString* why) const {
    EntryImages out;
    switch (e.kind) {
        case LibraryEntry::Kind::None:
            return std::nullopt;
        case LibraryEntry::Kind::UnitProgram: {
            const auto image = UnitProgram(e.program);
            if (!image) {
                if (why)
                    *why = reading_ == e.program || main_.Connected()
                               ? Bilingual("正在从设备读取该程序…", "Reading the program from the unit…")
                               : Bilingual("离线：不能读取设备的程序。",
                                           "Off line: the unit's programs cannot be read.");
                return std::nullopt;
            }
            CopyRecord(out.image, *image);
            // The unit's system record is the one the program has from it.
            out.system = main_.unit().model().Edit([&] { return main_.unit().model().system; });
            out.source = Bilingual("设备程序 %1", "Unit program %1")
                             .arg(QString::fromStdString(ProgramNumberText(e.program)));
            return out;
        }
        case LibraryEntry::Kind::ProgramFile: {
            QByteArray bytes;
            QString error = ReadFileBytes(e.path, bytes, kDiaFileSize);
            const auto dia = ProgramFileOf(SpanOf(bytes));
            if (!dia) {
                if (why)
                    *why = error.isEmpty()
                               ? RefusalText(SummarizePreset(PresetKind::Program, SpanOf(bytes), bytes.size()))
                               : error;
                return std::nullopt;
            }
            CopyRecord(out.image, dia->image);
            out.system = dia->system;
            out.source = Bilingual("文件 %1", "File %1").arg(QDir::toNativeSeparators(e.path));
            return out;
        }
        case LibraryEntry::Kind::BankFile:
        case LibraryEntry::Kind::BankProgram: {
            QByteArray bytes;
            QString error = ReadFileBytes(e.path, bytes, kDatFileSize);
            const auto bank = BankFileOf(SpanOf(bytes));
            if (!bank) {
                if (why)
                    *why = error.isEmpty()
                               ? RefusalText(SummarizePreset(PresetKind::Bank, SpanOf(bytes), bytes.size()))
                               : error;
                return std::nullopt;
            }
            out.system = bank->System;
            out.systemTaken = e.kind == LibraryEntry::Kind::BankFile;
            const int n = e.program;
            if (n >= 1 && n <= kProgramCount) {
                CopyRecord(out.image, bank->Programs[n - 1]);
            } else {
                // A bank whose header names no program keeps the current one when imported.
                out.image = main_.unit().model().Edit([&] { return main_.unit().model().current; });
            }
            out.source =
                Bilingual("文件 %1，程序 %2", "File %1, program %2")
                    .arg(QDir::toNativeSeparators(e.path), QString::fromStdString(ProgramNumberText(n)));
            return out;
        }
    }
    return std::nullopt;
}

void LibraryWindow::ShowSelection() {
    CurrentRecords(shownCurrent_, shownSystem_);
    const LibraryEntry e = SelectedEntry();
    QString why;
    const auto images = e.comparable ? ImagesOf(e, &why) : std::nullopt;
    if (e.kind == LibraryEntry::Kind::None) {
        compare_->ShowMessage(Bilingual("选择一个预置，与当前程序比较。",
                                        "Select a preset to compare it with the current program."));
    } else if (!images) {
        if (why.isEmpty()) {
            if (const ScannedFile* f = model_->FileAt(list_->selectionModel()->currentIndex()))
                why = Bilingual("不能载入：", "Cannot be loaded: ") + RefusalText(f->summary);
        }
        compare_->ShowMessage(why);
    } else {
        compare_->Show({&shownCurrent_, &shownSystem_},
                       {&images->image, images->system ? &*images->system : nullptr}, images->systemTaken);
    }
    ShowGraph();
    UpdateActions();
}

int LibraryWindow::graphBlock() const {
    return blockBox_->currentData().toInt();
}

void LibraryWindow::SetGraphBlock(int block) {
    blockBox_->setCurrentIndex(std::clamp(block, 0, kBlockCount - 1));
}

void LibraryWindow::ShowGraph() {
    const int block = graphBlock();
    GraphPicture picture;
    picture.title = EqBlockName(block);
    GraphCurve current;
    current.label = Bilingual("当前", "Current");
    current.colour = QColor(235, 235, 235);
    if (const auto levels = ProgramBlockResponse(shownCurrent_, block)) current.levels = *levels;
    const LibraryEntry e = SelectedEntry();
    const auto images = e.comparable ? ImagesOf(e) : std::nullopt;
    if (images) {
        GraphCurve entry;
        entry.label = Bilingual("预置", "Preset");
        entry.colour = QColor(64, 200, 255);
        if (const auto levels = ProgramBlockResponse(images->image, block)) entry.levels = *levels;
        picture.curves.push_back(entry);
    }
    picture.curves.push_back(current);
    graph_->SetPicture(std::move(picture));
}

bool LibraryWindow::Busy() const {
    return main_.unit().model().flags.transferPending.load() != 0 ||
           main_.progress().mode() != Show_Dlg::Mode::Hidden;
}

void LibraryWindow::UpdateActions() {
    const LibraryEntry e = SelectedEntry();
    const bool folderSource = model_->source() == LibraryModel::Source::Folder;
    const bool folderThere = QFileInfo(folder_).isDir();
    const bool unitOk = e.kind != LibraryEntry::Kind::UnitProgram || main_.Connected();
    load_->setEnabled(e.loadable && unitOk && !Busy());
    const bool fileRow = e.kind == LibraryEntry::Kind::ProgramFile || e.kind == LibraryEntry::Kind::BankFile;
    saveAs_->setEnabled(folderThere);
    rename_->setEnabled(folderSource && fileRow);
    delete_->setEnabled(folderSource && fileRow);
    openFolder_->setEnabled(folderThere);
}

// ---- Actions ----

QString LibraryWindow::SelectedFilePath() const {
    const ScannedFile* f = model_->FileAt(list_->selectionModel()->currentIndex());
    return f ? f->path : QString();
}

QString LibraryWindow::AskName(const QString& title, const QString& label, const QString& initial) {
    return askText ? askText(title, label, initial).trimmed() : QString();
}

void LibraryWindow::SelectAfterScan(const QString& path) {
    selectAfterScan_ = QFileInfo(path).absoluteFilePath();
    selectAfterScanProgram_ = 0;
    Rescan();
}

void LibraryWindow::Load() {
    const LibraryEntry e = SelectedEntry();
    if (!e.loadable || Busy()) return;
    switch (e.kind) {
        case LibraryEntry::Kind::ProgramFile:
        case LibraryEntry::Kind::BankFile:
            LoadPresetFile(main_, e.path);
            break;
        case LibraryEntry::Kind::BankProgram: {
            QByteArray bytes;
            ReadFileBytes(e.path, bytes, kDatFileSize);
            const auto bank = BankFileOf(SpanOf(bytes));
            if (!bank) {
                ShowMessageBox(this, QStringLiteral("File read Error"));
                return;
            }
            DiaContents program;
            CopyRecord(program.system, bank->System);
            CopyRecord(program.image, bank->Programs[e.program - 1]);
            LoadProgram(main_, program);
            break;
        }
        case LibraryEntry::Kind::UnitProgram:
            if (main_.Connected()) main_.SendDeviceCommand(CmdRecall, static_cast<unsigned>(e.program));
            break;
        case LibraryEntry::Kind::None:
            break;
    }
    ShowSelection();
}

void LibraryWindow::SaveCurrentAs() {
    if (!QFileInfo(folder_).isDir()) return;
    const Model& m = main_.unit().model();
    const QString suggested = ProgramNameText(m.current.ProgramName, kProgramNameLength);
    QString name = AskName(Bilingual("当前程序另存为", "Save current as"),
                           Bilingual("文件名：", "File name:"), suggested);
    name.replace(u'/', u'_').replace(u'\\', u'_');
    if (name.isEmpty() || name == QStringLiteral(".") || name == QStringLiteral("..")) return;
    if (!name.endsWith(QStringLiteral(".dia"), Qt::CaseInsensitive)) name += QStringLiteral(".dia");
    const QString path = QDir(folder_).filePath(name);
    if (QFileInfo::exists(path) &&
        ShowMessageBox(this, Bilingual("%1 已存在。是否替换？", "%1 exists. Replace it?").arg(name), {},
                       BoxYesNo) != ResultYes)
        return;
    DiaContents file;
    m.Edit([&] {
        CopyRecord(file.system, m.system);
        CopyRecord(file.image, m.current);
    });
    if (!WriteDia(path.toStdString(), file.system, file.image)) {
        ShowMessageBox(this, QStringLiteral("MusicFile Write Error"));
        return;
    }
    SelectAfterScan(path);
}

void LibraryWindow::RenameSelected() {
    const QString path = SelectedFilePath();
    const LibraryEntry e = SelectedEntry();
    if (path.isEmpty() || e.kind == LibraryEntry::Kind::BankProgram) return;
    const QFileInfo info(path);
    const QString suffix = QStringLiteral(".") + info.suffix();
    QString name = AskName(Bilingual("重命名", "Rename"), Bilingual("新文件名：", "New file name:"),
                           info.completeBaseName());
    name.replace(u'/', u'_').replace(u'\\', u'_');
    if (name.isEmpty()) return;
    if (!name.endsWith(suffix, Qt::CaseInsensitive)) name += suffix;
    const QString target = info.dir().filePath(name);
    if (target == path) return;
    if (QFileInfo::exists(target)) {
        ShowMessageBox(this, Bilingual("%1 已存在。", "%1 exists already.").arg(name));
        return;
    }
    if (!QFile::rename(path, target)) {
        ShowMessageBox(this, Bilingual("不能重命名 %1。", "Unable to rename %1.").arg(info.fileName()));
        return;
    }
    SelectAfterScan(target);
}

void LibraryWindow::DeleteSelected() {
    const QString path = SelectedFilePath();
    const LibraryEntry e = SelectedEntry();
    if (path.isEmpty() || e.kind == LibraryEntry::Kind::BankProgram) return;
    const QString name = QFileInfo(path).fileName();
    if (ShowMessageBox(this, Bilingual("将 %1 移到回收站？", "Move %1 to the trash?").arg(name), {},
                       BoxYesNo) != ResultYes)
        return;
    if (!QFile::moveToTrash(path)) {
        ShowMessageBox(this,
                       Bilingual("不能将 %1 移到回收站。", "Unable to move %1 to the trash.").arg(name));
        return;
    }
    Rescan();
}

void LibraryWindow::OpenFolder() {
    if (openUrl) openUrl(QUrl::fromLocalFile(folder_));
}

void LibraryWindow::WriteReportOfSelection() {
    QString suggested = ProgramNameText(shownCurrent_.ProgramName, kProgramNameLength);
    if (const auto images = ImagesOf(SelectedEntry()))
        suggested = ProgramNameText(images->image.ProgramName, kProgramNameLength);
    if (suggested.isEmpty()) suggested = QStringLiteral("report");
    const QString initial = QDir(QFileInfo(folder_).isDir() ? folder_ : QDir::currentPath())
                                .filePath(suggested + QStringLiteral(".pdf"));
    QString chosen = AskFileName({this, true, initial, QStringLiteral("*.pdf")});
    if (chosen.isEmpty()) return;
    if (QFileInfo(chosen).suffix().isEmpty()) chosen += QStringLiteral(".pdf");
    if (!WriteReportTo(chosen)) ShowMessageBox(this, Bilingual("不能保存文件!", "Unable to save the file!"));
}

bool LibraryWindow::WriteReportTo(const QString& path) {
    ReportSubject subject;
    if (auto images = ImagesOf(SelectedEntry())) {
        subject.image = images->image;
        subject.system = images->system;
        subject.source = images->source;
    } else {
        CurrentRecords(subject.image, subject.system.emplace());
        subject.source = main_.Connected() ? Bilingual("当前程序（设备）", "Current program (the unit)")
                                           : Bilingual("当前程序（离线）", "Current program (off line)");
    }
    return WriteReport(path, subject);
}

void LibraryWindow::ExportCurve(const QString& format) {
    const QString pattern = QStringLiteral("*.") + format;
    const QString base =
        EqBlockName(graphBlock(), LanguageEnglish).replace(u' ', u'_').replace(u'&', QString());
    const QString initial =
        QDir(QFileInfo(folder_).isDir() ? folder_ : QDir::currentPath()).filePath(base + u'.' + format);
    QString chosen = AskFileName({this, true, initial, pattern});
    if (chosen.isEmpty()) return;
    if (QFileInfo(chosen).suffix().isEmpty()) chosen += u'.' + format;
    if (!ExportCurveTo(chosen, format))
        ShowMessageBox(this, Bilingual("不能保存文件!", "Unable to save the file!"));
}

bool LibraryWindow::ExportCurveTo(const QString& path, const QString& format) {
    if (format == QStringLiteral("png")) return graph_->SavePng(path);
    if (format == QStringLiteral("svg")) return graph_->SaveSvg(path);
    if (format != QStringLiteral("csv")) return false;
    // The entry's curve, or the current one when nothing is selected: the numbers pavo-cli prints.
    const auto images = ImagesOf(SelectedEntry());
    const auto levels = ProgramBlockResponse(images ? images->image : shownCurrent_, graphBlock());
    if (!levels) return false;
    const QByteArray text = QByteArray::fromStdString(CurveCsv(*levels));
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(text) == text.size() && f.flush();
}

}  // namespace pavo
