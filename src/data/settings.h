#pragma once
// The two settings files of the data folder. KARVEL.INI is ours: the nine
// page-layout values then the backup-notice switch, one quoted value a line.
// LAVOK.INI belongs to the companion product and is only read, by position,
// for the loan limits and the backup-notice switch.

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace karvel {

struct DataContext;

inline const QString kSettingsFile = QStringLiteral("KARVEL.INI");
inline const QString kCompanionSettingsFile = QStringLiteral("LAVOK.INI");

// Reads KARVEL.INI into ctx.layout (creating the file through SaveSettings
// when it is missing), then LAVOK.INI, when present, into ctx.loanLimits and
// ctx.BackupNotice. A failure shows the standard error message; the values
// read before it stay. False when a failure was reported.
bool LoadSettings(DataContext& ctx);

// Rewrites KARVEL.INI from ctx.layout and ctx.BackupNotice, then reloads both
// files with LoadSettings. False when a failure was reported.
bool SaveSettings(DataContext& ctx);

// Reads values the way the settings files are written: blanks before a value
// are skipped; a value opening with a double quote runs to the next double
// quote; any other value runs to the next comma or line end.
class SettingsReader {
  public:
    // `path` names the file in the error raised when reading past its end.
    SettingsReader(QString text, QString path);
    bool atEnd() const { return pos_ >= text_.size(); }
    // The next value; reading past the end throws.
    QString next();

  private:
    void skipDelimiter();

    QString text_;
    QString path_;
    qsizetype pos_ = 0;
};

// The file form of `values`: each one quoted on its own line, CR LF ended.
QByteArray settingsFileBytes(const QStringList& values);

} // namespace karvel
