// Where the platform keeps what it remembers between runs (window geometry, folders used last):
// the user's settings of this program. Only such conveniences go there, never a value that is
// sent to the sensor.
#pragma once

#include <QSettings>

namespace platform {

inline QSettings UserSettings() {
    return QSettings(QStringLiteral("Tavrix"), QStringLiteral("Tavrix-Didor"));
}

}  // namespace platform
