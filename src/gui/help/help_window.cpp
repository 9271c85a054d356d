#include "gui/help/help_window.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QKeyEvent>
#include <QPushButton>
#include <QTextBrowser>
#include <QToolBar>
#include <QUrl>
#include <QVBoxLayout>

#include "gui/widgets/qt_text.h"

namespace spindle::gui {
namespace {

std::filesystem::path& Folder() {
    static std::filesystem::path folder;
    return folder;
}

constexpr const char* kPageProperty = "spindleHelpPage";

class HelpBrowser : public QWidget {
public:
    HelpBrowser() : QWidget(nullptr, Qt::Window) {
        setObjectName(QStringLiteral("helpWindow"));
        setWindowTitle(Tr(N_("Spindle Help")));
        browser_ = new QTextBrowser(this);
        browser_->setObjectName(QStringLiteral("helpBrowser"));
        browser_->setAccessibleName(windowTitle());
        browser_->setOpenExternalLinks(true);
        auto* tools = new QToolBar(this);
        QAction* back = tools->addAction(Tr(N_("Back")), browser_, &QTextBrowser::backward);
        QAction* forward = tools->addAction(Tr(N_("Forward")), browser_, &QTextBrowser::forward);
        tools->addAction(Tr(N_("Contents")), this, [this] { Open(QStringLiteral("index.html")); });
        back->setEnabled(false);
        forward->setEnabled(false);
        connect(browser_, &QTextBrowser::backwardAvailable, back, &QAction::setEnabled);
        connect(browser_, &QTextBrowser::forwardAvailable, forward, &QAction::setEnabled);
        auto* layout = new QVBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(tools);
        layout->addWidget(browser_);
        resize(760, 620);
        SetHelpPage(this, QStringLiteral("index.html"));
    }
    void Open(const QString& page) {
        const QString file = page.section(QLatin1Char('#'), 0, 0);
        const QString anchor = page.section(QLatin1Char('#'), 1);
        const std::filesystem::path path = Folder() / file.toStdString();
        std::error_code ec;
        if (Folder().empty() || !std::filesystem::exists(path, ec)) {
            browser_->setHtml(
                Tr(N_("<h1>Help is not installed</h1><p>The help pages were not "
                      "found beside the program. Reinstall Spindle, or see "
                      "README.md in its source.</p>")));
            return;
        }
        QUrl url = QUrl::fromLocalFile(Q(path.string()));
        if (!anchor.isEmpty()) {
            url.setFragment(anchor);
        }
        browser_->setSource(url);
    }
    QTextBrowser* browser_;
};

HelpBrowser*& Window() {
    static HelpBrowser* window = nullptr;
    return window;
}

class HelpKey : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress &&
            static_cast<QKeyEvent*>(event)->key() == Qt::Key_F1) {
            QWidget* front = QApplication::activeModalWidget();
            if (front == nullptr) {
                front = QApplication::activeWindow();
            }
            ShowHelp(HelpPageOf(front));
            return true;
        }
        return QObject::eventFilter(watched, event);
    }
};

}  // namespace

void SetHelpFolder(const std::filesystem::path& folder) {
    Folder() = folder;
}

void ShowHelp(const QString& page) {
    if (Window() == nullptr) {
        Window() = new HelpBrowser;
        Window()->setAttribute(Qt::WA_DeleteOnClose, false);
        // The program ends with its main window, help open or not: a program left running
        // for its help window would hold the data folder's lock.
        Window()->setAttribute(Qt::WA_QuitOnClose, false);
    }
    Window()->Open(page.isEmpty() ? QStringLiteral("index.html") : page);
    Window()->show();
    Window()->raise();
    Window()->activateWindow();
}

void SetHelpPage(QWidget* window, const QString& page) {
    window->setProperty(kPageProperty, page);
}

QString HelpPageOf(const QWidget* window) {
    for (const QWidget* w = window; w != nullptr; w = w->parentWidget()) {
        const QString page = w->property(kPageProperty).toString();
        if (!page.isEmpty()) {
            return page;
        }
    }
    return QStringLiteral("index.html");
}

void AddHelpButton(QDialogButtonBox* buttons, QWidget* dialog, const QString& page) {
    SetHelpPage(dialog, page);
    QPushButton* help = buttons->addButton(QDialogButtonBox::Help);
    help->setObjectName(QStringLiteral("help"));
    QObject::connect(help, &QPushButton::clicked, dialog, [page] { ShowHelp(page); });
}

void InstallHelpKey() {
    static HelpKey* key = nullptr;
    if (key == nullptr) {
        key = new HelpKey(qApp);
        qApp->installEventFilter(key);
    }
}

QWidget* HelpWindow() {
    return Window();
}

}  // namespace spindle::gui
