#include "gui/widgets/gui_operator.h"

#include <QInputDialog>
#include <QMessageBox>

#include "gui/widgets/qt_text.h"

namespace spindle::gui {
namespace {

QMessageBox::Icon IconOf(MessageKind kind) {
    switch (kind) {
        case MessageKind::Warning:
            return QMessageBox::Warning;
        case MessageKind::Error:
            return QMessageBox::Critical;
        case MessageKind::Information:
            return QMessageBox::Information;
        case MessageKind::Confirmation:
            return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons ButtonsOf(Buttons buttons) {
    switch (buttons) {
        case Buttons::Ok:
            return QMessageBox::Ok;
        case Buttons::OkCancel:
            return QMessageBox::Ok | QMessageBox::Cancel;
        case Buttons::Cancel:
            return QMessageBox::Cancel;
        case Buttons::YesNo:
            return QMessageBox::Yes | QMessageBox::No;
        case Buttons::YesNoCancel:
            return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
        case Buttons::YesCancelYesToAll:
            return QMessageBox::Yes | QMessageBox::Cancel | QMessageBox::YesToAll;
    }
    return QMessageBox::Ok;
}

Answer AnswerOf(int button) {
    switch (button) {
        case QMessageBox::Ok:
            return Answer::Ok;
        case QMessageBox::Yes:
            return Answer::Yes;
        case QMessageBox::No:
            return Answer::No;
        case QMessageBox::YesToAll:
            return Answer::YesToAll;
        default:
            return Answer::Cancel;
    }
}

}  // namespace

Answer GuiOperator::Show(MessageKind kind, std::string_view text, Buttons buttons) {
    // Texts written for files end their lines with CR LF; a box, and a screen reader
    // reading it, wants plain line feeds.
    QString shown = Q(text);
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QMessageBox box(IconOf(kind), QStringLiteral("Spindle"), shown, ButtonsOf(buttons), parent_);
    return AnswerOf(box.exec());
}

std::optional<std::string> GuiOperator::Query(std::string_view title, std::string_view prompt,
                                              std::string_view initial) {
    bool ok = false;
    const QString answer =
        QInputDialog::getText(parent_, Q(title), Q(prompt), QLineEdit::Normal, Q(initial), &ok);
    if (!ok) {
        return std::nullopt;
    }
    return S(answer);
}

}  // namespace spindle::gui
