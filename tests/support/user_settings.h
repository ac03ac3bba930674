#pragma once
// From its making on, the user's settings (QSettings made with no arguments)
// are read and written in a temporary folder that goes with this object, so
// that tests never touch the real ones.

#include <QSettings>
#include <QTemporaryDir>

namespace karvel::test {

class UserSettingsFolder {
  public:
    UserSettingsFolder() {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir_.path());
    }
    QString path() const { return dir_.path(); }

  private:
    QTemporaryDir dir_;
};

} // namespace karvel::test
