#pragma once

#include <QWidget>
#include <memory>

#include "station/station.h"

class QLineEdit;
class QToolButton;

namespace Ui {
class PlaylistOptionsPage;
class HtmlOptionsPage;
class AdvancedOptionsPage;
}  // namespace Ui

namespace spindle::gui {

// What the option pages share: every edit goes straight into the Station's Options and
// marks them changed, except while the page shows the Options as they are.
class OptionsPageBase : public QWidget {
    Q_OBJECT

public:
    explicit OptionsPageBase(Station& station, QWidget* parent)
        : QWidget(parent), station_(station) {}

    // Shows the Options as they are, without marking anything changed.
    virtual void Show() = 0;

signals:
    void OptionsEdited();
    // The library must be read again (the artist order or the extensions changed).
    void ReloadAllAsked();

protected:
    // Takes the controls' values into the Options (unless the page is being shown).
    void Edited();
    virtual void Store() = 0;
    virtual void UpdateEnabling() {}
    // The "..." button beside a folder field offers a folder chooser with `prompt`.
    void ChooseFolderWith(QToolButton* button, QLineEdit* field, const char* prompt);

    Station& station_;
    bool showing_ = false;
};

// The playlist lines and files: the format with its presets, break notes and hour
// markers, the file names, periods, folder, age of old files and path substitution.
class PlaylistOptionsPage : public OptionsPageBase {
    Q_OBJECT

public:
    explicit PlaylistOptionsPage(Station& station, QWidget* parent = nullptr);
    ~PlaylistOptionsPage() override;
    void Show() override;

private:
    void Store() override;
    void UpdateEnabling() override;
    void FormatChosen();
    void PeriodChanged();

    std::unique_ptr<Ui::PlaylistOptionsPage> ui_;
};

// The listeners' pages: whether they are written, their title, folder and contents, and
// the operator's header and footer code.
class HtmlOptionsPage : public OptionsPageBase {
    Q_OBJECT

public:
    explicit HtmlOptionsPage(Station& station, QWidget* parent = nullptr);
    ~HtmlOptionsPage() override;
    void Show() override;

private:
    void Store() override;
    void UpdateEnabling() override;
    void EnabledToggled(bool on);
    void EditCode(bool header);
    // Fills title, header and footer from the templates for a station name and home
    // page the operator gives; false when the operator cancels.
    bool FillDefaults();

    std::unique_ptr<Ui::HtmlOptionsPage> ui_;
};

// File names, logs, voice tracks, the file extensions and window settings.
class AdvancedOptionsPage : public OptionsPageBase {
    Q_OBJECT

public:
    explicit AdvancedOptionsPage(Station& station, QWidget* parent = nullptr);
    ~AdvancedOptionsPage() override;
    void Show() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Store() override;
    void ExtensionsLeft();
    void ChooseRecordingApp();

    std::unique_ptr<Ui::AdvancedOptionsPage> ui_;
    bool extensionsEdited_ = false;
};

}  // namespace spindle::gui
