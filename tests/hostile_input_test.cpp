// Hostile and broken input from a fixed seed, through the bodies the libFuzzer
// programs run: a hundred thousand readings at one desk of a demo school,
// settings files of every shape, and the lists and series of the printing
// windows.

#include "data/settings.h"
#include "fuzz_targets.h"
#include "platform/sqlite_db.h"
#include "printing/label_numbers.h"
#include "printing/label_sheets.h"
#include "test_data.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <gtest/gtest.h>
#include <iostream>
#include <random>
#include <string>
#include <vector>

using namespace karvel;
using namespace karvel::test;
namespace fuzz = karvel::fuzz;

namespace {

// Raw draws from the standard engine, whose sequence the standard fixes; the
// distributions are left aside because each library draws its own way.
class Draws {
  public:
    explicit Draws(uint32_t seed) : engine_(seed) {}
    uint32_t below(uint32_t n) { return engine_() % n; }
    bool percent(uint32_t p) { return below(100) < p; }
    template <typename T, size_t N> const T& pick(const T (&items)[N]) { return items[below(N)]; }

  private:
    std::mt19937 engine_;
};

// What a barcode reader, a hurried hand or a malicious one can send: quotes
// and wildcards, query fragments, controls and NUL, bytes that are not UTF-8.
// No line feed: it ends a reading.
const char* const kFragments[] = {
    "'",
    "\"",
    "%",
    "_",
    "*",
    "''",
    "DOC-1' OR '1'='1",
    "' OR 1=1 --",
    "'; DROP TABLE vok; --",
    "\" OR \"\"=\"",
    "1; DELETE FROM membres",
    "DOC-00001'--",
    "ECO-' OR '1'='1",
    "EXT-00001' OR 'x'='x",
    "DOC-%",
    "DOC-_____",
    "DOC-0000_",
    "DOC-0001%",
    "ECO-%",
    "EXT-_",
    "ECO-*****",
    "DOC-*",
    "\\",
    "\\'",
    "NULL",
    "DOC-00001 ",
    "\t",
    "\r",
    "\x1b[2J",
    "\x7f",
    "\xc3\xa9",         // é, well formed
    "\xe9",             // é in Windows-1252: not UTF-8
    "\xc0\xaf",         // an overlong "/"
    "\xed\xa0\x80",     // a lone surrogate
    "\xf4\x90\x80\x80", // past the last code point
    "\xef\xbb\xbf",     // a byte-order mark
    "\xff\xfe",
    "\xf0\x9f\x93\x9a", // a four-byte character, split by the last five
    "ß",
};

std::string commandWord(Draws& d) {
    static const char* const kWords[] = {"E", "R", "EMPRUNT", "RESTITUTION",
                                         "E", "R", "I",       "IMPRESSION"};
    std::string word = d.pick(kWords);
    for (char& c : word) {
        if (d.percent(30))
            c = char(c - 'A' + 'a');
    }
    return word;
}

std::string fiveDigits(uint32_t n) {
    std::string s = std::to_string(n);
    return std::string(s.size() < 5 ? 5 - s.size() : 0, '0') + s;
}

std::string hostileBytes(Draws& d, size_t length) {
    std::string out;
    while (out.size() < length) {
        const uint32_t kind = d.below(10);
        if (kind < 3)
            out += d.pick(kFragments);
        else if (kind < 5) {
            const uint32_t control = d.below(0x20); // controls and NUL
            out += char(control == '\n' ? 0 : control);
        } else if (kind < 7)
            out += char(0x80 + d.below(0x80)); // bytes that begin no character alone
        else
            out += char(0x20 + d.below(0x5f)); // printable ASCII
    }
    return out;
}

// One reading: real barcodes most of the time, so that loans, returns and
// refusals happen, with hostile ones in between and inside.
std::string reading(Draws& d) {
    const uint32_t p = d.below(1000);
    if (p < 140)
        return commandWord(d);
    if (p < 240) {
        static const char* const kPrefixes[] = {"ECO-", "ECO-", "eco-", "Eco-", "ECO", "ECO-0"};
        return d.pick(kPrefixes) + fiveDigits(1 + d.below(330)); // a few past the last pupil
    }
    if (p < 290) {
        static const char* const kPrefixes[] = {"EXT-", "ext-", "EXT"};
        return d.pick(kPrefixes) + fiveDigits(1 + d.below(45));
    }
    if (p < 560) {
        const uint32_t n = 1 + d.below(420); // a few past the last document
        switch (d.below(6)) {
        case 0:
            return std::to_string(n);
        case 1:
            return "doc-" + fiveDigits(n);
        case 2:
            return " DOC-" + fiveDigits(n) + " ";
        default:
            return "DOC-" + fiveDigits(n);
        }
    }
    if (p < 660)
        return d.pick(kFragments);
    if (p < 760) // a real code with hostile bytes before or after it
        return d.percent(50)
                   ? hostileBytes(d, 1 + d.below(6)) + "DOC-" + fiveDigits(1 + d.below(400))
                   : "DOC-" + fiveDigits(1 + d.below(400)) + hostileBytes(d, 1 + d.below(3));
    if (p < 790)
        return (d.percent(50) ? "ECO-" : "EXT-") + hostileBytes(d, 1 + d.below(8));
    if (p < 975)
        return hostileBytes(d, 1 + d.below(40));
    if (p < 978) // ten thousand characters, a few ending with a real number
        return d.percent(50) ? hostileBytes(d, 10000)
                             : "DOC-" + std::string(9991, '9') + fiveDigits(1 + d.below(400));
    return std::string();
}

// One input as the reading body takes it. Now and then its readings go to a
// stocktaking, which marks documents for good: rarely, so loans go on.
std::string input(Draws& d) {
    std::string bytes(1, char(d.below(8)));
    if (d.below(400) == 0)
        bytes[0] = char(fuzz::flags::kStocktaking | d.below(8));
    const uint32_t count = 1 + d.below(8);
    for (uint32_t i = 0; i < count; ++i) {
        if (i > 0)
            bytes += '\n';
        bytes += reading(d);
    }
    return bytes;
}

const uint8_t* bytesOf(const std::string& s) {
    return reinterpret_cast<const uint8_t*>(s.data());
}

TEST(HostileInput, HundredThousandReadingsChangeOnlyWhatLoansReturnsAndMarksMay) {
    constexpr qint64 kReadings = 100'000;
    constexpr qint64 kCheckEvery = 25'000;
    fuzz::ReadingSession session;
    Draws draws(20260309);
    QElapsedTimer timer;
    timer.start();
    qint64 readings = 0;
    qint64 nextCheck = kCheckEvery;
    try {
        while (readings < kReadings) {
            const std::string bytes = input(draws);
            readings += session.feed(bytesOf(bytes), bytes.size());
            if (readings >= nextCheck && readings < kReadings) {
                nextCheck += kCheckEvery;
                ASSERT_EQ(session.checkFiles(), QStringList()) << "after " << readings;
            }
        }
    } catch (const fuzz::InvariantBroken& e) {
        FAIL() << "after " << readings << " readings: " << e.what();
    }
    const QStringList problems = session.checkFiles();
    EXPECT_EQ(problems, QStringList());

    // A corpus that made no loan, no return or no mark would prove nothing.
    EXPECT_GT(session.loans(), 500);
    EXPECT_GT(session.returns(), 500);
    EXPECT_GT(session.marks(), 0);

    const double seconds = timer.elapsed() / 1000.0;
    std::cout << "readings fuzzed: " << readings << " in " << seconds << " s (" << session.loans()
              << " loans, " << session.returns() << " returns, " << session.marks()
              << " documents marked)" << std::endl;
    ::testing::Test::RecordProperty("readings_fuzzed", std::to_string(readings));
    ::testing::Test::RecordProperty("loans", std::to_string(session.loans()));
    ::testing::Test::RecordProperty("returns", std::to_string(session.returns()));
}

TEST(HostileInput, FileChecksSeeWhatNoReadingMayDo) {
    fuzz::ReadingSession session(50);
    const QString data = session.dataFolder();
    Database catalogue(data + "/VOK.MDB");
    catalogue.exec("UPDATE vok SET titre = 'Piraté' WHERE inventaire = '00001'");
    catalogue.exec("UPDATE vok SET emprunté = 'O', emprunteur = '99999', catégorieemprunteur = "
                   "'école', dateemprunt = '09/03/2026', cumul = '999' WHERE inventaire = '00002'");
    catalogue.exec("UPDATE vok SET emprunté = 'N', emprunteur = '00001', dateemprunt = "
                   "'09/03/2026' WHERE inventaire = '00003'");
    catalogue.exec("INSERT INTO vok (inventaire) VALUES ('77777')");
    Database(data + "/MEMBRES.MDB").exec("UPDATE membres SET nom = 'X' WHERE matricule = '00001'");
    Database(data + "/../LEMAVORI/LEMAVORI.MDB").exec("UPDATE enfants SET nomenfant = 'X'");
    FileSystem().append(data + "/26-03-09.JNL",
                        "\"09/03/2026 - 10:00 - Emprunt d'un document\"\r\n");
    QFile stray(data + "/VOK.MDB-journal");
    ASSERT_TRUE(stray.open(QIODevice::WriteOnly));
    stray.close();

    const QStringList problems = session.checkFiles();
    const QStringList expected = {"document 00001: titre went from",
                                  "document 00001: changed but not dated today",
                                  "document 00002: lent to école \"99999\"",
                                  "document 00003: \"N\" keeps the borrower",
                                  "51 documents instead of 50",
                                  "member 00001: nom went from",
                                  "1 loans and 0 returns journalled, 0 and 0 made",
                                  "file changed: " +
                                      QDir::cleanPath(data + "/../LEMAVORI/LEMAVORI.MDB"),
                                  "new file " + data + "/VOK.MDB-journal"};
    for (const QString& piece : expected)
        EXPECT_EQ(problems.filter(piece).size(), 1) << piece.toStdString() << " in\n"
                                                    << problems.join('\n').toStdString();
}

// Settings files as hands and other programs leave them, built from the
// program's own form: values dropped, cut, unquoted, run together or broken.
std::string settingsFile(Draws& d, const std::vector<std::string>& values) {
    std::string out;
    if (d.percent(5))
        out += "\xef\xbb\xbf";
    const size_t count = d.percent(20) ? d.below(uint32_t(values.size()) + 3) : values.size();
    for (size_t i = 0; i < count; ++i) {
        const std::string value = i < values.size() ? values[i] : hostileBytes(d, 1 + d.below(8));
        switch (d.below(10)) {
        case 0:
            out += value; // unquoted
            break;
        case 1:
            out += "\"" + value; // never closed
            break;
        case 2:
            out += "  \"" + value + "\" trailing";
            break;
        case 3:
            out += hostileBytes(d, 1 + d.below(12));
            break;
        case 4:
            out += d.percent(10) ? std::string(10000, 'x') : value + "," + value;
            break;
        default:
            out += "\"" + value + "\"";
        }
        static const char* const kEnds[] = {"\r\n", "\r\n", "\r\n", "\n", "\r", ",", ""};
        if (i + 1 < count || d.percent(70))
            out += d.pick(kEnds);
    }
    return out;
}

TEST(HostileInput, SettingsFilesOfEveryShapeLoadOrFailCleanly) {
    const std::vector<std::string> ours = {"0", "0", "0", "0", "210", "297", "4", "2", "8", "on"};
    const std::vector<std::string> companion = {"École primaire des Tilleuls",
                                                "3 rue des Écoles",
                                                "26400 Montfleury",
                                                "04 75 25 31 80",
                                                "Mme Durand",
                                                "2025-2026",
                                                "30/06/2026",
                                                "15",
                                                "2",
                                                "3",
                                                "ON"};
    Draws draws(7);
    int loaded = 0;
    int refused = 0;
    constexpr int kFiles = 4000;
    try {
        for (int i = 0; i < kFiles; ++i) {
            std::string bytes = settingsFile(draws, ours);
            // A NUL ends our file and starts the companion's; without one
            // there is no companion file.
            if (draws.percent(80))
                bytes += std::string(1, '\0') + settingsFile(draws, companion);
            (fuzz::fuzzSettings(bytesOf(bytes), bytes.size()) ? loaded : refused)++;
        }
    } catch (const fuzz::InvariantBroken& e) {
        FAIL() << "after " << loaded + refused << " files: " << e.what();
    }
    // Both ends of the reader were reached.
    EXPECT_GT(loaded, kFiles / 10);
    EXPECT_GT(refused, kFiles / 10);
    std::cout << "settings files fuzzed: " << kFiles << " (" << loaded << " loaded, " << refused
              << " refused)" << std::endl;
}

TEST(HostileInput, LegacyByteWithoutACharacterDoesNotGarbleTheRewrittenFile) {
    // 0x81 has no character in Windows-1252: it is read as U+FFFD, which the
    // rewritten UTF-8 file holds as it is. That file once read as
    // Windows-1252 again, "é" coming back as "Ã©".
    SchoolFolder school;
    TestContext t;
    t.ctx.dataFolder = school.data();
    const QByteArray legacy = "\"0\"\r\n\"0\"\r\n\"0\"\r\n\"0\"\r\n\"210\"\r\n\"297\"\r\n"
                              "\"4\xe9\"\r\n\"2\x81\"\r\n\"8\"\r\n";
    t.files.writeAtomically(school.data() + "/KARVEL.INI", legacy);
    ASSERT_TRUE(LoadSettings(t.ctx));
    EXPECT_EQ(t.ctx.layout.amplitude, "4é");
    EXPECT_EQ(t.ctx.layout.columns, "2\uFFFD");
    ASSERT_TRUE(SaveSettings(t.ctx));
    EXPECT_EQ(t.ctx.layout.amplitude, "4é");
    EXPECT_EQ(t.ctx.layout.columns, "2\uFFFD");
    EXPECT_TRUE(t.dialogs.shown.empty());
}

TEST(HostileInput, ListsAndSeriesOfEveryShape) {
    const char* const kTexts[] = {
        "17-35-125-412", "17/35/",   "17--35",   "17 35",         "-",       "/",
        "//--//",        "",         "   ",      "1e308",         "1e309",   "9.5-0.5-1.5",
        "1 2147483647",  "1 100000", "2 100001", "1 100001",      "5 4",     "0 0",
        "-3 5",          "1,5 3",    "+7 +9",    "99999999999 1", "1e5 1e5", "inf nan",
        "１２",
    };
    try {
        for (const char* text : kTexts) {
            for (const uint8_t decoding : {0, 1}) {
                std::string bytes = std::string(1, char(decoding)) + text;
                fuzz::fuzzListSplitter(bytesOf(bytes), bytes.size());
            }
        }
        Draws draws(412);
        for (int i = 0; i < 20000; ++i) {
            std::string bytes(1, char(draws.below(2)));
            const uint32_t items = draws.below(i % 100 == 0 ? 3000 : 12);
            for (uint32_t k = 0; k < items; ++k) {
                static const char* const kSeparators[] = {"-", "/", " ", "--", "", " - "};
                if (k > 0)
                    bytes += draws.pick(kSeparators);
                bytes += draws.percent(70) ? std::to_string(draws.below(1u << (draws.below(32))))
                                           : hostileBytes(draws, 1 + draws.below(6));
            }
            fuzz::fuzzListSplitter(bytesOf(bytes), bytes.size());
        }
    } catch (const fuzz::InvariantBroken& e) {
        FAIL() << e.what();
    }
}

TEST(HostileInput, SeriesLongerThanEveryFiveDigitNumberIsRefusedBeforePrinting) {
    // 1 to 2147483647 once printed page after page for days.
    TestContext t;
    LabelSheetRequest request{LabelKind::Documents, NumberChoice::Series, "1", "2147483647", {}};
    PrintLabelSheets(t.ctx, request, [](int) {});
    ASSERT_EQ(t.dialogs.shown.size(), 1u);
    EXPECT_EQ(t.dialogs.shown[0].text, "L'édition des codes-barres est impossible!\n"
                                       "Données incorrectes : Une série ne peut pas dépasser "
                                       "100000 codes-barres...");
    EXPECT_TRUE(t.printer.jobs().empty());
    EXPECT_TRUE(t.printer.current().items.empty());

    auto count = [](const QString& start, const QString& end) {
        const auto series = readSeries(start, end);
        return std::holds_alternative<LabelNumbers>(series) ? std::get<LabelNumbers>(series).count()
                                                            : -1;
    };
    EXPECT_EQ(count("1", "100000"), 100000);
    EXPECT_EQ(count("900001", "1000000"), 100000);
    EXPECT_EQ(count("1", "100001"), -1);
}

} // namespace
