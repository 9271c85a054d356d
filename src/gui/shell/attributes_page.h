#pragma once

#include <QWidget>
#include <memory>
#include <optional>
#include <vector>

#include "station/station.h"
#include "stationdb/station_db.h"

namespace Ui {
class AttributesPage;
}

namespace spindle::gui {

// The option page of what the station schedules by beyond file names: where artist and
// title come from, and the attributes tracks have. Both live in the station database,
// written at once and only when changed, so a station that never uses the page never
// has one; Options.dat keeps its format.
class AttributesPage : public QWidget {
    Q_OBJECT

public:
    explicit AttributesPage(Station& station, QWidget* parent = nullptr);
    ~AttributesPage() override;

    // Shows what the station database holds now.
    void Show();

signals:
    // The files must be read again: their artists and titles, or tags, now count.
    void ReloadAllAsked();

private:
    void ArtistTitleSourceChosen(int index);
    // Opens the dialog of the selected attribute, or of a new one when `isNew`.
    void EditAttribute(bool isNew);
    void RemoveAttribute();
    void UpdateEnabling();
    // The station's rules, for the checks (none without a database); nothing, with the
    // operator told, when they cannot be read.
    std::optional<RuleTexts> Rules() const;
    // A tag must be read for what changed, and the operator wants the files read now.
    bool WantsTagsRead(const AttributeDef* before, const AttributeDef& after) const;

    Station& station_;
    std::unique_ptr<Ui::AttributesPage> ui_;
    std::vector<AttributeDef> attributes_;
    int artistTitleSource_ = 0;
    bool usable_ = true;  // the database could be read (or there is none)
    bool showing_ = false;
};

}  // namespace spindle::gui
