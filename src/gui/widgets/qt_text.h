#pragma once

#include <QDate>
#include <QString>
#include <string>
#include <string_view>

#include "base/translate.h"

namespace spindle::gui {

// The program's own texts go through the core's catalogue, never QObject::tr.
inline QString Tr(const char* text) {
    return QString::fromStdString(tr(text));
}

// Day 0 of the program's day numbers, for the date pickers.
inline const QDate kDayZero(1899, 12, 30);

inline QString Q(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

inline std::string S(const QString& text) {
    return text.toStdString();
}

}  // namespace spindle::gui
