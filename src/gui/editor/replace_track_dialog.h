#pragma once

#include <QDialog>
#include <cstddef>
#include <memory>
#include <optional>

#include "editor/replacement_list.h"

namespace Ui {
class ReplaceTrackDialog;
}

namespace spindle::gui {

// "Replace Track": the tracks of a row's Category that could take its place, best first,
// each with the rules it would break there; narrowed to those that break none, or by a
// search of artist and title.
class ReplaceTrackDialog : public QDialog {
    Q_OBJECT

public:
    // `summary` says which row is replaced and what it breaks now.
    ReplaceTrackDialog(const ReplacementList& list, const QString& summary, QWidget* parent);
    ~ReplaceTrackDialog() override;

    // The candidate chosen, as its place in the list.
    std::optional<std::size_t> Chosen() const;

private:
    void ShowCandidates();

    const ReplacementList& list_;
    std::unique_ptr<Ui::ReplaceTrackDialog> ui_;
};

}  // namespace spindle::gui
