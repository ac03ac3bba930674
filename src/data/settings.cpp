#include "data/settings.h"

#include "data/data_context.h"
#include "data/error_report.h"
#include "platform/errors.h"
#include "platform/files.h"

#include <array>

namespace karvel {

namespace {

// The platform's number for reading past the end of a file.
constexpr int kInputPastEnd = 62;

// KARVEL.INI's first nine lines: columns come before rows.
constexpr std::array<QString LayoutFields::*, 9> kLayoutLines = {
    &LayoutFields::topMargin,   &LayoutFields::bottomMargin, &LayoutFields::leftMargin,
    &LayoutFields::rightMargin, &LayoutFields::sheetWidth,   &LayoutFields::sheetHeight,
    &LayoutFields::amplitude,   &LayoutFields::columns,      &LayoutFields::rows};

bool isLineEnd(QChar c) {
    return c == QLatin1Char('\r') || c == QLatin1Char('\n');
}

SettingsReader openSettings(DataContext& ctx, const QString& path) {
    // Read whole and closed at once, so no failure can leave the file open.
    QString text = decodeText(ctx.files.read(path));
    // A byte-order mark left by a Windows editor would hide the first quote.
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    return SettingsReader(std::move(text), path);
}

void readLayout(DataContext& ctx, const QString& path) {
    SettingsReader reader = openSettings(ctx, path);
    // Each field takes its value as soon as it is read: a short file keeps
    // the values before the failure. Line 10 is never read back.
    for (QString LayoutFields::*field : kLayoutLines)
        ctx.layout.*field = reader.next();
}

void readCompanionSettings(DataContext& ctx, const QString& path) {
    SettingsReader reader = openSettings(ctx, path);
    for (int i = 0; i < 6; ++i)
        reader.next();
    if (!reader.atEnd())
        reader.next(); // value 7, unused
    if (reader.atEnd()) {
        ctx.loanLimits.maxLoanDays = QStringLiteral("15");
        ctx.loanLimits.pupilLimit.clear();
        ctx.loanLimits.memberLimit.clear();
    } else {
        ctx.loanLimits.maxLoanDays = reader.next();
        ctx.loanLimits.pupilLimit = reader.next();
        ctx.loanLimits.memberLimit = reader.next();
    }
    ctx.BackupNotice = reader.atEnd() ? QStringLiteral("on") : reader.next();
}

bool loadSettings(DataContext& ctx, bool createIfMissing) {
    const QString ours = findEntry(ctx.dataFolder, kSettingsFile);
    bool ok = true;
    if (!ours.isEmpty()) {
        ok = RunReportingErrors(ctx, [&] { readLayout(ctx, ours); });
        // A failure stops the procedure: LAVOK.INI is not read either.
        if (!ok)
            return false;
    } else if (createIfMissing) {
        // Writes the fields as they stand (the defaults on a first run) and
        // reloads both files; a failure there is reported and loading goes on.
        SaveSettings(ctx);
    }
    const QString companion = findEntry(ctx.dataFolder, kCompanionSettingsFile);
    if (!companion.isEmpty())
        ok = RunReportingErrors(ctx, [&] { readCompanionSettings(ctx, companion); }) && ok;
    return ok;
}

} // namespace

SettingsReader::SettingsReader(QString text, QString path)
    : text_(std::move(text)), path_(std::move(path)) {}

QString SettingsReader::next() {
    if (atEnd())
        throw KarvelError(kInputPastEnd, QStringLiteral("Lecture au-delà de la fin du fichier"),
                          path_);
    while (pos_ < text_.size() &&
           (text_[pos_] == QLatin1Char(' ') || text_[pos_] == QLatin1Char('\t')))
        ++pos_;
    QString value;
    if (pos_ < text_.size() && text_[pos_] == QLatin1Char('"')) {
        const qsizetype close = text_.indexOf(QLatin1Char('"'), pos_ + 1);
        const qsizetype end = close < 0 ? text_.size() : close;
        value = text_.mid(pos_ + 1, end - pos_ - 1);
        pos_ = close < 0 ? end : close + 1;
        // Whatever follows the closing quote up to the delimiter is dropped.
        while (pos_ < text_.size() && text_[pos_] != QLatin1Char(',') && !isLineEnd(text_[pos_]))
            ++pos_;
    } else {
        const qsizetype start = pos_;
        while (pos_ < text_.size() && text_[pos_] != QLatin1Char(',') && !isLineEnd(text_[pos_]))
            ++pos_;
        value = text_.mid(start, pos_ - start);
    }
    skipDelimiter();
    return value;
}

void SettingsReader::skipDelimiter() {
    if (pos_ >= text_.size())
        return;
    if (text_[pos_] == QLatin1Char(',')) {
        ++pos_;
        return;
    }
    // CR LF, and a bare LF or CR from a file edited elsewhere.
    if (text_[pos_] == QLatin1Char('\r'))
        ++pos_;
    if (pos_ < text_.size() && text_[pos_] == QLatin1Char('\n'))
        ++pos_;
}

QByteArray settingsFileBytes(const QStringList& values) {
    QString text;
    for (const QString& value : values)
        text += QLatin1Char('"') + value + QStringLiteral("\"\r\n");
    return text.toUtf8();
}

bool LoadSettings(DataContext& ctx) {
    return loadSettings(ctx, true);
}

bool SaveSettings(DataContext& ctx) {
    const bool written = RunReportingErrors(ctx, [&] {
        QStringList values;
        for (QString LayoutFields::*field : kLayoutLines)
            values << ctx.layout.*field;
        // The switch as it stands now; it is never read back from this file.
        values << ctx.BackupNotice;
        // Written beside and renamed over the old file: a failure keeps every setting.
        ctx.files.writeAtomically(pathIn(ctx.dataFolder, kSettingsFile), settingsFileBytes(values));
    });
    if (!written)
        return false;
    // The file now exists; the reload must not try to create it again.
    return loadSettings(ctx, false);
}

} // namespace karvel
