#include "app/qt/OWindowPlace.h"

#include "app/OSettings.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

void StoreWindowPlace(const QWidget& window, OSettings& settings) {
    QRect place = window.normalGeometry();
    if (place.isEmpty()) place = window.geometry();
    settings.windowLeft = place.left();
    settings.windowTop = place.top();
    settings.windowWidth = place.width();
    settings.windowHeight = place.height();
    settings.windowMaximized = window.isMaximized();
}

void RestoreWindowPlace(QWidget& window, const OSettings& settings) {
    const auto& s = settings;
    const bool given = s.windowLeft != OSettings::kDefaultPosition &&
                       s.windowTop != OSettings::kDefaultPosition && s.windowWidth > 0 &&
                       s.windowHeight > 0;
    const QRect place =
        given ? QRect(s.windowLeft, s.windowTop, s.windowWidth, s.windowHeight) : QRect();
    // A place on a screen that is gone would open the window out of reach.
    if (given && QGuiApplication::screenAt(place.center()))
        window.setGeometry(place);
    else
        window.resize(1024, 720);
}

void ShowWindowAsPlaced(QWidget& window, const OSettings& settings) {
    if (settings.windowMaximized)
        window.showMaximized();
    else
        window.show();
}
