#include "mainwindow/controls.h"

namespace mainwindow {

namespace {

template <class T>
void take(T*& member, const char* name, const QHash<QString, QObject*>& byName,
          QStringList& missing) {
    member = qobject_cast<T*>(byName.value(QString::fromUtf8(name)));
    if (!member) {
        missing << QString::fromUtf8(name);
    }
}

}  // namespace

QStringList Controls::fill(const QHash<QString, QObject*>& byName) {
    QStringList missing;
#define QUENZA_CONTROL(name, ...) take(name, #name, byName, missing);
#include "mainwindow/controllist.def"
#undef QUENZA_CONTROL
#define QUENZA_MENU(type, name) take(name, #name, byName, missing);
    QUENZA_MENUS(QUENZA_MENU)
#undef QUENZA_MENU
    take(tmrPreview, "tmrPreview", byName, missing);
    return missing;
}

}  // namespace mainwindow
