#pragma once

#include <QAbstractTableModel>
#include <QMainWindow>
#include <functional>
#include <memory>
#include <optional>

#include "editor/playlist_document.h"
#include "library/station.h"

class QComboBox;
class QLabel;
class QDialog;
class QLineEdit;
class QCheckBox;
class QRadioButton;

namespace Ui {
class EditorWindow;
}

namespace spindle::gui {

class ProgressWindow;
class Worker;

// The rows of the hour shown: the document's view of it, coloured when the Options ask
// for colour; rows are dragged within the hour as their items' ids.
class HourModel : public QAbstractTableModel {
    Q_OBJECT

public:
    HourModel(const PlaylistDocument& document, const Station& station, QObject* parent);
    void Show(LogHour hour);
    const HourView& View() const { return view_; }
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
    Qt::DropActions supportedDropActions() const override { return Qt::MoveAction; }
    bool dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                      const QModelIndex& parent) override;

signals:
    // Rows dragged onto `target` (before it), or below the last row.
    void RowsDropped(std::vector<std::uint64_t> ids, std::optional<std::uint64_t> target);

private:
    const PlaylistDocument& document_;
    const Station& station_;
    HourView view_;
};

// The Playlist Editor: one Playlist Log, one hour at a time, with its edits, search,
// and Save & Create Playlist on a worker thread.
class EditorWindow : public QMainWindow {
    Q_OBJECT

public:
    explicit EditorWindow(Station& station, QWidget* parent = nullptr);
    ~EditorWindow() override;

    // Opens a log (its ".plg" path) after the unsaved-changes question.
    void OpenLog(const std::string& path);
    const PlaylistDocument& Document() const { return doc_; }
    LogHour Shown() const { return shown_; }
    void ShowHour(LogHour hour);
    std::vector<std::uint64_t> SelectedIds() const;
    void SelectIds(const std::vector<std::uint64_t>& ids);
    bool Busy() const { return worker_ != nullptr; }
    ProgressWindow* Progress() const { return progress_; }
    // The search of the Find window, as its Find Next runs it.
    bool FindNext(const QString& text, bool up, bool circular);

signals:
    void Saved(bool succeeded);
    void Closed();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void Load(const std::string& path);
    void UpdateActions();
    void UpdateStatus(std::optional<std::uint32_t> offset);
    void Edited(const std::vector<std::uint64_t>& select = {});
    void Save(std::function<void(bool)> then);
    // Runs `then` once the document may be left: saved, not to be saved, or unchanged.
    void AskToSave(const std::function<void()>& then);
    void InstantReplaceSelected(bool sameArtist);
    void ShowFindWindow();

    Station& station_;
    std::unique_ptr<Ui::EditorWindow> ui_;
    PlaylistDocument doc_;
    std::string base_;  // the log's path without ".plg"
    LogHour shown_;
    HourModel* model_;
    QComboBox* day_;
    QComboBox* hour_;
    QLabel* status_[4];
    ProgressWindow* progress_ = nullptr;
    Worker* worker_ = nullptr;
    QDialog* find_ = nullptr;
    std::optional<std::uint64_t> findPos_;
    bool closing_ = false;
};

}  // namespace spindle::gui
