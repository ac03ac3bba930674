#pragma once
// A school's files filled with invented but plausible French data, standing in
// for what the companion products create: FOLDER/LAVOK with the catalogue, the
// members and the Dewey files, LAVOK.INI and the two help documents, and the
// sibling FOLDER/LEMAVORI with the pupils and classes.
//
// Everything comes from fixed-seed generators, so the same options give the
// same rows. Dates are counted back from the reference date. Each table has
// its own generator: changing the number of documents leaves the pupils and
// the classes as they were, and the members but for their last loan dates.

#include <QDate>
#include <QString>

namespace karvel {

struct DemoOptions {
    // Inventory numbers run from 00001; past 99999 they take a sixth digit.
    int documents = 2000;
    // The day the data describes ("today" for the loans); invalid means today.
    QDate referenceDate;
};

struct DemoSummary {
    int documents = 0;
    int onLoan = 0;
    int classes = 0;
    int pupils = 0;
    int members = 0;
};

inline constexpr int kDemoMaxDocuments = 1'000'000;
// A reading carries five digits: documents numbered past this one are in the
// catalogue (a test of how costs grow) but no reading at the desk finds them.
inline constexpr int kDeskMaxDocuments = 99'999;

// Creates the files under `folder` (created if needed). Throws a KarvelError
// (58, file already exists) before writing anything when one of the database
// files is already there, whatever its letter case; other failures are thrown
// as the platform layers raise them, after removing the database files this
// call had created.
DemoSummary createDemoData(const QString& folder, const DemoOptions& options);

// The text of a help document shipped with the program: "helpkv.rtf" or
// "karvel.rtf"; empty for any other name.
QByteArray helpDocument(const QString& name);

} // namespace karvel
