#pragma once
#include "platform/desktop.h"

namespace karvel {

// Opens documents with the desktop's opener program (xdg-open), given the
// path as one argument so that spaces in folder names need no quoting. When
// that program is absent, Qt's own desktop services are tried.
class QtDesktop final : public Desktop {
  public:
    explicit QtDesktop(QString opener = QStringLiteral("xdg-open"));

  protected:
    void launch(const QString& path) override;

  private:
    QString opener_;
};

} // namespace karvel
